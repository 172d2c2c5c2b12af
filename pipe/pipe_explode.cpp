// ov_plumb-explodePipe: the pipe's drawing turned into plain objects of model space,
// answered newest first; the pipe itself stays as it was.
#include "arx/aced_lisp.h"
#include "frame/lisp_frame.h"
#include "frame/lisp_result.h"
#include "pipe/pipe_drawing.h"
#include "pipe/open_pipe.h"
#include "pipe/pipe_drawing_lisp.h"

namespace {

int explodePipeWorker() {
  ArgCursor args;
  std::vector<AcDbObjectId> created;
  {
    OpenPipe pipe;
    int status = kWorkerDone;
    if (!openPipeFromArgs(args, pipe, AcDb::kForRead, status)) return status;
    // A failed append has been told to the user; what was made before it is answered.
    explodePipe(*pipe, created);
  }
  ResultList result;
  resultListBegin(result);
  for (const AcDbObjectId& id : created) {
    AcDbEntity* entity = nullptr;
    if (acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk) continue;
    resultAddStringEntity(result, L"obj", entity);
    entity->close();
  }
  resultListReturn(result);
  return kWorkerDone;
}

}  // namespace

int ovLispExplodePipe() { return runInDocument(explodePipeWorker); }
