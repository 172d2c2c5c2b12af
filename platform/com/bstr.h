// Length-prefixed wide strings as COM passes texts (BSTR), and _bstr_t that owns one.
#pragma once

#include <cstddef>
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

struct BstrBatchBlock;

// Makes the many texts of one large result (a query's names and values) quickly: they
// are carved from shared blocks instead of allocated one by one, yet each is an
// ordinary BSTR that its holder frees with SysFreeString, in any order. A block's memory
// returns when its last text is freed, so a text kept long keeps its block alive. One
// batch is used by one thread at a time; its texts may be freed anywhere.
class BstrBatch {
 public:
  BstrBatch() = default;
  BstrBatch(const BstrBatch&) = delete;
  BstrBatch& operator=(const BstrBatch&) = delete;
  ~BstrBatch();

  // As SysAllocStringLen.
  BSTR allocate(const wchar_t* text, UINT length);

 private:
  bool startBlock(std::size_t needed);
  void leaveBlock();

  BstrBatchBlock* block_ = nullptr;
  std::size_t used_ = 0;
  std::size_t carved_ = 0;     // texts made from the block so far
  std::size_t nextBytes_ = 0;  // the size of the next block
};

// Frees many texts, each as SysFreeString would, more cheaply when neighbours come from
// one batch block (as the elements of a large array do). Whatever is still pending is
// settled when the releaser goes out of scope.
class BstrReleaser {
 public:
  BstrReleaser() = default;
  BstrReleaser(const BstrReleaser&) = delete;
  BstrReleaser& operator=(const BstrReleaser&) = delete;
  ~BstrReleaser() { settle(); }

  void release(BSTR text);

 private:
  void settle();

  BstrBatchBlock* block_ = nullptr;
  std::size_t pending_ = 0;
};

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
