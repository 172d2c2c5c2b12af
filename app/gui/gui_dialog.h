// A module's dialog as a real modal window: built from the controls the dialog
// declares, each grid a grid widget over the dialog's grid model. What the user does
// goes to the dialog as the same user actions the scripted and terminal drivers take
// (CDialog::clickButton, GridControl::userTypeIntoCell ...), so refusals, moves and
// messages behave alike; after each action every widget is read back from the model.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <wx/dialog.h>

class CDialog;
class CDialogItem;
class GridView;
class wxGrid;
class wxStaticText;

class GuiDialog : public wxDialog {
 public:
  GuiDialog(wxWindow* parent, CDialog& dialog);
  ~GuiDialog() override;

  CDialog& model() const { return model_; }
  // The widget that shows a control of the dialog (a wxButton, wxTextCtrl, wxGrid
  // ...), null for an id the dialog does not declare.
  wxWindow* widget(int id) const;
  wxGrid* grid(int id) const;

  // Brings every widget up to date with the dialog's controls and grids.
  void refresh();
  // After a user action: shows why it was not taken (a bell), ends the window when the
  // dialog has ended, and otherwise reads everything back.
  void afterAction(const std::wstring& problem);

 private:
  struct Bound {
    const CDialogItem* item = nullptr;
    wxWindow* widget = nullptr;
    wxStaticText* label = nullptr;  // a field's or list's label
    GridView* grid = nullptr;
  };
  void build();
  void applyResizeRules();
  void remember();

  CDialog& model_;
  std::vector<Bound> bound_;
  std::vector<std::unique_ptr<GridView>> grids_;
  // For the resize rules: the client size the dialog was laid out at, and where each
  // control stood then.
  wxSize laidOut_;
  std::map<wxWindow*, wxRect> placed_;
  bool syncing_ = false;
  int focusShown_ = 0;
};
