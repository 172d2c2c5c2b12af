// The project explorer: every placed pipe and pipe symbol of the project, across its
// drawings, as a tree opened level by level (pipe types, floors, pipes; valve groups,
// callouts and floors in the order the user chooses, placed valves). The rows
// come from the LISP program, which runs the dialog's SELECT texts; the dialog hands
// back which object the user wants found or queried.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "grid/grid.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class tblFloor;
class tblPipe;
class tblPipeType;
class tblValveL;
class tblValveS;
class tblValveSGroup;

class CDialogProjectExplorerPlumb : public CAcUiDialog {
 public:
  enum { IDD = 171 };
  // The codes the dialog ends with besides Exit (1).
  static constexpr int kQueryObject = 100;
  static constexpr int kFindObject = 101;
  static constexpr int kQuerySchedule = 102;
  static constexpr int kGrid = 1001;
  static constexpr int kSortOrder = 1002;
  static constexpr int kFind = 1003;
  static constexpr int kQuery = 1004;
  static constexpr int kPipes = 1;
  static constexpr int kPipeSymbols = 2;

  // Columns: the text and the drawing shown, the rest hidden.
  enum Column {
    kValue, kDrawing, kDevType, kLevel, kRowType, kGroup, kSchedule, kList, kFloor, kExpanded, kIsCallout, kColumns
  };

  // ixList above 0: the placed object (of devType) the tree opens at.
  CDialogProjectExplorerPlumb(CWnd* parent, const ProjectDatabasePtr& connection, int ixList, int devType,
                              const std::wstring& text);
  ~CDialogProjectExplorerPlumb() override;

  BOOL OnInitDialog() override;

  // The values of the row selected last, for the LISP program.
  int chosenList() const { return chosenList_; }
  int chosenDevType() const { return chosenDevType_; }
  int chosenSchedule() const { return chosenSchedule_; }

 private:
  // What a new row inherits from the row it is opened under, and its own values.
  struct RowValues {
    int devType = 0;
    int level = 0;
    std::wstring rowType;
    int group = 0;
    int schedule = 0;
    int list = 0;
    int floor = 0;
    bool callout = false;
  };

  void buildHeaders();
  int insertRow(int at, const std::wstring& text, const RowValues& values, bool opens);
  RowValues valuesOf(int row) const;
  // Opens or closes a row as a double click does; answers whether it is open now.
  bool toggle(int row);
  void insertChildren(int row);
  int addChildren(int row, const std::vector<int>& keys, RowValues child, bool opens);
  int addLeaf(int at, const RowValues& parent, const std::wstring& text);
  void removeChildren(int row);
  void openAt(int list, int devType);
  int findChild(int row, int column, int value);
  bool calloutFirst() const;
  void writeSortSetting() const;

  std::vector<int> hostQuery(const std::wstring& sql, const std::wstring& sortColumn, const std::wstring& valueColumn);
  std::wstring nameOf(const RowValues& row);

  void remember();
  void onFind();
  void onQuery();
  void onExit();
  bool onNotice(GridNotice& notice);

  ProjectDatabasePtr connection_;
  std::unique_ptr<tblPipeType> type_;
  std::unique_ptr<tblFloor> floor_;
  std::unique_ptr<tblPipe> pipe_;
  std::unique_ptr<tblValveSGroup> group_;
  std::unique_ptr<tblValveS> schedule_;
  std::unique_ptr<tblValveL> valve_;
  ovGrid grid_;
  int startList_;
  int startDevType_;
  std::wstring text_;
  int chosenList_;
  int chosenDevType_;
  int chosenSchedule_ = 0;
};
