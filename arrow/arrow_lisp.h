// The flow arrow's LISP functions; their rows in the function table name these
// handlers.
#pragma once

// ov_plumb-insertPipeArrow START END TAILOFFSET HEADOFFSET REVERSE: a new arrow in
// model space; answers its entity name.
int ovLispInsertPipeArrow();
// ov_plumb-setPipeArrowInfo ARROW ("KEY" value ...) ...: changes the settings named;
// answers T, or nil when ARROW is not an arrow that can be changed.
int ovLispSetPipeArrowInfo();
// ov_plumb-pipe-getHangerList ARROW: (("d" . distance) ...) in stored order, or nil.
int ovLispGetHangerList();
