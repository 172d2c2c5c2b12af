// The linetypes pipes are drawn with, per pipe type and layer system: a tree of pipe
// types, their layer systems (with the text shown in the linetype) and the linetypes by
// minimum pipe length. A type hidden below ductwork has no linetypes of its own.
#pragma once

#include <memory>
#include <vector>

#include "grid/grid.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class tblPipeLinetype;
class tblPipeLinetypeText;

class CDialogPipeLinetype : public CAcUiDialog {
 public:
  enum { IDD = 143 };
  static constexpr int kEditPipeTypes = 1001;
  static constexpr int kInsert = 1002;
  static constexpr int kDelete = 1003;
  static constexpr int kGrid = 1004;

  // Columns; the keys are hidden. The key column tells the rows apart: "0" a pipe type,
  // "-2" a layer system, "-1" the hidden-by-ductwork row, else a linetype (empty: new).
  static constexpr int kColumnKey = 0;
  static constexpr int kColumnPipeType = 1;
  static constexpr int kColumnLayerSystem = 2;
  static constexpr int kColumnLinetype = 3;
  static constexpr int kColumnMinimumLength = 4;
  static constexpr int kColumnRotate = 5;
  static constexpr int kColumnText = 6;

  // pipeType: the type whose first row is selected (0: the first type's).
  CDialogPipeLinetype(CWnd* parent, const ProjectDatabasePtr& connection, int pipeType);
  ~CDialogPipeLinetype() override;

  BOOL OnInitDialog() override;
  void OnOK() override;

  int currentPipeType() const { return pipeType_; }

 private:
  enum class RowKind { PipeType, LayerSystem, Hidden, Linetype };

  void loadRows();
  int addRow(RowKind kind, int pipeType, int layerSystem);
  int addLinetypeRow(int at, int pipeType, int layerSystem, const std::wstring& linetype, double length);
  void onInsert();
  void onDelete();
  void closeFor(int endCode);
  bool onNotice(GridNotice& notice);

  RowKind kindOf(int row) const;
  bool isRow(int row) const { return row >= grid_.headingRowCount() && row < grid_.rowCount(); }
  // The layer-system row a linetype or layer-system row belongs to.
  int groupOf(int row) const;

  ProjectDatabasePtr connection_;
  std::unique_ptr<tblPipeLinetype> linetype_;
  std::unique_ptr<tblPipeLinetypeText> text_;
  ovGrid grid_;
  std::vector<int> removed_;
  int pipeType_;
};
