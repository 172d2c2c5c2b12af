// The entity functions of the host LISP: entget, entmake, entmod, entupd, entlast,
// entnext, entdel, handent and tblsearch, over the working database.
#include <algorithm>
#include <memory>

#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_entity_data.h"
#include "lisp/lisp_entity_support.h"
#include "lisp/lisp_interpreter.h"

namespace {

LispValue group(int code, LispValue value) { return LispValue::cons(LispValue::integer(code), std::move(value)); }
LispValue group(int code, int value) { return group(code, LispValue::integer(value)); }
LispValue group(int code, double value) { return group(code, LispValue::real(value)); }
LispValue group(int code, const std::wstring& text) { return group(code, LispValue::string(text)); }

LispValue entget(const LispArgs& a) {
  AcDbObjectId id = lispObjectArg(a[0]);
  LispArgs applications = a.size() > 1 ? lispListArg(a[1]) : LispArgs();
  if (id.isErased()) return LispValue();
  LispOpenedObject opened(L"entget", id, AcDb::kForRead);
  return lispObjectGroups(opened.object(), applications);
}

// The new entity goes to model space in an undo group of its own; the answer is the
// list it was made from, as the host answers.
LispValue entmake(const LispArgs& a) {
  LispArgs groups = lispListArg(a[0]);
  AcDbDatabase* db = lispWorkingDatabase();
  LispUndoGroup undo(db);
  std::unique_ptr<AcDbEntity> entity(lispEntityFromGroups(groups, db));
  if (entity == nullptr) return LispValue();
  LispOpenedObject space(L"entmake", db->modelSpaceId(), AcDb::kForWrite);
  auto* block = AcDbBlockTableRecord::cast(space.object());
  if (block == nullptr || block->appendAcDbEntity(entity.get()) != Acad::eOk) return LispValue();
  entity.release()->close();
  return a[0];
}

// Changes an entity from a list naming it by its group -1, in one undo group: the
// entity is remade from its groups with the changes and takes the new data in place,
// keeping its name, handle, owner and extended data. The answer is the list, or nil
// when the entity refuses the data or the list asks for another type.
LispValue entmod(const LispArgs& a) {
  LispArgs changes = lispListArg(a[0]);
  LispValue name;
  std::wstring type;
  for (const LispValue& group : changes) {
    if (!group.isCons() || !group.car().isInt()) continue;
    if (group.car().intValue() == -1) name = group.cdr();
    if (group.car().intValue() == 0) type = lispUpperName(group.cdr().text());
  }
  if (name.isNil()) throw LispError(L"entmod: the list names no entity (no group -1)");
  AcDbDatabase* db = lispWorkingDatabase();
  LispUndoGroup undo(db);
  LispOpenedObject opened(L"entmod", lispObjectArg(name), AcDb::kForWrite);
  AcDbEntity* entity = opened.entity();
  LispArgs current = lispListArg(lispObjectGroups(entity));
  if (!type.empty() && type != lispUpperName(current[1].cdr().text())) return LispValue();
  std::unique_ptr<AcDbEntity> remade(lispEntityFromGroups(lispMergedGroups(current, changes), db));
  if (remade == nullptr) return LispValue();
  remade->setOwnerId(entity->ownerId());
  if (resbuf* xdata = entity->xData()) {
    remade->setXData(xdata);
    acutRelRb(xdata);
  }
  if (entity->copyFrom(remade.get()) != Acad::eOk) return LispValue();
  return a[0];
}

LispValue entnext(const LispArgs& a) {
  AcDbDatabase* db = lispWorkingDatabase();
  AcDbObjectId after = a.empty() || a[0].isNil() ? AcDbObjectId() : lispObjectArg(a[0]);
  std::vector<AcDbObjectId> entities = lispDrawingEntities(db);
  auto it = entities.begin();
  if (!after.isNull()) {
    it = std::find(entities.begin(), entities.end(), after);
    if (it == entities.end()) return LispValue();
    ++it;
  }
  for (; it != entities.end(); ++it)
    if (!it->isErased()) return LispValue::ename(*it);
  return LispValue();
}

LispValue entlast() {
  std::vector<AcDbObjectId> entities = lispDrawingEntities(lispWorkingDatabase());
  for (auto it = entities.rbegin(); it != entities.rend(); ++it)
    if (!it->isErased()) return LispValue::ename(*it);
  return LispValue();
}

// Erases an entity, or brings an erased one back.
LispValue entdel(const LispArgs& a) {
  AcDbObjectId id = lispObjectArg(a[0]);
  LispUndoGroup undo(lispWorkingDatabase());
  LispOpenedObject opened(L"entdel", id, AcDb::kForWrite, true);
  AcDbEntity* entity = opened.entity();
  Acad::ErrorStatus es = entity->erase(!entity->isErased());
  if (es != Acad::eOk) lispStatusError(L"entdel", L"the entity cannot be erased", es);
  return a[0];
}

// The object of a handle, also an erased one (entdel may bring it back); nil for a
// handle the drawing does not have.
LispValue handent(const LispArgs& a) {
  AcDbHandle handle = AcDbHandle::fromText(lispStringArg(a[0]));
  if (handle.isNull()) return LispValue();
  AcDbStub* stub = lispWorkingDatabase()->stubFor(handle);
  if (stub == nullptr || stub->object == nullptr) return LispValue();
  return LispValue::ename(AcDbObjectId(stub));
}

std::wstring recordName(AcDbObjectId id, const wchar_t* otherwise) {
  if (id.isNull()) return otherwise;
  LispOpenedObject opened(L"tblsearch", id, AcDb::kForRead);
  auto* record = AcDbSymbolTableRecord::cast(opened.object());
  return record != nullptr ? record->name() : otherwise;
}

// A layer: frozen and locked in the flags, the colour negative when the layer is off.
LispArgs layerGroups(const AcDbLayerTableRecord* layer) {
  int flags = (layer->isFrozen() ? 1 : 0) | (layer->isLocked() ? 4 : 0);
  int color = layer->color().colorIndex();
  LispArgs groups{group(70, flags), group(62, layer->isOff() ? -color : color),
                  group(6, recordName(layer->linetypeObjectId(), L"CONTINUOUS"))};
  AcCmColor c = layer->color();
  if (c.isByColor()) groups.push_back(group(420, (c.red() << 16) | (c.green() << 8) | c.blue()));
  return groups;
}

LispArgs linetypeGroups(const AcDbLinetypeTableRecord* linetype) {
  LispArgs groups{group(70, 0), group(3, linetype->description()), group(72, 65),
                  group(73, linetype->numDashes()), group(40, linetype->patternLength())};
  for (int i = 0; i < linetype->numDashes(); ++i) {
    groups.push_back(group(49, linetype->dashLengthAt(i)));
    groups.push_back(group(74, 0));
  }
  return groups;
}

LispArgs styleGroups(const AcDbTextStyleTableRecord* style) {
  return {group(70, 0), group(40, style->textSize()), group(41, style->xScale()), group(50, 0.0), group(71, 0),
          group(3, style->font())};
}

// The record of a table by name, as a group list; nil when the table has no such record.
LispValue tblsearch(const LispArgs& a) {
  std::wstring table = lispUpperName(lispStringArg(a[0]));
  const std::wstring& name = lispStringArg(a[1]);
  AcDbDatabase* db = lispWorkingDatabase();
  AcDbObjectId tableId;
  if (table == L"LAYER") tableId = db->layerTableId();
  else if (table == L"LTYPE") tableId = db->linetypeTableId();
  else if (table == L"STYLE") tableId = db->textStyleTableId();
  else if (table == L"APPID") tableId = db->regAppTableId();
  else lispBadValue(L"table name", a[0]);

  AcDbObjectId recordId;
  {
    LispOpenedObject opened(L"tblsearch", tableId, AcDb::kForRead);
    auto* symbols = AcDbSymbolTable::cast(opened.object());
    if (symbols == nullptr || symbols->getAt(name.c_str(), recordId) != Acad::eOk) return LispValue();
  }
  LispOpenedObject opened(L"tblsearch", recordId, AcDb::kForRead);
  auto* record = AcDbSymbolTableRecord::cast(opened.object());
  if (record == nullptr) return LispValue();
  LispArgs groups{group(0, table), group(2, record->name())};
  LispArgs own;
  if (auto* layer = AcDbLayerTableRecord::cast(record)) own = layerGroups(layer);
  else if (auto* linetype = AcDbLinetypeTableRecord::cast(record)) own = linetypeGroups(linetype);
  else if (auto* style = AcDbTextStyleTableRecord::cast(record)) own = styleGroups(style);
  else own = {group(70, 0)};
  groups.insert(groups.end(), own.begin(), own.end());
  return LispValue::list(groups);
}

}  // namespace

void lispDefineEntityBuiltins(LispInterpreter& in) {
  in.defineBuiltin(L"entget", 1, 2, [](LispInterpreter&, const LispArgs& a) { return entget(a); });
  in.defineBuiltin(L"entmake", 1, 1, [](LispInterpreter&, const LispArgs& a) { return entmake(a); });
  in.defineBuiltin(L"entmod", 1, 1, [](LispInterpreter&, const LispArgs& a) { return entmod(a); });
  // The host draws nothing on a screen, so there is nothing to bring up to date.
  in.defineBuiltin(L"entupd", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    lispObjectArg(a[0]);
    return a[0];
  });
  in.defineBuiltin(L"entnext", 0, 1, [](LispInterpreter&, const LispArgs& a) { return entnext(a); });
  in.defineBuiltin(L"entlast", 0, 0, [](LispInterpreter&, const LispArgs&) { return entlast(); });
  in.defineBuiltin(L"entdel", 1, 1, [](LispInterpreter&, const LispArgs& a) { return entdel(a); });
  in.defineBuiltin(L"handent", 1, 1, [](LispInterpreter&, const LispArgs& a) { return handent(a); });
  // A third argument (step the table's walk for tblnext) is taken and has no effect:
  // this host has no tblnext.
  in.defineBuiltin(L"tblsearch", 2, 3, [](LispInterpreter&, const LispArgs& a) { return tblsearch(a); });
}
