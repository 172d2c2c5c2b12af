// The framework's reactors: they keep the context's document records in step with
// the host's documents, and follow a drawing saved under a new name.
#pragma once

#include "arx/ap_doc_manager.h"
#include "arx/editor.h"

class ovApplication;

class ovDocReactor : public AcApDocManagerReactor {
 public:
  explicit ovDocReactor(ovApplication* context) : context_(context) {}
  void documentCreateStarted(AcApDocument* document) override;
  void documentCreated(AcApDocument* document) override;
  void documentToBeDestroyed(AcApDocument* document) override;
  void documentToBeActivated(AcApDocument* document) override;

 private:
  ovApplication* context_;
};

class ovEditorReactor : public AcEditorReactor {
 public:
  explicit ovEditorReactor(ovApplication* context) : context_(context) {}
  // A drawing saved under a new name may now lie in another project's folder. The
  // host's automatic save file is not a new name of the drawing.
  void saveComplete(AcDbDatabase* database, const ACHAR* actualName) override;

 private:
  ovApplication* context_;
};
