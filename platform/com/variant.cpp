// VARIANT life cycle (init, clear, deep copy), conversion between kinds, and _variant_t.
#include "com/variant.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cwctype>
#include <string>
#include <utility>

#include "com/com_error.h"
#include "com/safearray.h"

namespace {

constexpr VARTYPE kVariantArray = VT_ARRAY | VT_VARIANT;

bool isScalarKind(VARTYPE vt) {
  switch (vt) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8:
    case VT_BSTR: case VT_ERROR: case VT_BOOL: case VT_UI1:
      return true;
    default:
      return false;
  }
}

std::wstring trimmed(const wchar_t* text, UINT length) {
  UINT begin = 0;
  while (begin < length && std::iswspace(static_cast<wint_t>(text[begin]))) ++begin;
  UINT end = length;
  while (end > begin && std::iswspace(static_cast<wint_t>(text[end - 1]))) --end;
  return std::wstring(text + begin, end - begin);
}

bool equalsIgnoringCase(const std::wstring& a, const wchar_t* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != L'\0'; ++i)
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
  return i == a.size() && b[i] == L'\0';
}

// Reads a number written in the C locale ("12", "-3.5", "1E+20"), the whole text.
HRESULT numberFromText(BSTR text, bool allowBoolWords, double& out) {
  std::wstring t = trimmed(text == nullptr ? L"" : text, SysStringLen(text));
  if (allowBoolWords && equalsIgnoringCase(t, L"true")) {
    out = -1;
    return S_OK;
  }
  if (allowBoolWords && equalsIgnoringCase(t, L"false")) {
    out = 0;
    return S_OK;
  }
  std::string narrow;
  for (wchar_t c : t) {
    if (c > 0x7F) return DISP_E_TYPEMISMATCH;
    narrow += static_cast<char>(c);
  }
  if (!narrow.empty() && narrow[0] == '+') narrow.erase(0, 1);
  if (narrow.empty()) return DISP_E_TYPEMISMATCH;
  const char* end = narrow.data() + narrow.size();
  auto [ptr, ec] = std::from_chars(narrow.data(), end, out);
  if (ec == std::errc::result_out_of_range) return DISP_E_OVERFLOW;
  if (ec != std::errc() || ptr != end || !std::isfinite(out)) return DISP_E_TYPEMISMATCH;
  return S_OK;
}

HRESULT numberOf(const VARIANT& v, bool targetIsBool, double& out) {
  switch (v.vt) {
    case VT_EMPTY: out = 0; return S_OK;
    case VT_I2: out = v.iVal; return S_OK;
    case VT_I4: out = v.lVal; return S_OK;
    case VT_R4: out = v.fltVal; return S_OK;
    case VT_R8: out = v.dblVal; return S_OK;
    case VT_BOOL: out = v.boolVal; return S_OK;
    case VT_UI1: out = v.bVal; return S_OK;
    case VT_BSTR: return numberFromText(v.bstrVal, targetIsBool, out);
    default: return DISP_E_TYPEMISMATCH;
  }
}

std::wstring realText(double value, int digits) {
  char buf[64];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
  if (ec != std::errc()) return L"0";
  std::wstring text;
  for (const char* p = buf; p != ptr; ++p) text += static_cast<wchar_t>(*p == 'e' ? 'E' : *p);
  return text;
}

HRESULT textOf(const VARIANT& v, WORD flags, std::wstring& out) {
  switch (v.vt) {
    case VT_EMPTY: out.clear(); return S_OK;
    case VT_I2: out = std::to_wstring(v.iVal); return S_OK;
    case VT_I4: out = std::to_wstring(v.lVal); return S_OK;
    case VT_UI1: out = std::to_wstring(v.bVal); return S_OK;
    case VT_R4: out = realText(v.fltVal, 7); return S_OK;
    case VT_R8: out = realText(v.dblVal, 15); return S_OK;
    case VT_BOOL:
      if (flags & VARIANT_ALPHABOOL)
        out = v.boolVal ? L"True" : L"False";
      else
        out = v.boolVal ? L"-1" : L"0";
      return S_OK;
    case VT_BSTR: out.assign(v.bstrVal == nullptr ? L"" : v.bstrVal, SysStringLen(v.bstrVal)); return S_OK;
    default: return DISP_E_TYPEMISMATCH;
  }
}

// Whole numbers round half to even, as the platform's conversions do.
HRESULT wholeNumber(double value, double low, double high, double& out) {
  out = std::nearbyint(value);
  if (out < low || out > high) return DISP_E_OVERFLOW;
  return S_OK;
}

// Converts into `out`, which is VT_EMPTY on entry and owns what it gets.
HRESULT convert(const VARIANT& src, WORD flags, VARTYPE vt, VARIANT& out) {
  if (vt == src.vt) return VariantCopy(&out, &src);
  if (vt == VT_EMPTY) return S_OK;
  if (src.vt == VT_NULL || vt == VT_NULL || (vt & VT_ARRAY) || (src.vt & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
  if (vt == VT_BSTR) {
    std::wstring text;
    HRESULT hr = textOf(src, flags, text);
    if (FAILED(hr)) return hr;
    BSTR b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (b == nullptr) return E_OUTOFMEMORY;
    out.vt = VT_BSTR;
    out.bstrVal = b;
    return S_OK;
  }
  double number = 0;
  HRESULT hr = numberOf(src, vt == VT_BOOL, number);
  if (FAILED(hr)) return hr;
  double whole = 0;
  switch (vt) {
    case VT_I2:
      if (FAILED(hr = wholeNumber(number, SHRT_MIN, SHRT_MAX, whole))) return hr;
      out.iVal = static_cast<std::int16_t>(whole);
      break;
    case VT_I4:
      if (FAILED(hr = wholeNumber(number, INT32_MIN, INT32_MAX, whole))) return hr;
      out.lVal = static_cast<std::int32_t>(whole);
      break;
    case VT_UI1:
      if (FAILED(hr = wholeNumber(number, 0, 255, whole))) return hr;
      out.bVal = static_cast<std::uint8_t>(whole);
      break;
    case VT_R4:
      if (std::fabs(number) > 3.402823466e38) return DISP_E_OVERFLOW;
      out.fltVal = static_cast<float>(number);
      break;
    case VT_R8:
      out.dblVal = number;
      break;
    case VT_BOOL:
      out.boolVal = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    default:
      return DISP_E_BADVARTYPE;
  }
  out.vt = vt;
  return S_OK;
}

}  // namespace

void VariantInit(VARIANT* v) {
  if (v == nullptr) return;
  v->vt = VT_EMPTY;
  v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
  v->dblVal = 0;
}

HRESULT VariantClear(VARIANT* v) {
  if (v == nullptr) return E_INVALIDARG;
  if (v->vt == VT_BSTR) {
    SysFreeString(v->bstrVal);
  } else if (v->vt == kVariantArray) {
    HRESULT hr = SafeArrayDestroy(v->parray);
    if (FAILED(hr)) return hr;
  } else if (!isScalarKind(v->vt)) {
    return DISP_E_BADVARTYPE;
  }
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  if (dest == nullptr || src == nullptr) return E_INVALIDARG;
  if (dest == src) return S_OK;
  if (!isScalarKind(src->vt) && src->vt != kVariantArray) return DISP_E_BADVARTYPE;
  HRESULT hr = VariantClear(dest);
  if (FAILED(hr)) return hr;
  if (src->vt == VT_BSTR) {
    BSTR copy = nullptr;
    if (src->bstrVal != nullptr) {
      copy = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
      if (copy == nullptr) return E_OUTOFMEMORY;
    }
    *dest = *src;
    dest->bstrVal = copy;
  } else if (src->vt == kVariantArray) {
    SAFEARRAY* copy = nullptr;
    hr = SafeArrayCopy(src->parray, &copy);
    if (FAILED(hr)) return hr;
    *dest = *src;
    dest->parray = copy;
  } else {
    *dest = *src;
  }
  return S_OK;
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, WORD flags, VARTYPE vt) {
  if (dest == nullptr || src == nullptr) return E_INVALIDARG;
  VARIANT result;
  VariantInit(&result);
  HRESULT hr = convert(*src, flags, vt, result);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  *dest = result;
  return S_OK;
}

// --- _variant_t ---

_variant_t::_variant_t() noexcept { VariantInit(this); }

_variant_t::_variant_t(const VARIANT& v) {
  VariantInit(this);
  HRESULT hr = VariantCopy(this, &v);
  if (FAILED(hr)) _com_issue_error(hr);
}

_variant_t::_variant_t(const _variant_t& v) : _variant_t(static_cast<const VARIANT&>(v)) {}

_variant_t::_variant_t(_variant_t&& v) noexcept {
  VariantInit(this);
  static_cast<VARIANT&>(*this) = v.Detach();
}

_variant_t::_variant_t(short value, VARTYPE vt) {
  VariantInit(this);
  if (vt == VT_BOOL) {
    this->vt = VT_BOOL;
    boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (vt == VT_I2) {
    this->vt = VT_I2;
    iVal = value;
  } else {
    _com_issue_error(E_INVALIDARG);
  }
}

_variant_t::_variant_t(int value) {
  VariantInit(this);
  vt = VT_I4;
  lVal = value;
}

_variant_t::_variant_t(long value) {
  VariantInit(this);
  if (value < INT32_MIN || value > INT32_MAX) _com_issue_error(DISP_E_OVERFLOW);
  vt = VT_I4;
  lVal = static_cast<std::int32_t>(value);
}

_variant_t::_variant_t(float value) {
  VariantInit(this);
  vt = VT_R4;
  fltVal = value;
}

_variant_t::_variant_t(double value) {
  VariantInit(this);
  vt = VT_R8;
  dblVal = value;
}

_variant_t::_variant_t(bool value) {
  VariantInit(this);
  vt = VT_BOOL;
  boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

_variant_t::_variant_t(std::uint8_t value) {
  VariantInit(this);
  vt = VT_UI1;
  bVal = value;
}

_variant_t::_variant_t(const wchar_t* text) {
  VariantInit(this);
  BSTR b = SysAllocString(text == nullptr ? L"" : text);
  if (b == nullptr) _com_issue_error(E_OUTOFMEMORY);
  vt = VT_BSTR;
  bstrVal = b;
}

_variant_t::_variant_t(const _bstr_t& text) {
  VariantInit(this);
  BSTR b = text.copy();
  if (b == nullptr && text.GetBSTR() != nullptr) _com_issue_error(E_OUTOFMEMORY);
  vt = VT_BSTR;
  bstrVal = b;
}

_variant_t::~_variant_t() { VariantClear(this); }

_variant_t _variant_t::makeNull() {
  _variant_t v;
  v.vt = VT_NULL;
  return v;
}

_variant_t& _variant_t::operator=(const _variant_t& v) { return *this = static_cast<const VARIANT&>(v); }

_variant_t& _variant_t::operator=(_variant_t&& v) noexcept {
  if (this != &v) {
    VariantClear(this);
    static_cast<VARIANT&>(*this) = v.Detach();
  }
  return *this;
}

_variant_t& _variant_t::operator=(const VARIANT& v) {
  HRESULT hr = VariantCopy(this, &v);
  if (FAILED(hr)) _com_issue_error(hr);
  return *this;
}

void _variant_t::Clear() {
  HRESULT hr = VariantClear(this);
  if (FAILED(hr)) _com_issue_error(hr);
}

VARIANT _variant_t::Detach() noexcept {
  VARIANT out = *this;
  VariantInit(this);
  return out;
}

void _variant_t::Attach(VARIANT& v) {
  Clear();
  static_cast<VARIANT&>(*this) = v;
  VariantInit(&v);
}

void _variant_t::ChangeType(VARTYPE vt, const _variant_t* src) {
  HRESULT hr = VariantChangeType(this, src == nullptr ? this : src, 0, vt);
  if (FAILED(hr)) _com_issue_error(hr);
}

namespace {
_variant_t converted(const _variant_t& v, VARTYPE vt) {
  _variant_t out;
  out.ChangeType(vt, &v);
  return out;
}
}  // namespace

_variant_t::operator short() const { return vt == VT_I2 ? iVal : converted(*this, VT_I2).iVal; }
_variant_t::operator long() const { return vt == VT_I4 ? lVal : converted(*this, VT_I4).lVal; }
_variant_t::operator double() const { return vt == VT_R8 ? dblVal : converted(*this, VT_R8).dblVal; }
_variant_t::operator bool() const {
  return (vt == VT_BOOL ? boolVal : converted(*this, VT_BOOL).boolVal) != VARIANT_FALSE;
}
_variant_t::operator _bstr_t() const {
  _variant_t text = converted(*this, VT_BSTR);
  return _bstr_t(text.bstrVal, true);
}
