// What the LISP entity functions share: the current drawing, entity names checked
// against it, objects opened for the length of one call, points, and undo groups.
#pragma once

#include <string>
#include <vector>

#include "arx/db_database.h"
#include "arx/db_entities.h"
#include "lisp/lisp_value.h"

// The working database; LispError "no drawing is open" without one.
AcDbDatabase* lispWorkingDatabase();

// An entity name of an object of the working database. An entity name is a bare
// reference, so one kept from a drawing that has since been closed, or one a plug-in
// made up, is refused here ("bad argument value") before anything looks at it.
AcDbObjectId lispObjectArg(const LispValue& value);

// An object opened for one call and closed when the call ends, also when it ends in
// an error. Opening failures are LISP errors naming the calling function.
class LispOpenedObject {
 public:
  LispOpenedObject(const std::wstring& function, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false);
  ~LispOpenedObject();
  LispOpenedObject(const LispOpenedObject&) = delete;
  LispOpenedObject& operator=(const LispOpenedObject&) = delete;

  AcDbObject* object() const { return object_; }
  // The object as an entity; LispError "FUNCTION: not an entity (CLASS)" otherwise.
  AcDbEntity* entity() const;
  // The object as a curve; LispError "FUNCTION: not a curve (CLASS)" otherwise.
  AcDbCurve* curve() const;

 private:
  std::wstring function_;
  AcDbObject* object_ = nullptr;
};

// Every entity of the drawing's layouts (model space, then paper space), erased ones
// included, in the order entnext walks them and ssget "X" selects them.
std::vector<AcDbObjectId> lispDrawingEntities(AcDbDatabase* db);

// The host class name of an object, for messages.
std::wstring lispClassName(const AcDbObject* object);
// "FUNCTION: WHAT (eStatus)".
[[noreturn]] void lispStatusError(const std::wstring& function, const std::wstring& what, Acad::ErrorStatus es);

// Points cross as lists of three reals; a 2D point argument gets z 0.
LispValue lispPoint3d(const AcGePoint3d& point);
LispValue lispVector3d(const AcGeVector3d& vector);
LispValue lispPointList(const AcGePoint3dArray& points);
AcGePoint3d lispPoint3dArg(const LispValue& value);
AcGeVector3d lispVector3dArg(const LispValue& value);

// An undo group around one change made from LISP, so that one undo takes it back
// whole. Groups nest: inside a command's group it is part of that command.
class LispUndoGroup {
 public:
  explicit LispUndoGroup(AcDbDatabase* db) : db_(db) { db_->beginUndoGroup(); }
  ~LispUndoGroup() { db_->endUndoGroup(); }
  LispUndoGroup(const LispUndoGroup&) = delete;
  LispUndoGroup& operator=(const LispUndoGroup&) = delete;

 private:
  AcDbDatabase* db_;
};
