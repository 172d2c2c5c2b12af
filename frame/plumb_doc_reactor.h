// The module's own document reactor: when a quiescent document becomes active, it
// runs the LISP program's deferred work ("c:ov_plumb-doToDo"), unless the program
// has switched that off.
#pragma once

#include "arx/ap_doc_manager.h"

class PlumbDocReactor : public AcApDocManagerReactor {
 public:
  // Attaches itself to the document manager when there is one.
  PlumbDocReactor();
  ~PlumbDocReactor() override;
  void documentActivated(AcApDocument* document) override;
  // Detaches from the document manager (the destructor does it too).
  virtual void detach();

 private:
  bool attached_ = false;
};

// The process-wide switch read on activation; true at load. Only the LISP function
// ov_plumb-setDoDocumentActivated changes it.
bool ovDoDocumentActivated();
void ovSetDoDocumentActivated(bool on);
