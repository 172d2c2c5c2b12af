// BSTR allocation (length stored before the characters), batches of texts carved from
// shared blocks, and the owning _bstr_t.
#include "com/bstr.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <utility>

#include "com/bulk_memory.h"

#if defined(__SANITIZE_ADDRESS__)
#define OV_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OV_ADDRESS_SANITIZER 1
#endif
#endif
#ifdef OV_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#endif

namespace {

// The platform keeps a BSTR's byte length in 32 bits; longer texts cannot be made.
constexpr UINT kMaxLength = 0x3FFFFFFEu;

// What sits just before a BSTR's characters.
struct TextHeader {
  std::uint32_t blockOffset;  // 0: allocated alone; else the distance back to its batch block
  std::uint32_t length;
};

TextHeader* headerOf(BSTR text) { return reinterpret_cast<TextHeader*>(text) - 1; }

// Bytes a text of `length` takes with its header and closing L'\0', kept a multiple of
// 8 so that headers carved one after another stay aligned.
std::size_t textBytes(UINT length) {
  std::size_t bytes = sizeof(TextHeader) + (static_cast<std::size_t>(length) + 1) * sizeof(wchar_t);
  return (bytes + 7) / 8 * 8;
}

BSTR fillText(TextHeader* header, std::uint32_t blockOffset, const wchar_t* text, UINT length) {
  header->blockOffset = blockOffset;
  header->length = length;
  auto* chars = reinterpret_cast<wchar_t*>(header + 1);
  if (text != nullptr)
    std::memcpy(chars, text, static_cast<std::size_t>(length) * sizeof(wchar_t));
  else
    std::memset(chars, 0, static_cast<std::size_t>(length) * sizeof(wchar_t));
  chars[length] = L'\0';
  return chars;
}

// Under AddressSanitizer the unused and freed parts of a batch block are marked, so
// that a text used after it was freed is caught as with texts allocated alone.
void markUnusable(const void* memory, std::size_t bytes) {
#ifdef OV_ADDRESS_SANITIZER
  ASAN_POISON_MEMORY_REGION(memory, bytes);
#else
  (void)memory;
  (void)bytes;
#endif
}

void markUsable(const void* memory, std::size_t bytes) {
#ifdef OV_ADDRESS_SANITIZER
  ASAN_UNPOISON_MEMORY_REGION(memory, bytes);
#else
  (void)memory;
  (void)bytes;
#endif
}

// Batches start with small blocks, so that a result of a few rows costs little, then
// take one block still below what malloc maps afresh each time, then huge pages.
constexpr std::size_t kFirstBlockBytes = std::size_t{16} << 10;
constexpr std::size_t kSecondBlockBytes = std::size_t{64} << 10;
// Longer texts are allocated alone.
constexpr UINT kLongestBatchedText = 4096;

}  // namespace

// A batch block: this head, then texts one after another.
struct BstrBatchBlock {
  // While its batch carves from it, a block counts from this bias down, so that texts
  // freed meanwhile cannot bring it to zero; the batch settles its count on leaving.
  static constexpr std::size_t kCarving = std::size_t{1} << 62;
  static constexpr std::size_t kHeadBytes = 16;

  std::atomic<std::size_t> holders{kCarving};  // texts not freed yet (see kCarving)
  std::size_t bytes = 0;

  static BstrBatchBlock* create(std::size_t bytes) {
    void* memory = bytes >= bulk_memory::kHugePageBytes ? bulk_memory::map(bytes) : std::malloc(bytes);
    if (memory == nullptr) return nullptr;
    auto* block = new (memory) BstrBatchBlock;
    block->bytes = bytes;
    markUnusable(static_cast<char*>(memory) + kHeadBytes, bytes - kHeadBytes);
    return block;
  }

  // `count` holders are gone; the last one frees the block.
  void drop(std::size_t count) {
    if (holders.fetch_sub(count, std::memory_order_acq_rel) != count) return;
    std::size_t size = bytes;
    markUsable(this, size);
    this->~BstrBatchBlock();
    if (size >= bulk_memory::kHugePageBytes)
      bulk_memory::unmap(this, size);
    else
      std::free(this);
  }
};
static_assert(sizeof(BstrBatchBlock) <= BstrBatchBlock::kHeadBytes);

namespace {

// The batch block a text was carved from, or null for a text allocated alone. Under
// AddressSanitizer a carved text is marked freed here.
BstrBatchBlock* blockOfFreed(BSTR text) {
  TextHeader* header = headerOf(text);
  if (header->blockOffset == 0) {
    std::free(header);
    return nullptr;
  }
  auto* block = reinterpret_cast<BstrBatchBlock*>(reinterpret_cast<char*>(header) - header->blockOffset);
  markUnusable(header, textBytes(header->length));
  return block;
}

}  // namespace

BstrBatch::~BstrBatch() { leaveBlock(); }

void BstrBatch::leaveBlock() {
  if (block_ != nullptr) block_->drop(BstrBatchBlock::kCarving - carved_);
  block_ = nullptr;
  carved_ = 0;
}

bool BstrBatch::startBlock(std::size_t needed) {
  std::size_t bytes = nextBytes_ == 0 ? kFirstBlockBytes : nextBytes_;
  while (bytes < BstrBatchBlock::kHeadBytes + needed) bytes *= 2;
  BstrBatchBlock* block = BstrBatchBlock::create(bytes);
  if (block == nullptr) return false;
  leaveBlock();
  block_ = block;
  used_ = BstrBatchBlock::kHeadBytes;
  nextBytes_ = bytes < kSecondBlockBytes ? kSecondBlockBytes : bulk_memory::kHugePageBytes;
  return true;
}

BSTR BstrBatch::allocate(const wchar_t* text, UINT length) {
  if (length > kLongestBatchedText) return SysAllocStringLen(text, length);
  std::size_t bytes = textBytes(length);
  if ((block_ == nullptr || used_ + bytes > block_->bytes) && !startBlock(bytes)) return nullptr;
  char* place = reinterpret_cast<char*>(block_) + used_;
  markUsable(place, bytes);
  ++carved_;
  BSTR made = fillText(reinterpret_cast<TextHeader*>(place), static_cast<std::uint32_t>(used_), text, length);
  used_ += bytes;
  return made;
}

void BstrReleaser::release(BSTR text) {
  if (text == nullptr) return;
  BstrBatchBlock* block = blockOfFreed(text);
  if (block == nullptr) return;
  if (block != block_) {
    settle();
    block_ = block;
  }
  ++pending_;
}

void BstrReleaser::settle() {
  if (block_ != nullptr && pending_ > 0) block_->drop(pending_);
  block_ = nullptr;
  pending_ = 0;
}

BSTR SysAllocStringLen(const wchar_t* text, UINT length) {
  if (length > kMaxLength) return nullptr;
  void* block = std::malloc(sizeof(TextHeader) + (static_cast<std::size_t>(length) + 1) * sizeof(wchar_t));
  if (block == nullptr) return nullptr;
  return fillText(static_cast<TextHeader*>(block), 0, text, length);
}

BSTR SysAllocString(const wchar_t* text) {
  if (text == nullptr) return nullptr;
  std::size_t length = std::wcslen(text);
  if (length > kMaxLength) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(length));
}

void SysFreeString(BSTR text) {
  if (text == nullptr) return;
  if (BstrBatchBlock* block = blockOfFreed(text)) block->drop(1);
}

UINT SysStringLen(BSTR text) { return text == nullptr ? 0 : headerOf(text)->length; }

_bstr_t::_bstr_t(const wchar_t* text) : text_(SysAllocString(text)) {}

_bstr_t::_bstr_t(const std::wstring& text)
    : text_(text.size() > kMaxLength ? nullptr : SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

_bstr_t::_bstr_t(BSTR text, bool copy) : text_(text) {
  if (copy && text != nullptr) text_ = SysAllocStringLen(text, SysStringLen(text));
}

_bstr_t::_bstr_t(const _bstr_t& other) : text_(other.copy()) {}

_bstr_t::_bstr_t(_bstr_t&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}

_bstr_t::~_bstr_t() { SysFreeString(text_); }

_bstr_t& _bstr_t::operator=(const _bstr_t& other) {
  if (this != &other) Attach(other.copy());
  return *this;
}

_bstr_t& _bstr_t::operator=(_bstr_t&& other) noexcept {
  if (this != &other) {
    SysFreeString(text_);
    text_ = std::exchange(other.text_, nullptr);
  }
  return *this;
}

_bstr_t& _bstr_t::operator=(const wchar_t* text) {
  Attach(SysAllocString(text));
  return *this;
}

_bstr_t& _bstr_t::operator+=(const _bstr_t& other) {
  UINT a = length();
  UINT b = other.length();
  if (b == 0) return *this;
  BSTR joined = SysAllocStringLen(nullptr, a + b);
  if (joined == nullptr) return *this;
  if (a > 0) std::memcpy(joined, text_, a * sizeof(wchar_t));
  std::memcpy(joined + a, other.text_, b * sizeof(wchar_t));
  Attach(joined);
  return *this;
}

_bstr_t operator+(const _bstr_t& a, const _bstr_t& b) {
  _bstr_t joined(a);
  joined += b;
  return joined;
}

BSTR* _bstr_t::GetAddress() {
  Attach(nullptr);
  return &text_;
}

BSTR _bstr_t::Detach() noexcept { return std::exchange(text_, nullptr); }

void _bstr_t::Attach(BSTR text) {
  if (text == text_) return;
  SysFreeString(text_);
  text_ = text;
}

BSTR _bstr_t::copy() const { return text_ == nullptr ? nullptr : SysAllocStringLen(text_, SysStringLen(text_)); }

std::wstring _bstr_t::wstring() const { return text_ == nullptr ? std::wstring() : std::wstring(text_, length()); }

bool operator==(const _bstr_t& a, const _bstr_t& b) {
  UINT n = a.length();
  if (n != b.length()) return false;
  return n == 0 || std::wmemcmp(a.text_, b.text_, n) == 0;
}
