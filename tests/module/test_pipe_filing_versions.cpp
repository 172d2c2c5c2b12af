// Pipes saved by earlier releases: each older layout loads with the defaults of what it
// did not hold, unknown versions read nothing more, newer ones stay proxies.
#include <fstream>
#include <iterator>
#include <map>

#include "arx/db_proxy.h"
#include "arx/dwg_filer_mem.h"
#include "arx/hdw_format.h"
#include "test_pipe_data_fixture.h"
#include "test_pipe_filing_layouts.h"

namespace {

std::vector<double> slotsOf(const double (&slots)[kFittingBreakSlots]) {
  return std::vector<double>(slots, slots + kFittingBreakSlots);
}

PipeBytes readFile(const std::wstring& path) {
  std::ifstream in(acutWideToUtf8(path), std::ios::binary);
  return PipeBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::wstring& path, const PipeBytes& bytes) {
  std::ofstream out(acutWideToUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class PipeVersions : public PipeFixture {
 protected:
  PipeVersions() {
    label_.setTextHeight(4.0);
    label_.setContents(L"old label");
    textLayer_ = addLayer(L"Text");
    hiddenLayer_ = addLayer(L"Hidden");
    style_ = addTextStyle(L"Labels");
  }

  // Every value away from the defaults, the fields no old release kept included, so
  // that a reader taking one of them shows.
  PipeLayout legacy() const {
    PipeLayout v;
    v.dwg = L"old drawing";
    v.start = {1, 2, 3};
    v.end = {40, 50, 6};
    v.ixPipe = 31;
    v.dwgStart = true;
    v.dwgEnd = true;
    v.offsetDistance = 0.5;
    v.tailOffset = 0.25;
    v.headOffset = 0.75;
    v.elbow45Offset = 1.5;
    LayoutElbow elbow;
    elbow.length = 3.5;
    elbow.angle = 0.7;
    elbow.breaks[0] = 1.0;
    v.elbows = {elbow, LayoutElbow{2.5, -0.7}};
    v.arcRadius = 2.0;
    LayoutArc arc;
    arc.length = 1.2;
    arc.offset = 4.0;
    arc.normal = -1;
    arc.breaks[0] = 0.3;
    v.arcs = {arc, LayoutArc{0.8, 6.0, 1}};
    v.tickOffsetHead = 2.5;
    v.tickOffsetTail = 9.0;
    v.tickWidth = 1.25;
    v.elbow45 = true;
    v.tee45 = false;
    v.elbowArc = true;
    v.teeArc = false;
    v.verticalType = 1;
    v.verticalRadius = 7.5;
    v.version1Extra = 77.0;
    v.verticalAngles = {0.5, 1.5};
    v.breakWidth = 4.0;
    v.breaks = {2.0, 8.0};
    v.textDistance = 25.0;
    v.text = L"2\" HW";
    v.textAngleIs0 = true;
    v.label = &label_;
    v.textStyle = style_;
    v.textLayer = textLayer_;
    v.ptrap = true;
    v.ptrapWidth = 3.0;
    v.ptrapLine1 = {0.5};
    v.ptrapPolyline = {1.0, 2.0};
    v.ptrapLine2 = {0.25};
    v.isometric = true;
    v.hiddenLayer = hiddenLayer_;
    return v;
  }

  // Reads the layout of the version into a new pipe.
  Acad::ErrorStatus load(int version, const PipeLayout& v, PlumbPipe& pipe) {
    AcDbMemDwgFiler filer(AcDb::kCopyFiler);
    EXPECT_EQ(pipe.AcDbEntity::dwgOutFields(&filer), Acad::eOk);
    EXPECT_EQ(writePipeLayout(&filer, version, v), Acad::eOk);
    return fileIn(pipe, filer.takeBytes());
  }

  // What every layout holds, checked on a pipe read from one.
  void expectCommonFields(const PlumbPipe& p) {
    EXPECT_EQ(p.strDwg, L"old drawing");
    EXPECT_TRUE(p.ptStart.isEqualTo({1, 2, 3}));
    EXPECT_TRUE(p.ptEnd.isEqualTo({40, 50, 6}));
    EXPECT_EQ(p.ixPipe, 31);
    EXPECT_TRUE(p.bDwgStart && p.bDwgEnd);
    EXPECT_EQ(p.dOffsetDistance, 0.5);
    EXPECT_EQ(p.dTailOffset, 0.25);
    EXPECT_EQ(p.dHeadOffset, 0.75);
    EXPECT_EQ(p.dElbow45Offset, 1.5);
    EXPECT_EQ(p.dArcRadius, 2.0);
    EXPECT_EQ(p.dTickOffsetHead, 2.5);
    EXPECT_EQ(p.dTickWidth, 1.25);
    EXPECT_TRUE(p.bElbow45);
    EXPECT_FALSE(p.bTee45);
    EXPECT_TRUE(p.bElbowArc);
    EXPECT_FALSE(p.bTeeArc);
    EXPECT_EQ(p.iVerticalType, 1);
    EXPECT_EQ(p.dVerticalRadius, 7.5);
    EXPECT_EQ(asVector(p.aVerticalAngles), (std::vector<double>{0.5, 1.5}));
    EXPECT_EQ(p.dBreakWidth, 4.0);
    EXPECT_EQ(asVector(p.aBreaks), (std::vector<double>{2.0, 8.0}));
    EXPECT_EQ(p.dTextDistance, 25.0);
    EXPECT_EQ(p.strText, L"2\" HW");
    EXPECT_TRUE(p.bTextAngleIs0);
    EXPECT_EQ(p.mtLabel.contentsText(), L"old label");
    EXPECT_EQ(p.mtLabel.textHeight(), 4.0);
    EXPECT_EQ(p.idTextStyle, style_);
    EXPECT_TRUE(p.bIsometric);
  }

  AcDbMText label_;
  AcDbObjectId textLayer_, hiddenLayer_, style_;
};

TEST_F(PipeVersions, VersionTwelveTakesTheTailTickOffsetFromTheHead) {
  PlumbPipe p;
  ASSERT_EQ(load(12, legacy(), p), Acad::eOk);
  expectCommonFields(p);
  EXPECT_EQ(p.dTickOffsetTail, 2.5);
  ASSERT_EQ(p.aElbows.size(), 2);
  EXPECT_EQ(p.aElbows[0].dAngle, 0.7);
  EXPECT_EQ(slotsOf(p.aElbows[0].aBreaks)[0], 1.0);
  ASSERT_EQ(p.aArcs.size(), 2);
  EXPECT_EQ(p.aArcs[0].iNormal, -1);
  EXPECT_EQ(p.idTextLayer, textLayer_);
  EXPECT_TRUE(p.bPtrap);
  EXPECT_EQ(p.dPtrapWidth, 3.0);
  EXPECT_EQ(asVector(p.aPtrapPolylineBreaks), (std::vector<double>{1.0, 2.0}));
  EXPECT_EQ(p.idHiddenLayer, hiddenLayer_);
}

TEST_F(PipeVersions, VersionElevenHasNoPtrapBreaks) {
  PlumbPipe p;
  ASSERT_EQ(load(11, legacy(), p), Acad::eOk);
  expectCommonFields(p);
  EXPECT_EQ(p.dTickOffsetTail, 2.5);
  EXPECT_TRUE(p.bPtrap);
  EXPECT_EQ(p.dPtrapWidth, 3.0);
  EXPECT_TRUE(p.aPtrapLine1Breaks.isEmpty());
  EXPECT_TRUE(p.aPtrapPolylineBreaks.isEmpty());
  EXPECT_TRUE(p.aPtrapLine2Breaks.isEmpty());
  EXPECT_EQ(p.idHiddenLayer, hiddenLayer_);
}

// The early layouts kept two elbow lengths and two arcs in fixed places; a zero length
// there was no fitting.
TEST_F(PipeVersions, VersionTwoKeepsOnlyItsNonZeroFittings) {
  PipeLayout v = legacy();
  v.elbows[0].length = 0.0;
  v.arcs[0].length = 0.0;
  PlumbPipe p;
  ASSERT_EQ(load(2, v, p), Acad::eOk);
  expectCommonFields(p);
  ASSERT_EQ(p.aElbows.size(), 1);
  EXPECT_EQ(p.aElbows[0], elbowInfo(2.5, 0.0)) << "angle 0 and empty break slots";
  ASSERT_EQ(p.aArcs.size(), 1);
  EXPECT_EQ(p.aArcs[0], arcInfo(0.8, 6.0, 0));
  EXPECT_EQ(p.dTickOffsetTail, 2.5);
  // Nothing of the later fields is in the layout.
  EXPECT_TRUE(p.idTextLayer.isNull());
  EXPECT_FALSE(p.bPtrap);
  EXPECT_EQ(p.dPtrapWidth, 0.0);
  EXPECT_TRUE(p.idHiddenLayer.isNull());
}

TEST_F(PipeVersions, VersionOneSkipsItsRealAfterTheVerticalRadius) {
  PlumbPipe p;
  ASSERT_EQ(load(1, legacy(), p), Acad::eOk);
  expectCommonFields(p);
  ASSERT_EQ(p.aElbows.size(), 2);
  EXPECT_EQ(p.aElbows[1], elbowInfo(2.5, 0.0));
  ASSERT_EQ(p.aArcs.size(), 2);
  EXPECT_EQ(p.aArcs[0], arcInfo(1.2, 4.0, 0));
}

// No release wrote versions 3 to 10 or below 1: nothing is read beyond the number, even
// when a whole current layout follows it.
TEST_F(PipeVersions, AnUnknownOlderVersionReadsNothingMore) {
  for (int version : {5, 3, 10, 0, -1}) {
    PlumbPipe p;
    AcDbMemDwgFiler filer(AcDb::kCopyFiler);
    p.AcDbEntity::dwgOutFields(&filer);
    filer.writeInt32(version);
    const size_t afterVersion = filer.bytes().size();
    AcDbMemDwgFiler body(AcDb::kCopyFiler);
    writePipeLayout(&body, 13, legacy());
    // The body without its own version number.
    PipeBytes bytes = filer.takeBytes();
    const PipeBytes rest(body.bytes().begin() + 5, body.bytes().end());
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    AcDbMemDwgFiler reader(bytes, AcDb::kCopyFiler, nullptr);
    EXPECT_EQ(p.dwgInFields(&reader), Acad::eOk) << version;
    EXPECT_EQ(reader.position(), afterVersion) << version;
    expectSamePipeData(PlumbPipe(), p);
  }
}

TEST_F(PipeVersions, ANewerVersionAsksToBeAProxy) {
  for (int version : {14, 200}) {
    PlumbPipe p;
    AcDbMemDwgFiler filer(AcDb::kCopyFiler);
    p.AcDbEntity::dwgOutFields(&filer);
    filer.writeInt32(version);
    filer.writePoint3d({9, 9, 9});
    EXPECT_EQ(fileIn(p, filer.takeBytes()), Acad::eMakeMeProxy) << version;
    EXPECT_TRUE(p.ptStart.isEqualTo({0, 0, 0}));
  }
}

// Pipes of every release in one drawing file: the old ones open as pipes, the newer
// one stays a proxy and is saved back unchanged.
TEST_F(PipeVersions, ADrawingFileWithPipesOfEveryVersionOpens) {
  const std::vector<int> versions = {1, 2, 11, 12, 13, 5, 14};
  std::vector<AcDbObjectId> ids;
  for (size_t i = 0; i < versions.size(); ++i) ids.push_back(add(new PlumbPipe()));
  ASSERT_EQ(db_.saveAs(path("now.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db_.lastFileError());
  HdwContainer file;
  std::wstring error;
  const PipeBytes now = readFile(path("now.hdw"));
  ASSERT_EQ(hdwParse(now.data(), now.size(), file, error), Acad::eOk) << acutWideToUtf8(error);
  std::map<AcDbHandle, int> versionOf;
  for (size_t i = 0; i < ids.size(); ++i) versionOf[ids[i].handle()] = versions[i];
  std::map<int, PipeBytes> filed;
  for (HdwObjectEntry& entry : file.objects) {
    auto found = versionOf.find(entry.handle);
    if (found == versionOf.end()) continue;
    AcDbMemDwgFiler filer(AcDb::kFileFiler, &db_);
    PlumbPipe blank;
    blank.AcDbEntity::dwgOutFields(&filer);
    PipeLayout v = legacy();
    v.start = {static_cast<double>(found->second), 0, 0};
    writePipeLayout(&filer, found->second, v);
    entry.bytes = filer.takeBytes();
    filed[found->second] = entry.bytes;
  }
  ASSERT_EQ(filed.size(), versions.size());
  writeFile(path("old.hdw"), hdwSerialize(file));

  AcDbDatabase reopened(false);
  ASSERT_EQ(reopened.readDwgFile(path("old.hdw").c_str()), Acad::eOk) << acutWideToUtf8(reopened.lastFileError());
  std::map<int, int> pipesByX;
  int proxies = 0;
  for (AcDbObjectId id : modelSpace(reopened)) {
    AcDbEntity* entity = nullptr;
    ASSERT_EQ(acdbOpenObject(entity, id, AcDb::kForRead), Acad::eOk);
    if (PlumbPipe* pipe = PlumbPipe::cast(entity)) {
      ++pipesByX[static_cast<int>(pipe->ptStart.x)];
      if (pipe->ptStart.x == 13) {
        EXPECT_EQ(asVector(pipe->aPtrapLine2Breaks), (std::vector<double>{0.25}));
      }
      if (pipe->ptStart.x != 0) {
        EXPECT_EQ(pipe->ixPipe, 31);
      }
    } else if (AcDbProxyEntity::cast(entity) != nullptr) {
      ++proxies;
      EXPECT_EQ(std::wstring(AcDbProxyEntity::cast(entity)->originalClassName()), L"PlumbPipe");
    }
    entity->close();
  }
  // Version 5 opens as a default pipe (at x 0); 14 is the one proxy.
  EXPECT_EQ(pipesByX, (std::map<int, int>{{0, 1}, {1, 1}, {2, 1}, {11, 1}, {12, 1}, {13, 1}}));
  EXPECT_EQ(proxies, 1);

  ASSERT_EQ(reopened.saveAs(path("again.hdw").c_str()), Acad::eOk);
  HdwContainer again;
  const PipeBytes againBytes = readFile(path("again.hdw"));
  ASSERT_EQ(hdwParse(againBytes.data(), againBytes.size(), again, error), Acad::eOk);
  bool keptNewer = false;
  for (const HdwObjectEntry& entry : again.objects) keptNewer = keptNewer || entry.bytes == filed[14];
  EXPECT_TRUE(keptNewer) << "the newer pipe is written back byte for byte";
}

}  // namespace

namespace {

// The fuzz corpus's drawing of pipes of every layout opens with the module too: six
// pipes, and the later release's one kept as a proxy.
TEST_F(PipeVersions, TheCorpusDrawingOfEveryVersionOpensWithThePipes) {
  const std::string file = std::string(OV_SOURCE_DIR) + "/tests/fuzz/corpus/hdw/valid-pipes-every-version.hdw";
  AcDbDatabase db(false);
  ASSERT_EQ(db.readDwgFile(acutUtf8ToWide(file).c_str()), Acad::eOk) << acutWideToUtf8(db.lastFileError());
  std::vector<int> ids;
  int proxies = 0;
  for (AcDbObjectId id : modelSpace(db)) {
    AcDbEntity* entity = nullptr;
    ASSERT_EQ(acdbOpenObject(entity, id, AcDb::kForRead), Acad::eOk);
    if (const PlumbPipe* pipe = PlumbPipe::cast(entity)) {
      ids.push_back(pipe->ixPipe);
      if (pipe->ixPipe == 13) {
        EXPECT_EQ(pipe->dTickOffsetTail, 3.0);
        EXPECT_EQ(asVector(pipe->aPtrapPolylineBreaks), (std::vector<double>{1, 2}));
      }
      if (pipe->ixPipe == 12) {
        EXPECT_EQ(pipe->dTickOffsetTail, 2.0);
      }
      if (pipe->ixPipe == 2) {
        EXPECT_EQ(pipe->aArcs[0].iNormal, 0);
      }
    } else if (AcDbProxyEntity::cast(entity) != nullptr) {
      ++proxies;
    }
    entity->close();
  }
  // The version-5 pipe reads nothing but its number: a default pipe with id 0.
  EXPECT_EQ(ids, (std::vector<int>{1, 2, 11, 12, 13, 0}));
  EXPECT_EQ(proxies, 1);
}

}  // namespace
