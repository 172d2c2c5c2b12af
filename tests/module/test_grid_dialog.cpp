// A dialog that owns grids, driven through the scripted driver: the grid actions reach
// the dialog's notice handlers, which may refuse them, and the screen shows the result.
#include <gtest/gtest.h>

#include "arx/aced_print.h"
#include "dialogs/number_text.h"
#include "grid/grid.h"
#include "mfc/dialog.h"
#include "mfc/message_box.h"
#include "mfc/ui_script.h"

namespace {

constexpr int kValues = 1052, kTree = 1053;

// A sizing-values grid: hidden key column, "Size" over two heading rows, "Flow" over
// two columns, a check box column; and a small tree grid.
class CDialogValues : public CAcUiDialog {
 public:
  CDialogValues() : CAcUiDialog(500) {}

  BOOL OnInitDialog() override {
    SetDialogName(L"test:Values");
    SetWindowText(L"Pipe Sizing Tables");
    buildValues();
    buildTree();
    addGrid(kValues, L"Values", values);
    addGrid(kTree, L"Tree", tree);
    addButton(IDOK, L"&OK");
    onGridNotice(kValues, [this](GridNotice& n) { return valuesNotice(n); });
    onGridNotice(kTree, [this](GridNotice& n) {
      if (n.kind == GridNoticeKind::TreeOpened && n.row == 3) return false;  // "None in database"
      if (n.kind == GridNoticeKind::ButtonClicked) ++buttonClicks;
      return true;
    });
    return TRUE;
  }

  void buildValues() {
    values.setColumnCount(5);
    values.setRowCount(2);
    values.setHeadingRowCount(2);
    values.setColumnHidden(0, true);
    values.setText(0, 1, L"Size");
    values.mergeCells(0, 1, 2, 1);
    values.setText(0, 2, L"Flow");
    values.mergeCells(0, 2, 1, 2);
    values.setText(1, 2, L"Horizontal");
    values.setText(1, 3, L"Vertical");
    values.setText(0, 4, L"Standard\nSize");
    values.mergeCells(0, 4, 2, 1);
    const wchar_t* sizes[] = {L"1/2", L"3/4", L"1"};
    for (const wchar_t* size : sizes) {
      const int row = values.insertRow();
      values.setText(row, 0, L"-1");
      values.setText(row, 1, size);
      values.setReadOnly(row, 1, true);
      values.setText(row, 2, L"0");
      values.setText(row, 3, L"0");
      values.setCellKind(row, 4, GridCellKind::CheckBox);
      values.setText(row, 4, L"-1");
    }
  }

  void buildTree() {
    tree.setColumnCount(2);
    tree.setRowCount(1);
    tree.setHeadingRowCount(1);
    tree.setText(0, 0, L"Object");
    tree.setText(0, 1, L"Query");
    const struct {
      const wchar_t* text;
      int level;
      bool opens;
    } rows[] = {{L"Pipes", 0, true}, {L"Copper", 1, false}, {L"Pipe Symbols", 0, true}};
    for (const auto& r : rows) {
      const int row = tree.insertRow();
      tree.setText(row, 0, r.text);
      tree.setReadOnly(row, 0, true);
      tree.setTreeRow(row, r.level, r.opens);
      tree.setCellKind(row, 1, GridCellKind::Button);
      tree.setText(row, 1, L"Query");
    }
  }

  // Flows must be numbers of at most 5 decimals; the vertical flow is grey when the
  // size is not standard, and the dialog writes the flow back formatted.
  bool valuesNotice(GridNotice& n) {
    notices.push_back(n.kind);
    if (n.kind == GridNoticeKind::EndEdit) {
      if (n.text.empty() || n.text.find_first_not_of(L"0123456789.") != std::wstring::npos) {
        MessageBox(L"Enter a number.", L"Orvane Plumbing", MB_OK);
        return false;
      }
      n.text = formatNumber(ovGrid::leadingNumber(n.text), 5, true);
    }
    if (n.kind == GridNoticeKind::CheckChanged) values.setGrey(n.row, 3, n.text == L"0");
    return true;
  }

  ovGrid values, tree;
  std::vector<GridNoticeKind> notices;
  int buttonClicks = 0;
};

class GridDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldSink_ = acedSetPrintSink([this](const std::wstring& text) { printed_ += text; });
  }
  void TearDown() override {
    setUiDriver(nullptr);
    acedSetPrintSink(oldSink_);
  }
  void useScript(const std::string& text) {
    std::wstring error;
    script_ = ScriptedUiDriver::fromText(text, "grid.ui", error);
    ASSERT_NE(script_, nullptr) << acutWideToUtf8(error);
    setUiDriver(script_.get());
  }
  std::wstring printed_;
  std::unique_ptr<ScriptedUiDriver> script_;

 private:
  AcedPrintSink oldSink_;
};

// Typing, ticking, toggling and refusing, all from a script, reach the dialog's handlers;
// the dialog shown at the end has the hidden column left out, merged headings over their
// columns and rows, read-only and grey marks, check boxes, the selected row, tree rows
// indented with their open/closed marks and button cells.
TEST_F(GridDialogTest, ScriptedGridActionsAndTheScreenAfterThem) {
  useScript(
      "dialog test:Values\n"
      "cell 1052 2 2 12.50000\n"
      "cell 1052 3 2 lots\n"
      "messagebox OK\n"
      "tick 1052 4 4 off\n"
      "cell 1052 4 3 7\n"
      "cell 1052 2 1 2\n"
      "toggle 1053 1\n"
      "toggle 1053 3\n"
      "press 1053 2 1\n"
      "show\n"
      "click OK\n");
  CDialogValues dialog;
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.buttonClicks, 1);
  EXPECT_EQ(printed_,
            L"\n[Pipe Sizing Tables] dialog test:Values"
            L"\n-> cell 1052 2 2 \"12.50000\""
            L"\n-> cell 1052 3 2 \"lots\""
            L"\n[Orvane Plumbing] Enter a number.\n-> OK"
            L"\n-> refused: the dialog refused the text for cell 3,2"
            L"\n-> tick 1052 4 4 off"
            L"\n-> cell 1052 4 3 \"7\"\n-> refused: cell 4,3 is greyed"
            L"\n-> cell 1052 2 1 \"2\"\n-> refused: cell 2,1 is read-only"
            L"\n-> toggle 1053 1"
            L"\n-> toggle 1053 3\n-> refused: the dialog refused to open row 3"
            L"\n-> press 1053 2 1"
            L"\n-> show"
            L"\n== Pipe Sizing Tables (test:Values) =="
            L"\n[1052] grid \"Values\":"
            L"\n    | 1    | 2          | 3        | 4"
            L"\n  0 | Size | Flow                  | Standard\\nSize"
            L"\n  1 |      | Horizontal | Vertical |"
            L"\n  2 | 1/2* | 12.5       | 0        | [x]"
            L"\n  3 | 3/4* | 0          | 0        | [x]"
            L"\n> 4 | 1*   | 0          | ~0~      | [ ]"
            L"\n  selected: row 4, column 4 (Standard\\nSize)"
            L"\n[1053] grid \"Tree\": (focus)"
            L"\n    | 0               | 1"
            L"\n  0 | Object          | Query"
            L"\n  1 | - Pipes*        | <Query>"
            L"\n> 2 |   Copper*       | <Query>"
            L"\n  3 | + Pipe Symbols* | <Query>"
            L"\n  selected: row 2, column 1 (Query)"
            L"\n[1] button \"&OK\""
            L"\n-> click OK"
            L"\n-> closed with OK");
  const std::vector<GridNoticeKind> expected = {
      GridNoticeKind::SelectionChanged, GridNoticeKind::StartEdit, GridNoticeKind::EndEdit,
      GridNoticeKind::CellChanged,      GridNoticeKind::SelectionChanged, GridNoticeKind::StartEdit,
      GridNoticeKind::EndEdit,          GridNoticeKind::SelectionChanged, GridNoticeKind::CheckChanged};
  EXPECT_EQ(dialog.notices, expected);
}

}  // namespace
