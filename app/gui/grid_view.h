// A dialog's grid model (grid_control.h) shown in the toolkit's grid widget: heading
// rows with their spans, hidden columns, read-only and greyed cells, check, choice and
// button cells and tree rows. The user's selections, edits, ticks, choices, button
// clicks and tree toggles go to the model as user actions; the widget is read back
// from the model after each, so that what a dialog refused or moved shows at once.
#pragma once

#include <functional>
#include <string>

class GridControl;
class GridTable;
class wxGrid;
class wxGridEvent;
class wxWindow;

class GridView {
 public:
  // afterAction is called after each user action with why it was not taken (empty
  // when it was).
  GridView(wxWindow* parent, GridControl& model, std::function<void(const std::wstring&)> afterAction);
  ~GridView();
  GridView(const GridView&) = delete;
  GridView& operator=(const GridView&) = delete;

  wxGrid* widget() const { return grid_; }
  GridControl& model() const { return model_; }
  // Reads rows, columns, texts, states and the selected cell from the model.
  void sync();

 private:
  void onSelect(wxGridEvent& event);
  void onChanging(wxGridEvent& event);
  void onClick(wxGridEvent& event);

  GridControl& model_;
  std::function<void(const std::wstring&)> afterAction_;
  wxGrid* grid_ = nullptr;
  GridTable* table_ = nullptr;  // owned by the widget
  int rows_ = 0;
  int columns_ = 0;
  bool syncing_ = false;
};
