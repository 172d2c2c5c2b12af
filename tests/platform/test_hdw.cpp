// The native drawing file: what a save keeps, how objects of unknown or newer classes
// survive as proxies and are written back unchanged, and how damaged files are refused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../fuzz/sample_drawing.h"
#include "arx/aced_print.h"
#include "arx/db_entities.h"
#include "arx/db_proxy.h"
#include "arx/hdw_format.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// ---- a plug-in entity and a plug-in object, as a module would define them ----------

// A point, a count, a label and a layer it refers to, behind a version number so that
// a test can write a version this host is told it cannot read.
class HdwTestWidget : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(HdwTestWidget)
  static inline Adesk::Int32 writtenVersion = 1;
  static inline Adesk::Int32 newestReadable = 1;

  AcGePoint3d point;
  Adesk::Int32 count = 0;
  std::wstring label;
  AcDbObjectId target;

  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override {
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es == Acad::eOk) es = filer->writeInt32(writtenVersion);
    if (es == Acad::eOk) es = filer->writePoint3d(point);
    if (es == Acad::eOk) es = filer->writeInt32(count);
    if (es == Acad::eOk) es = filer->writeString(label);
    if (es == Acad::eOk) es = filer->writeHardPointerId(target);
    return es;
  }
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override {
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    Adesk::Int32 version = 0;
    if (es == Acad::eOk) es = filer->readInt32(&version);
    if (es != Acad::eOk) return es;
    if (version > newestReadable) return Acad::eMakeMeProxy;
    AcDbHardPointerId ref;
    if ((es = filer->readPoint3d(&point)) != Acad::eOk || (es = filer->readInt32(&count)) != Acad::eOk ||
        (es = filer->readString(label)) != Acad::eOk || (es = filer->readHardPointerId(&ref)) != Acad::eOk)
      return es;
    target = ref;
    return Acad::eOk;
  }
};
AcRxClass* HdwTestWidget::desc() { return acrxFindClass(L"HdwTestWidget"); }
AcRxClass* HdwTestWidget::isA() const { return HdwTestWidget::desc(); }

// An object that is not an entity: a note kept in the drawing.
class HdwTestNote : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(HdwTestNote)
  std::wstring text;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override {
    Acad::ErrorStatus es = AcDbObject::dwgOutFields(filer);
    return es == Acad::eOk ? filer->writeString(text) : es;
  }
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override {
    Acad::ErrorStatus es = AcDbObject::dwgInFields(filer);
    return es == Acad::eOk ? filer->readString(text) : es;
  }
};
AcRxClass* HdwTestNote::desc() { return acrxFindClass(L"HdwTestNote"); }
AcRxClass* HdwTestNote::isA() const { return HdwTestNote::desc(); }

// Registers a test class for as long as it lives, or until unregistered, as a module
// does between load and unload.
class ClassRegistration {
 public:
  ClassRegistration(const wchar_t* name, const wchar_t* parent, AcRxPseudoConstructor ctor, const wchar_t* dxfName)
      : cls_(newAcRxClass(name, parent, 1, 1, 1, ctor, dxfName, L"Test piece|Test maker")) {}
  ~ClassRegistration() { unregister(); }
  ClassRegistration(const ClassRegistration&) = delete;
  ClassRegistration& operator=(const ClassRegistration&) = delete;
  void unregister() {
    deleteAcRxClass(cls_);
    cls_ = nullptr;
  }

 private:
  AcRxClass* cls_;
};

AcRxObject* makeWidget() { return new HdwTestWidget(); }
AcRxObject* makeNote() { return new HdwTestNote(); }

// Opens an object for read for the scope.
template <typename T>
class Reading {
 public:
  explicit Reading(AcDbObjectId id) { status_ = acdbOpenObject(obj_, id, AcDb::kForRead); }
  ~Reading() {
    if (obj_) obj_->close();
  }
  Reading(const Reading&) = delete;
  Reading& operator=(const Reading&) = delete;
  T* operator->() const { return obj_; }
  T* get() const { return obj_; }
  Acad::ErrorStatus status() const { return status_; }

 private:
  T* obj_ = nullptr;
  Acad::ErrorStatus status_;
};

AcDbObjectId idOf(AcDbDatabase& db, AcDbObjectId other) {
  AcDbObjectId id;
  db.getAcDbObjectId(id, false, other.handle());
  return id;
}

AcDbObjectId recordId(AcDbObjectId tableId, const wchar_t* name) {
  Reading<AcDbSymbolTable> table(tableId);
  AcDbObjectId id;
  if (table.get()) table->getAt(name, id);
  return id;
}

Bytes fileBytes(const std::wstring& path) {
  std::ifstream in(acutWideToUtf8(path), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::wstring& path, const Bytes& bytes) {
  std::ofstream out(acutWideToUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

HdwContainer parsed(const std::wstring& path) {
  Bytes bytes = fileBytes(path);
  HdwContainer c;
  std::wstring error;
  EXPECT_EQ(hdwParse(bytes.data(), bytes.size(), c, error), Acad::eOk) << acutWideToUtf8(error);
  return c;
}

// Every object's class name and filed bytes by handle, for comparing two saves.
std::map<std::uint64_t, std::pair<std::wstring, Bytes>> objectRecords(const std::wstring& path) {
  HdwContainer c = parsed(path);
  std::map<std::uint64_t, std::pair<std::wstring, Bytes>> out;
  for (const HdwObjectEntry& o : c.objects) out[o.handle.value()] = {c.classes.at(o.classIndex).name, o.bytes};
  return out;
}

void expectSameXData(const resbuf* a, const resbuf* b) {
  for (; a && b; a = a->rbnext, b = b->rbnext) {
    ASSERT_EQ(a->restype, b->restype);
    switch (acutRbValueKind(a->restype)) {
      case RbValueKind::kString: EXPECT_STREQ(a->resval.rstring, b->resval.rstring); break;
      case RbValueKind::kReal: EXPECT_DOUBLE_EQ(a->resval.rreal, b->resval.rreal); break;
      case RbValueKind::kShort: EXPECT_EQ(a->resval.rint, b->resval.rint); break;
      case RbValueKind::kPoint:
        for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(a->resval.rpoint[i], b->resval.rpoint[i]);
        break;
      default: break;
    }
  }
  EXPECT_EQ(a, nullptr) << "the read extended data is shorter";
  EXPECT_EQ(b, nullptr) << "the read extended data is longer";
}

class HdwFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / ("ov-hdw-" + std::to_string(getpid()) + "-" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    HdwTestWidget::writtenVersion = 1;
    HdwTestWidget::newestReadable = 1;
    fs::remove_all(dir_);
  }

  std::wstring path(const char* name) const { return acutUtf8ToWide((dir_ / name).string()); }

  // The sample drawing, saved and read into a new database.
  void saveAndReadSample() {
    source_ = std::make_unique<AcDbDatabase>(true);
    sample_ = buildSampleDrawing(*source_);
    ASSERT_EQ(source_->saveAs(path("sample.hdw").c_str()), Acad::eOk) << acutWideToUtf8(source_->lastFileError());
    read_ = std::make_unique<AcDbDatabase>(false);
    ASSERT_EQ(read_->readDwgFile(path("sample.hdw").c_str()), Acad::eOk) << acutWideToUtf8(read_->lastFileError());
  }

  // The sample drawing with a widget on layer "Pipes" pointing at layer "Locked",
  // saved; answers the widget's handle. The widget class must be registered.
  AcDbHandle saveSampleWithWidget(const char* name) {
    AcDbDatabase db(true);
    SampleDrawing s = buildSampleDrawing(db);
    auto* widget = new HdwTestWidget();
    widget->setLayer(s.pipesLayer);
    widget->point = AcGePoint3d(1.5, -2, 3);
    widget->count = 42;
    widget->label = L"\u00dcberlauf 2";
    widget->target = s.lockedLayer;
    AcDbHandle handle = appendToModelSpace(db, widget).handle();
    EXPECT_EQ(db.saveAs(path(name).c_str()), Acad::eOk) << acutWideToUtf8(db.lastFileError());
    lockedLayer_ = s.lockedLayer.handle();
    pipesLayer_ = s.pipesLayer.handle();
    return handle;
  }

  void expectWidgetAsSaved(AcDbDatabase& db, AcDbHandle handle) {
    AcDbObjectId id;
    ASSERT_EQ(db.getAcDbObjectId(id, false, handle), Acad::eOk);
    Reading<HdwTestWidget> widget(id);
    ASSERT_EQ(widget.status(), Acad::eOk);
    EXPECT_TRUE(widget->point.isEqualTo(AcGePoint3d(1.5, -2, 3)));
    EXPECT_EQ(widget->count, 42);
    EXPECT_EQ(widget->label, L"\u00dcberlauf 2");
    EXPECT_EQ(widget->target.handle(), lockedLayer_);
    EXPECT_EQ(widget->target.database(), &db);
    EXPECT_EQ(widget->layerId().handle(), pipesLayer_);
  }

  // Reads bytes as a file and expects a refusal whose message mentions `reason`, with
  // nothing left in the database.
  void expectRefused(const Bytes& bytes, const std::string& reason) {
    std::wstring file = path("damaged.hdw");
    writeBytes(file, bytes);
    AcDbDatabase db(false);
    EXPECT_NE(db.readDwgFile(file.c_str()), Acad::eOk);
    std::string message = acutWideToUtf8(db.lastFileError());
    EXPECT_NE(message.find(reason), std::string::npos) << "message: " << message;
    EXPECT_NE(message.find("damaged.hdw"), std::string::npos) << "message: " << message;
    EXPECT_TRUE(db.stubs().empty());
    EXPECT_TRUE(db.fileName().empty());
  }

  // The sample's bytes damaged behind a checksum that is made to match again.
  template <typename Damage>
  Bytes damagedSample(Damage damage) {
    HdwContainer c = parsed(path("sample.hdw"));
    damage(c);
    return hdwSerialize(c);
  }

  fs::path dir_;
  std::unique_ptr<AcDbDatabase> source_;
  std::unique_ptr<AcDbDatabase> read_;
  SampleDrawing sample_;
  AcDbHandle lockedLayer_, pipesLayer_;
};

// ---- what a save keeps ---------------------------------------------------------------

// Every plain entity kind comes back with its class, handle and data.
TEST_F(HdwFileTest, PlainEntitiesKeepTheirData) {
  saveAndReadSample();
  AcDbDatabase& db = *read_;
  {
    Reading<AcDbLine> line(idOf(db, sample_.line));
    ASSERT_EQ(line.status(), Acad::eOk);
    EXPECT_TRUE(line->startPoint().isEqualTo(AcGePoint3d(0, 0, 0)));
    EXPECT_TRUE(line->endPoint().isEqualTo(AcGePoint3d(10, 5, 0)));
    EXPECT_EQ(line->layerId().handle(), sample_.pipesLayer.handle());
  }
  {
    Reading<AcDbArc> arc(idOf(db, sample_.arc));
    ASSERT_EQ(arc.status(), Acad::eOk);
    EXPECT_TRUE(arc->center().isEqualTo(AcGePoint3d(20, 0, 0)));
    EXPECT_DOUBLE_EQ(arc->radius(), 4.0);
    EXPECT_DOUBLE_EQ(arc->startAngle(), 0.25);
    EXPECT_DOUBLE_EQ(arc->endAngle(), 2.5);
    EXPECT_EQ(arc->colorIndex(), 3);
    EXPECT_EQ(arc->layerId(), db.layerZero());
  }
  {
    Reading<AcDbCircle> circle(idOf(db, sample_.circle));
    ASSERT_EQ(circle.status(), Acad::eOk);
    EXPECT_TRUE(circle->center().isEqualTo(AcGePoint3d(-5, 7, 0)));
    EXPECT_DOUBLE_EQ(circle->radius(), 1.75);
  }
  {
    Reading<AcDb2dPolyline> poly(idOf(db, sample_.polyline));
    ASSERT_EQ(poly.status(), Acad::eOk);
    EXPECT_EQ(poly->polyType(), AcDb::k2dFitCurvePoly);
    EXPECT_DOUBLE_EQ(poly->elevation(), 1.5);
    ASSERT_EQ(poly->numVerts(), 4);
    EXPECT_TRUE(poly->vertexAt(2).isEqualTo(AcGePoint3d(9, -1, 1.5)));
  }
  {
    Reading<AcDbMText> text(idOf(db, sample_.mtext));
    ASSERT_EQ(text.status(), Acad::eOk);
    EXPECT_EQ(text->contentsText(), L"Riser R1\\PDN 50 \u00e9tage");
    EXPECT_DOUBLE_EQ(text->textHeight(), 2.5);
    EXPECT_DOUBLE_EQ(text->width(), 30.0);
    EXPECT_DOUBLE_EQ(text->rotation(), 0.5);
    EXPECT_EQ(text->attachment(), AcDbMText::kMiddleCenter);
    EXPECT_EQ(text->textStyle().handle(), sample_.notesStyle.handle());
  }
  // Model space lists the same entities in the same order.
  Reading<AcDbBlockTableRecord> ms(db.modelSpaceId());
  Reading<AcDbBlockTableRecord> sourceMs(source_->modelSpaceId());
  std::vector<AcDbObjectId> readIds = ms->entityIds();
  std::vector<AcDbObjectId> sourceIds = sourceMs->entityIds();
  ASSERT_EQ(readIds.size(), sourceIds.size());
  for (size_t i = 0; i < readIds.size(); ++i) EXPECT_EQ(readIds[i].handle(), sourceIds[i].handle());
}

// Layers with their colour, linetype and lock, a loaded linetype's dashes and a text
// style's font come back; so do the current layer and the file name.
TEST_F(HdwFileTest, TableRecordsAndCurrentSettingsAreKept) {
  saveAndReadSample();
  AcDbDatabase& db = *read_;
  {
    Reading<AcDbLayerTableRecord> pipes(recordId(db.layerTableId(), L"Pipes"));
    ASSERT_EQ(pipes.status(), Acad::eOk);
    EXPECT_EQ(pipes->color().colorIndex(), 1);
    EXPECT_EQ(pipes->linetypeObjectId().handle(), sample_.dashedLinetype.handle());
    EXPECT_FALSE(pipes->isLocked());
  }
  {
    Reading<AcDbLayerTableRecord> locked(recordId(db.layerTableId(), L"Locked"));
    ASSERT_EQ(locked.status(), Acad::eOk);
    EXPECT_TRUE(locked->isLocked());
    ASSERT_TRUE(locked->color().isByColor());
    EXPECT_EQ(locked->color().blue(), 90);
  }
  {
    Reading<AcDbLinetypeTableRecord> dashed(recordId(db.linetypeTableId(), L"DASHED"));
    Reading<AcDbLinetypeTableRecord> original(sample_.dashedLinetype);
    ASSERT_EQ(dashed.status(), Acad::eOk);
    ASSERT_EQ(dashed->numDashes(), original->numDashes());
    ASSERT_GT(dashed->numDashes(), 0);
    for (int i = 0; i < dashed->numDashes(); ++i) EXPECT_DOUBLE_EQ(dashed->dashLengthAt(i), original->dashLengthAt(i));
  }
  {
    Reading<AcDbTextStyleTableRecord> notes(recordId(db.textStyleTableId(), L"Notes"));
    ASSERT_EQ(notes.status(), Acad::eOk);
    EXPECT_EQ(notes->font(), L"romans");
    EXPECT_DOUBLE_EQ(notes->textSize(), 2.5);
    EXPECT_DOUBLE_EQ(notes->xScale(), 0.8);
  }
  EXPECT_EQ(db.clayer().handle(), sample_.pipesLayer.handle());
  EXPECT_EQ(db.celtype(), db.byLayerLinetype());
  EXPECT_FALSE(db.layerZero().isNull());
  EXPECT_FALSE(db.continuousLinetype().isNull());
  EXPECT_EQ(db.fileName(), path("sample.hdw"));
  EXPECT_EQ(source_->fileName(), path("sample.hdw"));
}

// Extended data on model space comes back item for item.
TEST_F(HdwFileTest, ExtendedDataIsKept) {
  saveAndReadSample();
  Reading<AcDbObject> ms(read_->modelSpaceId());
  Reading<AcDbObject> sourceMs(source_->modelSpaceId());
  resbuf* got = ms->xData(kSampleApp);
  resbuf* want = sourceMs->xData(kSampleApp);
  ASSERT_NE(got, nullptr);
  expectSameXData(got, want);
  acutRelRb(got);
  acutRelRb(want);
}

// Handles are kept, and a new object never takes a handle the file used.
TEST_F(HdwFileTest, HandlesAreKeptAndNewObjectsGetFreshOnes) {
  saveAndReadSample();
  for (AcDbStub* stub : source_->stubs()) {
    AcDbStub* read = read_->stubFor(stub->handle);
    ASSERT_NE(read, nullptr) << "handle " << acutWideToUtf8(stub->handle.text());
    ASSERT_NE(read->object, nullptr);
    EXPECT_EQ(read->object->isA(), stub->object->isA());
  }
  EXPECT_EQ(read_->stubs().size(), source_->stubs().size());
  EXPECT_FALSE(read_->handseed() < source_->handseed());
  AcDbObjectId fresh = appendToModelSpace(*read_, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
  for (AcDbStub* stub : source_->stubs()) EXPECT_NE(fresh.handle(), stub->handle);
}

// An erased object is left out of the file, and model space no longer lists it.
TEST_F(HdwFileTest, ErasedObjectsAreNotSaved) {
  AcDbDatabase db(true);
  SampleDrawing s = buildSampleDrawing(db);
  AcDbObject* circle = nullptr;
  ASSERT_EQ(acdbOpenObject(circle, s.circle, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(circle->erase(), Acad::eOk);
  circle->close();
  ASSERT_EQ(db.saveAs(path("erased.hdw").c_str()), Acad::eOk);

  AcDbDatabase read(false);
  ASSERT_EQ(read.readDwgFile(path("erased.hdw").c_str()), Acad::eOk) << acutWideToUtf8(read.lastFileError());
  EXPECT_EQ(read.stubFor(s.circle.handle()), nullptr);
  Reading<AcDbBlockTableRecord> ms(read.modelSpaceId());
  for (const AcDbObjectId& id : ms->entityIds()) EXPECT_NE(id.handle(), s.circle.handle());
  EXPECT_EQ(ms->entityIds().size(), 4u);
}

// Loading is not a change to undo, and it leaves undo recording as it found it.
TEST_F(HdwFileTest, LoadingLeavesNothingToUndo) {
  AcDbDatabase db(true);
  buildSampleDrawing(db);
  ASSERT_EQ(db.saveAs(path("undo.hdw").c_str()), Acad::eOk);

  AcDbDatabase recording(false);
  ASSERT_EQ(recording.readDwgFile(path("undo.hdw").c_str()), Acad::eOk);
  EXPECT_EQ(recording.undoGroupCount(), 0);
  EXPECT_EQ(recording.undoGroup(), Acad::eNothingToUndo);
  EXPECT_TRUE(recording.undoRecording());

  AcDbDatabase silent(false);
  silent.disableUndoRecording(true);
  ASSERT_EQ(silent.readDwgFile(path("undo.hdw").c_str()), Acad::eOk);
  EXPECT_FALSE(silent.undoRecording());
}

// A failed save answers an error with a message and leaves the old file as it was.
TEST_F(HdwFileTest, FailedSaveKeepsTheOldFile) {
  AcDbDatabase db(true);
  buildSampleDrawing(db);
  std::wstring nowhere = path("no-such-folder/drawing.hdw");
  EXPECT_EQ(db.saveAs(nowhere.c_str()), Acad::eFileAccessErr);
  EXPECT_NE(db.lastFileError().find(L"drawing.hdw"), std::wstring::npos);
  EXPECT_TRUE(db.fileName().empty());

  ASSERT_EQ(db.saveAs(path("kept.hdw").c_str()), Acad::eOk);
  Bytes before = fileBytes(path("kept.hdw"));
  fs::create_directory(dir_ / "kept.hdw.saving");  // the place the save writes first is taken
  EXPECT_NE(db.saveAs(path("kept.hdw").c_str()), Acad::eOk);
  EXPECT_EQ(fileBytes(path("kept.hdw")), before);
}

// ---- plug-in classes and proxies -------------------------------------------------------

// A registered plug-in class files a point, an int, a text and a reference, and reads
// them back with the reference resolved in the new database.
TEST_F(HdwFileTest, PluginClassRoundTrip) {
  ClassRegistration widgets(L"HdwTestWidget", L"AcDbEntity", &makeWidget, L"OVHDWTESTWIDGET");
  AcDbHandle handle = saveSampleWithWidget("widget.hdw");
  AcDbDatabase db(false);
  ASSERT_EQ(db.readDwgFile(path("widget.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db.lastFileError());
  expectWidgetAsSaved(db, handle);
}

// Read where the class is not registered, the widget is a proxy entity on its layer
// that remembers its class; saved again, its bytes are those of the first file, and a
// host with the class reads it as it was.
TEST_F(HdwFileTest, UnknownClassIsKeptAsProxyAndWrittenBackUnchanged) {
  auto widgets = std::make_unique<ClassRegistration>(L"HdwTestWidget", L"AcDbEntity", &makeWidget, L"OVHDWTESTWIDGET");
  AcDbHandle handle = saveSampleWithWidget("first.hdw");
  widgets->unregister();
  {
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDwgFile(path("first.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db.lastFileError());
    AcDbObjectId id;
    ASSERT_EQ(db.getAcDbObjectId(id, false, handle), Acad::eOk);
    Reading<AcDbProxyEntity> proxy(id);
    ASSERT_EQ(proxy.status(), Acad::eOk);
    EXPECT_STREQ(proxy->originalClassName(), L"HdwTestWidget");
    EXPECT_EQ(proxy->proxyData().dxfName, L"OVHDWTESTWIDGET");
    EXPECT_EQ(proxy->proxyData().appName, L"Test piece|Test maker");
    EXPECT_EQ(proxy->proxyData().proxyFlags, 1);
    EXPECT_EQ(proxy->layerId().handle(), pipesLayer_);
    EXPECT_EQ(proxy->ownerId(), db.modelSpaceId());
    EXPECT_NE(proxy->transformBy(AcGeMatrix3d::translation(AcGeVector3d(1, 0, 0))), Acad::eOk);
    ASSERT_EQ(db.saveAs(path("second.hdw").c_str()), Acad::eOk);
  }
  EXPECT_EQ(objectRecords(path("second.hdw")), objectRecords(path("first.hdw")));

  widgets = std::make_unique<ClassRegistration>(L"HdwTestWidget", L"AcDbEntity", &makeWidget, L"OVHDWTESTWIDGET");
  AcDbDatabase db(false);
  ASSERT_EQ(db.readDwgFile(path("second.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db.lastFileError());
  expectWidgetAsSaved(db, handle);
}

// A class that answers "make me a proxy" for a version newer than it reads is kept as
// a proxy even though it is registered, and read normally by a newer reader.
TEST_F(HdwFileTest, NewerVersionIsKeptAsProxy) {
  ClassRegistration widgets(L"HdwTestWidget", L"AcDbEntity", &makeWidget, L"OVHDWTESTWIDGET");
  HdwTestWidget::writtenVersion = 2;
  AcDbHandle handle = saveSampleWithWidget("newer.hdw");
  {
    AcDbDatabase db(false);
    ASSERT_EQ(db.readDwgFile(path("newer.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db.lastFileError());
    AcDbObjectId id;
    ASSERT_EQ(db.getAcDbObjectId(id, false, handle), Acad::eOk);
    Reading<AcDbProxyEntity> proxy(id);
    ASSERT_EQ(proxy.status(), Acad::eOk);
    EXPECT_STREQ(proxy->originalClassName(), L"HdwTestWidget");
    EXPECT_EQ(proxy->layerId().handle(), pipesLayer_);
    ASSERT_EQ(db.saveAs(path("newer-again.hdw").c_str()), Acad::eOk);
  }
  EXPECT_EQ(objectRecords(path("newer-again.hdw")), objectRecords(path("newer.hdw")));

  HdwTestWidget::newestReadable = 2;
  AcDbDatabase db(false);
  ASSERT_EQ(db.readDwgFile(path("newer-again.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db.lastFileError());
  expectWidgetAsSaved(db, handle);
}

// An object of an unknown class that is not an entity becomes a proxy object, is
// written back unchanged, and a copy of it keeps its class and bytes.
TEST_F(HdwFileTest, UnknownObjectBecomesProxyObject) {
  auto notes = std::make_unique<ClassRegistration>(L"HdwTestNote", L"AcDbObject", &makeNote, L"OVHDWTESTNOTE");
  AcDbHandle handle;
  {
    AcDbDatabase db(true);
    auto* note = new HdwTestNote();
    note->text = L"remember the vent";
    AcDbObjectId id;
    ASSERT_EQ(db.addAcDbObject(id, note), Acad::eOk);
    note->close();
    handle = id.handle();
    ASSERT_EQ(db.saveAs(path("note.hdw").c_str()), Acad::eOk);
  }
  notes->unregister();
  AcDbDatabase db(false);
  ASSERT_EQ(db.readDwgFile(path("note.hdw").c_str()), Acad::eOk) << acutWideToUtf8(db.lastFileError());
  AcDbObjectId id;
  ASSERT_EQ(db.getAcDbObjectId(id, false, handle), Acad::eOk);
  {
    Reading<AcDbProxyObject> proxy(id);
    ASSERT_EQ(proxy.status(), Acad::eOk);
    EXPECT_STREQ(proxy->originalClassName(), L"HdwTestNote");
    std::unique_ptr<AcDbProxyObject> copy(AcDbProxyObject::cast(proxy->clone()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->proxyData().className, L"HdwTestNote");
    EXPECT_EQ(copy->proxyData().bytes, proxy->proxyData().bytes);
  }
  ASSERT_EQ(db.saveAs(path("note-again.hdw").c_str()), Acad::eOk);
  EXPECT_EQ(objectRecords(path("note-again.hdw")), objectRecords(path("note.hdw")));
}

// A proxy entity survives the undo filer: opened for write and undone, it keeps its
// class, bytes and layer.
TEST_F(HdwFileTest, ProxyEntitySurvivesUndo) {
  auto widgets = std::make_unique<ClassRegistration>(L"HdwTestWidget", L"AcDbEntity", &makeWidget, L"OVHDWTESTWIDGET");
  AcDbHandle handle = saveSampleWithWidget("undo-proxy.hdw");
  widgets->unregister();
  AcDbDatabase db(false);
  ASSERT_EQ(db.readDwgFile(path("undo-proxy.hdw").c_str()), Acad::eOk);
  AcDbObjectId id;
  ASSERT_EQ(db.getAcDbObjectId(id, false, handle), Acad::eOk);
  Bytes before;
  {
    Reading<AcDbProxyEntity> proxy(id);
    before = proxy->proxyData().bytes;
  }
  db.beginUndoGroup();
  AcDbProxyEntity* proxy = nullptr;
  ASSERT_EQ(acdbOpenObject(proxy, id, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(proxy->erase(), Acad::eOk);
  proxy->close();
  db.endUndoGroup();
  ASSERT_EQ(db.undoGroup(), Acad::eOk);
  Reading<AcDbProxyEntity> restored(id);
  ASSERT_EQ(restored.status(), Acad::eOk);
  EXPECT_EQ(restored->proxyData().className, L"HdwTestWidget");
  EXPECT_EQ(restored->proxyData().bytes, before);
  EXPECT_EQ(restored->layerId().handle(), pipesLayer_);
}

// ---- damaged files -----------------------------------------------------------------------

// Empty, cut short at any point, a flipped bit anywhere, or not this host's file: each
// is refused with a message, and the database stays empty.
TEST_F(HdwFileTest, RefusesEmptyTruncatedAndFlippedFiles) {
  saveAndReadSample();
  const Bytes good = fileBytes(path("sample.hdw"));
  ASSERT_GT(good.size(), 100u);
  expectRefused({}, "empty");
  expectRefused(Bytes(good.begin(), good.begin() + 3), "OVHDW");
  Bytes magic = good;
  magic[1] = 'X';
  expectRefused(magic, "OVHDW");
  for (size_t keep = 5; keep < good.size(); keep += 37) {
    SCOPED_TRACE("cut at " + std::to_string(keep));
    expectRefused(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(keep)), "truncated");
  }
  expectRefused(Bytes(good.begin(), good.end() - 1), "truncated");
  for (size_t pos = 9; pos < good.size(); pos += 53) {
    SCOPED_TRACE("bit flipped at " + std::to_string(pos));
    Bytes flipped = good;
    flipped[pos] ^= 0x10;
    expectRefused(flipped, "checksum");
  }
}

// A file from a newer host names the version it has.
TEST_F(HdwFileTest, RefusesNewerFormatVersion) {
  saveAndReadSample();
  Bytes newer = fileBytes(path("sample.hdw"));
  newer[5] = 2;
  hdwRepairCrc(newer);
  expectRefused(newer, "format version 2");
}

// Damage that a matching checksum does not hide: impossible counts, bad class
// indexes, reused handles, an object whose data does not read, a header naming the
// wrong tables, a missing standard record.
TEST_F(HdwFileTest, RefusesDamageBehindTheChecksum) {
  saveAndReadSample();
  Bytes hugeCount = fileBytes(path("sample.hdw"));
  for (size_t i = 0; i < 4; ++i) hugeCount[5 + 4 + 9 * 8 + i] = 0xFF;
  hdwRepairCrc(hugeCount);
  expectRefused(hugeCount, "more than the file can hold");

  expectRefused(damagedSample([](HdwContainer& c) { c.objects[3].classIndex = 77; }), "names class 77");
  expectRefused(damagedSample([](HdwContainer& c) { c.objects[4].handle = c.objects[2].handle; }), "used twice");
  expectRefused(damagedSample([](HdwContainer& c) { c.objects[0].handle = AcDbHandle(); }), "null handle");
  // A handle or seed so high that new handles would wrap round to null.
  expectRefused(damagedSample([](HdwContainer& c) { c.objects[5].handle = AcDbHandle(~std::uint64_t(0)); }),
                "FFFFFFFFFFFFFFFF is out of range");
  expectRefused(damagedSample([](HdwContainer& c) { c.header.handseed = AcDbHandle(~std::uint64_t(0)); }),
                "seed FFFFFFFFFFFFFFFF is out of range");

  AcDbHandle line = sample_.line.handle();
  expectRefused(damagedSample([line](HdwContainer& c) {
                  for (HdwObjectEntry& o : c.objects)
                    if (o.handle == line) o.bytes.resize(o.bytes.size() / 2);
                }),
                "object " + acutWideToUtf8(line.text()) + " (AcDbLine)");
  expectRefused(damagedSample([line](HdwContainer& c) {
                  for (HdwObjectEntry& o : c.objects)
                    if (o.handle == line) o.ownerHandle = AcDbHandle(0xBEEF);
                }),
                "BEEF");
  expectRefused(damagedSample([](HdwContainer& c) { c.header.layerTable = c.header.blockTable; }), "layer table");
  expectRefused(damagedSample([](HdwContainer& c) { c.header.clayer = c.header.textStyleTable; }), "current layer");
  AcDbHandle zero = read_->layerZero().handle();
  expectRefused(damagedSample([zero](HdwContainer& c) {
                  std::erase_if(c.objects, [zero](const HdwObjectEntry& o) { return o.handle == zero; });
                }),
                "standard record");
}

// A missing file and a database that already holds a drawing are refused; the
// database keeps what it had.
TEST_F(HdwFileTest, RefusesMissingFilesAndFullDatabases) {
  AcDbDatabase db(false);
  EXPECT_EQ(db.readDwgFile(path("missing.hdw").c_str()), Acad::eFileNotFound);
  EXPECT_NE(db.lastFileError().find(L"missing.hdw"), std::wstring::npos);

  AcDbDatabase full(true);
  ASSERT_EQ(full.saveAs(path("full.hdw").c_str()), Acad::eOk);
  size_t objects = full.stubs().size();
  EXPECT_EQ(full.readDwgFile(path("full.hdw").c_str()), Acad::eInvalidInput);
  EXPECT_EQ(full.stubs().size(), objects);
  EXPECT_FALSE(full.modelSpaceId().isNull());
}

}  // namespace
