// The flow-category editor: heading rows per pipe type, the base category's greyed
// conversion, New, Delete, the moves, the conversion editors, and OK with the
// cascades, the renaming without collisions and every row stored.
#include "sizing/CDialogSumCategory.h"

#include <algorithm>

#include "db/tblPipeSumCategory.h"
#include "db/tblPipeType.h"
#include "dialogs/dialog_chain.h"
#include "dialogs/number_text.h"
#include "dialogs/project_sql.h"
#include "sizing/CDialogLookup.h"
#include "sizing/CDialogMultiplier.h"

namespace {

constexpr wchar_t kTitle[] = L"Orvane Plumbing";
constexpr wchar_t kHeadingKey[] = L"-1";
constexpr wchar_t kNewKey[] = L"NEW";
constexpr wchar_t kMultiplier[] = L"Multiplier";
constexpr wchar_t kLookupTable[] = L"Lookup Table";
constexpr int kLookupConversion = 2;

std::wstring number(int value) { return std::to_wstring(value); }

std::wstring multiplierText(double value) { return formatNumber(value, 5, true); }

}  // namespace

CDialogSumCategory::CDialogSumCategory(CWnd* parent, const ProjectDatabasePtr& connection, int pipeType)
    : CAcUiDialog(IDD, parent),
      connection_(connection),
      category_(std::make_unique<tblPipeSumCategory>(connection, false)),
      type_(std::make_unique<tblPipeType>(connection, false)),
      pipeType_(pipeType) {
  addButton(kEditPipeTypes, L"Edit Pipe Types...");
  addButton(kNew, L"&New");
  addButton(kDelete, L"&Delete");
  addButton(kMoveUp, L"Move &Up");
  addButton(kMoveDown, L"Move Do&wn");
  addButton(kEditConversion, L"Edit Con&version...");
  addGrid(kGrid, L"categories", grid_);
  addButton(IDOK, L"&OK");
  addButton(IDCANCEL, L"&Cancel");
  onClicked(kNew, [this] { onNew(); });
  onClicked(kDelete, [this] { onDelete(); });
  onClicked(kMoveUp, [this] { onMove(-1); });
  onClicked(kMoveDown, [this] { onMove(1); });
  onClicked(kEditConversion, [this] { onEditConversion(); });
  onClicked(kEditPipeTypes, [this] { closeFor(neighbourEndCode(NeighbourDialog::PipeTypes)); });
  onGridNotice(kGrid, [this](GridNotice& notice) { return onNotice(notice); });
}

CDialogSumCategory::~CDialogSumCategory() = default;

BOOL CDialogSumCategory::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:PipeSumCategory");
  SetWindowText(L"Pipe Flow Categories");
  grid_.setHeadings({L"", L"", L"", L"Category Name", L"Label Prefix", L"Label Suffix", L"Conversion", L""},
                    {kColumnOrder, kColumnKey, kColumnPipeType, kColumnMultiplier});
  loadRows();
  applyOrder();
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row)
    if (isBase(row)) grid_.setText(row, kColumnMultiplier, L"1");
  int selected = grid_.headingRowCount();
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row)
    if (pipeType_ > 0 && isHeading(row) && pipeTypeOf(row) == pipeType_) selected = isCategory(row + 1) ? row + 1 : row;
  if (selected < grid_.rowCount()) grid_.setSelectedCell(selected, kColumnName);
  return TRUE;
}

void CDialogSumCategory::loadRows() {
  type_->UseIndex(L"iSortOrder");
  for (bool found = type_->First(); found; found = type_->Next()) {
    const int type = type_->ixPipeType();
    const int heading = grid_.insertRow();
    grid_.setText(heading, kColumnOrder, kHeadingKey);
    grid_.setText(heading, kColumnKey, kHeadingKey);
    grid_.setText(heading, kColumnPipeType, number(type));
    grid_.setText(heading, kColumnName, type_->sName());
    grid_.setRowReadOnly(heading, true);
    const std::wstring sql =
        L"select ixPipeSumCategory, iOrder, sName, sLabelPrefix, sLabelSuffix, iConversionType, dMultiplier" +
        std::wstring(L" from tblPipeSumCategory where ixPipeType = ") + number(type) + L" order by iOrder";
    for (const QueryRow& category : queryRows(connection_, sql)) {
      const int row = insertCategory(-1, type);
      grid_.setText(row, kColumnKey, number(category.integer(0)));
      grid_.setText(row, kColumnOrder, number(category.integer(1)));
      grid_.setText(row, kColumnName, category.text(2));
      grid_.setText(row, kColumnPrefix, category.text(3));
      grid_.setText(row, kColumnSuffix, category.text(4));
      grid_.setText(row, kColumnConversion, category.integer(5) == kLookupConversion ? kLookupTable : kMultiplier);
      grid_.setText(row, kColumnMultiplier, multiplierText(category.real(6)));
    }
  }
}

int CDialogSumCategory::insertCategory(int at, int pipeType) {
  const int row = grid_.insertRow(at);
  grid_.setText(row, kColumnKey, kNewKey);
  grid_.setText(row, kColumnPipeType, number(pipeType));
  grid_.setText(row, kColumnConversion, kMultiplier);
  grid_.setCellKind(row, kColumnConversion, GridCellKind::Choice);
  grid_.setChoices(row, kColumnConversion, {kMultiplier, kLookupTable});
  grid_.setText(row, kColumnMultiplier, L"1");
  return row;
}

void CDialogSumCategory::applyOrder() {
  int order = 0;
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row) {
    if (isHeading(row)) {
      order = 0;
      continue;
    }
    grid_.setText(row, kColumnOrder, number(++order));
    grid_.setGrey(row, kColumnConversion, isBase(row));
  }
}

// ---- the user's actions ----

bool CDialogSumCategory::onNotice(GridNotice& notice) {
  switch (notice.kind) {
    case GridNoticeKind::StartEdit: return isCategory(notice.row);
    case GridNoticeKind::EndEdit:
      if (notice.column != kColumnName || !nameInType(notice.text, pipeTypeOf(notice.row), notice.row)) return true;
      MessageBox(L"Duplicate names are not allowed.", kTitle, MB_OK);
      grid_.startEdit(notice.row, notice.column);
      return false;
    default: return true;
  }
}

void CDialogSumCategory::onNew() {
  const int current = grid_.selectedRow();
  if (current < grid_.headingRowCount()) return;
  const int type = pipeTypeOf(current);
  int heading = current;
  while (!isHeading(heading)) --heading;
  int last = heading;
  int highestOrder = 0;
  while (isCategory(last + 1)) {
    ++last;
    highestOrder = std::max(highestOrder, static_cast<int>(grid_.number(last, kColumnOrder)));
  }
  std::wstring name;
  for (int n = 1; name.empty() || nameInType(name, type, -1); ++n) name = L"New Category " + number(n);
  const int row = insertCategory(last + 1, type);
  grid_.setText(row, kColumnOrder, number(highestOrder + 1));
  grid_.setText(row, kColumnName, name);
  grid_.setGrey(row, kColumnConversion, isBase(row));
  grid_.setSelectedCell(row, kColumnName);
  grid_.startEdit(row, kColumnName);
}

void CDialogSumCategory::onDelete() {
  const int row = grid_.selectedRow();
  if (!isCategory(row)) return;
  if (isBase(row) && !isCategory(row + 1)) {
    MessageBox(L"Cannot delete last pipe flow category for this pipe type.", kTitle, MB_OK);
    return;
  }
  const int key = storedKey(row);
  if (key >= 1) {
    const bool flowsExist = !queryRows(connection_, L"select dValue from tblPipeSum where ixPipeSumCategory = " +
                                                        number(key) + L" and bFixed = -1 and dValue > 0")
                                 .empty();
    if (flowsExist && MessageBox(L"Flows exist in pipes using this category.\nDo you want to delete it anyway?", kTitle,
                                 MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
      return;
    removed_.push_back(key);
  }
  grid_.deleteRow(row);
  grid_.setSelectedCell(row - 1, kColumnName);
  applyOrder();
}

void CDialogSumCategory::onMove(int step) {
  const int row = grid_.selectedRow();
  if (!isCategory(row) || !isCategory(row + step)) return;
  grid_.swapRows(row, row + step);
  applyOrder();
}

void CDialogSumCategory::onEditConversion() {
  const int row = grid_.selectedRow();
  const int key = isCategory(row) && !isBase(row) ? storedKey(row) : 0;
  if (key < 1) return;
  if (grid_.text(row, kColumnConversion) == kLookupTable) {
    CDialogLookup lookup(this, connection_, key, pipeTypeOf(row));
    lookup.DoModal();
    return;
  }
  double multiplier = grid_.number(row, kColumnMultiplier);
  CDialogMultiplier dialog(this, multiplier);
  if (dialog.DoModal() != IDOK || !category_->Find(key)) return;
  category_->Edit();
  category_->set_dMultiplier(multiplier);
  category_->Update();
  grid_.setText(row, kColumnMultiplier, multiplierText(multiplier));
}

// ---- OK ----

void CDialogSumCategory::OnOK() { closeFor(IDOK); }

void CDialogSumCategory::closeFor(int endCode) {
  removeStored();
  renameWithoutCollisions();
  storeRows();
  const int selected = grid_.selectedRow();
  if (selected >= grid_.headingRowCount()) pipeType_ = pipeTypeOf(selected);
  EndDialog(endCode);
}

void CDialogSumCategory::removeStored() {
  for (int key : removed_) {
    if (runSqlReported(connection_, L"delete from tblPipeFlowLookup where ixPipeSumCategory = " + number(key)))
      runSqlReported(connection_, L"delete from tblPipeSum where ixPipeSumCategory = " + number(key));
    if (category_->Find(key)) category_->Delete();
  }
  removed_.clear();
}

// A stored category taking a name another category of its type holds in the project
// moves that one aside first ("B" becomes "B 1"), so that names can be swapped in one
// opening without the project ever holding a name twice.
void CDialogSumCategory::renameWithoutCollisions() {
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row) {
    const int key = storedKey(row);
    if (key < 1) continue;
    const std::wstring name = grid_.text(row, kColumnName);
    const _variant_t type(pipeTypeOf(row));
    if (category_->FindBy(type, _variant_t(name.c_str())) && category_->ixPipeSumCategory() != key) {
      const int other = category_->ixPipeSumCategory();
      std::wstring aside;
      for (int n = 1; aside.empty() || category_->FindBy(type, _variant_t(aside.c_str())); ++n)
        aside = name + L" " + number(n);
      if (category_->Find(other)) {
        category_->Edit();
        category_->set_sName(aside);
        category_->Update();
      }
    }
    if (!category_->Find(key)) continue;
    category_->Edit();
    category_->set_sName(name);
    category_->Update();
  }
}

void CDialogSumCategory::storeRows() {
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row) {
    if (!isCategory(row)) continue;
    const int key = storedKey(row);
    if (key >= 1 && category_->Find(key))
      category_->Edit();
    else
      category_->AddNew();
    category_->set_ixPipeType(pipeTypeOf(row));
    category_->set_iOrder(static_cast<int>(grid_.number(row, kColumnOrder)));
    category_->set_sName(grid_.text(row, kColumnName));
    category_->set_sLabelPrefix(grid_.text(row, kColumnPrefix));
    category_->set_sLabelSuffix(grid_.text(row, kColumnSuffix));
    category_->set_iConversionType(grid_.text(row, kColumnConversion) == kLookupTable ? kLookupConversion : 1);
    category_->set_dMultiplier(grid_.number(row, kColumnMultiplier));
    category_->Update();
  }
}

// ---- rows ----

bool CDialogSumCategory::isHeading(int row) const {
  return row >= grid_.headingRowCount() && row < grid_.rowCount() && grid_.text(row, kColumnKey) == kHeadingKey;
}

bool CDialogSumCategory::isCategory(int row) const {
  return row >= grid_.headingRowCount() && row < grid_.rowCount() && !isHeading(row);
}

int CDialogSumCategory::storedKey(int row) const {
  return grid_.text(row, kColumnKey) == kNewKey ? 0 : static_cast<int>(grid_.number(row, kColumnKey));
}

bool CDialogSumCategory::nameInType(const std::wstring& name, int pipeType, int exceptRow) const {
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row)
    if (row != exceptRow && isCategory(row) && pipeTypeOf(row) == pipeType && grid_.text(row, kColumnName) == name)
      return true;
  return false;
}
