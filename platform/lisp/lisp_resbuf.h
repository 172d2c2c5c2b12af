// Conversions between LISP values and the result-buffer chains in which the host hands
// them to plug-ins and takes them back. Every chain made here belongs to the caller.
#pragma once

#include <memory>
#include <string>

#include "arx/resbuf.h"
#include "lisp/lisp_value.h"

// A chain owned for a scope, released with acutRelRb when it ends.
struct LispChainRelease {
  void operator()(resbuf* rb) const { acutRelRb(rb); }
};
using LispOwnedChain = std::unique_ptr<resbuf, LispChainRelease>;

// One value as the host passes it: integers RTSHORT when they fit in 16 bits, else
// RTLONG; reals RTREAL; strings RTSTR; entity names RTENAME; nil RTNIL; T RTT; other
// symbols RTSTR with their name; a list of two or three numbers RTPOINT or RT3DPOINT;
// any other list RTLB ... RTLE, a dotted one RTLB ... RTDOTE tail RTLE. A function has
// no such form: LispError.
resbuf* lispToResbuf(const LispValue& value);
// Values one after another, as a call's arguments arrive.
resbuf* lispArgsToResbuf(const LispArgs& values);
// A function's answer as acedInvoke hands it back: the items of a proper list one
// after another, nil as one RTNIL, any other value as lispToResbuf makes it.
resbuf* lispResultToResbuf(const LispValue& value);

// Reads a chain as values one after another (RTLB ... RTLE a list, RTDOTE a dotted
// pair, RTPOINT and RT3DPOINT lists of reals, RTNIL and RTNONE nil, RTT T, a DXF group
// code the pair (code . value)). False with a message for a malformed chain.
bool lispValuesFromResbuf(const resbuf* chain, LispArgs& values, std::wstring& error);
// True when the chain reads as values (as lispValuesFromResbuf reads it) that
// lispArgsToResbuf would turn back into the very same chain, buffer for buffer: the
// host may then hand it to a registered function as it is.
bool lispChainIsArgsForm(const resbuf* chain);
// Reads a chain as acedRetList answers it: a chain that is one bracketed list is that
// list; otherwise the list of its values (an RTDOTE between them makes it dotted).
bool lispListFromResbuf(const resbuf* chain, LispValue& value, std::wstring& error);
