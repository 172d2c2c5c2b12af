// Recording window activations against the host's main window.
#include "win/window_focus.h"

#include <mutex>

#include "win/last_error.h"

namespace {

struct FocusState {
  std::mutex mutex;
  HWND active = hostMainWindow();
  HWND focus = hostMainWindow();
  std::vector<WindowActivation> log;
};

FocusState& state() {
  static FocusState s;
  return s;
}

// Records the call and moves one of the two window slots; answers the old window.
HWND activate(const wchar_t* call, HWND window, HWND FocusState::*slot) {
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  FocusState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.log.push_back(WindowActivation{call, window});
  HWND previous = s.*slot;
  s.*slot = window;
  return previous;
}

}  // namespace

HWND hostMainWindow() {
  static HWND__ mainWindow{};
  return &mainWindow;
}

HWND GetActiveWindow() {
  FocusState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.active;
}

HWND SetActiveWindow(HWND window) { return activate(L"SetActiveWindow", window, &FocusState::active); }

BOOL SetForegroundWindow(HWND window) {
  return activate(L"SetForegroundWindow", window, &FocusState::active) != nullptr ? TRUE : FALSE;
}

HWND GetFocus() {
  FocusState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.focus;
}

HWND SetFocus(HWND window) { return activate(L"SetFocus", window, &FocusState::focus); }

std::vector<WindowActivation> windowActivations() {
  FocusState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.log;
}

void clearWindowActivations() {
  FocusState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.log.clear();
}
