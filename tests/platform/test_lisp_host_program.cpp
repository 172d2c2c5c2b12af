// The application LISP program's functions as the host provides them: every one the
// module calls is there, refuses arguments of the wrong shape, answers through
// acedInvoke as the module reads it, and keeps what it is meant to keep.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "arx/aced_lisp.h"
#include "lisp/lisp_call_recorder.h"
#include "lisp/lisp_host_program.h"
#include "projectdb/project_repair.h"
#include "test_lisp_fixture.h"

namespace {

using HostProgram = LispFixture;

// The program's functions check the shapes of their arguments before they act, and a
// program that is not there is an error of its own.
TEST_F(HostProgram, FunctionsCheckTheirArguments) {
  const std::pair<const char*, const wchar_t*> calls[] = {
      {"(compactDatabase \"x.ov\" 1 \"Repair\")", L"; error: bad argument 2 of compactDatabase: nil expected"},
      {"(plumb-newPipeType 1)", L"; error: too few arguments"},
      {"(pipeSizingTable-createLabelGroup 1 2)",
       L"; error: bad argument 2 of pipeSizingTable-createLabelGroup: a string expected"},
      {"(plumb-floor-saveGrid 3)", L"; error: bad argument 1 of plumb-floor-saveGrid: a list expected"},
      {"(host-check-arguments \"f\" \"*i\" '(\"any\" 1))", L"T"},  // "*" takes anything
      {"(host-check-arguments \"f\" \"ir\" '(1))", L"; error: too few arguments to f"},
      {"(host-sql \"SELECT 1\")", L"; error: host-sql: no current drawing"},
  };
  for (const auto& [call, answer] : calls) EXPECT_EQ(eval(call), answer) << call;
}

TEST_F(HostProgram, InvokedAsTheModuleDoesTheAnswerHasTheTypeItReads) {
  resbuf* call = acutBuildList(RTSTR, L"pipe-insertFixtureConnection-getdValue", RTLONG, 12, 0);
  resbuf* result = nullptr;
  ASSERT_EQ(acedInvoke(call, &result), RTNORM);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->restype, RTREAL);
  acutRelRb(result);
  acutRelRb(call);

  // A wrong argument is a LISP error: the invocation does not answer RTNORM.
  call = acutBuildList(RTSTR, L"pipe-insertFixtureConnection-getdValue", RTSTR, L"12", 0);
  result = nullptr;
  EXPECT_NE(acedInvoke(call, &result), RTNORM);
  acutRelRb(result);
  acutRelRb(call);
}

TEST_F(HostProgram, ATestCanReplaceAFunctionAndSeeWhatWasSent) {
  {
    LispCallRecorder recorder(lisp_, L"plumb-deletePipeType",
                              [](LispInterpreter&, const LispArgs&) { return LispValue::t(); });
    resbuf* call = acutBuildList(RTSTR, L"plumb-deletePipeType", RTLONG, 7, 0);
    resbuf* result = nullptr;
    ASSERT_EQ(acedInvoke(call, &result), RTNORM);
    ASSERT_EQ(recorder.calls().size(), 1u);
    EXPECT_EQ(recorder.calls()[0][0].intValue(), 7);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->restype, RTT);
    acutRelRb(result);
    acutRelRb(call);
  }
  // The host's own definition is back, argument check included.
  EXPECT_EQ(eval("(plumb-deletePipeType \"7\")"), L"; error: bad argument 1 of plumb-deletePipeType: an integer expected");
}

class ProjectRepair : public HostProgram {
 protected:
  std::filesystem::path folder_ = std::filesystem::temp_directory_path() /
                                  ("ov_repair_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  void SetUp() override { std::filesystem::create_directories(folder_); }
  void TearDown() override { std::filesystem::remove_all(folder_); }
};

TEST_F(ProjectRepair, AMissingOrForeignFileIsNotRepairedAndNotCreated) {
  std::wstring error;
  const auto missing = folder_ / "missing.ov";
  EXPECT_FALSE(projectDatabaseRepair(missing.wstring(), error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(std::filesystem::exists(missing));

  const auto text = folder_ / "notes.ov";
  std::ofstream(text) << "these are not the pages of a database, only words in a text file\n";
  EXPECT_FALSE(projectDatabaseRepair(text.wstring(), error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(eval("(compactDatabase \"" + text.string() + "\" nil \"Repair\")"), L"nil");
}

TEST_F(ProjectRepair, AHealthyFileComesBackWithItsRows) {
  const auto file = folder_ / "Project ov_plumb.ov";
  const std::string make = "sqlite3 '" + file.string() +
                           "' 'CREATE TABLE tblFloor (ixFloor INTEGER PRIMARY KEY, sName TEXT);"
                           " CREATE INDEX tblFloor__sName ON tblFloor (sName);"
                           " INSERT INTO tblFloor (sName) VALUES (\"Level 1\"), (\"Level 2\");'";
  ASSERT_EQ(std::system(make.c_str()), 0) << make;
  EXPECT_EQ(eval("(compactDatabase \"" + file.string() + "\" nil \"Repair\")"), L"T");
  const std::string count = "test \"$(sqlite3 '" + file.string() + "' 'SELECT count(*) FROM tblFloor')\" = 2";
  EXPECT_EQ(std::system(count.c_str()), 0);
}

}  // namespace
