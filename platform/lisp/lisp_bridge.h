// The host side of the plug-ins' LISP interface: which application is registering
// functions, and the call of a registered function from LISP.
#pragma once

#include "arx/resbuf.h"
#include "lisp/lisp_value.h"

// The application whose registrations acedDefun, acedRegFunc and acedUndef record.
// The loader sets it around a plug-in's entry point, and it is the called function's
// application while a registered function runs; null stands for the host itself.
// Two plug-ins may then use the same function codes. Answers the previous one.
const void* lispSetCurrentApplication(const void* application);
const void* lispCurrentApplication();

// Makes an application current for a scope.
class LispApplicationScope {
 public:
  explicit LispApplicationScope(const void* application) : previous_(lispSetCurrentApplication(application)) {}
  ~LispApplicationScope() { lispSetCurrentApplication(previous_); }
  LispApplicationScope(const LispApplicationScope&) = delete;
  LispApplicationScope& operator=(const LispApplicationScope&) = delete;

 private:
  const void* previous_;
};

// Calls a function that a plug-in registered: its arguments become the chain that
// acedGetArgs answers, the value set with acedRet... is the answer, and RSERR is the
// LISP error "ADS request error".
LispValue lispCallExternal(LispInterpreter& interpreter, const LispSubr& function, const LispArgs& args);
// The same call with its arguments already a chain, which the function reads as it is.
LispValue lispCallExternalChain(LispInterpreter& interpreter, const LispSubr& function, const resbuf* args);
