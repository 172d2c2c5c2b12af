// The current UI driver, the console's default driver and the lines drivers print.
#include "mfc/ui_driver.h"

#include "arx/aced_print.h"
#include "mfc/dialog.h"
#include "mfc/message_box.h"
#include "win/win_text.h"

namespace {

ConsoleUiDriver& consoleDriver() {
  static ConsoleUiDriver driver;
  return driver;
}

UiDriver*& currentDriver() {
  static UiDriver* driver = nullptr;
  return driver;
}

struct AnswerName {
  int answer;
  const wchar_t* name;
};
constexpr AnswerName kAnswerNames[] = {
    {IDOK, L"OK"},         {IDCANCEL, L"Cancel"},       {IDYES, L"Yes"},
    {IDNO, L"No"},         {IDABORT, L"Abort"},         {IDRETRY, L"Retry"},
    {IDIGNORE, L"Ignore"}, {IDTRYAGAIN, L"Try Again"}, {IDCONTINUE, L"Continue"},
};

std::wstring withoutBlanks(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text)
    if (c != L' ' && c != L'\t') out += c;
  return out;
}

}  // namespace

UiDriver& uiDriver() {
  UiDriver* driver = currentDriver();
  return driver ? *driver : consoleDriver();
}

UiDriver* setUiDriver(UiDriver* driver) {
  UiDriver* previous = &uiDriver();
  currentDriver() = (driver == &consoleDriver()) ? nullptr : driver;
  return previous;
}

std::wstring uiAnswerName(int answer) {
  for (const AnswerName& a : kAnswerNames)
    if (a.answer == answer) return a.name;
  return L"answer " + std::to_wstring(answer);
}

int uiAnswerFromName(const std::wstring& name) {
  const std::wstring wanted = withoutBlanks(name);
  for (const AnswerName& a : kAnswerNames)
    if (!wanted.empty() && winEqualNoCase(wanted, withoutBlanks(a.name))) return a.answer;
  return 0;
}

std::wstring uiMessageBoxLine(const std::wstring& title, const std::wstring& text) {
  return L"\n[" + title + L"] " + text;
}

std::wstring uiFileDialogLine(const std::wstring& title, const std::wstring& filter, const std::wstring& folder,
                              const std::wstring& fileName) {
  std::wstring line = L"\n[" + (title.empty() ? std::wstring(L"Open") : title) + L"] choose a file: " + filter;
  if (!folder.empty()) line += L" in " + folder;
  if (!fileName.empty()) line += L", proposed " + fileName;
  return line;
}

std::wstring uiAnswerLine(const std::wstring& answer, const std::wstring& note) {
  return L"\n-> " + answer + (note.empty() ? L"" : L" (" + note + L")");
}

int ConsoleUiDriver::messageBox(const std::wstring& title, const std::wstring& text, UiIcon /*icon*/,
                                const std::vector<int>& /*buttons*/, int defaultAnswer) {
  acedPrintText(uiMessageBoxLine(title, text) + uiAnswerLine(uiAnswerName(defaultAnswer)));
  return defaultAnswer;
}

std::optional<std::wstring> ConsoleUiDriver::pickFile(const std::wstring& title, const std::wstring& filter,
                                                      const std::wstring& folder, const std::wstring& fileName) {
  acedPrintText(uiFileDialogLine(title, filter, folder, fileName) + uiAnswerLine(L"Cancel"));
  return std::nullopt;
}

void UiDriver::runDialog(CDialog& dialog) {
  acedPrintText(uiDialogLine(dialog));
  uiCancelDialog(dialog, L"nobody is there to answer the dialog");
}

std::optional<std::size_t> UiDriver::pickItem(const std::wstring& question, const std::vector<std::wstring>& items) {
  acedPrintText(uiListLine(question, items) + uiAnswerLine(L"Cancel", L"nobody is there to answer"));
  return std::nullopt;
}

std::optional<std::wstring> UiDriver::readInput(const std::wstring& prompt) {
  acedPrintText(uiInputLine(prompt) + uiAnswerLine(L"Cancel", L"nobody is there to answer"));
  return std::nullopt;
}

std::wstring uiListLine(const std::wstring& question, const std::vector<std::wstring>& items) {
  std::wstring lines = L"\n" + question;
  for (std::size_t i = 0; i < items.size(); ++i) lines += L"\n  " + std::to_wstring(i + 1) + L". " + items[i];
  return lines;
}

std::wstring uiInputLine(const std::wstring& prompt) {
  const std::size_t start = prompt.find_first_not_of(L"\r\n");
  return L"\n" + (start == std::wstring::npos ? std::wstring(L"(input)") : prompt.substr(start));
}

std::wstring uiDialogLine(const CDialog& dialog) {
  return L"\n[" + dialog.caption() + L"] dialog " + dialogNameOf(dialog);
}

std::wstring uiDialogClosedLine(int code) {
  const std::wstring name = uiAnswerName(code);
  const bool named = uiAnswerFromName(name) == code;
  return L"\n-> closed with " + (named ? name : L"code " + std::to_wstring(code));
}

void uiCancelDialog(CDialog& dialog, const std::wstring& note) {
  acedPrintText(uiAnswerLine(L"Cancel", note));
  dialog.pressEscape();
  if (!dialog.isEnded()) dialog.EndDialog(IDCANCEL);
}
