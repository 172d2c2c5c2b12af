// The host's LISP interpreter: global symbols with dynamic scope, evaluation, the
// built-in functions, scripts, and the table of functions that plug-ins register.
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "arx/resbuf.h"
#include "lisp/lisp_value.h"

// What evaluating a text answered: the last form's value, or the first error.
struct LispResult {
  bool ok = false;
  LispValue value;
  std::wstring error;
};

using LispExternalHandler = int (*)();

class LispInterpreter {
 public:
  LispInterpreter();
  ~LispInterpreter();
  LispInterpreter(const LispInterpreter&) = delete;
  LispInterpreter& operator=(const LispInterpreter&) = delete;

  // The interpreter that acedDefun, acedInvoke and the other host calls address: the
  // one made current, else the process's own. An interpreter is current while it
  // evaluates a script or a text.
  static LispInterpreter& current();
  // Makes an interpreter current (null: the process's own) and answers the previous.
  static LispInterpreter* setCurrent(LispInterpreter* interpreter);

  // Evaluates each top-level form of a script in turn. A failing form is reported
  // (see reportError) and the next form runs; a read fault is reported after the
  // forms before it have run. Answers the number of errors.
  int evaluateScript(const std::string& utf8);
  // Evaluates the forms of a text in turn up to the first error, which is answered
  // rather than printed. The value is the last form's.
  LispResult evaluate(const std::string& utf8);
  // The same, answering the value as prin1 prints it, or "; error: MESSAGE".
  std::wstring evaluateToText(const std::string& utf8);
  // Evaluates one form; raises LispError.
  LispValue eval(const LispValue& form);
  // Calls a function (built-in, defun'd, lambda, a quoted (lambda ...) list or a
  // plug-in's) with evaluated arguments; raises LispError.
  LispValue apply(const LispValue& function, const LispArgs& args);
  // Calls a plug-in's function with its arguments already a chain, as apply would
  // call it with the values the chain stands for; raises LispError.
  LispValue applyExternal(const LispSubr& function, const resbuf* args);

  // Defines a function written in C++. A call with fewer than minArgs or more than
  // maxArgs (-1: any number) arguments is an error before fn runs.
  void defineBuiltin(const std::wstring& name, int minArgs, int maxArgs, LispBuiltinFn fn);
  // The same for a form whose arguments arrive unevaluated (setq, if, while ...).
  void defineSpecialForm(const std::wstring& name, int minArgs, int maxArgs, LispBuiltinFn fn);
  // Puts another function (or nil) under a name and answers what was there.
  LispValue replaceFunction(const std::wstring& name, LispValue function);

  // Unbound symbols have the value nil. Names are folded to upper case.
  LispValue symbolValue(const std::wstring& name) const;
  void setSymbolValue(const std::wstring& name, LispValue value);

  // Writes to the host's command line.
  void printText(const std::wstring& text);
  // Reports an error: through the user's *error* function when there is one,
  // otherwise as "; error: MESSAGE" on a line of its own.
  void printError(const std::wstring& message);
  // Reports an error that nobody caught, unless it was reported already. A user
  // function's call reports an error where it happens, while the function's locals
  // (a local *error* among them) are still bound; the top level reports the rest.
  void reportError(LispError& error);

  // While a catcher is active (vl-catch-all-apply, a text evaluated for its answer),
  // errors are not reported on their way out: the catcher answers them instead.
  class CatchScope {
   public:
    explicit CatchScope(LispInterpreter& in) : in_(in) { ++in_.catchDepth_; }
    ~CatchScope() { --in_.catchDepth_; }
    CatchScope(const CatchScope&) = delete;
    CatchScope& operator=(const CatchScope&) = delete;

   private:
    LispInterpreter& in_;
  };

  // The names of the symbols that have a value (a function is a value), in
  // alphabetical order.
  std::vector<std::wstring> boundSymbolNames() const;

  // Functions registered by plug-ins (acedDefun, acedRegFunc, acedUndef). A
  // registration belongs to an application and a function code; defining a name
  // again replaces what it named.
  void defineExternal(const std::wstring& name, short funcCode, const void* application);
  void setExternalHandler(short funcCode, const void* application, LispExternalHandler handler);
  LispExternalHandler externalHandler(short funcCode, const void* application) const;
  bool undefineExternal(const std::wstring& name, short funcCode, const void* application);
  // Forgets every function of an application, as when it is unloaded.
  void removeApplication(const void* application);

  // Nested evaluations allowed before "maximum recursion depth exceeded"; the
  // machine stack is watched as well, so deep recursion never crashes the host.
  void setMaxDepth(int depth) { maxDepth_ = depth; }

 private:
  class DepthGuard;
  LispValue functionOf(const LispValue& head);
  LispValue applyUserFn(const LispUserFn& fn, const LispArgs& args);
  bool roomToReport() const;
  void evaluateTopLevel(const LispValue& form, int& errors);

  std::unordered_map<std::wstring, LispValue> globals_;
  std::map<std::pair<const void*, short>, LispExternalHandler> handlers_;
  int depth_ = 0;
  int maxDepth_ = 20000;
  int catchDepth_ = 0;
};

// LISP's dynamic scope: binds symbols until the scope ends and then puts their old
// values back, also when an error unwinds through it.
class LispBindingScope {
 public:
  explicit LispBindingScope(LispInterpreter& interpreter) : interpreter_(interpreter) {}
  ~LispBindingScope();
  LispBindingScope(const LispBindingScope&) = delete;
  LispBindingScope& operator=(const LispBindingScope&) = delete;
  void bind(const std::wstring& name, LispValue value);

 private:
  LispInterpreter& interpreter_;
  std::vector<std::pair<std::wstring, LispValue>> saved_;
};

// Makes the interpreter current for a scope and puts the previous one back after.
class LispCurrentScope {
 public:
  explicit LispCurrentScope(LispInterpreter& interpreter) : previous_(LispInterpreter::setCurrent(&interpreter)) {}
  ~LispCurrentScope() { LispInterpreter::setCurrent(previous_); }
  LispCurrentScope(const LispCurrentScope&) = delete;
  LispCurrentScope& operator=(const LispCurrentScope&) = delete;

 private:
  LispInterpreter* previous_;
};
