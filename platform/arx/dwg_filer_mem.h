// The host's binary filer over a byte buffer, used for drawing files, copies and undo.
// Each item is a kind byte followed by its value in little-endian order, so that a
// reader can refuse an item of the wrong kind.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "arx/db_filer.h"

class AcDbMemDwgFiler : public AcDbDwgFiler {
 public:
  ACRX_DECLARE_MEMBERS(AcDbMemDwgFiler)
  // The item kinds, as stored in front of every value.
  enum ItemKind : unsigned char {
    kBool = 1, kInt8, kInt16, kInt32, kInt64, kUInt8, kUInt16, kUInt32, kDouble,
    kPoint2d, kPoint3d, kVector3d, kString, kBytes, kHandle,
    kHardPointer, kSoftPointer, kHardOwnership, kSoftOwnership,
  };

  explicit AcDbMemDwgFiler(AcDb::FilerType type = AcDb::kCopyFiler, AcDbDatabase* db = nullptr);
  // A reader over existing bytes.
  AcDbMemDwgFiler(std::vector<unsigned char> bytes, AcDb::FilerType type, AcDbDatabase* db);

  const std::vector<unsigned char>& bytes() const { return buf_; }
  std::vector<unsigned char> takeBytes() { return std::move(buf_); }
  // Appends bytes that were filed before, unchanged (a proxy's kept data).
  void appendRaw(const std::vector<unsigned char>& raw) { buf_.insert(buf_.end(), raw.begin(), raw.end()); }
  size_t position() const { return pos_; }
  bool atEnd() const { return pos_ >= buf_.size(); }
  // Back to the start for reading, status cleared.
  void rewind() { pos_ = 0; status_ = Acad::eOk; }

  Acad::ErrorStatus filerStatus() const override { return status_; }
  AcDb::FilerType filerType() const override { return type_; }
  void setFilerStatus(Acad::ErrorStatus es) override { status_ = es; }
  void resetFilerStatus() override { status_ = Acad::eOk; }
  AcDbDatabase* database() const override { return db_; }

  Acad::ErrorStatus readBool(bool* v) override;
  Acad::ErrorStatus writeBool(bool v) override;
  Acad::ErrorStatus readInt8(Adesk::Int8* v) override;
  Acad::ErrorStatus writeInt8(Adesk::Int8 v) override;
  Acad::ErrorStatus readInt16(Adesk::Int16* v) override;
  Acad::ErrorStatus writeInt16(Adesk::Int16 v) override;
  Acad::ErrorStatus readInt32(Adesk::Int32* v) override;
  Acad::ErrorStatus writeInt32(Adesk::Int32 v) override;
  Acad::ErrorStatus readInt64(Adesk::Int64* v) override;
  Acad::ErrorStatus writeInt64(Adesk::Int64 v) override;
  Acad::ErrorStatus readUInt8(Adesk::UInt8* v) override;
  Acad::ErrorStatus writeUInt8(Adesk::UInt8 v) override;
  Acad::ErrorStatus readUInt16(Adesk::UInt16* v) override;
  Acad::ErrorStatus writeUInt16(Adesk::UInt16 v) override;
  Acad::ErrorStatus readUInt32(Adesk::UInt32* v) override;
  Acad::ErrorStatus writeUInt32(Adesk::UInt32 v) override;
  Acad::ErrorStatus readDouble(double* v) override;
  Acad::ErrorStatus writeDouble(double v) override;
  Acad::ErrorStatus readPoint2d(AcGePoint2d* v) override;
  Acad::ErrorStatus writePoint2d(const AcGePoint2d& v) override;
  Acad::ErrorStatus readPoint3d(AcGePoint3d* v) override;
  Acad::ErrorStatus writePoint3d(const AcGePoint3d& v) override;
  Acad::ErrorStatus readVector3d(AcGeVector3d* v) override;
  Acad::ErrorStatus writeVector3d(const AcGeVector3d& v) override;
  Acad::ErrorStatus readString(ACHAR** v) override;
  Acad::ErrorStatus readString(std::wstring& v) override;
  Acad::ErrorStatus writeString(const ACHAR* v) override;
  using AcDbDwgFiler::writeString;
  Acad::ErrorStatus readBytes(void* buffer, Adesk::UInt32 size) override;
  Acad::ErrorStatus writeBytes(const void* buffer, Adesk::UInt32 size) override;
  Acad::ErrorStatus readAcDbHandle(AcDbHandle* v) override;
  Acad::ErrorStatus writeAcDbHandle(const AcDbHandle& v) override;
  Acad::ErrorStatus readHardPointerId(AcDbHardPointerId* id) override;
  Acad::ErrorStatus writeHardPointerId(const AcDbHardPointerId& id) override;
  Acad::ErrorStatus readSoftPointerId(AcDbSoftPointerId* id) override;
  Acad::ErrorStatus writeSoftPointerId(const AcDbSoftPointerId& id) override;
  Acad::ErrorStatus readHardOwnershipId(AcDbHardOwnershipId* id) override;
  Acad::ErrorStatus writeHardOwnershipId(const AcDbHardOwnershipId& id) override;
  Acad::ErrorStatus readSoftOwnershipId(AcDbSoftOwnershipId* id) override;
  Acad::ErrorStatus writeSoftOwnershipId(const AcDbSoftOwnershipId& id) override;

 private:
  Acad::ErrorStatus put(ItemKind kind, const void* data, size_t size);
  Acad::ErrorStatus take(ItemKind kind, void* data, size_t size);
  Acad::ErrorStatus putId(ItemKind kind, const AcDbObjectId& id);
  Acad::ErrorStatus takeId(ItemKind kind, AcDbObjectId* id);

  std::vector<unsigned char> buf_;
  size_t pos_ = 0;
  AcDb::FilerType type_;
  AcDbDatabase* db_;
  Acad::ErrorStatus status_ = Acad::eOk;
};
