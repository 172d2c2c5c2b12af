// The seam between the host's user-interface calls and whoever answers them: message
// boxes and file dialogs ask the current UI driver, which may be the console's default
// (print and take the default), a script of answers, or a test's own driver.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

enum class UiIcon { None, Error, Warning, Information, Question };

class CDialog;

class UiDriver {
 public:
  virtual ~UiDriver() = default;
  // Shows a message box. buttons are the answers offered, in order (IDOK, IDCANCEL,
  // IDYES ...), defaultAnswer is one of them; answers the one chosen.
  virtual int messageBox(const std::wstring& title, const std::wstring& text, UiIcon icon,
                         const std::vector<int>& buttons, int defaultAnswer) = 0;
  // Shows a file-open dialog: filter as the framework writes it ("Drawing
  // (*.dwg)|*.dwg||"), the folder it starts in and the file it proposes (either may be
  // empty). Answers the chosen path, or nothing when the user cancels.
  virtual std::optional<std::wstring> pickFile(const std::wstring& title, const std::wstring& filter,
                                               const std::wstring& folder, const std::wstring& fileName) = 0;
  // Runs a modal dialog that has been initialised: acts as the user through the
  // dialog's user actions until it has ended. This default has nobody to act and
  // cancels the dialog with a note (uiCancelDialog).
  virtual void runDialog(CDialog& dialog);
  // Asks the user to pick one of several texts (the host program's list prompt, a
  // pipe type to copy from): answers the index chosen, or nothing when the user
  // cancels. This default has nobody to ask and cancels with a note.
  virtual std::optional<std::size_t> pickItem(const std::wstring& question, const std::vector<std::wstring>& items);
  // Asks for a line typed at the command line (getreal, getpoint ...): answers the
  // text, or nothing when the user cancels as with Escape. This default cancels.
  virtual std::optional<std::wstring> readInput(const std::wstring& prompt);
};

// The driver in effect: the console's default unless another was set.
UiDriver& uiDriver();
// Makes driver current (null puts the default back) and answers the previous one. The
// caller keeps ownership and must set another before destroying it.
UiDriver* setUiDriver(UiDriver* driver);

// The console's default driver: prints "[TITLE] TEXT" and the answer it takes through
// the host's print sink, so that it stands in order with everything else printed.
// A message box takes its default button; a file dialog is cancelled, since nobody is
// there to choose.
class ConsoleUiDriver : public UiDriver {
 public:
  int messageBox(const std::wstring& title, const std::wstring& text, UiIcon icon,
                 const std::vector<int>& buttons, int defaultAnswer) override;
  std::optional<std::wstring> pickFile(const std::wstring& title, const std::wstring& filter,
                                       const std::wstring& folder, const std::wstring& fileName) override;
};

// Words for answers, as printed and as written in answer files: L"OK", L"Cancel",
// L"Yes", L"No", L"Abort", L"Retry", L"Ignore", L"Try Again", L"Continue".
std::wstring uiAnswerName(int answer);
// The answer a word names, ignoring case (blanks ignored, so "TryAgain" works); 0
// when it names none.
int uiAnswerFromName(const std::wstring& name);

// The lines every driver prints for what it showed and answered, so that the console,
// scripted and later drivers print alike: "\n[TITLE] TEXT" and "\n-> ANSWER" with an
// optional note in parentheses after the answer.
std::wstring uiMessageBoxLine(const std::wstring& title, const std::wstring& text);
std::wstring uiFileDialogLine(const std::wstring& title, const std::wstring& filter, const std::wstring& folder,
                              const std::wstring& fileName);
std::wstring uiAnswerLine(const std::wstring& answer, const std::wstring& note = L"");
// "\nQUESTION" and a numbered line for each item ("\n  1. Cast Iron").
std::wstring uiListLine(const std::wstring& question, const std::vector<std::wstring>& items);
// "\nPROMPT" for an input request, without the line breaks the prompt starts with.
std::wstring uiInputLine(const std::wstring& prompt);
// "\n[CAPTION] dialog NAME": the line a driver prints when a dialog opens.
std::wstring uiDialogLine(const CDialog& dialog);
// "\n-> closed with OK" (or the code's number when it has no answer name).
std::wstring uiDialogClosedLine(int code);
// Ends a dialog nobody will act on any more: prints "\n-> Cancel (NOTE)", presses
// Escape and, when the dialog's OnCancel does not end it, ends it with IDCANCEL.
void uiCancelDialog(CDialog& dialog, const std::wstring& note);
