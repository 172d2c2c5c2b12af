// Reading the user's dialog actions from lines and doing them on a dialog.
#include "mfc/ui_actions.h"

#include <algorithm>
#include <vector>

#include "arx/aced_print.h"
#include "mfc/dialog.h"
#include "mfc/dialog_screen.h"
#include "mfc/message_box.h"
#include "win/win_text.h"

namespace {

// What each verb takes after it: a control or grid, row and column, then a text or an
// on/off word.
struct VerbShape {
  const wchar_t* verb;
  int words;  // control or grid, row, column: how many of them
  enum { None, Text, OnOff } tail;
  const wchar_t* usage;
  const wchar_t* example;
};
constexpr VerbShape kVerbs[] = {
    {L"click", 1, VerbShape::None, L"click CONTROL", L"click \"Edit Sizes...\""},
    {L"type", 1, VerbShape::Text, L"type CONTROL TEXT", L"type Multiplier 1.5"},
    {L"check", 1, VerbShape::OnOff, L"check CONTROL on|off", L"check \"Vertical Flow Same As Horizontal\" on"},
    {L"choose", 1, VerbShape::Text, L"choose CONTROL TEXT", L"choose \"Pipe Type\" \"Cast Iron\""},
    {L"select", 3, VerbShape::None, L"select GRID ROW COLUMN", L"select grid \"Break width\" Value"},
    {L"cell", 3, VerbShape::Text, L"cell GRID ROW COLUMN TEXT", L"cell values \"3/4\\\"\" Horizontal 12.5"},
    {L"tick", 3, VerbShape::OnOff, L"tick GRID ROW COLUMN on|off", L"tick values \"1\\\"\" \"Standard Size\" off"},
    {L"pick", 3, VerbShape::Text, L"pick GRID ROW COLUMN TEXT", L"pick grid \"Stack fractions\" Value Yes"},
    {L"press", 3, VerbShape::None, L"press GRID ROW COLUMN", L"press tables 2 0"},
    {L"toggle", 2, VerbShape::None, L"toggle GRID ROW", L"toggle tree \"Floor 1\""},
    {L"escape", 0, VerbShape::None, L"escape", L"escape"},
    {L"show", 0, VerbShape::None, L"show", L"show"},
};

const VerbShape* shapeOf(const std::wstring& verb) {
  for (const VerbShape& shape : kVerbs)
    if (verb == shape.verb) return &shape;
  return nullptr;
}

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The grid an action names, resolved; null with why not (for an id that is no grid,
// the dialog's own refusal of a grid action on it).
const GridControl* namedGrid(CDialog& dialog, const UiRef& ref, int& id, std::wstring& why) {
  why = uiFindGrid(dialog, ref, id);
  if (!why.empty()) return nullptr;
  const CDialogItem* item = dialog.GetDlgItem(id);
  if (item != nullptr && item->grid() != nullptr) return item->grid();
  why = dialog.selectCell(id, -1, -1);
  if (why.empty()) why = L"no grid " + std::to_wstring(id);
  return nullptr;
}

// The screen as the drivers print it: each line after a line break, as their other
// lines are.
std::wstring screenLines(const CDialog& dialog) {
  std::wstring screen = dialogScreen(dialog);
  if (!screen.empty() && screen.back() == L'\n') screen.pop_back();
  return L"\n" + screen;
}

}  // namespace

bool uiTakeWord(std::wstring& text, UiRef& word) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  word = UiRef{};
  if (i < text.size() && text[i] == L'"') {
    word.quoted = true;
    for (++i; i < text.size() && text[i] != L'"'; ++i) {
      if (text[i] == L'\\' && i + 1 < text.size() && (text[i + 1] == L'"' || text[i + 1] == L'\\')) ++i;
      word.word += text[i];
    }
    if (i >= text.size()) return false;  // no closing quote
    text.erase(0, i + 1);
    return true;
  }
  const std::size_t start = i;
  while (i < text.size() && !isBlank(text[i])) ++i;
  word.word = text.substr(start, i - start);
  text.erase(0, i);
  return true;
}

std::wstring uiTextArgument(const std::wstring& rest) {
  const std::wstring trimmed = winTrim(rest);
  if (!trimmed.empty() && trimmed.front() == L'"') {
    std::wstring after = trimmed;
    UiRef word;
    if (uiTakeWord(after, word) && winTrim(after).empty()) return word.word;
  }
  return trimmed;
}

bool isDialogActionVerb(const std::wstring& verb) { return shapeOf(verb) != nullptr; }

std::wstring parseDialogAction(const std::wstring& verb, const std::wstring& argument, UiAction& action) {
  const VerbShape* shape = shapeOf(verb);
  if (shape == nullptr) return L"unknown action \"" + verb + L"\"";
  const std::wstring expected = std::wstring(L"expected ") + shape->usage;
  UiAction parsed;
  parsed.verb = verb;
  std::wstring rest = argument;
  UiRef* slots[] = {&parsed.target, &parsed.row, &parsed.column};
  for (int i = 0; i < shape->words; ++i)
    if (!uiTakeWord(rest, *slots[i]) || (slots[i]->word.empty() && !slots[i]->quoted)) return expected;
  switch (shape->tail) {
    case VerbShape::None:
      if (!winTrim(rest).empty()) return expected;
      break;
    case VerbShape::Text: parsed.text = uiTextArgument(rest); break;
    case VerbShape::OnOff: {
      const std::wstring word = winTrim(rest);
      if (winEqualNoCase(word, L"on")) parsed.on = true;
      else if (!winEqualNoCase(word, L"off")) return expected;
      break;
    }
  }
  action = parsed;
  return L"";
}

std::wstring applyDialogAction(CDialog& dialog, const UiAction& a) {
  if (a.verb == L"escape") return dialog.pressEscape();
  if (a.verb == L"show") {
    acedPrintText(screenLines(dialog));
    return L"";
  }
  const VerbShape* shape = shapeOf(a.verb);
  if (shape == nullptr) return L"unknown action \"" + a.verb + L"\"";
  int id = 0;
  if (shape->words == 1) {
    const std::wstring why = uiFindControl(dialog, a.verb, a.target, id);
    if (!why.empty()) return why;
    if (a.verb == L"click") return dialog.clickButton(id);
    if (a.verb == L"type") return dialog.setFieldText(id, a.text);
    if (a.verb == L"check") return dialog.setCheck(id, a.on);
    return dialog.chooseEntry(id, a.text);
  }
  std::wstring why;
  const GridControl* grid = namedGrid(dialog, a.target, id, why);
  if (grid == nullptr) return why;
  int row = -1, column = -1;
  if (!(why = uiFindRow(*grid, a.row, row)).empty()) return why;
  if (a.verb == L"toggle") return dialog.toggleTreeRow(id, row);
  if (!(why = uiFindColumn(*grid, a.column, column)).empty()) return why;
  if (a.verb == L"select") return dialog.selectCell(id, row, column);
  if (a.verb == L"cell") return dialog.typeIntoCell(id, row, column, a.text);
  if (a.verb == L"tick") return dialog.tickCell(id, row, column, a.on);
  if (a.verb == L"pick") return dialog.chooseCellEntry(id, row, column, a.text);
  return dialog.clickCellButton(id, row, column);
}

std::wstring dialogActionLine(const UiAction& a) {
  const VerbShape* shape = shapeOf(a.verb);
  std::wstring line = a.verb;
  if (shape == nullptr) return line;
  const UiRef* words[] = {&a.target, &a.row, &a.column};
  for (int i = 0; i < shape->words; ++i) line += L" " + uiWordText(*words[i]);
  if (shape->tail == VerbShape::Text) line += L" " + uiWordText(UiRef{a.text, true});
  if (shape->tail == VerbShape::OnOff) line += a.on ? L" on" : L" off";
  return line;
}

std::wstring uiActionHelp() {
  std::wstring help = L"\nActions in a dialog, each with an example:";
  for (const VerbShape& shape : kVerbs) {
    std::wstring usage = shape.usage;
    usage.resize(std::max<std::size_t>(usage.size() + 2, 30), L' ');
    help += L"\n  " + usage + shape.example;
  }
  return help +
         L"\nCONTROL: a button's or check box's caption, a field's or list's label (case, \"&\" and a"
         L"\ntrailing \":\" or \"...\" do not matter), or the control's number."
         L"\nGRID: the grid's name (\"grid\" when the dialog has one) or number. ROW: a row number,"
         L"\nor in quotes a text a cell of the row shows. COLUMN: a heading or a column number."
         L"\nWords with blanks go in double quotes, with \\\" and \\\\ inside. TEXT is the rest of"
         L"\nthe line; \"...\" keeps blanks at its ends. In grids, * marks a read-only cell,"
         L"\n~text~ a grey one, > the selected row; show prints the dialog, help this list.";
}
