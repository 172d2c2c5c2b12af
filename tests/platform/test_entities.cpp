// The host's plain entities: the curve interface of lines, arcs, circles and 2D
// polylines (the fit curve included), their edits, snaps, extents, explosion and
// intersections, multiline text layout, and filing in both formats.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "arx/aced_print.h"
#include "arx/curve_geometry.h"
#include "arx/dwg_filer_mem.h"
#include "arx/dxf_filer_mem.h"
#include "arx/gi_record.h"

namespace {

constexpr double kEps = 1e-9;

#define EXPECT_POINT(p, ex, ey, ez)     \
  do {                                  \
    AcGePoint3d q_ = (p);               \
    EXPECT_NEAR(q_.x, (ex), kEps);      \
    EXPECT_NEAR(q_.y, (ey), kEps);      \
    EXPECT_NEAR(q_.z, (ez), kEps);      \
  } while (0)

AcGePoint3dArray points2d(std::initializer_list<AcGePoint2d> pts) {
  AcGePoint3dArray out;
  for (const AcGePoint2d& p : pts) out.append({p.x, p.y, 0});
  return out;
}

// Owns what an explosion made.
struct Exploded {
  AcDbVoidPtrArray set;
  ~Exploded() {
    for (void* p : set) delete static_cast<AcDbEntity*>(p);
  }
  AcDbEntity* at(int i) const { return static_cast<AcDbEntity*>(set[i]); }
};

double curveLength(const AcDbCurve& c) {
  double end = 0, len = -1;
  EXPECT_EQ(c.getEndParam(end), Acad::eOk);
  EXPECT_EQ(c.getDistAtParam(end, len), Acad::eOk);
  return len;
}

AcDb::Intersect mirrored(AcDb::Intersect t) {
  return t == AcDb::kExtendThis ? AcDb::kExtendArg : (t == AcDb::kExtendArg ? AcDb::kExtendThis : t);
}

// A custom entity that intersects as a segment by asking the other entity with a
// temporary line, as a plug-in's entity does.
class SegmentStandIn : public AcDbEntity {
 public:
  SegmentStandIn(const AcGePoint3d& a, const AcGePoint3d& b) : a_(a), b_(b) {}
  Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type, AcGePoint3dArray& points,
                                  Adesk::GsMarker = 0, Adesk::GsMarker = 0) const override {
    AcDbLine line(a_, b_);
    return other->intersectWith(&line, mirrored(type), points);
  }
  Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type, const AcGePlane& plane,
                                  AcGePoint3dArray& points, Adesk::GsMarker = 0, Adesk::GsMarker = 0) const override {
    AcDbLine line(a_, b_);
    return other->intersectWith(&line, mirrored(type), plane, points);
  }

 private:
  AcGePoint3d a_, b_;
};

// An entity with no geometry of its own and no intersectWith.
class InertEntity : public AcDbEntity {};

}  // namespace

// ---- lines ------------------------------------------------------------------------------

TEST(LineCurve, ParametersAreDistancesFromTheStart) {
  AcDbLine line({1, 1, 0}, {4, 5, 0});  // 5 long along (0.6, 0.8)
  double v = -1;
  EXPECT_EQ(line.getStartParam(v), Acad::eOk);
  EXPECT_EQ(v, 0.0);
  EXPECT_EQ(line.getEndParam(v), Acad::eOk);
  EXPECT_NEAR(v, 5, kEps);
  AcGePoint3d p;
  EXPECT_EQ(line.getPointAtParam(2.5, p), Acad::eOk);
  EXPECT_POINT(p, 2.5, 3, 0);
  EXPECT_EQ(line.getParamAtPoint({2.5, 3, 0}, v), Acad::eOk);
  EXPECT_NEAR(v, 2.5, kEps);
  EXPECT_EQ(line.getDistAtPoint({4, 5, 0}, v), Acad::eOk);
  EXPECT_NEAR(v, 5, kEps);
  AcGeVector3d d;
  EXPECT_EQ(line.getFirstDeriv(1, d), Acad::eOk);
  EXPECT_TRUE(d.isEqualTo({0.6, 0.8, 0}, AcGeTol(1e-12, 1e-12)));
  EXPECT_EQ(line.getPointAtParam(6, p), Acad::eInvalidInput);
  EXPECT_EQ(line.getParamAtPoint({0, 0, 0}, v), Acad::eInvalidInput);
}

TEST(LineCurve, ExtendByParameterOrToAPoint) {
  AcDbLine back({1, 1, 0}, {4, 5, 0});
  EXPECT_EQ(back.extend(-5.0), Acad::eOk);
  EXPECT_POINT(back.startPoint(), -2, -3, 0);
  AcDbLine ahead({1, 1, 0}, {4, 5, 0});
  EXPECT_EQ(ahead.extend(12.0), Acad::eOk);
  EXPECT_POINT(ahead.endPoint(), 8.2, 10.6, 0);
  EXPECT_EQ(ahead.extend(2.0), Acad::eInvalidInput);  // within the line
  EXPECT_EQ(ahead.extend(false, AcGePoint3d(7, 9, 0)), Acad::eOk);
  EXPECT_POINT(ahead.endPoint(), 7, 9, 0);
}

TEST(LineCurve, ListPrintsItsGeometry) {
  std::wstring printed;
  AcedPrintSink previous = acedSetPrintSink([&printed](const std::wstring& t) { printed += t; });
  AcDbLine({1, 1, 0}, {4, 5, 0}).list();
  acedSetPrintSink(previous);
  EXPECT_NE(printed.find(L"Length =    5.0000"), std::wstring::npos) << acutWideToUtf8(printed);
  EXPECT_NE(printed.find(L"AcDbLine"), std::wstring::npos);
}

TEST(LineCurve, ClosestPointsAndSnaps) {
  AcDbLine line({0, 0, 0}, {10, 0, 0});
  AcGePoint3d p;
  EXPECT_EQ(line.getClosestPointTo({15, 3, 0}, p), Acad::eOk);
  EXPECT_POINT(p, 10, 0, 0);
  EXPECT_EQ(line.getClosestPointTo({15, 3, 0}, p, true), Acad::eOk);
  EXPECT_POINT(p, 15, 0, 0);
  EXPECT_EQ(line.getClosestPointTo({5, 3, 7}, AcGeVector3d::kZAxis, p), Acad::eOk);
  EXPECT_POINT(p, 5, 0, 0);

  AcGeMatrix3d view;
  AcDbIntArray ids;
  AcGePoint3dArray snaps;
  EXPECT_EQ(line.getOsnapPoints(AcDb::kOsModeEnd, 0, {}, {}, view, snaps, ids), Acad::eOk);
  ASSERT_EQ(snaps.length(), 2);
  EXPECT_POINT(snaps[1], 10, 0, 0);
  snaps.removeAll();
  EXPECT_EQ(line.getOsnapPoints(AcDb::kOsModeMid, 0, {}, {}, view, snaps, ids), Acad::eOk);
  ASSERT_EQ(snaps.length(), 1);
  EXPECT_POINT(snaps[0], 5, 0, 0);
  snaps.removeAll();
  EXPECT_EQ(line.getOsnapPoints(AcDb::kOsModePerp, 0, {}, {3, 7, 0}, view, snaps, ids), Acad::eOk);
  ASSERT_EQ(snaps.length(), 1);
  EXPECT_POINT(snaps[0], 3, 0, 0);
  snaps.removeAll();
  EXPECT_EQ(line.getOsnapPoints(AcDb::kOsModeNear, 0, {4, 2, 9}, {}, view, snaps, ids), Acad::eOk);
  ASSERT_EQ(snaps.length(), 1);
  EXPECT_POINT(snaps[0], 4, 0, 0);
  snaps.removeAll();
  EXPECT_EQ(line.getOsnapPoints(AcDb::kOsModeCen, 0, {}, {}, view, snaps, ids), Acad::eInvalidInput);
  EXPECT_EQ(snaps.length(), 0);
}

// ---- arcs and circles --------------------------------------------------------------------

TEST(ArcCurve, ParameterIsTheAngleTurnedFromTheStart) {
  AcDbArc arc({0, 0, 0}, 2, 0, M_PI / 2);
  double v = -1;
  EXPECT_EQ(arc.getStartParam(v), Acad::eOk);
  EXPECT_EQ(v, 0.0);
  EXPECT_EQ(arc.getEndParam(v), Acad::eOk);
  EXPECT_NEAR(v, M_PI / 2, kEps);
  AcGePoint3d p;
  EXPECT_EQ(arc.getPointAtParam(M_PI / 4, p), Acad::eOk);
  EXPECT_POINT(p, std::sqrt(2.0), std::sqrt(2.0), 0);
  EXPECT_EQ(arc.getDistAtParam(M_PI / 2, v), Acad::eOk);
  EXPECT_NEAR(v, M_PI, kEps);  // radius x angle
  EXPECT_EQ(arc.getParamAtDist(M_PI / 2, v), Acad::eOk);
  EXPECT_NEAR(v, M_PI / 4, kEps);
  AcGeVector3d d;
  EXPECT_EQ(arc.getFirstDeriv(0, d), Acad::eOk);
  EXPECT_TRUE(d.isEqualTo({0, 2, 0}, AcGeTol(1e-12, 1e-12)));
  EXPECT_EQ(arc.getEndPoint(p), Acad::eOk);
  EXPECT_POINT(p, 0, 2, 0);

  // An arc across the x axis: from 270 degrees to 90 degrees.
  AcDbArc across({0, 0, 0}, 2, 3 * M_PI / 2, M_PI / 2);
  EXPECT_NEAR(across.sweep(), M_PI, kEps);
  EXPECT_EQ(across.getPointAtParam(M_PI / 2, p), Acad::eOk);
  EXPECT_POINT(p, 2, 0, 0);
}

TEST(ArcCurve, ExtendMovesTheAngles) {
  AcDbArc arc({0, 0, 0}, 1, 0, M_PI / 2);
  EXPECT_EQ(arc.extend(-M_PI / 2), Acad::eOk);
  EXPECT_NEAR(arc.startAngle(), 3 * M_PI / 2, kEps);
  EXPECT_EQ(arc.extend(3 * M_PI), Acad::eInvalidInput);  // more than a full turn
  AcDbArc other({0, 0, 0}, 1, 0, M_PI / 2);
  EXPECT_EQ(other.extend(M_PI), Acad::eOk);
  EXPECT_NEAR(other.endAngle(), M_PI, kEps);
  EXPECT_EQ(other.extend(true, AcGePoint3d(0, -5, 0)), Acad::eOk);
  EXPECT_NEAR(other.startAngle(), 3 * M_PI / 2, kEps);
}

TEST(ArcCurve, ArcWithADownwardNormalRunsClockwiseInPlan) {
  AcDbArc arc({0, 0, 0}, {0, 0, -1}, 1, 0, M_PI / 2);
  AcGePoint3d p;
  EXPECT_EQ(arc.getStartPoint(p), Acad::eOk);
  EXPECT_POINT(p, -1, 0, 0);  // the plane's x axis is -x
  EXPECT_EQ(arc.getEndPoint(p), Acad::eOk);
  EXPECT_POINT(p, 0, 1, 0);
  EXPECT_EQ(arc.getPointAtParam(M_PI / 4, p), Acad::eOk);
  EXPECT_POINT(p, -std::sqrt(0.5), std::sqrt(0.5), 0);
}

TEST(ArcCurve, MirrorKeepsTheNormalAndSwapsTheEnds) {
  AcDbArc arc({2, 0, 0}, 1, 0, M_PI / 2);  // from (3,0) to (2,1)
  ASSERT_EQ(arc.transformBy(AcGeMatrix3d::mirroring({0, 0, 0}, {0, 1, 0})), Acad::eOk);
  EXPECT_POINT(arc.center(), -2, 0, 0);
  EXPECT_TRUE(arc.normal().isEqualTo(AcGeVector3d::kZAxis));
  // Counter-clockwise from the image of the old end, (-2,1), to that of the start, (-3,0).
  EXPECT_NEAR(arc.startAngle(), M_PI / 2, kEps);
  EXPECT_NEAR(arc.endAngle(), M_PI, kEps);
  AcGePoint3d p;
  arc.getStartPoint(p);
  EXPECT_POINT(p, -2, 1, 0);
}

TEST(ArcCurve, RotationAndScaleMoveItButAStretchIsRefused) {
  AcDbArc arc({2, 0, 0}, 1, 0, M_PI / 2);
  ASSERT_EQ(arc.transformBy(AcGeMatrix3d::rotation(M_PI / 2, AcGeVector3d::kZAxis)), Acad::eOk);
  EXPECT_POINT(arc.center(), 0, 2, 0);
  EXPECT_NEAR(arc.startAngle(), M_PI / 2, kEps);
  EXPECT_NEAR(arc.endAngle(), M_PI, kEps);
  ASSERT_EQ(arc.transformBy(AcGeMatrix3d::scaling(2)), Acad::eOk);
  EXPECT_NEAR(arc.radius(), 2, kEps);
  EXPECT_POINT(arc.center(), 0, 4, 0);

  AcGeMatrix3d stretch;
  stretch(0, 0) = 3;
  EXPECT_EQ(arc.transformBy(stretch), Acad::eNotApplicable);
  EXPECT_NEAR(arc.radius(), 2, kEps);
  AcDbCircle circle({0, 0, 0}, AcGeVector3d::kZAxis, 1);
  EXPECT_EQ(circle.transformBy(stretch), Acad::eNotApplicable);
}

TEST(ArcCurve, ExtentsHoldTheQuadrantPointsWithinTheSweep) {
  AcDbArc arc({0, 0, 0}, 10, 30 * M_PI / 180, 120 * M_PI / 180);
  AcDbExtents ext;
  ASSERT_EQ(arc.getGeomExtents(ext), Acad::eOk);
  // From (8.66, 5) over the top (0, 10) to (-5, 8.66).
  EXPECT_POINT(ext.minPoint(), -5, 5, 0);
  EXPECT_POINT(ext.maxPoint(), 10 * std::cos(M_PI / 6), 10, 0);
}

TEST(ArcCurve, CentreAndQuadrantSnaps) {
  AcDbArc arc({1, 1, 0}, 2, 0, M_PI);
  AcGeMatrix3d view;
  AcDbIntArray ids;
  AcGePoint3dArray snaps;
  EXPECT_EQ(arc.getOsnapPoints(AcDb::kOsModeCen, 0, {}, {}, view, snaps, ids), Acad::eOk);
  ASSERT_EQ(snaps.length(), 1);
  EXPECT_POINT(snaps[0], 1, 1, 0);
  snaps.removeAll();
  EXPECT_EQ(arc.getOsnapPoints(AcDb::kOsModeQuad, 0, {}, {}, view, snaps, ids), Acad::eOk);
  EXPECT_EQ(snaps.length(), 3);  // east, north and west; south is outside the sweep
  snaps.removeAll();
  // Perpendicular from below the centre: the line through the centre meets the arc at the top.
  EXPECT_EQ(arc.getOsnapPoints(AcDb::kOsModePerp, 0, {}, {1, -5, 0}, view, snaps, ids), Acad::eOk);
  ASSERT_EQ(snaps.length(), 1);
  EXPECT_POINT(snaps[0], 1, 3, 0);
}

TEST(CircleCurve, ClosedParametersAndNoExtension) {
  AcDbCircle circle({1, 1, 0}, AcGeVector3d::kZAxis, 2);
  AcGePoint3d s, e;
  EXPECT_EQ(circle.getStartPoint(s), Acad::eOk);
  EXPECT_EQ(circle.getEndPoint(e), Acad::eOk);
  EXPECT_POINT(s, 3, 1, 0);
  EXPECT_POINT(e, 3, 1, 0);
  double v = 0;
  EXPECT_EQ(circle.getParamAtPoint({1, 3, 0}, v), Acad::eOk);
  EXPECT_NEAR(v, M_PI / 2, kEps);
  EXPECT_EQ(circle.getDistAtParam(M_PI, v), Acad::eOk);
  EXPECT_NEAR(v, 2 * M_PI, kEps);
  EXPECT_EQ(circle.extend(1.0), Acad::eNotApplicable);
  AcGePoint3dArray snaps;
  AcDbIntArray ids;
  EXPECT_EQ(circle.getOsnapPoints(AcDb::kOsModeQuad, 0, {}, {}, AcGeMatrix3d(), snaps, ids), Acad::eOk);
  EXPECT_EQ(snaps.length(), 4);
  EXPECT_EQ(circle.getOsnapPoints(AcDb::kOsModeEnd, 0, {}, {}, AcGeMatrix3d(), snaps, ids), Acad::eInvalidInput);
  // A mirrored circle is the same circle about the same normal.
  ASSERT_EQ(circle.transformBy(AcGeMatrix3d::mirroring({0, 0, 0}, {0, 1, 0})), Acad::eOk);
  EXPECT_POINT(circle.center(), -1, 1, 0);
  EXPECT_TRUE(circle.normal().isEqualTo(AcGeVector3d::kZAxis));
}

// ---- intersections of entities -------------------------------------------------------------

TEST(EntityIntersect, LinesArcsAndCircles) {
  AcDbLine line({-10, 3, 0}, {10, 3, 0});
  AcDbCircle circle({0, 0, 0}, AcGeVector3d::kZAxis, 5);
  AcGePoint3dArray pts;
  EXPECT_EQ(line.intersectWith(&circle, AcDb::kOnBothOperands, pts), Acad::eOk);
  ASSERT_EQ(pts.length(), 2);
  EXPECT_POINT(pts[0], -4, 3, 0);  // in order along the line
  EXPECT_POINT(pts[1], 4, 3, 0);
  AcDbArc quarter({0, 0, 0}, 5, 0, M_PI / 2);
  pts.removeAll();
  EXPECT_EQ(quarter.intersectWith(&line, AcDb::kOnBothOperands, pts), Acad::eOk);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_POINT(pts[0], 4, 3, 0);
  AcDbCircle other({8, 0, 0}, AcGeVector3d::kZAxis, 5);
  pts.removeAll();
  EXPECT_EQ(circle.intersectWith(&other, AcDb::kOnBothOperands, pts), Acad::eOk);
  EXPECT_EQ(pts.length(), 2);
}

TEST(EntityIntersect, ExtensionFlagsExtendTheRightOperand) {
  AcDbLine a({0, 0, 0}, {1, 0, 0}), post({3, -1, 0}, {3, 1, 0});
  AcGePoint3dArray pts;
  EXPECT_EQ(a.intersectWith(&post, AcDb::kOnBothOperands, pts), Acad::eOk);
  EXPECT_EQ(pts.length(), 0);
  EXPECT_EQ(a.intersectWith(&post, AcDb::kExtendArg, pts), Acad::eOk);
  EXPECT_EQ(pts.length(), 0);
  EXPECT_EQ(a.intersectWith(&post, AcDb::kExtendThis, pts), Acad::eOk);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_POINT(pts[0], 3, 0, 0);
  pts.removeAll();
  EXPECT_EQ(a.intersectWith(&post, AcDb::kExtendBoth, pts), Acad::eOk);
  EXPECT_EQ(pts.length(), 1);

  // An arc extended is its circle.
  AcDbArc arc({0, 0, 0}, 1, 0, M_PI / 2);
  AcDbLine floor({-2, -0.5, 0}, {2, -0.5, 0});
  pts.removeAll();
  EXPECT_EQ(arc.intersectWith(&floor, AcDb::kOnBothOperands, pts), Acad::eOk);
  EXPECT_EQ(pts.length(), 0);
  EXPECT_EQ(arc.intersectWith(&floor, AcDb::kExtendThis, pts), Acad::eOk);
  EXPECT_EQ(pts.length(), 2);
}

TEST(EntityIntersect, InSpaceHeightsMustAgreeWhileAProjectionIgnoresThem) {
  AcDbLine low({0, 0, 0}, {10, 0, 0}), high({5, -5, 3}, {5, 5, 3}), sloped({5, -5, -1}, {5, 5, 1});
  AcGePoint3dArray pts;
  EXPECT_EQ(low.intersectWith(&high, AcDb::kOnBothOperands, pts), Acad::eOk);
  EXPECT_EQ(pts.length(), 0);
  EXPECT_EQ(low.intersectWith(&sloped, AcDb::kOnBothOperands, pts), Acad::eOk);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_POINT(pts[0], 5, 0, 0);
  pts.removeAll();
  EXPECT_EQ(low.intersectWith(&high, AcDb::kOnBothOperands, AcGePlane::kXYPlane, pts), Acad::eOk);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_POINT(pts[0], 5, 0, 0);
  pts.removeAll();
  EXPECT_EQ(low.intersectWith(&high, AcDb::kOnBothOperands, AcGePlane({0, 0, 2}, AcGeVector3d::kZAxis), pts),
            Acad::eOk);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_POINT(pts[0], 5, 0, 2);
}

TEST(EntityIntersect, OtherEntitiesAreAskedAndInertOnesAnswerNothing) {
  AcDbLine line({0, -1, 0}, {0, 1, 0});
  SegmentStandIn custom({-1, 0.5, 0}, {1, 0.5, 0}), custom2({0.5, -1, 0}, {0.5, 1, 0});
  AcGePoint3dArray pts;
  EXPECT_EQ(line.intersectWith(&custom, AcDb::kOnBothOperands, pts), Acad::eOk);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_POINT(pts[0], 0, 0.5, 0);
  pts.removeAll();
  // Two custom entities meet through their temporary lines.
  EXPECT_EQ(custom.intersectWith(&custom2, AcDb::kOnBothOperands, AcGePlane::kXYPlane, pts), Acad::eOk);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_POINT(pts[0], 0.5, 0.5, 0);
  pts.removeAll();
  // The extension flag follows the operand through the swap: the line is extended.
  AcDbLine shortLine({3, -1, 0}, {3, -0.8, 0});
  EXPECT_EQ(shortLine.intersectWith(&custom, AcDb::kExtendArg, pts), Acad::eOk);
  EXPECT_EQ(pts.length(), 0);
  EXPECT_EQ(shortLine.intersectWith(&custom, AcDb::kExtendThis, pts), Acad::eOk);
  EXPECT_EQ(pts.length(), 0);  // the custom segment stops at x = 1
  SegmentStandIn wide({-5, 0.5, 0}, {5, 0.5, 0});
  EXPECT_EQ(shortLine.intersectWith(&wide, AcDb::kExtendThis, pts), Acad::eOk);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_POINT(pts[0], 3, 0.5, 0);

  InertEntity inert;
  AcDbMText text;
  pts.removeAll();
  EXPECT_EQ(line.intersectWith(&inert, AcDb::kOnBothOperands, pts), Acad::eOk);
  EXPECT_EQ(line.intersectWith(&text, AcDb::kOnBothOperands, pts), Acad::eOk);
  EXPECT_EQ(inert.intersectWith(&line, AcDb::kOnBothOperands, pts), Acad::eOk);
  EXPECT_EQ(pts.length(), 0);
}

// ---- 2D polylines and the fit curve --------------------------------------------------------

TEST(Polyline, SimpleParametersFollowTheVertices) {
  AcDb2dPolyline pl(AcDb::k2dSimplePoly, points2d({{0, 0}, {3, 4}, {3, 14}}), 2.0);
  double v = 0;
  EXPECT_EQ(pl.getEndParam(v), Acad::eOk);
  EXPECT_EQ(v, 2.0);
  AcGePoint3d p;
  EXPECT_EQ(pl.getPointAtParam(1.5, p), Acad::eOk);
  EXPECT_POINT(p, 3, 9, 2);
  EXPECT_EQ(pl.getDistAtParam(1.5, v), Acad::eOk);
  EXPECT_NEAR(v, 10, kEps);
  EXPECT_EQ(pl.getParamAtDist(2.5, v), Acad::eOk);
  EXPECT_NEAR(v, 0.5, kEps);
  AcGeVector3d d;
  EXPECT_EQ(pl.getFirstDeriv(0.5, d), Acad::eOk);
  EXPECT_TRUE(d.isEqualTo({3, 4, 0}, AcGeTol(1e-9, 1e-9)));
  EXPECT_EQ(pl.extend(3.0), Acad::eNotApplicable);

  ASSERT_EQ(pl.makeClosed(), Acad::eOk);
  EXPECT_EQ(pl.getEndParam(v), Acad::eOk);
  EXPECT_EQ(v, 3.0);
  EXPECT_NEAR(curveLength(pl), 15 + std::sqrt(205.0), kEps);
}

TEST(Polyline, ExplodeGivesLinesWithItsProperties) {
  AcDb2dPolyline pl(AcDb::k2dSimplePoly, points2d({{0, 0}, {4, 0}, {4, 3}}), 1.0, true);
  ASSERT_EQ(pl.setColorIndex(1), Acad::eOk);
  Exploded out;
  ASSERT_EQ(pl.explode(out.set), Acad::eOk);
  ASSERT_EQ(out.set.length(), 3);
  for (int i = 0; i < 3; ++i) {
    AcDbLine* line = AcDbLine::cast(out.at(i));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->colorIndex(), 1);
    EXPECT_NEAR(line->startPoint().z, 1.0, kEps);
  }
  EXPECT_POINT(AcDbLine::cast(out.at(2))->endPoint(), 0, 0, 1);  // the closing segment
}

TEST(Polyline, TransformKeepsItLevelOrRefuses) {
  AcDb2dPolyline pl(AcDb::k2dSimplePoly, points2d({{0, 0}, {4, 0}}), 1.0);
  ASSERT_EQ(pl.transformBy(AcGeMatrix3d::translation({1, 2, 3})), Acad::eOk);
  EXPECT_POINT(pl.vertexAt(1), 5, 2, 4);
  EXPECT_EQ(pl.transformBy(AcGeMatrix3d::rotation(0.3, AcGeVector3d::kXAxis)), Acad::eNotApplicable);
  EXPECT_POINT(pl.vertexAt(1), 5, 2, 4);
  EXPECT_THROW(pl.vertexAt(2), std::out_of_range);
}

TEST(FitCurve, ThreeVerticesMakeOneCircularArc) {
  // (0,0), (1,1), (2,0) lie on the unit circle about (1,0).
  AcDb2dPolyline pl(AcDb::k2dFitCurvePoly, points2d({{0, 0}, {1, 1}, {2, 0}}));
  GeCurvePath path;
  ASSERT_TRUE(hostCurvePath(&pl, path));
  for (const GeCurvePiece& piece : path.pieces()) {
    ASSERT_TRUE(piece.isArc());
    EXPECT_POINT(piece.center(), 1, 0, 0);
    EXPECT_NEAR(piece.radius(), 1, kEps);
  }
  EXPECT_NEAR(curveLength(pl), M_PI, kEps);

  // y = 0.5 cuts the circle at x = 1 -+ sqrt(0.75); the first lies 30 degrees on.
  AcDbLine line({-1, 0.5, 0}, {3, 0.5, 0});
  AcGePoint3dArray pts;
  ASSERT_EQ(pl.intersectWith(&line, AcDb::kOnBothOperands, pts), Acad::eOk);
  ASSERT_EQ(pts.length(), 2);
  EXPECT_POINT(pts[0], 1 - std::sqrt(0.75), 0.5, 0);
  double d = 0;
  EXPECT_EQ(pl.getDistAtPoint(pts[0], d), Acad::eOk);
  EXPECT_NEAR(d, M_PI / 6, kEps);

  // The upper half of the unit circle about (2,0) crosses it once, at x = 1.5.
  AcDbArc arc({2, 0, 0}, 1, 0, M_PI);
  pts.removeAll();
  ASSERT_EQ(pl.intersectWith(&arc, AcDb::kOnBothOperands, pts), Acad::eOk);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_POINT(pts[0], 1.5, std::sqrt(0.75), 0);
}

TEST(FitCurve, PassesThroughEveryVertexWithMatchingTangents) {
  // The U of a trap: tight turns near its ends and between its two middle vertices.
  AcDb2dPolyline pl(AcDb::k2dFitCurvePoly,
                    points2d({{0, 0}, {0, -0.01}, {0.49, -0.5}, {0.51, -0.5}, {1, -0.01}, {1, 0}}));
  for (int i = 0; i < pl.numVerts(); ++i) {
    AcGePoint3d p;
    ASSERT_EQ(pl.getPointAtParam(i, p), Acad::eOk);
    EXPECT_TRUE(p.isEqualTo(pl.vertexAt(i), AcGeTol(1e-9, 1e-9))) << "vertex " << i;
  }
  GeCurvePath path;
  ASSERT_TRUE(hostCurvePath(&pl, path));
  const auto& pieces = path.pieces();
  ASSERT_EQ(pieces.size(), 10u);  // two arcs for each of the five spans
  for (size_t k = 0; k + 1 < pieces.size(); ++k) {
    EXPECT_TRUE(pieces[k].endPoint().isEqualTo(pieces[k + 1].startPoint(), AcGeTol(1e-9, 1e-9))) << k;
    EXPECT_TRUE(pieces[k].tangentAt(pieces[k].length()).isEqualTo(pieces[k + 1].tangentAt(0), AcGeTol(1e-9, 1e-9)))
        << "tangent after piece " << k;
  }
  // Its length is the sum of the arcs it explodes into.
  Exploded out;
  ASSERT_EQ(pl.explode(out.set), Acad::eOk);
  ASSERT_EQ(out.set.length(), 10);
  double sum = 0;
  for (int i = 0; i < out.set.length(); ++i) {
    const AcDbArc* arc = AcDbArc::cast(out.at(i));
    ASSERT_NE(arc, nullptr);
    sum += arc->radius() * arc->sweep();
  }
  EXPECT_NEAR(curveLength(pl), sum, 1e-9);
  // The curve stays under the vertices' span: no wild loops.
  AcDbExtents ext;
  ASSERT_EQ(pl.getGeomExtents(ext), Acad::eOk);
  EXPECT_GT(ext.minPoint().y, -0.6);
  EXPECT_LT(ext.maxPoint().y, 0.01);
}

TEST(FitCurve, DegenerateVertexListsStayFinite) {
  AcDb2dPolyline inLine(AcDb::k2dFitCurvePoly, points2d({{0, 0}, {1, 1}, {3, 3}}));
  GeCurvePath path;
  ASSERT_TRUE(hostCurvePath(&inLine, path));
  for (const GeCurvePiece& piece : path.pieces()) EXPECT_FALSE(piece.isArc());
  EXPECT_NEAR(curveLength(inLine), 3 * std::sqrt(2.0), kEps);

  AcDb2dPolyline two(AcDb::k2dFitCurvePoly, points2d({{0, 0}, {3, 4}}));
  EXPECT_NEAR(curveLength(two), 5, kEps);

  AcDb2dPolyline repeated(AcDb::k2dFitCurvePoly, points2d({{0, 0}, {0, 0}, {1, 0}, {1, 0}, {2, 1}}));
  for (int i = 0; i < repeated.numVerts(); ++i) {
    AcGePoint3d p;
    ASSERT_EQ(repeated.getPointAtParam(i, p), Acad::eOk);
    EXPECT_TRUE(p.isEqualTo(repeated.vertexAt(i), AcGeTol(1e-9, 1e-9)));
  }
  EXPECT_TRUE(std::isfinite(curveLength(repeated)));

  AcDb2dPolyline samePlace(AcDb::k2dFitCurvePoly, points2d({{5, 5}, {5, 5}, {5, 5}}));
  EXPECT_EQ(curveLength(samePlace), 0.0);
  AcGePoint3d p;
  EXPECT_EQ(samePlace.getPointAtParam(1, p), Acad::eOk);
  EXPECT_POINT(p, 5, 5, 0);

  // Closed through two points: there and back again is the circle on that diameter.
  AcDb2dPolyline ring(AcDb::k2dFitCurvePoly, points2d({{0, 0}, {2, 0}}), 0.0, true);
  EXPECT_NEAR(curveLength(ring), 2 * M_PI, kEps);

  AcDb2dPolyline empty;
  double v = 0;
  EXPECT_EQ(empty.getStartParam(v), Acad::eNotApplicable);
  AcGiRecordingWorldDraw wd;
  empty.worldDraw(&wd);
  samePlace.worldDraw(&wd);
  EXPECT_TRUE(wd.primitives().empty());
}

TEST(FitCurve, DrawsItsArcsCounterClockwise) {
  AcDb2dPolyline pl(AcDb::k2dFitCurvePoly, points2d({{0, 0}, {1, 1}, {2, 0}}));
  AcGiRecordingWorldDraw wd;
  pl.worldDraw(&wd);
  ASSERT_EQ(wd.primitives().size(), 4u);
  for (const GiPrimitive& p : wd.primitives()) {
    EXPECT_EQ(p.kind, GiPrimitiveKind::Arc);
    EXPECT_GT(p.normal.z, 0);
    EXPECT_POINT(p.center, 1, 0, 0);
  }
}

// ---- multiline text ------------------------------------------------------------------------

TEST(MText, ActualSizeFromTheFixedMetric) {
  AcDbMText one;
  one.setTextHeight(2);
  one.setContents(L"HELLO");
  EXPECT_NEAR(one.actualWidth(), 6.0, kEps);  // 5 x 0.6 x 2
  EXPECT_NEAR(one.actualHeight(), 2.0, kEps);

  AcDbMText three;
  three.setTextHeight(1);
  three.setContents(L"AB\\PCDEF\\PG");
  EXPECT_EQ(three.lines(), (std::vector<std::wstring>{L"AB", L"CDEF", L"G"}));
  EXPECT_NEAR(three.actualWidth(), 2.4, kEps);
  EXPECT_NEAR(three.actualHeight(), 1 + 2 * 1.666, kEps);

  AcDbMText escaped;
  escaped.setContents(L"A\\\\PB");  // an escaped backslash, not a break
  EXPECT_EQ(escaped.lines(), (std::vector<std::wstring>{L"A\\PB"}));
  AcDbMText empty;
  EXPECT_EQ(empty.actualHeight(), 0.0);
}

TEST(MText, WordsWrapAtTheWidth) {
  AcDbMText text;
  text.setTextHeight(1);
  text.setWidth(6.3);  // ten characters of 0.6
  text.setContents(L"one two three four");
  EXPECT_EQ(text.lines(), (std::vector<std::wstring>{L"one two", L"three four"}));
  EXPECT_NEAR(text.actualWidth(), 6.0, kEps);
  EXPECT_NEAR(text.actualHeight(), 2.666, kEps);
  text.setWidth(3);
  text.setContents(L"supercalifragilistic is long");
  EXPECT_EQ(text.lines(), (std::vector<std::wstring>{L"supercalifragilistic", L"is", L"long"}));
}

TEST(MText, ContentsIsAHeapCopy) {
  AcDbMText text;
  EXPECT_EQ(text.setContents(L"pipe"), 4);
  ACHAR* copy = text.contents();
  text.setContents(L"changed");
  EXPECT_STREQ(copy, L"pipe");
  acutDelString(copy);
  EXPECT_EQ(copy, nullptr);
}

TEST(MText, DrawsEachLineFromItsBaseline) {
  AcDbMText text;
  text.setLocation({0, 10, 0});
  text.setTextHeight(1);
  text.setContents(L"AB\\PCD");
  AcGiRecordingWorldDraw wd;
  text.worldDraw(&wd);
  ASSERT_EQ(wd.primitives().size(), 2u);
  EXPECT_POINT(wd.primitives()[0].location, 0, 9, 0);  // one height below the top
  EXPECT_POINT(wd.primitives()[1].location, 0, 9 - 1.666, 0);
  EXPECT_EQ(wd.primitives()[1].contents, L"CD");

  // Middle centre: the box of 1.2 by 2.666 is centred on the location.
  text.setAttachment(AcDbMText::kMiddleCenter);
  wd.clear();
  text.worldDraw(&wd);
  EXPECT_POINT(wd.primitives()[0].location, -0.6, 10 + 1.333 - 1, 0);

  text.setAttachment(AcDbMText::kTopLeft);
  text.setRotation(M_PI / 2);  // reading upwards: the lines step towards +x
  wd.clear();
  text.worldDraw(&wd);
  EXPECT_POINT(wd.primitives()[0].location, 1, 10, 0);
  EXPECT_NEAR(wd.primitives()[0].rotation, M_PI / 2, kEps);

  AcDbExtents ext;
  text.setRotation(0);
  ASSERT_EQ(text.getGeomExtents(ext), Acad::eOk);
  EXPECT_POINT(ext.minPoint(), 0, 10 - 2.666, 0);
  EXPECT_POINT(ext.maxPoint(), 1.2, 10, 0);
}

TEST(MText, TransformMovesItAndAMirrorKeepsItReadable) {
  AcDbMText text;
  text.setLocation({5, 3, 0});
  text.setTextHeight(2);
  text.setContents(L"LABEL");
  ASSERT_EQ(text.transformBy(AcGeMatrix3d::mirroring({0, 0, 0}, {0, 1, 0})), Acad::eOk);
  EXPECT_POINT(text.location(), -5, 3, 0);
  EXPECT_NEAR(text.rotation(), 0, kEps);
  ASSERT_EQ(text.transformBy(AcGeMatrix3d::mirroring({0, 0, 0}, {1, 0, 0})), Acad::eOk);
  EXPECT_POINT(text.location(), -5, -3, 0);
  EXPECT_NEAR(text.rotation(), 0, kEps);
  ASSERT_EQ(text.transformBy(AcGeMatrix3d::rotation(M_PI / 2, AcGeVector3d::kZAxis)), Acad::eOk);
  EXPECT_NEAR(text.rotation(), M_PI / 2, kEps);
  ASSERT_EQ(text.transformBy(AcGeMatrix3d::scaling(3)), Acad::eOk);
  EXPECT_NEAR(text.textHeight(), 6, kEps);
}

// ---- filing ------------------------------------------------------------------------------------

namespace {

// Files an entity out through the copy filer and into a fresh one.
template <typename T>
std::unique_ptr<T> copyThroughFiler(const T& src) {
  AcDbMemDwgFiler filer(AcDb::kCopyFiler);
  EXPECT_EQ(src.dwgOutFields(&filer), Acad::eOk);
  filer.rewind();
  auto copy = std::make_unique<T>();
  EXPECT_EQ(copy->dwgInFields(&filer), Acad::eOk);
  EXPECT_TRUE(filer.atEnd());
  return copy;
}

// Every shorter stream must be refused, and leave the target as it was.
template <typename T>
void expectEveryTruncationRefused(const T& src, const std::function<bool(const T&)>& untouched) {
  AcDbMemDwgFiler out(AcDb::kCopyFiler);
  ASSERT_EQ(src.dwgOutFields(&out), Acad::eOk);
  const std::vector<unsigned char>& bytes = out.bytes();
  for (size_t n = 0; n < bytes.size(); ++n) {
    AcDbMemDwgFiler in(std::vector<unsigned char>(bytes.begin(), bytes.begin() + n), AcDb::kCopyFiler, nullptr);
    T target;
    EXPECT_NE(target.dwgInFields(&in), Acad::eOk) << "cut at " << n;
    EXPECT_TRUE(untouched(target)) << "cut at " << n;
  }
}

}  // namespace

TEST(EntityFiling, EveryPlainEntitySurvivesTheCopyFiler) {
  AcDbLine line({1, 2, 3}, {4, 5, 6});
  line.setThickness(0.5);
  auto l = copyThroughFiler(line);
  EXPECT_POINT(l->startPoint(), 1, 2, 3);
  EXPECT_POINT(l->endPoint(), 4, 5, 6);
  EXPECT_EQ(l->thickness(), 0.5);

  AcDbArc arc({1, 1, 0}, {0, 0, -1}, 2.5, 0.25, 2.0);
  auto a = copyThroughFiler(arc);
  EXPECT_POINT(a->center(), 1, 1, 0);
  EXPECT_EQ(a->radius(), 2.5);
  EXPECT_EQ(a->startAngle(), 0.25);
  EXPECT_EQ(a->endAngle(), 2.0);
  EXPECT_TRUE(a->normal().isEqualTo({0, 0, -1}));

  AcDbCircle circle({7, 8, 9}, AcGeVector3d::kZAxis, 3);
  auto c = copyThroughFiler(circle);
  EXPECT_POINT(c->center(), 7, 8, 9);
  EXPECT_EQ(c->radius(), 3.0);

  AcDb2dPolyline pl(AcDb::k2dFitCurvePoly, points2d({{0, 0}, {1, 2}, {3, 1}}), 4.0, true);
  auto p = copyThroughFiler(pl);
  EXPECT_EQ(p->polyType(), AcDb::k2dFitCurvePoly);
  EXPECT_TRUE(p->isClosed());
  ASSERT_EQ(p->numVerts(), 3);
  EXPECT_POINT(p->vertexAt(1), 1, 2, 4);

  AcDbMText text;
  text.setLocation({1, 2, 0});
  text.setTextHeight(3.5);
  text.setWidth(40);
  text.setRotation(0.5);
  text.setAttachment(AcDbMText::kBottomRight);
  text.setContents(L"Ø 50 \\P cold water");
  auto t = copyThroughFiler(text);
  EXPECT_POINT(t->location(), 1, 2, 0);
  EXPECT_EQ(t->textHeight(), 3.5);
  EXPECT_EQ(t->width(), 40.0);
  EXPECT_EQ(t->rotation(), 0.5);
  EXPECT_EQ(t->attachment(), AcDbMText::kBottomRight);
  EXPECT_EQ(t->contentsText(), L"Ø 50 \\P cold water");
}

TEST(EntityFiling, TruncatedStreamsAreRefusedAndChangeNothing) {
  expectEveryTruncationRefused<AcDbLine>(AcDbLine({1, 2, 3}, {4, 5, 6}), [](const AcDbLine& l) {
    return l.startPoint() == AcGePoint3d::kOrigin && l.endPoint() == AcGePoint3d::kOrigin;
  });
  expectEveryTruncationRefused<AcDbArc>(AcDbArc({1, 1, 0}, 2, 0.5, 1), [](const AcDbArc& a) {
    return a.radius() == 0.0 && a.startAngle() == 0.0;
  });
  expectEveryTruncationRefused<AcDbCircle>(AcDbCircle({1, 1, 0}, AcGeVector3d::kZAxis, 2),
                                           [](const AcDbCircle& c) { return c.radius() == 0.0; });
  expectEveryTruncationRefused<AcDb2dPolyline>(
      AcDb2dPolyline(AcDb::k2dSimplePoly, points2d({{0, 0}, {1, 1}, {2, 0}}), 1.0),
      [](const AcDb2dPolyline& p) { return p.numVerts() == 0 && p.elevation() == 0.0; });
  AcDbMText text;
  text.setContents(L"label");
  expectEveryTruncationRefused<AcDbMText>(text, [](const AcDbMText& t) { return t.contentsText().empty(); });
}

TEST(EntityFiling, ANewerVersionAsksToBeKeptAsAProxy) {
  AcDbLine line;
  AcDbMemDwgFiler filer(AcDb::kCopyFiler);
  ASSERT_EQ(line.AcDbCurve::dwgOutFields(&filer), Acad::eOk);
  filer.writeInt32(2);
  filer.rewind();
  AcDbLine target;
  EXPECT_EQ(target.dwgInFields(&filer), Acad::eMakeMeProxy);

  // A vertex count far beyond the data runs out of items, not of memory.
  AcDb2dPolyline pl;
  AcDbMemDwgFiler huge(AcDb::kCopyFiler);
  ASSERT_EQ(pl.AcDbCurve::dwgOutFields(&huge), Acad::eOk);
  huge.writeInt32(1);
  huge.writeInt32(AcDb::k2dSimplePoly);
  huge.writeBool(false);
  huge.writeDouble(0);
  huge.writeInt32(2000000000);
  huge.rewind();
  EXPECT_NE(pl.dwgInFields(&huge), Acad::eOk);
  EXPECT_EQ(pl.numVerts(), 0);
}

namespace {

std::vector<AcDbDxfGroup> dxfGroupsOf(const AcDbEntity& ent) {
  AcDbMemDxfWriter writer;
  EXPECT_EQ(ent.dxfOutFields(&writer), Acad::eOk);
  std::vector<AcDbDxfGroup> groups;
  std::wstring error;
  EXPECT_EQ(acdbParseDxfGroups(writer.text(), groups, error), Acad::eOk) << acutWideToUtf8(error);
  return groups;
}

const AcDbDxfGroup* findGroup(const std::vector<AcDbDxfGroup>& groups, int code) {
  for (const AcDbDxfGroup& g : groups)
    if (g.code == code) return &g;
  return nullptr;
}

}  // namespace

TEST(EntityDxf, ArcFilesItsCentreInItsOwnPlaneAndAnglesInDegrees) {
  AcDbArc arc({3, 4, 5}, {0, 0, -1}, 2, M_PI / 2, M_PI);
  std::vector<AcDbDxfGroup> groups = dxfGroupsOf(arc);
  const AcDbDxfGroup* centre = findGroup(groups, 10);
  ASSERT_NE(centre, nullptr);
  // The plane of (0,0,-1) has x = -x and z = -z.
  EXPECT_POINT(centre->point, -3, 4, -5);
  ASSERT_NE(findGroup(groups, 50), nullptr);
  EXPECT_NEAR(findGroup(groups, 50)->real, 90, kEps);
  EXPECT_NEAR(findGroup(groups, 51)->real, 180, kEps);

  AcDbMemDxfReader reader(groups, nullptr);
  AcDbArc back;
  ASSERT_EQ(back.dxfInFields(&reader), Acad::eOk);
  EXPECT_POINT(back.center(), 3, 4, 5);
  EXPECT_NEAR(back.startAngle(), M_PI / 2, kEps);
  EXPECT_NEAR(back.endAngle(), M_PI, kEps);
  EXPECT_TRUE(back.normal().isEqualTo({0, 0, -1}));
}

TEST(EntityDxf, LongMTextContentsTravelInPieces) {
  AcDbMText text;
  std::wstring contents(600, L'x');
  contents += L"\\Pend";
  text.setContents(contents.c_str());
  text.setRotation(M_PI / 6);
  std::vector<AcDbDxfGroup> groups = dxfGroupsOf(text);
  int pieces = 0;
  for (const AcDbDxfGroup& g : groups) pieces += g.code == 3;
  EXPECT_EQ(pieces, 2);  // 250 + 250, the rest under group 1
  EXPECT_NEAR(findGroup(groups, 50)->real, 30, kEps);
  AcDbMemDxfReader reader(groups, nullptr);
  AcDbMText back;
  ASSERT_EQ(back.dxfInFields(&reader), Acad::eOk);
  EXPECT_EQ(back.contentsText(), contents);
  EXPECT_NEAR(back.rotation(), M_PI / 6, kEps);
}

TEST(EntityDxf, PolylineFilesItsFlagsAndElevationOnly) {
  AcDb2dPolyline pl(AcDb::k2dFitCurvePoly, points2d({{0, 0}, {1, 1}}), 2.5, true);
  std::vector<AcDbDxfGroup> groups = dxfGroupsOf(pl);
  ASSERT_NE(findGroup(groups, 70), nullptr);
  EXPECT_EQ(findGroup(groups, 70)->integer, 3);  // closed and curve-fit
  EXPECT_NEAR(findGroup(groups, 10)->point.z, 2.5, kEps);
  AcDbMemDxfReader reader(groups, nullptr);
  AcDb2dPolyline back;
  ASSERT_EQ(back.dxfInFields(&reader), Acad::eOk);
  EXPECT_TRUE(back.isClosed());
  EXPECT_EQ(back.polyType(), AcDb::k2dFitCurvePoly);
  EXPECT_EQ(back.elevation(), 2.5);
}

TEST(EntityDxf, AMissingSubclassMarkerIsABadSequence) {
  std::vector<AcDbDxfGroup> groups;
  std::wstring error;
  ASSERT_EQ(acdbParseDxfGroups("100\nAcDbEntity\n8\n0\n100\nAcDbCircle\n10\n1\n20\n2\n30\n0\n40\n3\n", groups, error),
            Acad::eOk);
  AcDbMemDxfReader reader(groups, nullptr);
  AcDbLine line;
  EXPECT_EQ(line.dxfInFields(&reader), Acad::eBadDxfSequence);
}
