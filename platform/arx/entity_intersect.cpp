// Intersections between entities: the plain curves meet through their curve paths; an
// entity that is not a plain curve is asked in turn, so that custom entities answer
// with their own intersectWith.
#include "arx/curve_geometry.h"

namespace {

AcDb::Intersect swapped(AcDb::Intersect type) {
  if (type == AcDb::kExtendThis) return AcDb::kExtendArg;
  if (type == AcDb::kExtendArg) return AcDb::kExtendThis;
  return type;
}

// Set while the other entity is being asked, so that two entities that both hand the
// question to the other one do not ask each other for ever.
thread_local bool askingOther = false;

Acad::ErrorStatus askOther(const AcDbEntity* plain, const AcDbEntity* other, AcDb::Intersect type,
                           const AcGePlane* projPlane, AcGePoint3dArray& points) {
  if (askingOther) return Acad::eOk;
  struct Asking {
    Asking() { askingOther = true; }
    ~Asking() { askingOther = false; }
  } asking;
  return projPlane ? other->intersectWith(plain, swapped(type), *projPlane, points)
                   : other->intersectWith(plain, swapped(type), points);
}

}  // namespace

Acad::ErrorStatus hostIntersectEntities(const AcDbEntity* a, const AcDbEntity* b, AcDb::Intersect type,
                                        const AcGePlane* projPlane, AcGePoint3dArray& points) {
  if (a == nullptr || b == nullptr) return Acad::eNullObjectPointer;
  GeCurvePath pathA, pathB;
  // Nothing but the plain curves has geometry of its own here.
  if (!hostCurvePath(a, pathA)) return Acad::eOk;
  if (!hostCurvePath(b, pathB)) return askOther(a, b, type, projPlane, points);
  bool extendA = type == AcDb::kExtendThis || type == AcDb::kExtendBoth;
  bool extendB = type == AcDb::kExtendArg || type == AcDb::kExtendBoth;
  if (projPlane == nullptr) return geIntersectPaths(pathA, extendA, pathB, extendB, points);
  GeCurvePath flatA, flatB;
  Acad::ErrorStatus es = pathA.projectedOnto(*projPlane, flatA);
  if (es == Acad::eOk) es = pathB.projectedOnto(*projPlane, flatB);
  if (es != Acad::eOk) return es;
  return geIntersectPaths(flatA, extendA, flatB, extendB, points);
}
