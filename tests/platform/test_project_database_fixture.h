// A project database file per test in its own temporary folder, opened through the
// registered component, with helpers to build pair arrays and read rows.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "arx/aced_print.h"
#include "projectdb/project_database.h"

namespace projectdb_test {

using Pair = std::pair<std::wstring, _variant_t>;

// A pair array as the module sends it: name, value, name, value ...
inline _variant_t pairArray(std::initializer_list<Pair> pairs) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(pairs.size() * 2));
  LONG i = 0;
  for (const Pair& p : pairs) {
    _variant_t name(p.first.c_str());
    SafeArrayPutElement(array, &i, &name);
    ++i;
    SafeArrayPutElement(array, &i, const_cast<_variant_t*>(&p.second));
    ++i;
  }
  _variant_t v;
  v.vt = VT_ARRAY | VT_VARIANT;
  v.parray = array;
  return v;
}

// Every element of a one-dimensional array, from its lower bound.
inline std::vector<_variant_t> elementsOf(const VARIANT& v) {
  std::vector<_variant_t> out;
  if (v.vt != (VT_ARRAY | VT_VARIANT) || v.parray == nullptr) return out;
  LONG low = 0;
  LONG high = -1;
  SafeArrayGetLBound(v.parray, 1, &low);
  SafeArrayGetUBound(v.parray, 1, &high);
  for (LONG i = low; i <= high; ++i) {
    _variant_t e;
    SafeArrayGetElement(v.parray, &i, &e);
    out.push_back(e);
  }
  return out;
}

// A row's pairs, in the order they came.
inline std::vector<Pair> pairsOf(const VARIANT& row) {
  std::vector<_variant_t> e = elementsOf(row);
  std::vector<Pair> pairs;
  for (std::size_t i = 0; i + 1 < e.size(); i += 2)
    pairs.emplace_back(e[i].vt == VT_BSTR ? std::wstring(e[i].bstrVal) : L"?", e[i + 1]);
  return pairs;
}

inline _variant_t valueIn(const VARIANT& row, const std::wstring& column) {
  for (const Pair& p : pairsOf(row))
    if (p.first == column) return p.second;
  ADD_FAILURE() << "no column " << acutWideToUtf8(column) << " in the row";
  return _variant_t();
}

// A value as a text for comparisons: NULL as "<null>", nothing as "<empty>".
inline std::wstring textOf(const VARIANT& v) {
  if (v.vt == VT_NULL) return L"<null>";
  if (v.vt == VT_EMPTY) return L"<empty>";
  return static_cast<_bstr_t>(_variant_t(v)).wstring();
}

class ProjectDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              ("ov_projectdb_" + std::to_string(::getpid()) + "_" + test->test_suite_name() + "_" + test->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    path_ = folder_ / "Project ov_plumb.ov";
    // An empty file is an empty database; the component itself never creates one.
    std::ofstream(path_).flush();
    ASSERT_EQ(db_.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL), S_OK);
    VARIANT_BOOL readOnly = VARIANT_TRUE;
    VARIANT_BOOL ok = VARIANT_FALSE;
    db_->OpenDatabase(widePath(), &readOnly, &ok);
    ASSERT_EQ(ok, VARIANT_TRUE) << lastError();
    ASSERT_EQ(readOnly, VARIANT_FALSE);
  }

  void TearDown() override {
    if (db_) {
      _variant_t ignored;
      db_->CloseDatabase(&ignored);
      db_ = nullptr;
    }
    std::error_code ec;
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(folder_, ec);
  }

  _bstr_t widePath() const { return _bstr_t(acutUtf8ToWide(path_.string())); }

  void execute(const std::wstring& sql) { ASSERT_EQ(db_->Execute(_bstr_t(sql)), VARIANT_TRUE) << lastError(); }

  // "(code) message" of the pending error, or "(0) " when none is pending.
  std::string lastError() {
    long code = -1;
    _bstr_t message;
    db_->ReadLastError(&code, message.GetAddress());
    return "(" + std::to_string(code) + ") " + acutWideToUtf8(message.wstring());
  }

  long lastErrorCode() {
    long code = -1;
    _bstr_t message;
    db_->ReadLastError(&code, message.GetAddress());
    return code;
  }

  void select(const wchar_t* table, const wchar_t* index = L"") { db_->SelectTable(_bstr_t(table), _bstr_t(index)); }

  // Adds a row to the selected table and answers the row the component gave back.
  _variant_t add(std::initializer_list<Pair> pairs) {
    _variant_t row;
    VARIANT_BOOL ok = VARIANT_FALSE;
    db_->AddRecord(pairArray(pairs), 0, &row, &ok);
    EXPECT_EQ(ok, VARIANT_TRUE);
    return row;
  }

  // The floors table most tests use, with an index on the name.
  void createFloors() {
    execute(L"CREATE TABLE tblFloor (ixFloor INTEGER PRIMARY KEY, sName TEXT, iLevel INTEGER, "
            L"dElevation DOUBLE, bActive INTEGER)");
    execute(L"CREATE INDEX tblFloor__sName ON tblFloor (sName)");
  }

  // Adds floors with these names (in this order, so keys 1, 2, 3 ...).
  void addFloors(std::initializer_list<const wchar_t*> names) {
    select(L"tblFloor", L"ixFloor");
    int level = 0;
    for (const wchar_t* name : names) add({{L"sName", name ? _variant_t(name) : _variant_t::makeNull()}, {L"iLevel", ++level}});
  }

  // One column of the rows met from the cursor's place on: MoveFirst, then MoveNext to the end.
  std::vector<std::wstring> walk(const std::wstring& column) {
    std::vector<std::wstring> seen;
    _variant_t row;
    VARIANT_BOOL found = VARIANT_FALSE;
    for (db_->MoveFirst(&row, &found); found == VARIANT_TRUE; db_->MoveNext(1, &row, &found)) {
      seen.push_back(textOf(valueIn(row, column)));
      if (seen.size() > 1000) break;
    }
    return seen;
  }

  std::wstring next(const std::wstring& column, long count = 1) {
    _variant_t row;
    VARIANT_BOOL found = VARIANT_FALSE;
    db_->MoveNext(count, &row, &found);
    return found == VARIANT_TRUE ? textOf(valueIn(row, column)) : L"<end>";
  }

  bool isEOF() {
    VARIANT_BOOL v = VARIANT_FALSE;
    db_->IsEOF(&v);
    return v == VARIANT_TRUE;
  }

  bool isBOF() {
    VARIANT_BOOL v = VARIANT_FALSE;
    db_->IsBOF(&v);
    return v == VARIANT_TRUE;
  }

  // Query's flat answer split into rows of pairs; `ok` receives the component's flag.
  std::vector<std::vector<Pair>> query(const std::wstring& sql, VARIANT_BOOL* okOut = nullptr) {
    _variant_t rows;
    VARIANT_BOOL ok = VARIANT_FALSE;
    db_->Query(_bstr_t(sql), &rows, &ok);
    if (okOut) *okOut = ok;
    std::vector<std::vector<Pair>> out;
    std::vector<_variant_t> e = elementsOf(rows);
    for (std::size_t i = 0; i < e.size();) {
      if (e[i].vt == VT_BSTR && std::wstring(e[i].bstrVal) == L"*NewRecord*") {
        out.emplace_back();
        ++i;
      } else {
        EXPECT_FALSE(out.empty()) << "values before the first *NewRecord*";
        if (out.empty() || i + 1 >= e.size()) break;
        out.back().emplace_back(textOf(e[i]), e[i + 1]);
        i += 2;
      }
    }
    return out;
  }

  long count(const std::wstring& table) {
    auto rows = query(L"SELECT count(*) AS n FROM " + table);
    return rows.empty() ? -1 : static_cast<long>(rows[0][0].second);
  }

  std::filesystem::path folder_;
  std::filesystem::path path_;
  ProjectDatabasePtr db_;
};

}  // namespace projectdb_test
