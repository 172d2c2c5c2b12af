// The user's actions on a dialog as the scripted and terminal drivers read them, one a
// line, and how each is done through the dialog's user entry points:
//
//   dialog NAME                  the dialog expected next (persistence name or caption)
//   click ID                     click button or check box ID (OK and Cancel may name
//                                IDOK and IDCANCEL)
//   type ID TEXT                 type TEXT into field ID, replacing its text
//   check ID on|off              tick or clear check box ID
//   choose ID TEXT               choose the entry TEXT of drop-down list ID
//   select GRID ROW COLUMN       select a cell of grid GRID
//   cell GRID ROW COLUMN TEXT    type TEXT into a cell (start-edit, then end-edit)
//   tick GRID ROW COLUMN on|off  tick or clear a check-box cell
//   pick GRID ROW COLUMN TEXT    choose the entry TEXT of a choice cell
//   press GRID ROW COLUMN        click a button cell
//   toggle GRID ROW              open or close a tree row
//   escape                       close the dialog with Escape
//
// Rows and columns are the grid's own numbers (row 0 is the first heading row; hidden
// columns count). TEXT is the rest of the line, blanks trimmed; put it in double
// quotes to keep blanks at its ends or to give an empty text ("").
#pragma once

#include <string>

class CDialog;

struct UiAction {
  std::wstring verb;  // as above, lower case
  int id = 0;         // the control, or the grid
  int row = -1;
  int column = -1;
  bool on = false;
  std::wstring text;
};

// Whether verb is one of the dialog actions above ("dialog" is not: it names a dialog).
bool isDialogActionVerb(const std::wstring& verb);
// Reads an action from its verb and the rest of its line; answers an empty text when
// it is well formed, else what is wrong.
std::wstring parseDialogAction(const std::wstring& verb, const std::wstring& argument, UiAction& action);
// Does the action on the dialog; answers an empty text when done, else why not.
std::wstring applyDialogAction(CDialog& dialog, const UiAction& action);
// "click 1", "cell 1052 3 1 "0.5"": the action as a line, for what drivers print.
std::wstring dialogActionLine(const UiAction& action);
// The list of actions, for "help" at the terminal.
std::wstring uiActionHelp();
