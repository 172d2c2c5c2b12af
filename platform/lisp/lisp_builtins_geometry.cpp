// Point geometry on lists of two or three numbers: pi, polar, distance, angle, inters,
// and trans between the world, the UCS and an entity's own coordinate system.
#include <cmath>
#include <memory>

#include "arx/ucs_trans.h"
#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_entity_data.h"
#include "lisp/lisp_entity_support.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_resbuf.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A point at a distance along an angle in the XY plane; a 3D point keeps its z.
LispValue polar(const LispArgs& a) {
  LispPoint p = lispPointArg(a[0]);
  double angle = lispNumberArg(a[1]);
  double distance = lispNumberArg(a[2]);
  p.x += distance * std::cos(angle);
  p.y += distance * std::sin(angle);
  return lispPointValue(p);
}

// 3D distance when both points are 3D, otherwise in the XY plane.
LispValue distance(const LispArgs& a) {
  LispPoint p = lispPointArg(a[0]);
  LispPoint q = lispPointArg(a[1]);
  double dz = (p.is3d && q.is3d) ? q.z - p.z : 0.0;
  return LispValue::real(std::sqrt((q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y) + dz * dz));
}

// The angle from the first point to the second in the XY plane, from 0 to 2 pi.
LispValue angle(const LispArgs& a) {
  LispPoint p = lispPointArg(a[0]);
  LispPoint q = lispPointArg(a[1]);
  double result = std::atan2(q.y - p.y, q.x - p.x);
  if (result < 0.0) result += 2.0 * kPi;
  return LispValue::real(result);
}

struct Vec {
  double x, y, z;
  Vec operator-(const Vec& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vec operator+(const Vec& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vec operator*(double s) const { return {x * s, y * s, z * s}; }
  double dot(const Vec& o) const { return x * o.x + y * o.y + z * o.z; }
};

// (inters p1 p2 p3 p4 [onseg]): where the line p1-p2 meets the line p3-p4, nil when
// they are parallel or (in 3D) pass each other. Unless onseg is given as nil the point
// must lie on both segments. With all four points 3D the lines meet in space;
// otherwise they are seen in plan and the answer is a 2D point.
LispValue inters(const LispArgs& a) {
  LispPoint p[4];
  bool all3d = true;
  for (int k = 0; k < 4; ++k) {
    p[k] = lispPointArg(a[k]);
    all3d = all3d && p[k].is3d;
  }
  bool onSegments = a.size() < 5 || !a[4].isNil();
  auto vec = [all3d](const LispPoint& q) { return Vec{q.x, q.y, all3d ? q.z : 0.0}; };
  Vec p1 = vec(p[0]), d1 = vec(p[1]) - p1, p3 = vec(p[2]), d2 = vec(p[3]) - p3, r = p1 - p3;
  // The closest points of the two lines: p1 + t d1 and p3 + u d2.
  double aa = d1.dot(d1), bb = d1.dot(d2), cc = d2.dot(d2), dd = d1.dot(r), ee = d2.dot(r);
  double denominator = aa * cc - bb * bb;
  if (aa == 0.0 || cc == 0.0 || std::fabs(denominator) <= 1e-12 * aa * cc) return LispValue();
  double t = (bb * ee - cc * dd) / denominator;
  double u = (aa * ee - bb * dd) / denominator;
  Vec q1 = p1 + d1 * t, q2 = p3 + d2 * u, gap = q1 - q2;
  double scale = std::sqrt(aa) + std::sqrt(cc) + std::sqrt(p1.dot(p1));
  if (std::sqrt(gap.dot(gap)) > 1e-9 * scale) return LispValue();
  constexpr double kEnds = 1e-10;
  if (onSegments && (t < -kEnds || t > 1 + kEnds || u < -kEnds || u > 1 + kEnds)) return LispValue();
  return lispPointValue(LispPoint{q1.x, q1.y, q1.z, all3d});
}

// The extrusion direction of an entity: its group 210, (0 0 1) when it has none.
AcGeVector3d extrusionOf(const LispValue& ename) {
  LispOpenedObject opened(L"trans", lispObjectArg(ename), AcDb::kForRead);
  LispArgs groups = lispListArg(lispObjectGroups(opened.entity()));
  for (const LispValue& group : groups) {
    if (group.car().isInt() && group.car().intValue() == 210) return lispVector3dArg(group.cdr());
  }
  return AcGeVector3d::kZAxis;
}

// A coordinate system of trans as acedTrans takes it: 0 the world, 1 the UCS, an
// entity name or an extrusion direction for an entity coordinate system. The host
// has no views, so 2 (display) and 3 (paper space display) are refused.
LispOwnedChain systemArg(const LispValue& value) {
  if (value.isEname() || value.isCons()) {
    AcGeVector3d n = value.isEname() ? extrusionOf(value) : lispVector3dArg(value);
    if (n.isZeroLength()) lispBadValue(L"extrusion direction", value);
    ads_point direction{n.x, n.y, n.z};
    return LispOwnedChain(acutBuildList(RT3DPOINT, direction, RTNONE));
  }
  std::int32_t code = lispIntArg(value);
  if (code != kTransWorld && code != kTransUser) lispBadValue(L"coordinate system", value);
  return LispOwnedChain(acutBuildList(RTSHORT, static_cast<int>(code), RTNONE));
}

LispValue trans(const LispArgs& a) {
  LispPoint p = lispPointArg(a[0]);
  LispOwnedChain from = systemArg(a[1]);
  LispOwnedChain to = systemArg(a[2]);
  int disp = a.size() > 3 && !a[3].isNil() ? 1 : 0;
  ads_point in{p.x, p.y, p.z};
  ads_point out{0, 0, 0};
  if (acedTrans(in, from.get(), to.get(), disp, out) != RTNORM) throw LispError(L"trans: the point cannot be translated");
  return lispPointValue(LispPoint{out[0], out[1], out[2], true});
}

}  // namespace

void lispDefineGeometryBuiltins(LispInterpreter& in) {
  in.setSymbolValue(L"PI", LispValue::real(kPi));
  in.defineBuiltin(L"polar", 3, 3, [](LispInterpreter&, const LispArgs& a) { return polar(a); });
  in.defineBuiltin(L"distance", 2, 2, [](LispInterpreter&, const LispArgs& a) { return distance(a); });
  in.defineBuiltin(L"angle", 2, 2, [](LispInterpreter&, const LispArgs& a) { return angle(a); });
  in.defineBuiltin(L"inters", 4, 5, [](LispInterpreter&, const LispArgs& a) { return inters(a); });
  in.defineBuiltin(L"trans", 3, 4, [](LispInterpreter&, const LispArgs& a) { return trans(a); });
}
