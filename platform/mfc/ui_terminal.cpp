// The terminal driver: dialogs, message boxes and file dialogs asked of a person.
#include "mfc/ui_terminal.h"

#include <algorithm>
#include <string>

#include "arx/aced_print.h"
#include "mfc/dialog.h"
#include "mfc/dialog_screen.h"
#include "mfc/ui_actions.h"
#include "mfc/ui_names.h"
#include "win/win_text.h"

bool TerminalUiDriver::readLine(const std::wstring& prompt, std::wstring& line) {
  acedPrintText(prompt);
  std::string utf8;
  if (!std::getline(in_, utf8)) return false;
  acedPrintInputEndedLine();
  if (!utf8.empty() && utf8.back() == '\r') utf8.pop_back();
  line = winTrim(acutUtf8ToWide(utf8));
  return true;
}

int TerminalUiDriver::messageBox(const std::wstring& title, const std::wstring& text, UiIcon /*icon*/,
                                 const std::vector<int>& buttons, int defaultAnswer) {
  acedPrintText(uiMessageBoxLine(title, text));
  std::wstring offer;
  for (int button : buttons)
    offer += (offer.empty() ? L"" : L", ") + uiAnswerName(button) + (button == defaultAnswer ? L" (default)" : L"");
  std::wstring line;
  while (readLine(L"\n" + offer + L"? ", line)) {
    if (line.empty()) break;
    const int answer = uiAnswerFromName(line);
    if (std::find(buttons.begin(), buttons.end(), answer) != buttons.end()) {
      acedPrintText(uiAnswerLine(uiAnswerName(answer)));
      return answer;
    }
  }
  acedPrintText(uiAnswerLine(uiAnswerName(defaultAnswer), L"default"));
  return defaultAnswer;
}

std::optional<std::wstring> TerminalUiDriver::pickFile(const std::wstring& title, const std::wstring& filter,
                                                       const std::wstring& folder, const std::wstring& fileName) {
  acedPrintText(uiFileDialogLine(title, filter, folder, fileName));
  std::wstring line;
  if (!readLine(L"\nFile (empty to cancel)? ", line) || line.empty()) {
    acedPrintText(uiAnswerLine(L"Cancel"));
    return std::nullopt;
  }
  acedPrintText(uiAnswerLine(line));
  return line;
}

void TerminalUiDriver::runDialog(CDialog& dialog) {
  acedPrintText(uiDialogLine(dialog) + L"\n" + dialogScreen(dialog));
  std::wstring line;
  while (!dialog.isEnded()) {
    if (!readLine(L"dialog> ", line)) return uiCancelDialog(dialog, L"end of input");
    if (line.empty()) continue;
    const std::size_t blank = line.find_first_of(L" \t");
    std::wstring verb = line.substr(0, blank);
    std::transform(verb.begin(), verb.end(), verb.begin(), [](wchar_t c) { return static_cast<wchar_t>(towlower(c)); });
    const std::wstring argument = blank == std::wstring::npos ? L"" : line.substr(blank);
    if (verb == L"help") {
      acedPrintText(uiActionHelp() + L"\n");
      continue;
    }
    UiAction action;
    std::wstring problem = parseDialogAction(verb, argument, action);
    if (problem.empty()) problem = applyDialogAction(dialog, action);
    if (!problem.empty()) {
      acedPrintText(L"-> " + problem + L" (help lists the actions)\n");
      continue;
    }
    if (verb == L"show") acedPrintText(L"\n");  // the action printed the screen; end its last line
    else if (!dialog.isEnded()) acedPrintText(dialogScreen(dialog));
  }
  acedPrintText(uiDialogClosedLine(dialog.endCode()) + L"\n");
}

std::optional<std::size_t> TerminalUiDriver::pickItem(const std::wstring& question,
                                                      const std::vector<std::wstring>& items) {
  acedPrintText(uiListLine(question, items));
  std::wstring line;
  while (readLine(L"\nNumber or text (empty to cancel)? ", line) && !line.empty()) {
    const UiRef word{line, false};
    std::optional<std::size_t> chosen = uiFindItem(items, uiTextArgument(line));
    if (word.isNumber() && word.number() >= 1 && static_cast<std::size_t>(word.number()) <= items.size())
      chosen = static_cast<std::size_t>(word.number() - 1);
    if (chosen) {
      acedPrintText(uiAnswerLine(items[*chosen]));
      return chosen;
    }
  }
  acedPrintText(uiAnswerLine(L"Cancel"));
  return std::nullopt;
}

std::optional<std::wstring> TerminalUiDriver::readInput(const std::wstring& prompt) {
  std::wstring line;
  if (!readLine(uiInputLine(prompt) + L" ", line)) {
    acedPrintText(uiAnswerLine(L"Cancel", L"end of input"));
    return std::nullopt;
  }
  return line;
}
