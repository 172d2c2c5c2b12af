// The flow categories of every pipe type, under a heading row per type: names, label
// texts, the conversion into the type's first (base) category and its editors. Stored
// on OK, except multipliers, which their editor stores at once.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "grid/grid.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class tblPipeSumCategory;
class tblPipeType;

class CDialogSumCategory : public CAcUiDialog {
 public:
  enum { IDD = 122 };
  static constexpr int kNew = 1001;
  static constexpr int kDelete = 1002;
  static constexpr int kMoveUp = 1003;
  static constexpr int kMoveDown = 1004;
  static constexpr int kEditConversion = 1005;
  static constexpr int kGrid = 1006;
  static constexpr int kEditPipeTypes = 1007;

  // Columns; the order, the keys and the multiplier are hidden.
  static constexpr int kColumnOrder = 0;
  static constexpr int kColumnKey = 1;  // "-1" on a heading row, "NEW" until stored
  static constexpr int kColumnPipeType = 2;
  static constexpr int kColumnName = 3;
  static constexpr int kColumnPrefix = 4;
  static constexpr int kColumnSuffix = 5;
  static constexpr int kColumnConversion = 6;
  static constexpr int kColumnMultiplier = 7;

  // pipeType: the type whose categories are selected first (0: the first row).
  CDialogSumCategory(CWnd* parent, const ProjectDatabasePtr& connection, int pipeType);
  ~CDialogSumCategory() override;

  BOOL OnInitDialog() override;
  void OnOK() override;

  // The pipe type of the row selected when the dialog was closed with OK or a button.
  int currentPipeType() const { return pipeType_; }

 private:
  void loadRows();
  int insertCategory(int at, int pipeType);
  void onNew();
  void onDelete();
  void onMove(int step);
  void onEditConversion();
  void closeFor(int endCode);
  bool onNotice(GridNotice& notice);
  // Greys the conversion of each type's first category and numbers the categories of
  // each type in grid order.
  void applyOrder();

  void removeStored();
  void renameWithoutCollisions();
  void storeRows();

  bool isHeading(int row) const;
  bool isCategory(int row) const;
  bool isBase(int row) const { return isCategory(row) && isHeading(row - 1); }
  int pipeTypeOf(int row) const { return static_cast<int>(grid_.number(row, kColumnPipeType)); }
  int storedKey(int row) const;  // 0 for a row not stored
  bool nameInType(const std::wstring& name, int pipeType, int exceptRow) const;

  ProjectDatabasePtr connection_;
  std::unique_ptr<tblPipeSumCategory> category_;
  std::unique_ptr<tblPipeType> type_;
  ovGrid grid_;
  std::vector<int> removed_;
  int pipeType_;
};
