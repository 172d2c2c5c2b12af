// The desktop window's answers to the host's user-interface calls.
#include "gui_driver.h"

#include <algorithm>

#include <wx/choicdlg.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include "arx/aced_print.h"
#include "arx/ap_doc_manager.h"
#include "gui_dialog.h"
#include "main_frame.h"
#include "mfc/dialog.h"
#include "win/windows_types.h"

namespace {

long iconStyle(UiIcon icon) {
  switch (icon) {
    case UiIcon::Error: return wxICON_ERROR;
    case UiIcon::Warning: return wxICON_WARNING;
    case UiIcon::Question: return wxICON_QUESTION;
    case UiIcon::Information: return wxICON_INFORMATION;
    case UiIcon::None: break;
  }
  return 0;
}

}  // namespace

std::wstring guiWildcard(const std::wstring& filter) {
  std::wstring out = filter;
  while (!out.empty() && out.back() == L'|') out.pop_back();
  return out.empty() ? L"All files (*.*)|*.*" : out;
}

int GuiUiDriver::messageBox(const std::wstring& title, const std::wstring& text, UiIcon icon,
                            const std::vector<int>& buttons, int defaultAnswer) {
  acedPrintText(uiMessageBoxLine(title, text));
  // The toolkit's box offers up to three buttons, in the places of Yes, No and Cancel
  // (or OK and Cancel), each with the host's answer's words on it.
  std::vector<int> offered = buttons.empty() ? std::vector<int>{IDOK} : buttons;
  if (offered.size() > 3) offered.resize(3);
  const bool okCancel = offered == std::vector<int>{IDOK, IDCANCEL};
  long style = iconStyle(icon);
  if (offered.size() == 1) style |= wxOK;
  else if (okCancel) style |= wxOK | wxCANCEL;
  else style |= wxYES_NO | (offered.size() == 3 ? wxCANCEL : 0);
  const std::size_t defaultAt = std::find(offered.begin(), offered.end(), defaultAnswer) - offered.begin();
  if (offered.size() > 1 && !okCancel && defaultAt == 1) style |= wxNO_DEFAULT;
  if (okCancel && defaultAnswer == IDCANCEL) style |= wxCANCEL_DEFAULT;
  wxMessageDialog box(frame_, text, title, style);
  const auto label = [](int answer) { return wxString(uiAnswerName(answer)); };
  if (offered.size() == 1) box.SetOKLabel(label(offered[0]));
  else if (okCancel) box.SetOKCancelLabels(label(IDOK), label(IDCANCEL));
  else if (offered.size() == 2) box.SetYesNoLabels(label(offered[0]), label(offered[1]));
  else box.SetYesNoCancelLabels(label(offered[0]), label(offered[1]), label(offered[2]));
  const int shown = box.ShowModal();
  int answer = defaultAnswer;
  if (offered.size() == 1) answer = offered[0];
  else if (okCancel) answer = shown == wxID_OK ? IDOK : IDCANCEL;
  else if (shown == wxID_YES) answer = offered[0];
  else if (shown == wxID_NO) answer = offered[1];
  else if (shown == wxID_CANCEL) answer = offered.size() == 3 ? offered[2] : defaultAnswer;
  acedPrintText(uiAnswerLine(uiAnswerName(answer)));
  return answer;
}

std::optional<std::wstring> GuiUiDriver::pickFile(const std::wstring& title, const std::wstring& filter,
                                                  const std::wstring& folder, const std::wstring& fileName) {
  acedPrintText(uiFileDialogLine(title, filter, folder, fileName));
  wxFileDialog dialog(frame_, title.empty() ? wxString("Open") : wxString(title), folder, fileName,
                      guiWildcard(filter), wxFD_OPEN);
  if (dialog.ShowModal() != wxID_OK) {
    acedPrintText(uiAnswerLine(L"Cancel"));
    return std::nullopt;
  }
  const std::wstring path = dialog.GetPath().ToStdWstring();
  acedPrintText(uiAnswerLine(path));
  return path;
}

void GuiUiDriver::runDialog(CDialog& dialog) {
  acedPrintText(uiDialogLine(dialog));
  {
    GuiDialog window(frame_, dialog);
    window.ShowModal();
  }
  // The window went away without the dialog ending (the toolkit closed it): that is
  // Escape, as the window's close box is.
  if (!dialog.isEnded()) uiCancelDialog(dialog, L"the window was closed");
  acedPrintText(uiDialogClosedLine(dialog.endCode()) + L"\n");
}

std::optional<std::size_t> GuiUiDriver::pickItem(const std::wstring& question, const std::vector<std::wstring>& items) {
  acedPrintText(uiListLine(question, items));
  wxArrayString choices;
  for (const std::wstring& item : items) choices.Add(item);
  wxSingleChoiceDialog dialog(frame_, question, "ovhost", choices);
  if (dialog.ShowModal() != wxID_OK || dialog.GetSelection() < 0) {
    acedPrintText(uiAnswerLine(L"Cancel"));
    return std::nullopt;
  }
  const std::size_t chosen = static_cast<std::size_t>(dialog.GetSelection());
  acedPrintText(uiAnswerLine(items[chosen]));
  return chosen;
}

std::optional<std::wstring> GuiUiDriver::readInput(const std::wstring& prompt) {
  if (frame_ == nullptr) return UiDriver::readInput(prompt);
  return frame_->readInput(prompt);
}
