// Checking the arguments of built-in functions, with the host LISP's messages for a
// wrong type ("bad argument type: numberp: \"a\"").
#pragma once

#include <string>

#include "lisp/lisp_value.h"

// Throws "bad argument type: PREDICATE VALUE" (numberp and fixnump take a colon
// after the predicate, as the host writes them).
[[noreturn]] void lispBadArgument(const std::wstring& predicate, const LispValue& value);
// Throws "bad argument value: WHAT VALUE" for a value of the right type out of range.
[[noreturn]] void lispBadValue(const std::wstring& what, const LispValue& value);

std::int32_t lispIntArg(const LispValue& value);           // fixnump
double lispNumberArg(const LispValue& value);              // numberp
const std::wstring& lispStringArg(const LispValue& value);  // stringp
const std::wstring& lispSymbolArg(const LispValue& value);  // symbolp
AcDbObjectId lispEnameArg(const LispValue& value);         // lentityp
// T or nil.
inline LispValue lispBool(bool b) { return b ? LispValue::t() : LispValue(); }

// A proper list's items (listp); a dotted list is refused as well.
LispArgs lispListArg(const LispValue& value);

// A 2D or 3D point: a list of two or three numbers. z is 0 for a 2D point.
struct LispPoint {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  bool is3d = false;
};
LispPoint lispPointArg(const LispValue& value);
LispValue lispPointValue(const LispPoint& point);
