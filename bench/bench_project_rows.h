// What the project database benchmarks of both backends share: the table of 100,000
// pipe types they work on, the row a direct statement reads into, and the record-class
// workloads that run the same on an SQLite file and on a server.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "db/tblPipeType.h"
#include "projectdb/project_database.h"

namespace bench_project {

constexpr int kRows = 100000;

// Keys spread over the table in a repeatable order.
inline std::int32_t keyAt(std::int64_t i) { return static_cast<std::int32_t>((i * 7919) % kRows) + 1; }

// The row the direct statements read into, as the record holds it.
struct TypeRow {
  std::int64_t key = 0;
  std::wstring name, shortName;
  std::int64_t sortOrder = 0, elbow = 0, tee = 0, labelLocation = 0, masterDatabase = 0, masterIndex = 0;
  bool reversed = false, fittingTicks = false, hidePipe = false;
};

inline void findByKey(benchmark::State& state, const ProjectDatabasePtr& db) {
  tblPipeType type(db, false);
  std::int64_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(type.Find(keyAt(i++)));
  state.SetItemsProcessed(state.iterations());
}

// Read the row, change three columns, read it back.
inline void updateThreeColumns(benchmark::State& state, const ProjectDatabasePtr& db) {
  tblPipeType type(db, false);
  std::int64_t i = 0;
  for (auto _ : state) {
    type.Find(keyAt(i));
    type.Edit();
    type.set_sShortName(L"S" + std::to_wstring(i % 89));
    type.set_iElbow(static_cast<std::int32_t>(i % 3));
    type.set_bFittingTicks(i % 2 == 0);
    type.Update();
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}

// Every row through Query, counting the elements it answered.
inline void queryAll(benchmark::State& state, const ProjectDatabasePtr& db) {
  _bstr_t sql(L"SELECT * FROM tblPipeType");
  std::size_t elements = 0;
  for (auto _ : state) {
    _variant_t rows;
    VARIANT_BOOL ok = VARIANT_FALSE;
    db->Query(sql, &rows, &ok);
    elements = ok ? rows.parray->rgsabound[0].cElements : 0;
    benchmark::DoNotOptimize(elements);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  state.counters["elements"] = static_cast<double>(elements);
}

}  // namespace bench_project
