// Argument checks of the built-in functions and the host LISP's wrong-type messages.
#include "lisp/lisp_args.h"

#include "lisp/lisp_printer.h"

void lispBadArgument(const std::wstring& predicate, const LispValue& value) {
  bool colon = predicate == L"numberp" || predicate == L"fixnump" || predicate == L"2D/3D point";
  throw LispError(L"bad argument type: " + predicate + (colon ? L": " : L" ") + lispToString(value));
}

void lispBadValue(const std::wstring& what, const LispValue& value) {
  throw LispError(L"bad argument value: " + what + L" " + lispToString(value));
}

std::int32_t lispIntArg(const LispValue& value) {
  if (!value.isInt()) lispBadArgument(L"fixnump", value);
  return value.intValue();
}

double lispNumberArg(const LispValue& value) {
  if (!value.isNumber()) lispBadArgument(L"numberp", value);
  return value.numberValue();
}

const std::wstring& lispStringArg(const LispValue& value) {
  if (!value.isString()) lispBadArgument(L"stringp", value);
  return value.text();
}

const std::wstring& lispSymbolArg(const LispValue& value) {
  if (!value.isSymbol()) lispBadArgument(L"symbolp", value);
  return value.text();
}

AcDbObjectId lispEnameArg(const LispValue& value) {
  if (!value.isEname()) lispBadArgument(L"lentityp", value);
  return value.enameId();
}

LispArgs lispListArg(const LispValue& value) {
  LispArgs items;
  if (!lispListItems(value, items)) lispBadArgument(L"listp", value);
  return items;
}

LispPoint lispPointArg(const LispValue& value) {
  LispArgs items;
  bool ok = lispListItems(value, items) && (items.size() == 2 || items.size() == 3);
  for (size_t i = 0; ok && i < items.size(); ++i) ok = items[i].isNumber();
  if (!ok) lispBadArgument(L"2D/3D point", value);
  LispPoint p;
  p.x = items[0].numberValue();
  p.y = items[1].numberValue();
  p.is3d = items.size() == 3;
  if (p.is3d) p.z = items[2].numberValue();
  return p;
}

LispValue lispPointValue(const LispPoint& point) {
  LispArgs items{LispValue::real(point.x), LispValue::real(point.y)};
  if (point.is3d) items.push_back(LispValue::real(point.z));
  return LispValue::list(items);
}
