// The scripted UI driver: answers message boxes and file dialogs and acts as the user
// in dialogs from an answer file (ovhost --ui FILE), in order, printing what was
// shown and done as the console driver does. The file has one line an entry:
//
//   # a comment; blank lines are ignored too
//   messagebox Yes          the next message box: OK, Cancel, Yes, No, Abort, Retry,
//                           Ignore, Try Again or Continue (any case)
//   file /path/to/GATE.dwg  the next file dialog: choose this file (rest of the line)
//   file-cancel             the next file dialog: cancel
//   item TEXT               the next list prompt: the entry shown as TEXT
//   item-cancel             the next list prompt: cancel
//   input TEXT              the next request for input (getreal, getpoint ...): TEXT
//   input-cancel            the next request for input: cancel, as Escape does
//   dialog NAME             the next dialog: it must be NAME; the lines after it are
//                           its actions (click, type, check, choose, select, cell,
//                           tick, pick, press, toggle, escape, show: ui_actions.h)
//
// A dialog, box, prompt or file dialog opened while a dialog runs (by one of its
// handlers) takes its answers from the lines that follow the action that opened it.
//
// When the answers run out, or the next one is for another kind of dialog, or names
// a button the box does not have, the box takes its default (a file dialog cancels)
// and the printed answer says why. A dialog whose actions run out, or whose next line
// is no action of it, is cancelled with a note saying so; an action the dialog
// refuses is printed with the reason and the script goes on.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "mfc/ui_driver.h"

struct UiScriptEntry {
  std::wstring action;    // "messagebox", "file", "item", "input", their "-cancel", "dialog" or an action
  std::wstring argument;  // the rest of the line, blanks trimmed
  int line = 0;
};

class ScriptedUiDriver : public UiDriver {
 public:
  // Parses an answer file's text; a malformed line answers null with an error naming
  // the source and the line.
  static std::unique_ptr<ScriptedUiDriver> fromText(const std::string& utf8, const std::string& sourceName,
                                                    std::wstring& error);
  static std::unique_ptr<ScriptedUiDriver> fromFile(const std::string& path, std::wstring& error);

  int messageBox(const std::wstring& title, const std::wstring& text, UiIcon icon, const std::vector<int>& buttons,
                 int defaultAnswer) override;
  std::optional<std::wstring> pickFile(const std::wstring& title, const std::wstring& filter,
                                       const std::wstring& folder, const std::wstring& fileName) override;
  void runDialog(CDialog& dialog) override;
  std::optional<std::size_t> pickItem(const std::wstring& question, const std::vector<std::wstring>& items) override;
  std::optional<std::wstring> readInput(const std::wstring& prompt) override;

  std::size_t remaining() const { return entries_.size() - next_; }

 protected:
  // Takes the next answer when its action is one of actions; otherwise leaves it and
  // answers null with the reason in why (what names the dialog asking).
  const UiScriptEntry* take(const std::vector<std::wstring>& actions, const std::wstring& what, std::wstring& why);

 private:
  ScriptedUiDriver(std::vector<UiScriptEntry> entries, std::wstring sourceName)
      : entries_(std::move(entries)), sourceName_(std::move(sourceName)) {}

  std::vector<UiScriptEntry> entries_;
  std::size_t next_ = 0;
  std::wstring sourceName_;  // the file's name, for the notes printed with answers
};

// Reads the answer file and makes its driver current (for ovhost --ui FILE). On a
// file that cannot be read or is malformed it answers false with the error and
// leaves the current driver as it was.
bool installScriptedUiDriver(const std::string& path, std::wstring& error);

// The answer file's grammar with an example of each line, for ovhost --help-ui.
std::wstring uiAnswerFileHelp();
