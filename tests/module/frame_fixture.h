// The frame tests' shared ground: a folder, a current LISP interpreter with the command
// line collected, recorded message boxes, a registry file, and nothing left at the end.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "arx/aced_print.h"
#include "arx/ap_doc_manager.h"
#include "arx/db_entities.h"
#include "lisp/lisp_interpreter.h"
#include "mfc/ui_driver.h"
#include "mfc/ui_script.h"
#include "projectdb/project_database.h"

class ovApplication;

// Writes down every message box and answers from a script when one is set (as ovhost
// --ui does), else from a queue, else with the default button; no file is chosen.
class RecordingUiDriver : public UiDriver {
 public:
  struct Box {
    std::wstring title;
    std::wstring text;
    std::vector<int> buttons;
  };

  int messageBox(const std::wstring& title, const std::wstring& text, UiIcon icon, const std::vector<int>& buttons,
                 int defaultAnswer) override;
  std::optional<std::wstring> pickFile(const std::wstring&, const std::wstring&, const std::wstring&,
                                       const std::wstring&) override {
    return std::nullopt;
  }
  void runDialog(CDialog& dialog) override;

  std::vector<Box> boxes;
  std::deque<int> answers;
  std::unique_ptr<ScriptedUiDriver> script;
  // Called with each dialog as it opens and as it closes.
  std::function<void(const CDialog&)> seeDialog;
};

class FrameTest : public ::testing::Test {
 protected:
  FrameTest();
  ~FrameTest() override;
  // Every document must be unlocked when a test ends, and no unlock may have found no
  // lock; then the context and the documents go.
  void TearDown() override;

  // The full path of a file or folder inside the test's folder.
  std::wstring path(const std::string& relative) const;
  // Makes a project database with the standard customisation in that folder and
  // answers the file's path.
  std::wstring makeProject(const std::string& folder);
  // Opens the drawing there (a new one when no file is there), its folder made first.
  AcApDocument* open(const std::string& relative);
  // Makes a standard project in that folder and opens it through the component as db_,
  // which the test may change with sql and read with the first value of a query: number
  // (-1 when no number came) or text.
  void openProject(const std::string& folder);
  void sql(const std::wstring& statement);
  _variant_t firstValue(const std::wstring& query);
  long number(const std::wstring& query);
  std::wstring text(const std::wstring& query);
  // Appends the entity to the current drawing's model space and closes it.
  static AcDbObjectId appendToModelSpace(AcDbEntity* entity);
  // How often part occurs in text.
  static size_t count(const std::wstring& text, const std::wstring& part);
  // Marks the drawing as one that uses the project database (ORVANE: OV_PLUMB = YES),
  // or with another answer.
  static void markAsUsingProjectDatabase(AcDbDatabase* db, const wchar_t* answer = L"YES");

  // The module context, made as initialisation makes it and registered as the one.
  ovApplication* startContext();
  // Deletes the context if one is still registered.
  void stopContext();

  // The printed value of the text's last form, or "; error: MESSAGE".
  std::wstring eval(const std::string& text);
  // Makes the LISP function "test-call" run body as its registered handler.
  void defineTestCall(std::function<int()> body);
  // Runs a shell command (the sqlite3 tool on a project file, for example).
  static void run(const std::string& command);

  static AcApDocManager* manager() { return acDocManagerPtr(); }

  std::filesystem::path folder_;
  LispInterpreter lisp_;
  LispCurrentScope current_{lisp_};
  std::wstring output_;
  RecordingUiDriver ui_;
  std::wstring projectFile_;
  ProjectDatabasePtr db_;

 private:
  AcedPrintSink previousSink_;
  UiDriver* previousDriver_ = nullptr;
  std::optional<std::string> previousRegistry_;
  std::wstring previousSaveFilePath_;
  int unbalancedAtStart_ = 0;
};
