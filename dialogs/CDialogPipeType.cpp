// The pipe-type editor: the rows and their choice cells, unique names, New through the
// host's mimic chooser, Delete with its refusals, the moves, and OK telling the host
// about removed and new types around storing the rows.
#include "dialogs/CDialogPipeType.h"

#include <optional>

#include "arx/aced_lisp.h"
#include "db/tblPipeType.h"
#include "dialogs/dialog_chain.h"
#include "dialogs/project_sql.h"
#include "frame/host_services.h"

namespace {

constexpr wchar_t kTitle[] = L"Orvane Plumbing";
constexpr wchar_t kNewKey[] = L"NEW";
constexpr wchar_t kOff[] = L"0";

const std::vector<std::wstring> kDirections = {L"Toward Fixtures", L"Away From Fixtures"};
const std::vector<std::wstring> kFittings = {L"Right Angle", L"45-degree Angle", L"Arc"};
const std::vector<std::wstring> kLabelLocations = {
    L"Above Pipe Line",
    L"In Pipe Line, Rotated to Match Pipe Angle, Displayed by Default",
    L"In Pipe Line, Rotated to 0, Displayed by Default",
    L"In Pipe Line, Rotated to Match Pipe Angle, Not Displayed by Default",
    L"In Pipe Line, Rotated to 0, Not Displayed by Default",
};

std::wstring number(int value) { return std::to_wstring(value); }

// The entry a stored index stands for; an index outside the list shows nothing.
std::wstring entryOf(const std::vector<std::wstring>& entries, int index) {
  return index >= 0 && index < static_cast<int>(entries.size()) ? entries[static_cast<std::size_t>(index)] : L"";
}

// The index stored for an entry: -1 for a text the list does not hold.
int indexOf(const std::vector<std::wstring>& entries, const std::wstring& text) {
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i] == text) return static_cast<int>(i);
  return -1;
}

// The choice columns and their entries.
struct ChoiceColumn {
  int column;
  const std::vector<std::wstring>* entries;
};
const ChoiceColumn kChoiceColumns[] = {
    {CDialogPipeType::kColumnDirection, &kDirections},
    {CDialogPipeType::kColumnElbow, &kFittings},
    {CDialogPipeType::kColumnTee, &kFittings},
    {CDialogPipeType::kColumnLabelLocation, &kLabelLocations},
};

// The mimic the host's chooser answered: RTNORM with an integer.
std::optional<int> chosenMimic(const std::vector<int>& removed) {
  resbuf* request = acutBuildList(RTSTR, L"plumb-createPipeType-chooseMimic", 0);
  resbuf* last = ovAppendChain(request, acutBuildList(RTLB, 0));
  for (int key : removed) last = ovAppendChain(last, acutBuildList(RTLONG, key, 0));
  ovAppendChain(last, acutBuildList(RTLE, 0));
  int status = RTERROR;
  ResbufChain answer = ovInvokeHost(request, &status);
  if (status != RTNORM || !answer) return std::nullopt;
  switch (answer->restype) {
    case RTSHORT: return answer->resval.rint;
    case RTLONG: return static_cast<int>(answer->resval.rlong);
    default: return std::nullopt;
  }
}

}  // namespace

CDialogPipeType::CDialogPipeType(CWnd* parent, const ProjectDatabasePtr& connection, int pipeType)
    : CAcUiDialog(IDD, parent),
      connection_(connection),
      type_(std::make_unique<tblPipeType>(connection, false)),
      pipeType_(pipeType) {
  addButton(kMoveUp, L"Move &Up");
  addButton(kMoveDown, L"Move Do&wn");
  addButton(kNew, L"&New");
  addButton(kDelete, L"&Delete");
  addGrid(kGrid, L"types", grid_);
  addButton(kEditLabels, L"Edit Labels...");
  addButton(kEditLinetypes, L"Edit Linetypes...");
  addButton(kEditFlowCategories, L"Edit Flow Categories...");
  addButton(kEditSizes, L"Edit Sizes...");
  addButton(kEditSizingTables, L"Edit Sizing Tables...");
  addButton(IDOK, L"&OK");
  addButton(IDCANCEL, L"&Cancel");
  onClicked(kMoveUp, [this] { grid_.swapSelectedRow(-1); });
  onClicked(kMoveDown, [this] { grid_.swapSelectedRow(1); });
  onClicked(kNew, [this] { onNew(); });
  onClicked(kDelete, [this] { onDelete(); });
  const std::pair<int, NeighbourDialog> neighbours[] = {
      {kEditLabels, NeighbourDialog::Labels},       {kEditLinetypes, NeighbourDialog::Linetypes},
      {kEditFlowCategories, NeighbourDialog::FlowCategories}, {kEditSizes, NeighbourDialog::PipeSizes},
      {kEditSizingTables, NeighbourDialog::SizingTables}};
  for (const auto& [button, neighbour] : neighbours) {
    const int code = neighbourEndCode(neighbour);
    onClicked(button, [this, code] { closeFor(code); });
  }
  onGridNotice(kGrid, [this](GridNotice& notice) { return onNotice(notice); });
}

CDialogPipeType::~CDialogPipeType() = default;

BOOL CDialogPipeType::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:PipeSum");
  SetWindowText(L"Pipe Type");
  grid_.setHeadings({L"", L"", L"Name", L"Short Name", L"", L"Flow Direction", L"Elbow Graphic", L"Tee Graphic",
                     L"Fitting Ticks", L"Label Location", L"Hide Pipes Below Ductwork"},
                    {kColumnKey, kColumnOrder, kColumnMimic});

  int selected = firstRow();
  type_->UseIndex(L"iSortOrder");
  for (bool found = type_->First(); found; found = type_->Next()) {
    const int row = appendRow();
    grid_.setText(row, kColumnKey, number(type_->ixPipeType()));
    grid_.setText(row, kColumnOrder, number(type_->iSortOrder()));
    grid_.setText(row, kColumnName, type_->sName());
    grid_.setText(row, kColumnShortName, type_->sShortName());
    grid_.setText(row, kColumnDirection, kDirections[type_->bReversed() ? 1 : 0]);
    grid_.setText(row, kColumnElbow, entryOf(kFittings, type_->iElbow()));
    grid_.setText(row, kColumnTee, entryOf(kFittings, type_->iTee()));
    grid_.setText(row, kColumnTicks, type_->bFittingTicks() ? L"-1" : kOff);
    grid_.setText(row, kColumnLabelLocation, entryOf(kLabelLocations, type_->iLabelLocation()));
    grid_.setText(row, kColumnHide, type_->bHidePipe() ? L"-1" : kOff);
    if (pipeType_ >= 1 && type_->ixPipeType() == pipeType_) selected = row;
  }
  if (selected < grid_.rowCount()) grid_.setSelectedCell(selected, kColumnName);
  return TRUE;
}

// A row with the cell kinds of every column and the defaults of a new type.
int CDialogPipeType::appendRow() {
  const int row = grid_.insertRow();
  for (const ChoiceColumn& choice : kChoiceColumns) {
    grid_.setCellKind(row, choice.column, GridCellKind::Choice);
    grid_.setChoices(row, choice.column, *choice.entries);
    grid_.setText(row, choice.column, choice.entries->front());
  }
  for (int column : {kColumnTicks, kColumnHide}) {
    grid_.setCellKind(row, column, GridCellKind::CheckBox);
    grid_.setText(row, column, kOff);
  }
  return row;
}

bool CDialogPipeType::onNotice(GridNotice& notice) {
  if (notice.kind != GridNoticeKind::EndEdit || notice.column != kColumnName) return true;
  if (!nameTaken(notice.text, notice.row)) return true;
  MessageBox(L"Duplicate names are not allowed.", kTitle, MB_OK);
  grid_.startEdit(notice.row, notice.column);
  return false;
}

void CDialogPipeType::onNew() {
  const int last = grid_.rowCount() - 1;
  const int order = last >= firstRow() ? static_cast<int>(grid_.number(last, kColumnOrder)) + 1 : 0;
  const int row = appendRow();
  grid_.setText(row, kColumnName, freeName(L"New Pipe Type ", L""));
  grid_.setText(row, kColumnOrder, number(order));
  const std::optional<int> mimic = chosenMimic(removed_);
  if (!mimic) {
    grid_.deleteRow(row);
    return;
  }
  const bool known = type_->Find(*mimic);
  grid_.setText(row, kColumnKey, kNewKey);
  grid_.setText(row, kColumnMimic, number(*mimic));
  grid_.setText(row, kColumnName, freeName((known ? type_->sName() : std::wstring()) + L" (Copy ", L")"));
  grid_.setText(row, kColumnShortName, known ? type_->sShortName() : L"");
  grid_.setSelectedCell(row, kColumnName);
  grid_.startEdit(row, kColumnName);
}

void CDialogPipeType::onDelete() {
  const int row = grid_.selectedRow();
  if (row < firstRow()) return;
  const bool stored = grid_.text(row, kColumnKey) != kNewKey;
  const int key = stored ? static_cast<int>(grid_.number(row, kColumnKey)) : 0;
  if (stored && inUse(key)) {
    MessageBox(L"Selected pipe type is in use and cannot be deleted.", kTitle, MB_OK);
    return;
  }
  if (grid_.rowCount() - firstRow() == 1) {
    MessageBox(L"You cannot delete the last pipe type.", kTitle, MB_OK);
    return;
  }
  if (stored) removed_.push_back(key);
  grid_.deleteRow(row);
  grid_.setSelectedCell(row < grid_.rowCount() ? row : grid_.rowCount() - 1, kColumnName);
}

void CDialogPipeType::OnOK() { closeFor(IDOK); }

void CDialogPipeType::closeFor(int endCode) {
  // The host removes what hangs on a deleted type before any row is written, so that
  // a new type never meets the data of an old one.
  for (int key : removed_) ovInvokeHost(acutBuildList(RTSTR, L"plumb-deletePipeType", RTLONG, key, 0));
  removed_.clear();
  for (int row = firstRow(); row < grid_.rowCount(); ++row) {
    const bool adding = grid_.text(row, kColumnKey) == kNewKey;
    if (adding || !type_->Find(static_cast<int>(grid_.number(row, kColumnKey))))
      type_->AddNew();
    else
      type_->Edit();
    type_->set_iSortOrder(row - firstRow() + 1);
    type_->set_sName(grid_.text(row, kColumnName));
    type_->set_sShortName(grid_.text(row, kColumnShortName));
    type_->set_bReversed(grid_.text(row, kColumnDirection) == kDirections[1]);
    type_->set_iElbow(indexOf(kFittings, grid_.text(row, kColumnElbow)));
    type_->set_iTee(indexOf(kFittings, grid_.text(row, kColumnTee)));
    type_->set_bFittingTicks(grid_.text(row, kColumnTicks) != kOff);
    type_->set_iLabelLocation(indexOf(kLabelLocations, grid_.text(row, kColumnLabelLocation)));
    type_->set_bHidePipe(grid_.text(row, kColumnHide) != kOff);
    type_->Update();
    const int key = type_->ixPipeType();
    if (row == grid_.selectedRow()) pipeType_ = key;
    if (adding && key >= 1) {
      grid_.setText(row, kColumnKey, number(key));
      ovInvokeHost(acutBuildList(RTSTR, L"plumb-newPipeType", RTLONG, key, RTLONG,
                                 static_cast<int>(grid_.number(row, kColumnMimic)), 0));
    }
  }
  EndDialog(endCode);
}

bool CDialogPipeType::inUse(int key) const {
  return !queryRows(connection_, L"select ixPipe from tblPipe where ixPipeType = " + number(key)).empty() ||
         !queryRows(connection_, L"select ixValveL from tblValveL where ixPipeType = " + number(key)).empty();
}

bool CDialogPipeType::nameTaken(const std::wstring& name, int exceptRow) const {
  for (int row = firstRow(); row < grid_.rowCount(); ++row)
    if (row != exceptRow && grid_.text(row, kColumnName) == name) return true;
  return false;
}

std::wstring CDialogPipeType::freeName(const std::wstring& prefix, const std::wstring& suffix) const {
  for (int n = 1;; ++n) {
    const std::wstring name = prefix + number(n) + suffix;
    if (!nameTaken(name, -1)) return name;
  }
}
