// The host's geometry: matrices and vectors, segments and arcs, and the curve paths
// through which every plain curve measures, finds closest points and intersects.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "arx/ge_curves.h"

namespace {

constexpr double kEps = 1e-9;

#define EXPECT_POINT(p, ex, ey, ez)     \
  do {                                  \
    AcGePoint3d q_ = (p);               \
    EXPECT_NEAR(q_.x, (ex), kEps);      \
    EXPECT_NEAR(q_.y, (ey), kEps);      \
    EXPECT_NEAR(q_.z, (ez), kEps);      \
  } while (0)

GeCurvePath pathOf(std::initializer_list<GeCurvePiece> pieces) {
  GeCurvePath path;
  double param = 0;
  path.addKnot(param);
  for (const GeCurvePiece& p : pieces) {
    path.addPiece(p);
    path.addKnot(++param);
  }
  return path;
}

GeCurvePath segment(const AcGePoint3d& a, const AcGePoint3d& b) { return pathOf({GeCurvePiece::line(a, b)}); }

// An arc in plan about (0,0,1) from the start angle by the sweep.
GeCurvePath planArc(const AcGePoint3d& c, double r, double start, double sweep) {
  return pathOf({GeCurvePiece::arc(c, r, AcGeVector3d::kZAxis, AcGeVector3d(std::cos(start), std::sin(start), 0),
                                   sweep)});
}

AcGePoint3dArray meet(const GeCurvePath& a, bool extA, const GeCurvePath& b, bool extB) {
  AcGePoint3dArray pts;
  EXPECT_EQ(geIntersectPaths(a, extA, b, extB, pts), Acad::eOk);
  return pts;
}

}  // namespace

// ---- matrices and vectors ----------------------------------------------------------

TEST(GeMatrix, RotationAboutACentreTurnsCounterClockwise) {
  AcGeMatrix3d m = AcGeMatrix3d::rotation(M_PI / 2, AcGeVector3d::kZAxis, AcGePoint3d(1, 1, 0));
  // (2,1) is one unit east of the centre; a quarter turn puts it one unit north.
  EXPECT_POINT(m * AcGePoint3d(2, 1, 4), 1, 2, 4);
  EXPECT_NEAR(m.det(), 1.0, kEps);
}

TEST(GeMatrix, MirrorInTheVerticalPlaneThroughTwoPoints) {
  AcGeMatrix3d m = AcGeMatrix3d::mirroring(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 7));
  // The diagonal y = x swaps x and y; heights stay.
  EXPECT_POINT(m * AcGePoint3d(1, 0, 5), 0, 1, 5);
  EXPECT_POINT(m * AcGePoint3d(3, 3, 0), 3, 3, 0);
  EXPECT_NEAR(m.det(), -1.0, kEps);
  EXPECT_TRUE((m * m).isEqualTo(AcGeMatrix3d::kIdentity));
  // Mirror in the plane x = 2 given by point and normal.
  EXPECT_POINT(AcGeMatrix3d::mirroringPlane(AcGePoint3d(2, 9, 9), AcGeVector3d(3, 0, 0)) * AcGePoint3d(5, 1, 1), -1,
               1, 1);
}

TEST(GeMatrix, ScalingInverseAndSingularity) {
  AcGeMatrix3d s = AcGeMatrix3d::scaling(2, AcGePoint3d(1, 1, 1));
  EXPECT_POINT(s * AcGePoint3d(2, 1, 1), 3, 1, 1);
  EXPECT_NEAR(s.scale(), 2.0, kEps);
  EXPECT_TRUE(s.isUniScaledOrtho());

  AcGeMatrix3d m = AcGeMatrix3d::translation({5, -2, 1}) * AcGeMatrix3d::rotation(0.7, {1, 2, 3}) * s;
  EXPECT_TRUE((m.inverse() * m).isEqualTo(AcGeMatrix3d::kIdentity, AcGeTol(1e-10, 1e-10)));
  AcGePoint3d p(3, -4, 8);
  EXPECT_TRUE((m.inverse() * (m * p)).isEqualTo(p, AcGeTol(1e-9, 1e-9)));

  AcGeMatrix3d flat = AcGeMatrix3d::scaling(0);
  EXPECT_TRUE(flat.isSingular());
  EXPECT_THROW(flat.inverse(), std::domain_error);
  // A tiny but regular scale is not singular, and a far move does not make it so.
  EXPECT_FALSE(AcGeMatrix3d::scaling(1e-6).isSingular());
  EXPECT_FALSE(AcGeMatrix3d::translation({1e9, 1e9, 0}).isSingular());

  AcGeMatrix3d stretch;
  stretch(0, 0) = 2;
  EXPECT_FALSE(stretch.isUniScaledOrtho());
}

TEST(GeMatrix, AlignCoordSysMapsOneFrameOntoAnother) {
  // From a frame at (1,0,0) to a frame at the origin turned a quarter: x -> y, y -> -x.
  AcGeMatrix3d m = AcGeMatrix3d::alignCoordSys({1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}, {0, 1, 0},
                                               {-1, 0, 0}, {0, 0, 1});
  EXPECT_POINT(m * AcGePoint3d(3, 0, 0), 0, 2, 0);  // 2 along the first x axis
  EXPECT_POINT(m * AcGePoint3d(1, 5, 1), -5, 0, 1);
}

TEST(GeVector, AnglesRotationAndThePlaneAxis) {
  AcGeVector3d x = AcGeVector3d::kXAxis, y = AcGeVector3d::kYAxis;
  EXPECT_NEAR(x.angleTo(y), M_PI / 2, kEps);
  EXPECT_NEAR(x.angleTo(y, AcGeVector3d::kZAxis), M_PI / 2, kEps);
  EXPECT_NEAR(x.angleTo(y, -AcGeVector3d::kZAxis), 3 * M_PI / 2, kEps);
  EXPECT_NEAR(x.angleTo(AcGeVector3d(1, 1e-9, 0)), 1e-9, 1e-15);  // stays accurate near 0

  AcGeVector3d r = x;
  r.rotateBy(M_PI / 2, AcGeVector3d::kZAxis);
  EXPECT_TRUE(r.isEqualTo(y, AcGeTol(1e-12, 1e-12)));

  // The arbitrary axis rule: the x axis of the plane with this normal.
  EXPECT_TRUE(AcGeVector3d::kZAxis.perpVector().isEqualTo(x));
  EXPECT_TRUE((-AcGeVector3d::kZAxis).perpVector().isEqualTo(-x));
  AcGeVector3d n(1, 2, 3);
  EXPECT_NEAR(n.perpVector().dotProduct(n), 0.0, kEps);
  EXPECT_NEAR(n.perpVector().length(), 1.0, kEps);
}

// ---- segments and arcs ---------------------------------------------------------------

TEST(GeLineSeg2d, CrossingTouchingParallelAndApart) {
  AcGePoint2d p;
  EXPECT_TRUE(AcGeLineSeg2d({0, 0}, {4, 4}).intersectWith(AcGeLineSeg2d({0, 4}, {4, 0}), p));
  EXPECT_NEAR(p.x, 2, kEps);
  EXPECT_NEAR(p.y, 2, kEps);
  // Touching at an end point counts.
  EXPECT_TRUE(AcGeLineSeg2d({0, 0}, {2, 0}).intersectWith(AcGeLineSeg2d({2, 0}, {2, 3}), p));
  EXPECT_NEAR(p.x, 2, kEps);
  EXPECT_FALSE(AcGeLineSeg2d({0, 0}, {4, 0}).intersectWith(AcGeLineSeg2d({0, 1}, {4, 1}), p));
  // Their lines cross at (2,2), beyond the second segment.
  EXPECT_FALSE(AcGeLineSeg2d({0, 0}, {4, 4}).intersectWith(AcGeLineSeg2d({3, 1}, {5, -1}), p));
  // In line: end to end is one point, an overlap none.
  EXPECT_TRUE(AcGeLineSeg2d({0, 0}, {2, 0}).intersectWith(AcGeLineSeg2d({2, 0}, {5, 0}), p));
  EXPECT_NEAR(p.x, 2, kEps);
  EXPECT_FALSE(AcGeLineSeg2d({0, 0}, {3, 0}).intersectWith(AcGeLineSeg2d({2, 0}, {5, 0}), p));
}

TEST(GeLine2d, UnboundedLineReachesBeyondAnySegment) {
  AcGePoint2d p;
  AcGeLineSeg2d post({5, -1}, {5, 1});
  EXPECT_TRUE(AcGeLine2d(AcGePoint2d(0, 0), AcGeVector2d(1, 0)).intersectWith(post, p));
  EXPECT_NEAR(p.x, 5, kEps);
  EXPECT_NEAR(p.y, 0, kEps);
  EXPECT_FALSE(AcGeLineSeg2d({0, 0}, {1, 0}).intersectWith(post, p));
  EXPECT_NEAR(AcGeLine2d(AcGePoint2d(0, 0), AcGeVector2d(1, 1)).distanceTo({0, 2}), std::sqrt(2.0), kEps);
  EXPECT_NEAR(AcGeLineSeg2d({0, 0}, {4, 0}).paramOf({1, 7}), 0.25, kEps);
}

TEST(GeLineSeg3d, SkewSegmentsDoNotMeetAndClosestPointsClamp) {
  AcGePoint3d p;
  AcGeLineSeg3d a({0, 0, 0}, {2, 0, 0});
  EXPECT_FALSE(a.intersectWith(AcGeLineSeg3d({1, -1, 1}, {1, 1, 1}), p));
  EXPECT_TRUE(a.intersectWith(AcGeLineSeg3d({1, -1, 0}, {1, 1, 0}), p));
  EXPECT_POINT(p, 1, 0, 0);

  AcGeLineSeg3d slope({0, 0, 0}, {10, 0, 10});
  // (5,0,0) projects at a quarter of the way: (5*10) / 200.
  EXPECT_POINT(slope.closestPointTo({5, 0, 0}), 2.5, 0, 2.5);
  EXPECT_NEAR(slope.paramOf({5, 0, 0}), 0.25, kEps);
  EXPECT_POINT(slope.closestPointTo({20, 0, 0}), 10, 0, 10);
  // Seen from above, (5,3,0) lies over x = 5 of the slope.
  EXPECT_POINT(slope.projClosestPointTo({5, 3, 0}, AcGeVector3d::kZAxis), 5, 0, 5);
}

TEST(GeCircArc3d, LineCrossesTouchesAndMissesACircle) {
  AcGeCircArc3d circle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 5);
  int n = 0;
  AcGePoint3d p1, p2;
  // y = 3 cuts the circle at x = +-4 (3-4-5).
  EXPECT_TRUE(circle.intersectWith(AcGeLineSeg3d({-10, 3, 0}, {10, 3, 0}), n, p1, p2));
  ASSERT_EQ(n, 2);
  EXPECT_NEAR(std::abs(p1.x), 4, kEps);
  EXPECT_NEAR(p1.x, -p2.x, kEps);
  EXPECT_TRUE(circle.intersectWith(AcGeLineSeg3d({-10, 5, 0}, {10, 5, 0}), n, p1, p2));
  EXPECT_EQ(n, 1);
  EXPECT_POINT(p1, 0, 5, 0);
  EXPECT_FALSE(circle.intersectWith(AcGeLineSeg3d({-1, 0, 0}, {1, 0, 0}), n, p1, p2));
  EXPECT_EQ(n, 0);
  // A quarter arc keeps only the crossing within its sweep.
  AcGeCircArc3d quarter(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, 5, 0, M_PI / 2);
  EXPECT_TRUE(quarter.intersectWith(AcGeLineSeg3d({-10, 3, 0}, {10, 3, 0}), n, p1, p2));
  EXPECT_EQ(n, 1);
  EXPECT_POINT(p1, 4, 3, 0);
  // A segment through the arc's plane meets it once, where it pierces the plane.
  EXPECT_TRUE(quarter.intersectWith(AcGeLineSeg3d({3, 4, -1}, {3, 4, 1}), n, p1, p2));
  EXPECT_EQ(n, 1);
  EXPECT_POINT(p1, 3, 4, 0);
  EXPECT_FALSE(quarter.intersectWith(AcGeLineSeg3d({3, 3, -1}, {3, 3, 1}), n, p1, p2));
}

TEST(GeCircArc3d, TwoCirclesCrossTouchAndMiss) {
  AcGeCircArc3d a(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 5);
  int n = 0;
  AcGePoint3d p1, p2;
  EXPECT_TRUE(a.intersectWith(AcGeCircArc3d({8, 0, 0}, AcGeVector3d::kZAxis, 5), n, p1, p2));
  ASSERT_EQ(n, 2);
  EXPECT_NEAR(p1.x, 4, kEps);
  EXPECT_NEAR(std::abs(p1.y), 3, kEps);
  EXPECT_TRUE(a.intersectWith(AcGeCircArc3d({10, 0, 0}, AcGeVector3d::kZAxis, 5), n, p1, p2));
  EXPECT_EQ(n, 1);
  EXPECT_POINT(p1, 5, 0, 0);
  // Touching from inside.
  EXPECT_TRUE(a.intersectWith(AcGeCircArc3d({2, 0, 0}, AcGeVector3d::kZAxis, 3), n, p1, p2));
  EXPECT_EQ(n, 1);
  EXPECT_POINT(p1, 5, 0, 0);
  EXPECT_FALSE(a.intersectWith(AcGeCircArc3d({11, 0, 0}, AcGeVector3d::kZAxis, 5), n, p1, p2));
  EXPECT_FALSE(a.intersectWith(AcGeCircArc3d({0, 0, 0}, AcGeVector3d::kZAxis, 2), n, p1, p2));
  // At another height the same plan circles do not meet in space.
  EXPECT_FALSE(a.intersectWith(AcGeCircArc3d({8, 0, 1}, AcGeVector3d::kZAxis, 5), n, p1, p2));
  // A circle standing upright through the plan circle: the plane x = 3 holds it.
  EXPECT_TRUE(a.intersectWith(AcGeCircArc3d({3, 0, 0}, AcGeVector3d::kXAxis, 4), n, p1, p2));
  ASSERT_EQ(n, 2);
  EXPECT_NEAR(p1.x, 3, kEps);
  EXPECT_NEAR(std::abs(p1.y), 4, kEps);
  EXPECT_NEAR(p1.z, 0, kEps);
}

TEST(GeCircArc3d, ThreePointArcAndItsParameters) {
  AcGeCircArc3d arc(AcGePoint3d(5, 0, 0), AcGePoint3d(0, 5, 0), AcGePoint3d(-5, 0, 0));
  EXPECT_POINT(arc.center(), 0, 0, 0);
  EXPECT_NEAR(arc.radius(), 5, kEps);
  EXPECT_NEAR(arc.endAng() - arc.startAng(), M_PI, kEps);
  EXPECT_POINT(arc.evalPoint(arc.startAng() + M_PI / 2), 0, 5, 0);
  EXPECT_NEAR(arc.paramOf({0, -5, 0}) - arc.startAng(), 3 * M_PI / 2, kEps);
  EXPECT_NEAR(arc.length(), 5 * M_PI, kEps);
  EXPECT_POINT(arc.closestPointTo({-1, -9, 0}), -5, 0, 0);  // nearer the end than the start
  EXPECT_TRUE(arc.isOn({3, 4, 0}));
  EXPECT_FALSE(arc.isOn({3, -4, 0}));
}

TEST(GeCircArc3d, MirrorFlipsTheNormalAndNonUniformScaleIsRefused) {
  AcGeCircArc3d arc(AcGePoint3d(1, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, 1, 0, M_PI / 2);
  AcGeCircArc3d mirrored = arc;
  ASSERT_TRUE(mirrored.transformBy(AcGeMatrix3d::mirroringPlane(AcGePoint3d::kOrigin, AcGeVector3d::kXAxis)));
  EXPECT_POINT(mirrored.center(), -1, 0, 0);
  EXPECT_POINT(mirrored.startPoint(), -2, 0, 0);
  EXPECT_POINT(mirrored.endPoint(), -1, 1, 0);
  EXPECT_TRUE(mirrored.normal().isEqualTo(-AcGeVector3d::kZAxis));

  AcGeMatrix3d stretch;
  stretch(0, 0) = 2;
  AcGeCircArc3d kept = arc;
  EXPECT_FALSE(kept.transformBy(stretch));
  EXPECT_POINT(kept.center(), 1, 0, 0);
  EXPECT_NEAR(kept.radius(), 1, kEps);
  // Stretching along the normal leaves a plan circle a circle.
  AcGeMatrix3d tall;
  tall(2, 2) = 3;
  EXPECT_TRUE(kept.transformBy(tall));
}

// ---- curve paths -------------------------------------------------------------------------

TEST(GeCurvePath, ExtensionTurnsSegmentsIntoLinesAndArcsIntoCircles) {
  GeCurvePath a = segment({0, 0, 0}, {1, 0, 0}), post = segment({3, -1, 0}, {3, 1, 0});
  EXPECT_EQ(meet(a, false, post, false).length(), 0);
  AcGePoint3dArray hit = meet(a, true, post, false);
  ASSERT_EQ(hit.length(), 1);
  EXPECT_POINT(hit[0], 3, 0, 0);
  EXPECT_EQ(meet(a, false, post, true).length(), 0);  // the post's line x = 3 misses [0,1]

  GeCurvePath quarter = planArc({0, 0, 0}, 2, 0, M_PI / 2), floor = segment({-3, -1, 0}, {3, -1, 0});
  EXPECT_EQ(meet(floor, false, quarter, false).length(), 0);
  // Its circle meets y = -1 at x = -+sqrt(3), in order along the floor.
  AcGePoint3dArray two = meet(floor, false, quarter, true);
  ASSERT_EQ(two.length(), 2);
  EXPECT_POINT(two[0], -std::sqrt(3.0), -1, 0);
  EXPECT_POINT(two[1], std::sqrt(3.0), -1, 0);
}

TEST(GeCurvePath, IntersectionsComeInOrderAlongTheFirstPathAndOnce) {
  GeCurvePath corner = pathOf({GeCurvePiece::line({0, 0, 0}, {10, 0, 0}), GeCurvePiece::line({10, 0, 0}, {10, 10, 0})});
  GeCurvePath diagonal = segment({12, 7, 0}, {4, -1, 0});  // y = x - 5
  AcGePoint3dArray along = meet(corner, false, diagonal, false);
  ASSERT_EQ(along.length(), 2);
  EXPECT_POINT(along[0], 5, 0, 0);
  EXPECT_POINT(along[1], 10, 5, 0);
  AcGePoint3dArray back = meet(diagonal, false, corner, false);
  ASSERT_EQ(back.length(), 2);
  EXPECT_POINT(back[0], 10, 5, 0);
  // A line through the shared vertex meets both pieces there: one point.
  AcGePoint3dArray vertex = meet(corner, false, segment({5, 5, 0}, {15, -5, 0}), false);
  ASSERT_EQ(vertex.length(), 1);
  EXPECT_POINT(vertex[0], 10, 0, 0);
}

TEST(GeCurvePath, DistancesParametersAndDerivativeFollowTheKnots) {
  // A 3-4-5 segment then 10 straight up: knots at parameters 0, 1 and 2.
  GeCurvePath path = pathOf({GeCurvePiece::line({0, 0, 0}, {3, 4, 0}), GeCurvePiece::line({3, 4, 0}, {3, 14, 0})});
  double d = 0, param = 0;
  EXPECT_EQ(path.distAtParam(1.5, d), Acad::eOk);
  EXPECT_NEAR(d, 10, kEps);
  AcGePoint3d p;
  EXPECT_EQ(path.pointAtParam(1.5, p), Acad::eOk);
  EXPECT_POINT(p, 3, 9, 0);
  EXPECT_EQ(path.paramAtDist(2.5, param), Acad::eOk);
  EXPECT_NEAR(param, 0.5, kEps);
  EXPECT_EQ(path.paramAtPoint({3, 9, 0}, param), Acad::eOk);
  EXPECT_NEAR(param, 1.5, kEps);
  AcGeVector3d deriv;
  EXPECT_EQ(path.derivAtParam(0.5, deriv), Acad::eOk);
  EXPECT_TRUE(deriv.isEqualTo({3, 4, 0}, AcGeTol(1e-9, 1e-9)));  // 5 units of length per unit of parameter
  EXPECT_EQ(path.derivAtParam(1.5, deriv), Acad::eOk);
  EXPECT_TRUE(deriv.isEqualTo({0, 10, 0}, AcGeTol(1e-9, 1e-9)));

  EXPECT_EQ(path.distAtParam(2.5, d), Acad::eInvalidInput);
  EXPECT_EQ(path.pointAtDist(-1, p), Acad::eInvalidInput);
  EXPECT_EQ(path.distAtPoint({1, 0, 0}, d), Acad::eInvalidInput);  // beside the path
  EXPECT_EQ(GeCurvePath().pointAtDist(0, p), Acad::eNotApplicable);
}

TEST(GeCurvePath, ClosestPointsInSpaceAlongAViewAndExtended) {
  GeCurvePath quarter = planArc({0, 0, 0}, 2, 0, M_PI / 2);
  AcGePoint3d p;
  double dist = 0;
  EXPECT_EQ(quarter.closestPoint({3, 3, 7}, AcGeVector3d(), false, p, &dist), Acad::eOk);
  EXPECT_POINT(p, std::sqrt(2.0), std::sqrt(2.0), 0);
  EXPECT_NEAR(dist, M_PI / 2, kEps);  // an eighth of the circle of radius 2
  // Behind the start the end is farther: the start is closest; extended, the circle.
  EXPECT_EQ(quarter.closestPoint({1, -1, 0}, AcGeVector3d(), false, p), Acad::eOk);
  EXPECT_POINT(p, 2, 0, 0);
  EXPECT_EQ(quarter.closestPoint({1, -1, 0}, AcGeVector3d(), true, p, &dist), Acad::eOk);
  EXPECT_POINT(p, std::sqrt(2.0), -std::sqrt(2.0), 0);
  EXPECT_NEAR(dist, -M_PI / 2, kEps);
  // Seen from the side an arc is an ellipse: not measured.
  EXPECT_EQ(quarter.closestPoint({1, 1, 0}, AcGeVector3d::kXAxis, false, p), Acad::eNotApplicable);
  EXPECT_EQ(quarter.closestPoint({1, 1, 9}, AcGeVector3d::kZAxis, false, p), Acad::eOk);
}

TEST(GeCurvePath, ProjectionOntoAPlaneFlattensBothCurves) {
  GeCurvePath low = segment({0, 0, 0}, {2, 0, 0}), high = segment({1, -1, 5}, {1, 1, 5});
  EXPECT_EQ(meet(low, false, high, false).length(), 0);
  GeCurvePath flatLow, flatHigh;
  AcGePlane level3(AcGePoint3d(0, 0, 3), AcGeVector3d::kZAxis);
  ASSERT_EQ(low.projectedOnto(level3, flatLow), Acad::eOk);
  ASSERT_EQ(high.projectedOnto(level3, flatHigh), Acad::eOk);
  AcGePoint3dArray hit = meet(flatLow, false, flatHigh, false);
  ASSERT_EQ(hit.length(), 1);
  EXPECT_POINT(hit[0], 1, 0, 3);
  // An upright arc seen from above is a line segment at best: refused.
  GeCurvePath upright = pathOf({GeCurvePiece::arc({0, 0, 0}, 1, AcGeVector3d::kXAxis, AcGeVector3d::kYAxis, 1)});
  GeCurvePath unused;
  EXPECT_EQ(upright.projectedOnto(level3, unused), Acad::eNotApplicable);
}

TEST(GeCurvePiece, AlmostStraightArcKeepsItsPrecision) {
  // Leaving (0,0) at 1e-7 rad above the chord to (1000,0): the radius is about 5e9,
  // the centre 5e9 away, and the bulge at the middle about 1000 * 1e-7 / 4.
  GeCurvePiece arc = GeCurvePiece::arcFromTangent({0, 0, 0}, {1, 1e-7, 0}, {1000, 0, 0});
  ASSERT_TRUE(arc.isArc());
  EXPECT_GT(arc.radius(), 1e9);
  EXPECT_POINT(arc.endPoint(), 1000, 0, 0);
  GeCurvePath path = pathOf({arc});
  AcGePoint3dArray hit = meet(path, false, segment({500, -1, 0}, {500, 1, 0}), false);
  ASSERT_EQ(hit.length(), 1);
  EXPECT_NEAR(hit[0].x, 500, kEps);
  EXPECT_NEAR(hit[0].y, 2.5e-5, 1e-10);
  double d = 0;
  EXPECT_EQ(path.distAtPoint(hit[0], d), Acad::eOk);
  EXPECT_NEAR(d, arc.length() / 2, 1e-8);
}

TEST(GeCurvePiece, ReversedArcRunsBackOverTheSamePoints) {
  GeCurvePiece arc = GeCurvePiece::arc({1, 1, 0}, 2, AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, M_PI / 2);
  GeCurvePiece back = arc.reversed();
  EXPECT_POINT(back.startPoint(), 1, 3, 0);
  EXPECT_POINT(back.endPoint(), 3, 1, 0);
  EXPECT_POINT(back.pointAt(back.length() / 2), arc.pointAt(arc.length() / 2).x, arc.pointAt(arc.length() / 2).y, 0);
  EXPECT_TRUE(back.normal().isEqualTo(-AcGeVector3d::kZAxis));
  EXPECT_TRUE(back.tangentAt(0).isEqualTo(-arc.tangentAt(arc.length()), AcGeTol(1e-12, 1e-12)));
}
