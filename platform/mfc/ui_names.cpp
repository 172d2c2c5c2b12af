// Resolving the names an action gives (captions, labels, grid names, cell texts,
// headings) to the ids and indexes the dialog works with.
#include "mfc/ui_names.h"

#include <algorithm>
#include <cwctype>
#include <vector>

#include "mfc/dialog.h"
#include "mfc/grid_control.h"
#include "win/win_text.h"

namespace {

bool endsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A heading as one line: its line breaks read as blanks, runs of blanks as one.
std::wstring headingName(const std::wstring& heading) {
  std::wstring out;
  for (wchar_t c : heading) {
    const wchar_t blank = (c == L'\n' || c == L'\r' || c == L'\t') ? L' ' : c;
    if (blank == L' ' && (out.empty() || out.back() == L' ')) continue;
    out += blank;
  }
  return winTrim(out);
}

// A name as a list shows it: quoted when the user would have to quote it.
std::wstring listed(const std::wstring& name) { return uiWordText(UiRef{name, false}); }

std::wstring joined(const std::vector<std::wstring>& names, std::size_t most = 20) {
  std::wstring out;
  for (std::size_t i = 0; i < names.size() && i < most; ++i) out += (i ? L", " : L"") + listed(names[i]);
  if (names.size() > most) out += L", ...";
  return out.empty() ? L"(none)" : out;
}

struct KindGroup {
  DialogControlKind kind;
  const wchar_t* plural;
};
constexpr KindGroup kNamedKinds[] = {
    {DialogControlKind::Button, L"buttons"},
    {DialogControlKind::CheckBox, L"check boxes"},
    {DialogControlKind::Field, L"fields"},
    {DialogControlKind::DropDown, L"lists"},
};

bool isNamedKind(DialogControlKind kind) {
  return std::any_of(std::begin(kNamedKinds), std::end(kNamedKinds), [kind](const KindGroup& g) { return g.kind == kind; });
}

bool verbTakes(const std::wstring& verb, const CDialogItem& item) {
  switch (item.kind()) {
    case DialogControlKind::Button: return verb == L"click";
    case DialogControlKind::CheckBox: return verb == L"click" || verb == L"check";
    case DialogControlKind::Field: return verb == L"type";
    case DialogControlKind::DropDown: return verb == L"choose" || (verb == L"type" && item.isEditableList());
    default: return false;
  }
}

// "buttons: New, Copy; fields: Name": what a user can name in the dialog.
std::wstring controlList(const CDialog& dialog) {
  std::wstring out;
  for (const KindGroup& group : kNamedKinds) {
    std::vector<std::wstring> names;
    for (const CDialogItem* item : dialog.controls())
      if (item->kind() == group.kind && item->IsWindowVisible() && !uiPlainName(item->label()).empty())
        names.push_back(uiPlainName(item->label()));
    if (!names.empty()) out += (out.empty() ? L"" : L"; ") + std::wstring(group.plural) + L": " + joined(names);
  }
  return out.empty() ? L"the dialog has no named controls" : out;
}

std::vector<const CDialogItem*> gridItems(const CDialog& dialog) {
  std::vector<const CDialogItem*> grids;
  for (const CDialogItem* item : dialog.controls())
    if (item->kind() == DialogControlKind::Grid && item->grid() != nullptr) grids.push_back(item);
  return grids;
}

std::vector<int> shownColumns(const GridControl& grid) {
  std::vector<int> columns;
  for (int c = 0; c < grid.columnCount(); ++c)
    if (!grid.isColumnHidden(c)) columns.push_back(c);
  return columns;
}

// The text a cell shows for naming its row: none for check boxes (they show a mark)
// and for cells covered by a merged cell that starts elsewhere.
bool cellShowsText(const GridControl& grid, int row, int column, std::wstring& text) {
  int originRow = row, originColumn = column;
  grid.mergedOrigin(row, column, originRow, originColumn);
  if (originRow != row || originColumn != column) return false;
  if (grid.cellKind(row, column) == GridCellKind::CheckBox) return false;
  text = winTrim(grid.text(row, column));
  return true;
}

std::wstring columnList(const GridControl& grid) {
  std::vector<std::wstring> names;
  for (int c : shownColumns(grid)) {
    const std::wstring heading = headingName(uiColumnHeading(grid, c));
    names.push_back(heading.empty() ? std::to_wstring(c) : heading);
  }
  return L"columns: " + joined(names);
}

}  // namespace

bool UiRef::isNumber() const {
  if (quoted || word.empty() || word.size() > 9) return false;
  const std::size_t first = word[0] == L'-' && word.size() > 1 ? 1 : 0;
  return std::all_of(word.begin() + static_cast<std::ptrdiff_t>(first), word.end(),
                     [](wchar_t c) { return std::iswdigit(c) != 0; });
}

int UiRef::number() const { return std::stoi(word); }

std::wstring uiColumnHeading(const GridControl& grid, int column) {
  std::wstring heading;
  for (int r = 0; r < grid.headingRowCount(); ++r) {
    int originRow = r, originColumn = column;
    grid.mergedOrigin(r, column, originRow, originColumn);
    const std::wstring& text = grid.text(originRow, originColumn);
    if (!headingName(text).empty()) heading = text;
  }
  return heading;
}

std::wstring uiPlainName(const std::wstring& label) {
  std::wstring name;
  for (std::size_t i = 0; i < label.size(); ++i) {
    if (label[i] != L'&') name += label[i];
    else if (i + 1 < label.size() && label[i + 1] == L'&') name += label[++i];  // "&&" shows one "&"
  }
  for (bool changed = true; changed;) {
    name = winTrim(name);
    changed = false;
    for (const wchar_t* tail : {L". . .", L"...", L":"}) {
      if (endsWith(name, tail)) {
        name.erase(name.size() - std::wstring(tail).size());
        changed = true;
      }
    }
  }
  return name;
}

std::wstring uiWordText(const UiRef& ref) {
  const bool plain = !ref.quoted && !ref.word.empty() && ref.word.find_first_of(L" \t\"\\") == std::wstring::npos;
  if (plain) return ref.word;
  std::wstring out = L"\"";
  for (wchar_t c : ref.word) {
    if (c == L'"' || c == L'\\') out += L'\\';
    out += c;
  }
  return out + L"\"";
}

std::wstring uiFindControl(const CDialog& dialog, const std::wstring& verb, const UiRef& ref, int& id) {
  if (ref.isNumber()) return (id = ref.number()), L"";
  const std::wstring wanted = uiPlainName(ref.word);
  std::vector<const CDialogItem*> named, ofVerb;
  for (const CDialogItem* item : dialog.controls()) {
    if (!isNamedKind(item->kind()) || !item->IsWindowVisible()) continue;
    if (!winEqualNoCase(uiPlainName(item->label()), wanted)) continue;
    named.push_back(item);
    if (verbTakes(verb, *item)) ofVerb.push_back(item);
  }
  const std::vector<const CDialogItem*>& found = ofVerb.empty() ? named : ofVerb;
  if (found.size() == 1) return (id = found.front()->GetDlgCtrlID()), L"";
  // The two standard buttons answer to their usual words whatever their captions.
  if (found.empty() && !ref.quoted && (winEqualNoCase(ref.word, L"OK") || winEqualNoCase(ref.word, L"Cancel")))
    return (id = winEqualNoCase(ref.word, L"OK") ? IDOK : IDCANCEL), L"";
  const std::wstring what = found.empty() ? L"no control " : L"more than one control is ";
  return what + uiWordText(UiRef{ref.word, true}) + L"; " + controlList(dialog);
}

std::wstring uiFindGrid(const CDialog& dialog, const UiRef& ref, int& id) {
  if (ref.isNumber()) return (id = ref.number()), L"";
  const std::vector<const CDialogItem*> grids = gridItems(dialog);
  std::vector<const CDialogItem*> found;
  for (const CDialogItem* item : grids)
    if (winEqualNoCase(uiPlainName(item->label()), uiPlainName(ref.word))) found.push_back(item);
  if (found.empty() && grids.size() == 1 && winEqualNoCase(ref.word, L"grid")) found = grids;
  if (found.size() == 1) return (id = found.front()->GetDlgCtrlID()), L"";
  std::vector<std::wstring> names;
  for (const CDialogItem* item : grids) names.push_back(uiPlainName(item->label()));
  return (found.empty() ? L"no grid " : L"more than one grid is ") + uiWordText(UiRef{ref.word, true}) +
         L"; grids: " + joined(names);
}

std::wstring uiFindRow(const GridControl& grid, const UiRef& ref, int& row) {
  if (ref.isNumber()) return (row = ref.number()), L"";
  const std::wstring wanted = winTrim(ref.word);
  const std::vector<int> columns = shownColumns(grid);
  for (bool ignoreCase : {false, true}) {
    for (int r = grid.headingRowCount(); r < grid.rowCount(); ++r) {
      if (!grid.isRowShown(r)) continue;
      for (int c : columns) {
        std::wstring text;
        if (!cellShowsText(grid, r, c, text)) continue;
        if (ignoreCase ? winEqualNoCase(text, wanted) : text == wanted) return (row = r), L"";
      }
    }
  }
  std::vector<std::wstring> rows;
  for (int r = grid.headingRowCount(); r < grid.rowCount() && !columns.empty(); ++r) {
    std::wstring text;
    if (grid.isRowShown(r) && cellShowsText(grid, r, columns.front(), text)) rows.push_back(text);
  }
  return L"no row shows " + uiWordText(UiRef{ref.word, true}) + L"; rows: " + joined(rows);
}

std::wstring uiFindColumn(const GridControl& grid, const UiRef& ref, int& column) {
  if (ref.isNumber()) return (column = ref.number()), L"";
  const std::wstring wanted = headingName(ref.word);
  std::vector<int> found;
  for (int c : shownColumns(grid)) {
    for (int r = 0; r < grid.headingRowCount(); ++r) {
      int originRow = r, originColumn = c;
      grid.mergedOrigin(r, c, originRow, originColumn);
      if (winEqualNoCase(headingName(grid.text(originRow, originColumn)), wanted)) {
        found.push_back(c);
        break;
      }
    }
  }
  if (found.size() == 1) return (column = found.front()), L"";
  return (found.empty() ? L"no column " : L"more than one column is ") + uiWordText(UiRef{ref.word, true}) + L"; " +
         columnList(grid);
}

std::optional<std::size_t> uiFindItem(const std::vector<std::wstring>& items, const std::wstring& text) {
  const std::wstring wanted = winTrim(text);
  for (bool ignoreCase : {false, true})
    for (std::size_t i = 0; i < items.size(); ++i)
      if (ignoreCase ? winEqualNoCase(winTrim(items[i]), wanted) : winTrim(items[i]) == wanted) return i;
  return std::nullopt;
}
