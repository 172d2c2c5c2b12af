// How a record's typed fields are read from the component's VARIANTs and sent back:
// the conversions every record class shares.
#pragma once

#include <cstdint>
#include <string>

#include "com/variant.h"

// VT_EMPTY and VT_NULL: the database had no value.
bool variantIsNull(const VARIANT& value);
// VT_I2, VT_I4, VT_R4, VT_R8 (truncated toward zero, saturated at the 32-bit range),
// VT_BOOL and VT_UI1; anything else is 0.
std::int32_t variantToInt(const VARIANT& value);
// Any number, a boolean, or a text that is a number; anything else is 0.
double variantToReal(const VARIANT& value);
// The value converted to text, then trailing blanks removed (leading ones stay): the
// project files pad texts with blanks and store an empty text as one blank.
std::wstring variantToText(const VARIANT& value);
// True only when the value, taken as a 16-bit integer, is -1 (the database's true).
bool variantToBool(const VARIANT& value);

// The VARIANTs sent for a field. `target` is overwritten without being cleared, as the
// fresh elements of a new array are.
void sendInt(VARIANT& target, std::int32_t value);
void sendReal(VARIANT& target, double value);
void sendText(VARIANT& target, const std::wstring& text);
// VT_I2 -1 for true, 0 for false.
void sendBool(VARIANT& target, bool value);
void sendNull(VARIANT& target);
