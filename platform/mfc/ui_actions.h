// The user's actions on a dialog as the scripted and terminal drivers read them, one a
// line, and how each is done through the dialog's user entry points:
//
//   dialog NAME                  the dialog expected next (persistence name or caption)
//   click CONTROL                click a button or check box
//   type CONTROL TEXT            type TEXT into a field, replacing its text
//   check CONTROL on|off         tick or clear a check box
//   choose CONTROL TEXT          choose the entry TEXT of a drop-down list
//   select GRID ROW COLUMN       select a cell of a grid
//   cell GRID ROW COLUMN TEXT    type TEXT into a cell (start-edit, then end-edit)
//   tick GRID ROW COLUMN on|off  tick or clear a check-box cell
//   pick GRID ROW COLUMN TEXT    choose the entry TEXT of a choice cell
//   press GRID ROW COLUMN        click a button cell
//   toggle GRID ROW              open or close a tree row
//   escape                       close the dialog with Escape
//   show                         print the dialog as the terminal shows it
//
// CONTROL is an id or what the control shows (a caption or a label, compared as
// ui_names.h says); GRID an id or the grid's short name; ROW a row number (heading rows
// count) or, quoted, a text a cell of the row shows; COLUMN a number or a heading. A
// word with blanks is written in double quotes, with \" and \\ inside. TEXT is the rest
// of the line, blanks trimmed; quote it to keep blanks at its ends or to give "".
#pragma once

#include <string>

#include "mfc/ui_names.h"

class CDialog;

struct UiAction {
  std::wstring verb;  // as above, lower case
  UiRef target;       // the control, or the grid
  UiRef row;
  UiRef column;
  bool on = false;
  std::wstring text;
};

// Whether verb is one of the dialog actions above ("dialog" is not: it names a dialog).
bool isDialogActionVerb(const std::wstring& verb);
// Reads an action from its verb and the rest of its line; answers an empty text when
// it is well formed, else what is wrong.
std::wstring parseDialogAction(const std::wstring& verb, const std::wstring& argument, UiAction& action);
// Finds what the action names and does it on the dialog ("show" prints the dialog);
// answers an empty text when done, else why not.
std::wstring applyDialogAction(CDialog& dialog, const UiAction& action);
// The action as a line, its words as they were written ("click New",
// "cell 1052 2 1 \"4.5\""), for what the drivers print.
std::wstring dialogActionLine(const UiAction& action);
// The list of actions with an example of each, for "help" at the terminal and
// ovhost --help-ui.
std::wstring uiActionHelp();
// Takes the next word off text: a quoted text (with \" and \\) or a run of non-blanks.
// False when a quote is not closed.
bool uiTakeWord(std::wstring& text, UiRef& word);
// A TEXT argument: the rest of the line, trimmed; one quoted word is taken unquoted.
std::wstring uiTextArgument(const std::wstring& rest);
