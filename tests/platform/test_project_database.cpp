// The project database component's row operations: tables and indexes, the cursor kept
// per table, seeks on one to three columns, adding, changing and deleting the current
// row, SQL through Query and Execute, and the errors callers read back.
#include "test_project_database_fixture.h"

namespace {

using namespace projectdb_test;
using Names = std::vector<std::wstring>;

// ---- adding and reading rows -------------------------------------------------------

TEST_F(ProjectDatabaseTest, AddRecordAnswersTheRowWithItsNewKeyInColumnOrder) {
  createFloors();
  select(L"tblFloor", L"ixFloor");
  _variant_t first = add({{L"sName", L"Ground"}, {L"dElevation", 0.5}, {L"bActive", _variant_t(true)}});
  _variant_t second = add({{L"sName", L"Roof"}});

  std::vector<Pair> pairs = pairsOf(first);
  Names names;
  for (const Pair& p : pairs) names.push_back(p.first);
  EXPECT_EQ(names, (Names{L"ixFloor", L"sName", L"iLevel", L"dElevation", L"bActive"}));
  EXPECT_EQ(pairs[0].second.vt, VT_I4);
  EXPECT_EQ(pairs[1].second.vt, VT_BSTR);
  EXPECT_EQ(pairs[2].second.vt, VT_NULL);  // not sent, so NULL
  EXPECT_EQ(pairs[3].second.vt, VT_R8);
  EXPECT_DOUBLE_EQ(pairs[3].second.dblVal, 0.5);
  // A boolean is kept as -1 and read back as that integer.
  EXPECT_EQ(pairs[4].second.vt, VT_I4);
  EXPECT_EQ(pairs[4].second.lVal, -1);

  long k1 = valueIn(first, L"ixFloor").lVal;
  long k2 = valueIn(second, L"ixFloor").lVal;
  EXPECT_GT(k1, 0);
  EXPECT_GT(k2, k1);
  EXPECT_EQ(count(L"tblFloor"), 2);
}

TEST_F(ProjectDatabaseTest, PairArraysMayStartAtAnyLowerBound) {
  createFloors();
  select(L"tblFloor", L"ixFloor");
  SAFEARRAYBOUND bound{4, 1};
  _variant_t pairs;
  pairs.vt = VT_ARRAY | VT_VARIANT;
  pairs.parray = SafeArrayCreate(VT_VARIANT, 1, &bound);
  _variant_t items[] = {L"iLevel", 4, L"sName", L"Mezzanine"};
  for (LONG i = 1; i <= 4; ++i) SafeArrayPutElement(pairs.parray, &i, &items[i - 1]);
  _variant_t row;
  VARIANT_BOOL ok = VARIANT_FALSE;
  db_->AddRecord(pairs, 0, &row, &ok);
  ASSERT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(textOf(valueIn(row, L"sName")), L"Mezzanine");
  EXPECT_EQ(valueIn(row, L"iLevel").lVal, 4);
}

TEST_F(ProjectDatabaseTest, TextsKeepCharactersBeyondAscii) {
  createFloors();
  select(L"tblFloor", L"ixFloor");
  const std::wstring name = L"Étage 2 – Ø 15 ✓";
  _variant_t row = add({{L"sName", name.c_str()}});
  EXPECT_EQ(textOf(valueIn(row, L"sName")), name);
  // SQLite counts characters of UTF-8 text, so a mangled text would show here.
  auto rows = query(L"SELECT length(sName) AS n FROM tblFloor");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(static_cast<long>(rows[0][0].second), static_cast<long>(name.size()));
}

TEST_F(ProjectDatabaseTest, IntegersBeyond32BitsArriveAsReals) {
  execute(L"CREATE TABLE tblBig (ixBig INTEGER PRIMARY KEY, iValue INTEGER)");
  execute(L"INSERT INTO tblBig (iValue) VALUES (5000000000)");
  select(L"tblBig");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->MoveFirst(&row, &found);
  _variant_t value = valueIn(row, L"iValue");
  ASSERT_EQ(value.vt, VT_R8);
  EXPECT_DOUBLE_EQ(value.dblVal, 5000000000.0);
}

// ---- cursors and indexes -----------------------------------------------------------

TEST_F(ProjectDatabaseTest, KeyIndexWalksInKeyOrderToTheEnd) {
  createFloors();
  addFloors({L"C", L"A", L"B"});
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(walk(L"sName"), (Names{L"C", L"A", L"B"}));
  EXPECT_TRUE(isEOF());
  EXPECT_FALSE(isBOF());
  // Past the end stays there.
  EXPECT_EQ(next(L"sName"), L"<end>");
  EXPECT_TRUE(isEOF());
}

TEST_F(ProjectDatabaseTest, NamedIndexOrdersByItsColumnThenKeyWithNullsFirst) {
  createFloors();
  addFloors({L"B", L"A", nullptr, L"B", L"A"});
  select(L"tblFloor", L"sName");
  EXPECT_EQ(walk(L"sName"), (Names{L"<null>", L"A", L"A", L"B", L"B"}));
  // Equal names follow their keys.
  EXPECT_EQ(walk(L"ixFloor"), (Names{L"3", L"2", L"5", L"1", L"4"}));
}

TEST_F(ProjectDatabaseTest, IndexesWithTheirOwnCollationOrDirectionAreFollowed) {
  createFloors();
  execute(L"CREATE INDEX tblFloor__sNameNoCase ON tblFloor (sName COLLATE NOCASE)");
  execute(L"CREATE INDEX tblFloor__sNameDown ON tblFloor (sName COLLATE NOCASE DESC)");
  addFloors({L"b", L"A", nullptr, L"C", L"a"});
  select(L"tblFloor", L"sNameNoCase");
  EXPECT_EQ(walk(L"sName"), (Names{L"<null>", L"A", L"a", L"b", L"C"}));
  select(L"tblFloor", L"sName");
  EXPECT_EQ(walk(L"sName"), (Names{L"<null>", L"A", L"C", L"a", L"b"}));
  // Descending: NULLs last; equal names (without case) still follow their keys.
  select(L"tblFloor", L"sNameDown");
  EXPECT_EQ(walk(L"sName"), (Names{L"C", L"b", L"A", L"a", L"<null>"}));
  // A case-blind index makes a case-blind seek.
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  select(L"tblFloor", L"sNameNoCase");
  db_->Seek(_variant_t(L"c"), &row, &found);
  EXPECT_EQ(textOf(valueIn(row, L"sName")), L"C");
}

TEST_F(ProjectDatabaseTest, FreshSelectionStandsBeforeTheFirstRow) {
  createFloors();
  select(L"tblFloor");
  EXPECT_TRUE(isBOF());
  EXPECT_TRUE(isEOF());  // no rows: both ends at once
  addFloors({L"A", L"B"});
  // Adding left the cursor on the last row added; releasing the table forgets it.
  EXPECT_FALSE(isBOF());
  db_->CloseTable(_bstr_t(L"tblFloor"));
  execute(L"CREATE TABLE tblOther (ixOther INTEGER PRIMARY KEY)");
  select(L"tblOther");
  select(L"tblFloor");
  EXPECT_TRUE(isBOF());
  EXPECT_FALSE(isEOF());
  // MoveNext from before the first row lands on the first.
  EXPECT_EQ(next(L"sName"), L"A");
  EXPECT_FALSE(isBOF());
}

TEST_F(ProjectDatabaseTest, ReselectingATableKeepsItsRowAndIndex) {
  createFloors();
  addFloors({L"D", L"B", L"C", L"A"});
  execute(L"CREATE TABLE tblOther (ixOther INTEGER PRIMARY KEY, sName TEXT)");
  select(L"tblOther");
  add({{L"sName", L"x"}});
  add({{L"sName", L"y"}});

  select(L"tblFloor", L"sName");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->MoveFirst(&row, &found);
  EXPECT_EQ(next(L"sName"), L"B");

  select(L"tblOther");
  db_->MoveFirst(&row, &found);
  EXPECT_EQ(next(L"sName"), L"y");

  // Back with an empty index name: same index, same row.
  select(L"tblFloor");
  EXPECT_EQ(next(L"sName"), L"C");
  select(L"tblFloor", L"");
  EXPECT_EQ(next(L"sName"), L"D");
}

TEST_F(ProjectDatabaseTest, ChangingTheIndexKeepsTheCurrentRow) {
  createFloors();
  addFloors({L"D", L"B", L"C", L"A"});
  select(L"tblFloor", L"ixFloor");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->MoveFirst(&row, &found);
  EXPECT_EQ(next(L"sName"), L"B");  // key 2
  select(L"tblFloor", L"sName");
  EXPECT_EQ(next(L"sName"), L"C");  // after B in name order
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(next(L"sName"), L"A");  // after C (key 3) in key order
}

TEST_F(ProjectDatabaseTest, MoveNextSkipsByItsCount) {
  createFloors();
  addFloors({L"A", L"B", L"C", L"D", L"E"});
  select(L"tblFloor", L"sName");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->MoveFirst(&row, &found);
  EXPECT_EQ(next(L"sName", 3), L"D");
  EXPECT_EQ(next(L"sName", 2), L"<end>");
  EXPECT_TRUE(isEOF());
}

TEST_F(ProjectDatabaseTest, CursorSeesRowsAddedThroughSql) {
  createFloors();
  addFloors({L"A", L"C"});
  select(L"tblFloor", L"sName");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->MoveFirst(&row, &found);
  execute(L"INSERT INTO tblFloor (sName) VALUES ('B')");
  EXPECT_EQ(next(L"sName"), L"B");
  EXPECT_EQ(next(L"sName"), L"C");
}

// ---- seeking ---------------------------------------------------------------------------

TEST_F(ProjectDatabaseTest, SeekByKeyAndByNamedIndex) {
  createFloors();
  addFloors({L"Ground", L"First", L"Roof"});
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;

  select(L"tblFloor", L"ixFloor");
  db_->Seek(_variant_t(2), &row, &found);
  ASSERT_EQ(found, VARIANT_TRUE);
  EXPECT_EQ(textOf(valueIn(row, L"sName")), L"First");

  select(L"tblFloor", L"sName");
  db_->Seek(_variant_t(L"Roof"), &row, &found);
  ASSERT_EQ(found, VARIANT_TRUE);
  EXPECT_EQ(valueIn(row, L"ixFloor").lVal, 3);
  // The cursor is on the found row: MoveNext goes on in name order.
  select(L"tblFloor", L"sName");
  db_->Seek(_variant_t(L"First"), &row, &found);
  EXPECT_EQ(next(L"sName"), L"Ground");

  db_->Seek(_variant_t(L"Cellar"), &row, &found);
  EXPECT_EQ(found, VARIANT_FALSE);
  EXPECT_EQ(row.vt, VT_EMPTY);
  EXPECT_TRUE(isEOF());
}

class PipeSumSeek : public ProjectDatabaseTest {
 protected:
  void SetUp() override {
    ProjectDatabaseTest::SetUp();
    if (HasFatalFailure()) return;
    execute(L"CREATE TABLE tblPipeSum (ixPipeSum INTEGER PRIMARY KEY, ixPipe INTEGER, "
            L"ixPipeSumCategory INTEGER, bFixed INTEGER, dValue DOUBLE)");
    execute(L"CREATE INDEX tblPipeSum__ixPipePipeSumCategoryFixed ON tblPipeSum (ixPipe, ixPipeSumCategory, bFixed)");
    execute(L"CREATE TABLE tblPipeLabel (ixPipeLabel INTEGER PRIMARY KEY, ixPipeType INTEGER, "
            L"ixLayerSystem INTEGER, sLabelFormat TEXT)");
    execute(L"CREATE INDEX tblPipeLabel__ixPipeTypeLayerSystem ON tblPipeLabel (ixPipeType, ixLayerSystem)");
    select(L"tblPipeSum", L"ixPipeSum");
    // Booleans are sent as VT_I2 -1/0, as the record classes send them.
    add({{L"ixPipe", 7}, {L"ixPipeSumCategory", 2}, {L"bFixed", short{0}}, {L"dValue", 1.0}});
    add({{L"ixPipe", 7}, {L"ixPipeSumCategory", 2}, {L"bFixed", short{-1}}, {L"dValue", 2.0}});
    add({{L"ixPipe", 7}, {L"ixPipeSumCategory", 3}, {L"bFixed", short{-1}}, {L"dValue", 3.0}});
    add({{L"ixPipe", 8}, {L"ixPipeSumCategory", 2}, {L"bFixed", short{-1}}, {L"dValue", 4.0}});
    select(L"tblPipeLabel", L"ixPipeLabel");
    add({{L"ixPipeType", 1}, {L"ixLayerSystem", 1}, {L"sLabelFormat", L"1-1"}});
    add({{L"ixPipeType", 1}, {L"ixLayerSystem", 2}, {L"sLabelFormat", L"1-2"}});
    add({{L"ixPipeType", 2}, {L"ixLayerSystem", _variant_t::makeNull()}, {L"sLabelFormat", L"2-null"}});
  }

  // The dValue of the row Seek3 finds, or -1.
  double seek3(const _variant_t& a, const _variant_t& b, const _variant_t& c) {
    _variant_t row;
    VARIANT_BOOL found = VARIANT_FALSE;
    db_->Seek3(a, b, c, &row, &found);
    return found == VARIANT_TRUE ? valueIn(row, L"dValue").dblVal : -1;
  }

  std::wstring seek2(const _variant_t& a, const _variant_t& b) {
    _variant_t row;
    VARIANT_BOOL found = VARIANT_FALSE;
    db_->Seek2(a, b, &row, &found);
    return found == VARIANT_TRUE ? textOf(valueIn(row, L"sLabelFormat")) : L"<none>";
  }
};

TEST_F(PipeSumSeek, Seek3MatchesAllThreeColumnsWithBooleanKeys) {
  select(L"tblPipeSum", L"ixPipePipeSumCategoryFixed");
  EXPECT_EQ(seek3(7, 2, _variant_t(true)), 2.0);
  EXPECT_EQ(seek3(7, 2, _variant_t(false)), 1.0);
  EXPECT_EQ(seek3(7, 3, _variant_t(true)), 3.0);
  EXPECT_EQ(seek3(8, 2, _variant_t(true)), 4.0);
  EXPECT_EQ(seek3(8, 2, _variant_t(false)), -1);
  EXPECT_TRUE(isEOF());
  // A VT_BOOL key of any non-zero value still means true.
  EXPECT_EQ(seek3(7, 2, _variant_t(short{1}, VT_BOOL)), 2.0);
}

TEST_F(PipeSumSeek, FewerKeysMatchTheLeadingColumns) {
  select(L"tblPipeSum", L"ixPipePipeSumCategoryFixed");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->Seek2(_variant_t(7), _variant_t(2), &row, &found);
  ASSERT_EQ(found, VARIANT_TRUE);
  // The first in index order: bFixed -1 sorts before 0.
  EXPECT_EQ(valueIn(row, L"dValue").dblVal, 2.0);
  db_->Seek(_variant_t(8), &row, &found);
  EXPECT_EQ(valueIn(row, L"dValue").dblVal, 4.0);
}

TEST_F(PipeSumSeek, Seek2OnATwoColumnIndexWithANullKey) {
  select(L"tblPipeLabel", L"ixPipeTypeLayerSystem");
  EXPECT_EQ(seek2(1, 2), L"1-2");
  EXPECT_EQ(seek2(1, 1), L"1-1");
  EXPECT_EQ(seek2(2, _variant_t::makeNull()), L"2-null");
  EXPECT_EQ(seek2(2, 1), L"<none>");
  EXPECT_EQ(seek2(1, 3), L"<none>");
}

TEST_F(PipeSumSeek, WalkPassesNullsInsideAMultiColumnIndex) {
  select(L"tblPipeLabel", L"ixPipeLabel");
  add({{L"ixPipeType", 2}, {L"ixLayerSystem", 1}, {L"sLabelFormat", L"2-1"}});
  add({{L"ixPipeType", _variant_t::makeNull()}, {L"ixLayerSystem", 5}, {L"sLabelFormat", L"null-5"}});
  add({{L"ixPipeType", 1}, {L"ixLayerSystem", _variant_t::makeNull()}, {L"sLabelFormat", L"1-null"}});
  select(L"tblPipeLabel", L"ixPipeTypeLayerSystem");
  EXPECT_EQ(walk(L"sLabelFormat"), (Names{L"null-5", L"1-null", L"1-1", L"1-2", L"2-null", L"2-1"}));
}

TEST_F(PipeSumSeek, MoreKeysThanIndexColumnsIsAFailingCall) {
  select(L"tblPipeLabel", L"ixPipeTypeLayerSystem");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  EXPECT_THROW(db_->Seek3(_variant_t(1), _variant_t(1), _variant_t(1), &row, &found), _com_error);
  EXPECT_EQ(lastErrorCode(), 3001);
  select(L"tblPipeLabel", L"ixPipeLabel");
  EXPECT_THROW(db_->Seek2(_variant_t(1), _variant_t(1), &row, &found), _com_error);
}

// ---- changing and deleting the current row ----------------------------------------

TEST_F(ProjectDatabaseTest, UpdateRecordChangesTheCurrentRowAndAnswersIt) {
  createFloors();
  addFloors({L"A", L"B", L"C"});
  select(L"tblFloor", L"ixFloor");
  _variant_t row;
  VARIANT_BOOL ok = VARIANT_FALSE;
  db_->Seek(_variant_t(2), &row, &ok);
  db_->UpdateRecord(pairArray({{L"sName", L"Z"}, {L"dElevation", 12.5}}), &row, &ok);
  ASSERT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(textOf(valueIn(row, L"sName")), L"Z");
  EXPECT_EQ(valueIn(row, L"ixFloor").lVal, 2);
  auto rows = query(L"SELECT sName, dElevation FROM tblFloor WHERE ixFloor = 2");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(textOf(rows[0][0].second), L"Z");
  EXPECT_EQ(rows[0][1].second.dblVal, 12.5);
  EXPECT_EQ(count(L"tblFloor"), 3);
  // The changed row keeps its place: in name order it is now last.
  select(L"tblFloor", L"sName");
  EXPECT_EQ(next(L"sName"), L"<end>");
}

TEST_F(ProjectDatabaseTest, UpdateRecordWritesNullAndRefusesTheKey) {
  createFloors();
  addFloors({L"A"});
  select(L"tblFloor", L"ixFloor");
  _variant_t row;
  VARIANT_BOOL ok = VARIANT_FALSE;
  db_->MoveFirst(&row, &ok);
  db_->UpdateRecord(pairArray({{L"sName", _variant_t::makeNull()}}), &row, &ok);
  EXPECT_EQ(valueIn(row, L"sName").vt, VT_NULL);
  EXPECT_THROW(db_->UpdateRecord(pairArray({{L"ixFloor", 9}}), &row, &ok), _com_error);
  EXPECT_EQ(lastErrorCode(), 3001);
  EXPECT_EQ(count(L"tblFloor WHERE ixFloor = 1"), 1);
}

TEST_F(ProjectDatabaseTest, WithoutACurrentRowUpdateAndDeleteReport3021) {
  createFloors();
  addFloors({L"A"});
  db_->CloseTable(_bstr_t(L"tblFloor"));
  select(L"tblFloor", L"ixFloor");
  _variant_t row;
  VARIANT_BOOL ok = VARIANT_FALSE;
  try {
    db_->UpdateRecord(pairArray({{L"sName", L"B"}}), &row, &ok);
    FAIL() << "no error before the first row";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.interfaceId(), IID_ProjectDatabase);
  }
  VARIANT_BOOL pending = VARIANT_FALSE;
  db_->HasError(&pending);
  EXPECT_EQ(pending, VARIANT_TRUE);
  EXPECT_EQ(lastError(), "(3021) No current record.");
  db_->HasError(&pending);
  EXPECT_EQ(pending, VARIANT_FALSE);  // reading cleared it

  db_->Seek(_variant_t(99), &row, &ok);  // not found: after the last row
  _variant_t ignored;
  EXPECT_THROW(db_->DeleteRecord(&ignored), _com_error);
  EXPECT_EQ(lastErrorCode(), 3021);
  EXPECT_EQ(count(L"tblFloor"), 1);
}

TEST_F(ProjectDatabaseTest, DeleteRecordRemovesTheCurrentRowAndTheWalkGoesOn) {
  createFloors();
  addFloors({L"A", L"B", L"C"});
  select(L"tblFloor", L"sName");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->Seek(_variant_t(L"B"), &row, &found);
  _variant_t ignored;
  db_->DeleteRecord(&ignored);
  EXPECT_EQ(count(L"tblFloor"), 2);
  EXPECT_EQ(count(L"tblFloor WHERE sName = 'B'"), 0);
  // Deleted once is gone: a second delete has no current record.
  EXPECT_THROW(db_->DeleteRecord(&ignored), _com_error);
  EXPECT_EQ(lastErrorCode(), 3021);
  EXPECT_EQ(next(L"sName"), L"C");
}

// ---- SQL text ------------------------------------------------------------------------

TEST_F(ProjectDatabaseTest, QueryAnswersTheFlatForm) {
  createFloors();
  addFloors({L"A", L"B"});
  _variant_t rows;
  VARIANT_BOOL ok = VARIANT_FALSE;
  db_->Query(_bstr_t(L"SELECT sName, iLevel FROM tblFloor ORDER BY ixFloor"), &rows, &ok);
  ASSERT_EQ(ok, VARIANT_TRUE);
  std::vector<_variant_t> e = elementsOf(rows);
  ASSERT_EQ(e.size(), 10u);
  // Each row opens with the mark; the i-th column's value stands 2*i after it.
  for (std::size_t r = 0; r < 2; ++r) {
    std::size_t mark = r * 5;
    EXPECT_EQ(textOf(e[mark]), L"*NewRecord*");
    EXPECT_EQ(textOf(e[mark + 1]), L"sName");
    EXPECT_EQ(textOf(e[mark + 3]), L"iLevel");
    EXPECT_EQ(e[mark + 4].vt, VT_I4);
  }
  EXPECT_EQ(textOf(e[2]), L"A");
  EXPECT_EQ(textOf(e[7]), L"B");
  EXPECT_EQ(e[9].lVal, 2);
}

TEST_F(ProjectDatabaseTest, QueryWithoutRowsAnswersNotOk) {
  createFloors();
  VARIANT_BOOL ok = VARIANT_TRUE;
  auto rows = query(L"SELECT sName FROM tblFloor", &ok);
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_TRUE(rows.empty());
  VARIANT_BOOL pending = VARIANT_TRUE;
  db_->HasError(&pending);
  EXPECT_EQ(pending, VARIANT_FALSE);
}

TEST_F(ProjectDatabaseTest, QueryAndExecuteFailuresLeaveAnErrorInsteadOfRaising) {
  createFloors();
  VARIANT_BOOL ok = VARIANT_TRUE;
  query(L"SELECT sName FROM tblMissing", &ok);
  EXPECT_EQ(ok, VARIANT_FALSE);
  std::string error = lastError();
  EXPECT_EQ(error.rfind("(3000) ", 0), 0u) << error;
  EXPECT_NE(error.find("tblMissing"), std::string::npos) << error;

  EXPECT_EQ(db_->Execute(_bstr_t(L"INSERT INTO tblFloor (ixFloor) VALUES (1); INSERT INTO tblFloor (ixFloor) VALUES (1)")),
            VARIANT_FALSE);
  EXPECT_EQ(lastErrorCode(), 3022);
  EXPECT_EQ(lastErrorCode(), 0);  // read once, gone
  EXPECT_EQ(count(L"tblFloor"), 1);  // statements before the failing one stay done
}

TEST_F(ProjectDatabaseTest, QueryRunsOneStatementOnly) {
  createFloors();
  addFloors({L"A"});
  VARIANT_BOOL ok = VARIANT_FALSE;
  EXPECT_EQ(query(L"SELECT sName FROM tblFloor; -- the floors\n", &ok).size(), 1u);
  EXPECT_EQ(ok, VARIANT_TRUE);
  query(L"SELECT sName FROM tblFloor; DELETE FROM tblFloor", &ok);
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_EQ(lastErrorCode(), 3000);
  EXPECT_EQ(count(L"tblFloor"), 1);
}

TEST_F(ProjectDatabaseTest, SqlAsTheModuleWritesItRunsUnchanged) {
  createFloors();
  execute(L"CREATE TABLE tblType (ixType INTEGER PRIMARY KEY, sName TEXT, bActive INTEGER)");
  execute(L"INSERT INTO tblType (sName, bActive) VALUES (\"Cold Water\", -1)");
  execute(L"INSERT INTO tblType (sName, bActive) VALUES (\"Vent\", 0)");
  execute(L"INSERT INTO tblFloor (sName, iLevel) VALUES ('Level ''1''', 1); "
          L"INSERT INTO tblFloor (sName, iLevel) VALUES ('Level 2', 1)");
  auto rows = query(L"Select tblType.sName, tblFloor.sName from tblType, tblFloor "
                    L"where tblType.bActive = -1 and tblFloor.sName = \"Level '1'\"");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(textOf(rows[0][0].second), L"Cold Water");
  EXPECT_EQ(textOf(rows[0][1].second), L"Level '1'");
  auto levels = query(L"Select distinct(iLevel) from tblFloor");
  EXPECT_EQ(levels.size(), 1u);
}

TEST_F(ProjectDatabaseTest, ExecuteRunsEveryStatementOfItsText) {
  execute(L"CREATE TABLE tblA (ixA INTEGER PRIMARY KEY, s TEXT);\n"
          L"INSERT INTO tblA (s) VALUES ('x');\n-- a comment\nINSERT INTO tblA (s) VALUES ('y');  ");
  EXPECT_EQ(count(L"tblA"), 2);
  execute(L"UPDATE tblA SET s = 'z' WHERE s = 'x'");
  EXPECT_EQ(count(L"tblA WHERE s = 'z'"), 1);
}

// ---- failing calls -------------------------------------------------------------------

// The description the failing call raised, after checking that it came from this interface.
template <class Call>
std::wstring raisedDescription(Call&& call) {
  try {
    call();
  } catch (const _com_error& e) {
    EXPECT_TRUE(FAILED(e.Error()));
    EXPECT_EQ(e.interfaceId(), IID_ProjectDatabase);
    return e.Description().wstring();
  }
  ADD_FAILURE() << "the call did not fail";
  return L"";
}

TEST_F(ProjectDatabaseTest, UnknownTableOrIndexRaisesAndKeepsTheSelection) {
  createFloors();
  addFloors({L"A", L"B"});
  select(L"tblFloor", L"sName");
  std::wstring d = raisedDescription([&] { select(L"tblNothing"); });
  EXPECT_NE(d.find(L"tblNothing"), std::wstring::npos);
  EXPECT_EQ(lastErrorCode(), 3078);
  raisedDescription([&] { select(L"tblFloor", L"iLevel"); });  // a column, but no such index
  EXPECT_EQ(lastErrorCode(), 3015);
  // Still on tblFloor in name order.
  EXPECT_EQ(walk(L"sName"), (Names{L"A", L"B"}));
}

TEST_F(ProjectDatabaseTest, BadPairArraysRaiseAndWriteNothing) {
  createFloors();
  select(L"tblFloor", L"ixFloor");
  _variant_t row;
  VARIANT_BOOL ok = VARIANT_FALSE;

  raisedDescription([&] { db_->AddRecord(pairArray({{L"sNope", 1}}), 0, &row, &ok); });
  EXPECT_EQ(lastErrorCode(), 3265);

  // A name without its value.
  _variant_t oddArray;
  oddArray.vt = VT_ARRAY | VT_VARIANT;
  oddArray.parray = SafeArrayCreateVector(VT_VARIANT, 0, 1);
  _variant_t name(L"sName");
  LONG first = 0;
  SafeArrayPutElement(oddArray.parray, &first, &name);
  raisedDescription([&] { db_->AddRecord(oddArray, 0, &row, &ok); });
  EXPECT_EQ(lastErrorCode(), 3001);

  raisedDescription([&] { db_->AddRecord(_variant_t(L"sName"), 0, &row, &ok); });
  EXPECT_EQ(lastErrorCode(), 3001);

  raisedDescription([&] { db_->AddRecord(pairArray({{L"sName", L"A"}, {L"SNAME", L"B"}}), 0, &row, &ok); });
  EXPECT_EQ(lastErrorCode(), 3001);
  EXPECT_EQ(count(L"tblFloor"), 0);
}

TEST_F(ProjectDatabaseTest, CallsOnAClosedDatabaseRaise) {
  createFloors();
  select(L"tblFloor");
  _variant_t ignored;
  db_->CloseDatabase(&ignored);
  VARIANT_BOOL open = VARIANT_TRUE;
  db_->IsOpen(&open);
  EXPECT_EQ(open, VARIANT_FALSE);
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  raisedDescription([&] { db_->MoveFirst(&row, &found); });
  EXPECT_EQ(lastErrorCode(), 3420);
  raisedDescription([&] { db_->Execute(_bstr_t(L"SELECT 1")); });
  raisedDescription([&] { select(L"tblFloor"); });
  // Closing and releasing tables stay harmless.
  db_->CloseTable(_bstr_t(L"tblFloor"));
  db_->CloseDatabase(&ignored);
}

TEST_F(ProjectDatabaseTest, CursorCallsNeedASelectedTable) {
  createFloors();
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  raisedDescription([&] { db_->MoveFirst(&row, &found); });
  EXPECT_EQ(lastErrorCode(), 3078);
  select(L"tblFloor");
  db_->CloseTable(_bstr_t(L"tblFloor"));
  raisedDescription([&] { db_->IsEOF(&found); });
  raisedDescription([&] { db_->MoveNext(0, &row, &found); });
}

TEST_F(ProjectDatabaseTest, MoveNextNeedsAPositiveCount) {
  createFloors();
  addFloors({L"A"});
  select(L"tblFloor");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  raisedDescription([&] { db_->MoveNext(0, &row, &found); });
  EXPECT_EQ(lastErrorCode(), 3001);
}

TEST_F(ProjectDatabaseTest, NullOutPointersAreRefused) {
  createFloors();
  select(L"tblFloor");
  VARIANT_BOOL found = VARIANT_FALSE;
  _variant_t row;
  EXPECT_EQ(db_->raw_MoveFirst(nullptr, &found), E_POINTER);
  EXPECT_EQ(db_->raw_MoveFirst(&row, nullptr), E_POINTER);
  EXPECT_EQ(db_->raw_HasError(nullptr), E_POINTER);
  EXPECT_EQ(db_->raw_ReadLastError(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(db_->raw_Execute(_bstr_t(L"SELECT 1"), nullptr), E_POINTER);
}

}  // namespace
