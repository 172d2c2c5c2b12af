// The LISP functions of the sizing dialogs. Each takes an optional database file and
// answers nil.
#pragma once

// ov_plumb-pipeSizingTable [DATABASE-FILE]: the sizing-table editor.
int ovLispPipeSizingTable();
// ov_plumb-pipeSize [DATABASE-FILE]: the pipe-size editor, with no pipe type chosen.
int ovLispPipeSize();
