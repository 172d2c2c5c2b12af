// Dialogs: controls, handlers, the modal run through the UI driver, and the user's
// actions reaching the handlers.
#include "mfc/dialog.h"

#include <map>
#include <tuple>

#include "arx/ap_doc_manager.h"
#include "mfc/afx_module.h"
#include "mfc/message_box.h"
#include "mfc/ui_driver.h"
#include "win/win_text.h"

namespace {

const wchar_t* kindName(DialogControlKind kind) {
  switch (kind) {
    case DialogControlKind::Button: return L"button";
    case DialogControlKind::Field: return L"field";
    case DialogControlKind::CheckBox: return L"check box";
    case DialogControlKind::DropDown: return L"drop-down list";
    case DialogControlKind::Label: return L"label";
    case DialogControlKind::Grid: return L"grid";
  }
  return L"control";
}

}  // namespace

HICON LoadIconImage(HINSTANCE module, UINT resourceId, int width, int height) {
  static std::map<std::tuple<HINSTANCE, UINT, int, int>, DialogIconImage> icons;
  if (module == nullptr) module = AfxGetResourceHandle();
  DialogIconImage& icon = icons[{module, resourceId, width, height}];
  icon = DialogIconImage{module, resourceId, width, height};
  return &icon;
}

// ---- controls ----

CDialogItem::CDialogItem(CDialog& owner, int id, DialogControlKind kind, std::wstring label)
    : owner_(owner), id_(id), kind_(kind), label_(std::move(label)) {}

BOOL CDialogItem::EnableWindow(BOOL enable) {
  const BOOL wasDisabled = enabled_ ? FALSE : TRUE;
  enabled_ = enable != FALSE;
  return wasDisabled;
}

BOOL CDialogItem::ShowWindow(int show) {
  const BOOL wasVisible = visible_ ? TRUE : FALSE;
  visible_ = show != SW_HIDE;
  return wasVisible;
}

CDialogItem* CDialogItem::SetFocus() {
  owner_.noteFocus(id_);
  return this;
}

void CDialogItem::SetWindowText(LPCTSTR text) {
  const std::wstring value = text ? text : L"";
  switch (kind_) {
    case DialogControlKind::Button:
    case DialogControlKind::CheckBox:
    case DialogControlKind::Label: label_ = value; break;
    case DialogControlKind::DropDown:
      // A list shows the entry equal to the text; an editable one shows any text.
      current_ = FindStringExact(-1, value.c_str());
      text_ = (current_ != CB_ERR || editableList_) ? value : L"";
      break;
    default:
      // New text leaves nothing selected, the caret at its start.
      text_ = value;
      selStart_ = selEnd_ = 0;
      break;
  }
}

std::wstring CDialogItem::windowText() const {
  switch (kind_) {
    case DialogControlKind::Button:
    case DialogControlKind::CheckBox:
    case DialogControlKind::Label: return label_;
    case DialogControlKind::DropDown:
      return current_ != CB_ERR ? entries_[static_cast<std::size_t>(current_)] : text_;
    default: return text_;
  }
}

void CDialogItem::SetSel(int start, int end) {
  const int length = static_cast<int>(text_.size());
  selStart_ = (start < 0 || start > length) ? length : start;
  selEnd_ = (end < 0 || end > length) ? length : end;
  if (selEnd_ < selStart_) std::swap(selStart_, selEnd_);
}

void CDialogItem::SetCheck(int state) { checked_ = state != BST_UNCHECKED; }

int CDialogItem::AddString(LPCTSTR entry) {
  entries_.emplace_back(entry ? entry : L"");
  return static_cast<int>(entries_.size()) - 1;
}

void CDialogItem::ResetContent() {
  entries_.clear();
  current_ = CB_ERR;
  text_.clear();
}

int CDialogItem::SetCurSel(int index) {
  if (index < 0 || index >= GetCount()) {
    current_ = CB_ERR;
    return CB_ERR;
  }
  current_ = index;
  text_.clear();
  return index;
}

void CDialogItem::GetLBText(int index, std::wstring& text) const {
  text = (index >= 0 && index < GetCount()) ? entries_[static_cast<std::size_t>(index)] : L"";
}

int CDialogItem::FindStringExact(int start, LPCTSTR text) const {
  const std::wstring wanted = text ? text : L"";
  for (int i = start < 0 ? 0 : start + 1; i < GetCount(); ++i)
    if (winEqualNoCase(entries_[static_cast<std::size_t>(i)], wanted)) return i;
  return CB_ERR;
}

// ---- the dialog ----

CDialog::CDialog(UINT templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
  if (running_) return -1;  // one dialog object cannot be shown twice at once
  // While a dialog is up the documents are not quiescent, as with any running command.
  AcApBusyScope busy;
  ended_ = false;
  endCode_ = 0;
  running_ = true;
  templateModule_ = findResourceHandle(ResourceKind::Dialog, templateId_);
  OnInitDialog();
  if (!ended_) uiDriver().runDialog(*this);
  // A driver must end the dialog; one that gave up without doing so has cancelled it.
  if (!ended_) EndDialog(IDCANCEL);
  running_ = false;
  return endCode_;
}

void CDialog::EndDialog(int result) {
  ended_ = true;
  endCode_ = result;
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::SetWindowText(LPCTSTR caption) {
  caption_ = caption ? caption : L"";
  captionSet_ = true;
}

std::wstring CDialog::caption() const {
  if (captionSet_) return caption_;
  std::wstring fromResource;
  loadModuleResource(ResourceKind::Dialog, templateId_, fromResource);
  return fromResource;
}

void CDialog::SetIcon(HICON icon, BOOL bigIcon) { (bigIcon ? bigIcon_ : smallIcon_) = icon; }

CDialogItem& CDialog::declare(int id, DialogControlKind kind, const std::wstring& label) {
  if (CDialogItem* existing = GetDlgItem(id)) return *existing;
  items_.push_back(std::make_unique<CDialogItem>(*this, id, kind, label));
  return *items_.back();
}

CDialogItem& CDialog::addButton(int id, const std::wstring& caption) {
  return declare(id, DialogControlKind::Button, caption);
}

CDialogItem& CDialog::addField(int id, const std::wstring& label, const std::wstring& text) {
  CDialogItem& item = declare(id, DialogControlKind::Field, label);
  item.SetWindowText(text.c_str());
  return item;
}

CDialogItem& CDialog::addCheckBox(int id, const std::wstring& caption, bool checked) {
  CDialogItem& item = declare(id, DialogControlKind::CheckBox, caption);
  item.SetCheck(checked ? BST_CHECKED : BST_UNCHECKED);
  return item;
}

CDialogItem& CDialog::addDropDown(int id, const std::wstring& label, const std::vector<std::wstring>& entries,
                                  bool editable) {
  CDialogItem& item = declare(id, DialogControlKind::DropDown, label);
  item.setEditableList(editable);
  for (const std::wstring& entry : entries) item.AddString(entry.c_str());
  return item;
}

CDialogItem& CDialog::addLabel(int id, const std::wstring& text) {
  return declare(id, DialogControlKind::Label, text);
}

CDialogItem& CDialog::addGrid(int id, const std::wstring& label, GridControl& grid) {
  CDialogItem& item = declare(id, DialogControlKind::Grid, label);
  item.setGrid(&grid);
  grid.setNoticeHandler([this, id](GridNotice& notice) {
    auto found = gridHandlers_.find(id);
    if (found == gridHandlers_.end()) return true;
    const GridNoticeHandler handler = found->second;  // a handler may register others
    return handler(notice);
  });
  return item;
}

CDialogItem* CDialog::GetDlgItem(int id) const {
  for (const auto& item : items_)
    if (item->GetDlgCtrlID() == id) return item.get();
  return nullptr;
}

std::vector<const CDialogItem*> CDialog::controls() const {
  std::vector<const CDialogItem*> out;
  for (const auto& item : items_) out.push_back(item.get());
  return out;
}

void CDialog::SetDlgItemText(int id, LPCTSTR text) {
  if (CDialogItem* item = GetDlgItem(id)) item->SetWindowText(text);
}

void CDialog::GetDlgItemText(int id, std::wstring& text) const {
  const CDialogItem* item = GetDlgItem(id);
  text = item ? item->windowText() : L"";
}

void CDialog::CheckDlgButton(int id, UINT check) {
  if (CDialogItem* item = GetDlgItem(id)) item->SetCheck(static_cast<int>(check));
}

UINT CDialog::IsDlgButtonChecked(int id) const {
  const CDialogItem* item = GetDlgItem(id);
  return item ? static_cast<UINT>(item->GetCheck()) : 0u;
}

void CDialog::GotoDlgCtrl(CWnd* control) {
  for (const auto& item : items_)
    if (item.get() == control) {
      focusId_ = item->GetDlgCtrlID();
      if (item->kind() == DialogControlKind::Field) item->SetSel(0, -1);
    }
}

void CDialog::onClicked(int id, std::function<void()> handler) { clickHandlers_[id] = std::move(handler); }

void CDialog::onFieldChanged(int id, std::function<void()> handler) { fieldHandlers_[id] = std::move(handler); }

void CDialog::onSelectionChanged(int id, std::function<void()> handler) {
  selectionHandlers_[id] = std::move(handler);
}

void CDialog::onGridNotice(int id, GridNoticeHandler handler) { gridHandlers_[id] = std::move(handler); }

bool CDialog::call(const std::map<int, std::function<void()>>& handlers, int id) {
  auto found = handlers.find(id);
  if (found == handlers.end() || !found->second) return false;
  const std::function<void()> handler = found->second;  // it may replace itself
  handler();
  return true;
}

// ---- the user's actions ----

CDialogItem* CDialog::usable(int id, DialogControlKind kind, std::wstring& why) const {
  if (!running_ || ended_) {
    why = L"the dialog is not open";
    return nullptr;
  }
  CDialogItem* item = GetDlgItem(id);
  const std::wstring name = L"control " + std::to_wstring(id);
  if (item == nullptr) {
    why = L"the dialog has no " + name;
  } else if (item->kind() != kind &&
             !(kind == DialogControlKind::Button && item->kind() == DialogControlKind::CheckBox)) {
    why = name + L" is a " + kindName(item->kind()) + L", not a " + kindName(kind);
  } else if (!item->IsWindowVisible()) {
    why = name + L" is hidden";
  } else if (!item->IsWindowEnabled()) {
    why = name + L" is disabled";
  } else {
    return item;
  }
  return nullptr;
}

std::wstring CDialog::clickButton(int id) {
  std::wstring why;
  CDialogItem* item = usable(id, DialogControlKind::Button, why);
  if (!item) return why;
  item->SetFocus();
  if (item->kind() == DialogControlKind::CheckBox) item->SetCheck(item->GetCheck() ? BST_UNCHECKED : BST_CHECKED);
  if (call(clickHandlers_, id)) return L"";
  if (id == IDOK) OnOK();
  else if (id == IDCANCEL) OnCancel();
  return L"";
}

std::wstring CDialog::setFieldText(int id, const std::wstring& text) {
  std::wstring why;
  CDialogItem* item = usable(id, DialogControlKind::Field, why);
  if (!item) return why;
  item->SetFocus();
  item->SetWindowText(text.c_str());
  item->SetSel(-1, -1);  // the caret after what was typed
  call(fieldHandlers_, id);
  return L"";
}

std::wstring CDialog::setCheck(int id, bool checked) {
  std::wstring why;
  CDialogItem* item = usable(id, DialogControlKind::CheckBox, why);
  if (!item) return why;
  if ((item->GetCheck() == BST_CHECKED) == checked) return L"";  // already so: nothing to click
  return clickButton(id);
}

std::wstring CDialog::chooseEntry(int id, const std::wstring& entry) {
  std::wstring why;
  CDialogItem* item = usable(id, DialogControlKind::DropDown, why);
  if (!item) return why;
  const int index = item->FindStringExact(-1, entry.c_str());
  if (index == CB_ERR && !item->isEditableList())
    return L"control " + std::to_wstring(id) + L" has no entry \"" + entry + L"\"";
  item->SetFocus();
  if (index != CB_ERR) item->SetCurSel(index);
  else item->SetWindowText(entry.c_str());
  call(selectionHandlers_, id);
  return L"";
}

std::wstring CDialog::selectCell(int gridId, int row, int column) {
  std::wstring why;
  CDialogItem* item = usable(gridId, DialogControlKind::Grid, why);
  if (!item) return why;
  item->SetFocus();
  return item->grid()->userSelectCell(row, column);
}

std::wstring CDialog::typeIntoCell(int gridId, int row, int column, const std::wstring& text) {
  std::wstring why;
  CDialogItem* item = usable(gridId, DialogControlKind::Grid, why);
  if (!item) return why;
  item->SetFocus();
  return item->grid()->userTypeIntoCell(row, column, text);
}

std::wstring CDialog::tickCell(int gridId, int row, int column, bool on) {
  std::wstring why;
  CDialogItem* item = usable(gridId, DialogControlKind::Grid, why);
  if (!item) return why;
  item->SetFocus();
  return item->grid()->userTickCell(row, column, on);
}

std::wstring CDialog::chooseCellEntry(int gridId, int row, int column, const std::wstring& entry) {
  std::wstring why;
  CDialogItem* item = usable(gridId, DialogControlKind::Grid, why);
  if (!item) return why;
  item->SetFocus();
  return item->grid()->userChooseCellEntry(row, column, entry);
}

std::wstring CDialog::clickCellButton(int gridId, int row, int column) {
  std::wstring why;
  CDialogItem* item = usable(gridId, DialogControlKind::Grid, why);
  if (!item) return why;
  item->SetFocus();
  return item->grid()->userClickCellButton(row, column);
}

std::wstring CDialog::toggleTreeRow(int gridId, int row) {
  std::wstring why;
  CDialogItem* item = usable(gridId, DialogControlKind::Grid, why);
  if (!item) return why;
  item->SetFocus();
  return item->grid()->userToggleTreeRow(row);
}

std::wstring CDialog::pressEscape() {
  if (!running_ || ended_) return L"the dialog is not open";
  OnCancel();
  return L"";
}

// ---- the host's dialog base ----

CAdUiDialog::CAdUiDialog(UINT templateId, CWnd* parent, HINSTANCE resources)
    : CDialog(templateId, parent), resources_(resources) {}

INT_PTR CAdUiDialog::DoModal() {
  if (resources_ == nullptr) return CDialog::DoModal();
  CAcModuleResourceOverride resources(resources_);
  return CDialog::DoModal();
}

void CAdUiDialog::SetDialogName(LPCTSTR name) { dialogName_ = name ? name : L""; }

void CAdUiDialog::addRule(int id, DialogResizeRule::Kind kind, int percentX, int percentY) {
  rules_.push_back(DialogResizeRule{id, kind, percentX, percentY});
}

void CAdUiDialog::StretchControlX(int id, int percent) { addRule(id, DialogResizeRule::Kind::Stretch, percent, 0); }

void CAdUiDialog::StretchControlY(int id, int percent) { addRule(id, DialogResizeRule::Kind::Stretch, 0, percent); }

void CAdUiDialog::StretchControlXY(int id, int percentX, int percentY) {
  addRule(id, DialogResizeRule::Kind::Stretch, percentX, percentY);
}

void CAdUiDialog::MoveControlX(int id, int percent) { addRule(id, DialogResizeRule::Kind::Move, percent, 0); }

void CAdUiDialog::MoveControlY(int id, int percent) { addRule(id, DialogResizeRule::Kind::Move, 0, percent); }

void CAdUiDialog::MoveControlXY(int id, int percentX, int percentY) {
  addRule(id, DialogResizeRule::Kind::Move, percentX, percentY);
}

std::wstring dialogNameOf(const CDialog& dialog) {
  if (const auto* host = dynamic_cast<const CAdUiDialog*>(&dialog))
    if (!host->dialogName().empty()) return host->dialogName();
  return dialog.caption();
}

CAcModuleResourceOverride::CAcModuleResourceOverride(HINSTANCE resources) : previous_(AfxGetResourceHandle()) {
  AfxSetResourceHandle(resources ? resources : AfxGetInstanceHandle());
}

CAcModuleResourceOverride::~CAcModuleResourceOverride() { AfxSetResourceHandle(previous_); }
