// The sizing-table editor: for one pipe type at a time, its sizing tables in their
// order and, for the selected table, the flow each size may carry. Every table is
// stored as the user leaves it, so there is nothing to cancel.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dialogs/keyed_list.h"
#include "grid/grid.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class tblPipeSizingTable;
class tblPipeSizingValue;
class tblPipeType;

class CDialogPipeSizingTable : public CAcUiDialog {
 public:
  enum { IDD = 132 };
  static constexpr int kPipeTypeList = 1001;
  static constexpr int kEditPipeTypes = 1002;
  static constexpr int kMoveDown = 1003;
  static constexpr int kMoveUp = 1004;
  static constexpr int kNew = 1005;
  static constexpr int kCopy = 1006;
  static constexpr int kDelete = 1007;
  static constexpr int kTablesGrid = 1008;
  static constexpr int kVerticalSame = 1009;
  static constexpr int kValuesGrid = 1010;
  static constexpr int kEditSizes = 1011;

  // Tables grid columns; the key and the horizontal-only flag are hidden.
  static constexpr int kTableKey = 0;
  static constexpr int kTableActive = 1;
  static constexpr int kTableName = 2;
  static constexpr int kTableHorizontalOnly = 3;
  // Values grid columns; the value's and the size's keys are hidden.
  static constexpr int kValueKey = 0;
  static constexpr int kValueSizeKey = 1;
  static constexpr int kValueSize = 2;
  static constexpr int kValueHorizontal = 3;
  static constexpr int kValueVertical = 4;
  static constexpr int kValueStandard = 5;

  CDialogPipeSizingTable(CWnd* parent, const ProjectDatabasePtr& connection);
  ~CDialogPipeSizingTable() override;

  BOOL OnInitDialog() override;
  void OnOK() override;

  int currentPipeType() const { return pipeType_; }

 private:
  // ---- loading ----
  void loadPipeTypes();
  void loadSizes();
  // Fills the tables grid and selects its first row; the values are not touched.
  void loadTables();
  void loadValuesOfSelectedTable();
  void resetValueRows();
  void showVerticalGrey();

  // ---- storing ----
  void saveCurrentTable(bool writeBack);
  void storeValues(int tableKey, bool writeBack);
  void updateLabelGroup(int tableKey, const std::wstring& name, bool horizontalOnly);
  void storeSortOrder(int row);

  // ---- the user's actions ----
  void onPipeTypeChosen();
  void onVerticalSameClicked();
  void onNew();
  void onDelete();
  void onMove(int step);
  void onCopy();
  void closeFor(int endCode);
  bool onTablesNotice(GridNotice& notice);
  bool onValuesNotice(GridNotice& notice);

  // ---- the tables grid ----
  int appendTableRow(const std::wstring& name, const std::wstring& active, const std::wstring& horizontalOnly);
  void selectTableRow(int row);
  int tableKey(int row) const;
  bool hasTableRow(int row) const;
  bool anyOtherRowActive(int row) const;
  bool nameInOtherRow(const std::wstring& name, int row) const;
  std::wstring uniqueName(std::wstring base) const;
  int position(int row) const { return row - tables_.headingRowCount() + 1; }

  ProjectDatabasePtr connection_;
  std::unique_ptr<tblPipeSizingTable> table_;
  std::unique_ptr<tblPipeSizingValue> value_;
  std::unique_ptr<tblPipeType> type_;
  ovGrid tables_;
  ovGrid values_;
  KeyedEntries pipeTypes_;  // the pipe-type list's entries
  int pipeType_ = 0;
  int currentRow_ = -1;
};
