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
void lispDefinePredicateBuiltins(LispInterpreter& interpreter);   // lisp_builtins_predicates.cpp
void lispDefineSortBuiltins(LispInterpreter& interpreter);        // lisp_builtins_sort.cpp
void lispDefineStringBuiltins(LispInterpreter& interpreter);      // lisp_builtins_strings.cpp
void lispDefineUnitBuiltins(LispInterpreter& interpreter);        // lisp_builtins_units.cpp
void lispDefineIntegerBuiltins(LispInterpreter& interpreter);     // lisp_builtins_integers.cpp
void lispDefineControlBuiltins(LispInterpreter& interpreter);     // lisp_builtins_control.cpp
void lispDefineStreamBuiltins(LispInterpreter& interpreter);      // lisp_builtins_streams.cpp
void lispDefineFileBuiltins(LispInterpreter& interpreter);        // lisp_builtins_files.cpp
void lispDefineSelectionSetBuiltins(LispInterpreter& interpreter);  // lisp_selection_sets.cpp

// A function made from a parameter list ("(a b / local)") and the body forms, as
// defun and lambda make one and as a quoted (lambda ...) list is called.
LispValue lispMakeUserFn(const std::wstring& name, const LispValue& parameterList, const LispValue& body);
