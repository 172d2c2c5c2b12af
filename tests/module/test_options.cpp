// ov_plumb-options where a script cannot see: the cell it opens for editing, the module's
// resources while it runs, a read-only database file, and the browser's remembered text.
// What it shows, stores and answers, and its block browser, are in scripts/options_*.
#include "dialogs/block_browser.h"
#include "frame/function_table.h"
#include "frame_fixture.h"
#include "grid/grid.h"
#include "mfc/dialog.h"
#include "mfc/ui_script.h"
#include "test_record_fixture.h"

namespace {

class OptionsDialog : public FrameTest {
 protected:
  void SetUp() override {
    openProject("proj");
    ASSERT_NE(open("proj/plan.hdw"), nullptr);
    startContext();
    ovRegisterLispFunctions();
  }
  // Evaluates the call with a user cancelling the dialog; grid_ is the options grid as the
  // dialog opened and resources_ the resource handles pushed then (-1: no dialog).
  std::wstring runCancelled(const std::string& call, const std::string& before = "") {
    std::wstring error;
    ui_.script = ScriptedUiDriver::fromText(before + "dialog ov_plumb:Options\nclick Cancel\n", "answers", error);
    EXPECT_TRUE(ui_.script) << acutWideToUtf8(error);
    resources_ = editRow_ = -1;
    ui_.seeDialog = [this](const CDialog& dialog) {
      const CDialogItem* item = dialog.GetDlgItem(1052);
      const auto* grid = item != nullptr ? dynamic_cast<const ovGrid*>(item->grid()) : nullptr;
      if (resources_ >= 0 || grid == nullptr) return;
      resources_ = manager()->hostPushedResourceHandles();
      editRow_ = grid->editRow();
    };
    const std::wstring result = eval(call);
    ui_.script.reset();
    return result;
  }
  int resources_ = -1, editRow_ = -1;
};

// The given key's cell is opened for editing when the flag says so, unless it is greyed
// (the minimum is, under "Not to scale"); the module's resources are current only while
// the dialog runs.
TEST_F(OptionsDialog, TheFlagOpensTheGivenCellAndTheResourcesAreCurrentWhileItRuns) {
  const int resources = manager()->hostPushedResourceHandles();
  const struct {
    const char* call;
    int editRow;
  } cases[] = {
      {"(ov_plumb-options \"B/\" \"pipe-textDistance\" T)", 15},
      {"(ov_plumb-options \"B/\" \"pipe-textDistance\")", -1},
      {"(ov_plumb-options \"B/\" \"pipe-verticalMinimum\" T)", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    EXPECT_NE(runCancelled(c.call), L"nil");
    EXPECT_EQ(editRow_, c.editRow);
    EXPECT_EQ(resources_, resources + 1);
    EXPECT_EQ(manager()->hostPushedResourceHandles(), resources);
  }
}

// Every file the component opens is reported read-only (a root user may write any file,
// so permissions alone cannot show this): the user is told, the file closed, nil answered.
RecordingDatabase* gReadOnly = nullptr;

TEST_F(OptionsDialog, AReadOnlyDatabaseFileIsRefusedWithAMessage) {
  ASSERT_EQ(comRegisterClass(CLSID_ProjectDatabase,
                             [] {
                               gReadOnly = new RecordingDatabase;
                               gReadOnly->readOnly = true;
                               gReadOnly->AddRef();  // kept by the test until it has read the calls
                               gReadOnly->AddRef();
                               return static_cast<IUnknown*>(static_cast<ProjectDatabase*>(gReadOnly));
                             }),
            S_FALSE);
  const std::string call = "(ov_plumb-options \"B/\" \"\" nil \"" + acutWideToUtf8(projectFile_) + "\")";
  const std::wstring result = runCancelled(call, "messagebox OK\n");
  const Texts calls = gReadOnly->calls;
  gReadOnly->Release();
  registerProjectDatabaseClass();
  EXPECT_EQ(result, L"nil");
  EXPECT_EQ(resources_, -1) << "no dialog";
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].title + L": " + ui_.boxes[0].text, L"Orvane: Database is read-only. Cannot be viewed at this time.");
  EXPECT_EQ(calls, (Texts{L"OpenDatabase", L"CloseDatabase"}));
}

// The text a cancelled browse puts back is remembered from the browse column only.
TEST(BlockBrowser, OnlyTheBrowseColumnIsRemembered) {
  ovGrid grid;
  grid.setColumnCount(3);
  grid.setRowCount(2);
  grid.setText(1, 0, L"label");
  grid.setText(1, 2, L"OLD");
  rememberBrowseText(grid, 1, 2, 2);
  rememberBrowseText(grid, 1, 0, 2);
  EXPECT_EQ(rememberedBrowseText(), L"OLD");
}

}  // namespace
