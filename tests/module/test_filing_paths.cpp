// Pipes and arrows file the same bytes, and read back the same fields, whether the
// filer is the host's memory filer (items filed inline) or any other binary filer
// (items through virtual calls), also when reading stops part way through a record.
#include <memory>

#include "arx/dwg_filer_mem.h"
#include "entity_fixture.h"

namespace {

// A binary filer of another kind: it passes every call on to a memory filer, so that
// what it files can be compared byte for byte with the memory filer's own.
class ForwardingDwgFiler : public AcDbDwgFiler {
 public:
  explicit ForwardingDwgFiler(AcDbMemDwgFiler& to) : to_(to) {}

  Acad::ErrorStatus filerStatus() const override { return to_.filerStatus(); }
  AcDb::FilerType filerType() const override { return to_.filerType(); }
  void setFilerStatus(Acad::ErrorStatus es) override { to_.setFilerStatus(es); }
  void resetFilerStatus() override { to_.resetFilerStatus(); }
  AcDbDatabase* database() const override { return to_.database(); }

  Acad::ErrorStatus readBool(bool* v) override { return to_.readBool(v); }
  Acad::ErrorStatus writeBool(bool v) override { return to_.writeBool(v); }
  Acad::ErrorStatus readInt8(Adesk::Int8* v) override { return to_.readInt8(v); }
  Acad::ErrorStatus writeInt8(Adesk::Int8 v) override { return to_.writeInt8(v); }
  Acad::ErrorStatus readInt16(Adesk::Int16* v) override { return to_.readInt16(v); }
  Acad::ErrorStatus writeInt16(Adesk::Int16 v) override { return to_.writeInt16(v); }
  Acad::ErrorStatus readInt32(Adesk::Int32* v) override { return to_.readInt32(v); }
  Acad::ErrorStatus writeInt32(Adesk::Int32 v) override { return to_.writeInt32(v); }
  Acad::ErrorStatus readInt64(Adesk::Int64* v) override { return to_.readInt64(v); }
  Acad::ErrorStatus writeInt64(Adesk::Int64 v) override { return to_.writeInt64(v); }
  Acad::ErrorStatus readUInt8(Adesk::UInt8* v) override { return to_.readUInt8(v); }
  Acad::ErrorStatus writeUInt8(Adesk::UInt8 v) override { return to_.writeUInt8(v); }
  Acad::ErrorStatus readUInt16(Adesk::UInt16* v) override { return to_.readUInt16(v); }
  Acad::ErrorStatus writeUInt16(Adesk::UInt16 v) override { return to_.writeUInt16(v); }
  Acad::ErrorStatus readUInt32(Adesk::UInt32* v) override { return to_.readUInt32(v); }
  Acad::ErrorStatus writeUInt32(Adesk::UInt32 v) override { return to_.writeUInt32(v); }
  Acad::ErrorStatus readDouble(double* v) override { return to_.readDouble(v); }
  Acad::ErrorStatus writeDouble(double v) override { return to_.writeDouble(v); }
  Acad::ErrorStatus readPoint2d(AcGePoint2d* v) override { return to_.readPoint2d(v); }
  Acad::ErrorStatus writePoint2d(const AcGePoint2d& v) override { return to_.writePoint2d(v); }
  Acad::ErrorStatus readPoint3d(AcGePoint3d* v) override { return to_.readPoint3d(v); }
  Acad::ErrorStatus writePoint3d(const AcGePoint3d& v) override { return to_.writePoint3d(v); }
  Acad::ErrorStatus readVector3d(AcGeVector3d* v) override { return to_.readVector3d(v); }
  Acad::ErrorStatus writeVector3d(const AcGeVector3d& v) override { return to_.writeVector3d(v); }
  Acad::ErrorStatus readString(ACHAR** v) override { return to_.readString(v); }
  Acad::ErrorStatus readString(std::wstring& v) override { return to_.readString(v); }
  Acad::ErrorStatus writeString(const ACHAR* v) override { return to_.writeString(v); }
  using AcDbDwgFiler::writeString;
  Acad::ErrorStatus readBytes(void* b, Adesk::UInt32 n) override { return to_.readBytes(b, n); }
  Acad::ErrorStatus writeBytes(const void* b, Adesk::UInt32 n) override { return to_.writeBytes(b, n); }
  Acad::ErrorStatus readAcDbHandle(AcDbHandle* v) override { return to_.readAcDbHandle(v); }
  Acad::ErrorStatus writeAcDbHandle(const AcDbHandle& v) override { return to_.writeAcDbHandle(v); }
  Acad::ErrorStatus readHardPointerId(AcDbHardPointerId* id) override { return to_.readHardPointerId(id); }
  Acad::ErrorStatus writeHardPointerId(const AcDbHardPointerId& id) override { return to_.writeHardPointerId(id); }
  Acad::ErrorStatus readSoftPointerId(AcDbSoftPointerId* id) override { return to_.readSoftPointerId(id); }
  Acad::ErrorStatus writeSoftPointerId(const AcDbSoftPointerId& id) override { return to_.writeSoftPointerId(id); }
  Acad::ErrorStatus readHardOwnershipId(AcDbHardOwnershipId* id) override { return to_.readHardOwnershipId(id); }
  Acad::ErrorStatus writeHardOwnershipId(const AcDbHardOwnershipId& id) override {
    return to_.writeHardOwnershipId(id);
  }
  Acad::ErrorStatus readSoftOwnershipId(AcDbSoftOwnershipId* id) override { return to_.readSoftOwnershipId(id); }
  Acad::ErrorStatus writeSoftOwnershipId(const AcDbSoftOwnershipId& id) override {
    return to_.writeSoftOwnershipId(id);
  }

 private:
  AcDbMemDwgFiler& to_;
};

// What the object files through the memory filer itself, and through a filer of
// another kind in front of one.
FiledBytes directBytes(const AcDbObject& object, AcDb::FilerType type, AcDbDatabase* db) {
  AcDbMemDwgFiler filer(type, db);
  EXPECT_EQ(object.dwgOutFields(&filer), Acad::eOk);
  return filer.takeBytes();
}

FiledBytes forwardedBytes(const AcDbObject& object, AcDb::FilerType type, AcDbDatabase* db) {
  AcDbMemDwgFiler filer(type, db);
  ForwardingDwgFiler forwarding(filer);
  EXPECT_EQ(object.dwgOutFields(&forwarding), Acad::eOk);
  return filer.takeBytes();
}

// The first n bytes of a record read into the object through either kind of filer.
Acad::ErrorStatus readPrefix(AcDbObject& object, const FiledBytes& bytes, size_t n, bool forwarded,
                             AcDbDatabase* db) {
  AcDbMemDwgFiler filer(bytes.data(), n, AcDb::kFileFiler, db);
  if (!forwarded) return object.dwgInFields(&filer);
  ForwardingDwgFiler forwarding(filer);
  return object.dwgInFields(&forwarding);
}

class FilingPaths : public EntityTest {
 protected:
  // Every filer kind gets the same bytes both ways. Cut after every byte, a record
  // leaves both readers with the same fields read and the same error: the inline
  // reader neither reads on past a failure nor stops earlier, and only the whole
  // record reads without one.
  template <typename T>
  void expectBothPathsAgree(const T& object) {
    for (AcDb::FilerType type : {AcDb::kFileFiler, AcDb::kCopyFiler, AcDb::kUndoFiler})
      EXPECT_EQ(forwardedBytes(object, type, &db_), directBytes(object, type, &db_)) << "filer type " << type;
    const FiledBytes bytes = directBytes(object, AcDb::kFileFiler, &db_);
    for (size_t n = 0; n <= bytes.size(); ++n) {
      T inlineRead, virtualRead;
      const Acad::ErrorStatus inlineStatus = readPrefix(inlineRead, bytes, n, false, &db_);
      ASSERT_EQ(readPrefix(virtualRead, bytes, n, true, &db_), inlineStatus) << "cut at " << n;
      EXPECT_EQ(inlineStatus == Acad::eOk, n == bytes.size()) << "cut at " << n;
      EXPECT_EQ(fileOut(inlineRead), fileOut(virtualRead)) << "cut at " << n;
      if (HasFailure()) return;
    }
    T whole;
    ASSERT_EQ(readPrefix(whole, bytes, bytes.size(), true, &db_), Acad::eOk);
    EXPECT_EQ(fileOut(whole), fileOut(object));
  }
};

TEST_F(FilingPaths, PipesAndArrowsFileAndReadTheSameThroughEitherFiler) {
  expectBothPathsAgree(*fullPipe());
  std::unique_ptr<PlumbPipeArrow> a = fullArrow();
  expectBothPathsAgree(*a);
}

}  // namespace
