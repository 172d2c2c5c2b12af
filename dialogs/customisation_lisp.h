// The LISP functions of the pipe-type customisation dialogs. Each takes an optional
// database file and answers nil.
#pragma once

// ov_plumb-pipeType [DATABASE-FILE]: the pipe types.
int ovLispPipeType();
// ov_plumb-pipeLabel [DATABASE-FILE]: the label formats.
int ovLispPipeLabel();
// ov_plumb-pipeLinetype [DATABASE-FILE]: the linetypes.
int ovLispPipeLinetype();
