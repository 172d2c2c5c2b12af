// Building a dialog's window from its declared controls, and keeping it in step.
#include "gui_dialog.h"

#include <algorithm>
#include <optional>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/config.h>
#include <wx/grid.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "grid_view.h"
#include "mfc/dialog.h"

namespace {

// Sizes and places of dialogs by persistence name, for the session and, through the
// toolkit's configuration file, for the next one.
std::map<std::wstring, wxRect>& rememberedPlaces() {
  static std::map<std::wstring, wxRect> places;
  return places;
}

wxString configKey(const std::wstring& name) {
  wxString key(name);
  key.Replace("/", "_");
  return "/Dialogs/" + key;
}

std::optional<wxRect> rememberedPlace(const std::wstring& name) {
  auto it = rememberedPlaces().find(name);
  if (it != rememberedPlaces().end()) return it->second;
  wxString text;
  long x = 0, y = 0, w = 0, h = 0;
  if (wxConfigBase* config = wxConfigBase::Get(); config != nullptr && config->Read(configKey(name), &text)) {
    wxArrayString parts = wxSplit(text, ',');
    if (parts.size() == 4 && parts[0].ToLong(&x) && parts[1].ToLong(&y) && parts[2].ToLong(&w) && parts[3].ToLong(&h))
      return wxRect(x, y, w, h);
  }
  return std::nullopt;
}

bool isClosingButton(const CDialogItem& item) {
  return item.kind() == DialogControlKind::Button &&
         (item.GetDlgCtrlID() == IDOK || item.GetDlgCtrlID() == IDCANCEL || item.GetDlgCtrlID() == 9 /* IDHELP */);
}

}  // namespace

GuiDialog::GuiDialog(wxWindow* parent, CDialog& dialog)
    : wxDialog(parent, wxID_ANY, dialog.caption(), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      model_(dialog) {
  build();
  refresh();
  auto* host = dynamic_cast<CAdUiDialog*>(&model_);
  if (host != nullptr && !host->resizeRules().empty()) {
    // The dialog says how its controls follow a resize: from here on they are placed
    // by those rules from where the layout first put them, not by the sizers.
    Layout();
    laidOut_ = GetClientSize();
    for (const DialogResizeRule& rule : host->resizeRules())
      for (const Bound& b : bound_)
        if (b.item->GetDlgCtrlID() == rule.controlId) {
          placed_[b.widget] = b.widget->GetRect();
          if (b.label != nullptr) placed_[b.label] = b.label->GetRect();
        }
    SetSizer(nullptr, false);
    SetMinClientSize(laidOut_);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
      applyResizeRules();
      event.Skip();
    });
  }
  if (host != nullptr && !host->dialogName().empty()) {
    if (std::optional<wxRect> place = rememberedPlace(host->dialogName())) SetSize(*place);
    else CentreOnParent();
  } else {
    CentreOnParent();
  }
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
    // Escape in a grid's editor ends the edit; anywhere else it is the dialog's.
    bool editing = false;
    for (const auto& g : grids_) editing = editing || g->widget()->IsCellEditControlShown();
    if (event.GetKeyCode() == WXK_ESCAPE && !editing) afterAction(model_.pressEscape());
    else event.Skip();
  });
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { afterAction(model_.pressEscape()); });
}

GuiDialog::~GuiDialog() = default;

void GuiDialog::build() {
  auto* content = new wxBoxSizer(wxVERTICAL);
  auto* side = new wxBoxSizer(wxVERTICAL);
  auto* closing = new wxBoxSizer(wxHORIZONTAL);
  closing->AddStretchSpacer();
  constexpr int kGap = 5;
  for (const CDialogItem* item : model_.controls()) {
    const int id = item->GetDlgCtrlID();
    Bound b;
    b.item = item;
    switch (item->kind()) {
      case DialogControlKind::Button: {
        auto* button = new wxButton(this, wxID_ANY, item->label());
        button->Bind(wxEVT_BUTTON, [this, id](wxCommandEvent&) { afterAction(model_.clickButton(id)); });
        if (id == IDOK) button->SetDefault();
        b.widget = button;
        if (isClosingButton(*item)) closing->Add(button, 0, wxLEFT, kGap);
        else side->Add(button, 0, wxEXPAND | wxBOTTOM, kGap);
        break;
      }
      case DialogControlKind::Field: {
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        b.label = new wxStaticText(this, wxID_ANY, item->label());
        auto* field = new wxTextCtrl(this, wxID_ANY, item->windowText());
        field->Bind(wxEVT_TEXT, [this, id, field](wxCommandEvent&) {
          if (!syncing_) afterAction(model_.setFieldText(id, field->GetValue().ToStdWstring()));
        });
        field->Bind(wxEVT_SET_FOCUS, [this, id](wxFocusEvent& event) {
          model_.noteFocus(id);
          focusShown_ = id;
          event.Skip();
        });
        b.widget = field;
        row->Add(b.label, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, kGap);
        row->Add(field, 1);
        content->Add(row, 0, wxEXPAND | wxBOTTOM, kGap);
        break;
      }
      case DialogControlKind::CheckBox: {
        auto* box = new wxCheckBox(this, wxID_ANY, item->label());
        box->Bind(wxEVT_CHECKBOX, [this, id, box](wxCommandEvent&) { afterAction(model_.setCheck(id, box->GetValue())); });
        b.widget = box;
        content->Add(box, 0, wxBOTTOM, kGap);
        break;
      }
      case DialogControlKind::DropDown: {
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        b.label = new wxStaticText(this, wxID_ANY, item->label());
        wxItemContainer* list = nullptr;
        if (item->isEditableList()) {
          auto* combo = new wxComboBox(this, wxID_ANY);
          combo->Bind(wxEVT_COMBOBOX, [this, id, combo](wxCommandEvent&) {
            if (!syncing_) afterAction(model_.chooseEntry(id, combo->GetStringSelection().ToStdWstring()));
          });
          b.widget = combo;
          list = combo;
        } else {
          auto* choice = new wxChoice(this, wxID_ANY);
          choice->Bind(wxEVT_CHOICE, [this, id, choice](wxCommandEvent&) {
            if (!syncing_) afterAction(model_.chooseEntry(id, choice->GetStringSelection().ToStdWstring()));
          });
          b.widget = choice;
          list = choice;
        }
        (void)list;
        row->Add(b.label, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, kGap);
        row->Add(b.widget, 1);
        content->Add(row, 0, wxEXPAND | wxBOTTOM, kGap);
        break;
      }
      case DialogControlKind::Label: {
        b.widget = new wxStaticText(this, wxID_ANY, item->label());
        content->Add(b.widget, 0, wxBOTTOM, kGap);
        break;
      }
      case DialogControlKind::Grid: {
        if (item->grid() == nullptr) continue;
        grids_.push_back(std::make_unique<GridView>(this, *item->grid(),
                                                    [this](const std::wstring& problem) { afterAction(problem); }));
        b.grid = grids_.back().get();
        b.widget = b.grid->widget();
        content->Add(b.widget, 1, wxEXPAND | wxBOTTOM, kGap);
        break;
      }
    }
    bound_.push_back(b);
  }
  auto* body = new wxBoxSizer(wxHORIZONTAL);
  body->Add(content, 1, wxEXPAND | wxALL, 2 * kGap);
  if (!side->IsEmpty()) body->Add(side, 0, wxTOP | wxRIGHT | wxBOTTOM, 2 * kGap);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(body, 1, wxEXPAND);
  top->Add(closing, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 2 * kGap);
  SetSizerAndFit(top);
}

wxWindow* GuiDialog::widget(int id) const {
  for (const Bound& b : bound_)
    if (b.item->GetDlgCtrlID() == id) return b.widget;
  return nullptr;
}

wxGrid* GuiDialog::grid(int id) const {
  for (const Bound& b : bound_)
    if (b.item->GetDlgCtrlID() == id && b.grid != nullptr) return b.grid->widget();
  return nullptr;
}

void GuiDialog::refresh() {
  syncing_ = true;
  bool shownChanged = false;
  for (const Bound& b : bound_) {
    const CDialogItem& item = *b.item;
    const bool shown = item.IsWindowVisible() != FALSE;
    if (b.widget->IsShown() != shown) {
      b.widget->Show(shown);
      if (b.label != nullptr) b.label->Show(shown);
      shownChanged = true;
    }
    b.widget->Enable(item.IsWindowEnabled() != FALSE);
    if (b.label != nullptr && b.label->GetLabel() != wxString(item.label())) b.label->SetLabel(item.label());
    switch (item.kind()) {
      case DialogControlKind::Button:
      case DialogControlKind::Label:
        if (b.widget->GetLabel() != wxString(item.label())) b.widget->SetLabel(item.label());
        break;
      case DialogControlKind::CheckBox: {
        auto* box = static_cast<wxCheckBox*>(b.widget);
        if (box->GetLabel() != wxString(item.label())) box->SetLabel(item.label());
        box->SetValue(item.GetCheck() == BST_CHECKED);
        break;
      }
      case DialogControlKind::Field: {
        auto* field = static_cast<wxTextCtrl*>(b.widget);
        if (field->GetValue() != wxString(item.windowText())) field->ChangeValue(item.windowText());
        break;
      }
      case DialogControlKind::DropDown: {
        auto* list = dynamic_cast<wxItemContainer*>(b.widget);
        wxArrayString entries;
        for (const std::wstring& e : item.entries()) entries.Add(e);
        if (list->GetStrings() != entries) list->Set(entries);
        if (item.GetCurSel() != CB_ERR) list->SetSelection(item.GetCurSel());
        else if (auto* combo = dynamic_cast<wxComboBox*>(b.widget)) combo->ChangeValue(item.windowText());
        break;
      }
      case DialogControlKind::Grid:
        b.grid->sync();
        break;
    }
  }
  // The dialog moved the focus (a refused field gets it back with its text selected).
  if (model_.focusId() != 0 && model_.focusId() != focusShown_) {
    focusShown_ = model_.focusId();
    if (wxWindow* w = widget(focusShown_); w != nullptr && w->IsShown()) {
      w->SetFocus();
      if (auto* field = dynamic_cast<wxTextCtrl*>(w)) {
        const CDialogItem* item = model_.GetDlgItem(focusShown_);
        field->SetSelection(item->selectionStart(), item->selectionEnd() < 0 ? -1 : item->selectionEnd());
      }
    }
  }
  if (shownChanged && GetSizer() != nullptr) Layout();
  syncing_ = false;
}

void GuiDialog::afterAction(const std::wstring& problem) {
  if (!problem.empty()) wxBell();
  if (model_.isEnded()) {
    remember();
    if (IsModal()) EndModal(model_.endCode());
    return;
  }
  refresh();
}

void GuiDialog::applyResizeRules() {
  auto* host = dynamic_cast<CAdUiDialog*>(&model_);
  if (host == nullptr || laidOut_ == wxSize()) return;
  const wxSize now = GetClientSize();
  const int dx = now.x - laidOut_.x, dy = now.y - laidOut_.y;
  for (const DialogResizeRule& rule : host->resizeRules())
    for (const Bound& b : bound_) {
      if (b.item->GetDlgCtrlID() != rule.controlId) continue;
      const int ox = dx * rule.percentX / 100, oy = dy * rule.percentY / 100;
      for (wxWindow* w : {b.widget, static_cast<wxWindow*>(b.label)}) {
        if (w == nullptr) continue;
        wxRect r = placed_[w];
        if (rule.kind == DialogResizeRule::Kind::Move || w == b.label) r.Offset(ox, oy);
        else r.SetSize(wxSize(std::max(r.width + ox, 20), std::max(r.height + oy, 20)));
        w->SetSize(r);
      }
    }
}

void GuiDialog::remember() {
  auto* host = dynamic_cast<CAdUiDialog*>(&model_);
  if (host == nullptr || host->dialogName().empty()) return;
  const wxRect place = GetRect();
  rememberedPlaces()[host->dialogName()] = place;
  if (wxConfigBase* config = wxConfigBase::Get())
    config->Write(configKey(host->dialogName()),
                  wxString::Format("%d,%d,%d,%d", place.x, place.y, place.width, place.height));
}
