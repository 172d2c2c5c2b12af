// The shared fixture of the entity tests.
#include "entity_fixture.h"

#include <unistd.h>

#include "arx/aced_print.h"
#include "arx/db_symtab.h"
#include "arx/dwg_filer_mem.h"
#include "frame/function_table.h"

namespace {

AcedPrintSink gPreviousSink;

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

EntityTest::EntityTest()
    : previousWorking_(acdbHostApplicationServices()->workingDatabase()),
      previousLisp_(LispInterpreter::setCurrent(&lisp_)) {
  // Another test may have left the module initialised; then its registration serves.
  if (acrxFindClass(L"PlumbPipe") == nullptr || acrxFindClass(PlumbPipeArrow::kClassName) == nullptr) {
    if (acrxFindClass(L"PlumbPipe") == nullptr) PlumbPipe::rxInit();
    if (acrxFindClass(PlumbPipeArrow::kClassName) == nullptr) PlumbPipeArrow::rxInit();
    acrxBuildClassHierarchy();
    registeredHere_ = true;
  }
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = std::filesystem::temp_directory_path() /
            ("ov-entity-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  acdbHostApplicationServices()->setWorkingDatabase(&db_);
  gPreviousSink = acedSetPrintSink([this](const std::wstring& text) { output_ += text; });
  ovRegisterLispFunctions();
}

EntityTest::~EntityTest() {
  acedSetPrintSink(gPreviousSink);
  acdbHostApplicationServices()->setWorkingDatabase(previousWorking_);
  LispInterpreter::setCurrent(previousLisp_);
  if (registeredHere_) {
    PlumbPipeArrow::rxUninit();
    PlumbPipe::rxUninit();
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

AcDbObjectId EntityTest::add(AcDbEntity* entity) {
  AcDbBlockTableRecord* space = nullptr;
  EXPECT_EQ(acdbOpenObject(space, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  AcDbObjectId id;
  EXPECT_EQ(space->appendAcDbEntity(id, entity), Acad::eOk);
  space->close();
  entity->close();
  return id;
}

AcDbObjectId EntityTest::addLayer(const wchar_t* name) {
  return addRecord<AcDbLayerTable, AcDbLayerTableRecord>(db_, name);
}

AcDbObjectId EntityTest::addTextStyle(const wchar_t* name) {
  return addRecord<AcDbTextStyleTable, AcDbTextStyleTableRecord>(db_, name);
}

void EntityTest::erase(AcDbObjectId id, bool erasing) {
  AcDbObject* object = nullptr;
  ASSERT_EQ(acdbOpenObject(object, id, AcDb::kForWrite, true), Acad::eOk);
  EXPECT_EQ(object->erase(erasing), Acad::eOk);
  object->close();
}

FiledBytes EntityTest::fileOut(const AcDbObject& object, AcDb::FilerType type, AcDbDatabase* db) {
  AcDbMemDwgFiler filer(type, db);
  EXPECT_EQ(object.dwgOutFields(&filer), Acad::eOk);
  return filer.takeBytes();
}

Acad::ErrorStatus EntityTest::fileIn(AcDbObject& object, const FiledBytes& bytes, AcDb::FilerType type,
                                     AcDbDatabase* db) {
  AcDbMemDwgFiler filer(bytes, type, db);
  return object.dwgInFields(&filer);
}

std::wstring EntityTest::eval(const std::string& text) { return lisp_.evaluateToText(text); }

AcDbObjectId EntityTest::idOf(const std::string& text) {
  const LispResult result = lisp_.evaluate(text);
  EXPECT_TRUE(result.ok) << acutWideToUtf8(result.error);
  return result.value.isEname() ? result.value.enameId() : AcDbObjectId();
}

void EntityTest::bind(const wchar_t* symbol, AcDbObjectId id) { lisp_.setSymbolValue(symbol, LispValue::ename(id)); }

std::vector<AcDbObjectId> EntityTest::modelSpace(AcDbDatabase& db) {
  AcDbBlockTableRecord* space = nullptr;
  EXPECT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
  if (space == nullptr) return {};
  std::vector<AcDbObjectId> ids = space->entityIds();
  space->close();
  return ids;
}

std::wstring EntityTest::path(const std::string& name) const { return acutUtf8ToWide((folder_ / name).string()); }

std::vector<GiPrimitive> EntityTest::draw(AcDbEntity& entity) {
  AcGiRecordingWorldDraw wd;
  EXPECT_TRUE(entity.worldDraw(&wd)) << "pipes and arrows draw everything in one go";
  return wd.takePrimitives();
}

std::unique_ptr<PlumbPipeArrow> EntityTest::arrow(const AcGePoint3d& start, const AcGePoint3d& end,
                                                  const std::vector<double>& hangers) {
  auto made = std::make_unique<PlumbPipeArrow>();
  made->setStartPoint(start);
  made->setEndPoint(end);
  AcGeDoubleArray distances;
  for (double d : hangers) distances.append(d);
  made->setHangers(distances);
  return made;
}

std::unique_ptr<PlumbPipeArrow> EntityTest::fullArrow() {
  std::unique_ptr<PlumbPipeArrow> a = arrow({1, 2, 3}, {40, 50, 6}, {48.0, -96.0, 7.5});
  a->setPipeId(77);
  a->setArrowLength(9.5);
  a->setTailOffset(1.25);
  a->setHeadOffset(2.5);
  a->setReversed(true);
  return a;
}

std::unique_ptr<PlumbPipe> EntityTest::fullPipe() {
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
