// BSTR allocation (length stored before the characters) and the owning _bstr_t.
#include "com/bstr.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// The platform keeps a BSTR's byte length in 32 bits; longer texts cannot be made.
constexpr UINT kMaxLength = 0x3FFFFFFEu;

std::size_t* lengthSlot(BSTR text) { return reinterpret_cast<std::size_t*>(text) - 1; }

}  // namespace

BSTR SysAllocStringLen(const wchar_t* text, UINT length) {
  if (length > kMaxLength) return nullptr;
  std::size_t bytes = sizeof(std::size_t) + (static_cast<std::size_t>(length) + 1) * sizeof(wchar_t);
  void* block = std::malloc(bytes);
  if (block == nullptr) return nullptr;
  auto* slot = static_cast<std::size_t*>(block);
  *slot = length;
  auto* chars = reinterpret_cast<wchar_t*>(slot + 1);
  if (text != nullptr)
    std::memcpy(chars, text, static_cast<std::size_t>(length) * sizeof(wchar_t));
  else
    std::memset(chars, 0, static_cast<std::size_t>(length) * sizeof(wchar_t));
  chars[length] = L'\0';
  return chars;
}

BSTR SysAllocString(const wchar_t* text) {
  if (text == nullptr) return nullptr;
  std::size_t length = std::wcslen(text);
  if (length > kMaxLength) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(length));
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(lengthSlot(text));
}

UINT SysStringLen(BSTR text) { return text == nullptr ? 0 : static_cast<UINT>(*lengthSlot(text)); }

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
