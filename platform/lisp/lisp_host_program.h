// The functions of the application's own LISP program that the module calls back with
// acedInvoke. The host stand-in defines each as a built-in that checks the arguments
// the module sends and answers the way the module's callers rely on; tests put their
// own definition under a name (LispCallRecorder) to see what the module sends.
#pragma once

#include <string>
#include <vector>

#include "lisp/lisp_value.h"

// One function of the program: its name, the shape of its arguments and what it does.
// The shape is one letter per argument:
//   i  an integer            r  a number            s  a string
//   n  nil                   l  a list (nil too)    *  anything
// A function whose arguments may come in either order lists them as "*".
struct LispHostProgramFunction {
  const wchar_t* name;
  const char* arguments;
  LispBuiltinFn behaviour;
};

// The whole program, in the order the module's parts call it.
const std::vector<LispHostProgramFunction>& lispHostProgram();

// Defines every function of the program in the interpreter. A call whose arguments
// do not have the declared shape is a LISP error naming the function and the argument.
void lispDefineHostProgram(LispInterpreter& interpreter);

// Checks arguments against a shape; answers an empty text when they fit, otherwise
// what is wrong ("bad argument 2 of NAME: a string expected").
std::wstring lispCheckArguments(const std::wstring& name, const char* shape, const LispArgs& args);

// The symbol holding the forms that "c:ov_plumb-doToDo" runs the next time it is
// called: the program queues work there that has to wait for a document switch.
constexpr const wchar_t* kLispToDoSymbol = L"ov_plumb-toDoList";
