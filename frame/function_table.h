// The module's LISP functions: one row per function, the row's index being the
// function code given to the host. The codes never change; a row whose handler is
// not there yet is not defined with the host.
#pragma once

inline constexpr int kLispFunctionCount = 34;

struct ovLispFunction {
  const wchar_t* name;
  int (*handler)();
};

// The table, kLispFunctionCount rows in code order.
const ovLispFunction* ovLispFunctionTable();

// Defines every row that has a handler: acedDefun(name, code), then acedRegFunc.
void ovRegisterLispFunctions();
