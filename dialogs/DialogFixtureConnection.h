// The settings of the next fixture connection: the host program keeps them between
// calls and inserts the connection; the dialog shows what it kept, lets the user change
// it and hands it back.
#pragma once

#include <string>
#include <vector>

#include "dialogs/keyed_list.h"
#include "grid/grid.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class DialogFixtureConnection : public CAcUiDialog {
 public:
  enum { IDD = 152 };
  // The code OK ends the dialog with; the LISP function answers T for it.
  static constexpr int kInserted = 100;
  static constexpr int kPipeType = 1001;
  static constexpr int kGrid = 1002;
  static constexpr int kPTrap = 1003;
  static constexpr int kTransparent = 1004;
  static constexpr int kElevation = 1005;
  static constexpr int kPipeSize = 1006;
  static constexpr int kSizingTable = 1007;
  static constexpr int kLayerSystem = 1008;
  static constexpr int kFloor = 1009;

  static constexpr int kColumnSum = 0;  // hidden
  static constexpr int kColumnCategory = 1;  // hidden
  static constexpr int kColumnName = 2;
  static constexpr int kColumnFlow = 3;

  DialogFixtureConnection(CWnd* parent, const ProjectDatabasePtr& connection);

  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  void loadStoredSettings();
  void loadTypeLists(int pipeType, int size, int sizingTable);
  void fillGrid(int pipeType, bool storedFlows);
  void onPipeTypeChosen();
  void sendSettings();
  void sendFlows();

  ProjectDatabasePtr connection_;
  ovGrid grid_;
  KeyedEntries pipeTypes_;
  KeyedEntries layerSystems_;
  KeyedEntries sizes_;
  KeyedEntries sizingTables_;
  int shownType_ = 0;
};
