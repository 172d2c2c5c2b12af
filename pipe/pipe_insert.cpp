// ov_plumb-insertPipe: the LISP program's way of making a pipe.
#include "arx/aced_lisp.h"
#include "frame/host_services.h"
#include "frame/lisp_frame.h"
#include "frame/lisp_result.h"
#include "pipe/pipe_functions.h"

namespace {

int insertPipeWorker() {
  ArgCursor args;
  int ixPipe = 0;
  AcGePoint3d start, end;
  if (!argInt(args, ixPipe) || !argPoint3d(args, start) || !argPoint3d(args, end)) return kWorkerWrongType;
  auto* pipe = new PlumbPipe();
  pipe->setPipeId(ixPipe);
  pipe->setStartPoint(start, true);
  pipe->setEndPoint(end, true);
  double verticalRadius = 0.0;
  if (argReal(args, verticalRadius)) pipe->setVerticalRadius(verticalRadius);
  if (ovAppendToModelSpace(pipe) != Acad::eOk) {
    // The user has been told; a pipe that is not in the drawing is ours to delete.
    delete pipe;
    acedRetNil();
    return kWorkerDone;
  }
  const AcDbObjectId id = pipe->objectId();
  pipe->close();
  retObjectIdName(id);
  return kWorkerDone;
}

}  // namespace

int ovLispInsertPipe() { return runInDocument(insertPipeWorker); }
