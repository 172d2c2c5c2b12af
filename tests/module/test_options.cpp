// ov_plumb-options driven by a user through the scripted driver on a standard project:
// what the dialog shows, greying by the vertical method, what OK writes and what Cancel
// does not, the key it answers, its arguments and database files, and the block browser
// of its block rows.
#include <fstream>
#include <memory>

#include "db/tblGlobal.h"
#include "dialogs/block_browser.h"
#include "frame/context.h"
#include "frame/function_table.h"
#include "frame_fixture.h"
#include "grid/grid.h"
#include "mfc/dialog.h"
#include "mfc/ui_script.h"
#include "test_record_fixture.h"

namespace {

// The options grid as the user sees it: each row's label, value, key and greying.
struct GridView {
  std::vector<std::wstring> labels, values, keys;
  std::vector<bool> grey;
  int editRow = -1;
  int selectedRow = -1;

  int rowOf(const std::wstring& key) const {
    for (std::size_t row = 1; row < keys.size(); ++row)
      if (keys[row] == key) return static_cast<int>(row);
    return -1;
  }
  std::wstring value(const std::wstring& key) const { return rowOf(key) < 0 ? L"<no row>" : values[rowOf(key)]; }
  bool isGrey(const std::wstring& key) const { return rowOf(key) >= 0 && grey[rowOf(key)]; }
};

// The options grid of a dialog as the user sees it.
GridView viewOf(const CDialog& dialog) {
  GridView seen;
  const CDialogItem* item = dialog.GetDlgItem(1052);
  const auto* grid = item != nullptr ? dynamic_cast<const ovGrid*>(item->grid()) : nullptr;
  if (grid == nullptr) return seen;
  for (int row = 0; row < grid->rowCount(); ++row) {
    seen.labels.push_back(grid->text(row, 0));
    seen.values.push_back(grid->text(row, 1));
    seen.keys.push_back(grid->text(row, 2));
    seen.grey.push_back(grid->isGrey(row, 1) && grid->isGrey(row, 0));
  }
  seen.editRow = grid->editRow();
  seen.selectedRow = grid->selectedRow();
  return seen;
}

// Rows of the options grid, as a user counts them (row 0 is the heading).
constexpr int kBreakWidthRow = 2, kMethodRow = 3, kMinimumRow = 4, kDiameterRow = 5, kTrapWidthRow = 6;
constexpr int kShowTicksRow = 9, kArcRadiusRow = 12, kHangers3dRow = 34, kTextDistanceRow = 15, kLeaderBlockRow = 16, kLeaderBlockVRow = 18;
constexpr int kElevationLeaderRow = 21, kTopBlockRow = 23, kApproximationRow = 32, kLinetypeFileRow = 35;
constexpr int kTitleJustificationRow = 36;

std::string cell(int row, const std::string& text) { return "cell 1052 " + std::to_string(row) + " 1 " + text + "\n"; }
std::string pick(int row, const std::string& text) { return "pick 1052 " + std::to_string(row) + " 1 " + text + "\n"; }

constexpr char kOpen[] = "dialog ov_plumb:Options\n";
constexpr char kOk[] = "click 1\n";
constexpr char kCancel[] = "click 2\n";
constexpr char kCall[] = "(ov_plumb-options \"B/\")";

class OptionsDialog : public FrameTest {
 protected:
  void SetUp() override {
    openProject("proj");
    ASSERT_NE(open("proj/plan.hdw"), nullptr);
    startContext();
    ovRegisterLispFunctions();
  }
  // Evaluates the LISP call with a user acting as the answer text says, seeing the grid
  // as each dialog opens (views_[0]) and closes (views_[1]); answers the printed result.
  std::wstring runWith(const std::string& call, const std::string& answers) {
    std::wstring error;
    ui_.script = ScriptedUiDriver::fromText(answers, "answers", error);
    EXPECT_TRUE(ui_.script) << acutWideToUtf8(error);
    ui_.boxes.clear();
    ui_.files.clear();
    views_.clear();
    ui_.seeDialog = [this](const CDialog& dialog) {
      if (views_.empty()) caption_ = dialog.caption() + L" " + dialogNameOf(dialog);
      views_.push_back(viewOf(dialog));
    };
    const std::wstring result = eval(call);
    ui_.script.reset();
    return result;
  }
  std::wstring options(const std::string& actions, const std::string& call = kCall) {
    return runWith(call, kOpen + actions);
  }

  // The stored row of a setting as "N:number" or "T:text" (a numeric row's text, when it
  // has one, after it), read afresh.
  std::wstring stored(const std::wstring& key, const ProjectDatabasePtr& database = nullptr) {
    tblGlobal row(database ? database : db_);
    if (!row.FindBy(_variant_t(key.c_str()))) return L"<no row>";
    if (!row.bNumeric()) return L"T:" + row.sText();
    std::wostringstream text;
    text << L"N:" << row.dNumber() << (row.isNull_sText() ? L"" : L" " + row.sText());
    return text.str();
  }

  std::vector<GridView> views_;
  std::wstring caption_;
};

TEST_F(OptionsDialog, ShowsEveryRowWithItsStoredValueAndLabel) {
  EXPECT_EQ(options(kCancel), L"(\"\")");
  ASSERT_EQ(views_.size(), 2u);
  const GridView fresh = views_[0];
  EXPECT_EQ(caption_, L"Orvane Plumbing Options ov_plumb:Options");
  ASSERT_EQ(fresh.values.size(), 39u) << "the heading, 5 sections and 33 settings";
  int settings = 0;
  for (std::size_t row = 1; row < fresh.keys.size(); ++row) {
    if (fresh.keys[row].empty()) continue;
    ++settings;
    EXPECT_NE(fresh.values[row], L"") << "a new project stores every setting: " << acutWideToUtf8(fresh.keys[row]);
  }
  EXPECT_EQ(settings, 33);
  EXPECT_EQ(fresh.labels[0], L"");
  EXPECT_EQ(fresh.values[0], L"Value");
  EXPECT_EQ(fresh.labels[1], L"Pipe Graphics");
  EXPECT_EQ(fresh.labels[kMinimumRow], L"       Minimum vertical pipe diameter");
  EXPECT_EQ(fresh.labels[kDiameterRow], L"       Not to scale vertical pipe diameter");
  EXPECT_EQ(fresh.labels[fresh.rowOf(L"ELEVLABEL BOTTOM LABEL")], L"Bottom label ");
  EXPECT_EQ(fresh.labels[fresh.rowOf(L"ELEVLABEL CENTERLINE LABEL")], L"Centerline label ");
  EXPECT_EQ(fresh.labels[31], L"Miscellaneous");
  EXPECT_EQ(fresh.keys[8], L"") << "a section row";
  EXPECT_EQ(fresh.keys[38], L"scheduleTitleContinued");
  EXPECT_EQ(fresh.value(L"pipe-verticalMethod"), L"Not to scale");
  EXPECT_EQ(fresh.value(L"stackedFractions"), L"Yes");
  EXPECT_EQ(fresh.value(L"pipe-showTicksBeforeValve"), L"No");
  EXPECT_EQ(fresh.value(L"ELEVLABEL TOP LABEL"), L"TOP");
  EXPECT_EQ(fresh.value(L"3DApproximation"), L"16");

  // Numbers to four decimals, a number row without its number, a missing row; yes/no
  // values shown capitalised whatever their case.
  sql(L"update tblGlobal set dNumber = 2.125 where sKey = \"pipe-breakWidth\"");
  sql(L"update tblGlobal set dNumber = null where sKey = \"pipe-arcRadius\"");
  sql(L"update tblGlobal set dNumber = 0.333333 where sKey = \"pipe-leaderSize\"");
  sql(L"delete from tblGlobal where sKey = \"PTRAP-WIDTH\"");
  sql(L"update tblGlobal set sText = \"yes\" where sKey = \"stackedFractions\"");
  options(kCancel);
  const GridView& seen = views_[0];
  EXPECT_EQ(seen.value(L"pipe-breakWidth"), L"2.125");
  EXPECT_EQ(seen.value(L"pipe-arcRadius"), L"0");
  EXPECT_EQ(seen.value(L"pipe-leaderSize"), L"0.3333");
  EXPECT_EQ(seen.value(L"PTRAP-WIDTH"), L"");
  EXPECT_EQ(seen.value(L"stackedFractions"), L"No") << "only YES is yes";
}

// Each run types or picks, presses OK, and leaves the stored rows as listed: numbers as
// the leading number of their text, the approximation whole and at least 8, yes/no
// upper case (empty is NO), new rows with their row's kind, stored rows keeping theirs.
TEST_F(OptionsDialog, OkWritesEachRowAsItsKindSays) {
  sql(L"delete from tblGlobal where sKey in (\"PTRAP-WIDTH\", \"linetypeFile\", \"DrawHangers3D\")");
  sql(L"update tblGlobal set bNumeric = 0, dNumber = null, sText = \"wide\" where sKey = \"pipe-textDistance\"");
  sql(L"update tblGlobal set sText = \"yes\" where sKey = \"stackedFractions\"");
  const struct {
    std::string actions;
    std::vector<std::pair<const wchar_t*, const wchar_t*>> stored;
  } runs[] = {
      {cell(kTrapWidthRow, "7.25") + cell(kLinetypeFileRow, "my.lin") + cell(kBreakWidthRow, "4.5 inches"),
       {{L"PTRAP-WIDTH", L"N:7.25"}, {L"linetypeFile", L"T:my.lin"}, {L"DrawHangers3D", L"T:NO"},
        {L"pipe-breakWidth", L"N:4.5"}, {L"pipe-textDistance", L"T:wide"}, {L"stackedFractions", L"T:NO"},
        {L"pipe-showTicksBeforeValve", L"T:NO"}}},
      {cell(kTrapWidthRow, "wide") + pick(kShowTicksRow, "Yes") + pick(kHangers3dRow, "Yes"),
       {{L"PTRAP-WIDTH", L"N:0"}, {L"pipe-showTicksBeforeValve", L"T:YES"}, {L"DrawHangers3D", L"T:YES"}}},
      {cell(kApproximationRow, "5"), {{L"3DApproximation", L"N:8"}}},
      {cell(kApproximationRow, "12.7"), {{L"3DApproximation", L"N:12"}}},
      {cell(kApproximationRow, "none"), {{L"3DApproximation", L"N:8"}}},
      {cell(kApproximationRow, "-20"), {{L"3DApproximation", L"N:8"}}},
      {cell(kApproximationRow, "40"), {{L"3DApproximation", L"N:40"}}},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.actions);
    options(run.actions + kOk);
    for (const auto& [key, value] : run.stored) EXPECT_EQ(stored(key), value) << acutWideToUtf8(key);
  }
  sql(L"update tblGlobal set bNumeric = -1, dNumber = 3, sText = null where sKey = \"linetypeFile\"");
  options(cell(kLinetypeFileRow, "7.5 in") + kOk);
  EXPECT_EQ(views_[0].value(L"linetypeFile"), L"3");
  EXPECT_EQ(stored(L"linetypeFile"), L"N:7.5") << "a text row stored as a number stays a number";
}

TEST_F(OptionsDialog, CancelOrEscapeWritesNothing) {
  sql(L"update tblGlobal set sText = \"yes\" where sKey = \"stackedFractions\"");
  sql(L"delete from tblGlobal where sKey = \"PTRAP-WIDTH\"");
  options(cell(kBreakWidthRow, "9") + pick(kMethodRow, "To scale") + kCancel);
  options(cell(kBreakWidthRow, "9") + "escape\n");
  EXPECT_EQ(stored(L"pipe-breakWidth"), L"N:3");
  EXPECT_EQ(stored(L"pipe-verticalMethod"), L"T:Not to scale");
  EXPECT_EQ(stored(L"stackedFractions"), L"T:yes");
  EXPECT_EQ(stored(L"PTRAP-WIDTH"), L"<no row>");
}

// "Not to scale" greys the minimum, "To scale" both, "To scale with minimum" the
// diameter; no stored method greys nothing until one is chosen. A greyed row takes no
// edit, and what was typed before the greying stays.
TEST_F(OptionsDialog, VerticalMethodGreysItsDependentRows) {
  const auto greyed = [](const GridView& view) {
    return std::to_string(view.isGrey(L"pipe-verticalMinimum")) + std::to_string(view.isGrey(L"pipe-verticalDiameter"));
  };
  options(cell(kMinimumRow, "9") + cell(kDiameterRow, "5") + pick(kMethodRow, "To scale") + cell(kDiameterRow, "6") +
          kOk);
  EXPECT_EQ(greyed(views_[0]), "10");
  EXPECT_EQ(greyed(views_[1]), "11");
  EXPECT_EQ(stored(L"pipe-verticalMinimum"), L"N:2");
  EXPECT_EQ(stored(L"pipe-verticalDiameter"), L"N:5");
  EXPECT_EQ(stored(L"pipe-verticalMethod"), L"T:To scale");

  options(pick(kMethodRow, "To scale with minimum") + cell(kMinimumRow, "1.5") + cell(kDiameterRow, "7") + kOk);
  EXPECT_EQ(greyed(views_[0]), "11");
  EXPECT_EQ(greyed(views_[1]), "01");
  EXPECT_EQ(stored(L"pipe-verticalMinimum"), L"N:1.5");
  EXPECT_EQ(stored(L"pipe-verticalDiameter"), L"N:5");

  sql(L"delete from tblGlobal where sKey = \"pipe-verticalMethod\"");
  options(cell(kMinimumRow, "2.5") + pick(kMethodRow, "Not to scale") + kOk);
  EXPECT_EQ(greyed(views_[0]), "00");
  EXPECT_EQ(views_[0].value(L"pipe-verticalMethod"), L"");
  EXPECT_EQ(greyed(views_[1]), "10");
  EXPECT_EQ(stored(L"pipe-verticalMinimum"), L"N:2.5");
  EXPECT_EQ(stored(L"pipe-verticalMethod"), L"T:Not to scale");
}

TEST_F(OptionsDialog, OnlyTheValueColumnOfSettingRowsTakesTheirChoices) {
  options(cell(8, "x") + "cell 1052 2 0 Width\n" + pick(kMethodRow, "Sideways") + cell(kTitleJustificationRow, "Right") +
          pick(kTitleJustificationRow, "Left") + kOk);
  EXPECT_EQ(count(output_, L"-> refused"), 4u) << "the section row, the label, two texts no choice offers";
  EXPECT_EQ(views_[1].value(L"pipe-verticalMethod"), L"Not to scale");
  EXPECT_EQ(stored(L"scheduleTitleJustification"), L"T:Left");
  EXPECT_EQ(stored(L""), L"<no row>");
}

// The answer is the key selected last (by a click or an edit; a section gives "") or
// else the key given, by either button. The given key's row is selected at the start,
// and edited when the flag says so unless it is greyed. The block folder must be a
// text; an optional argument of another kind is stepped over.
TEST_F(OptionsDialog, AnswersTheKeySelectedLast) {
  const std::string arc = "(ov_plumb-options \"B/\" \"pipe-arcRadius\")";
  const struct {
    std::string call;
    std::string actions;
    const wchar_t* answer;
    int selected, edited;
  } cases[] = {
      {arc, kCancel, L"(\"pipe-arcRadius\")", kArcRadiusRow, -1},
      {arc, kOk, L"(\"pipe-arcRadius\")", kArcRadiusRow, -1},
      {kCall, std::string("select 1052 2 1\nselect 1052 15 0\n") + kOk, L"(\"pipe-textDistance\")", -1, -1},
      {kCall, "select 1052 2 1\n" + cell(kApproximationRow, "20") + kCancel, L"(\"3DApproximation\")", -1, -1},
      {arc, std::string("select 1052 2 1\nselect 1052 8 0\n") + kOk, L"(\"\")", kArcRadiusRow, -1},
      {"(ov_plumb-options \"B/\" \"pipe-textDistance\" T)", kCancel, L"(\"pipe-textDistance\")", kTextDistanceRow,
       kTextDistanceRow},
      {"(ov_plumb-options \"B/\" \"pipe-verticalMinimum\" T)", kCancel, L"(\"pipe-verticalMinimum\")", kMinimumRow, -1},
      {"(ov_plumb-options \"B/\" \"no such key\" T)", kCancel, L"(\"no such key\")", -1, -1},
      {"(ov_plumb-options \"B/\" 5 T)", kOk, L"(\"\")", -1, -1},
      {"(ov_plumb-options \"B/\" nil \"x\")", kOk, L"(\"\")", -1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call + " " + c.actions);
    EXPECT_EQ(runWith(c.call, kOpen + c.actions), c.answer);
    ASSERT_EQ(views_.size(), 2u);
    EXPECT_EQ(views_[0].selectedRow, c.selected);
    EXPECT_EQ(views_[0].editRow, c.edited);
  }
  output_.clear();
  EXPECT_EQ(runWith("(ov_plumb-options 5)", std::string(kOpen) + kOk), L"; error: ADS request error");
  EXPECT_EQ(runWith("(ov_plumb-options)", std::string(kOpen) + kOk), L"; error: ADS request error");
  EXPECT_EQ(output_, L"\nWrong type of arguments passed.\n\nWrong type of arguments passed.\n");
  EXPECT_TRUE(views_.empty());
}

// A database file of the caller's is worked on instead of the drawing's project; a
// missing one is reported and answers nil. The module's resources are current only
// while the dialog runs.
TEST_F(OptionsDialog, WorksOnTheCallersDatabaseFile) {
  const std::wstring other = makeProject("other");
  const int resources = manager()->hostPushedResourceHandles();
  EXPECT_EQ(runWith("(ov_plumb-options \"B/\" \"pipe-breakWidth\" nil \"" + acutWideToUtf8(other) + "\")",
                    kOpen + cell(kBreakWidthRow, "11") + kOk),
            L"(\"pipe-breakWidth\")");
  EXPECT_EQ(manager()->hostPushedResourceHandles(), resources);
  ProjectDatabasePtr check;
  ASSERT_TRUE(SUCCEEDED(check.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL)));
  ASSERT_EQ(std::wstring(check->OpenProjectDatabase(_bstr_t(other.c_str()), 0, 0)), L"OK");
  EXPECT_EQ(stored(L"pipe-breakWidth", check), L"N:11");
  _variant_t ignored;
  check->CloseDatabase(&ignored);
  EXPECT_EQ(stored(L"pipe-breakWidth"), L"N:3") << "the drawing's project did not change";

  const std::string missing = "(ov_plumb-options \"B/\" \"\" nil \"" + acutWideToUtf8(path("nowhere/none.ov")) + "\")";
  output_.clear();
  EXPECT_EQ(runWith(missing, std::string(kOpen) + kOk), L"nil");
  EXPECT_TRUE(views_.empty());
  EXPECT_EQ(output_.rfind(L"\nDatabase Error: ", 0), 0u) << acutWideToUtf8(output_);
  EXPECT_EQ(manager()->hostPushedResourceHandles(), resources);
}

// Every file the component opens is reported read-only (a root user may write any file,
// so permissions alone cannot show this): the user is told, the file closed, nil answered.
RecordingDatabase* gReadOnly = nullptr;

TEST_F(OptionsDialog, AReadOnlyDatabaseFileIsRefusedWithAMessage) {
  ASSERT_EQ(comRegisterClass(CLSID_ProjectDatabase,
                             [] {
                               gReadOnly = new RecordingDatabase;
                               gReadOnly->readOnly = true;
                               gReadOnly->AddRef();  // kept by the test until it has read the calls
                               gReadOnly->AddRef();
                               return static_cast<IUnknown*>(static_cast<ProjectDatabase*>(gReadOnly));
                             }),
            S_FALSE);
  const std::string call = "(ov_plumb-options \"B/\" \"\" nil \"" + acutWideToUtf8(projectFile_) + "\")";
  const std::wstring result = runWith(call, "messagebox OK\n" + std::string(kOpen) + kOk);
  const Texts calls = gReadOnly->calls;
  gReadOnly->Release();
  registerProjectDatabaseClass();
  EXPECT_EQ(result, L"nil");
  EXPECT_TRUE(views_.empty());
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].title + L": " + ui_.boxes[0].text, L"Orvane: Database is read-only. Cannot be viewed at this time.");
  EXPECT_EQ(calls, (Texts{L"OpenDatabase", L"CloseDatabase"}));
}

TEST_F(OptionsDialog, AnUnconnectableProjectShowsNoDialog) {
  ASSERT_NE(open("elsewhere/plan.hdw"), nullptr);
  EXPECT_EQ(runWith(kCall, std::string(kOpen) + kOk), L"nil");
  EXPECT_TRUE(views_.empty());
  EXPECT_NE(output_.find(L"\nCannot connect to the plumbing database (Connection Error Code 1)."), std::wstring::npos)
      << acutWideToUtf8(output_);
}

// ---- the block browser ----------------------------------------------------------------

// The name proposed for a cell's text: without trailing blanks and the characters no file
// name holds; for an empty or unnamed 3D block cell the folder's first drawing, if any.
TEST_F(OptionsDialog, TheBrowserProposesTheCellsBlockOrTheFoldersFirstDrawing) {
  const std::wstring empty = path("empty") + L"/", blocks = path("blocks") + L"/";
  std::filesystem::create_directories(folder_ / "empty");
  std::filesystem::create_directories(folder_ / "blocks");
  for (const char* file : {"b-valve.dwg", "A-valve.dwg", "notes.txt"}) std::ofstream(folder_ / "blocks" / file);
  const struct {
    const wchar_t* text;
    const std::wstring& folder;
    const wchar_t* proposed;
  } cases[] = {
      {L"VALVE 1  ", blocks, L"VALVE 1"},        {L"a/b:c<d>e|f\"g\\h", blocks, L"abcdefgh"},
      {L"", blocks, L"A-valve.dwg"},             {L"<2D Block Name>-3d", blocks, L"A-valve.dwg"},
      {L"<2D Block Name>-3d", empty, L""},       {L" <2D Block Name>-3d", empty, L" 2D Block Name-3d"},
  };
  for (const auto& c : cases) EXPECT_EQ(proposedBlockName(c.text, c.folder), c.proposed) << acutWideToUtf8(c.text);
}

// Picking "Browse. . ." opens the file dialog for drawings in the block folder; the cell
// takes the chosen drawing's title (with or without its extension); Cancel or a missing
// file keeps the text the edit started with; a typed name or an arrowhead leaves the
// browser alone.
TEST_F(OptionsDialog, TheBrowserPutsTheChosenDrawingsTitleInTheCell) {
  const std::string blocks = acutWideToUtf8(path("blocks")) + "/";
  std::filesystem::create_directories(blocks);
  std::ofstream(blocks + "GATE.dwg") << "drawing";
  sql(L"update tblGlobal set sText = \"VALVE 1  \" where sKey = \"ELEVLABEL TOP BLOCK\"");
  sql(L"update tblGlobal set sText = \"a/b:c<d>e|f\"\"g\\h\" where sKey = \"pipe-leaderBlockV\"");
  const std::string browse = "Browse. . .";
  options(pick(kTopBlockRow, browse) + "file " + blocks + "GATE.dwg\n" + pick(kLeaderBlockRow, browse) + "file " +
              blocks + "GATE\n" + pick(kLeaderBlockVRow, browse) + "file-cancel\n" + pick(kElevationLeaderRow, browse) +
              "file " + blocks + "MISSING.dwg\n" + kOk,
          "(ov_plumb-options \"" + blocks + "\")");
  const std::wstring filter = L"Drawing (*.dwg)|*.dwg|||" + acutUtf8ToWide(blocks) + L"|";
  EXPECT_EQ(ui_.files,
            (Texts{filter + L"VALVE 1", filter + L"_CLOSEDFILLED", filter + L"abcdefgh", filter + L"_CLOSEDFILLED"}));
  EXPECT_EQ(views_[1].value(L"ELEVLABEL TOP BLOCK"), L"GATE");
  EXPECT_EQ(stored(L"ELEVLABEL TOP BLOCK"), L"T:GATE");
  EXPECT_EQ(stored(L"pipe-leaderBlock"), L"T:GATE");
  EXPECT_EQ(stored(L"pipe-leaderBlockV"), L"T:a/b:c<d>e|f\"g\\h");
  EXPECT_EQ(stored(L"ELEVLABEL LEADER BLOCK"), L"T:_CLOSEDFILLED");

  options("cell 1052 23 1 MYTOP\n" + pick(kElevationLeaderRow, "_DOT") + "cell 1052 21 1 CUSTOMARROW\n" + kOk);
  EXPECT_TRUE(ui_.files.empty());
  EXPECT_EQ(stored(L"ELEVLABEL TOP BLOCK"), L"T:MYTOP");
  EXPECT_EQ(stored(L"ELEVLABEL LEADER BLOCK"), L"T:CUSTOMARROW");
}

// The browser on a grid of its own, as the valve dialog will use it: its second choice,
// and the remembered text following only the browse column. Exactly the two choices open
// it: not another case, not other blanks.
TEST_F(OptionsDialog, SelectCustomBlockBrowsesAndOtherColumnsAreNotRemembered) {
  const std::string blocks = acutWideToUtf8(path("blocks")) + "/";
  std::filesystem::create_directories(blocks);
  std::ofstream(blocks + "CHECK.dwg") << "drawing";
  ovGrid grid;
  grid.setColumnCount(3);
  grid.setRowCount(2);
  grid.setText(1, 0, L"label");
  grid.setText(1, 2, L"OLD");
  rememberBrowseText(grid, 1, 2, 2);
  rememberBrowseText(grid, 1, 0, 2);
  EXPECT_EQ(rememberedBrowseText(), L"OLD");
  std::wstring error;
  ui_.script = ScriptedUiDriver::fromText("file-cancel\nfile " + blocks + "CHECK.dwg\nfile-cancel\n", "answers", error);
  std::wstring text;
  for (const wchar_t* expected : {L"OLD", L"CHECK"}) {
    text = L"Select custom block. . .";
    browseBlockFile(grid, 1, 2, acutUtf8ToWide(blocks), text, nullptr);
    EXPECT_EQ(text, expected);
  }
  // With no drawing to propose, the dialog is given no folder and no name.
  std::filesystem::create_directories(folder_ / "empty");
  grid.setText(1, 2, L"<2D Block Name>-3d");
  text = L"Browse. . .";
  browseBlockFile(grid, 1, 2, path("empty") + L"/", text, nullptr);
  EXPECT_EQ(text, L"OLD");
  for (const wchar_t* other : {L"browse. . .", L"Browse...", L"Select custom block...", L""}) {
    text = other;
    browseBlockFile(grid, 1, 2, acutUtf8ToWide(blocks), text, nullptr);
    EXPECT_EQ(text, other);
  }
  const std::wstring filter = L"Drawing (*.dwg)|*.dwg|||";
  EXPECT_EQ(ui_.files, (Texts{filter + acutUtf8ToWide(blocks) + L"|OLD", filter + acutUtf8ToWide(blocks) + L"|OLD",
                                 filter + L"|"}));
}

}  // namespace
