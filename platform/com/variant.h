// VARIANT, the tagged value COM passes, and _variant_t that owns one.
#pragma once

#include <cstdint>

#include "com/bstr.h"
#include "com/com_base.h"

using VARTYPE = std::uint16_t;

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_BSTR = 8,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UI1 = 17,
  VT_ARRAY = 0x2000,
};

using VARIANT_BOOL = std::int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

struct SAFEARRAY;

// The value's kind is `vt`; VT_BSTR owns its text, VT_ARRAY | VT_VARIANT its array.
struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    std::int32_t lVal;
    std::int16_t iVal;
    float fltVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    BSTR bstrVal;
    std::uint8_t bVal;
    HRESULT scode;
    SAFEARRAY* parray;
  };
};
using VARIANTARG = VARIANT;

// Makes `v` VT_EMPTY without looking at what it held.
void VariantInit(VARIANT* v);
// Frees what `v` owns and makes it VT_EMPTY. DISP_E_BADVARTYPE for a kind not known
// here (left unchanged), DISP_E_ARRAYISLOCKED for an array being accessed.
HRESULT VariantClear(VARIANT* v);
// Clears `dest`, then makes it a deep copy of `src` (texts and arrays are copied).
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);

// Flags of VariantChangeType: VARIANT_ALPHABOOL writes booleans as "True"/"False".
constexpr WORD VARIANT_ALPHABOOL = 0x02;
// Converts `src` to kind `vt` into `dest` (which may be `src`) as the platform does:
// numbers between each other (reals rounded to the nearest integer, DISP_E_OVERFLOW
// out of range), numbers and booleans to text and back (DISP_E_TYPEMISMATCH for a text
// that is not a number), VT_EMPTY to zero or the empty text; VT_NULL converts to
// nothing but itself (DISP_E_TYPEMISMATCH). `dest` must be initialised.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, WORD flags, VARTYPE vt);

// Owns one VARIANT.
class _variant_t : public VARIANT {
 public:
  _variant_t() noexcept;
  _variant_t(const VARIANT& v);
  _variant_t(const _variant_t& v);
  _variant_t(_variant_t&& v) noexcept;
  // VT_I2, or VT_BOOL when asked for (a value not 0 becomes VARIANT_TRUE).
  _variant_t(short value, VARTYPE vt = VT_I2);
  _variant_t(int value);
  // VT_I4; on the platform a long is 32 bits, so a wider value is refused
  // (_com_error DISP_E_OVERFLOW).
  _variant_t(long value);
  _variant_t(float value);
  _variant_t(double value);
  _variant_t(bool value);
  _variant_t(std::uint8_t value);
  _variant_t(const wchar_t* text);
  _variant_t(const _bstr_t& text);
  ~_variant_t();

  // A VT_NULL value (the database's NULL).
  static _variant_t makeNull();

  _variant_t& operator=(const _variant_t& v);
  _variant_t& operator=(_variant_t&& v) noexcept;
  _variant_t& operator=(const VARIANT& v);

  void Clear();
  // Gives the VARIANT up to the caller, who clears it; this one becomes VT_EMPTY.
  VARIANT Detach() noexcept;
  // Takes `v` over (this one's old value is cleared); `v` becomes VT_EMPTY.
  void Attach(VARIANT& v);
  // Converts in place; raises _com_error when the value does not convert.
  void ChangeType(VARTYPE vt, const _variant_t* src = nullptr);

  // Extractors convert as VariantChangeType does and raise _com_error when they cannot.
  operator short() const;
  operator long() const;
  operator double() const;
  operator bool() const;
  operator _bstr_t() const;
};
