// The editor object, its reactors and the text-screen requests.
#include "arx/editor.h"
#include "arx/reactor_notify.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "arx/resbuf.h"

namespace {

constexpr const ACHAR* kEditorKey = L"AcEditor";

// A reactor that throws must not stop the others being told, nor the host's save.
int gTextScreenRequests = 0;

}  // namespace

AcEditor* acedEditorObject() {
  // Made once and kept for the process, like the registry that lists it.
  static AcEditor* editor = [] {
    auto* made = new AcEditor();
    acrxSysRegistry()->atPut(kEditorKey, made);
    return made;
  }();
  return editor;
}

namespace {
// Plug-ins look the editor up in the registry before they ever call acedEditor, so
// it is there from the moment the host library is loaded.
[[maybe_unused]] const bool gEditorRegistered = (acedEditorObject(), true);
}  // namespace

void AcEditor::addReactor(AcEditorReactor* reactor) {
  if (reactor == nullptr || std::find(reactors_.begin(), reactors_.end(), reactor) != reactors_.end()) return;
  reactors_.push_back(reactor);
}

void AcEditor::removeReactor(AcEditorReactor* reactor) {
  reactors_.erase(std::remove(reactors_.begin(), reactors_.end(), reactor), reactors_.end());
}

void AcEditor::notify(const std::function<void(AcEditorReactor*)>& notice) {
  hostNotifyReactors(reactors_, notice, "an editor reactor");
}

void AcEditor::hostBeginSave(AcDbDatabase* db, const ACHAR* intendedName) {
  notify([&](AcEditorReactor* r) { r->beginSave(db, intendedName); });
}

void AcEditor::hostSaveComplete(AcDbDatabase* db, const ACHAR* actualName) {
  notify([&](AcEditorReactor* r) { r->saveComplete(db, actualName); });
}

int AcEditor::hostRemoveReactorsIf(const std::function<bool(const AcEditorReactor*)>& pick) {
  auto end = std::remove_if(reactors_.begin(), reactors_.end(), pick);
  int removed = static_cast<int>(reactors_.end() - end);
  reactors_.erase(end, reactors_.end());
  return removed;
}

int acedTextScr() {
  ++gTextScreenRequests;
  return RTNORM;
}

int acedGraphScr() { return RTNORM; }

int hostTextScreenRequests() { return gTextScreenRequests; }
