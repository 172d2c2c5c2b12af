// Group lists of objects for entget and entmake: a DXF filer that collects what an
// object writes as LISP pairs, and the way back through the host's DXF reader.
#include "lisp/lisp_entity_data.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>

#include "arx/db_entities.h"
#include "arx/dxf_filer_mem.h"
#include "lisp/lisp_args.h"
#include "lisp/lisp_entity_support.h"
#include "lisp/lisp_printer.h"
#include "lisp/lisp_resbuf.h"

namespace {

constexpr double kDegreesPerRadian = 180.0 / M_PI;

bool isAngleCode(int code) { return code >= 50 && code <= 58; }

// One written group as the LISP pair (CODE . VALUE); a point's pair is the list
// (CODE X Y Z).
LispValue pair(int code, LispValue value) { return LispValue::cons(LispValue::integer(code), std::move(value)); }

// A DXF filer that writes into a list of pairs: the host's filer for entity data lists
// (the bag filer). It reads nothing.
class LispGroupCollector : public AcDbDxfFiler {
 public:
  explicit LispGroupCollector(AcDbDatabase* db) : db_(db) {}

  const LispArgs& groups() const { return groups_; }

  Acad::ErrorStatus filerStatus() const override { return status_; }
  AcDb::FilerType filerType() const override { return AcDb::kBagFiler; }
  void setFilerStatus(Acad::ErrorStatus es) override { status_ = es; }
  void resetFilerStatus() override { status_ = Acad::eOk; }
  AcDbDatabase* database() const override { return db_; }
  // Reals keep their full value: a list is data, not text.
  int precision() const override { return 16; }
  void setPrecision(int) override {}

  Acad::ErrorStatus readItem(resbuf*) override { return Acad::eNotApplicable; }
  Acad::ErrorStatus pushBackItem() override { return Acad::eNotApplicable; }
  bool atSubclassData(const ACHAR*) override { return false; }
  bool atEOF() override { return true; }
  bool atEndOfObject() override { return true; }

  // A buffer of any group kind, as extended data and plug-ins hand them over.
  Acad::ErrorStatus writeItem(const resbuf& item) override {
    if (acutRbValueKind(item.restype) == RbValueKind::kNone || item.restype >= 5000) return fail(Acad::eInvalidDxfCode);
    if (acutRbValueKind(item.restype) == RbValueKind::kReal) return writeDouble(static_cast<AcDb::DxfCode>(item.restype), item.resval.rreal);
    resbuf one = item;
    one.rbnext = nullptr;
    LispArgs values;
    std::wstring error;
    if (!lispValuesFromResbuf(&one, values, error) || values.size() != 1) return fail(Acad::eInvalidDxfCode);
    return add(values[0]);
  }
  using AcDbDxfFiler::writeItem;
  Acad::ErrorStatus writeString(AcDb::DxfCode code, const ACHAR* value) override {
    return add(pair(code, LispValue::string(value != nullptr ? value : L"")));
  }
  using AcDbDxfFiler::writeString;
  Acad::ErrorStatus writeBool(AcDb::DxfCode code, bool value) override { return addInt(code, value ? 1 : 0); }
  Acad::ErrorStatus writeInt8(AcDb::DxfCode code, Adesk::Int8 value) override { return addInt(code, value); }
  Acad::ErrorStatus writeInt16(AcDb::DxfCode code, Adesk::Int16 value) override { return addInt(code, value); }
  Acad::ErrorStatus writeInt32(AcDb::DxfCode code, Adesk::Int32 value) override { return addInt(code, value); }
  Acad::ErrorStatus writeUInt16(AcDb::DxfCode code, Adesk::UInt16 value) override { return addInt(code, value); }
  // LISP integers have 32 bits: the bits are kept, as the host passes them.
  Acad::ErrorStatus writeUInt32(AcDb::DxfCode code, Adesk::UInt32 value) override {
    return addInt(code, static_cast<std::int32_t>(value));
  }
  Acad::ErrorStatus writeDouble(AcDb::DxfCode code, double value, int = kDfltPrec) override {
    return add(pair(code, LispValue::real(isAngleCode(code) ? value / kDegreesPerRadian : value)));
  }
  Acad::ErrorStatus writePoint2d(AcDb::DxfCode code, const AcGePoint2d& value, int = kDfltPrec) override {
    return add(pair(code, LispValue::list({LispValue::real(value.x), LispValue::real(value.y)})));
  }
  Acad::ErrorStatus writePoint3d(AcDb::DxfCode code, const AcGePoint3d& value, int = kDfltPrec) override {
    return add(pair(code, lispPoint3d(value)));
  }
  Acad::ErrorStatus writeVector3d(AcDb::DxfCode code, const AcGeVector3d& value, int = kDfltPrec) override {
    return add(pair(code, lispVector3d(value)));
  }
  // A null reference has no entity name; the host leaves such a group out.
  Acad::ErrorStatus writeObjectId(AcDb::DxfCode code, const AcDbObjectId& id) override {
    return id.isNull() ? status_ : add(pair(code, LispValue::ename(id)));
  }
  Acad::ErrorStatus writeAcDbHandle(AcDb::DxfCode code, const AcDbHandle& handle) override {
    return add(pair(code, LispValue::string(handle.text())));
  }

 private:
  Acad::ErrorStatus add(LispValue group) {
    if (status_ != Acad::eOk) return status_;
    groups_.push_back(std::move(group));
    return Acad::eOk;
  }
  Acad::ErrorStatus addInt(int code, std::int32_t value) { return add(pair(code, LispValue::integer(value))); }
  Acad::ErrorStatus fail(Acad::ErrorStatus es) {
    if (status_ == Acad::eOk) status_ = es;
    return status_;
  }

  AcDbDatabase* db_;
  LispArgs groups_;
  Acad::ErrorStatus status_ = Acad::eOk;
};

// The pair of one extended-data buffer.
LispValue xdataPair(const resbuf* rb) {
  resbuf one = *rb;
  one.rbnext = nullptr;
  LispArgs values;
  std::wstring error;
  if (!lispValuesFromResbuf(&one, values, error) || values.size() != 1) return LispValue();
  return values[0];
}

// Adds the sections of a chain that starts with 1001 items: ("APP" pairs ...).
void appendXDataSections(resbuf* chain, LispArgs& sections) {
  std::unique_ptr<resbuf, int (*)(resbuf*)> owned(chain, acutRelRb);
  LispArgs section;
  auto flush = [&] {
    if (!section.empty()) sections.push_back(LispValue::list(section));
    section.clear();
  };
  for (const resbuf* rb = chain; rb != nullptr; rb = rb->rbnext) {
    if (rb->restype == AcDb::kDxfRegAppName) {
      flush();
      section.push_back(LispValue::string(rb->resval.rstring != nullptr ? rb->resval.rstring : L""));
    } else if (!section.empty()) {
      LispValue p = xdataPair(rb);
      if (!p.isNil()) section.push_back(p);
    }
  }
  flush();
}

LispValue xdataGroup(const AcDbObject* object, const LispArgs& applications) {
  LispArgs sections;
  for (const LispValue& app : applications) {
    const std::wstring& name = lispStringArg(app);
    appendXDataSections(object->xData(name == L"*" ? nullptr : name.c_str()), sections);
  }
  if (sections.empty()) return LispValue();
  return LispValue::cons(LispValue::integer(-3), LispValue::list(sections));
}

}  // namespace

LispValue lispObjectGroups(const AcDbObject* object, const LispArgs& applications) {
  AcRxClass* cls = object->isA();
  std::wstring type = cls != nullptr ? cls->dxfName() : L"";
  if (type.empty()) type = lispClassName(object);
  LispGroupCollector collector(object->database());
  collector.writeItem(static_cast<AcDb::DxfCode>(-1), object->objectId());
  collector.writeString(AcDb::kDxfStart, type);
  collector.writeObjectId(AcDb::kDxfSoftPointerId, object->ownerId());
  collector.writeAcDbHandle(AcDb::kDxfHandle, object->objectHandle());
  Acad::ErrorStatus es = object->dxfOutFields(&collector);
  if (es == Acad::eOk) es = collector.filerStatus();
  if (es != Acad::eOk) lispStatusError(L"entget", L"the object could not be listed", es);
  LispArgs groups = collector.groups();
  if (const AcDb2dPolyline* pl = AcDb2dPolyline::cast(object)) {
    for (int i = 0; i < pl->numVerts(); ++i) groups.push_back(pair(10, lispPoint3d(pl->vertexAt(i))));
  }
  LispValue xdata = xdataGroup(object, applications);
  if (!xdata.isNil()) groups.push_back(xdata);
  return LispValue::list(groups);
}

// ---- from groups to an entity ------------------------------------------------------

namespace {

[[noreturn]] void badGroup(const LispValue& group) { throw LispError(L"bad DXF group: " + lispToString(group)); }

// The reader's form of one (CODE . VALUE) pair; the value must be of the code's kind.
AcDbDxfGroup readerGroup(const LispValue& group, int code) {
  const LispValue& value = group.cdr();
  AcDbDxfGroup g;
  g.code = code;
  g.kind = acutRbValueKind(code);
  switch (g.kind) {
    case RbValueKind::kString:
      if (!value.isString()) badGroup(group);
      g.text = value.text();
      break;
    case RbValueKind::kReal:
      if (!value.isNumber() || !std::isfinite(value.numberValue())) badGroup(group);
      g.real = isAngleCode(code) ? value.numberValue() * kDegreesPerRadian : value.numberValue();
      break;
    case RbValueKind::kPoint: {
      LispArgs items;
      if (!lispListItems(value, items) || items.size() < 2 || items.size() > 3) badGroup(group);
      double xyz[3] = {0, 0, 0};
      for (size_t k = 0; k < items.size(); ++k) {
        if (!items[k].isNumber() || !std::isfinite(items[k].numberValue())) badGroup(group);
        xyz[k] = items[k].numberValue();
      }
      g.point = AcGePoint3d(xyz[0], xyz[1], xyz[2]);
      break;
    }
    case RbValueKind::kShort:
      if (!value.isInt() || value.intValue() < std::numeric_limits<short>::min() ||
          value.intValue() > std::numeric_limits<short>::max())
        badGroup(group);
      g.integer = value.intValue();
      break;
    case RbValueKind::kLong:
    case RbValueKind::kInt64:
      if (!value.isInt()) badGroup(group);
      g.integer = value.intValue();
      break;
    case RbValueKind::kName:
      // A reference must name an object of this drawing; the reader finds it by handle.
      if (!value.isEname()) badGroup(group);
      g.integer = static_cast<std::int64_t>(lispObjectArg(value).handle().value());
      break;
    default: badGroup(group);
  }
  return g;
}

// The type named by group 0 (empty when there is none).
std::wstring typeOf(const LispArgs& groups) {
  for (const LispValue& group : groups) {
    if (!group.isCons() || !group.car().isInt()) badGroup(group);
    if (group.car().intValue() != 0) continue;
    if (!group.cdr().isString()) badGroup(group);
    return group.cdr().text();
  }
  return L"";
}

// A layer the list names that the drawing does not have is made, as the host's entmake
// makes it; false when it cannot be (a name the layer table refuses).
bool ensureLayer(const LispArgs& groups, AcDbDatabase* db) {
  for (const LispValue& group : groups) {
    if (!group.car().isInt() || group.car().intValue() != 8 || !group.cdr().isString()) continue;
    const std::wstring& name = group.cdr().text();
    AcDbLayerTable* table = nullptr;
    if (db->getLayerTable(table, AcDb::kForWrite) != Acad::eOk) return false;
    Acad::ErrorStatus es = Acad::eOk;
    if (!table->has(name.c_str())) {
      auto* layer = new AcDbLayerTableRecord();
      es = layer->setName(name.c_str());
      if (es == Acad::eOk) es = table->add(layer);
      if (es == Acad::eOk) layer->close();
      else delete layer;
    }
    table->close();
    return es == Acad::eOk;
  }
  return true;
}

// Groups every entity has, which its own section of the list follows the layer with.
bool isCommonEntityCode(int code) {
  return code == 6 || code == 48 || code == 60 || code == 62 || code == 370 || code == 420 || code == 440;
}

}  // namespace

LispArgs lispMergedGroups(const LispArgs& current, const LispArgs& changes) {
  LispArgs merged = current;
  std::map<int, int> seen;  // how many groups of each code the changes gave so far
  for (const LispValue& change : changes) {
    if (!change.isCons() || !change.car().isInt()) badGroup(change);
    int code = change.car().intValue();
    if (code == -3) throw LispError(L"entmod: extended data (-3) cannot be given here");
    if (code == -1 || code == 0 || code == 5 || code == 330 || code == 100) continue;
    int wanted = seen[code]++;
    auto at = merged.begin();
    for (int found = -1; at != merged.end(); ++at) {
      if (at->car().isInt() && at->car().intValue() == code && ++found == wanted) break;
    }
    if (at != merged.end()) {
      *at = change;
      continue;
    }
    auto layer = std::find_if(merged.begin(), merged.end(), [](const LispValue& g) { return g.car().isInt() && g.car().intValue() == 8; });
    merged.insert(isCommonEntityCode(code) && layer != merged.end() ? layer + 1 : merged.end(), change);
  }
  return merged;
}

AcDbEntity* lispEntityFromGroups(const LispArgs& groups, AcDbDatabase* db) {
  std::wstring type = lispUpperName(typeOf(groups));
  AcRxClass* cls = type.empty() ? nullptr : acrxFindClassByDxfName(type.c_str());
  if (cls == nullptr || !cls->isDerivedFrom(AcDbEntity::desc())) return nullptr;
  if (!ensureLayer(groups, db)) return nullptr;
  bool isPolyline = cls->isDerivedFrom(AcDb2dPolyline::desc());

  std::vector<AcDbDxfGroup> data;
  std::vector<AcGePoint3d> vertices;
  bool seenOwnPoint = false;
  for (const LispValue& group : groups) {
    if (!group.isCons() || !group.car().isInt()) badGroup(group);
    int code = group.car().intValue();
    if (code == -3) throw LispError(L"entmake: extended data (-3) cannot be given here");
    if (code == 0 || code == -1 || code == 5 || code == 330) continue;
    AcDbDxfGroup g = readerGroup(group, code);
    // Only a polyline takes the groups 10 after its own as its vertices.
    if (isPolyline && code == 10 && seenOwnPoint) {
      vertices.push_back(g.point);
      continue;
    }
    if (code == 10) seenOwnPoint = true;
    data.push_back(std::move(g));
  }

  std::unique_ptr<AcRxObject> made(cls->create());
  AcDbEntity* entity = AcDbEntity::cast(made.get());
  if (entity == nullptr) return nullptr;
  entity->setDatabaseDefaults(db);
  AcDbMemDxfReader reader(std::move(data), db, AcDb::kBagFiler);
  if (entity->dxfInFields(&reader) != Acad::eOk) return nullptr;
  if (auto* polyline = AcDb2dPolyline::cast(entity)) {
    for (const AcGePoint3d& p : vertices)
      if (polyline->appendVertex(AcGePoint3d(p.x, p.y, polyline->elevation())) != Acad::eOk) return nullptr;
  }
  made.release();
  return entity;
}
