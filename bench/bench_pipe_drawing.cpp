// How fast pipes display: 100,000 pipes with breaks, elbows, an arc, ticks and a label
// drawn through the host's recording world draw, beside a bare loop that computes the
// same segment end points as the floor.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "arx/gi_record.h"
#include "arx/rx.h"
#include "pipe/PlumbPipe.h"

namespace {

constexpr int kPipes = 100000;

// Pipes in every direction and of varied length, each with four breaks, two elbows,
// one broken arc, ticks at both ends and a label repeated along it.
std::vector<std::unique_ptr<PlumbPipe>> makePipes() {
  if (acrxFindClass(L"PlumbPipe") == nullptr) {
    PlumbPipe::rxInit();
    acrxBuildClassHierarchy();
  }
  std::vector<std::unique_ptr<PlumbPipe>> pipes;
  pipes.reserve(kPipes);
  for (int i = 0; i < kPipes; ++i) {
    auto pipe = std::make_unique<PlumbPipe>();
    const double angle = 0.001 * i;
    const double length = 120.0 + (i % 50);
    const AcGePoint3d start(i % 1000, i / 1000, 10.0);
    pipe->ptStart = start;
    pipe->ptEnd = start + AcGeVector3d(std::cos(angle), std::sin(angle), 0.0) * length;
    pipe->ptEnd.z = 8.0;
    for (double d : {20.0, 45.0, 70.0, 95.0}) pipe->aBreaks.append(d);
    elbowInfo leg(6.0, 0.785);
    leg.aBreaks[0] = 3.0;
    pipe->aElbows.append(leg);
    pipe->aElbows.append(elbowInfo(4.0, -0.785));
    pipe->dArcRadius = 3.0;
    arcInfo hop(2.0, 10.0, i % 2 == 0 ? 1 : -1);
    hop.aBreaks[0] = 2.5;
    pipe->aArcs.append(hop);
    pipe->dTickWidth = 2.0;
    pipe->dTickOffsetHead = 1.5;
    pipe->dTickOffsetTail = 1.5;
    pipe->strText = L"3/4\" CW";
    pipe->mtLabel.setTextHeight(1.5);
    pipe->dTextDistance = 20.0;
    pipes.push_back(std::move(pipe));
  }
  return pipes;
}

const std::vector<std::unique_ptr<PlumbPipe>>& pipes() {
  static const std::vector<std::unique_ptr<PlumbPipe>> all = makePipes();
  return all;
}

void BM_DrawPipes(benchmark::State& state) {
  const auto& all = pipes();
  AcGiRecordingWorldDraw wd;
  size_t primitives = 0;
  for (auto _ : state) {
    primitives = 0;
    for (const auto& pipe : all) {
      pipe->worldDraw(&wd);
      primitives += wd.primitives().size();
      wd.clear();
    }
    benchmark::DoNotOptimize(primitives);
  }
  state.counters["pipes/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kPipes,
                                                 benchmark::Counter::kIsRate);
  state.counters["primitives/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * primitives,
                                                      benchmark::Counter::kIsRate);
  state.counters["primitives/pipe"] = static_cast<double>(primitives) / kPipes;
}
BENCHMARK(BM_DrawPipes)->Unit(benchmark::kMillisecond);

// The floor: the end points of the same pieces, ticks, labels, legs and arc pieces,
// computed straight from the fields into one buffer, with no drawing machinery.
void BM_SegmentFloor(benchmark::State& state) {
  const auto& all = pipes();
  std::vector<AcGePoint3d> points(64);
  for (auto _ : state) {
    size_t n = 0;
    for (const auto& pipe : all) {
      const PlumbPipe& p = *pipe;
      size_t k = 0;
      const double a = std::atan2(p.ptEnd.y - p.ptStart.y, p.ptEnd.x - p.ptStart.x);
      const AcGeVector3d u(std::cos(a), std::sin(a), 0), side(-u.y, u.x, 0);
      const double length = p.ptStart.convert2d().distanceTo(p.ptEnd.convert2d());
      const AcGePoint3d s(p.ptStart.x, p.ptStart.y, p.ptStart.z);
      double from = 0.0;
      for (double b : p.aBreaks) {
        const double to = b - p.dBreakWidth / 2;
        const double mid = (from + to) / 2;
        points[k++] = s + u * from;  // the piece, split around its label
        points[k++] = s + u * (mid - 4.0);
        points[k++] = s + u * (mid + 4.0);
        points[k++] = s + u * to;
        points[k++] = s + u * mid;  // the label
        from = b + p.dBreakWidth / 2;
      }
      points[k++] = s + u * from;
      points[k++] = s + u * length;
      for (double t : {p.dTickOffsetHead, length - p.dTickOffsetTail}) {  // ticks and their plain lines
        points[k++] = s + u * t + side;
        points[k++] = s + u * t - side;
        points[k++] = s + u * t;
      }
      const AcGePoint3d lineEnd = points[k - 1];
      points[k++] = AcGePoint3d(lineEnd.x, lineEnd.y, p.ptEnd.z);  // the drop line
      const AcGePoint3d end = s + u * length;
      for (const elbowInfo& e : p.aElbows) {
        const AcGeVector3d leg(std::cos(a + e.dAngle), std::sin(a + e.dAngle), 0);
        points[k++] = end + leg * e.dLength;
        points[k++] = end + leg * e.aBreaks[0];
      }
      for (const arcInfo& arc : p.aArcs) {
        const AcGePoint3d centre = end - u * arc.dOffset + side * (arc.iNormal * p.dArcRadius);
        for (double t : {0.0, 0.5, arc.dLength}) points[k++] = centre + AcGeVector3d(std::cos(a + t), std::sin(a + t), 0);
      }
      n += k;
      benchmark::DoNotOptimize(points.data());
    }
    benchmark::DoNotOptimize(n);
  }
  state.counters["pipes/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kPipes,
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SegmentFloor)->Unit(benchmark::kMillisecond);

// What the host's recorder alone costs for the same number of primitives (lines and
// one label per piece), to tell the drawing's own share from the host's.
void BM_RecorderOnly(benchmark::State& state) {
  const auto& all = pipes();
  AcGiRecordingWorldDraw wd;
  AcDbMText label;
  label.setContents(L"3/4\" CW");
  const AcGePoint3d points[2] = {AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)};
  for (auto _ : state) {
    for (size_t i = 0; i < all.size(); ++i) {
      for (int k = 0; k < 22; ++k) wd.polyline(2, points);
      for (int k = 0; k < 5; ++k) wd.draw(&label);
      wd.clear();
    }
  }
  state.counters["pipes/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kPipes,
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RecorderOnly)->Unit(benchmark::kMillisecond);

}  // namespace
