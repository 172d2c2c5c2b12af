// Symbol tables and their records: lookup by name without regard to case, adding
// records, appending entities to blocks, and the records' own data and filing.
#include "arx/db_symtab.h"

#include <cwchar>
#include <cwctype>

#include "arx/db_database.h"

ACRX_DEFINE_HOST_MEMBERS(AcDbSymbolTableRecord)
ACRX_DEFINE_HOST_MEMBERS(AcDbSymbolTable)
ACRX_DEFINE_HOST_MEMBERS(AcDbBlockTableRecord)
ACRX_DEFINE_HOST_MEMBERS(AcDbLayerTableRecord)
ACRX_DEFINE_HOST_MEMBERS(AcDbLinetypeTableRecord)
ACRX_DEFINE_HOST_MEMBERS(AcDbTextStyleTableRecord)
ACRX_DEFINE_HOST_MEMBERS(AcDbRegAppTableRecord)

#define OV_DEFINE_SYMBOL_TABLE(TABLE, RECORD)                                                  \
  ACRX_DEFINE_HOST_MEMBERS(TABLE)                                                              \
  AcRxClass* TABLE::recordClass() const { return RECORD::desc(); }                             \
  Acad::ErrorStatus TABLE::getAt(const ACHAR* name, RECORD*& rec, AcDb::OpenMode mode,         \
                                 bool openErased) const {                                      \
    rec = nullptr;                                                                             \
    AcDbObjectId id;                                                                           \
    Acad::ErrorStatus es = AcDbSymbolTable::getAt(name, id, openErased);                       \
    return es == Acad::eOk ? acdbOpenObject(rec, id, mode, openErased) : es;                   \
  }

OV_DEFINE_SYMBOL_TABLE(AcDbBlockTable, AcDbBlockTableRecord)
OV_DEFINE_SYMBOL_TABLE(AcDbLayerTable, AcDbLayerTableRecord)
OV_DEFINE_SYMBOL_TABLE(AcDbLinetypeTable, AcDbLinetypeTableRecord)
OV_DEFINE_SYMBOL_TABLE(AcDbTextStyleTable, AcDbTextStyleTableRecord)
OV_DEFINE_SYMBOL_TABLE(AcDbRegAppTable, AcDbRegAppTableRecord)

// ---- records ----------------------------------------------------------------------

Acad::ErrorStatus AcDbSymbolTableRecord::getName(ACHAR*& name) const {
  assertReadEnabled();
  name = acutNewString(name_.c_str());
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(const ACHAR*& name) const {
  assertReadEnabled();
  name = name_.c_str();
  return Acad::eOk;
}

// Names of the host's tables: not empty, at most 255 characters, none of the
// characters the host reserves.
static bool validSymbolName(const ACHAR* name) {
  if (name == nullptr || *name == 0 || std::wcslen(name) > 255) return false;
  return std::wcspbrk(name, L"<>/\\\":;?,|=`") == nullptr;
}

Acad::ErrorStatus AcDbSymbolTableRecord::setName(const ACHAR* name) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (!validSymbolName(name)) return Acad::eInvalidSymbolTableName;
  // Within a table a name is unique.
  if (AcDbStub* owner = ownerId().stub(); owner && owner->object) {
    if (auto* table = AcDbSymbolTable::cast(owner->object)) {
      AcDbObject::HostAccess access(table);  // the table need not be open for a rename
      AcDbObjectId other;
      if (table->getAt(name, other) == Acad::eOk && other != objectId()) return Acad::eDuplicateKey;
    }
  }
  name_ = name;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::dwgOutFields(AcDbDwgFiler* filer) const {
  Acad::ErrorStatus es = AcDbObject::dwgOutFields(filer);
  return es == Acad::eOk ? filer->writeString(name_) : es;
}

Acad::ErrorStatus AcDbSymbolTableRecord::dwgInFields(AcDbDwgFiler* filer) {
  Acad::ErrorStatus es = AcDbObject::dwgInFields(filer);
  if (es != Acad::eOk) return es;
  std::wstring name;
  if ((es = filer->readString(name)) != Acad::eOk) return es;
  name_ = name;
  return filer->filerStatus();
}

Acad::ErrorStatus AcDbSymbolTableRecord::dxfOutFields(AcDbDxfFiler* filer) const {
  Acad::ErrorStatus es = AcDbObject::dxfOutFields(filer);
  if (es == Acad::eOk) es = filer->writeString(AcDb::kDxfSubclass, L"AcDbSymbolTableRecord");
  return es;
}

Acad::ErrorStatus AcDbSymbolTableRecord::dxfInFields(AcDbDxfFiler* filer) {
  Acad::ErrorStatus es = AcDbObject::dxfInFields(filer);
  if (es == Acad::eOk) filer->atSubclassData(L"AcDbSymbolTableRecord");
  return es;
}

// ---- tables -------------------------------------------------------------------------

std::vector<AcDbObjectId> AcDbSymbolTable::recordIds(bool withErased) const {
  assertReadEnabled();
  std::vector<AcDbObjectId> out;
  for (const AcDbObjectId& id : records_)
    if (withErased || !id.isErased()) out.push_back(id);
  return out;
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* name, AcDbObjectId& id, bool getErased) const {
  assertReadEnabled();
  id.setNull();
  if (name == nullptr) return Acad::eInvalidInput;
  for (const AcDbObjectId& rid : records_) {
    if (rid.isErased() && !getErased) continue;
    auto* rec = rid.stub() ? AcDbSymbolTableRecord::cast(rid.stub()->object) : nullptr;
    if (rec && wcscasecmp(rec->name().c_str(), name) == 0) {
      id = rid;
      return Acad::eOk;
    }
  }
  return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* name, AcDbSymbolTableRecord*& rec, AcDb::OpenMode mode,
                                         bool openErased) const {
  rec = nullptr;
  AcDbObjectId id;
  Acad::ErrorStatus es = getAt(name, id, openErased);
  return es == Acad::eOk ? acdbOpenObject(rec, id, mode, openErased) : es;
}

bool AcDbSymbolTable::has(const ACHAR* name) const {
  AcDbObjectId id;
  return getAt(name, id) == Acad::eOk;
}

bool AcDbSymbolTable::has(AcDbObjectId id) const {
  assertReadEnabled();
  for (const AcDbObjectId& rid : records_)
    if (rid == id && !rid.isErased()) return true;
  return false;
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbSymbolTableRecord* rec) {
  AcDbObjectId id;
  return add(id, rec);
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbObjectId& id, AcDbSymbolTableRecord* rec) {
  if (rec == nullptr) return Acad::eNullObjectPointer;
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (database() == nullptr) return Acad::eNotInDatabase;
  if (!rec->objectId().isNull()) return Acad::eAlreadyInDb;
  if (!rec->isKindOf(recordClass())) return Acad::eWrongObjectType;
  if (!validSymbolName(rec->name().c_str())) return Acad::eInvalidSymbolTableName;
  if (has(rec->name().c_str())) return Acad::eDuplicateKey;
  Acad::ErrorStatus es = database()->addAcDbObject(id, rec);
  if (es != Acad::eOk) return es;
  rec->setOwnerId(objectId());
  records_.push_back(id);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& it, bool, bool skipDeleted) const {
  it = new AcDbSymbolTableIterator(recordIds(!skipDeleted));
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
  if (done()) return Acad::eInvalidIndex;
  id = ids_[pos_];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& rec, AcDb::OpenMode mode,
                                                     bool openErased) const {
  rec = nullptr;
  if (done()) return Acad::eInvalidIndex;
  return acdbOpenObject(rec, ids_[pos_], mode, openErased);
}

// Id lists of owners: a drawing file keeps only the live members, so that a reader
// finds every handle it is given; copies and undo keep them all.
static Acad::ErrorStatus writeIdList(AcDbDwgFiler* filer, const std::vector<AcDbObjectId>& ids) {
  std::vector<AcDbObjectId> kept;
  for (const AcDbObjectId& id : ids)
    if (filer->filerType() != AcDb::kFileFiler || !id.isErased()) kept.push_back(id);
  Acad::ErrorStatus es = filer->writeInt32(static_cast<Adesk::Int32>(kept.size()));
  for (const AcDbObjectId& id : kept)
    if (es == Acad::eOk) es = filer->writeHardOwnershipId(id);
  return es;
}

static Acad::ErrorStatus readIdList(AcDbDwgFiler* filer, std::vector<AcDbObjectId>& ids) {
  Adesk::Int32 n = 0;
  Acad::ErrorStatus es = filer->readInt32(&n);
  if (es != Acad::eOk) return es;
  if (n < 0) return Acad::eInvalidInput;
  std::vector<AcDbObjectId> read;
  for (Adesk::Int32 i = 0; i < n; ++i) {
    AcDbHardOwnershipId id;
    es = filer->readHardOwnershipId(&id);
    if (es == Acad::eUnknownHandle) continue;  // a member missing from the file is dropped
    if (es != Acad::eOk) return es;
    if (!id.isNull()) read.push_back(id);
  }
  ids = std::move(read);
  return filer->filerStatus();
}

Acad::ErrorStatus AcDbSymbolTable::dwgOutFields(AcDbDwgFiler* filer) const {
  Acad::ErrorStatus es = AcDbObject::dwgOutFields(filer);
  return es == Acad::eOk ? writeIdList(filer, records_) : es;
}

Acad::ErrorStatus AcDbSymbolTable::dwgInFields(AcDbDwgFiler* filer) {
  Acad::ErrorStatus es = AcDbObject::dwgInFields(filer);
  return es == Acad::eOk ? readIdList(filer, records_) : es;
}

// ---- block records ------------------------------------------------------------------

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* ent) {
  AcDbObjectId id;
  return appendAcDbEntity(id, ent);
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& id, AcDbEntity* ent) {
  if (ent == nullptr) return Acad::eNullObjectPointer;
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  AcDbDatabase* db = database();
  if (db == nullptr) return Acad::eNotInDatabase;
  if (!ent->objectId().isNull()) return Acad::eAlreadyInDb;
  // Layer and linetype references must be of this drawing.
  if (!ent->layerId().isNull() && ent->layerId().database() != db) return Acad::eWrongDatabase;
  if (!ent->linetypeId().isNull() && ent->linetypeId().database() != db) return Acad::eWrongDatabase;
  Acad::ErrorStatus es = db->addAcDbObject(id, ent);
  if (es != Acad::eOk) return es;
  ent->setOwnerId(objectId());
  if (ent->layerId().isNull()) ent->setLayer(db->clayer());
  if (ent->linetypeId().isNull()) ent->setLinetype(db->celtype());
  entities_.push_back(id);
  return Acad::eOk;
}

std::vector<AcDbObjectId> AcDbBlockTableRecord::entityIds(bool withErased) const {
  assertReadEnabled();
  std::vector<AcDbObjectId> out;
  for (const AcDbObjectId& id : entities_)
    if (withErased || !id.isErased()) out.push_back(id);
  return out;
}

Acad::ErrorStatus AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& it, bool, bool skipDeleted) const {
  it = new AcDbBlockTableRecordIterator(entityIds(!skipDeleted));
  return Acad::eOk;
}

bool AcDbBlockTableRecord::isLayout() const {
  return wcscasecmp(name().c_str(), ACDB_MODEL_SPACE) == 0 || wcscasecmp(name().c_str(), ACDB_PAPER_SPACE) == 0;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& id) const {
  if (done()) return Acad::eInvalidIndex;
  id = ids_[pos_];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntity(AcDbEntity*& ent, AcDb::OpenMode mode,
                                                          bool openErased) const {
  ent = nullptr;
  if (done()) return Acad::eInvalidIndex;
  return acdbOpenObject(ent, ids_[pos_], mode, openErased);
}

Acad::ErrorStatus AcDbBlockTableRecord::dwgOutFields(AcDbDwgFiler* filer) const {
  Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgOutFields(filer);
  return es == Acad::eOk ? writeIdList(filer, entities_) : es;
}

Acad::ErrorStatus AcDbBlockTableRecord::dwgInFields(AcDbDwgFiler* filer) {
  Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgInFields(filer);
  return es == Acad::eOk ? readIdList(filer, entities_) : es;
}

// ---- layers -------------------------------------------------------------------------

void AcDbLayerTableRecord::setColor(const AcCmColor& c) {
  assertWriteEnabled();
  color_ = c;
}

void AcDbLayerTableRecord::setLinetypeObjectId(AcDbObjectId id) {
  assertWriteEnabled();
  linetype_ = id;
}

Acad::ErrorStatus AcDbLayerTableRecord::setLineWeight(AcDb::LineWeight w) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (!AcDb::isValidLineWeight(w)) return Acad::eInvalidInput;
  lineWeight_ = w;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerTableRecord::setIsPlottable(bool p) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  plottable_ = p;
  return Acad::eOk;
}

ACHAR* AcDbLayerTableRecord::plotStyleName() const {
  assertReadEnabled();
  return acutNewString(plotStyle_.c_str());
}

Acad::ErrorStatus AcDbLayerTableRecord::setPlotStyleName(const ACHAR* name) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (name == nullptr) return Acad::eInvalidInput;
  plotStyle_ = name;
  return Acad::eOk;
}

void AcDbLayerTableRecord::setIsLocked(bool locked) {
  assertWriteEnabled();
  locked_ = locked;
}

void AcDbLayerTableRecord::setIsOff(bool off) {
  assertWriteEnabled();
  off_ = off;
}

Acad::ErrorStatus AcDbLayerTableRecord::setIsFrozen(bool frozen) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  frozen_ = frozen;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerTableRecord::dwgOutFields(AcDbDwgFiler* filer) const {
  Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgOutFields(filer);
  if (es == Acad::eOk) es = filer->writeBool(color_.isByColor());
  if (es == Acad::eOk) es = filer->writeUInt16(color_.colorIndex());
  if (es == Acad::eOk) es = filer->writeUInt8(color_.red());
  if (es == Acad::eOk) es = filer->writeUInt8(color_.green());
  if (es == Acad::eOk) es = filer->writeUInt8(color_.blue());
  if (es == Acad::eOk) es = filer->writeHardPointerId(linetype_);
  if (es == Acad::eOk) es = filer->writeInt32(lineWeight_);
  if (es == Acad::eOk) es = filer->writeBool(plottable_);
  if (es == Acad::eOk) es = filer->writeString(plotStyle_);
  if (es == Acad::eOk) es = filer->writeBool(locked_);
  if (es == Acad::eOk) es = filer->writeBool(off_);
  if (es == Acad::eOk) es = filer->writeBool(frozen_);
  return es;
}

Acad::ErrorStatus AcDbLayerTableRecord::dwgInFields(AcDbDwgFiler* filer) {
  Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgInFields(filer);
  if (es != Acad::eOk) return es;
  bool rgb = false;
  Adesk::UInt16 index = 7;
  Adesk::UInt8 r = 0, g = 0, b = 0;
  AcDbHardPointerId lt;
  Adesk::Int32 weight = 0;
  if ((es = filer->readBool(&rgb)) != Acad::eOk || (es = filer->readUInt16(&index)) != Acad::eOk ||
      (es = filer->readUInt8(&r)) != Acad::eOk || (es = filer->readUInt8(&g)) != Acad::eOk ||
      (es = filer->readUInt8(&b)) != Acad::eOk)
    return es;
  es = filer->readHardPointerId(&lt);
  if (es != Acad::eOk && es != Acad::eUnknownHandle) return es;
  if ((es = filer->readInt32(&weight)) != Acad::eOk || (es = filer->readBool(&plottable_)) != Acad::eOk ||
      (es = filer->readString(plotStyle_)) != Acad::eOk || (es = filer->readBool(&locked_)) != Acad::eOk ||
      (es = filer->readBool(&off_)) != Acad::eOk || (es = filer->readBool(&frozen_)) != Acad::eOk)
    return es;
  if (!AcDb::isValidLineWeight(weight)) return Acad::eInvalidInput;
  color_ = AcCmColor();
  if (rgb)
    color_.setRGB(r, g, b);
  else
    color_.setColorIndex(index > 257 ? 7 : index);
  linetype_ = lt;
  lineWeight_ = static_cast<AcDb::LineWeight>(weight);
  return filer->filerStatus();
}

// ---- linetypes ----------------------------------------------------------------------

ACHAR* AcDbLinetypeTableRecord::comments() const {
  assertReadEnabled();
  return acutNewString(comments_.c_str());
}

Acad::ErrorStatus AcDbLinetypeTableRecord::setComments(const ACHAR* text) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  comments_ = text ? text : L"";
  return Acad::eOk;
}

double AcDbLinetypeTableRecord::dashLengthAt(int index) const {
  assertReadEnabled();
  return dashes_.at(static_cast<size_t>(index));
}

void AcDbLinetypeTableRecord::setNumDashes(int count) {
  assertWriteEnabled();
  dashes_.resize(count > 0 ? static_cast<size_t>(count) : 0, 0.0);
}

void AcDbLinetypeTableRecord::setDashLengthAt(int index, double length) {
  assertWriteEnabled();
  dashes_.at(static_cast<size_t>(index)) = length;
}

double AcDbLinetypeTableRecord::patternLength() const {
  assertReadEnabled();
  double total = 0;
  for (double d : dashes_) total += d < 0 ? -d : d;
  return total;
}

Acad::ErrorStatus AcDbLinetypeTableRecord::dwgOutFields(AcDbDwgFiler* filer) const {
  Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgOutFields(filer);
  if (es == Acad::eOk) es = filer->writeString(comments_);
  if (es == Acad::eOk) es = filer->writeInt32(static_cast<Adesk::Int32>(dashes_.size()));
  for (double d : dashes_)
    if (es == Acad::eOk) es = filer->writeDouble(d);
  return es;
}

Acad::ErrorStatus AcDbLinetypeTableRecord::dwgInFields(AcDbDwgFiler* filer) {
  Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgInFields(filer);
  if (es != Acad::eOk) return es;
  Adesk::Int32 n = 0;
  if ((es = filer->readString(comments_)) != Acad::eOk || (es = filer->readInt32(&n)) != Acad::eOk) return es;
  if (n < 0 || n > 12) return Acad::eInvalidInput;  // the host's patterns have at most 12 dashes
  std::vector<double> dashes(static_cast<size_t>(n));
  for (double& d : dashes)
    if ((es = filer->readDouble(&d)) != Acad::eOk) return es;
  dashes_ = std::move(dashes);
  return filer->filerStatus();
}

// ---- text styles --------------------------------------------------------------------

Acad::ErrorStatus AcDbTextStyleTableRecord::fileName(ACHAR*& name) const {
  assertReadEnabled();
  name = acutNewString(font_.c_str());
  return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setFileName(const ACHAR* name) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  font_ = name ? name : L"";
  return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setTextSize(double size) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (size < 0) return Acad::eInvalidInput;
  size_ = size;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setXScale(double scale) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (!(scale > 0)) return Acad::eInvalidInput;
  xScale_ = scale;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::dwgOutFields(AcDbDwgFiler* filer) const {
  Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgOutFields(filer);
  if (es == Acad::eOk) es = filer->writeString(font_);
  if (es == Acad::eOk) es = filer->writeDouble(size_);
  if (es == Acad::eOk) es = filer->writeDouble(xScale_);
  return es;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::dwgInFields(AcDbDwgFiler* filer) {
  Acad::ErrorStatus es = AcDbSymbolTableRecord::dwgInFields(filer);
  if (es != Acad::eOk) return es;
  if ((es = filer->readString(font_)) != Acad::eOk || (es = filer->readDouble(&size_)) != Acad::eOk ||
      (es = filer->readDouble(&xScale_)) != Acad::eOk)
    return es;
  return filer->filerStatus();
}
