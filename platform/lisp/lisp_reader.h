// Reading LISP text into values: numbers, strings, symbols, lists, dotted pairs,
// 'x quoting and comments. Bad text gives the host's reader messages, never a crash.
#pragma once

#include <string>
#include <vector>

#include "lisp/lisp_value.h"

// Reads every top-level form. On bad text answers false with the message
// ("malformed list on input", "extra right paren on input", "misplaced dot on input",
// "malformed string on input"); the forms complete before the fault are kept.
bool lispReadAll(const std::wstring& text, std::vector<LispValue>& forms, std::wstring& error);
// The same for UTF-8 text as it comes from files and the terminal.
bool lispReadAll(const std::string& utf8, std::vector<LispValue>& forms, std::wstring& error);

// The length of the number at the start of text as the reader sees one: an optional
// sign, digits with an optional point, an optional exponent (0 when there is none).
size_t lispNumberPrefixLength(const std::wstring& text, size_t start = 0);
// The value of a number the reader accepts (an integer or a real token), whatever
// the process locale.
double lispParseReal(const std::wstring& number);
