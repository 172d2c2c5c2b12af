// Reading DXF into an empty database: the file's structure is checked first, then
// tables and entities are made (keeping their handles where the database can), then
// each object reads its own groups through the DXF filer.
#include <algorithm>
#include <cmath>
#include <cwchar>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <unordered_map>
#include <unordered_set>

#include "arx/aced_print.h"
#include "arx/db_entities.h"
#include "arx/db_proxy.h"
#include "arx/dxf_file.h"
#include "arx/dxf_filer_mem.h"

namespace {

// One object of the file: its 0 group and everything up to the next 0 group, where
// the parsed file holds them.
struct DxfObj {
  std::span<const AcDbDxfRawGroup> groups;
  const std::wstring* typeName = nullptr;  // the 0 group's text, decoded once for each type
  const std::wstring& type() const { return *typeName; }
  int line() const { return groups.front().line; }
  const AcDbDxfRawGroup* find(int code) const {
    for (const AcDbDxfRawGroup& g : groups)
      if (g.code == code) return &g;
    return nullptr;
  }
  std::wstring text(int code, const std::wstring& fallback = L"") const {
    const AcDbDxfRawGroup* g = find(code);
    return g != nullptr ? g->text() : fallback;
  }
  std::int64_t integer(int code, std::int64_t fallback = 0) const {
    const AcDbDxfRawGroup* g = find(code);
    return g != nullptr ? g->integer() : fallback;
  }
  double real(int code, double fallback = 0.0) const {
    const AcDbDxfRawGroup* g = find(code);
    return g != nullptr ? g->real() : fallback;
  }
};

struct DxfSection {
  std::wstring name;
  int line = 0;
  std::span<const AcDbDxfRawGroup> loose;  // groups before the first 0 group (the header's variables)
  std::vector<DxfObj> objects;
};

// An entity of model or paper space with what follows it in the file.
struct FileEntity {
  const DxfObj* obj = nullptr;
  std::vector<const DxfObj*> vertices;  // POLYLINE only
  bool paper = false;
  AcDbHandle handle;
  AcRxClass* cls = nullptr;  // the class made for it
  AcDbObjectId id;
};

struct FileRecord {
  const DxfObj* obj = nullptr;
  AcDbHandle handle;
  AcDbObjectId id;
};

// The groups every entity shares (AcDbEntity's), for entities the host builds itself.
bool isCommonEntityCode(int code) {
  switch (code) {
    case 6: case 8: case 48: case 60: case 62: case 67: case 284: case 347: case 370: case 390: case 410:
    case 420: case 440:
      return true;
    default:
      return false;
  }
}

bool sameName(const std::wstring& a, const wchar_t* b) { return wcscasecmp(a.c_str(), b) == 0; }

AcDbHandle handleFromText(const std::wstring& text) {
  size_t b = text.find_first_not_of(L" \t"), e = text.find_last_not_of(L" \t");
  return b == std::wstring::npos ? AcDbHandle() : AcDbHandle::fromText(text.substr(b, e - b + 1));
}

class DxfIn {
 public:
  DxfIn(AcDbDatabase& db, AcDbDxfInSummary& summary) : db_(db), summary_(summary) {}

  Acad::ErrorStatus run(const std::string& text, std::wstring& error) {
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
      error = L"the file is empty";
      return Acad::eBadFileFormat;
    }
    if (text.compare(0, 18, "AutoCAD Binary DXF") == 0) {
      error = L"binary DXF is not read; write the drawing as ASCII DXF";
      return Acad::eBadFileFormat;
    }
    Acad::ErrorStatus es = acdbParseDxfRawGroups(text, groups_, error);
    if (es != Acad::eOk) return es;
    if (!splitSections(groups_) || !collect() || !build()) {
      error = error_;
      return status_;
    }
    return Acad::eOk;
  }

 private:
  bool fail(Acad::ErrorStatus es, int line, const std::wstring& message) {
    status_ = es;
    error_ = line > 0 ? L"line " + std::to_wstring(line) + L": " + message : message;
    return false;
  }

  // ---- structure -----------------------------------------------------------------------

  bool splitSections(const std::vector<AcDbDxfRawGroup>& groups) {
    size_t i = 0;
    while (i < groups.size()) {
      const AcDbDxfRawGroup& g = groups[i];
      if (g.is(0, L"EOF")) return true;
      if (!g.is(0, L"SECTION"))
        return fail(Acad::eBadDxfSequence, g.line, L"expected 0 SECTION or 0 EOF, found group " +
                                                       std::to_wstring(g.code) + L" \"" + g.text() + L"\"");
      if (i + 1 >= groups.size() || groups[i + 1].code != 2)
        return fail(Acad::eBadDxfSequence, g.line, L"a SECTION without its name (group 2)");
      DxfSection section;
      section.name = groups[i + 1].text();
      section.line = g.line;
      i += 2;
      for (;;) {
        if (i >= groups.size())
          return fail(Acad::eBadDxfSequence, section.line,
                      L"section " + section.name + L" has no ENDSEC (the file ends inside it)");
        const AcDbDxfRawGroup& s = groups[i];
        if (s.code == 0 && s.is(0, L"ENDSEC")) break;
        if (s.code == 0 && (s.is(0, L"SECTION") || s.is(0, L"EOF")))
          return fail(Acad::eBadDxfSequence, s.line, L"section " + section.name + L" has no ENDSEC");
        // An object's groups follow each other, so each part grows by the next group.
        if (s.code == 0) section.objects.emplace_back().typeName = &typeName(s);
        std::span<const AcDbDxfRawGroup>& part =
            s.code == 0 ? section.objects.back().groups : section.objects.empty() ? section.loose : section.objects.back().groups;
        part = part.empty() ? std::span<const AcDbDxfRawGroup>(&s, 1) : std::span<const AcDbDxfRawGroup>(part.data(), part.size() + 1);
        ++i;
      }
      sections_.push_back(std::move(section));
      ++i;
    }
    return fail(Acad::eBadDxfSequence, groups.empty() ? 0 : groups.back().line,
                L"the file ends without 0 EOF (it is cut short)");
  }

  // A file holds many objects of few types: each type's name is made once and shared.
  // Hashed, so that a damaged file naming every object differently stays linear.
  const std::wstring& typeName(const AcDbDxfRawGroup& g) {
    std::string raw(g.value, g.length);
    auto found = typeNames_.find(raw);
    if (found != typeNames_.end()) return found->second;
    return typeNames_.emplace(std::move(raw), g.text()).first->second;
  }

  const DxfSection* section(const wchar_t* name) const {
    for (const DxfSection& s : sections_)
      if (s.name == name) return &s;
    return nullptr;
  }

  // The handle an object gives itself (5, or 105 for a dimension style).
  bool objectHandle(const DxfObj& obj, AcDbHandle& handle) {
    handle = AcDbHandle();
    const AcDbDxfRawGroup* g = obj.find(5);
    if (g == nullptr) g = obj.find(105);
    if (g == nullptr) return true;
    if (plainHandle(*g, handle)) return keepHandle(handle);
    const std::wstring text = g->text();
    handle = handleFromText(text);
    if (handle.isNull() && text.find_first_not_of(L" \t0") != std::wstring::npos)
      return fail(Acad::eBadFileFormat, g->line + 1, L"\"" + text + L"\" is not a handle");
    return keepHandle(handle);
  }

  bool keepHandle(AcDbHandle& handle) {
    if (!handle.isNull() && !seen_.insert(handle.value()).second) handle = AcDbHandle();  // given twice: a new one
    if (maxHandle_ < handle) maxHandle_ = handle;
    return true;
  }

  // A handle of hexadecimal digits alone (as every writer writes it), read from the
  // file's bytes; anything else goes the way of a text.
  static bool plainHandle(const AcDbDxfRawGroup& g, AcDbHandle& handle) {
    if (g.value == nullptr || g.length == 0 || g.length > 16) return false;
    std::uint64_t v = 0;
    for (std::uint32_t i = 0; i < g.length; ++i) {
      char c = g.value[i];
      int d = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (d < 0) return false;
      v = (v << 4) | static_cast<std::uint64_t>(d);
    }
    handle = AcDbHandle(v);
    return true;
  }

  bool collect() {
    if (const DxfSection* header = section(L"HEADER")) readHeader(*header);
    if (const DxfSection* tables = section(L"TABLES"))
      if (!collectTables(*tables)) return false;
    if (const DxfSection* blocks = section(L"BLOCKS"))
      if (!collectBlocks(*blocks)) return false;
    if (const DxfSection* entities = section(L"ENTITIES"))
      if (!collectEntities(entities->objects, 0, entities->objects.size(), std::nullopt)) return false;
    if (const DxfSection* objects = section(L"OBJECTS")) readPlotStyleNames(*objects);
    return true;
  }

  void readHeader(const DxfSection& header) {
    std::span<const AcDbDxfRawGroup> g = header.loose;
    for (size_t i = 0; i + 1 < g.size(); ++i) {
      if (g[i].code != 9) continue;
      const std::wstring name = g[i].text();
      const AcDbDxfRawGroup& v = g[i + 1];
      if (name == L"$HANDSEED") fileSeed_ = handleFromText(v.text());
      if (name == L"$CLAYER") clayer_ = v.text();
      if (name == L"$CELTYPE") celtype_ = v.text();
      if (name == L"$TEXTSTYLE") textstyle_ = v.text();
    }
  }

  bool collectTables(const DxfSection& tables) {
    std::wstring table;
    for (const DxfObj& obj : tables.objects) {
      if (obj.type() == L"TABLE") {
        table = obj.text(2);
        AcDbHandle h;
        if (!objectHandle(obj, h)) return false;
        tableHandles_[table] = h;
        continue;
      }
      if (obj.type() == L"ENDTAB") continue;
      FileRecord rec{&obj, {}, {}};
      if (!objectHandle(obj, rec.handle)) return false;
      const std::wstring& type = obj.type();
      bool wanted = type == L"LAYER" || type == L"LTYPE" || type == L"STYLE" || type == L"APPID" ||
                    (type == L"BLOCK_RECORD" && isSpaceName(obj.text(2)));
      if (wanted) records_.push_back(rec);
    }
    return true;
  }

  static bool isSpaceName(const std::wstring& name) {
    return sameName(name, ACDB_MODEL_SPACE) || sameName(name, ACDB_PAPER_SPACE) || sameName(name, L"$MODEL_SPACE") ||
           sameName(name, L"$PAPER_SPACE");
  }
  static bool isPaperName(const std::wstring& name) {
    return sameName(name, ACDB_PAPER_SPACE) || sameName(name, L"$PAPER_SPACE");
  }

  bool collectBlocks(const DxfSection& blocks) {
    const std::vector<DxfObj>& objs = blocks.objects;
    size_t i = 0;
    while (i < objs.size()) {
      if (objs[i].type() != L"BLOCK") {
        ++i;
        continue;
      }
      std::wstring name = objs[i].text(2);
      size_t end = i + 1;
      while (end < objs.size() && objs[end].type() != L"ENDBLK" && objs[end].type() != L"BLOCK") ++end;
      if (end >= objs.size() || objs[end].type() != L"ENDBLK")
        return fail(Acad::eBadDxfSequence, objs[i].line(), L"block " + name + L" has no ENDBLK");
      if (isSpaceName(name)) {
        if (!collectEntities(objs, i + 1, end, isPaperName(name))) return false;
      } else {
        for (size_t k = i + 1; k < end; ++k)
          if (objs[k].type() != L"VERTEX" && objs[k].type() != L"SEQEND" && objs[k].type() != L"ATTRIB")
            ++summary_.skippedEntities[objs[k].type()];
      }
      i = end + 1;
    }
    return true;
  }

  // The entities objs[begin, end); paper says which space they belong to, or, for the
  // ENTITIES section, nothing (each entity's 67 group tells).
  bool collectEntities(const std::vector<DxfObj>& objs, size_t begin, size_t end, std::optional<bool> paper) {
    for (size_t i = begin; i < end; ++i) {
      const DxfObj& obj = objs[i];
      const std::wstring& type = obj.type();
      FileEntity fe;
      fe.obj = &obj;
      fe.paper = paper.has_value() ? *paper : obj.integer(67) == 1;
      if (type == L"POLYLINE") {
        size_t k = i + 1;
        while (k < end && objs[k].type() == L"VERTEX") fe.vertices.push_back(&objs[k++]);
        if (k >= end || objs[k].type() != L"SEQEND")
          return fail(Acad::eBadDxfSequence, obj.line(), L"POLYLINE without SEQEND after its vertices");
        i = k;
        // Only 2D polylines are read: 3D polylines and meshes are other things.
        if ((obj.integer(70) & (8 | 16 | 64)) != 0) {
          ++summary_.skippedEntities[L"POLYLINE (3D or mesh)"];
          continue;
        }
      }
      if (type == L"SEQEND" || type == L"ATTRIB" || type == L"VERTEX") continue;  // parts of skipped entities
      fe.cls = cachedEntityClass(type);
      if (fe.cls == nullptr) {
        ++summary_.skippedEntities[type];
        continue;
      }
      if (!objectHandle(obj, fe.handle)) return false;
      entities_.push_back(std::move(fe));
    }
    return true;
  }

  // The class an entity type is read into: text and light polylines become the host's
  // multiline text and 2D polyline; the rest are found by DXF name.
  static AcRxClass* entityClass(const std::wstring& type) {
    if (type == L"TEXT") return AcDbMText::desc();
    if (type == L"LWPOLYLINE") return AcDb2dPolyline::desc();
    AcRxClass* cls = acrxFindClassByDxfName(type.c_str());
    if (cls == nullptr || !cls->isDerivedFrom(AcDbEntity::desc()) || cls->isDerivedFrom(AcDbProxyEntity::desc()))
      return nullptr;
    return cls;
  }

  // Files hold few entity types and many entities: each type's class is looked up once.
  AcRxClass* cachedEntityClass(const std::wstring& type) {
    auto found = classes_.find(type);
    if (found != classes_.end()) return found->second;
    return classes_.emplace(type, entityClass(type)).first->second;
  }

  // Plot style names hang in the ACAD_PLOTSTYLENAME dictionary; layers point at them.
  void readPlotStyleNames(const DxfSection& objects) {
    if (objects.objects.empty()) return;
    const DxfObj& root = objects.objects.front();
    std::uint64_t dict = 0;
    forEachEntry(root, [&](const std::wstring& name, std::uint64_t h) {
      if (name == L"ACAD_PLOTSTYLENAME") dict = h;
    });
    for (const DxfObj& obj : objects.objects) {
      if (dict == 0 || handleFromText(obj.text(5)).value() != dict) continue;
      forEachEntry(obj, [&](const std::wstring& name, std::uint64_t h) { plotStyleNames_[h] = name; });
    }
  }

  static void forEachEntry(const DxfObj& dict, const std::function<void(const std::wstring&, std::uint64_t)>& fn) {
    std::span<const AcDbDxfRawGroup> g = dict.groups;
    for (size_t i = 0; i + 1 < g.size(); ++i)
      if (g[i].code == 3 && (g[i + 1].code == 350 || g[i + 1].code == 360))
        fn(g[i].text(), static_cast<std::uint64_t>(g[i + 1].integer()));
  }

  // ---- building ------------------------------------------------------------------------

  // The next object the database adds gets this handle when it is free and not below
  // the handle seed; otherwise the object gets a new handle and references to the old
  // one are translated.
  void aimHandle(const AcDbHandle& want) {
    if (!want.isNull() && db_.stubFor(want) == nullptr && !(want < db_.handseed())) db_.hostSetHandseed(want);
  }
  void remember(const AcDbHandle& fileHandle, const AcDbObjectId& id) {
    if (!fileHandle.isNull() && !id.isNull()) ids_[fileHandle.value()] = id;
  }

  bool build() {
    bool wasRecording = db_.undoRecording();
    db_.disableUndoRecording(true);
    bool ok = createTables() && createRecordsAndEntities() && createStandardRecords() && createMissingLayers() &&
              readLayers() &&
              readEntities() && readCurrentSettings();
    db_.disableUndoRecording(!wasRecording);
    if (ok) {
      AcDbHandle seed(maxHandle_.value() + 1);
      db_.hostSetHandseed(seed < fileSeed_ ? fileSeed_ : seed);
    }
    return ok;
  }

  template <typename Table>
  AcDbObjectId createTable(const wchar_t* dxfName) {
    auto it = tableHandles_.find(dxfName);
    AcDbHandle want = it != tableHandles_.end() ? it->second : AcDbHandle();
    aimHandle(want);
    auto* table = new Table();
    AcDbObjectId id;
    if (db_.addAcDbObject(id, table) != Acad::eOk) {
      delete table;
      return id;
    }
    table->close();
    remember(want, id);
    return id;
  }

  bool createTables() {
    // Made in the order of their handles so that as many as possible keep theirs.
    struct Maker {
      const wchar_t* name;
      std::function<AcDbObjectId()> make;
      AcDbObjectId id;
    };
    std::vector<Maker> makers = {
        {L"BLOCK_RECORD", [this] { return createTable<AcDbBlockTable>(L"BLOCK_RECORD"); }, {}},
        {L"LAYER", [this] { return createTable<AcDbLayerTable>(L"LAYER"); }, {}},
        {L"LTYPE", [this] { return createTable<AcDbLinetypeTable>(L"LTYPE"); }, {}},
        {L"STYLE", [this] { return createTable<AcDbTextStyleTable>(L"STYLE"); }, {}},
        {L"APPID", [this] { return createTable<AcDbRegAppTable>(L"APPID"); }, {}},
    };
    auto handleOf = [this](const Maker& m) {
      auto it = tableHandles_.find(m.name);
      return it == tableHandles_.end() || it->second.isNull() ? UINT64_MAX : it->second.value();
    };
    std::vector<Maker*> order;
    for (Maker& m : makers) order.push_back(&m);
    std::stable_sort(order.begin(), order.end(), [&](Maker* a, Maker* b) { return handleOf(*a) < handleOf(*b); });
    for (Maker* m : order) {
      m->id = m->make();
      if (m->id.isNull()) return fail(Acad::eBadFileFormat, 0, L"the symbol tables cannot be made");
    }
    db_.hostSetTables(makers[0].id, makers[1].id, makers[2].id, makers[3].id, makers[4].id);
    return true;
  }

  // Records and entities in the order of their handles (those without one last), so
  // that each can take the handle it had in the file.
  bool createRecordsAndEntities() {
    struct Item {
      std::uint64_t handle;
      size_t fileOrder;
      FileRecord* record;
      FileEntity* entity;
    };
    std::vector<Item> items;
    ids_.reserve(records_.size() + entities_.size());
    for (FileRecord& r : records_)
      items.push_back({r.handle.isNull() ? UINT64_MAX : r.handle.value(), items.size(), &r, nullptr});
    for (FileEntity& e : entities_)
      items.push_back({e.handle.isNull() ? UINT64_MAX : e.handle.value(), items.size(), nullptr, &e});
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
      return a.handle != b.handle ? a.handle < b.handle : a.fileOrder < b.fileOrder;
    });
    for (const Item& item : items) {
      bool ok = item.record != nullptr ? createRecord(*item.record) : createEntity(*item.entity);
      if (!ok) return false;
    }
    return true;
  }

  bool createRecord(FileRecord& r) {
    const DxfObj& obj = *r.obj;
    std::wstring name = obj.text(2);
    AcDbObjectId tableId;
    AcDbSymbolTableRecord* rec = nullptr;
    if (obj.type() == L"LAYER") {
      tableId = db_.layerTableId();
      rec = makeLayer(obj);
    } else if (obj.type() == L"LTYPE") {
      tableId = db_.linetypeTableId();
      rec = makeLinetype(obj);
    } else if (obj.type() == L"STYLE") {
      // A shape file entry (flag 1) is no text style.
      if ((obj.integer(70) & 1) != 0 || name.empty()) return true;
      tableId = db_.textStyleTableId();
      rec = makeStyle(obj);
    } else if (obj.type() == L"APPID") {
      tableId = db_.regAppTableId();
      rec = new AcDbRegAppTableRecord();
    } else {
      tableId = db_.blockTableId();
      rec = new AcDbBlockTableRecord();
      name = isPaperName(name) ? ACDB_PAPER_SPACE : ACDB_MODEL_SPACE;
    }
    aimHandle(r.handle);
    r.id = addRecord(tableId, rec, name);
    if (r.id.isNull()) ++summary_.skippedRecords;
    remember(r.handle, r.id);
    return true;
  }

  // Adds a record under its name; a name the table refuses (not valid, or there
  // already) leaves the record out.
  AcDbObjectId addRecord(const AcDbObjectId& tableId, AcDbSymbolTableRecord* rec, const std::wstring& name) {
    AcDbObjectId id;
    AcDbSymbolTable* table = nullptr;
    if (rec->setName(name.c_str()) != Acad::eOk || acdbOpenObject(table, tableId, AcDb::kForWrite) != Acad::eOk) {
      delete rec;
      return id;
    }
    if (table->add(id, rec) == Acad::eOk)
      rec->close();
    else
      delete rec;
    table->close();
    return id;
  }

  AcDbSymbolTableRecord* makeLayer(const DxfObj& obj) {
    auto* layer = new AcDbLayerTableRecord();
    auto flags = obj.integer(70);
    auto index = obj.integer(62, 7);
    AcCmColor color;
    if (color.setColorIndex(static_cast<Adesk::UInt16>(std::abs(index) >= 1 && std::abs(index) <= 255 ? std::abs(index) : 7)) !=
        Acad::eOk)
      color.setColorIndex(7);
    if (const AcDbDxfRawGroup* rgb = obj.find(420))
      color.setRGB((rgb->integer() >> 16) & 0xFF, (rgb->integer() >> 8) & 0xFF, rgb->integer() & 0xFF);
    layer->setColor(color);
    layer->setIsOff(index < 0);
    layer->setIsFrozen((flags & 1) != 0);
    layer->setIsLocked((flags & 4) != 0);
    layer->setIsPlottable(obj.integer(290, 1) != 0);
    if (const AcDbDxfRawGroup* lw = obj.find(370)) layer->setLineWeight(static_cast<AcDb::LineWeight>(lw->integer()));
    if (const AcDbDxfRawGroup* ps = obj.find(390)) {
      auto it = plotStyleNames_.find(static_cast<std::uint64_t>(ps->integer()));
      if (it != plotStyleNames_.end()) layer->setPlotStyleName(it->second.c_str());
    }
    return layer;
  }

  AcDbSymbolTableRecord* makeLinetype(const DxfObj& obj) {
    auto* lt = new AcDbLinetypeTableRecord();
    lt->setComments(obj.text(3).c_str());
    std::vector<double> dashes;
    for (const AcDbDxfRawGroup& g : obj.groups)
      if (g.code == 49) dashes.push_back(g.real());
    lt->setNumDashes(static_cast<int>(dashes.size()));
    for (size_t i = 0; i < dashes.size(); ++i) lt->setDashLengthAt(static_cast<int>(i), dashes[i]);
    return lt;
  }

  AcDbSymbolTableRecord* makeStyle(const DxfObj& obj) {
    auto* style = new AcDbTextStyleTableRecord();
    std::wstring font = obj.text(3);
    if (!font.empty()) style->setFileName(font.c_str());
    style->setTextSize(std::max(0.0, obj.real(40)));
    double x = obj.real(41, 1.0);
    style->setXScale(x > 0 ? x : 1.0);
    return style;
  }

  // Model or paper space, made on first need when the file has no record of it.
  AcDbObjectId space(bool paper) {
    AcDbObjectId& known = paper ? paperSpace_ : modelSpace_;
    if (!known.isNull()) return known;
    AcDbObjectId id = findRecord<AcDbBlockTable>(db_.blockTableId(), paper ? ACDB_PAPER_SPACE : ACDB_MODEL_SPACE);
    if (id.isNull()) id = addRecord(db_.blockTableId(), new AcDbBlockTableRecord(), paper ? ACDB_PAPER_SPACE : ACDB_MODEL_SPACE);
    known = id;
    return id;
  }

  template <typename Table>
  AcDbObjectId findRecord(const AcDbObjectId& tableId, const std::wstring& name) {
    AcDbObjectId id;
    Table* table = nullptr;
    if (name.empty() || acdbOpenObject(table, tableId, AcDb::kForRead) != Acad::eOk) return id;
    table->getAt(name.c_str(), id);
    table->close();
    return id;
  }

  bool createEntity(FileEntity& fe) {
    AcDbObjectId spaceId = space(fe.paper);
    AcRxObject* made = fe.cls->create();
    auto* ent = AcDbEntity::cast(made);
    if (ent == nullptr) {
      delete made;
      return fail(Acad::eBadFileFormat, fe.obj->line(), fe.obj->type() + L" cannot be made");
    }
    AcDbBlockTableRecord* btr = nullptr;
    if (acdbOpenObject(btr, spaceId, AcDb::kForWrite) != Acad::eOk) {
      delete ent;
      return fail(Acad::eBadFileFormat, fe.obj->line(), L"the entity's space cannot be opened");
    }
    aimHandle(fe.handle);
    Acad::ErrorStatus es = btr->appendAcDbEntity(fe.id, ent);
    btr->close();
    if (es != Acad::eOk) {
      delete ent;
      return fail(Acad::eBadFileFormat, fe.obj->line(),
                  fe.obj->type() + L" cannot be added: " + acutUtf8ToWide(acadErrorStatusText(es)));
    }
    ent->close();
    remember(fe.handle, fe.id);
    return true;
  }

  // The records every drawing has, for files that leave them out.
  bool createStandardRecords() {
    space(false);
    space(true);
    ensure<AcDbLinetypeTable>(db_.linetypeTableId(), L"ByBlock", [] { return new AcDbLinetypeTableRecord(); });
    ensure<AcDbLinetypeTable>(db_.linetypeTableId(), L"ByLayer", [] { return new AcDbLinetypeTableRecord(); });
    ensure<AcDbLinetypeTable>(db_.linetypeTableId(), L"Continuous", [] {
      auto* lt = new AcDbLinetypeTableRecord();
      lt->setComments(L"Solid line");
      return lt;
    });
    ensure<AcDbLayerTable>(db_.layerTableId(), L"0", [] { return new AcDbLayerTableRecord(); });
    ensure<AcDbTextStyleTable>(db_.textStyleTableId(), L"Standard", [] { return new AcDbTextStyleTableRecord(); });
    ensure<AcDbRegAppTable>(db_.regAppTableId(), L"ACAD", [] { return new AcDbRegAppTableRecord(); });
    if (!db_.hostResolveStandardRecords())
      return fail(Acad::eBadFileFormat, 0, L"the standard records of a drawing cannot be made");
    return true;
  }

  template <typename Table, typename Make>
  void ensure(const AcDbObjectId& tableId, const wchar_t* name, Make make) {
    if (findRecord<Table>(tableId, name).isNull()) addRecord(tableId, make(), name);
  }

  // Layers that entities name but the file's table leaves out (files of simple tools
  // have no tables at all), made as AutoCAD makes them: white and continuous.
  bool createMissingLayers() {
    // Each name is looked up once: the many entities of a file share few layers (the
    // same bytes in the file are the same name).
    std::unordered_set<std::string_view> checked;
    for (const FileEntity& fe : entities_) {
      const AcDbDxfRawGroup* g = fe.obj->find(8);
      if (g == nullptr || !checked.insert(std::string_view(g->value, g->length)).second) continue;
      std::wstring name = g->text();
      if (name.empty()) continue;
      if (!findRecord<AcDbLayerTable>(db_.layerTableId(), name).isNull()) continue;
      auto* layer = new AcDbLayerTableRecord();
      layer->setLinetypeObjectId(db_.continuousLinetype());
      addRecord(db_.layerTableId(), layer, name);
    }
    return true;
  }

  // Layers name their linetype, which may come later in the file than the layer.
  bool readLayers() {
    for (const FileRecord& r : records_) {
      if (r.id.isNull() || r.obj->type() != L"LAYER") continue;
      AcDbObjectId lt = findRecord<AcDbLinetypeTable>(db_.linetypeTableId(), r.obj->text(6));
      AcDbLayerTableRecord* layer = nullptr;
      if (acdbOpenObject(layer, r.id, AcDb::kForWrite) != Acad::eOk) continue;
      layer->setLinetypeObjectId(lt.isNull() ? db_.continuousLinetype() : lt);
      layer->close();
    }
    for (const FileRecord& r : records_)
      if (!r.id.isNull() && !readXData(r.id, *r.obj)) return false;
    return true;
  }

  // A reader over some groups of an object, its references translated to this
  // database's ids.
  // The groups are made in scratch, whose storage one object's read after another
  // reuses; the reader does not copy them.
  AcDbMemDxfReader& reader(std::span<const AcDbDxfRawGroup> groups, std::vector<AcDbDxfGroup>& scratch,
                           std::optional<AcDbMemDxfReader>& made) {
    scratch.resize(groups.size());
    for (size_t i = 0; i < groups.size(); ++i) acdbDxfGroupOf(groups[i], scratch[i]);
    AcDbMemDxfReader& r = made.emplace(scratch.data(), scratch.size(), &db_);
    r.setHandleResolver([this](std::uint64_t h) {
      auto it = ids_.find(h);
      return it == ids_.end() ? AcDbObjectId() : it->second;
    });
    return r;
  }

  // The groups an entity files itself: after its handle, reactors and owner, before its
  // extended data.
  static std::span<const AcDbDxfRawGroup> ownGroups(const DxfObj& obj) {
    std::span<const AcDbDxfRawGroup> g = obj.groups;
    size_t i = 1;
    while (i < g.size()) {
      int code = g[i].code;
      if (code == 5 || code == 105 || code == 330) {
        ++i;
      } else if (code == 102 && !g[i].text().empty() && g[i].text()[0] == L'{') {
        while (i < g.size() && !g[i].is(102, L"}")) ++i;
        ++i;
      } else {
        break;
      }
    }
    i = std::min(i, g.size());
    size_t end = i;
    while (end < g.size() && g[end].code != AcDb::kDxfRegAppName) ++end;
    return g.subspan(i, end - i);
  }

  bool readEntities() {
    for (FileEntity& fe : entities_) {
      AcDbEntity* ent = nullptr;
      if (acdbOpenObject(ent, fe.id, AcDb::kForWrite) != Acad::eOk)
        return fail(Acad::eBadFileFormat, fe.obj->line(), fe.obj->type() + L" cannot be opened after it was made");
      Acad::ErrorStatus es = readEntity(fe, ent);
      ent->close();
      if (es == Acad::eMakeMeProxy) {
        // A class that cannot take its data from DXF: leave it out rather than keep
        // an entity without its data.
        if (acdbOpenObject(ent, fe.id, AcDb::kForWrite) == Acad::eOk) {
          ent->erase();
          ent->close();
        }
        ++summary_.skippedEntities[fe.obj->type()];
        continue;
      }
      if (es != Acad::eOk)
        return fail(es == Acad::eBadDxfSequence ? es : Acad::eBadFileFormat, fe.obj->line(),
                    fe.obj->type() + L" cannot be read: " + acutUtf8ToWide(acadErrorStatusText(es)));
      if (!readXData(fe.id, *fe.obj)) return false;
      ++summary_.entitiesRead;
    }
    return true;
  }

  Acad::ErrorStatus readEntity(FileEntity& fe, AcDbEntity* ent) {
    const std::wstring& type = fe.obj->type();
    if (type == L"LWPOLYLINE") return readLightPolyline(*fe.obj, static_cast<AcDb2dPolyline*>(ent));
    if (type == L"TEXT") return readText(*fe.obj, static_cast<AcDbMText*>(ent));
    std::optional<AcDbMemDxfReader> made;
    AcDbMemDxfReader& filer = reader(ownGroups(*fe.obj), scratch_, made);
    Acad::ErrorStatus es = ent->dxfInFields(&filer);
    if (es == Acad::eOk) es = filer.filerStatus();
    if (es == Acad::eOk && !fe.vertices.empty()) {
      if (auto* pl = AcDb2dPolyline::cast(ent)) es = readVertices(fe, pl);
    }
    return es;
  }

  // Vertices made by curve or spline fitting (flags 1 and 8) are the fit's own; the
  // polyline makes them again from the vertices it was given.
  Acad::ErrorStatus readVertices(const FileEntity& fe, AcDb2dPolyline* pl) {
    for (const DxfObj* v : fe.vertices) {
      if ((v->integer(70) & (1 | 8)) != 0) continue;
      const AcDbDxfRawGroup* p = v->find(10);
      if (p == nullptr) continue;
      Acad::ErrorStatus es = pl->appendVertex(AcGePoint3d(p->point().x, p->point().y, pl->elevation()));
      if (es != Acad::eOk) return es;
    }
    return Acad::eOk;
  }

  // The layer, linetype and colour groups of an entity the host builds itself.
  Acad::ErrorStatus readCommonGroups(const DxfObj& obj, AcDbEntity* ent) {
    std::vector<AcDbDxfRawGroup> common;
    for (const AcDbDxfRawGroup& g : ownGroups(obj))
      if (isCommonEntityCode(g.code)) common.push_back(g);
    std::optional<AcDbMemDxfReader> made;
    return ent->AcDbEntity::dxfInFields(&reader(common, scratch_, made));
  }

  // A light polyline as a 2D polyline: its bulges are not kept (each segment is read
  // straight), nor its widths.
  Acad::ErrorStatus readLightPolyline(const DxfObj& obj, AcDb2dPolyline* pl) {
    Acad::ErrorStatus es = readCommonGroups(obj, pl);
    if (es != Acad::eOk) return es;
    double elevation = obj.real(38);
    pl->setElevation(elevation);
    for (const AcDbDxfRawGroup& g : obj.groups)
      if (g.code == 10 && (es = pl->appendVertex(AcGePoint3d(g.point().x, g.point().y, elevation))) != Acad::eOk) return es;
    if ((obj.integer(70) & 1) != 0) pl->makeClosed();
    return Acad::eOk;
  }

  // Single-line text as multiline text at the same place: its justification chooses
  // the attachment point.
  Acad::ErrorStatus readText(const DxfObj& obj, AcDbMText* text) {
    Acad::ErrorStatus es = readCommonGroups(obj, text);
    if (es != Acad::eOk) return es;
    auto h = obj.integer(72), v = obj.integer(73);
    const AcDbDxfRawGroup* first = obj.find(10);
    const AcDbDxfRawGroup* second = obj.find(11);
    bool justified = (h != 0 || v != 0) && h != 3 && h != 5 && second != nullptr;
    AcGePoint3d at = justified ? second->point() : (first ? first->point() : AcGePoint3d());
    int row = !justified ? 2 : (v == 3 ? 0 : (v == 2 || h == 4) ? 1 : 2);
    int col = !justified ? 0 : (h == 1 || h == 4) ? 1 : (h == 2 ? 2 : 0);
    text->setLocation(at);
    text->setAttachment(static_cast<AcDbMText::AttachmentPoint>(row * 3 + col + 1));
    double height = obj.real(40, 2.5);
    if (height > 0) text->setTextHeight(height);
    text->setRotation(obj.real(50) * M_PI / 180.0);
    text->setContents(obj.text(1).c_str());
    AcDbObjectId style = findRecord<AcDbTextStyleTable>(db_.textStyleTableId(), obj.text(7, L"Standard"));
    text->setTextStyle(style.isNull() ? db_.textstyle() : style);
    return Acad::eOk;
  }

  // Extended data: the groups from the first 1001 on, applications registered as needed.
  bool readXData(const AcDbObjectId& id, const DxfObj& obj) {
    std::span<const AcDbDxfRawGroup> g = obj.groups;
    size_t i = 0;
    while (i < g.size() && g[i].code != AcDb::kDxfRegAppName) ++i;
    if (i >= g.size()) return true;
    resbuf* head = nullptr;
    resbuf** tail = &head;
    std::span<const AcDbDxfRawGroup> items = g.subspan(i);
    for (const AcDbDxfRawGroup& x : items) {
      if (x.code < 1000) {
        acutRelRb(head);
        return fail(Acad::eBadDxfSequence, x.line, L"group " + std::to_wstring(x.code) + L" inside extended data");
      }
      if (x.code == AcDb::kDxfRegAppName) registerApp(x.text());
    }
    std::optional<AcDbMemDxfReader> made;
    AcDbMemDxfReader& filer = reader(items, scratch_, made);
    for (;;) {
      resbuf* rb = acutNewRb(0);
      if (filer.readItem(rb) != Acad::eOk) {
        acutRelRb(rb);
        break;
      }
      *tail = rb;
      tail = &rb->rbnext;
    }
    AcDbObject* obj2 = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(obj2, id, AcDb::kForWrite);
    if (es == Acad::eOk) {
      es = obj2->setXData(head);
      obj2->close();
    }
    acutRelRb(head);
    if (es != Acad::eOk)
      return fail(Acad::eBadDxfSequence, g[i].line,
                  L"the extended data cannot be kept: " + acutUtf8ToWide(acadErrorStatusText(es)));
    return true;
  }

  void registerApp(const std::wstring& name) {
    if (name.empty() || !findRecord<AcDbRegAppTable>(db_.regAppTableId(), name).isNull()) return;
    addRecord(db_.regAppTableId(), new AcDbRegAppTableRecord(), name);
  }

  bool readCurrentSettings() {
    AcDbObjectId id = findRecord<AcDbLayerTable>(db_.layerTableId(), clayer_);
    if (!id.isNull()) db_.setClayer(id);
    id = findRecord<AcDbLinetypeTable>(db_.linetypeTableId(), celtype_);
    if (!id.isNull()) db_.setCeltype(id);
    id = findRecord<AcDbTextStyleTable>(db_.textStyleTableId(), textstyle_);
    if (!id.isNull()) db_.setTextstyle(id);
    return true;
  }

  AcDbDatabase& db_;
  AcDbDxfInSummary& summary_;
  Acad::ErrorStatus status_ = Acad::eOk;
  std::wstring error_;

  std::vector<AcDbDxfRawGroup> groups_;  // the whole file; sections and objects point into it
  std::vector<AcDbDxfGroup> scratch_;     // the groups of the object being read
  std::vector<DxfSection> sections_;
  std::unordered_map<std::wstring, AcRxClass*> classes_;  // by entity type
  // As in the file, as read; a node's name stays where it is while the map grows.
  std::unordered_map<std::string, std::wstring> typeNames_;
  AcDbObjectId modelSpace_, paperSpace_;
  std::map<std::wstring, AcDbHandle> tableHandles_;
  std::vector<FileRecord> records_;
  std::vector<FileEntity> entities_;
  std::map<std::uint64_t, std::wstring> plotStyleNames_;
  std::unordered_set<std::uint64_t> seen_;
  AcDbHandle maxHandle_;
  AcDbHandle fileSeed_;
  std::wstring clayer_, celtype_, textstyle_;
  std::unordered_map<std::uint64_t, AcDbObjectId> ids_;  // handle in the file -> object read from it
};

}  // namespace

Acad::ErrorStatus acdbDxfInFromText(AcDbDatabase& db, const std::string& text, AcDbDxfInSummary* summary,
                                    std::wstring& error) {
  AcDbDxfInSummary local;
  AcDbDxfInSummary& s = summary != nullptr ? *summary : local;
  s = AcDbDxfInSummary();
  if (!db.stubs().empty()) {
    // Reading over a drawing would mix two sets of handles.
    error = L"the database already holds a drawing";
    return Acad::eInvalidInput;
  }
  Acad::ErrorStatus es = DxfIn(db, s).run(text, error);
  if (es != Acad::eOk) {
    db.hostClear();
    s = AcDbDxfInSummary();
  }
  return es;
}
