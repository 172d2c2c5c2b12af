// The dialog framework driven only through the user's actions: a small dialog with a
// field, a check box, a drop-down list and buttons, its handlers, its end codes, what
// it records for the host, and the file dialog.
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "arx/ap_doc_manager.h"
#include "mfc/afx_module.h"
#include "mfc/file_dialog.h"
#include "mfc/message_box.h"
#include "test_mfc_dialog_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr int kName = 1001, kActive = 1002, kType = 1003, kApply = 1004, kPick = 1005, kNote = 1006;

// A dialog as the module writes them: controls and handlers declared in OnInitDialog;
// OK refuses an empty name with a message box; "Pick <" ends with 100. Its handlers
// note what ran in `log`.
class CDialogSample : public CAcUiDialog {
 public:
  CDialogSample() : CAcUiDialog(300) {}

  BOOL OnInitDialog() override {
    CAcUiDialog::OnInitDialog();
    SetDialogName(L"test:Sample");
    SetWindowText(L"Sample");
    SetIcon(LoadIconImage(nullptr, 116, 16, 16), FALSE);
    StretchControlXY(kNote, 100, 100);
    MoveControlXY(IDOK, 50, 100);
    addLabel(kNote, L"Fill in the name.");
    addField(kName, L"Name:", name);
    addCheckBox(kActive, L"&Active", active);
    addDropDown(kType, L"Type:", {L"PVC", L"Copper"});
    GetDlgItem(kType)->SetCurSel(0);
    addButton(kApply, L"&Apply").EnableWindow(!name.empty());
    addButton(kPick, L"Pick <");
    addButton(IDOK, L"&OK");
    addButton(IDCANCEL, L"&Cancel");
    onFieldChanged(kName, [this] {
      log += L"field ";
      std::wstring text;
      GetDlgItemText(kName, text);
      GetDlgItem(kApply)->EnableWindow(!text.empty());
    });
    onClicked(kActive, [this] { log += L"active "; });
    onSelectionChanged(kType, [this] { log += L"type "; });
    onClicked(kApply, [this] { log += L"apply "; });
    onClicked(kPick, [this] { EndDialog(100); });
    return TRUE;
  }

  void OnOK() override {
    GetDlgItemText(kName, name);
    if (name.empty()) {
      MessageBox(L"Name cannot be a blank string.", L"Orvane Plumbing", MB_OK | MB_ICONEXCLAMATION);
      GotoDlgCtrl(GetDlgItem(kName));
      return;
    }
    active = IsDlgButtonChecked(kActive) == BST_CHECKED;
    GetDlgItem(kType)->GetLBText(GetDlgItem(kType)->GetCurSel(), type);
    CAcUiDialog::OnOK();
  }

  void OnCancel() override {
    log += L"cancel ";
    CAcUiDialog::OnCancel();
  }

  std::wstring name, type, log;
  bool active = false;
};

// Typing, ticking and choosing reach the handlers, with the focus and the text
// selection as the platform has them; OK ends with IDOK and the values. While the
// dialog is up the documents are busy; the host's dialog class keeps the persistence
// name, the icon and the resizing rules.
TEST_F(DialogTest, UserActionsReachTheHandlersAndOkEnds) {
  CDialogSample dialog;
  bool busyInside = false;
  driver_.act = [&](CDialog& d) {
    busyInside = acDocManagerPtr()->hostBusy();
    EXPECT_NE(d.clickButton(kApply), L"");  // disabled until a name is typed
    EXPECT_EQ(d.setFieldText(kName, L"Main"), L"");
    CDialogItem* field = d.GetDlgItem(kName);
    EXPECT_EQ(field->selectionStart(), 4);  // the caret after the typed text
    d.GotoDlgCtrl(field);
    EXPECT_EQ(d.focusId(), kName);
    EXPECT_EQ(field->selectionStart(), 0);
    EXPECT_EQ(field->selectionEnd(), 4);
    EXPECT_EQ(d.clickButton(kApply), L"");
    EXPECT_EQ(d.setCheck(kActive, true), L"");
    EXPECT_EQ(d.focusId(), kActive);
    EXPECT_EQ(d.setCheck(kActive, true), L"");  // already ticked: no click
    EXPECT_EQ(d.chooseEntry(kType, L"copper"), L"");
    EXPECT_EQ(d.clickButton(IDOK), L"");
    EXPECT_NE(d.clickButton(IDOK), L"");  // ended: nothing more is done
  };
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_TRUE(busyInside);
  EXPECT_FALSE(acDocManagerPtr()->hostBusy());
  EXPECT_EQ(dialog.name, L"Main");
  EXPECT_TRUE(dialog.active);
  EXPECT_EQ(dialog.type, L"Copper");
  EXPECT_EQ(dialog.log, L"field apply active type ");
  EXPECT_EQ(driver_.dialogs, std::vector<std::wstring>{L"test:Sample"});
  EXPECT_EQ(dialog.dialogName(), L"test:Sample");
  ASSERT_NE(dialog.GetIcon(FALSE), nullptr);
  EXPECT_EQ(dialog.GetIcon(FALSE)->resourceId, 116u);
  EXPECT_EQ(dialog.GetIcon(FALSE)->width, 16);
  EXPECT_EQ(dialog.GetIcon(TRUE), nullptr);
  ASSERT_EQ(dialog.resizeRules().size(), 2u);
  EXPECT_EQ(dialog.resizeRules()[0].kind, DialogResizeRule::Kind::Stretch);
  EXPECT_EQ(dialog.resizeRules()[1].controlId, IDOK);
  EXPECT_EQ(dialog.resizeRules()[1].percentX, 50);
}

// A handler that refuses keeps the dialog open with the focus back on the field. Any
// code ends the dialog, a driver that gives up without ending it has cancelled it, and
// the same object can be shown again (as dialogs that let the user pick in the drawing
// are).
TEST_F(DialogTest, EndCodesAndShowingAgain) {
  CDialogSample dialog;
  driver_.act = [](CDialog& d) {
    EXPECT_EQ(d.clickButton(IDOK), L"");
    EXPECT_FALSE(d.isEnded());
    EXPECT_EQ(d.focusId(), kName);
    EXPECT_EQ(d.pressEscape(), L"");
  };
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(driver_.boxes, std::vector<std::wstring>{L"Orvane Plumbing: Name cannot be a blank string."});
  EXPECT_EQ(dialog.log, L"cancel ");
  driver_.act = [](CDialog& d) { d.clickButton(kPick); };
  EXPECT_EQ(dialog.DoModal(), 100);
  dialog.name = L"kept";
  driver_.act = [](CDialog& d) {
    std::wstring text;
    d.GetDlgItemText(kName, text);
    EXPECT_EQ(text, L"kept");
    EXPECT_EQ(d.GetDlgItem(kApply)->IsWindowEnabled(), TRUE);
    d.setFieldText(kName, L"x");
  };
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.controls().size(), 8u);  // declared again, not twice
}

// What a user cannot do is refused with the reason, and no handler runs.
TEST_F(DialogTest, ImpossibleActionsAreRefused) {
  CDialogSample dialog;
  driver_.act = [&dialog](CDialog& d) {
    EXPECT_EQ(d.clickButton(4711), L"the dialog has no control 4711");
    EXPECT_EQ(d.setFieldText(kActive, L"x"), L"control 1002 is a check box, not a field");
    EXPECT_EQ(d.chooseEntry(kType, L"Steel"), L"control 1003 has no entry \"Steel\"");
    EXPECT_EQ(d.selectCell(kName, 1, 1), L"control 1001 is a field, not a grid");
    d.GetDlgItem(kActive)->ShowWindow(SW_HIDE);
    EXPECT_EQ(d.setCheck(kActive, true), L"control 1002 is hidden");
    d.GetDlgItem(kName)->EnableWindow(FALSE);
    EXPECT_EQ(d.setFieldText(kName, L"x"), L"control 1001 is disabled");
    EXPECT_EQ(dialog.log, L"");
    d.clickButton(IDCANCEL);
  };
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.clickButton(IDOK), L"the dialog is not open");
}

// With nobody to answer, the console's default cancels the dialog through OnCancel
// and says so.
TEST_F(DialogTest, DefaultDriverCancelsWithANote) {
  setUiDriver(nullptr);
  CDialogSample dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.log, L"cancel ");
  EXPECT_EQ(printed_, L"\n[Sample] dialog test:Sample\n-> Cancel (nobody is there to answer the dialog)");
}

// A dialog given its module's resources runs with them current: its caption comes
// from its template there, and the previous resource handle is back afterwards.
TEST_F(DialogTest, ModuleResourcesAreCurrentWhileRunning) {
  static HINSTANCE__ plugin{};
  registerModuleResource(&plugin, ResourceKind::Dialog, 301, L"From the plug-in");
  CAcUiDialog dialog(301, nullptr, &plugin);
  const HINSTANCE before = AfxGetResourceHandle();
  HINSTANCE during = nullptr;
  std::wstring caption;
  driver_.act = [&](CDialog& d) {
    during = AfxGetResourceHandle();
    caption = d.caption();
    d.pressEscape();
  };
  dialog.DoModal();
  EXPECT_EQ(during, &plugin);
  EXPECT_EQ(caption, L"From the plug-in");
  EXPECT_EQ(dialog.templateModule(), &plugin);
  EXPECT_EQ(AfxGetResourceHandle(), before);
  unregisterModuleResources(&plugin);
}

// Drop-down lists: entries, the current one, and an editable list's typed text.
TEST(DialogItem, DropDownLists) {
  CDialog owner(1);
  CDialogItem& list = owner.addDropDown(5, L"Sort:", {L"By callout", L"By drawing"});
  EXPECT_EQ(list.GetCurSel(), CB_ERR);
  EXPECT_EQ(list.windowText(), L"");
  EXPECT_EQ(list.FindStringExact(-1, L"by DRAWING"), 1);
  EXPECT_EQ(list.FindStringExact(1, L"By drawing"), CB_ERR);  // searches after start
  EXPECT_EQ(list.SetCurSel(7), CB_ERR);
  list.SetWindowText(L"By drawing");
  EXPECT_EQ(list.GetCurSel(), 1);
  list.SetWindowText(L"Other");  // not an entry of a fixed list
  EXPECT_EQ(list.windowText(), L"");
  list.setEditableList(true);
  list.SetWindowText(L"Other");
  EXPECT_EQ(list.windowText(), L"Other");
  list.ResetContent();
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(owner.addField(5, L"again").kind(), DialogControlKind::DropDown);  // the id keeps its control
}

// ---- the file dialog ----------------------------------------------------------------

class FileDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    folder_ = fs::temp_directory_path() / ("ov_file_dialog_" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    std::ofstream(folder_ / "GATE.dwg") << "x";
  }
  void TearDown() override {
    fs::remove_all(folder_);
    DialogTest::TearDown();
  }
  std::wstring in(const std::string& name) const { return acutUtf8ToWide((folder_ / name).string()); }
  fs::path folder_;
};

// The proposed file is split into the folder to start in and the name; a chosen name
// without extension gets the default; path, name, title and extension come back.
// Cancelling, and a file that must exist but does not, both answer IDCANCEL.
TEST_F(FileDialogTest, ProposedFileChosenPathAndRefusals) {
  const std::wstring proposed = in("VALVE 1");
  CFileDialog dialog(TRUE, L"dwg", proposed.c_str(), OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                     L"Drawing (*.dwg)|*.dwg||", AfxGetMainWnd());
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.GetPathName(), L"");
  driver_.file = in("GATE");
  ASSERT_EQ(dialog.DoModal(), IDOK);
  const std::wstring folder = acutUtf8ToWide(folder_.string());
  EXPECT_EQ(driver_.fileAsks.back(), L"Open|Drawing (*.dwg)|*.dwg|||" + folder + L"/|VALVE 1");
  EXPECT_EQ(dialog.GetPathName(), in("GATE.dwg"));
  EXPECT_EQ(dialog.GetFileName(), L"GATE.dwg");
  EXPECT_EQ(dialog.GetFileTitle(), L"GATE");
  EXPECT_EQ(dialog.GetFileExt(), L"dwg");
  EXPECT_EQ(dialog.GetFolderPath(), folder);
  EXPECT_EQ(dialog.owner(), AfxGetMainWnd());

  CFileDialog missing(TRUE, L"dwg", nullptr, OFN_FILEMUSTEXIST, L"Drawing (*.dwg)|*.dwg||");
  driver_.file = in("NOPE.dwg");
  EXPECT_EQ(missing.DoModal(), IDCANCEL);
  EXPECT_NE(printed_.find(L"NOPE.dwg does not exist"), std::wstring::npos);
  CFileDialog anyName(FALSE, L"dwg", nullptr, 0, L"Drawing (*.dwg)|*.dwg||");
  EXPECT_EQ(anyName.DoModal(), IDOK);  // a save dialog may name a new file
  EXPECT_EQ(anyName.GetFileName(), L"NOPE.dwg");
}

}  // namespace
