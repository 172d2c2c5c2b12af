// The pipe under the host's editing where the editing script cannot reach: refused
// indices and unreadable values, a pipe open for read, ends equal within the
// tolerance, transformations out of plan, extents, extending, snaps of a riser, and
// intersections projected on a plane.
#include <cmath>
#include <array>
#include <functional>
#include <memory>

#include "entity_fixture.h"

namespace {

std::unique_ptr<PlumbPipe> pipeBetween(const AcGePoint3d& start, const AcGePoint3d& end) {
  auto pipe = std::make_unique<PlumbPipe>();
  pipe->ptStart = start;
  pipe->ptEnd = end;
  return pipe;
}

void expectEnds(const PlumbPipe& pipe, const AcGePoint3d& start, const AcGePoint3d& end) {
  EXPECT_TRUE(pipe.ptStart.isEqualTo(start, AcGeTol(1e-9, 1e-9))) << pipe.ptStart.x << " " << pipe.ptStart.y << " "
                                                            << pipe.ptStart.z;
  EXPECT_TRUE(pipe.ptEnd.isEqualTo(end, AcGeTol(1e-9, 1e-9))) << pipe.ptEnd.x << " " << pipe.ptEnd.y << " " << pipe.ptEnd.z;
}

AcDbIntArray indices(std::initializer_list<int> values) { return AcDbIntArray(values); }

using Edit = std::function<Acad::ErrorStatus(PlumbPipe&)>;

class PipeEditing : public EntityTest {};

// Indices the pipe never offered and values that cannot be read are refused with their
// status, and the pipe stays as it was.
TEST_F(PipeEditing, RefusedEditsChangeNothing) {
  const struct {
    Edit edit;
    Acad::ErrorStatus status;
  } cases[] = {
      {[](PlumbPipe& p) { return p.moveGripPointsAt(indices({1, 3}), {1, 1, 0}); }, Acad::eInvalidIndex},
      {[](PlumbPipe& p) { return p.moveGripPointsAt(indices({-1}), {1, 1, 0}); }, Acad::eInvalidIndex},
      {[](PlumbPipe& p) { return p.moveGripPointsAt(indices({0}), {NAN, 1, 0}); }, Acad::eInvalidInput},
      {[](PlumbPipe& p) { return p.moveStretchPointsAt(indices({0, 2}), {1, 1, 0}); }, Acad::eInvalidIndex},
      {[](PlumbPipe& p) { return p.moveStretchPointsAt(indices({0}), {INFINITY, 0, 0}); }, Acad::eInvalidInput},
      {[](PlumbPipe& p) { return p.transformBy(AcGeMatrix3d::scaling(1e308)); }, Acad::eInvalidInput},
      {[](PlumbPipe& p) { return p.extend(NAN); }, Acad::eInvalidInput},
      {[](PlumbPipe& p) { return p.extend(true, AcGePoint3d(NAN, 0, 0)); }, Acad::eInvalidInput},
      {[](PlumbPipe& p) {
         AcGePoint3d point;
         return p.getPointAtParam(NAN, point);
       },
       Acad::eInvalidInput},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    auto pipe = pipeBetween({1, 2, 5}, {10, 6, 8});
    EXPECT_EQ(cases[i].edit(*pipe), cases[i].status) << i;
    expectEnds(*pipe, {1, 2, 5}, {10, 6, 8});
  }
}

// A pipe in a drawing changes only when it is open for write.
TEST_F(PipeEditing, APipeOpenForReadRefusesEveryEdit) {
  const AcDbObjectId id = add(pipeBetween({1, 2, 5}, {4, 6, 9}).release());
  const Edit edits[] = {
      [](PlumbPipe& p) { return p.transformBy(AcGeMatrix3d::translation({1, 1, 0})); },
      [](PlumbPipe& p) { return p.moveGripPointsAt(indices({0}), {1, 1, 0}); },
      [](PlumbPipe& p) { return p.moveStretchPointsAt(indices({0}), {1, 1, 0}); },
      [](PlumbPipe& p) { return p.extend(true, AcGePoint3d(0, 0, 0)); },
      [](PlumbPipe& p) { return p.extend(-1.0); },
  };
  PlumbPipe* pipe = nullptr;
  ASSERT_EQ(acdbOpenObject(pipe, id, AcDb::kForRead), Acad::eOk);
  for (const Edit& edit : edits) EXPECT_EQ(edit(*pipe), Acad::eWasNotOpenForWrite);
  expectEnds(*pipe, {1, 2, 5}, {4, 6, 9});
  pipe->close();
}

// Ends closer than the global tolerance are equal in plan: a riser with one grip and
// one stretch point, and all its snaps at its start.
TEST_F(PipeEditing, EndsWithinTheToleranceMakeARiser) {
  const double apart = AcGeContext::gTol.equalPoint() / 10;
  auto riser = pipeBetween({2, 3, 4}, {2 + apart, 3, 10});
  AcGePoint3dArray points;
  AcDbIntArray modes, ids;
  ASSERT_EQ(riser->getGripPoints(points, modes, ids), Acad::eOk);
  EXPECT_EQ(points.length(), 1);
  points.setLogicalLength(0);
  ASSERT_EQ(riser->getStretchPoints(points), Acad::eOk);
  EXPECT_EQ(points.length(), 1);
  for (AcDb::OsnapMode mode : {AcDb::kOsModeEnd, AcDb::kOsModeCen, AcDb::kOsModeNear, AcDb::kOsModePerp}) {
    AcGePoint3dArray snaps;
    ASSERT_EQ(riser->getOsnapPoints(mode, 0, {20, 20, 0}, {-5, 0, 0}, AcGeMatrix3d(), snaps, ids), Acad::eOk);
    ASSERT_EQ(snaps.length(), 1) << mode;
    EXPECT_TRUE(snaps[0].isEqualTo({2, 3, 4})) << mode;
  }
  auto apartPipe = pipeBetween({2, 3, 0}, {2 + 100 * apart, 3, 10});
  points.setLogicalLength(0);
  ASSERT_EQ(apartPipe->getGripPoints(points, modes, ids), Acad::eOk);
  EXPECT_EQ(points.length(), 3);
}

// Only the new plan position counts: a turn about a level axis lifts the points and a
// mirror in a level plane turns them over, but the elevations stay.
TEST_F(PipeEditing, TransformationsOutOfPlanKeepTheElevations) {
  auto pipe = pipeBetween({1, 2, 5}, {4, 6, 9});
  ASSERT_EQ(pipe->transformBy(AcGeMatrix3d::rotation(M_PI / 2, AcGeVector3d::kXAxis)), Acad::eOk);
  expectEnds(*pipe, {1, -5, 5}, {4, -9, 9});
  ASSERT_EQ(pipe->transformBy(AcGeMatrix3d::mirroringPlane({0, 0, 0}, AcGeVector3d::kZAxis)), Acad::eOk);
  expectEnds(*pipe, {1, -5, 5}, {4, -9, 9});
}

// The box holds both ends in space; a riser counts with its start only.
TEST_F(PipeEditing, ExtentsHoldBothEndsUnlessARiser) {
  for (const auto& [start, end, low, high] :
       std::vector<std::array<AcGePoint3d, 4>>{{{{4, -1, 9}, {1, 2, 5}, {1, -1, 5}, {4, 2, 9}}},
                                              {{{2, 3, 4}, {2, 3, 10}, {2, 3, 4}, {2, 3, 4}}}}) {
    AcDbExtents box;
    ASSERT_EQ(pipeBetween(start, end)->getGeomExtents(box), Acad::eOk);
    EXPECT_TRUE(box.minPoint().isEqualTo(low) && box.maxPoint().isEqualTo(high)) << start.x;
  }
}

// Extending to a point moves that end in plan; extending to a parameter picks the end
// by its sign and moves it along the run; the elevations stay. A sloped pipe is 13
// long in space: 3, 4 in plan and 12 up.
TEST_F(PipeEditing, ExtendingMovesOneEndInPlan) {
  auto pipe = pipeBetween({0, 0, 0}, {3, 4, 12});
  ASSERT_EQ(pipe->extend(true, AcGePoint3d(-1, -2, 50)), Acad::eOk);
  expectEnds(*pipe, {-1, -2, 0}, {3, 4, 12});
  ASSERT_EQ(pipe->extend(false, AcGePoint3d(9, 8, -7)), Acad::eOk);
  expectEnds(*pipe, {-1, -2, 0}, {9, 8, 12});

  pipe = pipeBetween({0, 0, 0}, {3, 4, 12});
  ASSERT_EQ(pipe->extend(26.0), Acad::eOk);
  expectEnds(*pipe, {0, 0, 0}, {6, 8, 12});
  // The run is now 10 long in plan and 12 up: direction (0.6, 0.8, 1.2) / sqrt(2.44).
  const double unit = 1.0 / std::sqrt(2.44);
  ASSERT_EQ(pipe->extend(-10.0), Acad::eOk);
  expectEnds(*pipe, {-6 * unit, -8 * unit, 0}, {6, 8, 12});
}

// A sloped pipe passes over a level line: in space they miss, but their projections
// on the ground cross; nothing to meet is an error.
TEST_F(PipeEditing, ThePlaneFormMeetsWhatPassesAboveOrBelow) {
  auto pipe = pipeBetween({0, 0, 0}, {10, 0, 10});
  AcDbLine ground(AcGePoint3d(5, -5, 0), AcGePoint3d(5, 5, 0));
  AcGePoint3dArray points;
  ASSERT_EQ(pipe->intersectWith(&ground, AcDb::kOnBothOperands, points), Acad::eOk);
  EXPECT_TRUE(points.isEmpty());
  ASSERT_EQ(pipe->intersectWith(&ground, AcDb::kOnBothOperands, AcGePlane::kXYPlane, points), Acad::eOk);
  ASSERT_EQ(points.length(), 1);
  EXPECT_TRUE(points[0].isEqualTo({5, 0, 0}));
  // Asked by the line in the plane form, "extend the argument" extends the pipe.
  AcDbLine beyond(AcGePoint3d(12, -1, 0), AcGePoint3d(12, 1, 0));
  auto level = pipeBetween({0, 0, 0}, {10, 0, 0});
  points.setLogicalLength(0);
  ASSERT_EQ(beyond.intersectWith(level.get(), AcDb::kExtendArg, AcGePlane::kXYPlane, points), Acad::eOk);
  ASSERT_EQ(points.length(), 1);
  EXPECT_TRUE(points[0].isEqualTo({12, 0, 0}));

  points.setLogicalLength(0);
  EXPECT_EQ(pipe->intersectWith(nullptr, AcDb::kOnBothOperands, points), Acad::eNullObjectPointer);
  EXPECT_EQ(pipe->intersectWith(nullptr, AcDb::kOnBothOperands, AcGePlane::kXYPlane, points),
            Acad::eNullObjectPointer);
  EXPECT_TRUE(points.isEmpty());
}

}  // namespace
