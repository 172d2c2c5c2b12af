// The functions of the application's own LISP program that the module calls back with
// acedInvoke. The host ships them as a LISP source (host_program.lsp, built into the
// library) that every interpreter loads at start, on three host functions of its own:
//
//   (host-check-arguments NAME SHAPE ARGS)  an error unless ARGS fit SHAPE (below)
//   (host-sql SQL [VALUE ...])             runs one statement on the project database
//                                          of the current drawing, VALUEs bound to its
//                                          "?"s; answers its rows, each a list of values
//   (host-sql-each SQL ROWS)               runs the statement once per list of values
//                                          in ROWS, all in one transaction
//   (host-csv-line VALUES)                 the values as one line of a CSV file
//   (host-repair-project PATH)             repairs a damaged project file; T when done
//
// A script or a test replaces any function with its own defun (or a LispCallRecorder).
#pragma once

#include <string>

#include "lisp/lisp_value.h"

// Defines the host functions above (and the sizing ones) and loads the program.
void lispDefineHostProgram(LispInterpreter& interpreter);

// The database a dialog was opened on by name while it is open, else the project
// database the module opened for the current drawing's folder; a LISP error when
// there is none.
std::string lispCurrentProjectFile();

// The sizing functions the program's sizing command stands on:
//   (host-size-pipes PIPES TOLERANCE)  PIPES: (ENAME IXPIPE START END) per drawn pipe;
//                                      the systems they form, sized (below)
//   (host-pipe-flow IXPIPE)            the flow a pipe carries in its base category
void lispDefineHostSizing(LispInterpreter& interpreter);

// Checks arguments against a shape, one letter per argument:
//   i  an integer            r  a number            s  a string
//   n  nil                   l  a list (nil too)    *  anything
// Answers an empty text when they fit, otherwise what is wrong ("bad argument 2 of
// NAME: a string expected").
std::wstring lispCheckArguments(const std::wstring& name, const char* shape, const LispArgs& args);

// The program's text, as built into the library.
const char* lispHostProgramText();

// The symbol holding the forms that "c:ov_plumb-doToDo" runs the next time it is
// called: the program queues work there that has to wait for a document switch.
constexpr const wchar_t* kLispToDoSymbol = L"ov_plumb-toDoList";
