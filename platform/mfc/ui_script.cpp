// Parsing answer files and answering dialogs from them.
#include "mfc/ui_script.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "arx/aced_print.h"
#include "mfc/dialog.h"
#include "mfc/message_box.h"
#include "mfc/ui_actions.h"
#include "win/win_text.h"

namespace {

// Checks one answer; answers an empty text when it is good, else what is wrong.
std::wstring checkEntry(const UiScriptEntry& entry) {
  if (entry.action == L"messagebox") {
    if (uiAnswerFromName(entry.argument) != 0) return L"";
    return L"\"" + entry.argument +
           L"\" is not a message box answer (OK, Cancel, Yes, No, Abort, Retry, Ignore, Try Again, Continue)";
  }
  if (entry.action == L"file")
    return entry.argument.empty() ? L"a file answer needs a path (file-cancel cancels the dialog)" : L"";
  if (entry.action == L"item" || entry.action == L"input")
    return entry.argument.empty() ? L"an " + entry.action + L" answer needs a text (" + entry.action + L"-cancel cancels)"
                                  : L"";
  if (entry.action == L"file-cancel" || entry.action == L"item-cancel" || entry.action == L"input-cancel")
    return entry.argument.empty() ? L"" : entry.action + L" takes nothing after it";
  if (entry.action == L"dialog") return entry.argument.empty() ? L"a dialog line needs the dialog's name" : L"";
  if (isDialogActionVerb(entry.action)) {
    UiAction action;
    return parseDialogAction(entry.action, entry.argument, action);
  }
  return L"unknown answer \"" + entry.action +
         L"\" (expected messagebox, file, item, input, their -cancel forms, dialog or a dialog action)";
}

std::unique_ptr<ScriptedUiDriver>& installedDriver() {
  static std::unique_ptr<ScriptedUiDriver> driver;
  return driver;
}

}  // namespace

std::unique_ptr<ScriptedUiDriver> ScriptedUiDriver::fromText(const std::string& utf8, const std::string& sourceName,
                                                             std::wstring& error) {
  std::vector<UiScriptEntry> entries;
  int lineNumber = 0;
  for (const std::wstring& line : winTextLines(utf8)) {
    ++lineNumber;
    if (line.empty() || line[0] == L'#') continue;
    const std::size_t blank = line.find_first_of(L" \t");
    UiScriptEntry entry;
    entry.action = line.substr(0, blank);
    std::transform(entry.action.begin(), entry.action.end(), entry.action.begin(),
                   [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; });
    entry.argument = blank == std::wstring::npos ? L"" : winTrim(line.substr(blank));
    entry.line = lineNumber;
    const std::wstring problem = checkEntry(entry);
    if (!problem.empty()) {
      error = acutUtf8ToWide(sourceName) + L":" + std::to_wstring(lineNumber) + L": " + problem;
      return nullptr;
    }
    entries.push_back(entry);
  }
  const std::string shortName = std::filesystem::path(sourceName).filename().string();
  return std::unique_ptr<ScriptedUiDriver>(new ScriptedUiDriver(std::move(entries), acutUtf8ToWide(shortName)));
}

std::unique_ptr<ScriptedUiDriver> ScriptedUiDriver::fromFile(const std::string& path, std::wstring& error) {
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  if (!in || std::filesystem::is_directory(path, ec)) {
    error = L"cannot read the answer file " + acutUtf8ToWide(path);
    return nullptr;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return fromText(text, path, error);
}

const UiScriptEntry* ScriptedUiDriver::take(const std::vector<std::wstring>& actions, const std::wstring& what,
                                            std::wstring& why) {
  if (next_ >= entries_.size()) {
    why = L"no answers left in " + sourceName_;
    return nullptr;
  }
  const UiScriptEntry& entry = entries_[next_];
  if (std::find(actions.begin(), actions.end(), entry.action) == actions.end()) {
    why = L"line " + std::to_wstring(entry.line) + L" of " + sourceName_ + L" is not an answer to " + what;
    return nullptr;
  }
  ++next_;
  return &entry;
}

int ScriptedUiDriver::messageBox(const std::wstring& title, const std::wstring& text, UiIcon /*icon*/,
                                 const std::vector<int>& buttons, int defaultAnswer) {
  std::wstring why;
  int answer = defaultAnswer;
  if (const UiScriptEntry* entry = take({L"messagebox"}, L"a message box", why)) {
    const int wanted = uiAnswerFromName(entry->argument);
    if (std::find(buttons.begin(), buttons.end(), wanted) != buttons.end())
      answer = wanted;
    else
      why = L"line " + std::to_wstring(entry->line) + L" of " + sourceName_ + L" answers " + uiAnswerName(wanted) +
            L", which this box does not offer";
  }
  acedPrintText(uiMessageBoxLine(title, text) + uiAnswerLine(uiAnswerName(answer), why.empty() ? L"" : L"default; " + why));
  return answer;
}

std::optional<std::wstring> ScriptedUiDriver::pickFile(const std::wstring& title, const std::wstring& filter,
                                                       const std::wstring& folder, const std::wstring& fileName) {
  std::wstring why;
  std::optional<std::wstring> chosen;
  if (const UiScriptEntry* entry = take({L"file", L"file-cancel"}, L"a file dialog", why)) {
    if (entry->action == L"file") chosen = entry->argument;
  }
  acedPrintText(uiFileDialogLine(title, filter, folder, fileName) +
                uiAnswerLine(chosen ? *chosen : L"Cancel", why.empty() ? L"" : L"default; " + why));
  return chosen;
}

void ScriptedUiDriver::runDialog(CDialog& dialog) {
  acedPrintText(uiDialogLine(dialog));
  std::wstring why;
  const UiScriptEntry* expected = take({L"dialog"}, L"a dialog", why);
  if (expected == nullptr) return uiCancelDialog(dialog, why);
  if (!winEqualNoCase(expected->argument, dialogNameOf(dialog)) && !winEqualNoCase(expected->argument, dialog.caption()))
    return uiCancelDialog(dialog, L"line " + std::to_wstring(expected->line) + L" of " + sourceName_ +
                                      L" expects the dialog " + expected->argument);
  while (!dialog.isEnded()) {
    if (next_ >= entries_.size()) return uiCancelDialog(dialog, L"no actions left in " + sourceName_);
    const UiScriptEntry& entry = entries_[next_];
    if (!isDialogActionVerb(entry.action))
      return uiCancelDialog(dialog, L"line " + std::to_wstring(entry.line) + L" of " + sourceName_ +
                                        L" is not an action in this dialog");
    ++next_;
    UiAction action;
    parseDialogAction(entry.action, entry.argument, action);  // checked when the file was read
    // The action is printed before it is done, so that what its handlers show follows it.
    acedPrintText(L"\n-> " + dialogActionLine(action));
    const std::wstring problem = applyDialogAction(dialog, action);
    if (!problem.empty()) acedPrintText(L"\n-> refused: " + problem);
  }
  acedPrintText(uiDialogClosedLine(dialog.endCode()));
}

std::optional<std::size_t> ScriptedUiDriver::pickItem(const std::wstring& question,
                                                      const std::vector<std::wstring>& items) {
  std::wstring why;
  std::optional<std::size_t> chosen;
  if (const UiScriptEntry* entry = take({L"item", L"item-cancel"}, L"a list prompt", why)) {
    const std::wstring wanted = entry->action == L"item" ? uiTextArgument(entry->argument) : L"";
    if (entry->action == L"item") chosen = uiFindItem(items, wanted);
    if (entry->action == L"item" && !chosen)
      why = L"line " + std::to_wstring(entry->line) + L" of " + sourceName_ + L" names no entry \"" + wanted + L"\"";
  }
  acedPrintText(uiListLine(question, items) +
                uiAnswerLine(chosen ? items[*chosen] : L"Cancel", why.empty() ? L"" : L"default; " + why));
  return chosen;
}

std::optional<std::wstring> ScriptedUiDriver::readInput(const std::wstring& prompt) {
  std::wstring why;
  std::optional<std::wstring> typed;
  if (const UiScriptEntry* entry = take({L"input", L"input-cancel"}, L"a request for input", why)) {
    if (entry->action == L"input") typed = uiTextArgument(entry->argument);
  }
  acedPrintText(uiInputLine(prompt) + uiAnswerLine(typed ? *typed : L"Cancel", why.empty() ? L"" : L"default; " + why));
  return typed;
}

bool installScriptedUiDriver(const std::string& path, std::wstring& error) {
  std::unique_ptr<ScriptedUiDriver> driver = ScriptedUiDriver::fromFile(path, error);
  if (!driver) return false;
  setUiDriver(driver.get());
  installedDriver() = std::move(driver);  // the one installed before is no longer current
  return true;
}

std::wstring uiAnswerFileHelp() {
  return L"An answer file (ovhost --ui FILE) has one answer a line, taken in order by what asks:"
         L"\n  # a comment                  blank lines and comments are skipped"
         L"\n  messagebox Yes               the next message box: OK, Cancel, Yes, No, Abort, Retry,"
         L"\n                               Ignore, Try Again or Continue"
         L"\n  file /blocks/GATE.dwg        the next file dialog: choose this file"
         L"\n  file-cancel                  the next file dialog: cancel"
         L"\n  item \"Cast Iron\"             the next list prompt: the entry shown so"
         L"\n  item-cancel                  the next list prompt: cancel"
         L"\n  input 10.5                   the next request for input (getreal, getpoint 3,4 ...)"
         L"\n  input-cancel                 the next request for input: cancel (Escape)"
         L"\n  dialog Pipe Sizing Tables    the next dialog, by caption or persistence name; the"
         L"\n                               lines after it are its actions:" +
         uiActionHelp() +
         L"\nA dialog, box or prompt opened by a dialog's button answers from the lines after"
         L"\nthat button's action. A refused action prints why and the dialog goes on; a dialog"
         L"\nwhose actions run out is cancelled.\n";
}
