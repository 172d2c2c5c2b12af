// The project explorer: the headings, opening and closing rows with the queries of
// each level, opening at a given object, the sort setting kept in the registry, and
// the buttons that end the dialog for the LISP program to find or query the object.
#include "dialogs/CDialogProjectExplorerPlumb.h"

#include <cmath>

#include "arx/aced_lisp.h"
#include "db/tblFloor.h"
#include "db/tblPipe.h"
#include "db/tblPipeType.h"
#include "db/tblValveL.h"
#include "db/tblValveS.h"
#include "db/tblValveSGroup.h"
#include "frame/host_services.h"
#include "frame/lisp_args.h"

namespace {

constexpr wchar_t kNoneInDatabase[] = L"None in database";
constexpr wchar_t kNoneOnDrawing[] = L"None on drawing";
constexpr wchar_t kByCallout[] = L"Sort by callout, then drawing";
constexpr wchar_t kByDrawing[] = L"Sort by drawing, then callout";
constexpr wchar_t kSortSubkey[] = L"Plumbing";
constexpr wchar_t kSortValue[] = L"bCalloutFirst";

// Row types.
constexpr wchar_t kHeader[] = L"header";
constexpr wchar_t kGroupRow[] = L"group";
constexpr wchar_t kCalloutRow[] = L"callout";
constexpr wchar_t kDrawingRow[] = L"drawing";
constexpr wchar_t kDeviceRow[] = L"device";

std::wstring number(int value) { return std::to_wstring(value); }

// The values the host answered: a count, then that many texts or integers, or one
// point whose coordinates count.
std::vector<int> answeredValues(ResbufChain answer, int status) {
  std::vector<int> values;
  ArgCursor args(answer.release());
  int count = 0;
  if (status != RTNORM || !argInt(args, count) || count <= 0) return values;
  const resbuf* first = args.cursor;
  if (first != nullptr && (first->restype == RTPOINT || first->restype == RT3DPOINT)) {
    const int coordinates = first->restype == RTPOINT ? 2 : 3;
    for (int i = 0; i < coordinates; ++i) values.push_back(static_cast<int>(std::trunc(first->resval.rpoint[i])));
    return values;
  }
  for (int i = 0; i < count && !args.atEnd(); ++i) {
    std::wstring text;
    int value = 0;
    if (argString(args, text))
      values.push_back(static_cast<int>(std::wcstol(text.c_str(), nullptr, 10)));
    else if (argInt(args, value))
      values.push_back(value);
    else
      argSkip(args);
  }
  return values;
}

// A row that stands for a placed pipe or valve.
bool placedObject(const ovGrid& grid, int row, int list) {
  return list > 0 && grid.text(row, CDialogProjectExplorerPlumb::kValue) != kNoneInDatabase;
}

}  // namespace

CDialogProjectExplorerPlumb::CDialogProjectExplorerPlumb(CWnd* parent, const ProjectDatabasePtr& connection,
                                                         int ixList, int devType, const std::wstring& text)
    : CAcUiDialog(IDD, parent),
      connection_(connection),
      type_(std::make_unique<tblPipeType>(connection, false)),
      floor_(std::make_unique<tblFloor>(connection)),
      pipe_(std::make_unique<tblPipe>(connection)),
      group_(std::make_unique<tblValveSGroup>(connection)),
      schedule_(std::make_unique<tblValveS>(connection)),
      valve_(std::make_unique<tblValveL>(connection)),
      startList_(ixList),
      startDevType_(devType),
      text_(text),
      chosenList_(ixList),
      chosenDevType_(devType) {
  addGrid(kGrid, L"tree", grid_);
  addDropDown(kSortOrder, L"Sort Order:", {kByCallout, kByDrawing});
  addButton(kFind, L"&Find <");
  addButton(kQuery, L"&Query. . .");
  addButton(IDOK, L"Exit");
  onSelectionChanged(kSortOrder, [this] {
    writeSortSetting();
    buildHeaders();
  });
  onClicked(kFind, [this] { onFind(); });
  onClicked(kQuery, [this] { onQuery(); });
  onClicked(IDOK, [this] { onExit(); });
  onGridNotice(kGrid, [this](GridNotice& notice) { return onNotice(notice); });
}

CDialogProjectExplorerPlumb::~CDialogProjectExplorerPlumb() = default;

BOOL CDialogProjectExplorerPlumb::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_elec:dwgSwitchCustomization");
  SetWindowText(L"Project Explorer");
  // The hidden columns are headed by the keys they hold.
  grid_.setHeadings({L"Object", L"Drawing", L"devType", L"level", L"rowType", L"ixGroup", L"ixSch", L"ixList", L"floor",
                     L"bExpanded", L"bIsCallout"},
                    {kDevType, kLevel, kRowType, kGroup, kSchedule, kList, kFloor, kExpanded, kIsCallout});
  const std::wstring setting = ovRegistryRead(kSortSubkey, kSortValue);
  GetDlgItem(kSortOrder)->SetCurSel(setting == L"0" ? 1 : 0);
  buildHeaders();
  if (startList_ > 0) openAt(startList_, startDevType_);
  return TRUE;
}

// ---- the tree ----

void CDialogProjectExplorerPlumb::buildHeaders() {
  grid_.deleteNonHeadingRows();
  insertRow(-1, L"Pipes", RowValues{kPipes, 0, kHeader}, true);
  insertRow(-1, L"Pipe Symbols", RowValues{kPipeSymbols, 0, kHeader}, true);
}

int CDialogProjectExplorerPlumb::insertRow(int at, const std::wstring& text, const RowValues& values, bool opens) {
  const int row = grid_.insertRow(at);
  grid_.setText(row, kValue, text);
  grid_.setText(row, kDevType, number(values.devType));
  grid_.setText(row, kLevel, number(values.level));
  grid_.setText(row, kRowType, values.rowType);
  grid_.setText(row, kGroup, number(values.group));
  grid_.setText(row, kSchedule, number(values.schedule));
  grid_.setText(row, kList, number(values.list));
  grid_.setText(row, kFloor, number(values.floor));
  grid_.setText(row, kExpanded, L"");
  grid_.setText(row, kIsCallout, values.callout ? L"true" : L"false");
  grid_.setRowReadOnly(row, true);
  grid_.setTreeRow(row, values.level, opens);
  return row;
}

CDialogProjectExplorerPlumb::RowValues CDialogProjectExplorerPlumb::valuesOf(int row) const {
  RowValues values;
  values.devType = static_cast<int>(grid_.number(row, kDevType));
  values.level = static_cast<int>(grid_.number(row, kLevel));
  values.rowType = grid_.text(row, kRowType);
  values.group = static_cast<int>(grid_.number(row, kGroup));
  values.schedule = static_cast<int>(grid_.number(row, kSchedule));
  values.list = static_cast<int>(grid_.number(row, kList));
  values.floor = static_cast<int>(grid_.number(row, kFloor));
  values.callout = grid_.text(row, kIsCallout) == L"true";
  return values;
}

bool CDialogProjectExplorerPlumb::toggle(int row) {
  const bool opening = grid_.text(row, kExpanded) != L"T";
  removeChildren(row);
  grid_.setText(row, kExpanded, opening ? L"T" : L"");
  if (opening) insertChildren(row);
  grid_.setRowOpen(row, opening);
  return opening;
}

void CDialogProjectExplorerPlumb::removeChildren(int row) {
  const int level = static_cast<int>(grid_.number(row, kLevel));
  while (row + 1 < grid_.rowCount() && grid_.number(row + 1, kLevel) > level) grid_.deleteRow(row + 1);
}

// The rows one level below an opened row, from the query of its kind.
void CDialogProjectExplorerPlumb::insertChildren(int row) {
  const RowValues parent = valuesOf(row);
  RowValues child = parent;
  child.level = parent.level + 1;
  const std::wstring group = number(parent.group);
  const std::wstring floor = number(parent.floor);
  const std::wstring schedule = number(parent.schedule);
  const bool byCallout = calloutFirst();

  if (parent.rowType == kHeader) {
    const bool pipes = parent.devType == kPipes;
    const bool any = pipes ? !hostQuery(L"Select * from tblPipe where bDeleted = 0", L"", L"ixPipe").empty()
                           : !hostQuery(L"Select * from tblValveL where bDeleted = 0", L"", L"ixValveL").empty();
    if (!any) {
      addLeaf(row + 1, child, kNoneInDatabase);
      return;
    }
    child.rowType = kGroupRow;
    addChildren(row, pipes ? hostQuery(L"Select * from tblPipeType", L"iSortOrder", L"ixPipeType")
                           : hostQuery(L"Select * from tblValveSGroup", L"sName", L"ixValveSGroup"),
                child, true);
    return;
  }

  if (parent.devType == kPipes) {
    if (parent.rowType == kGroupRow) {
      child.rowType = kDrawingRow;
      const std::wstring sql =
          L"Select tblAlignmentPointArea.ixFloor, tblFloor.sName from tblAlignmentPointArea, tblPipe, tblFloor" +
          std::wstring(L" where tblAlignmentPointArea.iAlignmentPointNumber = tblPipe.iAlignmentPointNumber and ") +
          L" tblAlignmentPointArea.sDrawing = tblPipe.sDrawing and tblPipe.ixPipeType = " + group +
          L" and tblAlignmentPointArea.ixFloor = tblFloor.ixFloor " + L" and tblPipe.bDeleted = 0";
      if (addChildren(row, hostQuery(sql, L"sName", L"ixFloor"), child, true) == 0) addLeaf(row + 1, child, kNoneOnDrawing);
      return;
    }
    child.rowType = kDeviceRow;
    const std::wstring sql = L"Select tblPipe.ixPipe, tblPipe.ixPipeType from tblPipe, tblAlignmentPointArea" +
                             std::wstring(L" where tblAlignmentPointArea.iAlignmentPointNumber = tblPipe.iAlignmentPointNumber") +
                             L" and tblAlignmentPointArea.sDrawing = tblPipe.sDrawing" + L" and tblPipe.ixPipeType = " +
                             group + L" and tblAlignmentPointArea.ixFloor = " + floor + L" and tblPipe.bDeleted = 0";
    addChildren(row, hostQuery(sql, L"", L"ixPipe"), child, false);
    return;
  }

  // Pipe symbols: group, then callout and floor in the order chosen, then valves.
  const bool calloutsNext = parent.rowType == kGroupRow ? byCallout : parent.rowType == kDrawingRow && parent.level == 2;
  const bool valvesNext = parent.level == 3;
  if (valvesNext) {
    child.rowType = kDeviceRow;
    child.callout = false;
    const std::wstring sql = L"Select tblValveL.ixValveL, tblValveL.sDrawing from tblValveL, tblAlignmentPointArea" +
                             std::wstring(L" where tblValveL.ixValveS = ") + schedule +
                             L" and tblAlignmentPointArea.iAlignmentPointNumber = tblValveL.iAlignmentPointNumber" +
                             L" and tblAlignmentPointArea.sDrawing = tblValveL.sDrawing" +
                             L" and tblAlignmentPointArea.ixFloor = " + floor + L" and tblValveL.bDeleted = 0";
    addChildren(row, hostQuery(sql, L"", L"ixValveL"), child, false);
    return;
  }
  if (calloutsNext) {
    child.rowType = kCalloutRow;
    child.callout = true;
    if (parent.rowType == kGroupRow) {
      addChildren(row, hostQuery(L"Select * from tblValveS " + std::wstring(L" where ixValveSGroup = ") + group, L"",
                                 L"ixValveS"),
                  child, true);
    } else {
      const std::wstring sql =
          L"Select tblValveL.ixValveS, tblValveS.sName from tblValveL, tblValveS, tblAlignmentPointArea " +
          std::wstring(L" where tblValveL.ixValveS = tblValveS.ixValveS and tblValveS.ixValveSGroup = ") + group +
          L" and tblAlignmentPointArea.iAlignmentPointNumber = tblValveL.iAlignmentPointNumber" +
          L" and tblAlignmentPointArea.sDrawing = tblValveL.sDrawing" + L" and tblAlignmentPointArea.ixFloor = " +
          floor + L" and tblValveL.bDeleted = 0";
      addChildren(row, hostQuery(sql, L"sName", L"ixValveS"), child, true);
    }
    return;
  }
  // Floors: under a group (drawing first) or under a callout (callout first).
  child.rowType = kDrawingRow;
  child.callout = false;
  std::wstring sql;
  if (parent.rowType == kGroupRow) {
    sql = L"Select tblAlignmentPointArea.ixFloor, tblFloor.sName from tblAlignmentPointArea, tblValveL, tblValveS, "
          L"tblFloor" +
          std::wstring(L" where tblAlignmentPointArea.iAlignmentPointNumber = tblValveL.iAlignmentPointNumber and ") +
          L" tblAlignmentPointArea.sDrawing = tblValveL.sDrawing" +
          L" and tblValveL.ixValveS = tblValveS.ixValveS and tblValveS.ixValveSGroup = " + group +
          L" and tblFloor.ixFloor = tblAlignmentPointArea.ixFloor" + L" and tblValveL.bDeleted = 0";
  } else {
    sql = L"Select tblAlignmentPointArea.ixFloor, tblFloor.sName from tblAlignmentPointArea, tblValveL, tblFloor" +
          std::wstring(L" where tblAlignmentPointArea.iAlignmentPointNumber = tblValveL.iAlignmentPointNumber and ") +
          L" tblAlignmentPointArea.sDrawing = tblValveL.sDrawing" + L" and tblValveL.ixValveS = " + schedule +
          L" and tblFloor.ixFloor = tblAlignmentPointArea.ixFloor" + L" and tblValveL.bDeleted = 0";
  }
  if (addChildren(row, hostQuery(sql, L"sName", L"ixFloor"), child, true) == 0 && parent.rowType == kCalloutRow)
    addLeaf(row + 1, child, kNoneOnDrawing);
}

// One child row per key under row, in the answered order; answers how many.
int CDialogProjectExplorerPlumb::addChildren(int row, const std::vector<int>& keys, RowValues child, bool opens) {
  int at = row + 1;
  for (int key : keys) {
    if (child.rowType == kGroupRow) child.group = key;
    if (child.rowType == kDrawingRow) child.floor = key;
    if (child.rowType == kCalloutRow) child.schedule = key;
    if (child.rowType == kDeviceRow) child.list = key;
    const int added = insertRow(at++, nameOf(child), child, opens);
    if (child.rowType == kDeviceRow) {
      const bool pipe = child.devType == kPipes;
      const bool found = pipe ? pipe_->Find(key) : valve_->Find(key);
      if (found) grid_.setText(added, kDrawing, pipe ? pipe_->sDrawing() : valve_->sDrawing());
    }
  }
  return static_cast<int>(keys.size());
}

int CDialogProjectExplorerPlumb::addLeaf(int at, const RowValues& parent, const std::wstring& text) {
  RowValues leaf = parent;
  leaf.rowType = kDeviceRow;
  leaf.list = 0;
  leaf.callout = false;
  return insertRow(at, text, leaf, false);
}

std::wstring CDialogProjectExplorerPlumb::nameOf(const RowValues& row) {
  if (row.rowType == kDeviceRow) return number(row.list);
  if (row.rowType == kDrawingRow) return floor_->Find(row.floor) ? floor_->sName() : number(row.floor);
  if (row.rowType == kCalloutRow) return schedule_->Find(row.schedule) ? schedule_->sName() : number(row.schedule);
  if (row.devType == kPipes) return type_->Find(row.group) ? type_->sName() : number(row.group);
  return group_->Find(row.group) ? group_->sName() : number(row.group);
}

// Opens the rows above a placed object, level by level, and selects it: the rows on
// its way stay open, the others that had to be looked into close again.
void CDialogProjectExplorerPlumb::openAt(int list, int devType) {
  const bool pipe = devType == kPipes;
  int group = 0;
  int schedule = 0;
  if (pipe) {
    if (!pipe_->Find(list)) return;
    group = pipe_->ixPipeType();
  } else {
    if (!valve_->Find(list)) return;
    schedule = valve_->ixValveS();
    if (!schedule_->Find(schedule)) return;
    group = schedule_->ixValveSGroup();
  }
  const int header = findChild(0, kDevType, devType);
  if (header < 0) return;
  if (grid_.text(header, kExpanded) != L"T") toggle(header);
  int row = findChild(header, kGroup, group);
  if (row < 0) return;
  toggle(row);
  // Below the group: the level(s) that lead to floors, each searched for the object.
  std::vector<int> candidates;
  if (!pipe && calloutFirst()) {
    row = findChild(row, kSchedule, schedule);
    if (row < 0) return;
    toggle(row);
  }
  const int parentLevel = static_cast<int>(grid_.number(row, kLevel));
  for (int child = row + 1; child < grid_.rowCount() && grid_.number(child, kLevel) > parentLevel; ++child)
    if (grid_.number(child, kLevel) == parentLevel + 1 && grid_.text(child, kRowType) == kDrawingRow)
      candidates.push_back(static_cast<int>(grid_.number(child, kFloor)));
  for (int floor : candidates) {
    int floorRow = findChild(row, kFloor, floor);
    toggle(floorRow);
    int holder = floorRow;
    if (!pipe && !calloutFirst()) {
      holder = findChild(floorRow, kSchedule, schedule);
      if (holder >= 0) toggle(holder);
    }
    const int found = holder >= 0 ? findChild(holder, kList, list) : -1;
    if (found >= 0) {
      grid_.setSelectedCell(found, kValue);
      return;
    }
    toggle(floorRow);
  }
}

// The first row directly under row whose column holds value; -1 when none.
int CDialogProjectExplorerPlumb::findChild(int row, int column, int value) {
  const int level = row == 0 ? -1 : static_cast<int>(grid_.number(row, kLevel));
  for (int child = row + 1; child < grid_.rowCount(); ++child) {
    const int childLevel = static_cast<int>(grid_.number(child, kLevel));
    if (row != 0 && childLevel <= level) break;
    if (childLevel == level + 1 && grid_.number(child, column) == value) return child;
  }
  return -1;
}

bool CDialogProjectExplorerPlumb::calloutFirst() const { return GetDlgItem(kSortOrder)->GetCurSel() != 1; }

void CDialogProjectExplorerPlumb::writeSortSetting() const {
  ovRegistryWrite(kSortSubkey, kSortValue, calloutFirst() ? L"1" : L"0");
}

std::vector<int> CDialogProjectExplorerPlumb::hostQuery(const std::wstring& sql, const std::wstring& sortColumn,
                                                         const std::wstring& valueColumn) {
  int status = RTERROR;
  ResbufChain answer = ovInvokeHost(acutBuildList(RTSTR, L"plumb-projectExplorer_sqlQuery", RTSTR, sql.c_str(), RTSTR,
                                                  sortColumn.c_str(), RTSTR, valueColumn.c_str(), 0),
                                    &status);
  return answeredValues(std::move(answer), status);
}

// ---- the buttons ----

bool CDialogProjectExplorerPlumb::onNotice(GridNotice& notice) {
  if (notice.kind != GridNoticeKind::TreeOpened && notice.kind != GridNoticeKind::TreeClosed) return true;
  // The grid's own open mark follows what toggle leaves.
  return toggle(notice.row) == (notice.kind == GridNoticeKind::TreeOpened);
}

void CDialogProjectExplorerPlumb::remember() {
  const int row = grid_.selectedRow();
  if (row < grid_.headingRowCount()) return;
  chosenList_ = static_cast<int>(grid_.number(row, kList));
  chosenDevType_ = static_cast<int>(grid_.number(row, kDevType));
  chosenSchedule_ = static_cast<int>(grid_.number(row, kSchedule));
}

void CDialogProjectExplorerPlumb::onFind() {
  remember();
  const int row = grid_.selectedRow();
  if (row < grid_.headingRowCount() || !placedObject(grid_, row, chosenList_)) return;
  writeSortSetting();
  EndDialog(kFindObject);
}

void CDialogProjectExplorerPlumb::onQuery() {
  remember();
  const int row = grid_.selectedRow();
  if (row < grid_.headingRowCount()) return;
  if (placedObject(grid_, row, chosenList_))
    EndDialog(kQueryObject);
  else if (grid_.text(row, kIsCallout) == L"true")
    EndDialog(kQuerySchedule);
}

void CDialogProjectExplorerPlumb::onExit() {
  remember();
  writeSortSetting();
  EndDialog(IDOK);
}
