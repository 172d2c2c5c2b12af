// The sizing-table editor: loading the pipe types, sizes, tables and values; storing
// the current table whenever the user leaves it; the editing rules; New, Copy,
// Delete and the moves.
#include "sizing/CDialogPipeSizingTable.h"

#include <map>
#include <string>
#include <vector>

#include "arx/aced_lisp.h"
#include "db/sql_text.h"
#include "db/tblPipeSizingTable.h"
#include "db/tblPipeSizingValue.h"
#include "db/tblPipeType.h"
#include "dialogs/number_text.h"
#include "dialogs/project_sql.h"
#include "frame/host_services.h"
#include "sizing/CDialogSizingValuesCopy.h"
#include "sizing/last_pipe_type.h"
#include "dialogs/dialog_chain.h"
#include "dialogs/keyed_list.h"

namespace {

constexpr wchar_t kTitle[] = L"Orvane Plumbing";
constexpr wchar_t kNewKey[] = L"-1";
constexpr wchar_t kOff[] = L"0";
constexpr wchar_t kOn[] = L"-1";
constexpr wchar_t kNewTableName[] = L"New Sizing Table";

std::wstring flowText(double flow) { return formatNumber(flow, 5, true); }

std::wstring number(int value) { return std::to_wstring(value); }

std::wstring labelGroupCondition(const wchar_t* key, int tableKey) {
  return std::wstring(L" where sKey = \"") + key + L"\"" + L" and sGroup = \"Pipe Sizing Table:" + number(tableKey) +
         L"\"";
}

}  // namespace

CDialogPipeSizingTable::CDialogPipeSizingTable(CWnd* parent, const ProjectDatabasePtr& connection)
    : CAcUiDialog(IDD, parent),
      connection_(connection),
      table_(std::make_unique<tblPipeSizingTable>(connection)),
      value_(std::make_unique<tblPipeSizingValue>(connection)),
      type_(std::make_unique<tblPipeType>(connection, false)) {
  addDropDown(kPipeTypeList, L"Pipe Type:");
  addButton(kEditPipeTypes, L"Edit Pipe Types...");
  addButton(kMoveDown, L"Move Do&wn");
  addButton(kMoveUp, L"Move &Up");
  addButton(kNew, L"&New");
  addButton(kCopy, L"&Copy");
  addButton(kDelete, L"&Delete");
  addGrid(kTablesGrid, L"tables", tables_);
  addCheckBox(kVerticalSame, L"&Vertical Flow Same As Horizontal");
  addGrid(kValuesGrid, L"values", values_);
  addButton(kEditSizes, L"Edit Sizes...");
  addButton(IDOK, L"&OK");

  onSelectionChanged(kPipeTypeList, [this] { onPipeTypeChosen(); });
  onClicked(kVerticalSame, [this] { onVerticalSameClicked(); });
  onClicked(kNew, [this] { onNew(); });
  onClicked(kDelete, [this] { onDelete(); });
  onClicked(kMoveUp, [this] { onMove(-1); });
  onClicked(kMoveDown, [this] { onMove(1); });
  onClicked(kCopy, [this] { onCopy(); });
  onClicked(kEditSizes, [this] { closeFor(neighbourEndCode(NeighbourDialog::PipeSizes)); });
  onClicked(kEditPipeTypes, [this] { closeFor(neighbourEndCode(NeighbourDialog::PipeTypes)); });
  onGridNotice(kTablesGrid, [this](GridNotice& notice) { return onTablesNotice(notice); });
  onGridNotice(kValuesGrid, [this](GridNotice& notice) { return onValuesNotice(notice); });
}

CDialogPipeSizingTable::~CDialogPipeSizingTable() = default;

BOOL CDialogPipeSizingTable::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:PipeSizingTable");
  SetWindowText(L"Pipe Sizing Tables");

  tables_.setHeadings({L"", L"Active", L"Name", L""}, {kTableKey, kTableHorizontalOnly});

  // Two heading rows: "Size" and "Standard Size" span both, "Flow" spans its two columns.
  values_.setColumnCount(6);
  values_.setRowCount(2);
  values_.setHeadingRowCount(2);
  values_.setText(0, kValueSize, L"Size");
  values_.mergeCells(0, kValueSize, 2, 1);
  values_.setText(0, kValueHorizontal, L"Flow");
  values_.mergeCells(0, kValueHorizontal, 1, 2);
  values_.setText(1, kValueHorizontal, L"Horizontal");
  values_.setText(1, kValueVertical, L"Vertical");
  values_.setText(0, kValueStandard, L"Standard\nSize");
  values_.mergeCells(0, kValueStandard, 2, 1);
  values_.setColumnHidden(kValueKey, true);
  values_.setColumnHidden(kValueSizeKey, true);

  loadPipeTypes();
  loadSizes();
  loadTables();
  loadValuesOfSelectedTable();
  return TRUE;
}

// ---- loading ----

void CDialogPipeSizingTable::loadPipeTypes() {
  pipeTypes_.clear();
  type_->UseIndex(L"iSortOrder");
  for (bool found = type_->First(); found; found = type_->Next())
    pipeTypes_.push_back({type_->ixPipeType(), type_->sName()});
  fillKeyedList(GetDlgItem(kPipeTypeList), pipeTypes_, ovLastPipeType());
  pipeType_ = chosenKeyOf(GetDlgItem(kPipeTypeList), pipeTypes_);
}

void CDialogPipeSizingTable::loadSizes() {
  values_.deleteNonHeadingRows();
  if (pipeType_ < 1) return;
  const std::wstring sql = L"SELECT ixPipeSize, sLabel" + std::wstring(L" FROM tblPipeSize") +
                           L" WHERE ixPipeType = " + number(pipeType_) + L" ORDER BY dInteriorDiameter";
  for (const QueryRow& size : queryRows(connection_, sql)) {
    const int row = values_.insertRow();
    values_.setText(row, kValueSizeKey, number(size.integer(0)));
    values_.setText(row, kValueSize, size.text(1));
    values_.setReadOnly(row, kValueSize, true);
    values_.setCellKind(row, kValueStandard, GridCellKind::CheckBox);
  }
  resetValueRows();
}

void CDialogPipeSizingTable::resetValueRows() {
  for (int row = values_.headingRowCount(); row < values_.rowCount(); ++row) {
    values_.setText(row, kValueKey, kNewKey);
    values_.setText(row, kValueHorizontal, L"0");
    values_.setText(row, kValueVertical, L"0");
    values_.setText(row, kValueStandard, kOn);
  }
}

void CDialogPipeSizingTable::loadTables() {
  tables_.deleteNonHeadingRows();
  currentRow_ = -1;
  if (pipeType_ < 1) return;
  const std::wstring sql = L"SELECT ixPipeSizingTable, sName, bActive, bHorizontalOnly" +
                           std::wstring(L" FROM tblPipeSizingTable") + L" WHERE ixPipeType = " + number(pipeType_) +
                           L" ORDER BY iSortOrder";
  for (const QueryRow& table : queryRows(connection_, sql)) {
    const int row = appendTableRow(table.text(1), number(table.integer(2)), number(table.integer(3)));
    tables_.setText(row, kTableKey, number(table.integer(0)));
  }
  if (tables_.rowCount() > tables_.headingRowCount()) selectTableRow(tables_.headingRowCount());
}

void CDialogPipeSizingTable::loadValuesOfSelectedTable() {
  if (!hasTableRow(currentRow_)) return;
  const int key = tableKey(currentRow_);
  if (key == 0) return;
  CheckDlgButton(kVerticalSame, tables_.text(currentRow_, kTableHorizontalOnly) != kOff ? BST_CHECKED : BST_UNCHECKED);
  resetValueRows();
  const std::wstring sql = L"SELECT ixPipeSizingValue, ixPipeSize, dFlow, dFlowVertical, bEnable" +
                           std::wstring(L" FROM tblPipeSizingValue") + L" WHERE ixPipeSizingTable = " + number(key);
  for (const QueryRow& value : queryRows(connection_, sql)) {
    const std::wstring size = number(value.integer(1));
    for (int row = values_.headingRowCount(); row < values_.rowCount(); ++row) {
      if (values_.text(row, kValueSizeKey) != size) continue;
      values_.setText(row, kValueKey, number(value.integer(0)));
      values_.setText(row, kValueHorizontal, flowText(value.real(2)));
      values_.setText(row, kValueVertical, flowText(value.real(3)));
      values_.setText(row, kValueStandard, number(static_cast<int>(value.real(4))));
      break;
    }
  }
  showVerticalGrey();
}

void CDialogPipeSizingTable::showVerticalGrey() {
  const bool same = IsDlgButtonChecked(kVerticalSame) == BST_CHECKED;
  for (int row = values_.headingRowCount(); row < values_.rowCount(); ++row) values_.setGrey(row, kValueVertical, same);
}

// ---- storing ----

void CDialogPipeSizingTable::saveCurrentTable(bool writeBack) {
  if (!hasTableRow(currentRow_)) return;
  const int row = currentRow_;
  const int key = tableKey(row);
  const bool adding = key < 1 || !table_->Find(key);
  if (adding)
    table_->AddNew();
  else
    table_->Edit();
  const std::wstring name = tables_.text(row, kTableName);
  const bool horizontalOnly = IsDlgButtonChecked(kVerticalSame) == BST_CHECKED;
  table_->set_ixPipeType(pipeType_);
  table_->set_sName(name);
  table_->set_bActive(tables_.text(row, kTableActive) != kOff);
  table_->set_bHorizontalOnly(horizontalOnly);
  table_->set_iSortOrder(position(row));
  table_->Update();
  const int stored = table_->ixPipeSizingTable();
  if (stored < 1) return;
  if (adding)
    ovInvokeHost(acutBuildList(RTSTR, L"pipeSizingTable-createLabelGroup", RTLONG, stored, RTSTR, name.c_str(), 0));
  else
    updateLabelGroup(stored, name, horizontalOnly);
  if (writeBack) tables_.setText(row, kTableKey, number(stored));
  storeValues(stored, writeBack);
}

void CDialogPipeSizingTable::updateLabelGroup(int tableKey, const std::wstring& name, bool horizontalOnly) {
  executeSql(connection_, L"update tblLabelGroup set bDisplay = " + number(horizontalOnly ? 0 : 1) +
                              labelGroupCondition(L"Vertical Flow", tableKey));
  executeSql(connection_,
             L"update tblLabelGroup set sLabel = " + sqlText(name) + labelGroupCondition(L"Schedule Title", tableKey));
}

void CDialogPipeSizingTable::storeValues(int tableKey, bool writeBack) {
  for (int row = values_.headingRowCount(); row < values_.rowCount(); ++row) {
    const int key = static_cast<int>(values_.number(row, kValueKey));
    if (key >= 1 && value_->Find(key))
      value_->Edit();
    else
      value_->AddNew();
    value_->set_ixPipeSize(static_cast<int>(values_.number(row, kValueSizeKey)));
    value_->set_ixPipeSizingTable(tableKey);
    value_->set_dFlow(values_.number(row, kValueHorizontal));
    value_->set_dFlowVertical(values_.number(row, kValueVertical));
    value_->set_bEnable(values_.text(row, kValueStandard) != kOff ? 1.0 : 0.0);
    value_->Update();
    if (!writeBack || value_->ixPipeSizingValue() < 1) continue;
    values_.setText(row, kValueKey, number(value_->ixPipeSizingValue()));
    values_.setText(row, kValueHorizontal, flowText(value_->dFlow()));
    values_.setText(row, kValueVertical, flowText(value_->dFlowVertical()));
    values_.setText(row, kValueStandard, number(static_cast<int>(value_->bEnable())));
  }
}

void CDialogPipeSizingTable::storeSortOrder(int row) {
  const int key = tableKey(row);
  if (key < 1 || !table_->Find(key)) return;
  table_->Edit();
  table_->set_iSortOrder(position(row));
  table_->Update();
}

// ---- the user's actions ----

void CDialogPipeSizingTable::onPipeTypeChosen() {
  const int chosen = chosenKeyOf(GetDlgItem(kPipeTypeList), pipeTypes_);
  if (chosen == 0 || chosen == pipeType_) return;
  saveCurrentTable(true);
  pipeType_ = chosen;
  loadSizes();
  loadTables();
  loadValuesOfSelectedTable();
}

void CDialogPipeSizingTable::onVerticalSameClicked() {
  if (hasTableRow(currentRow_))
    tables_.setText(currentRow_, kTableHorizontalOnly, IsDlgButtonChecked(kVerticalSame) == BST_CHECKED ? L"1" : kOff);
  showVerticalGrey();
}

void CDialogPipeSizingTable::onNew() {
  saveCurrentTable(true);
  const int row = appendTableRow(uniqueName(kNewTableName), kOff, kOff);
  tables_.setSelectedCell(row, kTableName);
  currentRow_ = row;
  loadValuesOfSelectedTable();
}

void CDialogPipeSizingTable::onDelete() {
  if (!hasTableRow(currentRow_)) return;
  int row = currentRow_;
  const int key = tableKey(row);
  if (key >= 1) {
    const wchar_t* refusal = nullptr;
    if (tables_.rowCount() - tables_.headingRowCount() == 1)
      refusal = L"Cannot delete the last sizing table.";
    else if (tables_.isChecked(row, kTableActive) && !anyOtherRowActive(row))
      refusal = L"Must have at least one active sizing table.";
    else if (!queryRows(connection_, L"select ixPipe from tblPipe where ixPipeSizingTable = " + number(key)).empty())
      refusal = L"This sizing table is currently in use and cannot be deleted.";
    if (refusal != nullptr) {
      MessageBox(refusal, kTitle, MB_OK);
      return;
    }
  }
  if (key != -1) {
    const std::wstring question = L"Are you sure you want to delete \"" + tables_.text(row, kTableName) + L"\"?";
    if (MessageBox(question.c_str(), kTitle, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  }
  ovInvokeHost(acutBuildList(RTSTR, L"pipeSizingTable-deleteRecord", RTLONG, key, 0));
  if (table_->Find(key)) {
    MessageBox(L"Unable to delete sizing table.", kTitle, MB_OK);
    return;
  }
  tables_.deleteRow(row);
  currentRow_ = -1;
  if (!hasTableRow(row)) --row;
  if (hasTableRow(row)) {
    selectTableRow(row);
    loadValuesOfSelectedTable();
  } else {
    resetValueRows();
  }
}

void CDialogPipeSizingTable::onMove(int step) {
  const int row = currentRow_;
  const int other = row + step;
  if (!hasTableRow(row) || !hasTableRow(other)) return;
  tables_.swapRows(row, other);
  // The table now standing at the old place is stored there at once; the moved one
  // takes its new place when it is saved.
  storeSortOrder(row);
  selectTableRow(other);
}

void CDialogPipeSizingTable::onCopy() {
  saveCurrentTable(true);
  const bool hasSource = hasTableRow(currentRow_);
  const std::wstring sourceName = hasSource ? tables_.text(currentRow_, kTableName) : L"";
  const std::wstring active = hasSource ? tables_.text(currentRow_, kTableActive) : kOff;
  const std::wstring horizontalOnly = hasSource ? tables_.text(currentRow_, kTableHorizontalOnly) : kOff;

  CDialogSizingValuesCopy copy(this, connection_, uniqueName(sourceName), pipeType_);
  if (copy.DoModal() != IDOK || copy.pipeType() < 1 || copy.name().empty()) return;

  struct Flows {
    std::wstring horizontal, vertical, standard;
  };
  std::map<std::wstring, Flows> remembered;
  for (int row = values_.headingRowCount(); row < values_.rowCount(); ++row) {
    const std::wstring size = values_.text(row, kValueSize);
    if (!size.empty())
      remembered[size] = {values_.text(row, kValueHorizontal), values_.text(row, kValueVertical),
                          values_.text(row, kValueStandard)};
  }

  if (copy.pipeType() == pipeType_) {
    resetValueRows();
  } else {
    pipeType_ = copy.pipeType();
    fillKeyedList(GetDlgItem(kPipeTypeList), pipeTypes_, pipeType_);
    loadSizes();
    loadTables();
  }
  selectTableRow(appendTableRow(copy.name(), active, horizontalOnly));
  for (int row = values_.headingRowCount(); row < values_.rowCount(); ++row) {
    const auto found = remembered.find(values_.text(row, kValueSize));
    if (found == remembered.end()) continue;
    values_.setText(row, kValueHorizontal, found->second.horizontal);
    values_.setText(row, kValueVertical, found->second.vertical);
    values_.setText(row, kValueStandard, found->second.standard);
  }
  CheckDlgButton(kVerticalSame, horizontalOnly != kOff ? BST_CHECKED : BST_UNCHECKED);
  showVerticalGrey();
  saveCurrentTable(true);
}

void CDialogPipeSizingTable::OnOK() { closeFor(IDOK); }

void CDialogPipeSizingTable::closeFor(int endCode) {
  saveCurrentTable(true);
  ovSetLastPipeType(pipeType_);
  EndDialog(endCode);
}

bool CDialogPipeSizingTable::onTablesNotice(GridNotice& notice) {
  switch (notice.kind) {
    case GridNoticeKind::SelectionChanged:
      if (notice.row != currentRow_) {
        saveCurrentTable(true);
        currentRow_ = notice.row;
        loadValuesOfSelectedTable();
      }
      return true;
    case GridNoticeKind::StartEdit:
      return notice.column == kTableName;
    case GridNoticeKind::EndEdit:
      return !nameInOtherRow(notice.text, notice.row);
    case GridNoticeKind::CheckChanged:
      if (notice.column == kTableActive && notice.text == kOff && !anyOtherRowActive(notice.row)) {
        MessageBox(L"At least one sizing table must be active.", kTitle, MB_OK | MB_ICONINFORMATION);
        return false;
      }
      return true;
    default:
      return true;
  }
}

bool CDialogPipeSizingTable::onValuesNotice(GridNotice& notice) {
  if (notice.kind != GridNoticeKind::StartEdit) return true;
  if (notice.column != kValueHorizontal && notice.column != kValueVertical) return false;
  if (!values_.isChecked(notice.row, kValueStandard)) return false;
  return notice.column == kValueHorizontal || IsDlgButtonChecked(kVerticalSame) != BST_CHECKED;
}

// ---- the tables grid ----

int CDialogPipeSizingTable::appendTableRow(const std::wstring& name, const std::wstring& active,
                                           const std::wstring& horizontalOnly) {
  const int row = tables_.insertRow();
  tables_.setText(row, kTableKey, kNewKey);
  tables_.setCellKind(row, kTableActive, GridCellKind::CheckBox);
  tables_.setText(row, kTableActive, active);
  tables_.setText(row, kTableName, name);
  tables_.setText(row, kTableHorizontalOnly, horizontalOnly);
  return row;
}

void CDialogPipeSizingTable::selectTableRow(int row) {
  tables_.setSelectedCell(row, kTableName);
  currentRow_ = row;
}

int CDialogPipeSizingTable::tableKey(int row) const { return static_cast<int>(tables_.number(row, kTableKey)); }

bool CDialogPipeSizingTable::hasTableRow(int row) const {
  return row >= tables_.headingRowCount() && row < tables_.rowCount();
}

bool CDialogPipeSizingTable::anyOtherRowActive(int row) const {
  for (int other = tables_.headingRowCount(); other < tables_.rowCount(); ++other)
    if (other != row && tables_.isChecked(other, kTableActive)) return true;
  return false;
}

bool CDialogPipeSizingTable::nameInOtherRow(const std::wstring& name, int row) const {
  for (int other = tables_.headingRowCount(); other < tables_.rowCount(); ++other)
    if (other != row && tables_.text(other, kTableName) == name) return true;
  return false;
}

std::wstring CDialogPipeSizingTable::uniqueName(std::wstring base) const {
  if (base.empty()) base = kNewTableName;
  for (int n = 1;; ++n) {
    const std::wstring candidate = base + L" " + number(n);
    if (!nameInOtherRow(candidate, -1)) return candidate;
  }
}
