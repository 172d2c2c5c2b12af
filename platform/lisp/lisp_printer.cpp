// Printing LISP values: reals in the host's six-digit form, escaped strings, upper-case
// symbols, lists and dotted pairs, entity names and functions.
#include "lisp/lisp_printer.h"

#include <charconv>
#include <cmath>
#include <cwchar>
#include <vector>

namespace {

void appendEscaped(const std::wstring& text, std::wstring& out) {
  out += L'"';
  for (wchar_t c : text) {
    switch (c) {
      case L'"': out += L"\\\""; break;
      case L'\\': out += L"\\\\"; break;
      case L'\n': out += L"\\n"; break;
      case L'\t': out += L"\\t"; break;
      case L'\r': out += L"\\r"; break;
      case 27: out += L"\\e"; break;
      default:
        if (c >= 0 && c < 32) {
          wchar_t octal[8];
          std::swprintf(octal, 8, L"\\%03o", static_cast<unsigned>(c));
          out += octal;
        } else {
          out += c;
        }
    }
  }
  out += L'"';
}

void appendFunction(const LispValue& value, std::wstring& out) {
  if (const LispSubr* subr = value.subr()) {
    out += subr->external ? L"#<EXRXSUBR " : L"#<SUBR ";
    out += subr->name;
  } else {
    const std::wstring& name = value.userFn()->name;
    out += L"#<USUBR ";
    out += name.empty() ? L"-lambda-" : name;
  }
  out += L'>';
}

void appendAtom(const LispValue& value, LispPrintStyle style, std::wstring& out) {
  switch (value.type()) {
    case LispType::kNil: out += L"nil"; break;
    case LispType::kInt: out += std::to_wstring(value.intValue()); break;
    case LispType::kReal: out += lispFormatReal(value.numberValue()); break;
    case LispType::kString:
      if (style == LispPrintStyle::kPrinc) out += value.text();
      else appendEscaped(value.text(), out);
      break;
    case LispType::kSymbol: out += value.text(); break;
    case LispType::kEname: {
      wchar_t hex[32];
      std::swprintf(hex, 32, L"%llx", static_cast<unsigned long long>(value.enameId().asOldId()));
      out += L"<Entity name: ";
      out += hex;
      out += L'>';
      break;
    }
    case LispType::kSubr:
    case LispType::kUserFn: appendFunction(value, out); break;
    case LispType::kHostObject: out += value.hostObject()->printedForm(); break;
    case LispType::kCons: break;  // lists are walked by the caller
  }
}

}  // namespace

std::wstring lispFormatReal(double value) {
  if (std::isnan(value)) return L"1.#QNAN";
  if (std::isinf(value)) return value > 0 ? L"1.#INF" : L"-1.#INF";
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
  std::string text(buf, result.ptr);
  // %g drops the point of whole numbers ("4", "1e+08"); the host always shows it.
  if (text.find('.') == std::string::npos) {
    size_t e = text.find('e');
    if (e == std::string::npos) text += ".0";
    else text.insert(e, ".0");
  }
  return std::wstring(text.begin(), text.end());
}

// Walks lists with an explicit stack of the cells still to print, so that a list
// nested a million deep prints without exhausting the machine stack.
std::wstring lispToString(const LispValue& value, LispPrintStyle style) {
  std::wstring out;
  if (!value.isCons()) {
    appendAtom(value, style, out);
    return out;
  }
  struct Frame {
    const LispValue* cell;
    bool carDone;
  };
  std::vector<Frame> stack{{&value, false}};
  out += L'(';
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (!top.carDone) {
      top.carDone = true;
      const LispValue& item = top.cell->car();
      if (item.isCons()) {
        out += L'(';
        stack.push_back({&item, false});
        continue;
      }
      appendAtom(item, style, out);
    }
    const LispValue& rest = top.cell->cdr();
    if (rest.isCons()) {
      out += L' ';
      top = {&rest, false};
    } else {
      if (!rest.isNil()) {
        out += L" . ";
        appendAtom(rest, style, out);
      }
      out += L')';
      stack.pop_back();
    }
  }
  return out;
}
