// The pipe symbol blocks a project offers: description, block (chosen from the symbol
// drawings), drawn to scale or not, and their order. Deleting a symbol in use is the
// host program's decision, which names the symbol that replaces it.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "grid/grid.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class tblDwgValve;

class CDialogDwgValve : public CAcUiDialog {
 public:
  enum { IDD = 151 };
  static constexpr int kMoveUp = 1001;
  static constexpr int kMoveDown = 1002;
  static constexpr int kNew = 1003;
  static constexpr int kDelete = 1004;
  static constexpr int kGrid = 1005;

  static constexpr int kColumnKey = 0;  // hidden; "-1" until stored
  static constexpr int kColumnDescription = 1;
  static constexpr int kColumnBlock = 2;
  static constexpr int kColumnToScale = 3;

  // symbolFolder: where the symbol drawings are, ending with a separator. The valves of
  // a database opened from a path are in tblValveM, the project's in tblValveS.
  CDialogDwgValve(CWnd* parent, const ProjectDatabasePtr& connection, const std::wstring& symbolFolder,
                  bool openedFromPath);
  ~CDialogDwgValve() override;

  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  int appendRow();
  void onNew();
  void onDelete();
  bool onNotice(GridNotice& notice);
  void repointAndDelete();
  void storeRows();
  bool descriptionShown(const std::wstring& text) const;
  int firstRow() const { return grid_.headingRowCount(); }

  ProjectDatabasePtr connection_;
  std::unique_ptr<tblDwgValve> symbol_;
  ovGrid grid_;
  std::wstring symbolFolder_;
  bool openedFromPath_;
  std::vector<std::pair<int, int>> replacements_;  // (deleted, replacing; 0 for none)
};
