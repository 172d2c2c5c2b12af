// The vl-string functions (searching, substituting, trimming, translating, character
// codes), wcmatch, and printing a value into a string. Positions count from 0.
#include <cstdint>

#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_printer.h"
#include "lisp/wcmatch.h"

namespace {

LispValue positionValue(size_t position) {
  return position == std::wstring::npos ? LispValue() : LispValue::integer(static_cast<std::int32_t>(position));
}

// An optional start position: absent or nil is 0; a negative one is refused.
size_t startArg(const LispArgs& a, size_t index) {
  if (a.size() <= index || a[index].isNil()) return 0;
  std::int32_t start = lispIntArg(a[index]);
  if (start < 0) lispBadValue(L"non-negative", a[index]);
  return static_cast<size_t>(start);
}

// (vl-string-search pattern str [start]): where pattern first occurs at or after start.
LispValue search(const LispArgs& a) {
  const std::wstring& pattern = lispStringArg(a[0]);
  const std::wstring& text = lispStringArg(a[1]);
  size_t start = startArg(a, 2);
  return positionValue(start > text.size() ? std::wstring::npos : text.find(pattern, start));
}

// (vl-string-subst new pattern str [start]): only the first occurrence is replaced.
LispValue substitute(const LispArgs& a) {
  const std::wstring& replacement = lispStringArg(a[0]);
  const std::wstring& pattern = lispStringArg(a[1]);
  std::wstring text = lispStringArg(a[2]);
  size_t start = startArg(a, 3);
  size_t at = start > text.size() ? std::wstring::npos : text.find(pattern, start);
  if (at != std::wstring::npos) text.replace(at, pattern.size(), replacement);
  return LispValue::string(text);
}

// The trim family: the characters of the set come off one end or both.
enum Ends { kLeft = 1, kRight = 2, kBoth = 3 };

LispValue trim(const LispArgs& a, int ends) {
  const std::wstring& set = lispStringArg(a[0]);
  const std::wstring& text = lispStringArg(a[1]);
  size_t first = (ends & kLeft) ? text.find_first_not_of(set) : 0;
  if (first == std::wstring::npos) return LispValue::string(L"");
  size_t last = (ends & kRight) ? text.find_last_not_of(set) : text.size() - 1;
  return LispValue::string(text.substr(first, last + 1 - first));
}

// Each character of the source set becomes the character at the same place of the
// destination set; one beyond the destination's end stays as it is.
LispValue translate(const LispArgs& a) {
  const std::wstring& from = lispStringArg(a[0]);
  const std::wstring& to = lispStringArg(a[1]);
  std::wstring text = lispStringArg(a[2]);
  for (wchar_t& c : text) {
    size_t k = from.find(c);
    if (k != std::wstring::npos && k < to.size()) c = to[k];
  }
  return LispValue::string(text);
}

// (vl-string-position code str [start [from-end]]): from the end, the search goes
// backwards from the last character down to start.
LispValue characterPosition(const LispArgs& a) {
  auto code = static_cast<wchar_t>(lispIntArg(a[0]));
  const std::wstring& text = lispStringArg(a[1]);
  size_t start = startArg(a, 2);
  bool fromEnd = a.size() > 3 && !a[3].isNil();
  if (start >= text.size()) return LispValue();
  size_t at = fromEnd ? text.rfind(code) : text.find(code, start);
  return positionValue(at != std::wstring::npos && at < start ? std::wstring::npos : at);
}

LispValue element(const LispArgs& a) {
  const std::wstring& text = lispStringArg(a[0]);
  std::int32_t position = lispIntArg(a[1]);
  if (position < 0 || static_cast<size_t>(position) >= text.size()) lispBadValue(L"string position", a[1]);
  return LispValue::integer(static_cast<std::int32_t>(text[static_cast<size_t>(position)]));
}

LispValue toCodes(const std::wstring& text) {
  LispArgs codes;
  for (wchar_t c : text) codes.push_back(LispValue::integer(static_cast<std::int32_t>(c)));
  return LispValue::list(codes);
}

LispValue fromCodes(const LispValue& list) {
  std::wstring text;
  for (const LispValue& code : lispListArg(list)) text += static_cast<wchar_t>(lispIntArg(code));
  return LispValue::string(text);
}

}  // namespace

void lispDefineStringBuiltins(LispInterpreter& in) {
  in.defineBuiltin(L"vl-string-search", 2, 3, [](LispInterpreter&, const LispArgs& a) { return search(a); });
  in.defineBuiltin(L"vl-string-subst", 3, 4, [](LispInterpreter&, const LispArgs& a) { return substitute(a); });
  struct Trim {
    const wchar_t* name;
    int ends;
  };
  for (Trim t : {Trim{L"vl-string-trim", kBoth}, Trim{L"vl-string-left-trim", kLeft},
                 Trim{L"vl-string-right-trim", kRight}}) {
    in.defineBuiltin(t.name, 2, 2, [ends = t.ends](LispInterpreter&, const LispArgs& a) { return trim(a, ends); });
  }
  in.defineBuiltin(L"vl-string-translate", 3, 3, [](LispInterpreter&, const LispArgs& a) { return translate(a); });
  in.defineBuiltin(L"vl-string-position", 2, 4, [](LispInterpreter&, const LispArgs& a) {
    return characterPosition(a);
  });
  in.defineBuiltin(L"vl-string-elt", 2, 2, [](LispInterpreter&, const LispArgs& a) { return element(a); });
  in.defineBuiltin(L"vl-string->list", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return toCodes(lispStringArg(a[0]));
  });
  in.defineBuiltin(L"vl-list->string", 1, 1, [](LispInterpreter&, const LispArgs& a) { return fromCodes(a[0]); });
  in.defineBuiltin(L"wcmatch", 2, 2, [](LispInterpreter&, const LispArgs& a) {
    return lispBool(lispWcMatch(lispStringArg(a[0]), lispStringArg(a[1])));
  });
  in.defineBuiltin(L"vl-prin1-to-string", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::string(lispToString(a[0], LispPrintStyle::kPrin1));
  });
  in.defineBuiltin(L"vl-princ-to-string", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::string(lispToString(a[0], LispPrintStyle::kPrinc));
  });
}
