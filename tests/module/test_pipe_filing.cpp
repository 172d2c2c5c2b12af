// The pipe in files: the current layout item by item, copies and saved drawings with
// every field, the cap on filed lists, and the references' rules for erased and
// missing records.
#include <fstream>
#include <iterator>

#include "arx/db_symtab.h"
#include "arx/dwg_filer_mem.h"
#include "pipe/pipe_breaks.h"
#include "test_pipe_data_fixture.h"
#include "test_pipe_filing_layouts.h"

namespace {

std::vector<double> values(const PlumbArray<double>& list) { return asVector(list); }

std::vector<double> firstValues(const std::vector<double>& all, size_t n) {
  return std::vector<double>(all.begin(), all.begin() + static_cast<long>(std::min(n, all.size())));
}

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
  v.verticalAngles = values(p.aVerticalAngles);
  v.breakWidth = p.dBreakWidth;
  v.breaks = values(p.aBreaks);
  v.textDistance = p.dTextDistance;
  v.text = p.strText;
  v.textAngleIs0 = p.bTextAngleIs0;
  v.label = &p.mtLabel;
  v.textStyle = p.idTextStyle;
  v.textLayer = p.idTextLayer;
  v.ptrap = p.bPtrap;
  v.ptrapWidth = p.dPtrapWidth;
  v.ptrapLine1 = values(p.aPtrapLine1Breaks);
  v.ptrapPolyline = values(p.aPtrapPolylineBreaks);
  v.ptrapLine2 = values(p.aPtrapLine2Breaks);
  v.isometric = p.bIsometric;
  v.hiddenLayer = p.idHiddenLayer;
  return v;
}

// The entity's own fields followed by the pipe's items in the layout of a version.
PipeBytes layoutBytes(const PlumbPipe& base, int version, const PipeLayout& v, AcDb::FilerType type = AcDb::kCopyFiler,
                      AcDbDatabase* db = nullptr) {
  AcDbMemDwgFiler filer(type, db);
  EXPECT_EQ(base.AcDbEntity::dwgOutFields(&filer), Acad::eOk);
  EXPECT_EQ(writePipeLayout(&filer, version, v), Acad::eOk);
  return filer.takeBytes();
}

std::wstring recordName(AcDbObjectId id) {
  AcDbSymbolTableRecord* record = nullptr;
  if (acdbOpenObject(record, id, AcDb::kForRead) != Acad::eOk) return L"<none>";
  const ACHAR* name = nullptr;
  record->getName(name);
  std::wstring text = name != nullptr ? name : L"";
  record->close();
  return text;
}

class PipeFiling : public PipeFixture {
 protected:
  // Saves the test drawing and opens the file again into reopened_.
  void saveAndReopen() {
    ASSERT_EQ(db_.saveAs(path("pipes.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db_.lastFileError());
    reopened_ = std::make_unique<AcDbDatabase>(false);
    ASSERT_EQ(reopened_->readDwgFile(path("pipes.hdw").c_str()), Acad::eOk)
        << acutWideToUtf8(reopened_->lastFileError());
  }

  std::unique_ptr<AcDbDatabase> reopened_;
};

// A symmetric round trip hides two fields filed in each other's place; comparing with
// the layout written item by item does not.
TEST_F(PipeFiling, TheCurrentLayoutIsWrittenItemByItem) {
  std::unique_ptr<PlumbPipe> pipe = fullPipe();
  EXPECT_EQ(fileOut(*pipe), layoutBytes(*pipe, 13, layoutOf(*pipe)));
}

TEST_F(PipeFiling, ACopyKeepsEveryField) {
  std::unique_ptr<PlumbPipe> pipe = fullPipe();
  std::unique_ptr<AcRxObject> copy(pipe->clone());
  auto* back = PlumbPipe::cast(copy.get());
  ASSERT_NE(back, nullptr);
  expectSamePipeData(*pipe, *back);
  EXPECT_EQ(back->idTextStyle, pipe->idTextStyle);
  EXPECT_EQ(back->idTextLayer, pipe->idTextLayer);
  EXPECT_EQ(back->idHiddenLayer, pipe->idHiddenLayer);
  EXPECT_EQ(back->mtLabel.textStyle(), pipe->idTextStyle);
}

TEST_F(PipeFiling, ASavedAndReopenedDrawingKeepsEveryField) {
  std::unique_ptr<PlumbPipe> made = fullPipe();
  const AcDbObjectId id = add(made.release());
  saveAndReopen();
  const std::vector<AcDbObjectId> ids = modelSpace(*reopened_);
  ASSERT_EQ(ids.size(), 1u);
  readPipe(id, [&](const PlumbPipe& original) {
    readPipe(ids[0], [&](const PlumbPipe& back) {
      expectSamePipeData(original, back);
      EXPECT_EQ(recordName(back.idTextStyle), L"Labels");
      EXPECT_EQ(recordName(back.idTextLayer), L"Text");
      EXPECT_EQ(recordName(back.idHiddenLayer), L"Hidden");
      EXPECT_EQ(recordName(back.mtLabel.textStyle()), L"Labels");
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
    pipe->aPtrapPolylineBreaks.append(d + 1000);
    pipe->aPtrapLine2Breaks.append(d + 2000);
  }
  add(pipe);
  saveAndReopen();
  const std::vector<AcDbObjectId> ids = modelSpace(*reopened_);
  ASSERT_EQ(ids.size(), 1u);
  readPipe(ids[0], [&](const PlumbPipe& back) {
    const std::vector<double> first = firstValues(ascending, 100);
    EXPECT_EQ(values(back.aBreaks), first);
    EXPECT_EQ(values(back.aVerticalAngles), first);
    EXPECT_EQ(values(back.aPtrapLine1Breaks), first);
    ASSERT_EQ(back.aPtrapPolylineBreaks.size(), 100);
    EXPECT_EQ(back.aPtrapPolylineBreaks[99], first[99] + 1000);
    ASSERT_EQ(back.aPtrapLine2Breaks.size(), 100);
    EXPECT_EQ(back.aPtrapLine2Breaks[99], first[99] + 2000);
    ASSERT_EQ(back.aElbows.size(), 100);
    EXPECT_EQ(back.aElbows[99].dLength, first[99]);
    ASSERT_EQ(back.aArcs.size(), 100);
    EXPECT_EQ(back.aArcs[99].dLength, first[99]);
  });
}

// An erased record is filed as absent by a save, so that no saved drawing refers to
// it, but as present by the undo filer, so that undoing the erasure gives it back.
TEST_F(PipeFiling, AnErasedReferenceIsKeptForUndoOnly) {
  std::unique_ptr<PlumbPipe> pipe = fullPipe();
  const AcDbObjectId style = pipe->idTextStyle, text = pipe->idTextLayer, hidden = pipe->idHiddenLayer;
  erase(style);
  erase(text);
  erase(hidden);

  PlumbPipe saved;
  ASSERT_EQ(fileIn(saved, fileOut(*pipe, AcDb::kFileFiler, &db_), AcDb::kFileFiler, &db_), Acad::eOk);
  EXPECT_TRUE(saved.idTextStyle.isNull());
  EXPECT_TRUE(saved.idTextLayer.isNull());
  EXPECT_TRUE(saved.idHiddenLayer.isNull());
  // The fields behind the references are still where they belong.
  expectSamePipeData(*pipe, saved);

  PlumbPipe undone;
  ASSERT_EQ(fileIn(undone, fileOut(*pipe, AcDb::kUndoFiler, &db_), AcDb::kUndoFiler, &db_), Acad::eOk);
  EXPECT_EQ(undone.idTextStyle, style);
  EXPECT_EQ(undone.idTextLayer, text);
  EXPECT_EQ(undone.idHiddenLayer, hidden);

  erase(text, false);
  PlumbPipe again;
  ASSERT_EQ(fileIn(again, fileOut(*pipe, AcDb::kFileFiler, &db_), AcDb::kFileFiler, &db_), Acad::eOk);
  EXPECT_EQ(again.idTextLayer, text) << "an un-erased layer is saved again";
}

// A reference whose record a file does not hold still lets the pipe load.
TEST_F(PipeFiling, AnUnknownHandleLeavesTheReferenceNullAndReadsOn) {
  std::unique_ptr<PlumbPipe> pipe = fullPipe();
  const PipeBytes bytes = fileOut(*pipe, AcDb::kFileFiler, &db_);
  AcDbDatabase empty(false);
  PlumbPipe back;
  ASSERT_EQ(fileIn(back, bytes, AcDb::kFileFiler, &empty), Acad::eOk);
  EXPECT_TRUE(back.idTextStyle.isNull());
  EXPECT_TRUE(back.idTextLayer.isNull());
  EXPECT_TRUE(back.idHiddenLayer.isNull());
  expectSamePipeData(*pipe, back);
}

// Undo and redo read the whole pipe again into the same object: no list may keep the
// entries it had before the read.
TEST_F(PipeFiling, UndoThenRedoLeavesEachListWithTheLastReadOnly) {
  auto* made = new PlumbPipe();
  for (double d : {1.0, 2.0}) {
    made->aBreaks.append(d);
    made->aVerticalAngles.append(d);
    made->aPtrapLine1Breaks.append(d);
    made->aPtrapPolylineBreaks.append(d);
    made->aPtrapLine2Breaks.append(d);
    made->aElbows.append(elbowInfo(d, 0));
    made->aArcs.append(arcInfo(d, 0, 1));
  }
  const AcDbObjectId id = add(made);

  db_.beginUndoGroup();
  PlumbPipe* pipe = nullptr;
  ASSERT_EQ(acdbOpenObject(pipe, id, AcDb::kForWrite), Acad::eOk);
  for (PlumbArray<double>* list : {&pipe->aBreaks, &pipe->aVerticalAngles, &pipe->aPtrapLine1Breaks,
                                   &pipe->aPtrapPolylineBreaks, &pipe->aPtrapLine2Breaks}) {
    list->removeAll();
    list->append(5.0);
  }
  pipe->aElbows.removeAll();
  pipe->aElbows.append(elbowInfo(5.0, 0));
  pipe->aArcs.removeAll();
  pipe->aArcs.append(arcInfo(5.0, 0, 1));
  pipe->close();
  db_.endUndoGroup();

  auto expectLists = [&](const std::vector<double>& expected) {
    readPipe(id, [&](const PlumbPipe& p) {
      for (const PlumbArray<double>* list : {&p.aBreaks, &p.aVerticalAngles, &p.aPtrapLine1Breaks,
                                             &p.aPtrapPolylineBreaks, &p.aPtrapLine2Breaks})
        EXPECT_EQ(values(*list), expected);
      ASSERT_EQ(p.aElbows.size(), static_cast<int>(expected.size()));
      ASSERT_EQ(p.aArcs.size(), static_cast<int>(expected.size()));
      for (int i = 0; i < p.aElbows.size(); ++i) {
        EXPECT_EQ(p.aElbows[i].dLength, expected[static_cast<size_t>(i)]);
        EXPECT_EQ(p.aArcs[i].dLength, expected[static_cast<size_t>(i)]);
      }
    });
  };
  ASSERT_EQ(db_.undoGroup(), Acad::eOk);
  expectLists({1.0, 2.0});
  ASSERT_EQ(db_.redoGroup(), Acad::eOk);
  expectLists({5.0});
}

// A record cut short anywhere answers the filer's failure, never a crash; a count
// that promises more than the record holds stops at the end.
TEST_F(PipeFiling, ATruncatedOrOverpromisingRecordAnswersAnError) {
  std::unique_ptr<PlumbPipe> pipe = fullPipe();
  const PipeBytes whole = fileOut(*pipe);
  for (size_t keep = 0; keep < whole.size(); keep += 3) {
    PlumbPipe back;
    EXPECT_NE(fileIn(back, PipeBytes(whole.begin(), whole.begin() + static_cast<long>(keep))), Acad::eOk) << keep;
  }
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
  // What was read before the failure stays read.
  EXPECT_TRUE(back.ptEnd.isEqualTo({4, 5, 6}));
  EXPECT_EQ(back.ixPipe, 8);
  EXPECT_TRUE(back.aElbows.isEmpty());
}

}  // namespace
