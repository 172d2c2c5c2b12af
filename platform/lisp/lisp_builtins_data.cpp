// Questions about values (type, null, atom, listp, eq), symbols (boundp,
// atoms-family, vl-symbol-name, vl-symbol-value, vl-symbolp) and evaluation as a
// function (set, eval).
#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"

namespace {

LispValue typeOf(const LispValue& value) {
  switch (value.type()) {
    case LispType::kNil: return LispValue();
    case LispType::kInt: return LispValue::symbol(L"INT");
    case LispType::kReal: return LispValue::symbol(L"REAL");
    case LispType::kString: return LispValue::symbol(L"STR");
    case LispType::kSymbol: return LispValue::symbol(L"SYM");
    case LispType::kCons: return LispValue::symbol(L"LIST");
    case LispType::kEname: return LispValue::symbol(L"ENAME");
    case LispType::kSubr: return LispValue::symbol(value.subr()->external ? L"EXRXSUBR" : L"SUBR");
    case LispType::kUserFn: return LispValue::symbol(L"USUBR");
    case LispType::kHostObject: return LispValue::symbol(value.hostObject()->typeName());
  }
  return LispValue();
}

// Identity: the same list, string or function object; numbers, symbols and entity
// names are the same when their values are.
bool identical(const LispValue& a, const LispValue& b) {
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case LispType::kNil: return true;
    case LispType::kInt:
    case LispType::kReal: return a.numberValue() == b.numberValue();
    case LispType::kSymbol: return a.text() == b.text();
    case LispType::kEname: return a.enameId() == b.enameId();
    default: return a.sameObject(b);
  }
}

// (atoms-family format [names]): the symbols that have a value (format 0) or their
// names (format 1), in alphabetical order; with names, one answer for each, nil for a
// name without a value.
LispValue atomsFamily(const LispInterpreter& in, const LispArgs& a) {
  std::int32_t format = lispIntArg(a[0]);
  if (format != 0 && format != 1) lispBadValue(L"atoms-family format", a[0]);
  auto answer = [format](const std::wstring& name) {
    return format == 0 ? LispValue::symbol(name) : LispValue::string(name);
  };
  LispArgs answers;
  if (a.size() > 1 && !a[1].isNil()) {
    for (const LispValue& name : lispListArg(a[1])) {
      std::wstring upper = lispUpperName(lispStringArg(name));
      answers.push_back(in.symbolValue(upper).isNil() ? LispValue() : answer(upper));
    }
  } else {
    for (const std::wstring& name : in.boundSymbolNames()) answers.push_back(answer(name));
  }
  return LispValue::list(answers);
}

}  // namespace

void lispDefineDataBuiltins(LispInterpreter& in) {
  in.defineBuiltin(L"type", 1, 1, [](LispInterpreter&, const LispArgs& a) { return typeOf(a[0]); });
  in.defineBuiltin(L"null", 1, 1, [](LispInterpreter&, const LispArgs& a) { return lispBool(a[0].isNil()); });
  in.defineBuiltin(L"not", 1, 1, [](LispInterpreter&, const LispArgs& a) { return lispBool(a[0].isNil()); });
  in.defineBuiltin(L"atom", 1, 1, [](LispInterpreter&, const LispArgs& a) { return lispBool(!a[0].isCons()); });
  in.defineBuiltin(L"listp", 1, 1, [](LispInterpreter&, const LispArgs& a) { return lispBool(a[0].isList()); });
  in.defineBuiltin(L"eq", 2, 2, [](LispInterpreter&, const LispArgs& a) { return lispBool(identical(a[0], a[1])); });
  in.defineBuiltin(L"boundp", 1, 1, [](LispInterpreter& i, const LispArgs& a) {
    return lispBool(!i.symbolValue(lispSymbolArg(a[0])).isNil());
  });
  in.defineBuiltin(L"set", 2, 2, [](LispInterpreter& i, const LispArgs& a) {
    i.setSymbolValue(lispSymbolArg(a[0]), a[1]);
    return a[1];
  });
  in.defineBuiltin(L"eval", 1, 1, [](LispInterpreter& i, const LispArgs& a) { return i.eval(a[0]); });
  in.defineBuiltin(L"atoms-family", 1, 2, [](LispInterpreter& i, const LispArgs& a) { return atomsFamily(i, a); });
  in.defineBuiltin(L"vl-symbol-name", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::string(lispSymbolArg(a[0]));
  });
  in.defineBuiltin(L"vl-symbol-value", 1, 1, [](LispInterpreter& i, const LispArgs& a) {
    return i.symbolValue(lispSymbolArg(a[0]));
  });
  in.defineBuiltin(L"vl-symbolp", 1, 1, [](LispInterpreter&, const LispArgs& a) { return lispBool(a[0].isSymbol()); });
}
