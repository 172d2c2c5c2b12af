// What the plain entities share: their setters' common steps, the first failure of a
// chain of binary filer calls, their version item, and a walk over DXF groups.
#pragma once

#include <cmath>

#include "arx/db_object.h"

// Only numbers can be out of range by themselves; other values are checked by their
// setters.
template <typename T>
bool hostIsFinite(const T&) {
  return true;
}
inline bool hostIsFinite(double v) { return std::isfinite(v); }
inline bool hostIsFinite(const AcGePoint3d& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }
inline bool hostIsFinite(const AcGeVector3d& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// A setter's steps: the object must be open for write and the value acceptable; then
// the field changes and the graphics are marked modified.
template <typename T>
Acad::ErrorStatus hostSetField(AcDbObject* obj, T& field, const T& value, bool acceptable = true) {
  if (!obj->isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (!acceptable || !hostIsFinite(value)) return Acad::eInvalidInput;
  field = value;
  obj->recordGraphicsModified();
  return Acad::eOk;
}

// Keeps the first failing status of a sequence of filer calls: later calls still run
// (a failed read reads nothing) but cannot hide the first failure.
class HostFilerStatus {
 public:
  HostFilerStatus& operator<<(Acad::ErrorStatus es) {
    if (es_ == Acad::eOk) es_ = es;
    return *this;
  }
  Acad::ErrorStatus status() const { return es_; }
  bool ok() const { return es_ == Acad::eOk; }

 private:
  Acad::ErrorStatus es_ = Acad::eOk;
};

// The version each plain entity files after its base class's fields.
constexpr Adesk::Int32 kHostEntityVersion = 1;

// Reads and checks the version item: a later version than this host knows answers
// eMakeMeProxy (the object is kept as filed), a version below 1 eBadFileFormat.
inline Acad::ErrorStatus hostReadEntityVersion(AcDbDwgFiler* filer) {
  Adesk::Int32 version = 0;
  Acad::ErrorStatus es = filer->readInt32(&version);
  if (es != Acad::eOk) return es;
  if (version > kHostEntityVersion) return Acad::eMakeMeProxy;
  return version < 1 ? Acad::eBadFileFormat : Acad::eOk;
}

// Hands each group that follows to visit until the object ends, or (with
// stopAtSubclass) until a subclass marker, which is left for the next reader. Answers
// eOk at the end of the object, otherwise the reader's failure.
template <typename Visit>
Acad::ErrorStatus hostReadDxfGroups(AcDbDxfFiler* filer, bool stopAtSubclass, Visit&& visit) {
  for (;;) {
    resbuf rb{};
    Acad::ErrorStatus es = filer->readItem(&rb);
    if (es != Acad::eOk) return es == Acad::eEndOfObject ? Acad::eOk : es;
    bool marker = rb.restype == AcDb::kDxfSubclass;
    if (!(marker && stopAtSubclass)) visit(static_cast<const resbuf&>(rb));
    switch (acutRbValueKind(rb.restype)) {
      case RbValueKind::kString: acutDelString(rb.resval.rstring); break;
      case RbValueKind::kBinary: delete[] rb.resval.rbinary.buf; break;
      default: break;
    }
    if (marker && stopAtSubclass) return filer->pushBackItem();
  }
}

inline AcGePoint3d hostRbPoint(const resbuf& rb) {
  return {rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]};
}
inline AcGeVector3d hostRbVector(const resbuf& rb) {
  return {rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]};
}
