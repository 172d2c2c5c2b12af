// What a pipe shows: the riser and drop symbols, gaps at breaks, labels, ticks, the
// drop line, elbows and arcs, the P-trap and the label's rotation, checked on the
// primitives the host's recording world draw receives.
#include <cmath>
#include <memory>

#include "arx/ap_doc_manager.h"
#include "arx/gi_record.h"
#include "arx/ucs_trans.h"
#include "pipe/pipe_drawing.h"
#include "pipe/ptrap_geometry.h"
#include "test_pipe_data_fixture.h"

namespace {

using Prims = std::vector<GiPrimitive>;
constexpr double kTol = 1e-7;
constexpr double kPi = 3.14159265;

#define EXPECT_AT(actual, ex, ey, ez)   \
  do {                                  \
    const AcGePoint3d p_ = (actual);    \
    EXPECT_NEAR(p_.x, (ex), 1e-6);      \
    EXPECT_NEAR(p_.y, (ey), 1e-6);      \
    EXPECT_NEAR(p_.z, (ez), 1e-6);      \
  } while (0)

std::unique_ptr<PlumbPipe> pipeFrom(const AcGePoint3d& start, const AcGePoint3d& end) {
  auto pipe = std::make_unique<PlumbPipe>();
  pipe->setStartPoint(start, true);
  pipe->setEndPoint(end, true);
  return pipe;
}

Prims drawn(PlumbPipe& pipe) {
  AcGiRecordingWorldDraw wd;
  pipe.worldDraw(&wd);
  return wd.takePrimitives();
}

Prims ofKind(const Prims& all, GiPrimitiveKind kind) {
  Prims out;
  for (const GiPrimitive& p : all)
    if (p.kind == kind) out.push_back(p);
  return out;
}

// The x ranges of the straight primitives along the x axis, in drawing order.
std::vector<std::pair<double, double>> xSpans(const Prims& all) {
  std::vector<std::pair<double, double>> spans;
  for (const GiPrimitive& p : all)
    if (p.kind == GiPrimitiveKind::Polyline && std::fabs(p.points[0].y - p.points[1].y) < kTol)
      spans.emplace_back(p.points[0].x, p.points[1].x);
  return spans;
}

double angleOf(const AcGeVector3d& v) { return std::atan2(v.y, v.x); }

// The centre of a label from its corner, rotation and size.
AcGePoint3d labelCentre(const GiPrimitive& text, double width, double height) {
  const double r = text.rotation;
  return {text.location.x + std::cos(r) * width / 2 - std::cos(r + kPi / 2) * height / 2,
          text.location.y + std::sin(r) * width / 2 - std::sin(r + kPi / 2) * height / 2, text.location.z};
}

class PipeDrawing : public PipeFixture {};

// ---- the vertical symbols ----------------------------------------------------------

// Less than 0.1 apart in plan: only the riser circle about the start, whatever else
// the pipe carries.
TEST_F(PipeDrawing, ARiserDrawsOnlyItsCircleAboutTheStart) {
  auto pipe = pipeFrom({0, 0, 0}, {0.05, 0.05, 10});
  pipe->strText = L"LABEL";
  pipe->aBreaks.append(1.0);
  pipe->aElbows.append(elbowInfo(5.0, 0.5));
  const Prims prims = drawn(*pipe);
  ASSERT_EQ(prims.size(), 1u);
  EXPECT_EQ(prims[0].kind, GiPrimitiveKind::Circle);
  EXPECT_DOUBLE_EQ(prims[0].radius, 6.0);
  EXPECT_AT(prims[0].center, 0, 0, 0);

  // Just over the threshold the plan drawing takes over.
  auto plan = pipeFrom({0, 0, 0}, {0.11, 0, 10});
  EXPECT_TRUE(ofKind(drawn(*plan), GiPrimitiveKind::Circle).empty());
}

// The drop symbol's circle is opened by 60 degrees either side of each angle.
TEST_F(PipeDrawing, ADropSymbolLeavesAGapAboutEachAngle) {
  auto pipe = pipeFrom({5, 5, 10}, {5, 5, 0});
  pipe->iVerticalType = 1;
  pipe->aVerticalAngles.append(0.0);
  Prims prims = drawn(*pipe);
  ASSERT_EQ(prims.size(), 1u);
  ASSERT_EQ(prims[0].kind, GiPrimitiveKind::Arc);
  EXPECT_NEAR(angleOf(prims[0].startVector), kPi / 3, kTol);
  EXPECT_NEAR(angleOf(prims[0].startVector) + prims[0].sweep, 2 * kPi - kPi / 3, kTol);
  EXPECT_EQ(prims[0].normal.z, 1.0);
  EXPECT_AT(prims[0].center, 5, 5, 10);

  // Two openings half a turn apart leave two arcs; openings closer than twice the gap
  // leave no arc between them.
  pipe->aVerticalAngles.append(kPi);
  prims = drawn(*pipe);
  ASSERT_EQ(prims.size(), 2u);
  EXPECT_NEAR(angleOf(prims[0].startVector), kPi / 3, kTol);
  EXPECT_NEAR(prims[0].sweep, kPi / 3, kTol);
  EXPECT_NEAR(angleOf(prims[1].startVector), 4 * kPi / 3 - 2 * kPi, kTol);
  EXPECT_NEAR(prims[1].sweep, kPi / 3, kTol);

  pipe->aVerticalAngles.removeAll();
  pipe->aVerticalAngles.append(0.0);
  pipe->aVerticalAngles.append(1.0);
  prims = drawn(*pipe);
  ASSERT_EQ(prims.size(), 1u);
  EXPECT_NEAR(prims[0].sweep, 2 * kPi - kPi / 3 - (1.0 + kPi / 3), kTol);

  // "UP", or a drop without angles, is the full circle.
  pipe->iVerticalType = 0;
  EXPECT_EQ(drawn(*pipe)[0].kind, GiPrimitiveKind::Circle);
}

// ---- breaks ------------------------------------------------------------------------

TEST_F(PipeDrawing, OverlappingBreaksMergeIntoOneGap) {
  const std::vector<breakInfo> merged = mergeBreaks({10.0, 11.0}, 3.0);
  ASSERT_EQ(merged.size(), 1u);
  EXPECT_DOUBLE_EQ(merged[0].lower(), 8.5);
  EXPECT_DOUBLE_EQ(merged[0].upper(), 12.5);
  // Touching gaps merge as well; apart ones stay apart.
  EXPECT_EQ(mergeBreaks({10.0, 13.0}, 3.0).size(), 1u);
  EXPECT_EQ(mergeBreaks({10.0, 13.01}, 3.0).size(), 2u);

  auto pipe = pipeFrom({0, 0, 0}, {30, 0, 0});
  pipe->aBreaks.append(10.0);
  pipe->aBreaks.append(11.0);
  const auto spans = xSpans(drawn(*pipe));
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_NEAR(spans[0].first, 0.0, kTol);
  EXPECT_NEAR(spans[0].second, 8.5, kTol);
  EXPECT_NEAR(spans[1].first, 12.5, kTol);
  EXPECT_NEAR(spans[1].second, 30.0, kTol);
}

// A gap reaching over either end of the line leaves no stretch beyond it.
TEST_F(PipeDrawing, GapsOverTheEndsLeaveNoStretchThere) {
  const std::vector<DrawnSpan> spans = spansBetweenBreaks(mergeBreaks({1.0, 20.0, 29.0}, 3.0), 0.0, 30.0);
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_DOUBLE_EQ(spans[0].from, 2.5);
  EXPECT_DOUBLE_EQ(spans[0].to, 18.5);
  EXPECT_DOUBLE_EQ(spans[1].from, 21.5);
  EXPECT_DOUBLE_EQ(spans[1].to, 27.5);
  EXPECT_EQ(spansBetweenBreaks({}, 2.0, 7.0).size(), 1u);
  EXPECT_EQ(spansBetweenBreaks(mergeBreaks({5.0}, 1.0), 0.0, 10.0, false).size(), 1u);
}

// The pipe line runs between the set-backs, moved sideways by the offset.
TEST_F(PipeDrawing, OffsetAndSetBacksPlaceThePipeLine) {
  auto pipe = pipeFrom({0, 0, 4}, {0, 50, 4});
  pipe->dOffsetDistance = 2.0;  // left of a pipe running up is -x
  pipe->dTailOffset = 3.0;
  pipe->dHeadOffset = 5.0;
  const Prims prims = drawn(*pipe);
  ASSERT_EQ(prims.size(), 1u);
  EXPECT_AT(prims[0].points[0], -2, 3, 4);
  EXPECT_AT(prims[0].points[1], -2, 45, 4);
}

// ---- labels ------------------------------------------------------------------------

// Label "A" 1 high: 0.6 wide, so its box reaches 0.8 along a pipe on the x axis.
TEST_F(PipeDrawing, LabelsAreCentredAlongThePieceWithTheLineGappedAroundThem) {
  auto pipe = pipeFrom({0, 0, 0}, {100, 0, 0});
  pipe->strText = L"A";
  pipe->mtLabel.setTextHeight(1.0);
  pipe->dTextDistance = 30.0;
  const Prims prims = drawn(*pipe);
  const Prims texts = ofKind(prims, GiPrimitiveKind::Text);
  ASSERT_EQ(texts.size(), 3u);
  const double centres[] = {20.0, 50.0, 80.0};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(texts[k].contents, L"A");
    EXPECT_AT(labelCentre(texts[k], 0.6, 1.0), centres[k], 0, 0);
  }
  const auto spans = xSpans(prims);
  const std::vector<std::pair<double, double>> expected = {{0, 19.2}, {20.8, 49.2}, {50.8, 79.2}, {80.8, 100}};
  ASSERT_EQ(spans.size(), expected.size());
  for (size_t i = 0; i < spans.size(); ++i) {
    EXPECT_NEAR(spans[i].first, expected[i].first, kTol) << i;
    EXPECT_NEAR(spans[i].second, expected[i].second, kTol) << i;
  }

  // No spacing: one label in the middle.
  pipe->dTextDistance = 0.0;
  const Prims one = ofKind(drawn(*pipe), GiPrimitiveKind::Text);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_AT(labelCentre(one[0], 0.6, 1.0), 50, 0, 0);
}

// A piece no longer than twice the label gap (1.6 here) keeps its label off and is
// drawn in one line.
TEST_F(PipeDrawing, APieceTooShortForItsLabelStaysWhole) {
  auto pipe = pipeFrom({0, 0, 0}, {1.6, 0, 0});
  pipe->strText = L"A";
  pipe->mtLabel.setTextHeight(1.0);
  Prims prims = drawn(*pipe);
  ASSERT_EQ(prims.size(), 1u);
  EXPECT_EQ(prims[0].kind, GiPrimitiveKind::Polyline);
  pipe->setEndPoint({1.7, 0, 0}, true);
  EXPECT_EQ(ofKind(drawn(*pipe), GiPrimitiveKind::Text).size(), 1u);
}

// The text never reads upside down, and it is given relative to the user's axes.
TEST_F(PipeDrawing, LabelRotationIsTurnedForLeftwardPipesAndFollowsTheUcs) {
  auto rotationOf = [](PlumbPipe& pipe) {
    const Prims texts = ofKind(drawn(pipe), GiPrimitiveKind::Text);
    return texts.empty() ? -99.0 : texts[0].rotation;
  };
  auto left = pipeFrom({100, 0, 0}, {0, 0, 0});
  left->strText = L"A";
  EXPECT_NEAR(rotationOf(*left), std::atan2(0.0, -1.0) + kPi, kTol);
  auto downLeft = pipeFrom({100, 100, 0}, {0, 0, 0});
  downLeft->strText = L"A";
  EXPECT_NEAR(rotationOf(*downLeft), 1.25 * M_PI + kPi, kTol);
  auto upRight = pipeFrom({0, 0, 0}, {100, 100, 0});
  upRight->strText = L"A";
  EXPECT_NEAR(rotationOf(*upRight), M_PI / 4, kTol);
  // Straight up is not turned; just past it is.
  auto up = pipeFrom({0, 0, 0}, {0, 100, 0});
  up->strText = L"A";
  EXPECT_NEAR(rotationOf(*up), M_PI / 2, kTol);
  left->bTextAngleIs0 = true;
  EXPECT_NEAR(rotationOf(*left), 0.0, kTol);

  AcApDocument* doc = nullptr;
  std::wstring message;
  ASSERT_EQ(acDocManagerPtr()->hostNewDocument(path("ucs.hdw"), doc, message), Acad::eOk) << message;
  AcGeMatrix3d ucs;
  ASSERT_EQ(hostPlanUcs(AcGePoint3d(3, 4, 0), AcGeVector3d(std::cos(0.5), std::sin(0.5), 0), ucs), Acad::eOk);
  ASSERT_EQ(acedSetCurrentUCS(ucs), Acad::eOk);
  EXPECT_NEAR(rotationOf(*upRight), M_PI / 4 - 0.5, kTol);
  EXPECT_NEAR(rotationOf(*left), -0.5, kTol);
  acDocManagerPtr()->closeDocument(doc);
}

// ---- ticks -------------------------------------------------------------------------

// Within a piece: head tick, its plain line, tail tick, its plain line, the rest.
TEST_F(PipeDrawing, TicksSplitTheirPieceInTheStatedOrder) {
  auto pipe = pipeFrom({0, 0, 0}, {100, 0, 0});
  pipe->dTickWidth = 2.0;
  pipe->dTickOffsetHead = 5.0;
  pipe->dTickOffsetTail = 7.0;
  Prims prims = drawn(*pipe);
  ASSERT_EQ(prims.size(), 5u);
  EXPECT_AT(prims[0].points[0], 5, 1, 0);
  EXPECT_AT(prims[0].points[1], 5, -1, 0);
  EXPECT_AT(prims[1].points[0], 0, 0, 0);
  EXPECT_AT(prims[1].points[1], 5, 0, 0);
  EXPECT_AT(prims[2].points[0], 93, 1, 0);
  EXPECT_AT(prims[3].points[0], 93, 0, 0);
  EXPECT_AT(prims[3].points[1], 100, 0, 0);
  EXPECT_AT(prims[4].points[0], 5, 0, 0);
  EXPECT_AT(prims[4].points[1], 93, 0, 0);

  // With a break each tick goes to the piece holding its threshold, one tick width
  // in from the line's end.
  pipe->aBreaks.append(50.0);
  prims = drawn(*pipe);
  ASSERT_EQ(prims.size(), 6u);
  EXPECT_AT(prims[0].points[0], 5, 1, 0);
  EXPECT_AT(prims[2].points[0], 5, 0, 0);
  EXPECT_AT(prims[2].points[1], 48.5, 0, 0);
  EXPECT_AT(prims[3].points[0], 93, 1, 0);
  EXPECT_AT(prims[5].points[0], 51.5, 0, 0);
  EXPECT_AT(prims[5].points[1], 93, 0, 0);

  // A break over the head threshold leaves the head tick out although its point lies
  // on the next piece.
  pipe->aBreaks.removeAll();
  pipe->aBreaks.append(1.0);
  pipe->dTickOffsetTail = 0.0;
  prims = drawn(*pipe);
  ASSERT_EQ(prims.size(), 1u);
  EXPECT_AT(prims[0].points[0], 2.5, 0, 0);
}

// ---- the end of the pipe -----------------------------------------------------------

TEST_F(PipeDrawing, ADropLineJoinsTheElevationsUnlessIsometric) {
  auto pipe = pipeFrom({0, 0, 10}, {50, 0, 8});
  pipe->dHeadOffset = 4.0;
  Prims prims = drawn(*pipe);
  ASSERT_EQ(prims.size(), 2u);
  EXPECT_AT(prims[1].points[0], 46, 0, 10);
  EXPECT_AT(prims[1].points[1], 46, 0, 8);
  pipe->bIsometric = true;
  EXPECT_EQ(drawn(*pipe).size(), 1u);
}

TEST_F(PipeDrawing, ElbowLegsLeaveTheEndAndAreBrokenAlongTheLeg) {
  auto pipe = pipeFrom({0, 0, 2}, {100, 0, 2});
  pipe->dElbow45Offset = 4.0;
  elbowInfo elbow(10.0, M_PI / 2);
  elbow.aBreaks[0] = 5.0;
  pipe->aElbows.append(elbow);
  pipe->aElbows.append(elbowInfo(6.0, -M_PI / 2));
  const Prims prims = drawn(*pipe);
  ASSERT_EQ(prims.size(), 4u);
  EXPECT_AT(prims[1].points[0], 96, 0, 2);
  EXPECT_AT(prims[1].points[1], 96, 3.5, 2);
  EXPECT_AT(prims[2].points[0], 96, 6.5, 2);
  EXPECT_AT(prims[2].points[1], 96, 10, 2);
  EXPECT_AT(prims[3].points[1], 96, -6, 2);
}

// iNormal -1 puts the centre to the right and turns clockwise; breaks count from
// the arc's counter-clockwise start, its far end.
TEST_F(PipeDrawing, AnArcTurningRightBulgesRightAndCountsBreaksFromItsFarEnd) {
  auto pipe = pipeFrom({0, 0, 0}, {100, 0, 0});
  pipe->dArcRadius = 10.0;
  pipe->aArcs.append(arcInfo(M_PI / 2, 20.0, -1));
  Prims arcs = ofKind(drawn(*pipe), GiPrimitiveKind::Arc);
  ASSERT_EQ(arcs.size(), 1u);
  EXPECT_AT(arcs[0].center, 80, -10, 0);
  EXPECT_EQ(arcs[0].normal.z, -1.0);
  EXPECT_NEAR(angleOf(arcs[0].startVector), M_PI / 2, kTol);
  EXPECT_NEAR(arcs[0].sweep, M_PI / 2, kTol);
  // Half way round it lies right of the pipe, ahead of its start.
  const double mid = M_PI / 2 - M_PI / 4;
  EXPECT_LT(arcs[0].center.y + 10 * std::sin(mid), -1.0);

  pipe->aArcs[0].aBreaks[0] = 2.0;  // 2 from (90,-10) along the arc
  pipe->setBreakWidth(1.0);
  arcs = ofKind(drawn(*pipe), GiPrimitiveKind::Arc);
  ASSERT_EQ(arcs.size(), 2u);
  // The piece nearest the far end covers 0 to 1.5 counter-clockwise, drawn clockwise.
  EXPECT_NEAR(angleOf(arcs[0].startVector), 0.15, kTol);
  EXPECT_NEAR(arcs[0].sweep, 0.15, kTol);
  EXPECT_NEAR(angleOf(arcs[1].startVector), M_PI / 2, kTol);
  EXPECT_NEAR(arcs[1].sweep, M_PI / 2 - 0.25, kTol);

  // Turning left: centre on the left, breaks counted from the start point.
  pipe->aArcs[0].iNormal = 1;
  arcs = ofKind(drawn(*pipe), GiPrimitiveKind::Arc);
  ASSERT_EQ(arcs.size(), 2u);
  EXPECT_AT(arcs[0].center, 80, 10, 0);
  EXPECT_EQ(arcs[0].normal.z, 1.0);
  EXPECT_NEAR(angleOf(arcs[0].startVector), -M_PI / 2, kTol);
  EXPECT_NEAR(arcs[0].sweep, 0.15, kTol);
}

// ---- the P-trap --------------------------------------------------------------------

TEST_F(PipeDrawing, APtrapIsDrawnFirstAndTheLineStopsShortOfIt) {
  auto pipe = pipeFrom({0, 0, 3}, {100, 0, 3});
  pipe->bPtrap = true;
  pipe->dPtrapWidth = 6.0;
  pipe->dHeadOffset = 20.0;  // ignored with a trap
  const Prims prims = drawn(*pipe);
  ASSERT_EQ(prims.size(), 4u);
  ASSERT_EQ(prims[0].kind, GiPrimitiveKind::FitCurve);
  const PtrapPoints trap = ptrapPointsFrom({94, 0, 3}, {100, 0, 3}, 0.0, 6.0);
  const AcGePoint3d expected[] = {trap.a, trap.b, trap.c1, trap.c2, trap.e, trap.d};
  ASSERT_EQ(prims[0].points.size(), 6u);
  for (int i = 0; i < 6; ++i) EXPECT_AT(prims[0].points[i], expected[i].x, expected[i].y, 3);
  EXPECT_AT(prims[1].points[0], 94, 0, 3);  // line1 down to A
  EXPECT_AT(prims[1].points[1], 94, -3, 3);
  EXPECT_AT(prims[2].points[0], 100, -3, 3);  // line2 up from D
  EXPECT_AT(prims[2].points[1], 100, 0, 3);
  EXPECT_AT(prims[3].points[1], 94, 0, 3);  // the pipe line
}

// A broken curve is drawn in chords no longer than a tenth of the width, all on the
// curve; a break at the very start of line1 cuts the pipe line's last stretch.
TEST_F(PipeDrawing, ABrokenPtrapIsDrawnInChordsAndCanCutTheJunction) {
  auto pipe = pipeFrom({0, 0, 0}, {100, 0, 0});
  pipe->bPtrap = true;
  pipe->dPtrapWidth = 10.0;
  pipe->setBreakWidth(1.0);
  pipe->aPtrapPolylineBreaks.append(5.0);
  const Prims prims = drawn(*pipe);
  const PtrapPoints trap = ptrapPointsFrom({90, 0, 0}, {100, 0, 0}, 0.0, 10.0);
  const std::unique_ptr<AcDb2dPolyline> curve = newPtrapCurve(trap);
  const double length = ptrapCurveLength(*curve);
  // Where each chord starts and ends, as distances along the curve.
  std::vector<std::pair<double, double>> chords;
  // The chords come first, all at or below A (5 under the pipe); line1 starts on it.
  for (size_t i = 0; i < prims.size() && prims[i].points[0].y < -4.999; ++i) {
    ASSERT_EQ(prims[i].kind, GiPrimitiveKind::Polyline);
    double from = -1.0, to = -1.0;
    ASSERT_EQ(curve->getDistAtPoint(prims[i].points[0], from), Acad::eOk);
    ASSERT_EQ(curve->getDistAtPoint(prims[i].points[1], to), Acad::eOk);
    chords.emplace_back(from, to);
  }
  ASSERT_GT(chords.size(), 10u);
  EXPECT_NEAR(chords.front().first, 0.0, 1e-6);
  EXPECT_NEAR(chords.back().second, length, 1e-6);
  int gaps = 0;
  for (size_t i = 0; i < chords.size(); ++i) {
    EXPECT_LE(chords[i].second - chords[i].first, 1.0 + 1e-6) << i;
    EXPECT_GT(chords[i].second - chords[i].first, 0.0) << i;
    if (i == 0 || std::fabs(chords[i].first - chords[i - 1].second) < 1e-6) continue;
    // The one place where a chord does not start where the last ended: the gap.
    ++gaps;
    EXPECT_NEAR(chords[i - 1].second, 4.5, 1e-6);
    EXPECT_NEAR(chords[i].first, 5.5, 1e-6);
  }
  EXPECT_EQ(gaps, 1);

  // line1's break at 0 reaches its start: the pipe's last stretch is left out.
  pipe->aPtrapPolylineBreaks.removeAll();
  pipe->aPtrapLine1Breaks.append(0.0);
  pipe->aBreaks.append(40.0);
  const auto spans = xSpans(drawn(*pipe));
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_NEAR(spans[0].second, 39.5, kTol);
}

}  // namespace
