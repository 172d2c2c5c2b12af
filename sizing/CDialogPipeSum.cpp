// The pipe query dialog: loading the pipe's settings and choice lists (some from the
// host's program), the flow grid, the pipe-type change rules, the hanger checks, and OK
// writing the flow sums and gathering the answer.
#include "sizing/CDialogPipeSum.h"

#include <algorithm>

#include "arx/aced_lisp.h"
#include "db/tblGlobal.h"
#include "db/tblPipe.h"
#include "db/tblPipeSum.h"
#include "dialogs/number_text.h"
#include "dialogs/project_sql.h"
#include "frame/globals.h"
#include "frame/host_services.h"

namespace {

constexpr wchar_t kTitle[] = L"Orvane Plumbing";
constexpr wchar_t kFixed[] = L"-1";
constexpr wchar_t kCalculated[] = L"0";
constexpr wchar_t kSizedAutomatically[] = L"Sized Automatically";
constexpr wchar_t kSameAsPrevious[] = L"Same as Previous";

struct Alignment {
  const wchar_t* code;
  const wchar_t* text;
};
const std::vector<Alignment> kVerticalAlignments = {
    {L"c", L"Center of Pipe"}, {L"t", L"Top of Pipe"}, {L"b", L"Bottom of Pipe"}, {L"h", L"Bottom of Hanger"}};
const std::vector<Alignment> kHorizontalAlignments = {
    {L"c", L"Centered"}, {L"r", L"Flat on Right"}, {L"l", L"Flat on Left"}};
const std::vector<std::wstring> kHangerTypes = {L"None", L"Wrap", L"Trapeze"};

// The hanger's number fields, in the order they are answered; those with a refusal
// are checked in this order on OK and must be above their limit.
struct HangerField {
  const wchar_t* label;
  const wchar_t* key;
  double (tblPipe::*stored)() const;
  const wchar_t* refusal;
  double limit;
};
const HangerField kHangerFields[] = {
    {L"Size:", L"dHangerSize", &tblPipe::dHangerSize, L"Hanger size must be greater than zero.", 0.0},
    {L"Depth:", L"dHangerDepth", &tblPipe::dHangerDepth, L"Hanger depth must be greater than zero.", 0.0},
    {L"Starting Offset:", L"dHangerStartOffset", &tblPipe::dHangerStartOffset, nullptr, 0.0},
    {L"Spacing:", L"dHangerSpacing", &tblPipe::dHangerSpacing, L"Hanger spacing must be greater than six inches.", 6.0},
    {L"Ending Offset:", L"dHangerEndOffset", &tblPipe::dHangerEndOffset, nullptr, 0.0},
    {L"Left Width:", L"dHangerLeftExtension", &tblPipe::dHangerLeftExtension, nullptr, 0.0},
    {L"Right Width:", L"dHangerRightExtension", &tblPipe::dHangerRightExtension, nullptr, 0.0},
};

int hangerFieldId(std::size_t index) { return CDialogPipeSum::kHangerZ + 1 + static_cast<int>(index); }

std::wstring number(int value) { return std::to_wstring(value); }

std::wstring valueText(double value) { return formatNumber(value, 5, true); }

// A number the host program answered: an integer or a real.
bool answerNumber(const resbuf* rb, double& value) {
  if (rb == nullptr) return false;
  switch (rb->restype) {
    case RTSHORT: value = rb->resval.rint; return true;
    case RTLONG: value = rb->resval.rlong; return true;
    case RTREAL: value = rb->resval.rreal; return true;
    default: return false;
  }
}

// The texts of an answer, in order, at any depth of its lists.
std::vector<std::wstring> answerTexts(const resbuf* rb) {
  std::vector<std::wstring> texts;
  for (; rb != nullptr; rb = rb->rbnext)
    if (rb->restype == RTSTR && rb->resval.rstring != nullptr) texts.emplace_back(rb->resval.rstring);
  return texts;
}

template <typename Table>
int indexOfCode(const Table& table, const std::wstring& code) {
  for (std::size_t i = 0; i < table.size(); ++i)
    if (code == table[i].code) return static_cast<int>(i);
  return 0;
}

}  // namespace

CDialogPipeSum::CDialogPipeSum(CWnd* parent, const ProjectDatabasePtr& connection, int pipe, bool flag)
    : CAcUiDialog(IDD, parent),
      connection_(connection),
      pipe_(std::make_unique<tblPipe>(connection)),
      sum_(std::make_unique<tblPipeSum>(connection)),
      pipeKey_(pipe),
      flag_(flag) {
  declareControls();
}

CDialogPipeSum::~CDialogPipeSum() = default;

void CDialogPipeSum::declareControls() {
  addField(kZ1, L"Starting Elevation (ft-in):");
  addField(kZ2, L"Ending Elevation (ft-in):");
  std::vector<std::wstring> vertical, horizontal;
  for (const Alignment& a : kVerticalAlignments) vertical.emplace_back(a.text);
  for (const Alignment& a : kHorizontalAlignments) horizontal.emplace_back(a.text);
  addDropDown(kOffsetZ, L"Vertical Alignment:", vertical);
  addDropDown(kOffsetY, L"Horizontal Alignment:", horizontal);
  addDropDown(kPipeType, L"Pipe Type:");
  addDropDown(kPipeSize, L"Pipe Size:");
  addDropDown(kSizingTable, L"Sizing Table:");
  addDropDown(kLayerSystem, L"Layer System:");
  addCheckBox(kInsulationBox, L"Exterior Insulation (in):");
  addField(kInsulation, L"Exterior Insulation (in):");
  addCheckBox(kPTrap, L"Include P-Trap");
  addCheckBox(kTransparent, L"Transparent");
  addLabel(kFarthest, L"Distance to Farthest Fixture: ");
  addLabel(kHighest, L"Maximum Height: ");
  addGrid(kGrid, L"flows", grid_);
  addButton(kEditCategories, L"&Edit. . .");
  addDropDown(kHangerType, L"Hanger Type:", kHangerTypes);
  addField(kHangerZ, L"Hanger Elevation (ft-in):");
  for (std::size_t i = 0; i < std::size(kHangerFields); ++i) addField(hangerFieldId(i), kHangerFields[i].label);
  addButton(IDOK, L"&OK");
  addButton(IDCANCEL, L"&Cancel");

  onSelectionChanged(kPipeType, [this] { onPipeTypeChosen(); });
  onSelectionChanged(kHangerType, [this] { onHangerTypeChosen(); });
  onClicked(kInsulationBox, [this] { onInsulationClicked(); });
  onClicked(kEditCategories, [this] { onEditCategories(); });
  onGridNotice(kGrid, [this](GridNotice& notice) { return onNotice(notice); });
}

BOOL CDialogPipeSum::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:PipeSum");
  SetWindowText(L"Query Pipe");
  grid_.setHeadings({L"", L"", L"Pipe Flow Category", L"Value", L""}, {kColumnCategory, kColumnFixed, kColumnSum});
  found_ = pipe_->Find(pipeKey_);
  if (found_) loadPipe();
  onHangerTypeChosen();
  return TRUE;
}

// ---- loading ----

void CDialogPipeSum::loadPipe() {
  storedType_ = pipe_->ixPipeType();
  SetDlgItemText(kZ1, formatFeetInches(pipe_->dZ1()).c_str());
  SetDlgItemText(kZ2, formatFeetInches(pipe_->dZ2()).c_str());
  GetDlgItem(kOffsetZ)->SetCurSel(indexOfCode(kVerticalAlignments, pipe_->sOffsetZ()));
  GetDlgItem(kOffsetY)->SetCurSel(indexOfCode(kHorizontalAlignments, pipe_->sOffsetY()));
  SetDlgItemText(kHangerZ, formatFeetInches(pipe_->dHangerZ()).c_str());
  int id = kHangerZ + 1;
  for (const HangerField& field : kHangerFields) SetDlgItemText(id++, valueText((pipe_.get()->*field.stored)()).c_str());
  const int hangerType = pipe_->iHangerType();
  GetDlgItem(kHangerType)->SetCurSel(hangerType >= 0 && hangerType < 3 ? hangerType : 0);
  loadPipeTypes();
  loadStaticValues();
  loadInsulation();
  CheckDlgButton(kPTrap, pipe_->bPTrap() ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(kTransparent, pipe_->bTransparent() ? BST_CHECKED : BST_UNCHECKED);
  shownType_ = storedType_;
  buildGrid(storedType_);
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row)
    if (grid_.text(row, kColumnFixed) == kFixed) openingFixedValues_.push_back(grid_.text(row, kColumnValue));
  applyTileCheck();
  loadSizeChoices(storedType_);
  loadSizingTableChoices(storedType_);
  loadLayerSystems();
}

// The types a pipe may take come from the host's program: how many, then their keys
// after "startlist" and their names in a second list.
void CDialogPipeSum::loadPipeTypes() {
  pipeTypes_.clear();
  int status = RTERROR;
  ResbufChain count = ovInvokeHost(acutBuildList(RTSTR, L"pipe-query-getNumber", 0), &status);
  double n = 0.0;
  if (status == RTNORM && answerNumber(count.get(), n)) {
    const int types = static_cast<int>(n);
    ResbufChain lists = ovInvokeHost(
        flag_ ? acutBuildList(RTSTR, L"pipe-usableTypes-withPipe-arx", RTLONG, pipeKey_, RTNIL, RTLONG, types, 0)
              : acutBuildList(RTSTR, L"pipe-usableTypes-withPipe-arx", RTLONG, pipeKey_, RTLONG, types, RTNIL, 0));
    std::vector<int> keys;
    const resbuf* rb = lists.get();
    while (rb != nullptr && !(rb->restype == RTSTR && rb->resval.rstring != nullptr &&
                              std::wstring(rb->resval.rstring) == L"startlist"))
      rb = rb->rbnext;
    for (rb = rb != nullptr ? rb->rbnext : nullptr; rb != nullptr && rb->restype != RTLE; rb = rb->rbnext) {
      double key = 0.0;
      if (answerNumber(rb, key)) keys.push_back(static_cast<int>(key));
    }
    const std::vector<std::wstring> names = answerTexts(rb);
    for (std::size_t i = 0; i < keys.size() && i < names.size(); ++i) pipeTypes_.push_back({keys[i], names[i]});
  }
  fillKeyedList(GetDlgItem(kPipeType), pipeTypes_, storedType_, false);
}

void CDialogPipeSum::loadStaticValues() {
  ResbufChain answer = ovInvokeHost(acutBuildList(RTSTR, L"plumb-pipeSum-StaticValues", RTREAL,
                                                  pipe_->dDistanceToFarthestFixture(), RTREAL,
                                                  pipe_->dDistanceFromSource(), RTREAL, pipe_->dMaxFixtureZ(), 0));
  const std::vector<std::wstring> texts = answerTexts(answer.get());
  GetDlgItem(kFarthest)->setLabel(L"Distance to Farthest Fixture: " + (texts.size() > 0 ? texts[0] : L"0"));
  GetDlgItem(kHighest)->setLabel(L"Maximum Height: " + (texts.size() > 1 ? texts[1] : L"0"));
}

// A pipe without insulation shows the project's default width, ready to be ticked.
void CDialogPipeSum::loadInsulation() {
  const double lining = pipe_->dExteriorLining();
  double shown = lining;
  if (lining == 0.0) {
    tblGlobal globals(connection_);
    shown = ovGetGlobalNumber(globals, L"EXTERIOR LINING WIDTH");
  }
  CheckDlgButton(kInsulationBox, lining != 0.0 ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemText(kInsulation, formatNumber(shown, 2, true).c_str());
  GetDlgItem(kInsulation)->EnableWindow(lining != 0.0);
}

void CDialogPipeSum::loadSizeChoices(int pipeType) {
  const std::wstring sql = L"SELECT ixPipeSize, sLabel" + std::wstring(L" FROM tblPipeSize") + L" WHERE ixPipeType = " +
                           number(pipeType) + L" ORDER BY dInteriorDiameter";
  sizes_ = {{0, kSizedAutomatically}};
  for (const QueryRow& size : queryRows(connection_, sql)) {
    sizes_.push_back({size.integer(0), size.text(1)});
    if (size.integer(0) == pipe_->ixPipeSize()) sizes_.front().text += L" (" + size.text(1) + L")";
  }
  fillKeyedList(GetDlgItem(kPipeSize), sizes_, pipe_->bSizeLocked() ? pipe_->ixPipeSize() : 0, true);
}

void CDialogPipeSum::loadSizingTableChoices(int pipeType) {
  const std::wstring sql = L"SELECT ixPipeSizingTable, sName" + std::wstring(L" FROM tblPipeSizingTable") +
                           L" WHERE ixPipeType = " + number(pipeType) + L" and bActive = -1" + L" ORDER BY iSortOrder";
  sizingTables_ = {{0, kSameAsPrevious}};
  for (const QueryRow& table : queryRows(connection_, sql)) sizingTables_.push_back({table.integer(0), table.text(1)});
  fillKeyedList(GetDlgItem(kSizingTable), sizingTables_, pipe_->ixPipeSizingTable(), true);
}

void CDialogPipeSum::loadLayerSystems() {
  layerSystems_ = queryKeyedEntries(connection_, L"Select ixLayerSystem, sDescription from tblLayerSystem");
  fillKeyedList(GetDlgItem(kLayerSystem), layerSystems_, pipe_->ixLayerSystem(), false);
}

void CDialogPipeSum::applyTileCheck() {
  ResbufChain answer = ovInvokeHost(acutBuildList(RTSTR, L"pipe-query-elevationTileCheck", RTLONG, pipeKey_, 0));
  double check = 0.0;
  if (!answerNumber(answer.get(), check)) return;
  const int which = static_cast<int>(check);
  if (which == 1 || which == 3) GetDlgItem(kZ1)->EnableWindow(FALSE);
  if (which == 2 || which == 3) GetDlgItem(kZ2)->EnableWindow(FALSE);
}

void CDialogPipeSum::buildGrid(int pipeType) {
  grid_.deleteNonHeadingRows();
  KeyedEntries categories;
  for (const QueryRow& category :
       queryRows(connection_, L"select ixPipeSumCategory, sName from tblPipeSumCategory where ixPipeType = " +
                                  number(pipeType) + L" order by iOrder"))
    categories.push_back({category.integer(0), category.text(1)});
  addSumRows(categories, true, pipeType);
  const int firstCalculated = grid_.rowCount() + 1;
  addSumRows(categories, false, pipeType);
  if (pipeType == storedType_) showConvertedFlow(firstCalculated, categories.size());
}

void CDialogPipeSum::addSumRows(const KeyedEntries& categories, bool fixed, int pipeType) {
  const int heading = grid_.insertRow();
  grid_.setText(heading, kColumnName, fixed ? L"Fixed Values" : L"Calculated Values");
  grid_.setRowReadOnly(heading, true);
  for (std::size_t i = 0; i < categories.size(); ++i) {
    const int row = grid_.insertRow();
    grid_.setText(row, kColumnCategory, number(categories[i].key));
    grid_.setText(row, kColumnFixed, fixed ? kFixed : kCalculated);
    grid_.setText(row, kColumnName, categories[i].text);
    grid_.setReadOnly(row, kColumnName, true);
    grid_.setReadOnly(row, kColumnValue, !fixed);
    std::wstring value = L"0";
    if (pipeType == storedType_) {
      const std::vector<QueryRow> sums = queryRows(
          connection_, L"select ixPipeSum, bFixed, dValue from tblPipeSum where ixPipeSumCategory = " +
                           number(categories[i].key) + L" and ixPipe = " + number(pipeKey_) +
                           (fixed ? L" and bFixed = -1" : L" and bFixed = 0"));
      if (!sums.empty()) {
        value = valueText(sums.front().real(2));
        grid_.setText(row, kColumnSum, number(sums.front().integer(0)));
      }
    } else if (fixed && i < openingFixedValues_.size()) {
      value = openingFixedValues_[i];
    }
    grid_.setText(row, kColumnValue, value);
  }
}

void CDialogPipeSum::showConvertedFlow(int firstCalculatedRow, std::size_t categoryCount) {
  if (categoryCount < 2 || firstCalculatedRow >= grid_.rowCount()) return;
  ResbufChain answer = ovInvokeHost(acutBuildList(RTSTR, L"pipeSumCategory-convertFlow", RTLONG, pipeKey_, 0));
  double converted = 0.0;
  if (!answerNumber(answer.get(), converted) || converted <= 0.0) return;
  grid_.setText(firstCalculatedRow, kColumnValue,
                grid_.text(firstCalculatedRow, kColumnValue) + L" (" + valueText(converted) + L")");
}

// ---- the user's actions ----

void CDialogPipeSum::onPipeTypeChosen() {
  const int chosen = chosenPipeType();
  if (chosen == shownType_) return;
  CDialogItem* list = GetDlgItem(kPipeType);
  int type = chosen;
  if (!hasSizes(chosen)) {
    const int count = static_cast<int>(pipeTypes_.size());
    const int at = list->GetCurSel();
    int next = -1;
    for (int step = 1; step < count && next < 0; ++step)
      if (hasSizes(pipeTypes_[static_cast<std::size_t>((at + step) % count)].key)) next = (at + step) % count;
    if (next < 0) {
      MessageBox(L"No sizes exist. Close this window and open the project's Pipe Size dialog in the Customization "
                 L"menu to create new ones.",
                 kTitle, MB_OK | MB_ICONEXCLAMATION);
      fillKeyedList(list, pipeTypes_, shownType_, false);
      return;
    }
    const std::wstring name = pipeTypes_[static_cast<std::size_t>(at)].text;
    list->SetCurSel(next);
    type = pipeTypes_[static_cast<std::size_t>(next)].key;
    MessageBox((L"No sizes exist for " + name + L". Automatically selecting a new type.").c_str(), kTitle,
               MB_OK | MB_ICONEXCLAMATION);
  }
  shownType_ = type;
  buildGrid(type);
  loadSizeChoices(type);
  loadSizingTableChoices(type);
}

void CDialogPipeSum::onHangerTypeChosen() {
  const BOOL hanger = GetDlgItem(kHangerType)->GetCurSel() > 0 ? TRUE : FALSE;
  GetDlgItem(kHangerZ)->EnableWindow(hanger);
  for (std::size_t i = 0; i < std::size(kHangerFields); ++i) GetDlgItem(hangerFieldId(i))->EnableWindow(hanger);
}

void CDialogPipeSum::onInsulationClicked() {
  CDialogItem* field = GetDlgItem(kInsulation);
  const bool on = IsDlgButtonChecked(kInsulationBox) == BST_CHECKED;
  field->EnableWindow(on ? TRUE : FALSE);
  if (!on) return;
  GotoDlgCtrl(field);
  field->SetSel(0, -1);
}

void CDialogPipeSum::onEditCategories() {
  ovInvokeHost(acutBuildList(RTSTR, L"plumb-customization-project-editPipeSumCategory", 0));
  buildGrid(shownType_);
}

bool CDialogPipeSum::onNotice(GridNotice& notice) {
  if (notice.kind != GridNoticeKind::StartEdit) return true;
  return notice.column == kColumnValue && grid_.text(notice.row, kColumnFixed) == kFixed;
}

// ---- OK ----

void CDialogPipeSum::OnOK() {
  if (!hangerIsValid()) return;
  storeSums();
  fillAnswer();
  CAcUiDialog::OnOK();
}

bool CDialogPipeSum::hangerIsValid() {
  if (GetDlgItem(kHangerType)->GetCurSel() <= 0) return true;
  for (std::size_t i = 0; i < std::size(kHangerFields); ++i) {
    const HangerField& field = kHangerFields[i];
    std::wstring text;
    GetDlgItemText(hangerFieldId(i), text);
    if (field.refusal == nullptr || ovGrid::leadingNumber(text) > field.limit) continue;
    MessageBox(field.refusal, kTitle, MB_OK);
    CDialogItem* item = GetDlgItem(hangerFieldId(i));
    GotoDlgCtrl(item);
    item->SetSel(0, -1);
    return false;
  }
  return true;
}

void CDialogPipeSum::storeSums() {
  if (!found_) return;
  if (chosenPipeType() != storedType_) executeSql(connection_, L"delete from tblPipeSum where ixPipe = " + number(pipeKey_));
  for (int row = grid_.headingRowCount(); row < grid_.rowCount(); ++row)
    if (grid_.number(row, kColumnCategory) >= 1) storeSum(row);
}

void CDialogPipeSum::storeSum(int row) {
  const double value = grid_.number(row, kColumnValue);
  const bool fixed = grid_.text(row, kColumnFixed) == kFixed;
  const int category = static_cast<int>(grid_.number(row, kColumnCategory));
  const int key = static_cast<int>(grid_.number(row, kColumnSum));
  const bool stored = key >= 1 ? sum_->Find(key)
                               : sum_->FindBy(_variant_t(pipeKey_), _variant_t(category), _variant_t(fixed));
  if (!stored) {
    if (value == 0.0) return;
    sum_->AddNew();
    sum_->set_ixPipe(pipeKey_);
    sum_->set_ixPipeSumCategory(category);
    sum_->set_bFixed(fixed);
    sum_->set_dValue(value);
    sum_->Update();
  } else if (value == 0.0) {
    sum_->Delete();
  } else if (value != sum_->dValue()) {
    sum_->Edit();
    sum_->set_dValue(value);
    sum_->Update();
  }
}

void CDialogPipeSum::fillAnswer() {
  std::wstring text;
  GetDlgItemText(kZ1, text);
  answer_.z1 = parseFeetInches(text);
  GetDlgItemText(kZ2, text);
  answer_.z2 = parseFeetInches(text);
  answer_.pipeType = chosenPipeType();
  const int sizeChoice = GetDlgItem(kPipeSize)->GetCurSel();
  answer_.sizeLocked = sizeChoice > 0;
  if (answer_.sizeLocked)
    answer_.pipeSize = chosenKeyOf(GetDlgItem(kPipeSize), sizes_);
  else if (answer_.pipeType != storedType_)
    answer_.pipeSize = sizes_.size() > 1 ? sizes_[1].key : 0;  // the new type's smallest size
  else
    answer_.pipeSize = found_ ? pipe_->ixPipeSize() : 0;
  // A pipe whose layer system is not listed keeps it.
  answer_.layerSystem = chosenKeyOf(GetDlgItem(kLayerSystem), layerSystems_);
  if (answer_.layerSystem == 0 && found_) answer_.layerSystem = pipe_->ixLayerSystem();
  answer_.sizingTable = chosenKeyOf(GetDlgItem(kSizingTable), sizingTables_);
  answer_.ptrap = IsDlgButtonChecked(kPTrap) == BST_CHECKED;
  answer_.transparent = IsDlgButtonChecked(kTransparent) == BST_CHECKED;
  GetDlgItemText(kInsulation, text);
  answer_.exteriorLining = IsDlgButtonChecked(kInsulationBox) == BST_CHECKED ? ovGrid::leadingNumber(text) : 0.0;
  const int vertical = GetDlgItem(kOffsetZ)->GetCurSel();
  const int horizontal = GetDlgItem(kOffsetY)->GetCurSel();
  answer_.offsetZ = vertical > 0 ? kVerticalAlignments[static_cast<std::size_t>(vertical)].code : L"c";
  answer_.offsetY = horizontal > 0 ? kHorizontalAlignments[static_cast<std::size_t>(horizontal)].code : L"c";
  answer_.hangerType = std::max(0, GetDlgItem(kHangerType)->GetCurSel());
  answer_.hanger.clear();
  if (answer_.hangerType == 0) return;
  GetDlgItemText(kHangerZ, text);
  answer_.hanger.emplace_back(L"dHangerZ", parseFeetInches(text));
  for (std::size_t i = 0; i < std::size(kHangerFields); ++i) {
    GetDlgItemText(hangerFieldId(i), text);
    answer_.hanger.emplace_back(kHangerFields[i].key, ovGrid::leadingNumber(text));
  }
}

// ---- lists ----

int CDialogPipeSum::chosenPipeType() const {
  const int chosen = chosenKeyOf(GetDlgItem(kPipeType), pipeTypes_);
  return chosen != 0 ? chosen : storedType_;
}

bool CDialogPipeSum::hasSizes(int pipeType) const {
  return !queryRows(connection_, L"SELECT ixPipeSize FROM tblPipeSize WHERE ixPipeType = " + number(pipeType)).empty();
}

