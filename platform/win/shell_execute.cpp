// Recording shell calls and answering them as configured.
#include "win/shell_execute.h"

#include <cerrno>
#include <cstdlib>
#include <mutex>

namespace {

constexpr INT_PTR kDefaultAnswer = 42;

struct ShellState {
  std::mutex mutex;
  std::vector<ShellExecuteCall> calls;
  std::optional<INT_PTR> result;
};

ShellState& state() {
  static ShellState s;
  return s;
}

// The environment's answer; a text that is not a whole number is ignored.
std::optional<INT_PTR> environmentAnswer() {
  const char* text = std::getenv("OVHOST_SHELL_RESULT");
  if (text == nullptr || *text == '\0') return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0') return std::nullopt;
  return static_cast<INT_PTR>(value);
}

}  // namespace

HINSTANCE ShellExecute(HWND window, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters,
                       LPCWSTR directory, int showCommand) {
  ShellState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  ShellExecuteCall call;
  call.window = window;
  call.operation = operation ? operation : L"";
  call.file = file ? file : L"";
  call.parameters = parameters ? parameters : L"";
  call.directory = directory ? directory : L"";
  call.showCommand = showCommand;
  if (call.file.empty()) call.answer = SE_ERR_FNF;
  else call.answer = s.result ? *s.result : environmentAnswer().value_or(kDefaultAnswer);
  s.calls.push_back(call);
  return reinterpret_cast<HINSTANCE>(call.answer);
}

std::vector<ShellExecuteCall> shellExecuteCalls() {
  ShellState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.calls;
}

void clearShellExecuteCalls() {
  ShellState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.calls.clear();
}

void setShellExecuteResult(std::optional<INT_PTR> result) {
  ShellState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.result = result;
}
