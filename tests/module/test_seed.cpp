// A new project made by createStandardProject: where it may be made, the standard
// customisation being usable (sizes, sizing tables, layer keys, settings), and the
// statements the dialogs and the host's LISP program compose running on it.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "db/project_seed.h"
#include "db/sql_text.h"
#include "db/tblLayer.h"
#include "db/tblLayerKey.h"
#include "test_record_fixture.h"

namespace {

std::string narrow(const std::wstring& text) { return acutWideToUtf8(text); }

std::wstring wide(const std::filesystem::path& path) { return acutUtf8ToWide(path.string()); }

class SeededProject : public ProjectFileTest {
 protected:
  bool createsFile() const override { return false; }

  // Makes the project in the test's folder and opens it as a dialog given its path does.
  void makeAndOpen() {
    std::wstring error;
    ASSERT_EQ(createStandardProject(wide(folder_), &error), path_);
    ASSERT_EQ(error, L"");
    ASSERT_TRUE(SUCCEEDED(db_.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL)));
    VARIANT_BOOL readOnly = VARIANT_TRUE, ok = VARIANT_FALSE;
    db_->OpenDatabase(_bstr_t(path_.c_str()), &readOnly, &ok);
    ASSERT_EQ(ok, VARIANT_TRUE);
    ASSERT_EQ(readOnly, VARIANT_FALSE);
  }

  std::vector<long> keys(const std::wstring& sql) {
    std::vector<long> found;
    for (const SentPairs& row : query(sql)) found.push_back(row.front().second.lVal);
    return found;
  }
};

// A folder gets its project unless it has one: a missing folder is made, any candidate
// file refuses (but office files do not), and a failure leaves nothing behind.
TEST_F(SeededProject, AProjectIsMadeOnlyWhereNoneIs) {
  std::wstring error;
  const std::filesystem::path nested = folder_ / "job 12" / "plumbing";
  EXPECT_EQ(createStandardProject(wide(nested), &error), wide(nested / "Project ov_plumb.ov"));
  EXPECT_EQ(error, L"");
  EXPECT_TRUE(std::filesystem::is_regular_file(nested / "Project ov_plumb.ov"));
  EXPECT_EQ(createStandardProject(wide(nested), &error), L"");
  EXPECT_NE(error.find(L"already has a project database"), std::wstring::npos) << narrow(error);

  ASSERT_EQ(comUnregisterClass(CLSID_ProjectDatabase), S_OK);
  EXPECT_EQ(createStandardProject(wide(folder_), &error), L"");
  registerProjectDatabaseClass();
  EXPECT_NE(error.find(L"component is not available"), std::wstring::npos) << narrow(error);
  std::filesystem::remove_all(folder_ / "job 12");
  EXPECT_TRUE(std::filesystem::is_empty(folder_));

  std::ofstream(folder_ / "plain file") << "in the way";
  EXPECT_EQ(createStandardProject(wide(folder_ / "plain file" / "sub"), &error), L"");
  EXPECT_NE(error.find(L"Cannot create the folder"), std::wstring::npos) << narrow(error);
  EXPECT_EQ(createStandardProject(L"", &error), L"");
  EXPECT_FALSE(error.empty());

  for (const char* office : {"52-OV ov_plumb.ov", "Office_MASTER ov_plumb.ov", "ov_plumb_standards.ov",
                             "notes ov_plumb.txt"})
    std::ofstream(folder_ / office) << "office master";
  makeAndOpen();
  ProjectDatabasePtr other;
  ASSERT_TRUE(SUCCEEDED(other.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL)));
  const std::wstring status = other->OpenProjectDatabase(_bstr_t(path_.c_str()), 0, 0).wstring();
  EXPECT_NE(status, L"");
  EXPECT_NE(status, L"*REPAIR*") << "a new project passes the repair check";
  _variant_t ignored;
  other->CloseDatabase(&ignored);
  std::filesystem::remove(folder_ / "Project ov_plumb.ov");
  std::ofstream(folder_ / "Old OV_PLUMB job.ov") << "another project's file";
  EXPECT_EQ(createStandardProject(wide(folder_), &error), L"");
  EXPECT_NE(error.find(L"Old OV_PLUMB job.ov"), std::wstring::npos) << narrow(error);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "Project ov_plumb.ov"));
}

TEST_F(SeededProject, EveryPipeTypeHasSizesAndOneActiveSizingTableWithFlowsGrowingWithTheBore) {
  makeAndOpen();
  std::set<std::wstring> names;
  for (long type : keys(L"select ixPipeType from tblPipeType order by iSortOrder")) {
    const std::wstring ofType = std::to_wstring(type);
    names.insert(text(L"select sName from tblPipeType where ixPipeType = " + ofType));
    SCOPED_TRACE(narrow(*names.rbegin()));
    std::vector<SentPairs> sizes = query(L"select sLabel, dInteriorDiameter, dExteriorDiameter from tblPipeSize"
                                         L" where ixPipeType = " + ofType + L" order by dInteriorDiameter");
    ASSERT_GE(sizes.size(), 5u);
    std::set<std::wstring> labels;
    double previous = 0.0;
    for (const SentPairs& size : sizes) {
      const std::wstring label = textOf(size[0].second);
      const double inside = size[1].second.dblVal, outside = size[2].second.dblVal;
      EXPECT_TRUE(labels.insert(label).second) << narrow(label);
      EXPECT_EQ(label.back(), L'"') << narrow(label);
      EXPECT_GT(inside, previous) << narrow(label);
      EXPECT_LT(inside, outside) << narrow(label);
      EXPECT_LT(outside - inside, 1.0) << narrow(label) << ": walls are fractions of an inch";
      previous = inside;
    }
    const std::vector<long> active =
        keys(L"select ixPipeSizingTable from tblPipeSizingTable where bActive = -1 and ixPipeType = " + ofType);
    ASSERT_EQ(active.size(), 1u);
    const std::wstring table = std::to_wstring(active[0]);
    EXPECT_EQ(number(L"select count(*) from tblPipeSize where ixPipeType = " + ofType + L" and ixPipeSize not in"
                     L" (select ixPipeSize from tblPipeSizingValue where ixPipeSizingTable = " + table + L")"),
              0)
        << "a size without a value";
    EXPECT_EQ(number(L"select count(*) from tblPipeSizingValue where ixPipeSizingTable = " + table),
              static_cast<double>(sizes.size()));
    std::vector<SentPairs> flows = query(L"select dFlow, dFlowVertical from tblPipeSizingValue, tblPipeSize"
                                         L" where tblPipeSizingValue.ixPipeSize = tblPipeSize.ixPipeSize"
                                         L" and ixPipeSizingTable = " + table + L" and bEnable <> 0"
                                         L" order by dInteriorDiameter");
    ASSERT_FALSE(flows.empty());
    double horizontal = 0.0, vertical = 0.0;
    for (const SentPairs& flow : flows) {
      EXPECT_GE(flow[0].second.dblVal, horizontal);
      EXPECT_GT(flow[1].second.dblVal, vertical);
      horizontal = flow[0].second.dblVal;
      vertical = flow[1].second.dblVal;
    }
    EXPECT_FALSE(keys(L"select ixPipeSumCategory from tblPipeSumCategory where ixPipeType = " + ofType).empty());
  }
  EXPECT_EQ(names, (std::set<std::wstring>{L"Domestic Cold Water", L"Domestic Hot Water", L"Sanitary Waste", L"Vent",
                                           L"Storm", L"Natural Gas"}));
  // 1" type L copper has a 1.025" bore: at 8 ft/s it carries 20.6 gpm.
  EXPECT_NEAR(number(L"select dFlow from tblPipeSizingValue, tblPipeSize, tblPipeSizingTable, tblPipeType"
                     L" where tblPipeSizingValue.ixPipeSize = tblPipeSize.ixPipeSize"
                     L" and tblPipeSizingValue.ixPipeSizingTable = tblPipeSizingTable.ixPipeSizingTable"
                     L" and tblPipeSize.ixPipeType = tblPipeType.ixPipeType"
                     L" and tblPipeType.sName = 'Domestic Cold Water' and tblPipeSize.sLabel = '1\"'"
                     L" and tblPipeSizingTable.bActive = -1"),
              20.6, 0.05);
  for (long table : keys(L"select ixPipeSizingTable from tblPipeSizingTable")) {
    const std::wstring group = sqlText(L"Pipe Sizing Table:" + std::to_wstring(table));
    EXPECT_EQ(text(L"select sLabel from tblLabelGroup where sKey = 'Schedule Title' and sGroup = " + group),
              text(L"select sName from tblPipeSizingTable where ixPipeSizingTable = " + std::to_wstring(table)));
    EXPECT_EQ(number(L"select count(*) from tblLabelGroup where sKey = 'Vertical Flow' and sGroup = " + group), 1);
  }
}

// Flow lookups ascend in fixtures and flow, with the additional multiplier (-1) last.
TEST_F(SeededProject, FlowLookupsAscendWithTheMultiplierLast) {
  makeAndOpen();
  std::vector<long> lookups = keys(L"select distinct ixPipeSumCategory from tblPipeFlowLookup");
  ASSERT_FALSE(lookups.empty());
  for (long category : lookups) {
    std::vector<SentPairs> rows = query(L"select iFixtures, dFlow from tblPipeFlowLookup where ixPipeSumCategory = " +
                                        std::to_wstring(category) + L" order by ixPipeFlowLookup");
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows.back()[0].second.lVal, -1);
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
      EXPECT_GT(rows[i][0].second.lVal, i ? rows[i - 1][0].second.lVal : 0);
      EXPECT_GT(rows[i][1].second.dblVal, i ? rows[i - 1][1].second.dblVal : 0.0);
    }
  }
}

TEST_F(SeededProject, EveryLayerSystemHasItsOwnDefaultLayerAndAKeyPerPipeType) {
  makeAndOpen();
  std::vector<long> systems = keys(L"select ixLayerSystem from tblLayerSystem order by iSortOrder");
  ASSERT_GE(systems.size(), 1u);
  tblLayerKey key(db_);
  tblLayer layer(db_);
  std::set<std::wstring> layerNames;
  for (long system : systems) {
    ASSERT_TRUE(key.FindBy(static_cast<int>(system), L"DEFAULT")) << system;
    ASSERT_TRUE(layer.Find(key.ixLayer()));
    EXPECT_FALSE(layer.sName().empty());
    EXPECT_TRUE(layerNames.insert(layer.sName()).second) << "each system has its own default layer";
    for (const SentPairs& type : query(L"select sShortName from tblPipeType"))
      EXPECT_TRUE(key.FindBy(static_cast<int>(system), textOf(type[0].second).c_str())) << system;
  }
}

// Numbers are stored as numbers above 0, texts as texts, choices among their entries; one
// floor with one area that allows every pipe type.
TEST_F(SeededProject, SettingsAndTheFloorAreStoredAsTheDialogsReadThem) {
  makeAndOpen();
  EXPECT_GE(number(L"select count(*) from tblGlobal where bNumeric = -1 and dNumber > 0"), 13);
  EXPECT_EQ(number(L"select count(*) from tblGlobal where bNumeric = -1 and not dNumber > 0"), 0);
  EXPECT_GE(number(L"select count(*) from tblGlobal where bNumeric = 0 and sText <> ''"), 20);
  EXPECT_EQ(number(L"select count(*) from tblGlobal where bNumeric = 0 and sText = ''"), 0);
  EXPECT_EQ(number(L"select count(*) from tblGlobal where bNumeric not in (0, -1)"), 0);
  EXPECT_GE(number(L"select dNumber from tblGlobal where sKey = '3DApproximation'"), 8.0);
  const std::map<std::wstring, std::set<std::wstring>> choices = {
      {L"pipe-verticalMethod", {L"Not to scale", L"To scale with minimum", L"To scale"}},
      {L"scheduleTitleJustification", {L"Left", L"Center"}},
      {L"stackedFractions", {L"YES", L"NO"}},
      {L"DrawHangers2D", {L"YES", L"NO"}},
  };
  for (const auto& [key, allowed] : choices)
    EXPECT_EQ(allowed.count(text(L"select sText from tblGlobal where sKey = " + sqlText(key))), 1u) << narrow(key);

  EXPECT_EQ(number(L"select count(*) from tblFloor"), 1);
  EXPECT_EQ(number(L"select count(*) from tblAlignmentPointArea, tblFloor"
                   L" where tblAlignmentPointArea.ixFloor = tblFloor.ixFloor and bDeleted = 0"),
            1);
  EXPECT_EQ(number(L"select count(*) from tblPipeAreaMap"), number(L"select count(*) from tblPipeType"));
  EXPECT_GT(number(L"select dFloorToFloorHeight from tblFloor"), number(L"select dCeilingHeight from tblFloor"));
}

// ---- The statements composed over the project ---------------------------------------

// A statement as composed, with tokens for the standard project's keys; the rows a query
// must answer (-1: at least one) and one column of its first row. Other statements are
// executed.
struct Statement {
  const wchar_t* sql;
  int rows = -1;
  const wchar_t* column = nullptr;
  const wchar_t* value = nullptr;
};

// Rows added for the statements over placed objects, with keys from 9001 on. The drawing
// name holds an apostrophe so that the text literal rule is exercised where it is used.
const wchar_t* const kPlacedObjects[] = {
    L"insert into tblPipeSize (ixPipeSize, ixPipeType, sLabel, dInteriorDiameter, dExteriorDiameter)"
    L" values (9001, {T1}, 'tiny', 0.001, 0.002)",
    L"insert into tblPipeSizingTable (ixPipeSizingTable, ixPipeType, iSortOrder, sName, bActive)"
    L" values (9002, {T1}, -5, 'Spare', 0)",
    L"insert into tblFloor (ixFloor, sName, dElevation) values (9003, 'Roof', 240)",
    L"insert into tblIsometricFloor (ixFloor) values ({F}), (9003)",
    L"insert into tblAlignmentPointArea (ixAlignmentPointArea, ixFloor, sName, sDrawing, iAlignmentPointNumber,"
    L" bDeleted) values (9006, {F}, 'Kitchen wing', {DWG}, 1, 0), (9007, {F}, 'Store', {EAST}, 2, 0),"
    L" (9008, {F}, 'Old store', {EAST}, 3, -1)",
    L"insert into tblPipeAreaMap (ixAlignmentPointArea, ixPipeType) values (9006, {T1}), (9007, {T2})",
    L"insert into tblPipe (ixPipe, ixLayerSystem, ixPipeType, ixPipeSize, ixPipeSizingTable, sDrawing,"
    L" iAlignmentPointNumber, bDeleted) values (9011, {LS}, {T1}, {SIZE1}, {TABLE}, {DWG}, 1, 0),"
    L" (9012, {LS}, {T1}, {SIZE2}, {TABLE}, {DWG}, 1, 0), (9013, {LS}, {T1}, {SIZE1}, {TABLE}, {EAST}, 2, 0),"
    L" (9014, {LS}, {T2}, {T2SIZE}, {TABLE}, {DWG}, 1, -1)",
    L"insert into tblPipeSum (ixPipe, ixPipeSumCategory, bFixed, dValue) values (9011, {CAT}, -1, 3),"
    L" (9011, {CAT}, 0, 5), (9013, {CAT}, -1, 0), (9011, {LCAT}, -1, 4), (9013, {LCAT}, 0, 7)",
    L"insert into tblValveSGroup (ixValveSGroup, sName) values (9020, 'Isolation')",
    L"insert into tblDwgValve (ixDwgValve, iSortOrder, sDescription, sBlockName) values (9021, 90, 'BALLV', 'BALLV'),"
    L" (9022, 90, 'GATEV', 'GATEV')",
    L"insert into tblValveS (ixValveS, ixDwgValve, ixValveSGroup, sName) values (9023, 9021, 9020, 'Ball valve'),"
    L" (9024, 9022, 9020, 'Gate valve')",
    L"insert into tblValveM (ixValveM, ixDwgValve) values (9025, 9021)",
    L"insert into tblValveL (ixValveL, ixValveS, ixLayerSystem, ixPipeType, sDrawing, iAlignmentPointNumber, bDeleted)"
    L" values (9026, 9023, {LS}, {T1}, {DWG}, 1, 0), (9027, 9024, {LS}, {T2}, {DWG}, 1, -1)",
    L"insert into tblPipeLinetype (ixPipeType, ixLayerSystem, sLinetype, dMinimumLength)"
    L" values ({T1}, {LS}, 'DASHED2', 480), ({T1}, {LS}, 'HIDDEN2', -1)",
};

// In the order the dialogs run them, queries before the deletes that change their rows.
const Statement kStatements[] = {
    // Sizing tables of a pipe type and their values, and the copy dialog.
    {L"SELECT ixPipeSize, sLabel FROM tblPipeSize WHERE ixPipeType = {T1} ORDER BY dInteriorDiameter", -1,
     L"sLabel", L"tiny"},
    {L"SELECT ixPipeSizingTable, sName, bActive, bHorizontalOnly FROM tblPipeSizingTable WHERE ixPipeType = {T1}"
     L" ORDER BY iSortOrder", -1, L"sName", L"Spare"},
    {L"SELECT ixPipeSizingValue, ixPipeSize, dFlow, dFlowVertical, bEnable FROM tblPipeSizingValue"
     L" WHERE ixPipeSizingTable = {TABLE}"},
    {L"select ixPipe from tblPipe where ixPipeSizingTable = {TABLE}", 4},
    // Saving a table keeps its label group in step, and only its own.
    {L"update tblLabelGroup set bDisplay = 0 where sKey = \"Vertical Flow\" and sGroup = \"Pipe Sizing Table:{TABLE}\""},
    {L"select bDisplay from tblLabelGroup where sKey = 'Vertical Flow' and sGroup = 'Pipe Sizing Table:{TABLE}'", 1,
     L"bDisplay", L"0"},
    {L"update tblLabelGroup set sLabel = 'Main riser' where sKey = \"Schedule Title\""
     L" and sGroup = \"Pipe Sizing Table:{TABLE}\""},
    {L"select sGroup from tblLabelGroup where sLabel = 'Main riser'", 1, L"sGroup", L"Pipe Sizing Table:{TABLE}"},
    // The sizes grid, sizes in use, a new size's tables, the flow lookup grid.
    {L"select ixPipe from tblPipe where ixPipeSize = {SIZE1}", 2},
    {L"select ixPipeFlowLookup, iFixtures, dFlow, ixPipeSizeMin from tblPipeFlowLookup"
     L" where ixPipeSumCategory = {LCAT} order by iFixtures"},
    {L"DELETE from tblPipeSizingValue WHERE ixPipeSize = {SIZE2}"},
    {L"select ixPipeSizingValue from tblPipeSizingValue where ixPipeSize = {SIZE2}", 0},
    // The query dialog's flows and the categories.
    {L"select ixPipeSum, bFixed, dValue from tblPipeSum where ixPipeSumCategory = {CAT} and ixPipe = 9011"
     L" and bFixed = -1", 1, L"dValue", L"3"},
    {L"select ixPipeSumCategory, iOrder, sName, sLabelPrefix, sLabelSuffix, iConversionType, dMultiplier"
     L" from tblPipeSumCategory where ixPipeType = {T1} order by iOrder", -1, L"ixPipeSumCategory", L"{CAT}"},
    {L"delete from tblPipeSum where ixPipe = 9011"},
    {L"select ixPipeSum from tblPipeSum where ixPipe in (9011, 9013)", 2},
    {L"delete from tblPipeFlowLookup where ixPipeSumCategory = {LCAT}"},
    {L"select ixPipeFlowLookup from tblPipeFlowLookup where ixPipeSumCategory = {LCAT}", 0},
    {L"delete from tblPipeSum where ixPipeSumCategory = {LCAT}"},
    {L"select ixPipeSum from tblPipeSum where ixPipe in (9011, 9013)", 1},
    // Types in use, labels and linetypes, the fixture connection.
    {L"select ixValveL from tblValveL where ixPipeType = {T1}", 1, L"ixValveL", L"9026"},
    {L"select ixPipeLinetype, sLinetype, dMinimumLength from tblPipeLinetype where ixPipeType = {T1}"
     L" and ixLayerSystem = {LS} order by dMinimumLength", -1, L"sLinetype", L"HIDDEN2"},
    // A deleted symbol block: its valves are re-pointed to the replacement first.
    {L"update tblValveS set ixDwgValve = 9022 where ixDwgValve = 9021"},
    {L"update tblValveM set ixDwgValve = 9022 where ixDwgValve = 9021"},
    {L"delete from tblDwgValve where ixDwgValve = 9021"},
    {L"select ixValveS from tblValveS where ixDwgValve = 9022", 2},
    {L"select ixValveM from tblValveM where ixDwgValve = 9022", 1},
    {L"select ixDwgValve from tblDwgValve where ixDwgValve in (9021, 9022)", 1},
    // The floors dialog and the alignment-point area dialog.
    {L"delete from tblIsometricFloor where ixFloor = {F}"},
    {L"select ixIsometricFloor from tblIsometricFloor where ixFloor in ({F}, 9003)", 1},
    {L"select ixPipeAreaMap, ixPipeType from tblPipeAreaMap where ixAlignmentPointArea = 9006", 1, L"ixPipeType",
     L"{T1}"},
    {L"select distinct(ixPipeType) from tblPipe where iAlignmentPointNumber = 1 and sDrawing = {DWG}"
     L" and bDeleted = 0", 1},
    {L"select ixAlignmentPointArea, sName, sDrawing from tblAlignmentPointArea where ixFloor = {F} and bDeleted = 0"
     L" and ixAlignmentPointArea > 9000", 2, L"sDrawing", L"O'Brien level 1.dwg"},
    // The project explorer's tree, level by level.
    {L"Select tblAlignmentPointArea.ixFloor, tblFloor.sName from tblAlignmentPointArea, tblPipe, tblFloor"
     L" where tblAlignmentPointArea.iAlignmentPointNumber = tblPipe.iAlignmentPointNumber and "
     L" tblAlignmentPointArea.sDrawing = tblPipe.sDrawing and tblPipe.ixPipeType = {T1}"
     L" and tblAlignmentPointArea.ixFloor = tblFloor.ixFloor  and tblPipe.bDeleted = 0", 3, L"ixFloor", L"{F}"},
    {L"Select tblAlignmentPointArea.ixFloor, tblFloor.sName from tblAlignmentPointArea, tblPipe, tblFloor"
     L" where tblAlignmentPointArea.iAlignmentPointNumber = tblPipe.iAlignmentPointNumber and "
     L" tblAlignmentPointArea.sDrawing = tblPipe.sDrawing and tblPipe.ixPipeType = {T2}"
     L" and tblAlignmentPointArea.ixFloor = tblFloor.ixFloor  and tblPipe.bDeleted = 0", 0},
    {L"Select tblPipe.ixPipe, tblPipe.ixPipeType from tblPipe, tblAlignmentPointArea"
     L" where tblAlignmentPointArea.iAlignmentPointNumber = tblPipe.iAlignmentPointNumber"
     L" and tblAlignmentPointArea.sDrawing = tblPipe.sDrawing and tblPipe.ixPipeType = {T1}"
     L" and tblAlignmentPointArea.ixFloor = {F} and tblPipe.bDeleted = 0", 3},
    {L"Select tblAlignmentPointArea.ixFloor, tblFloor.sName from tblAlignmentPointArea, tblValveL, tblValveS, tblFloor"
     L" where tblAlignmentPointArea.iAlignmentPointNumber = tblValveL.iAlignmentPointNumber and "
     L" tblAlignmentPointArea.sDrawing = tblValveL.sDrawing and tblValveL.ixValveS = tblValveS.ixValveS"
     L" and tblValveS.ixValveSGroup = 9020 and tblFloor.ixFloor = tblAlignmentPointArea.ixFloor"
     L" and tblValveL.bDeleted = 0", 1, L"ixFloor", L"{F}"},
    {L"Select tblValveL.ixValveS, tblValveS.sName from tblValveL, tblValveS, tblAlignmentPointArea "
     L" where tblValveL.ixValveS = tblValveS.ixValveS and tblValveS.ixValveSGroup = 9020"
     L" and tblAlignmentPointArea.iAlignmentPointNumber = tblValveL.iAlignmentPointNumber"
     L" and tblAlignmentPointArea.sDrawing = tblValveL.sDrawing and tblAlignmentPointArea.ixFloor = {F}"
     L" and tblValveL.bDeleted = 0", 1, L"sName", L"Ball valve"},
    {L"Select tblValveL.ixValveL, tblValveL.sDrawing from tblValveL, tblAlignmentPointArea"
     L" where tblValveL.ixValveS = 9023 and tblAlignmentPointArea.iAlignmentPointNumber = tblValveL.iAlignmentPointNumber"
     L" and tblAlignmentPointArea.sDrawing = tblValveL.sDrawing and tblAlignmentPointArea.ixFloor = {F}"
     L" and tblValveL.bDeleted = 0", 1, L"sDrawing", L"O'Brien level 1.dwg"},
    {L"Select * from tblPipe where bDeleted = 0", 3},
};

TEST_F(SeededProject, TheComposedStatementsRunAndAnswerTheirRows) {
  makeAndOpen();
  std::map<std::wstring, std::wstring> tokens = {{L"{DWG}", sqlText(L"O'Brien level 1.dwg")},
                                                 {L"{EAST}", sqlText(L"Level 1 east.dwg")}};
  const auto first = [&](const wchar_t* token, const std::wstring& sql) {
    const std::vector<long> found = keys(sql);
    ASSERT_FALSE(found.empty()) << narrow(token);
    tokens[token] = std::to_wstring(found.front());
  };
  first(L"{T1}", L"select ixPipeType from tblPipeType order by iSortOrder");
  first(L"{T2}", L"select ixPipeType from tblPipeType where ixPipeType <> " + tokens[L"{T1}"] + L" order by iSortOrder");
  first(L"{LS}", L"select ixLayerSystem from tblLayerSystem order by iSortOrder");
  first(L"{F}", L"select ixFloor from tblFloor");
  const std::vector<long> sizes =
      keys(L"select ixPipeSize from tblPipeSize where ixPipeType = " + tokens[L"{T1}"] + L" order by dInteriorDiameter");
  ASSERT_GE(sizes.size(), 2u);
  tokens[L"{SIZE1}"] = std::to_wstring(sizes[0]);
  tokens[L"{SIZE2}"] = std::to_wstring(sizes[1]);
  first(L"{T2SIZE}", L"select ixPipeSize from tblPipeSize where ixPipeType = " + tokens[L"{T2}"]);
  first(L"{TABLE}", L"select ixPipeSizingTable from tblPipeSizingTable where ixPipeType = " + tokens[L"{T1}"] +
                        L" order by iSortOrder");
  first(L"{CAT}", L"select ixPipeSumCategory from tblPipeSumCategory where ixPipeType = " + tokens[L"{T1}"] +
                      L" order by iOrder");
  first(L"{LCAT}", L"select distinct tblPipeFlowLookup.ixPipeSumCategory from tblPipeFlowLookup, tblPipeSumCategory"
                   L" where tblPipeFlowLookup.ixPipeSumCategory = tblPipeSumCategory.ixPipeSumCategory"
                   L" and tblPipeSumCategory.ixPipeType = " + tokens[L"{T1}"]);
  const auto fill = [&](std::wstring text) {
    for (const auto& [token, value] : tokens)
      for (std::size_t at = text.find(token); at != std::wstring::npos; at = text.find(token, at + value.size()))
        text.replace(at, token.size(), value);
    return text;
  };
  const auto noPendingError = [&] {
    VARIANT_BOOL pending = VARIANT_FALSE;
    db_->HasError(&pending);
    return pending != VARIANT_TRUE;
  };
  for (const wchar_t* insert : kPlacedObjects) execute(fill(insert));
  for (const Statement& s : kStatements) {
    const std::wstring sql = fill(s.sql);
    SCOPED_TRACE(narrow(sql));
    if (sql.rfind(L"select", 0) != 0 && sql.rfind(L"SELECT", 0) != 0 && sql.rfind(L"Select", 0) != 0) {
      execute(sql);
      EXPECT_TRUE(noPendingError());
      continue;
    }
    const std::vector<SentPairs> rows = query(sql);
    EXPECT_TRUE(noPendingError());
    if (s.rows < 0) EXPECT_FALSE(rows.empty());
    else EXPECT_EQ(rows.size(), static_cast<std::size_t>(s.rows));
    if (s.column == nullptr || rows.empty()) continue;
    const _variant_t* value = valueOf(rows.front(), s.column);
    ASSERT_NE(value, nullptr) << narrow(s.column);
    EXPECT_EQ(std::wstring(static_cast<_bstr_t>(*value)), fill(s.value));
  }
}

}  // namespace
