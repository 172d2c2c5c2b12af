// The project file: the column declarations follow the naming rules, the tables and
// indexes made on a file match them column for column, the SQL text literal rule, and
// where a new project may be made. The standard customisation it holds, the statements
// the dialogs compose over it and the columns' defaults are in scripts/seed_*.
#include <gtest/gtest.h>

#include <cwchar>
#include <cwctype>
#include <fstream>
#include <set>

#include "db/project_schema.h"
#include "db/project_seed.h"
#include "db/project_tables.h"
#include "db/sql_text.h"
#include "db/tblFloor.h"
#include "frame_fixture.h"

namespace {

std::string narrow(const std::wstring& text) { return acutWideToUtf8(text); }

// The kind a column's type prefix gives ("ix", "i", "s", "d", "b" before a capital).
bool hasPrefix(const std::wstring& name, const wchar_t* prefix) {
  const std::size_t n = std::wcslen(prefix);
  return name.size() > n && name.compare(0, n, prefix) == 0 && std::iswupper(name[n]);
}

// Every prefixed column has its prefix's kind (but the sizing value's bEnable, a real),
// each table starts with its key, names each column once and is found by its exact name,
// the master columns come as a nullable pair, and named indexes use their table's columns.
TEST(SchemaDeclarations, FollowTheNamingRules) {
  std::set<std::wstring> tables;
  int tablesWithMasterColumns = 0;
  for (const TableDeclaration& table : projectTables()) {
    const std::wstring name = table.name;
    SCOPED_TRACE(narrow(name));
    EXPECT_TRUE(tables.insert(name).second);
    ASSERT_EQ(name.rfind(L"tbl", 0), 0u);
    EXPECT_EQ(std::wstring(table.keyColumn()), L"ix" + name.substr(3));
    EXPECT_FALSE(table.columns.front().nullable);
    EXPECT_EQ(findProjectTable(name), &table);
    EXPECT_EQ(&projectTable(table.id), &table);
    std::set<std::wstring> columns;
    for (const ColumnDeclaration& column : table.columns) {
      const std::wstring c = column.name;
      SCOPED_TRACE(narrow(c));
      EXPECT_TRUE(columns.insert(c).second);
      EXPECT_EQ(table.columnIndex(c), static_cast<int>(columns.size()) - 1);
      ColumnKind expected = ColumnKind::Int;
      if (hasPrefix(c, L"s")) expected = ColumnKind::Text;
      else if (hasPrefix(c, L"d") || (name == L"tblPipeSizingValue" && c == L"bEnable")) expected = ColumnKind::Real;
      else if (hasPrefix(c, L"b")) expected = ColumnKind::Bool;
      else if (!hasPrefix(c, L"ix") && !hasPrefix(c, L"i")) {
        EXPECT_EQ(name, L"tblLayerSystem") << "only the hatch columns lack a prefix";
        continue;
      }
      EXPECT_EQ(column.kind, expected);
    }
    const int database = table.columnIndex(L"ixMasterDatabase"), index = table.columnIndex(L"iMasterDatabaseIndex");
    EXPECT_EQ(database < 0, index < 0) << "only one of the master columns";
    if (database < 0) continue;
    ++tablesWithMasterColumns;
    EXPECT_EQ(index, database + 1);
    EXPECT_TRUE(table.columns[database].nullable && table.columns[index].nullable);
  }
  EXPECT_EQ(tablesWithMasterColumns, 9);
  EXPECT_EQ(findProjectTable(L"tblfloor"), nullptr) << "table names are exact";
  EXPECT_EQ(projectTable(ProjectTable::tblFloor).columnIndex(L"sname"), -1) << "column names are exact";
  for (const IndexDeclaration& index : projectIndexes()) {
    ASSERT_FALSE(index.columns.empty());
    for (const wchar_t* column : index.columns)
      EXPECT_GE(projectTable(index.table).columnIndex(column), 0) << narrow(index.name);
  }
}

class SchemaOnFile : public FrameTest {
 protected:
  void SetUp() override { openProject("proj"); }
};

// Each table's columns in order with their type, key and not-null mark, and each named
// index over its columns, as the file holds them and as declared.
TEST_F(SchemaOnFile, TablesAndIndexesMatchTheDeclarations) {
  for (const TableDeclaration& table : projectTables()) {
    std::wstring declared;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      const ColumnDeclaration& column = table.columns[i];
      const wchar_t* type = column.kind == ColumnKind::Real ? L"REAL" : column.kind == ColumnKind::Text ? L"TEXT" : L"INTEGER";
      declared += std::wstring(i ? L", " : L"") + column.name + L" " + type + (i == 0 ? L" key" : L"") +
                  (i > 0 && !column.nullable ? L" not null" : L"");
    }
    EXPECT_EQ(text(L"select group_concat(name || ' ' || type || iif(pk, ' key', '') || iif(\"notnull\", ' not null', ''),"
                   L" ', ') from pragma_table_info('" + std::wstring(table.name) + L"')"),
              declared);
  }
  EXPECT_EQ(number(L"select count(*) from sqlite_master where type = 'table' and name not like 'sqlite%'"),
            static_cast<long>(projectTables().size()));
  for (const IndexDeclaration& index : projectIndexes()) {
    const std::wstring name = std::wstring(projectTable(index.table).name) + L"__" + index.name;
    std::wstring declared = projectTable(index.table).name;
    for (const wchar_t* column : index.columns) declared += std::wstring(L" ") + column;
    EXPECT_EQ(text(L"select m.tbl_name || ' ' || (select group_concat(i.name, ' ') from pragma_index_info(m.name) i)"
                   L" from sqlite_master m where m.type = 'index' and m.name = '" + name + L"'"),
              declared);
  }
}

// A deleted row's key is not given to the next new row, which would take over whatever
// still points at the old one.
TEST_F(SchemaOnFile, KeysOfDeletedRowsAreNotGivenAgain) {
  sql(L"insert into tblDwgValve (iSortOrder, sDescription, sBlockName, bToScale) values (1, 'a', 'A', 0)");
  const long first = number(L"select max(ixDwgValve) from tblDwgValve");
  sql(L"delete from tblDwgValve");
  sql(L"insert into tblDwgValve (iSortOrder, sDescription, sBlockName, bToScale) values (1, 'b', 'B', 0)");
  EXPECT_GT(number(L"select max(ixDwgValve) from tblDwgValve"), first);
}

TEST_F(SchemaOnFile, ASecondRunAnswersWhatFailedInsteadOfRaising) {
  std::wstring error = createProjectSchema(*db_);
  EXPECT_NE(error.find(L"CREATE TABLE tblPipeType"), std::wstring::npos) << narrow(error);
  EXPECT_NE(error.find(L"already exists"), std::wstring::npos) << narrow(error);
}

// Quotes are doubled and the whole quoted; an empty text becomes one quoted blank, stored
// as a blank and read back empty. Each literal finds the row it inserted.
TEST_F(SchemaOnFile, TextLiteralsRoundTripThroughExecuteAndQuery) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"Level 2", L"'Level 2'"}, {L"O'Brien's", L"'O''Brien''s'"}, {L"'", L"''''"},
      {L"\"quoted\"", L"'\"quoted\"'"}, {L"''--", L"'''''--'"}, {L"", L"' '"},
  };
  for (const auto& [name, literal] : cases) {
    EXPECT_EQ(sqlText(name), literal);
    sql(L"insert into tblFloor (sName) values (" + sqlText(name) + L")");
    EXPECT_EQ(number(L"select count(*) from tblFloor where sName = " + sqlText(name)), 1) << narrow(name);
  }
  EXPECT_EQ(text(L"select sName from tblFloor where ixFloor = (select max(ixFloor) from tblFloor)"), L" ");
  tblFloor floor(db_);
  ASSERT_TRUE(floor.FindBy(L" "));
  EXPECT_EQ(floor.sName(), L"");
}

// A folder gets its project unless it has one: a missing folder is made, any candidate
// file refuses (but office files do not), and a failure leaves nothing behind.
using NewProject = FrameTest;

TEST_F(NewProject, IsMadeOnlyWhereNoneIs) {
  std::wstring error;
  const std::filesystem::path base = folder_ / "p";
  const auto create = [&](const std::filesystem::path& folder) {
    return createStandardProject(acutUtf8ToWide(folder.string()), &error);
  };
  const std::filesystem::path nested = base / "job 12" / "plumbing";
  EXPECT_EQ(create(nested), acutUtf8ToWide((nested / "Project ov_plumb.ov").string()));
  EXPECT_EQ(error, L"");
  EXPECT_TRUE(std::filesystem::is_regular_file(nested / "Project ov_plumb.ov"));
  EXPECT_EQ(create(nested), L"");
  EXPECT_NE(error.find(L"already has a project database"), std::wstring::npos) << narrow(error);

  ASSERT_EQ(comUnregisterClass(CLSID_ProjectDatabase), S_OK);
  EXPECT_EQ(create(base), L"");
  registerProjectDatabaseClass();
  EXPECT_NE(error.find(L"component is not available"), std::wstring::npos) << narrow(error);
  std::filesystem::remove_all(base / "job 12");
  EXPECT_TRUE(std::filesystem::is_empty(base));

  std::ofstream(base / "plain file") << "in the way";
  EXPECT_EQ(create(base / "plain file" / "sub"), L"");
  EXPECT_NE(error.find(L"Cannot create the folder"), std::wstring::npos) << narrow(error);
  EXPECT_EQ(createStandardProject(L"", &error), L"");
  EXPECT_FALSE(error.empty());

  for (const char* office : {"52-OV ov_plumb.ov", "Office_MASTER ov_plumb.ov", "ov_plumb_standards.ov",
                             "notes ov_plumb.txt"})
    std::ofstream(base / office) << "office master";
  const std::wstring file = acutUtf8ToWide((base / "Project ov_plumb.ov").string());
  ASSERT_EQ(create(base), file) << narrow(error);
  ASSERT_TRUE(SUCCEEDED(db_.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL)));
  const std::wstring status = db_->OpenProjectDatabase(_bstr_t(file.c_str()), 0, 0).wstring();
  EXPECT_TRUE(status != L"" && status != L"*REPAIR*") << "a new project opens and passes the repair check";
  std::filesystem::remove(base / "Project ov_plumb.ov");
  std::ofstream(base / "Old OV_PLUMB job.ov") << "another project's file";
  EXPECT_EQ(create(base), L"");
  EXPECT_NE(error.find(L"Old OV_PLUMB job.ov"), std::wstring::npos) << narrow(error);
  EXPECT_FALSE(std::filesystem::exists(base / "Project ov_plumb.ov"));
}

}  // namespace
