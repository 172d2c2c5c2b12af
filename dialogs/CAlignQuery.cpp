// The alignment-point area dialog: its rows, the floor locked while risers stand on it,
// pipe types ticked, in use or taken by other areas of the floor, the name check, OK
// in both modes, the floors dialog on the way, and Cancel restoring what was saved.
#include "dialogs/CAlignQuery.h"

#include "arx/aced_lisp.h"
#include "db/sql_text.h"
#include "db/tblAlignmentPointArea.h"
#include "db/tblFloor.h"
#include "db/tblPipeAreaMap.h"
#include "db/tblPipeType.h"
#include "dialogs/project_sql.h"
#include "frame/host_services.h"
#include "frame/lisp_args.h"

namespace {

constexpr wchar_t kTitle[] = L"Orvane Plumbing";
constexpr wchar_t kTicked[] = L"-1";
constexpr wchar_t kOff[] = L"0";

std::wstring number(int value) { return std::to_wstring(value); }

}  // namespace

CAlignQuery::CAlignQuery(CWnd* parent, const ProjectDatabasePtr& connection, int areaKey)
    : CAcUiDialog(IDD, parent),
      connection_(connection),
      area_(std::make_unique<tblAlignmentPointArea>(connection)),
      map_(std::make_unique<tblPipeAreaMap>(connection)),
      type_(std::make_unique<tblPipeType>(connection, false)),
      floor_(std::make_unique<tblFloor>(connection)),
      areaKey_(areaKey) {
  addGrid(kGrid, L"area", grid_);
  addButton(kEditFloors, L"Edit &Floors. . .");
  addButton(IDOK, L"&OK");
  addButton(IDCANCEL, L"&Cancel");
  onClicked(kEditFloors, [this] { onEditFloors(); });
  onGridNotice(kGrid, [this](GridNotice& notice) { return onNotice(notice); });
}

CAlignQuery::~CAlignQuery() = default;

BOOL CAlignQuery::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:AlignmentPointQuery");
  SetWindowText(inserting() ? L"Insert Alignment Point Area" : L"Query Alignment Point Area");
  grid_.setHeadings({L"key", L"val", L"ixPipeAreaMap", L"ixPipeType", L"bLocked"},
                    {kColumnMap, kColumnPipeType, kColumnLocked});
  grid_.setRowCount(kFirstTypeRow);

  if (!inserting()) {
    int status = RTERROR;
    ArgCursor answer(
        ovInvokeHost(acutBuildList(RTSTR, L"plumb-area-hasRisers", RTLONG, areaKey_, 0), &status).release());
    bool risers = false;
    hasRisers_ = status == RTNORM && argBool(answer, risers) && risers;
  }
  grid_.setText(kRowName, kColumnLabel, L"Alignment Point Area Name");
  grid_.setText(kRowFloor, kColumnLabel, L"Floor");
  grid_.setCellKind(kRowFloor, kColumnValue, GridCellKind::Choice);
  grid_.setText(kFirstTypeRow - 1, kColumnLabel, L"Pipe Types");
  grid_.setRowReadOnly(kFirstTypeRow - 1, true);
  if (area_->Find(areaKey_)) {
    grid_.setText(kRowName, kColumnValue, area_->sName());
    if (floor_->Find(area_->ixFloor())) grid_.setText(kRowFloor, kColumnValue, floor_->sName());
  }
  for (bool found = type_->First(); found && !type_->AtEnd(); found = type_->Next()) {
    const int row = grid_.insertRow();
    grid_.setText(row, kColumnLabel, type_->sName());
    grid_.setCellKind(row, kColumnValue, GridCellKind::CheckBox);
    grid_.setText(row, kColumnValue, kOff);
    grid_.setText(row, kColumnPipeType, number(type_->ixPipeType()));
    grid_.setText(row, kColumnLocked, kOff);
  }
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row) grid_.setReadOnly(row, kColumnLabel, true);
  loadFloors();
  tickMappedTypes();
  if (!inserting()) tickTypesInUse();
  lockTypesOfOtherAreas();
  openingName_ = grid_.text(kRowName, kColumnValue);
  openingFloor_ = grid_.text(kRowFloor, kColumnValue);
  openingFloorKey_ = floorKeyOf(openingFloor_);
  grid_.setSelectedCell(kRowName, kColumnValue);
  return TRUE;
}

// The floors in the host's order of floor groups, bottom floor first.
void CAlignQuery::loadFloors() {
  int status = RTERROR;
  ArgCursor groups(
      ovInvokeHost(acutBuildList(RTSTR, L"plumb-floor-getFloorGroups-order", RTNIL, 0), &status).release());
  std::vector<std::wstring> names;
  while (status == RTNORM && !groups.atEnd()) {
    if (!argListBegin(groups)) {
      argSkip(groups);
      continue;
    }
    std::wstring name;
    int key = 0;
    while (argNamedInt(groups, name, key))
      if (floor_->Find(key)) names.push_back(floor_->sName());
    while (!groups.atEnd() && !argListEnd(groups)) argSkip(groups);
  }
  grid_.setChoices(kRowFloor, kColumnValue, names);
}

void CAlignQuery::tickMappedTypes() {
  for (const QueryRow& map : queryRows(connection_, L"select ixPipeAreaMap, ixPipeType from tblPipeAreaMap where "
                                                    L"ixAlignmentPointArea = " + number(areaKey_))) {
    const int row = typeRow(map.integer(1));
    if (row < 0) continue;
    grid_.setText(row, kColumnValue, kTicked);
    grid_.setText(row, kColumnMap, number(map.integer(0)));
  }
}

// Pipes of these types lie in the area: their types stay ticked.
void CAlignQuery::tickTypesInUse() {
  if (!area_->Find(areaKey_)) return;
  const std::wstring sql = L"select distinct(ixPipeType) from tblPipe where iAlignmentPointNumber = " +
                           number(area_->iAlignmentPointNumber()) + L" and sDrawing = " + sqlText(area_->sDrawing()) +
                           L" and bDeleted = 0";
  for (const QueryRow& used : queryRows(connection_, sql)) {
    const int row = typeRow(used.integer(0));
    if (row < 0) continue;
    grid_.setText(row, kColumnValue, kTicked);
    grid_.setReadOnly(row, kColumnValue, true);
  }
}

// A pipe type belongs to one area of a floor: the types of the floor's other areas are
// locked here, showing which area has them.
void CAlignQuery::lockTypesOfOtherAreas() {
  const int floor = floorKeyOf(grid_.text(kRowFloor, kColumnValue));
  const std::wstring sql = L"select ixAlignmentPointArea, sName, sDrawing from tblAlignmentPointArea where ixFloor = " +
                           number(floor) + L" and bDeleted = 0";
  for (const QueryRow& other : queryRows(connection_, sql)) {
    if (other.integer(0) == areaKey_) continue;
    for (const QueryRow& taken :
         queryRows(connection_, L"select ixPipeType from tblPipeAreaMap where ixAlignmentPointArea = " +
                                    number(other.integer(0)))) {
      const int row = typeRow(taken.integer(0));
      if (row < 0) continue;
      grid_.setText(row, kColumnLocked, kTicked);
      grid_.setCellKind(row, kColumnValue, GridCellKind::Text);
      grid_.setText(row, kColumnValue, other.text(1) + L" (" + other.text(2) + L")");
      grid_.setGrey(row, kColumnValue, true);
    }
  }
}

int CAlignQuery::typeRow(int pipeType) const {
  for (int row = kFirstTypeRow; row < grid_.rowCount(); ++row)
    if (grid_.number(row, kColumnPipeType) == pipeType) return row;
  return -1;
}

bool CAlignQuery::onNotice(GridNotice& notice) {
  const bool starting = notice.kind == GridNoticeKind::StartEdit || notice.kind == GridNoticeKind::CheckChanged;
  if (!starting) return true;
  if (notice.row >= kFirstTypeRow) return grid_.text(notice.row, kColumnLocked) != kTicked;
  if (notice.row != kRowFloor || !hasRisers_) return notice.row == kRowName || notice.row == kRowFloor;
  // Moving an area with risers to another floor would tear them apart: said once.
  if (!risersTold_) MessageBox(L"The floor currently has risers on it and cannot be changed.", kTitle, MB_OK);
  risersTold_ = true;
  return false;
}

bool CAlignQuery::nameIsValid() {
  const std::wstring name = grid_.text(kRowName, kColumnValue);
  const wchar_t* refusal = nullptr;
  if (name.empty()) {
    refusal = L"An area name is required.";
  } else {
    // Erased areas count: their names may still come back with an undo.
    for (bool found = area_->First(); found && refusal == nullptr; found = area_->Next())
      if (area_->ixAlignmentPointArea() != areaKey_ && area_->sName() == name) refusal = L"Name already exists.";
  }
  if (refusal == nullptr) return true;
  MessageBox(refusal, kTitle, MB_OK);
  grid_.setSelectedCell(kRowName, kColumnValue);
  return false;
}

int CAlignQuery::saveArea(const std::wstring& name, const std::wstring& floorName) {
  const int floor = floorKeyOf(floorName);
  if (!area_->Find(areaKey_)) return floor;
  area_->Edit();
  area_->set_sName(name);
  area_->set_ixFloor(floor);
  area_->Update();
  return floor;
}

int CAlignQuery::floorKeyOf(const std::wstring& floorName) {
  return !floorName.empty() && floor_->FindBy(_variant_t(floorName.c_str())) ? floor_->ixFloor() : 0;
}

void CAlignQuery::OnOK() {
  if (!nameIsValid()) return;
  answer_.name = grid_.text(kRowName, kColumnValue);
  answer_.floor = saveArea(answer_.name, grid_.text(kRowFloor, kColumnValue));
  answer_.addedTypes.clear();
  for (int row = kFirstTypeRow; row < grid_.rowCount(); ++row) {
    const std::wstring value = grid_.text(row, kColumnValue);
    const int map = static_cast<int>(grid_.number(row, kColumnMap));
    const int type = static_cast<int>(grid_.number(row, kColumnPipeType));
    if (map >= 1) {
      if (value == kOff && map_->Find(map)) map_->Delete();
      continue;
    }
    if (value != kTicked) continue;
    if (!inserting()) {
      map_->AddNew();
      map_->set_ixAlignmentPointArea(areaKey_);
      map_->set_ixPipeType(type);
      map_->Update();
    }
    answer_.addedTypes.push_back(type);
  }
  CAcUiDialog::OnOK();
}

void CAlignQuery::OnCancel() {
  // What "Edit Floors" saved on the way is taken back; the floor by its key when the
  // floors dialog renamed it meanwhile.
  if (area_->Find(areaKey_)) {
    const int floor = floorKeyOf(openingFloor_);
    area_->Edit();
    area_->set_sName(openingName_);
    area_->set_ixFloor(floor != 0 ? floor : openingFloorKey_);
    area_->Update();
  }
  CAcUiDialog::OnCancel();
}

void CAlignQuery::onEditFloors() {
  if (!nameIsValid()) return;
  const std::wstring name = grid_.text(kRowName, kColumnValue);
  const int floor = saveArea(name, grid_.text(kRowFloor, kColumnValue));
  resbuf* request = acutBuildList(RTSTR, L"plumb-floors-withDefault", RTLONG, floor, 0);
  ovAppendChain(request, acutNewRb(RTNONE));
  ovInvokeHost(request);
  loadFloors();
  // The floor may have been renamed or removed meanwhile: show the stored one.
  if (area_->Find(areaKey_) && floor_->Find(area_->ixFloor()))
    grid_.setText(kRowFloor, kColumnValue, floor_->sName());
  grid_.setText(kRowName, kColumnValue, name);
}
