// The plug-ins' LISP interface (acedDefun, acedGetArgs, acedRet..., acedInvoke) on the
// host's interpreter, and the frame of a registered function's call.
#include "lisp/lisp_bridge.h"

#include <memory>

#include "arx/aced_lisp.h"
#include "arx/aced_print.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_resbuf.h"
#include "mfc/afx_exceptions.h"

namespace {

// A registered function's call in progress: its arguments (owned by the host) and
// the value its acedRet... calls have set. Calls nest when a function invokes LISP
// that calls another registered function, so each frame remembers the one below.
struct CallFrame {
  const resbuf* args = nullptr;
  LispValue result;
};

CallFrame* gFrame = nullptr;
const void* gApplication = nullptr;

class FrameScope {
 public:
  FrameScope(CallFrame& frame, const void* application)
      : previousFrame_(gFrame), previousApplication_(gApplication) {
    gFrame = &frame;
    gApplication = application;
  }
  ~FrameScope() {
    gFrame = previousFrame_;
    gApplication = previousApplication_;
  }
  FrameScope(const FrameScope&) = delete;
  FrameScope& operator=(const FrameScope&) = delete;

 private:
  CallFrame* previousFrame_;
  const void* previousApplication_;
};

int setResult(LispValue value) {
  if (gFrame == nullptr) return RTERROR;
  gFrame->result = std::move(value);
  return RTNORM;
}

}  // namespace

const void* lispSetCurrentApplication(const void* application) {
  const void* previous = gApplication;
  gApplication = application;
  return previous;
}

const void* lispCurrentApplication() { return gApplication; }

namespace {

LispExternalHandler handlerOf(const LispInterpreter& interpreter, const LispSubr& function) {
  LispExternalHandler handler = interpreter.externalHandler(function.funcCode, function.application);
  if (handler == nullptr) throw LispError(L"no function definition: " + function.name);
  return handler;
}

LispValue callHandler(LispInterpreter& interpreter, LispExternalHandler handler, const LispSubr& function,
                      const resbuf* args) {
  CallFrame frame;
  frame.args = args;
  int answer;
  {
    FrameScope scope(frame, function.application);
    LispCurrentScope current(interpreter);
    // A plug-in's exception must not take the host down: it ends the call as a LISP
    // error, and the script goes on with its next form.
    try {
      answer = handler();
    } catch (const LispError&) {
      throw;
    } catch (const std::exception& e) {
      throw LispError(L"unhandled exception in " + function.name + L": " + acutUtf8ToWide(e.what()));
    } catch (CException* e) {
      // The framework's exceptions are thrown as pointers; the catcher deletes them.
      wchar_t message[512] = L"";
      const bool hasMessage = e != nullptr && e->GetErrorMessage(message, 512);
      if (e != nullptr) e->Delete();
      throw LispError(L"unhandled exception in " + function.name + (hasMessage ? L": " + std::wstring(message) : L""));
    } catch (...) {
      throw LispError(L"unhandled exception in " + function.name);
    }
  }
  if (answer == RSERR) throw LispError(L"ADS request error");
  return std::move(frame.result);
}

}  // namespace

LispValue lispCallExternal(LispInterpreter& interpreter, const LispSubr& function, const LispArgs& args) {
  LispExternalHandler handler = handlerOf(interpreter, function);
  LispOwnedChain chain(lispArgsToResbuf(args));
  return callHandler(interpreter, handler, function, chain.get());
}

LispValue lispCallExternalChain(LispInterpreter& interpreter, const LispSubr& function, const resbuf* args) {
  return callHandler(interpreter, handlerOf(interpreter, function), function, args);
}

int acedDefun(const ACHAR* name, short funcCode) {
  if (name == nullptr || *name == L'\0') return RTERROR;
  LispInterpreter::current().defineExternal(name, funcCode, gApplication);
  return RTNORM;
}

int acedUndef(const ACHAR* name, short funcCode) {
  if (name == nullptr) return RTERROR;
  return LispInterpreter::current().undefineExternal(name, funcCode, gApplication) ? RTNORM : RTERROR;
}

int acedRegFunc(int (*fhdl)(), short funcCode) {
  LispInterpreter::current().setExternalHandler(funcCode, gApplication, fhdl);
  return RTNORM;
}

resbuf* acedGetArgs() { return gFrame == nullptr ? nullptr : acutDuplicateChain(gFrame->args); }

int acedRetT() { return setResult(LispValue::t()); }
int acedRetNil() { return setResult(LispValue()); }
int acedRetVoid() { return setResult(LispValue::voidSymbol()); }
int acedRetInt(int value) { return setResult(LispValue::integer(value)); }
int acedRetReal(ads_real value) { return setResult(LispValue::real(value)); }

int acedRetStr(const ACHAR* text) { return setResult(LispValue::string(text != nullptr ? text : L"")); }

// Only entity names exist in this host's LISP; it has no selection sets.
int acedRetName(const ads_name name, int type) {
  if (name == nullptr || type != RTENAME) return RTERROR;
  return setResult(LispValue::ename(AcDbObjectId().setFromOldId(name[0])));
}

int acedRetList(const resbuf* list) {
  if (gFrame == nullptr) return RTERROR;
  LispValue value;
  std::wstring error;
  if (!lispListFromResbuf(list, value, error)) return RTERROR;
  return setResult(std::move(value));
}

int acedInvoke(const resbuf* args, resbuf** result) {
  if (result == nullptr) return RTERROR;
  *result = nullptr;
  if (args == nullptr || args->restype != RTSTR || args->resval.rstring == nullptr) return RTERROR;
  LispInterpreter& interpreter = LispInterpreter::current();
  LispValue function = interpreter.symbolValue(args->resval.rstring);
  const LispSubr* subr = function.subr();
  if (!function.isFunction() || (subr != nullptr && subr->special)) return RTERROR;
  // A plug-in's function called with a chain in the very form the host would build
  // from its values gets the chain itself: the values need not be made and unmade.
  const bool passChain = subr != nullptr && subr->external && lispChainIsArgsForm(args->rbnext);
  LispArgs values;
  std::wstring error;
  if (!passChain && !lispValuesFromResbuf(args->rbnext, values, error)) return RTERROR;
  try {
    LispCurrentScope current(interpreter);
    *result = lispResultToResbuf(passChain ? interpreter.applyExternal(*subr, args->rbnext)
                                           : interpreter.apply(function, values));
    return RTNORM;
  } catch (LispError& e) {
    interpreter.reportError(e);
  } catch (const std::exception& e) {
    interpreter.printError(acutUtf8ToWide(e.what()));
  }
  return RTERROR;
}
