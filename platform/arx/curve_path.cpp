// The plain curve entities seen as curve paths: how each one lays its pieces and
// parameters out, and the snaps, extents and explosion pieces that follow from that.
#include <algorithm>
#include <cmath>

#include "arx/curve_geometry.h"

HostOcs::HostOcs(const AcGeVector3d& normal)
    : x(), y(), z(normal.isZeroLength() ? AcGeVector3d::kZAxis : normal.normal()) {
  x = z.perpVector();
  y = z.crossProduct(x);
}

AcGePoint3d HostOcs::toOcs(const AcGePoint3d& world) const {
  AcGeVector3d v = world - AcGePoint3d::kOrigin;
  return {v.dotProduct(x), v.dotProduct(y), v.dotProduct(z)};
}

AcGePoint3d HostOcs::toWorld(const AcGePoint3d& ocs) const {
  return AcGePoint3d::kOrigin + x * ocs.x + y * ocs.y + z * ocs.z;
}

namespace {

void addOnePiece(GeCurvePath& out, const GeCurvePiece& piece, double endParam) {
  out.addKnot(0.0);
  out.addPiece(piece);
  out.addKnot(endParam);
}

// Arcs and circles: the parameter is the angle turned from the start, so that the
// distance is the radius times the parameter.
void arcPath(GeCurvePath& out, const AcGePoint3d& center, const AcGeVector3d& normal, double radius,
             double startAngle, double sweep) {
  HostOcs ocs(normal);
  addOnePiece(out, GeCurvePiece::arc(center, radius, ocs.z, ocs.direction(startAngle), sweep), sweep);
}

// A simple polyline: vertex i at parameter i, the segments straight between them.
void polylinePath(GeCurvePath& out, const AcDb2dPolyline* pl) {
  const std::vector<AcGePoint2d>& v = pl->vertices2d();
  double z = pl->elevation();
  if (pl->polyType() == AcDb::k2dFitCurvePoly) return hostAppendFitCurve(out, v, pl->isClosed(), z);
  int n = static_cast<int>(v.size());
  if (n == 0) return;
  int spans = pl->isClosed() ? n : n - 1;
  out.setClosed(pl->isClosed());
  out.addKnot(0.0);
  if (spans == 0) out.addPiece(GeCurvePiece::line({v[0].x, v[0].y, z}, {v[0].x, v[0].y, z}));
  for (int i = 0; i < spans; ++i) {
    const AcGePoint2d &a = v[i], &b = v[(i + 1) % n];
    out.addPiece(GeCurvePiece::line({a.x, a.y, z}, {b.x, b.y, z}));
    out.addKnot(i + 1.0);
  }
}

// The world direction the view looks along: the view matrix's z row.
AcGeVector3d viewDirection(const AcGeMatrix3d& viewXform) {
  AcGeVector3d v(viewXform(2, 0), viewXform(2, 1), viewXform(2, 2));
  return v.isZeroLength() ? AcGeVector3d::kZAxis : v.normal();
}

void appendUnique(AcGePoint3dArray& points, const AcGePoint3d& p) {
  if (!points.contains(p)) points.append(p);
}

}  // namespace

bool hostCurvePath(const AcDbEntity* ent, GeCurvePath& out) {
  out = GeCurvePath();
  if (const AcDbLine* line = AcDbLine::cast(ent)) {
    GeCurvePiece piece = GeCurvePiece::line(line->startPoint(), line->endPoint());
    addOnePiece(out, piece, piece.length());
    return true;
  }
  if (const AcDbArc* arc = AcDbArc::cast(ent)) {
    arcPath(out, arc->center(), arc->normal(), arc->radius(), arc->startAngle(), arc->sweep());
    return true;
  }
  if (const AcDbCircle* circle = AcDbCircle::cast(ent)) {
    arcPath(out, circle->center(), circle->normal(), circle->radius(), 0.0, 2 * M_PI);
    out.setClosed(true);
    return true;
  }
  if (const AcDb2dPolyline* pl = AcDb2dPolyline::cast(ent)) {
    polylinePath(out, pl);
    return true;
  }
  return false;
}

AcDbCurve* hostCurveFromPiece(const GeCurvePiece& piece) {
  if (!piece.isArc()) return new AcDbLine(piece.startPoint(), piece.endPoint());
  GeCurvePiece arc = piece.normal().z < 0 ? piece.reversed() : piece;
  HostOcs ocs(arc.normal());
  if (arc.sweep() >= 2 * M_PI) return new AcDbCircle(arc.center(), ocs.z, arc.radius());
  double start = ocs.angleOf(arc.startDir());
  return new AcDbArc(arc.center(), ocs.z, arc.radius(), start, start + arc.sweep());
}

Acad::ErrorStatus hostCurveOsnapPoints(const GeCurvePath& path, unsigned offered, AcDb::OsnapMode mode,
                                       const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                       const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints) {
  if (mode < 0 || mode > 31 || (offered & (1u << mode)) == 0) return Acad::eInvalidInput;
  if (path.isEmpty()) return Acad::eInvalidInput;
  AcGeVector3d view = viewDirection(viewXform);
  std::vector<double> knots = path.knotParams();
  switch (mode) {
    case AcDb::kOsModeEnd:
      for (double k : knots) {
        AcGePoint3d p;
        if (path.pointAtParam(k, p) == Acad::eOk) appendUnique(snapPoints, p);
      }
      return Acad::eOk;
    case AcDb::kOsModeMid:
      for (size_t i = 0; i + 1 < knots.size(); ++i) {
        double d0 = 0, d1 = 0;
        AcGePoint3d p;
        if (path.distAtParam(knots[i], d0) == Acad::eOk && path.distAtParam(knots[i + 1], d1) == Acad::eOk &&
            path.pointAtDist((d0 + d1) / 2, p) == Acad::eOk)
          appendUnique(snapPoints, p);
      }
      return Acad::eOk;
    case AcDb::kOsModeCen:
      for (const GeCurvePiece& piece : path.pieces())
        if (piece.isArc()) appendUnique(snapPoints, piece.center());
      return Acad::eOk;
    case AcDb::kOsModeQuad:
      for (const GeCurvePiece& piece : path.pieces()) {
        if (!piece.isArc()) continue;
        HostOcs ocs(piece.normal());
        for (int q = 0; q < 4; ++q) {
          AcGePoint3d p = piece.center() + ocs.direction(q * M_PI / 2) * piece.radius();
          double size = piece.radius() + std::max({std::abs(p.x), std::abs(p.y), std::abs(p.z)});
          if (piece.contains(p, false, false, geLengthTol(size))) appendUnique(snapPoints, p);
        }
      }
      return Acad::eOk;
    case AcDb::kOsModeNear: {
      AcGePoint3d p;
      Acad::ErrorStatus es = path.closestPoint(pickPoint, view, false, p);
      if (es == Acad::eOk) snapPoints.append(p);
      return es;
    }
    case AcDb::kOsModePerp:
      for (const AcGePoint3d& p : path.perpendicularFeet(lastPoint, view)) appendUnique(snapPoints, p);
      return Acad::eOk;
    default:
      return Acad::eInvalidInput;
  }
}

Acad::ErrorStatus hostCurveExtents(const GeCurvePath& path, AcDbExtents& extents) {
  AcGePoint3d lo, hi;
  if (!path.extents(lo, hi)) return Acad::eInvalidExtents;
  extents.addPoint(lo);
  extents.addPoint(hi);
  return Acad::eOk;
}
