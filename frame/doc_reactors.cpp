// The framework's document and editor reactors.
#include "frame/doc_reactors.h"

#include "arx/sysvars.h"
#include "frame/context.h"

namespace {

// The host's automatic save file name (system variable "savefile").
std::wstring automaticSaveFile() {
  resbuf value{};
  if (acedGetVar(L"savefile", &value) != RTNORM || value.restype != RTSTR || value.resval.rstring == nullptr)
    return {};
  std::wstring name = value.resval.rstring;
  acutDelString(value.resval.rstring);
  return name;
}

}  // namespace

void ovDocReactor::documentCreateStarted(AcApDocument* document) {
  if (context_ == nullptr || document == nullptr) return;
  context_->creating = true;
}

void ovDocReactor::documentCreated(AcApDocument* document) {
  if (context_ == nullptr || document == nullptr) return;
  context_->creating = false;
  context_->makeCurrent(document);
  ovCheckAlignmentPoint(context_->currentDocData(), false);
}

void ovDocReactor::documentToBeDestroyed(AcApDocument* document) {
  if (context_ == nullptr || document == nullptr) return;
  context_->forgetDocument(document->fileName());
}

void ovDocReactor::documentToBeActivated(AcApDocument* document) {
  if (context_ == nullptr || document == nullptr) return;
  context_->makeCurrent(document);
}

void ovEditorReactor::saveComplete(AcDbDatabase* database, const ACHAR* actualName) {
  if (context_ == nullptr || actualName == nullptr) return;
  AcApDocManager* manager = acDocManagerPtr();
  AcApDocument* active = manager != nullptr ? manager->mdiActiveDocument() : nullptr;
  ovPerDocData* current = context_->currentDocData();
  if (active == nullptr || active->database() != database || current == nullptr) return;
  const std::wstring newName = actualName;
  if (current->path == newName || newName == automaticSaveFile()) return;
  context_->forgetDocument(current->path);
  context_->makeCurrent(newName, database);
}
