// The call frames. The lock is always taken on the document of the working database
// and released on that same document, looked up again after the worker, because a
// worker may not leave the host as it found it.
#include "frame/lisp_frame.h"

#include "arx/aced_lisp.h"
#include "arx/ap_doc_manager.h"
#include "arx/editor.h"
#include "frame/context.h"
#include "mfc/afx_exceptions.h"

namespace {

AcApDocument* workingDocument() {
  AcApDocManager* manager = acDocManagerPtr();
  return manager == nullptr ? nullptr : manager->document(acdbHostApplicationServices()->workingDatabase());
}

void lockWorkingDocument() {
  if (AcApDocument* doc = workingDocument()) acDocManagerPtr()->lockDocument(doc, AcAp::kWrite, nullptr, nullptr, true);
}

void unlockWorkingDocument() {
  if (AcApDocument* doc = workingDocument()) acDocManagerPtr()->unlockDocument(doc);
}

// Steps 2 to 5 of both frames: the context step runs between locking and the worker.
int runWithLock(const ovWorker& worker, ovApplication* context) {
  lockWorkingDocument();
  try {
    if (context != nullptr && !context->connect(context->currentDocData(), true, kModuleToken)) {
      unlockWorkingDocument();
      return RSRSLT;
    }
    const int answer = mapWorkerStatus(worker());
    unlockWorkingDocument();
    return answer;
  } catch (CException*) {
    unlockWorkingDocument();
    acutPrintf(L"%s", L"\nGeneral Exception");
    throw;
  } catch (...) {
    unlockWorkingDocument();
    acutPrintf(L"%s", L"\nError");
    throw;
  }
}

}  // namespace

int mapWorkerStatus(int status) {
  switch (status) {
    case kWorkerTooFewArgs: acutPrintf(L"%s", L"\nToo few arguments passed.\n"); return RSERR;
    case kWorkerWrongType: acutPrintf(L"%s", L"\nWrong type of arguments passed.\n"); return RSERR;
    case kWorkerBadData: acutPrintf(L"%s", L"\nBad data passed .\n"); return RSERR;
    case kWorkerFailedTold: acedTextScr(); return RSERR;
    default: return RSRSLT;
  }
}

int runInDocument(const ovWorker& worker, ovApplication* context) {
  if (context != nullptr && context->currentDocData() == nullptr) return RSRSLT;
  return runWithLock(worker, context);
}

int runLocked(const ovWorker& worker) { return runWithLock(worker, nullptr); }
