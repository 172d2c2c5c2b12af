// The flow arrow in files: the current layout item by item, the hanger cap, the older
// layouts with their defaults, newer arrows kept as proxies through a drawing file,
// undo, damaged records in a drawing, and DXF with only the points coming back.
#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>

#include "arx/db_proxy.h"
#include "arx/dwg_filer_mem.h"
#include "arx/dxf_filer_mem.h"
#include "arx/hdw_format.h"
#include "entity_fixture.h"
#include "test_arrow_layouts.h"

namespace {

// A blank arrow's entity fields, then what the release of the version filed.
FiledBytes arrowBytes(Adesk::Int32 version, const ArrowLayout& values) {
  PlumbPipeArrow blank;
  AcDbMemDwgFiler filer(AcDb::kCopyFiler);
  EXPECT_EQ(blank.AcDbEntity::dwgOutFields(&filer), Acad::eOk);
  EXPECT_EQ(writeArrowLayout(&filer, version, values), Acad::eOk);
  return filer.takeBytes();
}

FiledBytes readFile(const std::wstring& path) {
  std::ifstream in(acutWideToUtf8(path), std::ios::binary);
  return FiledBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::wstring& path, const FiledBytes& bytes) {
  std::ofstream out(acutWideToUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

HdwContainer parse(const FiledBytes& file) {
  HdwContainer container;
  std::wstring error;
  EXPECT_EQ(hdwParse(file.data(), file.size(), container, error), Acad::eOk) << acutWideToUtf8(error);
  return container;
}

// The index of the one filed object of the arrow's class in a parsed drawing file.
size_t arrowEntry(const HdwContainer& c) {
  for (size_t i = 0; i < c.objects.size(); ++i)
    if (c.objects[i].classIndex < c.classes.size() && c.classes[c.objects[i].classIndex].name == PlumbPipeArrow::kClassName)
      return i;
  ADD_FAILURE() << "no arrow in the file";
  return 0;
}

class ArrowFiling : public EntityTest {};

// The third layout item by item (a round trip would hide fields filed in each other's
// place); a copy goes through the same filing and keeps every field.
TEST_F(ArrowFiling, TheThirdLayoutIsWrittenItemByItemAndCopied) {
  std::unique_ptr<PlumbPipeArrow> a = fullArrow();
  EXPECT_EQ(fileOut(*a), arrowBytes(3, {{1, 2, 3}, {40, 50, 6}, 9.5, 1.25, 2.5, 77, {48.0, -96.0, 7.5}, true}));
  std::unique_ptr<PlumbPipeArrow> copy(PlumbPipeArrow::cast(a->clone()));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(fileOut(*copy), fileOut(*a));
}

TEST_F(ArrowFiling, OnlyTheFirstHundredHangersAreFiled) {
  std::vector<double> many;
  for (int i = 0; i < 150; ++i) many.push_back(i % 2 == 0 ? i * 2.0 : -i * 2.0);
  std::unique_ptr<PlumbPipeArrow> a = arrow({0, 0, 0}, {1000, 0, 0}, many);
  PlumbPipeArrow back;
  ASSERT_EQ(fileIn(back, fileOut(*a)), Acad::eOk);
  EXPECT_EQ(back.hangers().vec(), std::vector<double>(many.begin(), many.begin() + 100));
  EXPECT_EQ(a->hangers().length(), 150) << "the arrow itself keeps them until it is read back";
}

// Each layout read into a new arrow and into one that had every field set: the first
// knew no offsets (they go) and no hangers or reversal (they stay); the second
// replaces the hangers and has no reversal to read; the third reads as many hangers as
// its count says, uncapped.
TEST_F(ArrowFiling, EachLayoutReadsWithTheDefaultsOfWhatItLacked) {
  const ArrowLayout first{{1, 2, 3}, {4, 5, 6}, 8.0, 0.5, 0.5, 31, {1.0}, true};
  const ArrowLayout second{{0, 0, 0}, {90, 0, 0}, 12.0, 0.5, 0.75, 5, {48.0, -96.0}, true};
  ArrowLayout third;
  third.end = {9000, 0, 0};
  for (int i = 0; i < 120; ++i) third.hangers.push_back(i * 10.0);
  const struct {
    int version;
    bool overFull;
    ArrowLayout given, expected;
  } cases[] = {
      {1, false, first, {{1, 2, 3}, {4, 5, 6}, 8.0, 0.0, 0.0, 31, {}, false}},
      {1, true, first, {{1, 2, 3}, {4, 5, 6}, 8.0, 0.0, 0.0, 31, {48.0, -96.0, 7.5}, true}},
      {2, false, second, {{0, 0, 0}, {90, 0, 0}, 12.0, 0.5, 0.75, 5, {48.0, -96.0}, false}},
      {2, true, second, second},
      {3, false, third, third},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "version " << c.version << (c.overFull ? " over a full arrow" : ""));
    std::unique_ptr<PlumbPipeArrow> a = c.overFull ? fullArrow() : std::make_unique<PlumbPipeArrow>();
    ASSERT_EQ(fileIn(*a, arrowBytes(c.version, c.given)), Acad::eOk);
    EXPECT_EQ(a->hangers().vec(), c.expected.hangers);
    ArrowLayout filed = c.expected;
    filed.hangers.resize(std::min<size_t>(filed.hangers.size(), PlumbPipeArrow::kMaxFiledHangers));
    EXPECT_EQ(fileOut(*a), arrowBytes(3, filed));
  }
}

// Version 0 or below holds nothing the arrow knows; a later version is kept as filed.
TEST_F(ArrowFiling, UnknownVersionsReadNothingFurther) {
  for (Adesk::Int32 version : {0, -1, INT_MIN, 4, INT_MAX}) {
    PlumbPipeArrow a;
    AcDbMemDwgFiler filer(AcDb::kCopyFiler);
    a.AcDbEntity::dwgOutFields(&filer);
    filer.writeInt32(version);
    filer.writePoint3d({7, 7, 7});
    const FiledBytes bytes = filer.takeBytes();
    EXPECT_EQ(fileIn(a, bytes), version > 3 ? Acad::eMakeMeProxy : Acad::eOk) << version;
    EXPECT_EQ(fileOut(a), fileOut(PlumbPipeArrow())) << version;
  }
}

// Undo reads the recorded state back into the same arrow; its hangers must be the
// recorded ones, not those added to what the arrow held.
TEST_F(ArrowFiling, UndoPutsTheHangersBack) {
  const AcDbObjectId id = add(arrow({0, 0, 0}, {100, 0, 0}, {10.0, 20.0, 30.0}).release());
  db_.beginUndoGroup();
  PlumbPipeArrow* a = nullptr;
  ASSERT_EQ(acdbOpenObject(a, id, AcDb::kForWrite), Acad::eOk);
  a->setHangers(AcGeDoubleArray{-5.0});
  a->setReversed(true);
  a->close();
  db_.endUndoGroup();

  ASSERT_EQ(db_.undoGroup(), Acad::eOk);
  read<PlumbPipeArrow>(id, [](PlumbPipeArrow& back) {
    EXPECT_EQ(back.hangers().vec(), (std::vector<double>{10.0, 20.0, 30.0}));
    EXPECT_FALSE(back.isReversed());
  });
  ASSERT_EQ(db_.redoGroup(), Acad::eOk);
  read<PlumbPipeArrow>(id, [](PlumbPipeArrow& back) { EXPECT_EQ(back.hangers().vec(), std::vector<double>{-5.0}); });
}

// An arrow of a later release reopens as a proxy and is saved back byte for byte.
TEST_F(ArrowFiling, ANewerArrowIsKeptAsAProxyThroughTheDrawingFile) {
  add(arrow({0, 0, 0}, {100, 0, 0}, {10.0}).release());
  ASSERT_EQ(db_.saveAs(path("now.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db_.lastFileError());
  HdwContainer file = parse(readFile(path("now.hdw")));
  const FiledBytes future = arrowBytes(4, {{0, 0, 0}, {100, 0, 0}, 12.0, 0.0, 0.0, 3, {10.0}, true});
  file.objects[arrowEntry(file)].bytes = future;
  writeFile(path("future.hdw"), hdwSerialize(file));

  AcDbDatabase reopened(false);
  ASSERT_EQ(reopened.readDwgFile(path("future.hdw").c_str()), Acad::eOk) << acutWideToUtf8(reopened.lastFileError());
  const std::vector<AcDbObjectId> ids = modelSpace(reopened);
  ASSERT_EQ(ids.size(), 1u);
  read<AcDbEntity>(ids[0], [](AcDbEntity& entity) {
    ASSERT_NE(AcDbProxyEntity::cast(&entity), nullptr);
    EXPECT_EQ(std::wstring(AcDbProxyEntity::cast(&entity)->originalClassName()), PlumbPipeArrow::kClassName);
  });
  ASSERT_EQ(reopened.saveAs(path("again.hdw").c_str()), Acad::eOk) << acutWideToUtf8(reopened.lastFileError());
  const HdwContainer again = parse(readFile(path("again.hdw")));
  const HdwObjectEntry& kept = again.objects[arrowEntry(again)];
  EXPECT_EQ(kept.bytes, future);
  EXPECT_EQ(again.classes[kept.classIndex].dxfName, PlumbPipeArrow::kDxfName);
}

// Damage anywhere in a filed arrow: a record cut short refuses the drawing, a flipped
// bit is refused or read, and whatever is read draws and snaps without a fault.
TEST_F(ArrowFiling, DamagedArrowBytesInADrawingNeverCrashTheHost) {
  add(arrow({0, 0, 0}, {100, 0, 30}, {48.0, -96.0, 12.0}).release());
  ASSERT_EQ(db_.saveAs(path("good.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db_.lastFileError());
  const HdwContainer good = parse(readFile(path("good.hdw")));
  const size_t index = arrowEntry(good);
  const FiledBytes bytes = good.objects[index].bytes;
  int loaded = 0;
  const auto load = [&](const FiledBytes& damaged) {
    HdwContainer file = good;
    file.objects[index].bytes = damaged;
    writeFile(path("damaged.hdw"), hdwSerialize(file));
    AcDbDatabase db(false);
    if (db.readDwgFile(path("damaged.hdw").c_str()) != Acad::eOk) return false;
    ++loaded;
    AcGiRecordingWorldDraw wd;
    EXPECT_EQ(recordModelSpace(&db, wd), Acad::eOk);
    for (const AcDbObjectId& id : modelSpace(db)) {
      AcDbEntity* entity = nullptr;
      if (acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk) continue;
      AcGePoint3dArray points;
      AcDbIntArray ids;
      entity->getOsnapPoints(AcDb::kOsModeEnd, 0, AcGePoint3d(), AcGePoint3d(), AcGeMatrix3d(), points, ids);
      AcDbExtents box;
      entity->getGeomExtents(box);
      entity->close();
    }
    return true;
  };
  for (size_t keep = 0; keep < bytes.size(); ++keep)
    EXPECT_FALSE(load(FiledBytes(bytes.begin(), bytes.begin() + static_cast<long>(keep)))) << "cut at " << keep;
  for (size_t at = 0; at < bytes.size(); ++at) {
    FiledBytes flipped = bytes;
    flipped[at] ^= static_cast<unsigned char>(1u << (at % 8));
    load(flipped);
  }
  EXPECT_GT(loaded, 0) << "damage to the values alone still reads";
}

AcDbDxfGroup group(int code, const wchar_t* text) {
  AcDbDxfGroup g;
  g.code = code;
  g.kind = acutRbValueKind(code);
  g.text = text;
  return g;
}

AcDbDxfGroup numberGroup(int code, const AcGePoint3d& p, double value = 0.0) {
  AcDbDxfGroup g;
  g.code = code;
  g.kind = code < 40 ? RbValueKind::kPoint : RbValueKind::kReal;
  g.point = p;
  g.real = value;
  return g;
}

// DXF carries the points, the pipe's key and the offsets, in this order after the
// arrow's marker. Reading needs the arrow's marker and takes only the points: every
// other group of its data is passed over, and another class's data is refused.
TEST_F(ArrowFiling, DxfWritesThePointsKeyAndOffsetsAndReadsThePoints) {
  std::unique_ptr<PlumbPipeArrow> a = fullArrow();
  AcDbMemDxfWriter writer(&db_);
  ASSERT_EQ(a->dxfOutFields(&writer), Acad::eOk);
  std::vector<AcDbDxfGroup> groups;
  std::wstring error;
  ASSERT_EQ(acdbParseDxfGroups(writer.text(), groups, error), Acad::eOk) << acutWideToUtf8(error);
  size_t at = 0;
  while (at < groups.size() && !groups[at].is(100, PlumbPipeArrow::kClassName)) ++at;
  ASSERT_EQ(groups.size(), at + 6) << writer.text();
  std::vector<int> codes;
  for (size_t i = at + 1; i < groups.size(); ++i) codes.push_back(groups[i].code);
  EXPECT_EQ(codes, (std::vector<int>{10, 11, 90, 41, 42}));
  EXPECT_TRUE(groups[at + 1].point.isEqualTo({1, 2, 3}) && groups[at + 2].point.isEqualTo({40, 50, 6}));
  EXPECT_EQ(groups[at + 3].integer, 77);
  EXPECT_EQ(std::make_pair(groups[at + 4].real, groups[at + 5].real), std::make_pair(1.25, 2.5));

  PlumbPipeArrow wrong;
  AcDbMemDxfReader foreign(
      {group(100, L"AcDbEntity"), group(8, L"0"), group(100, L"AcDbLine"), numberGroup(10, {1, 1, 1})}, &db_);
  EXPECT_EQ(wrong.dxfInFields(&foreign), Acad::eBadDxfSequence);
  PlumbPipeArrow back;
  AcDbMemDxfReader own({group(100, L"AcDbEntity"), group(8, L"0"), group(100, L"PlumbPipeArrow"),
                        group(1, L"a text nobody asked for"), numberGroup(11, {4, 5, 6}), numberGroup(41, {}, 3.0),
                        numberGroup(10, {1, 2, 3}), numberGroup(40, {}, 99.0)},
                       &db_);
  ASSERT_EQ(back.dxfInFields(&own), Acad::eOk);
  EXPECT_TRUE(back.startPoint().isEqualTo({1, 2, 3}) && back.endPoint().isEqualTo({4, 5, 6}));
  EXPECT_EQ(std::make_pair(back.tailOffset(), back.arrowLength()), std::make_pair(0.0, 12.0));
}

}  // namespace
