// The host's document services for LISP scripts and tests: opening, switching,
// saving, exporting and closing drawings, undo, the UCS and system variables.
//
//   (host-open PATH)            opens a .hdw or .dxf drawing, or starts a new one to be
//                               saved at PATH when no file is there, and makes it the
//                               active document (an open one is just activated);
//                               answers its full path
//   (host-activate PATH)        activates an open document; answers its full path
//   (host-close [PATH])         closes that document (default: the active one); T
//   (host-save [PATH])          saves the active document by the extension of PATH
//                               (.hdw native, .dxf DXF; default: its own name); a new
//                               name renames the document; answers the full path
//   (host-autosave)             writes the automatic save file (getvar "SAVEFILE")
//                               without renaming; answers its path
//   (host-export-dxf PATH [FLATTEN])  writes DXF (custom entities as plain ones when
//                               FLATTEN is not nil) without renaming; answers the path
//   (host-export-svg PATH)      writes an SVG plan of model space; answers the path
//   (host-undo) (host-redo)     takes back (puts back) the last command's changes; T,
//                               or nil when there is nothing to undo (redo)
//   (host-ucs [ORIGIN XDIR])    sets a plan UCS (X axis along XDIR, turned about the
//                               world Z axis); with no arguments the world UCS; T
//   (host-documents)            the full paths of the open documents, in open order
//   (getvar NAME)               a system variable's value, nil for an unknown name
//   (setvar NAME VALUE)         sets it and answers VALUE
//
// Every failure is a LISP error naming the function and the reason
// ("host-open: \"/x/a.txt\" is not a .hdw or .dxf drawing"); nothing is opened,
// closed or renamed by a call that fails.
#pragma once

class LispInterpreter;

void lispDefineHostDocuments(LispInterpreter& interpreter);
