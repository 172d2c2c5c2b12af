// The pipe-size editor: heading rows per pipe type, the diameter order, New, Delete
// with its refusals, and OK removing, storing and giving new sizes their sizing values.
#include "sizing/CDialogPipeSize.h"

#include <string>

#include "db/tblPipeSize.h"
#include "db/tblPipeSizingValue.h"
#include "db/tblPipeType.h"
#include "dialogs/number_text.h"
#include "dialogs/project_sql.h"
#include "dialogs/dialog_chain.h"

namespace {

constexpr wchar_t kTitle[] = L"Orvane Plumbing";
constexpr wchar_t kHeadingKey[] = L"-2";
constexpr wchar_t kNewKey[] = L"-1";

std::wstring diameterText(double value) { return formatNumber(value, 4, true); }

std::wstring number(int value) { return std::to_wstring(value); }

}  // namespace

CDialogPipeSize::CDialogPipeSize(CWnd* parent, const ProjectDatabasePtr& connection, int pipeType)
    : CAcUiDialog(IDD, parent),
      connection_(connection),
      size_(std::make_unique<tblPipeSize>(connection, false)),
      value_(std::make_unique<tblPipeSizingValue>(connection)),
      type_(std::make_unique<tblPipeType>(connection, false)),
      pipeType_(pipeType) {
  addButton(kEditPipeTypes, L"Edit Pipe Types...");
  addButton(kNew, L"&New");
  addButton(kDelete, L"&Delete");
  addGrid(kGrid, L"sizes", grid_);
  addButton(kEditSizingTables, L"Edit Sizing Tables...");
  addButton(IDOK, L"&OK");
  addButton(IDCANCEL, L"&Cancel");
  onClicked(kNew, [this] { onNew(); });
  onClicked(kDelete, [this] { onDelete(); });
  onClicked(kEditSizingTables, [this] { closeFor(neighbourEndCode(NeighbourDialog::SizingTables)); });
  onClicked(kEditPipeTypes, [this] { closeFor(neighbourEndCode(NeighbourDialog::PipeTypes)); });
  onGridNotice(kGrid, [this](GridNotice& notice) { return onNotice(notice); });
}

CDialogPipeSize::~CDialogPipeSize() = default;

BOOL CDialogPipeSize::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:PipeSum");
  SetWindowText(L"Pipe Sizes");
  grid_.setHeadings({L"", L"Label", L"Interior Diameter", L"Exterior Diameter", L""}, {kColumnKey, kColumnPipeType});
  loadRows();

  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row) {
    const bool wanted = pipeType_ > 0 ? isHeading(row) && pipeTypeOf(row) == pipeType_ : isSize(row);
    if (!wanted) continue;
    grid_.setSelectedCell(row, kColumnLabel);
    break;
  }
  return TRUE;
}

void CDialogPipeSize::loadRows() {
  type_->UseIndex(L"iSortOrder");
  for (bool found = type_->First(); found; found = type_->Next()) {
    const int type = type_->ixPipeType();
    const int heading = grid_.insertRow();
    grid_.setText(heading, kColumnKey, kHeadingKey);
    grid_.setText(heading, kColumnLabel, type_->sName());
    grid_.setText(heading, kColumnPipeType, number(type));
    grid_.setRowReadOnly(heading, true);
    const std::wstring sql = L"SELECT ixPipeSize, dInteriorDiameter, dExteriorDiameter, sLabel" +
                             std::wstring(L" FROM tblPipeSize") + L" WHERE ixPipeType = " + number(type) +
                             L" ORDER BY dInteriorDiameter";
    for (const QueryRow& size : queryRows(connection_, sql)) {
      const int row = grid_.insertRow();
      grid_.setText(row, kColumnKey, number(size.integer(0)));
      grid_.setText(row, kColumnLabel, size.text(3));
      grid_.setText(row, kColumnInterior, diameterText(size.real(1)));
      grid_.setText(row, kColumnExterior, diameterText(size.real(2)));
      grid_.setText(row, kColumnPipeType, number(type));
    }
  }
}

bool CDialogPipeSize::onNotice(GridNotice& notice) {
  switch (notice.kind) {
    case GridNoticeKind::StartEdit: return isSize(notice.row);
    case GridNoticeKind::CellChanged:
      if (notice.column == kColumnInterior) keepInDiameterOrder(notice.row);
      return true;
    default: return true;
  }
}

void CDialogPipeSize::keepInDiameterOrder(int row) {
  const double diameter = grid_.number(row, kColumnInterior);
  int to = row;
  while (isSize(to - 1) && grid_.number(to - 1, kColumnInterior) > diameter) --to;
  grid_.moveRow(row, to);
  row = to;
  while (isSize(to + 1) && grid_.number(to + 1, kColumnInterior) < diameter) ++to;
  grid_.moveRow(row, to);
}

void CDialogPipeSize::onNew() {
  const int current = grid_.selectedRow();
  if (current < grid_.headingRowCount()) return;
  const int type = pipeTypeOf(current);
  int last = current;
  while (last + 1 < grid_.rowCount() && isSize(last + 1) && pipeTypeOf(last + 1) == type) ++last;
  // A heading row counts as diameter 0, so a type's first size is 1.
  const double interior = (isSize(last) ? grid_.number(last, kColumnInterior) : 0.0) + 1.0;
  const double exterior = (isSize(last) ? grid_.number(last, kColumnExterior) : 0.0) + 1.0;
  const int row = grid_.insertRow(last + 1);
  grid_.setText(row, kColumnKey, kNewKey);
  grid_.setText(row, kColumnLabel, diameterText(interior) + L"\"");
  grid_.setText(row, kColumnInterior, diameterText(interior));
  grid_.setText(row, kColumnExterior, diameterText(exterior));
  grid_.setText(row, kColumnPipeType, number(type));
  grid_.setSelectedCell(row, kColumnLabel);
  grid_.startEdit(row, kColumnLabel);
}

void CDialogPipeSize::onDelete() {
  const int row = grid_.selectedRow();
  if (row < grid_.headingRowCount()) return;
  const bool aloneInType = isHeading(row - 1) && (row + 1 >= grid_.rowCount() || isHeading(row + 1));
  if (aloneInType) {
    MessageBox(L"The last pipe size cannot be deleted.", kTitle, MB_OK);
    return;
  }
  if (isHeading(row)) return;
  const int key = static_cast<int>(grid_.number(row, kColumnKey));
  if (key >= 1 && !queryRows(connection_, L"select ixPipe from tblPipe where ixPipeSize = " + number(key)).empty()) {
    MessageBox(L"The currently selected pipe size is in use and cannot be deleted.", kTitle, MB_OK);
    return;
  }
  const int type = pipeTypeOf(row);
  if (key >= 1) removed_.push_back(key);
  grid_.deleteRow(row);
  const int next = row < grid_.rowCount() && pipeTypeOf(row) == type && isSize(row) ? row : row - 1;
  grid_.setSelectedCell(next, kColumnLabel);
}

void CDialogPipeSize::OnOK() { closeFor(IDOK); }

void CDialogPipeSize::closeFor(int endCode) {
  for (int key : removed_) {
    executeSql(connection_, L"DELETE from tblPipeSizingValue" + std::wstring(L" WHERE ixPipeSize = ") + number(key));
    if (size_->Find(key)) size_->Delete();
  }
  removed_.clear();
  const int current = grid_.selectedRow();
  if (current >= grid_.headingRowCount()) pipeType_ = pipeTypeOf(current);
  storeRows();
  EndDialog(endCode);
}

void CDialogPipeSize::storeRows() {
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row) {
    const int type = pipeTypeOf(row);
    if (isHeading(row) || type < 1) continue;
    const int key = static_cast<int>(grid_.number(row, kColumnKey));
    const bool adding = key < 1 || !size_->Find(key);
    if (adding)
      size_->AddNew();
    else
      size_->Edit();
    size_->set_ixPipeType(type);
    size_->set_dInteriorDiameter(grid_.number(row, kColumnInterior));
    size_->set_dExteriorDiameter(grid_.number(row, kColumnExterior));
    size_->set_sLabel(grid_.text(row, kColumnLabel));
    size_->Update();
    if (adding && size_->ixPipeSize() >= 1) addZeroFlowValues(type, size_->ixPipeSize());
  }
}

// Every sizing table of the type gets a flow for the new size, so that the sizing
// dialog and the automatic sizing find a row for it.
void CDialogPipeSize::addZeroFlowValues(int pipeType, int size) {
  const std::wstring sql =
      L"SELECT ixPipeSizingTable" + std::wstring(L" FROM tblPipeSizingTable") + L" WHERE ixPipeType = " + number(pipeType);
  for (const QueryRow& table : queryRows(connection_, sql)) {
    const int key = table.integer(0);
    if (key < 1) continue;
    value_->AddNew();
    value_->set_dFlow(0.0);
    value_->set_ixPipeSizingTable(key);
    value_->set_ixPipeSize(size);
    value_->Update();
  }
}

bool CDialogPipeSize::isHeading(int row) const {
  return row >= grid_.headingRowCount() && row < grid_.rowCount() && grid_.text(row, kColumnKey) == kHeadingKey;
}

bool CDialogPipeSize::isSize(int row) const {
  return row >= grid_.headingRowCount() && row < grid_.rowCount() && grid_.text(row, kColumnKey) != kHeadingKey;
}

int CDialogPipeSize::pipeTypeOf(int row) const { return static_cast<int>(grid_.number(row, kColumnPipeType)); }
