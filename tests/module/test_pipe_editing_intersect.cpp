// Where a pipe meets lines, arcs and other pipes, under each extension mode and in both
// forms (in space and projected on a plane), with the pipe asking and being asked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "pipe/PlumbPipe.h"

namespace {

std::unique_ptr<PlumbPipe> pipeBetween(const AcGePoint3d& start, const AcGePoint3d& end) {
  auto pipe = std::make_unique<PlumbPipe>();
  pipe->ptStart = start;
  pipe->ptEnd = end;
  return pipe;
}

enum class Form { kInSpace, kOnPlane };

AcGePoint3dArray intersect(const AcDbEntity& asking, const AcDbEntity& other, AcDb::Intersect mode, Form form) {
  AcGePoint3dArray points;
  Acad::ErrorStatus es = form == Form::kInSpace ? asking.intersectWith(&other, mode, points)
                                                : asking.intersectWith(&other, mode, AcGePlane::kXYPlane, points);
  EXPECT_EQ(es, Acad::eOk);
  return points;
}

// The points sorted along x, so that the order the other entity finds them in does
// not matter.
void expectPoints(AcGePoint3dArray actual, std::vector<AcGePoint3d> expected) {
  auto byX = [](const AcGePoint3d& a, const AcGePoint3d& b) { return a.x < b.x; };
  std::sort(actual.begin(), actual.end(), byX);
  std::sort(expected.begin(), expected.end(), byX);
  ASSERT_EQ(actual.length(), static_cast<int>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(actual[static_cast<int>(i)].x, expected[i].x, 1e-9);
    EXPECT_NEAR(actual[static_cast<int>(i)].y, expected[i].y, 1e-9);
    EXPECT_NEAR(actual[static_cast<int>(i)].z, expected[i].z, 1e-9);
  }
}

struct ModeCase {
  AcDb::Intersect mode;
  std::vector<AcGePoint3d> expected;
};

// Runs every extension mode in both forms with the pipe asking.
void expectUnderEachMode(const PlumbPipe& pipe, const AcDbEntity& other, const std::vector<ModeCase>& cases) {
  for (Form form : {Form::kInSpace, Form::kOnPlane}) {
    for (const ModeCase& c : cases) {
      SCOPED_TRACE(::testing::Message() << (form == Form::kInSpace ? "in space" : "on the plane") << ", mode "
                                        << static_cast<int>(c.mode));
      expectPoints(intersect(pipe, other, c.mode, form), c.expected);
    }
  }
}

const double kRoot3 = std::sqrt(3.0);

}  // namespace

// The pipe from (0,0,0) to (10,0,0) against entities placed so that each extension
// mode finds something different: only a mode that extends the right operand reaches.
class PipeIntersect : public ::testing::Test {
 protected:
  std::unique_ptr<PlumbPipe> pipe_ = pipeBetween({0, 0, 0}, {10, 0, 0});
};

TEST_F(PipeIntersect, LineCrossingThePipeMeetsItUnderEveryMode) {
  AcDbLine line(AcGePoint3d(5, -1, 0), AcGePoint3d(5, 1, 0));
  expectUnderEachMode(*pipe_, line,
                      {{AcDb::kOnBothOperands, {{5, 0, 0}}},
                       {AcDb::kExtendThis, {{5, 0, 0}}},
                       {AcDb::kExtendArg, {{5, 0, 0}}},
                       {AcDb::kExtendBoth, {{5, 0, 0}}}});
}

// The line stands beyond the pipe's end: only extending the pipe reaches it.
TEST_F(PipeIntersect, LineBeyondTheEndNeedsThePipeExtended) {
  AcDbLine line(AcGePoint3d(12, -1, 0), AcGePoint3d(12, 1, 0));
  expectUnderEachMode(*pipe_, line,
                      {{AcDb::kOnBothOperands, {}},
                       {AcDb::kExtendThis, {{12, 0, 0}}},
                       {AcDb::kExtendArg, {}},
                       {AcDb::kExtendBoth, {{12, 0, 0}}}});
}

// The line stops short of the pipe: only extending the line reaches it.
TEST_F(PipeIntersect, LineShortOfThePipeNeedsTheLineExtended) {
  AcDbLine line(AcGePoint3d(5, 1, 0), AcGePoint3d(5, 3, 0));
  expectUnderEachMode(*pipe_, line,
                      {{AcDb::kOnBothOperands, {}},
                       {AcDb::kExtendThis, {}},
                       {AcDb::kExtendArg, {{5, 0, 0}}},
                       {AcDb::kExtendBoth, {{5, 0, 0}}}});
}

TEST_F(PipeIntersect, LineAwayFromBothNeedsBothExtended) {
  AcDbLine line(AcGePoint3d(12, 1, 0), AcGePoint3d(12, 3, 0));
  expectUnderEachMode(*pipe_, line,
                      {{AcDb::kOnBothOperands, {}},
                       {AcDb::kExtendThis, {}},
                       {AcDb::kExtendArg, {}},
                       {AcDb::kExtendBoth, {{12, 0, 0}}}});
}

// The upper half of a circle about (10,1) with radius 2: its circle crosses the pipe's
// line at 10 - sqrt 3 (on the pipe) and 10 + sqrt 3 (beyond its end).
TEST_F(PipeIntersect, ArcAboveThePipeNeedsTheArcExtended) {
  AcDbArc arc(AcGePoint3d(10, 1, 0), 2.0, 0.0, M_PI);
  expectUnderEachMode(*pipe_, arc,
                      {{AcDb::kOnBothOperands, {}},
                       {AcDb::kExtendThis, {}},
                       {AcDb::kExtendArg, {{10 - kRoot3, 0, 0}}},
                       {AcDb::kExtendBoth, {{10 - kRoot3, 0, 0}, {10 + kRoot3, 0, 0}}}});
}

// The left half of a circle about (15,0) with radius 2, beyond the pipe's end.
TEST_F(PipeIntersect, ArcBeyondTheEndNeedsThePipeExtended) {
  AcDbArc arc(AcGePoint3d(15, 0, 0), 2.0, M_PI / 2, 3 * M_PI / 2);
  expectUnderEachMode(*pipe_, arc,
                      {{AcDb::kOnBothOperands, {}},
                       {AcDb::kExtendThis, {{13, 0, 0}}},
                       {AcDb::kExtendArg, {}},
                       {AcDb::kExtendBoth, {{13, 0, 0}, {17, 0, 0}}}});
}

// Asked by a line, the pipe answers with the roles turned round again: "extend the
// argument" extends the pipe.
TEST_F(PipeIntersect, PipeAsTheArgumentIsExtendedByExtendArg) {
  AcDbLine line(AcGePoint3d(12, -1, 0), AcGePoint3d(12, 1, 0));
  for (Form form : {Form::kInSpace, Form::kOnPlane}) {
    SCOPED_TRACE(form == Form::kInSpace ? "in space" : "on the plane");
    expectPoints(intersect(line, *pipe_, AcDb::kExtendArg, form), {{12, 0, 0}});
    expectPoints(intersect(line, *pipe_, AcDb::kExtendThis, form), {});
    expectPoints(intersect(line, *pipe_, AcDb::kOnBothOperands, form), {});
  }
}

TEST_F(PipeIntersect, TwoPipesMeetWhereTheirRunsCross) {
  auto other = pipeBetween({5, -5, 0}, {5, 5, 0});
  expectPoints(intersect(*pipe_, *other, AcDb::kOnBothOperands, Form::kInSpace), {{5, 0, 0}});
  auto shortOne = pipeBetween({5, 1, 0}, {5, 3, 0});
  expectPoints(intersect(*pipe_, *shortOne, AcDb::kOnBothOperands, Form::kInSpace), {});
  expectPoints(intersect(*pipe_, *shortOne, AcDb::kExtendArg, Form::kInSpace), {{5, 0, 0}});
}

// A sloped pipe passes over a level line: in space they miss, but their projections on
// the ground cross.
TEST(PipeIntersectSloped, PlaneFormMeetsWhatPassesAboveOrBelow) {
  auto pipe = pipeBetween({0, 0, 0}, {10, 0, 10});
  AcDbLine ground(AcGePoint3d(5, -5, 0), AcGePoint3d(5, 5, 0));
  expectPoints(intersect(*pipe, ground, AcDb::kOnBothOperands, Form::kInSpace), {});
  expectPoints(intersect(*pipe, ground, AcDb::kOnBothOperands, Form::kOnPlane), {{5, 0, 0}});
  AcDbLine atHeight(AcGePoint3d(5, -5, 5), AcGePoint3d(5, 5, 5));
  expectPoints(intersect(*pipe, atHeight, AcDb::kOnBothOperands, Form::kInSpace), {{5, 0, 5}});
}

TEST(PipeIntersectSloped, NothingToMeetIsAnError) {
  auto pipe = pipeBetween({0, 0, 0}, {10, 0, 0});
  AcGePoint3dArray points;
  EXPECT_EQ(pipe->intersectWith(nullptr, AcDb::kOnBothOperands, points), Acad::eNullObjectPointer);
  EXPECT_EQ(pipe->intersectWith(nullptr, AcDb::kOnBothOperands, AcGePlane::kXYPlane, points),
            Acad::eNullObjectPointer);
  EXPECT_TRUE(points.isEmpty());
}
