// The LISP functions of the sizing and flow dialogs. Each takes an optional database
// file first.
#pragma once

// ov_plumb-pipeSizingTable [DATABASE-FILE]: the sizing-table editor; answers nil.
int ovLispPipeSizingTable();
// ov_plumb-pipeSize [DATABASE-FILE]: the pipe-size editor, with no pipe type chosen;
// answers nil.
int ovLispPipeSize();
// ov_plumb-pipeSumCategory [DATABASE-FILE]: the flow-category editor; answers nil.
int ovLispPipeSumCategory();
// ov_plumb-pipeSum [DATABASE-FILE] PIPE FLAG: the query dialog of a pipe; answers its
// settings as an association list, nil when cancelled.
int ovLispPipeSum();
