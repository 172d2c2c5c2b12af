// The pipe in DXF: the groups written and their order, what a round trip keeps (the
// points, the pipe id, the end flags and the label text of group 1), and the refusal
// of groups that are not the pipe's.
#include <cmath>

#include "arx/dxf_filer_mem.h"
#include "test_pipe_data_fixture.h"

namespace {

std::vector<AcDbDxfGroup> groupsOf(const PlumbPipe& pipe) {
  AcDbMemDxfWriter writer(nullptr, 16);
  EXPECT_EQ(pipe.dxfOutFields(&writer), Acad::eOk);
  std::vector<AcDbDxfGroup> groups;
  std::wstring error;
  EXPECT_EQ(acdbParseDxfGroups(writer.text(), groups, error), Acad::eOk) << acutWideToUtf8(error);
  return groups;
}

// The groups after the pipe's subclass marker.
std::vector<AcDbDxfGroup> pipeGroups(const std::vector<AcDbDxfGroup>& all) {
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i].is(100, L"PlumbPipe")) return std::vector<AcDbDxfGroup>(all.begin() + static_cast<long>(i) + 1, all.end());
  ADD_FAILURE() << "no PlumbPipe subclass marker";
  return {};
}

class PipeDxf : public PipeFixture {};

TEST_F(PipeDxf, GroupsAreWrittenInTheirOrderWithTheirValues) {
  std::unique_ptr<PlumbPipe> pipe = fullPipe();
  const std::vector<AcDbDxfGroup> groups = pipeGroups(groupsOf(*pipe));
  std::vector<int> codes;
  for (const AcDbDxfGroup& g : groups) codes.push_back(g.code);
  EXPECT_EQ(codes, (std::vector<int>{1, 10, 11, 40, 41, 42, 43, 44, 45, 46, 90, 91, 92, 290, 291, 292, 293, 294, 295}));
  ASSERT_EQ(groups.size(), codes.size());
  EXPECT_EQ(groups[0].text, L"4\" CW");
  EXPECT_TRUE(groups[1].point.isEqualTo({10.5, -4.25, 12.5}));
  EXPECT_TRUE(groups[2].point.isEqualTo({110.5, 20.75, 9.0}));
  const double reals[] = {1.5, 0.75, 1.75, pipe->labelGap(), 2.25, 3.5, 5.5};
  for (int i = 0; i < 7; ++i) EXPECT_DOUBLE_EQ(groups[3 + static_cast<size_t>(i)].real, reals[i]) << 40 + i;
  EXPECT_GT(pipe->labelGap(), 0.0);
  EXPECT_EQ(groups[10].integer, 4242);
  EXPECT_EQ(groups[11].integer, 1);
  EXPECT_EQ(groups[12].integer, 0);
  // bElbow45, bTee45, bElbowArc, bTeeArc, bIsometric, bPtrap
  const int flags[] = {1, 1, 0, 0, 1, 1};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(groups[13 + static_cast<size_t>(i)].integer, flags[i]) << 290 + i;
}

// Only the points, the pipe id, the end flags and the label text come back; all else
// is the new pipe's default.
TEST_F(PipeDxf, ARoundTripKeepsThePointsTheIdTheFlagsAndTheText) {
  std::unique_ptr<PlumbPipe> pipe = fullPipe();
  AcDbMemDxfReader reader(groupsOf(*pipe), &db_);
  PlumbPipe back;
  ASSERT_EQ(back.dxfInFields(&reader), Acad::eOk);

  PlumbPipe expected;
  expected.ptStart = pipe->ptStart;
  expected.ptEnd = pipe->ptEnd;
  expected.ixPipe = pipe->ixPipe;
  expected.bDwgStart = true;
  expected.bDwgEnd = false;
  expected.strText = pipe->strText;
  expectSamePipeData(expected, back);
  EXPECT_TRUE(back.idTextStyle.isNull());
  EXPECT_TRUE(back.idTextLayer.isNull());
  EXPECT_TRUE(back.idHiddenLayer.isNull());
}

TEST_F(PipeDxf, ADrawingExportedAndReadBackHasItsPipe) {
  std::unique_ptr<PlumbPipe> pipe = fullPipe();
  add(pipe.release());
  ASSERT_EQ(db_.dxfOut(path("pipes.dxf").c_str()), Acad::eOk) << acutWideToUtf8(db_.lastFileError());
  AcDbDatabase back(false);
  ASSERT_EQ(back.dxfIn(path("pipes.dxf").c_str()), Acad::eOk) << acutWideToUtf8(back.lastFileError());
  const std::vector<AcDbObjectId> ids = modelSpace(back);
  ASSERT_EQ(ids.size(), 1u);
  readPipe(ids[0], [](const PlumbPipe& p) {
    EXPECT_TRUE(p.ptStart.isEqualTo({10.5, -4.25, 12.5}));
    EXPECT_TRUE(p.ptEnd.isEqualTo({110.5, 20.75, 9.0}));
    EXPECT_EQ(p.ixPipe, 4242);
    EXPECT_TRUE(p.bDwgStart);
    EXPECT_FALSE(p.bDwgEnd);
    EXPECT_EQ(p.strText, L"4\" CW");
    EXPECT_TRUE(p.aBreaks.isEmpty());
    EXPECT_EQ(p.dBreakWidth, 3.0);
  });
}

// Groups whose subclass is another class's are not the pipe's to read.
TEST_F(PipeDxf, AnotherSubclassMarkerIsABadSequence) {
  PlumbPipe pipe;
  pipe.ixPipe = 5;
  std::vector<AcDbDxfGroup> groups = groupsOf(pipe);
  bool renamed = false;
  for (AcDbDxfGroup& g : groups)
    if (g.is(100, L"PlumbPipe")) {
      g.text = L"AcDbLine";
      renamed = true;
    }
  ASSERT_TRUE(renamed);
  AcDbMemDxfReader reader(groups, &db_);
  PlumbPipe back;
  EXPECT_EQ(back.dxfInFields(&reader), Acad::eBadDxfSequence);
  EXPECT_EQ(back.ixPipe, 0);
}

}  // namespace
