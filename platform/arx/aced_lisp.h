// The LISP interface a plug-in uses: defining LISP functions, reading a call's
// arguments, answering its value, and calling LISP functions of the host.
#pragma once

#include "arx/resbuf.h"

// What a registered function answers the host: a value was set (or nil is meant), or
// the call failed and LISP reports "ADS request error".
constexpr int RSRSLT = 1;
constexpr int RSERR = 3;

// Makes a LISP function of the name that calls the handler registered under the
// function code. Defining a name again replaces what it named.
int acedDefun(const ACHAR* name, short funcCode);
// Removes a function that acedDefun made with this code. RTERROR when there is none.
int acedUndef(const ACHAR* name, short funcCode);
// Registers the handler for a function code; it answers RSRSLT or RSERR.
int acedRegFunc(int (*fhdl)(), short funcCode);

// The arguments of the call in progress, a new chain the caller releases with
// acutRelRb (null when there are none or no call is in progress).
resbuf* acedGetArgs();

// Set the value of the call in progress; only the last call counts. Each answers
// RTNORM, or RTERROR outside a call or for bad input.
int acedRetT();
int acedRetNil();
int acedRetVoid();
int acedRetInt(int value);
int acedRetReal(ads_real value);
int acedRetStr(const ACHAR* text);
int acedRetName(const ads_name name, int type);
// The chain is copied: one bracketed list (RTLB ... RTLE) answers that list (or
// dotted pair); any other chain the list of its values.
int acedRetList(const resbuf* list);

// Calls a LISP function (defun'd or registered): the first buffer is its name (RTSTR),
// the rest its arguments. RTNORM when the call happened; *result then holds the
// answer, which the caller releases with acutRelRb. RTERROR otherwise (an error in
// the function is printed as LISP prints errors).
int acedInvoke(const resbuf* args, resbuf** result);
