// The handlers of the P-trap's LISP functions, for the module's function table: the
// three that store the trap's breaks and the three that find where things cross it.
#pragma once

// ov_plumb-pipe-setPtrapLine1Breaks PIPE [(TAG D1 D2 ...)]: T.
int ovLispPipeSetPtrapLine1Breaks();
// ov_plumb-pipe-setPtrapPolylineBreaks PIPE [(TAG D1 D2 ...)]: T.
int ovLispPipeSetPtrapPolylineBreaks();
// ov_plumb-pipe-setPtrapLine2Breaks PIPE [(TAG D1 D2 ...)]: T.
int ovLispPipeSetPtrapLine2Breaks();
// ov_plumb-intersectPtrapLine [D] PIPE P1 P2: (("entity" . S) ("line1" . T) ...) or nil.
int ovLispIntersectPtrapLine();
// ov_plumb-intersectPtrapArc [D] PIPE P ANGLE INORMAL RADIUS SWEEP: the same pairs or nil.
int ovLispIntersectPtrapArc();
// ov_plumb-intersectPtrapPtrap [D] PIPE PIPE2: the first pipe's pairs or nil.
int ovLispIntersectPtrapPtrap();
