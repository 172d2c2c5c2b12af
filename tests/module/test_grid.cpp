// The grid model on its own: shape, merged cells, tree rows, row moves, numbers read
// from cells, and what a user may do to which cell. The notices as a dialog answers them
// are in test_grid_dialog.
#include <gtest/gtest.h>

#include <vector>

#include "grid/grid.h"
#include "mfc/dialog_screen.h"

namespace {

// Rows named by their first cell, for checking order after moves.
std::vector<std::wstring> firstColumn(const ovGrid& grid) {
  std::vector<std::wstring> out;
  for (int r = grid.headingRowCount(); r < grid.rowCount(); ++r) out.push_back(grid.text(r, 0));
  return out;
}

// A grid with one heading row and data rows A, B, C, D.
ovGrid lettersGrid() {
  ovGrid grid;
  grid.setColumnCount(3);
  grid.setRowCount(1);
  grid.setHeadingRowCount(1);
  grid.setText(0, 0, L"Name");
  for (const wchar_t* name : {L"A", L"B", L"C", L"D"}) grid.setText(grid.insertRow(), 0, name);
  return grid;
}

std::pair<int, int> originOf(const ovGrid& grid, int row, int column) {
  int r = -1, c = -1;
  grid.mergedOrigin(row, column, r, c);
  return {r, c};
}

TEST(Grid, CellsOutsideTheGridAreRefusedAndCellsReadAsLeadingNumbers) {
  ovGrid grid;
  grid.setColumnCount(2);
  grid.setRowCount(2);
  EXPECT_TRUE(grid.setText(1, 1, L"x"));
  EXPECT_FALSE(grid.setText(2, 0, L"y"));
  EXPECT_FALSE(grid.setText(0, -1, L"y"));
  EXPECT_EQ(grid.text(5, 5), L"");
  grid.setRowCount(-3);
  EXPECT_EQ(grid.rowCount(), 2) << "a negative count is ignored";
  grid.setColumnCount(1);
  grid.setColumnCount(2);
  EXPECT_EQ(grid.text(1, 1), L"") << "a column grown back starts empty";

  const std::pair<const wchar_t*, double> numbers[] = {{L"12.5", 12.5}, {L"  -3.25 in", -3.25}, {L"5-6", 5},
                                                       {L".5", 0.5},    {L"NEW", 0},           {L"-", 0},
                                                       {L"", 0}};
  for (const auto& [text, number] : numbers) EXPECT_DOUBLE_EQ(ovGrid::leadingNumber(text), number);
  grid.setText(0, 0, L"-1");
  EXPECT_DOUBLE_EQ(grid.number(0, 0), -1);
  EXPECT_TRUE(grid.isChecked(0, 0));
  grid.setText(0, 0, L"0");
  EXPECT_FALSE(grid.isChecked(0, 0));
}

// Two heading rows: "Size" over both rows, "Flow" over two columns. Overlapping or leaving
// the grid is refused and changes nothing; a merge grows over its own cells and is undone
// by a merge of one cell; shrinking the grid through a merge cuts it.
TEST(Grid, MergedCells) {
  ovGrid grid;
  grid.setColumnCount(4);
  grid.setRowCount(3);
  grid.setHeadingRowCount(2);
  EXPECT_TRUE(grid.mergeCells(0, 0, 2, 1));
  EXPECT_TRUE(grid.mergeCells(0, 1, 1, 2));
  EXPECT_EQ(originOf(grid, 1, 0), std::make_pair(0, 0));
  EXPECT_EQ(originOf(grid, 0, 2), std::make_pair(0, 1));
  EXPECT_EQ(originOf(grid, 1, 1), std::make_pair(1, 1)) << "under Flow: a cell of its own";
  EXPECT_EQ(grid.rowSpan(1, 0), 2);
  EXPECT_EQ(grid.columnSpan(0, 2), 2);
  EXPECT_FALSE(grid.mergeCells(0, 2, 2, 2));
  EXPECT_FALSE(grid.mergeCells(1, 0, 1, 2)) << "starts on a covered cell";
  EXPECT_FALSE(grid.mergeCells(2, 3, 2, 1));
  EXPECT_EQ(grid.columnSpan(0, 1), 2);
  EXPECT_TRUE(grid.mergeCells(0, 1, 1, 3));
  EXPECT_EQ(grid.columnSpan(0, 3), 3);
  EXPECT_TRUE(grid.mergeCells(0, 1, 1, 1));
  EXPECT_EQ(originOf(grid, 0, 2), std::make_pair(0, 2));

  ASSERT_TRUE(grid.mergeCells(1, 1, 2, 3));
  grid.setRowCount(2);
  EXPECT_EQ(grid.rowSpan(1, 1), 1);
  EXPECT_EQ(grid.columnSpan(1, 1), 1);
  grid.setRowCount(3);
  EXPECT_EQ(originOf(grid, 2, 2), std::make_pair(2, 2));
}

// Rows are inserted, deleted and swapped among the data rows only; cell states and merges
// travel with their row and the selection follows it.
TEST(Grid, RowMovesKeepStatesMergesAndSelection) {
  ovGrid grid = lettersGrid();
  EXPECT_EQ(grid.insertRow(2), 2);
  grid.setText(2, 0, L"new");
  for (int outside : {0, 9}) {
    EXPECT_EQ(grid.insertRow(outside), -1) << outside;
    EXPECT_FALSE(grid.deleteRow(outside)) << outside;
  }
  EXPECT_FALSE(grid.swapRows(0, 1));
  EXPECT_EQ(firstColumn(grid), (std::vector<std::wstring>{L"A", L"new", L"B", L"C", L"D"}));
  EXPECT_TRUE(grid.deleteRow(2));
  EXPECT_TRUE(grid.swapRows(1, 4));
  grid.setText(2, 1, L"grey");
  grid.setGrey(2, 1, true);
  grid.setCellKind(2, 2, GridCellKind::CheckBox);
  ASSERT_TRUE(grid.mergeCells(3, 1, 1, 2));
  grid.setText(3, 1, L"merged");
  grid.setSelectedCell(2, 0);
  ASSERT_TRUE(grid.swapRows(2, 3));
  grid.insertRow(3);
  EXPECT_EQ(grid.selectedRow(), 4) << "a row inserted at the selection goes above it";
  grid.deleteRow(3);
  grid.insertRow(1);
  EXPECT_EQ(gridTable(grid),
            L"    | 0    | 1      | 2\n"
            L"  0 | Name |        |\n"
            L"  1 |      |        |\n"
            L"  2 | D    |        |\n"
            L"  3 | C    | merged\n"
            L"> 4 | B    | ~grey~ | [ ]\n"
            L"  5 | A    |        |\n"
            L"  selected: row 4, column 0 (Name)\n");
  grid.deleteRow(4);
  EXPECT_EQ(grid.selectedRow(), -1);
  grid.deleteNonHeadingRows();
  EXPECT_EQ(firstColumn(grid), std::vector<std::wstring>{});
  EXPECT_EQ(grid.text(0, 0), L"Name");
}

// Children are shown only while every row above them in the tree is open; a row that
// does not open, or is out of sight, cannot be toggled; the dialog may build a row's
// children on the notice (and refuse to open one: in test_grid_dialog).
TEST(Grid, TreeRowsShowChildrenOnlyWhenOpen) {
  ovGrid grid = lettersGrid();   // rows 1..4: A B C D
  grid.setTreeRow(1, 0, true);   // A
  grid.setTreeRow(2, 1, true);   //   B
  grid.setTreeRow(3, 2, false);  //     C
  grid.setTreeRow(4, 0, false);  // D
  EXPECT_FALSE(grid.isRowShown(2));
  EXPECT_FALSE(grid.isRowShown(3));
  EXPECT_TRUE(grid.isRowShown(4));
  std::vector<GridNotice> seen;
  grid.setNoticeHandler([&](GridNotice& n) {
    seen.push_back(n);
    return true;
  });
  EXPECT_EQ(grid.userToggleTreeRow(1), L"");
  EXPECT_TRUE(grid.isRowShown(2));
  EXPECT_FALSE(grid.isRowShown(3)) << "B is still closed";
  EXPECT_NE(grid.userToggleTreeRow(3), L"") << "C does not open";
  EXPECT_EQ(grid.userToggleTreeRow(2), L"");
  EXPECT_TRUE(grid.isRowShown(3));
  EXPECT_EQ(grid.userToggleTreeRow(1), L"");
  EXPECT_FALSE(grid.isRowShown(3)) << "closing A hides B and C again";
  EXPECT_NE(grid.userToggleTreeRow(2), L"") << "B is out of sight now";
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].kind, GridNoticeKind::TreeOpened);
  EXPECT_EQ(seen[0].row, 1);
  EXPECT_EQ(seen[2].kind, GridNoticeKind::TreeClosed);

  ovGrid built = lettersGrid();
  built.setTreeRow(1, 0, true);
  built.setNoticeHandler([&](GridNotice& n) {
    const int child = built.insertRow(n.row + 1);
    built.setText(child, 0, L"child");
    built.setTreeRow(child, 1, false);
    return true;
  });
  EXPECT_EQ(built.userToggleTreeRow(1), L"");
  EXPECT_TRUE(built.isRowOpen(1) && built.isRowShown(2));
  EXPECT_EQ(built.text(2, 0), L"child");
}

// Typing sends start-edit then end-edit: the cell still holds its old text while the
// dialog reads the end-edit notice, and takes the text the dialog leaves in it. A refused
// start never reaches the end; a refused end leaves the cell.
TEST(Grid, TypingSendsStartAndEndNotices) {
  ovGrid grid = lettersGrid();
  grid.setText(2, 1, L"old");
  std::vector<GridNoticeKind> seen;
  std::wstring textDuringEnd;
  std::wstring textAfterEnd;
  GridNoticeKind refuse = GridNoticeKind::ButtonClicked;
  grid.setNoticeHandler([&](GridNotice& n) {
    seen.push_back(n.kind);
    if (n.kind == GridNoticeKind::StartEdit) {
      EXPECT_EQ(n.text, L"old");
    }
    if (n.kind == GridNoticeKind::EndEdit) {
      textDuringEnd = grid.text(n.row, n.column);
      n.text = L"GATE";
    }
    if (n.kind == GridNoticeKind::CellChanged) textAfterEnd = grid.text(n.row, n.column);
    return n.kind != refuse;
  });
  EXPECT_EQ(grid.userTypeIntoCell(2, 1, L"Browse"), L"");
  EXPECT_EQ(seen, (std::vector<GridNoticeKind>{GridNoticeKind::SelectionChanged, GridNoticeKind::StartEdit,
                                               GridNoticeKind::EndEdit, GridNoticeKind::CellChanged}));
  EXPECT_EQ(textDuringEnd, L"old");
  EXPECT_EQ(textAfterEnd, L"GATE") << "the change is told once the cell holds the text";
  EXPECT_EQ(grid.text(2, 1), L"GATE");
  EXPECT_FALSE(grid.isEditing());

  grid.setText(2, 1, L"old");
  for (GridNoticeKind refused : {GridNoticeKind::StartEdit, GridNoticeKind::EndEdit}) {
    refuse = refused;
    seen.clear();
    EXPECT_NE(grid.userTypeIntoCell(2, 1, L"x"), L"");
    EXPECT_EQ(seen.back(), refused) << "nothing after the refusal";
    EXPECT_EQ(grid.text(2, 1), L"old");
    EXPECT_FALSE(grid.isEditing());
  }
}

// Headings, read-only, grey and covered cells and hidden columns take no user input at
// all, not even a notice; the dialog still writes them, and starts an edit anywhere but
// on a grey cell.
TEST(Grid, LockedCellsRefuseUsersButNotTheDialog) {
  ovGrid grid = lettersGrid();
  grid.setReadOnly(1, 1, true);
  grid.setRowGrey(2, true);
  ASSERT_TRUE(grid.mergeCells(3, 0, 1, 2));
  grid.setColumnHidden(2, true);
  int notices = 0;
  grid.setNoticeHandler([&](GridNotice&) { return ++notices, true; });
  for (auto [row, column] : {std::pair{0, 0}, {1, 1}, {2, 0}, {3, 1}, {4, 2}})
    EXPECT_NE(grid.userTypeIntoCell(row, column, L"x"), L"") << row << "," << column;
  EXPECT_NE(grid.userSelectCell(4, 2), L"");
  EXPECT_EQ(notices, 0);
  EXPECT_TRUE(grid.setText(1, 1, L"by the dialog"));
  EXPECT_EQ(grid.text(1, 1), L"by the dialog");
  EXPECT_TRUE(grid.setText(4, 2, L"42"));
  EXPECT_DOUBLE_EQ(grid.number(4, 2), 42) << "a hidden column keeps its data";
  EXPECT_FALSE(grid.startEdit(2, 0)) << "grey: not even the dialog starts an edit there";
  EXPECT_TRUE(grid.startEdit(1, 0));
  EXPECT_TRUE(grid.endEdit(L"typed"));
  EXPECT_EQ(grid.text(1, 0), L"typed");
  EXPECT_FALSE(grid.endEdit(L"again")) << "no edit open";
  grid.setColumnHidden(2, false);
  EXPECT_EQ(grid.userTypeIntoCell(4, 2, L"7"), L"");
  EXPECT_EQ(grid.text(4, 2), L"7");
}

// Check boxes are ticked (a tick that changes nothing sends nothing), never typed into;
// only a button cell is pressed. Selecting tells the dialog once per change, a covered
// cell selecting its merged cell's owner. (Choices are in scripts/options_store, buttons
// pressed in test_grid_dialog.)
TEST(Grid, EachCellKindTakesItsOwnActions) {
  ovGrid grid = lettersGrid();
  grid.setCellKind(1, 1, GridCellKind::CheckBox);
  grid.setText(1, 1, L"0");
  ASSERT_TRUE(grid.mergeCells(4, 1, 1, 2));
  std::vector<GridNotice> seen;
  bool refuseTick = false;
  grid.setNoticeHandler([&](GridNotice& n) {
    seen.push_back(n);
    return !(refuseTick && n.kind == GridNoticeKind::CheckChanged);
  });
  EXPECT_EQ(grid.userTickCell(1, 1, true), L"");
  EXPECT_EQ(grid.text(1, 1), L"-1");
  EXPECT_EQ(seen.back().kind, GridNoticeKind::CheckChanged);
  const std::size_t before = seen.size();
  EXPECT_EQ(grid.userTickCell(1, 1, true), L"");
  EXPECT_EQ(seen.size(), before) << "already ticked: no click";
  refuseTick = true;
  EXPECT_NE(grid.userTickCell(1, 1, false), L"");
  EXPECT_EQ(grid.text(1, 1), L"-1");
  EXPECT_NE(grid.userTypeIntoCell(1, 1, L"0"), L"");

  EXPECT_NE(grid.userClickCellButton(3, 0), L"") << "only a button cell is pressed";

  seen.clear();
  EXPECT_EQ(grid.userSelectCell(1, 0), L"");
  EXPECT_EQ(grid.userSelectCell(1, 0), L"");
  EXPECT_EQ(grid.userSelectCell(4, 2), L"");
  EXPECT_EQ(grid.selectedRow(), 4);
  EXPECT_EQ(grid.selectedColumn(), 1);
  EXPECT_NE(grid.userSelectCell(0, 0), L"");
  EXPECT_EQ(seen.size(), 2u) << "one selection notice per change";
}

}  // namespace
