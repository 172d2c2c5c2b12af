// System variables: named settings of the host and of the current document, read
// with acedGetVar and set with acedSetVar (names in any case).
//
//   SAVEFILE     text, read-only: the automatic save file of the current document,
//                SAVEFILEPATH/<drawing name without extension>.sv$ ("" with no document)
//   SAVEFILEPATH text: the folder of automatic save files ($TMPDIR, else /tmp)
//   DWGNAME      text, read-only: the current drawing's file name without its folder
//   DWGPREFIX    text, read-only: the current drawing's folder, ending in "/"
//   CLAYER       text: the current layer of the working database (must exist)
//   CMDECHO      integer 0 or 1
//   LUNITS 1-5, LUPREC 0-8, AUNITS 0-4, AUPREC 0-8, DIMZIN 0-15, UNITMODE 0-1
//                integers: how lengths and angles are written and read (rtos, angtos,
//                distof, angtof); kept by the host for the session, 2 4 0 0 0 0 at start
//   UCSORG, UCSXDIR, UCSYDIR   3D points, read-only: the current UCS in world terms
//   WORLDUCS     integer, read-only: 1 when the UCS is the world's
//   USERI1-5, USERR1-5, USERS1-5   integers, reals and texts free for programs
//
// The document's variables answer RTERROR when no document is open.
#pragma once

#include <string>
#include <vector>

#include "arx/resbuf.h"

// Fills result (type and value; its link is left alone). A text is allocated for the
// caller, who frees it with acutDelString. RTNORM, or RTERROR for an unknown name.
int acedGetVar(const ACHAR* name, resbuf* result);
// Sets a variable from a buffer of its type (an integer is accepted for a real).
// RTNORM; RTERROR for an unknown or read-only name, a value of the wrong type, or a
// value the variable refuses.
int acedSetVar(const ACHAR* name, const resbuf* value);

// The names the host knows, upper case, in alphabetical order.
std::vector<std::wstring> hostSysVarNames();
