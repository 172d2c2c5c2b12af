// What the component keeps between calls (table and index descriptions, prepared
// statements, the cursor's place) never hides a change made through Execute or by
// another connection; each call runs in one transaction of its own and leaves none open.
#include "test_project_database_fixture.h"

namespace {

using namespace projectdb_test;
using Names = std::vector<std::wstring>;

class ProjectDatabaseFreshness : public ProjectDatabaseTest {
 protected:
  // A second connection to the same file, as another process would have.
  ProjectDatabasePtr otherConnection() {
    ProjectDatabasePtr other;
    EXPECT_EQ(other.CreateInstance(CLSID_ProjectDatabase), S_OK);
    VARIANT_BOOL readOnly = VARIANT_TRUE;
    VARIANT_BOOL ok = VARIANT_FALSE;
    other->OpenDatabase(widePath(), &readOnly, &ok);
    EXPECT_EQ(ok, VARIANT_TRUE);
    return other;
  }

  static void executeOn(ProjectDatabasePtr& db, const wchar_t* sql) {
    EXPECT_EQ(db->Execute(_bstr_t(sql)), VARIANT_TRUE) << acutWideToUtf8(sql);
  }

  // The column names of the row MoveFirst lands on.
  Names firstRowColumns() {
    _variant_t row;
    VARIANT_BOOL found = VARIANT_FALSE;
    db_->MoveFirst(&row, &found);
    Names names;
    for (const Pair& p : pairsOf(row)) names.push_back(p.first);
    return names;
  }

  Names seekColumns(const _variant_t& key) {
    _variant_t row;
    VARIANT_BOOL found = VARIANT_FALSE;
    db_->Seek(key, &row, &found);
    Names names;
    for (const Pair& p : pairsOf(row)) names.push_back(p.first);
    return names;
  }

  long schemaVersion() {
    auto rows = query(L"PRAGMA schema_version");
    return rows.empty() ? -1 : static_cast<long>(rows[0][0].second);
  }
};

const Names kFloorColumns{L"ixFloor", L"sName", L"iLevel", L"dElevation", L"bActive"};

Names withColumn(Names names, const wchar_t* column) {
  names.push_back(column);
  return names;
}

// ---- table and index descriptions ---------------------------------------------------

TEST_F(ProjectDatabaseFreshness, AColumnAddedThroughExecuteShowsInTheNextRows) {
  createFloors();
  addFloors({L"A"});
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(firstRowColumns(), kFloorColumns);
  execute(L"ALTER TABLE tblFloor ADD COLUMN sNote TEXT");
  EXPECT_EQ(firstRowColumns(), withColumn(kFloorColumns, L"sNote"));
  execute(L"ALTER TABLE tblFloor ADD COLUMN iMore INTEGER");
  EXPECT_EQ(seekColumns(1), withColumn(withColumn(kFloorColumns, L"sNote"), L"iMore"));
  // The pair arrays sent are checked against the table as it is now.
  _variant_t row;
  VARIANT_BOOL ok = VARIANT_FALSE;
  db_->UpdateRecord(pairArray({{L"iMore", 7}}), &row, &ok);
  EXPECT_EQ(valueIn(row, L"iMore").lVal, 7);
}

TEST_F(ProjectDatabaseFreshness, AColumnAddedByAnotherConnectionShowsInTheNextMoveAndSeek) {
  createFloors();
  addFloors({L"A", L"B"});
  select(L"tblFloor", L"sName");
  EXPECT_EQ(firstRowColumns(), kFloorColumns);
  ProjectDatabasePtr other = otherConnection();
  executeOn(other, L"ALTER TABLE tblFloor ADD COLUMN sNote TEXT DEFAULT 'x'");
  EXPECT_EQ(next(L"sNote"), L"x");
  executeOn(other, L"ALTER TABLE tblFloor ADD COLUMN iMore INTEGER");
  EXPECT_EQ(seekColumns(L"A"), withColumn(withColumn(kFloorColumns, L"sNote"), L"iMore"));
  // A new column may be written at once.
  add({{L"sName", L"C"}, {L"iMore", 3}});
  EXPECT_EQ(count(L"tblFloor WHERE iMore = 3"), 1);
}

TEST_F(ProjectDatabaseFreshness, ATableDroppedElsewhereFailsTheNextCallAndItsNewShapeIsUsed) {
  createFloors();
  addFloors({L"A"});
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(firstRowColumns(), kFloorColumns);
  ProjectDatabasePtr other = otherConnection();
  executeOn(other, L"DROP TABLE tblFloor");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  EXPECT_THROW(db_->MoveFirst(&row, &found), _com_error);
  EXPECT_EQ(lastErrorCode(), 3078);
  EXPECT_THROW(select(L"tblFloor"), _com_error);
  EXPECT_EQ(lastErrorCode(), 3078);

  executeOn(other, L"CREATE TABLE tblFloor (ixFloor INTEGER PRIMARY KEY, sCode TEXT)");
  executeOn(other, L"INSERT INTO tblFloor (sCode) VALUES ('K')");
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(firstRowColumns(), (Names{L"ixFloor", L"sCode"}));
}

TEST_F(ProjectDatabaseFreshness, AnIndexRedefinedElsewhereIsFollowedAndADroppedOneReported) {
  createFloors();
  addFloors({L"B", L"A", L"C"});
  execute(L"UPDATE tblFloor SET iLevel = 4 - ixFloor");  // levels 3, 2, 1
  select(L"tblFloor", L"sName");
  EXPECT_EQ(walk(L"sName"), (Names{L"A", L"B", L"C"}));
  ProjectDatabasePtr other = otherConnection();
  // Same name, other column: the walk follows the index as it is now.
  executeOn(other, L"DROP INDEX tblFloor__sName");
  executeOn(other, L"CREATE INDEX tblFloor__sName ON tblFloor (iLevel)");
  EXPECT_EQ(walk(L"sName"), (Names{L"C", L"A", L"B"}));
  executeOn(other, L"DROP INDEX tblFloor__sName");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  EXPECT_THROW(db_->MoveFirst(&row, &found), _com_error);
  EXPECT_EQ(lastErrorCode(), 3015);
  EXPECT_THROW(select(L"tblFloor", L"sName"), _com_error);
  EXPECT_EQ(lastErrorCode(), 3015);
}

TEST_F(ProjectDatabaseFreshness, ASchemaChangeRolledBackIsNotMistakenForAnotherWithTheSameVersion) {
  createFloors();
  addFloors({L"A"});
  long before = schemaVersion();
  execute(L"BEGIN");
  execute(L"ALTER TABLE tblFloor ADD COLUMN sMine TEXT");
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(firstRowColumns(), withColumn(kFloorColumns, L"sMine"));
  long mine = schemaVersion();
  execute(L"ROLLBACK");
  ProjectDatabasePtr other = otherConnection();
  executeOn(other, L"ALTER TABLE tblFloor ADD COLUMN sTheirs TEXT");
  long theirs = schemaVersion();
  // Both changes carry the same version number, so only forgetting what was described
  // inside the rolled-back transaction tells them apart.
  EXPECT_NE(before, mine);
  EXPECT_EQ(mine, theirs);
  EXPECT_EQ(firstRowColumns(), withColumn(kFloorColumns, L"sTheirs"));
}

// ---- prepared statements ------------------------------------------------------------

TEST_F(ProjectDatabaseFreshness, AQueryRunAgainSeesTheTableAsItIsNow) {
  createFloors();
  addFloors({L"A"});
  const std::wstring sql = L"SELECT * FROM tblFloor";
  ASSERT_EQ(query(sql).size(), 1u);
  EXPECT_EQ(query(sql)[0].size(), kFloorColumns.size());

  ProjectDatabasePtr other = otherConnection();
  executeOn(other, L"ALTER TABLE tblFloor ADD COLUMN sNote TEXT");
  executeOn(other, L"INSERT INTO tblFloor (sName, sNote) VALUES ('B', 'n')");
  auto rows = query(sql);
  ASSERT_EQ(rows.size(), 2u);
  ASSERT_EQ(rows[1].size(), kFloorColumns.size() + 1);
  EXPECT_EQ(rows[1].back().first, L"sNote");
  EXPECT_EQ(textOf(rows[1].back().second), L"n");

  executeOn(other, L"DROP TABLE tblFloor");
  VARIANT_BOOL ok = VARIANT_TRUE;
  EXPECT_TRUE(query(sql, &ok).empty());
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_EQ(lastErrorCode(), 3000);
  executeOn(other, L"CREATE TABLE tblFloor (ixFloor INTEGER PRIMARY KEY, sCode TEXT)");
  executeOn(other, L"INSERT INTO tblFloor (sCode) VALUES ('K')");
  rows = query(sql, &ok);
  EXPECT_EQ(ok, VARIANT_TRUE);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][1].first, L"sCode");
}

TEST_F(ProjectDatabaseFreshness, ManyDifferentQueriesEachAnswerTheirOwnRows) {
  createFloors();
  addFloors({L"A", L"B", L"C"});
  // More texts than are kept prepared, then the first ones again.
  for (int round = 0; round < 2; ++round)
    for (int level = 0; level < 40; ++level) {
      auto rows = query(L"SELECT " + std::to_wstring(level) + L" AS n, count(*) AS c FROM tblFloor WHERE iLevel <= " +
                        std::to_wstring(level));
      ASSERT_EQ(rows.size(), 1u);
      EXPECT_EQ(static_cast<long>(rows[0][0].second), level);
      EXPECT_EQ(static_cast<long>(rows[0][1].second), std::min(level, 3));
    }
}

// ---- rows and the cursor's place ----------------------------------------------------

TEST_F(ProjectDatabaseFreshness, RowsWrittenByAnotherConnectionAreMetByTheNextMove) {
  createFloors();
  addFloors({L"A", L"C", L"E"});
  select(L"tblFloor", L"sName");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->MoveFirst(&row, &found);
  ProjectDatabasePtr other = otherConnection();
  executeOn(other, L"INSERT INTO tblFloor (sName) VALUES ('B')");
  EXPECT_EQ(next(L"sName"), L"B");
  executeOn(other, L"DELETE FROM tblFloor WHERE sName = 'C'");
  EXPECT_EQ(next(L"sName"), L"E");
  executeOn(other, L"INSERT INTO tblFloor (sName) VALUES ('F')");
  EXPECT_EQ(next(L"sName"), L"F");
  EXPECT_FALSE(isEOF());
  EXPECT_EQ(next(L"sName"), L"<end>");
}

TEST_F(ProjectDatabaseFreshness, SelectingTheIndexAgainPlacesTheRowByItsValuesNow) {
  createFloors();
  addFloors({L"A", L"B", L"C", L"D"});
  select(L"tblFloor", L"sName");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->Seek(_variant_t(L"B"), &row, &found);
  execute(L"UPDATE tblFloor SET sName = 'Z' WHERE sName = 'B'");
  // Without selecting, the walk goes on from where the row was.
  EXPECT_EQ(next(L"sName"), L"C");
  db_->Seek(_variant_t(L"C"), &row, &found);
  execute(L"UPDATE tblFloor SET sName = 'Y' WHERE sName = 'C'");
  // Selecting the table with its index places the current row anew: now last but one.
  select(L"tblFloor", L"sName");
  EXPECT_EQ(next(L"sName"), L"Z");
}

TEST_F(ProjectDatabaseFreshness, ARowDeletedElsewhereIsNoCurrentRecord) {
  createFloors();
  addFloors({L"A", L"B", L"C"});
  select(L"tblFloor", L"ixFloor");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->Seek(_variant_t(2), &row, &found);
  ProjectDatabasePtr other = otherConnection();
  executeOn(other, L"DELETE FROM tblFloor WHERE ixFloor = 2");
  VARIANT_BOOL ok = VARIANT_FALSE;
  EXPECT_THROW(db_->UpdateRecord(pairArray({{L"sName", L"X"}}), &row, &ok), _com_error);
  EXPECT_EQ(lastErrorCode(), 3021);
  EXPECT_EQ(count(L"tblFloor WHERE sName = 'X'"), 0);

  // A row gone when another index is selected leaves the cursor before the first row.
  db_->Seek(_variant_t(3), &row, &found);
  executeOn(other, L"DELETE FROM tblFloor WHERE ixFloor = 3");
  select(L"tblFloor", L"sName");
  EXPECT_TRUE(isBOF());
  EXPECT_EQ(next(L"sName"), L"A");
}

// ---- transactions -------------------------------------------------------------------

TEST_F(ProjectDatabaseFreshness, NoCallLeavesATransactionOpen) {
  createFloors();
  addFloors({L"A", L"B"});
  select(L"tblFloor", L"sName");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->MoveFirst(&row, &found);
  db_->MoveNext(1, &row, &found);
  EXPECT_FALSE(isEOF());
  db_->Seek(_variant_t(L"A"), &row, &found);
  // A failing write rolls its own transaction back.
  execute(L"CREATE UNIQUE INDEX tblFloor__sNameOnce ON tblFloor (sName)");
  VARIANT_BOOL ok = VARIANT_FALSE;
  EXPECT_THROW(db_->AddRecord(pairArray({{L"sName", L"A"}}), 0, &row, &ok), _com_error);
  EXPECT_EQ(lastErrorCode(), 3022);
  EXPECT_THROW(db_->UpdateRecord(pairArray({{L"sName", L"B"}}), &row, &ok), _com_error);
  EXPECT_EQ(lastErrorCode(), 3022);

  // A reader kept open here would stop the other connection from emptying the log, a
  // writer would make it wait for the busy timeout and fail.
  ProjectDatabasePtr other = otherConnection();
  executeOn(other, L"INSERT INTO tblFloor (sName) VALUES ('C')");
  _variant_t rows;
  other->Query(_bstr_t(L"PRAGMA wal_checkpoint(TRUNCATE)"), &rows, &ok);
  std::vector<_variant_t> e = elementsOf(rows);
  ASSERT_EQ(e.size(), 7u);
  EXPECT_EQ(textOf(e[1]), L"busy");
  EXPECT_EQ(static_cast<long>(e[2]), 0);
  EXPECT_EQ(count(L"tblFloor"), 3);
}

TEST_F(ProjectDatabaseFreshness, RowWritesJoinATransactionTheCallerBegan) {
  createFloors();
  addFloors({L"A"});
  select(L"tblFloor", L"ixFloor");
  execute(L"BEGIN");
  add({{L"sName", L"B"}});
  _variant_t row;
  VARIANT_BOOL ok = VARIANT_FALSE;
  db_->Seek(_variant_t(1), &row, &ok);
  db_->UpdateRecord(pairArray({{L"sName", L"Z"}}), &row, &ok);
  EXPECT_EQ(count(L"tblFloor"), 2);
  execute(L"ROLLBACK");
  EXPECT_EQ(count(L"tblFloor"), 1);
  EXPECT_EQ(count(L"tblFloor WHERE sName = 'A'"), 1);
  // And the component's own transactions work again afterwards.
  add({{L"sName", L"C"}});
  EXPECT_EQ(count(L"tblFloor"), 2);
}

// ---- large results ------------------------------------------------------------------

TEST_F(ProjectDatabaseFreshness, ALargeQueryAnswersEveryRowWhole) {
  createFloors();
  execute(L"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 12000) "
          L"INSERT INTO tblFloor (sName, iLevel, dElevation) SELECT 'Floor ' || i, i, i * 0.5 FROM n");
  execute(L"UPDATE tblFloor SET sName = 'Étage ✓ ' || iLevel WHERE iLevel % 1000 = 0");
  execute(L"UPDATE tblFloor SET sName = printf('%.5000c', 'w') WHERE iLevel = 7777");
  _variant_t rows;
  VARIANT_BOOL ok = VARIANT_FALSE;
  db_->Query(_bstr_t(L"SELECT sName, iLevel, dElevation FROM tblFloor ORDER BY iLevel"), &rows, &ok);
  ASSERT_EQ(ok, VARIANT_TRUE);
  LONG low = -1;
  LONG high = -1;
  ASSERT_EQ(SafeArrayGetLBound(rows.parray, 1, &low), S_OK);
  ASSERT_EQ(SafeArrayGetUBound(rows.parray, 1, &high), S_OK);
  EXPECT_EQ(low, 0);
  ASSERT_EQ(high, 12000 * 7 - 1);
  const auto* e = static_cast<const VARIANT*>(rows.parray->pvData);
  for (long r = 0; r < 12000; ++r) {
    const VARIANT* row = e + r * 7;
    long level = r + 1;
    ASSERT_EQ(std::wstring(row[0].bstrVal), L"*NewRecord*");
    ASSERT_EQ(std::wstring(row[1].bstrVal), L"sName");
    ASSERT_EQ(std::wstring(row[3].bstrVal), L"iLevel");
    ASSERT_EQ(row[4].lVal, level);
    ASSERT_EQ(row[6].dblVal, level * 0.5);
    std::wstring name(row[2].bstrVal, SysStringLen(row[2].bstrVal));
    if (level == 7777)
      ASSERT_EQ(name, std::wstring(5000, L'w'));
    else if (level % 1000 == 0)
      ASSERT_EQ(name, L"Étage ✓ " + std::to_wstring(level));
    else
      ASSERT_EQ(name, L"Floor " + std::to_wstring(level));
  }
  // Texts taken out of the array (their VARIANTs moved, not copied) stay whole after
  // the rest of the result is freed, and are freed by their new holder.
  auto* elements = static_cast<VARIANT*>(rows.parray->pvData);
  _variant_t first;
  _variant_t middle;
  first.Attach(elements[2]);
  middle.Attach(elements[6000 * 7 + 2]);
  rows.Clear();
  EXPECT_EQ(textOf(first), L"Floor 1");
  EXPECT_EQ(textOf(middle), L"Floor 6001");
}

}  // namespace
