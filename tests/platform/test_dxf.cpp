// DXF: the filers' group pairs, a drawing written and read back (plain entities, table
// records, extended data, a plug-in entity, the flattened form), files of other tools,
// refused files, and ezdxf's verdict on what the host writes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "../fuzz/sample_drawing.h"
#include "arx/aced_print.h"
#include "arx/db_entities.h"
#include "arx/db_proxy.h"
#include "arx/dxf_file.h"
#include "arx/dxf_filer_mem.h"

namespace {

namespace fs = std::filesystem;

// ---- a plug-in entity ------------------------------------------------------------------

// Two points and a size, filed in DXF under its own subclass marker as a module's
// entity would be; drawn as a bent run of lines, a circle (on its own layer when one
// is set), a quarter arc and a label.
class DxfTestMarker : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(DxfTestMarker)
  AcGePoint3d from, to;
  Adesk::Int32 size = 0;
  AcDbObjectId circleLayer;  // drawing only, not filed

  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override {
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es == Acad::eOk) es = filer->writeString(AcDb::kDxfSubclass, L"DxfTestMarker");
    if (es == Acad::eOk) es = filer->writePoint3d(AcDb::kDxfXCoord, from);
    if (es == Acad::eOk) es = filer->writePoint3d(static_cast<AcDb::DxfCode>(11), to);
    if (es == Acad::eOk) es = filer->writeInt32(AcDb::kDxfInt32, size);
    return es;
  }
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    if (!filer->atSubclassData(L"DxfTestMarker")) return Acad::eBadDxfSequence;
    resbuf rb{};
    while ((es = filer->readItem(&rb)) == Acad::eOk) {
      const double* p = rb.resval.rpoint;
      switch (rb.restype) {
        case 10: from.set(p[0], p[1], p[2]); break;
        case 11: to.set(p[0], p[1], p[2]); break;
        case 90: size = rb.resval.rlong; break;
        default:
          if (acutRbValueKind(rb.restype) == RbValueKind::kString) delete[] rb.resval.rstring;
          return Acad::eBadDxfSequence;
      }
    }
    return es == Acad::eEndOfObject ? Acad::eOk : es;
  }
  bool subWorldDraw(AcGiWorldDraw* wd) override {
    AcGePoint3d bend(to.x, from.y, from.z);
    AcGePoint3d run[3] = {from, bend, to};
    wd->geometry().polyline(3, run);
    if (!circleLayer.isNull()) wd->subEntityTraits().setLayer(circleLayer);
    wd->geometry().circle(to, size, AcGeVector3d::kZAxis);
    wd->subEntityTraits().setLayer(layerId());
    wd->geometry().circularArc(from, size, AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, M_PI / 2);
    wd->geometry().text(from, AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, 2.0, 1.0, 0.0, L"M1");
    return true;
  }
};
AcRxClass* DxfTestMarker::desc() { return acrxFindClass(L"DxfTestMarker"); }
AcRxClass* DxfTestMarker::isA() const { return DxfTestMarker::desc(); }
AcRxObject* makeMarker() { return new DxfTestMarker(); }

constexpr const wchar_t* kMarkerDxfName = L"OVTESTENTITY";
constexpr const wchar_t* kMarkerApp = L"OvDxfTest|Test maker";
constexpr const wchar_t* kEntityApp = L"OVDXFTEST";

// ---- helpers ---------------------------------------------------------------------------

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

std::wstring recordName(AcDbObjectId id) {
  Reading<AcDbSymbolTableRecord> rec(id);
  return rec.get() ? rec->name() : std::wstring();
}

// The entities of model space by DXF type name, in block order.
std::vector<AcDbObjectId> modelSpaceOf(AcDbDatabase& db, const wchar_t* dxfName) {
  Reading<AcDbBlockTableRecord> ms(db.modelSpaceId());
  std::vector<AcDbObjectId> out;
  for (const AcDbObjectId& id : ms->entityIds())
    if (wcscmp(id.objectClass()->dxfName(), dxfName) == 0) out.push_back(id);
  return out;
}

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::vector<AcDbDxfGroup> parse(const std::string& text) {
  std::vector<AcDbDxfGroup> groups;
  std::wstring error;
  EXPECT_EQ(acdbParseDxfGroups(text, groups, error), Acad::eOk) << acutWideToUtf8(error);
  return groups;
}

// ---- the filers ------------------------------------------------------------------------

// Codes stand right-aligned in three characters; reals keep a decimal point; a point
// is three groups; a flag is 0 or 1; an id is its object's handle.
TEST(DxfFiler, WriterFormatsGroupPairsAsAutoCadDoes) {
  AcDbDatabase db;
  AcDbMemDxfWriter w(&db);
  w.writeString(AcDb::kDxfLayerName, L"Pipes");
  w.writeDouble(AcDb::kDxfReal, 2.0);
  w.writePoint3d(AcDb::kDxfXCoord, AcGePoint3d(1.5, -2, 0.1));
  w.writeBool(AcDb::kDxfBool, true);
  w.writeInt16(AcDb::kDxfInt16, -3);
  w.writeObjectId(AcDb::kDxfSoftPointerId, db.layerZero());
  w.writeObjectId(AcDb::kDxfSoftPointerId, AcDbObjectId());
  EXPECT_EQ(w.filerStatus(), Acad::eOk);
  std::string handle = acutWideToUtf8(db.layerZero().handle().text());
  EXPECT_EQ(w.text(), "  8\nPipes\n 40\n2.0\n 10\n1.5\n 20\n-2.0\n 30\n0.1\n290\n1\n 70\n-3\n330\n" + handle +
                          "\n330\n0\n");
}

// Reals are written with the precision asked for, the filer's own or the call's.
TEST(DxfFiler, WriterRoundsRealsToItsPrecision) {
  AcDbMemDxfWriter w(nullptr, 4);
  w.writeDouble(AcDb::kDxfReal, M_PI);
  w.writeDouble(AcDb::kDxfAngle, M_PI, 7);
  EXPECT_EQ(w.text(), " 40\n3.142\n 50\n3.141593\n");
  AcDbMemDxfWriter full;
  full.writeDouble(AcDb::kDxfReal, 0.1 + 0.2);
  std::vector<AcDbDxfGroup> back = parse(full.text());
  ASSERT_EQ(back.size(), 1u);
  EXPECT_NEAR(back[0].real, 0.1 + 0.2, 1e-15);
}

// Text beyond ASCII goes out as \U+ escapes and control characters as ^ escapes, so
// that one group stays two lines; reading undoes both.
TEST(DxfFiler, TextsAreEscapedAndComeBackUnchanged) {
  const std::wstring text = L"\u00e9tage 3^2 \u4e2d\U0001F600\nnext\tcol^";
  AcDbMemDxfWriter w;
  w.writeString(AcDb::kDxfText, text);
  const std::string& out = w.text();
  EXPECT_NE(out.find("\\U+00E9tage"), std::string::npos) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
  for (unsigned char c : out) EXPECT_LT(c, 0x80) << out;
  std::vector<AcDbDxfGroup> back = parse(out);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].text, text);
}

// A value of the wrong kind for its code is refused, and the refusal sticks.
TEST(DxfFiler, WriterRefusesValuesOfTheWrongKind) {
  AcDbMemDxfWriter w;
  EXPECT_EQ(w.writeString(AcDb::kDxfReal, L"two"), Acad::eInvalidDxfCode);
  EXPECT_EQ(w.writeString(AcDb::kDxfLayerName, L"0"), Acad::eInvalidDxfCode);
  EXPECT_EQ(w.filerStatus(), Acad::eInvalidDxfCode);
  EXPECT_TRUE(w.text().empty());
  AcDbMemDxfWriter w2;
  EXPECT_EQ(w2.writeInt32(AcDb::kDxfInt16, 70000), Acad::eInvalidDxfCode);
  AcDbMemDxfWriter w3;
  EXPECT_EQ(w3.writeDouble(AcDb::kDxfReal, NAN), Acad::eInvalidInput);
}

// The reader hands out one group at a time: x, y and z of a point as one point (a 2D
// point with z 0), pushBackItem repeats a group, the end answers eEndOfObject.
TEST(DxfFiler, ReaderCombinesPointsAndStepsBack) {
  AcDbMemDxfReader r(parse("  8\nPipes\n 10\n1\n 20\n2\n 30\n3\n 11\n4\n 21\n5\n 90\n70000\n"), nullptr);
  resbuf rb{};
  ASSERT_EQ(r.readItem(&rb), Acad::eOk);
  EXPECT_EQ(rb.restype, 8);
  EXPECT_STREQ(rb.resval.rstring, L"Pipes");
  delete[] rb.resval.rstring;
  ASSERT_EQ(r.readItem(&rb), Acad::eOk);
  EXPECT_EQ(rb.restype, 10);
  EXPECT_EQ(rb.resval.rpoint[2], 3.0);
  ASSERT_EQ(r.pushBackItem(), Acad::eOk);
  ASSERT_EQ(r.readItem(&rb), Acad::eOk);
  EXPECT_EQ(rb.restype, 10);
  ASSERT_EQ(r.readItem(&rb), Acad::eOk);
  EXPECT_EQ(rb.restype, 11);
  EXPECT_EQ(rb.resval.rpoint[1], 5.0);
  EXPECT_EQ(rb.resval.rpoint[2], 0.0);
  ASSERT_EQ(r.readItem(&rb), Acad::eOk);
  EXPECT_EQ(rb.resval.rlong, 70000);
  EXPECT_TRUE(r.atEndOfObject());
  EXPECT_EQ(r.readItem(&rb), Acad::eEndOfObject);
}

// atSubclassData takes its marker only when it is next; groups written without any
// marker (older files) answer yes to every subclass. References come back as ids.
TEST(DxfFiler, ReaderSubclassMarkersAndReferences) {
  AcDbDatabase db;
  std::string layer0 = acutWideToUtf8(db.layerZero().handle().text());
  AcDbMemDxfReader r(parse("100\nAcDbEntity\n  8\n0\n100\nAcDbLine\n330\n" + layer0 + "\n"), &db);
  EXPECT_TRUE(r.atSubclassData(L"AcDbEntity"));
  EXPECT_FALSE(r.atSubclassData(L"AcDbLine"));
  resbuf rb{};
  ASSERT_EQ(r.readItem(&rb), Acad::eOk);
  delete[] rb.resval.rstring;
  EXPECT_FALSE(r.atSubclassData(L"AcDbCircle"));
  EXPECT_TRUE(r.atSubclassData(L"AcDbLine"));
  ASSERT_EQ(r.readItem(&rb), Acad::eOk);
  AcDbObjectId id;
  id.setFromOldId(static_cast<std::intptr_t>(rb.resval.rlname[0]));
  EXPECT_EQ(id, db.layerZero());

  AcDbMemDxfReader old(parse("  8\n0\n 10\n1\n 20\n2\n"), &db);
  EXPECT_TRUE(old.atSubclassData(L"AcDbEntity"));
  EXPECT_TRUE(old.atSubclassData(L"AcDbLine"));
}

// Values are checked against their code when the text is parsed; the reason names the
// line.
TEST(DxfFiler, ParserNamesTheLineOfABadValue) {
  struct Case {
    const char* text;
    const char* reason;
  };
  const Case cases[] = {
      {"  0\nLINE\n 10\nabc\n", "line 4: \"abc\" is not a number (group code 10)"},
      {"  0\nLINE\n 70\n1.5\n", "line 4: \"1.5\" is not a 16-bit integer"},
      {"  0\nLINE\n1p\n3\n", "line 3: \"1p\" is not a group code"},
      {"  0\nLINE\n 10\n1.0\n", "line 3: the point of group code 10 has no y"},
      {"  0\nLINE\n  8\n", "line 3: group code 8 has no value"},
      {"  0\nLINE\n330\nXYZ\n", "line 4: \"XYZ\" is not a handle"},
      {"  0\nLINE\n2000\nx\n", "line 3: 2000 is not a DXF group code"},
  };
  for (const Case& c : cases) {
    std::vector<AcDbDxfGroup> groups;
    std::wstring error;
    EXPECT_NE(acdbParseDxfGroups(c.text, groups, error), Acad::eOk) << c.text;
    EXPECT_NE(acutWideToUtf8(error).find(c.reason), std::string::npos) << "got: " << acutWideToUtf8(error);
  }
  // CRLF line ends and blanks around numbers are fine.
  std::vector<AcDbDxfGroup> groups = parse("  0\r\nLINE\r\n 10 \r\n  1.5\r\n 20\r\n-2\t\r\n");
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[1].point.x, 1.5);
  EXPECT_EQ(groups[1].point.y, -2.0);
}

// ---- a drawing written and read back ---------------------------------------------------

class DxfFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / ("ov-dxf-" + std::to_string(getpid()) + "-" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    markerClass_ = newAcRxClass(L"DxfTestMarker", L"AcDbEntity", 1, 1, 1, &makeMarker, kMarkerDxfName, kMarkerApp);
  }
  void TearDown() override {
    if (markerClass_ != nullptr) deleteAcRxClass(markerClass_);
    fs::remove_all(dir_);
  }
  void unregisterMarker() {
    deleteAcRxClass(markerClass_);
    markerClass_ = nullptr;
  }

  std::wstring path(const char* name) const { return acutUtf8ToWide((dir_ / name).string()); }

  // The sample drawing with a simple polyline, extended data on the line and a marker
  // on layer "Pipes" drawing its circle on layer "Locked".
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
    resbuf* xdata = acutBuildList(AcDb::kDxfRegAppName, kEntityApp, AcDb::kDxfXdAsciiString, L"DN 50 \u00e9",
                                  AcDb::kDxfXdInteger32, 123456, 1010, where, 0);
    EXPECT_EQ(line->setXData(xdata), Acad::eOk);
    acutRelRb(xdata);
    line->close();

    auto* marker = new DxfTestMarker();
    marker->setLayer(sample_.pipesLayer);
    marker->from = AcGePoint3d(30, 10, 0);
    marker->to = AcGePoint3d(40, 16, 0);
    marker->size = 2;
    marker->circleLayer = sample_.lockedLayer;
    marker_ = appendToModelSpace(db, marker);
  }

  std::unique_ptr<AcDbDatabase> readBack(const std::wstring& file, AcDbDxfInSummary* summary = nullptr) {
    auto db = std::make_unique<AcDbDatabase>(false);
    Acad::ErrorStatus es = acdbDxfIn(*db, file.c_str(), summary);
    EXPECT_EQ(es, Acad::eOk) << acutWideToUtf8(db->lastFileError());
    return db;
  }

  fs::path dir_;
  AcRxClass* markerClass_ = nullptr;
  std::unique_ptr<AcDbDatabase> source_;
  SampleDrawing sample_;
  AcDbObjectId simplePolyline_, marker_;
};

// Every plain entity kind comes back under its handle with its geometry and properties.
TEST_F(DxfFileTest, PlainEntitiesComeBackUnderTheirHandles) {
  buildDrawing();
  ASSERT_EQ(source_->dxfOut(path("plan.dxf").c_str()), Acad::eOk) << acutWideToUtf8(source_->lastFileError());
  std::unique_ptr<AcDbDatabase> read = readBack(path("plan.dxf"));
  AcDbDatabase& db = *read;
  {
    Reading<AcDbLine> line(idOf(db, sample_.line));
    ASSERT_EQ(line.status(), Acad::eOk);
    EXPECT_TRUE(line->startPoint().isEqualTo(AcGePoint3d(0, 0, 0)));
    EXPECT_TRUE(line->endPoint().isEqualTo(AcGePoint3d(10, 5, 0)));
    EXPECT_EQ(recordName(line->layerId()), L"Pipes");
  }
  {
    Reading<AcDbArc> arc(idOf(db, sample_.arc));
    ASSERT_EQ(arc.status(), Acad::eOk);
    EXPECT_TRUE(arc->center().isEqualTo(AcGePoint3d(20, 0, 0)));
    EXPECT_DOUBLE_EQ(arc->radius(), 4.0);
    EXPECT_NEAR(arc->startAngle(), 0.25, 1e-12);
    EXPECT_NEAR(arc->endAngle(), 2.5, 1e-12);
    EXPECT_EQ(arc->colorIndex(), 3);
  }
  {
    Reading<AcDbCircle> circle(idOf(db, sample_.circle));
    ASSERT_EQ(circle.status(), Acad::eOk);
    EXPECT_TRUE(circle->center().isEqualTo(AcGePoint3d(-5, 7, 0)));
    EXPECT_DOUBLE_EQ(circle->radius(), 1.75);
  }
  {
    Reading<AcDb2dPolyline> fit(idOf(db, sample_.polyline));
    ASSERT_EQ(fit.status(), Acad::eOk);
    EXPECT_EQ(fit->polyType(), AcDb::k2dFitCurvePoly);
    EXPECT_DOUBLE_EQ(fit->elevation(), 1.5);
    ASSERT_EQ(fit->numVerts(), 4);
    EXPECT_TRUE(fit->vertexAt(2).isEqualTo(AcGePoint3d(9, -1, 1.5)));
    EXPECT_FALSE(fit->isClosed());
  }
  {
    Reading<AcDb2dPolyline> simple(idOf(db, simplePolyline_));
    ASSERT_EQ(simple.status(), Acad::eOk);
    EXPECT_EQ(simple->polyType(), AcDb::k2dSimplePoly);
    EXPECT_TRUE(simple->isClosed());
    ASSERT_EQ(simple->numVerts(), 3);
    EXPECT_TRUE(simple->vertexAt(1).isEqualTo(AcGePoint3d(8, 20, 0)));
  }
  {
    Reading<AcDbMText> text(idOf(db, sample_.mtext));
    ASSERT_EQ(text.status(), Acad::eOk);
    EXPECT_EQ(text->contentsText(), L"Riser R1\\PDN 50 \u00e9tage");
    EXPECT_TRUE(text->location().isEqualTo(AcGePoint3d(3, 12, 0)));
    EXPECT_DOUBLE_EQ(text->textHeight(), 2.5);
    EXPECT_DOUBLE_EQ(text->width(), 30.0);
    EXPECT_NEAR(text->rotation(), 0.5, 1e-12);
    EXPECT_EQ(text->attachment(), AcDbMText::kMiddleCenter);
    EXPECT_EQ(recordName(text->textStyle()), L"Notes");
  }
  // Model space lists the same entities in the same order.
  Reading<AcDbBlockTableRecord> ms(db.modelSpaceId());
  Reading<AcDbBlockTableRecord> sourceMs(source_->modelSpaceId());
  std::vector<AcDbObjectId> readIds = ms->entityIds(), sourceIds = sourceMs->entityIds();
  ASSERT_EQ(readIds.size(), sourceIds.size());
  for (size_t i = 0; i < readIds.size(); ++i) EXPECT_EQ(readIds[i].handle(), sourceIds[i].handle());
}

// Layers keep colour, linetype, lock and plot settings; the loaded linetype its
// dashes; the text style its font and sizes; the current layer stays current.
TEST_F(DxfFileTest, TableRecordsAndCurrentLayerComeBack) {
  buildDrawing();
  {
    AcDbLayerTableRecord* locked = nullptr;
    ASSERT_EQ(acdbOpenObject(locked, sample_.lockedLayer, AcDb::kForWrite), Acad::eOk);
    locked->setIsPlottable(false);
    locked->setLineWeight(AcDb::kLnWt035);
    locked->setPlotStyleName(L"Thin");
    locked->close();
  }
  ASSERT_EQ(source_->dxfOut(path("plan.dxf").c_str()), Acad::eOk) << acutWideToUtf8(source_->lastFileError());
  std::unique_ptr<AcDbDatabase> read = readBack(path("plan.dxf"));
  AcDbDatabase& db = *read;
  {
    Reading<AcDbLayerTableRecord> pipes(recordId(db.layerTableId(), L"Pipes"));
    ASSERT_EQ(pipes.status(), Acad::eOk);
    EXPECT_EQ(pipes->color().colorIndex(), 1);
    EXPECT_EQ(recordName(pipes->linetypeObjectId()), L"DASHED");
    EXPECT_FALSE(pipes->isLocked());
    EXPECT_TRUE(pipes->isPlottable());
  }
  {
    Reading<AcDbLayerTableRecord> locked(recordId(db.layerTableId(), L"Locked"));
    ASSERT_EQ(locked.status(), Acad::eOk);
    AcCmColor c = locked->color();
    EXPECT_TRUE(c.isByColor());
    EXPECT_EQ(c.red(), 40);
    EXPECT_EQ(c.green(), 60);
    EXPECT_EQ(c.blue(), 90);
    EXPECT_TRUE(locked->isLocked());
    EXPECT_FALSE(locked->isPlottable());
    EXPECT_EQ(locked->lineWeight(), AcDb::kLnWt035);
    ACHAR* style = locked->plotStyleName();
    EXPECT_STREQ(style, L"Thin");
    acutDelString(style);
  }
  {
    Reading<AcDbLinetypeTableRecord> dashed(recordId(db.linetypeTableId(), L"DASHED"));
    Reading<AcDbLinetypeTableRecord> original(sample_.dashedLinetype);
    ASSERT_EQ(dashed.status(), Acad::eOk);
    ASSERT_EQ(dashed->numDashes(), original->numDashes());
    for (int i = 0; i < dashed->numDashes(); ++i) EXPECT_DOUBLE_EQ(dashed->dashLengthAt(i), original->dashLengthAt(i));
    EXPECT_EQ(dashed->description(), original->description());
  }
  {
    Reading<AcDbTextStyleTableRecord> notes(recordId(db.textStyleTableId(), L"Notes"));
    ASSERT_EQ(notes.status(), Acad::eOk);
    EXPECT_EQ(notes->font(), L"romans");
    EXPECT_DOUBLE_EQ(notes->textSize(), 2.5);
    EXPECT_DOUBLE_EQ(notes->xScale(), 0.8);
  }
  EXPECT_EQ(recordName(db.clayer()), L"Pipes");
  for (const wchar_t* name : {L"ByBlock", L"ByLayer", L"Continuous"})
    EXPECT_FALSE(recordId(db.linetypeTableId(), name).isNull()) << acutWideToUtf8(name);
}

// Extended data on an entity and on model space comes back item for item.
TEST_F(DxfFileTest, ExtendedDataComesBack) {
  buildDrawing();
  ASSERT_EQ(source_->dxfOut(path("plan.dxf").c_str()), Acad::eOk);
  std::unique_ptr<AcDbDatabase> read = readBack(path("plan.dxf"));
  Reading<AcDbLine> line(idOf(*read, sample_.line));
  ASSERT_EQ(line.status(), Acad::eOk);
  resbuf* xdata = line->xData(kEntityApp);
  ASSERT_NE(xdata, nullptr);
  const resbuf* rb = xdata->rbnext;
  ASSERT_NE(rb, nullptr);
  EXPECT_STREQ(rb->resval.rstring, L"DN 50 \u00e9");
  ASSERT_NE(rb = rb->rbnext, nullptr);
  EXPECT_EQ(rb->resval.rlong, 123456);
  ASSERT_NE(rb = rb->rbnext, nullptr);
  EXPECT_EQ(rb->restype, 1010);
  EXPECT_EQ(rb->resval.rpoint[2], 6.0);
  EXPECT_EQ(rb->rbnext, nullptr);
  acutRelRb(xdata);

  Reading<AcDbBlockTableRecord> ms(read->modelSpaceId());
  resbuf* msData = ms->xData(kSampleApp);
  ASSERT_NE(msData, nullptr);
  EXPECT_STREQ(msData->rbnext->resval.rstring, L"model space");
  acutRelRb(msData);
}

// A plug-in entity is written under its DXF name with its class listed, and read back
// through its own dxfInFields.
TEST_F(DxfFileTest, PluginEntityKeepsItsClassAndData) {
  buildDrawing();
  std::string text;
  std::wstring error;
  ASSERT_EQ(acdbDxfOutToText(*source_, text, 16, false, error), Acad::eOk) << acutWideToUtf8(error);
  EXPECT_NE(text.find("  0\nCLASS\n  1\nOVTESTENTITY\n  2\nDxfTestMarker\n  3\nOvDxfTest|Test maker\n 90\n1\n 91\n1\n"),
            std::string::npos);
  EXPECT_NE(text.find("  0\nOVTESTENTITY\n"), std::string::npos);

  AcDbDatabase db(false);
  ASSERT_EQ(acdbDxfInFromText(db, text, nullptr, error), Acad::eOk) << acutWideToUtf8(error);
  Reading<DxfTestMarker> marker(idOf(db, marker_));
  ASSERT_EQ(marker.status(), Acad::eOk);
  EXPECT_TRUE(marker->from.isEqualTo(AcGePoint3d(30, 10, 0)));
  EXPECT_TRUE(marker->to.isEqualTo(AcGePoint3d(40, 16, 0)));
  EXPECT_EQ(marker->size, 2);
  EXPECT_EQ(recordName(marker->layerId()), L"Pipes");
}

// Without the plug-in loaded, its entities are left out and counted; the rest reads.
TEST_F(DxfFileTest, UnknownEntityTypesAreSkippedAndCounted) {
  buildDrawing();
  ASSERT_EQ(source_->dxfOut(path("plan.dxf").c_str()), Acad::eOk);
  unregisterMarker();
  AcDbDxfInSummary summary;
  std::unique_ptr<AcDbDatabase> read = readBack(path("plan.dxf"), &summary);
  EXPECT_EQ(summary.skippedEntities[kMarkerDxfName], 1);
  EXPECT_EQ(summary.entitiesRead, 6);
  EXPECT_TRUE(idOf(*read, marker_).isNull());
  EXPECT_FALSE(idOf(*read, sample_.circle).isNull());
}

// A DXF that arrives through a pipe cannot be measured first: it is read as it comes.
TEST_F(DxfFileTest, AFileThatCannotSeekIsReadAsItComes) {
  buildDrawing();
  ASSERT_EQ(source_->dxfOut(path("plan.dxf").c_str()), Acad::eOk);
  const std::string fifo = acutWideToUtf8(path("plan.fifo"));
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const pid_t writer = fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    std::ifstream from(acutWideToUtf8(path("plan.dxf")), std::ios::binary);
    std::ofstream to(fifo, std::ios::binary);
    to << from.rdbuf();
    _exit(to.good() ? 0 : 1);
  }
  AcDbDxfInSummary summary;
  std::unique_ptr<AcDbDatabase> read = readBack(path("plan.fifo"), &summary);
  int status = 0;
  waitpid(writer, &status, 0);
  EXPECT_EQ(summary.entitiesRead, 7);
  EXPECT_FALSE(idOf(*read, sample_.circle).isNull());
}

// Flattened, the plug-in entity becomes what it draws, each piece on the layer it was
// drawn on; no entity class is listed.
TEST_F(DxfFileTest, FlattenedPluginEntityBecomesPlainEntities) {
  buildDrawing();
  ASSERT_EQ(source_->dxfOut(path("flat.dxf").c_str(), 16, true), Acad::eOk);
  std::string text = readText(dir_ / "flat.dxf");
  EXPECT_EQ(text.find("OVTESTENTITY"), std::string::npos);
  unregisterMarker();
  AcDbDxfInSummary summary;
  std::unique_ptr<AcDbDatabase> read = readBack(path("flat.dxf"), &summary);
  EXPECT_EQ(summary.skippedEntityCount(), 0);
  AcDbDatabase& db = *read;

  // The bent run of three points is a polyline through them.
  std::vector<AcDbObjectId> polylines = modelSpaceOf(db, L"POLYLINE");
  ASSERT_EQ(polylines.size(), 3u);  // the sample's two and the marker's run
  Reading<AcDb2dPolyline> run(polylines.back());
  ASSERT_EQ(run->numVerts(), 3);
  EXPECT_TRUE(run->vertexAt(1).isEqualTo(AcGePoint3d(40, 10, 0)));
  EXPECT_EQ(recordName(run->layerId()), L"Pipes");

  std::vector<AcDbObjectId> circles = modelSpaceOf(db, L"CIRCLE");
  ASSERT_EQ(circles.size(), 2u);
  Reading<AcDbCircle> circle(circles.back());
  EXPECT_TRUE(circle->center().isEqualTo(AcGePoint3d(40, 16, 0)));
  EXPECT_DOUBLE_EQ(circle->radius(), 2.0);
  EXPECT_EQ(recordName(circle->layerId()), L"Locked");

  std::vector<AcDbObjectId> arcs = modelSpaceOf(db, L"ARC");
  ASSERT_EQ(arcs.size(), 2u);
  Reading<AcDbArc> arc(arcs.back());
  EXPECT_TRUE(arc->center().isEqualTo(AcGePoint3d(30, 10, 0)));
  EXPECT_NEAR(arc->startAngle(), 0.0, 1e-12);
  EXPECT_NEAR(arc->endAngle(), M_PI / 2, 1e-12);
  EXPECT_EQ(recordName(arc->layerId()), L"Pipes");

  std::vector<AcDbObjectId> texts = modelSpaceOf(db, L"MTEXT");
  ASSERT_EQ(texts.size(), 2u);
  Reading<AcDbMText> label(texts.back());
  EXPECT_EQ(label->contentsText(), L"M1");
  EXPECT_TRUE(label->location().isEqualTo(AcGePoint3d(30, 10, 0)));
  EXPECT_DOUBLE_EQ(label->textHeight(), 2.0);
}

// An arc drawn clockwise (about -z) is written as the same arc counter-clockwise
// about +z; a proxy entity is left out without an error.
TEST_F(DxfFileTest, ClockwiseArcsAndProxiesWhenFlattening) {
  class ClockwiseArc : public DxfTestMarker {
   public:
    bool subWorldDraw(AcGiWorldDraw* wd) override {
      wd->geometry().circularArc(from, 5.0, AcGeVector3d(0, 0, -1), AcGeVector3d::kXAxis, M_PI / 2);
      return true;
    }
  };
  AcDbDatabase db;
  auto* cw = new ClockwiseArc();
  cw->from = AcGePoint3d(1, 1, 0);
  appendToModelSpace(db, cw);
  appendToModelSpace(db, new AcDbProxyEntity());
  std::string text;
  std::wstring error;
  ASSERT_EQ(acdbDxfOutToText(db, text, 16, true, error), Acad::eOk) << acutWideToUtf8(error);
  EXPECT_EQ(text.find("ACAD_PROXY_ENTITY"), std::string::npos);

  AcDbDatabase read(false);
  ASSERT_EQ(acdbDxfInFromText(read, text, nullptr, error), Acad::eOk) << acutWideToUtf8(error);
  std::vector<AcDbObjectId> arcs = modelSpaceOf(read, L"ARC");
  ASSERT_EQ(arcs.size(), 1u);
  Reading<AcDbArc> arc(arcs[0]);
  // From (6,1) clockwise to (1,-4): counter-clockwise from -90 degrees to 0.
  EXPECT_TRUE(arc->normal().isEqualTo(AcGeVector3d::kZAxis));
  EXPECT_NEAR(arc->startAngle(), 1.5 * M_PI, 1e-12);
  EXPECT_NEAR(arc->endAngle(), 0.0, 1e-12);
}

// The file has the layout of AutoCAD 2000: its version, every handle once, the handle
// seed above them all, and the sections in order.
TEST_F(DxfFileTest, HandlesAreUniqueAndBelowTheSeed) {
  buildDrawing();
  std::string text;
  std::wstring error;
  ASSERT_EQ(acdbDxfOutToText(*source_, text, 16, false, error), Acad::eOk) << acutWideToUtf8(error);
  std::vector<AcDbDxfGroup> groups = parse(text);
  std::set<std::uint64_t> handles;
  std::uint64_t seed = 0;
  std::vector<std::wstring> sections;
  for (size_t i = 0; i + 1 < groups.size(); ++i) {
    const AcDbDxfGroup& g = groups[i];
    if (g.is(9, L"$ACADVER")) {
      EXPECT_EQ(groups[i + 1].text, L"AC1015");
    }
    if (g.is(9, L"$HANDSEED")) seed = AcDbHandle::fromText(groups[i + 1].text).value();
    if (g.is(0, L"SECTION")) sections.push_back(groups[i + 1].text);
    bool seedValue = i > 0 && groups[i - 1].is(9, L"$HANDSEED");
    if ((g.code == 5 || g.code == 105) && !seedValue) {
      std::uint64_t h = AcDbHandle::fromText(g.text).value();
      EXPECT_NE(h, 0u);
      EXPECT_TRUE(handles.insert(h).second) << "handle " << acutWideToUtf8(g.text) << " twice";
    }
  }
  ASSERT_FALSE(handles.empty());
  EXPECT_GT(seed, *handles.rbegin());
  EXPECT_EQ(sections, (std::vector<std::wstring>{L"HEADER", L"CLASSES", L"TABLES", L"BLOCKS", L"ENTITIES", L"OBJECTS"}));
  EXPECT_TRUE(groups.back().is(0, L"EOF"));
  // The drawing's own objects kept their handles: the line is under its own.
  EXPECT_TRUE(handles.count(sample_.line.handle().value()));
}

// ---- files of other tools -----------------------------------------------------------

// Entities only, no handles, no subclass markers, CRLF line ends and blanks around the
// codes, as a simple tool writes: a line on a layer no table defines, a light polyline
// with a bulge (read straight), a text, and a hatch the host does not read.
TEST_F(DxfFileTest, ReadsThePlainEntitiesOfASimpleTool) {
  std::string text =
      "  0\nSECTION\n  2\nENTITIES\n"
      "  0\nLINE\n  8\nWALLS\n 62\n     1\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 11\n10.0\n 21\n5.0\n 31\n0.0\n"
      "  0\nLWPOLYLINE\n  8\n0\n 90\n4\n 70\n1\n 38\n2.0\n 10\n0\n 20\n0\n 10\n4\n 20\n0\n 42\n0.5\n"
      " 10\n4\n 20\n3\n 10\n0\n 20\n3\n"
      "  0\nTEXT\n  8\n0\n 10\n1.0\n 20\n2.0\n 30\n0.0\n 40\n2.5\n  1\nHello\n 50\n90\n"
      "  0\nHATCH\n  8\n0\n  2\nSOLID\n"
      "  0\nENDSEC\n  0\nEOF\n";
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  writeText(dir_ / "simple.dxf", crlf);

  AcDbDxfInSummary summary;
  std::unique_ptr<AcDbDatabase> read = readBack(path("simple.dxf"), &summary);
  AcDbDatabase& db = *read;
  EXPECT_EQ(summary.entitiesRead, 3);
  EXPECT_EQ(summary.skippedEntities[L"HATCH"], 1);

  std::vector<AcDbObjectId> lines = modelSpaceOf(db, L"LINE");
  ASSERT_EQ(lines.size(), 1u);
  Reading<AcDbLine> line(lines[0]);
  EXPECT_TRUE(line->endPoint().isEqualTo(AcGePoint3d(10, 5, 0)));
  EXPECT_EQ(line->colorIndex(), 1);
  EXPECT_EQ(recordName(line->layerId()), L"WALLS");

  std::vector<AcDbObjectId> polylines = modelSpaceOf(db, L"POLYLINE");
  ASSERT_EQ(polylines.size(), 1u);
  Reading<AcDb2dPolyline> poly(polylines[0]);
  EXPECT_TRUE(poly->isClosed());
  EXPECT_DOUBLE_EQ(poly->elevation(), 2.0);
  ASSERT_EQ(poly->numVerts(), 4);
  EXPECT_TRUE(poly->vertexAt(2).isEqualTo(AcGePoint3d(4, 3, 2)));

  std::vector<AcDbObjectId> texts = modelSpaceOf(db, L"MTEXT");
  ASSERT_EQ(texts.size(), 1u);
  Reading<AcDbMText> label(texts[0]);
  EXPECT_EQ(label->contentsText(), L"Hello");
  EXPECT_TRUE(label->location().isEqualTo(AcGePoint3d(1, 2, 0)));
  EXPECT_NEAR(label->rotation(), M_PI / 2, 1e-12);
  EXPECT_EQ(label->attachment(), AcDbMText::kBottomLeft);

  // The standard records exist although the file has no tables.
  EXPECT_FALSE(db.layerZero().isNull());
  EXPECT_FALSE(db.continuousLinetype().isNull());
  EXPECT_FALSE(db.modelSpaceId().isNull());
  EXPECT_FALSE(recordId(db.textStyleTableId(), L"Standard").isNull());
}

// ---- refused files --------------------------------------------------------------------

// Empty, cut short inside a group pair or between sections, a word where a number
// belongs, binary noise, a polyline without its end: each is refused with a reason
// naming the line, and nothing is left in the database.
TEST_F(DxfFileTest, RefusesDamagedFilesAndLeavesTheDatabaseEmpty) {
  buildDrawing();
  std::string good;
  std::wstring error;
  ASSERT_EQ(acdbDxfOutToText(*source_, good, 16, false, error), Acad::eOk);
  size_t entities = good.find("ENTITIES");
  size_t radius = good.find("\n 40\n", entities);
  ASSERT_NE(radius, std::string::npos);
  std::string wordForNumber = good;
  size_t value = radius + 5;
  wordForNumber.replace(value, good.find('\n', value) - value, "two");
  std::string noSeqend = good;
  size_t seqend = noSeqend.find("  0\nSEQEND\n");
  ASSERT_NE(seqend, std::string::npos);
  noSeqend.replace(seqend, 11, "  0\nVERTEX\n");

  std::mt19937 random(7);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random() & 0xFF);
  std::string printableNoise(4096, 'x');
  for (char& c : printableNoise) c = static_cast<char>(' ' + random() % 95);

  struct Case {
    const char* name;
    std::string text;
    const char* reason;
  };
  const Case cases[] = {
      {"empty", "", "the file is empty"},
      {"cut inside a pair", good.substr(0, radius + 5), "has no value (the file ends there)"},
      {"cut between groups", good.substr(0, good.find("  0\nENDSEC\n", entities)), "has no ENDSEC"},
      {"no EOF", good.substr(0, good.rfind("  0\nEOF")), "without 0 EOF"},
      {"word for a number", wordForNumber, "\"two\" is not a number (group code 40)"},
      {"binary noise", noise, "this is not an ASCII DXF file"},
      {"printable noise", printableNoise, "line 1:"},
      {"polyline without SEQEND", noSeqend, "POLYLINE without SEQEND"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeText(dir_ / "damaged.dxf", c.text);
    AcDbDatabase db(false);
    Acad::ErrorStatus es = db.dxfIn(path("damaged.dxf").c_str());
    EXPECT_TRUE(es == Acad::eBadFileFormat || es == Acad::eBadDxfSequence) << acadErrorStatusText(es);
    std::string message = acutWideToUtf8(db.lastFileError());
    EXPECT_NE(message.find(c.reason), std::string::npos) << "message: " << message;
    EXPECT_NE(message.find("damaged.dxf"), std::string::npos) << "message: " << message;
    if (!c.text.empty()) {
      EXPECT_NE(message.find("line "), std::string::npos) << "message: " << message;
    }
    EXPECT_TRUE(db.stubs().empty());
  }
}

// A missing file and a database that already holds a drawing are refused too.
TEST_F(DxfFileTest, RefusesMissingFilesAndFullDatabases) {
  AcDbDatabase empty(false);
  EXPECT_EQ(empty.dxfIn(path("missing.dxf").c_str()), Acad::eFileNotFound);
  EXPECT_FALSE(empty.lastFileError().empty());
  buildDrawing();
  ASSERT_EQ(source_->dxfOut(path("plan.dxf").c_str()), Acad::eOk);
  AcDbDatabase full(true);
  EXPECT_EQ(full.dxfIn(path("plan.dxf").c_str()), Acad::eInvalidInput);
  EXPECT_FALSE(full.modelSpaceId().isNull());
}

// ---- what another tool makes of it -------------------------------------------------------

bool ezdxfAvailable() { return std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") == 0; }

// Runs the ezdxf check on a file; answers its exit status and fills its output.
int runEzdxfCheck(const fs::path& file, const std::string& options, std::string& output) {
  std::string command = "/usr/bin/python3 " OV_SOURCE_DIR "/tests/ezdxf_check.py '" + file.string() + "' " +
                        options + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buf[512];
  output.clear();
  while (std::fgets(buf, sizeof buf, pipe) != nullptr) output += buf;
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ezdxf reads both forms and its audit finds nothing to fix: the normal one holds the
// plug-in entity with its class, the flattened one plain entities only.
TEST_F(DxfFileTest, EzdxfAuditsBothFormsClean) {
  if (!ezdxfAvailable()) GTEST_SKIP() << "/usr/bin/python3 cannot import ezdxf (scripts/install-deps.sh installs it)";
  buildDrawing();
  ASSERT_EQ(source_->dxfOut(path("plan.dxf").c_str()), Acad::eOk) << acutWideToUtf8(source_->lastFileError());
  ASSERT_EQ(source_->dxfOut(path("flat.dxf").c_str(), 16, true), Acad::eOk);
  std::string output;
  EXPECT_EQ(runEzdxfCheck(dir_ / "plan.dxf", "--strict --expect-custom OVTESTENTITY --expect POLYLINE=2", output), 0)
      << output;
  EXPECT_EQ(runEzdxfCheck(dir_ / "flat.dxf", "--strict --only-plain --expect POLYLINE=3 --expect CIRCLE=2", output),
            0)
      << output;
  // The check itself notices what it is told to look for.
  EXPECT_EQ(runEzdxfCheck(dir_ / "plan.dxf", "--only-plain", output), 1) << output;
  EXPECT_NE(output.find("unexpected entity type OVTESTENTITY"), std::string::npos) << output;
}


// A drawing ezdxf writes (AutoCAD 2010, UTF-8, every table and object AutoCAD writes):
// its plain entities come in under their handles, its layer with colour and linetype;
// the block reference and the block's own entities are left out and counted.
TEST_F(DxfFileTest, ReadsWhatEzdxfWrites) {
  if (!ezdxfAvailable()) GTEST_SKIP() << "/usr/bin/python3 cannot import ezdxf (scripts/install-deps.sh installs it)";
  writeText(dir_ / "make.py", R"(import sys, ezdxf
doc = ezdxf.new("R2010", setup=True)
doc.layers.add("Pipes", color=1, linetype="DASHED")
msp = doc.modelspace()
line = msp.add_line((0, 0), (10, 5), dxfattribs={"layer": "Pipes"})
msp.add_circle((3, 4), 2)
msp.add_arc((-3, 1), 1.5, 30, 200)
msp.add_lwpolyline([(0, 0, 0), (4, 0, 0.5), (4, 3, 0), (0, 3, 0)], format="xyb", close=True)
msp.add_text("H\u00e9llo", dxfattribs={"height": 2.5, "rotation": 90}).set_placement((1, 2))
msp.add_mtext("Two\\Plines", dxfattribs={"char_height": 1.5, "insert": (5, 5)})
doc.blocks.new("VALVE").add_circle((0, 0), 1)
msp.add_blockref("VALVE", (20, 20))
doc.saveas(sys.argv[1])
print(line.dxf.handle)
)");
  std::string command = "/usr/bin/python3 '" + (dir_ / "make.py").string() + "' '" + (dir_ / "ez.dxf").string() + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char buf[64] = {0};
  std::string lineHandle = std::fgets(buf, sizeof buf, pipe) ? buf : "";
  ASSERT_EQ(pclose(pipe), 0) << "ezdxf could not write the drawing";
  lineHandle.erase(lineHandle.find_last_not_of("\r\n") + 1);

  AcDbDxfInSummary summary;
  std::unique_ptr<AcDbDatabase> read = readBack(path("ez.dxf"), &summary);
  AcDbDatabase& db = *read;
  EXPECT_EQ(summary.entitiesRead, 6);
  EXPECT_EQ(summary.skippedEntities[L"INSERT"], 1);
  EXPECT_EQ(summary.skippedEntities[L"CIRCLE"], 1);  // the block's own

  AcDbObjectId lineId;
  ASSERT_EQ(db.getAcDbObjectId(lineId, false, AcDbHandle::fromText(acutUtf8ToWide(lineHandle))), Acad::eOk);
  Reading<AcDbLine> line(lineId);
  ASSERT_EQ(line.status(), Acad::eOk);
  EXPECT_TRUE(line->endPoint().isEqualTo(AcGePoint3d(10, 5, 0)));
  Reading<AcDbLayerTableRecord> pipes(line->layerId());
  EXPECT_EQ(pipes->name(), L"Pipes");
  EXPECT_EQ(pipes->color().colorIndex(), 1);
  EXPECT_EQ(recordName(pipes->linetypeObjectId()), L"DASHED");
  Reading<AcDbLinetypeTableRecord> dashed(pipes->linetypeObjectId());
  EXPECT_GT(dashed->numDashes(), 1);

  std::vector<AcDbObjectId> arcs = modelSpaceOf(db, L"ARC");
  ASSERT_EQ(arcs.size(), 1u);
  Reading<AcDbArc> arc(arcs[0]);
  EXPECT_NEAR(arc->startAngle(), 30 * M_PI / 180, 1e-12);
  EXPECT_NEAR(arc->endAngle(), 200 * M_PI / 180, 1e-12);
  std::vector<AcDbObjectId> polylines = modelSpaceOf(db, L"POLYLINE");
  ASSERT_EQ(polylines.size(), 1u);
  Reading<AcDb2dPolyline> poly(polylines[0]);
  EXPECT_EQ(poly->numVerts(), 4);
  EXPECT_TRUE(poly->isClosed());
  std::vector<AcDbObjectId> texts = modelSpaceOf(db, L"MTEXT");
  ASSERT_EQ(texts.size(), 2u);
  Reading<AcDbMText> single(texts[0]);
  EXPECT_EQ(single->contentsText(), L"H\u00e9llo");
  EXPECT_TRUE(single->location().isEqualTo(AcGePoint3d(1, 2, 0)));
  Reading<AcDbMText> multi(texts[1]);
  EXPECT_EQ(multi->contentsText(), L"Two\\Plines");
  EXPECT_DOUBLE_EQ(multi->textHeight(), 1.5);
}

}  // namespace
