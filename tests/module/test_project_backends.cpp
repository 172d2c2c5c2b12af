// One suite over both kinds of project: a new project in an SQLite file and one on a
// PostgreSQL server (the server half runs under tests/scripts/with_server.sh, which
// starts a throwaway server; ctest runs it as module_tests.server and reports it
// skipped where the server's programs are missing). Every table's rows through the
// component, the SQL forms of the dialogs and of the host program, two processes
// editing one table at once; on a server also its read-only role, its repair, and a
// project copied from a file to a server and back.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "arx/aced_print.h"
#include "db/project_schema.h"
#include "db/project_seed.h"
#include "db/project_tables.h"
#include "db/tblFloor.h"
#include "projectdb/open_projects.h"
#include "projectdb/project_copy.h"
#include "projectdb/project_repair.h"
#include "projectdb/project_sql.h"

namespace {

namespace fs = std::filesystem;
enum class Backend { File, Server };

std::wstring valueText(const VARIANT& v) {
  if (v.vt == VT_NULL || v.vt == VT_EMPTY) return L"<null>";
  return static_cast<_bstr_t>(_variant_t(v)).wstring();
}

std::wstring cellText(const SqlCell& c) {
  if (const auto* n = std::get_if<std::int64_t>(&c)) return std::to_wstring(*n);
  if (const auto* d = std::get_if<double>(&c)) return valueText(_variant_t(*d));
  if (const auto* s = std::get_if<std::wstring>(&c)) return *s;
  return L"<null>";
}

// Rows as "a b | c d".
std::wstring rowsText(const std::vector<SqlRow>& rows) {
  std::wstring text;
  for (const SqlRow& row : rows) {
    text += text.empty() ? L"" : L" | ";
    for (std::size_t i = 0; i < row.size(); ++i) text += (i ? L" " : L"") + cellText(row[i]);
  }
  return text;
}

class ProjectOnBackend : public ::testing::Test {
 protected:
  void start(Backend backend) {
    backend_ = backend;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name() + "_" + std::to_string(::getpid());
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    folder_ = fs::temp_directory_path() / ("ov_backend_" + name);
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    std::string uri;
    if (backend == Backend::Server) {
      const char* admin = std::getenv("OV_TEST_SERVER");
      if (admin == nullptr || *admin == 0) GTEST_SKIP() << "no test server: run through tests/scripts/with_server.sh";
      admin_ = admin;
      database_ = lowerName(name);
      adminSql("CREATE DATABASE \"" + database_ + "\"");
      uri = serverUri(database_, "ov");
    }
    std::wstring error;
    file_ = createProject(acutUtf8ToWide((folder_ / "project").string()), acutUtf8ToWide(uri), true, &error);
    ASSERT_EQ(error, L"");
    db_ = open(file_);
  }
  void TearDown() override {
    if (db_) db_->CloseDatabase(nullptr);
    db_ = nullptr;
    if (!database_.empty()) adminSql("DROP DATABASE \"" + database_ + "\" WITH (FORCE)");
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  static std::string lowerName(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name.substr(0, 60);
  }
  // The test server's URI for another database and role.
  std::string serverUri(const std::string& database, const std::string& role) const {
    const std::size_t query = admin_.find('?');
    return "postgresql://" + role + "@/" + database + admin_.substr(query);
  }
  // A project file naming that server, as the pointer files in a drawing folder do.
  std::string pointerFile(const std::string& name, const std::string& uri) const {
    const std::string path = (folder_ / name).string();
    std::ofstream(path) << uri << "\n";
    return path;
  }
  // SQL as the server's superuser, on the database the test made (or on "ov").
  std::vector<SqlRow> adminSql(const std::string& sql, bool onProject = false) {
    ProjectSqlConnection connection;
    std::wstring error;
    std::vector<SqlRow> rows;
    EXPECT_TRUE(connection.open(pointerFile("admin.uri", onProject ? serverUri(database_, "ov") : admin_), error) &&
                connection.run(acutUtf8ToWide(sql), {}, rows, error))
        << acutWideToUtf8(error);
    return rows;
  }
  static ProjectDatabasePtr open(const std::wstring& file, const wchar_t* expected = L"OK") {
    ProjectDatabasePtr db;
    EXPECT_EQ(db.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL), S_OK);
    EXPECT_EQ(db->OpenProjectDatabase(_bstr_t(file.c_str()), 0, 0).wstring(), expected);
    return db;
  }
  // The host program's SQL on the project, as host-sql runs it.
  std::wstring hostSql(const std::wstring& sql, const SqlRow& values = {}) {
    std::vector<SqlRow> rows;
    std::wstring error;
    if (!runProjectSql(acutWideToUtf8(file_), sql, values, rows, error)) return L"error: " + error;
    return rowsText(rows);
  }
  // Query's values (names left out: an expression's name is the database's own) as
  // rows "a b | c d"; "failed (code)" when it answers false.
  std::wstring query(const std::wstring& sql) {
    _variant_t rows;
    VARIANT_BOOL ok = VARIANT_FALSE;
    db_->Query(_bstr_t(sql.c_str()), &rows, &ok);
    if (ok != VARIANT_TRUE) return pending() ? L"failed (" + std::to_wstring(lastCode()) + L")" : L"";
    std::wstring text;
    const SAFEARRAY* array = rows.parray;
    const auto* data = static_cast<const VARIANT*>(array->pvData);
    for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) {
      if (data[i].vt == VT_BSTR && std::wstring(data[i].bstrVal) == L"*NewRecord*") {
        text += text.empty() ? L"" : L" | ";
        continue;
      }
      text += (text.empty() || text.back() == L' ' ? L"" : L" ") + valueText(data[i + 1]);
      ++i;
    }
    return text;
  }
  void execute(const std::wstring& sql) {
    EXPECT_EQ(db_->Execute(_bstr_t(sql.c_str())), VARIANT_TRUE) << acutWideToUtf8(sql) << ": " << lastCode();
  }
  bool pending() {
    VARIANT_BOOL v = VARIANT_FALSE;
    db_->HasError(&v);
    return v == VARIANT_TRUE;
  }
  long lastCode() {
    long code = 0;
    _bstr_t message;
    db_->ReadLastError(&code, message.GetAddress());
    return code;
  }
  template <class Call>
  long raisedCode(Call&& call) {
    try {
      call();
    } catch (const _com_error&) {
      return lastCode();
    }
    return 0;
  }

  Backend backend_ = Backend::File;
  fs::path folder_;
  std::wstring file_;
  std::string admin_;
  std::string database_;
  ProjectDatabasePtr db_;
};

class ProjectBackends : public ProjectOnBackend, public ::testing::WithParamInterface<Backend> {
 protected:
  void SetUp() override { start(GetParam()); }
};

class ServerProject : public ProjectOnBackend {
 protected:
  void SetUp() override { start(Backend::Server); }
};

_variant_t pairArray(const std::vector<std::pair<std::wstring, _variant_t>>& pairs) {
  _variant_t v;
  v.vt = VT_ARRAY | VT_VARIANT;
  v.parray = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(pairs.size() * 2));
  LONG at = 0;
  for (const auto& [name, value] : pairs) {
    _variant_t n(name.c_str());
    SafeArrayPutElement(v.parray, &at, &n);
    ++at;
    SafeArrayPutElement(v.parray, &at, const_cast<_variant_t*>(&value));
    ++at;
  }
  return v;
}

std::wstring cell(const VARIANT& row, const std::wstring& column) {
  if (row.vt != (VT_ARRAY | VT_VARIANT)) return L"<no row>";
  const auto* data = static_cast<const VARIANT*>(row.parray->pvData);
  for (ULONG i = 0; i + 1 < row.parray->rgsabound[0].cElements; i += 2)
    if (valueText(data[i]) == column) return valueText(data[i + 1]);
  return L"<no column " + column + L">";
}

// Every table of the schema: a row added with a value in each column reads back
// whole, is found by its key and through each named index, changes, and is deleted;
// the current row gone, a change answers 3021.
TEST_P(ProjectBackends, EveryTablesRowsGoThroughTheComponent) {
  for (const TableDeclaration& table : projectTables()) {
    SCOPED_TRACE(acutWideToUtf8(table.name));
    db_->SelectTable(_bstr_t(table.name), _bstr_t(table.keyColumn()));
    std::vector<std::pair<std::wstring, _variant_t>> values;
    int n = 0;
    for (const ColumnDeclaration& column : table.columns.subspan(1)) {
      ++n;
      switch (column.kind) {
        case ColumnKind::Int: values.emplace_back(column.name, _variant_t(9000L + n)); break;
        case ColumnKind::Real: values.emplace_back(column.name, _variant_t(n + 0.25)); break;
        case ColumnKind::Text: values.emplace_back(column.name, _variant_t((L"probe Ø " + std::to_wstring(n)).c_str())); break;
        case ColumnKind::Bool: values.emplace_back(column.name, _variant_t(true)); break;
      }
    }
    _variant_t row;
    VARIANT_BOOL ok = VARIANT_FALSE;
    db_->AddRecord(pairArray(values), 0, &row, &ok);
    ASSERT_EQ(ok, VARIANT_TRUE);
    for (const auto& [name, value] : values)
      EXPECT_EQ(cell(row, name), value.vt == VT_BOOL ? L"-1" : valueText(value)) << acutWideToUtf8(name);
    const _variant_t key(std::stol(cell(row, table.keyColumn())));
    EXPECT_GT(key.lVal, 0);

    for (const IndexDeclaration& index : projectIndexes()) {
      if (index.table != table.id) continue;
      db_->SelectTable(_bstr_t(table.name), _bstr_t(index.name));
      std::vector<_variant_t> keys;
      for (const wchar_t* column : index.columns)
        for (const auto& [name, value] : values)
          if (name == column) keys.push_back(value);
      _variant_t found;
      VARIANT_BOOL hit = VARIANT_FALSE;
      if (keys.size() == 1) db_->Seek(keys[0], &found, &hit);
      if (keys.size() == 2) db_->Seek2(keys[0], keys[1], &found, &hit);
      if (keys.size() == 3) db_->Seek3(keys[0], keys[1], keys[2], &found, &hit);
      EXPECT_EQ(cell(found, table.keyColumn()), valueText(key)) << acutWideToUtf8(index.name);
    }
    db_->SelectTable(_bstr_t(table.name), _bstr_t(table.keyColumn()));
    _variant_t found;
    VARIANT_BOOL hit = VARIANT_FALSE;
    db_->Seek(key, &found, &hit);
    ASSERT_EQ(hit, VARIANT_TRUE);
    const auto& [firstName, firstValue] = values.front();
    const _variant_t changed = firstValue.vt == VT_BSTR ? _variant_t(L"changed") : _variant_t(7L);
    db_->UpdateRecord(pairArray({{firstName, changed}}), &row, &ok);
    EXPECT_EQ(cell(row, firstName), valueText(changed));
    db_->DeleteRecord(nullptr);
    EXPECT_EQ(raisedCode([&] { db_->UpdateRecord(pairArray({{firstName, changed}}), &row, &ok); }), 3021);
    db_->Seek(key, &found, &hit);
    EXPECT_EQ(hit, VARIANT_FALSE);
  }
}

// The SQL the dialogs send through Query and Execute, in SQLite's dialect, and the
// host program's through host-sql, answer alike on both kinds of project.
TEST_P(ProjectBackends, TheDialogsAndTheHostProgramsSqlAnswerAlike) {
  execute(L"delete from tblPipe");
  execute(L"insert into tblPipe (ixPipe, ixPipeType, iAlignmentPointNumber, bDeleted, sDrawing, ixPipeSize) values "
          L"(1, 5, 2, 0, 'A.hdw', 0), (2, 5, 2, 0, 'a.hdw', 1), (3, 6, 2, -1, 'b.hdw', 0)");
  execute(L"delete from tblLabelGroup");
  execute(L"insert into tblLabelGroup (sKey, sGroup, bDisplay, sLabel) values ('Vertical Flow', 'Pipe Sizing Table:4', "
          L"-1, 'Vertical Flow')");
  const struct {
    const wchar_t* sql;
    const wchar_t* answer;
  } dialogForms[] = {
      {L"select distinct(ixPipeType) from tblPipe where iAlignmentPointNumber = 2 order by 1", L"5 | 6"},
      {L"update tblLabelGroup set bDisplay = 0 where sKey = \"Vertical Flow\" and sGroup = \"Pipe Sizing Table:4\"", nullptr},
      {L"select bDisplay, sLabel from tblLabelGroup where sGroup = 'Pipe Sizing Table:4'", L"0 Vertical Flow"},
      {L"Select count(*) from TBLPIPE where SDRAWING like 'a%'", L"2"},
      {L"select ixPipe from tblPipe where ixPipeType = 5 and ixPipeSize = 0", L"1"},
      {L"select nothing from tblPipe", L"failed (3000)"},
      {L"delete from tblPipe where ixPipe = 3", nullptr},
      {L"select sum(ixPipeType), max(ixPipe) from tblPipe", L"10 2"},
  };
  for (const auto& form : dialogForms) {
    if (form.answer == nullptr) execute(form.sql);
    else EXPECT_EQ(query(form.sql), form.answer) << acutWideToUtf8(form.sql);
  }

  std::wstring tablesWithType;
  for (const TableDeclaration& table : projectTables())
    if (table.columnIndex(L"ixPipeType") >= 0 && std::wstring(table.name) != L"tblPipeType")
      tablesWithType += std::wstring(tablesWithType.empty() ? L"" : L" | ") + table.name;
  std::vector<std::wstring> sorted;
  for (std::size_t at = 0, bar; at < tablesWithType.size(); at = bar + 3) {
    bar = std::min(tablesWithType.find(L" | ", at), tablesWithType.size());
    sorted.push_back(tablesWithType.substr(at, bar - at));
  }
  std::sort(sorted.begin(), sorted.end());
  std::wstring expectedTables;
  for (const std::wstring& t : sorted) expectedTables += t + L" | ";
  expectedTables += L"tblPipeType";

  const struct {
    const wchar_t* sql;
    SqlRow values;
    std::wstring answer;
  } hostForms[] = {
      {L"SELECT name FROM pragma_table_info('tblLabelGroup') WHERE name <> ?", {L"ixLabelGroup"},
       L"sKey | sGroup | bDisplay | sLabel"},
      {L"SELECT 1 FROM pragma_table_info('tblPipe') WHERE name = 'bSource'", {}, L""},
      {L"ALTER TABLE tblPipe ADD COLUMN bSource INTEGER NOT NULL DEFAULT 0", {}, L""},
      {L"UPDATE tblPipe SET bSource = ? WHERE ixPipe = ?", {std::int64_t{-1}, std::int64_t{2}}, L""},
      {L"SELECT ixPipe, bSource FROM tblPipe ORDER BY ixPipe", {}, L"1 0 | 2 -1"},
      {L"SELECT m.name FROM sqlite_master m, pragma_table_info(m.name) c WHERE m.type = 'table' AND c.name = "
       L"'ixPipeType' ORDER BY m.name = 'tblPipeType', m.name",
       {}, expectedTables},
      {L"SELECT \"ixPipe\" FROM (Select * from tblPipe where bDeleted = 0) ORDER BY \"ixPipe\"", {}, L"1 | 2"},
      {L"SELECT p.ixPipe, coalesce(s.sLabel, 'Sized automatically') FROM tblPipe p LEFT JOIN tblPipeSize s ON "
       L"s.ixPipeSize = p.ixPipeSize WHERE p.ixPipe = ?",
       {std::int64_t{1}}, L"1 Sized automatically"},
      {L"DELETE FROM \"tblLabelGroup\" WHERE sGroup = ?", {L"Pipe Sizing Table:4"}, L""},
      {L"SELECT count(*) FROM tblLabelGroup", {}, L"0"},
      {L"SELECT ? || '/' || ?", {L"a", std::int64_t{2}}, L"a/2"},
  };
  for (const auto& form : hostForms) EXPECT_EQ(hostSql(form.sql, form.values), form.answer) << acutWideToUtf8(form.sql);
  // A column another connection added is read by the component's next calls.
  EXPECT_EQ(query(L"select bSource from tblPipe where ixPipe = 2"), L"-1");
  db_->SelectTable(_bstr_t(L"tblPipe"), _bstr_t(L"ixPipe"));
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->Seek(_variant_t(2L), &row, &found);
  EXPECT_EQ(cell(row, L"bSource"), L"-1");
  // A new key follows every key there is, whoever gave it.
  const std::wstring added = hostSql(L"INSERT INTO tblPipeType (sName, iSortOrder) VALUES (?, 99) RETURNING ixPipeType", {L"New"});
  EXPECT_EQ(added, hostSql(L"SELECT max(ixPipeType) FROM tblPipeType"));
}

// Two processes add, change and delete rows of one table through the record class at
// the same time: every row is accounted for and no key is given twice.
TEST_P(ProjectBackends, TwoProcessesEditingOneTableLoseNothing) {
  constexpr int kRows = 5000;
  db_->CloseDatabase(nullptr);
  pid_t children[2];
  for (int p = 0; p < 2; ++p) {
    children[p] = ::fork();
    ASSERT_GE(children[p], 0);
    if (children[p] != 0) continue;
    int status = 0;
    try {
      ProjectDatabasePtr db = open(file_);
      tblFloor floor(db);
      for (int i = 0; i < kRows; ++i) {
        floor.AddNew();
        floor.set_sName(L"p" + std::to_wstring(p) + L"-" + std::to_wstring(i));
        floor.set_dElevation(i);
        floor.Update();
        if (i % 10 == 0) {
          floor.Edit();
          floor.set_sName(L"p" + std::to_wstring(p) + L"-edited");
          floor.Update();
        }
        if (i % 25 == 1) floor.Delete();
      }
    } catch (...) {
      status = 1;
    }
    std::_Exit(status);
  }
  for (pid_t child : children) {
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  db_ = open(file_);
  for (int p = 0; p < 2; ++p) {
    const std::wstring prefix = L"'p" + std::to_wstring(p);
    EXPECT_EQ(query(L"select count(*) from tblFloor where sName like " + prefix + L"-%'"), L"4800");
    EXPECT_EQ(query(L"select count(*) from tblFloor where sName = " + prefix + L"-edited'"), L"500");
  }
  EXPECT_EQ(query(L"select count(*) - count(distinct ixFloor) from tblFloor"), L"0");
}

INSTANTIATE_TEST_SUITE_P(Kinds, ProjectBackends, ::testing::Values(Backend::File, Backend::Server),
                         [](const auto& info) { return info.param == Backend::File ? "File" : "Server"; });

// A role that may only read gets the read-only answer, and its writes 3027.
TEST_F(ServerProject, ARoleWithoutWriteRightsReadsOnly) {
  const std::string role = "reader_" + std::to_string(::getpid());
  adminSql("CREATE ROLE " + role + " LOGIN");
  adminSql("GRANT SELECT ON ALL TABLES IN SCHEMA public TO " + role, true);
  ProjectDatabasePtr reader;
  ASSERT_EQ(reader.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL), S_OK);
  VARIANT_BOOL readOnly = VARIANT_FALSE, ok = VARIANT_FALSE;
  reader->OpenDatabase(_bstr_t(acutUtf8ToWide(pointerFile("reader ov_plumb.ov", serverUri(database_, role))).c_str()),
                       &readOnly, &ok);
  ASSERT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(readOnly, VARIANT_TRUE);
  tblFloor floor(reader);
  floor.AddNew();
  floor.set_sName(L"not written");
  EXPECT_THROW(floor.Update(), _com_error);
  long code = 0;
  _bstr_t message;
  reader->ReadLastError(&code, message.GetAddress());
  EXPECT_EQ(code, 3027) << acutWideToUtf8(message.wstring());
  reader->CloseDatabase(nullptr);
  adminSql("DROP OWNED BY " + role, true);
  adminSql("DROP ROLE " + role);
}

// An index the server finds not valid asks for the repair, which rebuilds it.
TEST_F(ServerProject, AnInvalidIndexAsksForTheRepairThatRebuildsIt) {
  db_->CloseDatabase(nullptr);
  const IndexDeclaration& index = projectIndexes().front();
  adminSql("UPDATE pg_index SET indisvalid = false WHERE indexrelid = '\"" + acutWideToUtf8(sqliteIndexName(index)) +
               "\"'::regclass",
           true);
  db_ = open(file_, L"*REPAIR*");
  long code = 0;
  _bstr_t message;
  db_->ReadLastError(&code, message.GetAddress());
  EXPECT_EQ(code, 3049);
  std::wstring error;
  EXPECT_TRUE(projectDatabaseRepair(file_, error)) << acutWideToUtf8(error);
  db_ = open(file_);
}

// A project moved from a file to a server and back has the same rows, and the server
// then gives keys after the copied ones.
TEST_F(ServerProject, AProjectCopiedToAServerAndBackKeepsEveryRow) {
  db_->CloseDatabase(nullptr);
  db_ = nullptr;
  std::wstring error;
  const std::wstring source = createProject(acutUtf8ToWide((folder_ / "file").string()), L"", true, &error);
  ASSERT_EQ(error, L"");
  // A column the host program added comes along.
  std::vector<SqlRow> none;
  ASSERT_TRUE(runProjectSql(acutWideToUtf8(source), L"ALTER TABLE tblPipe ADD COLUMN bSource INTEGER", {}, none, error));
  const std::string copied = (folder_ / "copied").string();
  adminSql("DROP DATABASE \"" + database_ + "\" WITH (FORCE)");
  adminSql("CREATE DATABASE \"" + database_ + "\"");
  const std::wstring onServer = createProject(acutUtf8ToWide((folder_ / "server").string()),
                                              acutUtf8ToWide(serverUri(database_, "ov")), false, &error);
  ASSERT_EQ(error, L"");
  const long rows = copyProjectRows(acutWideToUtf8(source), acutWideToUtf8(onServer), error);
  EXPECT_GT(rows, 100) << acutWideToUtf8(error);
  const std::wstring back = createProject(acutUtf8ToWide(copied), L"", false, &error);
  EXPECT_EQ(copyProjectRows(acutWideToUtf8(onServer), acutWideToUtf8(back), error), rows) << acutWideToUtf8(error);
  for (const TableDeclaration& table : projectTables()) {
    const std::wstring all = std::wstring(L"SELECT * FROM ") + table.name + L" ORDER BY " + table.keyColumn();
    std::vector<SqlRow> before, after;
    ASSERT_TRUE(runProjectSql(acutWideToUtf8(source), all, {}, before, error));
    ASSERT_TRUE(runProjectSql(acutWideToUtf8(back), all, {}, after, error));
    EXPECT_EQ(rowsText(after), rowsText(before)) << acutWideToUtf8(table.name);
  }
  file_ = onServer;
  db_ = open(onServer);
  const std::wstring highest = query(L"select max(ixPipeType) from tblPipeType");
  std::vector<SqlRow> added;
  ASSERT_TRUE(runProjectSql(acutWideToUtf8(onServer), L"INSERT INTO tblPipeType (sName) VALUES ('x') RETURNING ixPipeType",
                            {}, added, error))
      << acutWideToUtf8(error);
  EXPECT_EQ(rowsText(added), std::to_wstring(std::stol(highest) + 1));
}

}  // namespace
