// The checks and conversions that the LISP entity functions share.
#include "lisp/lisp_entity_support.h"

#include <algorithm>
#include <cmath>

#include "arx/aced_print.h"
#include "lisp/lisp_args.h"
#include "lisp/lisp_printer.h"

AcDbDatabase* lispWorkingDatabase() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr) throw LispError(L"no drawing is open");
  return db;
}

AcDbObjectId lispObjectArg(const LispValue& value) {
  AcDbObjectId id = lispEnameArg(value);
  AcDbDatabase* db = lispWorkingDatabase();
  // The stub is only looked at once it is known to be one of this drawing's: the
  // search compares addresses and reads nothing through the name.
  if (id.isNull() || !db->hasStub(id.stub()))
    throw LispError(L"bad argument value: " + lispToString(value) + L" is not an object of the current drawing");
  return id;
}

std::vector<AcDbObjectId> lispDrawingEntities(AcDbDatabase* db) {
  std::vector<AcDbObjectId> blocks;
  {
    LispOpenedObject table(L"entnext", db->blockTableId(), AcDb::kForRead);
    auto* blockTable = AcDbBlockTable::cast(table.object());
    if (blockTable != nullptr) blocks = blockTable->recordIds();
  }
  std::vector<AcDbObjectId> entities;
  for (const AcDbObjectId& id : blocks) {
    LispOpenedObject record(L"entnext", id, AcDb::kForRead);
    auto* block = AcDbBlockTableRecord::cast(record.object());
    if (block == nullptr || !block->isLayout()) continue;
    std::vector<AcDbObjectId> ids = block->entityIds(true);
    entities.insert(entities.end(), ids.begin(), ids.end());
  }
  return entities;
}

std::wstring lispClassName(const AcDbObject* object) {
  AcRxClass* cls = object != nullptr ? object->isA() : nullptr;
  return cls != nullptr ? cls->name() : L"unknown class";
}

void lispStatusError(const std::wstring& function, const std::wstring& what, Acad::ErrorStatus es) {
  throw LispError(function + L": " + what + L" (" + acutUtf8ToWide(acadErrorStatusText(es)) + L")");
}

LispOpenedObject::LispOpenedObject(const std::wstring& function, AcDbObjectId id, AcDb::OpenMode mode,
                                   bool openErased)
    : function_(function) {
  Acad::ErrorStatus es = acdbOpenObject(object_, id, mode, openErased);
  switch (es) {
    case Acad::eOk: return;
    case Acad::eWasErased: throw LispError(function + L": the entity was erased");
    case Acad::eWasOpenForWrite:
    case Acad::eWasOpenForRead: lispStatusError(function, L"the object is open elsewhere", es);
    default: lispStatusError(function, L"the object cannot be opened", es);
  }
}

LispOpenedObject::~LispOpenedObject() {
  if (object_ != nullptr) object_->close();
}

AcDbEntity* LispOpenedObject::entity() const {
  AcDbEntity* ent = AcDbEntity::cast(object_);
  if (ent == nullptr) throw LispError(function_ + L": not an entity (" + lispClassName(object_) + L")");
  return ent;
}

AcDbCurve* LispOpenedObject::curve() const {
  AcDbCurve* curve = AcDbCurve::cast(object_);
  if (curve == nullptr) throw LispError(function_ + L": not a curve (" + lispClassName(object_) + L")");
  return curve;
}

LispValue lispPoint3d(const AcGePoint3d& point) {
  return LispValue::list({LispValue::real(point.x), LispValue::real(point.y), LispValue::real(point.z)});
}

LispValue lispVector3d(const AcGeVector3d& vector) {
  return LispValue::list({LispValue::real(vector.x), LispValue::real(vector.y), LispValue::real(vector.z)});
}

LispValue lispPointList(const AcGePoint3dArray& points) {
  LispArgs items;
  for (const AcGePoint3d& p : points) items.push_back(lispPoint3d(p));
  return LispValue::list(items);
}

// Coordinates that are not finite would only come back as damage in the drawing.
static LispPoint finitePoint(const LispValue& value) {
  LispPoint p = lispPointArg(value);
  if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) lispBadValue(L"point", value);
  return p;
}

AcGePoint3d lispPoint3dArg(const LispValue& value) {
  LispPoint p = finitePoint(value);
  return {p.x, p.y, p.z};
}

AcGeVector3d lispVector3dArg(const LispValue& value) {
  LispPoint p = finitePoint(value);
  return {p.x, p.y, p.z};
}
