// Reading the user's dialog actions from lines and doing them on a dialog.
#include "mfc/ui_actions.h"

#include <cwctype>
#include <vector>

#include "mfc/dialog.h"
#include "mfc/message_box.h"
#include "win/win_text.h"

namespace {

// What each verb takes after it: a control or grid id, then row, column, and a text
// or an on/off word.
struct VerbShape {
  const wchar_t* verb;
  int numbers;  // id, row, column: how many of them
  enum { None, Text, OnOff } tail;
  const wchar_t* usage;
};
constexpr VerbShape kVerbs[] = {
    {L"click", 1, VerbShape::None, L"click ID"},
    {L"type", 1, VerbShape::Text, L"type ID TEXT"},
    {L"check", 1, VerbShape::OnOff, L"check ID on|off"},
    {L"choose", 1, VerbShape::Text, L"choose ID TEXT"},
    {L"select", 3, VerbShape::None, L"select GRID ROW COLUMN"},
    {L"cell", 3, VerbShape::Text, L"cell GRID ROW COLUMN TEXT"},
    {L"tick", 3, VerbShape::OnOff, L"tick GRID ROW COLUMN on|off"},
    {L"pick", 3, VerbShape::Text, L"pick GRID ROW COLUMN TEXT"},
    {L"press", 3, VerbShape::None, L"press GRID ROW COLUMN"},
    {L"toggle", 2, VerbShape::None, L"toggle GRID ROW"},
    {L"escape", 0, VerbShape::None, L"escape"},
};

const VerbShape* shapeOf(const std::wstring& verb) {
  for (const VerbShape& shape : kVerbs)
    if (verb == shape.verb) return &shape;
  return nullptr;
}

// Takes the next blank-separated word off text.
std::wstring nextWord(std::wstring& text) {
  text = winTrim(text);
  const std::size_t blank = text.find_first_of(L" \t");
  std::wstring word = text.substr(0, blank);
  text = blank == std::wstring::npos ? L"" : text.substr(blank);
  return word;
}

// A whole number, or the names OK and Cancel for the two standard buttons.
bool readNumber(const std::wstring& word, int& value) {
  if (winEqualNoCase(word, L"OK")) return (value = IDOK), true;
  if (winEqualNoCase(word, L"Cancel")) return (value = IDCANCEL), true;
  std::size_t i = word.size() > 1 && word[0] == L'-' ? 1 : 0;
  if (i == word.size() || word.size() > 9) return false;
  for (std::size_t k = i; k < word.size(); ++k)
    if (!std::iswdigit(word[k])) return false;
  value = std::stoi(word);
  return true;
}

std::wstring unquoted(const std::wstring& text) {
  const std::wstring trimmed = winTrim(text);
  if (trimmed.size() >= 2 && trimmed.front() == L'"' && trimmed.back() == L'"')
    return trimmed.substr(1, trimmed.size() - 2);
  return trimmed;
}

}  // namespace

bool isDialogActionVerb(const std::wstring& verb) { return shapeOf(verb) != nullptr; }

std::wstring parseDialogAction(const std::wstring& verb, const std::wstring& argument, UiAction& action) {
  const VerbShape* shape = shapeOf(verb);
  if (shape == nullptr) return L"unknown action \"" + verb + L"\"";
  UiAction parsed;
  parsed.verb = verb;
  std::wstring rest = argument;
  int* slots[] = {&parsed.id, &parsed.row, &parsed.column};
  for (int i = 0; i < shape->numbers; ++i)
    if (!readNumber(nextWord(rest), *slots[i])) return std::wstring(L"expected ") + shape->usage;
  switch (shape->tail) {
    case VerbShape::None:
      if (!winTrim(rest).empty()) return std::wstring(L"expected ") + shape->usage;
      break;
    case VerbShape::Text: parsed.text = unquoted(rest); break;
    case VerbShape::OnOff: {
      const std::wstring word = winTrim(rest);
      if (winEqualNoCase(word, L"on")) parsed.on = true;
      else if (!winEqualNoCase(word, L"off")) return std::wstring(L"expected ") + shape->usage;
      break;
    }
  }
  action = parsed;
  return L"";
}

std::wstring applyDialogAction(CDialog& dialog, const UiAction& a) {
  if (a.verb == L"click") return dialog.clickButton(a.id);
  if (a.verb == L"type") return dialog.setFieldText(a.id, a.text);
  if (a.verb == L"check") return dialog.setCheck(a.id, a.on);
  if (a.verb == L"choose") return dialog.chooseEntry(a.id, a.text);
  if (a.verb == L"select") return dialog.selectCell(a.id, a.row, a.column);
  if (a.verb == L"cell") return dialog.typeIntoCell(a.id, a.row, a.column, a.text);
  if (a.verb == L"tick") return dialog.tickCell(a.id, a.row, a.column, a.on);
  if (a.verb == L"pick") return dialog.chooseCellEntry(a.id, a.row, a.column, a.text);
  if (a.verb == L"press") return dialog.clickCellButton(a.id, a.row, a.column);
  if (a.verb == L"toggle") return dialog.toggleTreeRow(a.id, a.row);
  if (a.verb == L"escape") return dialog.pressEscape();
  return L"unknown action \"" + a.verb + L"\"";
}

std::wstring dialogActionLine(const UiAction& a) {
  const VerbShape* shape = shapeOf(a.verb);
  std::wstring line = a.verb;
  if (shape == nullptr) return line;
  const int numbers[] = {a.id, a.row, a.column};
  for (int i = 0; i < shape->numbers; ++i) line += L" " + std::to_wstring(numbers[i]);
  if (shape->tail == VerbShape::Text) line += L" \"" + a.text + L"\"";
  if (shape->tail == VerbShape::OnOff) line += a.on ? L" on" : L" off";
  return line;
}

std::wstring uiActionHelp() {
  return L"\nActions (ID: a control's number; rows and columns as the grid numbers them):"
         L"\n  click ID                     click a button or check box (OK, Cancel name 1 and 2)"
         L"\n  type ID TEXT                 type into a field"
         L"\n  check ID on|off              tick or clear a check box"
         L"\n  choose ID TEXT               choose an entry of a drop-down list"
         L"\n  select GRID ROW COLUMN       select a grid cell"
         L"\n  cell GRID ROW COLUMN TEXT    type into a grid cell"
         L"\n  tick GRID ROW COLUMN on|off  tick or clear a check-box cell"
         L"\n  pick GRID ROW COLUMN TEXT    choose an entry of a choice cell"
         L"\n  press GRID ROW COLUMN        click a button cell"
         L"\n  toggle GRID ROW              open or close a tree row"
         L"\n  escape                       close the dialog with Escape"
         L"\n  show                         show the dialog again"
         L"\n  help                         this list"
         L"\nTEXT is the rest of the line; \"...\" keeps blanks at its ends. In grids, * marks"
         L"\na read-only cell, ~text~ a grey one, > the selected row.";
}
