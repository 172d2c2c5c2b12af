// A test with the process's document manager to itself: no document open at the start
// or at the end, a temporary folder for drawing files, the command-line output
// collected, and a reactor writing down every document event.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "arx/ap_doc_manager.h"
#include "arx/db_entities.h"
#include "arx/editor.h"
#include "test_lisp_fixture.h"

// Writes each event as "EVENT NAME", NAME the document's title.
class EventLog : public AcApDocManagerReactor {
 public:
  void documentCreated(AcApDocument* doc) override { add(L"created", doc); }
  void documentToBeDestroyed(AcApDocument* doc) override { add(L"toBeDestroyed", doc); }
  void documentActivated(AcApDocument* doc) override { add(L"activated", doc); }
  std::vector<std::wstring> events;

 private:
  void add(const wchar_t* event, AcApDocument* doc) { events.push_back(std::wstring(event) + L" " + doc->docTitle()); }
};

class DocumentsTest : public LispFixture {
 protected:
  DocumentsTest() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              ("ov-docs-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    manager()->hostCloseAll();
    manager()->addReactor(&log_);
  }
  ~DocumentsTest() override {
    manager()->removeReactor(&log_);
    manager()->hostCloseAll();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  static AcApDocManager* manager() { return acDocManagerPtr(); }

  // The full path of a file in the test's folder.
  std::wstring path(const std::string& name) const { return (folder_ / name).wstring(); }

  // Opens (or starts) the drawing of that name in the test's folder.
  AcApDocument* open(const std::string& name) {
    AcApDocument* doc = nullptr;
    std::wstring message;
    EXPECT_EQ(manager()->hostOpenDocument(path(name), doc, message), Acad::eOk) << message;
    return doc;
  }

  static AcDbObjectId addLine(AcDbDatabase* db, double length) {
    AcDbBlockTableRecord* space = nullptr;
    EXPECT_EQ(acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(length, 0, 0));
    AcDbObjectId id;
    EXPECT_EQ(space->appendAcDbEntity(id, line), Acad::eOk);
    line->close();
    space->close();
    return id;
  }

  static int entityCount(AcDbDatabase* db) {
    AcDbBlockTableRecord* space = nullptr;
    if (acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return -1;
    int n = static_cast<int>(space->entityIds().size());
    space->close();
    return n;
  }

  std::filesystem::path folder_;
  EventLog log_;
};
