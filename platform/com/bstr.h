// Length-prefixed wide strings as COM passes texts (BSTR), and _bstr_t that owns one.
#pragma once

#include <cstdint>
#include <string>

#include "com/com_base.h"

// A BSTR points at the characters; its length is stored just before them, so that it
// may hold any character including L'\0'. A null BSTR counts as the empty text.
using BSTR = wchar_t*;

BSTR SysAllocString(const wchar_t* text);
// `length` characters from `text`; a null `text` gives that many L'\0' characters.
BSTR SysAllocStringLen(const wchar_t* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);

// Owns one BSTR (or none: the null text). Copies copy the characters.
class _bstr_t {
 public:
  _bstr_t() noexcept = default;
  _bstr_t(const wchar_t* text);
  _bstr_t(const std::wstring& text);
  // Takes `text` over when `copy` is false, else copies it.
  _bstr_t(BSTR text, bool copy);
  _bstr_t(const _bstr_t& other);
  _bstr_t(_bstr_t&& other) noexcept;
  ~_bstr_t();

  _bstr_t& operator=(const _bstr_t& other);
  _bstr_t& operator=(_bstr_t&& other) noexcept;
  _bstr_t& operator=(const wchar_t* text);
  _bstr_t& operator+=(const _bstr_t& other);
  friend _bstr_t operator+(const _bstr_t& a, const _bstr_t& b);

  // The characters, or null for the null text.
  operator const wchar_t*() const noexcept { return text_; }
  operator wchar_t*() const noexcept { return text_; }
  BSTR GetBSTR() const noexcept { return text_; }
  // Frees the text and answers the address to receive a new one (an out-parameter).
  BSTR* GetAddress();
  // Gives the BSTR up to the caller, who frees it.
  BSTR Detach() noexcept;
  void Attach(BSTR text);
  BSTR copy() const;

  UINT length() const noexcept { return SysStringLen(text_); }
  std::wstring wstring() const;
  bool operator!() const noexcept { return length() == 0; }
  // Texts compare by their characters; the null text equals the empty one.
  friend bool operator==(const _bstr_t& a, const _bstr_t& b);

 private:
  BSTR text_ = nullptr;
};
