// The record classes against the real database component on a project file: the
// keys the database gives, lookups through the named indexes, loops in index order, and
// errors raised by the component. What they send and read is in test_record_sent.
#include <gtest/gtest.h>

#include <vector>

#include "db/tblFloor.h"
#include "db/tblLayerKey.h"
#include "db/tblPipeLabel.h"
#include "db/tblPipeSum.h"
#include "db/tblPipeType.h"
#include "frame_fixture.h"

namespace {

// A standard project; the rows each test adds are told from the standard ones by their
// keys, or the standard ones are deleted first.
class RecordsOnFile : public FrameTest {
 protected:
  void SetUp() override { openProject("proj"); }
};

std::int32_t addFloor(const ProjectDatabasePtr& db, const std::wstring& name, double elevation) {
  tblFloor floor(db);
  floor.AddNew();
  floor.set_sName(name);
  floor.set_dElevation(elevation);
  floor.Update();
  return floor.ixFloor();
}

// Labels by type and layer system, sums told fixed from calculated by a boolean key,
// and layer keys of the null system: each found through its class's named index.
TEST_F(RecordsOnFile, FindByFollowsTheNamedIndexOfTwoOrThreeValues) {
  tblPipeLabel label(db_, false);
  std::vector<std::int32_t> labels;
  for (auto [type, system] : {std::pair{91, 1}, {91, 2}, {92, 1}}) {
    label.AddNew();
    label.set_ixPipeType(type);
    label.set_ixLayerSystem(system);
    label.set_sLabelFormat(L"$SIZE " + std::to_wstring(type) + L"/" + std::to_wstring(system));
    label.Update();
    labels.push_back(label.ixPipeLabel());
  }
  EXPECT_TRUE(labels[0] > 0 && labels[0] != labels[1]) << "each new row gets the key the database gave";
  tblPipeSum sum(db_);
  for (bool fixed : {false, true}) {
    sum.AddNew();
    sum.set_ixPipe(4);
    sum.set_ixPipeSumCategory(6);
    sum.set_bFixed(fixed);
    sum.set_dValue(fixed ? 3.0 : 5.0);
    sum.Update();
  }
  tblLayerKey key(db_);
  for (int system : {0, 2}) {
    key.AddNew();
    if (system != 0) key.set_ixLayerSystem(system);
    key.set_sKey(L"TESTKEY");
    key.set_ixLayer(5 + system);
    key.Update();
  }

  ASSERT_TRUE(label.FindBy(91, 2));
  EXPECT_EQ(label.ixPipeLabel(), labels[1]);
  EXPECT_EQ(label.sLabelFormat(), L"$SIZE 91/2");
  ASSERT_TRUE(label.FindBy(92, 1));
  EXPECT_EQ(label.ixPipeLabel(), labels[2]);
  EXPECT_FALSE(label.FindBy(92, 2));
  ASSERT_TRUE(sum.FindBy(4, 6, true));
  EXPECT_TRUE(sum.bFixed());
  EXPECT_EQ(sum.dValue(), 3.0);
  ASSERT_TRUE(sum.FindBy(4, 6, false));
  EXPECT_EQ(sum.dValue(), 5.0);
  EXPECT_FALSE(sum.FindBy(4, 7, true));
  ASSERT_TRUE(key.FindBy(_variant_t::makeNull(), L"TESTKEY"));
  EXPECT_TRUE(key.isNull_ixLayerSystem());
  EXPECT_EQ(key.ixLayer(), 5);
  ASSERT_TRUE(key.FindBy(2, L"TESTKEY"));
  EXPECT_EQ(key.ixLayer(), 7);
}

TEST_F(RecordsOnFile, ALoopAfterUseIndexFollowsThatIndex) {
  sql(L"delete from tblPipeType");
  tblPipeType type(db_, true);
  for (auto [name, order] : {std::pair{L"Vent", 3}, {L"Cold", 1}, {L"Gas", 4}, {L"Hot", 2}}) {
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

  names.clear();
  type.UseIndex(L"ixPipeType");
  for (bool more = type.First(); more; more = type.Next()) names.push_back(type.sName());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Vent", L"Cold", L"Gas", L"Hot"})) << "the order of adding";
}

TEST_F(RecordsOnFile, TheComponentsErrorsAreRaisedAndLeaveTheRecord) {
  const std::int32_t key = addFloor(db_, L"Level 1", 0.0);
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
