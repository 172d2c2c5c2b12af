// The P-trap's points and its fit curve, from the pipe's end and the trap's width.
#include "pipe/ptrap_geometry.h"

#include <cmath>

namespace {

const AcGeVector3d kDown(0, -1, 0);

AcGePoint3d withZ(const AcGePoint3d& p, double z) { return {p.x, p.y, z}; }

}  // namespace

PtrapPoints PtrapPoints::atElevation(double z) const {
  return {withZ(lineEnd, z), withZ(a, z),  withZ(b, z), withZ(c1, z),
          withZ(c2, z),      withZ(e, z),  withZ(d, z), withZ(offEnd, z)};
}

PtrapPoints ptrapPointsFrom(const AcGePoint3d& lineEnd, const AcGePoint3d& offEnd, double angle, double width) {
  const double z = lineEnd.z;
  const AcGeVector3d along(std::cos(angle), std::sin(angle), 0);
  PtrapPoints p;
  p.lineEnd = lineEnd;
  p.offEnd = withZ(offEnd, z);
  p.a = lineEnd + kDown * (width / 2);
  p.d = p.offEnd + kDown * (width / 2);
  p.b = p.a + kDown * kPtrapCurveInset;
  p.e = p.d + kDown * kPtrapCurveInset;
  p.c1 = p.a + along * (width * (0.5 - kPtrapCurveInset)) + kDown * (width / 2);
  p.c2 = p.a + along * (width * (0.5 + kPtrapCurveInset)) + kDown * (width / 2);
  return p;
}

double ptrapPipeAngle(const PlumbPipe& pipe) {
  return std::atan2(pipe.ptEnd.y - pipe.ptStart.y, pipe.ptEnd.x - pipe.ptStart.x);
}

PtrapPoints ptrapPoints(const PlumbPipe& pipe) {
  const double angle = ptrapPipeAngle(pipe);
  AcGePoint3d offEnd(pipe.ptEnd.x, pipe.ptEnd.y, pipe.ptStart.z);
  if (pipe.dOffsetDistance != 0.0) {
    const double side = angle + kPtrapRightAngle;
    offEnd += AcGeVector3d(std::cos(side), std::sin(side), 0) * pipe.dOffsetDistance;
  }
  const AcGeVector3d along(std::cos(angle), std::sin(angle), 0);
  const AcGePoint3d lineEnd = offEnd - along * pipe.dPtrapWidth;
  return ptrapPointsFrom(lineEnd, offEnd, angle, pipe.dPtrapWidth);
}

AcGePoint3dArray ptrapCurveVertices(const PtrapPoints& points) {
  return {points.a, points.b, points.c1, points.c2, points.e, points.d};
}

std::unique_ptr<AcDb2dPolyline> newPtrapCurve(const PtrapPoints& points) {
  return std::make_unique<AcDb2dPolyline>(AcDb::k2dFitCurvePoly, ptrapCurveVertices(points), points.a.z);
}

double ptrapCurveLength(const AcDb2dPolyline& curve) {
  double endParam = 0.0, length = 0.0;
  if (curve.getEndParam(endParam) != Acad::eOk) return 0.0;
  if (curve.getDistAtParam(endParam, length) != Acad::eOk) return 0.0;
  return length;
}
