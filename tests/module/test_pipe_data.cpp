// The pipe's class and data: its registration, the defaults of a new pipe, the setters,
// the label gap, the fitting extent and the listing.
#include <algorithm>
#include <cmath>

#include "arx/aced_print.h"
#include "test_pipe_data_fixture.h"

namespace {

class PipeData : public PipeFixture {};

TEST_F(PipeData, TheClassIsRegisteredUnderItsNames) {
  AcRxClass* cls = acrxFindClass(L"PlumbPipe");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls, PlumbPipe::desc());
  ASSERT_NE(cls->myParent(), nullptr);
  EXPECT_EQ(std::wstring(cls->myParent()->name()), L"AcDbCurve");
  int dwg = 0, maint = 0;
  cls->getClassVersion(dwg, maint);
  EXPECT_EQ(dwg, 1);
  EXPECT_EQ(maint, 1);
  EXPECT_EQ(cls->proxyFlags(), 1);
  EXPECT_EQ(std::wstring(cls->dxfName()), L"OVPLUMBPIPE");
  EXPECT_EQ(acrxFindClassByDxfName(L"OVPLUMBPIPE"), cls);
  const std::wstring app = cls->appName();
  EXPECT_EQ(app.substr(0, app.find(L'|')), L"Plumbing Pipe");
  EXPECT_EQ(std::count(app.begin(), app.end(), L'|'), 2);
  EXPECT_NE(app.find(L"|Orvane Software, Inc|"), std::wstring::npos);
  // Registering again with the descriptor in place changes nothing.
  PlumbPipe::rxInit();
  EXPECT_EQ(acrxFindClass(L"PlumbPipe"), cls);
}

TEST_F(PipeData, ThePseudoConstructorMakesADefaultPipe) {
  std::unique_ptr<AcRxObject> made(PlumbPipe::desc()->create());
  const PlumbPipe* p = PlumbPipe::cast(made.get());
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(p->isKindOf(AcDbCurve::desc()));
  EXPECT_EQ(p->strDwg, L"");
  EXPECT_TRUE(p->ptStart.isEqualTo({0, 0, 0}));
  EXPECT_TRUE(p->ptEnd.isEqualTo({0, 0, 0}));
  EXPECT_EQ(p->ixPipe, 0);
  EXPECT_EQ(p->dBreakWidth, 3.0);
  EXPECT_EQ(p->dVerticalRadius, 6.0);
  EXPECT_EQ(p->iVerticalType, 0);
  EXPECT_EQ(p->mtLabel.width(), 0.0);
  EXPECT_TRUE(p->aBreaks.isEmpty() && p->aElbows.isEmpty() && p->aArcs.isEmpty() && p->aVerticalAngles.isEmpty());
  EXPECT_TRUE(p->idTextStyle.isNull() && p->idTextLayer.isNull() && p->idHiddenLayer.isNull());
  for (bool flag : {p->bDwgStart, p->bDwgEnd, p->bElbow45, p->bElbowArc, p->bTee45, p->bTeeArc, p->bTextAngleIs0,
                    p->bPtrap, p->bIsometric})
    EXPECT_FALSE(flag);
  for (double value : {p->dOffsetDistance, p->dTailOffset, p->dHeadOffset, p->dElbow45Offset, p->dArcRadius,
                       p->dTickWidth, p->dTickOffsetTail, p->dTickOffsetHead, p->dTextDistance, p->dPtrapWidth})
    EXPECT_EQ(value, 0.0);
}

TEST(PipeClassDeathTest, AnotherClassUnderThePipesNameAbortsTheHost) {
  EXPECT_DEATH(
      {
        if (AcRxClass* mine = acrxFindClass(L"PlumbPipe")) deleteAcRxClass(mine);
        newAcRxClass(L"PlumbPipe", L"AcDbEntity", 1, 1, 0, nullptr, L"SOMEONEELSE", L"Someone|else");
        PlumbPipe::rxInit();
      },
      "Class mismatch");
}

TEST_F(PipeData, PointSettersReplaceTheElevationOnlyForAWholePoint) {
  PlumbPipe p;
  p.setStartPoint({1, 2, 3}, true);
  p.setEndPoint({4, 5, 6}, true);
  p.setStartPoint({10, 20, 99}, false);
  p.setEndPoint({40, 50, -99}, false);
  AcGePoint3d start, end;
  ASSERT_EQ(p.getStartPoint(start), Acad::eOk);
  ASSERT_EQ(p.getEndPoint(end), Acad::eOk);
  EXPECT_TRUE(start.isEqualTo({10, 20, 3}));
  EXPECT_TRUE(end.isEqualTo({40, 50, 6}));
}

// Changes the pipe draws differently for are told to the host; a pipe open for read
// refuses them.
TEST_F(PipeData, SettersMarkTheGraphicsAndNeedTheWriteOpen) {
  const AcDbObjectId id = add(new PlumbPipe());
  PlumbPipe* p = nullptr;
  ASSERT_EQ(acdbOpenObject(p, id, AcDb::kForWrite), Acad::eOk);
  const int before = p->graphicsModifiedCount();
  p->setStartPoint({1, 1, 1}, true);
  p->setEndPoint({2, 2, 2}, false);
  p->setPipeId(9);
  EXPECT_EQ(p->graphicsModifiedCount(), before + 3);
  EXPECT_EQ(p->pipeId(), 9);
  p->close();
  ASSERT_EQ(acdbOpenObject(p, id, AcDb::kForRead), Acad::eOk);
  EXPECT_THROW(p->setPipeId(10), AcDbOpenStateError);
  EXPECT_THROW(p->setBreakWidth(1.0), AcDbOpenStateError);
  EXPECT_EQ(p->pipeId(), 9);
  p->close();
}

TEST_F(PipeData, TheTextStyleIsKeptOnTheLabelToo) {
  const AcDbObjectId style = addTextStyle(L"Labels");
  PlumbPipe p;
  p.setTextStyle(style);
  EXPECT_EQ(p.idTextStyle, style);
  EXPECT_EQ(p.mtLabel.textStyle(), style);
  p.setBreakWidth(1.5);
  p.setVerticalRadius(2.5);
  EXPECT_EQ(p.dBreakWidth, 1.5);
  EXPECT_EQ(p.dVerticalRadius, 2.5);
}

// The label "ABCD" at height 2 is 4.8 wide; its box is 6.8 long (3.4 each way) and 4
// high (2 each way).
class PipeLabelGap : public PipeFixture {
 protected:
  double gapFor(const AcGePoint3d& end, double rotation, const wchar_t* text = L"ABCD") {
    PlumbPipe p;
    p.setEndPoint(end, true);
    p.strText = text;
    p.mtLabel.setContents(text);
    p.mtLabel.setTextHeight(2.0);
    p.mtLabel.setRotation(rotation);
    return p.labelGap();
  }
};

TEST_F(PipeLabelGap, IsZeroWithoutALabelText) { EXPECT_EQ(gapFor({10, 0, 0}, 0.0, L""), 0.0); }

TEST_F(PipeLabelGap, AlongTheTextItIsHalfTheBoxLength) {
  EXPECT_NEAR(gapFor({10, 0, 0}, 0.0), 3.4, 1e-9);
  EXPECT_NEAR(gapFor({-10, 0, 0}, 0.0), 3.4, 1e-9);
  EXPECT_NEAR(gapFor({0, 10, 0}, M_PI / 2), 3.4, 1e-6);
}

TEST_F(PipeLabelGap, AcrossTheTextItIsTheHeight) {
  EXPECT_NEAR(gapFor({0, 10, 0}, 0.0), 2.0, 1e-9);
  EXPECT_NEAR(gapFor({10, 0, 0}, M_PI / 2), 2.0, 1e-6);
}

// At 45 degrees the line leaves through the top edge (2 above the centre), 2 x sqrt 2
// from it; at 20 degrees through the end (3.4 along), 3.4 / cos 20 from it.
TEST_F(PipeLabelGap, SlantingLinesLeaveThroughTheEdgeTheyMeetFirst) {
  EXPECT_NEAR(gapFor({10, 10, 0}, 0.0), 2.0 * std::sqrt(2.0), 1e-9);
  const double a = 20.0 * M_PI / 180.0;
  // The box's sides are turned by the pipe's own right angle (3.14159265 / 2), a
  // hair short of a true one: the end edge leans by about 2e-9.
  EXPECT_NEAR(gapFor({std::cos(a), std::sin(a), 0}, 0.0), 3.4 / std::cos(a), 1e-7);
}

TEST_F(PipeData, TheFittingExtentIsTheLongerOfArcAndElbow) {
  PlumbPipe p;
  EXPECT_EQ(p.elbowLength(), 0.0);
  p.dArcRadius = 1.5;
  p.aArcs.append(arcInfo(2.0, 0, 1));
  p.aArcs.append(arcInfo(3.0, 0, -1));
  p.aElbows.append(elbowInfo(4.0, 0));
  EXPECT_DOUBLE_EQ(p.elbowLength(), 4.5);
  p.aElbows.append(elbowInfo(5.0, 0));
  EXPECT_DOUBLE_EQ(p.elbowLength(), 5.0);
  PlumbPipe negative;
  negative.dArcRadius = 2.0;
  negative.aArcs.append(arcInfo(-3.0, 0, 1));
  EXPECT_EQ(negative.elbowLength(), 0.0) << "the longest sweep starts from 0";
}

TEST_F(PipeData, TheListingShowsTheIdAndTheElevations) {
  auto* p = new PlumbPipe();
  p->setStartPoint({0, 0, 12.5}, true);
  p->setEndPoint({5, 5, 9}, true);
  p->setPipeId(17);
  const AcDbObjectId id = add(p);
  output_.clear();
  readPipe(id, [](const PlumbPipe& pipe) { pipe.list(); });
  EXPECT_NE(output_.find(L"                   Pipe ID = 17\n"
                         L"                   Starting elevation = 12.5\n"
                         L"                   Ending elevation = 9\n"),
            std::wstring::npos)
      << acutWideToUtf8(output_);
}

// Only the zeros of the fraction go: 100 keeps its own, and -0.001 is not "-0".
TEST_F(PipeData, ElevationsKeepTwoPlacesAtMost) {
  const std::pair<double, const wchar_t*> cases[] = {
      {100.0, L"100"}, {2.1, L"2.1"}, {3.14159, L"3.14"}, {-0.001, L"0"}, {-7.25, L"-7.25"}, {0.0, L"0"}};
  for (const auto& [z, text] : cases) {
    PlumbPipe p;
    p.setStartPoint({0, 0, z}, true);
    output_.clear();
    p.subList();
    EXPECT_NE(output_.find(std::wstring(L"Starting elevation = ") + text + L"\n"), std::wstring::npos)
        << z << ": " << acutWideToUtf8(output_);
  }
}

}  // namespace
