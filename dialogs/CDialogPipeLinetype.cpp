// The linetype editor: the tree of pipe types, layer systems and linetypes, the rows
// each kind lets the user edit, Insert and Delete Linetype, and OK storing linetypes,
// linetype texts and removals.
#include "dialogs/CDialogPipeLinetype.h"

#include <string>

#include "com/variant.h"
#include "db/tblPipeLinetype.h"
#include "db/tblPipeLinetypeText.h"
#include "dialogs/customisation_rows.h"
#include "dialogs/dialog_chain.h"
#include "dialogs/number_text.h"
#include "dialogs/project_sql.h"

namespace {

constexpr wchar_t kTitle[] = L"Orvane Plumbing";
constexpr wchar_t kPipeTypeKey[] = L"0";
constexpr wchar_t kHiddenKey[] = L"-1";
constexpr wchar_t kLayerSystemKey[] = L"-2";
constexpr wchar_t kHiddenByDuctwork[] = L"CONTINUOUS (Hidden by ductwork)";
constexpr wchar_t kOff[] = L"0";

std::wstring number(int value) { return std::to_wstring(value); }

std::wstring lengthText(double length) { return formatNumber(length, 8, true); }

}  // namespace

CDialogPipeLinetype::CDialogPipeLinetype(CWnd* parent, const ProjectDatabasePtr& connection, int pipeType)
    : CAcUiDialog(IDD, parent),
      connection_(connection),
      linetype_(std::make_unique<tblPipeLinetype>(connection, false)),
      text_(std::make_unique<tblPipeLinetypeText>(connection)),
      pipeType_(pipeType) {
  addButton(kEditPipeTypes, L"Edit Pipe Types...");
  addButton(kInsert, L"&Insert Linetype");
  addButton(kDelete, L"&Delete Linetype");
  addGrid(kGrid, L"linetypes", grid_);
  addButton(IDOK, L"&OK");
  addButton(IDCANCEL, L"&Cancel");
  onClicked(kEditPipeTypes, [this] { closeFor(neighbourEndCode(NeighbourDialog::PipeTypes)); });
  onClicked(kInsert, [this] { onInsert(); });
  onClicked(kDelete, [this] { onDelete(); });
  onGridNotice(kGrid, [this](GridNotice& notice) { return onNotice(notice); });
}

CDialogPipeLinetype::~CDialogPipeLinetype() = default;

BOOL CDialogPipeLinetype::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:pipeLinetype");
  SetWindowText(L"Pipe Linetypes");
  grid_.setHeadings({L"", L"", L"", L"Linetype", L"Minimum Length", L"Rotate to 0", L"Text"},
                    {kColumnKey, kColumnPipeType, kColumnLayerSystem});
  loadRows();
  for (int row = grid_.headingRowCount(); row + 1 < grid_.rowCount(); ++row) {
    if (kindOf(row) != RowKind::PipeType || (pipeType_ > 0 && grid_.number(row, kColumnPipeType) != pipeType_))
      continue;
    grid_.setSelectedCell(row + 1, kColumnLinetype);
    break;
  }
  return TRUE;
}

void CDialogPipeLinetype::loadRows() {
  const std::vector<NamedKey> systems = layerSystemsInOrder(connection_);
  for (const NamedKey& type : pipeTypesInOrder(connection_)) {
    grid_.setText(addRow(RowKind::PipeType, type.key, 0), kColumnLinetype, type.name);
    if (type.hidePipe) {
      addRow(RowKind::Hidden, type.key, 0);
      continue;
    }
    for (const NamedKey& system : systems) {
      const int row = addRow(RowKind::LayerSystem, type.key, system.key);
      grid_.setText(row, kColumnLinetype, system.name);
      if (text_->FindBy(_variant_t(type.key), _variant_t(system.key))) {
        grid_.setText(row, kColumnRotate, text_->bLinetypeTextRotateTo0() ? L"-1" : kOff);
        grid_.setText(row, kColumnText, text_->sLinetypeText());
      }
      const std::wstring sql = L"select ixPipeLinetype, sLinetype, dMinimumLength" + std::wstring(L" from tblPipeLinetype") +
                               L" where ixPipeType = " + number(type.key) + L" and ixLayerSystem = " +
                               number(system.key) + L" order by dMinimumLength";
      for (const QueryRow& linetype : queryRows(connection_, sql)) {
        const int line = addLinetypeRow(-1, type.key, system.key, linetype.text(1), linetype.real(2));
        grid_.setText(line, kColumnKey, number(linetype.integer(0)));
      }
    }
  }
}

// A pipe-type, layer-system or hidden-by-ductwork row, with its keys, tree level and
// the cells its kind shows.
int CDialogPipeLinetype::addRow(RowKind kind, int pipeType, int layerSystem) {
  const int row = grid_.insertRow();
  grid_.setText(row, kColumnPipeType, number(pipeType));
  grid_.setText(row, kColumnLayerSystem, number(layerSystem));
  switch (kind) {
    case RowKind::PipeType:
      grid_.setText(row, kColumnKey, kPipeTypeKey);
      grid_.setTreeRow(row, 0, true);
      grid_.setRowReadOnly(row, true);
      break;
    case RowKind::Hidden:
      grid_.setText(row, kColumnKey, kHiddenKey);
      grid_.setTreeRow(row, 1, false);
      grid_.setText(row, kColumnLinetype, kHiddenByDuctwork);
      grid_.mergeCells(row, kColumnLinetype, 1, 2);
      grid_.setRowReadOnly(row, true);
      break;
    case RowKind::LayerSystem:
      grid_.setText(row, kColumnKey, kLayerSystemKey);
      grid_.setTreeRow(row, 1, true);
      grid_.setReadOnly(row, kColumnLinetype, true);
      grid_.setReadOnly(row, kColumnMinimumLength, true);
      grid_.setCellKind(row, kColumnRotate, GridCellKind::CheckBox);
      grid_.setText(row, kColumnRotate, kOff);
      break;
    case RowKind::Linetype: break;
  }
  grid_.setRowOpen(row, true);
  return row;
}

int CDialogPipeLinetype::addLinetypeRow(int at, int pipeType, int layerSystem, const std::wstring& linetype,
                                        double length) {
  const int row = grid_.insertRow(at);
  grid_.setText(row, kColumnPipeType, number(pipeType));
  grid_.setText(row, kColumnLayerSystem, number(layerSystem));
  grid_.setTreeRow(row, 2, false);
  grid_.setText(row, kColumnLinetype, linetype);
  grid_.setText(row, kColumnMinimumLength, lengthText(length));
  grid_.mergeCells(row, kColumnMinimumLength, 1, grid_.columnCount() - kColumnMinimumLength);
  return row;
}

bool CDialogPipeLinetype::onNotice(GridNotice& notice) {
  if (notice.kind != GridNoticeKind::StartEdit) return true;
  switch (kindOf(notice.row)) {
    case RowKind::LayerSystem: return notice.column == kColumnText;
    case RowKind::Linetype: return notice.column == kColumnLinetype || notice.column == kColumnMinimumLength;
    default: return false;
  }
}

void CDialogPipeLinetype::onInsert() {
  const int current = grid_.selectedRow();
  const int group = groupOf(current);
  if (group < 0) return;
  int last = group;
  while (isRow(last + 1) && kindOf(last + 1) == RowKind::Linetype) ++last;
  const bool belowHeading = last == group;
  const int row = addLinetypeRow(last + 1, static_cast<int>(grid_.number(group, kColumnPipeType)),
                                 static_cast<int>(grid_.number(group, kColumnLayerSystem)),
                                 belowHeading ? std::wstring() : grid_.text(last, kColumnLinetype),
                                 belowHeading ? 0.0 : grid_.number(last, kColumnMinimumLength));
  grid_.setSelectedCell(row, kColumnLinetype);
  grid_.startEdit(row, kColumnLinetype);
}

void CDialogPipeLinetype::onDelete() {
  const int row = grid_.selectedRow();
  if (!isRow(row) || kindOf(row) != RowKind::Linetype) return;
  const bool alone = kindOf(row - 1) != RowKind::Linetype && (!isRow(row + 1) || kindOf(row + 1) != RowKind::Linetype);
  if (alone) {
    MessageBox(L"You cannot delete the last linetype.", kTitle, MB_OK | MB_ICONINFORMATION);
    return;
  }
  const int key = static_cast<int>(grid_.number(row, kColumnKey));
  if (key >= 1) removed_.push_back(key);
  grid_.deleteRow(row);
  grid_.setSelectedCell(isRow(row) && kindOf(row) == RowKind::Linetype ? row : row - 1, kColumnLinetype);
}

void CDialogPipeLinetype::OnOK() { closeFor(IDOK); }

void CDialogPipeLinetype::closeFor(int endCode) {
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row) {
    const int type = static_cast<int>(grid_.number(row, kColumnPipeType));
    const int system = static_cast<int>(grid_.number(row, kColumnLayerSystem));
    if (kindOf(row) == RowKind::Linetype) {
      const int key = static_cast<int>(grid_.number(row, kColumnKey));
      if (key >= 1 && linetype_->Find(key))
        linetype_->Edit();
      else
        linetype_->AddNew();
      const std::wstring name = grid_.text(row, kColumnLinetype);
      linetype_->set_ixPipeType(type);
      linetype_->set_ixLayerSystem(system);
      // The project files hold an empty linetype as one blank.
      linetype_->set_sLinetype(name.empty() ? L" " : name);
      linetype_->set_dMinimumLength(grid_.number(row, kColumnMinimumLength));
      linetype_->Update();
    } else if (kindOf(row) == RowKind::LayerSystem) {
      if (text_->FindBy(_variant_t(type), _variant_t(system))) {
        text_->Edit();
      } else {
        text_->AddNew();
        text_->set_ixPipeType(type);
        text_->set_ixLayerSystem(system);
      }
      text_->set_sLinetypeText(grid_.text(row, kColumnText));
      text_->set_bLinetypeTextRotateTo0(grid_.text(row, kColumnRotate) != kOff);
      text_->Update();
    }
  }
  for (int key : removed_)
    if (linetype_->Find(key)) linetype_->Delete();
  removed_.clear();
  const int selected = grid_.selectedRow();
  if (isRow(selected)) pipeType_ = static_cast<int>(grid_.number(selected, kColumnPipeType));
  EndDialog(endCode);
}

CDialogPipeLinetype::RowKind CDialogPipeLinetype::kindOf(int row) const {
  if (!isRow(row)) return RowKind::PipeType;  // the edges of the grid bound a group like a type row
  const std::wstring key = grid_.text(row, kColumnKey);
  if (key == kPipeTypeKey) return RowKind::PipeType;
  if (key == kLayerSystemKey) return RowKind::LayerSystem;
  if (key == kHiddenKey) return RowKind::Hidden;
  return RowKind::Linetype;
}

int CDialogPipeLinetype::groupOf(int row) const {
  if (!isRow(row)) return -1;
  const RowKind kind = kindOf(row);
  if (kind == RowKind::PipeType || kind == RowKind::Hidden) return -1;
  while (kindOf(row) == RowKind::Linetype) --row;
  return row;
}
