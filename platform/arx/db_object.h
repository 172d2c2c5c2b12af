// The base of every object of a drawing database: identity, open state, erasing,
// extended data and filing, and the functions that open objects by id.
#pragma once

#include <string>
#include <vector>

#include "arx/db_filer.h"
#include "arx/db_id.h"
#include "arx/gi.h"
#include "arx/resbuf.h"
#include "arx/rx.h"

class AcDbAuditInfo;

namespace AcDb {
enum SaveType { kR12Save = 0, kR13Save, kR14Save, k2000Save };
}

// Thrown when a plug-in changes an object it has not opened for write, or reads one it
// has not opened at all: a programming error the host refuses to let pass silently.
class AcDbOpenStateError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

class AcDbObject : public AcGiDrawable {
 public:
  ACRX_DECLARE_MEMBERS(AcDbObject)
  AcDbObject();
  ~AcDbObject() override;
  AcDbObject(const AcDbObject&) = delete;
  AcDbObject& operator=(const AcDbObject&) = delete;

  AcDbObjectId objectId() const { return id_; }
  AcDbObjectId ownerId() const { return ownerId_; }
  Acad::ErrorStatus setOwnerId(const AcDbObjectId& owner);
  AcDbDatabase* database() const { return id_.database(); }
  AcDbHandle objectHandle() const { return id_.handle(); }
  void getAcDbHandle(AcDbHandle& handle) const { handle = id_.handle(); }

  // Open state. An object that is not in a database is always readable and writable.
  bool isReadEnabled() const;
  bool isWriteEnabled() const;
  bool isNotifyEnabled() const;
  bool isErased() const;
  bool isNewObject() const { return isNew_; }
  void assertReadEnabled() const;
  void assertWriteEnabled(bool autoUndo = true, bool recordModified = true);
  void assertNotifyEnabled() const;
  Acad::ErrorStatus close();
  Acad::ErrorStatus upgradeOpen();
  Acad::ErrorStatus downgradeOpen();
  Acad::ErrorStatus erase(bool erasing = true);

  // Extended data: chains of 1001 application sections. setXData replaces the sections
  // of the applications it names; a section with no items removes that application's
  // data. An application must be registered in the database's application table.
  resbuf* xData(const ACHAR* regappName = nullptr) const;
  Acad::ErrorStatus setXData(const resbuf* xdata);

  virtual Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer);
  virtual Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const;
  virtual Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer);
  virtual Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const;
  virtual Acad::ErrorStatus audit(AcDbAuditInfo* info);

  // A new object of the same class with the same data, made through the copy filer.
  virtual AcRxObject* clone() const;
  // Copies the data of another object of the same class through the copy filer.
  Acad::ErrorStatus copyFrom(const AcRxObject* other);

  bool worldDraw(AcGiWorldDraw* wd) override { return subWorldDraw(wd); }
  virtual bool subWorldDraw(AcGiWorldDraw*) { return true; }
  void recordGraphicsModified(bool modified = true);
  int graphicsModifiedCount() const { return graphicsModified_; }

  // Host internals: the database binds an object to its stub.
  void hostBind(const AcDbObjectId& id, bool isNew) { id_ = id; isNew_ = isNew; }
  // Host internals: lets the host read or restore an object that is not open.
  struct HostAccess;

 private:
  friend struct HostAccess;
  AcDbObjectId id_;
  AcDbObjectId ownerId_;
  bool isNew_ = false;
  int graphicsModified_ = 0;
  int hostOverride_ = 0;
  // Extended data, one section per application, in the order they were set.
  struct XDataSection {
    std::wstring app;
    resbuf* items = nullptr;  // owned chain, without the 1001 item
  };
  std::vector<XDataSection> xdata_;
};

struct AcDbObject::HostAccess {
  // While alive, the object counts as open for write for the host's own restoring.
  explicit HostAccess(const AcDbObject* o) : obj(const_cast<AcDbObject*>(o)) { ++obj->hostOverride_; }
  ~HostAccess() { --obj->hostOverride_; }
  HostAccess(const HostAccess&) = delete;
  HostAccess& operator=(const HostAccess&) = delete;
  AcDbObject* obj;
};

Acad::ErrorStatus acdbOpenObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased = false);

// Opens an object and checks its class: eNotThatKindOfClass when it is not a T.
template <typename T>
Acad::ErrorStatus acdbOpenObject(T*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false) {
  obj = nullptr;
  AcDbObject* p = nullptr;
  Acad::ErrorStatus es = acdbOpenObject(p, id, mode, openErased);
  if (es != Acad::eOk) return es;
  obj = T::cast(p);
  if (obj == nullptr) {
    p->close();
    return Acad::eNotThatKindOfClass;
  }
  return Acad::eOk;
}

// Answers the object's handle, or a null handle, for an id.
AcDbHandle acdbHandleOf(const AcDbObjectId& id);
