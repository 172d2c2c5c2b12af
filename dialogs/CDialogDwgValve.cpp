// The pipe-symbol editor: rows in their order, the block chosen through the block
// browser, New with its copied cells, Delete through the host's replacement choice,
// and OK re-pointing valves, removing deleted symbols and storing every row.
#include "dialogs/CDialogDwgValve.h"

#include "arx/aced_lisp.h"
#include "db/tblDwgValve.h"
#include "dialogs/block_browser.h"
#include "dialogs/project_sql.h"
#include "frame/host_services.h"
#include "frame/lisp_args.h"

namespace {

constexpr wchar_t kNewKey[] = L"-1";
constexpr wchar_t kOff[] = L"0";
constexpr wchar_t kNewDescription[] = L"New Pipe Symbol Block";

std::wstring number(int value) { return std::to_wstring(value); }

// The host's answer to a delete: the deleted key and its replacement, read as a point
// or two numbers in a row (in a list or not); nothing when the host kept the symbol.
bool readReplacement(ResbufChain answer, std::pair<int, int>& pair) {
  ArgCursor args(answer.release());
  AcGePoint2d keys;
  if (!argPoint2d(args, keys)) {
    double deleted = 0.0;
    double replacing = 0.0;
    argListBegin(args);
    if (!argReal(args, deleted) || !argReal(args, replacing)) return false;
    keys.set(deleted, replacing);
  }
  pair = {static_cast<int>(keys.x), static_cast<int>(keys.y)};
  return true;
}

}  // namespace

CDialogDwgValve::CDialogDwgValve(CWnd* parent, const ProjectDatabasePtr& connection, const std::wstring& symbolFolder,
                                 bool openedFromPath)
    : CAcUiDialog(IDD, parent),
      connection_(connection),
      symbol_(std::make_unique<tblDwgValve>(connection, false)),
      symbolFolder_(symbolFolder),
      openedFromPath_(openedFromPath) {
  addButton(kMoveUp, L"Move &Up");
  addButton(kMoveDown, L"Move Do&wn");
  addButton(kNew, L"&New");
  addButton(kDelete, L"&Delete");
  addGrid(kGrid, L"symbols", grid_);
  addButton(IDOK, L"&OK");
  addButton(IDCANCEL, L"&Cancel");
  onClicked(kMoveUp, [this] { grid_.swapSelectedRow(-1); });
  onClicked(kMoveDown, [this] { grid_.swapSelectedRow(1); });
  onClicked(kNew, [this] { onNew(); });
  onClicked(kDelete, [this] { onDelete(); });
  onGridNotice(kGrid, [this](GridNotice& notice) { return onNotice(notice); });
}

CDialogDwgValve::~CDialogDwgValve() = default;

BOOL CDialogDwgValve::OnInitDialog() {
  CAcUiDialog::OnInitDialog();
  SetDialogName(L"ov_plumb:PipeSymbolDialog");
  SetWindowText(L"Pipe Symbol Blocks");
  grid_.setHeadings({L"", L"Description", L"Block Name", L"To Scale"}, {kColumnKey});
  symbol_->UseIndex(L"iSortOrder");
  for (bool found = symbol_->First(); found; found = symbol_->Next()) {
    const int row = appendRow();
    grid_.setText(row, kColumnKey, number(symbol_->ixDwgValve()));
    grid_.setText(row, kColumnDescription, symbol_->sDescription());
    grid_.setText(row, kColumnBlock, symbol_->sBlockName());
    grid_.setText(row, kColumnToScale, symbol_->bToScale() ? L"-1" : kOff);
  }
  if (grid_.rowCount() > firstRow()) grid_.setSelectedCell(firstRow(), kColumnDescription);
  return TRUE;
}

// The block is chosen, never typed: its cell offers only the browser.
int CDialogDwgValve::appendRow() {
  const int row = grid_.insertRow();
  grid_.setCellKind(row, kColumnBlock, GridCellKind::Choice);
  grid_.setChoices(row, kColumnBlock, {kBrowseChoice, kSelectCustomBlockChoice});
  grid_.setCellKind(row, kColumnToScale, GridCellKind::CheckBox);
  return row;
}

bool CDialogDwgValve::onNotice(GridNotice& notice) {
  if (notice.kind == GridNoticeKind::StartEdit) rememberBrowseText(grid_, notice.row, notice.column, kColumnBlock);
  if (notice.kind == GridNoticeKind::EndEdit)
    browseBlockFile(grid_, notice.row, notice.column, symbolFolder_, notice.text, this);
  return true;
}

void CDialogDwgValve::onNew() {
  const int above = grid_.rowCount() - 1;
  const int row = appendRow();
  grid_.setText(row, kColumnKey, kNewKey);
  // The row above lends its cells; below the headings that is the heading row, whose
  // "To Scale" becomes off.
  for (int column = kColumnDescription; column <= kColumnToScale; ++column) {
    const std::wstring copied = grid_.text(above, column);
    grid_.setText(row, column, copied == L"To Scale" ? kOff : copied);
  }
  std::wstring description = kNewDescription;
  for (int n = 1; descriptionShown(description); ++n)
    description = std::wstring(kNewDescription) + L" (" + number(n) + L")";
  grid_.setText(row, kColumnDescription, description);
  grid_.setSelectedCell(row, kColumnDescription);
  grid_.startEdit(row, kColumnDescription);
}

void CDialogDwgValve::onDelete() {
  const int row = grid_.selectedRow();
  if (row < firstRow()) return;
  const int key = static_cast<int>(grid_.number(row, kColumnKey));
  if (key >= 1) {
    resbuf* request = acutBuildList(RTSTR, L"util-deleteBlocks", RTLONG, key, RTSTR, L"Valve", RTSTR, L"plumb", 0);
    resbuf* last = ovAppendChain(request, acutBuildList(RTLB, 0));
    for (const auto& [deleted, replacing] : replacements_)
      last = ovAppendChain(last, acutBuildList(RTLB, RTLONG, deleted, RTLONG, replacing, RTLE, 0));
    ovAppendChain(last, acutBuildList(RTLE, 0));
    int status = RTERROR;
    ResbufChain answer = ovInvokeHost(request, &status);
    std::pair<int, int> pair;
    if (status != RTNORM || !readReplacement(std::move(answer), pair)) return;
    // Symbols replaced earlier by this one are now replaced by its replacement.
    for (auto& earlier : replacements_)
      if (earlier.second == pair.first) earlier.second = pair.second;
    replacements_.push_back(pair);
  }
  grid_.deleteRow(row);
  if (grid_.rowCount() > firstRow())
    grid_.setSelectedCell(row < grid_.rowCount() ? row : grid_.rowCount() - 1, kColumnDescription);
}

void CDialogDwgValve::OnOK() {
  CAcUiDialog::OnOK();
  repointAndDelete();
  storeRows();
}

void CDialogDwgValve::repointAndDelete() {
  const std::wstring valves = openedFromPath_ ? L"tblValveM" : L"tblValveS";
  for (const auto& [deleted, replacing] : replacements_) {
    if (replacing != 0)
      executeSql(connection_, L"update " + valves + L" set ixDwgValve = " + number(replacing) +
                                  L" where ixDwgValve = " + number(deleted));
    executeSql(connection_, L"delete from tblDwgValve where ixDwgValve = " + number(deleted));
  }
  replacements_.clear();
}

void CDialogDwgValve::storeRows() {
  for (int row = firstRow(); row < grid_.rowCount(); ++row) {
    const int key = static_cast<int>(grid_.number(row, kColumnKey));
    if (key >= 1 && symbol_->Find(key))
      symbol_->Edit();
    else
      symbol_->AddNew();
    symbol_->set_sDescription(grid_.text(row, kColumnDescription));
    symbol_->set_sBlockName(grid_.text(row, kColumnBlock));
    symbol_->set_bToScale(grid_.text(row, kColumnToScale) != kOff);
    symbol_->set_iSortOrder(row - firstRow() + 1);
    symbol_->Update();
  }
}

bool CDialogDwgValve::descriptionShown(const std::wstring& text) const {
  for (int row = firstRow(); row < grid_.rowCount(); ++row)
    if (grid_.text(row, kColumnDescription) == text) return true;
  return false;
}
