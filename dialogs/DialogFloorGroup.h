// The floors of the project: names, finished-floor elevations and their grouping into
// stacks, each floor pointing at the one above it. A floor may not pass another of its
// group while risers join them. The dialog can close to let the user pick an
// elevation in the drawing; its grid then waits with the host program until it opens
// again.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "grid/grid.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class tblFloor;

// An elevation picked in the drawing for a row of the grid, put in when it opens again.
struct PickedElevation {
  int row = -1;
  double elevation = 0.0;
};

class DialogFloorGroup : public CAcUiDialog {
 public:
  enum { IDD = 161 };
  // The code the dialog ends with to have an elevation picked.
  static constexpr int kPickElevation = 100;
  static constexpr int kDefaultHeight = 1001;
  static constexpr int kGrid = 1002;
  static constexpr int kNewTop = 1003;
  static constexpr int kNewBottom = 1004;
  static constexpr int kNewGroup = 1005;
  static constexpr int kDelete = 1006;
  static constexpr int kSpecifyElevation = 1007;

  static constexpr int kColumnKey = 1;  // "NEW" until stored; empty on a group heading
  static constexpr int kColumnAbove = 2;
  static constexpr int kColumnName = 3;
  static constexpr int kColumnElevation = 4;

  // floorKey: the floor selected first (0: the uppermost). picked: an elevation the
  // user picked for a row before the dialog opened again.
  DialogFloorGroup(CWnd* parent, const ProjectDatabasePtr& connection, int floorKey,
                   std::optional<PickedElevation> picked);
  ~DialogFloorGroup() override;

  BOOL OnInitDialog() override;
  void OnOK() override;

  // The row "Specify Elevation <" was pressed on (when the dialog ended to pick).
  int pickRow() const { return pickRow_; }

 private:
  void loadRows();
  bool loadSavedGrid();
  void loadFloorGroups();
  int addHeading(int at = -1);
  int addFloor(int at, const std::wstring& key, const std::wstring& name, double elevation);
  void selectAtStart();

  void onNewTop();
  void onNewBottom();
  void onNewGroup();
  void onDelete();
  void onSpecifyElevation();
  bool onNotice(GridNotice& notice);
  bool nameIsDuplicate(const std::wstring& name, int row) const;
  // The checks after an elevation changed; they move the floor past its neighbours
  // while no risers join them. False (and nothing moved) when refused.
  bool checkElevation(int row, double before);
  bool checkAgainst(int row, int step);

  void raiseFloorsAbove();
  void removeDeleted();
  void moveNamesOutOfTheWay();
  void storeFloors();

  bool isFloor(int row) const;
  bool isHeading(int row) const;
  double elevation(int row) const;
  void setElevation(int row, double inches);
  double defaultHeight() const;
  std::wstring newFloorName() const;
  int headingOf(int row) const;

  ProjectDatabasePtr connection_;
  std::unique_ptr<tblFloor> floor_;
  ovGrid grid_;
  int floorKey_;
  std::optional<PickedElevation> picked_;
  std::vector<int> deleted_;
  std::wstring nameBeforeEdit_;
  double elevationBeforeEdit_ = 0.0;
  int pickRow_ = -1;
};
