// The hanger list of a pipe as LISP reads it back: the distances its flow arrow holds.
// The module does not space hangers itself; the LISP program computes and stores them.
#include "arrow/PlumbPipeArrow.h"
#include "arrow/arrow_lisp.h"
#include "frame/lisp_args.h"
#include "frame/lisp_frame.h"
#include "frame/lisp_result.h"

namespace {

int getHangerListWorker() {
  ArgCursor args;
  AcDbObjectId id;
  if (!argObjectId(args, id)) return kWorkerWrongType;
  // Anything but an arrow (a pipe included) has no hangers: nil, without a message.
  PlumbPipeArrow* arrow = nullptr;
  if (acdbOpenObject(arrow, id, AcDb::kForRead) != Acad::eOk) return kWorkerDone;
  ResultList result;
  resultListBegin(result);
  for (double distance : arrow->hangers()) resultAddStringReal(result, L"d", distance);
  resultListReturn(result);
  arrow->close();
  return kWorkerDone;
}

}  // namespace

int ovLispGetHangerList() { return runLocked(getHangerListWorker); }
