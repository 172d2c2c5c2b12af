// Where a line, a pipe's arc or another trap crosses a P-trap, and the distances
// answered for each crossing. The pipe runs from (0,0) to (100,0) with a trap 2 wide:
// line1 from (98,0) down to (98,-1), the curve under it to (100,-1), line2 up to (100,0).
#include <cmath>
#include <string>

#include "pipe/ptrap_intersect.h"
#include "test_pipe_data_fixture.h"
#include "test_ptrap_fixture.h"

namespace {

class PtrapIntersect : public PipeFixture {
 protected:
  std::unique_ptr<PlumbPipe> pipe_ = trapPipe({0, 0, 5}, {100, 0, 5}, 2.0);
  std::unique_ptr<AcDb2dPolyline> curve_ = referenceTrapCurve(98, 0, 2);
  double length_ = referenceLength(*curve_);
};

std::wstring keysOf(const PtrapHits& hits) {
  std::wstring keys;
  for (const auto& [key, value] : hits) keys += (keys.empty() ? L"" : L" ") + key;
  return keys;
}

void expectHits(const PtrapHits& actual, const PtrapHits& expected) {
  ASSERT_EQ(keysOf(actual), keysOf(expected));
  for (size_t i = 0; i < actual.size(); ++i)
    EXPECT_NEAR(actual[i].second, expected[i].second, 1e-6) << "pair " << i;
}

PtrapHits lineHits(const PlumbPipe& pipe, double d, const AcGePoint3d& p1, const AcGePoint3d& p2) {
  PtrapHits hits;
  EXPECT_TRUE(intersectPtrapLine(pipe, d, p1, p2, hits));
  return hits;
}

PtrapHits arcHits(const PlumbPipe& pipe, double d, const PtrapCrossingArc& arc) {
  PtrapHits hits;
  EXPECT_TRUE(intersectPtrapArc(pipe, d, arc, hits));
  return hits;
}

// A line crossing line1 near its top breaks the curve's start as well, at minus the
// same distance; without prolongation that companion is never added.
TEST_F(PtrapIntersect, ALineAcrossLine1NearItsTop) {
  expectHits(lineHits(*pipe_, 0.5, {90, -0.2, 0}, {99, -0.2, 0}),
             {{L"entity", 8.0}, {L"line1", 0.2}, {L"polyline", -0.2}});
  expectHits(lineHits(*pipe_, 0.0, {90, -0.2, 0}, {99, -0.2, 0}), {{L"entity", 8.0}, {L"line1", 0.2}});
  // Further down than the prolongation: no companion either.
  expectHits(lineHits(*pipe_, 0.5, {90, -0.7, 0}, {99, -0.7, 0}), {{L"entity", 8.0}, {L"line1", 0.7}});
}

TEST_F(PtrapIntersect, ElevationsAreIgnored) {
  expectHits(lineHits(*pipe_, 0.0, {90, -0.2, 30}, {99, -0.2, -4}), {{L"entity", 8.0}, {L"line1", 0.2}});
}

// Both the line and line1 are prolonged by d; the distances still count from their
// true first points.
TEST_F(PtrapIntersect, ProlongationsReachPastBothEnds) {
  const AcGePoint3d p1(90, 0.3, 0), p2(97.8, 0.3, 0);
  EXPECT_TRUE(lineHits(*pipe_, 0.0, p1, p2).empty());
  expectHits(lineHits(*pipe_, 0.5, p1, p2), {{L"entity", 8.0}, {L"line1", -0.3}});
  // The line given the other way round measures from its other end.
  expectHits(lineHits(*pipe_, 0.5, p2, p1), {{L"entity", -0.2}, {L"line1", -0.3}});
}

TEST_F(PtrapIntersect, ALineCrossingOnlyTheCurve) {
  for (double d : {0.0, 0.5}) {
    const PtrapHits hits = lineHits(*pipe_, d, {97, -1.8, 0}, {101, -1.8, 0});
    ASSERT_EQ(keysOf(hits), L"entity polyline entity polyline") << "d " << d;
    // Both sides of the U, in order along the curve.
    for (int side = 0; side < 2; ++side) {
      AcGePoint3d onCurve;
      ASSERT_EQ(curve_->getPointAtDist(hits[2 * side + 1].second, onCurve), Acad::eOk);
      EXPECT_NEAR(onCurve.y, -1.8, 1e-6);
      EXPECT_NEAR(onCurve.x, 97 + hits[2 * side].second, 1e-6);
    }
    EXPECT_LT(hits[1].second, hits[3].second);
    // The trap is symmetric about x = 99.
    EXPECT_NEAR(hits[0].second + hits[2].second, 4.0, 1e-6);
    EXPECT_NEAR(hits[1].second + hits[3].second, length_, 1e-6);
  }
}

// Near the bottom of line2 the companion is a break beyond the curve's end.
TEST_F(PtrapIntersect, ALineAcrossLine2NearItsBottom) {
  expectHits(lineHits(*pipe_, 0.5, {99.5, -0.9, 0}, {101, -0.9, 0}),
             {{L"entity", 0.5}, {L"line2", 0.1}, {L"polyline", length_ + 0.1}});
  expectHits(lineHits(*pipe_, 0.0, {99.5, -0.9, 0}, {101, -0.9, 0}), {{L"entity", 0.5}, {L"line2", 0.1}});
}

TEST_F(PtrapIntersect, ALineOfNoLengthIsNoLine) {
  PtrapHits hits;
  EXPECT_FALSE(intersectPtrapLine(*pipe_, 0.5, {98, -0.5, 0}, {98, -0.5, 3}, hits));
  EXPECT_TRUE(hits.empty());
}

// An arc of radius 1 heading down from P and turning left about (98.5, c): it meets
// line1 (x = 98) 60 degrees on, half-way down line1, and ends at (98.5, c - 1).
const double kC = -0.5 + std::sqrt(0.75);

TEST_F(PtrapIntersect, AnArcTurningLeftMeasuresFromItsStart) {
  const PtrapCrossingArc arc{{97.5, kC, 7}, -M_PI / 2, 1, 1.0, M_PI / 2};
  expectHits(arcHits(*pipe_, 0.0, arc), {{L"entity", M_PI / 3}, {L"line1", 0.5}});
}

// The prolongation after the arc runs on along its end tangent (+x) and meets line2;
// the one before it runs back up from P and meets nothing.
TEST_F(PtrapIntersect, AnArcsProlongationsCountFromItsEnds) {
  const PtrapCrossingArc arc{{97.5, kC, 0}, -M_PI / 2, 1, 1.0, M_PI / 2};
  const double rise = kC - 1 - (-1);  // where the end tangent meets line2, above d
  expectHits(arcHits(*pipe_, 1.6, arc), {{L"entity", M_PI / 3},
                                         {L"line1", 0.5},
                                         {L"polyline", -0.5},
                                         {L"entity", M_PI / 2 + 1.5},
                                         {L"line2", rise},
                                         {L"polyline", length_ + rise}});
}

// Seen from before its start, a prolongation back along the pipe direction gives
// minus the distance from P.
TEST_F(PtrapIntersect, AnArcsFirstProlongationIsNegative) {
  // Heading up at x = 99.5 from just below line2's top, turning left away from it;
  // the prolongation back down crosses the curve's right side.
  const PtrapCrossingArc arc{{99.5, -0.5, 0}, M_PI / 2, 1, 0.2, 0.5};
  const PtrapHits hits = arcHits(*pipe_, 1.5, arc);
  ASSERT_EQ(keysOf(hits), L"entity polyline");
  AcGePoint3d onCurve;
  ASSERT_EQ(curve_->getPointAtDist(hits[1].second, onCurve), Acad::eOk);
  EXPECT_NEAR(onCurve.x, 99.5, 1e-6);
  EXPECT_NEAR(hits[0].second, -(-0.5 - onCurve.y), 1e-6);
}

// Turning right, the arc's counter-clockwise start is its far end.
TEST_F(PtrapIntersect, AnArcTurningRightMeasuresFromItsFarEnd) {
  const PtrapCrossingArc arc{{98.5, kC, 0}, -M_PI / 2, -1, 1.0, M_PI / 2};
  expectHits(arcHits(*pipe_, 0.0, arc), {{L"entity", M_PI / 6}, {L"line1", 0.5}});
}

TEST_F(PtrapIntersect, ArcsThatCannotBeBuilt) {
  for (const PtrapCrossingArc& arc : {PtrapCrossingArc{{97.5, kC, 0}, -M_PI / 2, 0, 1.0, M_PI / 2},
                                      PtrapCrossingArc{{97.5, kC, 0}, -M_PI / 2, 2, 1.0, M_PI / 2},
                                      PtrapCrossingArc{{97.5, kC, 0}, -M_PI / 2, 1, 0.0, M_PI / 2},
                                      PtrapCrossingArc{{97.5, kC, 0}, -M_PI / 2, 1, 1.0, 0.0},
                                      PtrapCrossingArc{{97.5, kC, 0}, -M_PI / 2, 1, 1.0, 7.0},
                                      PtrapCrossingArc{{97.5, kC, 0}, -M_PI / 2, 1, NAN, 1.0}}) {
    PtrapHits hits;
    EXPECT_FALSE(intersectPtrapArc(*pipe_, 0.5, arc, hits));
    EXPECT_TRUE(hits.empty());
  }
}

// A second trap 0.4 to the left and 1 higher: the left side of its curve crosses line1.
TEST_F(PtrapIntersect, AnotherTrapAnswersOnlyTheFirstPipesParts) {
  const auto other = trapPipe({0, 1, 0}, {99.6, 1, 0}, 2.0);
  other->bPtrap = false;  // not looked at
  const auto otherCurve = referenceTrapCurve(97.6, 1, 2);

  PtrapHits hits;
  ASSERT_TRUE(intersectPtrapPtrap(*pipe_, 0.0, *other, hits));
  ASSERT_EQ(keysOf(hits), L"line1");
  const double t = hits[0].second;
  EXPECT_GT(t, 0.0);
  EXPECT_LT(t, 1.0);
  double onOther = 0.0;
  EXPECT_EQ(otherCurve->getDistAtPoint({98, -t, 0}, onOther), Acad::eOk) << "the crossing lies on the other curve";

  // The other way round: the crossing lies on the other pipe's curve.
  PtrapHits back;
  ASSERT_TRUE(intersectPtrapPtrap(*other, 0.0, *pipe_, back));
  ASSERT_EQ(keysOf(back), L"polyline");
  EXPECT_NEAR(back[0].second, onOther, 1e-6);

  // Prolonged by more than t, line1's crossing breaks the curve's start too.
  PtrapHits prolonged;
  ASSERT_TRUE(intersectPtrapPtrap(*pipe_, 0.9, *other, prolonged));
  expectHits(prolonged, {{L"line1", t}, {L"polyline", -t}});
}

}  // namespace
