// A new project made by createStandardProject: the file and its refusal rules, and the
// standard customisation being usable (sizes, sizing tables, layer keys, settings).
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
    made_ = createStandardProject(wide(folder_), &error);
    ASSERT_EQ(error, L"");
    ASSERT_EQ(made_, path_);
    ASSERT_TRUE(SUCCEEDED(db_.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL)));
    VARIANT_BOOL readOnly = VARIANT_TRUE, ok = VARIANT_FALSE;
    db_->OpenDatabase(_bstr_t(made_), &readOnly, &ok);
    ASSERT_EQ(ok, VARIANT_TRUE);
    ASSERT_EQ(readOnly, VARIANT_FALSE);
  }

  std::vector<long> keys(const std::wstring& sql) {
    std::vector<long> found;
    for (const QueryRow& row : query(sql)) found.push_back(row.front().second.lVal);
    return found;
  }

  std::wstring made_;
};

TEST_F(SeededProject, TheFileIsNamedByTheProjectRuleAndPassesTheRepairCheck) {
  makeAndOpen();
  EXPECT_TRUE(std::filesystem::is_regular_file(folder_ / "Project ov_plumb.ov"));
  ProjectDatabasePtr other;
  ASSERT_TRUE(SUCCEEDED(other.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL)));
  std::wstring status = other->OpenProjectDatabase(_bstr_t(made_), 0, 0).wstring();
  EXPECT_NE(status, L"");
  EXPECT_NE(status, L"*REPAIR*");
  _variant_t ignored;
  other->CloseDatabase(&ignored);
}

TEST_F(SeededProject, EveryPipeTypeHasSizesWithTheBoreInsideTheOutside) {
  makeAndOpen();
  std::vector<long> types = keys(L"select ixPipeType from tblPipeType order by iSortOrder");
  ASSERT_GE(types.size(), 6u);
  std::set<std::wstring> names;
  for (long type : types) {
    std::wstring name = text(L"select sName from tblPipeType where ixPipeType = " + std::to_wstring(type));
    names.insert(name);
    SCOPED_TRACE(narrow(name));
    std::vector<QueryRow> sizes = query(L"select sLabel, dInteriorDiameter, dExteriorDiameter from tblPipeSize"
                                        L" where ixPipeType = " + std::to_wstring(type) +
                                        L" order by dInteriorDiameter");
    ASSERT_GE(sizes.size(), 5u);
    std::set<std::wstring> labels;
    double previous = 0.0;
    for (const QueryRow& size : sizes) {
      std::wstring label = textOf(size[0].second);
      double inside = size[1].second.dblVal, outside = size[2].second.dblVal;
      EXPECT_TRUE(labels.insert(label).second) << narrow(label);
      EXPECT_EQ(label.back(), L'"') << narrow(label);
      EXPECT_GT(inside, previous) << narrow(label);
      EXPECT_LT(inside, outside) << narrow(label);
      EXPECT_LT(outside - inside, 1.0) << narrow(label) << ": walls are fractions of an inch";
      previous = inside;
    }
  }
  for (const wchar_t* expected : {L"Domestic Cold Water", L"Domestic Hot Water", L"Sanitary Waste", L"Vent", L"Storm",
                                  L"Natural Gas"})
    EXPECT_EQ(names.count(expected), 1u) << narrow(expected);
}

TEST_F(SeededProject, EveryPipeTypeHasOneActiveSizingTableWithAValuePerSize) {
  makeAndOpen();
  for (long type : keys(L"select ixPipeType from tblPipeType")) {
    SCOPED_TRACE(type);
    std::wstring ofType = std::to_wstring(type);
    std::vector<long> active =
        keys(L"select ixPipeSizingTable from tblPipeSizingTable where bActive = -1 and ixPipeType = " + ofType);
    ASSERT_EQ(active.size(), 1u);
    std::wstring table = std::to_wstring(active[0]);
    EXPECT_EQ(number(L"select count(*) from tblPipeSize where ixPipeType = " + ofType + L" and ixPipeSize not in"
                     L" (select ixPipeSize from tblPipeSizingValue where ixPipeSizingTable = " + table + L")"),
              0)
        << "a size without a value";
    EXPECT_EQ(number(L"select count(*) from tblPipeSizingValue where ixPipeSizingTable = " + table),
              number(L"select count(*) from tblPipeSize where ixPipeType = " + ofType));
    // Larger pipes carry more: the enabled flows grow with the bore.
    std::vector<QueryRow> flows = query(L"select dFlow, dFlowVertical from tblPipeSizingValue, tblPipeSize"
                                        L" where tblPipeSizingValue.ixPipeSize = tblPipeSize.ixPipeSize"
                                        L" and ixPipeSizingTable = " + table + L" and bEnable <> 0"
                                        L" order by dInteriorDiameter");
    ASSERT_FALSE(flows.empty());
    double horizontal = 0.0, vertical = 0.0;
    for (const QueryRow& flow : flows) {
      EXPECT_GE(flow[0].second.dblVal, horizontal);
      EXPECT_GT(flow[1].second.dblVal, vertical);
      horizontal = flow[0].second.dblVal;
      vertical = flow[1].second.dblVal;
    }
  }
}

TEST_F(SeededProject, CopperSizingFlowsFollowTheVelocityLimit) {
  makeAndOpen();
  // 1" type L copper has a 1.025" bore: at 8 ft/s it carries 20.6 gpm.
  EXPECT_NEAR(number(L"select dFlow from tblPipeSizingValue, tblPipeSize, tblPipeSizingTable, tblPipeType"
                     L" where tblPipeSizingValue.ixPipeSize = tblPipeSize.ixPipeSize"
                     L" and tblPipeSizingValue.ixPipeSizingTable = tblPipeSizingTable.ixPipeSizingTable"
                     L" and tblPipeSize.ixPipeType = tblPipeType.ixPipeType"
                     L" and tblPipeType.sName = 'Domestic Cold Water' and tblPipeSize.sLabel = '1\"'"
                     L" and tblPipeSizingTable.bActive = -1"),
              20.6, 0.05);
}

TEST_F(SeededProject, FlowCategoriesStartWithABaseAndLookupsAscendWithTheMultiplierLast) {
  makeAndOpen();
  for (long type : keys(L"select ixPipeType from tblPipeType")) {
    std::vector<long> categories = keys(L"select ixPipeSumCategory from tblPipeSumCategory where ixPipeType = " +
                                        std::to_wstring(type) + L" order by iOrder");
    ASSERT_FALSE(categories.empty()) << type;
  }
  std::vector<long> lookups = keys(L"select distinct ixPipeSumCategory from tblPipeFlowLookup");
  ASSERT_FALSE(lookups.empty());
  for (long category : lookups) {
    std::vector<QueryRow> rows = query(L"select iFixtures, dFlow from tblPipeFlowLookup where ixPipeSumCategory = " +
                                       std::to_wstring(category) + L" order by ixPipeFlowLookup");
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows.back()[0].second.lVal, -1) << "the additional multiplier comes last";
    long fixtures = 0;
    double flow = 0.0;
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
      EXPECT_GT(rows[i][0].second.lVal, fixtures);
      EXPECT_GT(rows[i][1].second.dblVal, flow);
      fixtures = rows[i][0].second.lVal;
      flow = rows[i][1].second.dblVal;
    }
  }
}

TEST_F(SeededProject, EveryLayerSystemResolvesItsDefaultKeyToALayer) {
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
    // Each pipe type's short name is a key of each system.
    for (const QueryRow& type : query(L"select sShortName from tblPipeType")) {
      std::wstring shortName = textOf(type[0].second);
      EXPECT_TRUE(key.FindBy(static_cast<int>(system), shortName.c_str())) << narrow(shortName);
    }
  }
}

TEST_F(SeededProject, TheOptionsSettingsArePresentWithTheirKinds) {
  makeAndOpen();
  const wchar_t* numbers[] = {L"pipe-breakWidth",   L"pipe-verticalMinimum", L"pipe-verticalDiameter",
                              L"PTRAP-WIDTH",       L"EXTERIOR LINING WIDTH", L"pipe-fittingTickWidth",
                              L"pipe-fittingTickOffset", L"pipe-arcRadius", L"pipe-textDistance",
                              L"pipe-leaderSize",   L"pipe-leaderSizeV",     L"ArrowheadSize",
                              L"3DApproximation"};
  const wchar_t* texts[] = {L"pipe-verticalMethod",      L"pipe-showTicksBeforeValve", L"stackedFractions",
                            L"pipe-leaderBlock",         L"pipe-leaderBlockV",         L"ELEVLABEL LEADER BLOCK",
                            L"ELEVLABEL TOP BLOCK",      L"ELEVLABEL BOTTOM BLOCK",    L"ELEVLABEL BOTH BLOCK",
                            L"ELEVLABEL CENTERLINE BLOCK", L"ELEVLABEL TOP LABEL",     L"ELEVLABEL BOTTOM LABEL",
                            L"ELEVLABEL CENTERLINE LABEL", L"ELEVLABEL INCLUDE EXTERIOR", L"DrawHangers2D",
                            L"DrawHangers3D",            L"linetypeFile",              L"scheduleTitleJustification",
                            L"scheduleColumnJustification", L"scheduleTitleContinued"};
  for (const wchar_t* key : numbers) {
    std::vector<QueryRow> rows = query(L"select bNumeric, dNumber from tblGlobal where sKey = " + sqlText(key));
    ASSERT_EQ(rows.size(), 1u) << narrow(key);
    EXPECT_EQ(rows[0][0].second.lVal, -1) << narrow(key);
    EXPECT_GT(rows[0][1].second.dblVal, 0.0) << narrow(key);
  }
  for (const wchar_t* key : texts) {
    std::vector<QueryRow> rows = query(L"select bNumeric, sText from tblGlobal where sKey = " + sqlText(key));
    ASSERT_EQ(rows.size(), 1u) << narrow(key);
    EXPECT_EQ(rows[0][0].second.lVal, 0) << narrow(key);
    EXPECT_FALSE(textOf(rows[0][1].second).empty()) << narrow(key);
  }
  EXPECT_GE(number(L"select dNumber from tblGlobal where sKey = '3DApproximation'"), 8.0);
  const std::map<std::wstring, std::set<std::wstring>> choices = {
      {L"pipe-verticalMethod", {L"Not to scale", L"To scale with minimum", L"To scale"}},
      {L"scheduleTitleJustification", {L"Left", L"Center"}},
      {L"stackedFractions", {L"YES", L"NO"}},
      {L"DrawHangers2D", {L"YES", L"NO"}},
  };
  for (const auto& [key, allowed] : choices)
    EXPECT_EQ(allowed.count(text(L"select sText from tblGlobal where sKey = " + sqlText(key))), 1u) << narrow(key);
}

TEST_F(SeededProject, OneFloorWithAnAreaThatAllowsEveryPipeType) {
  makeAndOpen();
  EXPECT_EQ(number(L"select count(*) from tblFloor"), 1);
  EXPECT_EQ(number(L"select count(*) from tblAlignmentPointArea, tblFloor"
                   L" where tblAlignmentPointArea.ixFloor = tblFloor.ixFloor and bDeleted = 0"),
            1);
  EXPECT_EQ(number(L"select count(*) from tblPipeAreaMap"), number(L"select count(*) from tblPipeType"));
  EXPECT_GT(number(L"select dFloorToFloorHeight from tblFloor"), number(L"select dCeilingHeight from tblFloor"));
}

TEST_F(SeededProject, SizingTablesHaveTheirLabelGroups) {
  makeAndOpen();
  for (long table : keys(L"select ixPipeSizingTable from tblPipeSizingTable")) {
    std::wstring group = sqlText(L"Pipe Sizing Table:" + std::to_wstring(table));
    EXPECT_EQ(text(L"select sLabel from tblLabelGroup where sKey = 'Schedule Title' and sGroup = " + group),
              text(L"select sName from tblPipeSizingTable where ixPipeSizingTable = " + std::to_wstring(table)));
    EXPECT_EQ(number(L"select count(*) from tblLabelGroup where sKey = 'Vertical Flow' and sGroup = " + group), 1);
  }
}

// ---- Where a project may be made ----

TEST_F(SeededProject, AMissingFolderIsCreated) {
  std::filesystem::path nested = folder_ / "job 12" / "plumbing";
  std::wstring error;
  std::wstring made = createStandardProject(wide(nested), &error);
  EXPECT_EQ(error, L"");
  EXPECT_EQ(made, wide(nested / "Project ov_plumb.ov"));
  EXPECT_TRUE(std::filesystem::is_regular_file(nested / "Project ov_plumb.ov"));
}

TEST_F(SeededProject, AFolderWithAProjectDatabaseIsRefusedAndLeftAlone) {
  makeAndOpen();
  auto size = std::filesystem::file_size(folder_ / "Project ov_plumb.ov");
  std::wstring error;
  EXPECT_EQ(createStandardProject(wide(folder_), &error), L"");
  EXPECT_NE(error.find(L"already has a project database"), std::wstring::npos) << narrow(error);
  EXPECT_EQ(std::filesystem::file_size(folder_ / "Project ov_plumb.ov"), size);
  EXPECT_GT(number(L"select count(*) from tblPipeType"), 0);
}

TEST_F(SeededProject, AnyNamedCandidateRefusesButOfficeFilesDoNot) {
  std::ofstream(folder_ / "52-OV ov_plumb.ov") << "office master";
  std::ofstream(folder_ / "Office_MASTER ov_plumb.ov") << "office master";
  std::ofstream(folder_ / "ov_plumb_standards.ov") << "office standards";
  std::ofstream(folder_ / "notes ov_plumb.txt") << "not a database";
  makeAndOpen();
  std::filesystem::remove(folder_ / "Project ov_plumb.ov");
  std::ofstream(folder_ / "Old OV_PLUMB job.ov") << "another project's file";
  std::wstring error;
  EXPECT_EQ(createStandardProject(wide(folder_), &error), L"");
  EXPECT_NE(error.find(L"Old OV_PLUMB job.ov"), std::wstring::npos) << narrow(error);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "Project ov_plumb.ov"));
}

TEST_F(SeededProject, WithoutTheComponentNothingIsLeftBehind) {
  ASSERT_EQ(comUnregisterClass(CLSID_ProjectDatabase), S_OK);
  std::wstring error;
  std::wstring made = createStandardProject(wide(folder_), &error);
  registerProjectDatabaseClass();
  EXPECT_EQ(made, L"");
  EXPECT_NE(error.find(L"component is not available"), std::wstring::npos) << narrow(error);
  EXPECT_TRUE(std::filesystem::is_empty(folder_));
  makeAndOpen();
}

TEST_F(SeededProject, AFolderThatCannotBeMadeAnswersWhy) {
  std::ofstream(folder_ / "plain file") << "in the way";
  std::wstring error;
  EXPECT_EQ(createStandardProject(wide(folder_ / "plain file" / "sub"), &error), L"");
  EXPECT_NE(error.find(L"Cannot create the folder"), std::wstring::npos) << narrow(error);
  EXPECT_EQ(createStandardProject(L"", &error), L"");
  EXPECT_FALSE(error.empty());
}

}  // namespace
