// The grid the dialogs show their tables in: a model of rows and columns of text cells
// with heading rows, merged cells, hidden columns, cell kinds and states, tree rows,
// selection and in-place edits. Nothing here draws; drivers read it and act on it.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "mfc/grid_control.h"

class ovGrid : public GridControl {
 public:
  ovGrid() = default;

  // ---- shape ----
  // Rows count the heading rows (row 0 is the first heading row). Growing adds empty
  // text cells; shrinking drops rows or columns at the end. Negative sizes are ignored.
  void setRowCount(int rows);
  void setColumnCount(int columns);
  // How many of the first rows are headings (0, 1 or 2 in practice; clamped to the
  // rows there are when rows are read). Heading cells are never edited by a user.
  void setHeadingRowCount(int rows);
  // Appends a row (at = -1) or inserts one before row at; answers its index, -1 when
  // at is out of range. The new row is a plain text row.
  int insertRow(int at = -1);
  // Deletes a row that is not a heading row; false when there is none such.
  bool deleteRow(int row);
  // Deletes every row below the headings.
  void deleteNonHeadingRows();
  // Makes the grid one heading row with these texts, a column each, the given columns
  // hidden, and no rows below: how most dialogs start their grid.
  void setHeadings(const std::vector<std::wstring>& headings, std::initializer_list<int> hiddenColumns = {});
  // Exchanges the cells and tree state of two rows below the headings.
  bool swapRows(int first, int second);
  // Moves a row below the headings to stand at `to`, the rows between shifting by one
  // toward its old place; the selection goes with the rows.
  bool moveRow(int from, int to);
  // Move Up (-1) and Move Down (+1): the selected row changes place with its neighbour
  // and stays selected; false at either end or without a selection.
  bool swapSelectedRow(int step);

  // ---- cells ----
  // Setters on a cell that is not there do nothing and answer false.
  bool setText(int row, int column, const std::wstring& text);
  bool setCellKind(int row, int column, GridCellKind kind);
  bool setChoices(int row, int column, std::vector<std::wstring> choices);
  bool setReadOnly(int row, int column, bool readOnly);
  bool setGrey(int row, int column, bool grey);
  // Marks a whole row read-only or grey.
  void setRowReadOnly(int row, bool readOnly);
  void setRowGrey(int row, bool grey);
  void setColumnHidden(int column, bool hidden);
  // Merges rows x columns cells from (row, column) into one; the cells covered show
  // nothing of their own. Areas that would overlap another merge or leave the grid are
  // refused. A 1 x 1 merge undoes one.
  bool mergeCells(int row, int column, int rows, int columns);
  // Check-box cells: on when the text is not "0" (and not empty).
  bool isChecked(int row, int column) const;
  // A cell's text read as a leading decimal number ("12.5 in" reads 12.5, "NEW" 0).
  double number(int row, int column) const;
  static double leadingNumber(const std::wstring& text);

  // ---- tree rows ----
  // Makes row a tree row at level (children are the rows below it with a greater
  // level, up to the next row at its level or above); openable says whether it shows
  // the open/close mark.
  bool setTreeRow(int row, int level, bool openable);
  // Opens or closes without a notice (for the dialog building its tree).
  bool setRowOpen(int row, bool open);

  // ---- selection and editing by the dialog (no notices except where said) ----
  bool setSelectedCell(int row, int column);
  // Starts an in-place edit as a click would: start-edit notice; false when refused
  // or the cell cannot be edited. The edit stays open until endEdit or cancelEdit.
  bool startEdit(int row, int column);
  // Ends the open edit with text: end-edit notice; the cell takes the text unless the
  // dialog refuses it. False when no edit is open or the text was refused.
  bool endEdit(const std::wstring& text);
  void cancelEdit();
  bool isEditing() const { return editRow_ >= 0; }
  int editRow() const { return editRow_; }
  int editColumn() const { return editColumn_; }

  // ---- GridControl ----
  int rowCount() const override { return static_cast<int>(rows_.size()); }
  int columnCount() const override { return columns_; }
  int headingRowCount() const override;
  std::wstring text(int row, int column) const override;
  GridCellKind cellKind(int row, int column) const override;
  std::vector<std::wstring> choices(int row, int column) const override;
  bool isReadOnly(int row, int column) const override;
  bool isGrey(int row, int column) const override;
  bool isColumnHidden(int column) const override;
  void mergedOrigin(int row, int column, int& originRow, int& originColumn) const override;
  int rowSpan(int row, int column) const override;
  int columnSpan(int row, int column) const override;
  int treeLevel(int row) const override;
  bool isTreeRow(int row) const override;
  bool isRowOpen(int row) const override;
  bool isRowShown(int row) const override;
  int selectedRow() const override { return selectedRow_; }
  int selectedColumn() const override { return selectedColumn_; }

  std::wstring userSelectCell(int row, int column) override;
  std::wstring userTypeIntoCell(int row, int column, const std::wstring& text) override;
  std::wstring userTickCell(int row, int column, bool on) override;
  std::wstring userChooseCellEntry(int row, int column, const std::wstring& entry) override;
  std::wstring userClickCellButton(int row, int column) override;
  std::wstring userToggleTreeRow(int row) override;

 private:
  struct Cell {
    std::wstring text;
    GridCellKind kind = GridCellKind::Text;
    std::vector<std::wstring> choices;
    bool readOnly = false;
    bool grey = false;
    int rowSpan = 1;     // on the origin of a merged area
    int columnSpan = 1;
    int originRow = -1;  // on a covered cell: the origin; -1 otherwise
    int originColumn = -1;
  };
  struct Row {
    std::vector<Cell> cells;
    int level = 0;
    bool openable = false;
    bool open = false;
  };

  bool has(int row, int column) const;
  bool isDataRow(int row) const;
  const Cell& cell(int row, int column) const;
  Cell& cell(int row, int column);
  // Why a user cannot act on the cell (empty when the cell takes user input).
  std::wstring userCellProblem(int row, int column) const;
  // The edit a user makes: start-edit notice, end-edit notice, the cell takes text.
  std::wstring userEdit(int row, int column, const std::wstring& text);
  // Keeps merges, selection and the open edit right after rows move.
  void clearMergesTouching(int row);
  void fixSelectionAfterRowChange();

  std::vector<Row> rows_;
  int columns_ = 0;
  int headingRows_ = 0;
  std::vector<bool> hiddenColumns_;
  int selectedRow_ = -1;
  int selectedColumn_ = -1;
  int editRow_ = -1;
  int editColumn_ = -1;
};
