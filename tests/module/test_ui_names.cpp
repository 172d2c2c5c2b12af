// Actions that name what the user sees: captions, labels, grid names, cell texts and
// headings resolve to the control, row and column meant, and a name that fits nothing
// or more than one thing is refused with the list of what the dialog has.
#include <gtest/gtest.h>

#include "arx/aced_print.h"
#include "grid/grid.h"
#include "mfc/dialog.h"
#include "mfc/ui_actions.h"
#include "mfc/message_box.h"
#include "mfc/ui_driver.h"

namespace {

// Does one action on each dialog it runs and closes it; keeps the refusal.
class OneActionDriver : public UiDriver {
 public:
  int messageBox(const std::wstring&, const std::wstring&, UiIcon, const std::vector<int>&, int answer) override {
    return answer;
  }
  std::optional<std::wstring> pickFile(const std::wstring&, const std::wstring&, const std::wstring&,
                                       const std::wstring&) override {
    return std::nullopt;
  }
  void runDialog(CDialog& dialog) override {
    refused = applyDialogAction(dialog, action);
    dialog.EndDialog(IDCANCEL);
  }
  UiAction action;
  std::wstring refused;
};

constexpr int kNew = 10, kEditSizes = 11, kCopy = 12, kName = 13, kVertical = 14, kPipeType = 15, kLockedButton = 16,
              kLockedCheck = 17, kSizeField = 18, kSizeList = 19, kValues = 1052;

// Every handler writes what reached it into log, so a case sees which control, row
// and column an action found.
class CDialogNamed : public CAcUiDialog {
 public:
  CDialogNamed() : CAcUiDialog(600) {
    SetWindowText(L"Named");
    addButton(kNew, L"&New");
    addButton(kEditSizes, L"Edit &Sizes...");
    addButton(kCopy, L"Copy. . .");
    addField(kName, L"&Name:");
    addCheckBox(kVertical, L"&Vertical Flow Same As Horizontal");
    addDropDown(kPipeType, L"Pipe Type:", {L"PVC", L"Cast Iron"});
    addButton(kLockedButton, L"Locked");
    addCheckBox(kLockedCheck, L"Locked");
    addField(kSizeField, L"Size:");
    addDropDown(kSizeList, L"Size:", {L"1", L"2"});
    addGrid(kValues, L"values", values);
    for (int id : {kNew, kEditSizes, kCopy, kVertical, kLockedButton, kLockedCheck})
      onClicked(id, [this, id] { log = L"click " + std::to_wstring(id); });
    for (int id : {kName, kSizeField}) onFieldChanged(id, [this, id] { log = L"type " + std::to_wstring(id); });
    for (int id : {kPipeType, kSizeList}) onSelectionChanged(id, [this, id] { log = L"choose " + std::to_wstring(id); });
    onGridNotice(kValues, [this](GridNotice& n) {
      if (n.kind == GridNoticeKind::SelectionChanged)
        log = L"select " + std::to_wstring(n.row) + L" " + std::to_wstring(n.column);
      return true;
    });
    buildValues();
  }

  // Hidden key column 0; "Pipe Size" over both heading rows; "Flow" over
  // "Horizontal" and "Vertical"; a check column headed "Standard" and "Size" on two lines.
  void buildValues() {
    values.setColumnCount(5);
    values.setRowCount(2);
    values.setHeadingRowCount(2);
    values.setColumnHidden(0, true);
    values.setText(0, 0, L"ixKey");
    values.setText(0, 1, L"Pipe Size");
    values.mergeCells(0, 1, 2, 1);
    values.setText(0, 2, L"Flow");
    values.mergeCells(0, 2, 1, 2);
    values.setText(1, 2, L"Horizontal");
    values.setText(1, 3, L"Vertical");
    values.setText(0, 4, L"Standard\nSize");
    values.mergeCells(0, 4, 2, 1);
    const wchar_t* rows[][4] = {{L"7", L"1/2\"", L"4", L"-1"}, {L"8", L"3/4\"", L"12.5", L"0"}, {L"9", L"PVC", L"4", L"0"}};
    for (const auto& cells : rows) {
      const int row = values.insertRow();
      for (int c = 0; c < 3; ++c) values.setText(row, c, cells[c]);
      values.setCellKind(row, 4, GridCellKind::CheckBox);
      values.setText(row, 4, cells[3]);
    }
  }

  ovGrid values;
  std::wstring log;
};

TEST(ActionNames, ResolveToWhatTheUserSees) {
  const wchar_t* controls =
      L"buttons: New, \"Edit Sizes\", Copy, Locked; check boxes: \"Vertical Flow Same As Horizontal\", Locked; "
      L"fields: Name, Size; lists: \"Pipe Type\", Size";
  const wchar_t* columns = L"columns: \"Pipe Size\", Horizontal, Vertical, \"Standard Size\"";
  struct Case {
    const wchar_t* line;
    std::wstring expected;  // what the handlers saw, or the refusal
  };
  const Case cases[] = {
      // Captions without accelerators, trailing dots or colons, in any case.
      {L"click New", L"click 10"},
      {L"click \"edit sizes\"", L"click 11"},
      {L"click \"Edit Sizes...\"", L"click 11"},
      {L"click COPY", L"click 12"},
      {L"type name \"Main\"", L"type 13"},
      {L"check \"Vertical Flow Same As Horizontal\" on", L"click 14"},
      {L"choose \"Pipe Type\" \"Cast Iron\"", L"choose 15"},
      {L"click 12", L"click 12"},
      // One name on a field and a list: the verb says which is meant.
      {L"type Size \"3\"", L"type 18"},
      {L"choose Size \"2\"", L"choose 19"},
      // Two controls the same verb takes, and names that fit nothing.
      {L"click Locked", std::wstring(L"more than one control is \"Locked\"; ") + controls},
      {L"click Nwe", std::wstring(L"no control \"Nwe\"; ") + controls},
      // Grids by name or as "grid"; rows by a shown text, quoted with \"; columns by a
      // heading, a two-line heading read as one line, a heading over two rows.
      {L"select values \"3/4\\\"\" Horizontal", L"select 3 2"},
      {L"select grid \"1/2\\\"\" \"standard size\"", L"select 2 4"},
      {L"select values \"pvc\" \"Pipe Size\"", L"select 4 1"},
      {L"select values \"12.5\" Vertical", L"select 3 3"},  // its second shown column
      {L"select values 2 1", L"select 2 1"},
      // Hidden columns are never found: neither their texts nor their headings.
      {L"select values \"8\" 1", L"no row shows \"8\"; rows: \"1/2\\\"\", \"3/4\\\"\", PVC"},
      {L"select values 2 ixKey", std::wstring(L"no column \"ixKey\"; ") + columns},
      {L"select values 2 Flow", std::wstring(L"more than one column is \"Flow\"; ") + columns},
      {L"select sizes 2 1", L"no grid \"sizes\"; grids: values"},
  };
  OneActionDriver driver;
  UiDriver* previous = setUiDriver(&driver);
  for (const Case& c : cases) {
    CDialogNamed dialog;
    const std::wstring line = c.line;
    const std::size_t blank = line.find(L' ');
    ASSERT_EQ(parseDialogAction(line.substr(0, blank), line.substr(blank), driver.action), L"") << acutWideToUtf8(line);
    dialog.DoModal();
    EXPECT_EQ(driver.refused.empty() ? dialog.log : driver.refused, c.expected) << acutWideToUtf8(line);
    if (driver.refused.empty()) {
      EXPECT_EQ(dialogActionLine(driver.action), line);  // printed as written
    }
  }
  setUiDriver(previous);
}

}  // namespace
