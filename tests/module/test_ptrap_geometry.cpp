// The P-trap's points and fit curve as the pipe's fields give them.
#include <cmath>
#include <memory>

#include "pipe/ptrap_geometry.h"
#include "test_pipe_data_fixture.h"
#include "test_ptrap_fixture.h"

namespace {

using PtrapGeometry = PipeFixture;

// The pipe's right angle is written with pi as 3.14159265, which moves an offset
// point by some 1e-9.
void expectPoint(const AcGePoint3d& actual, const AcGePoint3d& expected, const char* name) {
  EXPECT_NEAR(actual.x, expected.x, 1e-8) << name;
  EXPECT_NEAR(actual.y, expected.y, 1e-8) << name;
  EXPECT_NEAR(actual.z, expected.z, 1e-8) << name;
}

// The distance of a point along the curve, or -1 when it is not on it.
double distOnCurve(const AcDb2dPolyline& curve, const AcGePoint3d& p) {
  double dist = 0.0;
  return curve.getDistAtPoint(p, dist) == Acad::eOk ? dist : -1.0;
}

TEST_F(PtrapGeometry, TheTrapHangsBelowTheEndOfAPipeAlongX) {
  const auto pipe = trapPipe({0, 0, 10}, {100, 0, 4}, 2.0);
  const PtrapPoints p = ptrapPoints(*pipe);
  // Everything at the start elevation; the trap is the width long and half of it deep.
  expectPoint(p.offEnd, {100, 0, 10}, "offEnd");
  expectPoint(p.lineEnd, {98, 0, 10}, "lineEnd");
  expectPoint(p.a, {98, -1, 10}, "a");
  expectPoint(p.b, {98, -1.01, 10}, "b");
  expectPoint(p.c1, {98.98, -2, 10}, "c1");
  expectPoint(p.c2, {99.02, -2, 10}, "c2");
  expectPoint(p.e, {100, -1.01, 10}, "e");
  expectPoint(p.d, {100, -1, 10}, "d");
}

TEST_F(PtrapGeometry, DownIsTheDrawingsMinusYWhateverThePipesAngleAndOffset) {
  // A pipe running up the drawing, offset one unit to its left (towards -x).
  auto pipe = trapPipe({0, 0, 3}, {0, 50, 3}, 4.0);
  pipe->dOffsetDistance = 1.0;
  const PtrapPoints p = ptrapPoints(*pipe);
  expectPoint(p.offEnd, {-1, 50, 3}, "offEnd");
  expectPoint(p.lineEnd, {-1, 46, 3}, "lineEnd");
  expectPoint(p.a, {-1, 44, 3}, "a");
  expectPoint(p.d, {-1, 48, 3}, "d");
  expectPoint(p.c1, {-1, 44 + 4 * 0.49 - 2, 3}, "c1");
  expectPoint(p.c2, {-1, 44 + 4 * 0.51 - 2, 3}, "c2");
  EXPECT_DOUBLE_EQ(ptrapPipeAngle(*pipe), M_PI / 2);
}

TEST_F(PtrapGeometry, PointsFromTheirEndsAndAtAnotherElevation) {
  const PtrapPoints p = ptrapPointsFrom({10, 5, 2}, {10, 8, 7}, M_PI / 2, 3.0);
  expectPoint(p.offEnd, {10, 8, 2}, "offEnd takes lineEnd's elevation");
  expectPoint(p.c2, {10, 5 - 1.5 + 3 * 0.51 - 1.5, 2}, "c2");
  const PtrapPoints flat = p.atElevation(0.0);
  expectPoint(flat.lineEnd, {10, 5, 0}, "lineEnd");
  expectPoint(flat.e, {10, 8 - 1.5 - 0.01, 0}, "e");
  expectPoint(flat.d, {10, 6.5, 0}, "d");
}

TEST_F(PtrapGeometry, TheCurveIsASmoothCurveThroughItsSixPointsInOrder) {
  const PtrapPoints p = ptrapPoints(*trapPipe({0, 0, 10}, {100, 0, 10}, 2.0));
  const AcGePoint3dArray vertices = ptrapCurveVertices(p);
  ASSERT_EQ(vertices.length(), 6);
  const auto curve = newPtrapCurve(p);
  EXPECT_EQ(curve->polyType(), AcDb::k2dFitCurvePoly);
  EXPECT_EQ(curve->elevation(), 10.0);
  EXPECT_TRUE(curve->objectId().isNull()) << "in no database";

  const double length = ptrapCurveLength(*curve);
  double polygon = 0.0;
  double last = -1.0;
  for (int i = 0; i < vertices.length(); ++i) {
    const double dist = distOnCurve(*curve, vertices[i]);
    EXPECT_GT(dist, last) << "vertex " << i << " lies on the curve after the one before";
    last = dist;
    if (i > 0) polygon += vertices[i].distanceTo(vertices[i - 1]);
  }
  EXPECT_NEAR(distOnCurve(*curve, p.a), 0.0, 1e-9);
  EXPECT_NEAR(last, length, 1e-9) << "d ends the curve";
  // Arcs between the vertices are never shorter than their chords.
  EXPECT_GE(length, polygon);
  EXPECT_LT(length, polygon * 1.2);
  // The trap is symmetric about its middle, so the curve's halfway point is the bottom.
  AcGePoint3d middle;
  ASSERT_EQ(curve->getPointAtDist(length / 2, middle), Acad::eOk);
  EXPECT_NEAR(middle.x, 99.0, 1e-6);
  EXPECT_NEAR(middle.y, -2.0, 1e-3);
}

TEST_F(PtrapGeometry, ATrapOfNoWidthStillGivesACurve) {
  const PtrapPoints p = ptrapPoints(*trapPipe({0, 0, 0}, {10, 0, 0}, 0.0));
  expectPoint(p.a, {10, 0, 0}, "a");
  const auto curve = newPtrapCurve(p);
  // Only the insets are left: the curve goes down by 0.01 and back up, twice.
  const double length = ptrapCurveLength(*curve);
  EXPECT_GE(length, 0.04 - 1e-9);
  EXPECT_LT(length, 0.1);
}

}  // namespace
