// The host's main window and which window is active. There are no real windows: the
// handles stand for them, and every activation a plug-in asks for is recorded so that
// tests can see that the active window is put back after a message box.
#pragma once

#include <string>
#include <vector>

#include "win/windows_types.h"

constexpr LONG ERROR_INVALID_WINDOW_HANDLE = 1400;

// The host's main frame window; active until something else is activated.
HWND hostMainWindow();

HWND GetActiveWindow();
// Answers the window that was active, or null (ERROR_INVALID_WINDOW_HANDLE) for a null
// window.
HWND SetActiveWindow(HWND window);
BOOL SetForegroundWindow(HWND window);
HWND GetFocus();
HWND SetFocus(HWND window);

struct WindowActivation {
  std::wstring call;  // L"SetActiveWindow", L"SetForegroundWindow" or L"SetFocus"
  HWND window = nullptr;
};
std::vector<WindowActivation> windowActivations();
void clearWindowActivations();
