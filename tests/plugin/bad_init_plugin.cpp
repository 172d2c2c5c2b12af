// A plug-in that cannot start: at kInitAppMsg it defines a LISP function and attaches
// a document reactor and an editor reactor, then answers kRetError. The host must
// unload it without keeping anything of it (a later call or notice would run code
// that is no longer loaded).
#include "arx/aced_lisp.h"
#include "arx/ap_doc_manager.h"
#include "arx/editor.h"
#include "arx/rx_app.h"

namespace {

class ForgottenDocReactor : public AcApDocManagerReactor {
 public:
  void documentActivated(AcApDocument*) override { acutPrintf(L"[ovbad] still attached\n"); }
};

class ForgottenEditorReactor : public AcEditorReactor {
 public:
  void saveComplete(AcDbDatabase*, const ACHAR*) override { acutPrintf(L"[ovbad] still attached\n"); }
};

// Static, so that what the host must clear away is a reactor, not a leak.
ForgottenDocReactor gDocReactor;
ForgottenEditorReactor gEditorReactor;

int neverCalled() {
  acutPrintf(L"[ovbad] function still defined\n");
  return RSRSLT;
}

}  // namespace

ACRX_DEFINE_API_VERSION()

ACRX_EXPORT_C AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void*) {
  if (message != AcRx::kInitAppMsg) return AcRx::kRetOK;
  acedDefun(L"ovbad-function", 0);
  acedRegFunc(neverCalled, 0);
  acDocManager->addReactor(&gDocReactor);
  acedEditor->addReactor(&gEditorReactor);
  acutPrintf(L"[ovbad] kInitAppMsg fails\n");
  return AcRx::kRetError;
}
