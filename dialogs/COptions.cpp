// The options dialog: its rows, loading the stored settings, the editing rules with
// the vertical-method greying and the block browser, and writing every row on OK.
#include "dialogs/COptions.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "com/variant.h"
#include "db/tblGlobal.h"
#include "dialogs/block_browser.h"
#include "dialogs/number_text.h"

namespace {

enum class RowKind { Section, Number, YesNo, Text, BrowseText, Choice, EditableChoice };

struct OptionRow {
  RowKind kind;
  const wchar_t* key;  // empty for a section
  const wchar_t* label;
  std::vector<std::wstring> choices;  // Choice and EditableChoice rows
};

constexpr wchar_t kVerticalMethodKey[] = L"pipe-verticalMethod";
constexpr wchar_t kVerticalMinimumKey[] = L"pipe-verticalMinimum";
constexpr wchar_t kVerticalDiameterKey[] = L"pipe-verticalDiameter";
constexpr wchar_t kApproximationKey[] = L"3DApproximation";
constexpr wchar_t kNotToScale[] = L"Not to scale";
constexpr wchar_t kToScaleWithMinimum[] = L"To scale with minimum";
constexpr wchar_t kToScale[] = L"To scale";
constexpr wchar_t kTrue[] = L"-1";
constexpr wchar_t kFalse[] = L"0";
// Fewer segments than this make a 3D pipe's circle look like a polygon.
constexpr double kFewestCircleSegments = 8.0;

std::vector<std::wstring> arrowheadChoices() {
  return {L"_CLOSEDFILLED", L"_DOT",      L"_DOTSMALL", L"_DOTBLANK",    L"_ORIGIN",       L"_ORIGIN2",
          L"_OPEN",         L"_OPEN90",   L"_OPEN30",   L"_CLOSED",      L"_SMALL",        L"_NONE",
          L"_OBLIQUE",      L"_BOXFILLED", L"_BOXBLANK", L"_CLOSEDBLANK", L"_DATUMFILLED", L"_DATUMBLANK",
          L"_INTEGRAL",     L"_ARCHTICK", kBrowseChoice};
}

const std::vector<OptionRow>& optionRows() {
  static const std::vector<OptionRow> rows = {
      {RowKind::Section, L"", L"Pipe Graphics", {}},
      {RowKind::Number, L"pipe-breakWidth", L"Break width", {}},
      {RowKind::Choice,
       kVerticalMethodKey,
       L"Vertical pipe drafting method",
       {kNotToScale, kToScaleWithMinimum, kToScale}},
      {RowKind::Number, kVerticalMinimumKey, L"       Minimum vertical pipe diameter", {}},
      {RowKind::Number, kVerticalDiameterKey, L"       Not to scale vertical pipe diameter", {}},
      {RowKind::Number, L"PTRAP-WIDTH", L"P-trap width", {}},
      {RowKind::Number, L"EXTERIOR LINING WIDTH", L"Default exterior lining width (in)", {}},
      {RowKind::Section, L"", L"Pipe Fittings", {}},
      {RowKind::YesNo, L"pipe-showTicksBeforeValve", L"Show tick marks before pipe symbols", {}},
      {RowKind::Number, L"pipe-fittingTickWidth", L"Tick width", {}},
      {RowKind::Number, L"pipe-fittingTickOffset", L"Tick offset", {}},
      {RowKind::Number, L"pipe-arcRadius", L"45-degree turn size & arc radius", {}},
      {RowKind::Section, L"", L"Pipe Labels", {}},
      {RowKind::YesNo, L"stackedFractions", L"Stack fractions", {}},
      {RowKind::Number, L"pipe-textDistance", L"Distance between text labels in pipes", {}},
      {RowKind::BrowseText, L"pipe-leaderBlock", L"Horizontal pipe leader arrow block", {}},
      {RowKind::Number, L"pipe-leaderSize", L"Horizontal pipe leader arrow size", {}},
      {RowKind::BrowseText, L"pipe-leaderBlockV", L"Vertical pipe leader arrow block", {}},
      {RowKind::Number, L"pipe-leaderSizeV", L"Vertical pipe leader arrow size", {}},
      {RowKind::Section, L"", L"Elevation Labels", {}},
      {RowKind::EditableChoice, L"ELEVLABEL LEADER BLOCK", L"Leader arrow block", arrowheadChoices()},
      {RowKind::Number, L"ArrowheadSize", L"Leader arrow length", {}},
      {RowKind::BrowseText, L"ELEVLABEL TOP BLOCK", L"Top block", {}},
      {RowKind::BrowseText, L"ELEVLABEL BOTTOM BLOCK", L"Bottom block", {}},
      {RowKind::BrowseText, L"ELEVLABEL BOTH BLOCK", L"Both block", {}},
      {RowKind::BrowseText, L"ELEVLABEL CENTERLINE BLOCK", L"Centerline block", {}},
      {RowKind::Text, L"ELEVLABEL TOP LABEL", L"Top label", {}},
      {RowKind::Text, L"ELEVLABEL BOTTOM LABEL", L"Bottom label ", {}},
      {RowKind::Text, L"ELEVLABEL CENTERLINE LABEL", L"Centerline label ", {}},
      {RowKind::YesNo, L"ELEVLABEL INCLUDE EXTERIOR", L"Include exterior insulation thickness in elevation", {}},
      {RowKind::Section, L"", L"Miscellaneous", {}},
      {RowKind::Number, kApproximationKey, L"3D circle approximation", {}},
      {RowKind::YesNo, L"DrawHangers2D", L"Draw hangers in 2D", {}},
      {RowKind::YesNo, L"DrawHangers3D", L"Draw hangers in 3D", {}},
      {RowKind::Text, L"linetypeFile", L"Linetype file", {}},
      {RowKind::Choice, L"scheduleTitleJustification", L"Schedule title justification", {L"Left", L"Center"}},
      {RowKind::Choice,
       L"scheduleColumnJustification",
       L"Schedule column label justification",
       {L"Left", L"Center"}},
      {RowKind::Text, L"scheduleTitleContinued", L"Schedule title continued label", {}},
  };
  return rows;
}

GridCellKind valueCellKind(RowKind kind) {
  switch (kind) {
    case RowKind::YesNo:
    case RowKind::Choice:
      return GridCellKind::Choice;
    case RowKind::BrowseText:
    case RowKind::EditableChoice:
      return GridCellKind::EditableChoice;
    default:
      return GridCellKind::Text;
  }
}

std::vector<std::wstring> valueChoices(const OptionRow& row) {
  switch (row.kind) {
    case RowKind::YesNo:
      return {L"No", L"Yes"};
    case RowKind::BrowseText:
      return {kBrowseChoice};
    default:
      return row.choices;
  }
}

}  // namespace

COptions::COptions(CWnd* parent, const std::wstring& blockFolder)
    : CAcUiDialog(IDD, parent), blockFolder_(blockFolder) {
  addGrid(kGridId, L"settings", grid_);
  addButton(IDOK, L"&OK");
  addButton(IDCANCEL, L"&Cancel");
  onGridNotice(kGridId, [this](GridNotice& notice) { return handleGridNotice(notice); });
}

COptions::~COptions() = default;

bool COptions::setConnection(const ProjectDatabasePtr& connection) {
  if (!connection) return false;
  connection_ = connection;
  globals_ = std::make_unique<tblGlobal>(connection_);
  return globals_->hasDatabase();
}

BOOL COptions::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:Options");
  SetWindowText(L"Orvane Plumbing Options");
  SetIcon(LoadIconImage(resourceInstance(), kIconId, 16, 16), FALSE);
  // The grid takes every change of size; the buttons keep to the bottom edge, centred.
  StretchControlXY(kGridId, 100, 100);
  MoveControlXY(IDOK, 50, 100);
  MoveControlXY(IDCANCEL, 50, 100);

  buildRows();
  loadValues();
  const int row = selectedKey_.empty() ? -1 : rowOfKey(selectedKey_);
  if (row > 0) {
    grid_.setSelectedCell(row, kColumnValue);
    if (editAtStart_) grid_.startEdit(row, kColumnValue);
  }
  return TRUE;
}

void COptions::buildRows() {
  const std::vector<OptionRow>& rows = optionRows();
  grid_.setHeadings({L"", L"Value", L"Database Key", L"bIsNumeric", L"bIsYesNo"}, {kColumnKey, kColumnNumeric, kColumnYesNo});
  grid_.setRowCount(1 + static_cast<int>(rows.size()));

  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const OptionRow& option = rows[static_cast<std::size_t>(i)];
    const int row = i + 1;
    grid_.setText(row, kColumnLabel, option.label);
    grid_.setReadOnly(row, kColumnLabel, true);
    if (option.kind == RowKind::Section) {
      grid_.setRowReadOnly(row, true);
      continue;
    }
    grid_.setText(row, kColumnKey, option.key);
    grid_.setText(row, kColumnNumeric, option.kind == RowKind::Number ? kTrue : kFalse);
    grid_.setText(row, kColumnYesNo, option.kind == RowKind::YesNo ? kTrue : kFalse);
    grid_.setCellKind(row, kColumnValue, valueCellKind(option.kind));
    grid_.setChoices(row, kColumnValue, valueChoices(option));
    const std::wstring key = option.key;
    if (key == kVerticalMethodKey) methodRow_ = row;
    if (key == kVerticalMinimumKey) minimumRow_ = row;
    if (key == kVerticalDiameterKey) diameterRow_ = row;
  }
}

void COptions::loadValues() {
  for (int row = 1; row < grid_.rowCount(); ++row)
    if (isSettingRow(row)) loadValue(row);
}

void COptions::loadValue(int row) {
  const std::wstring key = grid_.text(row, kColumnKey);
  if (!globals_ || !globals_->FindBy(_variant_t(key.c_str()))) return;
  std::wstring text;
  if (globals_->bNumeric()) {
    text = formatNumber(globals_->isNull_dNumber() ? 0.0 : globals_->dNumber(), 4, true);
  } else {
    text = globals_->isNull_sText() ? std::wstring() : globals_->sText();
    if (isYesNoRow(row)) text = text == L"YES" ? L"Yes" : L"No";
    if (row == methodRow_) applyVerticalMethod(text);
  }
  grid_.setText(row, kColumnValue, text);
}

void COptions::applyVerticalMethod(const std::wstring& method) {
  const bool minimumGrey = method == kNotToScale || method == kToScale;
  const bool diameterGrey = method == kToScaleWithMinimum || method == kToScale;
  if (minimumRow_ > 0) grid_.setRowGrey(minimumRow_, minimumGrey);
  if (diameterRow_ > 0) grid_.setRowGrey(diameterRow_, diameterGrey);
}

bool COptions::handleGridNotice(GridNotice& notice) {
  switch (notice.kind) {
    case GridNoticeKind::StartEdit:
      if (notice.column != kColumnValue || !isSettingRow(notice.row) || grid_.isGrey(notice.row, kColumnValue))
        return false;
      if (offersBrowse(notice.row)) rememberBrowseText(grid_, notice.row, notice.column, kColumnValue);
      return true;
    case GridNoticeKind::EndEdit:
      browseBlockFile(grid_, notice.row, notice.column, blockFolder_, notice.text, this);
      if (isChoiceOnlyRow(notice.row)) {
        const std::vector<std::wstring> listed = grid_.choices(notice.row, kColumnValue);
        if (std::find(listed.begin(), listed.end(), notice.text) == listed.end()) return false;
      }
      if (notice.row == methodRow_) applyVerticalMethod(notice.text);
      return true;
    case GridNoticeKind::SelectionChanged:
      if (notice.row >= grid_.headingRowCount()) selectedKey_ = grid_.text(notice.row, kColumnKey);
      return true;
    default:
      return true;
  }
}

void COptions::OnOK() {
  for (int row = 1; row < grid_.rowCount(); ++row)
    if (isSettingRow(row)) saveValue(row);
  CAcUiDialog::OnOK();
}

void COptions::saveValue(int row) {
  if (!globals_) return;
  const std::wstring key = grid_.text(row, kColumnKey);
  if (globals_->FindBy(_variant_t(key.c_str()))) {
    globals_->Edit();
  } else {
    // A new row takes its kind from the grid; a stored row keeps the kind it has.
    globals_->AddNew();
    globals_->set_sKey(key);
    globals_->set_bNumeric(grid_.text(row, kColumnNumeric) == kTrue);
  }
  const std::wstring text = grid_.text(row, kColumnValue);
  if (globals_->bNumeric()) {
    double value = ovGrid::leadingNumber(text);
    if (key == kApproximationKey) value = std::max(std::trunc(value), kFewestCircleSegments);
    globals_->set_dNumber(value);
  } else {
    globals_->set_sText(isYesNoRow(row) ? (text == L"Yes" ? L"YES" : L"NO") : text);
  }
  globals_->Update();
}

bool COptions::isSettingRow(int row) const {
  return row >= grid_.headingRowCount() && row < grid_.rowCount() && !grid_.text(row, kColumnKey).empty();
}

bool COptions::offersBrowse(int row) const {
  const std::vector<std::wstring> listed = grid_.choices(row, kColumnValue);
  return std::find(listed.begin(), listed.end(), kBrowseChoice) != listed.end();
}

bool COptions::isYesNoRow(int row) const { return grid_.text(row, kColumnYesNo) == kTrue; }

bool COptions::isChoiceOnlyRow(int row) const { return grid_.cellKind(row, kColumnValue) == GridCellKind::Choice; }

int COptions::rowOfKey(const std::wstring& key) const {
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row)
    if (grid_.text(row, kColumnKey) == key) return row;
  return -1;
}
