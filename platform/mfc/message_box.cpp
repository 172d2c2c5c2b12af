// Message boxes: decoding the style into buttons, icon and default, and asking the
// current UI driver.
#include "mfc/message_box.h"

#include <algorithm>
#include <vector>

#include "mfc/afx_module.h"
#include "mfc/ui_driver.h"
#include "win/last_error.h"

namespace {

std::vector<int> buttonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK: return {IDOK};
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    case MB_CANCELTRYCONTINUE: return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
    default: return {};
  }
}

UiIcon iconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return UiIcon::Error;
    case MB_ICONQUESTION: return UiIcon::Question;
    case MB_ICONWARNING: return UiIcon::Warning;
    case MB_ICONINFORMATION: return UiIcon::Information;
    default: return UiIcon::None;
  }
}

}  // namespace

int MessageBox(HWND /*owner*/, LPCTSTR text, LPCTSTR title, UINT type) {
  const std::vector<int> buttons = buttonsOf(type);
  if (buttons.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // A default beyond the last button falls back to the first, as on the platform.
  const std::size_t index = (type & MB_DEFMASK) >> 8;
  const int defaultAnswer = index < buttons.size() ? buttons[index] : buttons[0];
  const int answer = uiDriver().messageBox(title ? title : L"Error", text ? text : L"", iconOf(type), buttons,
                                           defaultAnswer);
  // A driver can only press a button that is there.
  return std::find(buttons.begin(), buttons.end(), answer) != buttons.end() ? answer : defaultAnswer;
}

int AfxMessageBox(LPCTSTR text, UINT type, UINT /*helpId*/) {
  return MessageBox(nullptr, text, AfxGetAppName(), type);
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpId) {
  std::wstring text;
  loadModuleResource(ResourceKind::String, promptId, text);
  return AfxMessageBox(text.c_str(), type, helpId);
}
