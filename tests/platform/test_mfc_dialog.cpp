// The dialog framework's base driven only through the user's actions: a small dialog
// with a field, a check box, a drop-down list and buttons, its handlers, its end codes,
// what it records for the host, and the file dialog; and the framework pieces a
// plug-in's start-up and error handling rely on: exceptions thrown as pointers with
// their messages, extension modules in the resource chain, module states, and the
// host's main window.
#include <unistd.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <fstream>

#include "arx/ap_doc_manager.h"
#include "mfc/afx_exceptions.h"
#include "mfc/afx_module.h"
#include "mfc/file_dialog.h"
#include "mfc/main_window.h"
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
// dialog is up the documents are busy; drivers know it by its persistence name.
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
TEST_F(DialogTest, ImpossibleActionsAreRefusedAndNobodyToAnswerCancels) {
  CDialogSample dialog;
  driver_.act = [&dialog](CDialog& d) {
    EXPECT_EQ(d.clickButton(4711), L"the dialog has no control 4711");
    EXPECT_EQ(d.setFieldText(kActive, L"x"), L"control 1002 is a check box, not a field");
    EXPECT_EQ(d.chooseEntry(kType, L"Steel"), L"control 1003 has no entry \"Steel\"");
    d.GetDlgItem(kActive)->ShowWindow(SW_HIDE);
    EXPECT_EQ(d.setCheck(kActive, true), L"control 1002 is hidden");
    d.GetDlgItem(kName)->EnableWindow(FALSE);
    EXPECT_EQ(d.setFieldText(kName, L"x"), L"control 1001 is disabled");
    EXPECT_EQ(dialog.log, L"");
    d.clickButton(IDCANCEL);
  };
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.clickButton(IDOK), L"the dialog is not open");

  // With nobody to answer, the console's default cancels the dialog through OnCancel
  // and says so.
  setUiDriver(nullptr);
  dialog.log.clear();
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
  EXPECT_EQ(list.SetCurSel(2), CB_ERR);  // one past the last entry
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

// The proposed file is split into the folder to start in and the name; a chosen name
// without extension gets the default; path, name, title and extension come back.
// Cancelling, and a file that must exist but does not, both answer IDCANCEL.
TEST_F(DialogTest, FileDialogSplitsTheProposedFileAndAnswersTheChosenPath) {
  const fs::path dir = fs::temp_directory_path() / ("ov_file_dialog_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "GATE.dwg") << "x";
  auto in = [&dir](const char* name) { return acutUtf8ToWide((dir / name).string()); };
  const std::wstring proposed = in("VALVE 1");
  CFileDialog dialog(TRUE, L"dwg", proposed.c_str(), OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, L"Drawing (*.dwg)|*.dwg||",
                     AfxGetMainWnd());
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.GetPathName(), L"");
  driver_.file = in("GATE");
  ASSERT_EQ(dialog.DoModal(), IDOK);
  const std::wstring folder = acutUtf8ToWide(dir.string());
  EXPECT_EQ(driver_.fileAsks.back(), L"Open|Drawing (*.dwg)|*.dwg|||" + folder + L"/|VALVE 1");
  EXPECT_EQ(dialog.GetPathName() + L"|" + dialog.GetFileName() + L"|" + dialog.GetFileTitle() + L"|" +
                dialog.GetFileExt() + L"|" + dialog.GetFolderPath(),
            in("GATE.dwg") + L"|GATE.dwg|GATE|dwg|" + folder);

  CFileDialog missing(TRUE, L"dwg", nullptr, OFN_FILEMUSTEXIST, L"Drawing (*.dwg)|*.dwg||");
  driver_.file = in("NOPE.dwg");
  EXPECT_EQ(missing.DoModal(), IDCANCEL);
  EXPECT_NE(printed_.find(L"NOPE.dwg does not exist"), std::wstring::npos);
  CFileDialog anyName(FALSE, L"dwg", nullptr, 0, L"Drawing (*.dwg)|*.dwg||");
  EXPECT_EQ(anyName.DoModal(), IDOK);  // a save dialog may name a new file
  EXPECT_EQ(anyName.GetFileName(), L"NOPE.dwg");
  fs::remove_all(dir);
}

// ---- exceptions ----------------------------------------------------------------------

// What an entry point does with a framework exception: fetch the message into a
// fixed buffer and delete the object.
std::wstring catchMessage(void (*thrower)()) {
  try {
    thrower();
  } catch (CException* e) {
    wchar_t message[1000];
    e->GetErrorMessage(message, 1000);
    e->Delete();
    return message;
  }
  return L"nothing thrown";
}

TEST(MfcExceptions, ThrownAsPointersWithMessagesCutSafelyIntoSmallBuffers) {
  EXPECT_EQ(catchMessage([] { AfxThrowMemoryException(); }), L"Out of memory.");
  EXPECT_EQ(catchMessage([] { AfxThrowNotSupportedException(); }), L"An unsupported operation was attempted.");
  EXPECT_EQ(catchMessage([] { AfxThrowInvalidArgException(); }), L"An invalid argument was encountered.");
  EXPECT_EQ(catchMessage([] { AfxThrowFileException(CFileException::fileNotFound, 2, L"C:\\P\\Project.ov"); }),
            L"C:\\P\\Project.ov was not found.");
  EXPECT_EQ(catchMessage([] { throw new CSimpleException(L"Custom failure"); }), L"Custom failure");
  // One made on the stack is not freed by Delete() (AddressSanitizer would report it).
  CSimpleException onStack(L"kept", FALSE);
  onStack.Delete();
  wchar_t buffer[8];
  EXPECT_TRUE(onStack.GetErrorMessage(buffer, 8));
  EXPECT_EQ(std::wstring(buffer), L"kept");

  // A message longer than the buffer is cut to fit with its terminating null (shown as
  // "|"), and not a character is written past the given size; unusable buffers are
  // refused, and the base class has no message.
  CMemoryException* e = new CMemoryException;
  CException plain(FALSE);
  const struct {
    CException* exception;
    UINT size;
    BOOL answer;
    const wchar_t* buffer;
  } cases[] = {
      {e, 6, TRUE, L"Out o|ZZZZZZ"},
      {e, 1, TRUE, L"|ZZZZZZZZZZZ"},
      {e, 0, FALSE, L"ZZZZZZZZZZZZ"},
      {&plain, 12, FALSE, L"|ZZZZZZZZZZZ"},
  };
  for (const auto& c : cases) {
    wchar_t buffer[12];
    std::wmemset(buffer, L'Z', 12);
    UINT help = 77;
    EXPECT_EQ(c.exception->GetErrorMessage(buffer, c.size, &help), c.answer) << c.size;
    std::wstring seen(buffer, 12);
    std::replace(seen.begin(), seen.end(), L'\0', L'|');
    EXPECT_EQ(seen, c.buffer);
    EXPECT_EQ(help, 0u);
  }
  EXPECT_FALSE(e->GetErrorMessage(nullptr, 100));
  e->Delete();
}

// ---- extension modules and resources ------------------------------------------------

bool inChain(HINSTANCE module) {
  for (CDynLinkLibrary* library : AfxGetModuleState()->m_libraryList)
    if (library->m_hModule == module) return true;
  return false;
}

// The attach and detach sequence of a plug-in: initialise, add its entry to the chain
// so its resources are found, and on detach take everything out again.
TEST(MfcModules, ExtensionModulesInTheResourceChainAndModuleStates) {
  static HINSTANCE__ pluginInstance{};
  HINSTANCE plugin = &pluginInstance;
  AFX_EXTENSION_MODULE ext;
  EXPECT_FALSE(AfxInitExtensionModule(ext, nullptr));
  EXPECT_FALSE(ext.bInitialized);
  ASSERT_TRUE(AfxInitExtensionModule(ext, plugin));
  EXPECT_EQ(ext.hModule, plugin);
  EXPECT_EQ(ext.hResource, plugin);
  static HINSTANCE__ otherInstance{};
  EXPECT_TRUE(AfxInitExtensionModule(ext, &otherInstance));  // already done: unchanged
  EXPECT_EQ(ext.hModule, plugin);

  new CDynLinkLibrary(ext);
  EXPECT_TRUE(inChain(plugin));
  registerModuleResource(plugin, ResourceKind::String, 501, L"Plug-in text");
  registerModuleResource(plugin, ResourceKind::Dialog, 600, L"dialog");
  EXPECT_EQ(findResourceHandle(ResourceKind::String, 501), plugin);
  EXPECT_EQ(findResourceHandle(ResourceKind::String, 600), nullptr);  // kinds are apart
  wchar_t text[8];
  EXPECT_EQ(AfxLoadString(501, text, 8), 7);
  EXPECT_EQ(std::wstring(text), L"Plug-in");

  // The current resource handle is searched before the chain.
  registerModuleResource(AfxGetInstanceHandle(), ResourceKind::String, 501, L"Host text");
  EXPECT_EQ(findResourceHandle(ResourceKind::String, 501), AfxGetInstanceHandle());
  HINSTANCE saved = AfxGetResourceHandle();
  EXPECT_EQ(saved, AfxGetInstanceHandle());
  AfxSetResourceHandle(plugin);
  EXPECT_EQ(findResourceHandle(ResourceKind::String, 501), plugin);
  AfxSetResourceHandle(saved);
  unregisterModuleResources(AfxGetInstanceHandle());

  AfxTermExtensionModule(ext);
  EXPECT_FALSE(inChain(plugin));
  EXPECT_FALSE(ext.bInitialized);
  EXPECT_EQ(findResourceHandle(ResourceKind::String, 501), nullptr);
  EXPECT_EQ(AfxLoadString(501, text, 8), 0);
  EXPECT_EQ(text[0], L'\0');
  unregisterModuleResources(plugin);

  // Terminating with "all" removes every plug-in's entry but leaves system entries.
  static HINSTANCE__ a{}, b{}, system{};
  AFX_EXTENSION_MODULE extA, extB, extSystem;
  AfxInitExtensionModule(extA, &a);
  AfxInitExtensionModule(extB, &b);
  AfxInitExtensionModule(extSystem, &system);
  new CDynLinkLibrary(extA);
  new CDynLinkLibrary(extB);
  CDynLinkLibrary* systemEntry = new CDynLinkLibrary(extSystem, TRUE);
  AfxTermExtensionModule(extA, TRUE);
  EXPECT_FALSE(inChain(&a));
  EXPECT_FALSE(inChain(&b));
  EXPECT_TRUE(inChain(&system));
  delete systemEntry;
  EXPECT_FALSE(inChain(&system));

  // A scope may switch the module state; the state in effect comes back at its end.
  AFX_MODULE_STATE own;
  static HINSTANCE__ ownResource{};
  own.m_hCurrentResourceHandle = &ownResource;
  own.m_lpszCurrentAppName = L"Own";
  AFX_MODULE_STATE* before = AfxGetModuleState();
  EXPECT_EQ(before, AfxGetAppModuleState());
  EXPECT_EQ(AfxGetStaticModuleState(), AfxGetAppModuleState());
  {
    AFX_MANAGE_STATE(&own);
    EXPECT_EQ(AfxGetModuleState(), &own);
    EXPECT_EQ(AfxGetResourceHandle(), &ownResource);
    EXPECT_EQ(std::wstring(AfxGetAppName()), L"Own");
  }
  EXPECT_EQ(AfxGetModuleState(), before);
  EXPECT_EQ(std::wstring(AfxGetAppName()), L"AutoCAD");
}

// ---- the main window -----------------------------------------------------------------

TEST(MfcWindows, MainWindowAndWrappers) {
  HWND main = adsw_acadMainWnd();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(acedGetAcadFrame()->GetSafeHwnd(), main);
  EXPECT_EQ(AfxGetMainWnd(), acedGetAcadFrame());
  EXPECT_EQ(CWnd::FromHandle(main), acedGetAcadFrame());
  static HWND__ other{};
  CWnd* wrapper = CWnd::FromHandle(&other);
  ASSERT_NE(wrapper, nullptr);
  EXPECT_EQ(wrapper->m_hWnd, &other);
  EXPECT_EQ(CWnd::FromHandle(&other), wrapper);
  EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);

  // Putting the main window back after something else was active.
  EXPECT_NE(wrapper->SetActiveWindow(), nullptr);
  EXPECT_EQ(CWnd::GetActiveWindow(), wrapper);
  acedGetAcadFrame()->SetActiveWindow();
  EXPECT_EQ(CWnd::GetActiveWindow(), acedGetAcadFrame());
}

}  // namespace
