// How a flow arrow draws: the arrowhead at the head (or at the tail when reversed), a
// mark across the pipe at each hanger, and the hanger points offered as snaps.
#include <cmath>

#include "arrow/PlumbPipeArrow.h"

namespace {

// The arrow has always been drawn with this value of pi; keeping it keeps old
// drawings' strokes exactly where they were.
constexpr double kPi = 3.14159265;

// A plan direction with its cosine and sine worked out once, for every point an arrow
// moves along it.
struct PlanDirection {
  explicit PlanDirection(double angle) : c(std::cos(angle)), s(std::sin(angle)) {}
  double c, s;
};

// The point moved by distance in the plan direction, its elevation kept.
AcGePoint3d polar(const AcGePoint3d& from, const PlanDirection& dir, double distance) {
  return {from.x + dir.c * distance, from.y + dir.s * distance, from.z};
}
AcGePoint3d polar(const AcGePoint3d& from, double angle, double distance) {
  return polar(from, PlanDirection(angle), distance);
}

// Hands mark(point, crossed) each hanger that lies strictly inside the plan length, in
// list order, without making a list of them (an arrow draws at every regeneration).
template <typename Mark>
void forEachHanger(const AcGePoint3d& start, const AcGePoint3d& end, double plan, const PlanDirection& along,
                   const AcGeDoubleArray& distances, Mark mark) {
  for (double value : distances) {
    const double distance = std::fabs(value);
    // A hanger at the very end or past it belongs to the next pipe.
    if (!(plan > distance)) continue;
    AcGePoint3d point = polar(start, along, distance);
    // On a sloped pipe the hanger sits on the slope, not at the start's elevation.
    if (start.z != end.z) point.z = start.z + (end.z - start.z) * distance / plan;
    mark(point, value < 0.0);
  }
}

void drawStroke(AcGiWorldGeometry& geometry, const AcGePoint3d& from, const AcGePoint3d& to) {
  const AcGePoint3d points[2] = {from, to};
  geometry.polyline(2, points);
}

}  // namespace

bool PlumbPipeArrow::coincidesInPlan() const { return ptStart.convert2d().isEqualTo(ptEnd.convert2d()); }

double PlumbPipeArrow::planLength() const { return ptStart.convert2d().distanceTo(ptEnd.convert2d()); }

double PlumbPipeArrow::planAngle() const { return std::atan2(ptEnd.y - ptStart.y, ptEnd.x - ptStart.x); }

double PlumbPipeArrow::strokeLength() const {
  const double plan = planLength();
  return dArrowLength > plan ? plan * 0.5 : dArrowLength;
}

std::vector<PlumbPipeArrow::HangerMark> PlumbPipeArrow::hangerMarks() const {
  std::vector<HangerMark> marks;
  forEachHanger(ptStart, ptEnd, planLength(), PlanDirection(planAngle()), hangerDistances,
                [&](const AcGePoint3d& point, bool crossed) { marks.push_back({point, crossed}); });
  return marks;
}

bool PlumbPipeArrow::subWorldDraw(AcGiWorldDraw* wd) {
  assertReadEnabled();
  AcGiWorldGeometry& geometry = wd->geometry();
  // Points on top of each other in plan: a riser, shown as the one line between them.
  if (coincidesInPlan()) {
    drawStroke(geometry, ptStart, ptEnd);
    return true;
  }
  const double length = strokeLength();
  const double angle = planAngle();
  const double spread = kPi * 0.125;
  if (bReverse) {
    const AcGePoint3d tail = dTailOffset == 0.0 ? ptStart : polar(ptStart, angle, dTailOffset);
    drawStroke(geometry, tail, polar(tail, angle - spread, length));
    drawStroke(geometry, tail, polar(tail, angle + spread, length));
  } else {
    const AcGePoint3d head = dHeadOffset == 0.0 ? ptEnd : polar(ptEnd, angle, -dHeadOffset);
    drawStroke(geometry, head, polar(head, angle + kPi - spread, length));
    drawStroke(geometry, head, polar(head, angle + kPi + spread, length));
  }

  const double across = kPi * 0.5;
  const PlanDirection along(angle), leftward(angle + across), rightward(angle - across);
  forEachHanger(ptStart, ptEnd, planLength(), along, hangerDistances, [&](const AcGePoint3d& point, bool crossed) {
    const AcGePoint3d left = polar(point, leftward, length * 0.25);
    const AcGePoint3d right = polar(point, rightward, length * 0.25);
    if (!crossed) {
      drawStroke(geometry, left, right);
      return;
    }
    // The second kind: two strokes leaning against each other, crossing at the hanger.
    const AcGePoint3d first = polar(left, along, 0.025 * length);
    const AcGePoint3d second = polar(right, along, -0.025 * length);
    drawStroke(geometry, first, second);
    drawStroke(geometry, polar(first, along, -0.05 * length), polar(second, along, 0.05 * length));
  });
  return true;
}

Acad::ErrorStatus PlumbPipeArrow::subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker, const AcGePoint3d&,
                                                    const AcGePoint3d&, const AcGeMatrix3d&,
                                                    AcGePoint3dArray& snapPoints, AcDbIntArray&) const {
  assertReadEnabled();
  if (mode != AcDb::kOsModeEnd && mode != AcDb::kOsModeMid) return Acad::eInvalidInput;
  for (const HangerMark& mark : hangerMarks()) snapPoints.append(mark.point);
  return Acad::eOk;
}
