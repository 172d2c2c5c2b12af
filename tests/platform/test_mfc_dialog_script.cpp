// Dialogs driven by the scripted driver (answer files with dialog actions, running
// out, wrong dialogs, refused actions) and by the terminal driver (typed actions).
#include <sstream>

#include "mfc/message_box.h"
#include "mfc/ui_actions.h"
#include "mfc/ui_script.h"
#include "mfc/ui_terminal.h"
#include "test_mfc_dialog_fixture.h"

namespace {

constexpr int kName = 11, kLocked = 12;

// Asks for a name; OK refuses an empty one with a box; "Again" asks whether to clear.
class CDialogAsk : public CAdUiDialog {
 public:
  CDialogAsk() : CAdUiDialog(400) {}
  BOOL OnInitDialog() override {
    SetDialogName(L"test:Ask");
    SetWindowText(L"Ask");
    addField(kName, L"Name:");
    addButton(kLocked, L"Locked").EnableWindow(FALSE);
    addButton(IDOK, L"OK");
    addButton(20, L"Again");
    onClicked(20, [this] {
      if (MessageBox(L"Clear the name?", L"Ask", MB_YESNO) == IDYES) SetDlgItemText(kName, L"");
    });
    return TRUE;
  }
  void OnOK() override {
    GetDlgItemText(kName, name);
    if (name.empty()) {
      MessageBox(L"Name cannot be a blank string.", L"Ask", MB_OK);
      return;
    }
    EndDialog(IDOK);
  }
  std::wstring name;
};

class ScriptTest : public DialogTest {
 protected:
  // Installs a driver reading text; fails the test on a parse error.
  void useScript(const std::string& text) {
    std::wstring error;
    script_ = ScriptedUiDriver::fromText(text, "answers.ui", error);
    ASSERT_NE(script_, nullptr) << acutWideToUtf8(error);
    setUiDriver(script_.get());
  }
  std::unique_ptr<ScriptedUiDriver> script_;
};

// Actions, a message box asked by a handler, and the printed record of it all.
TEST_F(ScriptTest, ActionsAndBoxesInOrder) {
  useScript(
      "dialog test:Ask\n"
      "click OK\n"
      "messagebox OK\n"
      "type 11 Main\n"
      "click 20\n"
      "messagebox No\n"
      "click 1\n");
  CDialogAsk dialog;
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.name, L"Main");
  EXPECT_EQ(script_->remaining(), 0u);
  EXPECT_EQ(printed_,
            L"\n[Ask] dialog test:Ask"
            L"\n-> click OK"
            L"\n[Ask] Name cannot be a blank string.\n-> OK"
            L"\n-> type 11 \"Main\""
            L"\n-> click 20"
            L"\n[Ask] Clear the name?\n-> No"
            L"\n-> click 1"
            L"\n-> closed with OK");
}

// When the actions run out the dialog is cancelled with a note, never left open.
TEST_F(ScriptTest, RunningOutCancels) {
  useScript("dialog Ask\ntype 11 x\n");  // the caption names the dialog too
  CDialogAsk dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(printed_, L"\n[Ask] dialog test:Ask\n-> type 11 \"x\"\n-> Cancel (no actions left in answers.ui)");
}

// A script that expects another dialog, or has no dialog line, cancels this one.
TEST_F(ScriptTest, WrongOrMissingDialogLineCancels) {
  useScript("dialog test:Other\nclick 1\n");
  CDialogAsk first;
  EXPECT_EQ(first.DoModal(), IDCANCEL);
  EXPECT_NE(printed_.find(L"-> Cancel (line 1 of answers.ui expects the dialog test:Other)"), std::wstring::npos);
  printed_.clear();
  CDialogAsk second;  // the next line is an action, not a dialog
  EXPECT_EQ(second.DoModal(), IDCANCEL);
  EXPECT_NE(printed_.find(L"-> Cancel (line 2 of answers.ui is not an answer to a dialog)"), std::wstring::npos);
}

// A line that is no action of the open dialog (an answer for a box nobody shows)
// cancels the dialog and is left for what comes next.
TEST_F(ScriptTest, ForeignLineCancelsAndStays) {
  useScript("dialog test:Ask\nmessagebox Yes\n");
  CDialogAsk dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_NE(printed_.find(L"-> Cancel (line 2 of answers.ui is not an action in this dialog)"), std::wstring::npos);
  EXPECT_EQ(script_->remaining(), 1u);
  EXPECT_EQ(MessageBox(nullptr, L"t", L"T", MB_YESNO), IDYES);
}

// A refused action is printed with its reason and the script goes on.
TEST_F(ScriptTest, RefusedActionsArePrintedAndSkipped) {
  useScript("dialog test:Ask\nclick 12\ntick 11 1 1 on\ntype 11 A B \n escape\n");
  CDialogAsk dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(printed_,
            L"\n[Ask] dialog test:Ask"
            L"\n-> click 12\n-> refused: control 12 is disabled"
            L"\n-> tick 11 1 1 on\n-> refused: control 11 is a field, not a grid"
            L"\n-> type 11 \"A B\""
            L"\n-> escape"
            L"\n-> closed with Cancel");
}

// Quoted texts keep their blanks and take \" and \\; an empty pair of quotes is an
// empty text; a quoted number is a name, never an id.
TEST(ScriptFormat, QuotedTexts) {
  UiAction action;
  ASSERT_EQ(parseDialogAction(L"cell", L" 5 \"a \\\"b\\\\\" 3 \"  two  \" ", action), L"");
  EXPECT_EQ(action.row.word, L"a \"b\\");
  EXPECT_EQ(action.text, L"  two  ");
  EXPECT_EQ(dialogActionLine(action), L"cell 5 \"a \\\"b\\\\\" 3 \"  two  \"");
  ASSERT_EQ(parseDialogAction(L"type", L"\"7\" \"\"", action), L"");
  EXPECT_EQ(action.text, L"");
  EXPECT_FALSE(action.target.isNumber());
  EXPECT_EQ(dialogActionLine(action), L"type \"7\" \"\"");
}

// ---- the terminal driver --------------------------------------------------------------

// Typed actions, help and mistakes; the dialog is shown at the start and after each
// action that leaves it open.
TEST_F(DialogTest, TerminalDriverReadsTypedActions) {
  std::istringstream typed("help\nfrobnicate\n\ntype 11 Pat\nclick OK\n");
  TerminalUiDriver terminal(typed);
  setUiDriver(&terminal);
  CDialogAsk dialog;
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.name, L"Pat");
  const std::wstring screen =
      L"== Ask (test:Ask) ==\n"
      L"[11] field \"Name:\" = \"\"\n"
      L"[12] button \"Locked\" (disabled)\n"
      L"[1] button \"OK\"\n"
      L"[20] button \"Again\"\n";
  EXPECT_EQ(printed_.substr(0, 23 + screen.size()), L"\n[Ask] dialog test:Ask\n" + screen);
  EXPECT_NE(printed_.find(L"  cell GRID ROW COLUMN TEXT     cell values \"3/4\\\"\" Horizontal 12.5"), std::wstring::npos);
  EXPECT_NE(printed_.find(L"-> unknown action \"frobnicate\" (help lists the actions)\n"), std::wstring::npos);
  EXPECT_NE(printed_.find(L"[11] field \"Name:\" = \"Pat\" (focus)\n"), std::wstring::npos);
  const std::wstring end = L"dialog> \n-> closed with OK\n";
  EXPECT_EQ(printed_.substr(printed_.size() - end.size()), end);
}

// The end of input cancels the dialog; boxes read an answer, an empty line takes the
// default, and files are typed or cancelled.
TEST_F(DialogTest, TerminalDriverAtTheEndOfInput) {
  std::istringstream typed("type 11 x\n");
  TerminalUiDriver terminal(typed);
  setUiDriver(&terminal);
  CDialogAsk dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_NE(printed_.find(L"-> Cancel (end of input)"), std::wstring::npos);

  std::istringstream answers("maybe\nno\n\n/tmp/a.dwg\n\n");
  TerminalUiDriver asker(answers);
  setUiDriver(&asker);
  EXPECT_EQ(MessageBox(nullptr, L"Sure?", L"Q", MB_YESNO), IDNO);  // "maybe" is asked again
  EXPECT_EQ(MessageBox(nullptr, L"Sure?", L"Q", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(asker.pickFile(L"Open", L"*.dwg", L"", L""), std::optional<std::wstring>(L"/tmp/a.dwg"));
  EXPECT_EQ(asker.pickFile(L"Open", L"*.dwg", L"", L""), std::nullopt);
}

}  // namespace
