// What a dialog and the UI drivers see of a grid control: its cells for showing them,
// the actions a user has on it, and the notices it sends to the dialog that owns it.
// The grid model itself lives with the module (grid/grid.h) and implements this.
#pragma once

#include <functional>
#include <string>
#include <vector>

enum class GridCellKind {
  Text,            // typed into
  CheckBox,        // "0" is off, any other text on; ticking writes "-1" or "0"
  Choice,          // one of its entries only
  EditableChoice,  // one of its entries or any typed text
  Button,          // clicked; its text is the caption
};

enum class GridNoticeKind {
  StartEdit,         // an edit of the cell starts; the dialog may refuse
  EndEdit,           // an edit ends with text; the dialog may refuse or change the text
  CellChanged,       // the cell took the text of an edit (the answer is not read): the
                     // dialog may now move the row, which it cannot while the edit ends
  SelectionChanged,  // the selected cell moved to row, column (after the fact)
  CheckChanged,      // a check-box cell is about to take text ("-1" or "0"); may refuse
  ButtonClicked,     // a button cell was clicked
  TreeOpened,        // a tree row is about to open; the dialog may refuse or add rows
  TreeClosed,        // a tree row is about to close; the dialog may refuse or remove rows
};

// A notice from a grid to its dialog. For EndEdit the handler may change text: the
// cell takes the text as the handler leaves it.
struct GridNotice {
  GridNoticeKind kind = GridNoticeKind::SelectionChanged;
  int row = -1;
  int column = -1;
  std::wstring text;
};

// Answers whether the dialog accepts what the notice announces.
using GridNoticeHandler = std::function<bool(GridNotice&)>;

class GridControl {
 public:
  virtual ~GridControl() = default;

  // ---- reading, for whoever shows the grid ----
  // Rows count the heading rows, which come first (row 0 is the first heading row).
  virtual int rowCount() const = 0;
  virtual int columnCount() const = 0;
  virtual int headingRowCount() const = 0;
  virtual std::wstring text(int row, int column) const = 0;
  virtual GridCellKind cellKind(int row, int column) const = 0;
  virtual std::vector<std::wstring> choices(int row, int column) const = 0;
  virtual bool isReadOnly(int row, int column) const = 0;
  virtual bool isGrey(int row, int column) const = 0;
  virtual bool isColumnHidden(int column) const = 0;
  // The cell that owns the merged area holding (row, column) -- the cell itself when
  // it is not merged -- and the size of that area.
  virtual void mergedOrigin(int row, int column, int& originRow, int& originColumn) const = 0;
  virtual int rowSpan(int row, int column) const = 0;
  virtual int columnSpan(int row, int column) const = 0;
  // Tree rows: depth (0 for a plain row), whether the row can open, whether it is
  // open, and whether it is shown (every row above it in the tree is open).
  virtual int treeLevel(int row) const = 0;
  virtual bool isTreeRow(int row) const = 0;
  virtual bool isRowOpen(int row) const = 0;
  virtual bool isRowShown(int row) const = 0;
  // The selected cell; -1, -1 when none.
  virtual int selectedRow() const = 0;
  virtual int selectedColumn() const = 0;

  // ---- what a user does; each answers an empty text when done, else why not ----
  virtual std::wstring userSelectCell(int row, int column) = 0;
  // Start-edit notice, then end-edit notice with the text; either may refuse.
  virtual std::wstring userTypeIntoCell(int row, int column, const std::wstring& text) = 0;
  virtual std::wstring userTickCell(int row, int column, bool on) = 0;
  virtual std::wstring userChooseCellEntry(int row, int column, const std::wstring& entry) = 0;
  virtual std::wstring userClickCellButton(int row, int column) = 0;
  virtual std::wstring userToggleTreeRow(int row) = 0;

  // The dialog that owns the grid receives its notices here; without a handler
  // every notice is accepted.
  void setNoticeHandler(GridNoticeHandler handler) { noticeHandler_ = std::move(handler); }

 protected:
  bool notify(GridNotice& notice) const { return noticeHandler_ ? noticeHandler_(notice) : true; }

 private:
  GridNoticeHandler noticeHandler_;
};
