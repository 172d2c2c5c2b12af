// The groups of built-in functions every interpreter starts with, each defined in
// the file named after it.
#pragma once

#include <string>

#include "lisp/lisp_value.h"

void lispDefineSpecialForms(LispInterpreter& interpreter);    // lisp_special_forms.cpp
void lispDefineMathBuiltins(LispInterpreter& interpreter);    // lisp_builtins_math.cpp
void lispDefineListBuiltins(LispInterpreter& interpreter);    // lisp_builtins_list.cpp
void lispDefineTextBuiltins(LispInterpreter& interpreter);    // lisp_builtins_text.cpp
void lispDefineDataBuiltins(LispInterpreter& interpreter);    // lisp_builtins_data.cpp
void lispDefineGeometryBuiltins(LispInterpreter& interpreter);  // lisp_builtins_geometry.cpp
void lispDefineEntityBuiltins(LispInterpreter& interpreter);    // lisp_builtins_entity.cpp
void lispDefineCurveBuiltins(LispInterpreter& interpreter);     // lisp_builtins_curve.cpp
void lispDefineEntityHostServices(LispInterpreter& interpreter);  // lisp_host_entity.cpp
void lispDefineInputBuiltins(LispInterpreter& interpreter);       // lisp_builtins_input.cpp

// A function made from a parameter list ("(a b / local)") and the body forms, as
// defun and lambda make one and as a quoted (lambda ...) list is called.
LispValue lispMakeUserFn(const std::wstring& name, const LispValue& parameterList, const LispValue& body);
