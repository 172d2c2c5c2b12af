// The handlers of the pipe's LISP functions, for the module's function table.
#pragma once

#include "frame/lisp_args.h"
#include "pipe/PlumbPipe.h"

// ov_plumb-insertPipe IXPIPE P1 P2 [VERTICALRADIUS]: the new pipe's entity name.
int ovLispInsertPipe();
// ov_plumb-setPipeBreaks PIPE WIDTH [(TAG D1 D2 ...)]: T.
int ovLispSetPipeBreaks();
// ov_plumb-pipe-setElbowBreaks PIPE [((TAG INDEX D1 ...) ...)]: T.
int ovLispPipeSetElbowBreaks();
// ov_plumb-pipe-setArcBreaks PIPE [((TAG INDEX D1 ...) ...)]: T.
int ovLispPipeSetArcBreaks();
// ov_plumb-getPipeElbowLength PIPE: the largest extent of the fittings.
int ovLispGetPipeElbowLength();
// ov_plumb-pipe-elbowList PIPE: (("i" . 0) ("dLength" . L) ("dAngle" . A) ...).
int ovLispPipeElbowList();
// ov_plumb-pipe-arcList PIPE: (("i" . 0) ("dLength" . L) ("dOffset" . O) ("iNormal" . N) ...).
int ovLispPipeArcList();

// Reads an optional (TAG D1 D2 ...) into a sorted break list, which is emptied first:
// nothing to read leaves it empty; a list without its leading text is kWorkerWrongType
// (the list stays emptied). Answers the worker status.
int readTaggedBreaks(ArgCursor& args, PlumbArray<double>& breaks);
// Reads a number that stands for a distance; false at anything else.
bool argDistance(ArgCursor& args, double& value);
