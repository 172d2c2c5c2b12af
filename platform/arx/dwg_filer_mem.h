// The host's binary filer over a byte buffer, used for drawing files, copies and undo.
// Each item is a kind byte followed by its value in little-endian order, so that a
// reader can refuse an item of the wrong kind.
#pragma once

#include <cstddef>
#include <cstring>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "arx/db_filer.h"

class AcDbMemDwgFiler final : public AcDbDwgFiler {
 public:
  ACRX_DECLARE_MEMBERS(AcDbMemDwgFiler)
  // The item kinds, as stored in front of every value.
  enum ItemKind : unsigned char {
    kBool = 1, kInt8, kInt16, kInt32, kInt64, kUInt8, kUInt16, kUInt32, kDouble,
    kPoint2d, kPoint3d, kVector3d, kString, kBytes, kHandle,
    kHardPointer, kSoftPointer, kHardOwnership, kSoftOwnership,
    // A drawing file puts this in front of an object's items: the byte count of the
    // items after it, so that a record cut short between two items is seen as such.
    kRecordSize,
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
  ~AcDbMemDwgFiler() override { settle(); }

  // The bytes written, or read from a buffer the filer holds; a reader over the
  // caller's bytes has none of its own.
  const std::vector<unsigned char>& bytes() const {
    settle();
    return *out_;
  }
  std::vector<unsigned char> takeBytes() {
    settle();
    return std::move(*out_);
  }
  // Appends bytes that were filed before, unchanged (a proxy's kept data).
  void appendRaw(const std::vector<unsigned char>& raw) { appendRaw(raw.data(), raw.size()); }
  // Appends bytes with no kind in front: a file's own framing between objects.
  void appendRaw(const void* data, size_t n) {
    if (n == 0) return;
    std::memcpy(room(n), data, n);
    w_ += n;
  }
  // How many bytes the buffer being written holds, and where they start (valid until
  // the next write); a file patches a count it wrote before the object through this.
  size_t writtenSize() const { return w_ != nullptr ? static_cast<size_t>(w_ - out_->data()) : out_->size(); }
  unsigned char* writtenData() { return out_->data(); }
  // Writes go into room kept at the end of the buffer, which is then longer than what
  // was written; this cuts it back, so that the buffer is exactly the bytes written.
  // Everything that hands the buffer out does it first.
  void settle() const {
    if (w_ == nullptr) return;
    out_->resize(static_cast<size_t>(w_ - out_->data()));
    w_ = wEnd_ = nullptr;
  }
  size_t position() const { return pos_; }
  // The bytes not read yet, from the filer's own buffer or the caller's alike.
  std::span<const unsigned char> unread() const {
    const size_t size = readSize();
    const size_t from = pos_ < size ? pos_ : size;
    return {readData() + from, size - from};
  }
  bool atEnd() const { return pos_ >= readSize(); }
  // Whether bytes are a run of whole items of known kinds, as this filer writes them:
  // what can be checked of an object's bytes without knowing its class.
  static bool wellFormed(const unsigned char* data, size_t size);
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

  // The plain items again, inline and not virtual, for an object that knows it files
  // through this filer and files many of them: the same bytes and the same sticky status
  // as the calls above, but nothing is answered per item, so the caller asks
  // filerStatus() once after a run of them.
  void putInt32(Adesk::Int32 v) { put<sizeof v>(kInt32, &v); }
  void putDouble(double v) { put<sizeof v>(kDouble, &v); }
  void putBool(bool v) {
    const unsigned char b = v ? 1 : 0;
    put<1>(kBool, &b);
  }
  void putPoint3d(const AcGePoint3d& v) {
    const double d[3] = {v.x, v.y, v.z};
    put<sizeof d>(kPoint3d, d);
  }
  void getInt32(Adesk::Int32* v) { take<sizeof *v>(kInt32, v); }
  void getDouble(double* v) { take<sizeof *v>(kDouble, v); }
  void getBool(bool* v) {
    unsigned char b = 0;
    if (take<1>(kBool, &b) == Acad::eOk) *v = b != 0;
  }
  void getPoint3d(AcGePoint3d* v) {
    double d[3];
    if (take<sizeof d>(kPoint3d, d) == Acad::eOk) v->set(d[0], d[1], d[2]);
  }

 private:
  // At least n bytes of room at the write position: writes are plain stores there,
  // with no bookkeeping of the vector per item.
  unsigned char* room(size_t n) {
    if (static_cast<size_t>(wEnd_ - w_) < n) makeRoom(n);
    return w_;
  }
  void makeRoom(size_t n);
  // Appends bytes to the buffer being written.
  void append(const void* data, size_t n) { appendRaw(data, n); }
  // One item of a fixed size: its kind byte, then its value.
  template <size_t N>
  Acad::ErrorStatus put(ItemKind kind, const void* data) {
    if (status_ != Acad::eOk) return status_;
    unsigned char* p = room(N + 1);
    p[0] = kind;
    std::memcpy(p + 1, data, N);
    w_ = p + N + 1;
    return Acad::eOk;
  }
  // The start of an item of this kind with at least `size` bytes after its kind byte,
  // or null with the status set.
  const unsigned char* item(ItemKind kind, size_t size) {
    if (status_ != Acad::eOk) return nullptr;
    const size_t total = readSize();
    if (pos_ >= total || total - pos_ < size + 1) return failRead(Acad::eEndOfFile);
    const unsigned char* p = readData() + pos_;
    if (p[0] != kind) return failRead(Acad::eWrongItemKind);
    return p;
  }
  const unsigned char* failRead(Acad::ErrorStatus es) {
    status_ = es;
    return nullptr;
  }
  template <size_t N>
  Acad::ErrorStatus take(ItemKind kind, void* data) {
    const unsigned char* p = item(kind, N);
    if (p == nullptr) return status_;
    std::memcpy(data, p + 1, N);
    pos_ += N + 1;
    return Acad::eOk;
  }
  Acad::ErrorStatus putId(ItemKind kind, const AcDbObjectId& id);
  Acad::ErrorStatus takeId(ItemKind kind, AcDbObjectId* id);
  const unsigned char* readData() const { return view_ != nullptr ? view_ : out_->data(); }
  size_t readSize() const { return view_ != nullptr ? viewSize_ : writtenSize(); }

  std::vector<unsigned char> buf_;
  std::vector<unsigned char>* out_ = &buf_;  // where writes go: buf_ or the caller's sink
  // The write position and the end of the room after it, inside out_; null when out_
  // holds exactly what was written.
  mutable unsigned char* w_ = nullptr;
  mutable unsigned char* wEnd_ = nullptr;
  const unsigned char* view_ = nullptr;      // the caller's bytes being read, if any
  size_t viewSize_ = 0;
  size_t pos_ = 0;
  AcDb::FilerType type_;
  AcDbDatabase* db_;
  Acad::ErrorStatus status_ = Acad::eOk;
};

// A run of items filed through one filer, for code written once over the filer's type.
// Through any AcDbDwgFiler every item is a virtual call and the run keeps the first
// failing status, filing nothing after it. Through the memory filer the plain items are
// the inline ones above, whose failure sticks in the filer: the run asks the filer only
// where it must know (ok(), status()), not after every item.
template <typename Filer>
class AcDbDwgItemRun {
 public:
  static constexpr bool kInline = std::is_same_v<Filer, AcDbMemDwgFiler>;

  explicit AcDbDwgItemRun(Filer* filer) : filer_(filer) {}

  Filer* filer() const { return filer_; }
  bool ok() const {
    if constexpr (kInline) return status_ == Acad::eOk && filer_->filerStatus() == Acad::eOk;
    return status_ == Acad::eOk;
  }
  Acad::ErrorStatus status() const { return status_ != Acad::eOk ? status_ : filer_->filerStatus(); }

  // Any other filer call (a text, a reference, an embedded object's fields): made only
  // while the run has not failed, its status kept.
  template <typename Call>
  void call(Call&& c) {
    if (ok()) status_ = c();
  }

  void writeInt32(Adesk::Int32 v) { item([&](auto* f) { f->putInt32(v); }, [&](auto* f) { return f->writeInt32(v); }); }
  void writeDouble(double v) { item([&](auto* f) { f->putDouble(v); }, [&](auto* f) { return f->writeDouble(v); }); }
  void writeBool(bool v) { item([&](auto* f) { f->putBool(v); }, [&](auto* f) { return f->writeBool(v); }); }
  void writePoint3d(const AcGePoint3d& v) { item([&](auto* f) { f->putPoint3d(v); }, [&](auto* f) { return f->writePoint3d(v); }); }
  void readInt32(Adesk::Int32* v) { item([&](auto* f) { f->getInt32(v); }, [&](auto* f) { return f->readInt32(v); }); }
  void readDouble(double* v) { item([&](auto* f) { f->getDouble(v); }, [&](auto* f) { return f->readDouble(v); }); }
  void readBool(bool* v) { item([&](auto* f) { f->getBool(v); }, [&](auto* f) { return f->readBool(v); }); }
  void readPoint3d(AcGePoint3d* v) { item([&](auto* f) { f->getPoint3d(v); }, [&](auto* f) { return f->readPoint3d(v); }); }

 private:
  // A plain item: inline on the memory filer (skipped only after a failed call, the
  // filer refusing everything after its own failure), a checked virtual call otherwise.
  template <typename Inline, typename Virtual>
  void item(Inline&& inlineItem, Virtual&& virtualItem) {
    if constexpr (kInline) {
      if (status_ == Acad::eOk) inlineItem(filer_);
    } else {
      call([&] { return virtualItem(filer_); });
    }
  }

  Filer* filer_;
  Acad::ErrorStatus status_ = Acad::eOk;
};

// Calls fn with the filer as the memory filer when it is one, so that code written over
// the filer's type files inline there, and with the filer as it is otherwise.
template <typename Fn>
auto acdbWithDwgFilerType(AcDbDwgFiler* filer, Fn&& fn) {
  if (auto* mem = dynamic_cast<AcDbMemDwgFiler*>(filer)) return fn(mem);
  return fn(filer);
}
