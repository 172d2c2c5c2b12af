// The floors dialog: the grid from the saved grid or the floor groups, the New and
// Delete buttons, picking an elevation, the name and elevation checks with their
// moves, and OK storing deletions, names and floors top down.
#include "dialogs/DialogFloorGroup.h"

#include <cmath>

#include "arx/aced_lisp.h"
#include "db/tblFloor.h"
#include "db/tblGlobal.h"
#include "dialogs/number_text.h"
#include "dialogs/project_sql.h"
#include "frame/globals.h"
#include "frame/host_services.h"
#include "frame/lisp_args.h"
#include "win/win_text.h"

namespace {

constexpr wchar_t kTitle[] = L"Orvane Plumbing";
constexpr wchar_t kNewKey[] = L"NEW";
constexpr wchar_t kDefaultHeightKey[] = L"DEFAULT FLOOR HEIGHT";
constexpr double kTenFeet = 120.0;

std::wstring number(int value) { return std::to_wstring(value); }

}  // namespace

DialogFloorGroup::DialogFloorGroup(CWnd* parent, const ProjectDatabasePtr& connection, int floorKey,
                                   std::optional<PickedElevation> picked)
    : CAcUiDialog(IDD, parent),
      connection_(connection),
      floor_(std::make_unique<tblFloor>(connection)),
      floorKey_(floorKey),
      picked_(picked) {
  addField(kDefaultHeight, L"Default Floor to Floor Height (ft-in):");
  addGrid(kGrid, L"floors", grid_);
  addButton(kNewTop, L"&New Top Floor");
  addButton(kNewBottom, L"&New Bottom Floor");
  addButton(kNewGroup, L"New &Group");
  addButton(kDelete, L"&Delete");
  addButton(kSpecifyElevation, L"&Specify Elevation <");
  addButton(IDOK, L"&OK");
  addButton(IDCANCEL, L"&Cancel");
  onClicked(kNewTop, [this] { onNewTop(); });
  onClicked(kNewBottom, [this] { onNewBottom(); });
  onClicked(kNewGroup, [this] { onNewGroup(); });
  onClicked(kDelete, [this] { onDelete(); });
  onClicked(kSpecifyElevation, [this] { onSpecifyElevation(); });
  onGridNotice(kGrid, [this](GridNotice& notice) { return onNotice(notice); });
}

DialogFloorGroup::~DialogFloorGroup() = default;

BOOL DialogFloorGroup::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:FloorGroup");
  SetWindowText(L"Floors");
  tblGlobal globals(connection_);
  const double height = ovGetGlobalNumber(globals, kDefaultHeightKey);
  SetDlgItemText(kDefaultHeight, number(height == 0.0 ? static_cast<int>(kTenFeet) : static_cast<int>(height)).c_str());

  grid_.setHeadings({L"", L"ixFloor", L"ixFloorAbove", L"Name", L"Finished Floor Elevation"}, {0, kColumnKey, kColumnAbove});
  loadRows();
  selectAtStart();
  return TRUE;
}

// ---- loading ----

void DialogFloorGroup::loadRows() {
  if (!loadSavedGrid()) loadFloorGroups();
}

// The grid the dialog saved before the user picked an elevation: T, then one list of
// (key name elevation) texts a row.
bool DialogFloorGroup::loadSavedGrid() {
  int status = RTERROR;
  ArgCursor saved(ovInvokeHost(acutBuildList(RTSTR, L"plumb-floor-getGrid", 0), &status).release());
  bool kept = false;
  if (status != RTNORM || !argBool(saved, kept) || !kept) return false;
  while (!saved.atEnd()) {
    if (!argListBegin(saved)) {
      argSkip(saved);
      continue;
    }
    std::wstring key, name, elevationText;
    if (argString(saved, key) && argString(saved, name) && argString(saved, elevationText)) {
      const int row = key.empty() ? addHeading() : grid_.insertRow();
      if (!key.empty()) {
        addFloor(row, key, name, 0.0);
        grid_.setText(row, kColumnElevation, elevationText);
      }
    }
    while (!saved.atEnd() && !argListEnd(saved)) argSkip(saved);
  }
  return true;
}

// The floor groups in the host's order, top floor first: a heading row, then a row for
// each (name . key) pair of the group.
void DialogFloorGroup::loadFloorGroups() {
  int status = RTERROR;
  ArgCursor groups(
      ovInvokeHost(acutBuildList(RTSTR, L"plumb-floor-getFloorGroups-order", RTT, 0), &status).release());
  if (status != RTNORM) return;
  while (!groups.atEnd()) {
    if (!argListBegin(groups)) {
      argSkip(groups);
      continue;
    }
    addHeading();
    std::wstring name;
    int key = 0;
    while (argNamedInt(groups, name, key))
      if (floor_->Find(key)) addFloor(grid_.insertRow(), number(key), floor_->sName(), floor_->dElevation());
    while (!groups.atEnd() && !argListEnd(groups)) argSkip(groups);
  }
}

int DialogFloorGroup::addHeading(int at) {
  const int row = grid_.insertRow(at);
  grid_.setRowReadOnly(row, true);
  return row;
}

// Fills a row already inserted at `at` as a floor row.
int DialogFloorGroup::addFloor(int at, const std::wstring& key, const std::wstring& name, double inches) {
  grid_.setRowReadOnly(at, false);
  grid_.setText(at, kColumnKey, key);
  grid_.setText(at, kColumnName, name);
  setElevation(at, inches);
  return at;
}

void DialogFloorGroup::selectAtStart() {
  int selected = -1;
  for (int row = grid_.headingRowCount(); row < grid_.rowCount() && selected < 0; ++row)
    if (isFloor(row) && floorKey_ >= 1 && grid_.number(row, kColumnKey) == floorKey_) selected = row;
  for (int row = 2; row < grid_.rowCount() && selected < 0; ++row)
    if (isFloor(row)) selected = row;
  if (selected >= 0) grid_.setSelectedCell(selected, kColumnName);
  if (!picked_ || !isFloor(picked_->row)) return;
  const double before = elevation(picked_->row);
  setElevation(picked_->row, picked_->elevation);
  if (!checkElevation(picked_->row, before)) setElevation(picked_->row, before);
}

// ---- buttons ----

void DialogFloorGroup::onNewTop() {
  const int selected = grid_.selectedRow();
  const int heading = selected >= grid_.headingRowCount() ? headingOf(selected) : 0;
  const int row = grid_.insertRow(heading + 1);
  if (row == grid_.rowCount() - 1) {
    // Nothing below to stand on: the row becomes a new group with a floor at 0.
    grid_.setRowReadOnly(row, true);
    addFloor(grid_.insertRow(), kNewKey, newFloorName(), 0.0);
    grid_.setSelectedCell(row + 1, kColumnName);
    return;
  }
  const double below = isFloor(row + 1) ? elevation(row + 1) : 0.0;
  addFloor(row, kNewKey, newFloorName(), below + defaultHeight());
  grid_.setSelectedCell(row, kColumnName);
}

void DialogFloorGroup::onNewBottom() {
  int row = grid_.selectedRow();
  if (row < grid_.headingRowCount()) return;
  if (isFloor(row))
    while (isFloor(row + 1)) ++row;
  const double above = isFloor(row) ? elevation(row) : 0.0;
  const int added = addFloor(grid_.insertRow(row + 1), kNewKey, newFloorName(), above - defaultHeight());
  grid_.setSelectedCell(added, kColumnName);
}

void DialogFloorGroup::onNewGroup() {
  addHeading();
  const int row = addFloor(grid_.insertRow(), kNewKey, newFloorName(), 0.0);
  grid_.setSelectedCell(row, kColumnName);
}

void DialogFloorGroup::onDelete() {
  const int row = grid_.selectedRow();
  if (!isFloor(row)) return;
  if (grid_.text(row, kColumnKey) != kNewKey) {
    const int key = static_cast<int>(grid_.number(row, kColumnKey));
    int status = RTERROR;
    ArgCursor answer(
        ovInvokeHost(acutBuildList(RTSTR, L"plumb-floor-isOkToDelete", RTLONG, key, 0), &status).release());
    bool ok = false;
    if (status != RTNORM || !argBool(answer, ok) || !ok) return;
    deleted_.push_back(key);
  }
  grid_.deleteRow(row);
  // A group left without floors goes too.
  const int heading = row - 1;
  if (isHeading(heading) && !isFloor(heading + 1)) grid_.deleteRow(heading);
  if (grid_.rowCount() > grid_.headingRowCount())
    grid_.setSelectedCell(row < grid_.rowCount() ? row : grid_.rowCount() - 1, kColumnName);
}

void DialogFloorGroup::onSpecifyElevation() {
  const int row = grid_.selectedRow();
  if (!isFloor(row)) return;
  pickRow_ = row;
  resbuf* request = acutBuildList(RTSTR, L"plumb-floor-saveGrid", RTLB, 0);
  resbuf* last = request;
  for (int r = grid_.headingRowCount(); r < grid_.rowCount(); ++r)
    last = ovAppendChain(last, acutBuildList(RTLB, RTSTR, grid_.text(r, kColumnKey).c_str(), RTSTR,
                                             grid_.text(r, kColumnName).c_str(), RTSTR,
                                             grid_.text(r, kColumnElevation).c_str(), RTLE, 0));
  ovAppendChain(last, acutBuildList(RTLE, 0));
  ovInvokeHost(request);
  EndDialog(kPickElevation);
}

// ---- editing ----

bool DialogFloorGroup::onNotice(GridNotice& notice) {
  switch (notice.kind) {
    case GridNoticeKind::StartEdit:
      if (!isFloor(notice.row)) return false;
      nameBeforeEdit_ = grid_.text(notice.row, kColumnName);
      elevationBeforeEdit_ = elevation(notice.row);
      return true;
    case GridNoticeKind::EndEdit:
      if (notice.column == kColumnElevation) {
        notice.text = formatFeetInches(parseFeetInches(notice.text));
        return true;
      }
      if (notice.column != kColumnName || notice.text == nameBeforeEdit_ || !nameIsDuplicate(notice.text, notice.row))
        return true;
      MessageBox(L"Duplicate names are not allowed.", kTitle, MB_OK);
      grid_.startEdit(notice.row, notice.column);
      return false;
    case GridNoticeKind::CellChanged:
      if (notice.column == kColumnElevation && !checkElevation(notice.row, elevationBeforeEdit_))
        setElevation(notice.row, elevationBeforeEdit_);
      return true;
    default: return true;
  }
}

bool DialogFloorGroup::nameIsDuplicate(const std::wstring& name, int row) const {
  for (int other = grid_.headingRowCount(); other < grid_.rowCount(); ++other)
    if (other != row && isFloor(other) && winEqualNoCase(grid_.text(other, kColumnName), name)) return true;
  return false;
}

bool DialogFloorGroup::checkElevation(int row, double before) {
  const double now = elevation(row);
  if (now > before) return checkAgainst(row, -1);
  if (now < before) return checkAgainst(row, 1);
  return true;
}

// Compares the floor at row with its neighbour in the direction it moved (step -1:
// raised, the floor above; +1: lowered, the floor below) and moves it past while the
// order allows.
bool DialogFloorGroup::checkAgainst(int row, int step) {
  const int other = row + step;
  if (!isFloor(other)) return true;
  const double mine = elevation(row);
  const double theirs = elevation(other);
  if (step > 0 ? theirs < mine : theirs > mine) return true;
  if (theirs == mine) {
    const std::wstring text = L"Floor " + grid_.text(row, kColumnName) + L" must have a different elevation" +
                              L" then Floor " + grid_.text(other, kColumnName);
    MessageBox(text.c_str(), kTitle, MB_OK);
    return false;
  }
  for (int floorRow : {row, other}) {
    int status = RTERROR;
    ArgCursor answer(ovInvokeHost(acutBuildList(RTSTR, L"plumb-floor-checkForRisers", RTLONG,
                                                static_cast<int>(grid_.number(floorRow, kColumnKey)), 0),
                                  &status)
                         .release());
    bool risers = false;
    if (status != RTNORM) return false;
    if (argBool(answer, risers) && risers) {
      MessageBox(L"Risers exist on floors in this group.\nOrder of floors in the group cannot currently be "
                 L"changed.\nTo reorder the floors, you must first erase all the risers.",
                 kTitle, MB_OK);
      return false;
    }
  }
  grid_.swapRows(row, other);
  if (checkAgainst(other, step)) return true;
  grid_.swapRows(row, other);
  return false;
}

// ---- OK ----

void DialogFloorGroup::OnOK() {
  raiseFloorsAbove();
  tblGlobal globals(connection_);
  ovSetGlobalNumber(globals, kDefaultHeightKey, defaultHeight());
  removeDeleted();
  moveNamesOutOfTheWay();
  storeFloors();
  CAcUiDialog::OnOK();
}

// A floor not lower than the floor above it lifts that floor to an inch above it.
void DialogFloorGroup::raiseFloorsAbove() {
  for (int row = grid_.rowCount() - 1; row > grid_.headingRowCount(); --row)
    if (isFloor(row) && isFloor(row - 1) && elevation(row) >= elevation(row - 1))
      setElevation(row - 1, elevation(row) + 1.0);
}

void DialogFloorGroup::removeDeleted() {
  for (int key : deleted_) {
    runSqlReported(connection_, L"delete from tblIsometricFloor where ixFloor = " + number(key));
    if (floor_->Find(key)) floor_->Delete();
  }
  deleted_.clear();
}

// A stored floor holding a name the grid gives another floor is renamed first (name
// and the first free number), so that names can change hands.
void DialogFloorGroup::moveNamesOutOfTheWay() {
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row) {
    if (grid_.text(row, kColumnKey) == kNewKey) continue;
    const std::wstring name = grid_.text(row, kColumnName);
    if (floor_->FindBy(_variant_t(name.c_str()))) {
      int n = 1;
      while (floor_->FindBy(_variant_t((name + number(n)).c_str()))) ++n;
      if (floor_->FindBy(_variant_t(name.c_str()))) {
        floor_->Edit();
        floor_->set_sName(name + number(n));
        floor_->Update();
      }
    }
    if (!floor_->Find(static_cast<int>(grid_.number(row, kColumnKey)))) continue;
    floor_->Edit();
    floor_->set_sName(name);
    floor_->Update();
  }
}

void DialogFloorGroup::storeFloors() {
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row) {
    if (!isFloor(row)) continue;
    if (grid_.text(row, kColumnKey) == kNewKey) {
      floor_->AddNew();
      floor_->set_dCeilingHeight(0.0);
      floor_->set_dFloorToFloorHeight(0.0);
      floor_->set_sName(grid_.text(row, kColumnName));
    } else if (floor_->Find(static_cast<int>(grid_.number(row, kColumnKey)))) {
      floor_->Edit();
    } else {
      continue;
    }
    if (isFloor(row - 1))
      floor_->set_ixFloorAbove(static_cast<int>(grid_.number(row - 1, kColumnKey)));
    else
      floor_->setNull_ixFloorAbove();
    floor_->set_dElevation(elevation(row));
    floor_->Update();
    grid_.setText(row, kColumnKey, number(floor_->ixFloor()));
  }
}

// ---- rows ----

bool DialogFloorGroup::isFloor(int row) const {
  if (row < grid_.headingRowCount() || row >= grid_.rowCount()) return false;
  return grid_.text(row, kColumnKey) == kNewKey || grid_.number(row, kColumnKey) >= 1;
}

bool DialogFloorGroup::isHeading(int row) const {
  return row >= grid_.headingRowCount() && row < grid_.rowCount() && !isFloor(row);
}

double DialogFloorGroup::elevation(int row) const { return parseFeetInches(grid_.text(row, kColumnElevation)); }

void DialogFloorGroup::setElevation(int row, double inches) {
  grid_.setText(row, kColumnElevation, formatFeetInches(inches));
}

double DialogFloorGroup::defaultHeight() const {
  std::wstring text;
  GetDlgItemText(kDefaultHeight, text);
  return ovGrid::leadingNumber(text);
}

std::wstring DialogFloorGroup::newFloorName() const {
  for (int n = 1;; ++n) {
    const std::wstring name = L"New Floor " + number(n);
    bool taken = false;
    for (int row = grid_.headingRowCount(); row < grid_.rowCount() && !taken; ++row)
      taken = isFloor(row) && grid_.text(row, kColumnName) == name;
    if (!taken) return name;
  }
}

int DialogFloorGroup::headingOf(int row) const {
  while (row > 0 && !isHeading(row)) --row;
  return row;
}
