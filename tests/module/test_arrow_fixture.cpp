// The flow arrow tests' fixture: class registration, the working drawing, the LISP
// interpreter with the module's functions, and the drawing and filing helpers.
#include "test_arrow_fixture.h"

#include <unistd.h>

#include "arx/aced_print.h"
#include "arx/db_symtab.h"
#include "arx/dwg_filer_mem.h"
#include "frame/function_table.h"

namespace {
AcedPrintSink gPreviousSink;
}  // namespace

ArrowTest::ArrowTest()
    : previousWorking_(acdbHostApplicationServices()->workingDatabase()),
      previousLisp_(LispInterpreter::setCurrent(&lisp_)) {
  // Another test may have left the module initialised; then its registration serves.
  if (acrxFindClass(PlumbPipeArrow::kClassName) == nullptr) {
    PlumbPipeArrow::rxInit();
    acrxBuildClassHierarchy();
    registeredHere_ = true;
  }
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = std::filesystem::temp_directory_path() /
            ("ov-arrow-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  acdbHostApplicationServices()->setWorkingDatabase(&db_);
  gPreviousSink = acedSetPrintSink([this](const std::wstring& text) { output_ += text; });
  ovRegisterLispFunctions();
}

ArrowTest::~ArrowTest() {
  acedSetPrintSink(gPreviousSink);
  acdbHostApplicationServices()->setWorkingDatabase(previousWorking_);
  LispInterpreter::setCurrent(previousLisp_);
  if (registeredHere_) PlumbPipeArrow::rxUninit();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

PlumbPipeArrow* ArrowTest::makeArrow(const AcGePoint3d& start, const AcGePoint3d& end,
                                     const std::vector<double>& hangers) {
  auto* arrow = new PlumbPipeArrow();
  arrow->setStartPoint(start);
  arrow->setEndPoint(end);
  AcGeDoubleArray distances;
  for (double d : hangers) distances.append(d);
  arrow->setHangers(distances);
  return arrow;
}

AcDbObjectId ArrowTest::add(AcDbEntity* entity) {
  AcDbBlockTableRecord* space = nullptr;
  EXPECT_EQ(acdbOpenObject(space, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  AcDbObjectId id;
  EXPECT_EQ(space->appendAcDbEntity(id, entity), Acad::eOk);
  space->close();
  entity->close();
  return id;
}

std::vector<GiPrimitive> ArrowTest::draw(AcDbEntity& entity) {
  AcGiRecordingWorldDraw wd;
  EXPECT_TRUE(entity.worldDraw(&wd)) << "an arrow draws everything in one go";
  return wd.takePrimitives();
}

std::vector<unsigned char> ArrowTest::fileOut(const AcDbObject& object, AcDb::FilerType type) {
  AcDbMemDwgFiler filer(type);
  EXPECT_EQ(object.dwgOutFields(&filer), Acad::eOk);
  return filer.takeBytes();
}

Acad::ErrorStatus ArrowTest::fileIn(AcDbObject& object, const std::vector<unsigned char>& bytes,
                                    AcDb::FilerType type) {
  AcDbMemDwgFiler filer(bytes, type, nullptr);
  return object.dwgInFields(&filer);
}

std::wstring ArrowTest::eval(const std::string& text) { return lisp_.evaluateToText(text); }

AcDbObjectId ArrowTest::idOf(const std::string& text) {
  const LispResult result = lisp_.evaluate(text);
  EXPECT_TRUE(result.ok) << acutWideToUtf8(result.error);
  return result.value.isEname() ? result.value.enameId() : AcDbObjectId();
}

void ArrowTest::bind(const wchar_t* symbol, AcDbObjectId id) { lisp_.setSymbolValue(symbol, LispValue::ename(id)); }

int ArrowTest::modelSpaceCount() { return static_cast<int>(modelSpace(db_).size()); }

std::vector<AcDbObjectId> ArrowTest::modelSpace(AcDbDatabase& db) {
  AcDbBlockTableRecord* space = nullptr;
  EXPECT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
  if (space == nullptr) return {};
  std::vector<AcDbObjectId> ids = space->entityIds();
  space->close();
  return ids;
}

std::wstring ArrowTest::path(const std::string& name) const { return acutUtf8ToWide((folder_ / name).string()); }

double strokeLength(const GiPrimitive& stroke) {
  EXPECT_EQ(stroke.kind, GiPrimitiveKind::Polyline);
  EXPECT_EQ(stroke.points.size(), 2u);
  return stroke.points.size() == 2 ? stroke.points[0].distanceTo(stroke.points[1]) : -1.0;
}
