// The binary filer: every item kind round trips, over its own buffer or the caller's;
// reading past the end or reading the wrong kind answers an error that sticks,
// without reading anything; references resolve as the kind of filer asks.
#include <gtest/gtest.h>

#include "arx/db_database.h"
#include "arx/dwg_filer_mem.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Reads one item that must be there.
template <typename Filer, typename T>
T read(AcDbMemDwgFiler& in, Acad::ErrorStatus (Filer::*readItem)(T*)) {
  T value{};
  EXPECT_EQ((in.*readItem)(&value), Acad::eOk);
  return value;
}

// Writes one item of every kind, then reads them back from the bytes in place.
TEST(MemDwgFiler, EveryItemKindRoundTripsInPlace) {
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

  const Bytes bytes = out.bytes();
  AcDbMemDwgFiler in(bytes.data(), bytes.size(), AcDb::kFileFiler, &db);
  EXPECT_TRUE(read(in, &AcDbDwgFiler::readBool));
  EXPECT_EQ(read(in, &AcDbDwgFiler::readInt8), -5);
  EXPECT_EQ(read(in, &AcDbDwgFiler::readInt16), -300);
  EXPECT_EQ(read(in, &AcDbDwgFiler::readInt32), -70000);
  EXPECT_EQ(read(in, &AcDbDwgFiler::readInt64), -5000000000LL);
  EXPECT_EQ(read(in, &AcDbDwgFiler::readUInt8), 200);
  EXPECT_EQ(read(in, &AcDbDwgFiler::readUInt16), 60000);
  EXPECT_EQ(read(in, &AcDbDwgFiler::readUInt32), 4000000000u);
  EXPECT_EQ(read(in, &AcDbDwgFiler::readDouble), 3.25);
  EXPECT_EQ(read(in, &AcDbDwgFiler::readPoint2d), AcGePoint2d(1, 2));
  EXPECT_EQ(read(in, &AcDbDwgFiler::readPoint3d), AcGePoint3d(1, 2, 3));
  EXPECT_TRUE(read(in, &AcDbDwgFiler::readVector3d).isEqualTo(AcGeVector3d(0, 0, -1)));
  std::wstring s;
  EXPECT_EQ(in.readString(s), Acad::eOk);
  EXPECT_EQ(s, L"Pipe \u00e9\u4e2d");
  unsigned char back[3] = {};
  EXPECT_EQ(in.readBytes(back, 3), Acad::eOk);
  EXPECT_EQ(back[2], 250);
  EXPECT_EQ(read(in, &AcDbDwgFiler::readAcDbHandle).value(), 0x2Au);
  EXPECT_EQ(read(in, &AcDbDwgFiler::readHardPointerId), db.layerZero());
  EXPECT_TRUE(read(in, &AcDbDwgFiler::readSoftPointerId).isNull());
  EXPECT_TRUE(in.atEnd());
  double d = 0;
  EXPECT_EQ(in.readDouble(&d), Acad::eEndOfFile);
}

// Past the end, a string cut short, a bogus length or the wrong kind: refused, the
// value untouched and the position kept; the error sticks until it is reset.
TEST(MemDwgFiler, RefusalsReadNothingAndStick) {
  AcDbMemDwgFiler out;
  out.writeInt32(7);
  out.writeString(L"abcdef");
  const Bytes bytes = out.bytes();
  AcDbMemDwgFiler in(bytes, AcDb::kCopyFiler, nullptr);
  double d = 42;
  EXPECT_EQ(in.readDouble(&d), Acad::eWrongItemKind);
  EXPECT_EQ(d, 42);
  EXPECT_EQ(in.position(), 0u);
  Adesk::Int32 v = 0;
  EXPECT_EQ(in.readInt32(&v), Acad::eWrongItemKind);  // sticks even for the right kind
  in.resetFilerStatus();
  EXPECT_EQ(in.readInt32(&v), Acad::eOk);
  EXPECT_EQ(v, 7);

  // The string cut short, in a copy and in a view of the caller's bytes.
  std::wstring s = L"keep";
  AcDbMemDwgFiler cut(Bytes(bytes.begin(), bytes.end() - 3), AcDb::kCopyFiler, nullptr);
  AcDbMemDwgFiler view(bytes.data(), bytes.size() - 3, AcDb::kFileFiler, nullptr);
  for (AcDbMemDwgFiler* f : {&cut, &view}) {
    EXPECT_EQ(f->readInt32(&v), Acad::eOk);
    EXPECT_EQ(f->readString(s), Acad::eEndOfFile);
    EXPECT_EQ(s, L"keep");
    EXPECT_EQ(f->position(), 5u);
    EXPECT_EQ(f->readInt32(&v), Acad::eEndOfFile);
    EXPECT_EQ(f->filerStatus(), Acad::eEndOfFile);
  }
  // A length far beyond the buffer must not allocate or read.
  Bytes bogus = {AcDbMemDwgFiler::kString, 0xFF, 0xFF, 0xFF, 0x7F, 'a'};
  AcDbMemDwgFiler huge(bogus, AcDb::kCopyFiler, nullptr);
  EXPECT_EQ(huge.readString(s), Acad::eEndOfFile);
  AcDbMemDwgFiler empty(nullptr, 0, AcDb::kFileFiler, nullptr);
  EXPECT_EQ(empty.readInt32(&v), Acad::eEndOfFile);
}

// A file filer answers a handle its database lacks without the error sticking; a copy
// filer keeps ids of objects filed in no database.
TEST(MemDwgFiler, ReferencesResolveAsTheFilerKindAsks) {
  AcDbDatabase db, other;
  AcDbMemDwgFiler out(AcDb::kFileFiler, &db);
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

  AcDbMemDwgFiler copyOut(AcDb::kCopyFiler, nullptr);
  copyOut.writeHardPointerId(db.continuousLinetype());
  AcDbMemDwgFiler copyIn(copyOut.bytes(), AcDb::kCopyFiler, nullptr);
  EXPECT_EQ(copyIn.readHardPointerId(&id), Acad::eOk);
  EXPECT_EQ(id, db.continuousLinetype());
}

// Writing keeps spare room at the buffer's end; handing the buffer out cuts it back,
// and writing after that must go on exactly where the written bytes end. A writer over
// the caller's buffer appends to what it holds.
TEST(MemDwgFiler, WritesFollowOnExactlyInEitherBuffer) {
  AcDbMemDwgFiler filer(AcDb::kFileFiler, nullptr);
  filer.writeInt32(7);
  const size_t first = filer.bytes().size();
  EXPECT_EQ(filer.writtenSize(), first);
  filer.writeString(L"after");
  const unsigned char raw[] = {1, 2, 3};
  filer.appendRaw(raw, sizeof raw);
  filer.writeDouble(2.5);
  const Bytes all = filer.bytes();
  EXPECT_EQ(all.size(), filer.writtenSize());
  AcDbMemDwgFiler in(all.data(), all.size(), AcDb::kFileFiler, nullptr);
  Adesk::Int32 n = 0;
  std::wstring s;
  EXPECT_EQ(in.readInt32(&n), Acad::eOk);
  EXPECT_EQ(in.readString(s), Acad::eOk);
  EXPECT_EQ(s, L"after");
  EXPECT_EQ(Bytes(all.begin() + static_cast<long>(in.position()), all.begin() + static_cast<long>(in.position()) + 3),
            Bytes(raw, raw + 3));

  Bytes sink = {0xAA, 0xBB};
  {
    AcDbMemDwgFiler over(&sink, AcDb::kFileFiler, nullptr);
    over.writeInt32(7);
    EXPECT_EQ(&over.bytes(), &sink);
  }
  Bytes expected = {0xAA, 0xBB};
  expected.insert(expected.end(), all.begin(), all.begin() + static_cast<long>(first));
  EXPECT_EQ(sink, expected);
}

}  // namespace
