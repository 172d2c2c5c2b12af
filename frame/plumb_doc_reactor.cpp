// The deferred-work reactor and its switch.
#include "frame/plumb_doc_reactor.h"

#include "arx/aced_lisp.h"
#include "frame/resbuf_chain.h"

namespace {

bool gDoDocumentActivated = true;

}  // namespace

bool ovDoDocumentActivated() { return gDoDocumentActivated; }
void ovSetDoDocumentActivated(bool on) { gDoDocumentActivated = on; }

PlumbDocReactor::PlumbDocReactor() {
  if (AcApDocManager* manager = acDocManagerPtr()) {
    manager->addReactor(this);
    attached_ = true;
  }
}

PlumbDocReactor::~PlumbDocReactor() { detach(); }

void PlumbDocReactor::detach() {
  if (!attached_) return;
  if (AcApDocManager* manager = acDocManagerPtr()) manager->removeReactor(this);
  attached_ = false;
}

void PlumbDocReactor::documentActivated(AcApDocument* document) {
  if (!gDoDocumentActivated || document == nullptr || !document->isQuiescent()) return;
  ResbufChain call(acutBuildList(RTSTR, L"c:ov_plumb-doToDo", 0));
  resbuf* answer = nullptr;
  acedInvoke(call.get(), &answer);
  ResbufChain result(answer);
}
