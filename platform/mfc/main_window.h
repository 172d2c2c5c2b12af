// Windows as the framework wraps them (CWnd) and the host's main frame window that
// dialogs and message boxes take as their parent.
#pragma once

#include "mfc/afx_exceptions.h"
#include "mfc/message_box.h"
#include "win/window_focus.h"
#include "win/windows_types.h"

class CWnd : public CObject {
 public:
  CWnd() = default;
  explicit CWnd(HWND window) : m_hWnd(window) {}

  HWND GetSafeHwnd() const { return m_hWnd; }
  // The wrapper of a handle; the same object for the same handle, kept for the life
  // of the process. Null for a null handle.
  static CWnd* FromHandle(HWND window);

  // A message box owned by this window; a null title is the application's name.
  int MessageBox(LPCTSTR text, LPCTSTR title = nullptr, UINT type = MB_OK) const;
  CWnd* SetActiveWindow();
  BOOL SetForegroundWindow();
  CWnd* SetFocus();
  static CWnd* GetActiveWindow();

  HWND m_hWnd = nullptr;
};

class CFrameWnd : public CWnd {
 public:
  using CWnd::CWnd;
};

class CMDIFrameWnd : public CFrameWnd {
 public:
  using CFrameWnd::CFrameWnd;
};

// The host's main window: its handle and its frame object.
HWND adsw_acadMainWnd();
CMDIFrameWnd* acedGetAcadFrame();
CWnd* AfxGetMainWnd();
