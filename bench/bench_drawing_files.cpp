// Throughput of the host's drawing database: filing objects through the binary filer
// and saving and reading a whole drawing, beside memcpy of the same bytes as a floor.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "arx/db_database.h"
#include "arx/db_entities.h"
#include "arx/dwg_filer_mem.h"

namespace {

// A drawing of n lines, arcs and texts in model space.
void fillDrawing(AcDbDatabase& db, int n) {
  AcDbBlockTableRecord* ms = nullptr;
  acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite);
  for (int i = 0; i < n; ++i) {
    AcDbEntity* ent = nullptr;
    switch (i % 3) {
      case 0: ent = new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 10, 0)); break;
      case 1: ent = new AcDbArc(AcGePoint3d(i, 0, 0), 2.0, 0.0, 1.5); break;
      default: {
        auto* t = new AcDbMText();
        t->setContents(L"3/4\" CW");
        t->setLocation(AcGePoint3d(i, 5, 0));
        ent = t;
      }
    }
    ms->appendAcDbEntity(ent);
    ent->close();
  }
  ms->close();
}

void BM_FileOutLines(benchmark::State& state) {
  AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 10, 0));
  size_t bytes = 0;
  for (auto _ : state) {
    AcDbMemDwgFiler filer(AcDb::kCopyFiler, nullptr);
    for (int i = 0; i < 1000; ++i) line.dwgOutFields(&filer);
    bytes = filer.bytes().size();
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_FileOutLines);

void BM_MemcpyFloor(benchmark::State& state) {
  AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 10, 0));
  AcDbMemDwgFiler filer(AcDb::kCopyFiler, nullptr);
  for (int i = 0; i < 1000; ++i) line.dwgOutFields(&filer);
  std::vector<unsigned char> src = filer.bytes(), dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::DoNotOptimize(dst.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * src.size()));
}
BENCHMARK(BM_MemcpyFloor);

void BM_SaveAndReadDrawing(benchmark::State& state) {
  AcDbDatabase db;
  fillDrawing(db, static_cast<int>(state.range(0)));
  std::filesystem::path path = std::filesystem::temp_directory_path() / "ov_bench_drawing.hdw";
  for (auto _ : state) {
    if (db.saveAs(path.wstring().c_str()) != Acad::eOk) state.SkipWithError("save failed");
    AcDbDatabase back(false);
    if (back.readDwgFile(path.wstring().c_str()) != Acad::eOk) state.SkipWithError("read failed");
  }
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SaveAndReadDrawing)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
