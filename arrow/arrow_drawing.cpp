// How a flow arrow draws: the arrowhead at the head (or at the tail when reversed), a
// mark across the pipe at each hanger, and the hanger points offered as snaps.
#include <cmath>

#include "arrow/PlumbPipeArrow.h"

namespace {

// The arrow has always been drawn with this value of pi; keeping it keeps old
// drawings' strokes exactly where they were.
constexpr double kPi = 3.14159265;

// The point moved by distance in the plan direction angle, its elevation kept.
AcGePoint3d polar(const AcGePoint3d& from, double angle, double distance) {
  return {from.x + std::cos(angle) * distance, from.y + std::sin(angle) * distance, from.z};
}

void drawStroke(AcGiWorldDraw* wd, const AcGePoint3d& from, const AcGePoint3d& to) {
  const AcGePoint3d points[2] = {from, to};
  wd->geometry().polyline(2, points);
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
  const double plan = planLength();
  const double angle = planAngle();
  for (double value : hangerDistances) {
    const double along = std::fabs(value);
    // A hanger at the very end or past it belongs to the next pipe.
    if (!(plan > along)) continue;
    HangerMark mark{polar(ptStart, angle, along), value < 0.0};
    // On a sloped pipe the hanger sits on the slope, not at the start's elevation.
    if (ptStart.z != ptEnd.z) mark.point.z = ptStart.z + (ptEnd.z - ptStart.z) * along / plan;
    marks.push_back(mark);
  }
  return marks;
}

bool PlumbPipeArrow::subWorldDraw(AcGiWorldDraw* wd) {
  assertReadEnabled();
  // Points on top of each other in plan: a riser, shown as the one line between them.
  if (coincidesInPlan()) {
    drawStroke(wd, ptStart, ptEnd);
    return true;
  }
  const double length = strokeLength();
  const double angle = planAngle();
  const double spread = kPi * 0.125;
  if (bReverse) {
    const AcGePoint3d tail = dTailOffset == 0.0 ? ptStart : polar(ptStart, angle, dTailOffset);
    drawStroke(wd, tail, polar(tail, angle - spread, length));
    drawStroke(wd, tail, polar(tail, angle + spread, length));
  } else {
    const AcGePoint3d head = dHeadOffset == 0.0 ? ptEnd : polar(ptEnd, angle, -dHeadOffset);
    drawStroke(wd, head, polar(head, angle + kPi - spread, length));
    drawStroke(wd, head, polar(head, angle + kPi + spread, length));
  }

  const double across = kPi * 0.5;
  for (const HangerMark& mark : hangerMarks()) {
    const AcGePoint3d left = polar(mark.point, angle + across, length * 0.25);
    const AcGePoint3d right = polar(mark.point, angle - across, length * 0.25);
    if (!mark.crossed) {
      drawStroke(wd, left, right);
      continue;
    }
    // The second kind: two strokes leaning against each other, crossing at the hanger.
    const AcGePoint3d first = polar(left, angle, 0.025 * length);
    const AcGePoint3d second = polar(right, angle, -0.025 * length);
    drawStroke(wd, first, second);
    drawStroke(wd, polar(first, angle, -0.05 * length), polar(second, angle, 0.05 * length));
  }
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
