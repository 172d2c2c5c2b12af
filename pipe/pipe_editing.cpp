// How the host edits a pipe: grips, stretching, transformations, snaps, extents,
// explosion and intersections. Edits move a pipe in plan and keep its elevations.
#include <cmath>

#include "pipe/PlumbPipe.h"

namespace {

// A pipe that only rises or drops: its ends meet in plan, so it has one point of its
// own (the start) wherever the host asks for points.
bool planEqual(const AcGePoint3d& a, const AcGePoint3d& b) { return a.convert2d().isEqualTo(b.convert2d()); }

AcGePoint3d onGround(const AcGePoint3d& p) { return {p.x, p.y, 0.0}; }

bool isFinitePlanOffset(const AcGeVector3d& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

bool isFinitePoint(const AcGePoint3d& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

AcGePoint3d movedInPlan(const AcGePoint3d& p, const AcGeVector3d& offset) {
  return {p.x + offset.x, p.y + offset.y, p.z};
}

// Which ends an edit moves.
struct MovedEnds {
  bool start = false;
  bool end = false;
};

}  // namespace

// ---- grips and stretch points ---------------------------------------------------------

Acad::ErrorStatus PlumbPipe::subGetGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray&, AcDbIntArray&) const {
  assertReadEnabled();
  gripPoints.append(onGround(ptStart + (ptEnd - ptStart) * 0.5));
  if (!planEqual(ptStart, ptEnd)) gripPoints.append(onGround(ptStart)).append(onGround(ptEnd));
  return Acad::eOk;
}

// Grip 0 (the midpoint) drags the whole pipe, grip 1 its start, grip 2 its end. An
// index the pipe never offers is refused before anything moves.
Acad::ErrorStatus PlumbPipe::subMoveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (!isFinitePlanOffset(offset)) return Acad::eInvalidInput;
  MovedEnds moved;
  for (int index : indices) {
    if (index < 0 || index > 2) return Acad::eInvalidIndex;
    moved.start = moved.start || index != 2;
    moved.end = moved.end || index != 1;
  }
  if (moved.start) setStartPoint(movedInPlan(ptStart, offset), false);
  if (moved.end) setEndPoint(movedInPlan(ptEnd, offset), false);
  return Acad::eOk;
}

Acad::ErrorStatus PlumbPipe::subGetStretchPoints(AcGePoint3dArray& stretchPoints) const {
  assertReadEnabled();
  stretchPoints.append(onGround(ptStart));
  if (!onGround(ptEnd).isEqualTo(onGround(ptStart))) stretchPoints.append(onGround(ptEnd));
  return Acad::eOk;
}

// Point 0 is the start and point 1 the end; a pipe whose ends meet in plan offers only
// point 0, and stretching it takes the whole pipe along.
Acad::ErrorStatus PlumbPipe::subMoveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (!isFinitePlanOffset(offset)) return Acad::eInvalidInput;
  for (int index : indices)
    if (index < 0 || index > 1) return Acad::eInvalidIndex;
  MovedEnds moved;
  if (!planEqual(ptStart, ptEnd)) {
    moved.start = indices.contains(0);
    moved.end = indices.contains(1);
  } else if (!indices.isEmpty() && indices.first() == 0) {
    moved.start = moved.end = true;
  }
  if (moved.start) setStartPoint(movedInPlan(ptStart, offset), false);
  if (moved.end) setEndPoint(movedInPlan(ptEnd, offset), false);
  return Acad::eOk;
}

// ---- transformation, extents, explosion -----------------------------------------------

// Only x and y of the transformed ends are taken: moving, turning, mirroring or scaling
// a pipe never changes the elevations the LISP program gave it.
Acad::ErrorStatus PlumbPipe::subTransformBy(const AcGeMatrix3d& xform) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  AcGePoint3d start = ptStart, end = ptEnd;
  start.transformBy(xform);
  end.transformBy(xform);
  if (!std::isfinite(start.x) || !std::isfinite(start.y) || !std::isfinite(end.x) || !std::isfinite(end.y))
    return Acad::eInvalidInput;
  setStartPoint(start, false);
  setEndPoint(end, false);
  return Acad::eOk;
}

Acad::ErrorStatus PlumbPipe::subGetGeomExtents(AcDbExtents& extents) const {
  assertReadEnabled();
  extents.addPoint(ptStart);
  if (!planEqual(ptStart, ptEnd)) extents.addPoint(ptEnd);
  return Acad::eOk;
}

// The host's EXPLODE leaves pipes alone; the LISP program explodes them itself with
// ov_plumb-explodePipe, which knows the layers and the breaks.
Acad::ErrorStatus PlumbPipe::subExplode(AcDbVoidPtrArray&) const { return Acad::eNotApplicable; }

// ---- object snaps ---------------------------------------------------------------------

Acad::ErrorStatus PlumbPipe::subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker, const AcGePoint3d& pickPoint,
                                               const AcGePoint3d& lastPoint, const AcGeMatrix3d&,
                                               AcGePoint3dArray& snapPoints, AcDbIntArray&) const {
  assertReadEnabled();
  const bool riser = planEqual(ptStart, ptEnd);
  auto endPoints = [&] {
    snapPoints.append(ptStart);
    if (!riser) snapPoints.append(ptEnd);
    return Acad::eOk;
  };
  switch (mode) {
    case AcDb::kOsModeEnd: return endPoints();
    case AcDb::kOsModeMid:
      snapPoints.append(ptStart + (ptEnd - ptStart) * 0.5);
      return Acad::eOk;
    case AcDb::kOsModeCen:
      // Only a riser is drawn as a circle about its start.
      return riser ? endPoints() : Acad::eInvalidInput;
    case AcDb::kOsModePerp:
    case AcDb::kOsModeNear: {
      if (riser) return endPoints();
      const AcGePoint3d& from = mode == AcDb::kOsModePerp ? lastPoint : pickPoint;
      AcDbLine run(ptStart, ptEnd);
      AcGePoint3d onPipe;
      Acad::ErrorStatus es = run.getClosestPointTo(from, AcGeVector3d::kZAxis, onPipe, false);
      if (es == Acad::eOk) snapPoints.append(onPipe);
      return es;
    }
    default: return Acad::eInvalidInput;
  }
}

// ---- intersections ----------------------------------------------------------------------

namespace {

// The other entity answers for the pipe, so "extend this" and "extend the argument"
// change places.
AcDb::Intersect mirrored(AcDb::Intersect type) {
  if (type == AcDb::kExtendThis) return AcDb::kExtendArg;
  if (type == AcDb::kExtendArg) return AcDb::kExtendThis;
  return type;
}

}  // namespace

// Another entity meets a pipe where it meets the straight run from start to end; the
// run stands in as a plain line and the other entity is asked about it.
Acad::ErrorStatus PlumbPipe::intersectWith(const AcDbEntity* other, AcDb::Intersect intType,
                                           AcGePoint3dArray& points, Adesk::GsMarker, Adesk::GsMarker) const {
  assertReadEnabled();
  if (other == nullptr) return Acad::eNullObjectPointer;
  AcDbLine run(ptStart, ptEnd);
  run.setNormal(AcGeVector3d::kZAxis);
  return other->intersectWith(&run, mirrored(intType), points, 0, 0);
}

Acad::ErrorStatus PlumbPipe::intersectWith(const AcDbEntity* other, AcDb::Intersect intType,
                                           const AcGePlane& projPlane, AcGePoint3dArray& points, Adesk::GsMarker,
                                           Adesk::GsMarker) const {
  assertReadEnabled();
  if (other == nullptr) return Acad::eNullObjectPointer;
  AcDbLine run(ptStart, ptEnd);
  run.setNormal(AcGeVector3d::kZAxis);
  return other->intersectWith(&run, mirrored(intType), projPlane, points, 0, 0);
}

// ---- curve queries ------------------------------------------------------------------------

// The queries work in space: the parameter of a point is its distance from the start
// along the run.

namespace {

// The unit vector from start to end (zero for a pipe of no length).
AcGeVector3d runDirection(const AcGePoint3d& start, const AcGePoint3d& end) { return (end - start).normal(); }

}  // namespace

Acad::ErrorStatus PlumbPipe::getStartParam(double& param) const {
  assertReadEnabled();
  param = 0.0;
  return Acad::eOk;
}

Acad::ErrorStatus PlumbPipe::getEndParam(double& param) const {
  assertReadEnabled();
  param = ptStart.distanceTo(ptEnd);
  return Acad::eOk;
}

Acad::ErrorStatus PlumbPipe::getStartPoint(AcGePoint3d& point) const {
  assertReadEnabled();
  point = ptStart;
  return Acad::eOk;
}

Acad::ErrorStatus PlumbPipe::getEndPoint(AcGePoint3d& point) const {
  assertReadEnabled();
  point = ptEnd;
  return Acad::eOk;
}

Acad::ErrorStatus PlumbPipe::getPointAtParam(double param, AcGePoint3d& point) const {
  assertReadEnabled();
  AcGePoint3d at = ptStart + runDirection(ptStart, ptEnd) * param;
  if (!isFinitePoint(at)) return Acad::eInvalidInput;
  point = at;
  return Acad::eOk;
}

Acad::ErrorStatus PlumbPipe::getPointAtDist(double dist, AcGePoint3d& point) const {
  return getPointAtParam(dist, point);
}

Acad::ErrorStatus PlumbPipe::getParamAtPoint(const AcGePoint3d& point, double& param) const {
  assertReadEnabled();
  if (!isFinitePoint(point)) return Acad::eInvalidInput;
  param = (point - ptStart).dotProduct(runDirection(ptStart, ptEnd));
  return Acad::eOk;
}

Acad::ErrorStatus PlumbPipe::getDistAtParam(double param, double& dist) const {
  assertReadEnabled();
  dist = param;
  return Acad::eOk;
}

Acad::ErrorStatus PlumbPipe::getParamAtDist(double dist, double& param) const { return getDistAtParam(dist, param); }

// The straight distance from the start: a point off the pipe is not first brought onto
// it.
Acad::ErrorStatus PlumbPipe::getDistAtPoint(const AcGePoint3d& point, double& dist) const {
  assertReadEnabled();
  if (!isFinitePoint(point)) return Acad::eInvalidInput;
  dist = ptStart.distanceTo(point);
  return Acad::eOk;
}

// Extending, like every edit, moves an end in plan only.
Acad::ErrorStatus PlumbPipe::extend(bool extendStart, const AcGePoint3d& toPoint) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (!std::isfinite(toPoint.x) || !std::isfinite(toPoint.y)) return Acad::eInvalidInput;
  if (extendStart)
    setStartPoint(toPoint, false);
  else
    setEndPoint(toPoint, false);
  return Acad::eOk;
}

// A negative parameter lies before the start, any other at or beyond the end.
Acad::ErrorStatus PlumbPipe::extend(double newParam) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  AcGePoint3d to;
  Acad::ErrorStatus es = getPointAtParam(newParam, to);
  return es == Acad::eOk ? extend(newParam < 0.0, to) : es;
}
