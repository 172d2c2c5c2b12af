// One alignment-point area: its name, its floor and the pipe types that may be drawn
// in it. Opened to insert a new area (nothing is written; the LISP program stores it
// from the answer) or to query a stored one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "grid/grid.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class tblAlignmentPointArea;
class tblFloor;
class tblPipeAreaMap;
class tblPipeType;

// What OK answers: the floor, the name and, inserting, the pipe types ticked.
struct AreaAnswer {
  int floor = 0;
  std::wstring name;
  std::vector<int> addedTypes;
};

class CAlignQuery : public CAcUiDialog {
 public:
  enum { IDD = 162 };
  static constexpr int kGrid = 1001;
  static constexpr int kEditFloors = 1002;
  // The key that opens the dialog to insert a new area.
  static constexpr int kInsert = -1;

  static constexpr int kColumnLabel = 0;
  static constexpr int kColumnValue = 1;
  static constexpr int kColumnMap = 2;
  static constexpr int kColumnPipeType = 3;
  static constexpr int kColumnLocked = 4;
  static constexpr int kRowName = 1;
  static constexpr int kRowFloor = 2;
  static constexpr int kFirstTypeRow = 4;

  CAlignQuery(CWnd* parent, const ProjectDatabasePtr& connection, int areaKey);
  ~CAlignQuery() override;

  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  bool inserting() const { return areaKey_ == kInsert; }
  const AreaAnswer& answer() const { return answer_; }

 private:
  void loadFloors();
  void tickMappedTypes();
  void tickTypesInUse();
  void lockTypesOfOtherAreas();
  int typeRow(int pipeType) const;
  bool onNotice(GridNotice& notice);
  void onEditFloors();
  bool nameIsValid();
  // Writes the name and floor shown (or given) to the stored area; the floor's key.
  int saveArea(const std::wstring& name, const std::wstring& floorName);
  int floorKeyOf(const std::wstring& floorName);

  ProjectDatabasePtr connection_;
  std::unique_ptr<tblAlignmentPointArea> area_;
  std::unique_ptr<tblPipeAreaMap> map_;
  std::unique_ptr<tblPipeType> type_;
  std::unique_ptr<tblFloor> floor_;
  ovGrid grid_;
  int areaKey_;
  bool hasRisers_ = false;
  bool risersTold_ = false;
  std::wstring openingName_;
  std::wstring openingFloor_;
  int openingFloorKey_ = 0;
  AreaAnswer answer_;
};
