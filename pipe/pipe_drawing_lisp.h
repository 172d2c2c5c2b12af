// The LISP functions that push a pipe's drawing details into it and that turn its
// drawing into plain objects, for the module's function table.
#pragma once


// ov_plumb-setPipeInfo PIPE (KEY VALUE ...) ...: T.
int ovLispSetPipeInfo();
// ov_plumb-explodePipe PIPE: (("obj" . ENAME) ...), the last created object first.
int ovLispExplodePipe();
