// Segments, arcs and curve paths: lengths, points at distances, closest points and
// intersections, written once for the pieces every plain curve is made of.
#include "arx/ge_curves.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

constexpr double kTwoPi = 2 * M_PI;
// Below this sine two directions count as parallel. It is far above rounding and far
// below any angle a drawing uses on purpose.
constexpr double kParallelSine = 1e-12;

double maxAbs(const AcGePoint3d& p) { return std::max({std::abs(p.x), std::abs(p.y), std::abs(p.z)}); }

double magnitudeOf(const GeCurvePiece& piece) {
  double m = std::max(maxAbs(piece.startPoint()), maxAbs(piece.endPoint()));
  return piece.isArc() ? std::max(m, maxAbs(piece.center()) + piece.radius()) : m;
}

// The distance between two points seen along a direction (zero: in space).
double seenDistance(const AcGePoint3d& a, const AcGePoint3d& b, const AcGeVector3d& viewDir) {
  AcGeVector3d d = a - b;
  AcGeVector3d v = viewDir.normal();
  return (d - v * d.dotProduct(v)).length();
}

AcGePoint3d midpoint(const AcGePoint3d& a, const AcGePoint3d& b) { return a + (b - a) * 0.5; }

}  // namespace

double geLengthTol(double magnitude, const AcGeTol& tol) {
  // 64 ulps of the coordinates: the rounding of a few products and square roots.
  return std::max(tol.equalPoint(), magnitude * 64 * DBL_EPSILON);
}

// ---------------------------------------------------------------------------------
// Pieces. Arc points are computed from the start point rather than from the centre, so
// that an almost straight arc (a huge radius, a far centre) keeps its precision.

GeCurvePiece GeCurvePiece::line(const AcGePoint3d& start, const AcGePoint3d& end) {
  GeCurvePiece p;
  p.start_ = start;
  p.end_ = end;
  return p;
}

GeCurvePiece GeCurvePiece::arc(const AcGePoint3d& center, double radius, const AcGeVector3d& normal,
                               const AcGeVector3d& startDir, double sweep) {
  GeCurvePiece p;
  AcGeVector3d n = normal.normal();
  if (n.isZeroLength()) n = AcGeVector3d::kZAxis;
  AcGeVector3d u = startDir - n * startDir.dotProduct(n);
  u = u.isZeroLength() ? n.perpVector() : u.normal();
  p.arc_ = true;
  p.center_ = center;
  p.radius_ = std::max(radius, 0.0);
  p.sweep_ = std::clamp(sweep, 0.0, kTwoPi);
  p.u_ = u;
  p.w_ = n.crossProduct(u);
  p.start_ = center + u * p.radius_;
  p.end_ = p.pointAt(p.length());
  return p;
}

GeCurvePiece GeCurvePiece::arcFromTangent(const AcGePoint3d& start, const AcGeVector3d& tangent,
                                          const AcGePoint3d& end) {
  AcGeVector3d chord = end - start;
  double len = chord.length();
  AcGeVector3d t = tangent.normal();
  if (len == 0.0 || t.isZeroLength()) return line(start, end);
  AcGeVector3d c = chord / len;
  AcGeVector3d n = t.crossProduct(c);
  double sine = n.length();
  // In line with the tangent: a segment. (Straight back along the tangent no arc
  // exists; the segment keeps the curve connected.)
  if (sine <= kParallelSine) return line(start, end);
  n = n / sine;
  // The chord makes the same angle with the tangent at both ends: the sweep is twice
  // the angle between the tangent and the chord.
  double half = std::atan2(sine, t.dotProduct(c));
  double radius = len / (2 * std::sin(half));
  AcGeVector3d towardCenter = n.crossProduct(t);
  return arc(start + towardCenter * radius, radius, n, -towardCenter, 2 * half);
}

double GeCurvePiece::length() const { return arc_ ? radius_ * sweep_ : start_.distanceTo(end_); }

AcGePoint3d GeCurvePiece::pointAt(double t) const {
  if (!arc_) {
    double len = length();
    return len > 0 ? start_ + (end_ - start_) * (t / len) : start_;
  }
  if (radius_ == 0.0) return start_;
  double phi = t / radius_;
  // start + r sin(phi) w - 2 r sin^2(phi/2) u: no cancellation for small phi.
  double h = std::sin(phi / 2);
  return start_ + w_ * (radius_ * std::sin(phi)) - u_ * (2 * radius_ * h * h);
}

AcGeVector3d GeCurvePiece::tangentAt(double t) const {
  if (!arc_) return (end_ - start_).normal();
  if (radius_ == 0.0) return w_;
  double phi = t / radius_;
  return w_ * std::cos(phi) - u_ * std::sin(phi);
}

double GeCurvePiece::angleOf(const AcGePoint3d& p) const {
  // (p - centre) in the frame (u, w), from the start point: x = r + d.u, y = d.w.
  AcGeVector3d d = p - start_;
  double x = radius_ + d.dotProduct(u_), y = d.dotProduct(w_);
  if (x == 0.0 && y == 0.0) return 0.0;
  double a = std::atan2(y, x);
  if (a < 0) a += kTwoPi;
  return a >= kTwoPi ? 0.0 : a;
}

bool GeCurvePiece::closestTo(const AcGePoint3d& p, const AcGeVector3d& viewDir, bool extendStart, bool extendEnd,
                             double& t) const {
  AcGeVector3d v = viewDir.normal();
  if (!arc_) {
    double len = length();
    if (len == 0.0) {
      t = 0.0;
      return true;
    }
    AcGeVector3d dir = (end_ - start_) / len, rel = p - start_;
    // Seen along v, only the parts across v count.
    AcGeVector3d dirSeen = dir - v * dir.dotProduct(v), relSeen = rel - v * rel.dotProduct(v);
    double dd = dirSeen.dotProduct(dirSeen);
    t = dd > kParallelSine * kParallelSine ? relSeen.dotProduct(dirSeen) / dd : 0.0;
    if (!extendStart) t = std::max(t, 0.0);
    if (!extendEnd) t = std::min(t, len);
    return true;
  }
  // An arc seen along its normal looks like itself; from any other side it is an
  // ellipse, which this host does not measure.
  if (!v.isZeroLength() && v.crossProduct(normal()).length() > 1e-9) return false;
  double a = angleOf(p);
  double beyondEnd = a - sweep_, beforeStart = kTwoPi - a;
  if (a <= sweep_)
    t = a * radius_;
  else if (extendStart && extendEnd)
    t = (beyondEnd <= beforeStart ? a : a - kTwoPi) * radius_;
  else if (extendEnd)
    t = a * radius_;
  else if (extendStart)
    t = (a - kTwoPi) * radius_;
  else
    t = beyondEnd <= beforeStart ? length() : 0.0;
  return true;
}

bool GeCurvePiece::contains(const AcGePoint3d& p, bool extendStart, bool extendEnd, double tol, double* t) const {
  double at = 0.0;
  if (!arc_) {
    closestTo(p, AcGeVector3d(), extendStart, extendEnd, at);
    if (pointAt(at).distanceTo(p) > tol) return false;
    if (t) *t = at;
    return true;
  }
  AcGeVector3d d = p - start_;
  if (std::abs(d.dotProduct(normal())) > tol) return false;
  // The distance from the circle, from the start point: (x - r)(x + r) + y^2 over
  // (rho + r), with x - r = d.u computed exactly.
  double du = d.dotProduct(u_), y = d.dotProduct(w_), x = radius_ + du;
  double rho = std::hypot(x, y);
  if (rho + radius_ == 0.0) return false;
  if (std::abs((du * (x + radius_) + y * y) / (rho + radius_)) > tol) return false;
  double a = angleOf(p);
  double slack = radius_ > 0 ? tol / radius_ : 0.0;
  bool extended = extendStart || extendEnd;
  if (!extended && a > sweep_ + slack && a < kTwoPi - slack) return false;
  closestTo(p, AcGeVector3d(), extendStart, extendEnd, at);
  if (t) *t = at;
  return true;
}

void GeCurvePiece::appendPerpendicularFeet(const AcGePoint3d& from, const AcGeVector3d& viewDir,
                                           std::vector<AcGePoint3d>& feet) const {
  double tol = geLengthTol(magnitudeOf(*this));
  if (!arc_) {
    double t = 0.0;
    if (length() == 0.0 || !closestTo(from, viewDir, true, true, t)) return;
    if (t >= -tol && t <= length() + tol) feet.push_back(pointAt(std::clamp(t, 0.0, length())));
    return;
  }
  double unused = 0.0;
  if (!closestTo(from, viewDir, false, false, unused)) return;
  AcGeVector3d d = from - center_;
  if ((d - normal() * d.dotProduct(normal())).length() <= tol) return;  // every point is a foot
  double a = angleOf(from);
  for (double angle : {a, std::fmod(a + M_PI, kTwoPi)})
    if (angle <= sweep_ + (radius_ > 0 ? tol / radius_ : 0.0)) feet.push_back(pointAt(angle * radius_));
}

GeCurvePiece GeCurvePiece::reversed() const {
  if (!arc_) return line(end_, start_);
  // From the end, turning the other way: about the opposite normal.
  GeCurvePiece p = *this;
  p.start_ = end_;
  p.end_ = start_;
  p.u_ = u_ * std::cos(sweep_) + w_ * std::sin(sweep_);
  p.w_ = -tangentAt(length());
  return p;
}

bool GeCurvePiece::transformBy(const AcGeMatrix3d& m) {
  if (!arc_) {
    start_.transformBy(m);
    end_.transformBy(m);
    return true;
  }
  AcGeVector3d u = u_, w = w_;
  u.transformBy(m);
  w.transformBy(m);
  double k = u.length();
  // The circle stays a circle when its own plane is scaled evenly (a scale along the
  // normal alone does not matter).
  double eps = 1e-9 * std::max(k, 1e-300);
  if (k == 0.0 || std::abs(w.length() - k) > eps || std::abs(u.dotProduct(w)) > eps * k) return false;
  AcGePoint3d c = center_;
  c.transformBy(m);
  // The image of the arc, traversed the same way: a mirror turns the normal over.
  *this = arc(c, radius_ * k, (u / k).crossProduct(w / k), u / k, sweep_);
  return true;
}

void GeCurvePiece::extendBox(AcGePoint3d& lo, AcGePoint3d& hi) const {
  auto add = [&](const AcGePoint3d& p) {
    for (int i = 0; i < 3; ++i) {
      lo[i] = std::min(lo[i], p[i]);
      hi[i] = std::max(hi[i], p[i]);
    }
  };
  add(start_);
  add(end_);
  if (!arc_) return;
  // Along each axis the circle is extreme where its tangent is across the axis.
  for (int axis = 0; axis < 3; ++axis) {
    if (u_[axis] == 0.0 && w_[axis] == 0.0) continue;
    double a = std::atan2(w_[axis], u_[axis]);
    for (double angle : {a, a + M_PI}) {
      double rel = std::fmod(angle + 2 * kTwoPi, kTwoPi);
      if (rel <= sweep_) add(pointAt(rel * radius_));
    }
  }
}

// ---------------------------------------------------------------------------------
// Paths.

void GeCurvePath::addPiece(const GeCurvePiece& piece) {
  starts_.push_back(total_);
  pieces_.push_back(piece);
  total_ += piece.length();
}

void GeCurvePath::addKnot(double param) { knots_.push_back({param, total_, pieces_.size()}); }

std::vector<double> GeCurvePath::knotParams() const {
  std::vector<double> out;
  for (const Knot& k : knots_) out.push_back(k.param);
  return out;
}

size_t GeCurvePath::pieceAt(double dist) const {
  auto it = std::upper_bound(starts_.begin(), starts_.end(), dist);
  size_t i = it == starts_.begin() ? 0 : static_cast<size_t>(it - starts_.begin()) - 1;
  // A piece of no length at the end of the chain holds nothing: step back to the last
  // piece with a length, whose end is the same point.
  while (i > 0 && pieces_[i].length() == 0.0 && dist <= starts_[i]) --i;
  return std::min(i, pieces_.size() - 1);
}

bool GeCurvePath::inRange(double dist) const {
  double tol = geLengthTol(total_);
  return dist >= -tol && dist <= total_ + tol;
}

Acad::ErrorStatus GeCurvePath::distAtParam(double param, double& dist) const {
  if (isEmpty()) return Acad::eNotApplicable;
  double tol = geLengthTol(std::max(std::abs(startParam()), std::abs(endParam())));
  if (param < startParam() - tol || param > endParam() + tol) return Acad::eInvalidInput;
  size_t k = 0;
  while (k + 2 < knots_.size() && param >= knots_[k + 1].param) ++k;
  const Knot &a = knots_[k], &b = knots_[k + 1];
  double span = b.param - a.param;
  double f = span > 0 ? std::clamp((param - a.param) / span, 0.0, 1.0) : 0.0;
  dist = a.dist + f * (b.dist - a.dist);
  return Acad::eOk;
}

Acad::ErrorStatus GeCurvePath::paramAtDist(double dist, double& param) const {
  if (isEmpty()) return Acad::eNotApplicable;
  if (!inRange(dist)) return Acad::eInvalidInput;
  size_t k = 0;
  while (k + 2 < knots_.size() && dist > knots_[k + 1].dist) ++k;
  const Knot &a = knots_[k], &b = knots_[k + 1];
  double span = b.dist - a.dist;
  double f = span > 0 ? std::clamp((dist - a.dist) / span, 0.0, 1.0) : 0.0;
  param = a.param + f * (b.param - a.param);
  return Acad::eOk;
}

Acad::ErrorStatus GeCurvePath::pointAtDist(double dist, AcGePoint3d& point) const {
  if (isEmpty()) return Acad::eNotApplicable;
  if (!inRange(dist)) return Acad::eInvalidInput;
  dist = std::clamp(dist, 0.0, total_);
  size_t i = pieceAt(dist);
  point = pieces_[i].pointAt(dist - starts_[i]);
  return Acad::eOk;
}

Acad::ErrorStatus GeCurvePath::pointAtParam(double param, AcGePoint3d& point) const {
  double dist = 0.0;
  Acad::ErrorStatus es = distAtParam(param, dist);
  return es == Acad::eOk ? pointAtDist(dist, point) : es;
}

Acad::ErrorStatus GeCurvePath::distAtPoint(const AcGePoint3d& point, double& dist) const {
  AcGePoint3d onCurve;
  double d = 0.0;
  Acad::ErrorStatus es = closestPoint(point, AcGeVector3d(), false, onCurve, &d);
  if (es != Acad::eOk) return es;
  if (onCurve.distanceTo(point) > geLengthTol(std::max(maxAbs(point), total_))) return Acad::eInvalidInput;
  dist = std::clamp(d, 0.0, total_);
  return Acad::eOk;
}

Acad::ErrorStatus GeCurvePath::paramAtPoint(const AcGePoint3d& point, double& param) const {
  double dist = 0.0;
  Acad::ErrorStatus es = distAtPoint(point, dist);
  return es == Acad::eOk ? paramAtDist(dist, param) : es;
}

Acad::ErrorStatus GeCurvePath::derivAtParam(double param, AcGeVector3d& deriv) const {
  double dist = 0.0;
  Acad::ErrorStatus es = distAtParam(param, dist);
  if (es != Acad::eOk) return es;
  // The knot span that starts at the parameter (the last one at the end).
  size_t k = 0;
  while (k + 2 < knots_.size() && param >= knots_[k + 1].param) ++k;
  const Knot &a = knots_[k], &b = knots_[k + 1];
  double rate = b.param > a.param ? (b.dist - a.dist) / (b.param - a.param) : 0.0;
  size_t i = pieceAt(dist);
  deriv = pieces_[i].tangentAt(dist - starts_[i]) * rate;
  return Acad::eOk;
}

Acad::ErrorStatus GeCurvePath::closestPoint(const AcGePoint3d& given, const AcGeVector3d& viewDir, bool extend,
                                            AcGePoint3d& point, double* dist) const {
  if (pieces_.empty()) return Acad::eNotApplicable;
  double best = -1.0;
  for (size_t i = 0; i < pieces_.size(); ++i) {
    bool extStart = extend && !closed_ && i == 0;
    bool extEnd = extend && !closed_ && i + 1 == pieces_.size();
    double t = 0.0;
    if (!pieces_[i].closestTo(given, viewDir, extStart, extEnd, t)) return Acad::eNotApplicable;
    AcGePoint3d q = pieces_[i].pointAt(t);
    double d = seenDistance(q, given, viewDir);
    if (best < 0 || d < best) {
      best = d;
      point = q;
      if (dist) *dist = starts_[i] + t;
    }
  }
  return Acad::eOk;
}

std::vector<AcGePoint3d> GeCurvePath::perpendicularFeet(const AcGePoint3d& from, const AcGeVector3d& viewDir) const {
  std::vector<AcGePoint3d> feet, unique;
  for (const GeCurvePiece& piece : pieces_) piece.appendPerpendicularFeet(from, viewDir, feet);
  for (const AcGePoint3d& p : feet) {
    double tol = geLengthTol(maxAbs(p));
    if (std::none_of(unique.begin(), unique.end(), [&](const AcGePoint3d& q) { return q.distanceTo(p) <= tol; }))
      unique.push_back(p);
  }
  return unique;
}

bool GeCurvePath::extents(AcGePoint3d& lo, AcGePoint3d& hi) const {
  if (pieces_.empty()) return false;
  lo = hi = pieces_.front().startPoint();
  for (const GeCurvePiece& piece : pieces_) piece.extendBox(lo, hi);
  return true;
}

Acad::ErrorStatus GeCurvePath::projectedOnto(const AcGePlane& plane, GeCurvePath& out) const {
  out = GeCurvePath();
  out.closed_ = closed_;
  const AcGeVector3d& n = plane.normal();
  size_t knot = 0;
  for (size_t i = 0; i <= pieces_.size(); ++i) {
    while (knot < knots_.size() && knots_[knot].pieces == i) out.addKnot(knots_[knot++].param);
    if (i == pieces_.size()) break;
    const GeCurvePiece& piece = pieces_[i];
    if (!piece.isArc()) {
      out.addPiece(GeCurvePiece::line(plane.closestPointTo(piece.startPoint()), plane.closestPointTo(piece.endPoint())));
      continue;
    }
    if (piece.normal().crossProduct(n).length() > 1e-9) return Acad::eNotApplicable;
    out.addPiece(GeCurvePiece::arc(plane.closestPointTo(piece.center()), piece.radius(), piece.normal(),
                                   piece.startDir(), piece.sweep()));
  }
  return Acad::eOk;
}

// ---------------------------------------------------------------------------------
// Intersections. Each pair of pieces proposes candidate points from their supporting
// lines and circles; a candidate counts when it lies on both (extended) pieces.

namespace {

// Where an unbounded line meets the circle of an arc: the point where it passes
// through the arc's plane, and the points where its shadow on the plane meets the
// circle (for a line in the plane, or almost so). Candidates off the arc are weeded out
// by the caller.
void lineCircleCandidates(const AcGePoint3d& origin, const AcGeVector3d& dir, const GeCurvePiece& arc, double tol,
                          std::vector<AcGePoint3d>& out) {
  AcGeVector3d ua = dir.normal();
  if (ua.isZeroLength()) return;
  AcGeVector3d n = arc.normal(), u = arc.startDir();
  double r = arc.radius();
  AcGeVector3d g = origin - arc.startPoint();
  double an = ua.dotProduct(n), gn = g.dotProduct(n);
  if (std::abs(an) > kParallelSine) out.push_back(origin + ua * (-gn / an));
  // The shadow: g' + s' v with v a unit vector; s' = s |ua'|.
  AcGeVector3d shadow = ua - n * an;
  double scale = shadow.length();
  if (scale <= 1e-6) return;  // steep: the crossing point is the only candidate
  AcGeVector3d v = shadow / scale, gp = g - n * gn;
  // |g' + s' v + r u| = r, measured from the start point so that large radii keep
  // their precision: s'^2 + 2 B s' + C = 0.
  double b = gp.dotProduct(v) + r * u.dotProduct(v);
  double c = gp.dotProduct(gp) + 2 * r * u.dotProduct(gp);
  double disc = b * b - c;
  auto push = [&](double sShadow) { out.push_back(origin + ua * (sShadow / scale)); };
  if (disc < 0) {
    if (-disc <= tol * (2 * r + tol)) push(-b);  // touching
    return;
  }
  double root = std::sqrt(disc);
  if (2 * root <= tol) {
    push(-b);
    return;
  }
  double q = -(b + (b >= 0 ? root : -root));
  push(q);
  push(c / q);
}

void lineLineCandidates(const GeCurvePiece& a, const GeCurvePiece& b, double tol, std::vector<AcGePoint3d>& out) {
  double la = a.length(), lb = b.length();
  if (la <= tol || lb <= tol) {  // a point: it is its own candidate
    out.push_back(la <= tol ? a.startPoint() : b.startPoint());
    return;
  }
  AcGeVector3d ua = (a.endPoint() - a.startPoint()) / la, ub = (b.endPoint() - b.startPoint()) / lb;
  if (ua.crossProduct(ub).length() <= kParallelSine) {
    // Parallel: if they share a line, the ends of the overlap.
    for (const AcGePoint3d& p : {a.startPoint(), a.endPoint(), b.startPoint(), b.endPoint()}) out.push_back(p);
    return;
  }
  AcGeVector3d w0 = a.startPoint() - b.startPoint();
  double k = ua.dotProduct(ub), d = ua.dotProduct(w0), e = ub.dotProduct(w0);
  double den = 1 - k * k;
  double s = (k * e - d) / den, t = (e - k * d) / den;
  out.push_back(midpoint(a.startPoint() + ua * s, b.startPoint() + ub * t));
}

void arcArcCandidates(const GeCurvePiece& a, const GeCurvePiece& b, double tol, std::vector<AcGePoint3d>& out) {
  AcGeVector3d na = a.normal(), nb = b.normal();
  AcGeVector3d cross = na.crossProduct(nb);
  if (cross.length() > 1e-9) {
    // The planes meet in a line; the points are where that line meets the first circle.
    double k = na.dotProduct(nb), den = 1 - k * k;
    double d1 = (a.center() - AcGePoint3d::kOrigin).dotProduct(na);
    double d2 = (b.center() - AcGePoint3d::kOrigin).dotProduct(nb);
    AcGePoint3d p0 = AcGePoint3d::kOrigin + (na * (d1 - d2 * k) + nb * (d2 - d1 * k)) / den;
    lineCircleCandidates(p0, cross, a, tol, out);
    return;
  }
  double offset = (b.center() - a.center()).dotProduct(na);
  if (std::abs(offset) > tol) return;
  AcGeVector3d between = (b.center() - a.center()) - na * offset;
  double dist = between.length(), r1 = a.radius(), r2 = b.radius();
  if (dist <= tol) {
    if (std::abs(r1 - r2) <= tol)  // the same circle: the ends of the overlap
      for (const AcGePoint3d& p : {a.startPoint(), a.endPoint(), b.startPoint(), b.endPoint()}) out.push_back(p);
    return;
  }
  if (dist > r1 + r2 + tol || dist < std::abs(r1 - r2) - tol) return;
  AcGeVector3d e = between / dist;
  double x = (dist * dist + r1 * r1 - r2 * r2) / (2 * dist);
  AcGePoint3d base = a.center() + e * x;
  bool touching = std::abs(dist - (r1 + r2)) <= tol || std::abs(dist - std::abs(r1 - r2)) <= tol;
  double h2 = r1 * r1 - x * x;
  if (touching || h2 <= 0) {
    out.push_back(a.center() + e * (x >= 0 ? r1 : -r1));
    return;
  }
  AcGeVector3d across = na.crossProduct(e) * std::sqrt(h2);
  out.push_back(base + across);
  out.push_back(base - across);
}

void pieceCandidates(const GeCurvePiece& a, const GeCurvePiece& b, double tol, std::vector<AcGePoint3d>& out) {
  if (!a.isArc() && !b.isArc()) return lineLineCandidates(a, b, tol, out);
  if (a.isArc() && b.isArc()) return arcArcCandidates(a, b, tol, out);
  const GeCurvePiece& line = a.isArc() ? b : a;
  const GeCurvePiece& arc = a.isArc() ? a : b;
  if (line.length() <= tol) {
    out.push_back(line.startPoint());
    return;
  }
  lineCircleCandidates(line.startPoint(), line.endPoint() - line.startPoint(), arc, tol, out);
}

}  // namespace

Acad::ErrorStatus geIntersectPaths(const GeCurvePath& a, bool extendA, const GeCurvePath& b, bool extendB,
                                   AcGePoint3dArray& points, const AcGeTol& tol) {
  struct Hit {
    double dist;
    AcGePoint3d point;
    double tol;
  };
  std::vector<Hit> hits;
  const auto& pa = a.pieces();
  const auto& pb = b.pieces();
  double startA = 0.0;
  for (size_t i = 0; i < pa.size(); ++i) {
    bool aStart = extendA && !a.isClosed() && i == 0, aEnd = extendA && !a.isClosed() && i + 1 == pa.size();
    for (size_t j = 0; j < pb.size(); ++j) {
      bool bStart = extendB && !b.isClosed() && j == 0, bEnd = extendB && !b.isClosed() && j + 1 == pb.size();
      double eps = geLengthTol(std::max(magnitudeOf(pa[i]), magnitudeOf(pb[j])), tol);
      std::vector<AcGePoint3d> candidates;
      pieceCandidates(pa[i], pb[j], eps, candidates);
      for (const AcGePoint3d& p : candidates) {
        double t = 0.0;
        if (pa[i].contains(p, aStart, aEnd, eps, &t) && pb[j].contains(p, bStart, bEnd, eps))
          hits.push_back({startA + t, p, eps});
      }
    }
    startA += pa[i].length();
  }
  std::stable_sort(hits.begin(), hits.end(), [](const Hit& x, const Hit& y) { return x.dist < y.dist; });
  std::vector<AcGePoint3d> kept;
  for (const Hit& h : hits)
    if (std::none_of(kept.begin(), kept.end(), [&](const AcGePoint3d& q) { return q.distanceTo(h.point) <= h.tol; }))
      kept.push_back(h.point);
  for (const AcGePoint3d& p : kept) points.append(p);
  return Acad::eOk;
}

// ---------------------------------------------------------------------------------
// The host's segment and arc classes, answered through one-piece paths.

namespace {

GeCurvePath onePiecePath(const GeCurvePiece& piece) {
  GeCurvePath path;
  path.addKnot(0.0);
  path.addPiece(piece);
  path.addKnot(piece.length());
  return path;
}

AcGePoint3d to3d(const AcGePoint2d& p) { return {p.x, p.y, 0.0}; }

// Intersections of two one-piece paths as the host's "count and two points" answer.
bool twoPointAnswer(const GeCurvePiece& a, const GeCurvePiece& b, int& count, AcGePoint3d& p1, AcGePoint3d& p2,
                    const AcGeTol& tol) {
  AcGePoint3dArray pts;
  geIntersectPaths(onePiecePath(a), false, onePiecePath(b), false, pts, tol);
  count = std::min(pts.length(), 2);
  if (count > 0) p1 = pts[0];
  if (count > 1) p2 = pts[1];
  return count > 0;
}

}  // namespace

GeCurvePath AcGeLinearEnt2d::path() const { return onePiecePath(GeCurvePiece::line(to3d(p1_), to3d(p2_))); }

bool AcGeLinearEnt2d::intersectWith(const AcGeLinearEnt2d& other, AcGePoint2d& point, const AcGeTol& tol) const {
  AcGePoint3dArray pts;
  geIntersectPaths(path(), !bounded_, other.path(), !other.bounded_, pts, tol);
  // Lines that overlap along a stretch have no single intersection point.
  if (pts.length() != 1) return false;
  point = pts[0].convert2d();
  return true;
}

bool AcGeLinearEnt2d::isParallelTo(const AcGeLinearEnt2d& other, const AcGeTol& tol) const {
  return std::abs(direction().crossProduct(other.direction())) <= tol.equalVector();
}

AcGePoint2d AcGeLinearEnt2d::closestPointTo(const AcGePoint2d& p) const {
  GeCurvePiece piece = GeCurvePiece::line(to3d(p1_), to3d(p2_));
  double t = 0.0;
  piece.closestTo(to3d(p), AcGeVector3d(), !bounded_, !bounded_, t);
  return piece.pointAt(t).convert2d();
}

bool AcGeLinearEnt2d::isOn(const AcGePoint2d& p, const AcGeTol& tol) const {
  return distanceTo(p) <= tol.equalPoint();
}

double AcGeLineSeg2d::paramOf(const AcGePoint2d& p) const {
  AcGeVector2d d = p2_ - p1_;
  double dd = d.dotProduct(d);
  return dd > 0 ? (p - p1_).dotProduct(d) / dd : 0.0;
}

double AcGeLineSeg3d::paramOf(const AcGePoint3d& p) const {
  AcGeVector3d d = p2_ - p1_;
  double dd = d.dotProduct(d);
  return dd > 0 ? (p - p1_).dotProduct(d) / dd : 0.0;
}

AcGePoint3d AcGeLineSeg3d::closestPointTo(const AcGePoint3d& p) const { return projClosestPointTo(p, AcGeVector3d()); }

AcGePoint3d AcGeLineSeg3d::projClosestPointTo(const AcGePoint3d& p, const AcGeVector3d& direction) const {
  GeCurvePiece seg = piece();
  double t = 0.0;
  seg.closestTo(p, direction, false, false, t);
  return seg.pointAt(t);
}

bool AcGeLineSeg3d::isOn(const AcGePoint3d& p, const AcGeTol& tol) const {
  return closestPointTo(p).distanceTo(p) <= tol.equalPoint();
}

bool AcGeLineSeg3d::intersectWith(const AcGeLineSeg3d& other, AcGePoint3d& point, const AcGeTol& tol) const {
  AcGePoint3dArray pts;
  geIntersectPaths(onePiecePath(piece()), false, onePiecePath(other.piece()), false, pts, tol);
  if (pts.length() != 1) return false;
  point = pts[0];
  return true;
}

AcGeLineSeg3d& AcGeLineSeg3d::transformBy(const AcGeMatrix3d& m) {
  p1_.transformBy(m);
  p2_.transformBy(m);
  return *this;
}

AcGeCircArc3d::AcGeCircArc3d() = default;

AcGeCircArc3d::AcGeCircArc3d(const AcGePoint3d& center, const AcGeVector3d& normal, double radius)
    : AcGeCircArc3d(center, normal, normal.perpVector(), radius, 0.0, 2 * M_PI) {}

AcGeCircArc3d::AcGeCircArc3d(const AcGePoint3d& center, const AcGeVector3d& normal, const AcGeVector3d& refVec,
                             double radius, double startAngle, double endAngle)
    : center_(center), radius_(std::max(radius, 0.0)), startAng_(startAngle), endAng_(endAngle) {
  normal_ = normal.isZeroLength() ? AcGeVector3d::kZAxis : normal.normal();
  AcGeVector3d ref = refVec - normal_ * refVec.dotProduct(normal_);
  ref_ = ref.isZeroLength() ? normal_.perpVector() : ref.normal();
  if (!std::isfinite(startAng_) || !std::isfinite(endAng_)) startAng_ = endAng_ = 0.0;
  if (endAng_ < startAng_) endAng_ = startAng_ + std::fmod(endAng_ - startAng_, 2 * M_PI) + 2 * M_PI;
  if (endAng_ - startAng_ > 2 * M_PI) endAng_ = startAng_ + 2 * M_PI;
}

AcGeCircArc3d::AcGeCircArc3d(const AcGePoint3d& start, const AcGePoint3d& mid, const AcGePoint3d& end) {
  AcGeVector3d ab = mid - start, ac = end - start;
  AcGeVector3d n = ab.crossProduct(ac);
  double nn = n.dotProduct(n);
  center_ = start;
  if (nn <= kParallelSine * kParallelSine * ab.dotProduct(ab) * ac.dotProduct(ac)) return;
  // The circumcentre of the triangle.
  center_ = start + (n.crossProduct(ab) * ac.dotProduct(ac) + ac.crossProduct(n) * ab.dotProduct(ab)) / (2 * nn);
  normal_ = n.normal();
  radius_ = center_.distanceTo(start);
  ref_ = (start - center_).normal();
  startAng_ = 0.0;
  endAng_ = ref_.angleTo(end - center_, normal_);
}

AcGePoint3d AcGeCircArc3d::evalPoint(double angle) const {
  return center_ + (ref_ * std::cos(angle) + normal_.crossProduct(ref_) * std::sin(angle)) * radius_;
}

GeCurvePiece AcGeCircArc3d::piece() const {
  AcGeVector3d start = ref_;
  start.rotateBy(startAng_, normal_);
  return GeCurvePiece::arc(center_, radius_, normal_, start, endAng_ - startAng_);
}

double AcGeCircArc3d::paramOf(const AcGePoint3d& p) const { return startAng_ + piece().angleOf(p); }

AcGePoint3d AcGeCircArc3d::closestPointTo(const AcGePoint3d& p) const {
  GeCurvePiece arc = piece();
  double t = 0.0;
  arc.closestTo(p, AcGeVector3d(), false, false, t);
  return arc.pointAt(t);
}

bool AcGeCircArc3d::isOn(const AcGePoint3d& p, const AcGeTol& tol) const {
  return piece().contains(p, false, false, tol.equalPoint());
}

bool AcGeCircArc3d::intersectWith(const AcGeLineSeg3d& line, int& count, AcGePoint3d& p1, AcGePoint3d& p2,
                                  const AcGeTol& tol) const {
  return twoPointAnswer(piece(), line.piece(), count, p1, p2, tol);
}

bool AcGeCircArc3d::intersectWith(const AcGeCircArc3d& arc, int& count, AcGePoint3d& p1, AcGePoint3d& p2,
                                  const AcGeTol& tol) const {
  return twoPointAnswer(piece(), arc.piece(), count, p1, p2, tol);
}

bool AcGeCircArc3d::transformBy(const AcGeMatrix3d& m) {
  // Transform the frame as a whole circle so that the angles keep their meaning.
  GeCurvePiece circle = GeCurvePiece::arc(center_, radius_ > 0 ? radius_ : 1.0, normal_, ref_, 2 * M_PI);
  if (!circle.transformBy(m)) return false;
  center_ = circle.center();
  if (radius_ > 0) radius_ = circle.radius();
  normal_ = circle.normal();
  ref_ = circle.startDir();
  return true;
}
