// The grid model on its own: shape, merged cells, hidden columns, tree rows, row
// moves, numbers read from cells, and user edits with the notices a dialog answers.
#include <gtest/gtest.h>

#include <vector>

#include "grid/grid.h"

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

// ---- shape and cells ----------------------------------------------------------------

TEST(Grid, CellsOutsideTheGridAreRefusedAndReadEmpty) {
  ovGrid grid;
  grid.setColumnCount(2);
  grid.setRowCount(2);
  EXPECT_TRUE(grid.setText(1, 1, L"x"));
  EXPECT_FALSE(grid.setText(2, 0, L"y"));
  EXPECT_FALSE(grid.setText(0, -1, L"y"));
  EXPECT_EQ(grid.text(5, 5), L"");
  grid.setRowCount(-3);  // ignored
  EXPECT_EQ(grid.rowCount(), 2);
  grid.setColumnCount(1);
  EXPECT_EQ(grid.text(1, 1), L"");
  grid.setColumnCount(2);
  EXPECT_EQ(grid.text(1, 1), L"");  // a column grown back starts empty
}

// Cells read back as a leading decimal number; anything else is 0.
TEST(Grid, CellTextsReadAsLeadingNumbers) {
  EXPECT_DOUBLE_EQ(ovGrid::leadingNumber(L"12.5"), 12.5);
  EXPECT_DOUBLE_EQ(ovGrid::leadingNumber(L"  -3.25 in"), -3.25);
  EXPECT_DOUBLE_EQ(ovGrid::leadingNumber(L"5-6"), 5);
  EXPECT_DOUBLE_EQ(ovGrid::leadingNumber(L".5"), 0.5);
  EXPECT_DOUBLE_EQ(ovGrid::leadingNumber(L"NEW"), 0);
  EXPECT_DOUBLE_EQ(ovGrid::leadingNumber(L"-"), 0);
  EXPECT_DOUBLE_EQ(ovGrid::leadingNumber(L""), 0);
  ovGrid grid;
  grid.setColumnCount(1);
  grid.setRowCount(1);
  grid.setText(0, 0, L"-1");
  EXPECT_DOUBLE_EQ(grid.number(0, 0), -1);
  EXPECT_TRUE(grid.isChecked(0, 0));
  grid.setText(0, 0, L"0");
  EXPECT_FALSE(grid.isChecked(0, 0));
}

// Two heading rows: "Size" over both rows, "Flow" over two columns.
TEST(Grid, MergedHeadingCells) {
  ovGrid grid;
  grid.setColumnCount(4);
  grid.setRowCount(3);
  grid.setHeadingRowCount(2);
  EXPECT_TRUE(grid.mergeCells(0, 0, 2, 1));
  EXPECT_TRUE(grid.mergeCells(0, 1, 1, 2));
  int r = -1, c = -1;
  grid.mergedOrigin(1, 0, r, c);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(c, 0);
  grid.mergedOrigin(0, 2, r, c);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(grid.rowSpan(1, 0), 2);
  EXPECT_EQ(grid.columnSpan(0, 2), 2);
  grid.mergedOrigin(1, 1, r, c);  // under "Flow": a cell of its own
  EXPECT_EQ(r, 1);
  EXPECT_EQ(c, 1);
  // Overlapping or leaving the grid is refused and changes nothing.
  EXPECT_FALSE(grid.mergeCells(0, 2, 2, 2));
  EXPECT_FALSE(grid.mergeCells(1, 0, 1, 2));  // starts on a covered cell
  EXPECT_FALSE(grid.mergeCells(2, 3, 2, 1));
  EXPECT_EQ(grid.columnSpan(0, 1), 2);
  // A merge can be grown over its own cells and undone.
  EXPECT_TRUE(grid.mergeCells(0, 1, 1, 3));
  EXPECT_EQ(grid.columnSpan(0, 3), 3);
  EXPECT_TRUE(grid.mergeCells(0, 1, 1, 1));
  grid.mergedOrigin(0, 2, r, c);
  EXPECT_EQ(c, 2);
}

// Shrinking the grid through a merge cuts the merge instead of leaving it dangling.
TEST(Grid, ShrinkingCutsMerges) {
  ovGrid grid;
  grid.setColumnCount(3);
  grid.setRowCount(3);
  ASSERT_TRUE(grid.mergeCells(1, 0, 2, 3));
  grid.setRowCount(2);
  EXPECT_EQ(grid.rowSpan(1, 0), 1);
  EXPECT_EQ(grid.columnSpan(1, 0), 1);
  grid.setRowCount(3);
  int r = -1, c = -1;
  grid.mergedOrigin(2, 2, r, c);
  EXPECT_EQ(r, 2);
}

// ---- rows ---------------------------------------------------------------------------

TEST(Grid, InsertDeleteAndSwapRows) {
  ovGrid grid = lettersGrid();
  EXPECT_EQ(grid.insertRow(2), 2);
  grid.setText(2, 0, L"new");
  EXPECT_EQ(firstColumn(grid), (std::vector<std::wstring>{L"A", L"new", L"B", L"C", L"D"}));
  EXPECT_EQ(grid.insertRow(0), -1);  // not among the headings
  EXPECT_EQ(grid.insertRow(9), -1);
  EXPECT_TRUE(grid.deleteRow(2));
  EXPECT_FALSE(grid.deleteRow(0));  // a heading
  EXPECT_FALSE(grid.deleteRow(9));
  EXPECT_TRUE(grid.swapRows(1, 4));
  EXPECT_EQ(firstColumn(grid), (std::vector<std::wstring>{L"D", L"B", L"C", L"A"}));
  EXPECT_FALSE(grid.swapRows(0, 1));
  grid.deleteNonHeadingRows();
  EXPECT_EQ(grid.rowCount(), 1);
  EXPECT_EQ(grid.text(0, 0), L"Name");
}

// Cell states and merges inside a row travel with the row; the selection follows it.
TEST(Grid, RowMovesKeepStatesMergesAndSelection) {
  ovGrid grid = lettersGrid();
  grid.setGrey(2, 1, true);
  grid.setCellKind(2, 2, GridCellKind::CheckBox);
  ASSERT_TRUE(grid.mergeCells(3, 1, 1, 2));
  grid.setSelectedCell(2, 0);
  ASSERT_TRUE(grid.swapRows(2, 3));
  EXPECT_TRUE(grid.isGrey(3, 1));
  EXPECT_EQ(grid.cellKind(3, 2), GridCellKind::CheckBox);
  EXPECT_EQ(grid.columnSpan(2, 2), 2);
  int r = -1, c = -1;
  grid.mergedOrigin(2, 2, r, c);
  EXPECT_EQ(r, 2);
  EXPECT_EQ(grid.selectedRow(), 3);
  grid.insertRow(1);  // above the selection: it moves down
  EXPECT_EQ(grid.selectedRow(), 4);
  EXPECT_EQ(grid.columnSpan(3, 1), 2);  // the merged row moved down whole
  grid.deleteRow(4);
  EXPECT_EQ(grid.selectedRow(), -1);
}

// ---- hidden columns and tree rows -----------------------------------------------------

TEST(Grid, HiddenColumnsKeepDataButTakeNoUserInput) {
  ovGrid grid = lettersGrid();
  grid.setColumnHidden(1, true);
  grid.setText(1, 1, L"42");
  EXPECT_TRUE(grid.isColumnHidden(1));
  EXPECT_DOUBLE_EQ(grid.number(1, 1), 42);
  EXPECT_NE(grid.userTypeIntoCell(1, 1, L"7"), L"");
  EXPECT_NE(grid.userSelectCell(1, 1), L"");
  EXPECT_EQ(grid.text(1, 1), L"42");
  grid.setColumnHidden(1, false);
  EXPECT_EQ(grid.userTypeIntoCell(1, 1, L"7"), L"");
  EXPECT_EQ(grid.text(1, 1), L"7");
}

// Children are shown only while every row above them in the tree is open.
TEST(Grid, TreeRowsShowChildrenOnlyWhenOpen) {
  ovGrid grid = lettersGrid();  // rows 1..4: A B C D
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
  EXPECT_FALSE(grid.isRowShown(3));  // B is still closed
  EXPECT_NE(grid.userToggleTreeRow(3), L"");  // C does not open
  EXPECT_EQ(grid.userToggleTreeRow(2), L"");
  EXPECT_TRUE(grid.isRowShown(3));
  EXPECT_EQ(grid.userToggleTreeRow(1), L"");  // closing A hides B and C again
  EXPECT_FALSE(grid.isRowShown(3));
  EXPECT_NE(grid.userToggleTreeRow(2), L"");  // B is out of sight now
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].kind, GridNoticeKind::TreeOpened);
  EXPECT_EQ(seen[0].row, 1);
  EXPECT_EQ(seen[2].kind, GridNoticeKind::TreeClosed);
}

// A dialog may refuse to open a row, and may build the children itself on the notice.
TEST(Grid, TreeNoticeMayRefuseOrAddChildren) {
  ovGrid grid = lettersGrid();
  grid.setTreeRow(1, 0, true);
  bool allow = false;
  grid.setNoticeHandler([&](GridNotice& n) {
    if (!allow) return false;
    if (n.kind == GridNoticeKind::TreeOpened) {
      const int child = grid.insertRow(n.row + 1);
      grid.setText(child, 0, L"child");
      grid.setTreeRow(child, 1, false);
    }
    return true;
  });
  EXPECT_NE(grid.userToggleTreeRow(1), L"");
  EXPECT_FALSE(grid.isRowOpen(1));
  allow = true;
  EXPECT_EQ(grid.userToggleTreeRow(1), L"");
  EXPECT_TRUE(grid.isRowOpen(1));
  EXPECT_EQ(grid.text(2, 0), L"child");
  EXPECT_TRUE(grid.isRowShown(2));
}

// ---- user edits and their notices ---------------------------------------------------

// Typing sends start-edit then end-edit; the cell still holds its old text while the
// dialog reads the end-edit notice, and takes the text the dialog leaves in it.
TEST(Grid, TypingSendsStartAndEndNotices) {
  ovGrid grid = lettersGrid();
  std::vector<GridNotice> seen;
  std::wstring textDuringEnd;
  grid.setNoticeHandler([&](GridNotice& n) {
    seen.push_back(n);
    if (n.kind == GridNoticeKind::EndEdit) {
      textDuringEnd = grid.text(n.row, n.column);
      if (n.text == L"Browse") n.text = L"GATE";
    }
    return true;
  });
  grid.setText(2, 1, L"old");
  EXPECT_EQ(grid.userTypeIntoCell(2, 1, L"Browse"), L"");
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].kind, GridNoticeKind::SelectionChanged);
  EXPECT_EQ(seen[1].kind, GridNoticeKind::StartEdit);
  EXPECT_EQ(seen[1].text, L"old");
  EXPECT_EQ(seen[2].kind, GridNoticeKind::EndEdit);
  EXPECT_EQ(textDuringEnd, L"old");
  EXPECT_EQ(grid.text(2, 1), L"GATE");
  EXPECT_FALSE(grid.isEditing());
}

TEST(Grid, RefusedEditsLeaveTheCell) {
  ovGrid grid = lettersGrid();
  grid.setText(1, 1, L"keep");
  GridNoticeKind refuse = GridNoticeKind::StartEdit;
  int ends = 0;
  grid.setNoticeHandler([&](GridNotice& n) {
    if (n.kind == GridNoticeKind::EndEdit) ++ends;
    return n.kind != refuse;
  });
  EXPECT_NE(grid.userTypeIntoCell(1, 1, L"x"), L"");
  EXPECT_EQ(ends, 0);  // a refused start never reaches the end
  refuse = GridNoticeKind::EndEdit;
  EXPECT_NE(grid.userTypeIntoCell(1, 1, L"x"), L"");
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(grid.text(1, 1), L"keep");
  EXPECT_FALSE(grid.isEditing());
}

// Headings, read-only and grey cells and covered cells take no user input at all.
TEST(Grid, LockedCellsRefuseUsersButNotTheDialog) {
  ovGrid grid = lettersGrid();
  grid.setReadOnly(1, 1, true);
  grid.setRowGrey(2, true);
  ASSERT_TRUE(grid.mergeCells(3, 1, 1, 2));
  int notices = 0;
  grid.setNoticeHandler([&](GridNotice&) { return ++notices, true; });
  EXPECT_NE(grid.userTypeIntoCell(0, 0, L"x"), L"");
  EXPECT_NE(grid.userTypeIntoCell(1, 1, L"x"), L"");
  EXPECT_NE(grid.userTypeIntoCell(2, 2, L"x"), L"");
  EXPECT_NE(grid.userTypeIntoCell(3, 2, L"x"), L"");
  EXPECT_EQ(notices, 0);
  EXPECT_TRUE(grid.setText(1, 1, L"by the dialog"));
  EXPECT_EQ(grid.text(1, 1), L"by the dialog");
  EXPECT_FALSE(grid.startEdit(2, 0));  // grey: not even the dialog starts an edit there
  EXPECT_TRUE(grid.startEdit(1, 0));
  EXPECT_TRUE(grid.endEdit(L"typed"));
  EXPECT_EQ(grid.text(1, 0), L"typed");
  EXPECT_FALSE(grid.endEdit(L"again"));  // no edit open
}

TEST(Grid, CheckBoxChoiceAndButtonCells) {
  ovGrid grid = lettersGrid();
  grid.setCellKind(1, 1, GridCellKind::CheckBox);
  grid.setText(1, 1, L"0");
  grid.setCellKind(1, 2, GridCellKind::Choice);
  grid.setChoices(1, 2, {L"No", L"Yes"});
  grid.setCellKind(2, 2, GridCellKind::EditableChoice);
  grid.setChoices(2, 2, {L"_DOT", L"Browse. . ."});
  grid.setCellKind(3, 1, GridCellKind::Button);
  grid.setText(3, 1, L"Edit");
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
  EXPECT_EQ(grid.userTickCell(1, 1, true), L"");  // already ticked: no click
  EXPECT_EQ(seen.size(), before);
  refuseTick = true;
  EXPECT_NE(grid.userTickCell(1, 1, false), L"");
  EXPECT_EQ(grid.text(1, 1), L"-1");
  EXPECT_NE(grid.userTypeIntoCell(1, 1, L"0"), L"");  // a check box is not typed into

  EXPECT_EQ(grid.userChooseCellEntry(1, 2, L"Yes"), L"");
  EXPECT_EQ(grid.text(1, 2), L"Yes");
  EXPECT_NE(grid.userChooseCellEntry(1, 2, L"Maybe"), L"");
  EXPECT_NE(grid.userTypeIntoCell(1, 2, L"Maybe"), L"");  // a fixed choice takes only its entries
  EXPECT_EQ(grid.userTypeIntoCell(1, 2, L"No"), L"");
  EXPECT_EQ(grid.userTypeIntoCell(2, 2, L"MYARROW"), L"");  // an editable choice takes any text
  EXPECT_EQ(grid.text(2, 2), L"MYARROW");
  EXPECT_NE(grid.userChooseCellEntry(1, 0, L"x"), L"");  // a text cell has no entries

  seen.clear();
  EXPECT_EQ(grid.userClickCellButton(3, 1), L"");
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().kind, GridNoticeKind::ButtonClicked);
  EXPECT_EQ(seen.back().row, 3);
  EXPECT_NE(grid.userClickCellButton(3, 0), L"");
}

// Selecting moves the selection and tells the dialog once; selecting the same cell
// again tells nothing. A click on a covered cell selects the merged cell's owner.
TEST(Grid, SelectionNotices) {
  ovGrid grid = lettersGrid();
  ASSERT_TRUE(grid.mergeCells(2, 1, 1, 2));
  int selections = 0;
  grid.setNoticeHandler([&](GridNotice& n) {
    if (n.kind == GridNoticeKind::SelectionChanged) ++selections;
    return true;
  });
  EXPECT_EQ(grid.userSelectCell(1, 0), L"");
  EXPECT_EQ(grid.userSelectCell(1, 0), L"");
  EXPECT_EQ(selections, 1);
  EXPECT_EQ(grid.userSelectCell(2, 2), L"");
  EXPECT_EQ(grid.selectedRow(), 2);
  EXPECT_EQ(grid.selectedColumn(), 1);
  EXPECT_NE(grid.userSelectCell(0, 0), L"");
  EXPECT_EQ(selections, 2);
}

}  // namespace
