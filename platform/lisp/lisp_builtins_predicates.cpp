// List functions driven by a predicate the caller passes: vl-remove-if and
// vl-remove-if-not, vl-member-if and vl-member-if-not, vl-some and vl-every. Each pair
// is one routine told whether a true or a false answer counts.
#include <algorithm>
#include <cstdint>

#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"

namespace {

// The predicate's verdict on one item: true when its answer is not nil, turned over
// for the -not forms.
bool holds(LispInterpreter& in, const LispValue& predicate, const LispValue& item, bool wanted) {
  return !in.apply(predicate, {item}).isNil() == wanted;
}

// The items for which the predicate does not hold (vl-remove-if) or does
// (vl-remove-if-not) are left out.
LispValue removeWhere(LispInterpreter& in, const LispArgs& a, bool removeWhenTrue) {
  LispArgs kept;
  for (const LispValue& item : lispListArg(a[1])) {
    if (!holds(in, a[0], item, removeWhenTrue)) kept.push_back(item);
  }
  return LispValue::list(kept);
}

// The rest of the list from the first item that answers as wanted, or nil.
LispValue memberWhere(LispInterpreter& in, const LispArgs& a, bool wanted) {
  lispListArg(a[1]);
  for (const LispValue* cell = &a[1]; cell->isCons(); cell = &cell->cdr()) {
    if (holds(in, a[0], cell->car(), wanted)) return *cell;
  }
  return LispValue();
}

// Calls the predicate with the first items of every list, then the second items, up to
// the end of the shortest list, as mapcar does. vl-some answers the first answer that is
// not nil; vl-every answers T when no answer is nil.
LispValue overItems(LispInterpreter& in, const LispArgs& a, bool some) {
  std::vector<LispArgs> lists;
  size_t shortest = SIZE_MAX;
  for (size_t k = 1; k < a.size(); ++k) {
    lists.push_back(lispListArg(a[k]));
    shortest = std::min(shortest, lists.back().size());
  }
  for (size_t i = 0; i < shortest; ++i) {
    LispArgs call;
    for (const LispArgs& list : lists) call.push_back(list[i]);
    LispValue answer = in.apply(a[0], call);
    if (some && !answer.isNil()) return answer;
    if (!some && answer.isNil()) return LispValue();
  }
  return some ? LispValue() : LispValue::t();
}

}  // namespace

void lispDefinePredicateBuiltins(LispInterpreter& in) {
  struct Pair {
    const wchar_t* name;
    bool flag;
  };
  for (Pair p : {Pair{L"vl-remove-if", true}, Pair{L"vl-remove-if-not", false}}) {
    in.defineBuiltin(p.name, 2, 2, [flag = p.flag](LispInterpreter& i, const LispArgs& a) {
      return removeWhere(i, a, flag);
    });
  }
  for (Pair p : {Pair{L"vl-member-if", true}, Pair{L"vl-member-if-not", false}}) {
    in.defineBuiltin(p.name, 2, 2, [flag = p.flag](LispInterpreter& i, const LispArgs& a) {
      return memberWhere(i, a, flag);
    });
  }
  for (Pair p : {Pair{L"vl-some", true}, Pair{L"vl-every", false}}) {
    in.defineBuiltin(p.name, 2, -1, [flag = p.flag](LispInterpreter& i, const LispArgs& a) {
      return overItems(i, a, flag);
    });
  }
}
