// A dialog written out as text, for the terminal driver: its caption and name, every
// control with id, kind, label and value, and each grid as a table with its headings.
#pragma once

#include <string>

class CDialog;
class GridControl;

// The whole dialog; lines end with "\n".
//
//   == CAPTION (NAME) ==
//   [1] button "&OK"
//   [1001] field "Name:" = "abc" (disabled)
//   [1004] field "Multiplier:" = "0" (focus, "0" selected)
//   [1002] check "&Vertical" = on
//   [1003] list "Pipe Type:" = "PVC" of PVC | Copper
//   [1052] grid "sizes":
//   ...the grid table...
//
std::wstring dialogScreen(const CDialog& dialog);

// A grid as a table. The first line numbers the shown columns; heading rows follow
// with merged heading cells written once across the columns they span (and blank in
// the rows they span below); then each shown row with its number. Hidden columns and
// rows inside closed tree rows are left out. Marks: a cell text is followed by "*"
// when read-only and put in "~ ~" when grey; check boxes show "[x]" or "[ ]", button
// cells "<TEXT>", choice cells "TEXT v"; tree rows are indented two blanks a level
// with "+ " (closed) or "- " (open) when they can open; the selected row's number is
// marked with "> ", and a last line says which cell is selected:
//   selected: row 3, column 1 (Value)
std::wstring gridTable(const GridControl& grid);
