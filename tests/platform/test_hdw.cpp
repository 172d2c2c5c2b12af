// Drawing files: what a save keeps in either format (plain entities, table records,
// extended data, handles, a plug-in entity), and for the native file how objects of
// unknown or newer classes survive as proxies and are written back unchanged, how
// damaged files are refused, its CRC, its handle table and large saves in pieces; a
// drawing opened in place, its objects built when first opened and saved unchanged
// as the bytes they came from, and a file cut short or rewritten while open.
#include "test_drawing_files.h"

#include <random>
#include <sstream>

#include "arx/db_proxy.h"
#include "arx/dxf_filer_mem.h"
#include "arx/hdw_format.h"

namespace {

HdwContainer parsed(const std::wstring& path) {
  Bytes bytes = fileBytes(path);
  HdwContainer c;
  std::wstring error;
  EXPECT_EQ(hdwParse(bytes.data(), bytes.size(), c, error), Acad::eOk) << acutWideToUtf8(error);
  return c;
}

void expectSameXData(const resbuf* a, const resbuf* b) {
  for (; a && b; a = a->rbnext, b = b->rbnext) {
    ASSERT_EQ(a->restype, b->restype);
    switch (acutRbValueKind(a->restype)) {
      case RbValueKind::kString: EXPECT_STREQ(a->resval.rstring, b->resval.rstring); break;
      case RbValueKind::kReal: EXPECT_DOUBLE_EQ(a->resval.rreal, b->resval.rreal); break;
      case RbValueKind::kShort: EXPECT_EQ(a->resval.rint, b->resval.rint); break;
      case RbValueKind::kLong: EXPECT_EQ(a->resval.rlong, b->resval.rlong); break;
      case RbValueKind::kPoint:
        for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(a->resval.rpoint[i], b->resval.rpoint[i]);
        break;
      default: ADD_FAILURE() << "no comparison for type " << a->restype;
    }
  }
  EXPECT_EQ(a, nullptr) << "the read extended data is longer";
  EXPECT_EQ(b, nullptr) << "the read extended data is shorter";
}

// ---- both formats --------------------------------------------------------------------

class DrawingFormatTest : public DrawingFileTest, public ::testing::WithParamInterface<const char*> {
 protected:
  std::wstring file(const char* stem) const { return path((std::string(stem) + GetParam()).c_str()); }
};

// The DXF fields of an object, as the host writes them.
std::string dxfFields(AcDbObjectId id) {
  Reading<AcDbObject> obj(id);
  AcDbMemDxfWriter writer(id.database());
  EXPECT_EQ(obj->dxfOutFields(&writer), Acad::eOk);
  return writer.text();
}

// What an object keeps that its DXF fields do not show: the file writes a table
// record's fields and a polyline's vertices itself.
std::wstring recordFields(AcDbObjectId id) {
  Reading<AcDbObject> obj(id);
  std::wostringstream out;
  if (auto* layer = AcDbLayerTableRecord::cast(obj.get())) {
    AcCmColor c = layer->color();
    ACHAR* style = layer->plotStyleName();
    out << layer->name();
    if (c.isByColor()) out << " rgb " << c.red() << ' ' << c.green() << ' ' << c.blue();
    else out << " colour " << c.colorIndex();
    out << " linetype " << recordName(layer->linetypeObjectId()) << " locked " << layer->isLocked()
        << " off " << layer->isOff() << " frozen " << layer->isFrozen() << " plots " << layer->isPlottable()
        << " weight " << layer->lineWeight() << " style " << style;
    acutDelString(style);
  } else if (auto* linetype = AcDbLinetypeTableRecord::cast(obj.get())) {
    out << linetype->name() << ' ' << linetype->description();
    for (int i = 0; i < linetype->numDashes(); ++i) out << ' ' << linetype->dashLengthAt(i);
  } else if (auto* style = AcDbTextStyleTableRecord::cast(obj.get())) {
    out << style->name() << ' ' << style->font() << ' ' << style->textSize() << ' ' << style->xScale();
  } else if (auto* polyline = AcDb2dPolyline::cast(obj.get())) {
    for (int i = 0; i < polyline->numVerts(); ++i)
      out << polyline->vertexAt(i).x << ' ' << polyline->vertexAt(i).y << ' ' << polyline->vertexAt(i).z << ", ";
  }
  return out.str();
}

// Every object comes back under its handle, of its class, with every field and its
// extended data (so every plain entity kind with a polyline's vertices, the layers
// with colour, linetype, lock and plot settings, the loaded linetype's dashes, the
// text style's font, the plug-in entity); model space lists the same entities in the same order; the current layer
// and linetype stay current.
TEST_P(DrawingFormatTest, ASaveKeepsEveryObject) {
  buildDrawing();
  ASSERT_EQ(save(*source_, file("plan")), Acad::eOk) << acutWideToUtf8(source_->lastFileError());
  std::unique_ptr<AcDbDatabase> read = readBack(file("plan"));
  AcDbDatabase& db = *read;
  int compared = 0;
  for (AcDbStub* stub : source_->stubs()) {
    if (stub->object == nullptr || stub->erased) continue;
    SCOPED_TRACE(acutWideToUtf8(stub->handle.text()) + " " + acutWideToUtf8(stub->object->isA()->name()));
    AcDbObjectId id = idOf(db, AcDbObjectId(stub));
    ASSERT_FALSE(id.isNull());
    EXPECT_EQ(id.objectClass(), stub->object->isA());
    EXPECT_EQ(dxfFields(id), dxfFields(AcDbObjectId(stub)));
    EXPECT_EQ(recordFields(id), recordFields(AcDbObjectId(stub)));
    Reading<AcDbObject> got(id), want{AcDbObjectId(stub)};
    std::unique_ptr<resbuf, RbRelease> gotX(got->xData()), wantX(want->xData());
    expectSameXData(gotX.get(), wantX.get());
    ++compared;
  }
  EXPECT_GT(compared, 20);
  expectWidgetAsSaved(db, widget_.handle(), std::string(GetParam()) == ".hdw");
  Reading<AcDbBlockTableRecord> ms(db.modelSpaceId()), sourceMs(source_->modelSpaceId());
  std::vector<AcDbObjectId> readIds = ms->entityIds(), sourceIds = sourceMs->entityIds();
  ASSERT_EQ(readIds.size(), 7u);
  for (size_t i = 0; i < readIds.size(); ++i) EXPECT_EQ(readIds[i].handle(), sourceIds[i].handle());
  EXPECT_EQ(recordName(db.clayer()), L"Pipes");
  EXPECT_EQ(db.celtype(), db.byLayerLinetype());
  EXPECT_EQ(recordFields(sample_.polyline), L"0 0 1.5, 5 3 1.5, 9 -1 1.5, 14 2 1.5, ");
  EXPECT_EQ(recordFields(sample_.lockedLayer),
            L"Locked rgb 40 60 90 linetype Continuous locked 1 off 1 frozen 0 plots 0 weight 35 style Thin");
}

// An erased object is left out; loading is no change to undo and leaves undo
// recording as it found it; a new object never takes a handle the file used.
TEST_P(DrawingFormatTest, ErasedObjectsUndoAndHandles) {
  AcDbDatabase db(true);
  SampleDrawing s = buildSampleDrawing(db);
  AcDbObject* circle = nullptr;
  ASSERT_EQ(acdbOpenObject(circle, s.circle, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(circle->erase(), Acad::eOk);
  circle->close();
  ASSERT_EQ(save(db, file("erased")), Acad::eOk);
  std::unique_ptr<AcDbDatabase> read = readBack(file("erased"));
  EXPECT_EQ(read->stubFor(s.circle.handle()), nullptr);
  {
    Reading<AcDbBlockTableRecord> ms(read->modelSpaceId());
    EXPECT_EQ(ms->entityIds().size(), 4u);
  }
  EXPECT_EQ(read->undoGroupCount(), 0);
  EXPECT_EQ(read->undoGroup(), Acad::eNothingToUndo);
  EXPECT_TRUE(read->undoRecording());
  AcDbDatabase silent(false);
  silent.disableUndoRecording(true);
  ASSERT_EQ(load(silent, file("erased")), Acad::eOk);
  EXPECT_FALSE(silent.undoRecording());

  EXPECT_FALSE(read->handseed() < db.handseed());
  AcDbObjectId fresh = appendToModelSpace(*read, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
  for (AcDbStub* stub : db.stubs()) EXPECT_NE(fresh.handle(), stub->handle);
}

// A missing file and a database that already holds a drawing are refused; the
// database keeps what it had.
TEST_P(DrawingFormatTest, RefusesMissingFilesAndFullDatabases) {
  AcDbDatabase empty(false);
  EXPECT_EQ(load(empty, file("missing")), Acad::eFileNotFound);
  EXPECT_NE(empty.lastFileError().find(L"missing"), std::wstring::npos);
  AcDbDatabase full(true);
  ASSERT_EQ(save(full, file("full")), Acad::eOk);
  size_t objects = full.stubs().size();
  EXPECT_EQ(load(full, file("full")), Acad::eInvalidInput);
  EXPECT_EQ(full.stubs().size(), objects);
  EXPECT_FALSE(full.modelSpaceId().isNull());
}

INSTANTIATE_TEST_SUITE_P(BothFormats, DrawingFormatTest, ::testing::Values(".hdw", ".dxf"));

class HdwFileTest : public DrawingFileTest {};

// ---- the native file: proxies ------------------------------------------------------------

// Every object's class name and filed bytes by handle, for comparing two saves.
std::map<std::uint64_t, std::pair<std::wstring, Bytes>> objectRecords(const std::wstring& path) {
  HdwContainer c = parsed(path);
  std::map<std::uint64_t, std::pair<std::wstring, Bytes>> out;
  for (const HdwObjectEntry& o : c.objects) out[o.handle.value()] = {c.classes.at(o.classIndex).name, o.bytes};
  return out;
}

// A widget whose class is not registered, or whose version is newer than its class
// reads, is a proxy entity on its layer that remembers its class and refuses to move;
// it survives an undo; saved again, its bytes are those of the first file, and a host
// that can read it reads it as it was.
TEST_F(HdwFileTest, UnreadableEntitiesAreKeptAsProxiesAndWrittenBackUnchanged) {
  for (bool newer : {false, true}) {
    SCOPED_TRACE(newer ? "newer version" : "unknown class");
    buildDrawing();
    TestWidget::writtenVersion = newer ? 2 : 1;
    ASSERT_EQ(source_->saveAs(path("first.hdw").c_str()), Acad::eOk);
    if (!newer) unregisterWidget();
    {
      std::unique_ptr<AcDbDatabase> db = readBack(path("first.hdw"));
      AcDbObjectId id = idOf(*db, widget_);
      Bytes before;
      {
        Reading<AcDbProxyEntity> proxy(id);
        ASSERT_EQ(proxy.status(), Acad::eOk);
        EXPECT_STREQ(proxy->originalClassName(), L"TestWidget");
        EXPECT_EQ(proxy->proxyData().dxfName, kWidgetDxfName);
        EXPECT_EQ(proxy->proxyData().appName, kWidgetApp);
        EXPECT_EQ(proxy->proxyData().proxyFlags, 1);
        EXPECT_EQ(recordName(proxy->layerId()), L"Pipes");
        EXPECT_EQ(proxy->ownerId(), db->modelSpaceId());
        before = proxy->proxyData().bytes;
      }
      AcDbProxyEntity* proxy = nullptr;
      db->beginUndoGroup();
      ASSERT_EQ(acdbOpenObject(proxy, id, AcDb::kForWrite), Acad::eOk);
      EXPECT_NE(proxy->transformBy(AcGeMatrix3d::translation(AcGeVector3d(1, 0, 0))), Acad::eOk);
      ASSERT_EQ(proxy->erase(), Acad::eOk);
      proxy->close();
      db->endUndoGroup();
      ASSERT_EQ(db->undoGroup(), Acad::eOk);
      {
        Reading<AcDbProxyEntity> restored(id);
        ASSERT_EQ(restored.status(), Acad::eOk);
        EXPECT_EQ(restored->proxyData().className, L"TestWidget");
        EXPECT_EQ(restored->proxyData().bytes, before);
        EXPECT_EQ(recordName(restored->layerId()), L"Pipes");
      }
      ASSERT_EQ(db->saveAs(path("second.hdw").c_str()), Acad::eOk);
    }
    EXPECT_EQ(objectRecords(path("second.hdw")), objectRecords(path("first.hdw")));
    registerWidget();
    TestWidget::newestReadable = 2;
    expectWidgetAsSaved(*readBack(path("second.hdw")), widget_.handle(), true);
    TestWidget::newestReadable = 1;
  }
}

// An object of an unknown class that is not an entity becomes a proxy object, is
// written back unchanged, and a copy of it keeps its class and bytes.
class TestNote : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(TestNote)
  std::wstring text;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override {
    Acad::ErrorStatus es = AcDbObject::dwgOutFields(filer);
    return es == Acad::eOk ? filer->writeString(text) : es;
  }
};
AcRxClass* TestNote::desc() { return acrxFindClass(L"TestNote"); }
AcRxClass* TestNote::isA() const { return TestNote::desc(); }

TEST_F(HdwFileTest, UnknownObjectBecomesProxyObject) {
  AcRxClass* notes = newAcRxClass(L"TestNote", L"AcDbObject", 1, 1, 1, [] { return static_cast<AcRxObject*>(new TestNote()); },
                                  L"OVTESTNOTE", kWidgetApp);
  AcDbHandle handle;
  {
    AcDbDatabase db(true);
    auto* note = new TestNote();
    note->text = L"remember the vent";
    AcDbObjectId id;
    ASSERT_EQ(db.addAcDbObject(id, note), Acad::eOk);
    note->close();
    handle = id.handle();
    ASSERT_EQ(db.saveAs(path("note.hdw").c_str()), Acad::eOk);
  }
  deleteAcRxClass(notes);
  std::unique_ptr<AcDbDatabase> db = readBack(path("note.hdw"));
  AcDbObjectId id;
  ASSERT_EQ(db->getAcDbObjectId(id, false, handle), Acad::eOk);
  {
    Reading<AcDbProxyObject> proxy(id);
    ASSERT_EQ(proxy.status(), Acad::eOk);
    EXPECT_STREQ(proxy->originalClassName(), L"TestNote");
    std::unique_ptr<AcDbProxyObject> copy(AcDbProxyObject::cast(proxy->clone()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->proxyData().className, L"TestNote");
    EXPECT_EQ(copy->proxyData().bytes, proxy->proxyData().bytes);
  }
  ASSERT_EQ(db->saveAs(path("note-again.hdw").c_str()), Acad::eOk);
  EXPECT_EQ(objectRecords(path("note-again.hdw")), objectRecords(path("note.hdw")));
}

// ---- the native file: saving and damage ------------------------------------------------

// A failed save answers an error with a message and leaves the old file as it was;
// a good one names the drawing after its file.
TEST_F(HdwFileTest, FailedSaveKeepsTheOldFile) {
  AcDbDatabase db(true);
  buildSampleDrawing(db);
  EXPECT_EQ(db.saveAs(path("no-such-folder/drawing.hdw").c_str()), Acad::eFileAccessErr);
  EXPECT_NE(db.lastFileError().find(L"drawing.hdw"), std::wstring::npos);
  EXPECT_TRUE(db.fileName().empty());
  ASSERT_EQ(db.saveAs(path("kept.hdw").c_str()), Acad::eOk);
  EXPECT_EQ(db.fileName(), path("kept.hdw"));
  EXPECT_EQ(readBack(path("kept.hdw"))->fileName(), path("kept.hdw"));
  Bytes before = fileBytes(path("kept.hdw"));
  fs::create_directory(dir_ / "kept.hdw.saving");  // the place the save writes first is taken
  EXPECT_NE(db.saveAs(path("kept.hdw").c_str()), Acad::eOk);
  EXPECT_EQ(fileBytes(path("kept.hdw")), before);
}

// Empty, cut short at any point, a flipped bit anywhere, not this host's file, a newer
// format, or damage that a matching checksum does not hide: each is refused with a
// message naming the file, and the database stays empty.
TEST_F(HdwFileTest, RefusesDamagedFiles) {
  AcDbDatabase source(true);
  SampleDrawing sample = buildSampleDrawing(source);
  ASSERT_EQ(source.saveAs(path("sample.hdw").c_str()), Acad::eOk);
  const Bytes good = fileBytes(path("sample.hdw"));
  ASSERT_GT(good.size(), 100u);
  std::vector<std::pair<Bytes, std::string>> cases = {{{}, "empty"}, {Bytes(good.begin(), good.begin() + 3), "OVHDW"}};
  Bytes magic = good;
  magic[1] = 'X';
  cases.emplace_back(magic, "OVHDW");
  for (size_t keep = 5; keep < good.size(); keep += 37)
    cases.emplace_back(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(keep)), "truncated");
  cases.emplace_back(Bytes(good.begin(), good.end() - 1), "truncated");
  for (size_t pos = 9; pos < good.size(); pos += 53) {
    Bytes flipped = good;
    flipped[pos] ^= 0x10;
    cases.emplace_back(flipped, "checksum");
  }
  Bytes newer = good;
  newer[5] = 2;
  hdwRepairCrc(newer);
  cases.emplace_back(newer, "format version 2");
  Bytes hugeCount = good;
  for (size_t i = 0; i < 4; ++i) hugeCount[5 + 4 + 9 * 8 + i] = 0xFF;
  hdwRepairCrc(hugeCount);
  cases.emplace_back(hugeCount, "more than the file can hold");

  // The sample's objects damaged behind a checksum that is made to match again.
  const AcDbHandle line = sample.line.handle(), zero = source.layerZero().handle();
  auto forLine = [line](std::function<void(HdwObjectEntry&)> damage) {
    return [line, damage](HdwContainer& c) {
      for (HdwObjectEntry& o : c.objects)
        if (o.handle == line) damage(o);
    };
  };
  const std::string classCount = std::to_string(parsed(path("sample.hdw")).classes.size());
  const std::pair<std::function<void(HdwContainer&)>, std::string> damages[] = {
      {[](HdwContainer& c) { c.objects[3].classIndex = 77; }, "names class 77"},
      {[](HdwContainer& c) { c.objects[3].classIndex = static_cast<std::uint32_t>(c.classes.size()); },
       "names class " + classCount + ", but the file has only " + classCount},
      {[](HdwContainer& c) { c.objects[4].handle = c.objects[2].handle; }, "used twice"},
      {[](HdwContainer& c) { c.objects[4].handle = c.objects[3].handle; }, "used twice"},  // right after itself
      {[](HdwContainer& c) { c.objects[0].handle = AcDbHandle(); }, "null handle"},
      // A handle or seed so high that new handles would wrap round to null.
      {[](HdwContainer& c) { c.objects[5].handle = AcDbHandle(~std::uint64_t(0)); }, "FFFFFFFFFFFFFFFF is out of range"},
      {[](HdwContainer& c) { c.header.handseed = AcDbHandle(~std::uint64_t(0)); }, "seed FFFFFFFFFFFFFFFF is out of range"},
      {forLine([](HdwObjectEntry& o) { o.bytes.resize(o.bytes.size() / 2); }),
       "object " + acutWideToUtf8(line.text()) + " (AcDbLine)"},
      {forLine([](HdwObjectEntry& o) { o.ownerHandle = AcDbHandle(0xBEEF); }), "BEEF"},
      {[](HdwContainer& c) { c.header.layerTable = c.header.blockTable; }, "layer table"},
      {[](HdwContainer& c) { c.header.clayer = c.header.textStyleTable; }, "current layer"},
      {[zero](HdwContainer& c) { std::erase_if(c.objects, [zero](const HdwObjectEntry& o) { return o.handle == zero; }); },
       "standard record"},
  };
  for (const auto& [damage, reason] : damages) {
    HdwContainer c = parsed(path("sample.hdw"));
    damage(c);
    cases.emplace_back(hdwSerialize(c), reason);
  }

  for (const auto& [bytes, reason] : cases) {
    SCOPED_TRACE(reason + ", " + std::to_string(bytes.size()) + " bytes");
    writeBytes(path("damaged.hdw"), bytes);
    AcDbDatabase db(false);
    EXPECT_NE(db.readDwgFile(path("damaged.hdw").c_str()), Acad::eOk);
    std::string message = acutWideToUtf8(db.lastFileError());
    EXPECT_NE(message.find(reason), std::string::npos) << "message: " << message;
    EXPECT_NE(message.find("damaged.hdw"), std::string::npos) << "message: " << message;
    EXPECT_TRUE(db.stubs().empty());
    EXPECT_TRUE(db.fileName().empty());
  }
}

// ---- the native file: what makes large files fast ---------------------------------------

// The folded CRC matches the CRC bit by bit at every length around its steps (64-byte
// blocks, 16-byte tails) and start that is not aligned; pieces chain to the whole.
TEST(HdwCrc, MatchesTheDefinitionAndChains) {
  auto bitByBit = [](const unsigned char* data, size_t size) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
      c ^= data[i];
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
  };
  EXPECT_EQ(hdwCrc32(reinterpret_cast<const unsigned char*>("123456789"), 9), 0xCBF43926u);
  std::mt19937 gen(7);
  Bytes data(10000);
  for (unsigned char& c : data) c = static_cast<unsigned char>(gen());
  for (size_t start : {0u, 1u, 3u, 13u})
    for (size_t len = 0; len + start <= 300; ++len)
      ASSERT_EQ(hdwCrc32(data.data() + start, len), bitByBit(data.data() + start, len)) << start << "+" << len;
  const std::uint32_t whole = hdwCrc32(data.data(), data.size());
  EXPECT_EQ(whole, bitByBit(data.data(), data.size()));
  for (size_t cut : {0u, 1u, 63u, 64u, 65u, 4999u, 9999u, 10000u})
    EXPECT_EQ(hdwCrc32(data.data() + cut, data.size() - cut, hdwCrc32(data.data(), cut)), whole) << cut;
}

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
  EXPECT_EQ(db.handseed().value(), (std::uint64_t(1) << 40) + 8);
}

// A drawing of several megabytes is written in many pieces; the file must be exactly
// the one the container writes in one go, and read back whole.
TEST_F(HdwFileTest, LargeSaveEqualsTheWholeFileAndReadsBack) {
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
  ASSERT_EQ(db.saveAs(path("large.hdw").c_str()), Acad::eOk);
  const Bytes file = fileBytes(path("large.hdw"));
  ASSERT_GT(file.size(), size_t(3) << 20);
  EXPECT_EQ(hdwSerialize(parsed(path("large.hdw"))), file);
  EXPECT_EQ(readBack(path("large.hdw"))->stubs().size(), db.stubs().size());
}

// ---- the native file: opened in place -------------------------------------------------

class HdwInPlaceTest : public DrawingFileTest {
 protected:
  // The drawing of the file tests, saved, with lines enough that its objects span many
  // pages of the file.
  void SetUp() override {
    DrawingFileTest::SetUp();
    buildDrawing();
    for (int i = 0; i < 400; ++i)
      lines_.push_back(appendToModelSpace(*source_, new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 50, 0))));
    ASSERT_EQ(source_->saveAs(path("plan.hdw").c_str()), Acad::eOk);
    original_ = fileBytes(path("plan.hdw"));
    ASSERT_GT(original_.size(), 8u * 4096u);
  }
  Acad::ErrorStatus saveCopy(AcDbDatabase& db, const char* name) { return db.saveAs(path(name).c_str()); }
  std::vector<AcDbObjectId> lines_;
  Bytes original_;
};

// Whatever a session does short of changing an object, the drawing saves as the bytes
// it was read from (the round trip a `cmp` checks); an object changed is filed anew and
// every other entry stays as it was. Saving over the file it was opened from works and
// the drawing still reads its objects from the old bytes afterwards.
TEST_F(HdwInPlaceTest, UnchangedObjectsAreSavedAsTheirBytes) {
  const AcDbHandle line = sample_.line.handle();
  struct Case {
    const char* what;
    std::function<void(AcDbDatabase&)> session;
    bool lineChanged;
  };
  const Case cases[] = {
      {"nothing opened", [](AcDbDatabase&) {}, false},
      {"every object read",
       [](AcDbDatabase& db) {
         for (AcDbStub* stub : db.stubs()) Reading<AcDbObject> read(AcDbObjectId{stub});
       },
       false},
      {"the line opened for write and closed unchanged, then undone",
       [line](AcDbDatabase& db) {
         db.beginUndoGroup();
         AcDbObject* obj = nullptr;
         ASSERT_EQ(acdbOpenObject(obj, AcDbObjectId(db.stubFor(line)), AcDb::kForWrite), Acad::eOk);
         obj->close();
         db.endUndoGroup();
         ASSERT_EQ(db.undoGroup(), Acad::eOk);
       },
       false},
      {"the line moved",
       [line](AcDbDatabase& db) {
         AcDbLine* obj = nullptr;
         ASSERT_EQ(acdbOpenObject(obj, AcDbObjectId(db.stubFor(line)), AcDb::kForWrite), Acad::eOk);
         obj->setEndPoint(AcGePoint3d(99, 98, 97));
         obj->close();
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<AcDbDatabase> db = readBack(path("plan.hdw"));
    c.session(*db);
    ASSERT_EQ(saveCopy(*db, "copy.hdw"), Acad::eOk) << acutWideToUtf8(db->lastFileError());
    if (!c.lineChanged) {
      EXPECT_EQ(fileBytes(path("copy.hdw")), original_);
      continue;
    }
    auto before = objectRecords(path("plan.hdw")), after = objectRecords(path("copy.hdw"));
    EXPECT_NE(after.at(line.value()), before.at(line.value()));
    after.erase(line.value());
    before.erase(line.value());
    EXPECT_EQ(after, before);
    std::unique_ptr<AcDbDatabase> back = readBack(path("copy.hdw"));
    Reading<AcDbLine> moved(idOf(*back, sample_.line));
    ASSERT_EQ(moved.status(), Acad::eOk);
    EXPECT_TRUE(moved->endPoint().isEqualTo(AcGePoint3d(99, 98, 97)));
  }
  // A file from before records carried their size files differently today: only a
  // copy gives its bytes back.
  const std::wstring old = acutUtf8ToWide(OV_SOURCE_DIR "/tests/fuzz/corpus/hdw/valid-sample.hdw");
  std::unique_ptr<AcDbDatabase> older = readBack(old);
  for (AcDbStub* stub : older->stubs()) Reading<AcDbObject> read(AcDbObjectId{stub});
  ASSERT_EQ(saveCopy(*older, "older.hdw"), Acad::eOk);
  EXPECT_EQ(fileBytes(path("older.hdw")), fileBytes(old));

  std::unique_ptr<AcDbDatabase> db = readBack(path("plan.hdw"));
  ASSERT_EQ(db->saveAs(path("plan.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db->lastFileError());
  EXPECT_EQ(fileBytes(path("plan.hdw")), original_);
  Reading<AcDbLine> last(idOf(*db, lines_.back()));
  ASSERT_EQ(last.status(), Acad::eOk);
  EXPECT_TRUE(last->endPoint().isEqualTo(AcGePoint3d(399, 50, 0)));
}

// An object read in place is built when first opened, and from then on behaves as one
// read whole: the block lists every entity, an erase is undone, the owner and a
// reference resolve, a built object is found again. Cases run on one drawing in turn.
TEST_F(HdwInPlaceTest, ObjectsBuiltWhenOpenedBehaveAsBuilt) {
  std::unique_ptr<AcDbDatabase> db = readBack(path("plan.hdw"));
  AcDbStub* circle = idOf(*db, sample_.circle).stub();
  ASSERT_NE(circle, nullptr);
  EXPECT_EQ(circle->object.peek(), nullptr) << "built at open";
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"iteration",
       [&] {
         Reading<AcDbBlockTableRecord> ms(db->modelSpaceId()), sourceMs(source_->modelSpaceId());
         std::vector<AcDbObjectId> ids = ms->entityIds(), sourceIds = sourceMs->entityIds();
         ASSERT_EQ(ids.size(), sourceIds.size());
         for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(ids[i].handle(), sourceIds[i].handle());
         EXPECT_EQ(circle->object.peek(), nullptr) << "listing the block built its entities";
       }},
      {"ownership and references",
       [&] {
         Reading<AcDbEntity> entity{AcDbObjectId(circle)};
         ASSERT_EQ(entity.status(), Acad::eOk);
         EXPECT_EQ(entity->ownerId(), db->modelSpaceId());
         Reading<AcDbEntity> built(sample_.circle);
         EXPECT_EQ(recordName(entity->layerId()), recordName(built->layerId()));
         expectWidgetAsSaved(*db, widget_.handle(), true);
       }},
      {"erase and undo",
       [&] {
         AcDbObject* obj = nullptr;
         db->beginUndoGroup();
         ASSERT_EQ(acdbOpenObject(obj, AcDbObjectId(circle), AcDb::kForWrite), Acad::eOk);
         ASSERT_EQ(obj->erase(), Acad::eOk);
         obj->close();
         db->endUndoGroup();
         EXPECT_EQ(Reading<AcDbObject>(AcDbObjectId(circle)).status(), Acad::eWasErased);
         ASSERT_EQ(db->undoGroup(), Acad::eOk);
         EXPECT_EQ(Reading<AcDbCircle>(AcDbObjectId(circle)).status(), Acad::eOk);
       }},
      {"built once",
       [&] {
         AcDbObject* first = circle->object;
         EXPECT_EQ(static_cast<AcDbObject*>(circle->object), first);
         EXPECT_EQ(first->objectId(), AcDbObjectId(circle));
       }},
  };
  for (const auto& [what, check] : cases) {
    SCOPED_TRACE(what);
    check();
  }
  ASSERT_EQ(saveCopy(*db, "after.hdw"), Acad::eOk);
  EXPECT_EQ(fileBytes(path("after.hdw")), original_) << "an erase undone files the object as it was";
}

// The file cut short or rewritten by another program while the drawing is open: an
// object not built yet whose bytes are gone is refused with the filer's status (never
// a fault), those built stay, and a save refuses to copy from the changed file and
// leaves no file behind.
TEST_F(HdwInPlaceTest, AFileChangedWhileOpenIsRefusedWithoutACrash) {
  for (bool cut : {true, false}) {
    SCOPED_TRACE(cut ? "cut short" : "rewritten");
    writeBytes(path("open.hdw"), original_);
    std::unique_ptr<AcDbDatabase> db = readBack(path("open.hdw"));
    Reading<AcDbLine> first(idOf(*db, lines_.front()));
    ASSERT_EQ(first.status(), Acad::eOk);
    if (cut) {
      ASSERT_EQ(truncate(acutWideToUtf8(path("open.hdw")).c_str(), 4096), 0);
      EXPECT_EQ(Reading<AcDbLine>(idOf(*db, lines_.back())).status(), Acad::eEndOfFile);
    } else {
      Bytes changed = original_;
      changed[changed.size() / 2] ^= 0x40;
      std::fstream file(acutWideToUtf8(path("open.hdw")), std::ios::binary | std::ios::in | std::ios::out);
      file.seekp(static_cast<std::streamoff>(changed.size() / 2));
      file.put(static_cast<char>(changed[changed.size() / 2]));
    }
    EXPECT_TRUE(first->endPoint().isEqualTo(AcGePoint3d(0, 50, 0)));
    EXPECT_EQ(saveCopy(*db, "saved.hdw"), Acad::eFileAccessErr);
    EXPECT_NE(db->lastFileError().find(L"changed on disk"), std::wstring::npos) << acutWideToUtf8(db->lastFileError());
    EXPECT_FALSE(fs::exists(dir_ / "saved.hdw"));
  }
}

}  // namespace
