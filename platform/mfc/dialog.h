// Dialogs as the framework and the host's dialog base classes have them: a dialog
// declares its controls, runs modally through the current UI driver, and receives the
// user's actions (buttons, fields, check boxes, drop-down lists, grids) in its handlers.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "mfc/grid_control.h"
#include "mfc/main_window.h"
#include "win/windows_types.h"

enum class DialogControlKind { Button, Field, CheckBox, DropDown, Label, Grid };

constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int CB_ERR = -1;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// An icon from a module's resources; only which resource and what size are kept.
struct DialogIconImage {
  HINSTANCE module = nullptr;
  UINT resourceId = 0;
  int width = 0;
  int height = 0;
};
using HICON = const DialogIconImage*;
// The icon resource id of module at a size, as the platform's LoadImage gives it. The
// same arguments answer the same handle; a null module is the current resource handle.
HICON LoadIconImage(HINSTANCE module, UINT resourceId, int width, int height);

class CDialog;

// One control of a dialog. Which members apply depends on its kind; the others are
// harmless (a combo-box call on a button changes nothing and answers CB_ERR or 0).
class CDialogItem : public CWnd {
 public:
  CDialogItem(CDialog& owner, int id, DialogControlKind kind, std::wstring label);

  int GetDlgCtrlID() const { return id_; }
  DialogControlKind kind() const { return kind_; }
  // A button's or check box's caption, a field's or list's label (may be empty).
  const std::wstring& label() const { return label_; }
  void setLabel(std::wstring label) { label_ = std::move(label); }

  // Enabled and shown, as EnableWindow and ShowWindow set them. EnableWindow answers
  // nonzero when the control was disabled before.
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const { return enabled_ ? TRUE : FALSE; }
  BOOL ShowWindow(int show);
  BOOL IsWindowVisible() const { return visible_ ? TRUE : FALSE; }
  // Makes this the control with the focus.
  CDialogItem* SetFocus();

  // A field's text; a drop-down list's current entry (or typed text when editable);
  // a button's or check box's caption.
  void SetWindowText(LPCTSTR text);
  void GetWindowText(std::wstring& text) const { text = windowText(); }
  std::wstring windowText() const;

  // Fields: the selected characters, start to end (-1 as end: to the end of the text).
  void SetSel(int start, int end);
  int selectionStart() const { return selStart_; }
  int selectionEnd() const { return selEnd_; }

  // Check boxes.
  void SetCheck(int state);
  int GetCheck() const { return checked_ ? BST_CHECKED : BST_UNCHECKED; }

  // Drop-down lists. Indexes count from 0; CB_ERR for none.
  int AddString(LPCTSTR entry);
  void ResetContent();
  int GetCount() const { return static_cast<int>(entries_.size()); }
  int SetCurSel(int index);
  int GetCurSel() const { return current_; }
  void GetLBText(int index, std::wstring& text) const;
  // The index of the entry equal to text, ignoring case, searching after start (-1:
  // from the first); CB_ERR when none.
  int FindStringExact(int start, LPCTSTR text) const;
  const std::vector<std::wstring>& entries() const { return entries_; }
  bool isEditableList() const { return editableList_; }
  void setEditableList(bool editable) { editableList_ = editable; }

  // Grids.
  GridControl* grid() const { return grid_; }
  void setGrid(GridControl* grid) { grid_ = grid; }

 private:
  CDialog& owner_;
  int id_;
  DialogControlKind kind_;
  std::wstring label_;
  std::wstring text_;
  bool enabled_ = true;
  bool visible_ = true;
  int selStart_ = 0;
  int selEnd_ = 0;
  bool checked_ = false;
  std::vector<std::wstring> entries_;
  int current_ = CB_ERR;
  bool editableList_ = false;
  GridControl* grid_ = nullptr;
};

// A modal dialog. Subclasses declare their controls (in the constructor or in
// OnInitDialog), register handlers, and end with EndDialog. DoModal runs
// OnInitDialog, then lets the current UI driver act as the user until the dialog has
// ended, and answers the code given to EndDialog (any code: IDOK, IDCANCEL, 100 ...).
class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  virtual INT_PTR DoModal();
  void EndDialog(int result);
  virtual BOOL OnInitDialog();
  // The default handlers of the OK button (IDOK) and of Escape or the Cancel button
  // (IDCANCEL): they end the dialog with that code.
  virtual void OnOK();
  virtual void OnCancel();

  UINT templateId() const { return templateId_; }
  CWnd* GetParent() const { return parent_; }
  // The caption. Without one set, the dialog resource's text of the template id, when
  // a module holds that resource.
  void SetWindowText(LPCTSTR caption);
  std::wstring caption() const;
  // The module whose resource the dialog's template was found in while it ran (the
  // current resource handle first); null when none holds it.
  HINSTANCE templateModule() const { return templateModule_; }

  void SetIcon(HICON icon, BOOL bigIcon);
  HICON GetIcon(BOOL bigIcon) const { return bigIcon ? bigIcon_ : smallIcon_; }

  // ---- controls ----
  // Declares a control; an id already declared answers the control there is (its kind
  // unchanged). Controls are kept for the dialog's life, also between DoModal calls.
  CDialogItem& addButton(int id, const std::wstring& caption);
  CDialogItem& addField(int id, const std::wstring& label, const std::wstring& text = L"");
  CDialogItem& addCheckBox(int id, const std::wstring& caption, bool checked = false);
  CDialogItem& addDropDown(int id, const std::wstring& label, const std::vector<std::wstring>& entries = {},
                           bool editable = false);
  CDialogItem& addLabel(int id, const std::wstring& text);
  // The grid stays the caller's; the dialog receives its notices (onGridNotice). Its
  // name is the short word answer files and the terminal call it by ("sizes").
  CDialogItem& addGrid(int id, const std::wstring& name, GridControl& grid);
  // Null for an id not declared.
  CDialogItem* GetDlgItem(int id) const;
  std::vector<const CDialogItem*> controls() const;

  void SetDlgItemText(int id, LPCTSTR text);
  void GetDlgItemText(int id, std::wstring& text) const;
  void CheckDlgButton(int id, UINT check);
  UINT IsDlgButtonChecked(int id) const;
  // Moves the focus to a control of this dialog (a field's text becomes selected, as
  // on the platform); focusId answers the control with the focus, 0 for none.
  void GotoDlgCtrl(CWnd* control);
  int focusId() const { return focusId_; }
  void noteFocus(int id) { focusId_ = id; }

  // ---- handlers ----
  // A click of a button or check box (after the check box has changed). A handler for
  // IDOK or IDCANCEL replaces OnOK or OnCancel for the button's click (Escape still
  // calls OnCancel).
  void onClicked(int id, std::function<void()> handler);
  // A field's text changed by the user (after the change).
  void onFieldChanged(int id, std::function<void()> handler);
  // A drop-down list's entry chosen by the user (after the change).
  void onSelectionChanged(int id, std::function<void()> handler);
  // A grid's notices; the answer accepts or refuses what the notice announces. One
  // handler an id and kind of event: registering again replaces the handler.
  void onGridNotice(int id, GridNoticeHandler handler);

  // ---- state ----
  bool isRunning() const { return running_; }
  bool isEnded() const { return ended_; }
  int endCode() const { return endCode_; }

  // ---- what a user does (for the UI drivers and tests) ----
  // Each answers an empty text when the action was taken, else why it was not (no
  // such control, a control of another kind, disabled or hidden, a grid that
  // refused, a dialog that has ended).
  std::wstring clickButton(int id);
  std::wstring setFieldText(int id, const std::wstring& text);
  std::wstring setCheck(int id, bool checked);
  std::wstring chooseEntry(int id, const std::wstring& entry);
  std::wstring selectCell(int gridId, int row, int column);
  std::wstring typeIntoCell(int gridId, int row, int column, const std::wstring& text);
  std::wstring tickCell(int gridId, int row, int column, bool on);
  std::wstring chooseCellEntry(int gridId, int row, int column, const std::wstring& entry);
  std::wstring clickCellButton(int gridId, int row, int column);
  std::wstring toggleTreeRow(int gridId, int row);
  // Escape or the window's close box: OnCancel.
  std::wstring pressEscape();

 private:
  CDialogItem& declare(int id, DialogControlKind kind, const std::wstring& label);
  // The control a user can act on, or null with why not.
  CDialogItem* usable(int id, DialogControlKind kind, std::wstring& why) const;
  // Calls the handler registered for id, when there is one; answers whether there was.
  static bool call(const std::map<int, std::function<void()>>& handlers, int id);

  UINT templateId_;
  CWnd* parent_;
  std::wstring caption_;
  bool captionSet_ = false;
  HINSTANCE templateModule_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  std::vector<std::unique_ptr<CDialogItem>> items_;
  std::map<int, std::function<void()>> clickHandlers_;
  std::map<int, std::function<void()>> fieldHandlers_;
  std::map<int, std::function<void()>> selectionHandlers_;
  std::map<int, GridNoticeHandler> gridHandlers_;
  int focusId_ = 0;
  bool running_ = false;
  bool ended_ = false;
  int endCode_ = 0;
};

// How a control follows a resized dialog: moved or stretched by a share (percent) of
// the change in width and height.
struct DialogResizeRule {
  enum class Kind { Move, Stretch };
  int controlId = 0;
  Kind kind = Kind::Move;
  int percentX = 0;
  int percentY = 0;
};

// The host's dialog base: a persistence name under which the dialog keeps its size
// and place, and the rules its controls follow when the dialog is resized. Both are
// recorded; nothing is drawn.
class CAdUiDialog : public CDialog {
 public:
  explicit CAdUiDialog(UINT templateId, CWnd* parent = nullptr, HINSTANCE resources = nullptr);

  // Runs with the given resources current (CAcModuleResourceOverride), when given.
  INT_PTR DoModal() override;

  void SetDialogName(LPCTSTR name);
  const std::wstring& dialogName() const { return dialogName_; }
  HINSTANCE resourceInstance() const { return resources_; }

  void StretchControlX(int id, int percent);
  void StretchControlY(int id, int percent);
  void StretchControlXY(int id, int percentX, int percentY);
  void MoveControlX(int id, int percent);
  void MoveControlY(int id, int percent);
  void MoveControlXY(int id, int percentX, int percentY);
  const std::vector<DialogResizeRule>& resizeRules() const { return rules_; }

 private:
  void addRule(int id, DialogResizeRule::Kind kind, int percentX, int percentY);

  std::wstring dialogName_;
  HINSTANCE resources_;
  std::vector<DialogResizeRule> rules_;
};

// The host's dialog class for plug-ins; it adds nothing the module needs.
class CAcUiDialog : public CAdUiDialog {
 public:
  using CAdUiDialog::CAdUiDialog;
};

// The name a driver knows a dialog by: its persistence name when it has one, else its
// caption.
std::wstring dialogNameOf(const CDialog& dialog);

// Makes a module's resources current for a scope (its instance handle, or the host's
// when null) and puts the previous handle back at its end.
class CAcModuleResourceOverride {
 public:
  explicit CAcModuleResourceOverride(HINSTANCE resources = nullptr);
  ~CAcModuleResourceOverride();
  CAcModuleResourceOverride(const CAcModuleResourceOverride&) = delete;
  CAcModuleResourceOverride& operator=(const CAcModuleResourceOverride&) = delete;

 private:
  HINSTANCE previous_;
};
