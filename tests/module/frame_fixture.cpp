// The frame tests' shared fixture: set-up and clean-up of the folder, the interpreter,
// the print sink, the UI driver, the registry file and the documents.
#include "frame_fixture.h"

#include <unistd.h>

#include <cstdlib>

#include "arx/aced_lisp.h"
#include "arx/db_entities.h"
#include "arx/db_symtab.h"
#include "arx/sysvars.h"
#include "com/safearray.h"
#include "db/project_seed.h"
#include "frame/context.h"
#include "win/shell_execute.h"

namespace {

std::function<int()> gTestCallBody;

int testCallHandler() { return gTestCallBody ? gTestCallBody() : RSRSLT; }

// A code far from the module's own 0 to 33.
constexpr short kTestCallCode = 900;

std::wstring textVariable(const wchar_t* name) {
  resbuf value{};
  if (acedGetVar(name, &value) != RTNORM || value.restype != RTSTR) return {};
  std::wstring text = value.resval.rstring != nullptr ? value.resval.rstring : L"";
  acutDelString(value.resval.rstring);
  return text;
}

void setTextVariable(const wchar_t* name, const std::wstring& text) {
  resbuf value{};
  value.restype = RTSTR;
  value.resval.rstring = const_cast<ACHAR*>(text.c_str());
  acedSetVar(name, &value);
}

}  // namespace

int RecordingUiDriver::messageBox(const std::wstring& title, const std::wstring& text, UiIcon icon,
                                  const std::vector<int>& buttons, int defaultAnswer) {
  boxes.push_back({title, text, buttons});
  if (script) return script->messageBox(title, text, icon, buttons, defaultAnswer);
  if (answers.empty()) return defaultAnswer;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

void RecordingUiDriver::runDialog(CDialog& dialog) {
  if (seeDialog) seeDialog(dialog);
  if (script) script->runDialog(dialog);
  else UiDriver::runDialog(dialog);
  if (seeDialog) seeDialog(dialog);
}

FrameTest::FrameTest() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = std::filesystem::temp_directory_path() /
            ("ov-frame-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_ / "autosave");

  previousSink_ = acedSetPrintSink([this](const std::wstring& text) { output_ += text; });
  previousDriver_ = setUiDriver(&ui_);
  if (const char* old = std::getenv("OVHOST_REGISTRY")) previousRegistry_ = old;
  ::setenv("OVHOST_REGISTRY", (folder_ / "registry.txt").c_str(), 1);
  previousSaveFilePath_ = textVariable(L"SAVEFILEPATH");
  setTextVariable(L"SAVEFILEPATH", acutUtf8ToWide((folder_ / "autosave").string()));
  clearShellExecuteCalls();

  manager()->hostCloseAll();
  unbalancedAtStart_ = manager()->hostUnbalancedUnlocks();
}

void FrameTest::TearDown() {
  if (db_) {
    _variant_t ignored;
    db_->CloseDatabase(&ignored);
    db_ = nullptr;
  }
  for (AcApDocument* doc : manager()->hostDocuments())
    EXPECT_EQ(doc->hostLockCount(), 0) << "left locked: " << acutWideToUtf8(doc->fileName());
  EXPECT_EQ(manager()->hostUnbalancedUnlocks(), unbalancedAtStart_) << "an unlock found no lock";
  stopContext();
  manager()->hostCloseAll();
}

FrameTest::~FrameTest() {
  stopContext();
  manager()->hostCloseAll();
  gTestCallBody = nullptr;
  setShellExecuteResult(std::nullopt);
  clearShellExecuteCalls();
  setTextVariable(L"SAVEFILEPATH", previousSaveFilePath_);
  if (previousRegistry_) ::setenv("OVHOST_REGISTRY", previousRegistry_->c_str(), 1);
  else ::unsetenv("OVHOST_REGISTRY");
  setUiDriver(previousDriver_);
  acedSetPrintSink(previousSink_);
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::wstring FrameTest::path(const std::string& relative) const {
  return acutUtf8ToWide((folder_ / relative).lexically_normal().string());
}

std::wstring FrameTest::makeProject(const std::string& folder) {
  std::wstring error;
  const std::wstring file = createStandardProject(path(folder), &error);
  EXPECT_EQ(error, L"");
  EXPECT_FALSE(file.empty());
  return file;
}

void FrameTest::openProject(const std::string& folder) {
  projectFile_ = makeProject(folder);
  ASSERT_TRUE(SUCCEEDED(db_.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL)));
  ASSERT_EQ(std::wstring(db_->OpenProjectDatabase(_bstr_t(projectFile_.c_str()), 0, 0)), L"OK");
}

void FrameTest::sql(const std::wstring& statement) {
  EXPECT_EQ(db_->Execute(_bstr_t(statement.c_str())), VARIANT_TRUE) << acutWideToUtf8(statement);
}

_variant_t FrameTest::firstValue(const std::wstring& query) {
  _variant_t rows;
  VARIANT_BOOL ok = VARIANT_FALSE;
  db_->Query(_bstr_t(query.c_str()), &rows, &ok);
  // The answer is "*NewRecord*", the column's name, its value.
  LONG at = 2;
  _variant_t value;
  if (rows.vt != (VT_ARRAY | VT_VARIANT) || FAILED(SafeArrayGetElement(rows.parray, &at, &value))) return {};
  return value;
}

long FrameTest::number(const std::wstring& query) {
  const _variant_t value = firstValue(query);
  switch (value.vt) {
    case VT_I4: return value.lVal;
    case VT_I2: return value.iVal;
    case VT_R8: return static_cast<long>(value.dblVal);
    case VT_BOOL: return value.boolVal;
    default: return -1;
  }
}

std::wstring FrameTest::text(const std::wstring& query) {
  const _variant_t value = firstValue(query);
  return value.vt == VT_BSTR && value.bstrVal != nullptr ? value.bstrVal : L"";
}

AcDbObjectId FrameTest::appendToModelSpace(AcDbEntity* entity) {
  AcDbBlockTableRecord* space = nullptr;
  AcDbObjectId id;
  EXPECT_EQ(acdbOpenObject(space, acdbHostApplicationServices()->workingDatabase()->modelSpaceId(), AcDb::kForWrite),
            Acad::eOk);
  if (space == nullptr) {
    delete entity;
    return id;
  }
  EXPECT_EQ(space->appendAcDbEntity(id, entity), Acad::eOk);
  entity->close();
  space->close();
  return id;
}

size_t FrameTest::count(const std::wstring& text, const std::wstring& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

AcApDocument* FrameTest::open(const std::string& relative) {
  std::filesystem::create_directories((folder_ / relative).parent_path());
  AcApDocument* doc = nullptr;
  std::wstring message;
  EXPECT_EQ(manager()->hostOpenDocument(path(relative), doc, message), Acad::eOk) << acutWideToUtf8(message);
  return doc;
}

void FrameTest::markAsUsingProjectDatabase(AcDbDatabase* db, const wchar_t* answer) {
  AcDbRegAppTable* apps = nullptr;
  ASSERT_EQ(db->getRegAppTable(apps, AcDb::kForWrite), Acad::eOk);
  if (!apps->has(L"ORVANE")) {
    auto* app = new AcDbRegAppTableRecord();
    app->setName(L"ORVANE");
    ASSERT_EQ(apps->add(app), Acad::eOk);
    app->close();
  }
  apps->close();
  AcDbBlockTableRecord* modelSpace = nullptr;
  ASSERT_EQ(acdbOpenObject(modelSpace, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  resbuf* mark = acutBuildList(1001, L"ORVANE", 1000, L"OTHER", 1000, L"YES", 1000, L"OV_PLUMB", 1000, answer, 0);
  EXPECT_EQ(modelSpace->setXData(mark), Acad::eOk);
  acutRelRb(mark);
  modelSpace->close();
}

ovApplication* FrameTest::startContext() {
  auto* context = new ovApplication();
  ovSetTheApplication(context);
  return context;
}

void FrameTest::stopContext() {
  ovApplication* context = ovTheApplication();
  ovSetTheApplication(nullptr);
  delete context;
}

std::wstring FrameTest::eval(const std::string& text) { return lisp_.evaluateToText(text); }

void FrameTest::defineTestCall(std::function<int()> body) {
  gTestCallBody = std::move(body);
  acedDefun(L"test-call", kTestCallCode);
  acedRegFunc(testCallHandler, kTestCallCode);
}

void FrameTest::run(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }
