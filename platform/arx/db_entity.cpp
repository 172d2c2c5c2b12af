// What every entity shares: layer, linetype, colour and line weight, their filing, the
// host's default answers for the editing operations, and the default curve answers.
#include "arx/db_entity.h"

#include <cmath>
#include <cwchar>

#include "arx/curve_geometry.h"
#include "arx/db_database.h"
#include "arx/db_symtab.h"

ACRX_DEFINE_HOST_MEMBERS(AcDbEntity)
ACRX_DEFINE_HOST_MEMBERS(AcDbCurve)


bool AcDb::isValidLineWeight(int w) {
  static const int kWeights[] = {0, 5, 9, 13, 15, 18, 20, 25, 30, 35, 40, 50, 53, 60, 70, 80, 90, 100,
                                 106, 120, 140, 158, 200, 211, -1, -2, -3};
  for (int k : kWeights)
    if (k == w) return true;
  return false;
}

// ---- colours and extents ---------------------------------------------------------

Acad::ErrorStatus AcCmColor::setColorIndex(Adesk::UInt16 index) {
  if (index > 257) return Acad::eInvalidInput;
  index_ = index;
  rgb_ = false;
  return Acad::eOk;
}

Acad::ErrorStatus AcCmColor::setRGB(Adesk::UInt8 r, Adesk::UInt8 g, Adesk::UInt8 b) {
  rgb_ = true;
  r_ = r;
  g_ = g;
  b_ = b;
  return Acad::eOk;
}

AcDbExtents::AcDbExtents() = default;

void AcDbExtents::addPoint(const AcGePoint3d& p) {
  if (empty_) {
    min_ = max_ = p;
    empty_ = false;
    return;
  }
  for (int i = 0; i < 3; ++i) {
    if (p[i] < min_[i]) min_[i] = p[i];
    if (p[i] > max_[i]) max_[i] = p[i];
  }
}

void AcDbExtents::addExt(const AcDbExtents& other) {
  if (other.empty_) return;
  addPoint(other.min_);
  addPoint(other.max_);
}

Acad::ErrorStatus AcDbExtents::set(const AcGePoint3d& minPt, const AcGePoint3d& maxPt) {
  if (minPt.x > maxPt.x || minPt.y > maxPt.y || minPt.z > maxPt.z) return Acad::eInvalidInput;
  min_ = minPt;
  max_ = maxPt;
  empty_ = false;
  return Acad::eOk;
}

// ---- properties -------------------------------------------------------------------

AcDbEntity::AcDbEntity() = default;

// The name of a symbol table record without opening it: the host may look at its own
// objects directly.
static std::wstring recordName(const AcDbObjectId& id) {
  AcDbStub* s = id.stub();
  if (s == nullptr || s->object == nullptr) return L"";
  auto* rec = AcDbSymbolTableRecord::cast(s->object);
  return rec ? rec->name() : L"";
}

static AcDbDatabase* databaseFor(const AcDbEntity* ent) {
  return ent->database() ? ent->database() : acdbHostApplicationServices()->workingDatabase();
}

ACHAR* AcDbEntity::layer() const {
  assertReadEnabled();
  std::wstring name = recordName(layerId_);
  return acutNewString(name.empty() ? L"0" : name.c_str());
}

ACHAR* AcDbEntity::linetype() const {
  assertReadEnabled();
  std::wstring name = recordName(linetypeId_);
  return acutNewString(name.empty() ? L"BYLAYER" : name.c_str());
}

Acad::ErrorStatus AcDbEntity::setLayer(const ACHAR* layerName, bool) {
  AcDbDatabase* db = databaseFor(this);
  if (db == nullptr || layerName == nullptr) return Acad::eNoDatabase;
  AcDbLayerTable* table = nullptr;
  Acad::ErrorStatus es = db->getLayerTable(table, AcDb::kForRead);
  if (es != Acad::eOk) return es;
  AcDbObjectId id;
  es = table->getAt(layerName, id);
  table->close();
  return es == Acad::eOk ? setLayer(id) : es;
}

Acad::ErrorStatus AcDbEntity::setLayer(AcDbObjectId layerId, bool) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (layerId.isNull()) return Acad::eNullObjectId;
  if (!AcDbLayerTableRecord::cast(layerId.stub()->object)) return Acad::eWrongObjectType;
  layerId_ = layerId;
  recordGraphicsModified();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLinetype(const ACHAR* linetypeName, bool) {
  AcDbDatabase* db = databaseFor(this);
  if (db == nullptr || linetypeName == nullptr) return Acad::eNoDatabase;
  AcDbLinetypeTable* table = nullptr;
  Acad::ErrorStatus es = db->getLinetypeTable(table, AcDb::kForRead);
  if (es != Acad::eOk) return es;
  AcDbObjectId id;
  es = table->getAt(linetypeName, id);
  table->close();
  return es == Acad::eOk ? setLinetype(id) : es;
}

Acad::ErrorStatus AcDbEntity::setLinetype(AcDbObjectId linetypeId, bool) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (linetypeId.isNull()) return Acad::eNullObjectId;
  if (!AcDbLinetypeTableRecord::cast(linetypeId.stub()->object)) return Acad::eWrongObjectType;
  linetypeId_ = linetypeId;
  recordGraphicsModified();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setColorIndex(Adesk::UInt16 index, bool) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  Acad::ErrorStatus es = color_.setColorIndex(index);
  if (es == Acad::eOk) recordGraphicsModified();
  return es;
}

Acad::ErrorStatus AcDbEntity::setColor(const AcCmColor& color, bool) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  color_ = color;
  recordGraphicsModified();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLineWeight(AcDb::LineWeight weight, bool) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (!AcDb::isValidLineWeight(weight)) return Acad::eInvalidInput;
  lineWeight_ = weight;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLinetypeScale(double scale, bool) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (!(scale > 0)) return Acad::eInvalidInput;
  linetypeScale_ = scale;
  return Acad::eOk;
}

void AcDbEntity::setPropertiesFrom(const AcDbEntity* other, bool) {
  assertWriteEnabled();
  if (other == nullptr) return;
  layerId_ = other->layerId_;
  linetypeId_ = other->linetypeId_;
  color_ = other->color_;
  lineWeight_ = other->lineWeight_;
  linetypeScale_ = other->linetypeScale_;
}

void AcDbEntity::setDatabaseDefaults(AcDbDatabase* db) {
  assertWriteEnabled();
  if (db == nullptr) db = databaseFor(this);
  if (db == nullptr) return;
  layerId_ = db->clayer();
  linetypeId_ = db->celtype();
  color_ = AcCmColor();
}

// ---- host defaults for editing ----------------------------------------------------

void AcDbEntity::subList() const {
  assertReadEnabled();
  ACHAR* lay = layer();
  acutPrintf(L"\n                  %ls  Layer: \"%ls\"\n", isA() ? isA()->name() : L"?", lay);
  acutPrintf(L"                            Space: Model space\n");
  acutPrintf(L"                   Handle = %ls\n", objectHandle().text().c_str());
  acutDelString(lay);
}

Acad::ErrorStatus AcDbEntity::subGetOsnapPoints(AcDb::OsnapMode, Adesk::GsMarker, const AcGePoint3d&,
                                                const AcGePoint3d&, const AcGeMatrix3d&, AcGePoint3dArray&,
                                                AcDbIntArray&) const {
  return Acad::eInvalidInput;
}

Acad::ErrorStatus AcDbEntity::subTransformBy(const AcGeMatrix3d&) { return Acad::eNotApplicable; }

Acad::ErrorStatus AcDbEntity::subExplode(AcDbVoidPtrArray&) const { return Acad::eNotApplicable; }

// Grips default to the entity's end and centre snap points; dragging any of them moves
// the whole entity.
Acad::ErrorStatus AcDbEntity::subGetGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray&, AcDbIntArray&) const {
  AcDbIntArray geomIds;
  for (AcDb::OsnapMode mode : {AcDb::kOsModeEnd, AcDb::kOsModeCen}) {
    AcGePoint3dArray snaps;
    if (getOsnapPoints(mode, 0, AcGePoint3d(), AcGePoint3d(), AcGeMatrix3d(), snaps, geomIds) != Acad::eOk)
      continue;
    for (const AcGePoint3d& p : snaps)
      if (!gripPoints.contains(p)) gripPoints.append(p);
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::subMoveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
  if (indices.isEmpty()) return Acad::eOk;
  return transformBy(AcGeMatrix3d::translation(offset));
}

Acad::ErrorStatus AcDbEntity::subGetStretchPoints(AcGePoint3dArray& stretchPoints) const {
  AcDbIntArray modes, ids;
  return getGripPoints(stretchPoints, modes, ids);
}

Acad::ErrorStatus AcDbEntity::subMoveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
  return moveGripPointsAt(indices, offset);
}

Acad::ErrorStatus AcDbEntity::subGetGeomExtents(AcDbExtents&) const { return Acad::eInvalidExtents; }

Acad::ErrorStatus AcDbEntity::intersectWith(const AcDbEntity* other, AcDb::Intersect intType,
                                            AcGePoint3dArray& points, Adesk::GsMarker, Adesk::GsMarker) const {
  if (other == nullptr) return Acad::eNullObjectPointer;
  return hostIntersectEntities(this, other, intType, nullptr, points);
}

Acad::ErrorStatus AcDbEntity::intersectWith(const AcDbEntity* other, AcDb::Intersect intType,
                                            const AcGePlane& projPlane, AcGePoint3dArray& points,
                                            Adesk::GsMarker, Adesk::GsMarker) const {
  if (other == nullptr) return Acad::eNullObjectPointer;
  return hostIntersectEntities(this, other, intType, &projPlane, points);
}

void AcDbEntity::saveAs(AcGiWorldDraw* mode, AcDb::SaveType) { worldDraw(mode); }

Acad::ErrorStatus AcDbEntity::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
  copy = AcDbEntity::cast(clone());
  if (copy == nullptr) return Acad::eNotApplicable;
  Acad::ErrorStatus es = copy->transformBy(xform);
  if (es != Acad::eOk) {
    delete copy;
    copy = nullptr;
  }
  return es;
}

// ---- filing -------------------------------------------------------------------------

Acad::ErrorStatus AcDbEntity::dwgOutFields(AcDbDwgFiler* filer) const {
  Acad::ErrorStatus es = AcDbObject::dwgOutFields(filer);
  if (es == Acad::eOk) es = filer->writeHardPointerId(layerId_);
  if (es == Acad::eOk) es = filer->writeHardPointerId(linetypeId_);
  if (es == Acad::eOk) es = filer->writeBool(color_.isByColor());
  if (es == Acad::eOk) es = filer->writeUInt16(color_.colorIndex());
  if (es == Acad::eOk) es = filer->writeUInt8(color_.red());
  if (es == Acad::eOk) es = filer->writeUInt8(color_.green());
  if (es == Acad::eOk) es = filer->writeUInt8(color_.blue());
  if (es == Acad::eOk) es = filer->writeInt32(lineWeight_);
  if (es == Acad::eOk) es = filer->writeDouble(linetypeScale_);
  return es == Acad::eOk ? filer->filerStatus() : es;
}

Acad::ErrorStatus AcDbEntity::dwgInFields(AcDbDwgFiler* filer) {
  Acad::ErrorStatus es = AcDbObject::dwgInFields(filer);
  if (es != Acad::eOk) return es;
  AcDbHardPointerId lay, lt;
  // A reference to a record that is missing from the file leaves the property unset,
  // so that the entity is still read (it then draws on layer "0").
  es = filer->readHardPointerId(&lay);
  if (es != Acad::eOk && es != Acad::eUnknownHandle) return es;
  es = filer->readHardPointerId(&lt);
  if (es != Acad::eOk && es != Acad::eUnknownHandle) return es;
  bool rgb = false;
  Adesk::UInt16 index = 256;
  Adesk::UInt8 r = 0, g = 0, b = 0;
  Adesk::Int32 weight = AcDb::kLnWtByLayer;
  double scale = 1.0;
  if ((es = filer->readBool(&rgb)) != Acad::eOk || (es = filer->readUInt16(&index)) != Acad::eOk ||
      (es = filer->readUInt8(&r)) != Acad::eOk || (es = filer->readUInt8(&g)) != Acad::eOk ||
      (es = filer->readUInt8(&b)) != Acad::eOk || (es = filer->readInt32(&weight)) != Acad::eOk ||
      (es = filer->readDouble(&scale)) != Acad::eOk)
    return es;
  layerId_ = lay;
  linetypeId_ = lt;
  color_ = AcCmColor();
  if (rgb)
    color_.setRGB(r, g, b);
  else if (color_.setColorIndex(index) != Acad::eOk)
    return Acad::eInvalidInput;
  if (!AcDb::isValidLineWeight(weight)) return Acad::eInvalidInput;
  lineWeight_ = static_cast<AcDb::LineWeight>(weight);
  linetypeScale_ = scale > 0 && std::isfinite(scale) ? scale : 1.0;
  return filer->filerStatus();
}

Acad::ErrorStatus AcDbEntity::dxfOutFields(AcDbDxfFiler* filer) const {
  Acad::ErrorStatus es = AcDbObject::dxfOutFields(filer);
  if (es == Acad::eOk) es = filer->writeString(AcDb::kDxfSubclass, L"AcDbEntity");
  std::wstring lay = recordName(layerId_);
  if (es == Acad::eOk) es = filer->writeString(AcDb::kDxfLayerName, lay.empty() ? L"0" : lay.c_str());
  std::wstring lt = recordName(linetypeId_);
  if (es == Acad::eOk && !lt.empty() && wcscasecmp(lt.c_str(), L"BYLAYER") != 0)
    es = filer->writeString(AcDb::kDxfLinetypeName, lt.c_str());
  if (es == Acad::eOk && !color_.isByColor() && color_.colorIndex() != 256)
    es = filer->writeInt16(AcDb::kDxfColor, static_cast<Adesk::Int16>(color_.colorIndex()));
  if (es == Acad::eOk && color_.isByColor())
    es = filer->writeInt32(static_cast<AcDb::DxfCode>(420),
                           (color_.red() << 16) | (color_.green() << 8) | color_.blue());
  if (es == Acad::eOk && lineWeight_ != AcDb::kLnWtByLayer)
    es = filer->writeInt16(AcDb::kDxfLineWeight, static_cast<Adesk::Int16>(lineWeight_));
  if (es == Acad::eOk && linetypeScale_ != 1.0) es = filer->writeDouble(static_cast<AcDb::DxfCode>(48), linetypeScale_);
  return es == Acad::eOk ? filer->filerStatus() : es;
}

// Looks a record up by name in one of the database's tables (null when missing).
template <typename Table>
static AcDbObjectId lookUp(AcDbDatabase* db, const ACHAR* name) {
  AcDbObjectId id;
  if (db == nullptr || name == nullptr) return id;
  Table* table = nullptr;
  if (db->getSymbolTable(table, AcDb::kForRead) != Acad::eOk) return id;
  table->getAt(name, id);
  table->close();
  return id;
}

// The common entity groups. Plain DXF from other tools may leave out the subclass
// marker, so it is taken when present and not required.
Acad::ErrorStatus AcDbEntity::dxfInFields(AcDbDxfFiler* filer) {
  Acad::ErrorStatus es = AcDbObject::dxfInFields(filer);
  if (es != Acad::eOk) return es;
  filer->atSubclassData(L"AcDbEntity");
  AcDbDatabase* db = database() ? database() : filer->database();
  resbuf rb{};
  for (;;) {
    es = filer->readItem(&rb);
    if (es != Acad::eOk) break;
    bool known = true;
    switch (rb.restype) {
      case AcDb::kDxfLayerName: {
        AcDbObjectId id = lookUp<AcDbLayerTable>(db, rb.resval.rstring);
        layerId_ = id.isNull() ? (db ? db->layerZero() : id) : id;
        break;
      }
      case AcDb::kDxfLinetypeName: {
        AcDbObjectId id = lookUp<AcDbLinetypeTable>(db, rb.resval.rstring);
        if (!id.isNull()) linetypeId_ = id;
        break;
      }
      case AcDb::kDxfColor: color_.setColorIndex(static_cast<Adesk::UInt16>(rb.resval.rint < 0 ? -rb.resval.rint : rb.resval.rint)); break;
      case 420: color_.setRGB((rb.resval.rlong >> 16) & 0xFF, (rb.resval.rlong >> 8) & 0xFF, rb.resval.rlong & 0xFF); break;
      case AcDb::kDxfLineWeight: lineWeight_ = static_cast<AcDb::LineWeight>(rb.resval.rint); break;
      case 48: linetypeScale_ = rb.resval.rreal > 0 ? rb.resval.rreal : 1.0; break;
      case 60: case 67: case 410: case 347: case 390: case 284: case 440: break;
      default: known = false; break;
    }
    if (acutRbValueKind(rb.restype) == RbValueKind::kString) delete[] rb.resval.rstring;
    if (!known) {
      filer->pushBackItem();
      break;
    }
  }
  if (layerId_.isNull() && db) layerId_ = db->layerZero();
  if (linetypeId_.isNull() && db) linetypeId_ = db->byLayerLinetype();
  return Acad::eOk;
}

// ---- curve defaults -----------------------------------------------------------------

Acad::ErrorStatus AcDbCurve::getStartParam(double&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getEndParam(double&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getStartPoint(AcGePoint3d&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getEndPoint(AcGePoint3d&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getPointAtParam(double, AcGePoint3d&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getParamAtPoint(const AcGePoint3d&, double&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getDistAtParam(double, double&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getParamAtDist(double, double&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getDistAtPoint(const AcGePoint3d&, double&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getPointAtDist(double, AcGePoint3d&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getFirstDeriv(double, AcGeVector3d&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getClosestPointTo(const AcGePoint3d&, AcGePoint3d&, bool) const {
  return Acad::eNotImplementedYet;
}
Acad::ErrorStatus AcDbCurve::getClosestPointTo(const AcGePoint3d&, const AcGeVector3d&, AcGePoint3d&, bool) const {
  return Acad::eNotImplementedYet;
}
Acad::ErrorStatus AcDbCurve::extend(double) { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::extend(bool, const AcGePoint3d&) { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getArea(double&) const { return Acad::eNotImplementedYet; }
