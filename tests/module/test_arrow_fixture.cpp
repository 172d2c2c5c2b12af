// The flow arrow tests' fixture: class registration, the working drawing, the LISP
// interpreter with the module's functions, and the drawing and filing helpers.
#include "test_arrow_fixture.h"

ArrowTest::ArrowTest()
    : ModuleEntityFixture(
          {PlumbPipeArrow::kClassName, PlumbPipeArrow::rxInit, PlumbPipeArrow::rxUninit, "ov-arrow"}) {}

PlumbPipeArrow* ArrowTest::makeArrow(const AcGePoint3d& start, const AcGePoint3d& end,
                                     const std::vector<double>& hangers) {
  auto* arrow = new PlumbPipeArrow();
  arrow->setStartPoint(start);
  arrow->setEndPoint(end);
  AcGeDoubleArray distances;
  for (double d : hangers) distances.append(d);
  arrow->setHangers(distances);
  return arrow;
}

std::vector<GiPrimitive> ArrowTest::draw(AcDbEntity& entity) {
  AcGiRecordingWorldDraw wd;
  EXPECT_TRUE(entity.worldDraw(&wd)) << "an arrow draws everything in one go";
  return wd.takePrimitives();
}

int ArrowTest::modelSpaceCount() { return static_cast<int>(modelSpace(db_).size()); }

double strokeLength(const GiPrimitive& stroke) {
  EXPECT_EQ(stroke.kind, GiPrimitiveKind::Polyline);
  EXPECT_EQ(stroke.points.size(), 2u);
  return stroke.points.size() == 2 ? stroke.points[0].distanceTo(stroke.points[1]) : -1.0;
}
