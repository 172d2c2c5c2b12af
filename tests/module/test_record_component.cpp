// The record classes against the real database component on a fresh project file: keys,
// texts and nulls as stored, lookups through the named indexes, loops in index order.
#include <gtest/gtest.h>

#include <vector>

#include "db/tblAlignmentPointArea.h"
#include "db/tblFloor.h"
#include "db/tblLayerKey.h"
#include "db/tblPipeLabel.h"
#include "db/tblPipeSizingValue.h"
#include "db/tblPipeSum.h"
#include "db/tblPipeType.h"
#include "test_record_fixture.h"

namespace {

using RecordsOnFile = ProjectFileTest;

std::int32_t addFloor(const ProjectDatabasePtr& db, const std::wstring& name, double elevation) {
  tblFloor floor(db);
  floor.AddNew();
  floor.set_sName(name);
  floor.set_dElevation(elevation);
  floor.Update();
  return floor.ixFloor();
}

TEST_F(RecordsOnFile, AddingGetsTheKeyTheDatabaseGaveAndStoresTheRow) {
  std::int32_t first = addFloor(db_, L"Level 1", 0.0);
  std::int32_t second = addFloor(db_, L"Level 2", 144.0);
  EXPECT_GT(first, 0);
  EXPECT_GT(second, 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(text(L"select sName from tblFloor where ixFloor = " + std::to_wstring(second)), L"Level 2");
  tblFloor floor(db_);
  ASSERT_TRUE(floor.Find(second));
  EXPECT_EQ(floor.dElevation(), 144.0);
}

TEST_F(RecordsOnFile, EditingChangesOnlyTheChangedColumns) {
  std::int32_t key = addFloor(db_, L"Level 1", 10.0);
  // Another writer changes the elevation after this record read the row.
  tblFloor floor(db_);
  ASSERT_TRUE(floor.Find(key));
  execute(L"update tblFloor set dElevation = 99 where ixFloor = " + std::to_wstring(key));
  floor.Edit();
  floor.set_sName(L"Ground");
  floor.Update();
  EXPECT_EQ(floor.sName(), L"Ground");
  EXPECT_EQ(floor.dElevation(), 99.0);
  EXPECT_EQ(number(L"select dElevation from tblFloor where ixFloor = " + std::to_wstring(key)), 99.0);
}

TEST_F(RecordsOnFile, TrailingBlanksAreDroppedAndLeadingOnesKept) {
  execute(L"insert into tblFloor (sName) values ('  Level 3   ')");
  execute(L"insert into tblFloor (sName) values (' ')");
  tblFloor floor(db_);
  ASSERT_TRUE(floor.FindBy(L"  Level 3   "));
  EXPECT_EQ(floor.sName(), L"  Level 3");
  ASSERT_TRUE(floor.FindBy(L" "));
  EXPECT_EQ(floor.sName(), L"");
}

TEST_F(RecordsOnFile, NullableColumnsReadAndWriteNull) {
  std::int32_t floorKey = addFloor(db_, L"Level 1", 0.0);
  tblAlignmentPointArea area(db_);
  area.AddNew();
  area.set_ixFloor(floorKey);
  area.set_sName(L"West");
  area.set_dXMin(-10.0);
  area.Update();
  std::int32_t key = area.ixAlignmentPointArea();
  ASSERT_GT(key, 0);
  EXPECT_TRUE(area.isNull_dXMax());
  EXPECT_FALSE(area.isNull_dXMin());
  EXPECT_EQ(number(L"select count(*) from tblAlignmentPointArea where dXMax is null and dYMin is null"), 1);

  area.Edit();
  area.setNull_dXMin();
  area.set_dAngle(1.5);
  area.Update();
  EXPECT_EQ(number(L"select count(*) from tblAlignmentPointArea where dXMin is null and dAngle = 1.5"), 1);
  tblAlignmentPointArea again(db_);
  ASSERT_TRUE(again.Find(key));
  EXPECT_TRUE(again.isNull_dXMin());
  EXPECT_FALSE(again.isNull_dAngle());
}

TEST_F(RecordsOnFile, SizingValueEnableRoundTripsAsAReal) {
  tblPipeSizingValue value(db_);
  value.AddNew();
  value.set_dFlow(12.5);
  value.set_bEnable(0.5);
  value.Update();
  EXPECT_EQ(value.bEnable(), 0.5);
  EXPECT_EQ(number(L"select bEnable from tblPipeSizingValue"), 0.5);
}

TEST_F(RecordsOnFile, FindOfAMissingKeyLeavesTheFieldsAndALaterUpdateWritesNothing) {
  std::int32_t key = addFloor(db_, L"Level 1", 0.0);
  tblFloor floor(db_);
  ASSERT_TRUE(floor.Find(key));
  EXPECT_FALSE(floor.Find(key + 100));
  EXPECT_EQ(floor.ixFloor(), key);
  EXPECT_EQ(floor.sName(), L"Level 1");

  floor.Edit();
  floor.set_sName(L"Renamed");
  execute(L"delete from tblFloor");
  floor.Update();
  EXPECT_EQ(number(L"select count(*) from tblFloor"), 0);
  EXPECT_FALSE(floor.isEditing());
}

TEST_F(RecordsOnFile, FindByTwoValuesFollowsTheNamedIndex) {
  const std::pair<int, int> pairs[] = {{1, 1}, {1, 2}, {2, 1}};
  std::vector<std::int32_t> keys;
  tblPipeLabel label(db_, false);
  for (auto [type, system] : pairs) {
    label.AddNew();
    label.set_ixPipeType(type);
    label.set_ixLayerSystem(system);
    label.set_sLabelFormat(L"$SIZE " + std::to_wstring(type) + L"/" + std::to_wstring(system));
    label.Update();
    keys.push_back(label.ixPipeLabel());
  }
  ASSERT_TRUE(label.FindBy(1, 2));
  EXPECT_EQ(label.ixPipeLabel(), keys[1]);
  EXPECT_EQ(label.sLabelFormat(), L"$SIZE 1/2");
  ASSERT_TRUE(label.FindBy(2, 1));
  EXPECT_EQ(label.ixPipeLabel(), keys[2]);
  EXPECT_FALSE(label.FindBy(2, 2));
}

TEST_F(RecordsOnFile, FindByThreeValuesTellsFixedFromCalculatedByABoolKey) {
  tblPipeSum sum(db_);
  for (bool fixed : {false, true}) {
    sum.AddNew();
    sum.set_ixPipe(4);
    sum.set_ixPipeSumCategory(6);
    sum.set_bFixed(fixed);
    sum.set_dValue(fixed ? 3.0 : 5.0);
    sum.Update();
  }
  ASSERT_TRUE(sum.FindBy(4, 6, true));
  EXPECT_TRUE(sum.bFixed());
  EXPECT_EQ(sum.dValue(), 3.0);
  ASSERT_TRUE(sum.FindBy(4, 6, false));
  EXPECT_FALSE(sum.bFixed());
  EXPECT_EQ(sum.dValue(), 5.0);
  EXPECT_FALSE(sum.FindBy(4, 7, true));
}

TEST_F(RecordsOnFile, LayerKeysAreFoundWithANullSystem) {
  tblLayerKey key(db_);
  key.AddNew();
  key.set_sKey(L"DEFAULT");
  key.set_ixLayer(5);
  key.Update();
  key.AddNew();
  key.set_ixLayerSystem(2);
  key.set_sKey(L"DEFAULT");
  key.set_ixLayer(6);
  key.Update();
  ASSERT_TRUE(key.FindBy(_variant_t::makeNull(), L"DEFAULT"));
  EXPECT_TRUE(key.isNull_ixLayerSystem());
  EXPECT_EQ(key.ixLayer(), 5);
  ASSERT_TRUE(key.FindBy(2, L"DEFAULT"));
  EXPECT_EQ(key.ixLayer(), 6);
}

TEST_F(RecordsOnFile, ALoopAfterUseIndexFollowsThatIndex) {
  tblPipeType type(db_, true);
  const std::pair<const wchar_t*, int> types[] = {{L"Vent", 3}, {L"Cold", 1}, {L"Gas", 4}, {L"Hot", 2}};
  for (auto [name, order] : types) {
    type.AddNew();
    type.set_sName(name);
    type.set_iSortOrder(order);
    type.Update();
  }
  std::vector<std::wstring> names;
  type.UseIndex(L"iSortOrder");
  type.First();
  EXPECT_FALSE(type.AtStart());
  while (!type.AtEnd()) {
    names.push_back(type.sName());
    type.Next();
  }
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Cold", L"Hot", L"Vent", L"Gas"}));

  // The key index gives the order of adding.
  names.clear();
  type.UseIndex(L"ixPipeType");
  for (bool more = type.First(); more; more = type.Next()) names.push_back(type.sName());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Vent", L"Cold", L"Gas", L"Hot"}));
}

TEST_F(RecordsOnFile, DeleteRemovesThisRecordsRow) {
  std::int32_t keep = addFloor(db_, L"Level 1", 0.0);
  std::int32_t gone = addFloor(db_, L"Level 2", 144.0);
  tblFloor floor(db_);
  ASSERT_TRUE(floor.Find(gone));
  floor.Delete();
  EXPECT_FALSE(floor.Find(gone));
  EXPECT_TRUE(floor.Find(keep));
}

TEST_F(RecordsOnFile, AnUnknownIndexRaisesAComErrorAndLeavesTheRecord) {
  std::int32_t key = addFloor(db_, L"Level 1", 0.0);
  tblPipeType type(db_, false);
  EXPECT_THROW(type.UseIndex(L"noSuchIndex"), _com_error);
  tblFloor floor(db_);
  ASSERT_TRUE(floor.Find(key));
  floor.Edit();
  floor.set_sName(L"Renamed");
  db_->Execute(_bstr_t(L"drop table tblFloor"));
  EXPECT_THROW(floor.Update(), _com_error);
  EXPECT_TRUE(floor.isEditing());
  EXPECT_TRUE(floor.isChanged(tblFloor::column_sName));
}

}  // namespace
