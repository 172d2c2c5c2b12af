// List functions: building and taking apart lists, searching and substituting items
// by equality, and mapping functions over them.
#include <algorithm>
#include <cstdint>

#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"

namespace {

// One step of car or cdr: nil gives nil, any other atom is an error.
const LispValue& carOrCdr(const LispValue& value, wchar_t step) {
  if (!value.isList()) lispBadArgument(L"consp", value);
  return step == L'a' ? value.car() : value.cdr();
}

// Defines car, cdr and every composition of them up to four steps (cadr, cdar,
// caddr ... cddddr); the letters apply from right to left.
void defineCarCdrFamily(LispInterpreter& in) {
  std::vector<std::wstring> names{L"a", L"d"};
  for (size_t begin = 0; names.size() < 30;) {
    size_t end = names.size();
    for (size_t k = begin; k < end; ++k) {
      names.push_back(L"a" + names[k]);
      names.push_back(L"d" + names[k]);
    }
    begin = end;
  }
  for (const std::wstring& steps : names) {
    in.defineBuiltin(L"c" + steps + L"r", 1, 1, [steps](LispInterpreter&, const LispArgs& a) {
      const LispValue* value = &a[0];
      for (auto it = steps.rbegin(); it != steps.rend(); ++it) value = &carOrCdr(*value, *it);
      return *value;
    });
  }
}

LispValue nth(const LispValue& index, const LispValue& list) {
  std::int32_t n = lispIntArg(index);
  if (!list.isList()) lispBadArgument(L"listp", list);
  const LispValue* cell = &list;
  for (std::int32_t k = 0; k < n && cell->isCons(); ++k) cell = &cell->cdr();
  return n < 0 ? LispValue() : cell->car();
}

LispValue append(const LispArgs& lists) {
  LispArgs all;
  for (const LispValue& list : lists) {
    LispArgs items = lispListArg(list);
    all.insert(all.end(), items.begin(), items.end());
  }
  return LispValue::list(all);
}

LispValue assoc(const LispValue& key, const LispValue& alist) {
  for (const LispValue& entry : lispListArg(alist)) {
    if (entry.isCons() && lispEqual(entry.car(), key)) return entry;
  }
  return LispValue();
}

LispValue member(const LispValue& item, const LispValue& list) {
  if (!list.isList()) lispBadArgument(L"listp", list);
  for (const LispValue* cell = &list; cell->isCons(); cell = &cell->cdr()) {
    if (lispEqual(cell->car(), item)) return *cell;
  }
  return LispValue();
}

// A copy of the list with every top-level item equal to oldItem replaced by newItem.
LispValue subst(const LispValue& newItem, const LispValue& oldItem, const LispValue& list) {
  LispArgs items = lispListArg(list);
  for (LispValue& item : items) {
    if (lispEqual(item, oldItem)) item = newItem;
  }
  return LispValue::list(items);
}

// (vl-list* a b ... tail): the items in front of the last argument, which ends the list
// (a dotted one when it is an atom).
LispValue listStar(const LispArgs& a) {
  return LispValue::list(LispArgs(a.begin(), a.end() - 1), a.back());
}

// The number of items of a proper list, nil for a dotted one.
LispValue listLength(const LispValue& list) {
  if (!list.isList()) lispBadArgument(L"listp", list);
  LispArgs items;
  if (!lispListItems(list, items)) return LispValue();
  return LispValue::integer(static_cast<std::int32_t>(items.size()));
}

LispValue position(const LispValue& item, const LispValue& list) {
  LispArgs items = lispListArg(list);
  for (size_t k = 0; k < items.size(); ++k) {
    if (lispEqual(items[k], item)) return LispValue::integer(static_cast<std::int32_t>(k));
  }
  return LispValue();
}

LispValue removeAll(const LispValue& item, const LispValue& list) {
  LispArgs kept;
  for (const LispValue& each : lispListArg(list)) {
    if (!lispEqual(each, item)) kept.push_back(each);
  }
  return LispValue::list(kept);
}

// (mapcar fn list ...) calls fn with the first items of every list, then the second
// items, up to the end of the shortest list.
LispValue mapcar(LispInterpreter& in, const LispArgs& args) {
  std::vector<LispArgs> lists;
  size_t shortest = SIZE_MAX;
  for (size_t k = 1; k < args.size(); ++k) {
    lists.push_back(lispListArg(args[k]));
    shortest = std::min(shortest, lists.back().size());
  }
  LispArgs results;
  for (size_t i = 0; i < shortest; ++i) {
    LispArgs call;
    for (const LispArgs& list : lists) call.push_back(list[i]);
    results.push_back(in.apply(args[0], call));
  }
  return LispValue::list(results);
}

}  // namespace

void lispDefineListBuiltins(LispInterpreter& in) {
  defineCarCdrFamily(in);
  in.defineBuiltin(L"list", 0, -1, [](LispInterpreter&, const LispArgs& a) { return LispValue::list(a); });
  in.defineBuiltin(L"cons", 2, 2, [](LispInterpreter&, const LispArgs& a) { return LispValue::cons(a[0], a[1]); });
  in.defineBuiltin(L"nth", 2, 2, [](LispInterpreter&, const LispArgs& a) { return nth(a[0], a[1]); });
  in.defineBuiltin(L"length", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::integer(static_cast<std::int32_t>(lispListArg(a[0]).size()));
  });
  in.defineBuiltin(L"append", 0, -1, [](LispInterpreter&, const LispArgs& a) { return append(a); });
  in.defineBuiltin(L"reverse", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    LispArgs items = lispListArg(a[0]);
    std::reverse(items.begin(), items.end());
    return LispValue::list(items);
  });
  in.defineBuiltin(L"last", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    LispArgs items = lispListArg(a[0]);
    return items.empty() ? LispValue() : items.back();
  });
  in.defineBuiltin(L"assoc", 2, 2, [](LispInterpreter&, const LispArgs& a) { return assoc(a[0], a[1]); });
  in.defineBuiltin(L"member", 2, 2, [](LispInterpreter&, const LispArgs& a) { return member(a[0], a[1]); });
  in.defineBuiltin(L"equal", 2, 3, [](LispInterpreter&, const LispArgs& a) {
    double fuzz = a.size() == 3 ? lispNumberArg(a[2]) : 0.0;
    return lispEqual(a[0], a[1], fuzz) ? LispValue::t() : LispValue();
  });
  in.defineBuiltin(L"subst", 3, 3, [](LispInterpreter&, const LispArgs& a) { return subst(a[0], a[1], a[2]); });
  in.defineBuiltin(L"vl-list*", 1, -1, [](LispInterpreter&, const LispArgs& a) { return listStar(a); });
  in.defineBuiltin(L"vl-consp", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return a[0].isCons() ? LispValue::t() : LispValue();
  });
  in.defineBuiltin(L"vl-list-length", 1, 1, [](LispInterpreter&, const LispArgs& a) { return listLength(a[0]); });
  in.defineBuiltin(L"vl-position", 2, 2, [](LispInterpreter&, const LispArgs& a) { return position(a[0], a[1]); });
  in.defineBuiltin(L"vl-remove", 2, 2, [](LispInterpreter&, const LispArgs& a) { return removeAll(a[0], a[1]); });
  in.defineBuiltin(L"mapcar", 2, -1, mapcar);
  in.defineBuiltin(L"apply", 2, 2, [](LispInterpreter& i, const LispArgs& a) {
    return i.apply(a[0], lispListArg(a[1]));
  });
}
