// The flow arrow in files: the current layout item by item, the hanger cap, the older
// layouts with their defaults, newer arrows kept as proxies through a drawing file,
// undo, and DXF with only the points coming back.
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "arx/db_proxy.h"
#include "arx/dwg_filer_mem.h"
#include "arx/dxf_filer_mem.h"
#include "arx/hdw_format.h"
#include "test_arrow_fixture.h"
#include "test_arrow_layouts.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Bytes as some release filed an arrow: the entity's own fields as the host files
// them, then whatever that release's layout held.
template <typename Layout>
Bytes layout(Layout&& write) {
  PlumbPipeArrow blank;
  AcDbMemDwgFiler filer(AcDb::kCopyFiler);
  EXPECT_EQ(blank.AcDbEntity::dwgOutFields(&filer), Acad::eOk);
  write(filer);
  EXPECT_EQ(filer.filerStatus(), Acad::eOk);
  return filer.takeBytes();
}

// An arrow as the release of the version filed it.
Bytes arrowBytes(Adesk::Int32 version, const ArrowLayout& values) {
  return layout([&](AcDbMemDwgFiler& f) { writeArrowLayout(&f, version, values); });
}

Bytes readFile(const std::wstring& path) {
  std::ifstream in(acutWideToUtf8(path), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::wstring& path, const Bytes& bytes) {
  std::ofstream out(acutWideToUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

HdwContainer parse(const Bytes& file) {
  HdwContainer container;
  std::wstring error;
  EXPECT_EQ(hdwParse(file.data(), file.size(), container, error), Acad::eOk) << acutWideToUtf8(error);
  return container;
}

// The filed objects of the arrow's class in a parsed drawing file.
std::vector<HdwObjectEntry*> arrowEntries(HdwContainer& c) {
  std::vector<HdwObjectEntry*> found;
  for (HdwObjectEntry& o : c.objects)
    if (o.classIndex < c.classes.size() && c.classes[o.classIndex].name == PlumbPipeArrow::kClassName)
      found.push_back(&o);
  return found;
}

AcGeDoubleArray distances(std::initializer_list<double> values) { return AcGeDoubleArray(values); }

std::vector<double> asVector(const AcGeDoubleArray& a) { return a.vec(); }

class ArrowFiling : public ArrowTest {
 protected:
  // An arrow with every field away from its default.
  static std::unique_ptr<PlumbPipeArrow> fullArrow() {
    std::unique_ptr<PlumbPipeArrow> a(makeArrow({1, 2, 3}, {40, 50, 6}, {48.0, -96.0, 7.5}));
    a->setPipeId(77);
    a->setArrowLength(9.5);
    a->setTailOffset(1.25);
    a->setHeadOffset(2.5);
    a->setReversed(true);
    return a;
  }
};

TEST_F(ArrowFiling, TheThirdLayoutIsWrittenItemByItem) {
  std::unique_ptr<PlumbPipeArrow> a = fullArrow();
  const Bytes expected = arrowBytes(3, {{1, 2, 3}, {40, 50, 6}, 9.5, 1.25, 2.5, 77, {48.0, -96.0, 7.5}, true});
  EXPECT_EQ(fileOut(*a), expected);
}

// Copies and undo go through the same filing: nothing may be lost on the way.
TEST_F(ArrowFiling, ACopyKeepsEveryField) {
  std::unique_ptr<PlumbPipeArrow> a = fullArrow();
  std::unique_ptr<PlumbPipeArrow> copy(PlumbPipeArrow::cast(a->clone()));
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(copy->startPoint().isEqualTo({1, 2, 3}));
  EXPECT_TRUE(copy->endPoint().isEqualTo({40, 50, 6}));
  EXPECT_EQ(copy->pipeId(), 77);
  EXPECT_EQ(copy->arrowLength(), 9.5);
  EXPECT_EQ(copy->tailOffset(), 1.25);
  EXPECT_EQ(copy->headOffset(), 2.5);
  EXPECT_EQ(asVector(copy->hangers()), (std::vector<double>{48.0, -96.0, 7.5}));
  EXPECT_TRUE(copy->isReversed());
}

TEST_F(ArrowFiling, OnlyTheFirstHundredHangersAreFiled) {
  std::vector<double> many;
  for (int i = 0; i < 150; ++i) many.push_back(i % 2 == 0 ? i * 2.0 : -i * 2.0);
  std::unique_ptr<PlumbPipeArrow> a(makeArrow({0, 0, 0}, {1000, 0, 0}, many));
  PlumbPipeArrow back;
  ASSERT_EQ(fileIn(back, fileOut(*a)), Acad::eOk);
  EXPECT_EQ(asVector(back.hangers()), std::vector<double>(many.begin(), many.begin() + 100));
  EXPECT_EQ(a->hangers().length(), 150) << "the arrow itself keeps them until it is read back";
}

// The same through a saved drawing and the hanger list LISP reads back from it.
TEST_F(ArrowFiling, ASavedAndReopenedDrawingHoldsAHundredHangers) {
  std::vector<double> many;
  for (int i = 1; i <= 150; ++i) many.push_back(i);
  add(makeArrow({0, 0, 0}, {1000, 0, 0}, many));
  ASSERT_EQ(db_.saveAs(path("many.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db_.lastFileError());

  AcDbDatabase reopened(false);
  ASSERT_EQ(reopened.readDwgFile(path("many.hdw").c_str()), Acad::eOk) << acutWideToUtf8(reopened.lastFileError());
  const std::vector<AcDbObjectId> ids = modelSpace(reopened);
  ASSERT_EQ(ids.size(), 1u);
  // LISP names only the objects of open drawings: make the reopened one the working one.
  acdbHostApplicationServices()->setWorkingDatabase(&reopened);
  bind(L"arrow", ids[0]);
  EXPECT_EQ(eval("(length (ov_plumb-pipe-getHangerList arrow))"), L"100");
  EXPECT_EQ(eval("(last (ov_plumb-pipe-getHangerList arrow))"), L"(\"d\" . 100.0)");
  acdbHostApplicationServices()->setWorkingDatabase(&db_);
}

TEST_F(ArrowFiling, TheFirstLayoutReadsWithoutOffsetsHangersOrReversal) {
  const Bytes v1 = arrowBytes(1, {{1, 2, 3}, {4, 5, 6}, 8.0, 0.0, 0.0, 31, {}, false});
  PlumbPipeArrow fresh;
  ASSERT_EQ(fileIn(fresh, v1), Acad::eOk);
  EXPECT_TRUE(fresh.startPoint().isEqualTo({1, 2, 3}));
  EXPECT_TRUE(fresh.endPoint().isEqualTo({4, 5, 6}));
  EXPECT_EQ(fresh.arrowLength(), 8.0);
  EXPECT_EQ(fresh.pipeId(), 31);
  EXPECT_EQ(fresh.tailOffset(), 0.0);
  EXPECT_EQ(fresh.headOffset(), 0.0);
  EXPECT_TRUE(fresh.hangers().isEmpty());
  EXPECT_FALSE(fresh.isReversed());

  // Read over an arrow that had offsets: the first layout knew none, so none remain.
  std::unique_ptr<PlumbPipeArrow> used = fullArrow();
  ASSERT_EQ(fileIn(*used, v1), Acad::eOk);
  EXPECT_EQ(used->tailOffset(), 0.0);
  EXPECT_EQ(used->headOffset(), 0.0);
}

TEST_F(ArrowFiling, TheSecondLayoutReplacesTheHangersAndKeepsTheReversal) {
  const Bytes v2 = arrowBytes(2, {{0, 0, 0}, {90, 0, 0}, 12.0, 0.5, 0.75, 5, {48.0, -96.0}, false});
  PlumbPipeArrow fresh;
  ASSERT_EQ(fileIn(fresh, v2), Acad::eOk);
  EXPECT_EQ(fresh.tailOffset(), 0.5);
  EXPECT_EQ(fresh.headOffset(), 0.75);
  EXPECT_EQ(fresh.pipeId(), 5);
  EXPECT_EQ(asVector(fresh.hangers()), (std::vector<double>{48.0, -96.0}));
  EXPECT_FALSE(fresh.isReversed());

  std::unique_ptr<PlumbPipeArrow> used = fullArrow();
  ASSERT_EQ(fileIn(*used, v2), Acad::eOk);
  EXPECT_EQ(asVector(used->hangers()), (std::vector<double>{48.0, -96.0})) << "not added to the old ones";
  EXPECT_TRUE(used->isReversed()) << "the second layout had no reversal to read";
}

// Reading is not capped: whatever count an old file holds is read in full.
TEST_F(ArrowFiling, ReadingTakesAsManyHangersAsTheCountSays) {
  ArrowLayout values;
  values.end = {9000, 0, 0};
  for (int i = 0; i < 120; ++i) values.hangers.push_back(i * 10.0);
  const Bytes many = arrowBytes(3, values);
  PlumbPipeArrow a;
  ASSERT_EQ(fileIn(a, many), Acad::eOk);
  ASSERT_EQ(a.hangers().length(), 120);
  EXPECT_EQ(a.hangers()[119], 1190.0);
}

// Version 0 or below holds nothing the arrow knows; a later version is kept as filed.
TEST_F(ArrowFiling, UnknownVersionsReadNothingFurther) {
  for (Adesk::Int32 version : {0, -1, -2147483647 - 1}) {
    PlumbPipeArrow a;
    const Bytes bytes = layout([version](AcDbMemDwgFiler& f) {
      f.writeInt32(version);
      f.writePoint3d({7, 7, 7});
    });
    EXPECT_EQ(fileIn(a, bytes), Acad::eOk) << version;
    EXPECT_TRUE(a.startPoint().isEqualTo(AcGePoint3d())) << version;
    EXPECT_EQ(a.arrowLength(), 12.0) << version;
  }
  for (Adesk::Int32 version : {4, 2147483647}) {
    PlumbPipeArrow a;
    const Bytes bytes = layout([version](AcDbMemDwgFiler& f) {
      f.writeInt32(version);
      f.writePoint3d({7, 7, 7});
    });
    EXPECT_EQ(fileIn(a, bytes), Acad::eMakeMeProxy) << version;
    EXPECT_TRUE(a.startPoint().isEqualTo(AcGePoint3d())) << version;
  }
}

// A record cut short anywhere answers the filer's failure, never a crash.
TEST_F(ArrowFiling, ATruncatedRecordAnswersAnError) {
  std::unique_ptr<PlumbPipeArrow> a = fullArrow();
  const Bytes whole = fileOut(*a);
  for (size_t keep = 0; keep < whole.size(); ++keep) {
    PlumbPipeArrow back;
    EXPECT_NE(fileIn(back, Bytes(whole.begin(), whole.begin() + static_cast<long>(keep))), Acad::eOk) << keep;
  }
}

// Undo reads the recorded state back into the same arrow; its hangers must be the
// recorded ones, not those added to what the arrow held.
TEST_F(ArrowFiling, UndoPutsTheHangersBack) {
  const AcDbObjectId id = add(makeArrow({0, 0, 0}, {100, 0, 0}, {10.0, 20.0, 30.0}));
  db_.beginUndoGroup();
  PlumbPipeArrow* a = nullptr;
  ASSERT_EQ(acdbOpenObject(a, id, AcDb::kForWrite), Acad::eOk);
  a->setHangers(distances({-5.0}));
  a->setReversed(true);
  a->close();
  db_.endUndoGroup();

  ASSERT_EQ(db_.undoGroup(), Acad::eOk);
  readArrow(id, [](PlumbPipeArrow& back) {
    EXPECT_EQ(asVector(back.hangers()), (std::vector<double>{10.0, 20.0, 30.0}));
    EXPECT_FALSE(back.isReversed());
  });
  ASSERT_EQ(db_.redoGroup(), Acad::eOk);
  readArrow(id, [](PlumbPipeArrow& back) { EXPECT_EQ(asVector(back.hangers()), (std::vector<double>{-5.0})); });
}

// An arrow of a later release reopens as a proxy and is saved back byte for byte.
TEST_F(ArrowFiling, ANewerArrowIsKeptAsAProxyThroughTheDrawingFile) {
  add(makeArrow({0, 0, 0}, {100, 0, 0}, {10.0}));
  ASSERT_EQ(db_.saveAs(path("now.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db_.lastFileError());
  HdwContainer file = parse(readFile(path("now.hdw")));
  std::vector<HdwObjectEntry*> entries = arrowEntries(file);
  ASSERT_EQ(entries.size(), 1u);
  const Bytes future = arrowBytes(4, {{0, 0, 0}, {100, 0, 0}, 12.0, 0.0, 0.0, 3, {10.0}, true});
  entries[0]->bytes = future;
  writeFile(path("future.hdw"), hdwSerialize(file));

  AcDbDatabase reopened(false);
  ASSERT_EQ(reopened.readDwgFile(path("future.hdw").c_str()), Acad::eOk) << acutWideToUtf8(reopened.lastFileError());
  const std::vector<AcDbObjectId> ids = modelSpace(reopened);
  ASSERT_EQ(ids.size(), 1u);
  AcDbEntity* entity = nullptr;
  ASSERT_EQ(acdbOpenObject(entity, ids[0], AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(PlumbPipeArrow::cast(entity), nullptr);
  AcDbProxyEntity* proxy = AcDbProxyEntity::cast(entity);
  ASSERT_NE(proxy, nullptr);
  EXPECT_EQ(std::wstring(proxy->originalClassName()), PlumbPipeArrow::kClassName);
  entity->close();

  ASSERT_EQ(reopened.saveAs(path("again.hdw").c_str()), Acad::eOk) << acutWideToUtf8(reopened.lastFileError());
  HdwContainer again = parse(readFile(path("again.hdw")));
  std::vector<HdwObjectEntry*> kept = arrowEntries(again);
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0]->bytes, future);
  EXPECT_EQ(again.classes[kept[0]->classIndex].dxfName, PlumbPipeArrow::kDxfName);
}

// The corpus keeps a drawing with an arrow of every release, filed by the corpus maker
// from the layouts above: each known layout opens as an arrow with its own defaults,
// the one of no release as a default arrow, the later release's as a proxy.
TEST_F(ArrowFiling, AStoredDrawingWithArrowsOfEveryReleaseOpens) {
  AcDbDatabase stored(false);
  const std::wstring file = acutUtf8ToWide(OV_SOURCE_DIR "/tests/fuzz/corpus/hdw/valid-arrows-every-version.hdw");
  ASSERT_EQ(stored.readDwgFile(file.c_str()), Acad::eOk) << acutWideToUtf8(stored.lastFileError());
  std::vector<int> versions;
  int proxies = 0;
  for (const AcDbObjectId& id : modelSpace(stored)) {
    AcDbEntity* entity = nullptr;
    ASSERT_EQ(acdbOpenObject(entity, id, AcDb::kForRead), Acad::eOk);
    if (const AcDbProxyEntity* proxy = AcDbProxyEntity::cast(entity)) {
      proxies += std::wstring(proxy->originalClassName()) == PlumbPipeArrow::kClassName ? 1 : 0;
    } else if (PlumbPipeArrow* a = PlumbPipeArrow::cast(entity)) {
      const int version = a->pipeId();
      versions.push_back(version);
      SCOPED_TRACE(version);
      const size_t strokes = draw(*a).size();
      if (version == 0) {
        EXPECT_TRUE(a->startPoint().isEqualTo(AcGePoint3d()));
        EXPECT_EQ(a->arrowLength(), 12.0);
        EXPECT_EQ(strokes, 1u);
      } else {
        EXPECT_TRUE(a->startPoint().isEqualTo({100.0 * version, 0, 10}));
        EXPECT_TRUE(a->endPoint().isEqualTo({100.0 * version + 60, 80, 20}));
        EXPECT_EQ(a->arrowLength(), 9.0);
        EXPECT_EQ(a->tailOffset(), version == 1 ? 0.0 : 1.5);
        EXPECT_EQ(a->headOffset(), version == 1 ? 0.0 : 2.5);
        const std::vector<double> filed = version == 1 ? std::vector<double>{} : std::vector<double>{48, -24, 100};
        EXPECT_EQ(asVector(a->hangers()), filed);
        EXPECT_EQ(a->isReversed(), version == 3);
        // The head, then 48 and the crossed -24; 100 lies at the end of the plan length.
        EXPECT_EQ(strokes, version == 1 ? 2u : 5u);
      }
    }
    entity->close();
  }
  std::sort(versions.begin(), versions.end());
  EXPECT_EQ(versions, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(proxies, 1);
}

// DXF carries the points, the pipe's key and the offsets, in this order after the
// arrow's marker.
TEST_F(ArrowFiling, DxfWritesThePointsKeyAndOffsets) {
  std::unique_ptr<PlumbPipeArrow> a = fullArrow();
  AcDbMemDxfWriter writer(&db_);
  ASSERT_EQ(a->dxfOutFields(&writer), Acad::eOk);
  std::vector<AcDbDxfGroup> groups;
  std::wstring error;
  ASSERT_EQ(acdbParseDxfGroups(writer.text(), groups, error), Acad::eOk) << acutWideToUtf8(error);
  size_t at = 0;
  while (at < groups.size() && !groups[at].is(100, PlumbPipeArrow::kClassName)) ++at;
  ASSERT_EQ(groups.size(), at + 6) << writer.text();
  EXPECT_EQ(groups[at + 1].code, 10);
  EXPECT_TRUE(groups[at + 1].point.isEqualTo({1, 2, 3}));
  EXPECT_EQ(groups[at + 2].code, 11);
  EXPECT_TRUE(groups[at + 2].point.isEqualTo({40, 50, 6}));
  EXPECT_EQ(groups[at + 3].code, 90);
  EXPECT_EQ(groups[at + 3].integer, 77);
  EXPECT_EQ(groups[at + 4].code, 41);
  EXPECT_EQ(groups[at + 4].real, 1.25);
  EXPECT_EQ(groups[at + 5].code, 42);
  EXPECT_EQ(groups[at + 5].real, 2.5);
}

// Read back from a DXF file, an arrow has its points and nothing else of what it had.
TEST_F(ArrowFiling, ADxfRoundTripKeepsOnlyThePoints) {
  {
    std::unique_ptr<PlumbPipeArrow> a = fullArrow();
    add(a.release());
  }
  ASSERT_EQ(db_.dxfOut(path("plan.dxf").c_str()), Acad::eOk) << acutWideToUtf8(db_.lastFileError());
  AcDbDatabase read(false);
  ASSERT_EQ(read.dxfIn(path("plan.dxf").c_str()), Acad::eOk) << acutWideToUtf8(read.lastFileError());
  const std::vector<AcDbObjectId> ids = modelSpace(read);
  ASSERT_EQ(ids.size(), 1u);
  readArrow(ids[0], [](PlumbPipeArrow& back) {
    EXPECT_TRUE(back.startPoint().isEqualTo({1, 2, 3}));
    EXPECT_TRUE(back.endPoint().isEqualTo({40, 50, 6}));
    EXPECT_EQ(back.pipeId(), 0);
    EXPECT_EQ(back.tailOffset(), 0.0);
    EXPECT_EQ(back.headOffset(), 0.0);
    EXPECT_EQ(back.arrowLength(), 12.0);
    EXPECT_TRUE(back.hangers().isEmpty());
    EXPECT_FALSE(back.isReversed());
  });
}

bool ezdxfAvailable() { return std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") == 0; }

// The project's check of how another tool sees a DXF file; answers its exit status.
int runEzdxfCheck(const std::wstring& file, const std::string& options, std::string& output) {
  const std::string command = "/usr/bin/python3 " OV_SOURCE_DIR "/tests/ezdxf_check.py '" + acutWideToUtf8(file) +
                              "' " + options + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buf[512];
  output.clear();
  while (std::fgets(buf, sizeof buf, pipe) != nullptr) output += buf;
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Another tool reads the arrow as a custom entity of its class and audits the file
// clean; the export for tools without the class holds the strokes as plain lines.
TEST_F(ArrowFiling, OtherToolsReadDrawingsWithArrows) {
  if (!ezdxfAvailable()) GTEST_SKIP() << "/usr/bin/python3 cannot import ezdxf (scripts/install-deps.sh installs it)";
  add(makeArrow({0, 0, 0}, {100, 0, 0}, {48.0, -96.0}));
  ASSERT_EQ(db_.dxfOut(path("plan.dxf").c_str()), Acad::eOk) << acutWideToUtf8(db_.lastFileError());
  ASSERT_EQ(db_.dxfOut(path("flat.dxf").c_str(), 16, true), Acad::eOk) << acutWideToUtf8(db_.lastFileError());
  std::string output;
  EXPECT_EQ(runEzdxfCheck(path("plan.dxf"), "--strict --expect-custom OVPLUMBPIPEARROW", output), 0) << output;
  EXPECT_EQ(runEzdxfCheck(path("flat.dxf"), "--strict --only-plain --expect LINE=5", output), 0) << output;
}

// Damage anywhere in a filed arrow: a record cut short refuses the drawing, a flipped
// bit is refused or read, and whatever is read draws and snaps without a fault.
TEST_F(ArrowFiling, DamagedArrowBytesInADrawingNeverCrashTheHost) {
  add(makeArrow({0, 0, 0}, {100, 0, 30}, {48.0, -96.0, 12.0}));
  ASSERT_EQ(db_.saveAs(path("good.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db_.lastFileError());
  const HdwContainer good = parse(readFile(path("good.hdw")));
  HdwContainer probe = good;
  ASSERT_EQ(arrowEntries(probe).size(), 1u);
  const size_t index = static_cast<size_t>(arrowEntries(probe)[0] - probe.objects.data());
  const Bytes bytes = good.objects[index].bytes;

  const auto load = [&](const Bytes& damaged, int& loaded) {
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
  int loaded = 0;
  for (size_t keep = 0; keep < bytes.size(); ++keep)
    EXPECT_FALSE(load(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(keep)), loaded)) << "cut at " << keep;
  for (size_t at = 0; at < bytes.size(); ++at) {
    Bytes flipped = bytes;
    flipped[at] ^= static_cast<unsigned char>(1u << (at % 8));
    load(flipped, loaded);
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

AcDbDxfGroup pointGroup(int code, const AcGePoint3d& p) {
  AcDbDxfGroup g;
  g.code = code;
  g.kind = RbValueKind::kPoint;
  g.point = p;
  return g;
}

AcDbDxfGroup realGroup(int code, double value) {
  AcDbDxfGroup g;
  g.code = code;
  g.kind = RbValueKind::kReal;
  g.real = value;
  return g;
}

// Another class's data under the arrow's name is refused; within the arrow's own
// data every group but the two points is passed over.
TEST_F(ArrowFiling, DxfInNeedsTheArrowsMarkerAndReadsOnlyThePoints) {
  PlumbPipeArrow wrong;
  AcDbMemDxfReader foreign({group(100, L"AcDbEntity"), group(8, L"0"), group(100, L"AcDbLine"),
                            pointGroup(10, {1, 1, 1})},
                           &db_);
  EXPECT_EQ(wrong.dxfInFields(&foreign), Acad::eBadDxfSequence);

  PlumbPipeArrow a;
  AcDbMemDxfReader own({group(100, L"AcDbEntity"), group(8, L"0"), group(100, L"PlumbPipeArrow"),
                        group(1, L"a text nobody asked for"), pointGroup(11, {4, 5, 6}), realGroup(41, 3.0),
                        pointGroup(10, {1, 2, 3}), realGroup(40, 99.0)},
                       &db_);
  ASSERT_EQ(a.dxfInFields(&own), Acad::eOk);
  EXPECT_TRUE(a.startPoint().isEqualTo({1, 2, 3}));
  EXPECT_TRUE(a.endPoint().isEqualTo({4, 5, 6}));
  EXPECT_EQ(a.tailOffset(), 0.0);
  EXPECT_EQ(a.arrowLength(), 12.0);
}

}  // namespace
