// The project database component and its files: opening rules (missing, damaged and
// read-only files), data surviving a reopen, the file being a plain SQLite database,
// two processes writing one project at once, and the class registration.
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <functional>

#include "test_project_database_fixture.h"

namespace {

using namespace projectdb_test;
namespace fs = std::filesystem;

// Runs `check` where writing needs permission: as an unprivileged user in a child
// process when this one is root (root may write anything), else here. `check` answers
// what went wrong, or nothing. Answers "SKIP: ..." when no such user can be had.
std::string withoutWritePermission(const std::function<std::string()>& check) {
  if (::geteuid() != 0) return check();
  int channel[2];
  if (::pipe(channel) != 0) return "SKIP: no pipe";
  pid_t child = ::fork();
  if (child < 0) return "SKIP: no fork";
  if (child == 0) {
    ::close(channel[0]);
    std::string answer;
    if (::setgid(65534) != 0 || ::setuid(65534) != 0)
      answer = "SKIP: cannot become an unprivileged user";
    else
      answer = check();
    ssize_t written = ::write(channel[1], answer.data(), answer.size());
    ::_exit(written == static_cast<ssize_t>(answer.size()) ? 0 : 1);
  }
  ::close(channel[1]);
  std::string answer;
  char buffer[256];
  ssize_t n;
  while ((n = ::read(channel[0], buffer, sizeof buffer)) > 0) answer.append(buffer, static_cast<std::size_t>(n));
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the checking process failed";
  return answer;
}

std::string readErrorOf(ProjectDatabasePtr& db) {
  long code = 0;
  _bstr_t message;
  db->ReadLastError(&code, message.GetAddress());
  return std::to_string(code);
}

// What a component opening `path` read-only finds wrong, or nothing.
std::string checkOpensReadOnly(const std::wstring& path) {
  ProjectDatabasePtr db;
  if (FAILED(db.CreateInstance(CLSID_ProjectDatabase))) return "no component";
  VARIANT_BOOL readOnly = VARIANT_FALSE;
  VARIANT_BOOL ok = VARIANT_FALSE;
  db->OpenDatabase(_bstr_t(path), &readOnly, &ok);
  if (ok != VARIANT_TRUE) return "not opened, error " + readErrorOf(db);
  if (readOnly != VARIANT_TRUE) return "not reported read-only";
  db->SelectTable(_bstr_t(L"tblFloor"), _bstr_t(L"sName"));
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db->MoveFirst(&row, &found);
  if (found != VARIANT_TRUE) return "rows not readable, error " + readErrorOf(db);
  if (db->Execute(_bstr_t(L"INSERT INTO tblFloor (sName) VALUES ('x')")) != VARIANT_FALSE) return "a write succeeded";
  std::string code = readErrorOf(db);
  if (code != "3027") return "a write failed with " + code + " instead of 3027";
  if (db->OpenProjectDatabase(_bstr_t(path), 0, 0) != _bstr_t(L"OK")) return "OpenProjectDatabase did not answer OK";
  return "";
}

class ProjectDatabaseFileTest : public ProjectDatabaseTest {
 protected:
  void closeDatabase() {
    _variant_t ignored;
    db_->CloseDatabase(&ignored);
  }

  _bstr_t openProject(const fs::path& path) {
    return db_->OpenProjectDatabase(_bstr_t(acutUtf8ToWide(path.string())), 0, 0);
  }

  // A database of many pages: three thousand floors with an index on their names.
  void fillManyPages() {
    createFloors();
    execute(L"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            L"INSERT INTO tblFloor (sName, iLevel, dElevation) "
            L"SELECT 'Floor number ' || i || ' of a tall building', i, i * 3.5 FROM n");
    closeDatabase();
  }

  void overwrite(const fs::path& path, std::uintmax_t offset, std::size_t length) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    std::string garbage(length, '\x5A');
    file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
    ASSERT_TRUE(file.good());
  }
};

TEST_F(ProjectDatabaseFileTest, GoodFileOpensAsOk) {
  createFloors();
  closeDatabase();
  EXPECT_EQ(openProject(path_), _bstr_t(L"OK"));
  VARIANT_BOOL open = VARIANT_FALSE;
  db_->IsOpen(&open);
  EXPECT_EQ(open, VARIANT_TRUE);
  select(L"tblFloor");
}

TEST_F(ProjectDatabaseFileTest, BackslashesSeparateFoldersAsOnThePlatform) {
  closeDatabase();
  std::wstring path = acutUtf8ToWide(path_.string());
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  EXPECT_EQ(db_->OpenProjectDatabase(_bstr_t(path), 0, 0), _bstr_t(L"OK"));
}

TEST_F(ProjectDatabaseFileTest, MissingFileAnswersEmptyAndIsNotCreated) {
  fs::path missing = folder_ / "Other ov_plumb.ov";
  EXPECT_EQ(openProject(missing), _bstr_t(L""));
  EXPECT_FALSE(fs::exists(missing));
  VARIANT_BOOL pending = VARIANT_FALSE;
  db_->HasError(&pending);
  EXPECT_EQ(pending, VARIANT_TRUE);
  EXPECT_EQ(lastErrorCode(), 3024);
  VARIANT_BOOL open = VARIANT_TRUE;
  db_->IsOpen(&open);
  EXPECT_EQ(open, VARIANT_FALSE);

  EXPECT_EQ(openProject(folder_ / "no folder" / "x.ov"), _bstr_t(L""));
  EXPECT_FALSE(fs::exists(folder_ / "no folder"));
  VARIANT_BOOL readOnly = VARIANT_TRUE;
  VARIANT_BOOL ok = VARIANT_TRUE;
  db_->OpenDatabase(_bstr_t(L""), &readOnly, &ok);
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_EQ(readOnly, VARIANT_FALSE);
}

TEST_F(ProjectDatabaseFileTest, AFolderIsNotADatabase) {
  EXPECT_EQ(openProject(folder_), _bstr_t(L""));
  EXPECT_EQ(lastErrorCode(), 3051);
}

TEST_F(ProjectDatabaseFileTest, DamagedPagesInTheMiddleAskForRepair) {
  fillManyPages();
  std::uintmax_t size = fs::file_size(path_);
  ASSERT_GT(size, 40u * 4096u);
  overwrite(path_, (size / 2) / 4096 * 4096, 3 * 4096);
  EXPECT_EQ(openProject(path_), _bstr_t(L"*REPAIR*"));
  VARIANT_BOOL open = VARIANT_TRUE;
  db_->IsOpen(&open);
  EXPECT_EQ(open, VARIANT_FALSE);
  EXPECT_EQ(lastErrorCode(), 3049);
}

TEST_F(ProjectDatabaseFileTest, DamagedHeaderAsksForRepair) {
  fillManyPages();
  overwrite(path_, 0, 100);
  EXPECT_EQ(openProject(path_), _bstr_t(L"*REPAIR*"));
  EXPECT_EQ(lastErrorCode(), 3049);
  VARIANT_BOOL readOnly = VARIANT_TRUE;
  VARIANT_BOOL ok = VARIANT_TRUE;
  db_->OpenDatabase(widePath(), &readOnly, &ok);
  EXPECT_EQ(ok, VARIANT_FALSE);
}

TEST_F(ProjectDatabaseFileTest, OpeningForgetsThePendingErrorAndTheCursors) {
  createFloors();
  addFloors({L"A", L"B"});
  select(L"tblFloor", L"sName");
  _variant_t row;
  VARIANT_BOOL found = VARIANT_TRUE;
  db_->Seek(_variant_t(L"C"), &row, &found);
  _variant_t ignored;
  EXPECT_THROW(db_->DeleteRecord(&ignored), _com_error);  // leaves 3021 pending
  closeDatabase();
  EXPECT_EQ(openProject(path_), _bstr_t(L"OK"));
  VARIANT_BOOL pending = VARIANT_TRUE;
  db_->HasError(&pending);
  EXPECT_EQ(pending, VARIANT_FALSE);
  VARIANT_BOOL eof = VARIANT_FALSE;
  EXPECT_THROW(db_->IsEOF(&eof), _com_error);  // no table is selected any more
}

TEST_F(ProjectDatabaseFileTest, DataSurvivesCloseAndReopenInANewComponent) {
  createFloors();
  addFloors({L"Ground", L"First"});
  select(L"tblFloor", L"ixFloor");
  _variant_t row;
  VARIANT_BOOL ok = VARIANT_FALSE;
  db_->Seek(_variant_t(2), &row, &ok);
  db_->UpdateRecord(pairArray({{L"dElevation", 3.25}}), &row, &ok);
  closeDatabase();
  db_ = nullptr;

  ASSERT_EQ(db_.CreateInstance(CLSID_ProjectDatabase), S_OK);
  ASSERT_EQ(openProject(path_), _bstr_t(L"OK"));
  select(L"tblFloor", L"sName");
  EXPECT_EQ(walk(L"sName"), (std::vector<std::wstring>{L"First", L"Ground"}));
  EXPECT_EQ(walk(L"dElevation"), (std::vector<std::wstring>{L"3.25", L"<null>"}));
}

TEST_F(ProjectDatabaseFileTest, SqliteCommandReadsTheFile) {
  createFloors();
  addFloors({L"Ground", L"Roof"});
  closeDatabase();
  std::string command = "sqlite3 -batch '" + path_.string() +
                        "' '.tables' 'SELECT count(*) FROM tblFloor;' 'PRAGMA journal_mode;' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  std::array<char, 256> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) output += buffer.data();
  ASSERT_EQ(::pclose(pipe), 0) << output;
  EXPECT_EQ(output, "tblFloor\n2\nwal\n");
}

TEST_F(ProjectDatabaseFileTest, ReadOnlyFileIsReportedAndStillRead) {
  createFloors();
  addFloors({L"Ground"});
  closeDatabase();
  fs::path copy = folder_ / "Copy ov_plumb.ov";
  fs::copy_file(path_, copy);
  fs::permissions(copy, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  std::string problem = withoutWritePermission([&] {
    if (::access(copy.c_str(), W_OK) == 0) return std::string("SKIP: the file stays writable for this user");
    return checkOpensReadOnly(acutUtf8ToWide(copy.string()));
  });
  if (problem.rfind("SKIP", 0) == 0) GTEST_SKIP() << problem;
  EXPECT_EQ(problem, "");
}

TEST_F(ProjectDatabaseFileTest, FileInAReadOnlyFolderIsReportedAndStillRead) {
  createFloors();
  addFloors({L"Ground"});
  closeDatabase();
  // No WAL or shared-memory file is left beside it, and none can be made.
  ASSERT_FALSE(fs::exists(folder_ / "Project ov_plumb.ov-wal"));
  fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                               fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  std::string problem = withoutWritePermission([&] {
    if (::access(folder_.c_str(), W_OK) == 0) return std::string("SKIP: the folder stays writable for this user");
    return checkOpensReadOnly(acutUtf8ToWide(path_.string()));
  });
  if (problem.rfind("SKIP", 0) == 0) GTEST_SKIP() << problem;
  EXPECT_EQ(problem, "");
}

// Adds `rows` floors named after `writer` through its own component; the exit status
// says what failed.
[[noreturn]] void addFloorsInChild(const std::wstring& path, int writer, int rows) {
  int status = 0;
  try {
    ProjectDatabasePtr db;
    VARIANT_BOOL readOnly = VARIANT_FALSE;
    VARIANT_BOOL ok = VARIANT_FALSE;
    if (FAILED(db.CreateInstance(CLSID_ProjectDatabase))) ::_exit(2);
    db->OpenDatabase(_bstr_t(path), &readOnly, &ok);
    if (ok != VARIANT_TRUE) ::_exit(3);
    db->SelectTable(_bstr_t(L"tblFloor"), _bstr_t(L"ixFloor"));
    for (int i = 0; i < rows && status == 0; ++i) {
      _variant_t row;
      std::wstring name = L"writer " + std::to_wstring(writer) + L" floor " + std::to_wstring(i);
      db->AddRecord(pairArray({{L"sName", name.c_str()}, {L"iLevel", writer}}), 0, &row, &ok);
      if (ok != VARIANT_TRUE) status = 4;
    }
    _variant_t ignored;
    db->CloseDatabase(&ignored);
  } catch (const _com_error&) {
    status = 5;
  }
  ::_exit(status);
}

TEST_F(ProjectDatabaseFileTest, TwoProcessesAddingAtOnceLoseNoRow) {
  createFloors();
  closeDatabase();  // a connection must not be carried across fork
  std::wstring path = acutUtf8ToWide(path_.string());
  pid_t writers[2];
  for (int w = 0; w < 2; ++w) {
    writers[w] = ::fork();
    ASSERT_GE(writers[w], 0);
    if (writers[w] == 0) addFloorsInChild(path, w + 1, 500);
  }
  for (pid_t writer : writers) {
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  ASSERT_EQ(openProject(path_), _bstr_t(L"OK"));
  EXPECT_EQ(count(L"tblFloor"), 1000);
  EXPECT_EQ(count(L"(SELECT DISTINCT ixFloor FROM tblFloor)"), 1000);
  EXPECT_EQ(count(L"tblFloor WHERE iLevel = 1"), 500);
  EXPECT_EQ(count(L"tblFloor WHERE iLevel = 2"), 500);
}

TEST_F(ProjectDatabaseFileTest, ClassRegistrationCanBeTakenAwayAndRestored) {
  void* other = nullptr;
  constexpr IID unknownInterface = guidOf("0BADF00D-0000-4000-8000-000000000001");
  EXPECT_EQ(db_->QueryInterface(unknownInterface, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);

  ASSERT_EQ(comUnregisterClass(CLSID_ProjectDatabase), S_OK);
  ProjectDatabasePtr fresh;
  EXPECT_EQ(fresh.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL), REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(fresh);
  ASSERT_EQ(registerProjectDatabaseClass(), S_OK);
  EXPECT_EQ(fresh.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL), S_OK);
  VARIANT_BOOL open = VARIANT_TRUE;
  fresh->IsOpen(&open);
  EXPECT_EQ(open, VARIANT_FALSE);
}

}  // namespace
