// How fast the large plan goes to disk and back, as the host's drawing file and as
// flattened DXF, and how much memory an open plan holds, beside their floors.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "arx/db_database.h"
#include "arx/dxf_file.h"
#include "arx/gi_record.h"
#include "bench/bench_plan.h"

namespace {

namespace fs = std::filesystem;

fs::path tempPath(const char* name) { return fs::temp_directory_path() / name; }

// The flattened DXF stays where the ezdxf peer (scripts/bench_ezdxf.py) can read it.
fs::path flatDxfPath() {
  const char* env = std::getenv("OV_BENCH_DXF");
  return env != nullptr && *env != 0 ? fs::path(env) : fs::path("/tmp/ov_bench_plan_flat.dxf");
}

// The number of pipes of the plan: the large plan, or fewer for a profiler's run
// (OV_BENCH_PLAN_PIPES).
int planPipes() {
  static const int n = [] {
    const char* env = std::getenv("OV_BENCH_PLAN_PIPES");
    const int given = env != nullptr ? std::atoi(env) : 0;
    return given > 0 ? given : bench::kPlanPipes;
  }();
  return n;
}

size_t fileSize(const fs::path& path) {
  std::error_code ec;
  auto size = fs::file_size(path, ec);
  return ec ? 0 : static_cast<size_t>(size);
}

// The plan drawing every file benchmark starts from, made once.
AcDbDatabase& planDrawing() {
  static AcDbDatabase* db = [] {
    auto* made = new AcDbDatabase();
    made->disableUndoRecording(true);
    bench::fillPlanDrawing(*made, planPipes());
    return made;
  }();
  return *db;
}

// The plan saved once as a drawing file, for the benchmarks that only open it.
const fs::path& planHdw() {
  static const fs::path path = [] {
    fs::path p = tempPath("ov_bench_plan.hdw");
    planDrawing().saveAs(p.wstring().c_str());
    return p;
  }();
  return path;
}

// The DXF benchmarks work on a 4,000-pipe plan (about 126k plain entities, a 22 MB
// file): the size of file ezdxf's own published read and write figures were taken on,
// so that the peer finishes in a minute rather than the well over ten minutes the
// whole plan would cost it. OV_BENCH_PLAN_PIPES makes it smaller for a profiler's run.
constexpr int kDxfPlanPipes = 4000;

int dxfPlanPipes() { return std::min(planPipes(), kDxfPlanPipes); }

// The DXF plan as the plain entities its pipes and arrows draw: the host's flattened
// DXF export read back into a drawing of lines, arcs, circles, texts and polylines.
AcDbDatabase& flatDrawing() {
  static AcDbDatabase* db = [] {
    fs::path staging = tempPath("ov_bench_plan_flatten.dxf");
    AcDbDatabase plan;
    plan.disableUndoRecording(true);
    bench::fillPlanDrawing(plan, dxfPlanPipes());
    auto* made = new AcDbDatabase(false);
    if (plan.dxfOut(staging.wstring().c_str(), 16, true) != Acad::eOk ||
        made->dxfIn(staging.wstring().c_str()) != Acad::eOk)
      std::abort();
    fs::remove(staging);
    return made;
  }();
  return *db;
}

int flatEntityCount() {
  static const int count = [] {
    AcDbDatabase back(false);
    AcDbDxfInSummary summary;
    fs::path p = tempPath("ov_bench_plan_count.dxf");
    flatDrawing().dxfOut(p.wstring().c_str());
    acdbDxfIn(back, p.wstring().c_str(), &summary);
    fs::remove(p);
    return summary.entitiesRead;
  }();
  return count;
}

void setPipeCounters(benchmark::State& state, size_t bytes) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * planPipes());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// ---- the host's drawing file ----------------------------------------------------------

void BM_HdwSavePlan(benchmark::State& state) {
  AcDbDatabase& db = planDrawing();
  fs::path path = tempPath("ov_bench_plan_save.hdw");
  for (auto _ : state)
    if (db.saveAs(path.wstring().c_str()) != Acad::eOk) state.SkipWithError("save failed");
  setPipeCounters(state, fileSize(path));
  fs::remove(path);
}
BENCHMARK(BM_HdwSavePlan)->Unit(benchmark::kMillisecond);

// Opening includes closing: the drawing is destroyed inside the timed loop.
void BM_HdwOpenPlan(benchmark::State& state) {
  const fs::path& path = planHdw();
  for (auto _ : state) {
    auto back = std::make_unique<AcDbDatabase>(false);
    if (back->readDwgFile(path.wstring().c_str()) != Acad::eOk) state.SkipWithError("read failed");
    back.reset();
  }
  setPipeCounters(state, fileSize(path));
}
BENCHMARK(BM_HdwOpenPlan)->Unit(benchmark::kMillisecond);

// A drawing opened in place and saved unchanged to another file: the objects go from
// file to file as they are, none is built.
void BM_HdwOpenSavePlan(benchmark::State& state) {
  const fs::path& path = planHdw();
  fs::path saved = tempPath("ov_bench_plan_opensave.hdw");
  for (auto _ : state) {
    auto db = std::make_unique<AcDbDatabase>(false);
    if (db->readDwgFile(path.wstring().c_str()) != Acad::eOk) state.SkipWithError("read failed");
    if (db->saveAs(saved.wstring().c_str()) != Acad::eOk) state.SkipWithError("save failed");
    db.reset();
  }
  setPipeCounters(state, fileSize(path));
  fs::remove(saved);
}
BENCHMARK(BM_HdwOpenSavePlan)->Unit(benchmark::kMillisecond);

// The entities of model space, in the order of the block.
std::vector<AcDbObjectId> modelSpaceIds(AcDbDatabase& db) {
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, db.modelSpaceId(), AcDb::kForRead) != Acad::eOk) return {};
  std::vector<AcDbObjectId> ids = space->entityIds();
  space->close();
  return ids;
}

// Opened, one pipe in a hundred widened at its breaks (opened for write, with undo
// recording as in a session), saved: the pipes edited are filed, the rest copied.
void BM_HdwOpenEditSavePlan(benchmark::State& state) {
  const fs::path& path = planHdw();
  fs::path saved = tempPath("ov_bench_plan_edit.hdw");
  int edited = 0;
  for (auto _ : state) {
    auto db = std::make_unique<AcDbDatabase>(false);
    if (db->readDwgFile(path.wstring().c_str()) != Acad::eOk) state.SkipWithError("read failed");
    edited = 0;
    // The plan lists each pipe before its arrow: every 200th entity is every 100th pipe.
    const std::vector<AcDbObjectId> ids = modelSpaceIds(*db);
    for (size_t i = 0; i < ids.size(); i += 200) {
      PlumbPipe* pipe = nullptr;
      if (acdbOpenObject(pipe, ids[i], AcDb::kForWrite) != Acad::eOk) continue;
      pipe->setBreakWidth(pipe->dBreakWidth + 0.5);
      pipe->close();
      ++edited;
    }
    if (db->saveAs(saved.wstring().c_str()) != Acad::eOk) state.SkipWithError("save failed");
    db.reset();
  }
  setPipeCounters(state, fileSize(path));
  state.counters["edited"] = edited;
  fs::remove(saved);
}
BENCHMARK(BM_HdwOpenEditSavePlan)->Unit(benchmark::kMillisecond);

// Opened and every entity of model space drawn once, as the first regeneration after
// an open does: every pipe and arrow is built from the file on the way.
void BM_HdwOpenRegenPlan(benchmark::State& state) {
  const fs::path& path = planHdw();
  size_t primitives = 0;
  for (auto _ : state) {
    auto db = std::make_unique<AcDbDatabase>(false);
    if (db->readDwgFile(path.wstring().c_str()) != Acad::eOk) state.SkipWithError("read failed");
    AcGiRecordingWorldDraw wd(kAcGiStandardDisplay);
    primitives = 0;
    for (const AcDbObjectId& id : modelSpaceIds(*db)) {
      AcDbEntity* entity = nullptr;
      if (acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk) {
        state.SkipWithError("an entity did not open");
        break;
      }
      recordEntity(entity, wd);
      entity->close();
      primitives += wd.primitives().size();
      wd.clear();
    }
    db.reset();
  }
  setPipeCounters(state, fileSize(path));
  state.counters["primitives/pipe"] = static_cast<double>(primitives) / planPipes();
}
BENCHMARK(BM_HdwOpenRegenPlan)->Unit(benchmark::kMillisecond);

// A plan made in memory saved (every object filed), then opened.
void BM_HdwSaveOpenPlan(benchmark::State& state) {
  AcDbDatabase& db = planDrawing();
  fs::path path = tempPath("ov_bench_plan_roundtrip.hdw");
  for (auto _ : state) {
    if (db.saveAs(path.wstring().c_str()) != Acad::eOk) state.SkipWithError("save failed");
    auto back = std::make_unique<AcDbDatabase>(false);
    if (back->readDwgFile(path.wstring().c_str()) != Acad::eOk) state.SkipWithError("read failed");
    back.reset();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * planPipes());
  fs::remove(path);
}
BENCHMARK(BM_HdwSaveOpenPlan)->Unit(benchmark::kMillisecond);

// The floor: copying as many bytes as the file holds.
void BM_HdwMemcpyFloor(benchmark::State& state) {
  const size_t bytes = fileSize(planHdw());
  std::vector<unsigned char> src(bytes, 0x5A), dst(bytes);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), bytes);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  setPipeCounters(state, bytes);
}
BENCHMARK(BM_HdwMemcpyFloor)->Unit(benchmark::kMillisecond);

// ---- flattened DXF --------------------------------------------------------------------

// The 4,000-pipe plan's plain entities written and read as DXF; the peer is ezdxf on
// the same file (scripts/bench_ezdxf.py). An item is one entity.

void BM_DxfWriteFlat(benchmark::State& state) {
  AcDbDatabase& db = flatDrawing();
  const fs::path path = flatDxfPath();
  for (auto _ : state)
    if (db.dxfOut(path.wstring().c_str()) != Acad::eOk) state.SkipWithError("DXF write failed");
  const int entities = flatEntityCount();
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * entities);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileSize(path)));
  state.counters["entities"] = entities;
}
BENCHMARK(BM_DxfWriteFlat)->Unit(benchmark::kMillisecond);

void BM_DxfReadFlat(benchmark::State& state) {
  const fs::path path = flatDxfPath();
  if (fileSize(path) == 0 && flatDrawing().dxfOut(path.wstring().c_str()) != Acad::eOk) {
    state.SkipWithError("DXF write failed");
    return;
  }
  int entities = 0;
  for (auto _ : state) {
    auto back = std::make_unique<AcDbDatabase>(false);
    AcDbDxfInSummary summary;
    if (acdbDxfIn(*back, path.wstring().c_str(), &summary) != Acad::eOk) state.SkipWithError("DXF read failed");
    entities = summary.entitiesRead;
    back.reset();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * entities);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileSize(path)));
  state.counters["entities"] = entities;
}
BENCHMARK(BM_DxfReadFlat)->Unit(benchmark::kMillisecond);

// ---- memory ---------------------------------------------------------------------------

// The bytes resident in memory now, after the allocator has handed back what it holds
// free, so that memory freed by earlier benchmarks does not hide what a drawing takes.
double residentBytes() {
  malloc_trim(0);
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

double heapBytesInUse() { return static_cast<double>(mallinfo2().uordblks); }

// Resident bytes per pipe (with its arrow) of a drawing of the plan: made in memory
// (argument 0) or opened from its drawing file (argument 1).
void BM_PlanMemory(benchmark::State& state) {
  const bool opened = state.range(0) == 1;
  const fs::path path = opened ? planHdw() : fs::path();
  double rss = 0, heap = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const double rssBefore = residentBytes(), heapBefore = heapBytesInUse();
    state.ResumeTiming();
    auto db = std::make_unique<AcDbDatabase>(!opened);
    if (opened) {
      if (db->readDwgFile(path.wstring().c_str()) != Acad::eOk) state.SkipWithError("read failed");
    } else {
      db->disableUndoRecording(true);
      bench::fillPlanDrawing(*db, planPipes());
    }
    state.PauseTiming();
    rss = residentBytes() - rssBefore;
    heap = heapBytesInUse() - heapBefore;
    db.reset();
    state.ResumeTiming();
  }
  state.SetLabel(opened ? "opened .hdw" : "filled");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * planPipes());
  state.counters["bytes/pipe"] = rss / planPipes();
  state.counters["heap bytes/pipe"] = heap / planPipes();
}
BENCHMARK(BM_PlanMemory)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
