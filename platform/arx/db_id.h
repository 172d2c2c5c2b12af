// Object identity in a drawing database: handles (unique and persistent within one
// drawing) and object ids (the run-time reference a plug-in holds).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "arx/status.h"

class AcDbDatabase;
class AcDbObject;
class AcRxClass;

class AcDbHandle {
 public:
  AcDbHandle() = default;
  explicit AcDbHandle(std::uint64_t v) : value_(v) {}
  bool isNull() const { return value_ == 0; }
  std::uint64_t value() const { return value_; }
  void increment() { ++value_; }
  // Upper-case hexadecimal as DXF writes handles.
  std::wstring text() const;
  static AcDbHandle fromText(const std::wstring& hex);  // null on a bad text
  bool operator==(const AcDbHandle& o) const { return value_ == o.value_; }
  bool operator!=(const AcDbHandle& o) const { return value_ != o.value_; }
  bool operator<(const AcDbHandle& o) const { return value_ < o.value_; }

 private:
  std::uint64_t value_ = 0;
};

// A stub's object. An object of a drawing opened from a file is built from the file's
// bytes the first time anyone looks at it (opening it, reading its class, the host
// reading a table), so a drawing costs its object map at open, not all its objects;
// peek() looks without building.
class AcDbStubObject {
 public:
  AcDbStubObject& operator=(AcDbObject* obj) {
    ptr_ = obj;
    return *this;
  }
  operator AcDbObject*() const { return ptr_ != nullptr ? ptr_ : build(); }
  AcDbObject* operator->() const { return *this; }
  AcDbObject* peek() const { return ptr_; }

 private:
  AcDbObject* build() const;
  AcDbObject* ptr_ = nullptr;  // owned by the database
};

// The database's record of one object: where an id points. A stub lives as long as
// its database, so an id never dangles while the drawing is open, even after the
// object is erased.
struct AcDbStub {
  AcDbDatabase* database = nullptr;
  AcDbHandle handle;
  AcDbStubObject object;
  // The object's entry in the drawing file it came from (its head, then its bytes), or
  // null for an object made in this session. Its class index and byte count in that
  // file are kept here so that a save never has to read the file to plan its copies.
  const unsigned char* fileEntry = nullptr;
  std::uint32_t fileClass = 0;
  std::uint32_t fileSize = 0;
  int readers = 0;
  bool erased = false;
  bool writer = false;
  bool notifier = false;
  // Opened for write (or put back by undo) since it was read: a save files it again
  // instead of copying its bytes from the file.
  bool modified = false;
  // Its object is being built from the file, or its bytes there did not read.
  bool building = false;
  bool unreadable = false;
};

class AcDbObjectId {
 public:
  AcDbObjectId() = default;
  explicit AcDbObjectId(AcDbStub* stub) : stub_(stub) {}
  static const AcDbObjectId kNull;

  bool isNull() const { return stub_ == nullptr; }
  bool isValid() const { return stub_ != nullptr && stub_->database != nullptr; }
  bool isErased() const { return stub_ != nullptr && stub_->erased; }
  AcDbHandle handle() const { return stub_ ? stub_->handle : AcDbHandle(); }
  AcDbDatabase* database() const { return stub_ ? stub_->database : nullptr; }
  AcRxClass* objectClass() const;
  AcDbStub* stub() const { return stub_; }
  // The id as a number, as LISP entity names carry it.
  std::intptr_t asOldId() const { return reinterpret_cast<std::intptr_t>(stub_); }
  AcDbObjectId& setFromOldId(std::intptr_t old) {
    stub_ = reinterpret_cast<AcDbStub*>(old);
    return *this;
  }
  void setNull() { stub_ = nullptr; }

  bool operator==(const AcDbObjectId& o) const { return stub_ == o.stub_; }
  bool operator!=(const AcDbObjectId& o) const { return stub_ != o.stub_; }
  bool operator<(const AcDbObjectId& o) const { return std::less<AcDbStub*>()(stub_, o.stub_); }

 private:
  AcDbStub* stub_ = nullptr;
};

// Reference kinds of the filers; they differ only in what the reference means.
class AcDbHardPointerId : public AcDbObjectId {
 public:
  AcDbHardPointerId() = default;
  AcDbHardPointerId(const AcDbObjectId& id) : AcDbObjectId(id) {}
};
class AcDbSoftPointerId : public AcDbObjectId {
 public:
  AcDbSoftPointerId() = default;
  AcDbSoftPointerId(const AcDbObjectId& id) : AcDbObjectId(id) {}
};
class AcDbHardOwnershipId : public AcDbObjectId {
 public:
  AcDbHardOwnershipId() = default;
  AcDbHardOwnershipId(const AcDbObjectId& id) : AcDbObjectId(id) {}
};
class AcDbSoftOwnershipId : public AcDbObjectId {
 public:
  AcDbSoftOwnershipId() = default;
  AcDbSoftOwnershipId(const AcDbObjectId& id) : AcDbObjectId(id) {}
};

#include "arx/ge.h"
using AcDbObjectIdArray = AcArray<AcDbObjectId>;
