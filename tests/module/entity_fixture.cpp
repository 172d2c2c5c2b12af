// The shared fixture of the entity tests.
#include "entity_fixture.h"

#include <unistd.h>

#include "arx/aced_print.h"
#include "arx/db_symtab.h"
#include "arx/dwg_filer_mem.h"
#include "frame/function_table.h"

namespace {
AcedPrintSink gPreviousSink;
}  // namespace

ModuleEntityFixture::ModuleEntityFixture(const EntityClassRegistration& registration)
    : registration_(registration),
      previousWorking_(acdbHostApplicationServices()->workingDatabase()),
      previousLisp_(LispInterpreter::setCurrent(&lisp_)) {
  // Another test may have left the module initialised; then its registration serves.
  if (acrxFindClass(registration_.className) == nullptr) {
    registration_.initialise();
    acrxBuildClassHierarchy();
    registeredHere_ = true;
  }
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = std::filesystem::temp_directory_path() / (std::string(registration_.folderPrefix) + "-" +
                                                      std::to_string(::getpid()) + "-" + info->test_suite_name() +
                                                      "-" + info->name());
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  acdbHostApplicationServices()->setWorkingDatabase(&db_);
  gPreviousSink = acedSetPrintSink([this](const std::wstring& text) { output_ += text; });
  ovRegisterLispFunctions();
}

ModuleEntityFixture::~ModuleEntityFixture() {
  acedSetPrintSink(gPreviousSink);
  acdbHostApplicationServices()->setWorkingDatabase(previousWorking_);
  LispInterpreter::setCurrent(previousLisp_);
  if (registeredHere_) registration_.remove();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

AcDbObjectId ModuleEntityFixture::add(AcDbEntity* entity) {
  AcDbBlockTableRecord* space = nullptr;
  EXPECT_EQ(acdbOpenObject(space, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  AcDbObjectId id;
  EXPECT_EQ(space->appendAcDbEntity(id, entity), Acad::eOk);
  space->close();
  entity->close();
  return id;
}

FiledBytes ModuleEntityFixture::fileOut(const AcDbObject& object, AcDb::FilerType type, AcDbDatabase* db) {
  AcDbMemDwgFiler filer(type, db);
  EXPECT_EQ(object.dwgOutFields(&filer), Acad::eOk);
  return filer.takeBytes();
}

Acad::ErrorStatus ModuleEntityFixture::fileIn(AcDbObject& object, const FiledBytes& bytes, AcDb::FilerType type,
                                              AcDbDatabase* db) {
  AcDbMemDwgFiler filer(bytes, type, db);
  return object.dwgInFields(&filer);
}

std::wstring ModuleEntityFixture::eval(const std::string& text) { return lisp_.evaluateToText(text); }

AcDbObjectId ModuleEntityFixture::idOf(const std::string& text) {
  const LispResult result = lisp_.evaluate(text);
  EXPECT_TRUE(result.ok) << acutWideToUtf8(result.error);
  return result.value.isEname() ? result.value.enameId() : AcDbObjectId();
}

void ModuleEntityFixture::bind(const wchar_t* symbol, AcDbObjectId id) {
  lisp_.setSymbolValue(symbol, LispValue::ename(id));
}

std::vector<AcDbObjectId> ModuleEntityFixture::modelSpace(AcDbDatabase& db) {
  AcDbBlockTableRecord* space = nullptr;
  EXPECT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
  if (space == nullptr) return {};
  std::vector<AcDbObjectId> ids = space->entityIds();
  space->close();
  return ids;
}

std::wstring ModuleEntityFixture::path(const std::string& name) const {
  return acutUtf8ToWide((folder_ / name).string());
}
