// The desktop window under Xvfb, on the restroom example's drawing and project: the
// view at the drawing's extents, a command typed at the command line, and two of the
// module's dialogs driven through the toolkit's own events (grid editors, grid clicks,
// button events), with the project read back by SQL afterwards.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/grid.h>
#include <wx/init.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include "../ovhost/session.h"
#include "arx/ap_doc_manager.h"
#include "arx/plugin_loader.h"
#include "drawing_view.h"
#include "gui_dialog.h"
#include "gui_driver.h"
#include "lisp/lisp_interpreter.h"
#include "main_frame.h"
#include "mfc/dialog.h"

namespace fs = std::filesystem;

namespace {

// Lets the toolkit handle what is queued (size events, calls after an action).
void settle() {
  for (int i = 0; i < 5; ++i) {
    wxTheApp->ProcessPendingEvents();
    wxYield();
  }
}

// Dialogs as they open: each module dialog is handed to the next step once its modal
// loop runs; message boxes are recorded and answered with their first button, without
// being shown (the toolkit's testing hook). A step that leaves its dialog open fails
// and cancels it, so that a broken test ends instead of waiting for a person.
class DialogSteps : public wxModalDialogHook {
 public:
  DialogSteps() { Register(); }
  ~DialogSteps() override { Unregister(); }

  void then(std::function<void(GuiDialog&)> step) { steps_.push_back(std::move(step)); }
  const std::vector<wxString>& messages() const { return messages_; }
  bool done() const { return steps_.empty(); }

 protected:
  int Enter(wxDialog* dialog) override {
    if (auto* box = dynamic_cast<wxMessageDialog*>(dialog)) {
      messages_.push_back(box->GetMessage());
      return wxID_OK;
    }
    auto* window = dynamic_cast<GuiDialog*>(dialog);
    if (window == nullptr || steps_.empty()) return wxID_NONE;
    std::function<void(GuiDialog&)> step = steps_.front();
    steps_.erase(steps_.begin());
    window->CallAfter([window, step] {
      step(*window);
      if (window->IsModal()) {
        ADD_FAILURE() << "the step left the dialog open";
        window->model().EndDialog(IDCANCEL);
        window->EndModal(IDCANCEL);
      }
    });
    return wxID_NONE;
  }
  void Exit(wxDialog*) override {}

 private:
  std::vector<std::function<void(GuiDialog&)>> steps_;
  std::vector<wxString> messages_;
};

GridControl& modelGrid(GuiDialog& dialog, int id) { return *dialog.model().GetDlgItem(id)->grid(); }

// The row whose cells show text (the first match), -1 when none.
int rowShowing(GridControl& grid, const std::wstring& text) {
  for (int r = grid.headingRowCount(); r < grid.rowCount(); ++r)
    for (int c = 0; c < grid.columnCount(); ++c)
      if (grid.text(r, c).rfind(text, 0) == 0) return r;
  return -1;
}

// The column under a heading that reads text, -1 when none.
int columnHeaded(GridControl& grid, const std::wstring& text) {
  for (int r = 0; r < grid.headingRowCount(); ++r)
    for (int c = 0; c < grid.columnCount(); ++c)
      if (grid.text(r, c) == text) return c;
  return -1;
}

// Types into a cell the way a user does: the grid's own editor opens on the cell, takes
// the text, and closes, which sends the grid's change events.
void typeIntoCell(wxGrid* grid, int row, int column, const wxString& text) {
  grid->SetGridCursor(row, column);
  grid->EnableCellEditControl();
  ASSERT_TRUE(grid->IsCellEditControlShown());
  wxGridCellEditor* editor = grid->GetCellEditor(row, column);
  auto* field = dynamic_cast<wxTextCtrl*>(editor->GetControl());
  editor->DecRef();
  ASSERT_NE(field, nullptr);
  field->SetValue(text);
  grid->DisableCellEditControl();
  settle();
}

void clickCell(wxGrid* grid, int row, int column) {
  const wxRect cell = grid->CellToRect(row, column);
  wxGridEvent click(grid->GetId(), wxEVT_GRID_CELL_LEFT_CLICK, grid, row, column, cell.x + cell.width / 2,
                    cell.y + cell.height / 2);
  grid->ProcessWindowEvent(click);
  settle();
}

void pressButton(GuiDialog& dialog, int id) {
  auto* button = dynamic_cast<wxButton*>(dialog.widget(id));
  ASSERT_NE(button, nullptr);
  wxCommandEvent press(wxEVT_BUTTON, button->GetId());
  press.SetEventObject(button);
  button->ProcessWindowEvent(press);
}

class GuiWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/ov_gui_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    fs::copy_file(fs::path(OV_SOURCE_DIR) / "examples/restroom/restroom.lsp", folder_ / "restroom.lsp");
    const std::string make = "cd '" + folder_.string() + "' && '" OV_OVHOST "' -q --new-project . >/dev/null && '" +
                             std::string(OV_OVHOST) + "' -q restroom.lsp >/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0) << make;
    ASSERT_EQ(chdir(folder_.c_str()), 0);
    lisp_ = new LispInterpreter;
    LispInterpreter::setCurrent(lisp_);
    loader_ = new PluginLoader;
    std::wstring error;
    ASSERT_TRUE(loader_->load(acutUtf8ToWide(OV_MODULE), error)) << acutWideToUtf8(error);
    AcApDocument* doc = nullptr;
    ASSERT_EQ(acDocManagerPtr()->hostOpenDocument((folder_ / "restroom.hdw").wstring(), doc, error), Acad::eOk);
    session_ = new HostSession(*lisp_);
    frame_ = new MainFrame(*session_);
    driver_ = new GuiUiDriver(frame_);
    setUiDriver(driver_);
    frame_->Show();
    settle();
    frame_->afterCommand();
  }

  static void TearDownTestSuite() {
    setUiDriver(nullptr);
    if (frame_ != nullptr) frame_->Destroy();
    settle();
    delete driver_;
    acDocManagerPtr()->hostCloseAll();
    if (loader_ != nullptr) loader_->unloadAll();
    delete loader_;
    delete session_;
    LispInterpreter::setCurrent(nullptr);
    delete lisp_;
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  static std::wstring sql(const std::string& form) { return lisp_->evaluateToText(form); }

  static inline fs::path folder_;
  static inline LispInterpreter* lisp_ = nullptr;
  static inline PluginLoader* loader_ = nullptr;
  static inline HostSession* session_ = nullptr;
  static inline MainFrame* frame_ = nullptr;
  static inline GuiUiDriver* driver_ = nullptr;
};

TEST_F(GuiWindowTest, OpensOnTheDrawingAtItsExtents) {
  DrawingView* view = frame_->view();
  ASSERT_GT(view->primitiveCount(), 100u);
  const PlanBounds& b = view->extents();
  ASSERT_FALSE(b.empty);
  const wxSize size = view->GetClientSize();
  const wxPoint2DDouble low = view->toScreen(b.minX, b.minY), high = view->toScreen(b.maxX, b.maxY);
  for (const wxPoint2DDouble& corner : {low, high}) {
    EXPECT_GE(corner.m_x, 0);
    EXPECT_LE(corner.m_x, size.x);
    EXPECT_GE(corner.m_y, 0);
    EXPECT_LE(corner.m_y, size.y);
  }
  // Fitted, not merely inside: the plan fills the window's width or its height.
  const double fillX = (high.m_x - low.m_x) / size.x, fillY = (low.m_y - high.m_y) / size.y;
  EXPECT_GT(std::max(fillX, fillY), 0.85);
  // A point maps to the window and back.
  const wxPoint2DDouble back = view->toWorld(low.m_x, low.m_y);
  EXPECT_NEAR(back.m_x, b.minX, 1e-6);
  EXPECT_NEAR(back.m_y, b.minY, 1e-6);
}

TEST_F(GuiWindowTest, CommandLineRunsFormsAndTheViewRegenerates) {
  const std::size_t before = frame_->view()->primitiveCount();
  frame_->enterCommandLine("(setq p (ov_plumb-insertPipe 36 (list 0.0 140.0 100.0) (list 60.0 140.0 100.0)))");
  EXPECT_GT(frame_->view()->primitiveCount(), before);
  EXPECT_NE(frame_->output()->GetValue().Find("<Entity name:"), wxNOT_FOUND);
  // A form typed over two lines runs once it is closed.
  frame_->enterCommandLine("(setq n (+ 40");
  frame_->enterCommandLine("2))");
  EXPECT_EQ(sql("n"), L"42");
  // Up brings the last command back.
  wxKeyEvent up(wxEVT_KEY_DOWN);
  up.m_keyCode = WXK_UP;
  frame_->commandLine()->GetEventHandler()->ProcessEvent(up);
  EXPECT_EQ(frame_->commandLine()->GetValue(), "2))");
  frame_->commandLine()->Clear();
}

TEST_F(GuiWindowTest, OptionsDialogTakesAnEditFollowsItsResizeRulesAndKeepsItsPlace) {
  DialogSteps steps;
  wxRect closedAt;
  steps.then([&](GuiDialog& d) {
    GridControl& settings = modelGrid(d, 1052);
    const int row = rowShowing(settings, L"Break width");
    ASSERT_GT(row, 0);
    typeIntoCell(d.grid(1052), row, 1, "3.5");
    EXPECT_EQ(d.grid(1052)->GetCellValue(row, 1), "3.5");
    // The grid grows with the dialog both ways; the buttons move down with its bottom
    // and sideways by half the change in width.
    const wxRect grid = d.grid(1052)->GetRect(), ok = d.widget(IDOK)->GetRect();
    d.SetClientSize(d.GetClientSize() + wxSize(100, 60));
    settle();
    EXPECT_EQ(d.grid(1052)->GetRect().GetSize(), grid.GetSize() + wxSize(100, 60));
    EXPECT_EQ(d.widget(IDOK)->GetRect().GetPosition(), ok.GetPosition() + wxPoint(50, 60));
    closedAt = d.GetRect();
    pressButton(d, IDOK);
  });
  frame_->enterCommandLine("(ov_plumb-options \"BLOCKS/\" \"pipe-breakWidth\" nil)");
  EXPECT_TRUE(steps.done());
  EXPECT_EQ(sql("(host-sql \"SELECT dNumber FROM tblGlobal WHERE sKey = 'pipe-breakWidth'\")"), L"((3.5))");
  // Opened again, it has the size and place it was closed with.
  steps.then([&](GuiDialog& d) {
    EXPECT_EQ(d.GetRect().GetSize(), closedAt.GetSize());
    pressButton(d, IDCANCEL);
  });
  frame_->enterCommandLine("(ov_plumb-options \"BLOCKS/\" \"\" nil)");
  EXPECT_TRUE(steps.done());
  EXPECT_NE(frame_->output()->GetValue().Find("-> closed with Cancel"), wxNOT_FOUND);
}

TEST_F(GuiWindowTest, SizingTablesRefuseTheLastActiveTableAndStoreAnEditedFlow) {
  DialogSteps steps;
  steps.then([&](GuiDialog& d) {
    GridControl& tables = modelGrid(d, 1008);
    const int active = columnHeaded(tables, L"Active");
    ASSERT_GE(active, 0);
    // Untick every active table: the last one is refused with a message and stays.
    int ticked = 0;
    for (int r = tables.headingRowCount(); r < tables.rowCount(); ++r)
      if (d.grid(1008)->GetCellValue(r, active) == "1") {
        ++ticked;
        clickCell(d.grid(1008), r, active);
      }
    ASSERT_GT(ticked, 0);
    ASSERT_EQ(steps.messages().size(), 1u);
    EXPECT_EQ(steps.messages()[0], "At least one sizing table must be active.");
    int left = 0;
    for (int r = tables.headingRowCount(); r < tables.rowCount(); ++r)
      left += d.grid(1008)->GetCellValue(r, active) == "1";
    EXPECT_EQ(left, 1);
    GridControl& values = modelGrid(d, 1010);
    const int row = rowShowing(values, L"1\""), horizontal = columnHeaded(values, L"Horizontal");
    ASSERT_GT(row, 0);
    ASSERT_GE(horizontal, 0);
    typeIntoCell(d.grid(1010), row, horizontal, "12.5");
    EXPECT_EQ(d.grid(1010)->GetCellValue(row, horizontal), "12.5");
    pressButton(d, IDOK);
  });
  frame_->enterCommandLine("(ov_plumb-pipeSizingTable)");
  EXPECT_TRUE(steps.done());
  EXPECT_EQ(sql("(host-sql \"SELECT count(*) FROM tblPipeSizingValue v JOIN tblPipeSize s ON s.ixPipeSize = "
                "v.ixPipeSize WHERE s.sLabel = '1\\\"' AND v.dFlow = 12.5\")"),
            L"((1))");
  EXPECT_EQ(sql("(host-sql \"SELECT count(*) FROM tblPipeSizingTable t JOIN tblPipeType p ON p.ixPipeType = "
                "t.ixPipeType WHERE p.sName = 'Domestic Cold Water' AND t.bActive <> 0\")"),
            L"((1))");
}

}  // namespace

// The toolkit starts once for all the tests, with its settings file in a folder of its
// own; the tests' windows live in the toolkit's application.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  char home[] = "/tmp/ov_gui_home_XXXXXX";
  if (mkdtemp(home) != nullptr) setenv("HOME", home, 1);
  wxApp::SetInstance(new wxApp);
  if (!wxEntryStart(argc, argv)) {
    std::fprintf(stderr, "the toolkit could not start (no display?)\n");
    return 1;
  }
  wxTheApp->CallOnInit();
  const int result = RUN_ALL_TESTS();
  wxEntryCleanup();
  std::error_code ec;
  fs::remove_all(home, ec);
  return result;
}
