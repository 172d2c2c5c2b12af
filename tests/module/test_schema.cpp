// The project file: the column declarations follow the naming rules, the tables and
// indexes made on a file match them column for column, the SQL text literal rule, and
// where a new project may be made. The standard customisation it holds, the statements
// the dialogs compose over it and the columns' defaults are in scripts/seed_*.
#include <gtest/gtest.h>

#include <cwchar>
#include <cwctype>
#include <set>

#include "db/project_seed.h"
#include "db/project_tables.h"
#include "db/sql_text.h"
#include "db/tblFloor.h"
#include "test_record_fixture.h"

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

using SchemaOnFile = ProjectFileTest;

TEST_F(SchemaOnFile, TablesAndIndexesMatchTheDeclarations) {
  for (const TableDeclaration& table : projectTables()) {
    SCOPED_TRACE(narrow(table.name));
    std::vector<SentPairs> rows = query(L"PRAGMA table_info(" + std::wstring(table.name) + L")");
    ASSERT_EQ(rows.size(), table.columns.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const ColumnDeclaration& column = table.columns[i];
      SCOPED_TRACE(narrow(column.name));
      const std::wstring type = column.kind == ColumnKind::Real   ? L"REAL"
                                : column.kind == ColumnKind::Text ? L"TEXT"
                                                                  : L"INTEGER";
      EXPECT_EQ(textOf(*valueOf(rows[i], L"name")), column.name);
      EXPECT_EQ(textOf(*valueOf(rows[i], L"type")), type);
      EXPECT_EQ(valueOf(rows[i], L"pk")->lVal, i == 0 ? 1 : 0);
      EXPECT_EQ(valueOf(rows[i], L"notnull")->lVal, i > 0 && !column.nullable ? 1 : 0);
    }
  }
  EXPECT_EQ(number(L"select count(*) from sqlite_master where type = 'table'"),
            static_cast<double>(projectTables().size()));
  for (const IndexDeclaration& index : projectIndexes()) {
    const std::wstring name = std::wstring(projectTable(index.table).name) + L"__" + index.name;
    SCOPED_TRACE(narrow(name));
    EXPECT_EQ(text(L"select tbl_name from sqlite_master where type = 'index' and name = '" + name + L"'"),
              projectTable(index.table).name);
    std::vector<SentPairs> columns = query(L"PRAGMA index_info(" + name + L")");
    ASSERT_EQ(columns.size(), index.columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i)
      EXPECT_EQ(textOf(*valueOf(columns[i], L"name")), index.columns[i]);
  }
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
      {L"Level 1", L"'Level 1'"}, {L"O'Brien's", L"'O''Brien''s'"}, {L"'", L"''''"},
      {L"\"quoted\"", L"'\"quoted\"'"}, {L"''--", L"'''''--'"}, {L"", L"' '"},
  };
  for (const auto& [name, literal] : cases) {
    EXPECT_EQ(sqlText(name), literal);
    execute(L"insert into tblFloor (sName) values (" + sqlText(name) + L")");
    EXPECT_EQ(number(L"select count(*) from tblFloor where sName = " + sqlText(name)), 1) << narrow(name);
  }
  EXPECT_EQ(text(L"select sName from tblFloor where ixFloor = 6"), L" ");
  tblFloor floor(db_);
  ASSERT_TRUE(floor.FindBy(L" "));
  EXPECT_EQ(floor.sName(), L"");
}

// A folder gets its project unless it has one: a missing folder is made, any candidate
// file refuses (but office files do not), and a failure leaves nothing behind.
class NewProject : public ProjectFileTest {
 protected:
  bool createsFile() const override { return false; }
  std::wstring create(const std::filesystem::path& folder) {
    return createStandardProject(acutUtf8ToWide(folder.string()), &error_);
  }
  std::wstring error_;
};

TEST_F(NewProject, IsMadeOnlyWhereNoneIs) {
  const std::filesystem::path nested = folder_ / "job 12" / "plumbing";
  EXPECT_EQ(create(nested), acutUtf8ToWide((nested / "Project ov_plumb.ov").string()));
  EXPECT_EQ(error_, L"");
  EXPECT_TRUE(std::filesystem::is_regular_file(nested / "Project ov_plumb.ov"));
  EXPECT_EQ(create(nested), L"");
  EXPECT_NE(error_.find(L"already has a project database"), std::wstring::npos) << narrow(error_);

  ASSERT_EQ(comUnregisterClass(CLSID_ProjectDatabase), S_OK);
  EXPECT_EQ(create(folder_), L"");
  registerProjectDatabaseClass();
  EXPECT_NE(error_.find(L"component is not available"), std::wstring::npos) << narrow(error_);
  std::filesystem::remove_all(folder_ / "job 12");
  EXPECT_TRUE(std::filesystem::is_empty(folder_));

  std::ofstream(folder_ / "plain file") << "in the way";
  EXPECT_EQ(create(folder_ / "plain file" / "sub"), L"");
  EXPECT_NE(error_.find(L"Cannot create the folder"), std::wstring::npos) << narrow(error_);
  EXPECT_EQ(createStandardProject(L"", &error_), L"");
  EXPECT_FALSE(error_.empty());

  for (const char* office : {"52-OV ov_plumb.ov", "Office_MASTER ov_plumb.ov", "ov_plumb_standards.ov",
                             "notes ov_plumb.txt"})
    std::ofstream(folder_ / office) << "office master";
  ASSERT_EQ(create(folder_), path_) << narrow(error_);
  ASSERT_TRUE(SUCCEEDED(db_.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL)));
  const std::wstring status = db_->OpenProjectDatabase(_bstr_t(path_.c_str()), 0, 0).wstring();
  EXPECT_TRUE(status != L"" && status != L"*REPAIR*") << "a new project opens and passes the repair check";
  std::filesystem::remove(folder_ / "Project ov_plumb.ov");
  std::ofstream(folder_ / "Old OV_PLUMB job.ov") << "another project's file";
  EXPECT_EQ(create(folder_), L"");
  EXPECT_NE(error_.find(L"Old OV_PLUMB job.ov"), std::wstring::npos) << narrow(error_);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "Project ov_plumb.ov"));
}

}  // namespace
