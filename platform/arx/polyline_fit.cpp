// The fit curve of a 2D polyline: a smooth curve through every vertex made of circular
// arcs, two arcs (a biarc) between each pair of neighbouring vertices.
//
// Construction, in the plane of the polyline:
// 1. Tangent at a vertex P with distinct neighbours A (before) and B (after): the
//    tangent at P of the circle through A, P and B. With a = P - A and b = B - P it is
//    the direction of a |b|^2 + b |a|^2 (for three points in line: the line itself).
//    Repeated vertices are skipped when looking for neighbours. When the three points
//    give no direction (the curve turns straight back, B = A), the tangent is a turned
//    by a right angle, so that going there and back makes a circle.
// 2. End tangents of an open curve: the tangent at the first vertex is that of the
//    circle through the first three distinct vertices (the neighbour's tangent
//    mirrored in the chord), so that the first span is a single arc of that circle;
//    the same at the last vertex. With only two distinct vertices every tangent is the
//    chord and the curve is a straight line. A closed curve has no ends: every vertex
//    is an inner one, its neighbours taken round the ring.
// 3. The biarc between P0 (tangent t0) and P1 (tangent t1): the joint J is chosen so
//    that both arcs have equal tangent lengths d, J = (P0 + d t0 + P1 - d t1) / 2 with
//    |P1 - d t1 - (P0 + d t0)| = 2 d. With v = P1 - P0 and t = t0 + t1 that is
//    d = |v|^2 / (v.t + sqrt((v.t)^2 + 2 (1 - t0.t1) |v|^2)), which is finite except
//    for equal tangents across the chord; then J is the midpoint, its limit. The first
//    arc leaves P0 along t0 and reaches J; the second is built backwards from P1 along
//    -t1 to J and reversed, so the tangents at the vertices match exactly. An arc whose
//    tangent runs along its chord is a straight segment, which is what collinear
//    vertices give. Two vertices at the same place give a span of no length.
#include <cmath>

#include "arx/curve_geometry.h"

namespace {

using Vec = AcGeVector2d;

// The nearest vertex before (step -1) or after (step +1) vertex i that is not at the
// same place, or -1.
int distinctNeighbour(const std::vector<AcGePoint2d>& v, int i, int step, bool closed, double tol) {
  int n = static_cast<int>(v.size());
  for (int k = 1; k < n; ++k) {
    int j = i + step * k;
    if (closed)
      j = ((j % n) + n) % n;
    else if (j < 0 || j >= n)
      return -1;
    if (v[j].distanceTo(v[i]) > tol) return j;
  }
  return -1;
}

Vec innerTangent(const AcGePoint2d& prev, const AcGePoint2d& p, const AcGePoint2d& next) {
  Vec a = p - prev, b = next - p;
  Vec t = a * b.dotProduct(b) + b * a.dotProduct(a);
  double scale = a.length() * b.length() * (a.length() + b.length());
  if (t.length() > 1e-12 * scale) return t.normal();
  return a.perpVector().normal();
}

// The tangent at an end vertex from its neighbour's tangent, mirrored in the chord.
Vec endTangent(const AcGePoint2d& end, const AcGePoint2d& neighbour, const Vec& neighbourTangent, bool atStart) {
  Vec c = (atStart ? neighbour - end : end - neighbour).normal();
  return (c * (2 * neighbourTangent.dotProduct(c)) - neighbourTangent).normal();
}

std::vector<Vec> vertexTangents(const std::vector<AcGePoint2d>& v, bool closed, double tol) {
  int n = static_cast<int>(v.size());
  std::vector<Vec> t(n);
  std::vector<bool> inner(n, false);
  for (int i = 0; i < n; ++i) {
    int before = distinctNeighbour(v, i, -1, closed, tol), after = distinctNeighbour(v, i, +1, closed, tol);
    if (before >= 0 && after >= 0) {
      t[i] = innerTangent(v[before], v[i], v[after]);
      inner[i] = true;
    }
  }
  for (int i = 0; i < n; ++i) {
    if (inner[i]) continue;
    int after = distinctNeighbour(v, i, +1, closed, tol), before = distinctNeighbour(v, i, -1, closed, tol);
    int other = after >= 0 ? after : before;
    if (other < 0) {
      t[i] = Vec(1, 0);  // every vertex at one place: any direction serves
      continue;
    }
    bool atStart = after >= 0;
    Vec chord = (atStart ? v[other] - v[i] : v[i] - v[other]).normal();
    t[i] = inner[other] ? endTangent(v[i], v[other], t[other], atStart) : chord;
  }
  return t;
}

AcGePoint3d at(const AcGePoint2d& p, double z) { return {p.x, p.y, z}; }
AcGeVector3d at(const Vec& v) { return {v.x, v.y, 0}; }

void appendBiarc(GeCurvePath& path, const AcGePoint3d& p0, const Vec& t0, const AcGePoint3d& p1, const Vec& t1,
                 double tol) {
  AcGeVector3d v = p1 - p0;
  if (v.length() <= tol) {
    path.addPiece(GeCurvePiece::line(p0, p1));
    return;
  }
  AcGeVector3d a = at(t0), b = at(t1), t = a + b;
  double vt = v.dotProduct(t), vv = v.dotProduct(v);
  double den = vt + std::sqrt(std::max(0.0, vt * vt + 2 * (1 - a.dotProduct(b)) * vv));
  AcGePoint3d joint = p0 + v * 0.5;
  if (den > 1e-12 * v.length()) {
    double d = vv / den;
    if (std::isfinite(d)) joint = p0 + (v + (a - b) * d) * 0.5;
  }
  GeCurvePiece first = GeCurvePiece::arcFromTangent(p0, a, joint);
  GeCurvePiece second = GeCurvePiece::arcFromTangent(p1, -b, joint).reversed();
  if (first.length() > 0) path.addPiece(first);
  if (second.length() > 0) path.addPiece(second);
}

}  // namespace

void hostAppendFitCurve(GeCurvePath& path, const std::vector<AcGePoint2d>& vertices, bool closed, double elevation) {
  int n = static_cast<int>(vertices.size());
  if (n == 0) return;
  double magnitude = std::abs(elevation);
  for (const AcGePoint2d& p : vertices) magnitude = std::max({magnitude, std::abs(p.x), std::abs(p.y)});
  double tol = geLengthTol(magnitude);
  std::vector<Vec> tangents = vertexTangents(vertices, closed, tol);
  int spans = closed ? n : n - 1;
  path.setClosed(closed);
  path.addKnot(0.0);
  if (spans == 0) path.addPiece(GeCurvePiece::line(at(vertices[0], elevation), at(vertices[0], elevation)));
  for (int i = 0; i < spans; ++i) {
    int j = (i + 1) % n;
    appendBiarc(path, at(vertices[i], elevation), tangents[i], at(vertices[j], elevation), tangents[j], tol);
    path.addKnot(i + 1.0);
  }
}
