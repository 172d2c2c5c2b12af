// The project schema: the column declarations follow the naming rules, the tables and
// indexes made on a file match them column for column, and the SQL text literal rule.
#include <gtest/gtest.h>

#include <cwchar>
#include <cwctype>
#include <optional>
#include <set>

#include "db/project_tables.h"
#include "db/sql_text.h"
#include "db/tblFloor.h"
#include "test_record_fixture.h"

namespace {

std::string narrow(const std::wstring& text) { return acutWideToUtf8(text); }

// The kind a column's prefix gives, or nothing for a name without a type prefix.
std::optional<ColumnKind> kindOfPrefix(const std::wstring& name) {
  auto prefixed = [&](const wchar_t* prefix) {
    std::size_t n = std::wcslen(prefix);
    return name.size() > n && name.compare(0, n, prefix) == 0 && std::iswupper(name[n]);
  };
  if (prefixed(L"ix") || prefixed(L"i")) return ColumnKind::Int;
  if (prefixed(L"s")) return ColumnKind::Text;
  if (prefixed(L"d")) return ColumnKind::Real;
  if (prefixed(L"b")) return ColumnKind::Bool;
  return std::nullopt;
}

// ---- The declarations ----

TEST(SchemaDeclarations, EveryPrefixedColumnHasItsPrefixKindButSizingValueEnable) {
  for (const TableDeclaration& table : projectTables()) {
    for (const ColumnDeclaration& column : table.columns) {
      SCOPED_TRACE(narrow(std::wstring(table.name) + L"." + column.name));
      std::optional<ColumnKind> kind = kindOfPrefix(column.name);
      if (std::wstring(table.name) == L"tblPipeSizingValue" && std::wstring(column.name) == L"bEnable")
        EXPECT_EQ(column.kind, ColumnKind::Real);
      else if (kind)
        EXPECT_EQ(column.kind, *kind);
      else
        EXPECT_EQ(std::wstring(table.name), L"tblLayerSystem") << "only the hatch columns lack a prefix";
    }
  }
}

TEST(SchemaDeclarations, EachTableStartsWithItsKeyAndNamesEachColumnOnce) {
  std::set<std::wstring> tables;
  for (const TableDeclaration& table : projectTables()) {
    std::wstring name = table.name;
    EXPECT_TRUE(tables.insert(name).second) << narrow(name);
    ASSERT_EQ(name.rfind(L"tbl", 0), 0u) << narrow(name);
    EXPECT_EQ(std::wstring(table.keyColumn()), L"ix" + name.substr(3));
    EXPECT_FALSE(table.columns.front().nullable);
    std::set<std::wstring> columns;
    for (const ColumnDeclaration& column : table.columns)
      EXPECT_TRUE(columns.insert(column.name).second) << narrow(name + L"." + column.name);
    EXPECT_EQ(findProjectTable(name), &table);
    EXPECT_EQ(&projectTable(table.id), &table);
  }
  EXPECT_EQ(findProjectTable(L"tblfloor"), nullptr) << "table names are exact";
}

TEST(SchemaDeclarations, MasterColumnsAreNullableIntegersWhereverTheyStand) {
  int tablesWithThem = 0;
  for (const TableDeclaration& table : projectTables()) {
    int database = table.columnIndex(L"ixMasterDatabase"), index = table.columnIndex(L"iMasterDatabaseIndex");
    EXPECT_EQ(database < 0, index < 0) << narrow(table.name) << " has only one of the two";
    if (database < 0) continue;
    ++tablesWithThem;
    EXPECT_EQ(index, database + 1);
    EXPECT_TRUE(table.columns[database].nullable);
    EXPECT_TRUE(table.columns[index].nullable);
  }
  EXPECT_EQ(tablesWithThem, 9);
}

TEST(SchemaDeclarations, NamedIndexesReferToColumnsOfTheirTable) {
  for (const IndexDeclaration& index : projectIndexes()) {
    const TableDeclaration& table = projectTable(index.table);
    ASSERT_FALSE(index.columns.empty());
    for (const wchar_t* column : index.columns)
      EXPECT_GE(table.columnIndex(column), 0) << narrow(std::wstring(table.name) + L"." + index.name);
  }
}

// ---- The schema made on a file ----

using SchemaOnFile = ProjectFileTest;

std::wstring storageTypeOf(const ColumnDeclaration& column) {
  return column.kind == ColumnKind::Real ? L"REAL" : column.kind == ColumnKind::Text ? L"TEXT" : L"INTEGER";
}

TEST_F(SchemaOnFile, EveryTableHasItsColumnsInOrderWithTypesKeyAndNullRules) {
  for (const TableDeclaration& table : projectTables()) {
    SCOPED_TRACE(narrow(table.name));
    std::vector<QueryRow> rows = query(L"PRAGMA table_info(" + std::wstring(table.name) + L")");
    ASSERT_EQ(rows.size(), table.columns.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const ColumnDeclaration& column = table.columns[i];
      SCOPED_TRACE(narrow(column.name));
      ASSERT_NE(valueOf(rows[i], L"name"), nullptr);
      EXPECT_EQ(textOf(*valueOf(rows[i], L"name")), column.name);
      EXPECT_EQ(textOf(*valueOf(rows[i], L"type")), storageTypeOf(column));
      EXPECT_EQ(valueOf(rows[i], L"pk")->lVal, i == 0 ? 1 : 0);
      EXPECT_EQ(valueOf(rows[i], L"notnull")->lVal, i > 0 && !column.nullable ? 1 : 0);
    }
  }
  EXPECT_EQ(number(L"select count(*) from sqlite_master where type = 'table'"),
            static_cast<double>(projectTables().size()));
}

TEST_F(SchemaOnFile, NamedIndexesExistUnderTheirTableQualifiedNames) {
  for (const IndexDeclaration& index : projectIndexes()) {
    std::wstring name = std::wstring(projectTable(index.table).name) + L"__" + index.name;
    SCOPED_TRACE(narrow(name));
    EXPECT_EQ(text(L"select tbl_name from sqlite_master where type = 'index' and name = '" + name + L"'"),
              projectTable(index.table).name);
    std::vector<QueryRow> columns = query(L"PRAGMA index_info(" + name + L")");
    ASSERT_EQ(columns.size(), index.columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i)
      EXPECT_EQ(textOf(*valueOf(columns[i], L"name")), index.columns[i]);
  }
}

TEST_F(SchemaOnFile, RowsAddedWithFewColumnsReadAsZerosBlanksAndNulls) {
  execute(L"insert into tblFloor (sName) values ('Roof')");
  tblFloor floor(db_);
  ASSERT_TRUE(floor.FindBy(L"Roof"));
  EXPECT_EQ(floor.dElevation(), 0.0);
  EXPECT_TRUE(floor.isNull_ixFloorAbove());
  EXPECT_EQ(number(L"select count(*) from tblFloor where dCeilingHeight = 0 and ixHVACFloor is null"), 1);
}

TEST_F(SchemaOnFile, ASecondRunAnswersWhatFailedInsteadOfRaising) {
  std::wstring error = createProjectSchema(*db_);
  EXPECT_NE(error.find(L"CREATE TABLE tblPipeType"), std::wstring::npos) << narrow(error);
  EXPECT_NE(error.find(L"already exists"), std::wstring::npos) << narrow(error);
}

// ---- SQL text literals ----

TEST(SqlText, QuotesAreDoubledAndTheWholeQuoted) {
  EXPECT_EQ(sqlText(L"Level 1"), L"'Level 1'");
  EXPECT_EQ(sqlText(L"O'Brien's"), L"'O''Brien''s'");
  EXPECT_EQ(sqlText(L"'"), L"''''");
  EXPECT_EQ(sqlText(L"\"quoted\""), L"'\"quoted\"'");
}

TEST(SqlText, AnEmptyTextBecomesOneQuotedBlank) { EXPECT_EQ(sqlText(L""), L"' '"); }

using SqlTextOnFile = ProjectFileTest;

TEST_F(SqlTextOnFile, TextsWithQuotesRoundTripThroughExecuteAndQuery) {
  const std::wstring names[] = {L"O'Brien's floor", L"'", L"''--", L"Café \"A\""};
  for (const std::wstring& name : names) {
    execute(L"insert into tblFloor (sName) values (" + sqlText(name) + L")");
    EXPECT_EQ(number(L"select count(*) from tblFloor where sName = " + sqlText(name)), 1) << narrow(name);
  }
  EXPECT_EQ(number(L"select count(*) from tblFloor"), 4);
}

TEST_F(SqlTextOnFile, AnEmptyTextIsStoredAsABlankAndReadBackEmpty) {
  execute(L"insert into tblFloor (sName, dElevation) values (" + sqlText(L"") + L", 7)");
  EXPECT_EQ(text(L"select sName from tblFloor where dElevation = 7"), L" ");
  tblFloor floor(db_);
  ASSERT_TRUE(floor.FindBy(L" "));
  EXPECT_EQ(floor.sName(), L"");
}

}  // namespace
