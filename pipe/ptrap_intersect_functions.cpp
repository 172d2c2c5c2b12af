// The LISP functions that find where a line, a pipe's arc or another P-trap crosses a
// pipe's P-trap. They run in the lock-only frame and answer nil for every failure:
// the LISP program calls them over many candidates and only wants the hits.
#include "arx/aced_lisp.h"
#include "frame/lisp_args.h"
#include "frame/lisp_frame.h"
#include "frame/lisp_result.h"
#include "pipe/open_pipe.h"
#include "pipe/ptrap_functions.h"
#include "pipe/ptrap_intersect.h"

namespace {

// [D] PIPE: the prolongation (0, and nothing read, when the first argument is no
// number) and the pipe, opened for write, which must carry a trap.
bool openTrapArguments(ArgCursor& args, double& d, OpenPipe& pipe) {
  if (!argReal(args, d)) d = 0.0;
  AcDbObjectId id;
  if (!argObjectId(args, id) || !pipe.open(id, AcDb::kForWrite)) return false;
  return pipe->bPtrap;
}

// The pairs as a flat list of (key . real), or nil when there are none.
int answerHits(const PtrapHits& hits) {
  if (hits.empty()) {
    acedRetNil();
    return kWorkerDone;
  }
  ResultList result;
  resultListBegin(result);
  for (const auto& [key, value] : hits) resultAddStringReal(result, key, value);
  resultListReturn(result);
  return kWorkerDone;
}

int intersectLineWorker() {
  ArgCursor args;
  double d = 0.0;
  OpenPipe pipe;
  AcGePoint3d p1, p2;
  PtrapHits hits;
  if (openTrapArguments(args, d, pipe) && argPoint3d(args, p1) && argPoint3d(args, p2))
    intersectPtrapLine(*pipe, d, p1, p2, hits);
  return answerHits(hits);
}

int intersectArcWorker() {
  ArgCursor args;
  double d = 0.0;
  OpenPipe pipe;
  PtrapCrossingArc arc;
  PtrapHits hits;
  if (openTrapArguments(args, d, pipe) && argPoint3d(args, arc.start) && argReal(args, arc.angle) &&
      argInt(args, arc.normal) && argReal(args, arc.radius) && argReal(args, arc.sweep))
    intersectPtrapArc(*pipe, d, arc, hits);
  return answerHits(hits);
}

int intersectPtrapWorker() {
  ArgCursor args;
  double d = 0.0;
  OpenPipe pipe, other;
  AcDbObjectId otherId;
  PtrapHits hits;
  if (openTrapArguments(args, d, pipe) && argObjectId(args, otherId) && other.open(otherId, AcDb::kForRead))
    intersectPtrapPtrap(*pipe, d, *other, hits);
  return answerHits(hits);
}

}  // namespace

int ovLispIntersectPtrapLine() { return runLocked(intersectLineWorker); }
int ovLispIntersectPtrapArc() { return runLocked(intersectArcWorker); }
int ovLispIntersectPtrapPtrap() { return runLocked(intersectPtrapWorker); }
