// Finding a dialog's controls, grids, rows and columns by what the user sees: a
// button's caption, a field's label, a grid's short name, a cell's text, a heading.
// Answer files and the terminal name things this way; ids and numbers still work.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class CDialog;
class GridControl;

// A control, grid, row or column as an action writes it. A quoted word is always a
// name; an unquoted whole number is an id or an index.
struct UiRef {
  std::wstring word;
  bool quoted = false;

  bool isNumber() const;
  int number() const;  // valid when isNumber()
};

// A caption or label as the user would say it: accelerator marks ("&") dropped,
// trailing ":", "..." and ". . ." dropped, blanks around trimmed.
std::wstring uiPlainName(const std::wstring& label);

// Each answers an empty text and sets the id or index, or answers why it cannot,
// listing what the dialog or grid has so that the user can correct the name.
//
// A control for a verb: click takes buttons and check boxes, type fields and
// editable lists, check check boxes, choose drop-down lists. A name shared by
// controls of several kinds goes to the one of the verb's kind.
std::wstring uiFindControl(const CDialog& dialog, const std::wstring& verb, const UiRef& ref, int& id);
// A grid by its short name; a dialog with one grid also answers to "grid".
std::wstring uiFindGrid(const CDialog& dialog, const UiRef& ref, int& id);
// A row: its index, or the first row below the headings with a shown cell showing
// that text (left to right, top to bottom), exactly when one does, else ignoring case.
std::wstring uiFindRow(const GridControl& grid, const UiRef& ref, int& row);
// A column: its index, or a heading text of any heading row (a line break reads as a
// blank; case ignored). Hidden columns are never found by name.
std::wstring uiFindColumn(const GridControl& grid, const UiRef& ref, int& column);

// The lowest heading of a column that is not blank, as the grid holds it (merged
// headings included); empty when it has none.
std::wstring uiColumnHeading(const GridControl& grid, int column);

// The entry of a list prompt shown as text: exactly (blanks around ignored), else
// ignoring case; nothing when none is.
std::optional<std::size_t> uiFindItem(const std::vector<std::wstring>& items, const std::wstring& text);

// A word as an answer file writes it: quoted (with \" and \\) when it was quoted or
// holds blanks or quotes.
std::wstring uiWordText(const UiRef& ref);
