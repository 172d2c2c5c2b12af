// The class registry: descriptors, the system registry with its class dictionary,
// and the registration of the host's own classes.
#include "arx/rx.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <vector>

#include "arx/aced_print.h"

namespace {

// Owns the descriptors of the host's built-in classes (plug-in descriptors are owned
// by whoever called newAcRxClass).
std::vector<std::unique_ptr<AcRxClass>>& hostClasses() {
  static std::vector<std::unique_ptr<AcRxClass>> classes;
  return classes;
}

struct HostClassRow {
  const wchar_t* name;
  const wchar_t* parent;
  const wchar_t* dxfName;
};

// The host's classes with their parents, registered on first use so that no static
// initialisation order matters. Classes whose objects the host creates by name (when
// reading a file) have a constructor in hostClassConstructor().
const HostClassRow kHostClasses[] = {
    {L"AcRxObject", L"", L""},
    {L"AcRxClass", L"AcRxObject", L""},
    {L"AcRxDictionary", L"AcRxObject", L""},
    {L"AcDbDwgFiler", L"AcRxObject", L""},
    {L"AcDbMemDwgFiler", L"AcDbDwgFiler", L""},
    {L"AcDbDxfFiler", L"AcRxObject", L""},
    {L"AcGiDrawable", L"AcRxObject", L""},
    {L"AcDbDatabase", L"AcRxObject", L""},
    {L"AcDbObject", L"AcGiDrawable", L""},
    {L"AcDbEntity", L"AcDbObject", L""},
    {L"AcDbCurve", L"AcDbEntity", L""},
    {L"AcDbLine", L"AcDbCurve", L"LINE"},
    {L"AcDbArc", L"AcDbCurve", L"ARC"},
    {L"AcDbCircle", L"AcDbCurve", L"CIRCLE"},
    {L"AcDb2dPolyline", L"AcDbCurve", L"POLYLINE"},
    {L"AcDbMText", L"AcDbEntity", L"MTEXT"},
    {L"AcDbProxyObject", L"AcDbObject", L"ACAD_PROXY_OBJECT"},
    {L"AcDbProxyEntity", L"AcDbEntity", L"ACAD_PROXY_ENTITY"},
    {L"AcDbSymbolTable", L"AcDbObject", L"TABLE"},
    {L"AcDbBlockTable", L"AcDbSymbolTable", L"TABLE"},
    {L"AcDbLayerTable", L"AcDbSymbolTable", L"TABLE"},
    {L"AcDbLinetypeTable", L"AcDbSymbolTable", L"TABLE"},
    {L"AcDbTextStyleTable", L"AcDbSymbolTable", L"TABLE"},
    {L"AcDbRegAppTable", L"AcDbSymbolTable", L"TABLE"},
    {L"AcDbSymbolTableRecord", L"AcDbObject", L""},
    {L"AcDbBlockTableRecord", L"AcDbSymbolTableRecord", L"BLOCK_RECORD"},
    {L"AcDbLayerTableRecord", L"AcDbSymbolTableRecord", L"LAYER"},
    {L"AcDbLinetypeTableRecord", L"AcDbSymbolTableRecord", L"LTYPE"},
    {L"AcDbTextStyleTableRecord", L"AcDbSymbolTableRecord", L"STYLE"},
    {L"AcDbRegAppTableRecord", L"AcDbSymbolTableRecord", L"APPID"},
};

bool hostClassesRegistered = false;

}  // namespace

// Defined in host_classes.cpp: the constructor of a host class that the host makes
// by name, or null for abstract ones.
AcRxPseudoConstructor hostClassConstructor(const std::wstring& name);

AcRxDictionary* acrxSysRegistry() {
  static AcRxDictionary* registry = [] {
    auto* reg = new AcRxDictionary();
    reg->atPut(ACRX_CLASS_DICTIONARY, new AcRxDictionary());
    return reg;
  }();
  return registry;
}

AcRxDictionary* acrxClassDictionary() {
  return static_cast<AcRxDictionary*>(acrxSysRegistry()->at(ACRX_CLASS_DICTIONARY));
}

static void registerHostClasses() {
  if (hostClassesRegistered) return;
  hostClassesRegistered = true;
  AcRxDictionary* dict = acrxClassDictionary();
  for (const HostClassRow& row : kHostClasses) {
    auto cls = std::make_unique<AcRxClass>(row.name, nullptr, 0, 0, 0, hostClassConstructor(row.name),
                                           row.dxfName, L"ObjectDBX Classes", row.parent);
    dict->atPut(row.name, cls.get());
    hostClasses().push_back(std::move(cls));
  }
  for (auto& cls : hostClasses()) cls->resolveParent();
}

AcRxClass* acrxFindClass(const ACHAR* name) {
  registerHostClasses();
  if (name == nullptr) return nullptr;
  return AcRxClass::cast(acrxClassDictionary()->at(name));
}

AcRxClass* acrxFindHostClass(const ACHAR* name) { return acrxFindClass(name); }

AcRxClass* acrxFindClassByDxfName(const ACHAR* dxfName) {
  registerHostClasses();
  if (dxfName == nullptr || *dxfName == 0) return nullptr;
  for (const auto& [key, obj] : acrxClassDictionary()->entries()) {
    AcRxClass* cls = AcRxClass::cast(obj);
    if (cls != nullptr && cls->isConcrete() && wcscmp(cls->dxfName(), dxfName) == 0) return cls;
  }
  return nullptr;
}

AcRxClass* AcRxObject::desc() { return acrxFindHostClass(L"AcRxObject"); }
AcRxClass* AcRxObject::isA() const { return AcRxObject::desc(); }
bool AcRxObject::isKindOf(const AcRxClass* cls) const {
  const AcRxClass* mine = isA();
  return mine != nullptr && cls != nullptr && mine->isDerivedFrom(cls);
}

AcRxClass::AcRxClass(const std::wstring& name, AcRxClass* parent, int dwgVersion, int maintVersion,
                     int proxyFlags, AcRxPseudoConstructor ctor, const std::wstring& dxfName,
                     const std::wstring& appName, const std::wstring& parentName)
    : name_(name),
      parent_(parent),
      parentName_(parentName),
      dwgVersion_(dwgVersion),
      maintVersion_(maintVersion),
      proxyFlags_(proxyFlags),
      ctor_(ctor),
      dxfName_(dxfName),
      appName_(appName) {}

AcRxClass* AcRxClass::desc() { return acrxFindHostClass(L"AcRxClass"); }
AcRxClass* AcRxClass::isA() const { return AcRxClass::desc(); }
AcRxClass* AcRxClass::cast(const AcRxObject* p) {
  // Descriptors are the one kind of object the registry must recognise before the
  // registry itself exists, so this cast is by dynamic type.
  return const_cast<AcRxClass*>(dynamic_cast<const AcRxClass*>(p));
}

bool AcRxClass::isDerivedFrom(const AcRxClass* other) const {
  for (const AcRxClass* c = this; c != nullptr; c = c->parent_)
    if (c == other) return true;
  return false;
}

void AcRxClass::resolveParent() {
  if (parent_ == nullptr && !parentName_.empty()) parent_ = acrxFindClass(parentName_.c_str());
}

AcRxClass* AcRxDictionary::desc() { return acrxFindHostClass(L"AcRxDictionary"); }
AcRxClass* AcRxDictionary::isA() const { return AcRxDictionary::desc(); }
AcRxDictionary* AcRxDictionary::cast(const AcRxObject* p) {
  return const_cast<AcRxDictionary*>(dynamic_cast<const AcRxDictionary*>(p));
}

AcRxObject* AcRxDictionary::at(const ACHAR* key) const {
  if (key == nullptr) return nullptr;
  auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : it->second;
}

AcRxObject* AcRxDictionary::atPut(const ACHAR* key, AcRxObject* obj) {
  if (key == nullptr) return nullptr;
  AcRxObject* old = at(key);
  entries_[key] = obj;
  return old;
}

AcRxObject* AcRxDictionary::remove(const ACHAR* key) {
  if (key == nullptr) return nullptr;
  auto it = entries_.find(key);
  if (it == entries_.end()) return nullptr;
  AcRxObject* old = it->second;
  entries_.erase(it);
  return old;
}

AcRxClass* newAcRxClass(const ACHAR* className, const ACHAR* parentClassName, int dwgVersion,
                        int maintVersion, int proxyFlags, AcRxPseudoConstructor ctor, const ACHAR* dxfName,
                        const ACHAR* appName) {
  registerHostClasses();
  if (className == nullptr || *className == 0) return nullptr;
  AcRxClass* parent = acrxFindClass(parentClassName);
  auto* cls = new AcRxClass(className, parent, dwgVersion, maintVersion, proxyFlags, ctor,
                            dxfName ? dxfName : L"", appName ? appName : L"",
                            parentClassName ? parentClassName : L"");
  acrxClassDictionary()->atPut(className, cls);
  return cls;
}

void deleteAcRxClass(AcRxClass* cls) {
  if (cls == nullptr) return;
  AcRxDictionary* dict = acrxClassDictionary();
  if (dict->at(cls->name()) == cls) dict->remove(cls->name());
  delete cls;
}

void acrxBuildClassHierarchy() {
  registerHostClasses();
  for (const auto& [key, obj] : acrxClassDictionary()->entries()) {
    if (AcRxClass* cls = AcRxClass::cast(obj)) cls->resolveParent();
  }
}

void acrx_abort(const ACHAR* format, ...) {
  wchar_t buf[1024];
  va_list args;
  va_start(args, format);
  std::vswprintf(buf, sizeof buf / sizeof buf[0], format, args);
  va_end(args);
  std::string text = acutWideToUtf8(buf);
  std::fprintf(stderr, "\nFatal error: %s\n", text.c_str());
  std::fflush(stderr);
  std::abort();
}
