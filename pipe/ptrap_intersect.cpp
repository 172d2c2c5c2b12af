// Crossings of a P-trap with a line, a pipe's arc or another trap. The trap's lines
// are prolonged so that a crossing just past their ends still yields a break there;
// a crossing near the top of a line also breaks the curve (the "polyline" companion),
// so that the LISP program gets one break for each part the gap reaches into.
#include "pipe/ptrap_intersect.h"

#include <cmath>
#include <functional>
#include <memory>

#include "pipe/ptrap_geometry.h"

namespace {

enum class TrapPart { kLine1, kCurve, kLine2 };

constexpr TrapPart kTrapParts[] = {TrapPart::kLine1, TrapPart::kCurve, TrapPart::kLine2};

// The distance along the other object of a point where it meets the trap; false
// when it cannot be had. An empty one adds no "entity" entries.
using EntityDistance = std::function<bool(const AcGePoint3d&, double&)>;

AcGePoint3d flat(const AcGePoint3d& p) { return {p.x, p.y, 0.0}; }
AcGeVector3d direction(double angle) { return {std::cos(angle), std::sin(angle), 0.0}; }

// The trap in the plane z 0, line1 and line2 prolonged by d at both ends: line1 runs
// down from above lineEnd, line2 up from below d.
class TrapParts {
 public:
  TrapParts(const PlumbPipe& pipe, double d) : prolongation_(d) {
    const PtrapPoints p = ptrapPoints(pipe).atElevation(0.0);
    const AcGeVector3d up(0.0, d, 0.0);
    line1_ = std::make_unique<AcDbLine>(p.lineEnd + up, p.a - up);
    line2_ = std::make_unique<AcDbLine>(p.d - up, p.offEnd + up);
    curve_ = newPtrapCurve(p);
    curveLength_ = ptrapCurveLength(*curve_);
  }

  const AcDbCurve& part(TrapPart which) const {
    switch (which) {
      case TrapPart::kLine1: return *line1_;
      case TrapPart::kCurve: return *curve_;
      case TrapPart::kLine2: break;
    }
    return *line2_;
  }

  // Adds the trap's entries for every point where the part meets the other object.
  void addPartHits(TrapPart which, const AcDbEntity& other, const EntityDistance& entity, PtrapHits& hits) const {
    const AcDbCurve& curve = part(which);
    AcGePoint3dArray points;
    if (curve.intersectWith(&other, AcDb::kOnBothOperands, points) != Acad::eOk) return;
    for (const AcGePoint3d& point : points) {
      double s = 0.0;
      if (entity && entity(point, s)) hits.emplace_back(L"entity", s);
      double dist = 0.0;
      if (curve.getDistAtPoint(point, dist) != Acad::eOk) continue;
      addPartDistance(which, dist, hits);
    }
  }

  // Line1, the curve and line2 in turn against one object.
  void addHits(const AcDbEntity& other, const EntityDistance& entity, PtrapHits& hits) const {
    for (TrapPart which : kTrapParts) addPartHits(which, other, entity, hits);
  }

 private:
  // The distances on the prolonged lines are given back from their true first points.
  void addPartDistance(TrapPart which, double dist, PtrapHits& hits) const {
    const double d = prolongation_;
    const double t = dist - d;
    switch (which) {
      case TrapPart::kLine1:
        hits.emplace_back(L"line1", t);
        if (0.0 < t && t < d) hits.emplace_back(L"polyline", -t);
        break;
      case TrapPart::kCurve:
        hits.emplace_back(L"polyline", dist);
        break;
      case TrapPart::kLine2:
        hits.emplace_back(L"line2", t);
        if (0.0 < t && t < d) hits.emplace_back(L"polyline", curveLength_ + t);
        break;
    }
  }

  double prolongation_;
  std::unique_ptr<AcDbLine> line1_, line2_;
  std::unique_ptr<AcDb2dPolyline> curve_;
  double curveLength_ = 0.0;
};

}  // namespace

bool intersectPtrapLine(const PlumbPipe& pipe, double d, const AcGePoint3d& p1, const AcGePoint3d& p2,
                        PtrapHits& hits) {
  AcGePoint3d start = flat(p1), end = flat(p2);
  const AcGeVector3d along = end - start;
  // A line of no length has no direction to prolong it in and crosses nothing.
  if (along.isZeroLength()) return false;
  if (d != 0.0) {
    const AcGeVector3d unit = along.normal();
    start -= unit * d;
    end += unit * d;
  }
  const AcDbLine line(start, end);
  const TrapParts trap(pipe, d);
  trap.addHits(line, [&](const AcGePoint3d& point, double& s) {
    if (line.getDistAtPoint(point, s) != Acad::eOk) return false;
    s -= d;
    return true;
  }, hits);
  return true;
}

bool intersectPtrapArc(const PlumbPipe& pipe, double d, const PtrapCrossingArc& arc, PtrapHits& hits) {
  if (arc.normal != 1 && arc.normal != -1) return false;
  if (!(arc.radius > 0.0) || !(arc.sweep > 0.0) || !(arc.sweep <= 2 * M_PI)) return false;
  const AcGePoint3d start = flat(arc.start);
  const AcGePoint3d center = start + direction(arc.angle + arc.normal * kPtrapRightAngle) * arc.radius;
  const AcGeVector3d toStart = start - center;
  const double startAngle = std::atan2(toStart.y, toStart.x);
  const double endAngle = startAngle + arc.normal * arc.sweep;
  // The host's arc turns counter-clockwise: an arc turning right starts at its far end.
  const double ccwStart = arc.normal == 1 ? startAngle : endAngle;
  const AcDbArc hostArc(center, arc.radius, ccwStart, ccwStart + arc.sweep);
  const AcGePoint3d end = center + direction(endAngle) * arc.radius;
  const double arcLength = arc.radius * arc.sweep;

  const TrapParts trap(pipe, d);
  if (d != 0.0) {
    const AcDbLine before(start, start - direction(arc.angle) * d);
    trap.addHits(before, [&](const AcGePoint3d& point, double& s) {
      s = -point.distanceTo(start);
      return true;
    }, hits);
  }
  trap.addHits(hostArc, [&](const AcGePoint3d& point, double& s) {
    return hostArc.getDistAtPoint(point, s) == Acad::eOk;
  }, hits);
  if (d != 0.0) {
    const AcDbLine after(end, end + direction(endAngle + arc.normal * kPtrapRightAngle) * d);
    trap.addHits(after, [&](const AcGePoint3d& point, double& s) {
      s = arcLength + point.distanceTo(end);
      return true;
    }, hits);
  }
  return true;
}

bool intersectPtrapPtrap(const PlumbPipe& pipe, double d, const PlumbPipe& other, PtrapHits& hits) {
  const TrapParts trap(pipe, d);
  const TrapParts theirs(other, d);
  for (TrapPart mine : kTrapParts)
    for (TrapPart their : {TrapPart::kCurve, TrapPart::kLine1, TrapPart::kLine2})
      trap.addPartHits(mine, theirs.part(their), EntityDistance(), hits);
  return true;
}
