// The label-format editor: a pipe-type row before the rows of each type's layer
// systems that have a label, the isometric "same as plan view" entry, and OK storing
// both formats of every label.
#include "dialogs/CDialogPipeLabel.h"

#include "com/variant.h"
#include "db/tblPipeLabel.h"
#include "dialogs/customisation_rows.h"
#include "dialogs/dialog_chain.h"

namespace {

constexpr wchar_t kSameAsPlanView[] = L"<Same as Plan-View Label Format>";
constexpr wchar_t kHeadingKey[] = L"-1";

}  // namespace

CDialogPipeLabel::CDialogPipeLabel(CWnd* parent, const ProjectDatabasePtr& connection, int pipeType)
    : CAcUiDialog(IDD, parent),
      connection_(connection),
      label_(std::make_unique<tblPipeLabel>(connection, false)),
      pipeType_(pipeType) {
  addButton(kEditPipeTypes, L"Edit Pipe Types...");
  addLabel(kVariables,
           L"Pipe Label Variables:\n  $SIZE\n  $FLOW\n  $TOTALFLOW\n  $SECTIONLENGTH\n  $TOTALLENGTH\n  $MAXZ");
  addGrid(kGrid, L"labels", grid_);
  addButton(IDOK, L"&OK");
  addButton(IDCANCEL, L"&Cancel");
  onClicked(kEditPipeTypes, [this] { closeFor(neighbourEndCode(NeighbourDialog::PipeTypes)); });
  onGridNotice(kGrid, [this](GridNotice& notice) {
    return notice.kind != GridNoticeKind::StartEdit ||
           (isLabelRow(notice.row) && (notice.column == kColumnPlanView || notice.column == kColumnIsometric));
  });
}

CDialogPipeLabel::~CDialogPipeLabel() = default;

BOOL CDialogPipeLabel::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:PipeLabel");
  SetWindowText(L"Pipe Labels");
  grid_.setHeadings({L"", L"", L"", L"Layer System", L"Plan-View Label Format", L"Isometric Label Format"},
                    {kColumnKey, kColumnPipeType, kColumnLayerSystem});
  loadRows();
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row) {
    if (!isLabelRow(row) || (pipeType_ > 0 && grid_.number(row, kColumnPipeType) != pipeType_)) continue;
    grid_.setSelectedCell(row, kColumnPlanView);
    break;
  }
  return TRUE;
}

void CDialogPipeLabel::loadRows() {
  const std::vector<NamedKey> systems = layerSystemsInOrder(connection_);
  for (const NamedKey& type : pipeTypesInOrder(connection_)) {
    const int heading = grid_.insertRow();
    grid_.setText(heading, kColumnKey, kHeadingKey);
    grid_.setText(heading, kColumnPipeType, std::to_wstring(type.key));
    grid_.setText(heading, kColumnLayerSystem, kHeadingKey);
    grid_.setText(heading, kColumnLayerSystemName, type.name);
    grid_.mergeCells(heading, kColumnLayerSystemName, 1, 2);
    grid_.setRowReadOnly(heading, true);
    for (const NamedKey& system : systems) {
      if (!label_->FindBy(_variant_t(type.key), _variant_t(system.key))) continue;
      const int row = grid_.insertRow();
      grid_.setText(row, kColumnKey, std::to_wstring(label_->ixPipeLabel()));
      grid_.setText(row, kColumnPipeType, std::to_wstring(type.key));
      grid_.setText(row, kColumnLayerSystem, std::to_wstring(system.key));
      grid_.setText(row, kColumnLayerSystemName, system.name);
      grid_.setReadOnly(row, kColumnLayerSystemName, true);
      grid_.setText(row, kColumnPlanView, label_->sLabelFormat());
      grid_.setCellKind(row, kColumnIsometric, GridCellKind::EditableChoice);
      grid_.setChoices(row, kColumnIsometric, {kSameAsPlanView});
      const std::wstring isometric = label_->sLabelFormatIsometric();
      grid_.setText(row, kColumnIsometric, isometric.empty() ? kSameAsPlanView : isometric);
    }
  }
}

void CDialogPipeLabel::OnOK() { closeFor(IDOK); }

void CDialogPipeLabel::closeFor(int endCode) {
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row) {
    const int key = static_cast<int>(grid_.number(row, kColumnKey));
    if (!isLabelRow(row) || key < 1 || !label_->Find(key)) continue;
    const std::wstring isometric = grid_.text(row, kColumnIsometric);
    label_->Edit();
    label_->set_sLabelFormat(grid_.text(row, kColumnPlanView));
    label_->set_sLabelFormatIsometric(isometric == kSameAsPlanView ? L"" : isometric);
    label_->Update();
  }
  const int selected = grid_.selectedRow();
  if (selected >= grid_.headingRowCount()) pipeType_ = static_cast<int>(grid_.number(selected, kColumnPipeType));
  EndDialog(endCode);
}

bool CDialogPipeLabel::isLabelRow(int row) const {
  return row >= grid_.headingRowCount() && row < grid_.rowCount() && grid_.text(row, kColumnKey) != kHeadingKey;
}
