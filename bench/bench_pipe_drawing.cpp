// How fast the plan displays: the 100,000 pipes of the generated plan and their arrows
// drawn through the host's recording world draw, beside a bare loop that computes the
// same points straight from the pipes' fields as the floor, and the recorder alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "arx/gi_record.h"
#include "bench/bench_plan.h"

namespace {

const bench::Plan& plan() {
  static const bench::Plan all = bench::makePlan(bench::kPlanPipes);
  return all;
}

// The points a primitive stands for: a polyline's or fit curve's vertices, a text's
// insertion point, a circle's centre, an arc's centre and start direction.
size_t pointsOf(const GiPrimitive& p) {
  switch (p.kind) {
    case GiPrimitiveKind::Polyline:
    case GiPrimitiveKind::FitCurve:
      return p.points.size();
    case GiPrimitiveKind::Arc:
      return 2;
    case GiPrimitiveKind::Circle:
    case GiPrimitiveKind::Text:
      return 1;
  }
  return 0;
}

size_t pointsOf(std::span<const GiPrimitive> primitives) {
  size_t n = 0;
  for (const GiPrimitive& p : primitives) n += pointsOf(p);
  return n;
}

// Pipe i and its arrow as the host regenerates them for display: traits from each
// entity, then the entity handed to the world draw.
void drawPair(size_t i, AcGiRecordingWorldDraw& wd) {
  recordEntity(plan().pipes[i].get(), wd);
  recordEntity(plan().arrows[i].get(), wd);
}

struct DrawCount {
  size_t primitives = 0;
  size_t points = 0;
};

// The whole plan drawn once into the recorder, emptied after each pipe and its arrow.
DrawCount drawPlanOnce(AcGiRecordingWorldDraw& wd) {
  DrawCount count;
  for (size_t i = 0; i < plan().pipes.size(); ++i) {
    drawPair(i, wd);
    count.primitives += wd.primitives().size();
    count.points += pointsOf(wd.primitives());
    wd.clear();
  }
  return count;
}

// The drawing's points over the whole plan, to hold the floor to the same count. The
// first drawing of a pipe also settles its label's contents, as the first regeneration
// after a drawing opens does; what is timed is every regeneration after it.
size_t drawnPoints() {
  static const size_t points = [] {
    AcGiRecordingWorldDraw wd(kAcGiStandardDisplay);
    return drawPlanOnce(wd).points;
  }();
  return points;
}

void BM_DrawPlan(benchmark::State& state) {
  const size_t n = plan().pipes.size();
  drawnPoints();
  AcGiRecordingWorldDraw wd(kAcGiStandardDisplay);
  DrawCount count;
  for (auto _ : state) {
    count = drawPlanOnce(wd);
    benchmark::DoNotOptimize(count);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
  state.counters["primitives/s"] = benchmark::Counter(static_cast<double>(state.iterations() * count.primitives),
                                                      benchmark::Counter::kIsRate);
  state.counters["primitives/pipe"] = static_cast<double>(count.primitives) / static_cast<double>(n);
  state.counters["points/pipe"] = static_cast<double>(count.points) / static_cast<double>(n);
}
BENCHMARK(BM_DrawPlan)->Unit(benchmark::kMillisecond);

// ---- The floor ------------------------------------------------------------------------

// The floor's output: points pushed into one reserved buffer, as a renderer would
// collect them. It is emptied after each pipe, as the recorder is, so that both work
// in cache.
class PointSink {
 public:
  void reserve(size_t n) { points_.reserve(n); }
  void clear() { points_.clear(); }
  size_t size() const { return points_.size(); }
  const AcGePoint3d* data() const { return points_.data(); }
  void point(const AcGePoint3d& p) { points_.push_back(p); }
  void line(const AcGePoint3d& a, const AcGePoint3d& b) {
    points_.push_back(a);
    points_.push_back(b);
  }

 private:
  std::vector<AcGePoint3d> points_;
};

// The pipe line from `from` to `to` around its labels: plain lines between label gaps
// and one insertion point per label.
void floorLabelledLine(const PlumbPipe& p, const AcGePoint3d& s, const AcGeVector3d& u, const AcGeVector3d& corner,
                       double gap, double from, double to, PointSink& out) {
  const double length = to - from;
  if (p.strText.empty() || length <= 2.0 * gap) {
    out.line(s + u * from, s + u * to);
    return;
  }
  const double per = length / p.dTextDistance;
  const int count = per >= 1.0 ? static_cast<int>(per) : 1;
  const double first = (length - (count - 1) * p.dTextDistance) / 2.0;
  double drawnTo = 0.0;
  for (int k = 0; k < count; ++k) {
    const double centre = first + k * p.dTextDistance;
    if (centre - gap > drawnTo) out.line(s + u * (from + drawnTo), s + u * (from + centre - gap));
    drawnTo = centre + gap;
  }
  if (length > drawnTo) out.line(s + u * (from + drawnTo), s + u * to);
  for (int k = 0; k < count; ++k) out.point(s + u * (from + first + k * p.dTextDistance) + corner);
}

// A leg or arc's break slots as stretches [from, to] handed to emit.
template <typename Emit>
void floorSlots(const double (&slots)[kFittingBreakSlots], double width, double length, Emit emit) {
  double from = 0.0;
  for (int k = 0; k < kFittingBreakSlots && slots[k] != 0.0; ++k) {
    emit(from, slots[k] - width / 2.0);
    from = slots[k] + width / 2.0;
  }
  emit(from, length);
}

void floorPipe(const PlumbPipe& p, PointSink& out) {
  const double dx = p.ptEnd.x - p.ptStart.x, dy = p.ptEnd.y - p.ptStart.y;
  const double length = std::hypot(dx, dy);
  if (length <= 0.1) {
    out.point(p.ptStart);  // the riser's circle
    return;
  }
  const double a = std::atan2(dy, dx);
  const AcGeVector3d u(std::cos(a), std::sin(a), 0.0), side(-u.y, u.x, 0.0);
  const AcGePoint3d s = p.ptStart;
  const double lineEnd = length - (p.bPtrap ? p.dPtrapWidth : 0.0);
  const double textHeight = p.mtLabel.textHeight();
  const double textWidth = static_cast<double>(p.strText.size()) * AcDbMText::kCharWidthFactor * textHeight;
  const double gap = (textWidth + textHeight) / 2.0;
  const AcGeVector3d corner = u * (-textWidth / 2.0) + side * (textHeight / 2.0);
  const double half = p.dTickWidth / 2.0;

  if (p.bPtrap) {
    const AcGeVector3d down(0, -p.dPtrapWidth / 2.0, 0), inset(0, -0.01, 0);
    const AcGePoint3d trapStart = s + u * lineEnd, trapEnd(p.ptEnd.x, p.ptEnd.y, s.z);
    const AcGePoint3d a1 = trapStart + down, d1 = trapEnd + down;
    out.point(a1);
    out.point(a1 + inset);
    out.point(a1 + u * (p.dPtrapWidth * 0.49) + down);
    out.point(a1 + u * (p.dPtrapWidth * 0.51) + down);
    out.point(d1 + inset);
    out.point(d1);
    out.line(trapStart, a1);
    out.line(d1, trapEnd);
  }

  // The pieces between the breaks; the first carries the head tick, the last the tail.
  double from = 0.0;
  const int pieces = p.aBreaks.size() + 1;
  for (int k = 0; k < pieces; ++k) {
    double to = k + 1 < pieces ? p.aBreaks[k] - p.dBreakWidth / 2.0 : lineEnd;
    const double next = k + 1 < pieces ? p.aBreaks[k] + p.dBreakWidth / 2.0 : 0.0;
    if (k == 0 && p.dTickOffsetHead != 0.0) {
      const AcGePoint3d t = s + u * p.dTickOffsetHead;
      out.line(t + side * half, t - side * half);
      out.line(s + u * from, t);
      from = p.dTickOffsetHead;
    }
    if (k + 1 == pieces && p.dTickOffsetTail != 0.0) {
      const AcGePoint3d t = s + u * (lineEnd - p.dTickOffsetTail);
      out.line(t + side * half, t - side * half);
      out.line(t, s + u * to);
      to = lineEnd - p.dTickOffsetTail;
    }
    floorLabelledLine(p, s, u, corner, gap, from, to, out);
    from = next;
  }

  const AcGePoint3d dropTop = s + u * lineEnd;
  if (p.ptEnd.z != s.z) out.line(dropTop, AcGePoint3d(dropTop.x, dropTop.y, p.ptEnd.z));

  const AcGePoint3d end(p.ptEnd.x, p.ptEnd.y, s.z);
  for (const elbowInfo& e : p.aElbows) {
    const AcGeVector3d leg(std::cos(a + e.dAngle), std::sin(a + e.dAngle), 0.0);
    floorSlots(e.aBreaks, p.dBreakWidth, e.dLength,
               [&](double f, double t) { out.line(end + leg * f, end + leg * t); });
  }
  const double r = p.dArcRadius;
  for (const arcInfo& arc : p.aArcs) {
    const AcGePoint3d centre = end - u * arc.dOffset + side * (arc.iNormal * r);
    const double startAngle = a - arc.iNormal * 1.570796325;
    floorSlots(arc.aBreaks, p.dBreakWidth, arc.dLength * r, [&](double f, double) {
      out.point(centre);
      out.point(centre + AcGeVector3d(std::cos(startAngle + f / r), std::sin(startAngle + f / r), 0.0) * r);
    });
  }
}

void floorArrow(const PlumbPipeArrow& w, PointSink& out) {
  const AcGePoint3d s = w.startPoint(), e = w.endPoint();
  const double dx = e.x - s.x, dy = e.y - s.y;
  const double plan = std::hypot(dx, dy);
  const double a = std::atan2(dy, dx);
  const double stroke = w.arrowLength() > plan ? plan * 0.5 : w.arrowLength();
  const double spread = 3.14159265 * 0.125;
  const AcGePoint3d tip = w.isReversed() ? s : e;
  const double back = w.isReversed() ? 0.0 : 3.14159265;
  for (double turn : {-spread, spread})
    out.line(tip, tip + AcGeVector3d(std::cos(a + back + turn), std::sin(a + back + turn), 0.0) * stroke);
  const AcGeVector3d u(std::cos(a), std::sin(a), 0.0), across(-u.y * stroke * 0.25, u.x * stroke * 0.25, 0.0);
  for (double h : w.hangers()) {
    if (!(plan > h)) continue;
    AcGePoint3d mark = s + u * h;
    mark.z = s.z + (e.z - s.z) * h / plan;
    out.line(mark + across, mark - across);
  }
}

// Answers the number of points computed.
size_t floorPlan(PointSink& out) {
  const bench::Plan& all = plan();
  size_t points = 0;
  for (size_t i = 0; i < all.pipes.size(); ++i) {
    floorPipe(*all.pipes[i], out);
    floorArrow(*all.arrows[i], out);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
    points += out.size();
    out.clear();
  }
  return points;
}

void BM_DrawPlanFloor(benchmark::State& state) {
  const size_t n = plan().pipes.size();
  const size_t expected = drawnPoints();
  PointSink out;
  out.reserve(256);  // more than any pipe and its arrow draw
  size_t points = floorPlan(out);
  if (points != expected) {
    state.SkipWithError(("the floor computes " + std::to_string(points) + " points, the drawing " +
                         std::to_string(expected))
                            .c_str());
    return;
  }
  for (auto _ : state) {
    points = floorPlan(out);
    benchmark::DoNotOptimize(points);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
  state.counters["points/pipe"] = static_cast<double>(points) / static_cast<double>(n);
}
BENCHMARK(BM_DrawPlanFloor)->Unit(benchmark::kMillisecond);

// ---- The recorder alone -----------------------------------------------------------------

// The primitives the plan's pipes and arrows draw, one sample of each pipe kind (the
// plan repeats every 40 pipes), to be put down again without the module.
std::vector<std::vector<GiPrimitive>> samplePrimitives(size_t kinds) {
  std::vector<std::vector<GiPrimitive>> samples;
  AcGiRecordingWorldDraw wd(kAcGiStandardDisplay);
  for (size_t i = 0; i < kinds; ++i) {
    drawPair(i, wd);
    samples.push_back(wd.takePrimitives());
  }
  return samples;
}

// One recorded primitive drawn again through the geometry calls (texts as multiline
// texts, as the pipe draws its labels).
void replay(const GiPrimitive& p, AcDbMText& label, AcGiWorldGeometry& geometry) {
  switch (p.kind) {
    case GiPrimitiveKind::Polyline:
    case GiPrimitiveKind::FitCurve:
      geometry.polyline(static_cast<Adesk::UInt32>(p.points.size()), p.points.data());
      return;
    case GiPrimitiveKind::Arc:
      geometry.circularArc(p.center, p.radius, p.normal, p.startVector, p.sweep);
      return;
    case GiPrimitiveKind::Circle:
      geometry.circle(p.center, p.radius, p.normal);
      return;
    case GiPrimitiveKind::Text:
      label.setLocation(p.location);
      geometry.draw(&label);
      return;
  }
}

// What the host's recorder alone costs for the plan's primitives, to tell the module's
// share of BM_DrawPlan from the host's.
void BM_DrawPlanRecorderOnly(benchmark::State& state) {
  constexpr size_t kKinds = 40;
  const size_t n = plan().pipes.size();
  const std::vector<std::vector<GiPrimitive>> samples = samplePrimitives(kKinds);
  AcGiRecordingWorldDraw wd(kAcGiStandardDisplay);
  AcDbMText label;
  label.setContents(plan().pipes[0]->strText.c_str());
  label.setTextHeight(plan().pipes[0]->mtLabel.textHeight());
  for (auto _ : state) {
    for (size_t i = 0; i < n; ++i) {
      for (const GiPrimitive& p : samples[i % kKinds]) replay(p, label, wd.geometry());
      wd.clear();
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
}
BENCHMARK(BM_DrawPlanRecorderOnly)->Unit(benchmark::kMillisecond);

}  // namespace
