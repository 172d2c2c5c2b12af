// The editor: the host object that tells plug-ins about saves, registered in the
// system registry under "AcEditor", and the switch between the drawing and the text
// screen.
#pragma once

#include <functional>
#include <vector>

#include "arx/rx.h"

class AcDbDatabase;

// Told about the editor's events; the defaults do nothing.
class AcEditorReactor : public AcRxObject {
 public:
  // Before a database is written, with the name it is meant to get.
  virtual void beginSave(AcDbDatabase*, const ACHAR* /*intendedName*/) {}
  // After a database was written, with the full name of the file written (for an
  // automatic save, the automatic save file's name).
  virtual void saveComplete(AcDbDatabase*, const ACHAR* /*actualName*/) {}
};

class AcEditor : public AcRxObject {
 public:
  static AcEditor* cast(const AcRxObject* p) { return const_cast<AcEditor*>(dynamic_cast<const AcEditor*>(p)); }

  void addReactor(AcEditorReactor* reactor);
  void removeReactor(AcEditorReactor* reactor);

  // Host side: the notices, in the order the reactors were added.
  void hostBeginSave(AcDbDatabase* db, const ACHAR* intendedName);
  void hostSaveComplete(AcDbDatabase* db, const ACHAR* actualName);
  int hostRemoveReactorsIf(const std::function<bool(const AcEditorReactor*)>& pick);
  int hostReactorCount() const { return static_cast<int>(reactors_.size()); }

 private:
  void notify(const std::function<void(AcEditorReactor*)>& notice);
  std::vector<AcEditorReactor*> reactors_;
};

// The process's editor; the same object the system registry holds as "AcEditor".
AcEditor* acedEditorObject();
#define acedEditor acedEditorObject()

// Switch the host's window to the text screen or back to the drawing. The console
// host has only text, so nothing visible happens; the requests are counted so that a
// test can see a plug-in asked.
int acedTextScr();
int acedGraphScr();
int hostTextScreenRequests();
