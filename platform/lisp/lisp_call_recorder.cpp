// A recording stand-in for a LISP function, put back when the recorder ends.
#include "lisp/lisp_call_recorder.h"

LispCallRecorder::LispCallRecorder(LispInterpreter& interpreter, const std::wstring& name, LispBuiltinFn answer)
    : interpreter_(interpreter), name_(name), log_(std::make_shared<Log>()) {
  replaced_ = interpreter_.symbolValue(name_);
  LispValue replaced = replaced_;
  std::shared_ptr<Log> log = log_;
  interpreter_.defineBuiltin(name_, 0, -1, [log, replaced, answer](LispInterpreter& in, const LispArgs& args) {
    log->calls.push_back(args);
    if (answer) return answer(in, args);
    return replaced.isNil() ? LispValue() : in.apply(replaced, args);
  });
}

LispCallRecorder::~LispCallRecorder() { interpreter_.replaceFunction(name_, replaced_); }
