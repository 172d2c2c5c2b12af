// Replacing a LISP function for a test and recording the arguments of every call,
// for checking what a plug-in sends to the host's LISP functions.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lisp/lisp_interpreter.h"

class LispCallRecorder {
 public:
  // Puts a recording function under the name. Each call is recorded, then answered
  // by `answer` when one is given, otherwise by the definition it replaced (nil when
  // there was none).
  LispCallRecorder(LispInterpreter& interpreter, const std::wstring& name, LispBuiltinFn answer = {});
  // Puts the replaced definition back.
  ~LispCallRecorder();
  LispCallRecorder(const LispCallRecorder&) = delete;
  LispCallRecorder& operator=(const LispCallRecorder&) = delete;

  // The arguments of each call, oldest first.
  const std::vector<LispArgs>& calls() const { return log_->calls; }

 private:
  // Shared with the recording function, which may outlive the recorder in a value
  // that a script kept.
  struct Log {
    std::vector<LispArgs> calls;
  };
  LispInterpreter& interpreter_;
  std::wstring name_;
  LispValue replaced_;
  std::shared_ptr<Log> log_;
};
