// The binary filer over a byte buffer: tagged items, sticky errors, and references
// kept as handles in files and as ids in copies and undo records.
#include "arx/dwg_filer_mem.h"

#include <algorithm>
#include <cstring>

#include "arx/db_database.h"

ACRX_DEFINE_HOST_MEMBERS(AcDbDwgFiler)
ACRX_DEFINE_HOST_MEMBERS(AcDbMemDwgFiler)

AcDbMemDwgFiler::AcDbMemDwgFiler(AcDb::FilerType type, AcDbDatabase* db) : type_(type), db_(db) {}

AcDbMemDwgFiler::AcDbMemDwgFiler(std::vector<unsigned char> bytes, AcDb::FilerType type, AcDbDatabase* db)
    : buf_(std::move(bytes)), type_(type), db_(db) {}

AcDbMemDwgFiler::AcDbMemDwgFiler(const unsigned char* data, size_t size, AcDb::FilerType type, AcDbDatabase* db)
    : view_(data != nullptr ? data : reinterpret_cast<const unsigned char*>("")),
      viewSize_(data != nullptr ? size : 0),
      type_(type),
      db_(db) {}

AcDbMemDwgFiler::AcDbMemDwgFiler(std::vector<unsigned char>* sink, AcDb::FilerType type, AcDbDatabase* db)
    : out_(sink), type_(type), db_(db) {}

void AcDbMemDwgFiler::makeRoom(size_t n) {
  std::vector<unsigned char>& out = *out_;
  const size_t used = writtenSize();
  // The room grows with what was written, so that the filer of one small object
  // clears little memory that it never uses, and a large buffer grows in few steps.
  constexpr size_t kLeast = 256, kMost = size_t(1) << 16;
  const size_t want = used + std::max(n, std::clamp(used, kLeast, kMost));
  if (want > out.capacity()) out.reserve(std::max(want, 2 * out.capacity()));
  out.resize(want);
  w_ = out.data() + used;
  wEnd_ = out.data() + out.size();
}

// Reads and writes of plain values: each is one tagged item of the value's size.
#define OV_MEM_FILER_VALUE(NAME, TYPE, KIND)                                            \
  Acad::ErrorStatus AcDbMemDwgFiler::read##NAME(TYPE* v) { return take<sizeof(TYPE)>(KIND, v); } \
  Acad::ErrorStatus AcDbMemDwgFiler::write##NAME(TYPE v) { return put<sizeof(TYPE)>(KIND, &v); }

OV_MEM_FILER_VALUE(Int8, Adesk::Int8, kInt8)
OV_MEM_FILER_VALUE(Int16, Adesk::Int16, kInt16)
OV_MEM_FILER_VALUE(Int32, Adesk::Int32, kInt32)
OV_MEM_FILER_VALUE(Int64, Adesk::Int64, kInt64)
OV_MEM_FILER_VALUE(UInt8, Adesk::UInt8, kUInt8)
OV_MEM_FILER_VALUE(UInt16, Adesk::UInt16, kUInt16)
OV_MEM_FILER_VALUE(UInt32, Adesk::UInt32, kUInt32)
OV_MEM_FILER_VALUE(Double, double, kDouble)
#undef OV_MEM_FILER_VALUE

// Booleans and 3D points are encoded once, by the inline calls; a failed item leaves
// the status sticky, so the status after the call is the item's answer.
Acad::ErrorStatus AcDbMemDwgFiler::readBool(bool* v) {
  getBool(v);
  return status_;
}

Acad::ErrorStatus AcDbMemDwgFiler::writeBool(bool v) {
  putBool(v);
  return status_;
}

Acad::ErrorStatus AcDbMemDwgFiler::readPoint2d(AcGePoint2d* v) {
  double d[2];
  Acad::ErrorStatus es = take<sizeof d>(kPoint2d, d);
  if (es == Acad::eOk) v->set(d[0], d[1]);
  return es;
}

Acad::ErrorStatus AcDbMemDwgFiler::writePoint2d(const AcGePoint2d& v) {
  double d[2] = {v.x, v.y};
  return put<sizeof d>(kPoint2d, d);
}

Acad::ErrorStatus AcDbMemDwgFiler::readPoint3d(AcGePoint3d* v) {
  getPoint3d(v);
  return status_;
}

Acad::ErrorStatus AcDbMemDwgFiler::writePoint3d(const AcGePoint3d& v) {
  putPoint3d(v);
  return status_;
}

Acad::ErrorStatus AcDbMemDwgFiler::readVector3d(AcGeVector3d* v) {
  double d[3];
  Acad::ErrorStatus es = take<sizeof d>(kVector3d, d);
  if (es == Acad::eOk) *v = AcGeVector3d(d[0], d[1], d[2]);
  return es;
}

Acad::ErrorStatus AcDbMemDwgFiler::writeVector3d(const AcGeVector3d& v) {
  double d[3] = {v.x, v.y, v.z};
  return put<sizeof d>(kVector3d, d);
}

// Texts are stored as a UTF-32 length-prefixed run so that every wide character
// survives unchanged.
Acad::ErrorStatus AcDbMemDwgFiler::writeString(const ACHAR* v) {
  if (status_ != Acad::eOk) return status_;
  if (v == nullptr) v = L"";
  auto n = static_cast<Adesk::UInt32>(std::wcslen(v));
  unsigned char head[1 + sizeof n];
  head[0] = kString;
  std::memcpy(head + 1, &n, sizeof n);
  append(head, sizeof head);
  if (sizeof(wchar_t) == 4) {
    append(v, 4 * static_cast<size_t>(n));
  } else {
    for (Adesk::UInt32 i = 0; i < n; ++i) {
      auto c = static_cast<std::uint32_t>(v[i]);
      append(&c, 4);
    }
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMemDwgFiler::readString(std::wstring& v) {
  Adesk::UInt32 n = 0;
  const unsigned char* p = item(kString, sizeof n);
  if (p == nullptr) return status_;
  std::memcpy(&n, p + 1, sizeof n);
  const size_t start = pos_ + 1 + sizeof n;
  if ((readSize() - start) / 4 < n) {
    status_ = Acad::eEndOfFile;
    return status_;
  }
  const unsigned char* chars = p + 1 + sizeof n;
  v.resize(n);
  for (Adesk::UInt32 i = 0; i < n; ++i) {
    std::uint32_t c;
    std::memcpy(&c, chars + 4 * i, 4);
    v[i] = static_cast<wchar_t>(c);
  }
  pos_ = start + 4 * static_cast<size_t>(n);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMemDwgFiler::readString(ACHAR** v) {
  std::wstring s;
  Acad::ErrorStatus es = readString(s);
  if (es == Acad::eOk) *v = acutNewString(s.c_str());
  return es;
}

Acad::ErrorStatus AcDbMemDwgFiler::writeBytes(const void* buffer, Adesk::UInt32 size) {
  if (status_ != Acad::eOk) return status_;
  unsigned char head[1 + sizeof size];
  head[0] = kBytes;
  std::memcpy(head + 1, &size, sizeof size);
  append(head, sizeof head);
  if (size > 0) append(buffer, size);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMemDwgFiler::readBytes(void* buffer, Adesk::UInt32 size) {
  Adesk::UInt32 n = 0;
  const unsigned char* p = item(kBytes, sizeof n);
  if (p == nullptr) return status_;
  std::memcpy(&n, p + 1, sizeof n);
  size_t start = pos_ + 1 + sizeof n;
  if (n != size) {
    status_ = Acad::eWrongItemKind;
    return status_;
  }
  if (readSize() - start < n) {
    status_ = Acad::eEndOfFile;
    return status_;
  }
  if (n > 0) std::memcpy(buffer, p + 1 + sizeof n, n);
  pos_ = start + n;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMemDwgFiler::readAcDbHandle(AcDbHandle* v) {
  std::uint64_t h = 0;
  Acad::ErrorStatus es = take<sizeof h>(kHandle, &h);
  if (es == Acad::eOk) *v = AcDbHandle(h);
  return es;
}

Acad::ErrorStatus AcDbMemDwgFiler::writeAcDbHandle(const AcDbHandle& v) {
  std::uint64_t h = v.value();
  return put<sizeof h>(kHandle, &h);
}

// A file keeps the handle, which is what survives a save; copies and undo records
// live in this process and keep the id itself, so that they work for objects that are
// in no database (an embedded label) and across databases.
Acad::ErrorStatus AcDbMemDwgFiler::putId(ItemKind kind, const AcDbObjectId& id) {
  std::uint64_t v = type_ == AcDb::kFileFiler ? id.handle().value()
                                              : static_cast<std::uint64_t>(id.asOldId());
  return put<sizeof v>(kind, &v);
}

Acad::ErrorStatus AcDbMemDwgFiler::takeId(ItemKind kind, AcDbObjectId* id) {
  std::uint64_t v = 0;
  Acad::ErrorStatus es = take<sizeof v>(kind, &v);
  if (es != Acad::eOk) return es;
  id->setNull();
  if (type_ != AcDb::kFileFiler) {
    id->setFromOldId(static_cast<std::intptr_t>(v));
    return Acad::eOk;
  }
  if (v == 0) return Acad::eOk;
  if (db_ == nullptr) return Acad::eUnknownHandle;
  // An unknown handle is answered but not kept as the filer's status: readers may
  // accept it and go on.
  AcDbObjectId found;
  if (db_->getAcDbObjectId(found, false, AcDbHandle(v)) != Acad::eOk) return Acad::eUnknownHandle;
  *id = found;
  return Acad::eOk;
}

#define OV_MEM_FILER_ID(NAME, TYPE, KIND)                                                          \
  Acad::ErrorStatus AcDbMemDwgFiler::read##NAME(TYPE* id) { return takeId(KIND, id); }             \
  Acad::ErrorStatus AcDbMemDwgFiler::write##NAME(const TYPE& id) { return putId(KIND, id); }

OV_MEM_FILER_ID(HardPointerId, AcDbHardPointerId, kHardPointer)
OV_MEM_FILER_ID(SoftPointerId, AcDbSoftPointerId, kSoftPointer)
OV_MEM_FILER_ID(HardOwnershipId, AcDbHardOwnershipId, kHardOwnership)
OV_MEM_FILER_ID(SoftOwnershipId, AcDbSoftOwnershipId, kSoftOwnership)
#undef OV_MEM_FILER_ID

bool AcDbMemDwgFiler::wellFormed(const unsigned char* data, size_t size) {
  // The value's size after the kind byte, by kind; 0 for an unknown kind, and texts and
  // byte runs, which carry a count, are sized apart.
  static constexpr unsigned char kSize[] = {0, 1, 1, 2, 4, 8, 1, 2, 4, 8, 16, 24, 24, 0, 0, 8, 8, 8, 8, 8, 4};
  static_assert(sizeof kSize == kRecordSize + 1);
  const unsigned char* p = data;
  const unsigned char* const end = data + size;
  while (p != end) {
    const unsigned char kind = *p;
    size_t left = static_cast<size_t>(end - p) - 1;
    size_t value;
    if (kind == kString || kind == kBytes) {
      if (left < 4) return false;
      std::uint32_t n;
      std::memcpy(&n, p + 1, 4);
      value = 4 + (kind == kString ? 4 * static_cast<size_t>(n) : n);
    } else if (kind < sizeof kSize && kSize[kind] != 0) {
      value = kSize[kind];
    } else {
      return false;
    }
    if (value > left) return false;
    p += 1 + value;
  }
  return true;
}
