// The pipe under the host's editing: grips, stretching, transformations, extents,
// explosion, object snaps and the curve queries and extend forms.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "arx/db_database.h"
#include "arx/db_symtab.h"
#include "pipe/PlumbPipe.h"

namespace {

std::unique_ptr<PlumbPipe> pipeBetween(const AcGePoint3d& start, const AcGePoint3d& end) {
  auto pipe = std::make_unique<PlumbPipe>();
  pipe->ptStart = start;
  pipe->ptEnd = end;
  return pipe;
}

void expectPoint(const AcGePoint3d& actual, double x, double y, double z) {
  EXPECT_NEAR(actual.x, x, 1e-9);
  EXPECT_NEAR(actual.y, y, 1e-9);
  EXPECT_NEAR(actual.z, z, 1e-9);
}

AcGePoint3dArray grips(const PlumbPipe& pipe) {
  AcGePoint3dArray points;
  AcDbIntArray modes, ids;
  EXPECT_EQ(pipe.getGripPoints(points, modes, ids), Acad::eOk);
  return points;
}

AcGePoint3dArray stretchPoints(const PlumbPipe& pipe) {
  AcGePoint3dArray points;
  EXPECT_EQ(pipe.getStretchPoints(points), Acad::eOk);
  return points;
}

AcDbIntArray indices(std::initializer_list<int> values) { return AcDbIntArray(values); }

}  // namespace

// ---- grips ------------------------------------------------------------------------------

// The midpoint, start and end, all laid on the ground (z 0) whatever the elevations.
TEST(PipeGrips, OrdinaryPipeOffersMidpointStartAndEndOnTheGround) {
  auto pipe = pipeBetween({0, 0, 5}, {10, 0, 8});
  AcGePoint3dArray points = grips(*pipe);
  ASSERT_EQ(points.length(), 3);
  expectPoint(points[0], 5, 0, 0);
  expectPoint(points[1], 0, 0, 0);
  expectPoint(points[2], 10, 0, 0);
}

// Grip 0 drags both ends in plan; the offset's z never reaches the elevations.
TEST(PipeGrips, MidpointGripMovesBothEndsAndKeepsElevations) {
  auto pipe = pipeBetween({0, 0, 5}, {10, 0, 8});
  ASSERT_EQ(pipe->moveGripPointsAt(indices({0}), AcGeVector3d(1, 1, 4)), Acad::eOk);
  expectPoint(pipe->ptStart, 1, 1, 5);
  expectPoint(pipe->ptEnd, 11, 1, 8);
}

TEST(PipeGrips, EndGripsMoveOnlyTheirEnd) {
  auto pipe = pipeBetween({0, 0, 5}, {10, 0, 8});
  ASSERT_EQ(pipe->moveGripPointsAt(indices({1}), AcGeVector3d(0, 2, 7)), Acad::eOk);
  expectPoint(pipe->ptStart, 0, 2, 5);
  expectPoint(pipe->ptEnd, 10, 0, 8);
  ASSERT_EQ(pipe->moveGripPointsAt(indices({2}), AcGeVector3d(-3, 0, 1)), Acad::eOk);
  expectPoint(pipe->ptStart, 0, 2, 5);
  expectPoint(pipe->ptEnd, 7, 0, 8);
}

// An end named twice (by the midpoint and by its own grip) moves once.
TEST(PipeGrips, EndNamedTwiceMovesOnce) {
  auto pipe = pipeBetween({0, 0, 5}, {10, 0, 8});
  ASSERT_EQ(pipe->moveGripPointsAt(indices({0, 1, 1}), AcGeVector3d(2, 0, 0)), Acad::eOk);
  expectPoint(pipe->ptStart, 2, 0, 5);
  expectPoint(pipe->ptEnd, 12, 0, 8);
}

// A riser has only its one grip; dragging it takes the whole riser along.
TEST(PipeGrips, PlanEqualPipeOffersOneGripThatMovesIt) {
  auto pipe = pipeBetween({2, 3, 0}, {2, 3, 10});
  AcGePoint3dArray points = grips(*pipe);
  ASSERT_EQ(points.length(), 1);
  expectPoint(points[0], 2, 3, 0);
  ASSERT_EQ(pipe->moveGripPointsAt(indices({0}), AcGeVector3d(1, -1, 0)), Acad::eOk);
  expectPoint(pipe->ptStart, 3, 2, 0);
  expectPoint(pipe->ptEnd, 3, 2, 10);
}

// Ends that differ by less than the global tolerance count as equal in plan.
TEST(PipeGrips, EndsWithinTheToleranceArePlanEqual) {
  double apart = AcGeContext::gTol.equalPoint() / 10;
  auto pipe = pipeBetween({2, 3, 0}, {2 + apart, 3, 10});
  EXPECT_EQ(grips(*pipe).length(), 1);
  EXPECT_EQ(stretchPoints(*pipe).length(), 1);
  auto apartPipe = pipeBetween({2, 3, 0}, {2 + 100 * apart, 3, 10});
  EXPECT_EQ(grips(*apartPipe).length(), 3);
}

TEST(PipeGrips, UnknownIndexOrUnreadableOffsetMovesNothing) {
  auto pipe = pipeBetween({0, 0, 5}, {10, 0, 8});
  EXPECT_EQ(pipe->moveGripPointsAt(indices({1, 3}), AcGeVector3d(1, 1, 0)), Acad::eInvalidIndex);
  EXPECT_EQ(pipe->moveGripPointsAt(indices({-1}), AcGeVector3d(1, 1, 0)), Acad::eInvalidIndex);
  EXPECT_EQ(pipe->moveGripPointsAt(indices({0}), AcGeVector3d(NAN, 1, 0)), Acad::eInvalidInput);
  expectPoint(pipe->ptStart, 0, 0, 5);
  expectPoint(pipe->ptEnd, 10, 0, 8);
}

// ---- stretch points ------------------------------------------------------------------------

TEST(PipeStretch, OrdinaryPipeStretchesEachEndOnItsOwn) {
  auto pipe = pipeBetween({0, 0, 5}, {10, 0, 8});
  AcGePoint3dArray points = stretchPoints(*pipe);
  ASSERT_EQ(points.length(), 2);
  expectPoint(points[0], 0, 0, 0);
  expectPoint(points[1], 10, 0, 0);
  ASSERT_EQ(pipe->moveStretchPointsAt(indices({1}), AcGeVector3d(0, 4, 9)), Acad::eOk);
  expectPoint(pipe->ptStart, 0, 0, 5);
  expectPoint(pipe->ptEnd, 10, 4, 8);
  ASSERT_EQ(pipe->moveStretchPointsAt(indices({0, 1}), AcGeVector3d(1, 0, 0)), Acad::eOk);
  expectPoint(pipe->ptStart, 1, 0, 5);
  expectPoint(pipe->ptEnd, 11, 4, 8);
}

// A riser offers one stretch point, and stretching it moves the whole riser.
TEST(PipeStretch, PlanEqualPipeStretchesAsAWhole) {
  auto pipe = pipeBetween({2, 3, 4}, {2, 3, 10});
  AcGePoint3dArray points = stretchPoints(*pipe);
  ASSERT_EQ(points.length(), 1);
  expectPoint(points[0], 2, 3, 0);
  ASSERT_EQ(pipe->moveStretchPointsAt(indices({0}), AcGeVector3d(5, 5, 5)), Acad::eOk);
  expectPoint(pipe->ptStart, 7, 8, 4);
  expectPoint(pipe->ptEnd, 7, 8, 10);
}

TEST(PipeStretch, IndexBeyondTheEndMovesNothing) {
  auto pipe = pipeBetween({0, 0, 5}, {10, 0, 8});
  EXPECT_EQ(pipe->moveStretchPointsAt(indices({0, 2}), AcGeVector3d(1, 1, 0)), Acad::eInvalidIndex);
  EXPECT_EQ(pipe->moveStretchPointsAt(indices({0}), AcGeVector3d(INFINITY, 0, 0)), Acad::eInvalidInput);
  expectPoint(pipe->ptStart, 0, 0, 5);
  expectPoint(pipe->ptEnd, 10, 0, 8);
}

// ---- transformations -----------------------------------------------------------------------

TEST(PipeTransform, MoveShiftsThePlanAndKeepsElevations) {
  auto pipe = pipeBetween({1, 2, 5}, {4, 6, 9});
  ASSERT_EQ(pipe->transformBy(AcGeMatrix3d::translation({10, 20, 30})), Acad::eOk);
  expectPoint(pipe->ptStart, 11, 22, 5);
  expectPoint(pipe->ptEnd, 14, 26, 9);
}

TEST(PipeTransform, RotateTurnsThePlanAndKeepsElevations) {
  auto pipe = pipeBetween({1, 2, 5}, {4, 6, 9});
  ASSERT_EQ(pipe->transformBy(AcGeMatrix3d::rotation(M_PI / 2, AcGeVector3d::kZAxis, {1, 0, 0})), Acad::eOk);
  expectPoint(pipe->ptStart, -1, 0, 5);
  expectPoint(pipe->ptEnd, -5, 3, 9);
}

// A turn about a level axis lifts the points, but only their new plan position counts.
TEST(PipeTransform, TurnAboutALevelAxisTakesOnlyThePlan) {
  auto pipe = pipeBetween({1, 2, 5}, {4, 6, 9});
  ASSERT_EQ(pipe->transformBy(AcGeMatrix3d::rotation(M_PI / 2, AcGeVector3d::kXAxis)), Acad::eOk);
  expectPoint(pipe->ptStart, 1, -5, 5);
  expectPoint(pipe->ptEnd, 4, -9, 9);
}

TEST(PipeTransform, MirrorReflectsThePlanAndKeepsElevations) {
  auto pipe = pipeBetween({1, 2, 5}, {4, 6, 9});
  ASSERT_EQ(pipe->transformBy(AcGeMatrix3d::mirroring({0, 0, 0}, {1, 0, 0})), Acad::eOk);
  expectPoint(pipe->ptStart, 1, -2, 5);
  expectPoint(pipe->ptEnd, 4, -6, 9);
  // A mirror in a level plane would turn the elevations over; they stay.
  ASSERT_EQ(pipe->transformBy(AcGeMatrix3d::mirroringPlane({0, 0, 0}, AcGeVector3d::kZAxis)), Acad::eOk);
  expectPoint(pipe->ptStart, 1, -2, 5);
  expectPoint(pipe->ptEnd, 4, -6, 9);
}

TEST(PipeTransform, ScaleChangesOnlyThePlan) {
  auto pipe = pipeBetween({1, 2, 5}, {4, 6, 9});
  ASSERT_EQ(pipe->transformBy(AcGeMatrix3d::scaling(2.0, {1, 0, 10})), Acad::eOk);
  expectPoint(pipe->ptStart, 1, 4, 5);
  expectPoint(pipe->ptEnd, 7, 12, 9);
}

TEST(PipeTransform, OverflowingMatrixChangesNothing) {
  auto pipe = pipeBetween({1, 2, 5}, {4, 6, 9});
  EXPECT_EQ(pipe->transformBy(AcGeMatrix3d::scaling(1e308)), Acad::eInvalidInput);
  expectPoint(pipe->ptStart, 1, 2, 5);
  expectPoint(pipe->ptEnd, 4, 6, 9);
}

// A pipe in a drawing changes only when it is open for write.
TEST(PipeTransform, PipeOpenForReadRefusesEveryEdit) {
  AcDbDatabase db;
  AcDbObjectId id;
  {
    AcDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    auto pipe = pipeBetween({1, 2, 5}, {4, 6, 9});
    ASSERT_EQ(space->appendAcDbEntity(id, pipe.get()), Acad::eOk);
    pipe.release()->close();
    space->close();
  }
  AcDbObject* object = nullptr;
  ASSERT_EQ(acdbOpenObject(object, id, AcDb::kForRead), Acad::eOk);
  auto* pipe = static_cast<PlumbPipe*>(object);
  EXPECT_EQ(pipe->transformBy(AcGeMatrix3d::translation({1, 1, 0})), Acad::eWasNotOpenForWrite);
  EXPECT_EQ(pipe->moveGripPointsAt(indices({0}), AcGeVector3d(1, 1, 0)), Acad::eWasNotOpenForWrite);
  EXPECT_EQ(pipe->moveStretchPointsAt(indices({0}), AcGeVector3d(1, 1, 0)), Acad::eWasNotOpenForWrite);
  EXPECT_EQ(pipe->extend(true, AcGePoint3d(0, 0, 0)), Acad::eWasNotOpenForWrite);
  EXPECT_EQ(pipe->extend(-1.0), Acad::eWasNotOpenForWrite);
  expectPoint(pipe->ptStart, 1, 2, 5);
  expectPoint(pipe->ptEnd, 4, 6, 9);
  pipe->close();
}

// ---- extents and explosion ---------------------------------------------------------------

TEST(PipeExtents, BoxHoldsBothEndsInSpace) {
  auto pipe = pipeBetween({4, -1, 9}, {1, 2, 5});
  AcDbExtents box;
  ASSERT_EQ(pipe->getGeomExtents(box), Acad::eOk);
  expectPoint(box.minPoint(), 1, -1, 5);
  expectPoint(box.maxPoint(), 4, 2, 9);
}

// A riser counts with its start only, even though its end lies higher.
TEST(PipeExtents, PlanEqualPipeCountsItsStartOnly) {
  auto pipe = pipeBetween({2, 3, 4}, {2, 3, 10});
  AcDbExtents box;
  ASSERT_EQ(pipe->getGeomExtents(box), Acad::eOk);
  expectPoint(box.minPoint(), 2, 3, 4);
  expectPoint(box.maxPoint(), 2, 3, 4);
}

TEST(PipeExplode, HostExplodeIsRefused) {
  auto pipe = pipeBetween({0, 0, 0}, {10, 0, 0});
  AcDbVoidPtrArray pieces;
  EXPECT_EQ(pipe->explode(pieces), Acad::eNotApplicable);
  EXPECT_TRUE(pieces.isEmpty());
}

// ---- object snaps --------------------------------------------------------------------------

namespace {

struct Snap {
  Acad::ErrorStatus status;
  AcGePoint3dArray points;
};

Snap snap(const PlumbPipe& pipe, AcDb::OsnapMode mode, const AcGePoint3d& pick = {}, const AcGePoint3d& last = {}) {
  Snap result;
  AcDbIntArray geomIds;
  result.status = pipe.getOsnapPoints(mode, 0, pick, last, AcGeMatrix3d(), result.points, geomIds);
  return result;
}

}  // namespace

// End and midpoint snaps are in space: the elevations are part of them.
TEST(PipeOsnap, EndAndMidpointKeepElevations) {
  auto pipe = pipeBetween({0, 0, 4}, {10, 0, 8});
  Snap ends = snap(*pipe, AcDb::kOsModeEnd);
  ASSERT_EQ(ends.status, Acad::eOk);
  ASSERT_EQ(ends.points.length(), 2);
  expectPoint(ends.points[0], 0, 0, 4);
  expectPoint(ends.points[1], 10, 0, 8);
  Snap mid = snap(*pipe, AcDb::kOsModeMid);
  ASSERT_EQ(mid.status, Acad::eOk);
  ASSERT_EQ(mid.points.length(), 1);
  expectPoint(mid.points[0], 5, 0, 6);
}

TEST(PipeOsnap, CentreIsRefusedOnAnOrdinaryPipe) {
  auto pipe = pipeBetween({0, 0, 4}, {10, 0, 8});
  Snap centre = snap(*pipe, AcDb::kOsModeCen);
  EXPECT_EQ(centre.status, Acad::eInvalidInput);
  EXPECT_TRUE(centre.points.isEmpty());
}

// A riser is drawn as a circle about its start: every snap it offers is that start.
TEST(PipeOsnap, PlanEqualPipeSnapsToItsStart) {
  auto pipe = pipeBetween({2, 3, 4}, {2, 3, 10});
  for (AcDb::OsnapMode mode : {AcDb::kOsModeEnd, AcDb::kOsModeCen, AcDb::kOsModeNear, AcDb::kOsModePerp}) {
    SCOPED_TRACE(static_cast<int>(mode));
    Snap s = snap(*pipe, mode, {20, 20, 0}, {-5, 0, 0});
    ASSERT_EQ(s.status, Acad::eOk);
    ASSERT_EQ(s.points.length(), 1);
    expectPoint(s.points[0], 2, 3, 4);
  }
}

// Nearest works from the pick point and perpendicular from the last point, both seen
// from above; a point beyond an end snaps to that end, the pipe is not extended.
TEST(PipeOsnap, NearestAndPerpendicularAreSeenFromAbove) {
  auto pipe = pipeBetween({0, 0, 0}, {10, 0, 10});
  Snap near = snap(*pipe, AcDb::kOsModeNear, {4, 3, 50}, {100, 100, 100});
  ASSERT_EQ(near.status, Acad::eOk);
  ASSERT_EQ(near.points.length(), 1);
  expectPoint(near.points[0], 4, 0, 4);
  Snap perp = snap(*pipe, AcDb::kOsModePerp, {100, 100, 100}, {7, -2, -30});
  ASSERT_EQ(perp.status, Acad::eOk);
  ASSERT_EQ(perp.points.length(), 1);
  expectPoint(perp.points[0], 7, 0, 7);
  Snap beyond = snap(*pipe, AcDb::kOsModeNear, {15, 1, 0});
  ASSERT_EQ(beyond.status, Acad::eOk);
  ASSERT_EQ(beyond.points.length(), 1);
  expectPoint(beyond.points[0], 10, 0, 10);
}

TEST(PipeOsnap, OtherModesOfferNothing) {
  auto pipe = pipeBetween({0, 0, 0}, {10, 0, 0});
  for (AcDb::OsnapMode mode : {AcDb::kOsModeNode, AcDb::kOsModeQuad, AcDb::kOsModeIns, AcDb::kOsModeTan}) {
    SCOPED_TRACE(static_cast<int>(mode));
    Snap s = snap(*pipe, mode, {5, 1, 0}, {5, 1, 0});
    EXPECT_EQ(s.status, Acad::eInvalidInput);
    EXPECT_TRUE(s.points.isEmpty());
  }
}

// ---- curve queries -------------------------------------------------------------------------

// A sloped pipe: 13 long in space (3, 4 in plan and 12 up).
class PipeCurveQueries : public ::testing::Test {
 protected:
  std::unique_ptr<PlumbPipe> pipe_ = pipeBetween({0, 0, 0}, {3, 4, 12});
};

TEST_F(PipeCurveQueries, ParametersRunOverTheLengthInSpace) {
  double param = -1;
  ASSERT_EQ(pipe_->getStartParam(param), Acad::eOk);
  EXPECT_EQ(param, 0.0);
  ASSERT_EQ(pipe_->getEndParam(param), Acad::eOk);
  EXPECT_NEAR(param, 13.0, 1e-12);
  AcGePoint3d p;
  ASSERT_EQ(pipe_->getStartPoint(p), Acad::eOk);
  expectPoint(p, 0, 0, 0);
  ASSERT_EQ(pipe_->getEndPoint(p), Acad::eOk);
  expectPoint(p, 3, 4, 12);
}

TEST_F(PipeCurveQueries, PointAtParamAndAtDistanceAgree) {
  AcGePoint3d p;
  ASSERT_EQ(pipe_->getPointAtParam(6.5, p), Acad::eOk);
  expectPoint(p, 1.5, 2, 6);
  ASSERT_EQ(pipe_->getPointAtDist(6.5, p), Acad::eOk);
  expectPoint(p, 1.5, 2, 6);
  // Beyond the end the run goes straight on.
  ASSERT_EQ(pipe_->getPointAtParam(26, p), Acad::eOk);
  expectPoint(p, 6, 8, 24);
  EXPECT_EQ(pipe_->getPointAtParam(NAN, p), Acad::eInvalidInput);
}

TEST_F(PipeCurveQueries, DistanceAndParameterAreTheSameValue) {
  double value = 0;
  ASSERT_EQ(pipe_->getDistAtParam(7.25, value), Acad::eOk);
  EXPECT_EQ(value, 7.25);
  ASSERT_EQ(pipe_->getParamAtDist(-2.5, value), Acad::eOk);
  EXPECT_EQ(value, -2.5);
}

// A point beside the pipe: its parameter is its projection on the run, its distance
// the straight distance from the start.
TEST_F(PipeCurveQueries, PointBesideThePipeProjectsForParamButNotForDistance) {
  AcGePoint3d onPipe(1.5, 2, 6);
  AcGeVector3d across(4, -3, 0);  // square to the run
  AcGePoint3d beside = onPipe + across;
  double param = 0, dist = 0;
  ASSERT_EQ(pipe_->getParamAtPoint(beside, param), Acad::eOk);
  EXPECT_NEAR(param, 6.5, 1e-12);
  ASSERT_EQ(pipe_->getDistAtPoint(beside, dist), Acad::eOk);
  EXPECT_NEAR(dist, std::sqrt(6.5 * 6.5 + 25.0), 1e-12);
  ASSERT_EQ(pipe_->getDistAtPoint(onPipe, dist), Acad::eOk);
  EXPECT_NEAR(dist, 6.5, 1e-12);
}

// ---- extending -----------------------------------------------------------------------------

TEST_F(PipeCurveQueries, ExtendToAPointMovesThatEndInPlan) {
  ASSERT_EQ(pipe_->extend(true, AcGePoint3d(-1, -2, 50)), Acad::eOk);
  expectPoint(pipe_->ptStart, -1, -2, 0);
  expectPoint(pipe_->ptEnd, 3, 4, 12);
  ASSERT_EQ(pipe_->extend(false, AcGePoint3d(9, 8, -7)), Acad::eOk);
  expectPoint(pipe_->ptStart, -1, -2, 0);
  expectPoint(pipe_->ptEnd, 9, 8, 12);
}

// A negative parameter moves the start back along the run, any other the end; the
// elevations stay.
TEST_F(PipeCurveQueries, ExtendToAParameterPicksTheEndBySign) {
  ASSERT_EQ(pipe_->extend(26.0), Acad::eOk);
  expectPoint(pipe_->ptStart, 0, 0, 0);
  expectPoint(pipe_->ptEnd, 6, 8, 12);
  // The run is now 10 long in plan and 12 up: direction (0.6, 0.8, 1.2) / sqrt(2.44).
  double unit = 1.0 / std::sqrt(1.0 + 1.44);
  ASSERT_EQ(pipe_->extend(-10.0), Acad::eOk);
  expectPoint(pipe_->ptStart, -6 * unit, -8 * unit, 0);
  expectPoint(pipe_->ptEnd, 6, 8, 12);
}

TEST_F(PipeCurveQueries, ExtendWithUnreadableValuesChangesNothing) {
  EXPECT_EQ(pipe_->extend(NAN), Acad::eInvalidInput);
  EXPECT_EQ(pipe_->extend(true, AcGePoint3d(NAN, 0, 0)), Acad::eInvalidInput);
  expectPoint(pipe_->ptStart, 0, 0, 0);
  expectPoint(pipe_->ptEnd, 3, 4, 12);
}
