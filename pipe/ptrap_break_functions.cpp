// The LISP functions that store the breaks of a pipe's P-trap: one sorted list for
// each of its parts, filled from the distances the intersection functions answered.
#include "arx/aced_lisp.h"
#include "frame/lisp_args.h"
#include "frame/lisp_frame.h"
#include "pipe/open_pipe.h"
#include "pipe/pipe_functions.h"
#include "pipe/ptrap_functions.h"

namespace {

// PIPE [(TAG D1 D2 ...)]: the part's list is emptied and refilled. A missing pipe is
// the wrong type, an object that is no pipe answers nil.
int setPtrapBreaks(PlumbArray<double> PlumbPipe::*part) {
  ArgCursor args;
  AcDbObjectId id;
  if (!argObjectId(args, id)) return kWorkerWrongType;
  OpenPipe pipe;
  if (!pipe.open(id, AcDb::kForWrite)) return kWorkerDone;
  const int status = readTaggedBreaks(args, (*pipe).*part);
  if (status == kWorkerDone) acedRetT();
  return status;
}

}  // namespace

int ovLispPipeSetPtrapLine1Breaks() {
  return runInDocument([] { return setPtrapBreaks(&PlumbPipe::aPtrapLine1Breaks); });
}
int ovLispPipeSetPtrapPolylineBreaks() {
  return runInDocument([] { return setPtrapBreaks(&PlumbPipe::aPtrapPolylineBreaks); });
}
int ovLispPipeSetPtrapLine2Breaks() {
  return runInDocument([] { return setPtrapBreaks(&PlumbPipe::aPtrapLine2Breaks); });
}
