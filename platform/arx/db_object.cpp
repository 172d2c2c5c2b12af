// The life cycle of database objects: opening and closing by id, erasing, extended
// data, the base filing and copying through the copy filer.
#include "arx/db_object.h"

#include <cmath>
#include <cstring>
#include <cwchar>
#include <memory>

#include "arx/db_database.h"
#include "arx/dwg_filer_mem.h"

ACRX_DEFINE_HOST_MEMBERS(AcGiDrawable)
ACRX_DEFINE_HOST_MEMBERS(AcDbObject)

AcRxClass* AcDbObjectId::objectClass() const {
  return (stub_ && stub_->object) ? stub_->object->isA() : nullptr;
}

AcDbHandle acdbHandleOf(const AcDbObjectId& id) { return id.handle(); }

AcDbObject::AcDbObject() = default;

AcDbObject::~AcDbObject() {
  if (AcDbStub* stub = id_.stub(); stub && stub->object.peek() == this) stub->object = nullptr;
  for (XDataSection& s : xdata_) acutRelRb(s.items);
}

Acad::ErrorStatus AcDbObject::setOwnerId(const AcDbObjectId& owner) {
  ownerId_ = owner;
  return Acad::eOk;
}

bool AcDbObject::isReadEnabled() const {
  const AcDbStub* s = id_.stub();
  return s == nullptr || hostOverride_ > 0 || s->readers > 0 || s->writer || s->notifier;
}

bool AcDbObject::isWriteEnabled() const {
  const AcDbStub* s = id_.stub();
  return s == nullptr || hostOverride_ > 0 || s->writer;
}

bool AcDbObject::isNotifyEnabled() const {
  const AcDbStub* s = id_.stub();
  return s == nullptr || s->notifier;
}

bool AcDbObject::isErased() const { return id_.isErased(); }

void AcDbObject::assertReadEnabled() const {
  if (!isReadEnabled()) throw AcDbOpenStateError("object read while not open");
}

void AcDbObject::assertWriteEnabled(bool, bool recordModified) {
  if (!isWriteEnabled()) throw AcDbOpenStateError("object changed while not open for write");
  (void)recordModified;
}

void AcDbObject::assertNotifyEnabled() const {
  if (!isNotifyEnabled()) throw AcDbOpenStateError("object not open for notify");
}

Acad::ErrorStatus AcDbObject::close() {
  AcDbStub* s = id_.stub();
  if (s == nullptr) return Acad::eOk;  // an object in no database has nothing to close
  if (s->writer) {
    s->writer = false;
    isNew_ = false;
    return Acad::eOk;
  }
  if (s->readers > 0) {
    --s->readers;
    return Acad::eOk;
  }
  if (s->notifier) {
    s->notifier = false;
    return Acad::eOk;
  }
  return Acad::eNotOpenForRead;
}

Acad::ErrorStatus AcDbObject::upgradeOpen() {
  AcDbStub* s = id_.stub();
  if (s == nullptr || s->writer) return Acad::eOk;
  if (s->readers != 1) return s->readers == 0 ? Acad::eNotOpenForRead : Acad::eWasOpenForRead;
  s->readers = 0;
  s->writer = true;
  s->modified = true;
  if (s->database) s->database->hostRecordBeforeWrite(s);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::downgradeOpen() {
  AcDbStub* s = id_.stub();
  if (s == nullptr) return Acad::eOk;
  if (!s->writer) return Acad::eWasNotOpenForWrite;
  s->writer = false;
  s->readers = 1;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::erase(bool erasing) {
  AcDbStub* s = id_.stub();
  if (s == nullptr) return Acad::eNotInDatabase;
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (erasing && s->erased) return Acad::eWasErased;
  s->erased = erasing;
  s->modified = true;
  recordGraphicsModified();
  return Acad::eOk;
}

void AcDbObject::recordGraphicsModified(bool modified) {
  if (modified) ++graphicsModified_;
}

Acad::ErrorStatus acdbOpenObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased) {
  obj = nullptr;
  AcDbStub* s = id.stub();
  if (s == nullptr) return Acad::eNullObjectId;
  if (s->database == nullptr) return Acad::eNotInDatabase;
  if (s->object == nullptr) return s->database->hostMissingObjectStatus(s);
  if (s->erased && !openErased) return Acad::eWasErased;
  switch (mode) {
    case AcDb::kForRead:
      if (s->writer) return Acad::eWasOpenForWrite;
      ++s->readers;
      break;
    case AcDb::kForWrite:
      if (s->writer) return Acad::eWasOpenForWrite;
      if (s->readers > 0) return Acad::eWasOpenForRead;
      s->writer = true;
      s->modified = true;
      s->database->hostRecordBeforeWrite(s);
      break;
    case AcDb::kForNotify:
      s->notifier = true;
      break;
  }
  obj = s->object;
  return Acad::eOk;
}

// ---- extended data ----------------------------------------------------------------

resbuf* AcDbObject::xData(const ACHAR* regappName) const {
  assertReadEnabled();
  resbuf* head = nullptr;
  resbuf** tail = &head;
  for (const XDataSection& s : xdata_) {
    if (regappName != nullptr && wcscasecmp(s.app.c_str(), regappName) != 0) continue;
    *tail = acutNewRb(AcDb::kDxfRegAppName);
    (*tail)->resval.rstring = acutNewString(s.app.c_str());
    tail = &(*tail)->rbnext;
    *tail = acutDuplicateChain(s.items);
    while (*tail) tail = &(*tail)->rbnext;
  }
  return head;
}

static bool appRegistered(AcDbDatabase* db, const std::wstring& app) {
  if (db == nullptr) return true;  // objects in no database take any application
  AcDbRegAppTable* table = nullptr;
  if (db->getRegAppTable(table, AcDb::kForRead) != Acad::eOk) return false;
  bool has = table->has(app.c_str());
  table->close();
  return has;
}

Acad::ErrorStatus AcDbObject::setXData(const resbuf* xdata) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  // Split the chain into application sections first, so that a bad chain changes
  // nothing.
  std::vector<std::pair<std::wstring, const resbuf*>> sections;
  for (const resbuf* rb = xdata; rb != nullptr; rb = rb->rbnext) {
    if (rb->restype == AcDb::kDxfRegAppName) {
      if (rb->resval.rstring == nullptr || *rb->resval.rstring == 0) return Acad::eInvalidInput;
      sections.emplace_back(rb->resval.rstring, rb->rbnext);
    } else if (sections.empty() || rb->restype < 1000 || rb->restype > 1071) {
      return Acad::eInvalidInput;
    }
  }
  for (const auto& [app, first] : sections)
    if (!appRegistered(database(), app)) return Acad::eRegappIdNotFound;

  for (const auto& [app, first] : sections) {
    resbuf* items = nullptr;
    resbuf** tail = &items;
    for (const resbuf* rb = first; rb != nullptr && rb->restype != AcDb::kDxfRegAppName; rb = rb->rbnext) {
      resbuf one = *rb;
      one.rbnext = nullptr;
      *tail = acutDuplicateChain(&one);
      tail = &(*tail)->rbnext;
    }
    auto it = xdata_.begin();
    while (it != xdata_.end() && wcscasecmp(it->app.c_str(), app.c_str()) != 0) ++it;
    if (it != xdata_.end()) {
      acutRelRb(it->items);
      if (items == nullptr) {
        xdata_.erase(it);
        continue;
      }
      it->items = items;
    } else if (items != nullptr) {
      xdata_.push_back({app, items});
    }
  }
  return Acad::eOk;
}

// ---- filing -------------------------------------------------------------------------

static Acad::ErrorStatus writeXDataItem(AcDbDwgFiler* f, const resbuf* rb) {
  Acad::ErrorStatus es = f->writeInt16(rb->restype);
  if (es != Acad::eOk) return es;
  switch (acutRbValueKind(rb->restype)) {
    case RbValueKind::kReal: return f->writeDouble(rb->resval.rreal);
    case RbValueKind::kPoint:
      return f->writePoint3d(AcGePoint3d(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]));
    case RbValueKind::kShort: return f->writeInt16(rb->resval.rint);
    case RbValueKind::kLong: return f->writeInt32(rb->resval.rlong);
    case RbValueKind::kInt64: return f->writeInt64(rb->resval.mnInt64);
    case RbValueKind::kString: return f->writeString(rb->resval.rstring ? rb->resval.rstring : L"");
    case RbValueKind::kBinary: {
      // Extended data allows at most 127 bytes a chunk; the length goes first so that
      // a reader knows what to expect.
      Adesk::Int16 n = rb->resval.rbinary.clen < 0 ? 0 : (rb->resval.rbinary.clen > 127 ? 127 : rb->resval.rbinary.clen);
      es = f->writeInt16(n);
      return es == Acad::eOk ? f->writeBytes(rb->resval.rbinary.buf, static_cast<Adesk::UInt32>(n)) : es;
    }
    default: return Acad::eOk;
  }
}

static Acad::ErrorStatus readXDataItem(AcDbDwgFiler* f, resbuf*& out) {
  Adesk::Int16 code = 0;
  Acad::ErrorStatus es = f->readInt16(&code);
  if (es != Acad::eOk) return es;
  if (code < 1000 || code > 1071 || code == AcDb::kDxfRegAppName) return Acad::eInvalidInput;
  std::unique_ptr<resbuf, int (*)(resbuf*)> rb(acutNewRb(code), acutRelRb);
  switch (acutRbValueKind(code)) {
    case RbValueKind::kReal: es = f->readDouble(&rb->resval.rreal); break;
    case RbValueKind::kPoint: {
      AcGePoint3d p;
      es = f->readPoint3d(&p);
      rb->resval.rpoint[0] = p.x;
      rb->resval.rpoint[1] = p.y;
      rb->resval.rpoint[2] = p.z;
      break;
    }
    case RbValueKind::kShort: es = f->readInt16(&rb->resval.rint); break;
    case RbValueKind::kLong: es = f->readInt32(&rb->resval.rlong); break;
    case RbValueKind::kInt64: es = f->readInt64(&rb->resval.mnInt64); break;
    case RbValueKind::kString: es = f->readString(&rb->resval.rstring); break;
    case RbValueKind::kBinary: {
      Adesk::Int16 n = 0;
      if ((es = f->readInt16(&n)) != Acad::eOk) return es;
      if (n < 0 || n > 127) return Acad::eInvalidInput;
      rb->resval.rbinary.clen = n;
      rb->resval.rbinary.buf = new char[n > 0 ? n : 1];
      es = f->readBytes(rb->resval.rbinary.buf, static_cast<Adesk::UInt32>(n));
      break;
    }
    default: return Acad::eInvalidInput;
  }
  if (es != Acad::eOk) return es;
  // A value no writer can write back (not a number, infinite) is damage, not data.
  RbValueKind kind = acutRbValueKind(code);
  if ((kind == RbValueKind::kReal && !std::isfinite(rb->resval.rreal)) ||
      (kind == RbValueKind::kPoint && !(std::isfinite(rb->resval.rpoint[0]) && std::isfinite(rb->resval.rpoint[1]) &&
                                        std::isfinite(rb->resval.rpoint[2]))))
    return Acad::eInvalidInput;
  out = rb.release();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::dwgOutFields(AcDbDwgFiler* filer) const {
  assertReadEnabled();
  Acad::ErrorStatus es = filer->writeSoftPointerId(ownerId_);
  if (es == Acad::eOk) es = filer->writeInt32(static_cast<Adesk::Int32>(xdata_.size()));
  for (const XDataSection& s : xdata_) {
    if (es == Acad::eOk) es = filer->writeString(s.app);
    Adesk::Int32 n = 0;
    for (const resbuf* rb = s.items; rb; rb = rb->rbnext) ++n;
    if (es == Acad::eOk) es = filer->writeInt32(n);
    for (const resbuf* rb = s.items; rb && es == Acad::eOk; rb = rb->rbnext) es = writeXDataItem(filer, rb);
  }
  return es == Acad::eOk ? filer->filerStatus() : es;
}

Acad::ErrorStatus AcDbObject::dwgInFields(AcDbDwgFiler* filer) {
  AcDbSoftPointerId owner;
  Acad::ErrorStatus es = filer->readSoftPointerId(&owner);
  if (es != Acad::eOk && es != Acad::eUnknownHandle) return es;
  ownerId_ = owner;
  Adesk::Int32 count = 0;
  if ((es = filer->readInt32(&count)) != Acad::eOk) return es;
  if (count < 0) return Acad::eInvalidInput;
  std::vector<XDataSection> sections;
  auto release = [&sections] {
    for (XDataSection& s : sections) acutRelRb(s.items);
  };
  for (Adesk::Int32 i = 0; i < count; ++i) {
    XDataSection s;
    Adesk::Int32 n = 0;
    if ((es = filer->readString(s.app)) != Acad::eOk || (es = filer->readInt32(&n)) != Acad::eOk) {
      release();
      return es;
    }
    sections.push_back(s);
    resbuf** tail = &sections.back().items;
    for (Adesk::Int32 k = 0; k < n; ++k) {
      if ((es = readXDataItem(filer, *tail)) != Acad::eOk) {
        release();
        return es;
      }
      tail = &(*tail)->rbnext;
    }
  }
  for (XDataSection& s : xdata_) acutRelRb(s.items);
  xdata_ = std::move(sections);
  return filer->filerStatus();
}

Acad::ErrorStatus AcDbObject::dxfOutFields(AcDbDxfFiler* filer) const {
  assertReadEnabled();
  return filer->filerStatus();
}

Acad::ErrorStatus AcDbObject::dxfInFields(AcDbDxfFiler* filer) { return filer->filerStatus(); }

Acad::ErrorStatus AcDbObject::audit(AcDbAuditInfo*) { return Acad::eOk; }

AcRxObject* AcDbObject::clone() const {
  AcRxClass* cls = isA();
  AcRxObject* made = cls ? cls->create() : nullptr;
  AcDbObject* copy = AcDbObject::cast(made);
  if (copy == nullptr) {
    delete made;
    return nullptr;
  }
  if (copy->copyFrom(this) != Acad::eOk) {
    delete copy;
    return nullptr;
  }
  return copy;
}

Acad::ErrorStatus AcDbObject::copyFrom(const AcRxObject* other) {
  const AcDbObject* src = AcDbObject::cast(other);
  if (src == nullptr || src->isA() != isA()) return Acad::eNotThatKindOfClass;
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  AcDbMemDwgFiler filer(AcDb::kCopyFiler, src->database());
  Acad::ErrorStatus es = src->dwgOutFields(&filer);
  if (es != Acad::eOk) return es;
  filer.rewind();
  return dwgInFields(&filer);
}
const AcDbObjectId AcDbObjectId::kNull;
