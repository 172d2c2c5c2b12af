// A fresh project database file per test, opened through the real component, with the
// module's schema; and the small readers the record, schema and seed tests share.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "arx/aced_print.h"
#include "db/project_schema.h"
#include "projectdb/project_database.h"
#include "test_record_double.h"

// A Query row: its column names and values.
using QueryRow = SentPairs;

// Splits Query's flat answer ("*NewRecord*", name, value, ...) into rows.
inline std::vector<QueryRow> splitQueryRows(const VARIANT& answer) {
  std::vector<_variant_t> elements = readElements(answer);
  std::vector<QueryRow> rows;
  for (std::size_t i = 0; i < elements.size();) {
    if (textOf(elements[i]) == L"*NewRecord*") {
      rows.emplace_back();
      ++i;
    } else if (!rows.empty() && i + 1 < elements.size()) {
      rows.back().emplace_back(textOf(elements[i]), elements[i + 1]);
      i += 2;
    } else {
      ADD_FAILURE() << "malformed Query answer at element " << i;
      break;
    }
  }
  return rows;
}

inline const _variant_t* valueOf(const QueryRow& row, const std::wstring& column) {
  for (const auto& [name, value] : row)
    if (name == column) return &value;
  return nullptr;
}

class ProjectFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              ("ov_db_" + std::to_string(::getpid()) + "_" + test->test_suite_name() + "_" + test->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    path_ = acutUtf8ToWide((folder_ / "Project ov_plumb.ov").string());
    if (!createsFile()) return;
    std::ofstream(folder_ / "Project ov_plumb.ov");
    ASSERT_TRUE(SUCCEEDED(db_.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL)));
    std::wstring status = db_->OpenProjectDatabase(_bstr_t(path_), 0, 0).wstring();
    ASSERT_NE(status, L"");
    ASSERT_NE(status, L"*REPAIR*");
    ASSERT_EQ(createProjectSchema(*db_), L"");
  }

  void TearDown() override {
    if (db_) {
      _variant_t ignored;
      try {
        db_->CloseDatabase(&ignored);
      } catch (const _com_error&) {
      }
      db_ = nullptr;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // A test that makes its own file says so, and gets only the empty folder.
  virtual bool createsFile() const { return true; }

  std::vector<QueryRow> query(const std::wstring& sql) {
    _variant_t rows;
    VARIANT_BOOL ok = VARIANT_FALSE;
    db_->Query(_bstr_t(sql), &rows, &ok);
    return splitQueryRows(rows);
  }

  void execute(const std::wstring& sql) {
    EXPECT_EQ(db_->Execute(_bstr_t(sql)), VARIANT_TRUE) << "statement failed: " << acutWideToUtf8(sql);
  }

  // The one value a query answers, or an empty VARIANT when it answers no row.
  _variant_t scalar(const std::wstring& sql) {
    std::vector<QueryRow> rows = query(sql);
    if (rows.empty() || rows.front().empty()) return _variant_t();
    return rows.front().front().second;
  }
  // The same, as a number (-1 when no number came back) or a text.
  double number(const std::wstring& sql) {
    _variant_t value = scalar(sql);
    if (value.vt == VT_I4) return value.lVal;
    if (value.vt == VT_R8) return value.dblVal;
    if (value.vt == VT_I2) return value.iVal;
    return -1;
  }
  std::wstring text(const std::wstring& sql) { return textOf(scalar(sql)); }

  std::filesystem::path folder_;
  std::wstring path_;
  ProjectDatabasePtr db_;
};
