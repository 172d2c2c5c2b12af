// Opening the pipe a LISP call names, as every pipe function does first.
#include "pipe/open_pipe.h"

#include "frame/lisp_frame.h"

bool openPipeFromArgs(ArgCursor& args, OpenPipe& pipe, AcDb::OpenMode mode, int& status) {
  AcDbObjectId id;
  if (!argObjectId(args, id)) {
    status = kWorkerWrongType;
    return false;
  }
  if (!pipe.open(id, mode)) {
    status = kWorkerDone;
    return false;
  }
  return true;
}
