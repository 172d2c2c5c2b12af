// Mapped blocks for bulk data: anonymous mappings, aligned to huge pages when large
// enough, with huge pages asked for (where the kernel offers them on request).
#include "com/bulk_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace bulk_memory {

namespace {

std::size_t pageBytes() {
  static const std::size_t bytes = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return bytes;
}

// The length mapped for `bytes`: whole huge pages from one huge page on, so that the
// last part of a large block is not left to small pages.
std::size_t wholePages(std::size_t bytes) {
  std::size_t page = bytes >= kHugePageBytes ? kHugePageBytes : pageBytes();
  return (bytes + page - 1) / page * page;
}

void adviseHugePages(void* block, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  if (bytes >= kHugePageBytes) madvise(block, bytes, MADV_HUGEPAGE);
#else
  (void)block;
  (void)bytes;
#endif
}

}  // namespace

void* map(std::size_t bytes) {
  std::size_t length = wholePages(bytes);
  // Large blocks are mapped a huge page longer and trimmed to start on a boundary.
  std::size_t slack = length >= kHugePageBytes ? kHugePageBytes : 0;
  void* mapped = mmap(nullptr, length + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  auto* start = static_cast<char*>(mapped);
  if (slack > 0) {
    auto address = reinterpret_cast<std::uintptr_t>(start);
    std::size_t head = (kHugePageBytes - address % kHugePageBytes) % kHugePageBytes;
    if (head > 0) munmap(start, head);
    if (slack - head > 0) munmap(start + head + length, slack - head);
    start += head;
  }
  adviseHugePages(start, length);
  return start;
}

void* remap(void* block, std::size_t oldBytes, std::size_t newBytes) {
  std::size_t oldLength = wholePages(oldBytes);
  std::size_t newLength = wholePages(newBytes);
  if (oldLength == newLength) return block;
  void* moved = mremap(block, oldLength, newLength, MREMAP_MAYMOVE);
  if (moved == MAP_FAILED) return nullptr;
  adviseHugePages(moved, newLength);
  return moved;
}

void unmap(void* block, std::size_t bytes) {
  if (block != nullptr) munmap(block, wholePages(bytes));
}

}  // namespace bulk_memory
