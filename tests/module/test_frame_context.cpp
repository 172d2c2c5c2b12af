// The document and project context: records following the host's documents, one connection
// per folder, the drawing's mark, finding and repairing the database, reporting its errors.
#include <gtest/gtest.h>

#include <fstream>

#include "arx/aced_lisp.h"
#include "arx/sysvars.h"
#include "frame/context.h"
#include "frame/function_table.h"
#include "frame_fixture.h"
#include "lisp/lisp_call_recorder.h"

namespace {

class ProjectContext : public FrameTest {
 protected:
  std::wstring fileName(AcApDocument* doc) const { return doc->fileName(); }

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

TEST_F(ProjectContext, DrawingsOfOneFolderShareOneProjectAndOneConnection) {
  makeProject("proj");
  ovApplication* context = startContext();
  AcApDocument* first = open("proj/first.hdw");
  AcApDocument* second = open("proj/second.hdw");
  AcApDocument* elsewhere = open("other/third.hdw");
  ASSERT_TRUE(first && second && elsewhere);
  ASSERT_EQ(context->documents().size(), 3u);
  ASSERT_EQ(context->projects().size(), 2u);
  ovPerProjectData* project = context->findProject(path("proj"));
  ASSERT_NE(project, nullptr);
  EXPECT_EQ(project->documentCount, 2u);
  EXPECT_EQ(context->findProject(path("other"))->documentCount, 1u);

  manager()->activateDocument(first);
  ovPerDocData* firstData = context->currentDocData();
  ASSERT_EQ(firstData->path, fileName(first));
  EXPECT_EQ(firstData->name, L"first.hdw");
  EXPECT_EQ(firstData->project, project);
  EXPECT_EQ(firstData->database, first->database());
  ASSERT_TRUE(context->connect(firstData, true, kModuleToken));
  ProjectDatabase* connection = project->connection.GetInterfacePtr();
  manager()->activateDocument(second);
  ASSERT_EQ(context->currentDocData()->project, project);
  ASSERT_TRUE(context->connect(context->currentDocData(), true, kModuleToken));
  EXPECT_EQ(project->connection.GetInterfacePtr(), connection) << "the second drawing reuses the connection";

  ASSERT_EQ(manager()->closeDocument(first), Acad::eOk);
  ASSERT_EQ(context->findProject(path("proj")), project);
  EXPECT_EQ(project->documentCount, 1u);
  EXPECT_TRUE(ovIsOpen(project->connection));
  ASSERT_EQ(manager()->closeDocument(second), Acad::eOk);
  EXPECT_EQ(context->findProject(path("proj")), nullptr);
  EXPECT_EQ(context->projects().size(), 1u);
  EXPECT_EQ(context->documents().size(), 1u);
  EXPECT_EQ(output_, L"");
}

TEST_F(ProjectContext, TheDocumentsOpenAtStartAreRecordedWithTheirProject) {
  AcApDocument* a = open("p/a.hdw");
  AcApDocument* b = open("p/b.hdw");
  ASSERT_TRUE(a && b);
  manager()->activateDocument(a);
  ovApplication* context = startContext();
  ASSERT_EQ(context->documents().size(), 2u);
  EXPECT_EQ(context->projects().size(), 1u);
  EXPECT_EQ(context->findProject(path("p"))->documentCount, 2u);
}

TEST_F(ProjectContext, ActivationKeepsTheCurrentDocumentAtTheHead) {
  ovApplication* context = startContext();
  AcApDocument* a = open("p/a.hdw");
  AcApDocument* b = open("p/b.hdw");
  AcApDocument* c = open("q/c.hdw");
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(context->currentDocData()->path, fileName(c));
  for (AcApDocument* doc : {a, c, b, a}) {
    manager()->activateDocument(doc);
    EXPECT_EQ(context->currentDocData()->path, fileName(doc));
    EXPECT_EQ(context->documents().size(), 3u) << "activation adds no record";
  }
  ASSERT_EQ(manager()->closeDocument(a), Acad::eOk);
  ASSERT_NE(manager()->mdiActiveDocument(), nullptr);
  EXPECT_EQ(context->currentDocData()->path, fileName(manager()->mdiActiveDocument()));
  EXPECT_EQ(context->documents().size(), 2u);
}

TEST_F(ProjectContext, SavingUnderANameInAnotherFolderMovesTheDocumentToThatProject) {
  makeProject("one");
  makeProject("two");
  ovApplication* context = startContext();
  AcApDocument* doc = open("one/plan.hdw");
  ASSERT_NE(doc, nullptr);
  ASSERT_TRUE(context->connect(context->currentDocData(), true, kModuleToken));
  save(doc, "two/renamed.hdw");
  ovPerDocData* data = context->currentDocData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->path, path("two/renamed.hdw"));
  EXPECT_EQ(data->name, L"renamed.hdw");
  EXPECT_EQ(data->database, doc->database());
  ASSERT_NE(data->project, nullptr);
  EXPECT_EQ(data->project->key, path("two"));
  EXPECT_EQ(context->documents().size(), 1u);
  ASSERT_EQ(context->projects().size(), 1u) << "the old folder's project went with its last drawing";
  EXPECT_TRUE(context->connect(data, true, kModuleToken));
}

TEST_F(ProjectContext, SavingUnderItsOwnNameOrAutomaticallyChangesNothing) {
  ovApplication* context = startContext();
  AcApDocument* doc = open("one/plan.hdw");
  ASSERT_NE(doc, nullptr);
  ovPerDocData* data = context->currentDocData();
  ovPerProjectData* project = data->project;
  save(doc, "");
  ASSERT_EQ(context->currentDocData(), data);

  resbuf saveFile{};
  ASSERT_EQ(acedGetVar(L"savefile", &saveFile), RTNORM);
  const std::wstring automatic = saveFile.resval.rstring;
  acutDelString(saveFile.resval.rstring);
  ASSERT_EQ(ovFolderOf(automatic), path("autosave")) << "the automatic save lies in another folder";
  std::wstring message;
  ASSERT_EQ(manager()->hostAutoSaveDocument(doc, automatic, message), Acad::eOk) << acutWideToUtf8(message);
  EXPECT_TRUE(std::filesystem::exists(folder_ / "autosave" / "plan.sv$"));
  ASSERT_EQ(context->documents().size(), 1u);
  EXPECT_EQ(context->currentDocData()->path, path("one/plan.hdw"));
  EXPECT_EQ(context->currentDocData(), data);
  EXPECT_EQ(context->projects().size(), 1u);
  EXPECT_EQ(context->projects().front().get(), project);
}

TEST_F(ProjectContext, OnlyAMarkedDrawingConnectsWhenItsProjectIsCreated) {
  makeProject("marked");
  makeProject("plain");
  makeProject("declined");
  for (const char* name : {"marked/plan.hdw", "plain/plan.hdw", "declined/plan.hdw"}) {
    AcApDocument* doc = open(name);
    ASSERT_NE(doc, nullptr);
    if (std::string(name).starts_with("marked")) markAsUsingProjectDatabase(doc->database());
    if (std::string(name).starts_with("declined")) markAsUsingProjectDatabase(doc->database(), L"NO");
    save(doc, "");
  }
  manager()->hostCloseAll();

  ovApplication* context = startContext();
  ASSERT_NE(open("marked/plan.hdw"), nullptr);
  ovPerProjectData* marked = context->findProject(path("marked"));
  ASSERT_NE(marked, nullptr);
  EXPECT_TRUE(ovIsOpen(marked->connection));
  EXPECT_TRUE(marked->globals && marked->layers && marked->layerKeys && marked->layerSystems && marked->textStyles);

  ASSERT_NE(open("declined/plan.hdw"), nullptr);
  EXPECT_FALSE(context->findProject(path("declined"))->connection) << "the mark must say YES";
  ASSERT_NE(open("plain/plan.hdw"), nullptr);
  ovPerProjectData* plain = context->findProject(path("plain"));
  ASSERT_NE(plain, nullptr);
  EXPECT_FALSE(plain->connection);
  EXPECT_FALSE(plain->globals || plain->layers || plain->layerKeys);
  EXPECT_EQ(output_, L"");
  // The first call that needs the database connects it, telling the user nothing.
  EXPECT_TRUE(context->connect(context->currentDocData(), true, kModuleToken));
  EXPECT_TRUE(plain->layers != nullptr);
  EXPECT_EQ(output_, L"");
}

TEST_F(ProjectContext, DisconnectDropsTheTablesAndClosesAndTheNextCallReconnects) {
  makeProject("proj");
  ASSERT_NE(open("proj/plan.hdw"), nullptr);
  ovApplication* context = startContext();
  ovRegisterLispFunctions();
  ovPerProjectData* project = context->currentDocData()->project;
  ASSERT_TRUE(context->connect(context->currentDocData(), true, kModuleToken));
  EXPECT_EQ(eval("(ov_plumb-disconnect)"), L"nil");
  EXPECT_FALSE(ovIsOpen(project->connection));
  EXPECT_FALSE(project->globals || project->layers || project->layerKeys || project->layerSystems ||
               project->textStyles);
  EXPECT_EQ(eval("(ov_plumb-getLayer \"CW\" 1)"), L"\"P-DOMW-CPIP\"");
  EXPECT_TRUE(ovIsOpen(project->connection));
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

TEST_F(ProjectContext, TheOneCandidateOfTheFolderIsTheDatabase) {
  std::filesystem::create_directories(folder_ / "none");
  EXPECT_EQ(ovFindDatabaseFile(path("none"), kModuleToken), L"");

  touch("one/Project ov_plumb.ov");
  touch("one/notes.ov");
  touch("one/ov_plumb.txt");
  EXPECT_EQ(ovFindDatabaseFile(path("one"), kModuleToken), path("one/Project ov_plumb.ov"));

  touch("two/A ov_plumb.ov");
  touch("two/B ov_plumb.ov");
  EXPECT_EQ(ovFindDatabaseFile(path("two"), kModuleToken), L"") << "two candidates give none";
}

TEST_F(ProjectContext, OfficeFilesAreNeverTheProjectDatabase) {
  touch("f/52-OV Office ov_plumb.ov");
  touch("f/52-ov lower ov_plumb.ov");
  touch("f/Office_MASTER ov_plumb.ov");
  touch("f/office_standards ov_plumb.ov");
  EXPECT_EQ(ovFindDatabaseFile(path("f"), kModuleToken), L"");
  touch("f/Job 52-OV ov_plumb.ov");
  EXPECT_EQ(ovFindDatabaseFile(path("f"), kModuleToken), path("f/Job 52-OV ov_plumb.ov"))
      << "52-OV counts only at the start of the name";
}

TEST_F(ProjectContext, AnOlderMdbFileIsTakenWhenTheOvSearchGivesNotExactlyOne) {
  touch("old/Project ov_plumb.mdb");
  EXPECT_EQ(ovFindDatabaseFile(path("old"), kModuleToken), path("old/Project ov_plumb.mdb"));
  touch("both/Project ov_plumb.ov");
  touch("both/Project ov_plumb.mdb");
  EXPECT_EQ(ovFindDatabaseFile(path("both"), kModuleToken), path("both/Project ov_plumb.ov"));
  touch("many/A ov_plumb.ov");
  touch("many/B ov_plumb.ov");
  touch("many/C ov_plumb.mdb");
  EXPECT_EQ(ovFindDatabaseFile(path("many"), kModuleToken), path("many/C ov_plumb.mdb"));
}

TEST_F(ProjectContext, AMissingDatabaseIsReportedOnlyWhenReporting) {
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
}

TEST_F(ProjectContext, OpeningAnOpenProjectDoesNothing) {
  makeProject("proj");
  ovPerProjectData project(path("proj"));
  ASSERT_TRUE(ovOpenProject(&project, path("proj"), kModuleToken, true));
  ASSERT_TRUE(ovIsOpen(project.connection));
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

  bool connect() { return context_->connect(context_->currentDocData(), true, kModuleToken); }
  ovPerProjectData* project() { return context_->currentDocData()->project; }

  static size_t count(const std::wstring& text, const std::wstring& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }

  std::wstring file_;
  ovApplication* context_ = nullptr;
};

TEST_F(DamagedProject, TheLispProgramRepairsItOnceAndTheSecondOpenSucceeds) {
  LispCallRecorder compact(lisp_, L"compactDatabase");
  ASSERT_TRUE(connect()) << acutWideToUtf8(output_);
  ASSERT_EQ(compact.calls().size(), 1u);
  const LispArgs& args = compact.calls().front();
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[0].text(), file_);
  EXPECT_TRUE(args[1].isNil());
  EXPECT_EQ(args[2].text(), L"Repair");
  EXPECT_TRUE(ovIsOpen(project()->connection));
  EXPECT_TRUE(project()->layerKeys != nullptr);
  EXPECT_EQ(output_, L"");
}

TEST_F(DamagedProject, ARepairThatDidNotMendIsReportedAfterOneMoreOpen) {
  LispCallRecorder compact(lisp_, L"compactDatabase", [](LispInterpreter&, const LispArgs&) { return LispValue::t(); });
  EXPECT_FALSE(connect());
  EXPECT_EQ(compact.calls().size(), 1u);
  EXPECT_EQ(count(output_, L"\nDatabase Error: "), 1u) << acutWideToUtf8(output_);
  EXPECT_NE(output_.find(L"failed its integrity check"), std::wstring::npos) << acutWideToUtf8(output_);
  EXPECT_EQ(count(output_, L"\nCannot connect to the plumbing database (Connection Error Code 1)."), 1u);
  EXPECT_EQ(ovLastDatabaseError().rfind(L"(3049) ", 0), 0u) << acutWideToUtf8(ovLastDatabaseError());
  EXPECT_FALSE(project()->connection) << "a reported failure keeps no connection";
}

TEST_F(DamagedProject, ARefusedRepairIsReportedWithoutAnotherOpen) {
  LispCallRecorder compact(lisp_, L"compactDatabase", [](LispInterpreter&, const LispArgs&) { return LispValue(); });
  EXPECT_FALSE(connect());
  EXPECT_EQ(compact.calls().size(), 1u);
  EXPECT_EQ(count(output_, L"\nDatabase Error: "), 1u) << acutWideToUtf8(output_);
  EXPECT_FALSE(project()->connection);
  output_.clear();
  EXPECT_FALSE(context_->connect(context_->currentDocData(), false, kModuleToken));
  EXPECT_EQ(compact.calls().size(), 2u) << "each later connect tries again";
}

// ---- reporting database errors -------------------------------------------------------

class DatabaseErrors : public ProjectContext {
 protected:
  void SetUp() override {
    const std::wstring file = makeProject("proj");
    ASSERT_TRUE(SUCCEEDED(db_.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL)));
    ASSERT_EQ(std::wstring(db_->OpenProjectDatabase(_bstr_t(file.c_str()), 0, 0)), L"OK");
  }
  void TearDown() override {
    _variant_t ignored;
    db_->CloseDatabase(&ignored);
    ProjectContext::TearDown();
  }

  // Runs a statement the component refuses.
  void failStatement(const std::wstring& sql) {
    try {
      db_->Execute(_bstr_t(sql.c_str()));
    } catch (const _com_error&) {
    }
  }

  ProjectDatabasePtr db_;
};

TEST_F(DatabaseErrors, NoPendingErrorIsNoReport) {
  EXPECT_FALSE(ovReportDatabaseError(db_));
  EXPECT_FALSE(ovReportDatabaseError(ProjectDatabasePtr()));
  EXPECT_EQ(output_, L"");
}

TEST_F(DatabaseErrors, NoCurrentRecordIsKeptButNotPrinted) {
  db_->SelectTable(_bstr_t(L"tblFloor"), _bstr_t(L""));
  try {
    _variant_t ignored;
    db_->DeleteRecord(&ignored);
  } catch (const _com_error&) {
  }
  EXPECT_TRUE(ovReportDatabaseError(db_));
  EXPECT_EQ(output_, L"");
  EXPECT_EQ(ovLastDatabaseError().rfind(L"(3021) ", 0), 0u) << acutWideToUtf8(ovLastDatabaseError());
}

TEST_F(DatabaseErrors, ADiskFailureGetsTheFixedAdvice) {
  db_->Execute(_bstr_t(L"PRAGMA max_page_count = 1"));
  failStatement(L"insert into tblGlobal (sKey, sText) values (\"big\", hex(zeroblob(2000000)))");
  EXPECT_TRUE(ovReportDatabaseError(db_));
  EXPECT_EQ(output_,
            L"\nA disk or network error occurred while trying to access the database."
            L"Try the command again. If it continues to not work, try restarting AutoCAD. If that does not fix the "
            L"error, try restarting your computer.");
  EXPECT_EQ(ovLastDatabaseError().rfind(L"(3043) ", 0), 0u) << acutWideToUtf8(ovLastDatabaseError());
}

TEST_F(DatabaseErrors, AnyOtherErrorPrintsTheComponentsMessage) {
  failStatement(L"select * from tblNoSuchTable");
  EXPECT_TRUE(ovReportDatabaseError(db_));
  const std::wstring& last = ovLastDatabaseError();
  ASSERT_EQ(last.rfind(L"(3000) ", 0), 0u) << acutWideToUtf8(last);
  const std::wstring message = last.substr(7);
  EXPECT_NE(message.find(L"tblNoSuchTable"), std::wstring::npos);
  EXPECT_EQ(output_, L"\nDatabase Error: " + message);
}

TEST_F(DatabaseErrors, AReportSetsTheLispResultToNil) {
  defineTestCall([this] {
    acedRetT();
    failStatement(L"select * from tblNoSuchTable");
    ovReportDatabaseError(db_);
    return RSRSLT;
  });
  EXPECT_EQ(eval("(test-call)"), L"nil");
}

}  // namespace
