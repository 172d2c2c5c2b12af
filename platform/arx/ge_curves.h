// Curves of the geometry library: the host's line segments and circular arcs, and the
// curve path (a chain of segments and arcs) through which every plain curve answers
// lengths, points, closest points and intersections with one set of algorithms.
#pragma once

#include <vector>

#include "arx/ge.h"
#include "arx/status.h"

// One piece of a curve path: a straight segment or a circular arc. Distances along a
// piece are measured from its start; queries beyond either end continue the piece
// (a segment straight on, an arc round its circle).
class GeCurvePiece {
 public:
  static GeCurvePiece line(const AcGePoint3d& start, const AcGePoint3d& end);
  // An arc about the centre, from centre + radius * startDir, turning counter-clockwise
  // about the normal by the sweep (> 0). startDir is made perpendicular to the normal.
  static GeCurvePiece arc(const AcGePoint3d& center, double radius, const AcGeVector3d& normal,
                          const AcGeVector3d& startDir, double sweep);
  // The arc that leaves start along the tangent and reaches end, in the plane of the
  // tangent and the chord. In line with the tangent it is a segment.
  static GeCurvePiece arcFromTangent(const AcGePoint3d& start, const AcGeVector3d& tangent, const AcGePoint3d& end);

  bool isArc() const { return arc_; }
  const AcGePoint3d& startPoint() const { return start_; }
  const AcGePoint3d& endPoint() const { return end_; }
  const AcGePoint3d& center() const { return center_; }
  double radius() const { return radius_; }
  double sweep() const { return sweep_; }
  const AcGeVector3d& startDir() const { return u_; }
  // For an arc: the axis it turns about; for a segment: zero.
  AcGeVector3d normal() const { return arc_ ? u_.crossProduct(w_) : AcGeVector3d(); }
  double length() const;
  // For an arc: the angle of a point seen from the centre, from the start, in [0, 2 pi)
  // (0 for the centre itself).
  double angleOf(const AcGePoint3d& p) const;

  AcGePoint3d pointAt(double t) const;
  // The unit tangent (zero for a segment of no length).
  AcGeVector3d tangentAt(double t) const;
  // The distance along the piece of the point closest to p, seen along viewDir (a zero
  // vector: in space). The flags extend the piece beyond its start and end (an arc to
  // its whole circle). False when an arc is not seen square along viewDir.
  bool closestTo(const AcGePoint3d& p, const AcGeVector3d& viewDir, bool extendStart, bool extendEnd,
                 double& t) const;
  // True when p lies on the (extended) piece within tol; t is its distance along it.
  bool contains(const AcGePoint3d& p, bool extendStart, bool extendEnd, double tol, double* t = nullptr) const;
  // Appends the feet of the perpendiculars from a point (seen along viewDir) that lie
  // on the piece: for a segment the foot of the perpendicular, for an arc the points
  // on the line through its centre.
  void appendPerpendicularFeet(const AcGePoint3d& from, const AcGeVector3d& viewDir,
                               std::vector<AcGePoint3d>& feet) const;
  GeCurvePiece reversed() const;
  // Applies the transformation. False, and the piece unchanged, when it would turn an
  // arc into an ellipse (a non-uniform scale).
  bool transformBy(const AcGeMatrix3d& m);
  // Grows the box by the piece (an arc by its extreme points within the sweep).
  void extendBox(AcGePoint3d& lo, AcGePoint3d& hi) const;

 private:
  bool arc_ = false;
  AcGePoint3d start_, end_;
  AcGePoint3d center_;
  double radius_ = 0.0, sweep_ = 0.0;
  AcGeVector3d u_, w_;  // arc: unit vectors to the start and along the start tangent
};

// A chain of pieces with the curve parameterisation laid over it: knots mark curve
// parameters at distances along the chain, and between two knots the parameter grows
// in proportion to the distance.
class GeCurvePath {
 public:
  void addPiece(const GeCurvePiece& piece);
  // Marks the current end of the chain as the given parameter. A path starts and ends
  // with a knot.
  void addKnot(double param);
  void setClosed(bool closed) { closed_ = closed; }
  bool isClosed() const { return closed_; }
  bool isEmpty() const { return pieces_.empty() || knots_.size() < 2; }
  const std::vector<GeCurvePiece>& pieces() const { return pieces_; }
  // The parameter of every knot, in order.
  std::vector<double> knotParams() const;

  double length() const { return total_; }
  double startParam() const { return knots_.empty() ? 0.0 : knots_.front().param; }
  double endParam() const { return knots_.empty() ? 0.0 : knots_.back().param; }

  // Each answers eInvalidInput for a value off the curve, eNotApplicable when the path
  // is empty.
  Acad::ErrorStatus distAtParam(double param, double& dist) const;
  Acad::ErrorStatus paramAtDist(double dist, double& param) const;
  Acad::ErrorStatus pointAtDist(double dist, AcGePoint3d& point) const;
  Acad::ErrorStatus pointAtParam(double param, AcGePoint3d& point) const;
  // The point's distance from the start; eInvalidInput when it is not on the curve.
  Acad::ErrorStatus distAtPoint(const AcGePoint3d& point, double& dist) const;
  Acad::ErrorStatus paramAtPoint(const AcGePoint3d& point, double& param) const;
  // The derivative of the point with respect to the parameter.
  Acad::ErrorStatus derivAtParam(double param, AcGeVector3d& deriv) const;
  // The closest point, seen along viewDir (zero: in space); with extend, an open path
  // continues beyond its ends. dist (when asked) is its distance along the path.
  Acad::ErrorStatus closestPoint(const AcGePoint3d& given, const AcGeVector3d& viewDir, bool extend,
                                 AcGePoint3d& point, double* dist = nullptr) const;
  // The feet of the perpendiculars from a point onto every piece, seen along viewDir.
  std::vector<AcGePoint3d> perpendicularFeet(const AcGePoint3d& from, const AcGeVector3d& viewDir) const;
  // False for an empty path.
  bool extents(AcGePoint3d& lo, AcGePoint3d& hi) const;

  // The path projected onto a plane along the plane's normal. eNotApplicable when an
  // arc does not lie parallel to the plane (its projection is an ellipse).
  Acad::ErrorStatus projectedOnto(const AcGePlane& plane, GeCurvePath& out) const;

 private:
  struct Knot {
    double param;
    double dist;
    size_t pieces;  // how many pieces come before the knot
  };
  // The piece holding a distance (the first or last one beyond the ends).
  size_t pieceAt(double dist) const;
  bool inRange(double dist) const;

  std::vector<GeCurvePiece> pieces_;
  std::vector<double> starts_;  // distance at the start of each piece
  std::vector<Knot> knots_;
  double total_ = 0.0;
  bool closed_ = false;
};

// The points where two paths meet, in order along the first one. An extended open path
// continues beyond its ends (segments as lines, arcs round their circles).
Acad::ErrorStatus geIntersectPaths(const GeCurvePath& a, bool extendA, const GeCurvePath& b, bool extendB,
                                   AcGePoint3dArray& points, const AcGeTol& tol = AcGeContext::gTol);

// The tolerance for comparing points near the given size of coordinates: the global
// point tolerance, widened where the coordinates are so large that rounding alone
// exceeds it.
double geLengthTol(double magnitude, const AcGeTol& tol = AcGeContext::gTol);

// Lines in the plane: the unbounded line and the segment share their intersection and
// closest-point code.
class AcGeLinearEnt2d {
 public:
  virtual ~AcGeLinearEnt2d() = default;
  AcGePoint2d pointOnLine() const { return p1_; }
  // The unit direction.
  AcGeVector2d direction() const { return (p2_ - p1_).normal(); }
  bool isBounded() const { return bounded_; }
  bool intersectWith(const AcGeLinearEnt2d& other, AcGePoint2d& point,
                     const AcGeTol& tol = AcGeContext::gTol) const;
  bool isParallelTo(const AcGeLinearEnt2d& other, const AcGeTol& tol = AcGeContext::gTol) const;
  AcGePoint2d closestPointTo(const AcGePoint2d& p) const;
  double distanceTo(const AcGePoint2d& p) const { return closestPointTo(p).distanceTo(p); }
  bool isOn(const AcGePoint2d& p, const AcGeTol& tol = AcGeContext::gTol) const;

 protected:
  AcGeLinearEnt2d(const AcGePoint2d& p1, const AcGePoint2d& p2, bool bounded)
      : p1_(p1), p2_(p2), bounded_(bounded) {}
  GeCurvePath path() const;
  AcGePoint2d p1_, p2_;
  bool bounded_;
};

class AcGeLine2d : public AcGeLinearEnt2d {
 public:
  AcGeLine2d() : AcGeLinearEnt2d({0, 0}, {1, 0}, false) {}
  AcGeLine2d(const AcGePoint2d& p, const AcGeVector2d& dir) : AcGeLinearEnt2d(p, p + dir, false) {}
  AcGeLine2d(const AcGePoint2d& p1, const AcGePoint2d& p2) : AcGeLinearEnt2d(p1, p2, false) {}
};

// A segment; its parameter runs from 0 at the start to 1 at the end.
class AcGeLineSeg2d : public AcGeLinearEnt2d {
 public:
  AcGeLineSeg2d() : AcGeLinearEnt2d({0, 0}, {1, 0}, true) {}
  AcGeLineSeg2d(const AcGePoint2d& p1, const AcGePoint2d& p2) : AcGeLinearEnt2d(p1, p2, true) {}
  AcGeLineSeg2d& set(const AcGePoint2d& p1, const AcGePoint2d& p2) { p1_ = p1; p2_ = p2; return *this; }
  AcGePoint2d startPoint() const { return p1_; }
  AcGePoint2d endPoint() const { return p2_; }
  AcGePoint2d midPoint() const { return p1_ + (p2_ - p1_) * 0.5; }
  double length() const { return p1_.distanceTo(p2_); }
  AcGePoint2d evalPoint(double param) const { return p1_ + (p2_ - p1_) * param; }
  double paramOf(const AcGePoint2d& p) const;
};

class AcGeCircArc3d;

// A segment in space; its parameter runs from 0 at the start to 1 at the end.
class AcGeLineSeg3d {
 public:
  AcGeLineSeg3d() : p1_(0, 0, 0), p2_(1, 0, 0) {}
  AcGeLineSeg3d(const AcGePoint3d& p1, const AcGePoint3d& p2) : p1_(p1), p2_(p2) {}
  AcGeLineSeg3d& set(const AcGePoint3d& p1, const AcGePoint3d& p2) { p1_ = p1; p2_ = p2; return *this; }
  AcGePoint3d startPoint() const { return p1_; }
  AcGePoint3d endPoint() const { return p2_; }
  AcGePoint3d midPoint() const { return p1_ + (p2_ - p1_) * 0.5; }
  double length() const { return p1_.distanceTo(p2_); }
  AcGeVector3d direction() const { return (p2_ - p1_).normal(); }
  AcGePoint3d evalPoint(double param) const { return p1_ + (p2_ - p1_) * param; }
  double paramOf(const AcGePoint3d& p) const;
  AcGePoint3d closestPointTo(const AcGePoint3d& p) const;
  // The closest point seen along a direction (both projected on a plane across it).
  AcGePoint3d projClosestPointTo(const AcGePoint3d& p, const AcGeVector3d& direction) const;
  bool isOn(const AcGePoint3d& p, const AcGeTol& tol = AcGeContext::gTol) const;
  bool intersectWith(const AcGeLineSeg3d& other, AcGePoint3d& point, const AcGeTol& tol = AcGeContext::gTol) const;
  AcGeLineSeg3d& transformBy(const AcGeMatrix3d& m);
  GeCurvePiece piece() const { return GeCurvePiece::line(p1_, p2_); }

 private:
  AcGePoint3d p1_, p2_;
};

// A circular arc in space, counter-clockwise about its normal from the start angle to
// the end angle, the angles measured from the reference vector. Its parameter is the
// angle.
class AcGeCircArc3d {
 public:
  AcGeCircArc3d();
  // A whole circle.
  AcGeCircArc3d(const AcGePoint3d& center, const AcGeVector3d& normal, double radius);
  AcGeCircArc3d(const AcGePoint3d& center, const AcGeVector3d& normal, const AcGeVector3d& refVec, double radius,
                double startAngle, double endAngle);
  // The arc through three points (a segment cannot be made: the arc is left a zero
  // circle at the first point when they are in line).
  AcGeCircArc3d(const AcGePoint3d& start, const AcGePoint3d& mid, const AcGePoint3d& end);

  AcGePoint3d center() const { return center_; }
  AcGeVector3d normal() const { return normal_; }
  AcGeVector3d refVec() const { return ref_; }
  double radius() const { return radius_; }
  double startAng() const { return startAng_; }
  double endAng() const { return endAng_; }
  AcGePoint3d startPoint() const { return evalPoint(startAng_); }
  AcGePoint3d endPoint() const { return evalPoint(endAng_); }
  bool isClosed() const { return endAng_ - startAng_ >= 2 * M_PI - 1e-12; }
  double length() const { return radius_ * (endAng_ - startAng_); }
  AcGePoint3d evalPoint(double angle) const;
  // The angle of the point seen from the centre, in [startAng, startAng + 2 pi).
  double paramOf(const AcGePoint3d& p) const;
  AcGePoint3d closestPointTo(const AcGePoint3d& p) const;
  bool isOn(const AcGePoint3d& p, const AcGeTol& tol = AcGeContext::gTol) const;
  bool intersectWith(const AcGeLineSeg3d& line, int& count, AcGePoint3d& p1, AcGePoint3d& p2,
                     const AcGeTol& tol = AcGeContext::gTol) const;
  bool intersectWith(const AcGeCircArc3d& arc, int& count, AcGePoint3d& p1, AcGePoint3d& p2,
                     const AcGeTol& tol = AcGeContext::gTol) const;
  // Uniform scales, rotations, mirrors and moves; a non-uniform scale leaves the arc
  // unchanged and answers false.
  bool transformBy(const AcGeMatrix3d& m);
  GeCurvePiece piece() const;

 private:
  AcGePoint3d center_;
  AcGeVector3d normal_{0, 0, 1}, ref_{1, 0, 0};
  double radius_ = 0.0, startAng_ = 0.0, endAng_ = 2 * M_PI;
};
