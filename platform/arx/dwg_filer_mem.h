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
  // A reader over bytes that stay the caller's and must outlive the filer (an object's
  // part of a drawing file being read), so that nothing is copied.
  AcDbMemDwgFiler(const unsigned char* data, size_t size, AcDb::FilerType type, AcDbDatabase* db);
  // A writer that appends to the caller's buffer (a drawing file being made), so that
  // objects are filed straight into the file's bytes; bytes() is then that buffer.
  AcDbMemDwgFiler(std::vector<unsigned char>* sink, AcDb::FilerType type, AcDbDatabase* db);
  AcDbMemDwgFiler(const AcDbMemDwgFiler&) = delete;
  AcDbMemDwgFiler& operator=(const AcDbMemDwgFiler&) = delete;

  // The bytes written, or read from a buffer the filer holds; a reader over the
  // caller's bytes has none of its own.
  const std::vector<unsigned char>& bytes() const { return *out_; }
  std::vector<unsigned char> takeBytes() { return std::move(*out_); }
  // Appends bytes that were filed before, unchanged (a proxy's kept data).
  void appendRaw(const std::vector<unsigned char>& raw) { out_->insert(out_->end(), raw.begin(), raw.end()); }
  size_t position() const { return pos_; }
  bool atEnd() const { return pos_ >= readSize(); }
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
  // Appends bytes to the buffer being written (copied in one go, never cleared first).
  void append(const void* data, size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    out_->insert(out_->end(), p, p + n);
  }
  Acad::ErrorStatus put(ItemKind kind, const void* data, size_t size);
  // The start of an item of this kind with at least `size` bytes after its kind byte,
  // or null with the status set.
  const unsigned char* item(ItemKind kind, size_t size);
  Acad::ErrorStatus take(ItemKind kind, void* data, size_t size);
  Acad::ErrorStatus putId(ItemKind kind, const AcDbObjectId& id);
  Acad::ErrorStatus takeId(ItemKind kind, AcDbObjectId* id);
  const unsigned char* readData() const { return view_ != nullptr ? view_ : out_->data(); }
  size_t readSize() const { return view_ != nullptr ? viewSize_ : out_->size(); }

  std::vector<unsigned char> buf_;
  std::vector<unsigned char>* out_ = &buf_;  // where writes go: buf_ or the caller's sink
  const unsigned char* view_ = nullptr;      // the caller's bytes being read, if any
  size_t viewSize_ = 0;
  size_t pos_ = 0;
  AcDb::FilerType type_;
  AcDbDatabase* db_;
  Acad::ErrorStatus status_ = Acad::eOk;
};
