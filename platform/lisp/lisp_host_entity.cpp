// The host's entity services for scripts and tests: the LIST command, what an entity
// draws, the editing commands (move, rotate, scale, mirror, grips, stretch), object
// snaps, intersections and EXPLODE, each through the entity's own virtual functions.
//
//   (host-list ENAME)                      prints the listing; T
//   (host-draw ENAME)                      the primitives drawn, in order (below)
//   (host-move ENAME DX DY DZ)             ENAME, moved
//   (host-rotate ENAME BASE ANGLE)         ENAME, turned about BASE by ANGLE radians
//   (host-scale ENAME BASE FACTOR)         ENAME, scaled about BASE (FACTOR > 0)
//   (host-mirror ENAME P1 P2)              ENAME, mirrored in the line P1-P2 (in plan)
//   (host-grips ENAME)                     the grip points
//   (host-move-grips ENAME INDICES OFFSET) ENAME, with those grips moved by OFFSET
//   (host-stretch-points ENAME)            the stretch points
//   (host-move-stretch ENAME INDICES OFFSET) ENAME, with those points moved by OFFSET
//   (host-osnap ENAME MODE PICK LAST)      the snap points, or nil when none
//   (host-intersect E1 E2 [EXTEND])        the points where they meet (nil: none)
//   (host-explode ENAME)                   the names of the new entities, or nil
//
// Primitives: ("POLYLINE" LAYER (P1 P2 ...)), ("CIRCLE" LAYER CENTER RADIUS NORMAL),
// ("ARC" LAYER CENTER RADIUS NORMAL STARTVECTOR SWEEP), ("TEXT" LAYER LOCATION HEIGHT
// ROTATION CONTENTS), ("FITCURVE" LAYER (P1 P2 ...)).
//
// Every change is one undo group. MODE is a snap name (its first three letters count:
// "end" "mid" "cen" "nod" "qua" "int" "ins" "per" "tan" "nea") or the host's number;
// EXTEND is 0 to 3 or "none" "this" "arg" "both" (also the host's names
// "kOnBothOperands" "kExtendThis" "kExtendArg" "kExtendBoth").
#include <cmath>
#include <map>
#include <memory>

#include "arx/gi_record.h"
#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_entity_support.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_printer.h"

namespace {

// ---- listing and drawing --------------------------------------------------------------

LispValue hostList(const LispArgs& a) {
  LispOpenedObject opened(L"host-list", lispObjectArg(a[0]), AcDb::kForRead);
  opened.entity()->list();
  return LispValue::t();
}

std::wstring layerName(AcDbObjectId id) {
  if (id.isNull()) return L"0";
  LispOpenedObject opened(L"host-draw", id, AcDb::kForRead);
  auto* layer = AcDbSymbolTableRecord::cast(opened.object());
  return layer != nullptr ? layer->name() : L"0";
}

LispValue pointsValue(const std::vector<AcGePoint3d>& points) {
  LispArgs items;
  for (const AcGePoint3d& p : points) items.push_back(lispPoint3d(p));
  return LispValue::list(items);
}

LispValue primitiveValue(const GiPrimitive& p) {
  LispValue layer = LispValue::string(layerName(p.traits.layerId));
  switch (p.kind) {
    case GiPrimitiveKind::Polyline: return LispValue::list({LispValue::string(L"POLYLINE"), layer, pointsValue(p.points)});
    case GiPrimitiveKind::FitCurve: return LispValue::list({LispValue::string(L"FITCURVE"), layer, pointsValue(p.points)});
    case GiPrimitiveKind::Circle:
      return LispValue::list({LispValue::string(L"CIRCLE"), layer, lispPoint3d(p.center), LispValue::real(p.radius),
                              lispVector3d(p.normal)});
    case GiPrimitiveKind::Arc:
      return LispValue::list({LispValue::string(L"ARC"), layer, lispPoint3d(p.center), LispValue::real(p.radius),
                              lispVector3d(p.normal), lispVector3d(p.startVector), LispValue::real(p.sweep)});
    case GiPrimitiveKind::Text:
      return LispValue::list({LispValue::string(L"TEXT"), layer, lispPoint3d(p.location), LispValue::real(p.height),
                              LispValue::real(p.rotation), LispValue::string(p.contents)});
  }
  return LispValue();
}

LispValue hostDraw(const LispArgs& a) {
  AcGiRecordingWorldDraw wd;
  {
    LispOpenedObject opened(L"host-draw", lispObjectArg(a[0]), AcDb::kForRead);
    Acad::ErrorStatus es = recordEntity(opened.entity(), wd);
    if (es != Acad::eOk) lispStatusError(L"host-draw", L"the entity cannot be drawn", es);
  }
  LispArgs items;
  for (const GiPrimitive& p : wd.primitives()) items.push_back(primitiveValue(p));
  return LispValue::list(items);
}

// ---- transformations ---------------------------------------------------------------------

LispValue transformEntity(const std::wstring& function, const LispValue& ename, const AcGeMatrix3d& xform) {
  AcDbObjectId id = lispObjectArg(ename);
  LispUndoGroup undo(lispWorkingDatabase());
  LispOpenedObject opened(function, id, AcDb::kForWrite);
  Acad::ErrorStatus es = opened.entity()->transformBy(xform);
  if (es != Acad::eOk) lispStatusError(function, L"the entity refused the change", es);
  return ename;
}

double finiteNumberArg(const LispValue& value) {
  double v = lispNumberArg(value);
  if (!std::isfinite(v)) lispBadValue(L"number", value);
  return v;
}

LispValue hostMove(const LispArgs& a) {
  AcGeVector3d offset(finiteNumberArg(a[1]), finiteNumberArg(a[2]), finiteNumberArg(a[3]));
  return transformEntity(L"host-move", a[0], AcGeMatrix3d::translation(offset));
}

LispValue hostRotate(const LispArgs& a) {
  AcGePoint3d base = lispPoint3dArg(a[1]);
  double angle = finiteNumberArg(a[2]);
  return transformEntity(L"host-rotate", a[0], AcGeMatrix3d::rotation(angle, AcGeVector3d::kZAxis, base));
}

LispValue hostScale(const LispArgs& a) {
  AcGePoint3d base = lispPoint3dArg(a[1]);
  double factor = finiteNumberArg(a[2]);
  if (!(factor > 0.0)) lispBadValue(L"scale factor", a[2]);
  return transformEntity(L"host-scale", a[0], AcGeMatrix3d::scaling(factor, base));
}

LispValue hostMirror(const LispArgs& a) {
  AcGePoint3d p1 = lispPoint3dArg(a[1]);
  AcGePoint3d p2 = lispPoint3dArg(a[2]);
  // Points that coincide in plan give no line to mirror in.
  if (std::hypot(p2.x - p1.x, p2.y - p1.y) <= AcGeContext::gTol.equalPoint())
    throw LispError(L"host-mirror: the mirror line's points coincide in plan");
  return transformEntity(L"host-mirror", a[0], AcGeMatrix3d::mirroring(p1, p2));
}

// ---- grips and stretch points --------------------------------------------------------

struct PointEdit {
  const wchar_t* function;
  const wchar_t* what;  // "grip", "stretch point"
  Acad::ErrorStatus (*points)(const AcDbEntity*, AcGePoint3dArray&);
  Acad::ErrorStatus (*move)(AcDbEntity*, const AcDbIntArray&, const AcGeVector3d&);
};

const PointEdit kGrips{
    L"host-grips", L"grip",
    [](const AcDbEntity* e, AcGePoint3dArray& pts) {
      AcDbIntArray modes, ids;
      return e->getGripPoints(pts, modes, ids);
    },
    [](AcDbEntity* e, const AcDbIntArray& indices, const AcGeVector3d& offset) { return e->moveGripPointsAt(indices, offset); }};

const PointEdit kStretch{
    L"host-stretch-points", L"stretch point",
    [](const AcDbEntity* e, AcGePoint3dArray& pts) { return e->getStretchPoints(pts); },
    [](AcDbEntity* e, const AcDbIntArray& indices, const AcGeVector3d& offset) {
      return e->moveStretchPointsAt(indices, offset);
    }};

AcGePoint3dArray editPoints(const PointEdit& edit, const std::wstring& function, const AcDbEntity* entity) {
  AcGePoint3dArray points;
  Acad::ErrorStatus es = edit.points(entity, points);
  if (es != Acad::eOk) lispStatusError(function, std::wstring(L"the entity gives no ") + edit.what + L"s", es);
  return points;
}

LispValue listPoints(const PointEdit& edit, const LispArgs& a) {
  LispOpenedObject opened(edit.function, lispObjectArg(a[0]), AcDb::kForRead);
  return lispPointList(editPoints(edit, edit.function, opened.entity()));
}

// Indices must name points the entity has: the entity is never handed one it did not
// give.
LispValue movePoints(const PointEdit& edit, const std::wstring& function, const LispArgs& a) {
  AcDbObjectId id = lispObjectArg(a[0]);
  LispArgs items = lispListArg(a[1]);
  AcGeVector3d offset = lispVector3dArg(a[2]);
  LispUndoGroup undo(lispWorkingDatabase());
  LispOpenedObject opened(function, id, AcDb::kForWrite);
  AcDbEntity* entity = opened.entity();
  int count = editPoints(edit, function, entity).length();
  AcDbIntArray indices;
  for (const LispValue& item : items) {
    std::int32_t index = lispIntArg(item);
    if (index < 0 || index >= count) {
      std::wstring range = count > 0 ? L"0 to " + std::to_wstring(count - 1) : L"the entity has none";
      throw LispError(function + L": " + edit.what + L" index " + std::to_wstring(index) + L" is out of range (" +
                      range + L")");
    }
    indices.append(index);
  }
  Acad::ErrorStatus es = edit.move(entity, indices, offset);
  if (es != Acad::eOk) lispStatusError(function, L"the entity refused the change", es);
  return a[0];
}

// ---- snaps and intersections ------------------------------------------------------------

AcDb::OsnapMode snapMode(const LispValue& value) {
  static const std::map<std::wstring, int> kModes = {
      {L"END", 1}, {L"MID", 2}, {L"CEN", 3}, {L"NOD", 4}, {L"QUA", 5},
      {L"INT", 6}, {L"INS", 7}, {L"PER", 8}, {L"TAN", 9}, {L"NEA", 10}};
  if (value.isInt()) {
    if (value.intValue() < 1 || value.intValue() > 10) lispBadValue(L"snap mode", value);
    return static_cast<AcDb::OsnapMode>(value.intValue());
  }
  std::wstring name = lispUpperName(lispStringArg(value));
  auto it = name.size() >= 3 ? kModes.find(name.substr(0, 3)) : kModes.end();
  if (it == kModes.end()) lispBadValue(L"snap mode", value);
  return static_cast<AcDb::OsnapMode>(it->second);
}

// A mode the entity does not offer, or a snap it cannot compute, snaps to nothing.
LispValue hostOsnap(const LispArgs& a) {
  AcDbObjectId id = lispObjectArg(a[0]);
  AcDb::OsnapMode mode = snapMode(a[1]);
  AcGePoint3d pick = lispPoint3dArg(a[2]);
  AcGePoint3d last = lispPoint3dArg(a[3]);
  LispOpenedObject opened(L"host-osnap", id, AcDb::kForRead);
  AcGePoint3dArray points;
  AcDbIntArray geomIds;
  if (opened.entity()->getOsnapPoints(mode, 0, pick, last, AcGeMatrix3d(), points, geomIds) != Acad::eOk)
    return LispValue();
  return lispPointList(points);
}

AcDb::Intersect extendMode(const LispValue& value) {
  static const std::map<std::wstring, AcDb::Intersect> kModes = {
      {L"NONE", AcDb::kOnBothOperands}, {L"KONBOTHOPERANDS", AcDb::kOnBothOperands},
      {L"THIS", AcDb::kExtendThis},     {L"KEXTENDTHIS", AcDb::kExtendThis},
      {L"ARG", AcDb::kExtendArg},       {L"KEXTENDARG", AcDb::kExtendArg},
      {L"BOTH", AcDb::kExtendBoth},     {L"KEXTENDBOTH", AcDb::kExtendBoth}};
  if (value.isNil()) return AcDb::kOnBothOperands;
  if (value.isInt()) {
    if (value.intValue() < 0 || value.intValue() > 3) lispBadValue(L"extend mode", value);
    return static_cast<AcDb::Intersect>(value.intValue());
  }
  auto it = kModes.find(lispUpperName(lispStringArg(value)));
  if (it == kModes.end()) lispBadValue(L"extend mode", value);
  return it->second;
}

LispValue hostIntersect(const LispArgs& a) {
  AcDbObjectId first = lispObjectArg(a[0]);
  AcDbObjectId second = lispObjectArg(a[1]);
  AcDb::Intersect mode = extendMode(a.size() > 2 ? a[2] : LispValue());
  LispOpenedObject one(L"host-intersect", first, AcDb::kForRead);
  LispOpenedObject other(L"host-intersect", second, AcDb::kForRead);
  AcGePoint3dArray points;
  Acad::ErrorStatus es = one.entity()->intersectWith(other.entity(), mode, points);
  if (es != Acad::eOk) lispStatusError(L"host-intersect", L"the entities cannot be intersected", es);
  return lispPointList(points);
}

// ---- explode ----------------------------------------------------------------------------

// What an explode made and nobody has taken yet.
struct ExplodedSet {
  AcDbVoidPtrArray items;
  ~ExplodedSet() {
    for (void* p : items) delete static_cast<AcDbEntity*>(p);
  }
};

// As the EXPLODE command: the pieces go to model space and the entity itself stays.
// An entity that cannot be exploded (eNotApplicable) is left alone: nil.
LispValue hostExplode(const LispArgs& a) {
  AcDbObjectId id = lispObjectArg(a[0]);
  AcDbDatabase* db = lispWorkingDatabase();
  ExplodedSet made;
  {
    LispOpenedObject opened(L"host-explode", id, AcDb::kForRead);
    Acad::ErrorStatus es = opened.entity()->explode(made.items);
    if (es == Acad::eNotApplicable && made.items.isEmpty()) return LispValue();
    if (es != Acad::eOk) lispStatusError(L"host-explode", L"the entity cannot be exploded", es);
  }
  LispUndoGroup undo(db);
  LispOpenedObject space(L"host-explode", db->modelSpaceId(), AcDb::kForWrite);
  auto* block = AcDbBlockTableRecord::cast(space.object());
  LispArgs names;
  for (int i = 0; i < made.items.length(); ++i) {
    auto* piece = static_cast<AcDbEntity*>(made.items[i]);
    made.items[i] = nullptr;
    // A piece a plug-in already put in the drawing belongs to the drawing.
    if (piece == nullptr || !piece->objectId().isNull()) {
      if (piece != nullptr) names.push_back(LispValue::ename(piece->objectId()));
      continue;
    }
    AcDbObjectId pieceId;
    Acad::ErrorStatus es = block != nullptr ? block->appendAcDbEntity(pieceId, piece) : Acad::eWrongObjectType;
    if (es != Acad::eOk) {
      delete piece;
      lispStatusError(L"host-explode", L"a piece cannot be added to model space", es);
    }
    piece->close();
    names.push_back(LispValue::ename(pieceId));
  }
  return LispValue::list(names);
}

}  // namespace

void lispDefineEntityHostServices(LispInterpreter& in) {
  in.defineBuiltin(L"host-list", 1, 1, [](LispInterpreter&, const LispArgs& a) { return hostList(a); });
  in.defineBuiltin(L"host-draw", 1, 1, [](LispInterpreter&, const LispArgs& a) { return hostDraw(a); });
  in.defineBuiltin(L"host-move", 4, 4, [](LispInterpreter&, const LispArgs& a) { return hostMove(a); });
  in.defineBuiltin(L"host-rotate", 3, 3, [](LispInterpreter&, const LispArgs& a) { return hostRotate(a); });
  in.defineBuiltin(L"host-scale", 3, 3, [](LispInterpreter&, const LispArgs& a) { return hostScale(a); });
  in.defineBuiltin(L"host-mirror", 3, 3, [](LispInterpreter&, const LispArgs& a) { return hostMirror(a); });
  in.defineBuiltin(L"host-grips", 1, 1, [](LispInterpreter&, const LispArgs& a) { return listPoints(kGrips, a); });
  in.defineBuiltin(L"host-move-grips", 3, 3,
                   [](LispInterpreter&, const LispArgs& a) { return movePoints(kGrips, L"host-move-grips", a); });
  in.defineBuiltin(L"host-stretch-points", 1, 1, [](LispInterpreter&, const LispArgs& a) { return listPoints(kStretch, a); });
  in.defineBuiltin(L"host-move-stretch", 3, 3,
                   [](LispInterpreter&, const LispArgs& a) { return movePoints(kStretch, L"host-move-stretch", a); });
  in.defineBuiltin(L"host-osnap", 4, 4, [](LispInterpreter&, const LispArgs& a) { return hostOsnap(a); });
  in.defineBuiltin(L"host-intersect", 2, 3, [](LispInterpreter&, const LispArgs& a) { return hostIntersect(a); });
  in.defineBuiltin(L"host-explode", 1, 1, [](LispInterpreter&, const LispArgs& a) { return hostExplode(a); });
}
