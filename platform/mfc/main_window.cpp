// Window wrappers over handles, and the host's main frame.
#include "mfc/main_window.h"

#include <map>
#include <memory>
#include <mutex>

#include "mfc/afx_module.h"

namespace {

std::mutex wrapperMutex;

std::map<HWND, std::unique_ptr<CWnd>>& wrappers() {
  static std::map<HWND, std::unique_ptr<CWnd>> table;
  return table;
}

}  // namespace

CWnd* CWnd::FromHandle(HWND window) {
  if (window == nullptr) return nullptr;
  if (window == adsw_acadMainWnd()) return acedGetAcadFrame();
  std::lock_guard<std::mutex> lock(wrapperMutex);
  std::unique_ptr<CWnd>& wrapper = wrappers()[window];
  if (!wrapper) wrapper = std::make_unique<CWnd>(window);
  return wrapper.get();
}

int CWnd::MessageBox(LPCTSTR text, LPCTSTR title, UINT type) const {
  return ::MessageBox(m_hWnd, text, title ? title : AfxGetAppName(), type);
}

CWnd* CWnd::SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }

BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }

CWnd* CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }

HWND adsw_acadMainWnd() { return hostMainWindow(); }

CMDIFrameWnd* acedGetAcadFrame() {
  static CMDIFrameWnd frame(hostMainWindow());
  return &frame;
}

CWnd* AfxGetMainWnd() { return acedGetAcadFrame(); }
