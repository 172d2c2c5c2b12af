// String functions, conversions between numbers and text, and printing to the host's
// command line (princ, prin1, print, terpri).
#include <algorithm>
#include <cstdint>
#include <limits>

#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_printer.h"
#include "lisp/lisp_reader.h"

namespace {

size_t skipBlanks(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t' || text[i] == L'\n' || text[i] == L'\r')) ++i;
  return i;
}

LispValue substr(const LispArgs& a) {
  const std::wstring& text = lispStringArg(a[0]);
  std::int32_t start = lispIntArg(a[1]);
  if (start < 1) lispBadValue(L"positive", a[1]);
  std::int32_t count = std::numeric_limits<std::int32_t>::max();
  if (a.size() == 3) {
    count = lispIntArg(a[2]);
    if (count < 0) lispBadValue(L"non-negative", a[2]);
  }
  size_t first = static_cast<size_t>(start) - 1;
  if (first >= text.size()) return LispValue::string(L"");
  return LispValue::string(text.substr(first, static_cast<size_t>(count)));
}

// The leading integer of a text, as C's atoi reads it, kept within 32 bits.
LispValue atoi(const std::wstring& text) {
  size_t i = skipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = std::min<std::int64_t>(value * 10 + (text[i] - L'0'), std::int64_t(1) << 32);
  }
  if (negative) value = -value;
  value = std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                   std::numeric_limits<std::int32_t>::max());
  return LispValue::integer(static_cast<std::int32_t>(value));
}

LispValue atof(const std::wstring& text) {
  size_t start = skipBlanks(text);
  size_t length = lispNumberPrefixLength(text, start);
  return LispValue::real(length == 0 ? 0.0 : lispParseReal(text.substr(start, length)));
}

LispValue strcase(const LispArgs& a) {
  std::wstring text = lispStringArg(a[0]);
  bool lower = a.size() == 2 && !a[1].isNil();
  for (wchar_t& c : text) {
    if (lower && c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (!lower && c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return LispValue::string(text);
}

LispValue read(const LispArgs& a) {
  if (a.empty()) return LispValue();
  std::vector<LispValue> forms;
  std::wstring error;
  if (!lispReadAll(lispStringArg(a[0]), forms, error) && forms.empty()) throw LispError(error);
  return forms.empty() ? LispValue() : forms.front();
}

// princ, prin1 and print answer what they print; with nothing to print they answer
// the symbol that prints as nothing, so that a script can end quietly.
void definePrinter(LispInterpreter& in, const wchar_t* name, LispPrintStyle style, const wchar_t* before,
                   const wchar_t* after) {
  in.defineBuiltin(name, 0, 1, [style, before, after](LispInterpreter& i, const LispArgs& a) {
    if (a.empty()) return LispValue::voidSymbol();
    i.printText(before + lispToString(a[0], style) + after);
    return a[0];
  });
}

}  // namespace

void lispDefineTextBuiltins(LispInterpreter& in) {
  in.defineBuiltin(L"strcat", 0, -1, [](LispInterpreter&, const LispArgs& a) {
    std::wstring text;
    for (const LispValue& part : a) text += lispStringArg(part);
    return LispValue::string(text);
  });
  in.defineBuiltin(L"strlen", 0, -1, [](LispInterpreter&, const LispArgs& a) {
    size_t length = 0;
    for (const LispValue& part : a) length += lispStringArg(part).size();
    return LispValue::integer(static_cast<std::int32_t>(length));
  });
  in.defineBuiltin(L"substr", 2, 3, [](LispInterpreter&, const LispArgs& a) { return substr(a); });
  in.defineBuiltin(L"strcase", 1, 2, [](LispInterpreter&, const LispArgs& a) { return strcase(a); });
  in.defineBuiltin(L"itoa", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::string(std::to_wstring(lispIntArg(a[0])));
  });
  in.defineBuiltin(L"atoi", 1, 1, [](LispInterpreter&, const LispArgs& a) { return atoi(lispStringArg(a[0])); });
  in.defineBuiltin(L"atof", 1, 1, [](LispInterpreter&, const LispArgs& a) { return atof(lispStringArg(a[0])); });
  in.defineBuiltin(L"ascii", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    const std::wstring& text = lispStringArg(a[0]);
    return LispValue::integer(text.empty() ? 0 : static_cast<std::int32_t>(text[0]));
  });
  in.defineBuiltin(L"chr", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::string(std::wstring(1, static_cast<wchar_t>(lispIntArg(a[0]))));
  });
  in.defineBuiltin(L"read", 0, 1, [](LispInterpreter&, const LispArgs& a) { return read(a); });
  definePrinter(in, L"princ", LispPrintStyle::kPrinc, L"", L"");
  definePrinter(in, L"prin1", LispPrintStyle::kPrin1, L"", L"");
  definePrinter(in, L"print", LispPrintStyle::kPrin1, L"\n", L" ");
  in.defineBuiltin(L"terpri", 0, 0, [](LispInterpreter& i, const LispArgs&) {
    i.printText(L"\n");
    return LispValue();
  });
}
