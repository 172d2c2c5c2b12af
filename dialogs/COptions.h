// The module's options dialog: one grid of the project's plumbing settings, grouped
// under section rows, each stored as one row of tblGlobal under a fixed key.
#pragma once

#include <memory>
#include <string>

#include "grid/grid.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class tblGlobal;

class COptions : public CAcUiDialog {
 public:
  enum { IDD = 102 };
  static constexpr int kGridId = 1052;
  static constexpr int kIconId = 116;
  // The grid's columns; the last three are hidden.
  static constexpr int kColumnLabel = 0;
  static constexpr int kColumnValue = 1;
  static constexpr int kColumnKey = 2;
  static constexpr int kColumnNumeric = 3;
  static constexpr int kColumnYesNo = 4;

  // blockFolder is handed to the block browser; it ends with a path separator.
  COptions(CWnd* parent, const std::wstring& blockFolder);
  ~COptions() override;

  // Makes the tblGlobal record set over the connection the dialog reads and writes;
  // false when it cannot be had.
  bool setConnection(const ProjectDatabasePtr& connection);
  // The row to start on ("" for none) and whether its value is edited at once.
  void setSelectedKey(const std::wstring& key) { selectedKey_ = key; }
  void setEditAtStart(bool on) { editAtStart_ = on; }
  // The key of the row selected last (the given one when the user selected none).
  const std::wstring& selectedKey() const { return selectedKey_; }

  BOOL OnInitDialog() override;
  // Writes every setting row back, then closes the dialog.
  void OnOK() override;

 private:
  void buildRows();
  void loadValues();
  void loadValue(int row);
  void saveValue(int row);
  // Greys the rows that the vertical drafting method makes meaningless.
  void applyVerticalMethod(const std::wstring& method);
  bool handleGridNotice(GridNotice& notice);
  bool isSettingRow(int row) const;
  bool offersBrowse(int row) const;
  bool isYesNoRow(int row) const;
  bool isChoiceOnlyRow(int row) const;
  int rowOfKey(const std::wstring& key) const;

  std::wstring blockFolder_;
  ProjectDatabasePtr connection_;
  std::unique_ptr<tblGlobal> globals_;
  ovGrid grid_;
  std::wstring selectedKey_;
  bool editAtStart_ = true;
  int methodRow_ = -1;
  int minimumRow_ = -1;
  int diameterRow_ = -1;
};
