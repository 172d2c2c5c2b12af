// Memory for bulk data of the COM stand-ins (large arrays, batches of texts): blocks
// mapped from the system with huge pages asked for, since filling tens of megabytes one
// 4 KB page at a time costs a page fault per page.
#pragma once

#include <cstddef>

namespace bulk_memory {

// Blocks from this size on are mapped (and a multiple of it starts on such a boundary,
// so that the kernel can back it with huge pages).
constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// A block of `bytes` (more than zero) holding zeros; null when memory runs out.
void* map(std::size_t bytes);
// The block grown or shrunk, in place or moved without copying: what it held stays,
// pages added hold zeros. Null (the block unchanged) when memory runs out.
void* remap(void* block, std::size_t oldBytes, std::size_t newBytes);
void unmap(void* block, std::size_t bytes);

}  // namespace bulk_memory
