// The call frames: statuses as the LISP caller sees them, the write lock held for the
// worker's span only, exceptions passed on after the unlock, and the context checks.
#include <gtest/gtest.h>

#include <stdexcept>

#include "arx/aced_lisp.h"
#include "arx/editor.h"
#include "com/com_error.h"
#include "frame/context.h"
#include "frame/lisp_frame.h"
#include "frame_fixture.h"
#include "mfc/afx_exceptions.h"

namespace {

class CallFrame : public FrameTest {
 protected:
  void SetUp() override {
    doc_ = open("p/plan.hdw");
    ASSERT_NE(doc_, nullptr);
  }

  // LISP's answer to a call whose handler runs `worker` in the standard frame.
  std::wstring callWithStatus(int status, std::function<void()> before = {}) {
    defineTestCall([status, before] {
      return runInDocument([status, before] {
        if (before) before();
        return status;
      });
    });
    output_.clear();
    return eval("(test-call)");
  }

  AcApDocument* doc_ = nullptr;
};

TEST_F(CallFrame, ArgumentStatusesPrintTheirOneMessageAndFailTheCall) {
  const struct {
    int status;
    const wchar_t* message;
  } cases[] = {
      {kWorkerTooFewArgs, L"\nToo few arguments passed.\n"},
      {kWorkerWrongType, L"\nWrong type of arguments passed.\n"},
      {kWorkerBadData, L"\nBad data passed .\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(callWithStatus(c.status), L"; error: ADS request error") << "status " << c.status;
    EXPECT_EQ(output_, c.message) << "status " << c.status;
  }
}

TEST_F(CallFrame, DoneAnswersTheResultSetOrNil) {
  EXPECT_EQ(callWithStatus(kWorkerDone), L"nil");
  EXPECT_EQ(callWithStatus(kWorkerDone, [] { acedRetReal(2.5); }), L"2.5");
  EXPECT_EQ(callWithStatus(7, [] { acedRetStr(L"kept"); }), L"\"kept\"") << "an unknown status counts as done";
  EXPECT_EQ(callWithStatus(-1, [] { acedRetT(); }), L"T");
  EXPECT_EQ(output_, L"");
}

TEST_F(CallFrame, FailedAfterTellingAsksForTheTextScreenAndPrintsNothing) {
  const int before = hostTextScreenRequests();
  EXPECT_EQ(callWithStatus(kWorkerFailedTold, [] { acedRetT(); }), L"; error: ADS request error");
  EXPECT_EQ(hostTextScreenRequests(), before + 1);
  EXPECT_EQ(output_, L"");
  EXPECT_EQ(callWithStatus(kWorkerBadData), L"; error: ADS request error");
  EXPECT_EQ(hostTextScreenRequests(), before + 1) << "only status 4 switches the screen";
}

TEST_F(CallFrame, TheWorkingDocumentIsWriteLockedForTheWorkerOnly) {
  AcApDocument* other = doc_;
  AcApDocument* working = open("q/other.hdw");
  ASSERT_NE(working, nullptr);
  ASSERT_EQ(manager()->curDocument(), working);
  int workingLocks = -1, otherLocks = -1;
  AcAp::DocLockMode mode = AcAp::kNone;
  const auto look = [&] {
    workingLocks = working->hostLockCount();
    otherLocks = other->hostLockCount();
    mode = working->myLockMode();
    return kWorkerDone;
  };
  EXPECT_EQ(runInDocument(look), RSRSLT);
  EXPECT_EQ(workingLocks, 1);
  EXPECT_EQ(mode, AcAp::kWrite);
  EXPECT_EQ(otherLocks, 0);
  EXPECT_EQ(working->hostLockCount(), 0);

  workingLocks = -1;
  EXPECT_EQ(runLocked(look), RSRSLT);
  EXPECT_EQ(workingLocks, 1);
  EXPECT_EQ(mode, AcAp::kWrite);
  EXPECT_EQ(working->hostLockCount(), 0);

  for (int status : {kWorkerTooFewArgs, kWorkerFailedTold}) {
    EXPECT_EQ(runLocked([status] { return status; }), RSERR);
    EXPECT_EQ(working->hostLockCount(), 0) << "status " << status;
  }
}

TEST_F(CallFrame, AnExceptionOfTheWorkerUnlocksPrintsErrorAndReachesTheHost) {
  defineTestCall([] { return runInDocument([]() -> int { throw std::runtime_error("pipe broke"); }); });
  output_.clear();
  const std::wstring answer = eval("(test-call)");
  EXPECT_EQ(answer.rfind(L"; error: ", 0), 0u) << acutWideToUtf8(answer);
  EXPECT_TRUE(answer.ends_with(L": pipe broke")) << acutWideToUtf8(answer);
  EXPECT_EQ(output_, L"\nError");
  EXPECT_EQ(doc_->hostLockCount(), 0);

  output_.clear();
  try {
    runLocked([]() -> int { throw _com_error(E_FAIL); });
    ADD_FAILURE() << "the component's error was swallowed";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_FAIL);
  }
  EXPECT_EQ(output_, L"\nError");
  EXPECT_EQ(doc_->hostLockCount(), 0);
}

TEST_F(CallFrame, AFrameworkExceptionObjectGoesOnUnchangedAfterTheUnlock) {
  for (bool locked : {false, true}) {
    SCOPED_TRACE(locked ? "runLocked" : "runInDocument");
    auto* thrown = new CSimpleException(L"disk full");
    const ovWorker worker = [thrown]() -> int { throw thrown; };
    output_.clear();
    try {
      if (locked) runLocked(worker);
      else runInDocument(worker);
      ADD_FAILURE() << "the exception was swallowed";
      thrown->Delete();
    } catch (CException* e) {
      EXPECT_EQ(e, thrown);
      e->Delete();
    }
    EXPECT_EQ(output_, L"\nGeneral Exception");
    EXPECT_EQ(doc_->hostLockCount(), 0);
  }
}

// Through LISP the host ends the call with the exception's message and deletes the
// object (a leak here is what the sanitizer reports).
TEST_F(CallFrame, AFrameworkExceptionReachingTheHostIsReportedAndDeleted) {
  defineTestCall([] { return runInDocument([]() -> int { throw new CSimpleException(L"disk full"); }); });
  output_.clear();
  const std::wstring answer = eval("(test-call)");
  EXPECT_TRUE(answer.starts_with(L"; error: unhandled exception in ")) << acutWideToUtf8(answer);
  EXPECT_TRUE(answer.ends_with(L": disk full")) << acutWideToUtf8(answer);
  EXPECT_EQ(output_, L"\nGeneral Exception");
  EXPECT_EQ(doc_->hostLockCount(), 0);
}

TEST_F(CallFrame, WithAContextButNoDocumentDataTheWorkerDoesNotRun) {
  ovApplication* context = startContext();
  ASSERT_NE(context->currentDocData(), nullptr);
  context->forgetDocument(doc_->fileName());
  ASSERT_EQ(context->currentDocData(), nullptr);
  bool ran = false;
  defineTestCall([&] {
    acedRetT();
    return runInDocument(
        [&] {
          ran = true;
          return kWorkerBadData;
        },
        context);
  });
  output_.clear();
  EXPECT_EQ(eval("(test-call)"), L"T") << "the frame itself sets nothing";
  EXPECT_FALSE(ran);
  EXPECT_EQ(output_, L"");
}

TEST_F(CallFrame, WithAContextWhoseProjectCannotConnectTheUserIsToldAndNilAnswered) {
  ovApplication* context = startContext();
  bool ran = false;
  defineTestCall([&] {
    return runInDocument(
        [&] {
          ran = true;
          acedRetT();
          return kWorkerDone;
        },
        context);
  });
  output_.clear();
  EXPECT_EQ(eval("(test-call)"), L"nil");
  EXPECT_FALSE(ran);
  EXPECT_EQ(output_, L"\nError finding the plumbing database.\nCannot connect to the plumbing database (Connection "
                     L"Error Code 1).");
  EXPECT_EQ(doc_->hostLockCount(), 0);
}

TEST_F(CallFrame, WithAContextTheProjectIsConnectedBeforeTheWorkerRuns) {
  manager()->hostCloseAll();
  makeProject("proj");
  AcApDocument* doc = open("proj/plan.hdw");
  ASSERT_NE(doc, nullptr);
  ovApplication* context = startContext();
  ovPerProjectData* project = context->currentDocData()->project;
  ASSERT_FALSE(ovIsOpen(project->connection)) << "an unmarked drawing waits for the first call";
  bool openInWorker = false, cachedInWorker = false;
  EXPECT_EQ(runInDocument(
                [&] {
                  openInWorker = ovIsOpen(project->connection);
                  cachedInWorker = project->globals && project->layers && project->layerKeys &&
                                   project->layerSystems && project->textStyles;
                  return kWorkerDone;
                },
                context),
            RSRSLT);
  EXPECT_TRUE(openInWorker);
  EXPECT_TRUE(cachedInWorker);
  EXPECT_EQ(output_, L"");
  EXPECT_EQ(doc->hostLockCount(), 0);
}

}  // namespace
