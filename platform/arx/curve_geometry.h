// The bridge between the host's plain curve entities (line, arc, circle, 2D polyline)
// and the curve path geometry that answers their queries, snaps, extents and
// intersections.
#pragma once

#include <vector>

#include "arx/db_entities.h"
#include "arx/ge_curves.h"

// The path of a plain curve, its parameters laid on as the entity defines them; false
// (and the path left empty) for any other entity. The entity must be readable.
bool hostCurvePath(const AcDbEntity* ent, GeCurvePath& out);

// What AcDbEntity::intersectWith answers (both forms; projPlane null for the form in
// space). Without a plane: the points the two curves share in space. With a plane: the
// points where their projections onto the plane cross, in the plane. kExtendThis
// extends a, kExtendArg extends b. When b is not a plain curve, b is asked in turn (once)
// with the roles swapped, so that a custom entity's own intersectWith answers.
Acad::ErrorStatus hostIntersectEntities(const AcDbEntity* a, const AcDbEntity* b, AcDb::Intersect type,
                                        const AcGePlane* projPlane, AcGePoint3dArray& points);

// Appends the fit curve through the vertices (at z = elevation) to a path: two arcs
// between each pair of vertices, vertex i at parameter i (see polyline_fit.cpp).
void hostAppendFitCurve(GeCurvePath& path, const std::vector<AcGePoint2d>& vertices, bool closed, double elevation);

// A new (database-free) line or arc for one piece of a path; an arc turning clockwise
// in plan is given as the same arc counter-clockwise about (0,0,1).
AcDbCurve* hostCurveFromPiece(const GeCurvePiece& piece);

// The OCS of a normal (the host's arbitrary axis rule), in which arc angles and the
// DXF coordinates of arcs and circles are given.
struct HostOcs {
  AcGeVector3d x, y, z;
  explicit HostOcs(const AcGeVector3d& normal);
  AcGePoint3d toOcs(const AcGePoint3d& world) const;
  AcGePoint3d toWorld(const AcGePoint3d& ocs) const;
  AcGeVector3d direction(double angle) const { return x * std::cos(angle) + y * std::sin(angle); }
  double angleOf(const AcGeVector3d& v) const { return std::atan2(v.dotProduct(y), v.dotProduct(x)); }
};

// Snap modes a curve offers, as a mask of (1 << mode).
constexpr unsigned hostSnapMask(std::initializer_list<AcDb::OsnapMode> modes) {
  unsigned mask = 0;
  for (AcDb::OsnapMode m : modes) mask |= 1u << m;
  return mask;
}
// Object snap points of a path: end (knot points), mid (the middle of every knot
// span), centre and quadrants (of its arcs), nearest to the pick point and
// perpendicular from the last point, both seen along the view direction. A mode
// outside `offered` answers eInvalidInput.
Acad::ErrorStatus hostCurveOsnapPoints(const GeCurvePath& path, unsigned offered, AcDb::OsnapMode mode,
                                       const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                       const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints);
// The extents of a path (eInvalidExtents for an empty one).
Acad::ErrorStatus hostCurveExtents(const GeCurvePath& path, AcDbExtents& extents);

// Defines the curve queries that every plain curve answers from its path alike: the
// parameters, points and distances, the first derivative and the closest points.
#define OV_DEFINE_PATH_CURVE_QUERIES(CLASS)                                                              \
  Acad::ErrorStatus CLASS::getStartParam(double& param) const {                                          \
    return hostWithCurvePath(this, [&](const GeCurvePath& p) { param = p.startParam(); return Acad::eOk; }); \
  }                                                                                                      \
  Acad::ErrorStatus CLASS::getEndParam(double& param) const {                                            \
    return hostWithCurvePath(this, [&](const GeCurvePath& p) { param = p.endParam(); return Acad::eOk; }); \
  }                                                                                                      \
  Acad::ErrorStatus CLASS::getStartPoint(AcGePoint3d& point) const {                                     \
    return hostWithCurvePath(this, [&](const GeCurvePath& p) { return p.pointAtParam(p.startParam(), point); }); \
  }                                                                                                      \
  Acad::ErrorStatus CLASS::getEndPoint(AcGePoint3d& point) const {                                       \
    return hostWithCurvePath(this, [&](const GeCurvePath& p) { return p.pointAtParam(p.endParam(), point); }); \
  }                                                                                                      \
  Acad::ErrorStatus CLASS::getPointAtParam(double param, AcGePoint3d& point) const {                     \
    return hostWithCurvePath(this, [&](const GeCurvePath& p) { return p.pointAtParam(param, point); });  \
  }                                                                                                      \
  Acad::ErrorStatus CLASS::getParamAtPoint(const AcGePoint3d& point, double& param) const {              \
    return hostWithCurvePath(this, [&](const GeCurvePath& p) { return p.paramAtPoint(point, param); });  \
  }                                                                                                      \
  Acad::ErrorStatus CLASS::getDistAtParam(double param, double& dist) const {                            \
    return hostWithCurvePath(this, [&](const GeCurvePath& p) { return p.distAtParam(param, dist); });    \
  }                                                                                                      \
  Acad::ErrorStatus CLASS::getParamAtDist(double dist, double& param) const {                            \
    return hostWithCurvePath(this, [&](const GeCurvePath& p) { return p.paramAtDist(dist, param); });    \
  }                                                                                                      \
  Acad::ErrorStatus CLASS::getDistAtPoint(const AcGePoint3d& point, double& dist) const {                \
    return hostWithCurvePath(this, [&](const GeCurvePath& p) { return p.distAtPoint(point, dist); });    \
  }                                                                                                      \
  Acad::ErrorStatus CLASS::getPointAtDist(double dist, AcGePoint3d& point) const {                       \
    return hostWithCurvePath(this, [&](const GeCurvePath& p) { return p.pointAtDist(dist, point); });    \
  }                                                                                                      \
  Acad::ErrorStatus CLASS::getFirstDeriv(double param, AcGeVector3d& deriv) const {                      \
    return hostWithCurvePath(this, [&](const GeCurvePath& p) { return p.derivAtParam(param, deriv); });  \
  }                                                                                                      \
  Acad::ErrorStatus CLASS::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& onCurve, bool ext) const { \
    return hostWithCurvePath(this, [&](const GeCurvePath& p) {                                           \
      return p.closestPoint(given, AcGeVector3d(), ext, onCurve);                                        \
    });                                                                                                  \
  }                                                                                                      \
  Acad::ErrorStatus CLASS::getClosestPointTo(const AcGePoint3d& given, const AcGeVector3d& direction,    \
                                             AcGePoint3d& onCurve, bool ext) const {                     \
    return hostWithCurvePath(this, [&](const GeCurvePath& p) {                                           \
      return p.closestPoint(given, direction, ext, onCurve);                                             \
    });                                                                                                  \
  }                                                                                                      \
  Acad::ErrorStatus CLASS::subGetGeomExtents(AcDbExtents& extents) const {                               \
    return hostWithCurvePath(this, [&](const GeCurvePath& p) { return hostCurveExtents(p, extents); });  \
  }

// Runs a query on the entity's path; eNotApplicable when it has none (no vertices).
template <typename Query>
Acad::ErrorStatus hostWithCurvePath(const AcDbEntity* ent, Query&& query) {
  GeCurvePath path;
  if (!hostCurvePath(ent, path) || path.isEmpty()) return Acad::eNotApplicable;
  return query(path);
}
