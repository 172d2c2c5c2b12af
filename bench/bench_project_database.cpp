// The record classes over the database component against prepared SQLite statements on
// the same file: Find by key, an Update of three columns, and reading 100,000 rows.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "arx/aced_print.h"
#include "db/project_schema.h"
#include "db/tblPipeType.h"
#include "projectdb/project_database.h"
#include "bench_project_rows.h"

namespace {

using namespace bench_project;

// One project file with kRows pipe types, made once for every benchmark.
class BenchProject {
 public:
  static BenchProject& instance() {
    static BenchProject project;
    return project;
  }

  const ProjectDatabasePtr& component() const { return component_; }
  sqlite3* direct() const { return direct_; }

 private:
  BenchProject() {
    folder_ = std::filesystem::temp_directory_path() / "ov_bench_project_database";
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::filesystem::path file = folder_ / "Project ov_plumb.ov";
    std::ofstream{file};
    std::wstring path = acutUtf8ToWide(file.string());
    component_.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL);
    component_->OpenProjectDatabase(_bstr_t(path), 0, 0);
    createProjectSchema(*component_);

    // The direct connection is set up as the component sets up its own.
    sqlite3_open_v2(file.string().c_str(), &direct_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_busy_timeout(direct_, 5000);
    sqlite3_exec(direct_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(direct_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    sqlite3_exec(direct_, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(direct_,
                       "INSERT INTO tblPipeType (sName, sShortName, iSortOrder, bReversed, iElbow, iTee,"
                       " bFittingTicks, iLabelLocation, bHidePipe) VALUES (?, ?, ?, ?, 1, 1, -1, 0, 0)",
                       -1, &insert, nullptr);
    for (int i = 0; i < kRows; ++i) {
      std::string name = "Pipe type " + std::to_string(i);
      std::string shortName = "P" + std::to_string(i % 97);
      sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 2, shortName.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(insert, 3, kRows - i);
      sqlite3_bind_int(insert, 4, i % 2 ? -1 : 0);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(direct_, "COMMIT", nullptr, nullptr, nullptr);
  }
  ~BenchProject() {
    sqlite3_close(direct_);
    _variant_t ignored;
    component_->CloseDatabase(&ignored);
    component_ = nullptr;
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
  }

  std::filesystem::path folder_;
  ProjectDatabasePtr component_;
  sqlite3* direct_ = nullptr;
};

std::wstring textColumn(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  return text ? acutUtf8ToWide(reinterpret_cast<const char*>(text)) : std::wstring();
}

void readTypeRow(sqlite3_stmt* statement, TypeRow& row) {
  row.key = sqlite3_column_int64(statement, 0);
  row.name = textColumn(statement, 1);
  row.shortName = textColumn(statement, 2);
  row.sortOrder = sqlite3_column_int64(statement, 3);
  row.reversed = sqlite3_column_int64(statement, 4) == -1;
  row.elbow = sqlite3_column_int64(statement, 5);
  row.tee = sqlite3_column_int64(statement, 6);
  row.fittingTicks = sqlite3_column_int64(statement, 7) == -1;
  row.labelLocation = sqlite3_column_int64(statement, 8);
  row.hidePipe = sqlite3_column_int64(statement, 9) == -1;
  row.masterDatabase = sqlite3_column_int64(statement, 10);
  row.masterIndex = sqlite3_column_int64(statement, 11);
}

// ---- Find by key ----

void BM_Project_FindByKey_Record(benchmark::State& state) { findByKey(state, BenchProject::instance().component()); }
BENCHMARK(BM_Project_FindByKey_Record);

void BM_Project_FindByKey_Sqlite(benchmark::State& state) {
  sqlite3* db = BenchProject::instance().direct();
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db, "SELECT * FROM tblPipeType WHERE ixPipeType = ?", -1, &select, nullptr);
  TypeRow row;
  std::int64_t i = 0;
  for (auto _ : state) {
    sqlite3_bind_int(select, 1, keyAt(i++));
    if (sqlite3_step(select) == SQLITE_ROW) readTypeRow(select, row);
    sqlite3_reset(select);
    benchmark::DoNotOptimize(row.sortOrder);
  }
  sqlite3_finalize(select);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Project_FindByKey_Sqlite);

// ---- Update of three columns: read the row, change three columns, read it back ----

void BM_Project_UpdateThreeColumns_Record(benchmark::State& state) { updateThreeColumns(state, BenchProject::instance().component()); }
BENCHMARK(BM_Project_UpdateThreeColumns_Record);

void BM_Project_UpdateThreeColumns_Sqlite(benchmark::State& state) {
  sqlite3* db = BenchProject::instance().direct();
  sqlite3_stmt* select = nullptr;
  sqlite3_stmt* update = nullptr;
  sqlite3_prepare_v2(db, "SELECT * FROM tblPipeType WHERE ixPipeType = ?", -1, &select, nullptr);
  sqlite3_prepare_v2(db,
                     "UPDATE tblPipeType SET sShortName = ?, iElbow = ?, bFittingTicks = ? WHERE ixPipeType = ?",
                     -1, &update, nullptr);
  TypeRow row;
  std::int64_t i = 0;
  auto load = [&](std::int32_t key) {
    sqlite3_bind_int(select, 1, key);
    if (sqlite3_step(select) == SQLITE_ROW) readTypeRow(select, row);
    sqlite3_reset(select);
  };
  for (auto _ : state) {
    std::int32_t key = keyAt(i);
    load(key);
    std::string shortName = "S" + std::to_string(i % 89);
    sqlite3_bind_text(update, 1, shortName.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(update, 2, static_cast<int>(i % 3));
    sqlite3_bind_int(update, 3, i % 2 == 0 ? -1 : 0);
    sqlite3_bind_int(update, 4, key);
    sqlite3_step(update);
    sqlite3_reset(update);
    load(key);
    benchmark::DoNotOptimize(row.shortName);
    ++i;
  }
  sqlite3_finalize(select);
  sqlite3_finalize(update);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Project_UpdateThreeColumns_Sqlite);

// ---- Reading 100,000 rows ----

void BM_Project_Query100k_Component(benchmark::State& state) { queryAll(state, BenchProject::instance().component()); }
BENCHMARK(BM_Project_Query100k_Component)->Unit(benchmark::kMillisecond);

void BM_Project_Scan100k_Record(benchmark::State& state) {
  tblPipeType type(BenchProject::instance().component(), false);
  std::int64_t count = 0;
  for (auto _ : state) {
    count = 0;
    type.UseIndex(L"ixPipeType");
    for (bool more = type.First(); more; more = type.Next()) ++count;
    benchmark::DoNotOptimize(count);
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_Project_Scan100k_Record)->Unit(benchmark::kMillisecond);

// Every column of every row read into values a caller can use (wide texts, numbers),
// into a result whose storage is kept from run to run: the least a caller reading the
// table directly does, whether row by row or all at once. Query and the First/Next loop
// are measured against it. (A result made new each run costs 40 to 110 ms here,
// depending on what the heap holds from earlier runs.)
void BM_Project_Scan100k_Sqlite(benchmark::State& state) {
  sqlite3* db = BenchProject::instance().direct();
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db, "SELECT * FROM tblPipeType", -1, &select, nullptr);
  std::vector<TypeRow> rows;
  for (auto _ : state) {
    rows.clear();
    while (sqlite3_step(select) == SQLITE_ROW) readTypeRow(select, rows.emplace_back());
    sqlite3_reset(select);
    benchmark::DoNotOptimize(rows.data());
  }
  sqlite3_finalize(select);
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_Project_Scan100k_Sqlite)->Unit(benchmark::kMillisecond);

}  // namespace
