// The binary filer: every item kind round trips, and reading past the end or reading
// the wrong kind answers an error that sticks, without reading anything.
#include <gtest/gtest.h>

#include "arx/db_database.h"
#include "arx/dwg_filer_mem.h"

namespace {

TEST(MemDwgFiler, EveryItemKindRoundTrips) {
  AcDbDatabase db;
  AcDbMemDwgFiler out(AcDb::kFileFiler, &db);
  unsigned char raw[3] = {1, 2, 250};
  ASSERT_EQ(out.writeBool(true), Acad::eOk);
  out.writeInt8(-5);
  out.writeInt16(-300);
  out.writeInt32(-70000);
  out.writeInt64(-5000000000LL);
  out.writeUInt8(200);
  out.writeUInt16(60000);
  out.writeUInt32(4000000000u);
  out.writeDouble(3.25);
  out.writePoint2d(AcGePoint2d(1, 2));
  out.writePoint3d(AcGePoint3d(1, 2, 3));
  out.writeVector3d(AcGeVector3d(0, 0, -1));
  out.writeString(L"Pipe \u00e9\u4e2d");
  out.writeBytes(raw, 3);
  out.writeAcDbHandle(AcDbHandle(0x2A));
  out.writeHardPointerId(db.layerZero());
  out.writeSoftPointerId(AcDbObjectId());
  ASSERT_EQ(out.filerStatus(), Acad::eOk);

  AcDbMemDwgFiler in(out.bytes(), AcDb::kFileFiler, &db);
  bool b = false;
  Adesk::Int8 i8 = 0;
  Adesk::Int16 i16 = 0;
  Adesk::Int32 i32 = 0;
  Adesk::Int64 i64 = 0;
  Adesk::UInt8 u8 = 0;
  Adesk::UInt16 u16 = 0;
  Adesk::UInt32 u32 = 0;
  double d = 0;
  AcGePoint2d p2;
  AcGePoint3d p3;
  AcGeVector3d v3;
  std::wstring s;
  unsigned char back[3] = {};
  AcDbHandle h;
  AcDbHardPointerId hard;
  AcDbSoftPointerId soft;
  EXPECT_EQ(in.readBool(&b), Acad::eOk);
  in.readInt8(&i8);
  in.readInt16(&i16);
  in.readInt32(&i32);
  in.readInt64(&i64);
  in.readUInt8(&u8);
  in.readUInt16(&u16);
  in.readUInt32(&u32);
  in.readDouble(&d);
  in.readPoint2d(&p2);
  in.readPoint3d(&p3);
  in.readVector3d(&v3);
  in.readString(s);
  in.readBytes(back, 3);
  in.readAcDbHandle(&h);
  EXPECT_EQ(in.readHardPointerId(&hard), Acad::eOk);
  EXPECT_EQ(in.readSoftPointerId(&soft), Acad::eOk);
  EXPECT_EQ(in.filerStatus(), Acad::eOk);
  EXPECT_TRUE(in.atEnd());
  EXPECT_TRUE(b);
  EXPECT_EQ(i8, -5);
  EXPECT_EQ(i16, -300);
  EXPECT_EQ(i32, -70000);
  EXPECT_EQ(i64, -5000000000LL);
  EXPECT_EQ(u8, 200);
  EXPECT_EQ(u16, 60000);
  EXPECT_EQ(u32, 4000000000u);
  EXPECT_EQ(d, 3.25);
  EXPECT_EQ(p2, AcGePoint2d(1, 2));
  EXPECT_EQ(p3, AcGePoint3d(1, 2, 3));
  EXPECT_TRUE(v3.isEqualTo(AcGeVector3d(0, 0, -1)));
  EXPECT_EQ(s, L"Pipe \u00e9\u4e2d");
  EXPECT_EQ(back[2], 250);
  EXPECT_EQ(h.value(), 0x2Au);
  EXPECT_EQ(hard, db.layerZero());
  EXPECT_TRUE(soft.isNull());
}

TEST(MemDwgFiler, ReadingPastTheEndFailsAndSticks) {
  AcDbMemDwgFiler out;
  out.writeInt32(7);
  AcDbMemDwgFiler in(out.bytes(), AcDb::kCopyFiler, nullptr);
  Adesk::Int32 v = 0;
  EXPECT_EQ(in.readInt32(&v), Acad::eOk);
  double d = 42;
  EXPECT_EQ(in.readDouble(&d), Acad::eEndOfFile);
  EXPECT_EQ(d, 42);  // nothing was read
  EXPECT_EQ(in.readInt32(&v), Acad::eEndOfFile);
  EXPECT_EQ(in.filerStatus(), Acad::eEndOfFile);
}

TEST(MemDwgFiler, WrongKindIsRefusedWithoutMoving) {
  AcDbMemDwgFiler out;
  out.writeDouble(1.5);
  AcDbMemDwgFiler in(out.bytes(), AcDb::kCopyFiler, nullptr);
  Adesk::Int32 v = 9;
  EXPECT_EQ(in.readInt32(&v), Acad::eWrongItemKind);
  EXPECT_EQ(v, 9);
  EXPECT_EQ(in.position(), 0u);
  // The error sticks even for the right kind, as the host's filers do.
  double d = 0;
  EXPECT_EQ(in.readDouble(&d), Acad::eWrongItemKind);
  in.resetFilerStatus();
  EXPECT_EQ(in.readDouble(&d), Acad::eOk);
  EXPECT_EQ(d, 1.5);
}

TEST(MemDwgFiler, TruncatedStringAndBogusLengthAreRefused) {
  AcDbMemDwgFiler out;
  out.writeString(L"abcdef");
  std::vector<unsigned char> bytes = out.bytes();
  bytes.resize(bytes.size() - 3);
  AcDbMemDwgFiler in(bytes, AcDb::kCopyFiler, nullptr);
  std::wstring s = L"keep";
  EXPECT_EQ(in.readString(s), Acad::eEndOfFile);
  EXPECT_EQ(s, L"keep");

  // A length far beyond the buffer must not allocate or read.
  std::vector<unsigned char> bogus = {AcDbMemDwgFiler::kString, 0xFF, 0xFF, 0xFF, 0x7F, 'a'};
  AcDbMemDwgFiler in2(bogus, AcDb::kCopyFiler, nullptr);
  EXPECT_EQ(in2.readString(s), Acad::eEndOfFile);
}

TEST(MemDwgFiler, FileFilerAnswersUnknownHandleWithoutSticking) {
  AcDbDatabase db;
  AcDbMemDwgFiler out(AcDb::kFileFiler, &db);
  AcDbDatabase other;
  AcDbObjectId foreign;
  other.getAcDbObjectId(foreign, true, AcDbHandle(0xFFFF));
  out.writeHardPointerId(foreign);
  out.writeInt32(5);
  AcDbMemDwgFiler in(out.bytes(), AcDb::kFileFiler, &db);
  AcDbHardPointerId id;
  EXPECT_EQ(in.readHardPointerId(&id), Acad::eUnknownHandle);
  EXPECT_TRUE(id.isNull());
  Adesk::Int32 v = 0;
  EXPECT_EQ(in.readInt32(&v), Acad::eOk);
  EXPECT_EQ(v, 5);
}

TEST(MemDwgFiler, CopyFilerKeepsIdsOfObjectsInNoDatabaseFiling) {
  AcDbDatabase db;
  AcDbMemDwgFiler out(AcDb::kCopyFiler, nullptr);
  out.writeHardPointerId(db.continuousLinetype());
  AcDbMemDwgFiler in(out.bytes(), AcDb::kCopyFiler, nullptr);
  AcDbHardPointerId id;
  EXPECT_EQ(in.readHardPointerId(&id), Acad::eOk);
  EXPECT_EQ(id, db.continuousLinetype());
}

}  // namespace
