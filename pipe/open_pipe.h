// A pipe opened for the span of one LISP call and closed on every way out, the
// exceptions the frame reports included.
#pragma once

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
