// The conversions between VARIANTs and record fields.
#include "db/field_conversion.h"

#include <cmath>
#include <limits>

namespace {

std::int32_t truncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

// The platform's own conversion, for the kinds not handled directly.
bool changeType(const VARIANT& value, VARTYPE vt, VARIANT& converted) {
  VariantInit(&converted);
  if (SUCCEEDED(VariantChangeType(&converted, &value, 0, vt))) return true;
  VariantClear(&converted);
  return false;
}

}  // namespace

bool variantIsNull(const VARIANT& value) { return value.vt == VT_EMPTY || value.vt == VT_NULL; }

std::int32_t variantToInt(const VARIANT& value) {
  switch (value.vt) {
    case VT_I2: return value.iVal;
    case VT_I4: return value.lVal;
    case VT_R4: return truncateToInt(value.fltVal);
    case VT_R8: return truncateToInt(value.dblVal);
    case VT_BOOL: return value.boolVal;
    case VT_UI1: return value.bVal;
    default: return 0;
  }
}

double variantToReal(const VARIANT& value) {
  switch (value.vt) {
    case VT_R8: return value.dblVal;
    case VT_R4: return value.fltVal;
    case VT_I2: return value.iVal;
    case VT_I4: return value.lVal;
    case VT_BOOL: return value.boolVal;
    case VT_UI1: return value.bVal;
    case VT_BSTR: {
      VARIANT converted;
      if (!changeType(value, VT_R8, converted)) return 0.0;
      return converted.dblVal;
    }
    default: return 0.0;
  }
}

std::wstring variantToText(const VARIANT& value) {
  std::wstring text;
  if (value.vt == VT_BSTR) {
    if (value.bstrVal) text.assign(value.bstrVal, SysStringLen(value.bstrVal));
  } else if (!variantIsNull(value)) {
    VARIANT converted;
    if (changeType(value, VT_BSTR, converted)) {
      if (converted.bstrVal) text.assign(converted.bstrVal, SysStringLen(converted.bstrVal));
      VariantClear(&converted);
    }
  }
  std::size_t end = text.find_last_not_of(L' ');
  text.erase(end == std::wstring::npos ? 0 : end + 1);
  return text;
}

bool variantToBool(const VARIANT& value) { return static_cast<std::int16_t>(variantToInt(value)) == -1; }

void sendInt(VARIANT& target, std::int32_t value) {
  target.vt = VT_I4;
  target.lVal = value;
}

void sendReal(VARIANT& target, double value) {
  target.vt = VT_R8;
  target.dblVal = value;
}

void sendText(VARIANT& target, const std::wstring& text) {
  target.vt = VT_BSTR;
  target.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

void sendBool(VARIANT& target, bool value) {
  target.vt = VT_I2;
  target.iVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void sendNull(VARIANT& target) { target.vt = VT_NULL; }
