// Reading and writing the host's native drawing file (.hdw): AcDbDatabase::saveAs and
// AcDbDatabase::readDwgFile over the container of hdw_format.h.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <stdexcept>

#include "arx/file_replace.h"
#include "arx/aced_print.h"
#include "arx/db_database.h"
#include "arx/db_proxy.h"
#include "arx/dwg_filer_mem.h"
#include "arx/hdw_format.h"

namespace {

// ---- saving -------------------------------------------------------------------------

// The class entry an object is saved under: a proxy goes back under the class it
// stands for, so that a host that knows that class reads it normally again.
HdwClassEntry classEntryOf(const AcDbObject* obj) {
  HdwClassEntry e;
  const AcDbProxyData* proxy = nullptr;
  if (const AcDbProxyEntity* pe = AcDbProxyEntity::cast(obj)) proxy = &pe->proxyData();
  if (const AcDbProxyObject* po = AcDbProxyObject::cast(obj)) proxy = &po->proxyData();
  if (proxy != nullptr) {
    // A proxy made by hand rather than read stands for nothing but itself.
    e.name = proxy->className.empty() ? std::wstring(obj->isA()->name()) : proxy->className;
    e.dxfName = proxy->dxfName;
    e.appName = proxy->appName;
    e.proxyFlags = proxy->proxyFlags;
    e.isEntity = AcDbProxyEntity::cast(obj) != nullptr;
    return e;
  }
  const AcRxClass* cls = obj->isA();
  e.name = cls->name();
  e.dxfName = cls->dxfName();
  e.appName = cls->appName();
  e.proxyFlags = cls->proxyFlags();
  e.isEntity = cls->isDerivedFrom(AcDbEntity::desc());
  return e;
}

class HdwWriter {
 public:
  explicit HdwWriter(AcDbDatabase& db) : db_(db) {}

  Acad::ErrorStatus collect(HdwContainer& out, std::wstring& error) {
    HdwHeader& h = out.header;
    h.handseed = db_.handseed();
    h.blockTable = db_.blockTableId().handle();
    h.layerTable = db_.layerTableId().handle();
    h.linetypeTable = db_.linetypeTableId().handle();
    h.textStyleTable = db_.textStyleTableId().handle();
    h.regAppTable = db_.regAppTableId().handle();
    h.clayer = db_.clayer().handle();
    h.celtype = db_.celtype().handle();
    h.textstyle = db_.textstyle().handle();
    for (AcDbStub* stub : db_.stubs()) {
      if (stub->object == nullptr || stub->erased) continue;
      Acad::ErrorStatus es = addObject(out, stub->object, error);
      if (es != Acad::eOk) return es;
    }
    return Acad::eOk;
  }

 private:
  Acad::ErrorStatus addObject(HdwContainer& out, const AcDbObject* obj, std::wstring& error) {
    if (obj->isA() == nullptr) {
      // Its module unregistered the class while the drawing still held its objects.
      error = L"object " + obj->objectHandle().text() + L" has a class that is no longer registered";
      return Acad::eNotThatKindOfClass;
    }
    HdwClassEntry cls = classEntryOf(obj);
    HdwObjectEntry entry;
    entry.classIndex = classIndex(out, cls);
    entry.handle = obj->objectHandle();
    entry.ownerHandle = obj->ownerId().handle();
    AcDbMemDwgFiler filer(AcDb::kFileFiler, &db_);
    Acad::ErrorStatus es;
    std::wstring why;
    try {
      // The host files objects whether or not anyone has them open.
      AcDbObject::HostAccess access(obj);
      es = obj->dwgOutFields(&filer);
      if (es == Acad::eOk) es = filer.filerStatus();
      why = acutUtf8ToWide(acadErrorStatusText(es));
    } catch (const std::exception& e) {
      es = Acad::eInvalidInput;
      why = L"it threw " + acutUtf8ToWide(e.what());
    }
    if (es != Acad::eOk) {
      error = L"object " + entry.handle.text() + L" (" + cls.name + L") could not be filed: " + why;
      return es;
    }
    entry.bytes = filer.takeBytes();
    out.objects.push_back(std::move(entry));
    return Acad::eOk;
  }

  std::uint32_t classIndex(HdwContainer& out, const HdwClassEntry& cls) {
    auto it = indexes_.find(cls.name);
    if (it != indexes_.end()) return it->second;
    auto index = static_cast<std::uint32_t>(out.classes.size());
    out.classes.push_back(cls);
    indexes_.emplace(cls.name, index);
    return index;
  }

  AcDbDatabase& db_;
  std::map<std::wstring, std::uint32_t> indexes_;
};

Acad::ErrorStatus writeFileReplacing(const std::string& path, const std::vector<unsigned char>& bytes,
                                     std::wstring& error) {
  return acdbWriteFileReplacing(path, bytes.data(), bytes.size(), error, ".saving");
}

// ---- reading ------------------------------------------------------------------------

Acad::ErrorStatus readWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::wstring& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = L"the file cannot be opened (missing or not readable)";
    return Acad::eFileNotFound;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = L"the file cannot be read";
    return Acad::eFileAccessErr;
  }
  return Acad::eOk;
}

// Builds the objects of a parsed container into an empty database.
class HdwLoader {
 public:
  HdwLoader(AcDbDatabase& db, const HdwContainer& file) : db_(db), file_(file) {}

  // Answers false with the reason in error; the caller then clears the database.
  bool load(std::wstring& error) {
    return createStubs(error) && readObjects(error) && bindTables(error) && bindCurrentSettings(error);
  }

 private:
  // Every handle gets its stub before any object is read, so that a reference to an
  // object later in the file resolves.
  bool createStubs(std::wstring& error) {
    for (const HdwObjectEntry& o : file_.objects) {
      AcDbObjectId id;
      if (db_.getAcDbObjectId(id, true, o.handle) != Acad::eOk || id.stub() == nullptr) {
        error = L"no object can be made for handle " + o.handle.text();
        return false;
      }
      if (maxHandle_ < o.handle) maxHandle_ = o.handle;
    }
    return true;
  }

  bool readObjects(std::wstring& error) {
    for (const HdwObjectEntry& o : file_.objects) {
      if (!readObject(o, error)) return false;
    }
    return true;
  }

  bool readObject(const HdwObjectEntry& o, std::wstring& error) {
    const HdwClassEntry& cls = file_.classes[o.classIndex];
    AcDbStub* stub = db_.stubFor(o.handle);
    AcDbObjectId owner;
    if (!o.ownerHandle.isNull() && db_.getAcDbObjectId(owner, false, o.ownerHandle) != Acad::eOk) {
      error = L"object " + o.handle.text() + L" (" + cls.name + L") belongs to " + o.ownerHandle.text() +
              L", which is not in the file";
      return false;
    }

    std::unique_ptr<AcDbObject> obj = instantiate(cls);
    Acad::ErrorStatus es = obj ? fileIn(stub, *obj, owner, o.bytes) : Acad::eMakeMeProxy;
    if (es == Acad::eMakeMeProxy) {
      bool isEntity = obj ? AcDbEntity::cast(obj.get()) != nullptr : cls.isEntity;
      obj = makeProxy(cls, isEntity);
      es = fileIn(stub, *obj, owner, o.bytes);
    }
    if (es != Acad::eOk) {
      error = L"object " + o.handle.text() + L" (" + cls.name + L") cannot be read: " +
              acutUtf8ToWide(acadErrorStatusText(es));
      return false;
    }
    if (db_.hostAttachObject(stub, obj.get()) != Acad::eOk) {
      error = L"object " + o.handle.text() + L" (" + cls.name + L") cannot be added to the drawing";
      return false;
    }
    obj.release();
    return true;
  }

  // A new object of the named class, or null when the host cannot make one: the class
  // is not registered, has no constructor, or is a proxy class, whose objects are only
  // ever saved under the class they stand for.
  static std::unique_ptr<AcDbObject> instantiate(const HdwClassEntry& cls) {
    const AcRxClass* rx = acrxFindClass(cls.name.c_str());
    if (rx == nullptr || rx->isDerivedFrom(AcDbProxyObject::desc()) || rx->isDerivedFrom(AcDbProxyEntity::desc()))
      return nullptr;
    AcRxObject* made = rx->create();
    AcDbObject* obj = AcDbObject::cast(made);
    if (obj == nullptr) delete made;
    return std::unique_ptr<AcDbObject>(obj);
  }

  static std::unique_ptr<AcDbObject> makeProxy(const HdwClassEntry& cls, bool isEntity) {
    AcDbProxyData data;
    data.className = cls.name;
    data.dxfName = cls.dxfName;
    data.appName = cls.appName;
    data.proxyFlags = cls.proxyFlags;
    if (isEntity) {
      auto proxy = std::make_unique<AcDbProxyEntity>();
      proxy->proxyData() = std::move(data);
      return proxy;
    }
    auto proxy = std::make_unique<AcDbProxyObject>();
    proxy->proxyData() = std::move(data);
    return proxy;
  }

  // Reads an object's bytes into it. The object is bound to its id for the read (so
  // that it knows its database and handle) but is only attached to the stub once it
  // has read well, so that an object asking to be a proxy can be replaced.
  Acad::ErrorStatus fileIn(AcDbStub* stub, AcDbObject& obj, const AcDbObjectId& owner,
                           const std::vector<unsigned char>& bytes) {
    obj.hostBind(AcDbObjectId(stub), false);
    Acad::ErrorStatus es;
    try {
      AcDbObject::HostAccess access(&obj);
      obj.setOwnerId(owner);
      AcDbMemDwgFiler filer(bytes, AcDb::kFileFiler, &db_);
      es = obj.dwgInFields(&filer);
    } catch (const std::exception&) {
      // A reader that throws on bad data is treated like one that answered an error.
      es = Acad::eInvalidInput;
    }
    obj.hostBind(AcDbObjectId(), false);
    return es;
  }

  // The header's tables, checked to be the tables they claim to be.
  bool bindTables(std::wstring& error) {
    const HdwHeader& h = file_.header;
    AcDbObjectId block, layer, linetype, style, regapp;
    bool ok = tableId<AcDbBlockTable>(h.blockTable, L"block table", block, error) &&
              tableId<AcDbLayerTable>(h.layerTable, L"layer table", layer, error) &&
              tableId<AcDbLinetypeTable>(h.linetypeTable, L"linetype table", linetype, error) &&
              tableId<AcDbTextStyleTable>(h.textStyleTable, L"text style table", style, error) &&
              tableId<AcDbRegAppTable>(h.regAppTable, L"application table", regapp, error);
    if (!ok) return false;
    db_.hostSetTables(block, layer, linetype, style, regapp);
    if (!db_.hostResolveStandardRecords()) {
      error = L"a standard record is missing (model space, paper space, layer 0, a standard linetype or the "
              L"Standard text style)";
      return false;
    }
    return true;
  }

  template <typename T>
  bool tableId(const AcDbHandle& handle, const wchar_t* what, AcDbObjectId& id, std::wstring& error) {
    AcDbStub* stub = handle.isNull() ? nullptr : db_.stubFor(handle);
    if (stub == nullptr || T::cast(stub->object) == nullptr) {
      error = std::wstring(L"the header names ") + handle.text() + L" as the " + what + L", which it is not";
      return false;
    }
    id = AcDbObjectId(stub);
    return true;
  }

  // The current layer, linetype and text style; a null handle keeps the standard one.
  bool bindCurrentSettings(std::wstring& error) {
    const HdwHeader& h = file_.header;
    bool ok = setCurrent(h.clayer, L"current layer", &AcDbDatabase::setClayer, error) &&
              setCurrent(h.celtype, L"current linetype", &AcDbDatabase::setCeltype, error) &&
              setCurrent(h.textstyle, L"current text style", &AcDbDatabase::setTextstyle, error);
    if (!ok) return false;
    AcDbHandle seed = maxHandle_;
    seed.increment();
    db_.hostSetHandseed(seed < file_.header.handseed ? file_.header.handseed : seed);
    return true;
  }

  bool setCurrent(const AcDbHandle& handle, const wchar_t* what,
                  Acad::ErrorStatus (AcDbDatabase::*setter)(AcDbObjectId), std::wstring& error) {
    if (handle.isNull()) return true;
    AcDbObjectId id;
    if (db_.getAcDbObjectId(id, false, handle) != Acad::eOk || (db_.*setter)(id) != Acad::eOk) {
      error = std::wstring(L"the header's ") + what + L" " + handle.text() + L" is not one";
      return false;
    }
    return true;
  }

  AcDbDatabase& db_;
  const HdwContainer& file_;
  AcDbHandle maxHandle_;
};

std::wstring quoted(const ACHAR* fileName) { return std::wstring(L"\"") + fileName + L"\""; }

}  // namespace

Acad::ErrorStatus AcDbDatabase::saveAs(const ACHAR* fileName) {
  if (fileName == nullptr || *fileName == 0) {
    setLastFileError(L"saveAs: no file name");
    return Acad::eInvalidInput;
  }
  HdwContainer container;
  std::wstring error;
  Acad::ErrorStatus es = HdwWriter(*this).collect(container, error);
  if (es == Acad::eOk) es = writeFileReplacing(acutWideToUtf8(fileName), hdwSerialize(container), error);
  if (es != Acad::eOk) {
    setLastFileError(quoted(fileName) + L": " + error);
    return es;
  }
  setFileName(fileName);
  setLastFileError(L"");
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::readDwgFile(const ACHAR* fileName) {
  if (fileName == nullptr || *fileName == 0) {
    setLastFileError(L"readDwgFile: no file name");
    return Acad::eInvalidInput;
  }
  if (!stubs().empty()) {
    // Reading over a drawing would mix two sets of handles; the host reads into a
    // database made empty for the purpose.
    setLastFileError(quoted(fileName) + L": the database already holds a drawing");
    return Acad::eInvalidInput;
  }
  std::vector<unsigned char> bytes;
  std::wstring error;
  HdwContainer container;
  Acad::ErrorStatus es = readWholeFile(acutWideToUtf8(fileName), bytes, error);
  if (es == Acad::eOk) es = hdwParse(bytes.data(), bytes.size(), container, error);
  if (es == Acad::eOk) {
    bytes.clear();
    bytes.shrink_to_fit();
    // Loading a drawing is not a change the user can undo.
    bool wasRecording = undoRecording();
    disableUndoRecording(true);
    if (!HdwLoader(*this, container).load(error)) es = Acad::eBadFileFormat;
    disableUndoRecording(!wasRecording);
  }
  if (es != Acad::eOk) {
    hostClear();
    setLastFileError(quoted(fileName) + L": " + error);
    return es;
  }
  setFileName(fileName);
  setLastFileError(L"");
  return Acad::eOk;
}
