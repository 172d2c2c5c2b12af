// The P-trap's points and fit curve as the pipe's fields give them; what the trap
// draws and where lines, arcs and other traps cross it are in the drawing and P-trap
// scripts.
#include <cmath>
#include <memory>

#include "entity_fixture.h"
#include "pipe/ptrap_geometry.h"

namespace {

std::unique_ptr<PlumbPipe> trapPipe(const AcGePoint3d& start, const AcGePoint3d& end, double width) {
  auto pipe = std::make_unique<PlumbPipe>();
  pipe->ptStart = start;
  pipe->ptEnd = end;
  pipe->bPtrap = true;
  pipe->dPtrapWidth = width;
  return pipe;
}

// The points in their order: offEnd, lineEnd, a, b, c1, c2, e, d. The pipe's right
// angle is written with pi as 3.14159265, which moves an offset point by some 1e-9.
void expectPoints(const PtrapPoints& p, const std::vector<AcGePoint3d>& expected) {
  const AcGePoint3d actual[] = {p.offEnd, p.lineEnd, p.a, p.b, p.c1, p.c2, p.e, p.d};
  ASSERT_EQ(expected.size(), std::size(actual));
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_TRUE(actual[i].isEqualTo(expected[i], AcGeTol(1e-8, 1e-8)))
        << i << ": " << actual[i].x << " " << actual[i].y << " " << actual[i].z;
}

// Everything at the start elevation, the trap the width long and half of it deep, down
// being the drawing's -y whatever the pipe's angle and offset; the points may also be
// made from their ends and moved to another elevation.
TEST(PtrapGeometry, TheTrapHangsDownFromTheDrawnEnd) {
  expectPoints(ptrapPoints(*trapPipe({0, 0, 10}, {100, 0, 4}, 2.0)),
               {{100, 0, 10}, {98, 0, 10}, {98, -1, 10}, {98, -1.01, 10}, {98.98, -2, 10}, {99.02, -2, 10},
                {100, -1.01, 10}, {100, -1, 10}});
  // A pipe running up the drawing, offset one unit to its left (towards -x).
  auto up = trapPipe({0, 0, 3}, {0, 50, 3}, 4.0);
  up->dOffsetDistance = 1.0;
  expectPoints(ptrapPoints(*up), {{-1, 50, 3}, {-1, 46, 3}, {-1, 44, 3}, {-1, 43.99, 3}, {-1, 43.96, 3},
                                  {-1, 44.04, 3}, {-1, 47.99, 3}, {-1, 48, 3}});
  EXPECT_DOUBLE_EQ(ptrapPipeAngle(*up), M_PI / 2);
  const PtrapPoints from = ptrapPointsFrom({10, 5, 2}, {10, 8, 7}, M_PI / 2, 3.0);
  expectPoints(from, {{10, 8, 2}, {10, 5, 2}, {10, 3.5, 2}, {10, 3.49, 2}, {10, 3.47, 2}, {10, 3.53, 2},
                      {10, 6.49, 2}, {10, 6.5, 2}});
  expectPoints(from.atElevation(0.0), {{10, 8, 0}, {10, 5, 0}, {10, 3.5, 0}, {10, 3.49, 0}, {10, 3.47, 0},
                                       {10, 3.53, 0}, {10, 6.49, 0}, {10, 6.5, 0}});
}

// A smooth curve through its six points in order, at the points' elevation, in no
// database: never shorter than its polygon, and symmetric, so that its halfway point
// is the bottom. A trap of no width keeps only the insets: down by 0.01 and back up,
// twice.
TEST(PtrapGeometry, TheCurveIsASmoothCurveThroughItsSixPointsInOrder) {
  const PtrapPoints p = ptrapPoints(*trapPipe({0, 0, 10}, {100, 0, 10}, 2.0));
  const AcGePoint3dArray vertices = ptrapCurveVertices(p);
  ASSERT_EQ(vertices.length(), 6);
  const auto curve = newPtrapCurve(p);
  EXPECT_EQ(curve->polyType(), AcDb::k2dFitCurvePoly);
  EXPECT_EQ(curve->elevation(), 10.0);
  EXPECT_TRUE(curve->objectId().isNull());
  const double length = ptrapCurveLength(*curve);
  double polygon = 0.0, last = -1.0;
  for (int i = 0; i < vertices.length(); ++i) {
    double dist = -1.0;
    ASSERT_EQ(curve->getDistAtPoint(vertices[i], dist), Acad::eOk) << i;
    EXPECT_GT(dist, last) << "vertex " << i << " lies on the curve after the one before";
    last = dist;
    if (i > 0) polygon += vertices[i].distanceTo(vertices[i - 1]);
  }
  EXPECT_TRUE(vertices[0].isEqualTo(p.a) && vertices[5].isEqualTo(p.d));
  EXPECT_NEAR(last, length, 1e-9) << "d ends the curve";
  EXPECT_GE(length, polygon);
  EXPECT_LT(length, polygon * 1.2);
  AcGePoint3d middle;
  ASSERT_EQ(curve->getPointAtDist(length / 2, middle), Acad::eOk);
  EXPECT_NEAR(middle.x, 99.0, 1e-6);
  EXPECT_NEAR(middle.y, -2.0, 1e-3);

  const PtrapPoints flat = ptrapPoints(*trapPipe({0, 0, 0}, {10, 0, 0}, 0.0));
  EXPECT_TRUE(flat.a.isEqualTo({10, 0, 0}));
  const double none = ptrapCurveLength(*newPtrapCurve(flat));
  EXPECT_GE(none, 0.04 - 1e-9);
  EXPECT_LT(none, 0.1);
}

}  // namespace
