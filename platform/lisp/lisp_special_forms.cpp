// The forms whose arguments are not evaluated first: quote, setq, defun, lambda and
// the control forms if, cond, progn, while, repeat, foreach, and, or.
#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"

namespace {

// Evaluates forms in order and answers the last value (nil for none).
LispValue evalSequence(LispInterpreter& in, const LispArgs& forms, size_t first) {
  LispValue result;
  for (size_t i = first; i < forms.size(); ++i) result = in.eval(forms[i]);
  return result;
}

bool isTrue(const LispValue& value) { return !value.isNil(); }

LispValue setq(LispInterpreter& in, const LispArgs& args) {
  if (args.size() % 2 != 0) throw LispError(L"too few arguments");
  LispValue value;
  for (size_t i = 0; i < args.size(); i += 2) {
    const std::wstring& name = lispSymbolArg(args[i]);
    value = in.eval(args[i + 1]);
    in.setSymbolValue(name, value);
  }
  return value;
}

LispValue defun(LispInterpreter& in, const LispArgs& args) {
  const std::wstring& name = lispSymbolArg(args[0]);
  LispArgs body(args.begin() + 2, args.end());
  in.setSymbolValue(name, lispMakeUserFn(name, args[1], LispValue::list(body)));
  return args[0];
}

LispValue cond(LispInterpreter& in, const LispArgs& clauses) {
  for (const LispValue& clause : clauses) {
    LispArgs forms;
    if (!clause.isCons() || !lispListItems(clause, forms)) lispBadArgument(L"consp", clause);
    LispValue test = in.eval(forms[0]);
    if (isTrue(test)) return forms.size() == 1 ? test : evalSequence(in, forms, 1);
  }
  return LispValue();
}

LispValue whileForm(LispInterpreter& in, const LispArgs& args) {
  LispValue result;
  while (isTrue(in.eval(args[0]))) result = evalSequence(in, args, 1);
  return result;
}

LispValue repeat(LispInterpreter& in, const LispArgs& args) {
  std::int32_t count = lispIntArg(in.eval(args[0]));
  LispValue result;
  for (std::int32_t i = 0; i < count; ++i) result = evalSequence(in, args, 1);
  return result;
}

LispValue foreach(LispInterpreter& in, const LispArgs& args) {
  const std::wstring& name = lispSymbolArg(args[0]);
  LispArgs items = lispListArg(in.eval(args[1]));
  LispBindingScope scope(in);
  scope.bind(name, LispValue());
  LispValue result;
  for (const LispValue& item : items) {
    in.setSymbolValue(name, item);
    result = evalSequence(in, args, 2);
  }
  return result;
}

}  // namespace

LispValue lispMakeUserFn(const std::wstring& name, const LispValue& parameterList, const LispValue& body) {
  LispArgs names = lispListArg(parameterList);
  auto fn = std::make_shared<LispUserFn>();
  fn->name = lispUpperName(name);
  bool locals = false;
  for (const LispValue& item : names) {
    const std::wstring& symbol = lispSymbolArg(item);
    if (symbol == L"/" && !locals) {
      locals = true;
      continue;
    }
    (locals ? fn->locals : fn->params).push_back(symbol);
  }
  fn->body = body;
  return LispValue::fromObject(std::move(fn));
}

void lispDefineSpecialForms(LispInterpreter& in) {
  in.defineSpecialForm(L"quote", 1, 1, [](LispInterpreter&, const LispArgs& a) { return a[0]; });
  in.defineSpecialForm(L"function", 1, 1, [](LispInterpreter& i, const LispArgs& a) {
    return a[0].isCons() ? i.eval(a[0]) : a[0];
  });
  in.defineSpecialForm(L"setq", 2, -1, setq);
  in.defineSpecialForm(L"defun", 2, -1, defun);
  in.defineSpecialForm(L"lambda", 1, -1, [](LispInterpreter&, const LispArgs& a) {
    return lispMakeUserFn(L"", a[0], LispValue::list(LispArgs(a.begin() + 1, a.end())));
  });
  in.defineSpecialForm(L"if", 2, 3, [](LispInterpreter& i, const LispArgs& a) {
    if (isTrue(i.eval(a[0]))) return i.eval(a[1]);
    return a.size() == 3 ? i.eval(a[2]) : LispValue();
  });
  in.defineSpecialForm(L"cond", 0, -1, cond);
  in.defineSpecialForm(L"progn", 0, -1, [](LispInterpreter& i, const LispArgs& a) { return evalSequence(i, a, 0); });
  in.defineSpecialForm(L"while", 1, -1, whileForm);
  in.defineSpecialForm(L"repeat", 1, -1, repeat);
  in.defineSpecialForm(L"foreach", 2, -1, foreach);
  in.defineSpecialForm(L"and", 0, -1, [](LispInterpreter& i, const LispArgs& a) {
    for (const LispValue& form : a) {
      if (!isTrue(i.eval(form))) return LispValue();
    }
    return LispValue::t();
  });
  in.defineSpecialForm(L"or", 0, -1, [](LispInterpreter& i, const LispArgs& a) {
    for (const LispValue& form : a) {
      if (isTrue(i.eval(form))) return LispValue::t();
    }
    return LispValue();
  });
}
