// The drawing-file tests' fixture: a temporary folder, the sample drawing with a
// closed simple polyline, extended data on its line and a plug-in entity (registered
// for the test as a module registers its entities), saving and reading by file type,
// and the helpers that open and compare what was read.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../fuzz/sample_drawing.h"
#include "arx/aced_print.h"
#include "arx/db_entities.h"
#include "arx/dxf_file.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

constexpr const wchar_t* kWidgetDxfName = L"OVTESTWIDGET";
constexpr const wchar_t* kWidgetApp = L"Test piece|Test maker";
constexpr const wchar_t* kEntityApp = L"OVTESTAPP";

// A module's entity: two points, a size and a label, behind a version number so that a
// test can write a version this host is told it cannot read, and in the native file a
// layer it refers to. It draws a bent run of lines, a circle (on the layer it refers
// to, when set), a quarter arc and its label.
class TestWidget : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(TestWidget)
  static inline Adesk::Int32 writtenVersion = 1;
  static inline Adesk::Int32 newestReadable = 1;
  AcGePoint3d from, to;
  Adesk::Int32 size = 0;
  std::wstring label;
  AcDbObjectId target;

  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override {
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es == Acad::eOk) es = filer->writeInt32(writtenVersion);
    if (es == Acad::eOk) es = filer->writePoint3d(from);
    if (es == Acad::eOk) es = filer->writePoint3d(to);
    if (es == Acad::eOk) es = filer->writeInt32(size);
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
    if ((es = filer->readPoint3d(&from)) != Acad::eOk || (es = filer->readPoint3d(&to)) != Acad::eOk ||
        (es = filer->readInt32(&size)) != Acad::eOk || (es = filer->readString(label)) != Acad::eOk ||
        (es = filer->readHardPointerId(&ref)) != Acad::eOk)
      return es;
    target = ref;
    return Acad::eOk;
  }
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override {
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es == Acad::eOk) es = filer->writeString(AcDb::kDxfSubclass, L"TestWidget");
    if (es == Acad::eOk) es = filer->writePoint3d(AcDb::kDxfXCoord, from);
    if (es == Acad::eOk) es = filer->writePoint3d(static_cast<AcDb::DxfCode>(11), to);
    if (es == Acad::eOk) es = filer->writeInt32(AcDb::kDxfInt32, size);
    if (es == Acad::eOk) es = filer->writeString(AcDb::kDxfText, label);
    return es;
  }
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if (!filer->atSubclassData(L"TestWidget")) return Acad::eBadDxfSequence;
    resbuf rb{};
    while ((es = filer->readItem(&rb)) == Acad::eOk) {
      const double* p = rb.resval.rpoint;
      switch (rb.restype) {
        case 10: from.set(p[0], p[1], p[2]); break;
        case 11: to.set(p[0], p[1], p[2]); break;
        case 90: size = rb.resval.rlong; break;
        case 1:
          label = rb.resval.rstring;
          delete[] rb.resval.rstring;
          break;
        default:
          if (acutRbValueKind(rb.restype) == RbValueKind::kString) delete[] rb.resval.rstring;
          return Acad::eBadDxfSequence;
      }
    }
    return es == Acad::eEndOfObject ? Acad::eOk : es;
  }
  bool subWorldDraw(AcGiWorldDraw* wd) override {
    AcGePoint3d run[3] = {from, AcGePoint3d(to.x, from.y, from.z), to};
    wd->geometry().polyline(3, run);
    if (!target.isNull()) wd->subEntityTraits().setLayer(target);
    wd->geometry().circle(to, size, AcGeVector3d::kZAxis);
    wd->subEntityTraits().setLayer(layerId());
    wd->geometry().circularArc(from, size, AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, M_PI / 2);
    wd->geometry().text(from, AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, 2.0, 1.0, 0.0, label.c_str());
    return true;
  }
};
AcRxClass* TestWidget::desc() { return acrxFindClass(L"TestWidget"); }
AcRxClass* TestWidget::isA() const { return TestWidget::desc(); }

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

// The object of the database under another object's handle.
AcDbObjectId idOf(AcDbDatabase& db, AcDbObjectId other) {
  AcDbObjectId id;
  db.getAcDbObjectId(id, false, other.handle());
  return id;
}

std::wstring recordName(AcDbObjectId id) {
  Reading<AcDbSymbolTableRecord> rec(id);
  return rec.get() ? rec->name() : std::wstring();
}

Bytes fileBytes(const std::wstring& path) {
  std::ifstream in(acutWideToUtf8(path), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::wstring& path, const Bytes& bytes) {
  std::ofstream out(acutWideToUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool isHdw(const std::wstring& file) { return file.size() > 4 && file.substr(file.size() - 4) == L".hdw"; }

[[maybe_unused]] Acad::ErrorStatus save(AcDbDatabase& db, const std::wstring& file) {
  return isHdw(file) ? db.saveAs(file.c_str()) : db.dxfOut(file.c_str());
}

Acad::ErrorStatus load(AcDbDatabase& db, const std::wstring& file, AcDbDxfInSummary* summary = nullptr) {
  return isHdw(file) ? db.readDwgFile(file.c_str()) : acdbDxfIn(db, file.c_str(), summary);
}

class DrawingFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name)
      if (c == '/') c = '-';
    dir_ = fs::temp_directory_path() / ("ov-files-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    registerWidget();
  }
  void TearDown() override {
    unregisterWidget();
    TestWidget::writtenVersion = 1;
    TestWidget::newestReadable = 1;
    fs::remove_all(dir_);
  }
  void registerWidget() {
    if (widgetClass_ == nullptr)
      widgetClass_ = newAcRxClass(L"TestWidget", L"AcDbEntity", 1, 1, 1,
                                  [] { return static_cast<AcRxObject*>(new TestWidget()); }, kWidgetDxfName, kWidgetApp);
  }
  void unregisterWidget() {
    if (widgetClass_ != nullptr) deleteAcRxClass(widgetClass_);
    widgetClass_ = nullptr;
  }

  std::wstring path(const char* name) const { return acutUtf8ToWide((dir_ / name).string()); }

  // The sample drawing with a closed simple polyline, extended data on the line, the
  // locked layer's plot settings (and the layer off: files keep that flag apart from
  // frozen), and a widget on layer "Pipes" referring to "Locked".
  void buildDrawing() {
    source_ = std::make_unique<AcDbDatabase>(true);
    sample_ = buildSampleDrawing(*source_);
    AcDbDatabase& db = *source_;
    AcGePoint3dArray vertices;
    vertices.append(AcGePoint3d(0, 20, 0)).append(AcGePoint3d(8, 20, 0)).append(AcGePoint3d(8, 26, 0));
    simplePolyline_ = appendToModelSpace(db, new AcDb2dPolyline(AcDb::k2dSimplePoly, vertices, 0.0, true));

    AcDbRegAppTable* apps = nullptr;
    ASSERT_EQ(db.getRegAppTable(apps, AcDb::kForWrite), Acad::eOk);
    auto* app = new AcDbRegAppTableRecord();
    app->setName(kEntityApp);
    ASSERT_EQ(apps->add(app), Acad::eOk);
    app->close();
    apps->close();
    AcDbEntity* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, sample_.line, AcDb::kForWrite), Acad::eOk);
    ads_point where = {4.0, 5.0, 6.0};
    lineXData_.reset(acutBuildList(AcDb::kDxfRegAppName, kEntityApp, AcDb::kDxfXdAsciiString, L"DN 50 \u00e9",
                                   AcDb::kDxfXdInteger32, 123456, 1010, where, 0));
    // A 32-bit group keeps a value no 16-bit one can hold.
    EXPECT_EQ(lineXData_->rbnext->rbnext->resval.rlong, 123456);
    EXPECT_EQ(line->setXData(lineXData_.get()), Acad::eOk);
    line->close();
    AcDbLayerTableRecord* locked = nullptr;
    ASSERT_EQ(acdbOpenObject(locked, sample_.lockedLayer, AcDb::kForWrite), Acad::eOk);
    locked->setIsPlottable(false);
    locked->setLineWeight(AcDb::kLnWt035);
    locked->setPlotStyleName(L"Thin");
    locked->setIsOff(true);
    locked->close();

    auto* widget = new TestWidget();
    widget->setLayer(sample_.pipesLayer);
    widget->from = AcGePoint3d(30, 10, 0);
    widget->to = AcGePoint3d(40, 16, 0);
    widget->size = 2;
    widget->label = L"\u00dcberlauf 2";
    widget->target = sample_.lockedLayer;
    widget_ = appendToModelSpace(db, widget);
  }

  std::unique_ptr<AcDbDatabase> readBack(const std::wstring& file, AcDbDxfInSummary* summary = nullptr) {
    auto db = std::make_unique<AcDbDatabase>(false);
    EXPECT_EQ(load(*db, file, summary), Acad::eOk) << acutWideToUtf8(db->lastFileError());
    return db;
  }

  // The widget as buildDrawing made it; the native file keeps its reference too.
  void expectWidgetAsSaved(AcDbDatabase& db, AcDbHandle handle, bool withTarget) {
    AcDbObjectId id;
    ASSERT_EQ(db.getAcDbObjectId(id, false, handle), Acad::eOk);
    Reading<TestWidget> widget(id);
    ASSERT_EQ(widget.status(), Acad::eOk);
    EXPECT_TRUE(widget->from.isEqualTo(AcGePoint3d(30, 10, 0)));
    EXPECT_TRUE(widget->to.isEqualTo(AcGePoint3d(40, 16, 0)));
    EXPECT_EQ(widget->size, 2);
    EXPECT_EQ(widget->label, L"\u00dcberlauf 2");
    EXPECT_EQ(recordName(widget->layerId()), L"Pipes");
    if (!withTarget) return;
    EXPECT_EQ(widget->target.handle(), sample_.lockedLayer.handle());
    EXPECT_EQ(widget->target.database(), &db);
  }

  struct RbRelease {
    void operator()(resbuf* rb) const { acutRelRb(rb); }
  };
  fs::path dir_;
  AcRxClass* widgetClass_ = nullptr;
  std::unique_ptr<AcDbDatabase> source_;
  SampleDrawing sample_;
  AcDbObjectId simplePolyline_, widget_;
  std::unique_ptr<resbuf, RbRelease> lineXData_;
};

}  // namespace
