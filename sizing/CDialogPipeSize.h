// The pipe-size editor: the sizes of every pipe type under a heading row per type, each
// type's sizes kept in interior-diameter order. Nothing is stored before OK.
#pragma once

#include <memory>
#include <vector>

#include "grid/grid.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class tblPipeSize;
class tblPipeSizingValue;
class tblPipeType;

class CDialogPipeSize : public CAcUiDialog {
 public:
  enum { IDD = 131 };
  static constexpr int kEditPipeTypes = 1001;
  static constexpr int kNew = 1002;
  static constexpr int kDelete = 1003;
  static constexpr int kGrid = 1004;
  static constexpr int kEditSizingTables = 1005;

  // Columns; the key and the pipe type are hidden. A heading row's key is "-2".
  static constexpr int kColumnKey = 0;
  static constexpr int kColumnLabel = 1;
  static constexpr int kColumnInterior = 2;
  static constexpr int kColumnExterior = 3;
  static constexpr int kColumnPipeType = 4;

  // pipeType: the type whose heading row is selected first; 0 selects the first size.
  CDialogPipeSize(CWnd* parent, const ProjectDatabasePtr& connection, int pipeType);
  ~CDialogPipeSize() override;

  BOOL OnInitDialog() override;
  void OnOK() override;

  // The pipe type of the row selected when the dialog was closed with OK or a button.
  int currentPipeType() const { return pipeType_; }

 private:
  void loadRows();
  void onNew();
  void onDelete();
  void closeFor(int endCode);
  void storeRows();
  void addZeroFlowValues(int pipeType, int size);
  bool onNotice(GridNotice& notice);
  // Moves an edited size among its type's sizes to its interior-diameter place.
  void keepInDiameterOrder(int row);

  bool isHeading(int row) const;
  bool isSize(int row) const;
  int pipeTypeOf(int row) const;

  ProjectDatabasePtr connection_;
  std::unique_ptr<tblPipeSize> size_;
  std::unique_ptr<tblPipeSizingValue> value_;
  std::unique_ptr<tblPipeType> type_;
  ovGrid grid_;
  std::vector<int> removed_;  // stored sizes deleted in the grid, removed on OK
  int pipeType_;
};
