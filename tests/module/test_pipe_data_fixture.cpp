// The pipe tests' fixture: class registration, the working drawing, the LISP
// interpreter with the module's functions, and the filing helpers.
#include "test_pipe_data_fixture.h"

#include "arx/db_symtab.h"

namespace {

template <typename Table, typename Record>
AcDbObjectId addRecord(AcDbDatabase& db, const wchar_t* name) {
  Table* table = nullptr;
  EXPECT_EQ(db.getSymbolTable(table, AcDb::kForWrite), Acad::eOk);
  auto* record = new Record();
  record->setName(name);
  AcDbObjectId id;
  EXPECT_EQ(table->add(id, record), Acad::eOk);
  record->close();
  table->close();
  return id;
}

}  // namespace

PipeFixture::PipeFixture()
    : ModuleEntityFixture({L"PlumbPipe", PlumbPipe::rxInit, PlumbPipe::rxUninit, "ov-pipe"}) {}

AcDbObjectId PipeFixture::addLayer(const wchar_t* name) {
  return addRecord<AcDbLayerTable, AcDbLayerTableRecord>(db_, name);
}

AcDbObjectId PipeFixture::addTextStyle(const wchar_t* name) {
  return addRecord<AcDbTextStyleTable, AcDbTextStyleTableRecord>(db_, name);
}

void PipeFixture::erase(AcDbObjectId id, bool erasing) {
  AcDbObject* object = nullptr;
  ASSERT_EQ(acdbOpenObject(object, id, AcDb::kForWrite, true), Acad::eOk);
  EXPECT_EQ(object->erase(erasing), Acad::eOk);
  object->close();
}

std::unique_ptr<PlumbPipe> PipeFixture::fullPipe() {
  auto pipe = std::make_unique<PlumbPipe>();
  PlumbPipe& p = *pipe;
  p.strDwg = L"Level 2 – Wing B";
  p.setStartPoint({10.5, -4.25, 12.5}, true);
  p.setEndPoint({110.5, 20.75, 9.0}, true);
  p.setPipeId(4242);
  for (double d : {1.25, 7.5, 33.0}) p.aBreaks.append(d);
  p.setBreakWidth(2.75);
  p.dOffsetDistance = 1.5;
  p.bDwgStart = true;
  p.bDwgEnd = false;
  p.dTailOffset = 0.75;
  p.dHeadOffset = 1.75;
  p.dElbow45Offset = 2.25;
  elbowInfo elbow(6.0, 0.785);
  elbow.aBreaks[0] = 1.0;
  elbow.aBreaks[1] = 2.5;
  p.aElbows.append(elbow);
  p.aElbows.append(elbowInfo(4.5, -1.57));
  p.dArcRadius = 3.5;
  arcInfo arc(1.2, 5.0, -1);
  arc.aBreaks[0] = 0.4;
  p.aArcs.append(arc);
  p.aArcs.append(arcInfo(0.6, 8.0, 1));
  // Flags that differ from their neighbours in the filed order, so that two filed in
  // each other's place show.
  p.bElbow45 = true;
  p.bElbowArc = false;
  p.bTee45 = true;
  p.bTeeArc = false;
  p.dTickWidth = 1.1;
  p.dTickOffsetTail = 2.2;
  p.dTickOffsetHead = 3.3;
  p.iVerticalType = 1;
  p.setVerticalRadius(4.5);
  for (double a : {0.5, 2.0, 4.0}) p.aVerticalAngles.append(a);
  p.dTextDistance = 30.0;
  p.strText = L"4\" CW";
  p.bTextAngleIs0 = true;
  p.mtLabel.setTextHeight(3.0);
  p.mtLabel.setContents(L"4\" CW");
  p.mtLabel.setRotation(0.25);
  p.setTextStyle(addTextStyle(L"Labels"));
  p.idTextLayer = addLayer(L"Text");
  p.bPtrap = true;
  p.dPtrapWidth = 5.5;
  for (double d : {0.5, 1.5}) p.aPtrapLine1Breaks.append(d);
  for (double d : {-0.25, 2.0, 9.0}) p.aPtrapPolylineBreaks.append(d);
  p.aPtrapLine2Breaks.append(0.75);
  p.bIsometric = true;
  p.idHiddenLayer = addLayer(L"Hidden");
  return pipe;
}

std::vector<double> asVector(const PlumbArray<double>& list) { return std::vector<double>(list.begin(), list.end()); }

void expectSamePipeData(const PlumbPipe& e, const PlumbPipe& a) {
  EXPECT_EQ(a.strDwg, e.strDwg);
  EXPECT_TRUE(a.ptStart.isEqualTo(e.ptStart));
  EXPECT_TRUE(a.ptEnd.isEqualTo(e.ptEnd));
  EXPECT_EQ(a.ixPipe, e.ixPipe);
  EXPECT_EQ(asVector(a.aBreaks), asVector(e.aBreaks));
  EXPECT_EQ(a.dBreakWidth, e.dBreakWidth);
  EXPECT_EQ(a.dOffsetDistance, e.dOffsetDistance);
  EXPECT_EQ(a.bDwgStart, e.bDwgStart);
  EXPECT_EQ(a.bDwgEnd, e.bDwgEnd);
  EXPECT_EQ(a.dTailOffset, e.dTailOffset);
  EXPECT_EQ(a.dHeadOffset, e.dHeadOffset);
  EXPECT_EQ(a.dElbow45Offset, e.dElbow45Offset);
  EXPECT_TRUE(a.aElbows == e.aElbows);
  EXPECT_EQ(a.dArcRadius, e.dArcRadius);
  EXPECT_TRUE(a.aArcs == e.aArcs);
  EXPECT_EQ(a.bElbow45, e.bElbow45);
  EXPECT_EQ(a.bElbowArc, e.bElbowArc);
  EXPECT_EQ(a.bTee45, e.bTee45);
  EXPECT_EQ(a.bTeeArc, e.bTeeArc);
  EXPECT_EQ(a.dTickWidth, e.dTickWidth);
  EXPECT_EQ(a.dTickOffsetTail, e.dTickOffsetTail);
  EXPECT_EQ(a.dTickOffsetHead, e.dTickOffsetHead);
  EXPECT_EQ(a.iVerticalType, e.iVerticalType);
  EXPECT_EQ(a.dVerticalRadius, e.dVerticalRadius);
  EXPECT_EQ(asVector(a.aVerticalAngles), asVector(e.aVerticalAngles));
  EXPECT_EQ(a.dTextDistance, e.dTextDistance);
  EXPECT_EQ(a.strText, e.strText);
  EXPECT_EQ(a.bTextAngleIs0, e.bTextAngleIs0);
  EXPECT_EQ(a.mtLabel.textHeight(), e.mtLabel.textHeight());
  EXPECT_EQ(a.mtLabel.rotation(), e.mtLabel.rotation());
  EXPECT_EQ(a.mtLabel.contentsText(), e.mtLabel.contentsText());
  EXPECT_EQ(a.bPtrap, e.bPtrap);
  EXPECT_EQ(a.dPtrapWidth, e.dPtrapWidth);
  EXPECT_EQ(asVector(a.aPtrapLine1Breaks), asVector(e.aPtrapLine1Breaks));
  EXPECT_EQ(asVector(a.aPtrapPolylineBreaks), asVector(e.aPtrapPolylineBreaks));
  EXPECT_EQ(asVector(a.aPtrapLine2Breaks), asVector(e.aPtrapLine2Breaks));
  EXPECT_EQ(a.bIsometric, e.bIsometric);
}
