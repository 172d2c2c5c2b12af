// The project database component: tables and indexes, the cursor kept per table,
// seeks on one to three columns, adding, changing and deleting the current row, SQL
// through Query and Execute, the errors callers read back; what it keeps between calls
// never hiding a change made elsewhere, one transaction per call; and its files:
// missing, damaged and read-only ones, two processes writing at once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "arx/aced_print.h"
#include "projectdb/project_database.h"

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::wstring>;
using Pair = std::pair<std::wstring, _variant_t>;

// A pair array as the module sends it: name, value, name, value ...
_variant_t pairArray(std::initializer_list<Pair> pairs) {
  _variant_t v;
  v.vt = VT_ARRAY | VT_VARIANT;
  v.parray = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(pairs.size() * 2));
  LONG i = 0;
  for (const Pair& p : pairs) {
    _variant_t name(p.first.c_str());
    SafeArrayPutElement(v.parray, &i, &name);
    SafeArrayPutElement(v.parray, &++i, const_cast<_variant_t*>(&p.second));
    ++i;
  }
  return v;
}

// Every element of a one-dimensional array, from its lower bound.
std::vector<_variant_t> elementsOf(const VARIANT& v) {
  std::vector<_variant_t> out;
  LONG low = 0;
  LONG high = -1;
  if (v.vt == (VT_ARRAY | VT_VARIANT)) SafeArrayGetLBound(v.parray, 1, &low), SafeArrayGetUBound(v.parray, 1, &high);
  for (LONG i = low; i <= high; ++i) SafeArrayGetElement(v.parray, &i, &out.emplace_back());
  return out;
}

// A value as a text for comparisons: NULL as "<null>", nothing as "<empty>".
std::wstring textOf(const VARIANT& v) {
  if (v.vt == VT_NULL || v.vt == VT_EMPTY) return v.vt == VT_NULL ? L"<null>" : L"<empty>";
  return static_cast<_bstr_t>(_variant_t(v)).wstring();
}

// A value with its kind: I4:3, R8:0.5, 'text', <null>.
std::wstring typed(const VARIANT& v) {
  std::wostringstream text;
  if (v.vt == VT_I4)
    text << L"I4:" << v.lVal;
  else if (v.vt == VT_R8)
    text << L"R8:" << v.dblVal;
  else if (v.vt == VT_BSTR)
    text << L"'" << std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) << L"'";
  else
    text << textOf(v);
  return text.str();
}

// A row as "name=value ..." in the order its pairs came.
std::wstring rowText(const VARIANT& row) {
  std::vector<_variant_t> e = elementsOf(row);
  std::wstring text;
  for (std::size_t i = 0; i + 1 < e.size(); i += 2) text += (i ? L" " : L"") + textOf(e[i]) + L"=" + typed(e[i + 1]);
  return text;
}

// One column of a row, "<end>" when there is no row.
std::wstring cell(const VARIANT& row, const std::wstring& column) {
  std::vector<_variant_t> e = elementsOf(row);
  for (std::size_t i = 0; i + 1 < e.size(); i += 2)
    if (textOf(e[i]) == column) return textOf(e[i + 1]);
  return row.vt == VT_EMPTY ? L"<end>" : L"no column " + column;
}

// A project database file of the test's own in its own folder, open in a component.
class ProjectDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("ov_projectdb_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    path_ = folder_ / "Project ov_plumb.ov";
    // An empty file is an empty database; the component itself never creates one.
    std::ofstream(path_).flush();
    db_ = connect();
  }
  void TearDown() override {
    if (db_) closeDatabase();
    std::error_code ec;
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(folder_, ec);
  }

  // OpenDatabase's answer: "open" or "failed", and whether it is read-only.
  static std::string openDatabase(ProjectDatabasePtr& db, const fs::path& path) {
    VARIANT_BOOL readOnly = VARIANT_TRUE;
    VARIANT_BOOL ok = VARIANT_FALSE;
    db->OpenDatabase(_bstr_t(acutUtf8ToWide(path.string())), &readOnly, &ok);
    return std::string(ok ? "open" : "failed") + (readOnly ? " read-only" : "");
  }
  // A new component with the test's file open for writing, as another process has it.
  ProjectDatabasePtr connect() {
    ProjectDatabasePtr db;
    EXPECT_EQ(db.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL), S_OK);
    EXPECT_EQ(openDatabase(db, path_), "open");
    return db;
  }
  bool isOpen() {
    VARIANT_BOOL open = VARIANT_FALSE;
    db_->IsOpen(&open);
    return open == VARIANT_TRUE;
  }
  void closeDatabase() {
    _variant_t ignored;
    db_->CloseDatabase(&ignored);
  }
  _bstr_t openProject(const fs::path& path) {
    return db_->OpenProjectDatabase(_bstr_t(acutUtf8ToWide(path.string())), 0, 0);
  }
  void execute(const std::wstring& sql, ProjectDatabasePtr db = nullptr) {
    EXPECT_EQ((db ? db : db_)->Execute(_bstr_t(sql)), VARIANT_TRUE) << lastError();
  }

  // "(code) message" of the pending error, or "(0) " when none is pending; reading it
  // clears it.
  std::string lastError() {
    long code = -1;
    _bstr_t message;
    db_->ReadLastError(&code, message.GetAddress());
    return "(" + std::to_string(code) + ") " + acutWideToUtf8(message.wstring());
  }
  long code() { return std::stol(lastError().substr(1)); }
  bool pending() {
    VARIANT_BOOL v = VARIANT_FALSE;
    db_->HasError(&v);
    return v == VARIANT_TRUE;
  }
  // The code of the failure a call raises, after checking it came from this interface
  // and carries the pending error's message as its description; 0 when none is raised.
  template <class Call>
  long raised(Call&& call) {
    try {
      call();
    } catch (const _com_error& e) {
      EXPECT_TRUE(FAILED(e.Error()));
      EXPECT_EQ(e.interfaceId(), IID_ProjectDatabase);
      std::string error = lastError();
      EXPECT_EQ(error.substr(error.find(' ') + 1), acutWideToUtf8(e.Description().wstring()));
      return std::stol(error.substr(1));
    }
    return 0;
  }

  void select(const wchar_t* table, const wchar_t* index = L"") { db_->SelectTable(_bstr_t(table), _bstr_t(index)); }
  // Adds a row to the selected table, or changes the current one, and answers the row
  // the component gave back.
  _variant_t add(std::initializer_list<Pair> pairs, bool adding = true) {
    _variant_t row;
    VARIANT_BOOL ok = VARIANT_FALSE;
    adding ? db_->AddRecord(pairArray(pairs), 0, &row, &ok) : db_->UpdateRecord(pairArray(pairs), &row, &ok);
    EXPECT_EQ(ok, VARIANT_TRUE);
    return row;
  }
  _variant_t update(std::initializer_list<Pair> pairs) { return add(pairs, false); }
  void deleteRecord() {
    _variant_t ignored;
    db_->DeleteRecord(&ignored);
  }

  // The floors table most tests use, with an index on the name.
  void createFloors() {
    execute(
        L"CREATE TABLE tblFloor (ixFloor INTEGER PRIMARY KEY, sName TEXT, iLevel INTEGER, "
        L"dElevation DOUBLE, bActive INTEGER)");
    execute(L"CREATE INDEX tblFloor__sName ON tblFloor (sName)");
  }
  // Adds floors with these names (in this order, so keys 1, 2, 3 ...) and levels 1, 2, 3 ...
  void addFloors(std::initializer_list<const wchar_t*> names) {
    select(L"tblFloor", L"ixFloor");
    int level = 0;
    for (const wchar_t* name : names)
      add({{L"sName", name ? _variant_t(name) : _variant_t::makeNull()}, {L"iLevel", ++level}});
  }

  // The row MoveFirst, Seek (one key per column) or MoveNext by `count` lands on,
  // VT_EMPTY when none; or one column of it.
  _variant_t moveTo(const std::vector<_variant_t>& keys, long count = -1) {
    _variant_t row;
    VARIANT_BOOL found = VARIANT_FALSE;
    const auto& k = keys;
    if (count >= 0)
      db_->MoveNext(count, &row, &found);
    else if (k.empty())
      db_->MoveFirst(&row, &found);
    else if (k.size() == 1)
      db_->Seek(k[0], &row, &found);
    else if (k.size() == 2)
      db_->Seek2(k[0], k[1], &row, &found);
    else
      db_->Seek3(k[0], k[1], k[2], &row, &found);
    EXPECT_EQ(found == VARIANT_TRUE, row.vt != VT_EMPTY);
    return row;
  }
  _variant_t moveFirst() { return moveTo({}); }
  std::wstring first(const std::wstring& column = L"sName") { return cell(moveTo({}), column); }
  std::wstring seek(const std::vector<_variant_t>& keys, const std::wstring& column = L"sName") {
    return cell(moveTo(keys), column);
  }
  std::wstring next(const std::wstring& column = L"sName", long count = 1) { return cell(moveTo({}, count), column); }
  // One column of the rows met from MoveFirst to the end.
  Names walk(const std::wstring& column = L"sName") {
    Names seen;
    for (std::wstring value = first(column); value != L"<end>" && seen.size() < 1000; value = next(column))
      seen.push_back(value);
    return seen;
  }
  // Which ends the cursor stands at: "BOF", "EOF", both or neither.
  std::wstring ends() {
    VARIANT_BOOL bof = VARIANT_FALSE;
    VARIANT_BOOL eof = VARIANT_FALSE;
    db_->IsBOF(&bof);
    db_->IsEOF(&eof);
    return std::wstring(bof ? L"BOF" : L"") + (bof && eof ? L" " : L"") + (eof ? L"EOF" : L"");
  }

  // Query's flat answer as rows "name=value ..." joined by " | "; `ok` gets its flag.
  std::wstring query(const std::wstring& sql, VARIANT_BOOL* okOut = nullptr, ProjectDatabasePtr db = nullptr) {
    _variant_t rows;
    VARIANT_BOOL ok = VARIANT_FALSE;
    (db ? db : db_)->Query(_bstr_t(sql), &rows, &ok);
    if (okOut) *okOut = ok;
    std::wstring text;
    std::vector<_variant_t> e = elementsOf(rows);
    for (std::size_t i = 0; i < e.size(); ++i)
      if (textOf(e[i]) == L"*NewRecord*")
        text += text.empty() ? L"" : L" |";
      else
        text += L" " + textOf(e[i]) + L"=" + (i + 1 < e.size() ? typed(e[i + 1]) : L"(missing)"), ++i;
    return text.empty() ? text : text.substr(1);
  }
  long count(const std::wstring& table) {
    const std::wstring n = query(L"SELECT count(*) AS n FROM " + table);
    return n.rfind(L"n=I4:", 0) == 0 ? std::stol(n.substr(5)) : -1;
  }

  fs::path folder_;
  fs::path path_;
  ProjectDatabasePtr db_;
};

// ---- adding and reading rows -------------------------------------------------------

TEST_F(ProjectDatabaseTest, AddRecordAnswersTheRowWithItsNewKeyInColumnOrder) {
  createFloors();
  select(L"tblFloor", L"ixFloor");
  // A boolean is kept as -1 and read back as that integer; a column not sent is NULL.
  EXPECT_EQ(rowText(add({{L"sName", L"Ground"}, {L"dElevation", 0.5}, {L"bActive", _variant_t(true)}})),
            L"ixFloor=I4:1 sName='Ground' iLevel=<null> dElevation=R8:0.5 bActive=I4:-1");
  // Booleans and small numbers the record classes send as VT_I2 are kept as integers.
  EXPECT_EQ(rowText(add({{L"sName", L"Roof"}, {L"iLevel", short{-3}}, {L"bActive", short{0}}})),
            L"ixFloor=I4:2 sName='Roof' iLevel=I4:-3 dElevation=<null> bActive=I4:0");
  // Pair arrays may start at any lower bound.
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
  EXPECT_EQ(rowText(row), L"ixFloor=I4:3 sName='Mezzanine' iLevel=I4:4 dElevation=<null> bActive=<null>");
  // Texts keep characters beyond ASCII; SQLite counts the characters of UTF-8 text, so
  // a mangled text would show in its length.
  const std::wstring name = L"Étage 2 – Ø 15 ✓";
  EXPECT_EQ(cell(add({{L"sName", name.c_str()}}), L"sName"), name);
  EXPECT_EQ(query(L"SELECT length(sName) AS n FROM tblFloor WHERE ixFloor = 4"),
            L"n=I4:" + std::to_wstring(name.size()));
  // Integers beyond 32 bits arrive as reals.
  execute(L"CREATE TABLE tblBig (ixBig INTEGER PRIMARY KEY, iValue INTEGER)");
  execute(L"INSERT INTO tblBig (iValue) VALUES (5000000000)");
  select(L"tblBig");
  EXPECT_EQ(rowText(moveFirst()), L"ixBig=I4:1 iValue=R8:5e+09");
}

// ---- cursors, indexes, seeks -------------------------------------------------------

TEST_F(ProjectDatabaseTest, EachIndexOrdersTheWalkWithNullsAndTiesInItsOwnWay) {
  createFloors();
  execute(L"CREATE INDEX tblFloor__sNameNoCase ON tblFloor (sName COLLATE NOCASE)");
  execute(L"CREATE INDEX tblFloor__sNameDown ON tblFloor (sName COLLATE NOCASE DESC)");
  addFloors({L"b", L"A", nullptr, L"C", L"a", L"B", L"A"});
  const struct {
    const wchar_t* index;
    const wchar_t* column;
    Names walk;
  } cases[] = {
      {L"ixFloor", L"sName", {L"b", L"A", L"<null>", L"C", L"a", L"B", L"A"}},
      {L"sName", L"sName", {L"<null>", L"A", L"A", L"B", L"C", L"a", L"b"}},
      // NULLs come first and equal names follow their keys ...
      {L"sName", L"ixFloor", {L"3", L"2", L"7", L"6", L"4", L"5", L"1"}},
      {L"sNameNoCase", L"sName", {L"<null>", L"A", L"a", L"A", L"b", L"B", L"C"}},
      // ... also when the index runs down, where NULLs come last.
      {L"sNameDown", L"sName", {L"C", L"b", L"B", L"A", L"a", L"A", L"<null>"}},
  };
  for (const auto& c : cases) {
    select(L"tblFloor", c.index);
    EXPECT_EQ(walk(c.column), c.walk) << acutWideToUtf8(c.index);
    EXPECT_EQ(ends(), L"EOF");
  }
  // Past the end stays there.
  EXPECT_EQ(next(), L"<end>");
  EXPECT_EQ(ends(), L"EOF");
  // A case-blind index makes a case-blind seek.
  select(L"tblFloor", L"sNameNoCase");
  EXPECT_EQ(seek({L"c"}), L"C");
}

// A fresh selection stands before the first row; the cursor is kept per table and
// follows the selected index from its current row; Seek leaves it on the row found, or
// after the last; MoveNext skips by its count and meets rows added through SQL.
TEST_F(ProjectDatabaseTest, TheCursorIsKeptPerTableAndFollowsTheSelectedIndex) {
  createFloors();
  select(L"tblFloor");
  EXPECT_EQ(ends(), L"BOF EOF");  // no rows: both ends at once
  addFloors({L"D", L"B", L"C", L"A"});
  EXPECT_EQ(ends(), L"");  // adding left the cursor on the last row added
  execute(L"CREATE TABLE tblOther (ixOther INTEGER PRIMARY KEY, sName TEXT)");
  select(L"tblOther");
  add({{L"sName", L"x"}});
  add({{L"sName", L"y"}});
  // Releasing a table forgets its place; MoveNext from before the first row lands on it.
  db_->CloseTable(_bstr_t(L"tblFloor"));
  select(L"tblFloor", L"sName");
  EXPECT_EQ(ends(), L"BOF");
  EXPECT_EQ(next(), L"A");
  EXPECT_EQ(next(), L"B");
  select(L"tblOther");
  EXPECT_EQ(first(), L"x");
  EXPECT_EQ(next(), L"y");
  select(L"tblFloor");  // no index name: the same index, the same row
  EXPECT_EQ(next(), L"C");
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(seek({2}), L"B");
  select(L"tblFloor", L"sName");
  EXPECT_EQ(next(), L"C");  // after B in name order
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(next(), L"A");  // after C (key 3) in key order
  select(L"tblFloor", L"sName");
  EXPECT_EQ(seek({L"A"}, L"ixFloor"), L"4");
  execute(L"INSERT INTO tblFloor (sName) VALUES ('AB')");
  EXPECT_EQ(next(), L"AB");
  EXPECT_EQ(next(L"sName", 3), L"D");
  EXPECT_EQ(next(L"sName", 2), L"<end>");
  EXPECT_EQ(ends(), L"EOF");
  EXPECT_EQ(seek({L"Cellar"}), L"<end>");
  EXPECT_EQ(ends(), L"EOF");
}

// (The record classes' tests seek on the same indexes with whole keys; these are the
// cases they do not reach.)
TEST_F(ProjectDatabaseTest, SeeksOnMultiColumnIndexesMatchTheLeadingColumnsWithBooleanAndNullKeys) {
  execute(
      L"CREATE TABLE tblPipeSum (ixPipeSum INTEGER PRIMARY KEY, ixPipe INTEGER, "
      L"ixPipeSumCategory INTEGER, bFixed INTEGER, dValue DOUBLE)");
  execute(L"CREATE INDEX tblPipeSum__ixPipePipeSumCategoryFixed ON tblPipeSum (ixPipe, ixPipeSumCategory, bFixed)");
  execute(
      L"CREATE TABLE tblPipeLabel (ixPipeLabel INTEGER PRIMARY KEY, ixPipeType INTEGER, "
      L"ixLayerSystem INTEGER, sLabelFormat TEXT)");
  execute(L"CREATE INDEX tblPipeLabel__ixPipeTypeLayerSystem ON tblPipeLabel (ixPipeType, ixLayerSystem)");
  execute(
      L"INSERT INTO tblPipeSum (ixPipe, ixPipeSumCategory, bFixed, dValue) "
      L"VALUES (7, 2, 0, 1), (7, 2, -1, 2), (7, 3, -1, 3), (8, 2, -1, 4)");
  execute(
      L"INSERT INTO tblPipeLabel (ixPipeType, ixLayerSystem, sLabelFormat) "
      L"VALUES (1, 1, '1-1'), (1, 2, '1-2'), (2, NULL, '2-null')");

  const struct {
    const wchar_t* table;
    std::vector<_variant_t> keys;
    const wchar_t* found;
  } cases[] = {
      {L"tblPipeSum", {7, 2, true}, L"2"},
      {L"tblPipeSum", {7, 2, false}, L"1"},
      {L"tblPipeSum", {8, 2, false}, L"<end>"},
      {L"tblPipeSum", {7, 2, _variant_t(short{1}, VT_BOOL)}, L"2"},  // any non-zero VT_BOOL is true
      // Fewer keys match the leading columns: the first row in index order, where
      // bFixed -1 sorts before 0.
      {L"tblPipeSum", {7, 2}, L"2"},
      {L"tblPipeSum", {8}, L"4"},
      {L"tblPipeLabel", {2, _variant_t::makeNull()}, L"2-null"},
      {L"tblPipeLabel", {2, 1}, L"<end>"},
  };
  for (const auto& c : cases) {
    const bool sums = std::wstring(c.table) == L"tblPipeSum";
    select(c.table, sums ? L"ixPipePipeSumCategoryFixed" : L"ixPipeTypeLayerSystem");
    EXPECT_EQ(seek(c.keys, sums ? L"dValue" : L"sLabelFormat"), c.found) << "case " << (&c - cases);
    EXPECT_EQ(ends(), std::wstring(c.found) == L"<end>" ? L"EOF" : L"");
  }

  // A walk passes NULLs inside a multi-column index.
  execute(
      L"INSERT INTO tblPipeLabel (ixPipeType, ixLayerSystem, sLabelFormat) "
      L"VALUES (2, 1, '2-1'), (NULL, 5, 'null-5'), (1, NULL, '1-null')");
  EXPECT_EQ(walk(L"sLabelFormat"), (Names{L"null-5", L"1-null", L"1-1", L"1-2", L"2-null", L"2-1"}));

  // More keys than the index has columns is a failing call.
  EXPECT_EQ(raised([&] { moveTo({1, 1, 1}); }), 3001);
  select(L"tblPipeLabel", L"ixPipeLabel");
  EXPECT_EQ(raised([&] { moveTo({1, 1}); }), 3001);
}

// ---- changing and deleting the current row ----------------------------------------

// UpdateRecord changes the current row and answers it; the row keeps its place in
// each index, NULL can be written, the key cannot. DeleteRecord removes the current row
// once. Without a current row both report 3021; the error waits until it is read.
TEST_F(ProjectDatabaseTest, UpdateAndDeleteActOnTheCurrentRowOnly) {
  createFloors();
  addFloors({L"A", L"B", L"C"});
  db_->CloseTable(_bstr_t(L"tblFloor"));
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(raised([&] { update({{L"sName", L"X"}}); }), 3021);
  EXPECT_FALSE(pending());
  EXPECT_THROW(deleteRecord(), _com_error);
  EXPECT_TRUE(pending());
  EXPECT_EQ(lastError(), "(3021) No current record.");
  EXPECT_FALSE(pending());

  seek({2});
  EXPECT_EQ(rowText(update({{L"sName", L"Z"}, {L"dElevation", 12.5}})),
            L"ixFloor=I4:2 sName='Z' iLevel=I4:2 dElevation=R8:12.5 bActive=<null>");
  EXPECT_EQ(cell(update({{L"sName", _variant_t::makeNull()}}), L"sName"), L"<null>");
  EXPECT_EQ(raised([&] { update({{L"ixFloor", 9}}); }), 3001);
  update({{L"sName", L"Z"}});
  EXPECT_EQ(query(L"SELECT sName, dElevation FROM tblFloor ORDER BY ixFloor"),
            L"sName='A' dElevation=<null> | sName='Z' dElevation=R8:12.5 | sName='C' dElevation=<null>");
  select(L"tblFloor", L"sName");
  EXPECT_EQ(next(), L"<end>");  // in name order the changed row is now last
  EXPECT_EQ(seek({L"A"}), L"A");
  deleteRecord();
  EXPECT_EQ(query(L"SELECT sName FROM tblFloor ORDER BY ixFloor"), L"sName='Z' | sName='C'");
  EXPECT_EQ(raised([&] { deleteRecord(); }), 3021);  // deleted once is gone
  EXPECT_EQ(next(), L"C");
  seek({L"Y"});  // not found: after the last row
  EXPECT_EQ(raised([&] { deleteRecord(); }), 3021);
  EXPECT_EQ(count(L"tblFloor"), 2);
}

// ---- SQL text ------------------------------------------------------------------------

// Query answers one statement's rows in the flat form, and no rows is not ok; Execute
// runs every statement of its text, SQL as the module writes it included. Both leave an
// error to read instead of raising, and statements before a failing one stay done.
TEST_F(ProjectDatabaseTest, QueryAndExecuteTakeSqlAsTheModuleWritesIt) {
  createFloors();
  VARIANT_BOOL ok = VARIANT_TRUE;
  EXPECT_EQ(query(L"SELECT sName FROM tblFloor", &ok), L"");
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_FALSE(pending());
  execute(
      L"CREATE TABLE tblType (ixType INTEGER PRIMARY KEY, sName TEXT, bActive INTEGER);\n"
      L"INSERT INTO tblType (sName, bActive) VALUES (\"Cold Water\", -1);\n-- a comment\n"
      L"INSERT INTO tblType (sName, bActive) VALUES (\"Vent\", 0);  ");
  execute(
      L"INSERT INTO tblFloor (sName, iLevel) VALUES ('Level ''1''', 1); "
      L"INSERT INTO tblFloor (sName, iLevel) VALUES ('Level 2', 1)");
  EXPECT_EQ(query(L"Select tblType.sName, tblFloor.sName from tblType, tblFloor "
                  L"where tblType.bActive = -1 and tblFloor.sName = \"Level '1'\"",
                  &ok),
            L"sName='Cold Water' sName='Level '1''");
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(query(L"Select distinct(iLevel) from tblFloor"), L"iLevel=I4:1");
  execute(L"UPDATE tblType SET sName = 'Hot Water' WHERE bActive = -1");
  EXPECT_EQ(query(L"SELECT sName, ixType FROM tblType; -- the types\n"),
            L"sName='Hot Water' ixType=I4:1 | sName='Vent' ixType=I4:2");

  EXPECT_EQ(query(L"SELECT sName FROM tblFloor; DELETE FROM tblFloor", &ok), L"");
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_EQ(code(), 3000);
  query(L"SELECT sName FROM tblMissing", &ok);
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_EQ(lastError(), "(3000) no such table: tblMissing");
  EXPECT_EQ(
      db_->Execute(_bstr_t(L"INSERT INTO tblFloor (ixFloor) VALUES (7); INSERT INTO tblFloor (ixFloor) VALUES (7)")),
      VARIANT_FALSE);
  EXPECT_EQ(code(), 3022);
  EXPECT_EQ(code(), 0);              // read once, gone
  EXPECT_EQ(count(L"tblFloor"), 3);  // two floors, and the first statement's
}

// ---- failing calls -------------------------------------------------------------------

TEST_F(ProjectDatabaseTest, FailingCallsRaiseWithTheirCodesAndChangeNothing) {
  createFloors();
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  EXPECT_EQ(raised([&] { moveFirst(); }), 3078);  // no table selected yet
  addFloors({L"A", L"B"});
  select(L"tblFloor", L"sName");
  EXPECT_EQ(raised([&] { select(L"tblNothing"); }), 3078);
  EXPECT_EQ(raised([&] { select(L"tblFloor", L"iLevel"); }), 3015);  // a column, but no such index
  EXPECT_EQ(walk(), (Names{L"A", L"B"}));                            // still on tblFloor in name order
  EXPECT_EQ(raised([&] { next(L"sName", 0); }), 3001);

  // Bad pair arrays: an unknown column, a name without its value, no array, a name twice.
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(raised([&] { add({{L"sNope", 1}}); }), 3265);
  _variant_t odd;
  odd.vt = VT_ARRAY | VT_VARIANT;
  odd.parray = SafeArrayCreateVector(VT_VARIANT, 0, 1);
  _variant_t name(L"sName");
  LONG at = 0;
  SafeArrayPutElement(odd.parray, &at, &name);
  EXPECT_EQ(raised([&] { db_->AddRecord(odd, 0, &row, &found); }), 3001);
  EXPECT_EQ(raised([&] { db_->AddRecord(_variant_t(L"sName"), 0, &row, &found); }), 3001);
  EXPECT_EQ(raised([&] { add({{L"sName", L"C"}, {L"SNAME", L"D"}}); }), 3001);
  EXPECT_EQ(count(L"tblFloor"), 2);

  EXPECT_EQ(db_->raw_MoveFirst(nullptr, &found), E_POINTER);
  EXPECT_EQ(db_->raw_MoveFirst(&row, nullptr), E_POINTER);
  EXPECT_EQ(db_->raw_HasError(nullptr), E_POINTER);
  EXPECT_EQ(db_->raw_ReadLastError(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(db_->raw_Execute(_bstr_t(L"SELECT 1"), nullptr), E_POINTER);
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(db_->QueryInterface(guidOf("0BADF00D-0000-4000-8000-000000000001"), &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);

  db_->CloseTable(_bstr_t(L"tblFloor"));
  EXPECT_EQ(raised([&] { ends(); }), 3078);
  EXPECT_EQ(raised([&] { next(); }), 3078);

  // On a closed database every call raises; closing and releasing tables stay harmless.
  select(L"tblFloor");
  closeDatabase();
  EXPECT_FALSE(isOpen());
  EXPECT_EQ(raised([&] { moveFirst(); }), 3420);
  EXPECT_EQ(raised([&] { db_->Execute(_bstr_t(L"SELECT 1")); }), 3420);
  EXPECT_EQ(raised([&] { select(L"tblFloor"); }), 3420);
  db_->CloseTable(_bstr_t(L"tblFloor"));
  closeDatabase();
}

// ---- what is kept between calls -------------------------------------------------------

const std::wstring kFloorRow = L"ixFloor=I4:1 sName='A' iLevel=I4:1 dElevation=<null> bActive=<null>";

// Columns added here or by another connection show in the next rows a cursor call or
// a query run again answers, and may be written at once; a query run again after its
// table was dropped and made anew answers the new table.
TEST_F(ProjectDatabaseTest, ColumnsAndTablesChangedHereOrElsewhereShowInTheNextAnswers) {
  createFloors();
  addFloors({L"A"});
  const std::wstring sql = L"SELECT * FROM tblFloor";
  EXPECT_EQ(query(sql), kFloorRow);
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(rowText(moveFirst()), kFloorRow);
  execute(L"ALTER TABLE tblFloor ADD COLUMN sNote TEXT");
  EXPECT_EQ(rowText(moveFirst()), kFloorRow + L" sNote=<null>");
  ProjectDatabasePtr other = connect();
  execute(L"ALTER TABLE tblFloor ADD COLUMN sMore TEXT DEFAULT 'x'", other);
  execute(L"INSERT INTO tblFloor (sName, sNote) VALUES ('B', 'n')", other);
  EXPECT_EQ(next(L"sMore"), L"x");
  execute(L"ALTER TABLE tblFloor ADD COLUMN iMore INTEGER", other);
  EXPECT_EQ(rowText(moveTo({1})), kFloorRow + L" sNote=<null> sMore='x' iMore=<null>");
  EXPECT_EQ(query(sql), kFloorRow +
                            L" sNote=<null> sMore='x' iMore=<null> | ixFloor=I4:2 sName='B' iLevel=<null> "
                            L"dElevation=<null> bActive=<null> sNote='n' sMore='x' iMore=<null>");
  // The pair arrays sent are checked against the table as it is now.
  EXPECT_EQ(cell(update({{L"iMore", 7}}), L"iMore"), L"7");
  EXPECT_EQ(cell(add({{L"sName", L"C"}, {L"iMore", 3}}), L"iMore"), L"3");

  execute(L"DROP TABLE tblFloor", other);
  VARIANT_BOOL ok = VARIANT_TRUE;
  EXPECT_EQ(query(sql, &ok), L"");
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_EQ(code(), 3000);
  execute(L"CREATE TABLE tblFloor (ixFloor INTEGER PRIMARY KEY, sCode TEXT)", other);
  execute(L"INSERT INTO tblFloor (sCode) VALUES ('K')", other);
  EXPECT_EQ(query(sql, &ok), L"ixFloor=I4:1 sCode='K'");
  EXPECT_EQ(ok, VARIANT_TRUE);
  // More texts than are kept prepared, then the first ones again.
  for (int round = 0; round < 2; ++round)
    for (int n = 0; n < 40; ++n)
      ASSERT_EQ(query(L"SELECT " + std::to_wstring(n) + L" AS n, count(*) AS c FROM tblFloor WHERE ixFloor <= " +
                      std::to_wstring(n)),
                L"n=I4:" + std::to_wstring(n) + L" c=I4:" + std::to_wstring(n ? 1 : 0));
}

// Both a schema change rolled back here and one made elsewhere carry the same version
// number, so only forgetting what was described inside the rolled-back transaction
// tells them apart. An index redefined elsewhere is followed and a dropped one reported
// (another may still be chosen, the current row kept); a table dropped elsewhere fails
// the next call and its new shape is used.
TEST_F(ProjectDatabaseTest, SchemaChangesRolledBackOrMadeElsewhereAreFollowedOrReported) {
  createFloors();
  addFloors({L"A"});
  const std::wstring before = query(L"PRAGMA schema_version");
  execute(L"BEGIN");
  execute(L"ALTER TABLE tblFloor ADD COLUMN sMine TEXT");
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(rowText(moveFirst()), kFloorRow + L" sMine=<null>");
  const std::wstring mine = query(L"PRAGMA schema_version");
  execute(L"ROLLBACK");
  ProjectDatabasePtr other = connect();
  execute(L"ALTER TABLE tblFloor ADD COLUMN sTheirs TEXT", other);
  EXPECT_NE(before, mine);
  EXPECT_EQ(query(L"PRAGMA schema_version"), mine);
  EXPECT_EQ(rowText(moveFirst()), kFloorRow + L" sTheirs=<null>");

  execute(L"DELETE FROM tblFloor");
  addFloors({L"B", L"A", L"C"});
  execute(L"UPDATE tblFloor SET iLevel = 4 - ixFloor");  // levels 3, 2, 1
  select(L"tblFloor", L"sName");
  EXPECT_EQ(walk(), (Names{L"A", L"B", L"C"}));
  // Same name, other column: the walk follows the index as it is now.
  execute(L"DROP INDEX tblFloor__sName", other);
  execute(L"CREATE INDEX tblFloor__sName ON tblFloor (iLevel)", other);
  EXPECT_EQ(walk(), (Names{L"C", L"A", L"B"}));
  EXPECT_EQ(seek({2}), L"A");
  execute(L"DROP INDEX tblFloor__sName", other);
  EXPECT_EQ(raised([&] { moveFirst(); }), 3015);
  EXPECT_EQ(raised([&] { select(L"tblFloor", L"sName"); }), 3015);
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(next(), L"C");  // after the current row, key 2
  execute(L"DROP TABLE tblFloor", other);
  EXPECT_EQ(raised([&] { moveFirst(); }), 3078);
  EXPECT_EQ(raised([&] { select(L"tblFloor"); }), 3078);
  execute(L"CREATE TABLE tblFloor (ixFloor INTEGER PRIMARY KEY, sCode TEXT)", other);
  execute(L"INSERT INTO tblFloor (sCode) VALUES ('K')", other);
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(rowText(moveFirst()), L"ixFloor=I4:1 sCode='K'");
}

TEST_F(ProjectDatabaseTest, RowsChangedElsewhereAreMetByTheNextMove) {
  createFloors();
  addFloors({L"A", L"C", L"E"});
  select(L"tblFloor", L"sName");
  EXPECT_EQ(first(), L"A");
  ProjectDatabasePtr other = connect();
  execute(L"INSERT INTO tblFloor (sName) VALUES ('B')", other);
  EXPECT_EQ(next(), L"B");
  execute(L"DELETE FROM tblFloor WHERE sName = 'C'", other);
  EXPECT_EQ(next(), L"E");
  execute(L"INSERT INTO tblFloor (sName) VALUES ('F')", other);
  EXPECT_EQ(next(), L"F");
  EXPECT_EQ(ends(), L"");
  EXPECT_EQ(next(), L"<end>");

  // Without selecting, the walk goes on from where the row was; selecting the table
  // with its index places the current row anew by its values now.
  EXPECT_EQ(seek({L"B"}), L"B");
  execute(L"UPDATE tblFloor SET sName = 'Z' WHERE sName = 'B'");
  EXPECT_EQ(next(), L"E");
  execute(L"UPDATE tblFloor SET sName = 'Y' WHERE sName = 'E'");
  select(L"tblFloor", L"sName");
  EXPECT_EQ(next(), L"Z");

  // A row deleted elsewhere is no current record; one gone when another index is
  // selected leaves the cursor before the first row.
  select(L"tblFloor", L"ixFloor");
  EXPECT_EQ(seek({3}), L"Y");
  execute(L"DELETE FROM tblFloor WHERE ixFloor = 3", other);
  EXPECT_EQ(raised([&] { update({{L"sName", L"X"}}); }), 3021);
  EXPECT_EQ(count(L"tblFloor WHERE sName = 'X'"), 0);
  EXPECT_EQ(seek({1}), L"A");
  execute(L"DELETE FROM tblFloor WHERE ixFloor = 1", other);
  select(L"tblFloor", L"sName");
  EXPECT_EQ(ends(), L"BOF");
  EXPECT_EQ(next(), L"F");
}

// ---- transactions -------------------------------------------------------------------

// Row writes join a transaction the caller began, and the component's own work again
// after it; no call leaves a transaction open, and a failing write rolls its own back.
TEST_F(ProjectDatabaseTest, NoCallLeavesATransactionOpen) {
  createFloors();
  addFloors({L"A", L"B"});
  execute(L"BEGIN");
  add({{L"sName", L"X"}});
  EXPECT_EQ(seek({1}), L"A");
  update({{L"sName", L"Z"}});
  EXPECT_EQ(count(L"tblFloor"), 3);
  execute(L"ROLLBACK");
  EXPECT_EQ(query(L"SELECT sName FROM tblFloor ORDER BY ixFloor"), L"sName='A' | sName='B'");
  add({{L"sName", L"C"}});
  select(L"tblFloor", L"sName");
  EXPECT_EQ(first(), L"A");
  EXPECT_EQ(next(), L"B");
  EXPECT_EQ(ends(), L"");
  EXPECT_EQ(seek({L"A"}), L"A");
  execute(L"CREATE UNIQUE INDEX tblFloor__sNameOnce ON tblFloor (sName)");
  EXPECT_EQ(raised([&] { add({{L"sName", L"A"}}); }), 3022);
  EXPECT_EQ(raised([&] { update({{L"sName", L"B"}}); }), 3022);
  // A reader kept open here would stop the other connection from emptying the log, a
  // writer would make it wait for the busy timeout and fail.
  ProjectDatabasePtr other = connect();
  execute(L"INSERT INTO tblFloor (sName) VALUES ('D')", other);
  EXPECT_EQ(query(L"PRAGMA wal_checkpoint(TRUNCATE)", nullptr, other), L"busy=I4:0 log=I4:0 checkpointed=I4:0");
  EXPECT_EQ(count(L"tblFloor"), 4);
}

TEST_F(ProjectDatabaseTest, ALargeQueryAnswersEveryRowWhole) {
  createFloors();
  execute(
      L"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 12000) "
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
  auto* e = static_cast<VARIANT*>(rows.parray->pvData);
  for (long level = 1; level <= 12000; ++level) {
    std::wstring seen;
    for (const VARIANT* v = e + (level - 1) * 7; v < e + level * 7; ++v) seen += typed(*v) + L" ";
    const std::wstring name = level == 7777       ? std::wstring(5000, L'w')
                              : level % 1000 == 0 ? L"Étage ✓ " + std::to_wstring(level)
                                                  : L"Floor " + std::to_wstring(level);
    std::wostringstream elevation;
    elevation << level * 0.5;
    ASSERT_EQ(seen, L"'*NewRecord*' 'sName' '" + name + L"' 'iLevel' I4:" + std::to_wstring(level) +
                        L" 'dElevation' R8:" + elevation.str() + L" ");
  }
  // Texts taken out of the array (their VARIANTs moved, not copied) stay whole after
  // the rest of the result is freed, and are freed by their new holder.
  _variant_t first;
  _variant_t middle;
  first.Attach(e[2]);
  middle.Attach(e[6000 * 7 + 2]);
  rows.Clear();
  EXPECT_EQ(textOf(first), L"Floor 1");
  EXPECT_EQ(textOf(middle), L"Floor 6001");
}

// ---- files -------------------------------------------------------------------------

void overwrite(const fs::path& path, std::uintmax_t offset, std::size_t length) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(static_cast<std::streamoff>(offset));
  std::string garbage(length, '\x5A');
  file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  ASSERT_TRUE(file.good());
}

// OpenProjectDatabase answers "OK", "" (with the error to read) or "*REPAIR*" for a
// database of many pages damaged in the middle or in its header; it never makes a file
// or a folder, and opening forgets the pending error and the cursors.
TEST_F(ProjectDatabaseTest, OpeningAnswersWhatTheFileIs) {
  createFloors();
  execute(
      L"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
      L"INSERT INTO tblFloor (sName, iLevel, dElevation) "
      L"SELECT 'Floor number ' || i || ' of a tall building', i, i * 3.5 FROM n");
  select(L"tblFloor", L"sName");
  seek({L"C"});
  EXPECT_THROW(deleteRecord(), _com_error);  // leaves 3021 pending
  closeDatabase();
  std::wstring backslashed = acutUtf8ToWide(path_.string());
  for (wchar_t& c : backslashed)
    if (c == L'/') c = L'\\';
  EXPECT_EQ(db_->OpenProjectDatabase(_bstr_t(backslashed), 0, 0), _bstr_t(L"OK"));
  EXPECT_FALSE(pending());
  EXPECT_EQ(raised([&] { ends(); }), 3078);  // no table is selected any more
  EXPECT_TRUE(isOpen());
  closeDatabase();

  const fs::path header = folder_ / "Header ov_plumb.ov";
  fs::copy_file(path_, header);
  const std::uintmax_t size = fs::file_size(path_);
  ASSERT_GT(size, 40u * 4096u);
  overwrite(path_, (size / 2) / 4096 * 4096, 3 * 4096);
  overwrite(header, 0, 100);
  const struct {
    fs::path path;
    const wchar_t* answer;
    long code;
  } failures[] = {{folder_ / "Other ov_plumb.ov", L"", 3024},
                  {folder_ / "no folder" / "x.ov", L"", 3024},
                  {folder_, L"", 3051},
                  {path_, L"*REPAIR*", 3049},
                  {header, L"*REPAIR*", 3049}};
  for (const auto& f : failures) {
    EXPECT_EQ(openProject(f.path), _bstr_t(f.answer));
    EXPECT_TRUE(pending());
    EXPECT_EQ(code(), f.code);
    EXPECT_FALSE(isOpen());
  }
  EXPECT_FALSE(fs::exists(folder_ / "Other ov_plumb.ov"));
  EXPECT_FALSE(fs::exists(folder_ / "no folder"));
  EXPECT_EQ(openDatabase(db_, ""), "failed");
  EXPECT_EQ(openDatabase(db_, header), "failed");
}

// Runs `check` as an unprivileged user in a child process when this one is root (root
// may write anything), else here, and answers its exit code: 0 when `check` answered
// nothing, 1 when it answered what went wrong (shown on standard error), 77 when no
// such user can be had or it answered "SKIP ...".
int withoutWritePermission(const std::function<std::string()>& check) {
  auto run = [&check] {
    const std::string problem = check();
    std::cerr << problem << "\n";
    return problem.empty() ? 0 : problem.rfind("SKIP", 0) == 0 ? 77 : 1;
  };
  if (::geteuid() != 0) return run();
  pid_t child = ::fork();
  if (child == 0) ::_exit(::setgid(65534) != 0 || ::setuid(65534) != 0 ? 77 : run());
  int status = 0;
  return ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A read-only file, and a file in a read-only folder (where no WAL or shared-memory
// file can be made beside it), are reported read-only and still read; a write is
// refused with 3027 and OpenProjectDatabase answers OK.
TEST_F(ProjectDatabaseTest, ReadOnlyFilesAndFoldersAreReportedAndStillRead) {
  createFloors();
  addFloors({L"Ground"});
  closeDatabase();
  ASSERT_FALSE(fs::exists(folder_ / "Project ov_plumb.ov-wal"));
  fs::create_directory(folder_ / "writable");
  const fs::path copy = folder_ / "writable" / "Copy ov_plumb.ov";
  fs::copy_file(path_, copy);
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  fs::permissions(copy, readOnly);
  fs::permissions(folder_, readOnly | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
  const int status = withoutWritePermission([&]() -> std::string {
    if (::access(copy.c_str(), W_OK) == 0 || ::access(folder_.c_str(), W_OK) == 0) return "SKIP: still writable";
    for (const fs::path& file : {copy, path_}) {
      if (openDatabase(db_, file) != "open read-only") return file.string() + " not opened read-only " + lastError();
      select(L"tblFloor", L"sName");
      if (first() != L"Ground") return file.string() + ": rows not readable " + lastError();
      if (db_->Execute(_bstr_t(L"INSERT INTO tblFloor (sName) VALUES ('x')")) || code() != 3027)
        return file.string() + ": a write was not refused with 3027";
      if (openProject(file) != _bstr_t(L"OK")) return file.string() + ": OpenProjectDatabase did not answer OK";
    }
    return "";
  });
  if (status == 77) GTEST_SKIP() << "no user without write permission";
  EXPECT_EQ(status, 0);
}

// Two processes adding floors through components of their own at the same time lose
// no row; the sqlite3 command reads the file they wrote.
TEST_F(ProjectDatabaseTest, TwoProcessesAddingAtOnceLoseNoRow) {
  createFloors();
  closeDatabase();  // a connection must not be carried across fork
  pid_t writers[2];
  for (int w = 0; w < 2; ++w) {
    writers[w] = ::fork();
    ASSERT_GE(writers[w], 0);
    if (writers[w] != 0) continue;
    db_ = connect();
    select(L"tblFloor", L"ixFloor");
    for (int i = 0; i < 500; ++i)
      add({{L"sName", (L"writer " + std::to_wstring(w) + L" floor " + std::to_wstring(i)).c_str()}, {L"iLevel", w}});
    closeDatabase();
    ::_exit(HasFailure() ? 1 : 0);
  }
  for (pid_t writer : writers) {
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  // The file is a plain SQLite database in WAL mode, as the sqlite3 command reads it.
  const std::string command = "sqlite3 -batch '" + path_.string() +
                              "' 'SELECT count(*), count(DISTINCT ixFloor), sum(iLevel = 1) FROM tblFloor;' "
                              "'PRAGMA journal_mode;' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  std::array<char, 256> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) output += buffer.data();
  ASSERT_EQ(::pclose(pipe), 0) << output;
  EXPECT_EQ(output, "1000|1000|500\nwal\n");
}

}  // namespace
