// Writing a drawing as AutoCAD 2000 ASCII DXF: the sections, tables and dictionaries
// other tools expect around the drawing's own objects, each object filed through its
// dxfOutFields.
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>

#include "arx/aced_print.h"
#include "arx/curve_geometry.h"
#include "arx/db_entities.h"
#include "arx/db_proxy.h"
#include "arx/dxf_file.h"
#include "arx/dxf_filer_mem.h"
#include "arx/gi_record.h"

namespace {

using Access = AcDbObject::HostAccess;

// The object bound to an id, whatever its open state (the host reads its own objects).
AcDbObject* objectOf(const AcDbObjectId& id) {
  AcDbStub* s = id.stub();
  return s != nullptr && !s->erased ? static_cast<AcDbObject*>(s->object) : nullptr;
}

std::wstring recordName(const AcDbObjectId& id) {
  auto* rec = AcDbSymbolTableRecord::cast(objectOf(id));
  return rec != nullptr ? rec->name() : std::wstring();
}

template <typename Record>
std::vector<Record*> recordsOf(const AcDbObjectId& tableId) {
  std::vector<Record*> out;
  auto* table = AcDbSymbolTable::cast(objectOf(tableId));
  if (table == nullptr) return out;
  Access access(table);
  for (const AcDbObjectId& id : table->recordIds())
    if (auto* rec = Record::cast(objectOf(id))) out.push_back(rec);
  return out;
}

bool isPlainClass(const AcRxClass* cls) {
  return cls == AcDbLine::desc() || cls == AcDbArc::desc() || cls == AcDbCircle::desc() ||
         cls == AcDb2dPolyline::desc() || cls == AcDbMText::desc();
}

// A layout the file lists: its name and tab, its handle and the block it shows.
struct LayoutSpec {
  std::wstring name;
  int tabOrder;
  AcDbHandle handle, blockRecord;
};

class DxfOut {
 public:
  DxfOut(AcDbDatabase& db, int precision, bool flatten)
      : db_(db), flatten_(flatten), out_(&db, precision), body_(&db, precision), next_(db.handseed()) {}

  // The file as its header and the sections after it, two texts: a large file is
  // written from them without copying one behind the other.
  Acad::ErrorStatus run(std::string& header, std::string& body, std::wstring& error) {
    collect();
    // A plain entity takes some 180 bytes of DXF, a custom one flattened many plain
    // ones: room for that up front spares the copies of a growing text.
    size_t entities = 0;
    for (const Space& space : spaces_) entities += space.entities.size();
    body_.reserve(64 * 1024 + entities * (flatten_ ? 2048 : 256));
    writeClasses();
    writeTables();
    writeBlocks();
    writeEntitiesSection();
    writeObjects();
    body_.group(0, L"EOF");
    if (error_.empty() && body_.filerStatus() != Acad::eOk)
      error_ = L"a group could not be written: " + acutUtf8ToWide(acadErrorStatusText(body_.filerStatus()));
    if (!error_.empty()) {
      error = error_;
      return status_ != Acad::eOk ? status_ : Acad::eFilerError;
    }
    writeHeader();
    header = out_.takeText();
    body = body_.takeText();
    return Acad::eOk;
  }

 private:
  // A handle for what the DXF holds beyond the drawing's own objects; all of them lie
  // above the drawing's handle seed, so they never collide with its objects.
  AcDbHandle newHandle() {
    AcDbHandle h = next_;
    next_.increment();
    return h;
  }

  // ---- what is written ---------------------------------------------------------------

  struct Space {
    AcDbBlockTableRecord* record;
    AcDbHandle blockBegin, blockEnd;
    std::vector<AcDbEntity*> entities;
  };

  void collect() {
    AcDbObjectId msId = db_.modelSpaceId();
    for (AcDbBlockTableRecord* btr : recordsOf<AcDbBlockTableRecord>(db_.blockTableId())) {
      Space space{btr, newHandle(), newHandle(), {}};
      Access access(btr);
      for (const AcDbObjectId& id : btr->entityIds()) {
        auto* ent = AcDbEntity::cast(objectOf(id));
        // Proxies draw nothing; an entity whose class is gone cannot even say what it is.
        if (ent == nullptr || ent->isA() == nullptr || AcDbProxyEntity::cast(ent) != nullptr) continue;
        space.entities.push_back(ent);
        if (!flatten_ && writtenAsCustom(ent)) {
          auto& [cls, count] = customCounts_[ent->isA()->name()];
          cls = ent->isA();
          ++count;
        }
      }
      if (btr->objectId() == msId) modelSpace_ = btr;
      if (wcscasecmp(btr->name().c_str(), ACDB_PAPER_SPACE) == 0) paperSpace_ = btr;
      spaces_.push_back(std::move(space));
    }
    vportTable_ = newHandle();
    vport_ = newHandle();
    viewTable_ = newHandle();
    ucsTable_ = newHandle();
    dimstyleTable_ = newHandle();
    dimstyle_ = newHandle();
    rootDict_ = newHandle();
    groupDict_ = newHandle();
    layoutDict_ = newHandle();
    plotStyleDict_ = newHandle();
    if (modelSpace_ != nullptr) layouts_.push_back({L"Model", 0, newHandle(), modelSpace_->objectHandle()});
    if (paperSpace_ != nullptr) layouts_.push_back({L"Layout1", 1, newHandle(), paperSpace_->objectHandle()});
    plotStyles_[L"Normal"] = newHandle();
    for (AcDbLayerTableRecord* layer : recordsOf<AcDbLayerTableRecord>(db_.layerTableId())) {
      Access access(layer);
      ACHAR* name = layer->plotStyleName();
      if (name != nullptr && *name != 0 && plotStyles_.find(name) == plotStyles_.end()) plotStyles_[name] = newHandle();
      acutDelString(name);
    }
  }

  // A custom entity keeps its class in the DXF unless it is flattened or its class has
  // no DXF name to be written under.
  bool writtenAsCustom(const AcDbEntity* ent) const {
    const AcRxClass* cls = ent->isA();
    return !isPlainClass(cls) && cls->dxfName() != nullptr && *cls->dxfName() != 0;
  }

  bool flattened(const AcDbEntity* ent) const {
    return !isPlainClass(ent->isA()) && (flatten_ || !writtenAsCustom(ent));
  }

  // ---- sections ----------------------------------------------------------------------

  void beginSection(AcDbMemDxfWriter& w, const wchar_t* name) {
    w.group(0, L"SECTION");
    w.group(2, name);
  }
  void endSection(AcDbMemDxfWriter& w) { w.group(0, L"ENDSEC"); }

  void headerVar(const wchar_t* name) { out_.group(9, name); }

  void writeHeader() {
    beginSection(out_, L"HEADER");
    headerVar(L"$ACADVER");
    out_.group(1, L"AC1015");
    headerVar(L"$DWGCODEPAGE");
    out_.group(3, L"ANSI_1252");
    headerVar(L"$INSBASE");
    out_.writePoint3d(AcDb::kDxfXCoord, AcGePoint3d::kOrigin);
    headerVar(L"$EXTMIN");
    out_.writePoint3d(AcDb::kDxfXCoord, extents_.isEmpty() ? AcGePoint3d::kOrigin : extents_.minPoint());
    headerVar(L"$EXTMAX");
    out_.writePoint3d(AcDb::kDxfXCoord, extents_.isEmpty() ? AcGePoint3d::kOrigin : extents_.maxPoint());
    headerVar(L"$CLAYER");
    out_.group(8, nameOr(db_.clayer(), L"0"));
    headerVar(L"$CELTYPE");
    out_.group(6, nameOr(db_.celtype(), L"ByLayer"));
    headerVar(L"$TEXTSTYLE");
    out_.group(7, nameOr(db_.textstyle(), L"Standard"));
    // The seed lies above every handle of the file, the added records' included.
    headerVar(L"$HANDSEED");
    out_.groupHandle(5, next_);
    endSection(out_);
  }

  std::wstring nameOr(const AcDbObjectId& id, const wchar_t* fallback) {
    std::wstring name = recordName(id);
    return name.empty() ? fallback : name;
  }

  void writeClasses() {
    beginSection(body_, L"CLASSES");
    writeClass(L"ACDBDICTIONARYWDFLT", L"AcDbDictionaryWithDefault", L"ObjectDBX Classes", 0, 1, false);
    writeClass(L"ACDBPLACEHOLDER", L"AcDbPlaceHolder", L"ObjectDBX Classes", 0, static_cast<int>(plotStyles_.size()),
               false);
    writeClass(L"LAYOUT", L"AcDbLayout", L"ObjectDBX Classes", 0, static_cast<int>(layouts_.size()), false);
    for (const auto& [name, entry] : customCounts_) {
      const auto& [cls, count] = entry;
      std::wstring app = cls->appName() != nullptr && *cls->appName() != 0 ? cls->appName() : L"ObjectDBX Classes";
      writeClass(cls->dxfName(), cls->name(), app, cls->proxyFlags(), count, true);
    }
    endSection(body_);
  }

  void writeClass(const std::wstring& dxfName, const std::wstring& className, const std::wstring& app, int proxyFlags,
                  int count, bool isEntity) {
    body_.group(0, L"CLASS");
    body_.group(1, dxfName);
    body_.group(2, className);
    body_.group(3, app);
    body_.group(90, proxyFlags);
    body_.group(91, count);
    body_.group(280, 0);
    body_.group(281, isEntity ? 1 : 0);
  }

  // ---- tables ------------------------------------------------------------------------

  void beginTable(const wchar_t* name, const AcDbHandle& handle, int count) {
    body_.group(0, L"TABLE");
    body_.group(2, name);
    body_.groupHandle(5, handle);
    body_.groupHandle(330, AcDbHandle());
    body_.group(100, L"AcDbSymbolTable");
    body_.group(70, count);
  }

  void beginRecord(const wchar_t* type, const AcDbHandle& handle, const AcDbHandle& table, const wchar_t* subclass,
                   const std::wstring& name, int handleCode = 5) {
    body_.group(0, type);
    body_.groupHandle(handleCode, handle);
    body_.groupHandle(330, table);
    body_.group(100, L"AcDbSymbolTableRecord");
    body_.group(100, subclass);
    body_.group(2, name);
  }

  void writeTables() {
    beginSection(body_, L"TABLES");
    writeVportTable();
    writeLinetypeTable();
    writeLayerTable();
    writeStyleTable();
    beginTable(L"VIEW", viewTable_, 0);
    body_.group(0, L"ENDTAB");
    beginTable(L"UCS", ucsTable_, 0);
    body_.group(0, L"ENDTAB");
    writeAppIdTable();
    writeDimStyleTable();
    writeBlockRecordTable();
    endSection(body_);
  }

  void writeVportTable() {
    computeExtents();
    AcGePoint3d lo = extents_.isEmpty() ? AcGePoint3d(0, 0, 0) : extents_.minPoint();
    AcGePoint3d hi = extents_.isEmpty() ? AcGePoint3d(100, 100, 0) : extents_.maxPoint();
    double height = std::max(hi.y - lo.y, (hi.x - lo.x) / 1.5) * 1.1;
    if (!(height > 0)) height = 100;
    beginTable(L"VPORT", vportTable_, 1);
    beginRecord(L"VPORT", vport_, vportTable_, L"AcDbViewportTableRecord", L"*Active");
    body_.group(70, 0);
    body_.writePoint2d(AcDb::kDxfXCoord, AcGePoint2d(0, 0));
    body_.writePoint2d(static_cast<AcDb::DxfCode>(11), AcGePoint2d(1, 1));
    body_.writePoint2d(static_cast<AcDb::DxfCode>(12), AcGePoint2d((lo.x + hi.x) / 2, (lo.y + hi.y) / 2));
    body_.writePoint2d(static_cast<AcDb::DxfCode>(13), AcGePoint2d(0, 0));
    body_.writePoint2d(static_cast<AcDb::DxfCode>(14), AcGePoint2d(1, 1));
    body_.writePoint2d(static_cast<AcDb::DxfCode>(15), AcGePoint2d(10, 10));
    body_.writePoint3d(static_cast<AcDb::DxfCode>(16), AcGePoint3d(0, 0, 1));
    body_.writePoint3d(static_cast<AcDb::DxfCode>(17), AcGePoint3d(0, 0, 0));
    body_.group(40, height);
    body_.group(41, 1.5);
    body_.group(42, 50.0);
    body_.group(43, 0.0);
    body_.group(44, 0.0);
    body_.group(50, 0.0);
    body_.group(51, 0.0);
    const std::pair<int, int> modes[] = {{71, 0}, {72, 100}, {73, 1}, {74, 3}, {75, 0}, {76, 0}, {77, 0}, {78, 0}};
    for (auto [code, value] : modes) body_.group(code, value);
    body_.group(281, 0);
    body_.group(65, 1);
    body_.writePoint3d(static_cast<AcDb::DxfCode>(110), AcGePoint3d(0, 0, 0));
    body_.writePoint3d(static_cast<AcDb::DxfCode>(111), AcGePoint3d(1, 0, 0));
    body_.writePoint3d(static_cast<AcDb::DxfCode>(112), AcGePoint3d(0, 1, 0));
    body_.group(79, 0);
    body_.group(146, 0.0);
    body_.group(0, L"ENDTAB");
  }

  void computeExtents() {
    for (const Space& space : spaces_) {
      if (space.record != modelSpace_) continue;
      for (AcDbEntity* ent : space.entities) {
        Access access(ent);
        AcDbExtents e;
        if (ent->getGeomExtents(e) == Acad::eOk && !e.isEmpty()) extents_.addExt(e);
      }
    }
  }

  void writeLinetypeTable() {
    std::vector<AcDbLinetypeTableRecord*> records = recordsOf<AcDbLinetypeTableRecord>(db_.linetypeTableId());
    beginTable(L"LTYPE", db_.linetypeTableId().handle(), static_cast<int>(records.size()));
    for (AcDbLinetypeTableRecord* lt : records) {
      Access access(lt);
      beginRecord(L"LTYPE", lt->objectHandle(), db_.linetypeTableId().handle(), L"AcDbLinetypeTableRecord", lt->name());
      body_.group(70, 0);
      body_.group(3, lt->description());
      body_.group(72, 65);  // 'A', the only alignment there is
      body_.group(73, lt->numDashes());
      body_.group(40, lt->patternLength());
      for (int i = 0; i < lt->numDashes(); ++i) {
        body_.group(49, lt->dashLengthAt(i));
        body_.group(74, 0);
      }
      writeXData(lt);
    }
    body_.group(0, L"ENDTAB");
  }

  void writeLayerTable() {
    std::vector<AcDbLayerTableRecord*> records = recordsOf<AcDbLayerTableRecord>(db_.layerTableId());
    beginTable(L"LAYER", db_.layerTableId().handle(), static_cast<int>(records.size()));
    for (AcDbLayerTableRecord* layer : records) {
      Access access(layer);
      beginRecord(L"LAYER", layer->objectHandle(), db_.layerTableId().handle(), L"AcDbLayerTableRecord", layer->name());
      body_.group(70, (layer->isFrozen() ? 1 : 0) | (layer->isLocked() ? 4 : 0));
      AcCmColor color = layer->color();
      int index = color.colorIndex() >= 1 && color.colorIndex() <= 255 ? color.colorIndex() : 7;
      body_.group(62, layer->isOff() ? -index : index);
      if (color.isByColor()) body_.group(420, (color.red() << 16) | (color.green() << 8) | color.blue());
      body_.group(6, nameOr(layer->linetypeObjectId(), L"Continuous"));
      if (!layer->isPlottable()) body_.group(290, 0);
      body_.group(370, static_cast<int>(layer->lineWeight()));
      ACHAR* style = layer->plotStyleName();
      auto it = plotStyles_.find(style != nullptr && *style != 0 ? style : L"Normal");
      acutDelString(style);
      body_.groupHandle(390, it != plotStyles_.end() ? it->second : plotStyles_[L"Normal"]);
      writeXData(layer);
    }
    body_.group(0, L"ENDTAB");
  }

  void writeStyleTable() {
    std::vector<AcDbTextStyleTableRecord*> records = recordsOf<AcDbTextStyleTableRecord>(db_.textStyleTableId());
    beginTable(L"STYLE", db_.textStyleTableId().handle(), static_cast<int>(records.size()));
    for (AcDbTextStyleTableRecord* style : records) {
      Access access(style);
      beginRecord(L"STYLE", style->objectHandle(), db_.textStyleTableId().handle(), L"AcDbTextStyleTableRecord",
                  style->name());
      body_.group(70, 0);
      body_.group(40, style->textSize());
      body_.group(41, style->xScale());
      body_.group(50, 0.0);
      body_.group(71, 0);
      body_.group(42, style->textSize() > 0 ? style->textSize() : 2.5);
      body_.group(3, style->font());
      body_.group(4, L"");
      writeXData(style);
    }
    body_.group(0, L"ENDTAB");
  }

  void writeAppIdTable() {
    std::vector<AcDbRegAppTableRecord*> records = recordsOf<AcDbRegAppTableRecord>(db_.regAppTableId());
    bool hasAcad = std::any_of(records.begin(), records.end(),
                               [](AcDbRegAppTableRecord* r) { return wcscasecmp(r->name().c_str(), L"ACAD") == 0; });
    AcDbHandle table = db_.regAppTableId().handle();
    beginTable(L"APPID", table, static_cast<int>(records.size()) + (hasAcad ? 0 : 1));
    if (!hasAcad) {
      // Other tools expect the host's own application to be registered.
      beginRecord(L"APPID", newHandle(), table, L"AcDbRegAppTableRecord", L"ACAD");
      body_.group(70, 0);
    }
    for (AcDbRegAppTableRecord* app : records) {
      Access access(app);
      beginRecord(L"APPID", app->objectHandle(), table, L"AcDbRegAppTableRecord", app->name());
      body_.group(70, 0);
    }
    body_.group(0, L"ENDTAB");
  }

  void writeDimStyleTable() {
    beginTable(L"DIMSTYLE", dimstyleTable_, 1);
    body_.group(100, L"AcDbDimStyleTable");
    // A dimension style record carries its handle under 105.
    beginRecord(L"DIMSTYLE", dimstyle_, dimstyleTable_, L"AcDbDimStyleTableRecord", L"Standard", 105);
    body_.group(70, 0);
    body_.group(0, L"ENDTAB");
  }

  void writeBlockRecordTable() {
    AcDbHandle table = db_.blockTableId().handle();
    beginTable(L"BLOCK_RECORD", table, static_cast<int>(spaces_.size()));
    for (const Space& space : spaces_) {
      Access access(space.record);
      beginRecord(L"BLOCK_RECORD", space.record->objectHandle(), table, L"AcDbBlockTableRecord", space.record->name());
      for (const LayoutSpec& layout : layouts_)
        if (layout.blockRecord == space.record->objectHandle()) body_.groupHandle(340, layout.handle);
      writeXData(space.record);
    }
    body_.group(0, L"ENDTAB");
  }

  // ---- blocks and entities -----------------------------------------------------------

  void writeBlocks() {
    beginSection(body_, L"BLOCKS");
    for (const Space& space : spaces_) {
      Access access(space.record);
      bool paper = space.record == paperSpace_;
      AcDbHandle owner = space.record->objectHandle();
      body_.group(0, L"BLOCK");
      body_.groupHandle(5, space.blockBegin);
      body_.groupHandle(330, owner);
      body_.group(100, L"AcDbEntity");
      if (paper) body_.group(67, 1);
      body_.group(8, L"0");
      body_.group(100, L"AcDbBlockBegin");
      body_.group(2, space.record->name());
      body_.group(70, 0);
      body_.writePoint3d(AcDb::kDxfXCoord, AcGePoint3d::kOrigin);
      body_.group(3, space.record->name());
      body_.group(1, L"");
      // Model space entities go to the ENTITIES section; every other block holds its own.
      if (space.record != modelSpace_) writeEntities(space);
      body_.group(0, L"ENDBLK");
      body_.groupHandle(5, space.blockEnd);
      body_.groupHandle(330, owner);
      body_.group(100, L"AcDbEntity");
      if (paper) body_.group(67, 1);
      body_.group(8, L"0");
      body_.group(100, L"AcDbBlockEnd");
    }
    endSection(body_);
  }

  void writeEntitiesSection() {
    beginSection(body_, L"ENTITIES");
    for (const Space& space : spaces_)
      if (space.record == modelSpace_) writeEntities(space);
    endSection(body_);
  }

  void writeEntities(const Space& space) {
    AcDbHandle owner = space.record->objectHandle();
    for (AcDbEntity* ent : space.entities) {
      if (!error_.empty()) return;
      Access access(ent);
      if (flattened(ent))
        writeFlattened(ent, owner);
      else
        writeEntity(ent, ent->objectHandle(), owner, ent->isA()->dxfName());
    }
  }

  // One entity: its type, handle and owner, its own groups, its extended data, and for
  // a 2D polyline the vertices and the end of the sequence.
  void writeEntity(const AcDbEntity* ent, const AcDbHandle& handle, const AcDbHandle& owner, const std::wstring& type) {
    body_.group(0, type);
    body_.groupHandle(5, handle);
    body_.groupHandle(330, owner);
    Acad::ErrorStatus es = ent->dxfOutFields(&body_);
    if (es == Acad::eOk) es = body_.filerStatus();
    if (es != Acad::eOk) {
      status_ = es;
      error_ = L"entity " + handle.text() + L" (" + ent->isA()->name() + L") could not be written: " +
               acutUtf8ToWide(acadErrorStatusText(es));
      return;
    }
    writeXData(ent);
    if (const AcDb2dPolyline* pl = AcDb2dPolyline::cast(ent)) writeVertices(pl, handle);
  }

  void writeXData(const AcDbObject* obj) {
    resbuf* xdata = obj->xData();
    for (const resbuf* rb = xdata; rb != nullptr; rb = rb->rbnext) body_.writeItem(*rb);
    acutRelRb(xdata);
  }

  void writeVertices(const AcDb2dPolyline* pl, const AcDbHandle& polyline) {
    ACHAR* layerName = pl->layer();
    std::wstring layer = layerName != nullptr ? layerName : L"0";
    acutDelString(layerName);
    for (const PolyVertex& v : verticesOf(pl)) {
      body_.group(0, L"VERTEX");
      body_.groupHandle(5, newHandle());
      body_.groupHandle(330, polyline);
      body_.group(100, L"AcDbEntity");
      body_.group(8, layer);
      body_.group(100, L"AcDbVertex");
      body_.group(100, L"AcDb2dVertex");
      body_.writePoint3d(AcDb::kDxfXCoord, v.point);
      if (v.bulge != 0) body_.group(42, v.bulge);
      body_.group(70, v.flags);
    }
    body_.group(0, L"SEQEND");
    body_.groupHandle(5, newHandle());
    body_.groupHandle(330, polyline);
    body_.group(100, L"AcDbEntity");
    body_.group(8, layer);
  }

  struct PolyVertex {
    AcGePoint3d point;
    double bulge = 0.0;
    int flags = 0;  // 1: a vertex the curve fit added
  };

  // The vertices as written. A fit curve also gets the joints of its arcs as vertices
  // the fit added (flag 1), each arc as a bulge, as AutoCAD stores a fitted polyline:
  // other tools then draw the same smooth curve. A reader keeps only the vertices it
  // was given.
  static std::vector<PolyVertex> verticesOf(const AcDb2dPolyline* pl) {
    std::vector<PolyVertex> plain;
    for (int i = 0; i < pl->numVerts(); ++i) plain.push_back({pl->vertexAt(i), 0.0, 0});
    if (pl->polyType() != AcDb::k2dFitCurvePoly || plain.size() < 2) return plain;

    const std::vector<AcGePoint2d>& given = pl->vertices2d();
    GeCurvePath path;
    hostAppendFitCurve(path, given, pl->isClosed(), pl->elevation());
    std::vector<PolyVertex> fitted;
    size_t next = 0;  // the next given vertex the curve reaches
    for (const GeCurvePiece& piece : path.pieces()) {
      const AcGePoint3d& s = piece.startPoint();
      bool isGiven = next < given.size() && s.convert2d().isEqualTo(given[next], AcGeTol(1e-9, 1e-9));
      double bulge = 0.0;
      if (piece.isArc()) bulge = std::tan(piece.sweep() / 4) * (piece.normal().z < 0 ? -1.0 : 1.0);
      fitted.push_back({s, bulge, isGiven ? 0 : 1});
      if (isGiven) ++next;
    }
    if (!pl->isClosed() && next + 1 == given.size()) {
      fitted.push_back({pl->vertexAt(static_cast<int>(next)), 0.0, 0});
      ++next;
    }
    // Should the curve and the vertices ever disagree, the vertices alone are right.
    return next == given.size() ? fitted : plain;
  }

  // A custom entity as the plain entities it draws, each on the layer, linetype and
  // colour it was drawn with.
  void writeFlattened(AcDbEntity* ent, const AcDbHandle& owner) {
    AcGiRecordingWorldDraw wd(kAcGiForExplode);
    recordEntity(ent, wd);
    for (const GiPrimitive& p : wd.primitives()) {
      for (std::unique_ptr<AcDbEntity>& plain : plainEntitiesFor(p)) {
        applyTraits(*plain, p.traits, ent);
        writeEntity(plain.get(), newHandle(), owner, plain->isA()->dxfName());
      }
    }
  }

  static void applyTraits(AcDbEntity& plain, const GiTraits& traits, const AcDbEntity* source) {
    plain.setLayer(traits.layerId.isNull() ? source->layerId() : traits.layerId);
    if (!traits.linetypeId.isNull()) plain.setLinetype(traits.linetypeId);
    plain.setColor(traits.color);
    plain.setLineWeight(source->lineWeight());
  }

  std::vector<std::unique_ptr<AcDbEntity>> plainEntitiesFor(const GiPrimitive& p) {
    std::vector<std::unique_ptr<AcDbEntity>> out;
    switch (p.kind) {
      case GiPrimitiveKind::Polyline: polylineEntities(p, out); break;
      case GiPrimitiveKind::FitCurve: {
        if (p.points.size() < 2) break;
        AcGePoint3dArray vertices;
        for (const AcGePoint3d& v : p.points) vertices.append(v);
        out.push_back(std::make_unique<AcDb2dPolyline>(AcDb::k2dFitCurvePoly, vertices, p.points.front().z, p.closed));
        break;
      }
      case GiPrimitiveKind::Circle:
        if (p.radius > 0) out.push_back(std::make_unique<AcDbCircle>(p.center, p.normal, p.radius));
        break;
      case GiPrimitiveKind::Arc: arcEntity(p, out); break;
      case GiPrimitiveKind::Text: {
        auto text = std::make_unique<AcDbMText>();
        text->setLocation(p.location);
        text->setNormal(p.normal);
        text->setRotation(p.rotation);
        if (p.height > 0) text->setTextHeight(p.height);
        text->setAttachment(static_cast<AcDbMText::AttachmentPoint>(p.attachment >= 1 && p.attachment <= 9 ? p.attachment : 7));
        if (p.multiline && p.width > 0) text->setWidth(p.width);
        text->setContents(p.contents.c_str());
        if (!db_.textstyle().isNull()) text->setTextStyle(db_.textstyle());
        out.push_back(std::move(text));
        break;
      }
    }
    return out;
  }

  // Two points make a LINE; a flat run of points a 2D POLYLINE; a run that leaves its
  // plane, one LINE per segment.
  static void polylineEntities(const GiPrimitive& p, std::vector<std::unique_ptr<AcDbEntity>>& out) {
    const std::vector<AcGePoint3d>& pts = p.points;
    if (pts.size() < 2) return;
    bool flat = std::all_of(pts.begin(), pts.end(), [&](const AcGePoint3d& q) { return std::abs(q.z - pts[0].z) < 1e-9; });
    if (pts.size() == 2 || !flat) {
      for (size_t i = 0; i + 1 < pts.size(); ++i) out.push_back(std::make_unique<AcDbLine>(pts[i], pts[i + 1]));
      return;
    }
    AcGePoint3dArray vertices;
    for (const AcGePoint3d& v : pts) vertices.append(v);
    out.push_back(std::make_unique<AcDb2dPolyline>(AcDb::k2dSimplePoly, vertices, pts[0].z, false));
  }

  // An arc drawn about any normal as an ARC with angles in its plane's own axes. An
  // arc drawn clockwise in plan (normal -z) becomes the same arc counter-clockwise
  // about +z, which every tool shows the same way.
  static void arcEntity(const GiPrimitive& p, std::vector<std::unique_ptr<AcDbEntity>>& out) {
    if (!(p.radius > 0) || p.sweep == 0) return;
    if (std::abs(p.sweep) >= 2 * M_PI - 1e-12) {
      out.push_back(std::make_unique<AcDbCircle>(p.center, p.normal, p.radius));
      return;
    }
    AcGeVector3d n = p.normal.normal();
    double sweep = p.sweep;
    AcGeVector3d start = p.startVector;
    if (sweep < 0) {  // a negative sweep runs the other way round the same normal
      start.rotateBy(sweep, n);
      sweep = -sweep;
    }
    if (n.isEqualTo(AcGeVector3d(0, 0, -1), AcGeTol(1e-10, 1e-10))) {
      start.rotateBy(sweep, n);  // the far end of the arc is its start about +z
      n = AcGeVector3d(0, 0, 1);
    }
    // Angles are measured in the arc's own plane, from the x axis DXF gives that plane.
    double a0 = HostOcs(n).angleOf(start);
    out.push_back(std::make_unique<AcDbArc>(p.center, n, p.radius, a0, a0 + sweep));
  }

  // ---- objects -----------------------------------------------------------------------

  void dictionaryHead(const wchar_t* type, const AcDbHandle& handle, const AcDbHandle& owner) {
    body_.group(0, type);
    body_.groupHandle(5, handle);
    body_.groupHandle(330, owner);
    body_.group(100, L"AcDbDictionary");
    body_.group(281, 1);
  }

  void entry(const std::wstring& name, const AcDbHandle& handle) {
    body_.group(3, name);
    body_.groupHandle(350, handle);
  }

  void writeObjects() {
    beginSection(body_, L"OBJECTS");
    dictionaryHead(L"DICTIONARY", rootDict_, AcDbHandle());
    entry(L"ACAD_GROUP", groupDict_);
    entry(L"ACAD_LAYOUT", layoutDict_);
    entry(L"ACAD_PLOTSTYLENAME", plotStyleDict_);
    dictionaryHead(L"DICTIONARY", groupDict_, rootDict_);
    dictionaryHead(L"DICTIONARY", layoutDict_, rootDict_);
    for (const LayoutSpec& layout : layouts_) entry(layout.name, layout.handle);
    dictionaryHead(L"ACDBDICTIONARYWDFLT", plotStyleDict_, rootDict_);
    for (const auto& [name, handle] : plotStyles_) entry(name, handle);
    body_.group(100, L"AcDbDictionaryWithDefault");
    body_.groupHandle(340, plotStyles_[L"Normal"]);
    for (const auto& [name, handle] : plotStyles_) {
      body_.group(0, L"ACDBPLACEHOLDER");
      body_.groupHandle(5, handle);
      body_.groupHandle(330, plotStyleDict_);
    }
    for (const LayoutSpec& layout : layouts_) writeLayout(layout);
    endSection(body_);
  }

  void writeLayout(const LayoutSpec& layout) {
    body_.group(0, L"LAYOUT");
    body_.groupHandle(5, layout.handle);
    body_.groupHandle(330, layoutDict_);
    body_.group(100, L"AcDbPlotSettings");
    body_.group(1, L"");
    body_.group(2, L"none_device");
    body_.group(4, L"");
    body_.group(6, L"");
    for (int code = 40; code <= 49; ++code) body_.group(code, code == 44 ? 420.0 : code == 45 ? 297.0 : 0.0);
    body_.group(140, 0.0);
    body_.group(141, 0.0);
    body_.group(142, 1.0);
    body_.group(143, 1.0);
    body_.group(70, layout.tabOrder == 0 ? 1024 : 0);
    body_.group(72, 1);
    body_.group(73, 0);
    body_.group(74, 5);
    body_.group(7, L"");
    body_.group(75, 16);
    body_.group(147, 1.0);
    body_.group(148, 0.0);
    body_.group(149, 0.0);
    body_.group(100, L"AcDbLayout");
    body_.group(1, layout.name);
    body_.group(70, 1);
    body_.group(71, layout.tabOrder);
    body_.writePoint2d(AcDb::kDxfXCoord, AcGePoint2d(0, 0));
    body_.writePoint2d(static_cast<AcDb::DxfCode>(11), AcGePoint2d(420, 297));
    body_.writePoint3d(static_cast<AcDb::DxfCode>(12), AcGePoint3d(0, 0, 0));
    body_.writePoint3d(static_cast<AcDb::DxfCode>(14), AcGePoint3d(1e20, 1e20, 1e20));
    body_.writePoint3d(static_cast<AcDb::DxfCode>(15), AcGePoint3d(-1e20, -1e20, -1e20));
    body_.group(146, 0.0);
    body_.writePoint3d(static_cast<AcDb::DxfCode>(13), AcGePoint3d(0, 0, 0));
    body_.writePoint3d(static_cast<AcDb::DxfCode>(16), AcGePoint3d(1, 0, 0));
    body_.writePoint3d(static_cast<AcDb::DxfCode>(17), AcGePoint3d(0, 1, 0));
    body_.group(76, 0);
    body_.groupHandle(330, layout.blockRecord);
  }

  AcDbDatabase& db_;
  bool flatten_;
  AcDbMemDxfWriter out_;   // the header, written last when the handle seed is known
  AcDbMemDxfWriter body_;  // every section after the header
  AcDbHandle next_;
  Acad::ErrorStatus status_ = Acad::eOk;
  std::wstring error_;

  std::vector<Space> spaces_;
  AcDbBlockTableRecord* modelSpace_ = nullptr;
  AcDbBlockTableRecord* paperSpace_ = nullptr;
  std::map<std::wstring, std::pair<const AcRxClass*, int>> customCounts_;  // by class name
  std::vector<LayoutSpec> layouts_;
  std::map<std::wstring, AcDbHandle> plotStyles_;
  AcDbExtents extents_;
  AcDbHandle vportTable_, vport_, viewTable_, ucsTable_, dimstyleTable_, dimstyle_;
  AcDbHandle rootDict_, groupDict_, layoutDict_, plotStyleDict_;
};

}  // namespace

Acad::ErrorStatus acdbDxfOutToPieces(AcDbDatabase& db, std::string& header, std::string& body, int precision,
                                     bool flatten, std::wstring& error) {
  header.clear();
  body.clear();
  if (db.blockTableId().isNull() || db.modelSpaceId().isNull()) {
    error = L"the database holds no drawing";
    return Acad::eNoDatabase;
  }
  return DxfOut(db, precision, flatten).run(header, body, error);
}

Acad::ErrorStatus acdbDxfOutToText(AcDbDatabase& db, std::string& text, int precision, bool flatten,
                                   std::wstring& error) {
  std::string body;
  Acad::ErrorStatus es = acdbDxfOutToPieces(db, text, body, precision, flatten, error);
  if (es != Acad::eOk) {
    text.clear();
    return es;
  }
  text += body;
  return Acad::eOk;
}
