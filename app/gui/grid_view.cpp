// The grid widget over a dialog's grid model.
#include "grid_view.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include <wx/dc.h>
#include <wx/grid.h>
#include <wx/renderer.h>
#include <wx/settings.h>

#include "mfc/grid_control.h"

namespace {

// A button cell drawn as the platform's push button with its caption.
class ButtonCellRenderer : public wxGridCellStringRenderer {
 public:
  void Draw(wxGrid& grid, wxGridCellAttr& attr, wxDC& dc, const wxRect& rect, int row, int col,
            bool /*isSelected*/) override {
    wxRect face = rect;
    face.Deflate(1);
    dc.SetBrush(wxBrush(grid.GetDefaultCellBackgroundColour()));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(rect);
    wxRendererNative::Get().DrawPushButton(&grid, dc, face, 0);
    dc.SetFont(attr.GetFont());
    dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));
    grid.DrawTextRectangle(dc, grid.GetCellValue(row, col), face, wxALIGN_CENTRE, wxALIGN_CENTRE);
  }
  wxGridCellRenderer* Clone() const override { return new ButtonCellRenderer; }
};

// How many blanks a tree level indents, and the marks of rows that open.
constexpr int kTreeIndent = 3;

}  // namespace

// The model seen through the toolkit's table interface. Texts and attributes are read
// from the model whenever the widget asks; nothing is stored here but the editors of
// choice cells, which must stay the same object while an edit runs.
class GridTable : public wxGridTableBase {
 public:
  explicit GridTable(GridControl& model) : model_(model) {}
  ~GridTable() override {
    for (auto& entry : editors_) entry.second.editor->DecRef();
    checkRenderer_->DecRef();
    buttonRenderer_->DecRef();
    choiceRenderer_->DecRef();
  }

  int GetNumberRows() override { return model_.rowCount(); }
  int GetNumberCols() override { return model_.columnCount(); }
  wxString GetValue(int row, int col) override {
    if (row >= model_.rowCount() || col >= model_.columnCount()) return {};
    const std::wstring text = model_.text(row, col);
    if (row >= model_.headingRowCount() && model_.cellKind(row, col) == GridCellKind::CheckBox)
      return text.empty() || text == L"0" ? wxString() : wxString("1");
    if (col == treeColumn() && row >= model_.headingRowCount() && (model_.treeLevel(row) > 0 || model_.isTreeRow(row)))
      return treePrefix(row) + wxString(text);
    return text;
  }
  void SetValue(int, int, const wxString&) override {}  // edits reach the model as user actions
  bool IsEmptyCell(int row, int col) override { return GetValue(row, col).empty(); }
  bool CanHaveAttributes() override { return true; }

  // The first shown column, where tree rows show their level and mark.
  int treeColumn() const {
    for (int c = 0; c < model_.columnCount(); ++c)
      if (!model_.isColumnHidden(c)) return c;
    return 0;
  }
  wxString treePrefix(int row) const {
    wxString prefix(' ', static_cast<size_t>(kTreeIndent * model_.treeLevel(row)));
    if (model_.isTreeRow(row)) prefix += model_.isRowOpen(row) ? "- " : "+ ";
    return prefix;
  }

  wxGridCellAttr* GetAttr(int row, int col, wxGridCellAttr::wxAttrKind) override {
    if (row >= model_.rowCount() || col >= model_.columnCount()) return nullptr;
    auto* attr = new wxGridCellAttr;
    int originRow = row, originCol = col;
    model_.mergedOrigin(row, col, originRow, originCol);
    if (originRow != row || originCol != col) attr->SetSize(originRow - row, originCol - col);
    else if (model_.rowSpan(row, col) > 1 || model_.columnSpan(row, col) > 1)
      attr->SetSize(model_.rowSpan(row, col), model_.columnSpan(row, col));
    if (row < model_.headingRowCount()) {
      attr->SetReadOnly();
      attr->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
      attr->SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).Bold());
      attr->SetAlignment(wxALIGN_CENTRE, wxALIGN_CENTRE);
      return attr;
    }
    const bool grey = model_.isGrey(row, col);
    if (model_.isReadOnly(row, col) || grey) attr->SetReadOnly();
    if (grey) {
      attr->SetTextColour(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
      attr->SetBackgroundColour(wxColour(228, 228, 228));
    } else if (model_.isReadOnly(row, col)) {
      attr->SetBackgroundColour(wxColour(246, 246, 246));
    }
    switch (model_.cellKind(row, col)) {
      case GridCellKind::Text:
        break;
      case GridCellKind::CheckBox:
        // Ticked by a click (GridView::onClick), never through an editor.
        attr->SetReadOnly();
        checkRenderer_->IncRef();
        attr->SetRenderer(checkRenderer_);
        attr->SetAlignment(wxALIGN_CENTRE, wxALIGN_CENTRE);
        break;
      case GridCellKind::Choice:
      case GridCellKind::EditableChoice:
        choiceRenderer_->IncRef();
        attr->SetRenderer(choiceRenderer_);
        attr->SetEditor(editorFor(row, col));
        break;
      case GridCellKind::Button:
        attr->SetReadOnly();
        buttonRenderer_->IncRef();
        attr->SetRenderer(buttonRenderer_);
        break;
    }
    return attr;
  }

 private:
  struct ChoiceEditor {
    std::vector<std::wstring> choices;
    bool editable = false;
    wxGridCellEditor* editor = nullptr;
  };

  // The cell's choice editor, made again only when its entries changed.
  wxGridCellEditor* editorFor(int row, int col) {
    std::vector<std::wstring> choices = model_.choices(row, col);
    const bool editable = model_.cellKind(row, col) == GridCellKind::EditableChoice;
    ChoiceEditor& slot = editors_[{row, col}];
    if (slot.editor == nullptr || slot.choices != choices || slot.editable != editable) {
      if (slot.editor != nullptr) slot.editor->DecRef();
      wxArrayString entries;
      for (const std::wstring& c : choices) entries.Add(c);
      slot.editor = new wxGridCellChoiceEditor(entries, editable);
      slot.choices = std::move(choices);
      slot.editable = editable;
    }
    slot.editor->IncRef();
    return slot.editor;
  }

  GridControl& model_;
  std::map<std::pair<int, int>, ChoiceEditor> editors_;
  wxGridCellRenderer* checkRenderer_ = new wxGridCellBoolRenderer;
  wxGridCellRenderer* buttonRenderer_ = new ButtonCellRenderer;
  wxGridCellRenderer* choiceRenderer_ = new wxGridCellChoiceRenderer;
};

namespace {

// The widget, with access to its one-cell attribute cache: the model's attributes
// change behind the widget's back.
class ModelGrid : public wxGrid {
 public:
  using wxGrid::wxGrid;
  void forgetAttributes() { ClearAttrCache(); }
};

}  // namespace

GridView::GridView(wxWindow* parent, GridControl& model, std::function<void(const std::wstring&)> afterAction)
    : model_(model), afterAction_(std::move(afterAction)) {
  auto* grid = new ModelGrid(parent, wxID_ANY, wxDefaultPosition, wxSize(420, 220));
  grid_ = grid;
  table_ = new GridTable(model_);
  grid_->SetTable(table_, true, wxGrid::wxGridSelectCells);
  // The heading rows are the model's own first rows, spans and all.
  grid_->SetColLabelSize(0);
  grid_->SetRowLabelSize(0);
  grid_->EnableDragRowSize(false);
  grid_->DisableDragColMove();
  grid_->SetCellHighlightPenWidth(2);
  rows_ = model_.rowCount();
  columns_ = model_.columnCount();
  grid_->Bind(wxEVT_GRID_SELECT_CELL, &GridView::onSelect, this);
  grid_->Bind(wxEVT_GRID_CELL_CHANGING, &GridView::onChanging, this);
  grid_->Bind(wxEVT_GRID_CELL_LEFT_CLICK, &GridView::onClick, this);
  sync();
  grid_->AutoSizeColumns(false);
  // Room for a choice cell's arrow; the widget opens as large as its cells, within
  // reason, and scrolls beyond.
  int width = 0, height = 0;
  for (int c = 0; c < columns_; ++c) {
    if (!grid_->IsColShown(c)) continue;  // a new size would show a hidden column again
    grid_->SetColSize(c, std::max(grid_->GetColSize(c) + 28, 60));
    width += grid_->GetColSize(c);
  }
  for (int r = 0; r < rows_; ++r)
    if (grid_->IsRowShown(r)) height += grid_->GetRowSize(r);
  grid_->SetMinSize(wxSize(std::clamp(width + 24, 300, 900), std::clamp(height + 4, 120, 440)));
}

GridView::~GridView() = default;

void GridView::sync() {
  syncing_ = true;
  static_cast<ModelGrid*>(grid_)->forgetAttributes();
  const int rows = model_.rowCount(), columns = model_.columnCount();
  grid_->BeginBatch();
  if (rows > rows_) {
    wxGridTableMessage message(table_, wxGRIDTABLE_NOTIFY_ROWS_APPENDED, rows - rows_);
    grid_->ProcessTableMessage(message);
  } else if (rows < rows_) {
    wxGridTableMessage message(table_, wxGRIDTABLE_NOTIFY_ROWS_DELETED, rows, rows_ - rows);
    grid_->ProcessTableMessage(message);
  }
  if (columns > columns_) {
    wxGridTableMessage message(table_, wxGRIDTABLE_NOTIFY_COLS_APPENDED, columns - columns_);
    grid_->ProcessTableMessage(message);
  } else if (columns < columns_) {
    wxGridTableMessage message(table_, wxGRIDTABLE_NOTIFY_COLS_DELETED, columns, columns_ - columns);
    grid_->ProcessTableMessage(message);
  }
  rows_ = rows;
  columns_ = columns;
  for (int c = 0; c < columns; ++c) {
    if (model_.isColumnHidden(c) && grid_->IsColShown(c)) grid_->HideCol(c);
    else if (!model_.isColumnHidden(c) && !grid_->IsColShown(c)) grid_->ShowCol(c);
  }
  for (int r = 0; r < rows; ++r) {
    if (!model_.isRowShown(r) && grid_->IsRowShown(r)) grid_->HideRow(r);
    else if (model_.isRowShown(r) && !grid_->IsRowShown(r)) grid_->ShowRow(r);
  }
  const int row = model_.selectedRow(), column = model_.selectedColumn();
  if (row >= 0 && column >= 0 && row < rows && column < columns &&
      (grid_->GetGridCursorRow() != row || grid_->GetGridCursorCol() != column)) {
    grid_->SetGridCursor(row, column);
    grid_->MakeCellVisible(row, column);
  }
  grid_->EndBatch();
  grid_->ForceRefresh();
  syncing_ = false;
}

void GridView::onSelect(wxGridEvent& event) {
  if (syncing_) return event.Skip();
  const int row = event.GetRow(), column = event.GetCol();
  if (row == model_.selectedRow() && column == model_.selectedColumn()) return event.Skip();
  const std::wstring problem = model_.userSelectCell(row, column);
  if (!problem.empty()) event.Veto();
  else event.Skip();
  // The dialog may have changed other controls on the new selection.
  grid_->CallAfter([this, problem] { afterAction_(problem); });
}

void GridView::onChanging(wxGridEvent& event) {
  const int row = event.GetRow(), column = event.GetCol();
  const std::wstring text = event.GetString().ToStdWstring();
  std::wstring problem;
  const GridCellKind kind = model_.cellKind(row, column);
  const std::vector<std::wstring> choices = model_.choices(row, column);
  const bool listed = std::find(choices.begin(), choices.end(), text) != choices.end();
  if (kind == GridCellKind::Choice || (kind == GridCellKind::EditableChoice && listed))
    problem = model_.userChooseCellEntry(row, column, text);
  else problem = model_.userTypeIntoCell(row, column, text);
  // The model holds the text now, as the dialog left it (or refused it): the widget
  // shows that, not what the editor had.
  event.Veto();
  grid_->CallAfter([this, problem] { afterAction_(problem); });
}

void GridView::onClick(wxGridEvent& event) {
  int row = event.GetRow(), column = event.GetCol();
  if (row < model_.headingRowCount()) return;  // headings are not selected
  model_.mergedOrigin(row, column, row, column);
  const GridCellKind kind = model_.cellKind(row, column);
  const bool tree = column == table_->treeColumn() && model_.isTreeRow(row);
  if (kind != GridCellKind::CheckBox && kind != GridCellKind::Button && !tree) return event.Skip();
  std::wstring problem;
  if (row != model_.selectedRow() || column != model_.selectedColumn()) problem = model_.userSelectCell(row, column);
  if (problem.empty() && tree) {
    // Only a click on the mark opens or closes the row; elsewhere the cell is selected.
    const wxPoint at = grid_->CalcUnscrolledPosition(event.GetPosition());
    const wxRect cell = grid_->CellToRect(row, column);
    const int markEnd = cell.x + grid_->GetTextExtent(table_->treePrefix(row)).x + 6;
    if (at.x <= markEnd) problem = model_.userToggleTreeRow(row);
  } else if (problem.empty() && kind == GridCellKind::CheckBox) {
    const std::wstring text = model_.text(row, column);
    problem = model_.userTickCell(row, column, text.empty() || text == L"0");
  } else if (problem.empty()) {
    problem = model_.userClickCellButton(row, column);
  }
  afterAction_(problem);
}
