// What the record classes send and how they read rows, seen through a recording component:
// changed marks, modes, conversions, null marks, the master columns, and failures.
#include <gtest/gtest.h>

#include "db/tblAlignmentPointArea.h"
#include "db/tblFloor.h"
#include "db/tblGlobal.h"
#include "db/tblLayerKey.h"
#include "db/tblPipe.h"
#include "db/tblPipeSizingValue.h"
#include "db/tblPipeSum.h"
#include "db/tblPipeSumCategory.h"
#include "db/tblPipeType.h"
#include "test_record_double.h"

namespace {

std::vector<std::wstring> describe(const SentPairs& pairs) {
  std::vector<std::wstring> texts;
  for (const auto& [name, value] : pairs) texts.push_back(name + L"=" + describeVariant(value));
  return texts;
}

using Texts = std::vector<std::wstring>;

// A stored floor as the component answers it.
SentPairs storedFloor(std::int32_t key, const wchar_t* name) {
  return {{L"ixFloor", _variant_t(key)},          {L"ixFloorAbove", _variant_t::makeNull()},
          {L"sName", _variant_t(name)},           {L"dElevation", _variant_t(120.0)},
          {L"dCeilingHeight", _variant_t(96.0)},  {L"dFloorToFloorHeight", _variant_t(120.0)},
          {L"ixElecFloor", _variant_t::makeNull()}, {L"ixHVACFloor", _variant_t(3)}};
}

// ---- Update: what is written, and when ----

TEST(RecordUpdate, AddingWithNothingChangedSendsNothingAndEndsTheMode) {
  Recorder db;
  tblFloor floor(db.reference);
  floor.AddNew();
  ASSERT_TRUE(floor.isAdding());
  floor.Update();
  EXPECT_TRUE(db.database->calls.empty());
  EXPECT_FALSE(floor.isAdding());
  EXPECT_FALSE(floor.isEditing());
}

TEST(RecordUpdate, EditingWithNothingChangedSendsNothingAndEndsTheMode) {
  Recorder db;
  db.database->row = storedFloor(7, L"Level 2");
  tblFloor floor(db.reference);
  ASSERT_TRUE(floor.Find(7));
  db.database->calls.clear();
  floor.Edit();
  floor.Update();
  EXPECT_TRUE(db.database->calls.empty());
  EXPECT_FALSE(floor.isEditing());
}

TEST(RecordUpdate, AddingSendsOnlyTheChangedColumnsInColumnOrderWithTheirKinds) {
  Recorder db;
  tblFloor floor(db.reference);
  floor.AddNew();
  // Set out of column order: the array still follows the columns.
  floor.set_dElevation(144.5);
  floor.set_sName(L"Level 2");
  floor.set_ixHVACFloor(4);
  db.database->row = storedFloor(12, L"Level 2");
  floor.Update();
  EXPECT_EQ(db.database->calls, (Texts{L"SelectTable tblFloor ixFloor", L"AddRecord 0"}));
  ASSERT_EQ(db.database->sent.size(), 1u);
  EXPECT_EQ(describe(db.database->sent[0]),
            (Texts{L"sName=BSTR:Level 2", L"dElevation=R8:144.500000", L"ixHVACFloor=I4:4"}));
  // The answered row is loaded: this is how the new key reaches the record.
  EXPECT_EQ(floor.ixFloor(), 12);
  EXPECT_FALSE(floor.isAdding());
  EXPECT_FALSE(floor.anyChanged());
}

TEST(RecordUpdate, AFieldSetWithoutAddNewOrEditIsNotWritten) {
  Recorder db;
  tblFloor floor(db.reference);
  floor.set_sName(L"Level 3");
  floor.Update();
  EXPECT_TRUE(db.database->calls.empty());
  EXPECT_FALSE(floor.isChanged(tblFloor::column_sName));
}

TEST(RecordUpdate, AddRecordNotOkLeavesTheFieldsAsSet) {
  Recorder db;
  tblFloor floor(db.reference);
  floor.AddNew();
  floor.set_sName(L"Level 4");
  db.database->found = false;  // ok false
  floor.Update();
  EXPECT_EQ(db.database->callsOf(L"AddRecord").size(), 1u);
  EXPECT_EQ(floor.sName(), L"Level 4");
  EXPECT_EQ(floor.ixFloor(), 0);
  EXPECT_FALSE(floor.isAdding());
}

TEST(RecordUpdate, EditingFindsTheRememberedKeyThenSendsTheValuesSetBeforeThatFind) {
  Recorder db;
  db.database->row = storedFloor(7, L"Level 2");
  tblFloor floor(db.reference);
  ASSERT_TRUE(floor.Find(7));
  floor.Edit();
  floor.set_sName(L"Mezzanine");
  db.database->calls.clear();
  // The Find inside Update re-reads the stored row ("Level 2"); the array must have been
  // built before it, or the old name would be written back.
  floor.Update();
  EXPECT_EQ(db.database->calls, (Texts{L"SelectTable tblFloor ixFloor", L"Seek I4:7", L"UpdateRecord"}));
  ASSERT_EQ(db.database->sent.size(), 1u);
  EXPECT_EQ(describe(db.database->sent[0]), (Texts{L"sName=BSTR:Mezzanine"}));
  EXPECT_FALSE(floor.isEditing());
}

TEST(RecordUpdate, EditingARowThatIsGoneWritesNothingAndKeepsTheFields) {
  Recorder db;
  db.database->row = storedFloor(7, L"Level 2");
  tblFloor floor(db.reference);
  ASSERT_TRUE(floor.Find(7));
  floor.Edit();
  floor.set_sName(L"Mezzanine");
  db.database->found = false;
  floor.Update();
  EXPECT_TRUE(db.database->callsOf(L"UpdateRecord").empty());
  EXPECT_EQ(floor.sName(), L"Mezzanine");
  EXPECT_FALSE(floor.isEditing());
  EXPECT_FALSE(floor.anyChanged());
}

TEST(RecordUpdate, ARecordIsWrittenOncePerAddNew) {
  Recorder db;
  tblFloor floor(db.reference);
  floor.AddNew();
  floor.set_sName(L"Level 5");
  floor.Update();
  floor.set_sName(L"Level 6");
  floor.Update();
  EXPECT_EQ(db.database->callsOf(L"AddRecord").size(), 1u);
}

// ---- Null marks ----

TEST(RecordNulls, ANewRecordHoldsNullsZerosAndEmptyTexts) {
  Recorder db;
  tblAlignmentPointArea area(db.reference);
  EXPECT_TRUE(area.isNull_dXMin());
  EXPECT_EQ(area.dXMin(), 0.0);
  EXPECT_EQ(area.ixFloor(), 0);
  EXPECT_EQ(area.sName(), L"");
  EXPECT_FALSE(area.bDeleted());
  EXPECT_FALSE(area.anyChanged());
}

TEST(RecordNulls, ANullReadIsNotSentBackUnlessChanged) {
  Recorder db;
  db.database->row = storedFloor(7, L"Level 2");
  tblFloor floor(db.reference);
  ASSERT_TRUE(floor.Find(7));
  EXPECT_TRUE(floor.isNull_ixFloorAbove());
  EXPECT_FALSE(floor.isNull_ixHVACFloor());
  EXPECT_EQ(floor.ixHVACFloor(), 3);
  floor.Edit();
  floor.set_dCeilingHeight(100.0);
  floor.Update();
  ASSERT_EQ(db.database->sent.size(), 1u);
  EXPECT_EQ(describe(db.database->sent[0]), (Texts{L"dCeilingHeight=R8:100.000000"}));
}

TEST(RecordNulls, SetToNullIsSentAsVtNullAndSetToAValueAsItsKind) {
  Recorder db;
  db.database->row = storedFloor(7, L"Level 2");
  tblFloor floor(db.reference);
  ASSERT_TRUE(floor.Find(7));
  floor.Edit();
  floor.setNull_ixHVACFloor();
  floor.set_ixFloorAbove(2);
  EXPECT_TRUE(floor.isNull_ixHVACFloor());
  EXPECT_EQ(floor.ixHVACFloor(), 0);
  EXPECT_FALSE(floor.isNull_ixFloorAbove());
  floor.Update();
  ASSERT_EQ(db.database->sent.size(), 1u);
  EXPECT_EQ(describe(db.database->sent[0]), (Texts{L"ixFloorAbove=I4:2", L"ixHVACFloor=NULL"}));
}

TEST(RecordNulls, NullableRealsAndTextsReadEmptyOrNullAsNull) {
  Recorder db;
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
}

TEST(RecordNulls, APlainColumnReadAsNullHoldsZeroWithoutANullMark) {
  Recorder db;
  db.database->row = {{L"ixFloor", _variant_t(7)}, {L"sName", _variant_t::makeNull()},
                      {L"dElevation", _variant_t::makeNull()}};
  tblFloor floor(db.reference);
  ASSERT_TRUE(floor.Find(7));
  EXPECT_EQ(floor.sName(), L"");
  EXPECT_EQ(floor.dElevation(), 0.0);
}

// ---- Master columns ----

TEST(RecordMasterColumns, WithTheFlagSetTheyAreNeverSent) {
  Recorder db;
  tblPipeType type(db.reference, true);
  type.AddNew();
  type.set_ixMasterDatabase(3);
  type.set_sName(L"Vent");
  type.set_iMasterDatabaseIndex(9);
  type.Update();
  ASSERT_EQ(db.database->sent.size(), 1u);
  EXPECT_EQ(describe(db.database->sent[0]), (Texts{L"sName=BSTR:Vent"}));
}

TEST(RecordMasterColumns, WithTheFlagSetAChangeToThemAloneSendsNothing) {
  Recorder db;
  tblPipeType type(db.reference, true);
  type.AddNew();
  type.setNull_ixMasterDatabase();
  type.Update();
  EXPECT_TRUE(db.database->calls.empty());
}

TEST(RecordMasterColumns, WithTheFlagClearTheyAreSentLikeAnyColumn) {
  Recorder db;
  tblPipeType type(db.reference, false);
  type.AddNew();
  type.set_ixMasterDatabase(3);
  type.setNull_iMasterDatabaseIndex();
  type.Update();
  ASSERT_EQ(db.database->sent.size(), 1u);
  EXPECT_EQ(describe(db.database->sent[0]), (Texts{L"ixMasterDatabase=I4:3", L"iMasterDatabaseIndex=NULL"}));
}

// ---- Conversions ----

TEST(RecordConversions, BooleansAreSentAsVtI2MinusOneOrZero) {
  Recorder db;
  tblPipeType type(db.reference, false);
  type.AddNew();
  type.set_bReversed(true);
  type.set_bHidePipe(false);
  type.Update();
  ASSERT_EQ(db.database->sent.size(), 1u);
  EXPECT_EQ(describe(db.database->sent[0]), (Texts{L"bReversed=I2:-1", L"bHidePipe=I2:0"}));
}

TEST(RecordConversions, ABooleanIsTrueOnlyAtMinusOne) {
  Recorder db;
  tblPipeType type(db.reference, false);
  const std::pair<_variant_t, bool> cases[] = {
      {_variant_t(-1), true},  {_variant_t(short(-1)), true}, {_variant_t(true), true}, {_variant_t(-1.0), true},
      {_variant_t(1), false},  {_variant_t(short(0)), false}, {_variant_t(2.0), false}, {_variant_t(), false},
  };
  for (const auto& [value, expected] : cases) {
    db.database->row = {{L"ixPipeType", _variant_t(1)}, {L"bReversed", value}};
    ASSERT_TRUE(type.Find(1));
    EXPECT_EQ(type.bReversed(), expected) << describeVariant(value);
  }
}

TEST(RecordConversions, IntegersTruncateRealsAndReadOtherKindsAsZero) {
  Recorder db;
  tblPipeType type(db.reference, false);
  const std::pair<_variant_t, std::int32_t> cases[] = {
      {_variant_t(2.9), 2},           {_variant_t(-2.9), -2},        {_variant_t(3.7f), 3},
      {_variant_t(short(-5)), -5},    {_variant_t(true), -1},        {_variant_t(std::uint8_t(200)), 200},
      {_variant_t(L"12"), 0},         {_variant_t::makeNull(), 0},   {_variant_t(1e12), 2147483647},
  };
  for (const auto& [value, expected] : cases) {
    db.database->row = {{L"ixPipeType", _variant_t(1)}, {L"iSortOrder", value}};
    ASSERT_TRUE(type.Find(1));
    EXPECT_EQ(type.iSortOrder(), expected) << describeVariant(value);
  }
}

TEST(RecordConversions, TextsLoseTrailingBlanksOnlyAndNumbersBecomeText) {
  Recorder db;
  tblFloor floor(db.reference);
  const std::pair<_variant_t, std::wstring> cases[] = {
      {_variant_t(L"  Level 1   "), L"  Level 1"},
      {_variant_t(L" "), L""},
      {_variant_t(L"Tab\t"), L"Tab\t"},
      {_variant_t(42), L"42"},
  };
  for (const auto& [value, expected] : cases) {
    db.database->row = {{L"ixFloor", _variant_t(1)}, {L"sName", value}};
    ASSERT_TRUE(floor.Find(1));
    EXPECT_EQ(floor.sName(), expected) << describeVariant(value);
  }
}

TEST(RecordConversions, SizingValueEnableIsHeldAndSentAsAReal) {
  Recorder db;
  db.database->row = {{L"ixPipeSizingValue", _variant_t(4)}, {L"bEnable", _variant_t(0.5)}};
  tblPipeSizingValue value(db.reference);
  ASSERT_TRUE(value.Find(4));
  EXPECT_EQ(value.bEnable(), 0.5);
  value.Edit();
  value.set_bEnable(1.0);
  value.Update();
  ASSERT_EQ(db.database->sent.size(), 1u);
  EXPECT_EQ(describe(db.database->sent[0]), (Texts{L"bEnable=R8:1.000000"}));
}

// ---- Loading rows ----

TEST(RecordLoading, NamesMatchExactlyInAnyOrderAndUnknownOnesAreIgnored) {
  Recorder db;
  db.database->row = {{L"sName", _variant_t(L"Roof")},     {L"SNAME", _variant_t(L"wrong")},
                      {L"sLegacy", _variant_t(L"extra")},  {L"dElevation", _variant_t(360.0)},
                      {L"ixFloor", _variant_t(9)}};
  tblFloor floor(db.reference);
  ASSERT_TRUE(floor.Find(9));
  EXPECT_EQ(floor.sName(), L"Roof");
  EXPECT_EQ(floor.dElevation(), 360.0);
  EXPECT_EQ(floor.ixFloor(), 9);
}

TEST(RecordLoading, ALoadClearsTheChangedMarksButKeepsTheMode) {
  Recorder db;
  db.database->row = storedFloor(7, L"Level 2");
  tblFloor floor(db.reference);
  floor.AddNew();
  floor.set_sName(L"Lost");
  ASSERT_TRUE(floor.Find(7));
  EXPECT_TRUE(floor.isAdding());
  EXPECT_FALSE(floor.anyChanged());
  EXPECT_EQ(floor.sName(), L"Level 2");
}

TEST(RecordLoading, AFindThatFindsNothingLeavesTheFields) {
  Recorder db;
  db.database->row = storedFloor(7, L"Level 2");
  tblFloor floor(db.reference);
  ASSERT_TRUE(floor.Find(7));
  db.database->found = false;
  EXPECT_FALSE(floor.Find(8));
  EXPECT_EQ(floor.ixFloor(), 7);
  EXPECT_EQ(floor.sName(), L"Level 2");
}

// ---- Lookups: what each one asks of the component ----

TEST(RecordLookups, FindSeeksTheKeyIndexWithAVtI4Key) {
  Recorder db;
  tblPipe pipe(db.reference);
  pipe.Find(31);
  EXPECT_EQ(db.database->calls, (Texts{L"SelectTable tblPipe ixPipe", L"Seek I4:31"}));
}

TEST(RecordLookups, FindBySendsTheValuesItIsGivenOnTheClassIndex) {
  Recorder db;
  tblPipeSum sum(db.reference);
  sum.FindBy(5, 8, true);
  tblLayerKey key(db.reference);
  key.FindBy(_variant_t::makeNull(), L"DEFAULT");
  tblGlobal global(db.reference);
  global.FindBy(L"PTRAP-WIDTH");
  EXPECT_EQ(db.database->calls,
            (Texts{L"SelectTable tblPipeSum ixPipePipeSumCategoryFixed", L"Seek3 I4:5 I4:8 BOOL:-1",
                   L"SelectTable tblLayerKey isxLayerSystemKey", L"Seek2 NULL BSTR:DEFAULT",
                   L"SelectTable tblGlobal sKey", L"Seek BSTR:PTRAP-WIDTH"}));
}

TEST(RecordLookups, DeleteSeeksThisRecordsKeyAndDeletesOnlyWhenFound) {
  Recorder db;
  db.database->row = storedFloor(7, L"Level 2");
  tblFloor floor(db.reference);
  ASSERT_TRUE(floor.Find(7));
  db.database->calls.clear();
  floor.Delete();
  EXPECT_EQ(db.database->calls, (Texts{L"SelectTable tblFloor ixFloor", L"Seek I4:7", L"DeleteRecord"}));
  db.database->calls.clear();
  db.database->found = false;
  floor.Delete();
  EXPECT_EQ(db.database->calls, (Texts{L"SelectTable tblFloor ixFloor", L"Seek I4:7"}));
}

TEST(RecordLookups, MovesAndFlagsSelectTheTableWithAnEmptyIndex) {
  Recorder db;
  tblPipeType type(db.reference, false);
  type.UseIndex(L"iSortOrder");
  type.First();
  type.Next();
  db.database->eof = true;
  EXPECT_TRUE(type.AtEnd());
  EXPECT_FALSE(type.AtStart());
  type.Release();
  EXPECT_EQ(db.database->calls,
            (Texts{L"SelectTable tblPipeType iSortOrder", L"SelectTable tblPipeType ", L"MoveFirst",
                   L"SelectTable tblPipeType ", L"MoveNext 1", L"SelectTable tblPipeType ", L"IsEOF",
                   L"SelectTable tblPipeType ", L"IsBOF", L"CloseTable tblPipeType"}));
}

// ---- Without a database ----

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

TEST(RecordFailures, AFailingAddRecordRaisesAndLeavesModeAndMarksForARetry) {
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
  ASSERT_EQ(db.database->sent.size(), 2u);
  EXPECT_EQ(describe(db.database->sent[1]), (Texts{L"sName=BSTR:Level 2"}));
  EXPECT_EQ(floor.ixFloor(), 3);
}

TEST(RecordFailures, AFailingSeekWhileEditingLeavesModeAndMarks) {
  Recorder db;
  db.database->row = storedFloor(7, L"Level 2");
  tblFloor floor(db.reference);
  ASSERT_TRUE(floor.Find(7));
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
