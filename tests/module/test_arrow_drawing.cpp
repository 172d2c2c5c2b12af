// What a flow arrow draws and offers to the host: arrowheads and their length, hanger
// marks of both kinds, snaps, extents, transforms, and the refusals.
#include <cmath>
#include <memory>

#include "test_arrow_fixture.h"

namespace {

using ArrowPtr = std::unique_ptr<PlumbPipeArrow>;

constexpr double kTol = 1e-9;

ArrowPtr arrow(const AcGePoint3d& start, const AcGePoint3d& end, const std::vector<double>& hangers = {}) {
  return ArrowPtr(ArrowTest::makeArrow(start, end, hangers));
}

#define EXPECT_POINT(actual, ex, ey, ez)   \
  do {                                     \
    const AcGePoint3d p_ = (actual);       \
    EXPECT_NEAR(p_.x, (ex), 1e-7);         \
    EXPECT_NEAR(p_.y, (ey), 1e-7);         \
    EXPECT_NEAR(p_.z, (ez), 1e-7);         \
  } while (0)

// The snap points of a mode, with the status.
Acad::ErrorStatus snaps(const PlumbPipeArrow& a, AcDb::OsnapMode mode, AcGePoint3dArray& points) {
  AcDbIntArray ids;
  return a.getOsnapPoints(mode, 0, AcGePoint3d(), AcGePoint3d(), AcGeMatrix3d(), points, ids);
}

class ArrowDrawing : public ArrowTest {};

// Points on top of each other in plan: one line between them and nothing else, even
// with hangers and offsets set.
TEST_F(ArrowDrawing, CoincidentPointsInPlanDrawOneLineOnly) {
  ArrowPtr a = arrow({5, 5, 0}, {5, 5, 10}, {1.0, -2.0});
  a->setHeadOffset(3.0);
  std::vector<GiPrimitive> drawn = draw(*a);
  ASSERT_EQ(drawn.size(), 1u);
  ASSERT_EQ(drawn[0].points.size(), 2u);
  EXPECT_POINT(drawn[0].points[0], 5, 5, 0);
  EXPECT_POINT(drawn[0].points[1], 5, 5, 10);

  a->setReversed(true);
  EXPECT_EQ(draw(*a).size(), 1u);
  AcGePoint3dArray points;
  EXPECT_EQ(snaps(*a, AcDb::kOsModeEnd, points), Acad::eOk);
  EXPECT_TRUE(points.isEmpty()) << "no hanger lies inside a zero plan length";
}

// The head strokes leave the end point backwards at pi/8 either side of the pipe.
TEST_F(ArrowDrawing, TheArrowheadSitsAtTheEndPointingForward) {
  ArrowPtr a = arrow({0, 0, 2}, {100, 0, 2});
  std::vector<GiPrimitive> drawn = draw(*a);
  ASSERT_EQ(drawn.size(), 2u);
  const double spread = 3.14159265 * 0.125;
  for (const GiPrimitive& stroke : drawn) {
    EXPECT_NEAR(strokeLength(stroke), 12.0, kTol);
    EXPECT_POINT(stroke.points[0], 100, 0, 2);
  }
  EXPECT_POINT(drawn[0].points[1], 100 - 12 * std::cos(spread), 12 * std::sin(spread), 2);
  EXPECT_POINT(drawn[1].points[1], 100 - 12 * std::cos(spread), -12 * std::sin(spread), 2);
}

// Only a set length strictly longer than the plan length is halved down to half of it.
// The ends rise steeply, so that only the plan distance counts.
TEST_F(ArrowDrawing, StrokesAreHalvedOnlyWhenLongerThanTheArrow) {
  const struct {
    AcGePoint3d end;
    double stroke;
  } cases[] = {{{6, 8, 50}, 5.0}, {{12, 0, 50}, 12.0}, {{0, -11.5, 50}, 5.75}, {{24, 32, -50}, 12.0}};
  for (const auto& c : cases) {
    ArrowPtr a = arrow({0, 0, 0}, c.end);
    std::vector<GiPrimitive> drawn = draw(*a);
    ASSERT_EQ(drawn.size(), 2u) << c.stroke;
    EXPECT_NEAR(strokeLength(drawn[0]), c.stroke, 1e-7) << c.end.x << "," << c.end.y;
    EXPECT_NEAR(strokeLength(drawn[1]), c.stroke, 1e-7) << c.end.x << "," << c.end.y;
  }
  ArrowPtr small = arrow({0, 0, 0}, {10, 0, 0});
  small->setArrowLength(3.0);
  EXPECT_NEAR(strokeLength(draw(*small)[0]), 3.0, kTol) << "a shorter set length is kept";
}

TEST_F(ArrowDrawing, OffsetsMoveTheHeadBackAndTheReversedTailForward) {
  ArrowPtr a = arrow({0, 0, 0}, {0, 50, 0});
  a->setTailOffset(4.0);
  a->setHeadOffset(7.0);
  std::vector<GiPrimitive> forward = draw(*a);
  ASSERT_EQ(forward.size(), 2u);
  EXPECT_POINT(forward[0].points[0], 0, 43, 0);
  EXPECT_POINT(forward[1].points[0], 0, 43, 0);
  EXPECT_GT(forward[0].points[0].y, forward[0].points[1].y) << "the strokes trail behind the head";

  a->setReversed(true);
  std::vector<GiPrimitive> reversed = draw(*a);
  ASSERT_EQ(reversed.size(), 2u);
  const double spread = 3.14159265 * 0.125;
  for (const GiPrimitive& stroke : reversed) {
    EXPECT_POINT(stroke.points[0], 0, 4, 0);
    EXPECT_NEAR(strokeLength(stroke), 12.0, kTol);
    EXPECT_NEAR(stroke.points[1].y, 4 + 12 * std::cos(spread), 1e-7) << "a reversed head points to the start";
  }
  EXPECT_NEAR(reversed[0].points[1].x, 12 * std::sin(spread), 1e-7);
  EXPECT_NEAR(reversed[1].points[1].x, -12 * std::sin(spread), 1e-7);

  a->setTailOffset(0.0);
  EXPECT_POINT(draw(*a)[0].points[0], 0, 0, 0);
}

// A hanger is a stroke across the pipe, half a stroke length long, centred on it.
TEST_F(ArrowDrawing, AHangerIsAStrokeAcrossThePipe) {
  ArrowPtr a = arrow({0, 0, 0}, {30, 40, 0}, {25.0});
  std::vector<GiPrimitive> drawn = draw(*a);
  ASSERT_EQ(drawn.size(), 3u) << "two head strokes, then the hanger";
  const GiPrimitive& mark = drawn[2];
  EXPECT_NEAR(strokeLength(mark), 6.0, kTol);
  const AcGeVector3d across = mark.points[1] - mark.points[0];
  EXPECT_NEAR(across.dotProduct(AcGeVector3d(3, 4, 0)), 0.0, 1e-7) << "square to the pipe";
  EXPECT_POINT(mark.points[0] + across * 0.5, 15, 20, 0);
}

// A negative distance: two strokes leaning opposite ways that cross on the pipe at
// the distance's absolute value.
TEST_F(ArrowDrawing, ANegativeHangerDrawsTwoStrokesCrossingAtItsDistance) {
  ArrowPtr a = arrow({0, 0, 0}, {100, 0, 0}, {-24.0});
  std::vector<GiPrimitive> drawn = draw(*a);
  ASSERT_EQ(drawn.size(), 4u);
  const GiPrimitive& first = drawn[2];
  const GiPrimitive& second = drawn[3];
  ASSERT_EQ(first.points.size(), 2u);
  ASSERT_EQ(second.points.size(), 2u);
  // L = 12: each stroke spans 6 across and leans 0.6 along, the two in opposite ways.
  EXPECT_POINT(first.points[0], 24.3, 3, 0);
  EXPECT_POINT(first.points[1], 23.7, -3, 0);
  EXPECT_POINT(second.points[0], 23.7, 3, 0);
  EXPECT_POINT(second.points[1], 24.3, -3, 0);
  EXPECT_POINT(first.points[0] + (first.points[1] - first.points[0]) * 0.5, 24, 0, 0);
  EXPECT_POINT(second.points[0] + (second.points[1] - second.points[0]) * 0.5, 24, 0, 0);
}

// The plan length decides: a hanger at it or past it is drawn neither as a positive nor
// as a negative mark, and is not a snap point either.
TEST_F(ArrowDrawing, HangersAtOrBeyondThePlanLengthAreLeftOut) {
  ArrowPtr a = arrow({0, 0, 0}, {60, 80, 500}, {100.0, -100.0, 150.0, 99.5, -0.0});
  std::vector<GiPrimitive> drawn = draw(*a);
  ASSERT_EQ(drawn.size(), 2u + 1u + 1u) << "the head, 99.5, and the hanger at the start";
  AcGePoint3dArray points;
  ASSERT_EQ(snaps(*a, AcDb::kOsModeEnd, points), Acad::eOk);
  ASSERT_EQ(points.length(), 2);
  EXPECT_POINT(points[0], 59.7, 79.6, 497.5);
  EXPECT_POINT(points[1], 0, 0, 0);
}

// On a sloped arrow the hanger follows the slope; the along distance stays in plan.
TEST_F(ArrowDrawing, HangersOnASlopeTakeTheElevationAtTheirDistance) {
  ArrowPtr a = arrow({0, 0, 10}, {100, 0, 20}, {25.0, -50.0});
  std::vector<GiPrimitive> drawn = draw(*a);
  ASSERT_EQ(drawn.size(), 5u);
  for (const AcGePoint3d& p : drawn[2].points) EXPECT_NEAR(p.z, 12.5, kTol);
  for (const AcGePoint3d& p : drawn[3].points) EXPECT_NEAR(p.z, 15.0, kTol);
  for (const AcGePoint3d& p : drawn[0].points) EXPECT_NEAR(p.z, 20.0, kTol) << "the head keeps the end's z";

  AcGePoint3dArray points;
  ASSERT_EQ(snaps(*a, AcDb::kOsModeMid, points), Acad::eOk);
  ASSERT_EQ(points.length(), 2);
  EXPECT_POINT(points[0], 25, 0, 12.5);
  EXPECT_POINT(points[1], 50, 0, 15);
}

// End and midpoint snaps both give the hanger points in list order; no other snap.
TEST_F(ArrowDrawing, SnapsAreTheHangerPointsForEndAndMidOnly) {
  ArrowPtr a = arrow({0, 0, 0}, {0, -100, 0}, {70.0, -10.0});
  for (AcDb::OsnapMode mode : {AcDb::kOsModeEnd, AcDb::kOsModeMid}) {
    AcGePoint3dArray points;
    ASSERT_EQ(snaps(*a, mode, points), Acad::eOk);
    ASSERT_EQ(points.length(), 2);
    EXPECT_POINT(points[0], 0, -70, 0);
    EXPECT_POINT(points[1], 0, -10, 0);
  }
  for (AcDb::OsnapMode mode : {AcDb::kOsModeCen, AcDb::kOsModeNear, AcDb::kOsModePerp, AcDb::kOsModeIns}) {
    AcGePoint3dArray points;
    EXPECT_EQ(snaps(*a, mode, points), Acad::eInvalidInput) << mode;
    EXPECT_TRUE(points.isEmpty()) << mode;
  }
}

TEST_F(ArrowDrawing, ExtentsHoldBothPointsUnlessTheyMeetInPlan) {
  ArrowPtr a = arrow({10, 20, 5}, {-4, 30, 1});
  AcDbExtents box;
  ASSERT_EQ(a->getGeomExtents(box), Acad::eOk);
  EXPECT_POINT(box.minPoint(), -4, 20, 1);
  EXPECT_POINT(box.maxPoint(), 10, 30, 5);

  ArrowPtr riser = arrow({3, 3, 0}, {3, 3, 40});
  AcDbExtents single;
  ASSERT_EQ(riser->getGeomExtents(single), Acad::eOk);
  EXPECT_POINT(single.minPoint(), 3, 3, 0);
  EXPECT_POINT(single.maxPoint(), 3, 3, 0);
}

// Transforming moves and scales the points only; lengths set along the arrow stay.
TEST_F(ArrowDrawing, TransformingMovesThePointsButNotTheDistances) {
  ArrowPtr a = arrow({0, 0, 0}, {10, 0, 0}, {4.0, -6.0});
  a->setTailOffset(1.0);
  a->setHeadOffset(2.0);
  a->setArrowLength(3.0);
  const int marked = a->graphicsModifiedCount();
  AcGeMatrix3d m = AcGeMatrix3d::translation(AcGeVector3d(5, 5, 1)) * AcGeMatrix3d::scaling(2.0, AcGePoint3d());
  ASSERT_EQ(a->transformBy(m), Acad::eOk);
  EXPECT_POINT(a->startPoint(), 5, 5, 1);
  EXPECT_POINT(a->endPoint(), 25, 5, 1);
  EXPECT_EQ(a->tailOffset(), 1.0);
  EXPECT_EQ(a->headOffset(), 2.0);
  EXPECT_EQ(a->arrowLength(), 3.0);
  ASSERT_EQ(a->hangers().length(), 2);
  EXPECT_EQ(a->hangers()[0], 4.0);
  EXPECT_EQ(a->hangers()[1], -6.0);
  EXPECT_GT(a->graphicsModifiedCount(), marked) << "the host must redraw a moved arrow";
}

// The arrow cannot be exploded, and a drawing saved for a host without the class shows
// nothing of it.
TEST_F(ArrowDrawing, ExplodeIsRefusedAndSavingForOthersDrawsNothing) {
  ArrowPtr a = arrow({0, 0, 0}, {50, 0, 0}, {10.0});
  AcDbVoidPtrArray pieces;
  EXPECT_EQ(a->explode(pieces), Acad::eNotApplicable);
  EXPECT_TRUE(pieces.isEmpty());

  AcGiRecordingWorldDraw wd(kAcGiSaveWorldDrawForProxy);
  a->saveAs(&wd, AcDb::kR14Save);
  EXPECT_TRUE(wd.primitives().empty());
  EXPECT_EQ(draw(*a).size(), 3u) << "the normal drawing is unaffected";
}

// In a drawing, the host draws the arrow on its layer like any entity.
TEST_F(ArrowDrawing, TheHostDrawsAnArrowOfTheDrawingOnItsLayer) {
  PlumbPipeArrow* a = makeArrow({0, 0, 0}, {50, 0, 0}, {-10.0});
  const AcDbObjectId id = add(a);
  AcGiRecordingWorldDraw wd;
  int skipped = 0;
  ASSERT_EQ(recordModelSpace(&db_, wd, &skipped), Acad::eOk);
  EXPECT_EQ(skipped, 0);
  ASSERT_EQ(wd.primitives().size(), 4u);
  for (const GiPrimitive& p : wd.primitives()) EXPECT_EQ(p.traits.layerId, db_.layerZero());
  readArrow(id, [](PlumbPipeArrow& arrow) { EXPECT_EQ(arrow.hangers().length(), 1); });
}

}  // namespace
