// The label formats of every pipe type and layer system: the plan-view format and the
// isometric one, which may be the same as the plan-view format.
#pragma once

#include <memory>

#include "grid/grid.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class tblPipeLabel;

class CDialogPipeLabel : public CAcUiDialog {
 public:
  enum { IDD = 142 };
  static constexpr int kEditPipeTypes = 1001;
  static constexpr int kGrid = 1002;
  static constexpr int kVariables = 1003;

  // Columns; the keys are hidden. A pipe-type row's label key is "-1".
  static constexpr int kColumnKey = 0;
  static constexpr int kColumnPipeType = 1;
  static constexpr int kColumnLayerSystem = 2;
  static constexpr int kColumnLayerSystemName = 3;
  static constexpr int kColumnPlanView = 4;
  static constexpr int kColumnIsometric = 5;

  // pipeType: the type whose first label row is selected (0: the first label row).
  CDialogPipeLabel(CWnd* parent, const ProjectDatabasePtr& connection, int pipeType);
  ~CDialogPipeLabel() override;

  BOOL OnInitDialog() override;
  void OnOK() override;

  int currentPipeType() const { return pipeType_; }

 private:
  void loadRows();
  void closeFor(int endCode);
  bool isLabelRow(int row) const;

  ProjectDatabasePtr connection_;
  std::unique_ptr<tblPipeLabel> label_;
  ovGrid grid_;
  int pipeType_;
};
