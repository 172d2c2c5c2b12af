// The parts that make large drawing files fast: the folded CRC, files saved in pieces,
// filers that read the caller's bytes in place or write into its buffer, and the
// handle table of the database.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "arx/db_database.h"
#include "arx/db_entities.h"
#include "arx/dwg_filer_mem.h"
#include "arx/hdw_format.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// The CRC bit by bit, as the definition gives it: the reference the fast one must match.
std::uint32_t crcBitByBit(const unsigned char* data, size_t size) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    c ^= data[i];
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  return ~c;
}

Bytes randomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  Bytes b(n);
  for (unsigned char& c : b) c = static_cast<unsigned char>(gen());
  return b;
}

TEST(HdwCrc, MatchesTheDefinitionAtEveryLengthAndAlignment) {
  const char* check = "123456789";
  EXPECT_EQ(hdwCrc32(reinterpret_cast<const unsigned char*>(check), 9), 0xCBF43926u);
  const Bytes data = randomBytes(4096 + 77, 7);
  // Lengths around the folded run's steps (64-byte blocks, 16-byte tails) and starts
  // that are not aligned.
  for (size_t start : {0u, 1u, 3u, 13u}) {
    for (size_t len = 0; len + start <= 300; ++len)
      ASSERT_EQ(hdwCrc32(data.data() + start, len), crcBitByBit(data.data() + start, len)) << start << "+" << len;
  }
  EXPECT_EQ(hdwCrc32(data.data() + 5, data.size() - 5), crcBitByBit(data.data() + 5, data.size() - 5));
}

TEST(HdwCrc, PiecesChainToTheCrcOfTheWhole) {
  const Bytes data = randomBytes(10000, 11);
  const std::uint32_t whole = hdwCrc32(data.data(), data.size());
  for (size_t cut : {0u, 1u, 63u, 64u, 65u, 4999u, 9999u, 10000u}) {
    std::uint32_t first = hdwCrc32(data.data(), cut);
    EXPECT_EQ(hdwCrc32(data.data() + cut, data.size() - cut, first), whole) << cut;
  }
}

// ---- filers over the caller's memory ----------------------------------------------

TEST(MemDwgFilerInPlace, ReadsTheCallersBytesAndStopsAtTheirEnd) {
  AcDbMemDwgFiler out(AcDb::kFileFiler, nullptr);
  out.writeInt32(42);
  out.writeString(L"3/4\" CW \u00e9");
  out.writePoint3d(AcGePoint3d(1, 2, 3));
  const Bytes bytes = out.bytes();

  AcDbMemDwgFiler in(bytes.data(), bytes.size(), AcDb::kFileFiler, nullptr);
  Adesk::Int32 n = 0;
  std::wstring s;
  AcGePoint3d p;
  EXPECT_EQ(in.readInt32(&n), Acad::eOk);
  EXPECT_EQ(in.readString(s), Acad::eOk);
  EXPECT_EQ(in.readPoint3d(&p), Acad::eOk);
  EXPECT_EQ(n, 42);
  EXPECT_EQ(s, L"3/4\" CW \u00e9");
  EXPECT_EQ(p, AcGePoint3d(1, 2, 3));
  EXPECT_TRUE(in.atEnd());
  double d = 0;
  EXPECT_EQ(in.readDouble(&d), Acad::eEndOfFile);

  // A view cut short inside the string refuses it and reads nothing past the cut.
  AcDbMemDwgFiler cut(bytes.data(), 5 + 5 + 8, AcDb::kFileFiler, nullptr);
  EXPECT_EQ(cut.readInt32(&n), Acad::eOk);
  EXPECT_EQ(cut.readString(s), Acad::eEndOfFile);
  EXPECT_EQ(cut.position(), 5u);

  AcDbMemDwgFiler empty(nullptr, 0, AcDb::kFileFiler, nullptr);
  EXPECT_EQ(empty.readInt32(&n), Acad::eEndOfFile);
}

TEST(MemDwgFilerInPlace, WriterAppendsToTheCallersBuffer) {
  Bytes sink = {0xAA, 0xBB};
  {
    AcDbMemDwgFiler out(&sink, AcDb::kFileFiler, nullptr);
    out.writeBool(true);
    out.writeString(L"ab");
    EXPECT_EQ(&out.bytes(), &sink);
  }
  AcDbMemDwgFiler alone(AcDb::kFileFiler, nullptr);
  alone.writeBool(true);
  alone.writeString(L"ab");
  Bytes expected = {0xAA, 0xBB};
  expected.insert(expected.end(), alone.bytes().begin(), alone.bytes().end());
  EXPECT_EQ(sink, expected);
}

// Writing keeps spare room at the buffer's end; handing the buffer out cuts it back, and
// writing after that must go on exactly where the written bytes end.
TEST(MemDwgFilerInPlace, WritesAfterTheBufferWasHandedOutFollowOnExactly) {
  AcDbMemDwgFiler filer(AcDb::kFileFiler, nullptr);
  filer.writeInt32(7);
  const size_t first = filer.bytes().size();
  EXPECT_EQ(filer.writtenSize(), first);
  filer.writeString(L"after");
  EXPECT_GT(filer.writtenSize(), first);
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
  EXPECT_EQ(n, 7);
  EXPECT_EQ(s, L"after");
  EXPECT_EQ(Bytes(all.begin() + static_cast<long>(in.position()), all.begin() + static_cast<long>(in.position()) + 3),
            Bytes(raw, raw + 3));
}

// ---- the database's handles ---------------------------------------------------------

TEST(DatabaseHandles, FarAndNearHandlesAreFoundAndListedInOrder) {
  AcDbDatabase db(false);
  const std::uint64_t handles[] = {5, 1u << 20, 3, (std::uint64_t(1) << 40) + 7, 9000, 2, 4096 + 5};
  std::vector<AcDbStub*> made;
  for (std::uint64_t h : handles) {
    AcDbObjectId id;
    ASSERT_EQ(db.getAcDbObjectId(id, true, AcDbHandle(h)), Acad::eOk);
    made.push_back(id.stub());
  }
  // Enough near handles that the table grows over the ones first kept aside.
  for (std::uint64_t h = 10; h < 12000; ++h) {
    AcDbObjectId id;
    db.getAcDbObjectId(id, true, AcDbHandle(h));
  }
  for (size_t i = 0; i < made.size(); ++i) {
    EXPECT_EQ(db.stubFor(AcDbHandle(handles[i])), made[i]) << handles[i];
    EXPECT_EQ(made[i]->handle.value(), handles[i]);
  }
  EXPECT_EQ(db.stubFor(AcDbHandle(1)), nullptr);
  EXPECT_EQ(db.stubFor(AcDbHandle((std::uint64_t(1) << 40) + 8)), nullptr);
  std::vector<AcDbStub*> all = db.stubs();
  ASSERT_EQ(all.size(), 12000u - 10u + 5u);  // the run, 2, 3, 5 and the two far ones (9000 and 4101 are in the run)
  for (size_t i = 1; i < all.size(); ++i) ASSERT_LT(all[i - 1]->handle, all[i]->handle);
  EXPECT_EQ(all.back()->handle.value(), (std::uint64_t(1) << 40) + 7);
  EXPECT_EQ(db.handseed().value(), (std::uint64_t(1) << 40) + 8);
}

// ---- saving in pieces ---------------------------------------------------------------

Bytes readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A drawing of several megabytes is written in many pieces; the file must be exactly
// the one the container writes in one go, and read back whole.
TEST(HdwPieces, LargeSaveEqualsTheWholeFileAndReadsBack) {
  AcDbDatabase db;
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  for (int i = 0; i < 30000; ++i) {
    auto* text = new AcDbMText();
    text->setContents((L"pipe " + std::to_wstring(i)).c_str());
    text->setLocation(AcGePoint3d(i, i % 7, 0));
    ms->appendAcDbEntity(text);
    text->close();
  }
  ms->close();
  const fs::path path = fs::temp_directory_path() / ("ov-hdw-pieces-" + std::to_string(getpid()) + ".hdw");
  ASSERT_EQ(db.saveAs(path.wstring().c_str()), Acad::eOk);
  const Bytes file = readAll(path);
  ASSERT_GT(file.size(), size_t(3) << 20);

  HdwContainer parsed;
  std::wstring error;
  ASSERT_EQ(hdwParse(file.data(), file.size(), parsed, error), Acad::eOk);
  EXPECT_EQ(hdwSerialize(parsed), file);

  AcDbDatabase back(false);
  ASSERT_EQ(back.readDwgFile(path.wstring().c_str()), Acad::eOk);
  EXPECT_EQ(back.stubs().size(), db.stubs().size());
  fs::remove(path);
}

}  // namespace
