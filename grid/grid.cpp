// The grid model: cells, merges, tree rows, row moves, and the user's edits with the
// notices the owning dialog may refuse.
#include "grid/grid.h"

#include <algorithm>
#include <cwctype>
#include <utility>

namespace {

std::wstring cellName(int row, int column) {
  return L"cell " + std::to_wstring(row) + L"," + std::to_wstring(column);
}

}  // namespace

// ---- shape ----

void ovGrid::setRowCount(int rows) {
  if (rows < 0) return;
  cancelEdit();
  // Merges reaching past the new end are cut back to single cells first.
  for (int r = 0; r < rowCount() && r < rows; ++r)
    for (int c = 0; c < columns_; ++c)
      if (cell(r, c).rowSpan > 1 && r + cell(r, c).rowSpan > rows) mergeCells(r, c, 1, 1);
  Row blank;
  blank.cells.resize(static_cast<std::size_t>(columns_));
  rows_.resize(static_cast<std::size_t>(rows), blank);
  fixSelectionAfterRowChange();
}

void ovGrid::setColumnCount(int columns) {
  if (columns < 0) return;
  cancelEdit();
  for (int r = 0; r < rowCount(); ++r)
    for (int c = 0; c < columns_ && c < columns; ++c) {
      Cell& here = cell(r, c);
      if (here.columnSpan > 1 && c + here.columnSpan > columns) mergeCells(r, c, 1, 1);
    }
  columns_ = columns;
  for (Row& row : rows_) row.cells.resize(static_cast<std::size_t>(columns));
  hiddenColumns_.resize(static_cast<std::size_t>(columns), false);
  if (selectedColumn_ >= columns_) selectedRow_ = selectedColumn_ = -1;
}

void ovGrid::setHeadingRowCount(int rows) { headingRows_ = std::max(0, rows); }

int ovGrid::headingRowCount() const { return std::min(headingRows_, rowCount()); }

int ovGrid::insertRow(int at) {
  if (at == -1) at = rowCount();
  if (at < headingRowCount() || at > rowCount()) return -1;
  cancelEdit();
  // A merge that the new row would split is undone first.
  if (at < rowCount()) clearMergesTouching(at);
  Row blank;
  blank.cells.resize(static_cast<std::size_t>(columns_));
  rows_.insert(rows_.begin() + at, blank);
  // Covered cells below point at their origins by row: shift them.
  for (int r = at + 1; r < rowCount(); ++r)
    for (Cell& c : rows_[static_cast<std::size_t>(r)].cells)
      if (c.originRow >= at) ++c.originRow;
  if (selectedRow_ >= at) ++selectedRow_;
  return at;
}

bool ovGrid::deleteRow(int row) {
  if (!isDataRow(row)) return false;
  cancelEdit();
  clearMergesTouching(row);
  rows_.erase(rows_.begin() + row);
  for (int r = row; r < rowCount(); ++r)
    for (Cell& c : rows_[static_cast<std::size_t>(r)].cells)
      if (c.originRow > row) --c.originRow;
  if (selectedRow_ == row) selectedRow_ = selectedColumn_ = -1;
  else if (selectedRow_ > row) --selectedRow_;
  fixSelectionAfterRowChange();
  return true;
}

void ovGrid::setHeadings(const std::vector<std::wstring>& headings, std::initializer_list<int> hiddenColumns) {
  setColumnCount(static_cast<int>(headings.size()));
  setRowCount(1);
  setHeadingRowCount(1);
  for (int column = 0; column < columns_; ++column) setText(0, column, headings[static_cast<std::size_t>(column)]);
  for (int column : hiddenColumns) setColumnHidden(column, true);
}

void ovGrid::deleteNonHeadingRows() {
  cancelEdit();
  const int headings = headingRowCount();
  for (int r = 0; r < headings; ++r)
    for (int c = 0; c < columns_; ++c) {
      Cell& here = cell(r, c);
      if (r + here.rowSpan > headings) mergeCells(r, c, 1, 1);
    }
  rows_.resize(static_cast<std::size_t>(headings));
  fixSelectionAfterRowChange();
}

bool ovGrid::swapRows(int first, int second) {
  if (!isDataRow(first) || !isDataRow(second)) return false;
  if (first == second) return true;
  cancelEdit();
  clearMergesTouching(first);
  clearMergesTouching(second);
  std::swap(rows_[static_cast<std::size_t>(first)], rows_[static_cast<std::size_t>(second)]);
  // Merges within one row travel with it: their covered cells name the row.
  for (int r : {first, second})
    for (Cell& c : rows_[static_cast<std::size_t>(r)].cells)
      if (c.originRow >= 0) c.originRow = r;
  if (selectedRow_ == first) selectedRow_ = second;
  else if (selectedRow_ == second) selectedRow_ = first;
  return true;
}

bool ovGrid::swapSelectedRow(int step) {
  const int row = selectedRow_;
  return isDataRow(row) && isDataRow(row + step) && swapRows(row, row + step);
}

bool ovGrid::moveRow(int from, int to) {
  if (!isDataRow(from) || !isDataRow(to)) return false;
  const int step = to > from ? 1 : -1;
  for (int row = from; row != to; row += step) swapRows(row, row + step);
  return true;
}

// ---- cells ----

bool ovGrid::setText(int row, int column, const std::wstring& text) {
  if (!has(row, column)) return false;
  cell(row, column).text = text;
  return true;
}

bool ovGrid::setCellKind(int row, int column, GridCellKind kind) {
  if (!has(row, column)) return false;
  cell(row, column).kind = kind;
  return true;
}

bool ovGrid::setChoices(int row, int column, std::vector<std::wstring> choices) {
  if (!has(row, column)) return false;
  cell(row, column).choices = std::move(choices);
  return true;
}

bool ovGrid::setReadOnly(int row, int column, bool readOnly) {
  if (!has(row, column)) return false;
  cell(row, column).readOnly = readOnly;
  return true;
}

bool ovGrid::setGrey(int row, int column, bool grey) {
  if (!has(row, column)) return false;
  cell(row, column).grey = grey;
  return true;
}

void ovGrid::setRowReadOnly(int row, bool readOnly) {
  for (int c = 0; c < columns_; ++c) setReadOnly(row, c, readOnly);
}

void ovGrid::setRowGrey(int row, bool grey) {
  for (int c = 0; c < columns_; ++c) setGrey(row, c, grey);
}

void ovGrid::setColumnHidden(int column, bool hidden) {
  if (column >= 0 && column < columns_) hiddenColumns_[static_cast<std::size_t>(column)] = hidden;
}

bool ovGrid::mergeCells(int row, int column, int rows, int columns) {
  if (!has(row, column) || rows < 1 || columns < 1) return false;
  if (!has(row + rows - 1, column + columns - 1)) return false;
  Cell& origin = cell(row, column);
  if (origin.originRow >= 0) return false;  // covered by another merge
  // Every cell of the new area must be free or belong to this origin's old area.
  for (int r = row; r < row + rows; ++r)
    for (int c = column; c < column + columns; ++c) {
      if (r == row && c == column) continue;
      const Cell& other = cell(r, c);
      const bool ours = other.originRow == row && other.originColumn == column;
      if (!ours && (other.originRow >= 0 || other.rowSpan > 1 || other.columnSpan > 1)) return false;
    }
  // Free the old area, then cover the new one.
  for (int r = row; r < row + origin.rowSpan; ++r)
    for (int c = column; c < column + origin.columnSpan; ++c)
      if (!(r == row && c == column) && has(r, c)) cell(r, c).originRow = cell(r, c).originColumn = -1;
  origin.rowSpan = rows;
  origin.columnSpan = columns;
  for (int r = row; r < row + rows; ++r)
    for (int c = column; c < column + columns; ++c)
      if (!(r == row && c == column)) {
        cell(r, c).originRow = row;
        cell(r, c).originColumn = column;
      }
  return true;
}

bool ovGrid::isChecked(int row, int column) const {
  const std::wstring value = text(row, column);
  return !value.empty() && value != L"0";
}

double ovGrid::number(int row, int column) const { return leadingNumber(text(row, column)); }

double ovGrid::leadingNumber(const std::wstring& text) {
  std::size_t i = 0;
  while (i < text.size() && std::iswspace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  double value = 0;
  bool digits = false;
  while (i < text.size() && std::iswdigit(text[i])) {
    value = value * 10 + (text[i++] - L'0');
    digits = true;
  }
  if (i < text.size() && text[i] == L'.') {
    ++i;
    double scale = 0.1;
    while (i < text.size() && std::iswdigit(text[i])) {
      value += (text[i++] - L'0') * scale;
      scale /= 10;
      digits = true;
    }
  }
  if (!digits) return 0;
  return negative ? -value : value;
}

// ---- tree rows ----

bool ovGrid::setTreeRow(int row, int level, bool openable) {
  if (row < 0 || row >= rowCount() || level < 0) return false;
  Row& r = rows_[static_cast<std::size_t>(row)];
  r.level = level;
  r.openable = openable;
  return true;
}

bool ovGrid::setRowOpen(int row, bool open) {
  if (row < 0 || row >= rowCount()) return false;
  rows_[static_cast<std::size_t>(row)].open = open;
  return true;
}

int ovGrid::treeLevel(int row) const {
  return row >= 0 && row < rowCount() ? rows_[static_cast<std::size_t>(row)].level : 0;
}

bool ovGrid::isTreeRow(int row) const {
  return row >= 0 && row < rowCount() && rows_[static_cast<std::size_t>(row)].openable;
}

bool ovGrid::isRowOpen(int row) const {
  return row >= 0 && row < rowCount() && rows_[static_cast<std::size_t>(row)].open;
}

bool ovGrid::isRowShown(int row) const {
  if (row < 0 || row >= rowCount()) return false;
  // Walk up through the parents: the nearest earlier row of a smaller level each time.
  int level = treeLevel(row);
  for (int r = row - 1; r >= headingRowCount() && level > 0; --r) {
    if (treeLevel(r) >= level) continue;
    if (!isRowOpen(r)) return false;
    level = treeLevel(r);
  }
  return true;
}

// ---- selection and editing ----

bool ovGrid::setSelectedCell(int row, int column) {
  if (!has(row, column)) return false;
  selectedRow_ = row;
  selectedColumn_ = column;
  return true;
}

bool ovGrid::startEdit(int row, int column) {
  if (!userCellProblem(row, column).empty()) return false;
  cancelEdit();
  GridNotice notice{GridNoticeKind::StartEdit, row, column, text(row, column)};
  if (!notify(notice)) return false;
  editRow_ = row;
  editColumn_ = column;
  return true;
}

bool ovGrid::endEdit(const std::wstring& newText) {
  if (!isEditing()) return false;
  const int row = editRow_;
  const int column = editColumn_;
  // The edit is over whatever the dialog answers; the cell keeps its text while the
  // dialog looks at the notice, so that it can still read the old one.
  editRow_ = editColumn_ = -1;
  GridNotice notice{GridNoticeKind::EndEdit, row, column, newText};
  if (!notify(notice)) return false;
  if (!has(row, column)) return true;
  cell(row, column).text = notice.text;
  GridNotice changed{GridNoticeKind::CellChanged, row, column, notice.text};
  notify(changed);
  return true;
}

void ovGrid::cancelEdit() { editRow_ = editColumn_ = -1; }

// ---- reading ----

std::wstring ovGrid::text(int row, int column) const { return has(row, column) ? cell(row, column).text : L""; }

GridCellKind ovGrid::cellKind(int row, int column) const {
  return has(row, column) ? cell(row, column).kind : GridCellKind::Text;
}

std::vector<std::wstring> ovGrid::choices(int row, int column) const {
  return has(row, column) ? cell(row, column).choices : std::vector<std::wstring>{};
}

bool ovGrid::isReadOnly(int row, int column) const { return has(row, column) && cell(row, column).readOnly; }

bool ovGrid::isGrey(int row, int column) const { return has(row, column) && cell(row, column).grey; }

bool ovGrid::isColumnHidden(int column) const {
  return column >= 0 && column < columns_ && hiddenColumns_[static_cast<std::size_t>(column)];
}

void ovGrid::mergedOrigin(int row, int column, int& originRow, int& originColumn) const {
  originRow = row;
  originColumn = column;
  if (!has(row, column)) return;
  const Cell& here = cell(row, column);
  if (here.originRow >= 0) {
    originRow = here.originRow;
    originColumn = here.originColumn;
  }
}

int ovGrid::rowSpan(int row, int column) const {
  int r = row, c = column;
  mergedOrigin(row, column, r, c);
  return has(r, c) ? cell(r, c).rowSpan : 1;
}

int ovGrid::columnSpan(int row, int column) const {
  int r = row, c = column;
  mergedOrigin(row, column, r, c);
  return has(r, c) ? cell(r, c).columnSpan : 1;
}

// ---- user actions ----

std::wstring ovGrid::userSelectCell(int row, int column) {
  if (!has(row, column)) return L"the grid has no " + cellName(row, column);
  if (row < headingRowCount()) return cellName(row, column) + L" is a heading";
  if (isColumnHidden(column)) return cellName(row, column) + L" is in a hidden column";
  if (!isRowShown(row)) return L"row " + std::to_wstring(row) + L" is inside a closed tree row";
  cancelEdit();
  mergedOrigin(row, column, row, column);
  const bool moved = row != selectedRow_ || column != selectedColumn_;
  selectedRow_ = row;
  selectedColumn_ = column;
  if (moved) {
    GridNotice notice{GridNoticeKind::SelectionChanged, row, column, text(row, column)};
    notify(notice);
  }
  return L"";
}

std::wstring ovGrid::userTypeIntoCell(int row, int column, const std::wstring& newText) {
  std::wstring why = userCellProblem(row, column);
  if (!why.empty()) return why;
  const GridCellKind kind = cellKind(row, column);
  if (kind == GridCellKind::CheckBox || kind == GridCellKind::Button)
    return cellName(row, column) + L" takes no typed text";
  if (kind == GridCellKind::Choice) {
    const std::vector<std::wstring> entries = choices(row, column);
    if (std::find(entries.begin(), entries.end(), newText) == entries.end())
      return cellName(row, column) + L" accepts only its choices";
  }
  return userEdit(row, column, newText);
}

std::wstring ovGrid::userTickCell(int row, int column, bool on) {
  std::wstring why = userCellProblem(row, column);
  if (!why.empty()) return why;
  if (cellKind(row, column) != GridCellKind::CheckBox) return cellName(row, column) + L" is not a check box";
  why = userSelectCell(row, column);
  if (!why.empty()) return why;
  if (isChecked(row, column) == on) return L"";  // already so: nothing to click
  GridNotice notice{GridNoticeKind::CheckChanged, row, column, on ? L"-1" : L"0"};
  if (!notify(notice)) return L"the dialog refused the change of " + cellName(row, column);
  cell(row, column).text = on ? L"-1" : L"0";
  return L"";
}

std::wstring ovGrid::userChooseCellEntry(int row, int column, const std::wstring& entry) {
  std::wstring why = userCellProblem(row, column);
  if (!why.empty()) return why;
  const GridCellKind kind = cellKind(row, column);
  if (kind != GridCellKind::Choice && kind != GridCellKind::EditableChoice)
    return cellName(row, column) + L" offers no choices";
  const std::vector<std::wstring> entries = choices(row, column);
  if (std::find(entries.begin(), entries.end(), entry) == entries.end())
    return cellName(row, column) + L" offers no entry \"" + entry + L"\"";
  return userEdit(row, column, entry);
}

std::wstring ovGrid::userClickCellButton(int row, int column) {
  std::wstring why = userCellProblem(row, column);
  if (!why.empty()) return why;
  if (cellKind(row, column) != GridCellKind::Button) return cellName(row, column) + L" is not a button";
  why = userSelectCell(row, column);
  if (!why.empty()) return why;
  GridNotice notice{GridNoticeKind::ButtonClicked, row, column, text(row, column)};
  notify(notice);
  return L"";
}

std::wstring ovGrid::userToggleTreeRow(int row) {
  if (row < headingRowCount() || row >= rowCount()) return L"the grid has no row " + std::to_wstring(row);
  if (!isTreeRow(row)) return L"row " + std::to_wstring(row) + L" does not open";
  if (!isRowShown(row)) return L"row " + std::to_wstring(row) + L" is inside a closed tree row";
  cancelEdit();
  const bool opening = !isRowOpen(row);
  GridNotice notice{opening ? GridNoticeKind::TreeOpened : GridNoticeKind::TreeClosed, row, 0, L""};
  if (!notify(notice)) return L"the dialog refused to " + std::wstring(opening ? L"open" : L"close") + L" row " +
                              std::to_wstring(row);
  // The dialog may have added or removed rows below; the row itself stays where it is.
  setRowOpen(row, opening);
  return L"";
}

// ---- helpers ----

bool ovGrid::has(int row, int column) const {
  return row >= 0 && row < rowCount() && column >= 0 && column < columns_;
}

bool ovGrid::isDataRow(int row) const { return row >= headingRowCount() && row < rowCount(); }

const ovGrid::Cell& ovGrid::cell(int row, int column) const {
  return rows_[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)];
}

ovGrid::Cell& ovGrid::cell(int row, int column) {
  return rows_[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)];
}

std::wstring ovGrid::userCellProblem(int row, int column) const {
  if (!has(row, column)) return L"the grid has no " + cellName(row, column);
  if (row < headingRowCount()) return cellName(row, column) + L" is a heading";
  if (isColumnHidden(column)) return cellName(row, column) + L" is in a hidden column";
  if (!isRowShown(row)) return L"row " + std::to_wstring(row) + L" is inside a closed tree row";
  if (cell(row, column).originRow >= 0) return cellName(row, column) + L" is covered by a merged cell";
  if (isReadOnly(row, column)) return cellName(row, column) + L" is read-only";
  if (isGrey(row, column)) return cellName(row, column) + L" is greyed";
  return L"";
}

std::wstring ovGrid::userEdit(int row, int column, const std::wstring& newText) {
  std::wstring why = userSelectCell(row, column);
  if (!why.empty()) return why;
  // The selection notice may have changed the grid (a dialog that rebuilds on it).
  why = userCellProblem(row, column);
  if (!why.empty()) return why;
  if (!startEdit(row, column)) return L"the dialog refused to edit " + cellName(row, column);
  if (!endEdit(newText)) return L"the dialog refused the text for " + cellName(row, column);
  return L"";
}

void ovGrid::clearMergesTouching(int row) {
  // Any merge with a cell in this row that reaches another row is undone; merges
  // inside the row stay.
  for (int c = 0; c < columns_; ++c) {
    int r0 = row, c0 = c;
    mergedOrigin(row, c, r0, c0);
    if (rowSpan(r0, c0) > 1) mergeCells(r0, c0, 1, columnSpan(r0, c0));
  }
}

void ovGrid::fixSelectionAfterRowChange() {
  if (selectedRow_ >= rowCount() || selectedRow_ < headingRowCount()) selectedRow_ = selectedColumn_ = -1;
}
