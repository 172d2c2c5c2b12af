// The terminal UI driver for a person at an interactive prompt: it prints a dialog
// (dialog_screen.h) and reads the user's actions (ui_actions.h) typed one a line, and
// asks message boxes and file dialogs on the terminal too.
#pragma once

#include <istream>

#include "mfc/ui_driver.h"

class TerminalUiDriver : public UiDriver {
 public:
  // Reads from in; prints through the host's print sink.
  explicit TerminalUiDriver(std::istream& in) : in_(in) {}

  // Prints the box and its buttons; reads an answer word (an empty line takes the
  // default; a word that is not a button asks again; the end of input takes the
  // default).
  int messageBox(const std::wstring& title, const std::wstring& text, UiIcon icon, const std::vector<int>& buttons,
                 int defaultAnswer) override;
  // Reads a path; an empty line or the end of input cancels.
  std::optional<std::wstring> pickFile(const std::wstring& title, const std::wstring& filter,
                                       const std::wstring& folder, const std::wstring& fileName) override;
  // Prints the dialog, then reads actions until it ends, printing it again after each
  // one: "help" lists them, "show" prints the dialog; the end of input cancels it.
  void runDialog(CDialog& dialog) override;
  // Prints the numbered list and reads a number or an entry's text; an empty line or
  // the end of input cancels; anything else asks again.
  std::optional<std::size_t> pickItem(const std::wstring& question, const std::vector<std::wstring>& items) override;
  // Prints the prompt and reads the line typed; the end of input cancels.
  std::optional<std::wstring> readInput(const std::wstring& prompt) override;

 private:
  // The next line typed, after printing prompt; false at the end of input.
  bool readLine(const std::wstring& prompt, std::wstring& line);

  std::istream& in_;
};
