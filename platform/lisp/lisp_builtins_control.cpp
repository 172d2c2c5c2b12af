// Control over errors: vl-catch-all-apply and the error objects it answers, exit and
// quit, and vl-load-com, which the host has nothing to load for.
#include <memory>

#include "arx/aced_print.h"
#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"

namespace {

// What vl-catch-all-apply answers for a call that ended in an error.
class LispCaughtError : public LispHostObject {
 public:
  explicit LispCaughtError(std::wstring message) : message_(std::move(message)) {}
  std::wstring typeName() const override { return L"VL-CATCH-ALL-APPLY-ERROR"; }
  std::wstring printedForm() const override { return L"#<%catch-all-apply-error%>"; }
  const std::wstring& message() const { return message_; }

 private:
  std::wstring message_;
};

// The call's value, or the error it ended in; the error is neither printed nor handed
// to *error*, since the caller asked to look at it.
LispValue catchAllApply(LispInterpreter& in, const LispArgs& a) {
  LispArgs args = lispListArg(a[1]);
  std::wstring message;
  try {
    LispInterpreter::CatchScope catching(in);
    return in.apply(a[0], args);
  } catch (const LispError& e) {
    message = e.message();
  } catch (const std::exception& e) {
    message = acutUtf8ToWide(e.what());
  }
  return LispValue::fromObject(std::make_shared<LispCaughtError>(message));
}

const LispCaughtError& caughtArg(const LispValue& value) {
  const auto* caught = value.hostObjectAs<LispCaughtError>();
  if (caught == nullptr) lispBadArgument(L"vl-catch-all-apply-error-p", value);
  return *caught;
}

}  // namespace

void lispDefineControlBuiltins(LispInterpreter& in) {
  in.defineBuiltin(L"vl-catch-all-apply", 2, 2, catchAllApply);
  in.defineBuiltin(L"vl-catch-all-error-p", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return a[0].hostObjectAs<LispCaughtError>() != nullptr ? LispValue::t() : LispValue();
  });
  in.defineBuiltin(L"vl-catch-all-error-message", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::string(caughtArg(a[0]).message());
  });
  // A routine ends itself as an error the user's *error* sees, as on the host.
  for (const wchar_t* name : {L"exit", L"quit"}) {
    in.defineBuiltin(name, 0, 0, [](LispInterpreter&, const LispArgs&) -> LispValue {
      throw LispError(L"quit / exit abort");
    });
  }
  in.defineBuiltin(L"vl-load-com", 0, 0, [](LispInterpreter&, const LispArgs&) { return LispValue(); });
}
