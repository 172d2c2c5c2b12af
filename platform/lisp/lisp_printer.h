// Printing LISP values as the host's LISP prints them: prin1 (readable, strings
// quoted and escaped) and princ (strings raw).
#pragma once

#include <string>

#include "lisp/lisp_value.h"

enum class LispPrintStyle { kPrin1, kPrinc };

// Six significant digits and always a decimal point: 4.0, 0.333333, 1.0e+08.
std::wstring lispFormatReal(double value);
std::wstring lispToString(const LispValue& value, LispPrintStyle style = LispPrintStyle::kPrin1);
