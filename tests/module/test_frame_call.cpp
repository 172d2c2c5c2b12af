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

  // Makes test-call run `worker` in the standard frame (with the context given) and
  // answers what LISP prints for it; the command line's output is in output_.
  std::wstring call(ovWorker worker, ovApplication* context = nullptr) {
    defineTestCall([worker, context] { return runInDocument(worker, context); });
    output_.clear();
    return eval("(test-call)");
  }

  AcApDocument* doc_ = nullptr;
};

// A status prints its one message; only status 4 (the user was told) asks for the text
// screen; an unknown status counts as done, whose answer is the result set or nil.
TEST_F(CallFrame, EachStatusGivesItsAnswerAndMessage) {
  const struct {
    int status;
    bool setsResult;
    const wchar_t* answer;
    const wchar_t* message;
    int textScreens;
  } cases[] = {
      {kWorkerTooFewArgs, false, L"; error: ADS request error", L"\nToo few arguments passed.\n", 0},
      {kWorkerWrongType, false, L"; error: ADS request error", L"\nWrong type of arguments passed.\n", 0},
      {kWorkerBadData, true, L"; error: ADS request error", L"\nBad data passed .\n", 0},
      {kWorkerFailedTold, true, L"; error: ADS request error", L"", 1},
      {kWorkerDone, false, L"nil", L"", 0},
      {kWorkerDone, true, L"2.5", L"", 0},
      {7, true, L"2.5", L"", 0},
      {-1, true, L"2.5", L"", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    const int screens = hostTextScreenRequests();
    EXPECT_EQ(call([&c] {
                if (c.setsResult) acedRetReal(2.5);
                return c.status;
              }),
              c.answer);
    EXPECT_EQ(output_, c.message);
    EXPECT_EQ(hostTextScreenRequests(), screens + c.textScreens);
  }
}

TEST_F(CallFrame, TheWorkingDocumentIsWriteLockedForTheWorkerOnly) {
  AcApDocument* working = open("q/other.hdw");
  ASSERT_EQ(manager()->curDocument(), working);
  int workingLocks = -1, otherLocks = -1;
  AcAp::DocLockMode mode = AcAp::kNone;
  const auto look = [&] {
    workingLocks = working->hostLockCount();
    otherLocks = doc_->hostLockCount();
    mode = working->myLockMode();
    return kWorkerDone;
  };
  for (bool locked : {false, true}) {
    SCOPED_TRACE(locked ? "runLocked" : "runInDocument");
    workingLocks = otherLocks = -1;
    EXPECT_EQ(locked ? runLocked(look) : runInDocument(look), RSRSLT);
    EXPECT_EQ(workingLocks, 1);
    EXPECT_EQ(mode, AcAp::kWrite);
    EXPECT_EQ(otherLocks, 0);
    EXPECT_EQ(working->hostLockCount(), 0);
  }
  for (int status : {kWorkerTooFewArgs, kWorkerFailedTold}) {
    EXPECT_EQ(runLocked([status] { return status; }), RSERR);
    EXPECT_EQ(working->hostLockCount(), 0) << "status " << status;
  }
}

// An exception of the worker unlocks, prints its line and goes on unchanged; through
// LISP the host ends the call with the exception's message and deletes a framework
// exception object (a leak here is what the sanitizer reports).
TEST_F(CallFrame, AnExceptionOfTheWorkerUnlocksPrintsErrorAndReachesTheHost) {
  std::wstring answer = call([]() -> int { throw std::runtime_error("pipe broke"); });
  EXPECT_EQ(answer.rfind(L"; error: ", 0), 0u) << acutWideToUtf8(answer);
  EXPECT_TRUE(answer.ends_with(L": pipe broke")) << acutWideToUtf8(answer);
  EXPECT_EQ(output_, L"\nError");
  EXPECT_EQ(doc_->hostLockCount(), 0);

  answer = call([]() -> int { throw new CSimpleException(L"disk full"); });
  EXPECT_TRUE(answer.starts_with(L"; error: unhandled exception in ")) << acutWideToUtf8(answer);
  EXPECT_TRUE(answer.ends_with(L": disk full")) << acutWideToUtf8(answer);
  EXPECT_EQ(output_, L"\nGeneral Exception");
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

// With a context the worker runs only for a current document whose project is connected:
// without document data the frame sets nothing; a project that cannot connect is told
// and answers nil; an unmarked drawing's project is connected before the worker runs.
TEST_F(CallFrame, WithAContextTheWorkerNeedsADocumentAndItsConnectedProject) {
  ovApplication* context = startContext();
  bool ran = false;
  const ovWorker worker = [&] {
    ran = true;
    acedRetT();
    return kWorkerBadData;
  };
  EXPECT_EQ(call(worker, context), L"nil");
  EXPECT_FALSE(ran);
  EXPECT_EQ(output_, L"\nError finding the plumbing database.\nCannot connect to the plumbing database (Connection "
                     L"Error Code 1).");
  EXPECT_EQ(doc_->hostLockCount(), 0);

  context->forgetDocument(doc_->fileName());
  ASSERT_EQ(context->currentDocData(), nullptr);
  defineTestCall([&] {
    acedRetT();
    return runInDocument(worker, context);
  });
  output_.clear();
  EXPECT_EQ(eval("(test-call)"), L"T") << "the frame itself sets nothing";
  EXPECT_FALSE(ran);
  EXPECT_EQ(output_, L"");

  makeProject("proj");
  ASSERT_NE(open("proj/plan.hdw"), nullptr);
  ovPerProjectData* project = context->currentDocData()->project;
  ASSERT_FALSE(ovIsOpen(project->connection)) << "an unmarked drawing waits for the first call";
  bool cachedInWorker = false;
  output_.clear();
  EXPECT_EQ(runInDocument(
                [&] {
                  cachedInWorker = ovIsOpen(project->connection) && project->globals && project->layers &&
                                   project->layerKeys && project->layerSystems && project->textStyles;
                  return kWorkerDone;
                },
                context),
            RSRSLT);
  EXPECT_TRUE(cachedInWorker);
  EXPECT_EQ(output_, L"");
}

}  // namespace
