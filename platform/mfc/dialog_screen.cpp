// Writing a dialog and its grids out as text for the terminal.
#include "mfc/dialog_screen.h"

#include <algorithm>
#include <vector>

#include "mfc/dialog.h"
#include "mfc/grid_control.h"
#include "mfc/ui_names.h"

namespace {

// Line breaks inside a heading ("Standard\nSize") stay visible on one line.
std::wstring oneLine(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) out += c == L'\n' ? std::wstring(L"\\n") : std::wstring(1, c);
  return out;
}

std::wstring quoted(const std::wstring& text) { return L"\"" + oneLine(text) + L"\""; }

// What a cell shows: its kind's look, its tree mark, and its state marks.
std::wstring cellLook(const GridControl& grid, int row, int column, bool firstShownColumn) {
  std::wstring look = oneLine(grid.text(row, column));
  const bool heading = row < grid.headingRowCount();
  if (heading) return look;
  switch (grid.cellKind(row, column)) {
    case GridCellKind::CheckBox: look = (look.empty() || look == L"0") ? L"[ ]" : L"[x]"; break;
    case GridCellKind::Button: look = L"<" + look + L">"; break;
    case GridCellKind::Choice:
    case GridCellKind::EditableChoice: look += L" v"; break;
    case GridCellKind::Text: break;
  }
  if (firstShownColumn) {
    std::wstring mark;
    if (grid.isTreeRow(row)) mark = grid.isRowOpen(row) ? L"- " : L"+ ";
    look = std::wstring(static_cast<std::size_t>(2 * grid.treeLevel(row)), L' ') + mark + look;
  }
  if (grid.isReadOnly(row, column)) look += L"*";
  if (grid.isGrey(row, column)) look = L"~" + look + L"~";
  return look;
}

// One stretch of a table line: a text over count shown columns from first.
struct Segment {
  std::size_t first;
  std::size_t count;
  std::wstring text;
};

std::wstring rightTrimmed(std::wstring line) {
  line.erase(line.find_last_not_of(L' ') + 1);
  return line;
}

std::wstring padded(const std::wstring& text, std::size_t width) {
  return text.size() >= width ? text : text + std::wstring(width - text.size(), L' ');
}

}  // namespace

std::wstring gridTable(const GridControl& grid) {
  std::vector<int> columns;
  for (int c = 0; c < grid.columnCount(); ++c)
    if (!grid.isColumnHidden(c)) columns.push_back(c);
  std::vector<int> rows;
  for (int r = 0; r < grid.rowCount(); ++r)
    if (grid.isRowShown(r)) rows.push_back(r);

  // Each shown row cut into segments; a merged cell is one segment over its columns.
  std::vector<std::vector<Segment>> lines;
  for (int r : rows) {
    std::vector<Segment> segments;
    for (std::size_t i = 0; i < columns.size();) {
      int originRow = r, originColumn = columns[i];
      grid.mergedOrigin(r, columns[i], originRow, originColumn);
      if (originRow != r) {  // covered from a row above: blank here
        segments.push_back(Segment{i, 1, L""});
        ++i;
        continue;
      }
      std::size_t count = 1;
      const int lastColumn = originColumn + grid.columnSpan(originRow, originColumn) - 1;
      while (i + count < columns.size() && columns[i + count] <= lastColumn) ++count;
      segments.push_back(Segment{i, count, cellLook(grid, originRow, originColumn, i == 0)});
      i += count;
    }
    lines.push_back(segments);
  }

  // Widths: single cells first, then merged cells widen their last column if needed.
  std::vector<std::size_t> widths;
  for (int c : columns) widths.push_back(std::to_wstring(c).size());
  for (const auto& segments : lines)
    for (const Segment& s : segments)
      if (s.count == 1) widths[s.first] = std::max(widths[s.first], s.text.size());
  auto spanWidth = [&](const Segment& s) {
    std::size_t total = 3 * (s.count - 1);
    for (std::size_t k = 0; k < s.count; ++k) total += widths[s.first + k];
    return total;
  };
  for (const auto& segments : lines)
    for (const Segment& s : segments)
      if (s.count > 1 && s.text.size() > spanWidth(s)) widths[s.first + s.count - 1] += s.text.size() - spanWidth(s);

  std::size_t labelWidth = 1;
  for (int r : rows) labelWidth = std::max(labelWidth, std::to_wstring(r).size());
  std::wstring out = std::wstring(labelWidth + 2, L' ');
  for (std::size_t i = 0; i < columns.size(); ++i) out += L" | " + padded(std::to_wstring(columns[i]), widths[i]);
  out = rightTrimmed(out) + L"\n";
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const std::wstring number = std::to_wstring(rows[k]);
    std::wstring line = (rows[k] == grid.selectedRow() ? L"> " : L"  ") +
                        std::wstring(labelWidth - number.size(), L' ') + number;
    for (const Segment& s : lines[k]) line += L" | " + padded(s.text, spanWidth(s));
    out += rightTrimmed(line) + L"\n";
  }
  if (grid.selectedRow() >= 0 && grid.selectedColumn() >= 0) {
    const int column = grid.selectedColumn();
    const std::wstring heading = oneLine(uiColumnHeading(grid, column));
    out += L"  selected: row " + std::to_wstring(grid.selectedRow()) + L", column " + std::to_wstring(column) +
           (heading.empty() ? L"" : L" (" + heading + L")") + L"\n";
  }
  return out;
}

std::wstring dialogScreen(const CDialog& dialog) {
  const std::wstring caption = dialog.caption();
  const std::wstring name = dialogNameOf(dialog);
  std::wstring out = L"== " + caption + (name != caption ? L" (" + name + L")" : L"") + L" ==\n";
  for (const CDialogItem* item : dialog.controls()) {
    if (!item->IsWindowVisible()) continue;
    std::wstring line = L"[" + std::to_wstring(item->GetDlgCtrlID()) + L"] ";
    switch (item->kind()) {
      case DialogControlKind::Button: line += L"button " + quoted(item->label()); break;
      case DialogControlKind::Label: line += L"label " + quoted(item->label()); break;
      case DialogControlKind::Field: line += L"field " + quoted(item->label()) + L" = " + quoted(item->windowText()); break;
      case DialogControlKind::CheckBox:
        line += L"check " + quoted(item->label()) + (item->GetCheck() ? L" = on" : L" = off");
        break;
      case DialogControlKind::DropDown: {
        line += L"list " + quoted(item->label()) + L" = " + quoted(item->windowText()) + L" of ";
        std::wstring entries;
        for (const std::wstring& entry : item->entries()) entries += (entries.empty() ? L"" : L" | ") + entry;
        line += entries.empty() ? L"(no entries)" : entries;
        break;
      }
      case DialogControlKind::Grid: line += L"grid " + quoted(item->label()) + L":"; break;
    }
    if (!item->IsWindowEnabled()) line += L" (disabled)";
    if (item->GetDlgCtrlID() == dialog.focusId()) {
      // A field's selected text is what the next typing replaces.
      const std::wstring text = item->windowText();
      const int start = item->selectionStart();
      const int end = std::min(item->selectionEnd(), static_cast<int>(text.size()));
      const bool selection = item->kind() == DialogControlKind::Field && start < end;
      line += selection ? L" (focus, " + quoted(text.substr(start, end - start)) + L" selected)" : L" (focus)";
    }
    out += line + L"\n";
    if (item->kind() == DialogControlKind::Grid && item->grid()) out += gridTable(*item->grid());
  }
  return out;
}
