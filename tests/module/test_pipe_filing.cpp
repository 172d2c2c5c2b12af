// The pipe in files: the current layout item by item (defaults included), copies and
// saved drawings with every field, the cap on filed lists, the references' rules for
// erased and missing records, undo, damaged records, every older layout with the
// defaults of what it did not hold, and DXF.
#include <algorithm>

#include "arx/db_proxy.h"
#include "arx/db_symtab.h"
#include "arx/dwg_filer_mem.h"
#include "arx/dxf_filer_mem.h"
#include "entity_fixture.h"
#include "pipe/pipe_breaks.h"
#include "test_pipe_filing_layouts.h"

namespace {

// The layout values of a pipe, for the item-by-item check of the current writer.
PipeLayout layoutOf(const PlumbPipe& p) {
  PipeLayout v;
  v.dwg = p.strDwg;
  v.start = p.ptStart;
  v.end = p.ptEnd;
  v.ixPipe = p.ixPipe;
  v.dwgStart = p.bDwgStart;
  v.dwgEnd = p.bDwgEnd;
  v.offsetDistance = p.dOffsetDistance;
  v.tailOffset = p.dTailOffset;
  v.headOffset = p.dHeadOffset;
  v.elbow45Offset = p.dElbow45Offset;
  for (const elbowInfo& e : p.aElbows)
    v.elbows.push_back({e.dLength, e.dAngle, std::vector<double>(e.aBreaks, e.aBreaks + kFittingBreakSlots)});
  v.arcRadius = p.dArcRadius;
  for (const arcInfo& a : p.aArcs)
    v.arcs.push_back({a.dLength, a.dOffset, a.iNormal, std::vector<double>(a.aBreaks, a.aBreaks + kFittingBreakSlots)});
  v.tickOffsetHead = p.dTickOffsetHead;
  v.tickOffsetTail = p.dTickOffsetTail;
  v.tickWidth = p.dTickWidth;
  v.elbow45 = p.bElbow45;
  v.tee45 = p.bTee45;
  v.elbowArc = p.bElbowArc;
  v.teeArc = p.bTeeArc;
  v.verticalType = p.iVerticalType;
  v.verticalRadius = p.dVerticalRadius;
  v.verticalAngles = asVector(p.aVerticalAngles);
  v.breakWidth = p.dBreakWidth;
  v.breaks = asVector(p.aBreaks);
  v.textDistance = p.dTextDistance;
  v.text = p.strText;
  v.textAngleIs0 = p.bTextAngleIs0;
  v.label = &p.mtLabel;
  v.textStyle = p.idTextStyle;
  v.textLayer = p.idTextLayer;
  v.ptrap = p.bPtrap;
  v.ptrapWidth = p.dPtrapWidth;
  v.ptrapLine1 = asVector(p.aPtrapLine1Breaks);
  v.ptrapPolyline = asVector(p.aPtrapPolylineBreaks);
  v.ptrapLine2 = asVector(p.aPtrapLine2Breaks);
  v.isometric = p.bIsometric;
  v.hiddenLayer = p.idHiddenLayer;
  return v;
}

// A blank pipe's entity fields followed by the pipe's items in the layout of a version.
FiledBytes layoutBytes(int version, const PipeLayout& v) {
  PlumbPipe blank;
  AcDbMemDwgFiler filer(AcDb::kCopyFiler);
  EXPECT_EQ(blank.AcDbEntity::dwgOutFields(&filer), Acad::eOk);
  EXPECT_EQ(writePipeLayout(&filer, version, v), Acad::eOk);
  return filer.takeBytes();
}

std::wstring recordName(AcDbObjectId id) {
  AcDbSymbolTableRecord* record = nullptr;
  if (acdbOpenObject(record, id, AcDb::kForRead) != Acad::eOk) return L"<none>";
  std::wstring text = record->name();
  record->close();
  return text;
}

class PipeFiling : public EntityTest {
 protected:
  // Saves the test drawing and opens the file again into reopened_; answers the pipes.
  std::vector<AcDbObjectId> saveAndReopen() {
    EXPECT_EQ(db_.saveAs(path("pipes.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db_.lastFileError());
    reopened_ = std::make_unique<AcDbDatabase>(false);
    EXPECT_EQ(reopened_->readDwgFile(path("pipes.hdw").c_str()), Acad::eOk);
    return modelSpace(*reopened_);
  }

  // Every value away from the defaults, the fields no old release kept included, so
  // that a reader taking one of them shows.
  PipeLayout legacy() {
    label_.setTextHeight(4.0);
    label_.setContents(L"old label");
    PipeLayout v;
    v.dwg = L"old drawing";
    v.start = {1, 2, 3};
    v.end = {40, 50, 6};
    v.ixPipe = 31;
    v.dwgStart = v.dwgEnd = true;
    v.offsetDistance = 0.5;
    v.tailOffset = 0.25;
    v.headOffset = 0.75;
    v.elbow45Offset = 1.5;
    v.elbows = {LayoutElbow{3.5, 0.7, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}}, LayoutElbow{2.5, -0.7}};
    v.arcRadius = 2.0;
    v.arcs = {LayoutArc{1.2, 4.0, -1, {0.3, 0, 0, 0, 0, 0, 0, 0, 0, 0}}, LayoutArc{0.8, 6.0, 1}};
    v.tickOffsetHead = 2.5;
    v.tickOffsetTail = 9.0;
    v.tickWidth = 1.25;
    v.elbow45 = v.elbowArc = true;
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
    v.textStyle = addTextStyle(L"Labels");
    v.textLayer = addLayer(L"Text");
    v.ptrap = true;
    v.ptrapWidth = 3.0;
    v.ptrapLine1 = {0.5};
    v.ptrapPolyline = {1.0, 2.0};
    v.ptrapLine2 = {0.25};
    v.isometric = true;
    v.hiddenLayer = addLayer(L"Hidden");
    return v;
  }

  std::unique_ptr<AcDbDatabase> reopened_;
  AcDbMText label_;
};

// A symmetric round trip hides two fields filed in each other's place; comparing with
// the layout written item by item does not. A new pipe files the defaults of the
// layout: break width 3, vertical radius 6, all else empty.
TEST_F(PipeFiling, TheCurrentLayoutIsWrittenItemByItem) {
  std::unique_ptr<PlumbPipe> pipe = fullPipe();
  EXPECT_EQ(fileOut(*pipe), layoutBytes(13, layoutOf(*pipe)));
  std::unique_ptr<AcRxObject> made(PlumbPipe::desc()->create());
  ASSERT_NE(PlumbPipe::cast(made.get()), nullptr);
  AcDbMText blankLabel;
  PipeLayout defaults;
  defaults.label = &blankLabel;
  EXPECT_EQ(fileOut(*PlumbPipe::cast(made.get())), layoutBytes(13, defaults));
}

TEST_F(PipeFiling, ACopyAndASavedDrawingKeepEveryField) {
  std::unique_ptr<PlumbPipe> pipe = fullPipe();
  std::unique_ptr<AcRxObject> copy(pipe->clone());
  ASSERT_NE(PlumbPipe::cast(copy.get()), nullptr);
  EXPECT_EQ(fileOut(*PlumbPipe::cast(copy.get())), fileOut(*pipe));

  const AcDbObjectId id = add(pipe.release());
  const std::vector<AcDbObjectId> ids = saveAndReopen();
  ASSERT_EQ(ids.size(), 1u);
  read<PlumbPipe>(id, [&](const PlumbPipe& original) {
    read<PlumbPipe>(ids[0], [&](const PlumbPipe& back) {
      expectSamePipeData(original, back);
      EXPECT_EQ(recordName(back.idTextStyle) + recordName(back.idTextLayer) + recordName(back.idHiddenLayer) +
                    recordName(back.mtLabel.textStyle()),
                L"LabelsTextHiddenLabels");
    });
  });
}

// Entries beyond the hundredth of each list are lost on saving; the break list, kept
// sorted, loses its largest distances.
TEST_F(PipeFiling, OnlyTheFirstHundredEntriesOfEachListAreSaved) {
  auto* pipe = new PlumbPipe();
  std::vector<double> ascending;
  for (int i = 0; i < 150; ++i) ascending.push_back(0.5 * i + 1.0);
  // Given largest first, so that only the sorted insertion puts the smallest in front.
  for (auto it = ascending.rbegin(); it != ascending.rend(); ++it) insertSortedBreak(pipe->aBreaks, *it);
  for (double d : ascending) {
    pipe->aElbows.append(elbowInfo(d, 0.1));
    pipe->aArcs.append(arcInfo(d, 0.2, 1));
    pipe->aVerticalAngles.append(d);
    pipe->aPtrapLine1Breaks.append(d);
    pipe->aPtrapPolylineBreaks.append(d);
    pipe->aPtrapLine2Breaks.append(d);
  }
  add(pipe);
  const std::vector<AcDbObjectId> ids = saveAndReopen();
  ASSERT_EQ(ids.size(), 1u);
  const std::vector<double> first(ascending.begin(), ascending.begin() + 100);
  read<PlumbPipe>(ids[0], [&](const PlumbPipe& back) {
    for (const PlumbArray<double>* list : {&back.aBreaks, &back.aVerticalAngles, &back.aPtrapLine1Breaks,
                                           &back.aPtrapPolylineBreaks, &back.aPtrapLine2Breaks})
      EXPECT_EQ(asVector(*list), first);
    ASSERT_EQ(back.aElbows.size(), 100);
    ASSERT_EQ(back.aArcs.size(), 100);
    EXPECT_EQ(back.aElbows[99].dLength + back.aArcs[99].dLength, 2 * first[99]);
  });
}

// An erased record is filed as absent by a save, so that no saved drawing refers to
// it, but as present by the undo filer, so that undoing the erasure gives it back; a
// record the file does not hold still lets the pipe load. The fields behind the
// references stay where they belong.
TEST_F(PipeFiling, ReferencesToErasedOrMissingRecords) {
  std::unique_ptr<PlumbPipe> pipe = fullPipe();
  const AcDbObjectId style = pipe->idTextStyle, text = pipe->idTextLayer, hidden = pipe->idHiddenLayer;
  AcDbDatabase empty(false);
  PlumbPipe missing;
  ASSERT_EQ(fileIn(missing, fileOut(*pipe, AcDb::kFileFiler, &db_), AcDb::kFileFiler, &empty), Acad::eOk);
  for (AcDbObjectId id : {style, text, hidden}) erase(id);

  PlumbPipe saved, undone;
  ASSERT_EQ(fileIn(saved, fileOut(*pipe, AcDb::kFileFiler, &db_), AcDb::kFileFiler, &db_), Acad::eOk);
  ASSERT_EQ(fileIn(undone, fileOut(*pipe, AcDb::kUndoFiler, &db_), AcDb::kUndoFiler, &db_), Acad::eOk);
  for (const PlumbPipe* back : {&saved, &missing}) {
    EXPECT_TRUE(back->idTextStyle.isNull() && back->idTextLayer.isNull() && back->idHiddenLayer.isNull());
    expectSamePipeData(*pipe, *back);
  }
  EXPECT_TRUE(undone.idTextStyle == style && undone.idTextLayer == text && undone.idHiddenLayer == hidden);

  erase(text, false);
  PlumbPipe again;
  ASSERT_EQ(fileIn(again, fileOut(*pipe, AcDb::kFileFiler, &db_), AcDb::kFileFiler, &db_), Acad::eOk);
  EXPECT_EQ(again.idTextLayer, text) << "an un-erased layer is saved again";
}

// Undo and redo read the whole pipe again into the same object: no list may keep the
// entries it had before the read.
TEST_F(PipeFiling, UndoThenRedoLeavesEachListWithTheLastReadOnly) {
  auto fill = [](PlumbPipe& p, std::initializer_list<double> values) {
    for (PlumbArray<double>* list :
         {&p.aBreaks, &p.aVerticalAngles, &p.aPtrapLine1Breaks, &p.aPtrapPolylineBreaks, &p.aPtrapLine2Breaks})
      list->removeAll();
    p.aElbows.removeAll();
    p.aArcs.removeAll();
    for (double d : values) {
      for (PlumbArray<double>* list :
           {&p.aBreaks, &p.aVerticalAngles, &p.aPtrapLine1Breaks, &p.aPtrapPolylineBreaks, &p.aPtrapLine2Breaks})
        list->append(d);
      p.aElbows.append(elbowInfo(d, 0));
      p.aArcs.append(arcInfo(d, 0, 1));
    }
  };
  auto* made = new PlumbPipe();
  fill(*made, {1.0, 2.0});
  const AcDbObjectId id = add(made);
  FiledBytes before;
  read<PlumbPipe>(id, [&](const PlumbPipe& p) { before = fileOut(p); });
  db_.beginUndoGroup();
  PlumbPipe* pipe = nullptr;
  ASSERT_EQ(acdbOpenObject(pipe, id, AcDb::kForWrite), Acad::eOk);
  fill(*pipe, {5.0});
  const FiledBytes after = fileOut(*pipe);
  pipe->close();
  db_.endUndoGroup();

  ASSERT_EQ(db_.undoGroup(), Acad::eOk);
  read<PlumbPipe>(id, [&](const PlumbPipe& p) { EXPECT_EQ(fileOut(p), before); });
  ASSERT_EQ(db_.redoGroup(), Acad::eOk);
  read<PlumbPipe>(id, [&](const PlumbPipe& p) { EXPECT_EQ(fileOut(p), after); });
}

// A count that promises more than the record holds stops at the end with the filer's
// failure; what was read before it stays read. Records cut anywhere are read by the
// filing paths' tests.
TEST_F(PipeFiling, ACountThatOverpromisesAnswersAnError) {
  PlumbPipe base;
  AcDbMemDwgFiler filer(AcDb::kCopyFiler);
  base.AcDbEntity::dwgOutFields(&filer);
  filer.writeInt32(13);
  filer.writePoint3d({1, 2, 3});
  filer.writePoint3d({4, 5, 6});
  filer.writeInt32(8);
  filer.writeBool(true);
  filer.writeBool(false);
  filer.writeString(L"d");
  for (int i = 0; i < 4; ++i) filer.writeDouble(0.0);
  filer.writeInt32(2147483647);  // elbows promised, none follow
  PlumbPipe back;
  EXPECT_NE(fileIn(back, filer.takeBytes()), Acad::eOk);
  EXPECT_TRUE(back.ptEnd.isEqualTo({4, 5, 6}) && back.ixPipe == 8 && back.aElbows.isEmpty());
}

// Each release's layout loads with the defaults of what it did not hold: 12 took the
// tail tick offset from the head's, 11 had no P-trap breaks either, and 1 and 2 kept
// two elbow lengths and two arcs in fixed places (a zero length there was no fitting),
// no label layer, P-trap or hidden layer, and 1 a real after the vertical radius.
TEST_F(PipeFiling, EveryOlderLayoutLoadsWithTheDefaultsOfWhatItLacked) {
  const PipeLayout given = legacy();
  for (const auto& [version, zeroFirstFittings] :
       std::vector<std::pair<int, bool>>{{13, false}, {12, false}, {11, false}, {2, true}, {1, false}}) {
    SCOPED_TRACE(version);
    PipeLayout v = given;
    if (zeroFirstFittings) v.elbows[0].length = v.arcs[0].length = 0.0;
    PipeLayout expected = v;
    if (version < 13) expected.tickOffsetTail = v.tickOffsetHead;
    if (version < 12) expected.ptrapLine1 = expected.ptrapPolyline = expected.ptrapLine2 = {};
    if (version <= 2) {
      expected.elbows.clear();
      for (const LayoutElbow& e : v.elbows)
        if (e.length != 0.0) expected.elbows.push_back({e.length, 0.0});
      expected.arcs.clear();
      for (const LayoutArc& a : v.arcs)
        if (a.length != 0.0) expected.arcs.push_back({a.length, a.offset, 0});
      expected.textLayer = expected.hiddenLayer = AcDbObjectId();
      expected.ptrap = false;
      expected.ptrapWidth = 0.0;
    }
    PlumbPipe p;
    ASSERT_EQ(fileIn(p, layoutBytes(version, v)), Acad::eOk);
    EXPECT_EQ(fileOut(p), layoutBytes(13, expected));
  }
}

// No release wrote versions 3 to 10 or below 1: nothing is read beyond the number,
// even when a whole current layout follows it. A newer version asks to be a proxy.
TEST_F(PipeFiling, UnknownVersionsReadNothingMoreAndNewerOnesAreProxies) {
  const PipeLayout v = legacy();
  const FiledBytes current = layoutBytes(13, v);
  for (int version : {5, 3, 10, 0, -1, 14, 200}) {
    FiledBytes bytes = layoutBytes(version, v);
    const size_t afterVersion = bytes.size();
    bytes.insert(bytes.end(), current.begin() + static_cast<long>(afterVersion), current.end());
    PlumbPipe p;
    AcDbMemDwgFiler reader(bytes, AcDb::kCopyFiler, nullptr);
    EXPECT_EQ(p.dwgInFields(&reader), version > 13 ? Acad::eMakeMeProxy : Acad::eOk) << version;
    EXPECT_EQ(reader.position(), afterVersion) << version;
    expectSamePipeData(PlumbPipe(), p);
  }
}

// The fuzz corpus keeps drawings with pipes and arrows of every layout, filed by the
// corpus maker from the layouts: the old ones open as entities with their own
// defaults, the one of no release as a default entity, the later release's as a proxy.
TEST_F(PipeFiling, TheCorpusDrawingsOfEveryReleaseOpen) {
  std::vector<int> pipes, arrows;
  int proxies = 0;
  for (const char* name : {"valid-pipes-every-version.hdw", "valid-arrows-every-version.hdw"}) {
    AcDbDatabase db(false);
    const std::string file = std::string(OV_SOURCE_DIR) + "/tests/fuzz/corpus/hdw/" + name;
    ASSERT_EQ(db.readDwgFile(acutUtf8ToWide(file).c_str()), Acad::eOk) << acutWideToUtf8(db.lastFileError());
    for (AcDbObjectId id : modelSpace(db)) {
      AcDbEntity* entity = nullptr;
      ASSERT_EQ(acdbOpenObject(entity, id, AcDb::kForRead), Acad::eOk);
      if (const PlumbPipe* pipe = PlumbPipe::cast(entity)) {
        pipes.push_back(pipe->ixPipe);
        // 13 and 12 differ in the tail tick offset, 2 kept no arc side.
        if (pipe->ixPipe == 13) {
          EXPECT_EQ(asVector(pipe->aPtrapPolylineBreaks), (std::vector<double>{1, 2}));
        }
        if (pipe->ixPipe >= 12) {
          EXPECT_EQ(pipe->dTickOffsetTail, pipe->ixPipe == 13 ? 3.0 : 2.0);
        }
        if (pipe->ixPipe == 2) {
          EXPECT_EQ(pipe->aArcs[0].iNormal, 0);
        }
      } else if (PlumbPipeArrow* a = PlumbPipeArrow::cast(entity)) {
        const int version = a->pipeId();
        arrows.push_back(version);
        SCOPED_TRACE(version);
        const size_t strokes = draw(*a).size();
        if (version == 0) {
          EXPECT_TRUE(a->startPoint().isEqualTo(AcGePoint3d()) && a->arrowLength() == 12.0 && strokes == 1u);
        } else {
          EXPECT_TRUE(a->startPoint().isEqualTo({100.0 * version, 0, 10}));
          EXPECT_TRUE(a->endPoint().isEqualTo({100.0 * version + 60, 80, 20}));
          EXPECT_EQ(a->arrowLength(), 9.0);
          EXPECT_EQ(std::make_pair(a->tailOffset(), a->headOffset()),
                    version == 1 ? std::make_pair(0.0, 0.0) : std::make_pair(1.5, 2.5));
          EXPECT_EQ(a->hangers().vec(), (version == 1 ? std::vector<double>{} : std::vector<double>{48, -24, 100}));
          EXPECT_EQ(a->isReversed(), version == 3);
          // The head, then 48 and the crossed -24; 100 lies at the end of the plan length.
          EXPECT_EQ(strokes, version == 1 ? 2u : 5u);
        }
      } else if (const AcDbProxyEntity* proxy = AcDbProxyEntity::cast(entity)) {
        const std::wstring name = proxy->originalClassName();
        proxies += name == L"PlumbPipe" || name == PlumbPipeArrow::kClassName ? 1 : 0;
      }
      entity->close();
    }
  }
  // The pipes' version-5 record reads nothing but its number: a default pipe, id 0.
  EXPECT_EQ(pipes, (std::vector<int>{1, 2, 11, 12, 13, 0}));
  std::sort(arrows.begin(), arrows.end());
  EXPECT_EQ(arrows, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(proxies, 2);
}

// ---- DXF ----------------------------------------------------------------------------

std::vector<AcDbDxfGroup> groupsOf(const AcDbEntity& entity) {
  AcDbMemDxfWriter writer(nullptr, 16);
  EXPECT_EQ(entity.dxfOutFields(&writer), Acad::eOk);
  std::vector<AcDbDxfGroup> groups;
  std::wstring error;
  EXPECT_EQ(acdbParseDxfGroups(writer.text(), groups, error), Acad::eOk) << acutWideToUtf8(error);
  return groups;
}

// The groups after the pipe's subclass marker in their order, with their values; a
// round trip keeps the points, the id, the end flags and the label text of group 1,
// and all else is the new pipe's default.
TEST_F(PipeFiling, DxfGroupsAndWhatARoundTripKeeps) {
  std::unique_ptr<PlumbPipe> pipe = fullPipe();
  const std::vector<AcDbDxfGroup> all = groupsOf(*pipe);
  size_t at = 0;
  while (at < all.size() && !all[at].is(100, L"PlumbPipe")) ++at;
  std::vector<std::pair<int, double>> numbers;
  for (size_t i = at + 1; i < all.size(); ++i)
    numbers.emplace_back(all[i].code, all[i].code < 20 ? 0.0 : all[i].code < 90 ? all[i].real : all[i].integer);
  // The label gap goes through the text of the DXF: six figures.
  ASSERT_GT(pipe->labelGap(), 0.0);
  ASSERT_GT(numbers.size(), 6u);
  EXPECT_NEAR(numbers[6].second, pipe->labelGap(), 1e-4);
  numbers[6].second = 0.0;
  EXPECT_EQ(numbers, (std::vector<std::pair<int, double>>{
                         {1, 0},     {10, 0},    {11, 0},    {40, 1.5},  {41, 0.75}, {42, 1.75}, {43, 0},
                         {44, 2.25}, {45, 3.5},  {46, 5.5},  {90, 4242}, {91, 1},    {92, 0},    {290, 1},
                         {291, 1},   {292, 0},   {293, 0},   {294, 1},   {295, 1}}));
  ASSERT_EQ(all.size(), at + 20);
  EXPECT_EQ(all[at + 1].text, L"4\" CW");
  EXPECT_TRUE(all[at + 2].point.isEqualTo({10.5, -4.25, 12.5}) && all[at + 3].point.isEqualTo({110.5, 20.75, 9.0}));

  AcDbMemDxfReader reader(all, &db_);
  PlumbPipe back;
  ASSERT_EQ(back.dxfInFields(&reader), Acad::eOk);
  PlumbPipe expected;
  expected.ptStart = pipe->ptStart;
  expected.ptEnd = pipe->ptEnd;
  expected.ixPipe = pipe->ixPipe;
  expected.bDwgStart = true;
  expected.strText = pipe->strText;
  expectSamePipeData(expected, back);

  // Groups whose subclass is another class's are not the pipe's to read.
  std::vector<AcDbDxfGroup> foreign = all;
  foreign[at].text = L"AcDbLine";
  AcDbMemDxfReader other(foreign, &db_);
  PlumbPipe refused;
  EXPECT_EQ(refused.dxfInFields(&other), Acad::eBadDxfSequence);
  EXPECT_EQ(refused.ixPipe, 0);
}

}  // namespace
