// What the record classes send and how they read rows, seen through a recording component:
// changed marks, modes, conversions, null marks, the master columns, and failures.
#include <gtest/gtest.h>

#include <functional>

#include "db/tblAlignmentPointArea.h"
#include "db/tblFloor.h"
#include "db/tblPipeSizingValue.h"
#include "db/tblPipeSumCategory.h"
#include "db/tblPipeType.h"
#include "test_record_fixture.h"

namespace {

// A stored floor as the component answers it.
SentPairs storedFloor(std::int32_t key, const wchar_t* name) {
  return {{L"ixFloor", _variant_t(key)},          {L"ixFloorAbove", _variant_t::makeNull()},
          {L"sName", _variant_t(name)},           {L"dElevation", _variant_t(120.0)},
          {L"dCeilingHeight", _variant_t(96.0)},  {L"dFloorToFloorHeight", _variant_t(120.0)},
          {L"ixElecFloor", _variant_t::makeNull()}, {L"ixHVACFloor", _variant_t(3)}};
}

// A floor found as key 7 ("Level 2") and put in edit mode, the calls of the find forgotten.
void editFloor7(Recorder& db, tblFloor& floor) {
  db.database->row = storedFloor(7, L"Level 2");
  ASSERT_TRUE(floor.Find(7));
  floor.Edit();
  db.database->calls.clear();
}

// Each case acts on a floor or a pipe type and says what Update must have sent: the calls
// after the set-up and the pairs of each write. The check runs on the record afterwards.
struct UpdateCase {
  const char* what;
  std::function<void(Recorder&, tblFloor&, tblPipeType&)> act;
  Texts calls;
  std::vector<Texts> sent;
};

TEST(RecordUpdate, SendsOnlyTheChangedColumnsOnceInColumnOrderWithTheirKinds) {
  const Texts add = {L"SelectTable tblFloor ixFloor", L"AddRecord 0"};
  const Texts addType = {L"SelectTable tblPipeType ixPipeType", L"AddRecord 0"};
  const Texts edit = {L"SelectTable tblFloor ixFloor", L"Seek I4:7", L"UpdateRecord"};
  const UpdateCase cases[] = {
      {"adding with nothing changed", [](Recorder&, tblFloor& f, tblPipeType&) { f.AddNew(); }, {}, {}},
      {"editing with nothing changed", [](Recorder& db, tblFloor& f, tblPipeType&) { editFloor7(db, f); }, {}, {}},
      {"a field set without AddNew or Edit", [](Recorder&, tblFloor& f, tblPipeType&) { f.set_sName(L"Level 3"); },
       {}, {}},
      // Set out of column order: the array still follows the columns.
      {"adding",
       [](Recorder&, tblFloor& f, tblPipeType&) {
         f.AddNew();
         f.set_dElevation(144.5);
         f.set_sName(L"Level 2");
         f.set_ixHVACFloor(4);
       },
       add, {{L"sName=BSTR:Level 2", L"dElevation=R8:144.500000", L"ixHVACFloor=I4:4"}}},
      // The Find inside Update re-reads the stored row ("Level 2"); the array must have
      // been built before it, or the old name would be written back. The null read for
      // ixFloorAbove is not sent back.
      {"editing",
       [](Recorder& db, tblFloor& f, tblPipeType&) {
         editFloor7(db, f);
         f.set_sName(L"Mezzanine");
       },
       edit, {{L"sName=BSTR:Mezzanine"}}},
      {"editing to and from null",
       [](Recorder& db, tblFloor& f, tblPipeType&) {
         editFloor7(db, f);
         f.setNull_ixHVACFloor();
         f.set_ixFloorAbove(2);
         EXPECT_TRUE(f.isNull_ixHVACFloor());
         EXPECT_EQ(f.ixHVACFloor(), 0);
         EXPECT_FALSE(f.isNull_ixFloorAbove());
       },
       edit, {{L"ixFloorAbove=I4:2", L"ixHVACFloor=NULL"}}},
      {"editing a row that is gone",
       [](Recorder& db, tblFloor& f, tblPipeType&) {
         editFloor7(db, f);
         f.set_sName(L"Mezzanine");
         db.database->found = false;
       },
       {L"SelectTable tblFloor ixFloor", L"Seek I4:7"}, {}},
      {"a second Update after one AddNew",
       [](Recorder&, tblFloor& f, tblPipeType&) {
         f.AddNew();
         f.set_sName(L"Level 5");
         f.Update();
         f.set_sName(L"Level 6");
       },
       add, {{L"sName=BSTR:Level 5"}}},
      {"master columns with the flag set",
       [](Recorder&, tblFloor&, tblPipeType& t) {
         t.AddNew();
         t.set_ixMasterDatabase(3);
         t.set_sName(L"Vent");
         t.set_iMasterDatabaseIndex(9);
       },
       addType, {{L"sName=BSTR:Vent"}}},
      {"only a master column with the flag set",
       [](Recorder&, tblFloor&, tblPipeType& t) {
         t.AddNew();
         t.setNull_ixMasterDatabase();
       },
       {}, {}},
      {"booleans", [](Recorder&, tblFloor&, tblPipeType& t) {
         t.AddNew();
         t.set_bReversed(true);
         t.set_bHidePipe(false);
       },
       addType, {{L"bReversed=I2:-1", L"bHidePipe=I2:0"}}},
  };
  for (const UpdateCase& c : cases) {
    SCOPED_TRACE(c.what);
    Recorder db;
    tblFloor floor(db.reference);
    tblPipeType type(db.reference, true);
    c.act(db, floor, type);
    db.database->row = storedFloor(12, L"Level 2");
    floor.Update();
    type.Update();
    EXPECT_EQ(db.database->calls, c.calls);
    EXPECT_EQ(db.database->sent, c.sent);
    EXPECT_FALSE(floor.isAdding() || floor.isEditing() || floor.anyChanged());
    EXPECT_FALSE(type.isAdding() || type.anyChanged());
  }
}

TEST(RecordUpdate, WhatAWriteAnswersIsLoadedAndAnUnansweredOneLeavesTheFields) {
  Recorder db;
  tblFloor floor(db.reference);
  floor.AddNew();
  floor.set_sName(L"Level 2");
  db.database->row = storedFloor(12, L"Stored");
  floor.Update();
  EXPECT_EQ(floor.ixFloor(), 12) << "this is how the new key reaches the record";
  EXPECT_EQ(floor.sName(), L"Stored");

  floor.AddNew();
  floor.set_sName(L"Level 4");
  db.database->found = false;  // ok false
  floor.Update();
  EXPECT_EQ(floor.sName(), L"Level 4");
  EXPECT_FALSE(floor.isAdding());

  db.database->found = true;
  floor.Edit();
  floor.set_sName(L"Mezzanine");
  db.database->found = false;  // the row is gone
  floor.Update();
  EXPECT_EQ(floor.sName(), L"Mezzanine");
  EXPECT_EQ(db.database->sent.size(), 2u);
}

TEST(RecordUpdate, MasterColumnsAreSentLikeAnyWithTheFlagClearAndSizingEnableAsAReal) {
  Recorder db;
  tblPipeType type(db.reference, false);
  type.AddNew();
  type.set_ixMasterDatabase(3);
  type.setNull_iMasterDatabaseIndex();
  type.Update();
  db.database->row = {{L"ixPipeSizingValue", _variant_t(4)}, {L"bEnable", _variant_t(0.5)}};
  tblPipeSizingValue value(db.reference);
  ASSERT_TRUE(value.Find(4));
  EXPECT_EQ(value.bEnable(), 0.5);
  value.Edit();
  value.set_bEnable(1.0);
  value.Update();
  EXPECT_EQ(db.database->sent,
            (std::vector<Texts>{{L"ixMasterDatabase=I4:3", L"iMasterDatabaseIndex=NULL"}, {L"bEnable=R8:1.000000"}}));
}

// ---- Reading rows ----

TEST(RecordLoading, ValuesConvertToTheColumnsKind) {
  Recorder db;
  tblPipeType type(db.reference, false);
  const auto read = [&](const wchar_t* column, const _variant_t& value) {
    db.database->row = {{L"ixPipeType", _variant_t(1)}, {column, value}};
    EXPECT_TRUE(type.Find(1));
  };
  // A boolean is true only at -1.
  const std::pair<_variant_t, bool> booleans[] = {
      {_variant_t(-1), true}, {_variant_t(short(-1)), true}, {_variant_t(true), true}, {_variant_t(-1.0), true},
      {_variant_t(1), false}, {_variant_t(short(0)), false}, {_variant_t(2.0), false}, {_variant_t(), false},
  };
  for (const auto& [value, expected] : booleans) {
    read(L"bReversed", value);
    EXPECT_EQ(type.bReversed(), expected) << describeVariant(value);
  }
  // Integers truncate reals, saturate, and read other kinds as zero.
  const std::pair<_variant_t, std::int32_t> integers[] = {
      {_variant_t(2.9), 2},        {_variant_t(-2.9), -2},      {_variant_t(3.7f), 3},
      {_variant_t(short(-5)), -5}, {_variant_t(true), -1},      {_variant_t(std::uint8_t(200)), 200},
      {_variant_t(L"12"), 0},      {_variant_t::makeNull(), 0}, {_variant_t(1e12), 2147483647},
      {_variant_t(-1e12), -2147483647 - 1},
  };
  for (const auto& [value, expected] : integers) {
    read(L"iSortOrder", value);
    EXPECT_EQ(type.iSortOrder(), expected) << describeVariant(value);
  }
  // Texts lose trailing blanks only, and numbers become text.
  const std::pair<_variant_t, std::wstring> texts[] = {
      {_variant_t(L"  Level 1   "), L"  Level 1"}, {_variant_t(L" "), L""}, {_variant_t(L"Tab\t"), L"Tab\t"},
      {_variant_t(42), L"42"}, {_variant_t::makeNull(), L""},
  };
  for (const auto& [value, expected] : texts) {
    read(L"sName", value);
    EXPECT_EQ(type.sName(), expected) << describeVariant(value);
  }
}

// A new record holds nulls in its nullable columns and zeros, blanks and false in the
// others; a row read keeps null marks only in nullable columns.
TEST(RecordLoading, OnlyNullableColumnsKeepANullMark) {
  Recorder db;
  tblAlignmentPointArea fresh(db.reference);
  EXPECT_TRUE(fresh.isNull_dXMin() && fresh.dXMin() == 0.0 && fresh.ixFloor() == 0 && fresh.sName().empty());
  EXPECT_FALSE(fresh.bDeleted() || fresh.anyChanged());
  db.database->row = {{L"ixAlignmentPointArea", _variant_t(3)}, {L"dXMin", _variant_t()},
                      {L"dXMax", _variant_t::makeNull()},     {L"dYMin", _variant_t(-4.25)}};
  tblAlignmentPointArea area(db.reference);
  ASSERT_TRUE(area.Find(3));
  EXPECT_TRUE(area.isNull_dXMin());
  EXPECT_TRUE(area.isNull_dXMax());
  EXPECT_FALSE(area.isNull_dYMin());
  EXPECT_EQ(area.dYMin(), -4.25);

  db.database->row = {{L"ixPipeSumCategory", _variant_t(1)}, {L"sLabelPrefix", _variant_t::makeNull()},
                      {L"sLabelSuffix", _variant_t(L" GPM")}};
  tblPipeSumCategory category(db.reference, false);
  ASSERT_TRUE(category.Find(1));
  EXPECT_TRUE(category.isNull_sLabelPrefix());
  EXPECT_EQ(category.sLabelSuffix(), L" GPM");

  db.database->row = storedFloor(7, L"Level 2");
  db.database->row[3].second = _variant_t::makeNull();
  tblFloor floor(db.reference);
  ASSERT_TRUE(floor.Find(7));
  EXPECT_TRUE(floor.isNull_ixFloorAbove());
  EXPECT_FALSE(floor.isNull_ixHVACFloor());
  EXPECT_EQ(floor.ixHVACFloor(), 3);
  EXPECT_EQ(floor.dElevation(), 0.0) << "a plain column read as null holds zero";
}

TEST(RecordLoading, NamesMatchExactlyInAnyOrderAndALoadClearsMarksButKeepsTheMode) {
  Recorder db;
  db.database->row = {{L"sName", _variant_t(L"Roof")},    {L"SNAME", _variant_t(L"wrong")},
                      {L"sLegacy", _variant_t(L"extra")}, {L"dElevation", _variant_t(360.0)},
                      {L"ixFloor", _variant_t(9)}};
  tblFloor floor(db.reference);
  floor.AddNew();
  floor.set_sName(L"Lost");
  ASSERT_TRUE(floor.Find(9));
  EXPECT_EQ(floor.sName(), L"Roof");
  EXPECT_EQ(floor.dElevation(), 360.0);
  EXPECT_EQ(floor.ixFloor(), 9);
  EXPECT_TRUE(floor.isAdding());
  EXPECT_FALSE(floor.anyChanged());

  db.database->found = false;
  EXPECT_FALSE(floor.Find(8));
  EXPECT_EQ(floor.ixFloor(), 9) << "a find that finds nothing leaves the fields";
  EXPECT_EQ(floor.sName(), L"Roof");
}

// The lookups through named indexes and the loops are checked on a file in
// test_record_component; what only the calls show is here.
TEST(RecordLookups, ReleaseClosesTheTableAndDeleteSeeksItsKeyFirst) {
  Recorder db;
  tblPipeType(db.reference, false).Release();
  db.database->row = storedFloor(7, L"Level 2");
  tblFloor floor(db.reference);
  floor.Find(7);
  floor.Delete();
  db.database->found = false;
  floor.Delete();
  EXPECT_EQ(db.database->calls,
            (Texts{L"CloseTable tblPipeType", L"SelectTable tblFloor ixFloor", L"Seek I4:7",
                   L"SelectTable tblFloor ixFloor", L"Seek I4:7", L"DeleteRecord", L"SelectTable tblFloor ixFloor",
                   L"Seek I4:7"}));
}

TEST(RecordWithoutDatabase, EveryOperationDoesNothingAndTheLoopEndsAtOnce) {
  tblPipeType type(nullptr, true);
  EXPECT_FALSE(type.hasDatabase());
  EXPECT_TRUE(type.AtStart());
  EXPECT_TRUE(type.AtEnd());
  EXPECT_FALSE(type.First());
  EXPECT_FALSE(type.Next());
  EXPECT_FALSE(type.Find(1));
  type.AddNew();
  EXPECT_FALSE(type.isAdding());
  type.set_sName(L"kept");
  type.Update();
  type.UseIndex(L"iSortOrder");
  type.Release();
  EXPECT_EQ(type.sName(), L"kept");
  tblFloor floor(nullptr);
  floor.Delete();
  EXPECT_FALSE(floor.FindBy(L"Level 1"));
}

// ---- Failures ----

TEST(RecordFailures, AFailingWriteRaisesAndLeavesModeAndMarksForARetry) {
  Recorder db;
  tblFloor floor(db.reference);
  floor.AddNew();
  floor.set_sName(L"Level 2");
  db.database->failing = L"AddRecord";
  try {
    floor.Update();
    FAIL() << "no _com_error";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_FAIL);
    EXPECT_TRUE(e.interfaceId() == IID_ProjectDatabase);
    EXPECT_EQ(e.Description().wstring(), L"recorded failure of AddRecord");
  }
  EXPECT_TRUE(floor.isAdding());
  EXPECT_TRUE(floor.isChanged(tblFloor::column_sName));
  db.database->failing.clear();
  db.database->row = storedFloor(3, L"Level 2");
  floor.Update();
  EXPECT_EQ(db.database->sent, (std::vector<Texts>{{L"sName=BSTR:Level 2"}, {L"sName=BSTR:Level 2"}}));
  EXPECT_EQ(floor.ixFloor(), 3);

  // The seek inside an edit's Update fails the same way.
  floor.Edit();
  floor.set_dElevation(12.0);
  db.database->failing = L"Seek";
  EXPECT_THROW(floor.Update(), _com_error);
  EXPECT_TRUE(floor.isEditing());
  EXPECT_TRUE(floor.isChanged(tblFloor::column_dElevation));
  EXPECT_EQ(floor.dElevation(), 12.0);
}

TEST(RecordFailures, AFailingSelectTableRaisesFromEveryLookup) {
  Recorder db;
  db.database->failing = L"SelectTable";
  tblPipeType type(db.reference, false);
  EXPECT_THROW(type.Find(1), _com_error);
  EXPECT_THROW(type.First(), _com_error);
  EXPECT_THROW(type.AtEnd(), _com_error);
  EXPECT_THROW(type.UseIndex(L"iSortOrder"), _com_error);
}

}  // namespace
