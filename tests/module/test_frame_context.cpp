// The document and project context: records following the host's documents, one connection
// per folder, the drawing's mark, finding and repairing the database, reporting its errors.
// A drawing saved into another folder changing project is in scripts/frame_save_folder.
#include <gtest/gtest.h>

#include <fstream>

#include "arx/aced_lisp.h"
#include "frame/context.h"
#include "frame/function_table.h"
#include "frame_fixture.h"
#include "lisp/lisp_call_recorder.h"

namespace {

class ProjectContext : public FrameTest {
 protected:
  void save(AcApDocument* doc, const std::string& relative) {
    std::wstring message;
    ASSERT_EQ(manager()->hostSaveDocument(doc, relative.empty() ? L"" : path(relative), message), Acad::eOk)
        << acutWideToUtf8(message);
  }
  // Writes an empty file; the search looks at names only.
  void touch(const std::string& relative) {
    std::filesystem::create_directories((folder_ / relative).parent_path());
    std::ofstream(folder_ / relative).put('\n');
  }
};

TEST_F(ProjectContext, FoldersAndNamesSplitAtTheLastSeparatorOfEitherKind) {
  EXPECT_EQ(ovFolderOf(L"/work/jobs/plan.hdw"), L"/work/jobs");
  EXPECT_EQ(ovNameOf(L"/work/jobs/plan.hdw"), L"plan.hdw");
  EXPECT_EQ(ovFolderOf(L"C:\\Jobs\\A/B\\plan.dwg"), L"C:\\Jobs\\A/B");
  EXPECT_EQ(ovNameOf(L"C:\\Jobs\\A/B\\plan.dwg"), L"plan.dwg");
  EXPECT_EQ(ovFolderOf(L"plan.dwg"), L"");
  EXPECT_EQ(ovNameOf(L"plan.dwg"), L"");
}

// The documents open at start and those opened later are recorded with their folder's
// project; activation keeps the current one at the head; closing the last drawing of a
// folder ends its project and its connection is shared until then.
TEST_F(ProjectContext, DrawingsOfOneFolderShareOneProjectAndOneConnection) {
  makeProject("proj");
  AcApDocument* first = open("proj/first.hdw");
  ovApplication* context = startContext();
  AcApDocument* second = open("proj/second.hdw");
  AcApDocument* elsewhere = open("other/third.hdw");
  ASSERT_TRUE(first && second && elsewhere);
  ASSERT_EQ(context->documents().size(), 3u);
  ASSERT_EQ(context->projects().size(), 2u);
  ovPerProjectData* project = context->findProject(path("proj"));
  ASSERT_NE(project, nullptr);
  EXPECT_EQ(project->documentCount, 2u);
  EXPECT_EQ(context->findProject(path("other"))->documentCount, 1u);
  EXPECT_EQ(context->currentDocData()->path, elsewhere->fileName());
  for (AcApDocument* doc : {first, elsewhere, second, first}) {
    manager()->activateDocument(doc);
    EXPECT_EQ(context->currentDocData()->path, doc->fileName());
    EXPECT_EQ(context->documents().size(), 3u) << "activation adds no record";
  }

  ovPerDocData* firstData = context->currentDocData();
  EXPECT_EQ(firstData->name, L"first.hdw");
  EXPECT_EQ(firstData->project, project);
  EXPECT_EQ(firstData->database, first->database());
  ASSERT_TRUE(context->connect(firstData, true, kModuleToken));
  ProjectDatabase* connection = project->connection.GetInterfacePtr();
  manager()->activateDocument(second);
  ASSERT_TRUE(context->connect(context->currentDocData(), true, kModuleToken));
  EXPECT_EQ(project->connection.GetInterfacePtr(), connection) << "the second drawing reuses the connection";

  ASSERT_EQ(manager()->closeDocument(first), Acad::eOk);
  EXPECT_EQ(context->findProject(path("proj")), project);
  EXPECT_EQ(project->documentCount, 1u);
  EXPECT_TRUE(ovIsOpen(project->connection));
  EXPECT_EQ(context->currentDocData()->path, manager()->mdiActiveDocument()->fileName());
  ASSERT_EQ(manager()->closeDocument(second), Acad::eOk);
  EXPECT_EQ(context->findProject(path("proj")), nullptr);
  EXPECT_EQ(context->projects().size(), 1u);
  EXPECT_EQ(context->documents().size(), 1u);
  EXPECT_EQ(output_, L"");
}

TEST_F(ProjectContext, OnlyADrawingMarkedYesConnectsWhenItsProjectIsCreated) {
  for (const char* folder : {"marked", "plain", "declined"}) {
    makeProject(folder);
    AcApDocument* doc = open(std::string(folder) + "/plan.hdw");
    ASSERT_NE(doc, nullptr);
    if (folder[0] != 'p') markAsUsingProjectDatabase(doc->database(), folder[0] == 'm' ? L"YES" : L"NO");
    save(doc, "");
  }
  manager()->hostCloseAll();

  ovApplication* context = startContext();
  ASSERT_NE(open("marked/plan.hdw"), nullptr);
  ovPerProjectData* marked = context->findProject(path("marked"));
  EXPECT_TRUE(ovIsOpen(marked->connection));
  EXPECT_TRUE(marked->globals && marked->layers && marked->layerKeys && marked->layerSystems && marked->textStyles);
  ASSERT_NE(open("declined/plan.hdw"), nullptr);
  EXPECT_FALSE(context->findProject(path("declined"))->connection) << "the mark must say YES";
  ASSERT_NE(open("plain/plan.hdw"), nullptr);
  ovPerProjectData* plain = context->findProject(path("plain"));
  EXPECT_FALSE(plain->connection);
  EXPECT_FALSE(plain->globals || plain->layers || plain->layerKeys);
  // The first call that needs the database connects it, telling the user nothing.
  EXPECT_TRUE(context->connect(context->currentDocData(), true, kModuleToken));
  EXPECT_TRUE(plain->layers != nullptr);
  EXPECT_EQ(output_, L"");

  // Disconnecting drops the tables and closes; the next call reconnects.
  ovRegisterLispFunctions();
  EXPECT_EQ(eval("(ov_plumb-disconnect)"), L"nil");
  EXPECT_FALSE(ovIsOpen(plain->connection));
  EXPECT_FALSE(plain->globals || plain->layers || plain->layerKeys || plain->layerSystems || plain->textStyles);
  EXPECT_EQ(eval("(ov_plumb-getLayer \"CW\" 1)"), L"\"P-DOMW-CPIP\"");
  EXPECT_TRUE(ovIsOpen(plain->connection));
  EXPECT_EQ(output_, L"");
}

TEST_F(ProjectContext, TheAlignmentPointCheckTellsOnlyWhenAsked) {
  ovApplication* context = startContext();
  ASSERT_NE(open("p/plan.hdw"), nullptr);
  ovPerDocData* data = context->currentDocData();
  EXPECT_FALSE(ovCheckAlignmentPoint(data, false));
  EXPECT_EQ(output_, L"") << "a new document is checked silently";
  EXPECT_FALSE(ovCheckAlignmentPoint(data, true));
  EXPECT_EQ(output_, L"\nAlignment point not set yet!\nIt must be set before ducts can be inserted.");
  data->alignmentPointSet = true;
  output_.clear();
  EXPECT_TRUE(ovCheckAlignmentPoint(data, true));
  EXPECT_EQ(output_, L"");
}

// ---- finding the database file -----------------------------------------------------

// The one candidate of the folder is the database; office files never are (52-OV counts
// only at the start of the name); an older .mdb is taken when the .ov search gives not
// exactly one.
TEST_F(ProjectContext, TheOneCandidateOfTheFolderIsTheDatabase) {
  const struct {
    std::vector<const char*> files;
    const char* found;
  } cases[] = {
      {{}, nullptr},
      {{"Project ov_plumb.ov", "notes.ov", "ov_plumb.txt"}, "Project ov_plumb.ov"},
      {{"A ov_plumb.ov", "B ov_plumb.ov"}, nullptr},
      {{"52-OV Office ov_plumb.ov", "52-ov lower ov_plumb.ov", "Office_MASTER ov_plumb.ov",
        "office_standards ov_plumb.ov"},
       nullptr},
      {{"52-OV Office ov_plumb.ov", "Office_MASTER ov_plumb.ov", "Job 52-OV ov_plumb.ov"}, "Job 52-OV ov_plumb.ov"},
      {{"Project ov_plumb.mdb"}, "Project ov_plumb.mdb"},
      {{"Project ov_plumb.ov", "Project ov_plumb.mdb"}, "Project ov_plumb.ov"},
      {{"A ov_plumb.ov", "B ov_plumb.ov", "C ov_plumb.mdb"}, "C ov_plumb.mdb"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string folder = "f" + std::to_string(++n);
    std::filesystem::create_directories(folder_ / folder);
    for (const char* file : c.files) touch(folder + "/" + file);
    EXPECT_EQ(ovFindDatabaseFile(path(folder), kModuleToken), c.found ? path(folder + "/" + c.found) : L"") << n;
  }
}

TEST_F(ProjectContext, OpeningReportsAMissingDatabaseOnlyWhenReportingAndAnOpenProjectIsLeft) {
  touch("two/A ov_plumb.ov");
  touch("two/B ov_plumb.ov");
  std::filesystem::create_directories(folder_ / "none");
  for (const char* folder : {"none", "two"}) {
    SCOPED_TRACE(folder);
    ovPerProjectData project(path(folder));
    output_.clear();
    EXPECT_FALSE(ovOpenProject(&project, path(folder), kModuleToken, false));
    EXPECT_EQ(output_, L"");
    EXPECT_FALSE(ovOpenProject(&project, path(folder) + L"  \t", kModuleToken, true));
    EXPECT_EQ(output_, L"\nError finding the plumbing database.");
    EXPECT_EQ(project.key, path(folder)) << "the key is kept without trailing blanks";
    EXPECT_FALSE(project.connection);
  }
  ovPerProjectData blank(L"");
  output_.clear();
  EXPECT_FALSE(ovOpenProject(&blank, L"   ", kModuleToken, true));
  EXPECT_EQ(output_, L"") << "a blank folder is nothing to open";

  makeProject("proj");
  ovPerProjectData project(path("proj"));
  ASSERT_TRUE(ovOpenProject(&project, path("proj"), kModuleToken, true));
  ProjectDatabase* connection = project.connection.GetInterfacePtr();
  EXPECT_FALSE(ovOpenProject(&project, path("proj"), kModuleToken, true));
  EXPECT_EQ(project.connection.GetInterfacePtr(), connection);
}

// ---- repair --------------------------------------------------------------------------

class DamagedProject : public ProjectContext {
 protected:
  void SetUp() override {
    file_ = makeProject("proj");
    // An index whose entries no longer match its definition fails the integrity
    // check, and rebuilding the indexes mends it.
    const std::string file = "'" + acutWideToUtf8(file_) + "'";
    run("sqlite3 " + file +
        " 'CREATE TABLE zScratch (a INTEGER, b INTEGER); CREATE INDEX zScratch_a ON zScratch (a);"
        " INSERT INTO zScratch VALUES (1, 9), (2, 8), (3, 7);'");
    run("sqlite3 " + file +
        " \"PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = 'CREATE INDEX zScratch_a ON zScratch (b)'"
        " WHERE name = 'zScratch_a';\"");
    ASSERT_NE(open("proj/plan.hdw"), nullptr);
    context_ = startContext();
  }

  bool connect(bool report = true) { return context_->connect(context_->currentDocData(), report, kModuleToken); }
  ovPerProjectData* project() { return context_->currentDocData()->project; }

  std::wstring file_;
  ovApplication* context_ = nullptr;
};

// A repair that did not mend is reported after one more open; a refused one (nil) without
// it. Either way the error is printed once, no connection is kept and each later connect
// tries again. The LISP program's own repair mends it and the second open succeeds.
TEST_F(DamagedProject, TheLispProgramRepairsItOrTheFailureIsReportedOnce) {
  for (bool refused : {false, true}) {
    SCOPED_TRACE(refused ? "refused" : "not mended");
    LispCallRecorder compact(lisp_, L"compactDatabase",
                             [refused](LispInterpreter&, const LispArgs&) { return refused ? LispValue() : LispValue::t(); });
    output_.clear();
    EXPECT_FALSE(connect());
    EXPECT_EQ(compact.calls().size(), 1u);
    EXPECT_EQ(count(output_, L"\nDatabase Error: "), 1u) << acutWideToUtf8(output_);
    EXPECT_NE(output_.find(L"failed its integrity check"), std::wstring::npos) << acutWideToUtf8(output_);
    EXPECT_EQ(count(output_, L"\nCannot connect to the plumbing database (Connection Error Code 1)."), 1u);
    EXPECT_EQ(ovLastDatabaseError().rfind(L"(3049) ", 0), 0u) << acutWideToUtf8(ovLastDatabaseError());
    EXPECT_FALSE(project()->connection) << "a reported failure keeps no connection";
    EXPECT_FALSE(connect(false));
    EXPECT_EQ(compact.calls().size(), 2u);
  }
  LispCallRecorder compact(lisp_, L"compactDatabase");
  output_.clear();
  ASSERT_TRUE(connect()) << acutWideToUtf8(output_);
  ASSERT_EQ(compact.calls().size(), 1u);
  const LispArgs& args = compact.calls().front();
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[0].text(), file_);
  EXPECT_TRUE(args[1].isNil());
  EXPECT_EQ(args[2].text(), L"Repair");
  EXPECT_TRUE(ovIsOpen(project()->connection) && project()->layerKeys != nullptr);
  EXPECT_EQ(output_, L"");
}

// ---- reporting database errors -------------------------------------------------------

class DatabaseErrors : public ProjectContext {
 protected:
  void SetUp() override { openProject("proj"); }
  // Runs a statement the component refuses.
  void failStatement(const std::wstring& statement) {
    try {
      db_->Execute(_bstr_t(statement.c_str()));
    } catch (const _com_error&) {
    }
  }
};

TEST_F(DatabaseErrors, EachErrorIsKeptWithItsCodeAndPrintedByKind) {
  EXPECT_FALSE(ovReportDatabaseError(db_)) << "no pending error is no report";
  EXPECT_FALSE(ovReportDatabaseError(ProjectDatabasePtr()));
  EXPECT_EQ(output_, L"");

  // No current record: kept but not printed.
  db_->SelectTable(_bstr_t(L"tblFloor"), _bstr_t(L""));
  try {
    _variant_t ignored;
    db_->DeleteRecord(&ignored);
  } catch (const _com_error&) {
  }
  EXPECT_TRUE(ovReportDatabaseError(db_));
  EXPECT_EQ(output_, L"");
  EXPECT_EQ(ovLastDatabaseError().rfind(L"(3021) ", 0), 0u) << acutWideToUtf8(ovLastDatabaseError());

  // Any other error prints the component's message.
  failStatement(L"select * from tblNoSuchTable");
  EXPECT_TRUE(ovReportDatabaseError(db_));
  const std::wstring last = ovLastDatabaseError();
  ASSERT_EQ(last.rfind(L"(3000) ", 0), 0u) << acutWideToUtf8(last);
  EXPECT_NE(last.find(L"tblNoSuchTable"), std::wstring::npos);
  EXPECT_EQ(output_, L"\nDatabase Error: " + last.substr(7));

  // A disk failure gets the fixed advice.
  output_.clear();
  sql(L"PRAGMA max_page_count = 1");
  failStatement(L"insert into tblGlobal (sKey, sText) values (\"big\", hex(zeroblob(2000000)))");
  EXPECT_TRUE(ovReportDatabaseError(db_));
  EXPECT_EQ(output_,
            L"\nA disk or network error occurred while trying to access the database."
            L"Try the command again. If it continues to not work, try restarting AutoCAD. If that does not fix the "
            L"error, try restarting your computer.");
  EXPECT_EQ(ovLastDatabaseError().rfind(L"(3043) ", 0), 0u) << acutWideToUtf8(ovLastDatabaseError());

  // Inside a LISP call a report sets the result to nil.
  defineTestCall([this] {
    acedRetT();
    failStatement(L"select * from tblNoSuchTable");
    ovReportDatabaseError(db_);
    return RSRSLT;
  });
  EXPECT_EQ(eval("(test-call)"), L"nil");
}

}  // namespace
