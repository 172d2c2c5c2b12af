// The record classes over the server's component against libpq used directly on the
// same database: Find by key, an Update of three columns, reading 100,000 rows. Runs
// beside the throwaway server `make bench` starts (OV_TEST_SERVER); without one each
// benchmark says it was skipped.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "arx/aced_print.h"
#include "db/project_seed.h"
#include "db/tblPipeType.h"
#include "projectdb/project_database.h"
#include "bench_project_rows.h"

namespace {

using namespace bench_project;

// A row of SELECT * as a caller keeps it: numbers parsed, texts widened.
void readTypeRow(PGresult* r, int i, TypeRow& row) {
  auto number = [&](int c) { return PQgetisnull(r, i, c) ? 0 : std::strtoll(PQgetvalue(r, i, c), nullptr, 10); };
  row.key = number(0);
  row.name = acutUtf8ToWide(PQgetvalue(r, i, 1));
  row.shortName = acutUtf8ToWide(PQgetvalue(r, i, 2));
  row.sortOrder = number(3);
  row.reversed = number(4) == -1;
  row.elbow = number(5);
  row.tee = number(6);
  row.fittingTicks = number(7) == -1;
  row.labelLocation = number(8);
  row.hidePipe = number(9) == -1;
  row.masterDatabase = number(10);
  row.masterIndex = number(11);
}

// A new project on the bench server with kRows pipe types, made once.
class ServerBenchProject {
 public:
  static ServerBenchProject& instance() {
    static ServerBenchProject project;
    return project;
  }
  bool ready() const { return component_ && direct_ != nullptr; }
  const ProjectDatabasePtr& component() const { return component_; }
  PGconn* direct() const { return direct_; }

 private:
  ServerBenchProject() {
    const char* uri = std::getenv("OV_TEST_SERVER");
    if (uri == nullptr || *uri == 0) return;
    folder_ = std::filesystem::temp_directory_path() / "ov_bench_project_server";
    std::filesystem::remove_all(folder_);
    direct_ = PQconnectdb(uri);
    PQclear(PQexec(direct_, "DROP SCHEMA public CASCADE; CREATE SCHEMA public"));
    std::wstring error;
    std::wstring file = createProject(acutUtf8ToWide(folder_.string()), acutUtf8ToWide(uri), false, &error);
    if (file.empty()) return;
    PQclear(PQexec(direct_,
                   "INSERT INTO \"tblPipeType\" (\"sName\", \"sShortName\", \"iSortOrder\", \"bReversed\", \"iElbow\", "
                   "\"iTee\", \"bFittingTicks\", \"iLabelLocation\", \"bHidePipe\") SELECT 'Pipe type ' || (i - 1), "
                   "'P' || ((i - 1) % 97), 100001 - i, CASE WHEN i % 2 = 0 THEN -1 ELSE 0 END, 1, 1, -1, 0, 0 "
                   "FROM generate_series(1, 100000) i"));
    // Apart: VACUUM cannot run in the transaction a string of statements makes.
    PQclear(PQexec(direct_, "VACUUM ANALYZE \"tblPipeType\""));
    PGresult* rows = PQexec(direct_, "SELECT count(*) FROM \"tblPipeType\"");
    const bool filled = PQntuples(rows) == 1 && std::string(PQgetvalue(rows, 0, 0)) == std::to_string(kRows);
    PQclear(rows);
    if (!filled) return;
    component_.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL);
    component_->OpenProjectDatabase(_bstr_t(file.c_str()), 0, 0);
  }
  ~ServerBenchProject() {
    if (component_) component_->CloseDatabase(nullptr);
    component_ = nullptr;
    PQfinish(direct_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::filesystem::path folder_;
  ProjectDatabasePtr component_;
  PGconn* direct_ = nullptr;
};

bool skipped(benchmark::State& state) {
  if (ServerBenchProject::instance().ready()) return false;
  state.SkipWithError("no server (OV_TEST_SERVER); make bench starts one where PostgreSQL is installed");
  return true;
}

PGresult* selectByKey(PGconn* db, std::int32_t key) {
  const std::string text = std::to_string(key);
  const char* values[] = {text.c_str()};
  return PQexecParams(db, "SELECT * FROM \"tblPipeType\" WHERE \"ixPipeType\" = $1", 1, nullptr, values, nullptr,
                      nullptr, 0);
}

void BM_ProjectServer_FindByKey_Record(benchmark::State& state) {
  if (!skipped(state)) findByKey(state, ServerBenchProject::instance().component());
}
BENCHMARK(BM_ProjectServer_FindByKey_Record);

void BM_ProjectServer_FindByKey_Libpq(benchmark::State& state) {
  if (skipped(state)) return;
  PGconn* db = ServerBenchProject::instance().direct();
  TypeRow row;
  std::int64_t i = 0;
  for (auto _ : state) {
    PGresult* r = selectByKey(db, keyAt(i++));
    if (PQntuples(r) == 1) readTypeRow(r, 0, row);
    PQclear(r);
    benchmark::DoNotOptimize(row.sortOrder);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProjectServer_FindByKey_Libpq);

void BM_ProjectServer_UpdateThreeColumns_Record(benchmark::State& state) {
  if (!skipped(state)) updateThreeColumns(state, ServerBenchProject::instance().component());
}
BENCHMARK(BM_ProjectServer_UpdateThreeColumns_Record);

// Read the row, change three columns, read it back: what the record does, by hand.
void BM_ProjectServer_UpdateThreeColumns_Libpq(benchmark::State& state) {
  if (skipped(state)) return;
  PGconn* db = ServerBenchProject::instance().direct();
  TypeRow row;
  std::int64_t i = 0;
  auto load = [&](std::int32_t key) {
    PGresult* r = selectByKey(db, key);
    if (PQntuples(r) == 1) readTypeRow(r, 0, row);
    PQclear(r);
  };
  for (auto _ : state) {
    const std::int32_t key = keyAt(i);
    load(key);
    const std::string shortName = "S" + std::to_string(i % 89), elbow = std::to_string(i % 3),
                      ticks = i % 2 == 0 ? "-1" : "0", keyText = std::to_string(key);
    const char* values[] = {shortName.c_str(), elbow.c_str(), ticks.c_str(), keyText.c_str()};
    PQclear(PQexecParams(db,
                         "UPDATE \"tblPipeType\" SET \"sShortName\" = $1, \"iElbow\" = $2, \"bFittingTicks\" = $3 "
                         "WHERE \"ixPipeType\" = $4",
                         4, nullptr, values, nullptr, nullptr, 0));
    load(key);
    benchmark::DoNotOptimize(row.shortName);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProjectServer_UpdateThreeColumns_Libpq);

void BM_ProjectServer_Query100k_Component(benchmark::State& state) {
  if (!skipped(state)) queryAll(state, ServerBenchProject::instance().component());
}
BENCHMARK(BM_ProjectServer_Query100k_Component)->Unit(benchmark::kMillisecond);

void BM_ProjectServer_Scan100k_Libpq(benchmark::State& state) {
  if (skipped(state)) return;
  PGconn* db = ServerBenchProject::instance().direct();
  std::vector<TypeRow> rows;
  for (auto _ : state) {
    rows.clear();
    PGresult* r = PQexec(db, "SELECT * FROM \"tblPipeType\"");
    for (int i = 0; i < PQntuples(r); ++i) readTypeRow(r, i, rows.emplace_back());
    PQclear(r);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ProjectServer_Scan100k_Libpq)->Unit(benchmark::kMillisecond);

}  // namespace
