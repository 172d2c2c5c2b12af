// The flow-lookup editor: default rows for a category without any, the fixture order,
// the multiplier row's rules, New, Delete and OK writing every row.
#include "sizing/CDialogLookup.h"

#include "com/com_error.h"
#include "db/tblPipeFlowLookup.h"
#include "dialogs/number_text.h"
#include "dialogs/project_sql.h"

namespace {

constexpr wchar_t kTitle[] = L"Orvane Plumbing";
constexpr wchar_t kNewKey[] = L"-1";
constexpr wchar_t kNoMinimum[] = L"No minimum";
constexpr wchar_t kAdditionalMultiplier[] = L"Additional Multiplier";
// The fixture count that marks a category's additional multiplier in the table.
constexpr int kMultiplierFixtures = -1;

std::wstring flowText(double flow) { return formatNumber(flow, 5, true); }

std::wstring number(int value) { return std::to_wstring(value); }

}  // namespace

CDialogLookup::CDialogLookup(CWnd* parent, const ProjectDatabasePtr& connection, int category, int pipeType)
    : CAcUiDialog(IDD, parent),
      connection_(connection),
      lookup_(std::make_unique<tblPipeFlowLookup>(connection)),
      category_(category),
      pipeType_(pipeType) {
  addButton(kNew, L"&New");
  addButton(kDelete, L"&Delete");
  addGrid(kGrid, L"lookup", grid_);
  addButton(IDOK, L"&OK");
  addButton(IDCANCEL, L"&Cancel");
  onClicked(kNew, [this] { onNew(); });
  onClicked(kDelete, [this] { onDelete(); });
  onGridNotice(kGrid, [this](GridNotice& notice) { return onNotice(notice); });
}

CDialogLookup::~CDialogLookup() = default;

BOOL CDialogLookup::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:PipeSizeLookup");
  SetWindowText(L"Flow Lookup");
  grid_.setHeadings({L"", L"Fixtures", L"Flow", L"Minimum Pipe Size"}, {kColumnKey});
  loadSizeChoices();
  loadRows();
  if (grid_.rowCount() > grid_.headingRowCount()) grid_.setSelectedCell(grid_.headingRowCount(), kColumnFixtures);
  return TRUE;
}

void CDialogLookup::loadSizeChoices() {
  sizes_ = {{0, kNoMinimum}};
  if (pipeType_ < 1) return;
  const std::wstring sql = L"SELECT ixPipeSize, sLabel" + std::wstring(L" FROM tblPipeSize") + L" WHERE ixPipeType = " +
                           number(pipeType_) + L" ORDER BY dInteriorDiameter";
  for (const QueryRow& size : queryRows(connection_, sql)) sizes_.push_back({size.integer(0), size.text(1)});
}

void CDialogLookup::loadRows() {
  std::vector<QueryRow> rows;
  try {
    rows = queryRows(connection_, L"select ixPipeFlowLookup, iFixtures, dFlow, ixPipeSizeMin" +
                                      std::wstring(L" from tblPipeFlowLookup where ixPipeSumCategory = ") +
                                      number(category_) + L" order by iFixtures");
  } catch (const _com_error&) {
    rows.clear();  // a table that cannot be read starts like an empty one
  }
  if (rows.empty()) {
    appendRow(-1, kNewKey, 1, 1.0, kNoMinimum);
    appendRow(-1, kNewKey, 2, 2.0, kNoMinimum);
    appendMultiplierRow(kNewKey, 1.0);
    return;
  }
  std::wstring multiplierKey = kNewKey;
  double multiplier = 1.0;
  for (const QueryRow& row : rows) {
    if (row.integer(1) == kMultiplierFixtures) {
      multiplierKey = number(row.integer(0));
      multiplier = row.real(2);
      continue;
    }
    appendRow(-1, number(row.integer(0)), row.integer(1), row.real(2), labelOfSize(row.integer(3)));
  }
  appendMultiplierRow(multiplierKey, multiplier);
}

int CDialogLookup::appendRow(int at, const std::wstring& key, int fixtures, double flow, const std::wstring& minimum) {
  const int row = grid_.insertRow(at);
  grid_.setText(row, kColumnKey, key);
  grid_.setText(row, kColumnFixtures, number(fixtures));
  grid_.setText(row, kColumnFlow, flowText(flow));
  grid_.setCellKind(row, kColumnMinimumSize, GridCellKind::Choice);
  std::vector<std::wstring> labels;
  for (const SizeChoice& size : sizes_) labels.push_back(size.label);
  grid_.setChoices(row, kColumnMinimumSize, labels);
  grid_.setText(row, kColumnMinimumSize, minimum);
  return row;
}

void CDialogLookup::appendMultiplierRow(const std::wstring& key, double flow) {
  const int row = grid_.insertRow();
  grid_.setText(row, kColumnKey, key);
  grid_.setText(row, kColumnFixtures, kAdditionalMultiplier);
  grid_.setReadOnly(row, kColumnFixtures, true);
  grid_.setText(row, kColumnFlow, flowText(flow));
  grid_.setReadOnly(row, kColumnMinimumSize, true);
}

bool CDialogLookup::onNotice(GridNotice& notice) {
  switch (notice.kind) {
    case GridNoticeKind::StartEdit:
      return !isMultiplierRow(notice.row) || notice.column == kColumnFlow;
    case GridNoticeKind::EndEdit:
      if (notice.column != kColumnFixtures) return true;
      if (static_cast<int>(ovGrid::leadingNumber(notice.text)) < 1) {
        MessageBox(L"Fixture value must be greater than zero.", kTitle, MB_OK | MB_ICONEXCLAMATION);
        return false;
      }
      notice.text = number(static_cast<int>(ovGrid::leadingNumber(notice.text)));
      return true;
    case GridNoticeKind::CellChanged:
      if (notice.column == kColumnFixtures) keepInFixtureOrder(notice.row);
      return true;
    default:
      return true;
  }
}

void CDialogLookup::keepInFixtureOrder(int row) {
  const int count = fixtures(row);
  int after = -1;  // the last other ordinary row with a count not above this one's
  for (int other = grid_.headingRowCount(); other < grid_.rowCount(); ++other)
    if (other != row && !isMultiplierRow(other) && fixtures(other) <= count) after = other;
  // Taking the row out shifts the rows below it up by one.
  const int to = after < 0 ? grid_.headingRowCount() : (after < row ? after + 1 : after);
  grid_.moveRow(row, to);
}

void CDialogLookup::onNew() {
  const int multiplierRow = grid_.rowCount() - 1;
  const int last = multiplierRow - 1;
  const bool hasOrdinary = last >= grid_.headingRowCount();
  const int fixtureCount = hasOrdinary ? fixtures(last) + 1 : 1;
  const double flow = hasOrdinary ? grid_.number(last, kColumnFlow) + 1.0 : 1.0;
  const int row = appendRow(multiplierRow, kNewKey, fixtureCount, flow, kNoMinimum);
  grid_.setSelectedCell(row, kColumnFixtures);
}

void CDialogLookup::onDelete() {
  const int row = grid_.selectedRow();
  if (row < grid_.headingRowCount() || isMultiplierRow(row)) return;
  const int key = static_cast<int>(grid_.number(row, kColumnKey));
  if (key >= 1) removed_.push_back(key);
  grid_.deleteRow(row);
  grid_.setSelectedCell(row < grid_.rowCount() ? row : row - 1, kColumnFixtures);
}

void CDialogLookup::OnOK() {
  for (int key : removed_)
    if (lookup_->Find(key)) lookup_->Delete();
  removed_.clear();
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row) {
    const int key = static_cast<int>(grid_.number(row, kColumnKey));
    if (key >= 1 && lookup_->Find(key))
      lookup_->Edit();
    else
      lookup_->AddNew();
    const bool multiplier = isMultiplierRow(row);
    lookup_->set_ixPipeSumCategory(category_);
    lookup_->set_iFixtures(multiplier ? kMultiplierFixtures : fixtures(row));
    lookup_->set_dFlow(grid_.number(row, kColumnFlow));
    lookup_->set_ixPipeSizeMin(multiplier ? 0 : keyOfLabel(grid_.text(row, kColumnMinimumSize)));
    lookup_->Update();
  }
  CAcUiDialog::OnOK();
}

std::wstring CDialogLookup::labelOfSize(int key) const {
  for (const SizeChoice& size : sizes_)
    if (size.key == key) return size.label;
  return kNoMinimum;
}

int CDialogLookup::keyOfLabel(const std::wstring& label) const {
  for (const SizeChoice& size : sizes_)
    if (size.label == label) return size.key;
  return 0;
}
