// The LISP functions that push a pipe's drawing details into it and that turn its
// drawing into plain objects, for the module's function table.
#pragma once

#include "frame/lisp_args.h"
#include "pipe/open_pipe.h"

// ov_plumb-setPipeInfo PIPE (KEY VALUE ...) ...: T.
int ovLispSetPipeInfo();
// ov_plumb-explodePipe PIPE: (("obj" . ENAME) ...), the last created object first.
int ovLispExplodePipe();

// Reads the pipe argument and opens the pipe. False when the caller is to stop, with
// status set: wrong type for a missing argument, done (nil) for no openable pipe.
bool openPipeFromArgs(ArgCursor& args, OpenPipe& pipe, AcDb::OpenMode mode, int& status);
