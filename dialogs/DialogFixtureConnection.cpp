// The fixture-connection dialog: the lists and their queries, the settings the host
// kept (or the defaults), the flows per category, and OK handing everything back to
// the host in three calls.
#include "dialogs/DialogFixtureConnection.h"

#include "arx/aced_lisp.h"
#include "dialogs/number_text.h"
#include "dialogs/project_sql.h"
#include "frame/host_services.h"
#include "frame/lisp_args.h"

namespace {

const std::vector<std::wstring> kFloorChoices = {L"Insert fixture on this floor only", L"Extend fixture to floor below",
                                                 L"Extend fixture to floor above"};
constexpr int kBoxOn = -1;  // how the host keeps a ticked box

std::wstring number(int value) { return std::to_wstring(value); }

double hostReal(const resbuf* rb) {
  if (rb == nullptr) return 0.0;
  switch (rb->restype) {
    case RTREAL: return rb->resval.rreal;
    case RTSHORT: return rb->resval.rint;
    case RTLONG: return rb->resval.rlong;
    default: return 0.0;
  }
}

}  // namespace

DialogFixtureConnection::DialogFixtureConnection(CWnd* parent, const ProjectDatabasePtr& connection)
    : CAcUiDialog(IDD, parent), connection_(connection) {
  addDropDown(kPipeType, L"Pipe Type:");
  addGrid(kGrid, L"flows", grid_);
  addCheckBox(kPTrap, L"Include P-Trap");
  addCheckBox(kTransparent, L"Transparent");
  addField(kElevation, L"Elevation:");
  addDropDown(kPipeSize, L"Pipe Size:");
  addDropDown(kSizingTable, L"Sizing Table:");
  addDropDown(kLayerSystem, L"Layer System:");
  addDropDown(kFloor, L"Floor:", kFloorChoices);
  addButton(IDOK, L"&OK");
  addButton(IDCANCEL, L"&Cancel");
  onSelectionChanged(kPipeType, [this] { onPipeTypeChosen(); });
  onGridNotice(kGrid, [this](GridNotice& notice) {
    return notice.kind != GridNoticeKind::StartEdit || notice.column == kColumnFlow;
  });
}

BOOL DialogFixtureConnection::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:FixtureConnection");
  SetWindowText(L"Insert Fixture Connection");
  grid_.setHeadings({L"", L"", L"Pipe Flow Category Name", L"Flow"}, {kColumnSum, kColumnCategory});
  layerSystems_ = queryKeyedEntries(connection_, L"select ixLayerSystem, sDescription from tblLayerSystem order by iSortOrder");
  pipeTypes_ = queryKeyedEntries(connection_, L"select ixPipeType, sName from tblPipeType order by iSortOrder");
  loadStoredSettings();
  fillGrid(shownType_, true);
  return TRUE;
}

// The settings the host kept, in the order it keeps them; the defaults without any.
void DialogFixtureConnection::loadStoredSettings() {
  int status = RTERROR;
  ResbufChain answer = ovInvokeHost(acutBuildList(RTSTR, L"pipe-insertFixtureConnection-getGlobal", 0), &status);
  ArgCursor stored(answer.release());
  argListBegin(stored);
  int ptrap = 0, transparent = 0, pipeType = 0, layerSystem = 0, size = 0, sizingTable = 0, floor = 0;
  double elevation = 0.0;
  const bool kept = status == RTNORM && argInt(stored, ptrap) && argInt(stored, transparent) &&
                    argInt(stored, pipeType) && argInt(stored, layerSystem) && argInt(stored, size) &&
                    argInt(stored, sizingTable);
  if (kept) {
    if (!argReal(stored, elevation)) elevation = 0.0;
    if (!argInt(stored, floor)) floor = 0;
  } else {
    pipeType = pipeTypes_.empty() ? 0 : pipeTypes_.front().key;
    layerSystem = layerSystems_.empty() ? 0 : layerSystems_.front().key;
  }
  CheckDlgButton(kPTrap, kept && ptrap == kBoxOn ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(kTransparent, kept && transparent == kBoxOn ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemText(kElevation, formatFeetInches(elevation).c_str());
  fillKeyedList(GetDlgItem(kPipeType), pipeTypes_, pipeType);
  fillKeyedList(GetDlgItem(kLayerSystem), layerSystems_, layerSystem);
  shownType_ = chosenKeyOf(GetDlgItem(kPipeType), pipeTypes_);
  loadTypeLists(shownType_, size, sizingTable);
  GetDlgItem(kFloor)->SetCurSel(floor >= 0 && floor < static_cast<int>(kFloorChoices.size()) ? floor : 0);
}

void DialogFixtureConnection::loadTypeLists(int pipeType, int size, int sizingTable) {
  sizes_ = {{0, L"Sized Automatically"}};
  for (const KeyedEntry& choice : queryKeyedEntries(connection_, L"SELECT ixPipeSize, sLabel" + std::wstring(L" FROM tblPipeSize") +
                                           L" WHERE ixPipeType = " + number(pipeType) + L" ORDER BY dInteriorDiameter"))
    sizes_.push_back(choice);
  sizingTables_ = {{0, L"Same as Previous"}};
  for (const KeyedEntry& choice :
       queryKeyedEntries(connection_, L"SELECT ixPipeSizingTable, sName" + std::wstring(L" FROM tblPipeSizingTable") +
                    L" WHERE ixPipeType = " + number(pipeType) + L" and bActive = -1"))
    sizingTables_.push_back(choice);
  fillKeyedList(GetDlgItem(kPipeSize), sizes_, size);
  fillKeyedList(GetDlgItem(kSizingTable), sizingTables_, sizingTable);
}

// One row per category of the type, with the flow the host kept for it or 0.
void DialogFixtureConnection::fillGrid(int pipeType, bool storedFlows) {
  grid_.deleteNonHeadingRows();
  for (const KeyedEntry& category : queryKeyedEntries(connection_, L"select ixPipeSumCategory, sName from tblPipeSumCategory where ixPipeType = " +
                                             number(pipeType) + L" order by iOrder")) {
    const int row = grid_.insertRow();
    grid_.setText(row, kColumnCategory, number(category.key));
    grid_.setText(row, kColumnName, category.text);
    grid_.setReadOnly(row, kColumnName, true);
    double flow = 0.0;
    if (storedFlows) {
      int status = RTERROR;
      ResbufChain answer = ovInvokeHost(
          acutBuildList(RTSTR, L"pipe-insertFixtureConnection-getdValue", RTLONG, category.key, 0), &status);
      if (status == RTNORM) flow = hostReal(answer.get());
    }
    grid_.setText(row, kColumnFlow, formatNumber(flow, 2, true));
  }
}

// Another type's categories start at zero flows; its sizes and sizing tables are
// offered too, since the old type's would not fit it.
void DialogFixtureConnection::onPipeTypeChosen() {
  const int chosen = chosenKeyOf(GetDlgItem(kPipeType), pipeTypes_);
  if (chosen == shownType_) return;
  shownType_ = chosen;
  fillGrid(chosen, false);
  loadTypeLists(chosen, 0, 0);
  if (grid_.rowCount() > grid_.headingRowCount()) grid_.setSelectedCell(grid_.headingRowCount(), kColumnFlow);
}

void DialogFixtureConnection::OnOK() {
  ovInvokeHost(acutBuildList(RTSTR, L"pipe-insertFixtureConnection-resetGlobal", 0));
  sendSettings();
  sendFlows();
  EndDialog(kInserted);
}

void DialogFixtureConnection::sendSettings() {
  std::wstring elevation;
  GetDlgItemText(kElevation, elevation);
  const int floor = GetDlgItem(kFloor)->GetCurSel();
  ovInvokeHost(acutBuildList(RTSTR, L"pipe-insertFixtureConnection-putGlobal", RTLONG,
                             chosenKeyOf(GetDlgItem(kPipeType), pipeTypes_), RTLONG,
                             chosenKeyOf(GetDlgItem(kLayerSystem), layerSystems_), RTLONG,
                             chosenKeyOf(GetDlgItem(kPipeSize), sizes_), RTLONG,
                             chosenKeyOf(GetDlgItem(kSizingTable), sizingTables_), RTREAL, parseFeetInches(elevation),
                             RTLONG, IsDlgButtonChecked(kPTrap) == BST_CHECKED ? 1 : 0, RTLONG,
                             IsDlgButtonChecked(kTransparent) == BST_CHECKED ? 1 : 0, RTLONG, floor < 0 ? 0 : floor, 0));
}

void DialogFixtureConnection::sendFlows() {
  resbuf* request = acutBuildList(RTSTR, L"pipe-insertFixtureConnection-setGlobal-addPSC", 0);
  resbuf* last = ovAppendChain(request, acutBuildList(RTLB, 0));
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row)
    last = ovAppendChain(last, acutBuildList(RTLB, RTLONG, static_cast<int>(grid_.number(row, kColumnCategory)),
                                             RTDOTE, RTREAL, grid_.number(row, kColumnFlow), RTLE, 0));
  ovAppendChain(last, acutBuildList(RTLE, 0));
  ovInvokeHost(request);
}
