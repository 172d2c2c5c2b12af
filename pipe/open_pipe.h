// A pipe opened for the span of one LISP call and closed on every way out, the
// exceptions the frame reports included.
#pragma once

#include "frame/lisp_args.h"
#include "pipe/PlumbPipe.h"

class OpenPipe {
 public:
  OpenPipe() = default;
  ~OpenPipe() {
    if (pipe_ != nullptr) pipe_->close();
  }
  OpenPipe(const OpenPipe&) = delete;
  OpenPipe& operator=(const OpenPipe&) = delete;

  // False when the object is no pipe, is erased or cannot be opened so.
  bool open(AcDbObjectId id, AcDb::OpenMode mode) { return acdbOpenObject(pipe_, id, mode) == Acad::eOk; }
  PlumbPipe* operator->() const { return pipe_; }
  PlumbPipe& operator*() const { return *pipe_; }

 private:
  PlumbPipe* pipe_ = nullptr;
};

// Reads the pipe argument and opens the pipe. False when the caller is to stop, with
// status set: wrong type for a missing argument, done (nil) for no openable pipe.
bool openPipeFromArgs(ArgCursor& args, OpenPipe& pipe, AcDb::OpenMode mode, int& status);
