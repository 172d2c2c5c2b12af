// The block file browser: the file it proposes for each kind of cell text, the file
// dialog's settings, and the text the cell ends with after OK and after Cancel, seen
// through the options dialog's block rows and on a grid of its own.
#include <fstream>

#include "dialogs/block_browser.h"
#include "test_options_fixture.h"

namespace {

constexpr int kLeaderBlockRow = 16;
constexpr int kElevationLeaderRow = 21;
constexpr int kTopBlockRow = 23;

class BlockBrowser : public OptionsTest {
 protected:
  void SetUp() override {
    OptionsTest::SetUp();
    blocks_ = acutWideToUtf8(path("blocks")) + "/";
    std::filesystem::create_directories(blocks_);
  }
  void addDrawing(const std::string& name) { std::ofstream(blocks_ + name) << "drawing"; }
  // Opens the options on the block folder, the user acting as the lines say, then OK.
  void browse(const std::string& actions) {
    runWith("(ov_plumb-options \"" + blocks_ + "\")", "dialog ov_plumb:Options\n" + actions + "click 1\n");
  }
  std::string choose(int row, const char* entry = "Browse. . .") {
    return "pick 1052 " + std::to_string(row) + " 1 " + entry + "\n";
  }
  std::wstring folder() const { return acutUtf8ToWide(blocks_); }

  std::string blocks_;
};

TEST_F(BlockBrowser, ProposesTheCellsBlockInTheFolderAndTakesTheChosenTitle) {
  addDrawing("GATE.dwg");
  sql(L"update tblGlobal set sText = \"VALVE 1  \" where sKey = \"ELEVLABEL TOP BLOCK\"");
  browse(choose(kTopBlockRow) + "file " + blocks_ + "GATE.dwg\n");
  ASSERT_EQ(watcher_->files.size(), 1u);
  EXPECT_EQ(watcher_->files[0].filter, L"Drawing (*.dwg)|*.dwg||");
  EXPECT_EQ(watcher_->files[0].folder, folder());
  EXPECT_EQ(watcher_->files[0].fileName, L"VALVE 1");  // trailing blanks dropped
  EXPECT_EQ(watcher_->closed[0].value(L"ELEVLABEL TOP BLOCK"), L"GATE");
  EXPECT_EQ(storedText(L"ELEVLABEL TOP BLOCK"), L"GATE");
}

TEST_F(BlockBrowser, AChosenNameWithoutExtensionIsADrawing) {
  addDrawing("GATE.dwg");
  browse(choose(kLeaderBlockRow) + "file " + blocks_ + "GATE\n");
  EXPECT_EQ(storedText(L"pipe-leaderBlock"), L"GATE");
}

TEST_F(BlockBrowser, UnnamedOrEmptyCellProposesTheFoldersFirstDrawing) {
  addDrawing("b-valve.dwg");
  addDrawing("A-valve.dwg");
  addDrawing("notes.txt");
  sql(L"update tblGlobal set sText = \"<2D Block Name>-3d\" where sKey = \"ELEVLABEL TOP BLOCK\"");
  sql(L"update tblGlobal set sText = \"\" where sKey = \"pipe-leaderBlock\"");
  browse(choose(kTopBlockRow) + "file-cancel\n" + choose(kLeaderBlockRow) + "file-cancel\n");
  ASSERT_EQ(watcher_->files.size(), 2u);
  EXPECT_EQ(watcher_->files[0].fileName, L"A-valve.dwg");
  EXPECT_EQ(watcher_->files[1].fileName, L"A-valve.dwg");
  EXPECT_EQ(watcher_->files[1].folder, folder());
}

TEST_F(BlockBrowser, NoDrawingInTheFolderProposesNoFile) {
  sql(L"update tblGlobal set sText = \"<2D Block Name>-3d\" where sKey = \"ELEVLABEL TOP BLOCK\"");
  browse(choose(kTopBlockRow) + "file-cancel\n");
  ASSERT_EQ(watcher_->files.size(), 1u);
  EXPECT_EQ(watcher_->files[0].fileName, L"");
  EXPECT_EQ(watcher_->files[0].folder, L"");
}

TEST_F(BlockBrowser, CharactersNoFileNameHoldsAreDropped) {
  sql(L"update tblGlobal set sText = \"a/b:c<d>e|f\"\"g\\h\" where sKey = \"pipe-leaderBlockV\"");
  browse(choose(18) + "file-cancel\n");
  ASSERT_EQ(watcher_->files.size(), 1u);
  EXPECT_EQ(watcher_->files[0].fileName, L"abcdefgh");
  // Cancel puts back the text the cell had, unchanged.
  EXPECT_EQ(storedText(L"pipe-leaderBlockV"), L"a/b:c<d>e|f\"g\\h");
}

TEST_F(BlockBrowser, CancelOrAMissingFileKeepsTheTextTheEditStartedWith) {
  addDrawing("GATE.dwg");
  browse(choose(kElevationLeaderRow) + "file-cancel\n" + choose(kTopBlockRow) + "file " + blocks_ + "MISSING.dwg\n");
  EXPECT_EQ(storedText(L"ELEVLABEL LEADER BLOCK"), L"_CLOSEDFILLED");
  EXPECT_EQ(storedText(L"ELEVLABEL TOP BLOCK"), L"ElevTop");
  EXPECT_EQ(watcher_->files.size(), 2u);
}

TEST_F(BlockBrowser, TypedNamesAndArrowheadsLeaveTheBrowserAlone) {
  browse("cell 1052 23 1 MYTOP\n" + choose(kElevationLeaderRow, "_DOT") + "cell 1052 21 1 CUSTOMARROW\n");
  EXPECT_TRUE(watcher_->files.empty());
  EXPECT_EQ(storedText(L"ELEVLABEL TOP BLOCK"), L"MYTOP");
  EXPECT_EQ(storedText(L"ELEVLABEL LEADER BLOCK"), L"CUSTOMARROW");
}

// The browser on a grid of its own, as the valve dialog will use it: its second
// choice, and the remembered text following only the browse column.
TEST_F(BlockBrowser, SelectCustomBlockBrowsesAndOtherColumnsAreNotRemembered) {
  addDrawing("CHECK.dwg");
  ovGrid grid;
  grid.setColumnCount(3);
  grid.setRowCount(2);
  grid.setText(1, 0, L"label");
  grid.setText(1, 2, L"OLD");
  rememberBrowseText(grid, 1, 2, 2);
  rememberBrowseText(grid, 1, 0, 2);
  EXPECT_EQ(rememberedBrowseText(), L"OLD");

  std::wstring error;
  WatchingUiDriver driver(ScriptedUiDriver::fromText("file-cancel\nfile " + blocks_ + "CHECK.dwg\n", "answers", error));
  setUiDriver(&driver);
  std::wstring text = L"Select custom block. . .";
  browseBlockFile(grid, 1, 2, folder(), text, nullptr);
  EXPECT_EQ(text, L"OLD");
  text = L"Select custom block. . .";
  browseBlockFile(grid, 1, 2, folder(), text, nullptr);
  EXPECT_EQ(text, L"CHECK");
  // Exactly the two choices open it: not another case, not other blanks.
  for (const wchar_t* other : {L"browse. . .", L"Browse...", L"Select custom block...", L""}) {
    text = other;
    browseBlockFile(grid, 1, 2, folder(), text, nullptr);
    EXPECT_EQ(text, other);
  }
  setUiDriver(&ui_);
  EXPECT_EQ(driver.files.size(), 2u);
  EXPECT_EQ(driver.files[0].fileName, L"OLD");
}

}  // namespace
