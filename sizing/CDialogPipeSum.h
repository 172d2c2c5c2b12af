// The query dialog of one pipe: its settings from tblPipe, handed back to the LISP
// program as an association list, and its fixed flow values per flow category, which
// the dialog writes to tblPipeSum itself on OK.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dialogs/keyed_list.h"
#include "grid/grid.h"
#include "mfc/dialog.h"
#include "projectdb/project_database.h"

class tblPipe;
class tblPipeSum;

// What OK hands back, in the order the LISP program receives it.
struct PipeSumAnswer {
  double z1 = 0.0;
  double z2 = 0.0;
  int pipeSize = 0;
  int layerSystem = 0;
  int pipeType = 0;
  int sizingTable = 0;  // 0: "Same as Previous", answered as nil
  bool ptrap = false;
  bool transparent = false;
  double exteriorLining = 0.0;
  std::wstring offsetZ;
  std::wstring offsetY;
  int hangerType = 0;
  bool sizeLocked = false;
  // Only when the hanger type is not "None": dHangerZ, then the hanger fields.
  std::vector<std::pair<std::wstring, double>> hanger;
};

class CDialogPipeSum : public CAcUiDialog {
 public:
  enum { IDD = 121 };
  static constexpr int kZ1 = 1001;
  static constexpr int kZ2 = 1002;
  static constexpr int kOffsetZ = 1003;
  static constexpr int kOffsetY = 1004;
  static constexpr int kPipeType = 1005;
  static constexpr int kPipeSize = 1006;
  static constexpr int kSizingTable = 1007;
  static constexpr int kLayerSystem = 1008;
  static constexpr int kInsulationBox = 1009;
  static constexpr int kInsulation = 1010;
  static constexpr int kPTrap = 1011;
  static constexpr int kTransparent = 1012;
  static constexpr int kFarthest = 1013;
  static constexpr int kHighest = 1014;
  static constexpr int kGrid = 1015;
  static constexpr int kEditCategories = 1016;
  static constexpr int kHangerType = 1017;
  static constexpr int kHangerZ = 1018;
  // The hanger's number fields take the ids after kHangerZ, in their table's order.

  // Grid columns: the category and the fixed flag hidden, the sum's key hidden last.
  static constexpr int kColumnCategory = 0;
  static constexpr int kColumnFixed = 1;
  static constexpr int kColumnName = 2;
  static constexpr int kColumnValue = 3;
  static constexpr int kColumnSum = 4;

  // flag: handed to the host program when it lists the pipe types a pipe may take.
  CDialogPipeSum(CWnd* parent, const ProjectDatabasePtr& connection, int pipe, bool flag);
  ~CDialogPipeSum() override;

  BOOL OnInitDialog() override;
  void OnOK() override;

  const PipeSumAnswer& answer() const { return answer_; }

 private:
  void declareControls();
  void loadPipe();
  void loadPipeTypes();
  void loadStaticValues();
  void loadInsulation();
  void loadSizeChoices(int pipeType);
  void loadSizingTableChoices(int pipeType);
  void loadLayerSystems();
  void applyTileCheck();
  // The grid for a pipe type: the stored sums for the pipe's own type, else the fixed
  // values the pipe had when the dialog opened, one by one.
  void buildGrid(int pipeType);
  void addSumRows(const KeyedEntries& categories, bool fixed, int pipeType);
  void showConvertedFlow(int firstCalculatedRow, std::size_t categoryCount);

  void onPipeTypeChosen();
  void onHangerTypeChosen();
  void onInsulationClicked();
  void onEditCategories();
  bool onNotice(GridNotice& notice);

  bool hangerIsValid();
  void storeSums();
  void storeSum(int row);
  void fillAnswer();

  int chosenPipeType() const;
  bool hasSizes(int pipeType) const;

  ProjectDatabasePtr connection_;
  std::unique_ptr<tblPipe> pipe_;
  std::unique_ptr<tblPipeSum> sum_;
  ovGrid grid_;
  int pipeKey_;
  bool flag_;
  bool found_ = false;
  int storedType_ = 0;
  int shownType_ = 0;  // the type the grid and the size choices are for
  std::vector<std::wstring> openingFixedValues_;
  KeyedEntries pipeTypes_;
  KeyedEntries sizes_;
  KeyedEntries sizingTables_;
  KeyedEntries layerSystems_;
  PipeSumAnswer answer_;
};
