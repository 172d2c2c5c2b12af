// Reading and writing the host's native drawing file (.hdw): AcDbDatabase::saveAs and
// AcDbDatabase::readDwgFile over the container of hdw_format.h.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
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

// Saves a drawing: its classes are gathered first, since the file lists them before
// the objects, then every object files itself straight into the file's buffer.
class HdwWriter {
 public:
  explicit HdwWriter(AcDbDatabase& db) : db_(db) {}

  Acad::ErrorStatus write(const AcDbFilePieceWriter& sink, std::wstring& error) {
    HdwHeader h;
    h.handseed = db_.handseed();
    h.blockTable = db_.blockTableId().handle();
    h.layerTable = db_.layerTableId().handle();
    h.linetypeTable = db_.linetypeTableId().handle();
    h.textStyleTable = db_.textStyleTableId().handle();
    h.regAppTable = db_.regAppTableId().handle();
    h.clayer = db_.clayer().handle();
    h.celtype = db_.celtype().handle();
    h.textstyle = db_.textstyle().handle();
    std::vector<const AcDbObject*> objects;
    std::vector<std::uint32_t> classOf;
    for (AcDbStub* stub : db_.stubs()) {
      if (stub->object == nullptr || stub->erased) continue;
      const AcDbObject* obj = stub->object;
      if (obj->isA() == nullptr) {
        // Its module unregistered the class while the drawing still held its objects.
        error = L"object " + obj->objectHandle().text() + L" has a class that is no longer registered";
        return Acad::eNotThatKindOfClass;
      }
      objects.push_back(obj);
      classOf.push_back(classIndex(obj));
    }
    HdwFileBuilder builder(kHdwFormatVersion, h, classes_, static_cast<std::uint32_t>(objects.size()),
                           [&sink](const unsigned char* data, size_t size) { return sink(data, size); }, &db_);
    AcDbMemDwgFiler& filer = builder.filer();
    for (size_t i = 0; i < objects.size(); ++i) {
      builder.beginObject(classOf[i], objects[i]->objectHandle(), objects[i]->ownerId().handle());
      Acad::ErrorStatus es = fileOut(*objects[i], filer, classOf[i], error);
      if (es != Acad::eOk) return es;
      builder.endObject();
      if (!builder.sinkOk()) {
        // The disk refused a piece: filing the rest of the drawing would be wasted.
        error = L"cannot write the file";
        return Acad::eFileAccessErr;
      }
    }
    builder.finish();
    return Acad::eOk;
  }

 private:
  Acad::ErrorStatus fileOut(const AcDbObject& obj, AcDbMemDwgFiler& filer, std::uint32_t cls, std::wstring& error) {
    Acad::ErrorStatus es;
    std::wstring why;
    try {
      // The host files objects whether or not anyone has them open.
      AcDbObject::HostAccess access(&obj);
      es = obj.dwgOutFields(&filer);
      if (es == Acad::eOk) es = filer.filerStatus();
      if (es != Acad::eOk) why = acutUtf8ToWide(acadErrorStatusText(es));
    } catch (const std::exception& e) {
      es = Acad::eInvalidInput;
      why = L"it threw " + acutUtf8ToWide(e.what());
    }
    if (es != Acad::eOk)
      error = L"object " + obj.objectHandle().text() + L" (" + classes_[cls].name + L") could not be filed: " + why;
    return es;
  }

  // An object's class entry. Objects of a class share one entry, found by the class
  // itself; a proxy is entered under the class it stands for.
  std::uint32_t classIndex(const AcDbObject* obj) {
    const AcRxClass* cls = obj->isA();
    const bool proxy = AcDbProxyEntity::cast(obj) != nullptr || AcDbProxyObject::cast(obj) != nullptr;
    if (!proxy) {
      auto it = byClass_.find(cls);
      if (it != byClass_.end()) return it->second;
    }
    HdwClassEntry entry = classEntryOf(obj);
    std::uint32_t index;
    auto named = byName_.find(entry.name);
    if (named != byName_.end()) {
      index = named->second;
    } else {
      index = static_cast<std::uint32_t>(classes_.size());
      byName_.emplace(entry.name, index);
      classes_.push_back(std::move(entry));
    }
    if (!proxy) byClass_.emplace(cls, index);
    return index;
  }

  AcDbDatabase& db_;
  std::vector<HdwClassEntry> classes_;
  std::map<std::wstring, std::uint32_t> byName_;
  std::map<const AcRxClass*, std::uint32_t> byClass_;
};

// ---- reading ------------------------------------------------------------------------

// A file's bytes mapped into memory, read-only: no copy is made and the pages come
// straight from the system's file cache, which for a large drawing is far cheaper than
// reading it into fresh memory. The host's own saves replace a drawing by renaming a
// new file over it, which leaves a mapping intact; only another program cutting the
// file short while it is being read could fault, a risk taken for the speed.
class MappedFile {
 public:
  MappedFile() = default;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile() {
    if (data_ != nullptr && size_ > 0) munmap(const_cast<unsigned char*>(data_), size_);
  }

  Acad::ErrorStatus open(const std::string& path, std::wstring& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      error = L"the file cannot be opened (missing or not readable)";
      return Acad::eFileNotFound;
    }
    struct stat st {};
    Acad::ErrorStatus es = Acad::eOk;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      es = Acad::eFileAccessErr;
    } else if (st.st_size > 0) {
      void* p = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
      if (p == MAP_FAILED) {
        es = Acad::eFileAccessErr;
      } else {
        data_ = static_cast<const unsigned char*>(p);
        size_ = static_cast<size_t>(st.st_size);
      }
    }
    ::close(fd);
    if (es != Acad::eOk) error = L"the file cannot be read";
    return es;
  }
  const unsigned char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  const unsigned char* data_ = nullptr;
  size_t size_ = 0;
};

// Builds the objects of a parsed file into an empty database.
class HdwLoader {
 public:
  HdwLoader(AcDbDatabase& db, const HdwFileView& file) : db_(db), file_(file) {}

  // Answers false with the reason in error; the caller then clears the database.
  bool load(std::wstring& error) {
    findClasses();
    return createStubs(error) && readObjects(error) && bindTables(error) && bindCurrentSettings(error);
  }

 private:
  // Every handle gets its stub before any object is read, so that a reference to an
  // object later in the file resolves.
  bool createStubs(std::wstring& error) {
    for (const HdwObjectView& o : file_.objects) {
      AcDbObjectId id;
      if (db_.getAcDbObjectId(id, true, o.handle) != Acad::eOk || id.stub() == nullptr) {
        error = L"no object can be made for handle " + o.handle.text();
        return false;
      }
      if (maxHandle_ < o.handle) maxHandle_ = o.handle;
    }
    return true;
  }

  // Each class of the file is looked up once, not once per object.
  void findClasses() {
    for (const HdwClassEntry& cls : file_.classes) {
      const AcRxClass* rx = acrxFindClass(cls.name.c_str());
      bool makeable = rx != nullptr && !rx->isDerivedFrom(AcDbProxyObject::desc()) &&
                      !rx->isDerivedFrom(AcDbProxyEntity::desc());
      classes_.push_back(makeable ? rx : nullptr);
    }
  }

  bool readObjects(std::wstring& error) {
    for (const HdwObjectView& o : file_.objects) {
      if (!readObject(o, error)) return false;
    }
    return true;
  }

  bool readObject(const HdwObjectView& o, std::wstring& error) {
    const HdwClassEntry& cls = file_.classes[o.classIndex];
    AcDbStub* stub = db_.stubFor(o.handle);
    AcDbObjectId owner;
    if (!o.ownerHandle.isNull() && db_.getAcDbObjectId(owner, false, o.ownerHandle) != Acad::eOk) {
      error = L"object " + o.handle.text() + L" (" + cls.name + L") belongs to " + o.ownerHandle.text() +
              L", which is not in the file";
      return false;
    }

    std::unique_ptr<AcDbObject> obj = instantiate(classes_[o.classIndex]);
    Acad::ErrorStatus es = obj ? fileIn(stub, *obj, owner, o) : Acad::eMakeMeProxy;
    if (es == Acad::eMakeMeProxy) {
      bool isEntity = obj ? AcDbEntity::cast(obj.get()) != nullptr : cls.isEntity;
      obj = makeProxy(cls, isEntity);
      es = fileIn(stub, *obj, owner, o);
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

  // A new object of the class, or null when the host cannot make one: the class is not
  // registered, has no constructor, or is a proxy class, whose objects are only ever
  // saved under the class they stand for.
  static std::unique_ptr<AcDbObject> instantiate(const AcRxClass* rx) {
    if (rx == nullptr) return nullptr;
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
  Acad::ErrorStatus fileIn(AcDbStub* stub, AcDbObject& obj, const AcDbObjectId& owner, const HdwObjectView& o) {
    obj.hostBind(AcDbObjectId(stub), false);
    Acad::ErrorStatus es;
    try {
      AcDbObject::HostAccess access(&obj);
      obj.setOwnerId(owner);
      AcDbMemDwgFiler filer(o.data, o.size, AcDb::kFileFiler, &db_);
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
  const HdwFileView& file_;
  std::vector<const AcRxClass*> classes_;  // by class index; null where none can be made
  AcDbHandle maxHandle_;
};

std::wstring quoted(const ACHAR* fileName) { return std::wstring(L"\"") + fileName + L"\""; }

}  // namespace

Acad::ErrorStatus AcDbDatabase::saveAs(const ACHAR* fileName) {
  if (fileName == nullptr || *fileName == 0) {
    setLastFileError(L"saveAs: no file name");
    return Acad::eInvalidInput;
  }
  std::wstring error;
  Acad::ErrorStatus es = acdbWriteFileReplacing(
      acutWideToUtf8(fileName), [&](const AcDbFilePieceWriter& sink) { return HdwWriter(*this).write(sink, error); },
      error, ".saving");
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
  MappedFile bytes;
  std::wstring error;
  HdwFileView file;
  Acad::ErrorStatus es = bytes.open(acutWideToUtf8(fileName), error);
  if (es == Acad::eOk) es = hdwParseView(bytes.data(), bytes.size(), file, error);
  if (es == Acad::eOk) {
    // Loading a drawing is not a change the user can undo.
    bool wasRecording = undoRecording();
    disableUndoRecording(true);
    if (!HdwLoader(*this, file).load(error)) es = Acad::eBadFileFormat;
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
