// The pipe types of a project with their drawing options. Making and removing a type's
// set-up is the host program's work; the dialog keeps tblPipeType and tells the host
// on OK which types are new (and what they copy) and which are gone.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "grid/grid.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class tblPipeType;

class CDialogPipeType : public CAcUiDialog {
 public:
  enum { IDD = 141 };
  static constexpr int kMoveUp = 1001;
  static constexpr int kMoveDown = 1002;
  static constexpr int kNew = 1003;
  static constexpr int kDelete = 1004;
  static constexpr int kGrid = 1005;
  static constexpr int kEditLabels = 1006;
  static constexpr int kEditLinetypes = 1007;
  static constexpr int kEditFlowCategories = 1008;
  static constexpr int kEditSizes = 1009;
  static constexpr int kEditSizingTables = 1010;

  // Columns; the key, the order and the mimic are hidden.
  static constexpr int kColumnKey = 0;  // "NEW" until stored
  static constexpr int kColumnOrder = 1;
  static constexpr int kColumnName = 2;
  static constexpr int kColumnShortName = 3;
  static constexpr int kColumnMimic = 4;
  static constexpr int kColumnDirection = 5;
  static constexpr int kColumnElbow = 6;
  static constexpr int kColumnTee = 7;
  static constexpr int kColumnTicks = 8;
  static constexpr int kColumnLabelLocation = 9;
  static constexpr int kColumnHide = 10;

  // pipeType: the type selected first (0: the first row).
  CDialogPipeType(CWnd* parent, const ProjectDatabasePtr& connection, int pipeType);
  ~CDialogPipeType() override;

  BOOL OnInitDialog() override;
  void OnOK() override;

  // The type selected when the dialog was closed with OK or a button.
  int currentPipeType() const { return pipeType_; }

 private:
  int appendRow();
  void onNew();
  void onDelete();
  void closeFor(int endCode);
  bool onNotice(GridNotice& notice);
  bool inUse(int key) const;
  bool nameTaken(const std::wstring& name, int exceptRow) const;
  // prefix + n + suffix, with the first n = 1, 2, ... that no row uses.
  std::wstring freeName(const std::wstring& prefix, const std::wstring& suffix) const;
  int firstRow() const { return grid_.headingRowCount(); }

  ProjectDatabasePtr connection_;
  std::unique_ptr<tblPipeType> type_;
  ovGrid grid_;
  std::vector<int> removed_;
  int pipeType_;
};
