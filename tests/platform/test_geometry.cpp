// The host's geometry: matrices and vectors, segments and arcs, and what the curve
// paths do beyond what tests/scripts/arx_curves.lsp asks of every plain curve.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <stdexcept>
#include <string>

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

}  // namespace

// Each row a matrix, a point and where the matrix takes it.
TEST(GeMatrix, TransformsTakePointsWhereTheyBelong) {
  const AcGeMatrix3d s = AcGeMatrix3d::scaling(2, AcGePoint3d(1, 1, 1));
  struct Row {
    const char* what;
    AcGeMatrix3d m;
    AcGePoint3d in, out;
  };
  const Row rows[] = {
      // (2,1) is one unit east of the centre; a quarter turn puts it one unit north.
      {"rotation", AcGeMatrix3d::rotation(M_PI / 2, AcGeVector3d::kZAxis, AcGePoint3d(1, 1, 0)), {2, 1, 4}, {1, 2, 4}},
      // The diagonal y = x swaps x and y; heights stay.
      {"mirror", AcGeMatrix3d::mirroring(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 7)), {1, 0, 5}, {0, 1, 5}},
      {"mirror on the line", AcGeMatrix3d::mirroring(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 7)), {3, 3, 0}, {3, 3, 0}},
      {"mirror in x = 2", AcGeMatrix3d::mirroringPlane(AcGePoint3d(2, 9, 9), AcGeVector3d(3, 0, 0)), {5, 1, 1}, {-1, 1, 1}},
      {"scaling", s, {2, 1, 1}, {3, 1, 1}},
      // From a frame at (1,0,0) to one at the origin turned a quarter: x -> y, y -> -x.
      {"align", AcGeMatrix3d::alignCoordSys({1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}, {0, 1, 0}, {-1, 0, 0},
                                            {0, 0, 1}),
       {3, 0, 0}, {0, 2, 0}},
      {"align off the axes", AcGeMatrix3d::alignCoordSys({1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0},
                                                         {0, 1, 0}, {-1, 0, 0}, {0, 0, 1}),
       {1, 5, 1}, {-5, 0, 1}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_POINT(row.m * row.in, row.out.x, row.out.y, row.out.z);
  }
  EXPECT_NEAR(rows[0].m.det(), 1.0, kEps);
  EXPECT_NEAR(rows[1].m.det(), -1.0, kEps);
  EXPECT_TRUE((rows[1].m * rows[1].m).isEqualTo(AcGeMatrix3d::kIdentity));
  EXPECT_NEAR(s.scale(), 2.0, kEps);
  EXPECT_TRUE(s.isUniScaledOrtho());
  AcGeMatrix3d stretch;
  stretch(0, 0) = 2;
  EXPECT_FALSE(stretch.isUniScaledOrtho());

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

// Crossing, touching at an end, parallel, apart, end to end in line, overlapping.
TEST(GeLineSeg, SegmentsMeetOnlyWithinBoth) {
  struct Row {
    AcGeLineSeg2d a, b;
    bool meet;
    AcGePoint2d at;
  };
  const Row rows[] = {
      {{{0, 0}, {4, 4}}, {{0, 4}, {4, 0}}, true, {2, 2}},
      {{{0, 0}, {2, 0}}, {{2, 0}, {2, 3}}, true, {2, 0}},
      {{{0, 0}, {4, 0}}, {{0, 1}, {4, 1}}, false, {}},
      {{{0, 0}, {4, 4}}, {{3, 1}, {5, -1}}, false, {}},  // their lines cross beyond the second
      {{{0, 0}, {2, 0}}, {{2, 0}, {5, 0}}, true, {2, 0}},
      {{{0, 0}, {3, 0}}, {{2, 0}, {5, 0}}, false, {}},
      {{{0, 0}, {1, 0}}, {{5, -1}, {5, 1}}, false, {}},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    AcGePoint2d p;
    ASSERT_EQ(rows[i].a.intersectWith(rows[i].b, p), rows[i].meet) << "row " << i;
    if (rows[i].meet) {
      EXPECT_TRUE(p.isEqualTo(rows[i].at)) << "row " << i;
    }
  }
  AcGePoint2d p;
  EXPECT_TRUE(AcGeLine2d(AcGePoint2d(0, 0), AcGeVector2d(1, 0)).intersectWith(AcGeLineSeg2d({5, -1}, {5, 1}), p));
  EXPECT_TRUE(p.isEqualTo(AcGePoint2d(5, 0)));
  EXPECT_NEAR(AcGeLine2d(AcGePoint2d(0, 0), AcGeVector2d(1, 1)).distanceTo({0, 2}), std::sqrt(2.0), kEps);
  EXPECT_NEAR(AcGeLineSeg2d({0, 0}, {4, 0}).paramOf({1, 7}), 0.25, kEps);

  AcGePoint3d q;
  AcGeLineSeg3d a({0, 0, 0}, {2, 0, 0});
  EXPECT_FALSE(a.intersectWith(AcGeLineSeg3d({1, -1, 1}, {1, 1, 1}), q));  // skew
  EXPECT_TRUE(a.intersectWith(AcGeLineSeg3d({1, -1, 0}, {1, 1, 0}), q));
  EXPECT_POINT(q, 1, 0, 0);
  AcGeLineSeg3d slope({0, 0, 0}, {10, 0, 10});
  EXPECT_POINT(slope.closestPointTo({5, 0, 0}), 2.5, 0, 2.5);
  EXPECT_NEAR(slope.paramOf({5, 0, 0}), 0.25, kEps);
  EXPECT_POINT(slope.closestPointTo({20, 0, 0}), 10, 0, 10);
  // Seen from above, (5,3,0) lies over x = 5 of the slope.
  EXPECT_POINT(slope.projClosestPointTo({5, 3, 0}, AcGeVector3d::kZAxis), 5, 0, 5);
}

// Each row a circle or arc, a segment or circle, how many points they share and the
// first; plan circles at another height do not meet in space.
TEST(GeCircArc3d, LinesAndCirclesCrossTouchAndMiss) {
  const AcGeCircArc3d circle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 5);
  const AcGeCircArc3d quarter(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, 5, 0, M_PI / 2);
  struct SegRow {
    const AcGeCircArc3d& arc;
    AcGeLineSeg3d seg;
    int n;
    AcGePoint3d first;
  };
  const SegRow segs[] = {
      {circle, {{-10, 3, 0}, {10, 3, 0}}, 2, {4, 3, 0}},  // 3-4-5
      {circle, {{-10, 5, 0}, {10, 5, 0}}, 1, {0, 5, 0}},
      {circle, {{-10, 5 + 5e-11, 0}, {10, 5 + 5e-11, 0}}, 1, {0, 5, 0}},  // touching within the tolerance
      {circle, {{-1, 0, 0}, {1, 0, 0}}, 0, {}},
      {quarter, {{-10, 3, 0}, {10, 3, 0}}, 1, {4, 3, 0}},  // only the crossing within the sweep
      {quarter, {{3, 4, -1}, {3, 4, 1}}, 1, {3, 4, 0}},    // piercing the arc's plane on it
      {quarter, {{3, 3, -1}, {3, 3, 1}}, 0, {}},
  };
  for (size_t i = 0; i < std::size(segs); ++i) {
    SCOPED_TRACE("segment row " + std::to_string(i));
    int n = -1;
    AcGePoint3d p1, p2;
    EXPECT_EQ(segs[i].arc.intersectWith(segs[i].seg, n, p1, p2), segs[i].n > 0);
    ASSERT_EQ(n, segs[i].n);
    if (n > 0) EXPECT_POINT(p1, segs[i].first.x, segs[i].first.y, segs[i].first.z);
  }
  struct CircleRow {
    AcGeCircArc3d other;
    int n;
    AcGePoint3d first;
  };
  const CircleRow circles[] = {
      {{{8, 0, 0}, AcGeVector3d::kZAxis, 5}, 2, {4, 3, 0}},
      {{{10, 0, 0}, AcGeVector3d::kZAxis, 5}, 1, {5, 0, 0}},
      {{{2, 0, 0}, AcGeVector3d::kZAxis, 3}, 1, {5, 0, 0}},  // touching from inside
      {{{11, 0, 0}, AcGeVector3d::kZAxis, 5}, 0, {}},
      {{{0, 0, 0}, AcGeVector3d::kZAxis, 2}, 0, {}},
      {{{8, 0, 1}, AcGeVector3d::kZAxis, 5}, 0, {}},
      {{{3, 0, 0}, AcGeVector3d::kXAxis, 4}, 2, {3, 4, 0}},  // standing upright in the plane x = 3
  };
  for (const CircleRow& row : circles) {
    int n = -1;
    AcGePoint3d p1, p2;
    EXPECT_EQ(circle.intersectWith(row.other, n, p1, p2), row.n > 0);
    ASSERT_EQ(n, row.n) << row.other.center().x << "," << row.other.center().z;
    if (n > 0) {
      EXPECT_NEAR(p1.x, row.first.x, kEps);
      EXPECT_NEAR(std::abs(p1.y), row.first.y, kEps);
      EXPECT_NEAR(p1.z, row.first.z, kEps);
    }
  }
}

TEST(GeCircArc3d, ThreePointArcMirrorAndScale) {
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

  AcGeCircArc3d quarter(AcGePoint3d(1, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, 1, 0, M_PI / 2);
  AcGeCircArc3d mirrored = quarter;
  ASSERT_TRUE(mirrored.transformBy(AcGeMatrix3d::mirroringPlane(AcGePoint3d::kOrigin, AcGeVector3d::kXAxis)));
  EXPECT_POINT(mirrored.center(), -1, 0, 0);
  EXPECT_POINT(mirrored.startPoint(), -2, 0, 0);
  EXPECT_POINT(mirrored.endPoint(), -1, 1, 0);
  EXPECT_TRUE(mirrored.normal().isEqualTo(-AcGeVector3d::kZAxis));
  AcGeMatrix3d stretch, tall;
  stretch(0, 0) = 2;
  tall(2, 2) = 3;
  EXPECT_FALSE(quarter.transformBy(stretch));
  EXPECT_POINT(quarter.center(), 1, 0, 0);
  EXPECT_NEAR(quarter.radius(), 1, kEps);
  // Stretching along the normal leaves a plan circle a circle.
  EXPECT_TRUE(quarter.transformBy(tall));
}

// ---- curve paths -------------------------------------------------------------------------

// The distance along the path comes with its closest point; seen from the side an arc
// is an ellipse and is not measured; an upright arc cannot be flattened onto a plan.
TEST(GeCurvePath, ViewsAndProjectionsOfArcs) {
  GeCurvePath quarter = pathOf({GeCurvePiece::arc({0, 0, 0}, 2, AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, M_PI / 2)});
  AcGePoint3d p;
  double dist = 0;
  EXPECT_EQ(quarter.closestPoint({3, 3, 7}, AcGeVector3d(), false, p, &dist), Acad::eOk);
  EXPECT_NEAR(dist, M_PI / 2, kEps);  // an eighth of the circle of radius 2
  EXPECT_EQ(quarter.closestPoint({1, -1, 0}, AcGeVector3d(), true, p, &dist), Acad::eOk);
  EXPECT_NEAR(dist, -M_PI / 2, kEps);
  EXPECT_EQ(quarter.closestPoint({1, 1, 0}, AcGeVector3d::kXAxis, false, p), Acad::eNotApplicable);
  EXPECT_EQ(quarter.closestPoint({1, 1, 9}, AcGeVector3d::kZAxis, false, p), Acad::eOk);
  EXPECT_POINT(p, std::sqrt(2.0), std::sqrt(2.0), 0);
  GeCurvePath upright = pathOf({GeCurvePiece::arc({0, 0, 0}, 1, AcGeVector3d::kXAxis, AcGeVector3d::kYAxis, 1)});
  GeCurvePath unused;
  EXPECT_EQ(upright.projectedOnto(AcGePlane(AcGePoint3d(0, 0, 3), AcGeVector3d::kZAxis), unused),
            Acad::eNotApplicable);
}

TEST(GeCurvePiece, AlmostStraightArcKeepsItsPrecision) {
  // Leaving (0,0) at 1e-7 rad above the chord to (1000,0): the radius is about 5e9,
  // the centre 5e9 away, and the bulge at the middle about 1000 * 1e-7 / 4.
  GeCurvePiece arc = GeCurvePiece::arcFromTangent({0, 0, 0}, {1, 1e-7, 0}, {1000, 0, 0});
  ASSERT_TRUE(arc.isArc());
  EXPECT_GT(arc.radius(), 1e9);
  EXPECT_POINT(arc.endPoint(), 1000, 0, 0);
  GeCurvePath path = pathOf({arc});
  AcGePoint3dArray hit;
  ASSERT_EQ(geIntersectPaths(path, false, pathOf({GeCurvePiece::line({500, -1, 0}, {500, 1, 0})}), false, hit),
            Acad::eOk);
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
  AcGePoint3d middle = arc.pointAt(arc.length() / 2);
  EXPECT_POINT(back.pointAt(back.length() / 2), middle.x, middle.y, 0);
  EXPECT_TRUE(back.normal().isEqualTo(-AcGeVector3d::kZAxis));
  EXPECT_TRUE(back.tangentAt(0).isEqualTo(-arc.tangentAt(arc.length()), AcGeTol(1e-12, 1e-12)));
}
