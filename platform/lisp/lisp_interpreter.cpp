// The LISP evaluator: symbol values, function calls with dynamic scope, the guard
// against runaway recursion, scripts, and the plug-ins' function table.
#include "lisp/lisp_interpreter.h"

#include <pthread.h>

#include <algorithm>
#include <cstdint>

#include "arx/aced_print.h"
#include "lisp/lisp_bridge.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_host_documents.h"
#include "lisp/lisp_host_program.h"
#include "lisp/lisp_printer.h"
#include "lisp/lisp_reader.h"

namespace {

LispInterpreter* gCurrent = nullptr;

// The lowest address this thread's stack may use and the stack's size, found once
// per thread (zero when the system cannot tell).
struct StackBounds {
  std::uintptr_t low = 0;
  std::uintptr_t size = 0;
};

StackBounds threadStack() {
  thread_local StackBounds bounds = [] {
    StackBounds b;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0) return b;
    void* base = nullptr;
    size_t size = 0;
    if (pthread_attr_getstack(&attr, &base, &size) == 0) {
      b.low = reinterpret_cast<std::uintptr_t>(base);
      b.size = size;
    }
    pthread_attr_destroy(&attr);
    return b;
  }();
  return bounds;
}

// True when this frame is within reserve bytes (at most a quarter of the stack) of the
// stack's end.
bool stackBelow(std::uintptr_t reserve) {
  StackBounds stack = threadStack();
  if (stack.low == 0) return false;
  auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  return here < stack.low + std::min(reserve, stack.size / 4);
}

// Evaluation stops well before the stack's end: what runs below the last LISP frame
// (a plug-in's function, the sanitizers' reports) needs room of its own.
bool stackNearlyExhausted() { return stackBelow(512 * 1024); }

// Nested calls a user's *error* function may make while it reports an error.
constexpr int kReportDepth = 200;

const wchar_t kDepthMessage[] = L"maximum recursion depth exceeded";

}  // namespace

class LispInterpreter::DepthGuard {
 public:
  explicit DepthGuard(LispInterpreter& in) : in_(in) {
    if (in_.depth_ >= in_.maxDepth_ || stackNearlyExhausted()) throw LispError(kDepthMessage);
    ++in_.depth_;
  }
  ~DepthGuard() { --in_.depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  LispInterpreter& in_;
};

LispInterpreter::LispInterpreter() {
  setSymbolValue(L"T", LispValue::t());
  lispDefineSpecialForms(*this);
  lispDefineMathBuiltins(*this);
  lispDefineListBuiltins(*this);
  lispDefineTextBuiltins(*this);
  lispDefineDataBuiltins(*this);
  lispDefineGeometryBuiltins(*this);
  lispDefineEntityBuiltins(*this);
  lispDefineCurveBuiltins(*this);
  lispDefineEntityHostServices(*this);
  lispDefineHostDocuments(*this);
  lispDefineInputBuiltins(*this);
  lispDefinePredicateBuiltins(*this);
  lispDefineSortBuiltins(*this);
  lispDefineStringBuiltins(*this);
  lispDefineUnitBuiltins(*this);
  lispDefineIntegerBuiltins(*this);
  lispDefineControlBuiltins(*this);
  lispDefineStreamBuiltins(*this);
  lispDefineFileBuiltins(*this);
  lispDefineSelectionSetBuiltins(*this);
  lispDefineHostProgram(*this);
}

LispInterpreter::~LispInterpreter() {
  if (gCurrent == this) gCurrent = nullptr;
}

LispInterpreter& LispInterpreter::current() {
  if (gCurrent != nullptr) return *gCurrent;
  static LispInterpreter processInterpreter;
  return processInterpreter;
}

LispInterpreter* LispInterpreter::setCurrent(LispInterpreter* interpreter) {
  LispInterpreter* previous = gCurrent;
  gCurrent = interpreter;
  return previous;
}

LispValue LispInterpreter::symbolValue(const std::wstring& name) const {
  auto it = globals_.find(lispUpperName(name));
  return it == globals_.end() ? LispValue() : it->second;
}

void LispInterpreter::setSymbolValue(const std::wstring& name, LispValue value) {
  if (value.isNil()) globals_.erase(lispUpperName(name));
  else globals_[lispUpperName(name)] = std::move(value);
}

namespace {

LispValue makeSubr(const std::wstring& name, int minArgs, int maxArgs, bool special, LispBuiltinFn fn) {
  auto subr = std::make_shared<LispSubr>();
  subr->name = lispUpperName(name);
  subr->minArgs = minArgs;
  subr->maxArgs = maxArgs;
  subr->special = special;
  subr->fn = std::move(fn);
  return LispValue::fromObject(std::move(subr));
}

void checkArgCount(size_t count, int minArgs, int maxArgs) {
  if (count < static_cast<size_t>(minArgs)) throw LispError(L"too few arguments");
  if (maxArgs >= 0 && count > static_cast<size_t>(maxArgs)) throw LispError(L"too many arguments");
}

bool isLambdaList(const LispValue& value) { return value.isCons() && value.car().isSymbol(L"LAMBDA"); }

// The values a resbuf chain carries at its top level, counted as the LISP path counts
// arguments: a list or a dotted pair between RTLB and RTLE is one value.
size_t topLevelValues(const resbuf* rb) {
  size_t count = 0;
  int depth = 0;
  for (; rb != nullptr; rb = rb->rbnext) {
    if (rb->restype == RTLB) {
      if (depth++ == 0) ++count;
    } else if (rb->restype == RTLE || rb->restype == RTDOTE) {
      if (rb->restype == RTLE) --depth;
    } else if (depth == 0) {
      ++count;
    }
  }
  return count;
}

}  // namespace

void LispInterpreter::defineBuiltin(const std::wstring& name, int minArgs, int maxArgs, LispBuiltinFn fn) {
  setSymbolValue(name, makeSubr(name, minArgs, maxArgs, false, std::move(fn)));
}

void LispInterpreter::defineSpecialForm(const std::wstring& name, int minArgs, int maxArgs, LispBuiltinFn fn) {
  setSymbolValue(name, makeSubr(name, minArgs, maxArgs, true, std::move(fn)));
}

LispValue LispInterpreter::replaceFunction(const std::wstring& name, LispValue function) {
  LispValue previous = symbolValue(name);
  setSymbolValue(name, std::move(function));
  return previous;
}

LispValue LispInterpreter::functionOf(const LispValue& head) {
  LispValue fn;
  if (head.isSymbol()) {
    fn = symbolValue(head.text());
    if (fn.isNil()) throw LispError(L"no function definition: " + head.text());
  } else if (isLambdaList(head)) {
    return lispMakeUserFn(L"", head.cdr().car(), head.cdr().cdr());
  } else if (head.isCons()) {
    fn = eval(head);
  } else {
    fn = head;
  }
  if (!fn.isFunction() && !isLambdaList(fn)) throw LispError(L"bad function: " + lispToString(fn));
  return fn;
}

LispValue LispInterpreter::eval(const LispValue& form) {
  if (form.isSymbol()) return symbolValue(form.text());
  if (!form.isCons()) return form;
  DepthGuard guard(*this);
  LispValue fn = functionOf(form.car());
  LispArgs args;
  if (!lispListItems(form.cdr(), args)) throw LispError(L"bad argument list: " + lispToString(form));
  const LispSubr* subr = fn.subr();
  if (subr != nullptr && subr->special) {
    checkArgCount(args.size(), subr->minArgs, subr->maxArgs);
    return subr->fn(*this, args);
  }
  for (LispValue& arg : args) arg = eval(arg);
  return apply(fn, args);
}

LispValue LispInterpreter::apply(const LispValue& function, const LispArgs& args) {
  DepthGuard guard(*this);
  // A quoted name ('car, 'myfun) stands for the function it names.
  if (function.isSymbol()) return apply(functionOf(function), args);
  if (const LispSubr* subr = function.subr(); subr != nullptr && !subr->special) {
    checkArgCount(args.size(), subr->minArgs, subr->maxArgs);
    if (subr->external) return lispCallExternal(*this, *subr, args);
    return subr->fn(*this, args);
  }
  if (const LispUserFn* fn = function.userFn()) return applyUserFn(*fn, args);
  if (isLambdaList(function)) {
    LispValue made = lispMakeUserFn(L"", function.cdr().car(), function.cdr().cdr());
    return applyUserFn(*made.userFn(), args);
  }
  throw LispError(L"bad function: " + lispToString(function));
}

LispValue LispInterpreter::applyExternal(const LispSubr& function, const resbuf* args) {
  DepthGuard guard(*this);
  if (function.minArgs > 0 || function.maxArgs >= 0) checkArgCount(topLevelValues(args), function.minArgs, function.maxArgs);
  return lispCallExternalChain(*this, function, args);
}

LispValue LispInterpreter::applyUserFn(const LispUserFn& fn, const LispArgs& args) {
  checkArgCount(args.size(), static_cast<int>(fn.params.size()), static_cast<int>(fn.params.size()));
  LispBindingScope scope(*this);
  for (size_t i = 0; i < args.size(); ++i) scope.bind(fn.params[i], args[i]);
  for (const std::wstring& local : fn.locals) scope.bind(local, LispValue());
  LispValue result;
  try {
    for (const LispValue* form = &fn.body; form->isCons(); form = &form->cdr()) result = eval(form->car());
  } catch (LispError& e) {
    // Reported before the scope puts the bindings back: a routine's own *error*
    // (one of its locals, as routines declare it) must see the routine's variables.
    // Runaway recursion is reported further out, where *error* has room to run.
    if (catchDepth_ == 0 && roomToReport()) reportError(e);
    throw;
  } catch (const std::exception& e) {
    LispError error(acutUtf8ToWide(e.what()));
    if (catchDepth_ == 0 && roomToReport()) reportError(error);
    throw error;
  }
  return result;
}

void LispInterpreter::printText(const std::wstring& text) {
  if (text.empty()) return;
  acedPrintText(text);
}

void LispInterpreter::printError(const std::wstring& message) {
  LispValue handler = symbolValue(L"*ERROR*");
  if (handler.isFunction() || isLambdaList(handler)) {
    try {
      // A fault of the handler itself ends up below, reported once and plainly.
      CatchScope handling(*this);
      apply(handler, {LispValue::string(message)});
      return;
    } catch (const LispError& e) {
      // An error inside the handler is reported plainly, not handled again.
      printText(std::wstring(acedPrintLineOpen() ? L"\n" : L"") + L"; error: " + e.message() + L"\n");
      return;
    }
  }
  printText(std::wstring(acedPrintLineOpen() ? L"\n" : L"") + L"; error: " + message + L"\n");
}

bool LispInterpreter::roomToReport() const {
  return depth_ + kReportDepth < maxDepth_ && !stackBelow(2 * 1024 * 1024);
}

void LispInterpreter::reportError(LispError& error) {
  if (error.reported()) return;
  error.setReported();
  printError(error.message());
}

std::vector<std::wstring> LispInterpreter::boundSymbolNames() const {
  std::vector<std::wstring> names;
  names.reserve(globals_.size());
  for (const auto& [name, value] : globals_) names.push_back(name);
  std::sort(names.begin(), names.end());
  return names;
}

void LispInterpreter::evaluateTopLevel(const LispValue& form, int& errors) {
  try {
    eval(form);
  } catch (LispError& e) {
    ++errors;
    reportError(e);
  } catch (const std::exception& e) {
    ++errors;
    printError(acutUtf8ToWide(e.what()));
  }
}

int LispInterpreter::evaluateScript(const std::string& utf8) {
  LispCurrentScope scope(*this);
  std::vector<LispValue> forms;
  std::wstring readError;
  bool readWhole = lispReadAll(utf8, forms, readError);
  int errors = 0;
  for (const LispValue& form : forms) evaluateTopLevel(form, errors);
  if (!readWhole) {
    ++errors;
    printError(readError);
  }
  return errors;
}

LispResult LispInterpreter::evaluate(const std::string& utf8) {
  LispCurrentScope scope(*this);
  CatchScope answered(*this);
  LispResult result;
  std::vector<LispValue> forms;
  std::wstring readError;
  bool readWhole = lispReadAll(utf8, forms, readError);
  try {
    for (const LispValue& form : forms) result.value = eval(form);
  } catch (const LispError& e) {
    result.error = e.message();
    return result;
  } catch (const std::exception& e) {
    result.error = acutUtf8ToWide(e.what());
    return result;
  }
  if (!readWhole) {
    result.error = readError;
    return result;
  }
  result.ok = true;
  return result;
}

std::wstring LispInterpreter::evaluateToText(const std::string& utf8) {
  LispResult result = evaluate(utf8);
  return result.ok ? lispToString(result.value) : L"; error: " + result.error;
}

void LispInterpreter::defineExternal(const std::wstring& name, short funcCode, const void* application) {
  auto subr = std::make_shared<LispSubr>();
  subr->name = lispUpperName(name);
  subr->external = true;
  subr->application = application;
  subr->funcCode = funcCode;
  setSymbolValue(name, LispValue::fromObject(std::move(subr)));
}

void LispInterpreter::setExternalHandler(short funcCode, const void* application, LispExternalHandler handler) {
  if (handler == nullptr) handlers_.erase({application, funcCode});
  else handlers_[{application, funcCode}] = handler;
}

LispExternalHandler LispInterpreter::externalHandler(short funcCode, const void* application) const {
  auto it = handlers_.find({application, funcCode});
  return it == handlers_.end() ? nullptr : it->second;
}

bool LispInterpreter::undefineExternal(const std::wstring& name, short funcCode, const void* application) {
  const LispSubr* subr = symbolValue(name).subr();
  if (subr == nullptr || !subr->external || subr->funcCode != funcCode || subr->application != application) {
    return false;
  }
  setSymbolValue(name, LispValue());
  return true;
}

void LispInterpreter::removeApplication(const void* application) {
  for (auto it = globals_.begin(); it != globals_.end();) {
    const LispSubr* subr = it->second.subr();
    if (subr != nullptr && subr->external && subr->application == application) it = globals_.erase(it);
    else ++it;
  }
  for (auto it = handlers_.begin(); it != handlers_.end();) {
    if (it->first.first == application) it = handlers_.erase(it);
    else ++it;
  }
}

LispBindingScope::~LispBindingScope() {
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) interpreter_.setSymbolValue(it->first, std::move(it->second));
}

void LispBindingScope::bind(const std::wstring& name, LispValue value) {
  saved_.emplace_back(name, interpreter_.symbolValue(name));
  interpreter_.setSymbolValue(name, std::move(value));
}
