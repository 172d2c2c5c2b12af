// Reading and writing the host's native drawing file (.hdw): AcDbDatabase::saveAs and
// AcDbDatabase::readDwgFile over the container of hdw_format.h.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <unordered_map>

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

// ---- reading ------------------------------------------------------------------------

// A mapped file that another program cuts short loses the pages past its new end, and
// reading one raises SIGBUS. Every read of a drawing's mapping goes through this leaf
// function, which turns that signal into a failed read: the handler jumps back into
// it, and it has nothing to unwind but a memcpy. SA_NODEFER leaves the signal
// unblocked after the jump.
thread_local sigjmp_buf* tMappedRead = nullptr;
struct sigaction gBusBefore;

void onBusError(int sig, siginfo_t* info, void* context) {
  if (tMappedRead != nullptr) siglongjmp(*tMappedRead, 1);
  // Not a read of a drawing: what was there before handles it.
  if ((gBusBefore.sa_flags & SA_SIGINFO) != 0 && gBusBefore.sa_sigaction != nullptr) {
    gBusBefore.sa_sigaction(sig, info, context);
  } else if (gBusBefore.sa_handler != SIG_IGN && gBusBefore.sa_handler != SIG_DFL) {
    gBusBefore.sa_handler(sig);
  } else if (gBusBefore.sa_handler == SIG_DFL) {
    std::signal(SIGBUS, SIG_DFL);
    std::raise(SIGBUS);
  }
}

void watchMappedReads() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &gBusBefore);
  });
}

bool mappedCopy(void* to, const unsigned char* from, size_t size) {
  sigjmp_buf here;
  sigjmp_buf* const outer = tMappedRead;
  if (sigsetjmp(here, 0) != 0) {
    tMappedRead = outer;
    return false;
  }
  tMappedRead = &here;
  std::memcpy(to, from, size);
  tMappedRead = outer;
  return true;
}

// A file's bytes mapped into memory, read-only, with the file kept open (a save copies
// from it). No copy is made and the pages come straight from the system's file cache.
class MappedFile {
 public:
  MappedFile() = default;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile() {
    if (data_ != nullptr && size_ > 0) munmap(const_cast<unsigned char*>(data_), size_);
    if (fd_ >= 0) ::close(fd_);
  }

  Acad::ErrorStatus open(const std::string& path, std::wstring& error) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
      error = L"the file cannot be opened (missing or not readable)";
      return Acad::eFileNotFound;
    }
    struct stat st {};
    Acad::ErrorStatus es = Acad::eOk;
    if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
      es = Acad::eFileAccessErr;
    } else if (st.st_size > 0) {
      // Not populated: only the pages of the objects built are ever touched.
      void* p = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd_, 0);
      if (p == MAP_FAILED) {
        es = Acad::eFileAccessErr;
      } else {
        data_ = static_cast<const unsigned char*>(p);
        size_ = static_cast<size_t>(st.st_size);
      }
    }
    if (es != Acad::eOk) error = L"the file cannot be read";
    return es;
  }
  const unsigned char* data() const { return data_; }
  size_t size() const { return size_; }
  int fd() const { return fd_; }

 private:
  const unsigned char* data_ = nullptr;
  size_t size_ = 0;
  int fd_ = -1;
};

// A new object of the class, or null when the host cannot make one: the class is not
// registered, has no constructor, or is a proxy class, whose objects are only ever
// saved under the class they stand for.
std::unique_ptr<AcDbObject> instantiate(const AcRxClass* rx) {
  if (rx == nullptr) return nullptr;
  AcRxObject* made = rx->create();
  AcDbObject* obj = AcDbObject::cast(made);
  if (obj == nullptr) delete made;
  return std::unique_ptr<AcDbObject>(obj);
}

std::unique_ptr<AcDbObject> makeProxy(const HdwClassEntry& cls, bool isEntity) {
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

// A drawing opened in place: the mapped file, its classes, and the objects built from
// it on demand. An object is built the first time it is looked at, through the same
// filer code an open of the whole file used, from a copy of its entry taken out of the
// mapping (so that a file cut short fails that copy and nothing else).
class HdwInPlace final : public AcDbObjectSource {
 public:
  explicit HdwInPlace(AcDbDatabase& db) : db_(db) {}

  Acad::ErrorStatus open(const std::string& path, std::wstring& error) {
    watchMappedReads();
    Acad::ErrorStatus es = file_.open(path, error);
    if (es == Acad::eOk && file_.size() >= 4) {
      const unsigned char* end = file_.data() + file_.size();
      storedCrc_ = static_cast<std::uint32_t>(end[-4]) | static_cast<std::uint32_t>(end[-3]) << 8 |
                   static_cast<std::uint32_t>(end[-2]) << 16 | static_cast<std::uint32_t>(end[-1]) << 24;
    }
    return es;
  }

  const unsigned char* data() const { return file_.data(); }
  size_t size() const { return file_.size(); }
  int fd() const { return file_.fd(); }
  std::uint64_t offsetOf(const unsigned char* p) const { return static_cast<std::uint64_t>(p - file_.data()); }
  std::uint32_t storedCrc() const { return storedCrc_; }
  HdwFileView& head() { return head_; }
  const HdwClassEntry& classEntry(std::uint32_t index) const { return head_.classes[index]; }
  // The registered class of a class entry, or null when the host cannot make one.
  const AcRxClass* classAt(std::uint32_t index) {
    if (classes_.empty()) {
      for (const HdwClassEntry& cls : head_.classes) {
        const AcRxClass* rx = acrxFindClass(cls.name.c_str());
        bool makeable = rx != nullptr && !rx->isDerivedFrom(AcDbProxyObject::desc()) &&
                        !rx->isDerivedFrom(AcDbProxyEntity::desc());
        classes_.push_back(makeable ? rx : nullptr);
      }
    }
    return classes_[index];
  }

  bool copyOut(void* to, const unsigned char* from, size_t size) const { return mappedCopy(to, from, size); }
  // Read through the descriptor, not the mapping: a save of an unchanged drawing then
  // never touches the mapping's pages, and a file cut short answers a short read.
  bool crcOf(const unsigned char* from, size_t size, std::uint32_t& crc, std::uint32_t before = 0) const {
    return hdwCrc32OfFile(file_.fd(), file_.size(), offsetOf(from), size, before, crc);
  }
  Acad::ErrorStatus changedOnDisk(std::wstring& error) const {
    error = L"the drawing file it was opened from changed on disk since, so the objects not opened since "
            L"cannot be copied from it";
    return Acad::eFileAccessErr;
  }

  AcDbObject* build(AcDbStub* stub) override {
    if (stub->database != &db_ || stub->object.peek() != nullptr) return stub->object.peek();
    if (stub->unreadable || stub->building) return nullptr;
    stub->building = true;
    Acad::ErrorStatus es = read(stub);
    stub->building = false;
    if (es != Acad::eOk) {
      stub->unreadable = true;
      damaged_[stub] = es;
      return nullptr;
    }
    return stub->object.peek();
  }

  Acad::ErrorStatus status(const AcDbStub* stub) const override {
    auto it = damaged_.find(stub);
    return it == damaged_.end() ? Acad::eOk : it->second;
  }

  // Reads an object's bytes into a new object attached to its stub.
  Acad::ErrorStatus read(AcDbStub* stub) {
    // The sizes are checked against the mapping before anything is read from it.
    const size_t total = kHdwEntryHead + stub->fileSize;
    const unsigned char* begin = file_.data();
    if (stub->fileEntry < begin || static_cast<size_t>(stub->fileEntry - begin) > file_.size() - total ||
        total > file_.size())
      return Acad::eEndOfFile;
    std::unique_ptr<unsigned char[]> entry(new unsigned char[total]);
    if (!mappedCopy(entry.get(), stub->fileEntry, total)) return Acad::eEndOfFile;
    // The head must still be the one read at open: a file rewritten under the mapping
    // is refused here, not read as some other object.
    auto le = [&entry](size_t at, int n) {
      std::uint64_t v = 0;
      for (int i = n - 1; i >= 0; --i) v = (v << 8) | entry[at + static_cast<size_t>(i)];
      return v;
    };
    if (le(0, 4) != stub->fileClass || le(4, 8) != stub->handle.value() || le(20, 4) != stub->fileSize)
      return Acad::eWrongItemKind;
    AcDbObjectId owner;
    const AcDbHandle ownerHandle(le(12, 8));
    if (!ownerHandle.isNull() && db_.getAcDbObjectId(owner, false, ownerHandle) != Acad::eOk)
      return Acad::eUnknownHandle;
    const HdwClassEntry& cls = head_.classes[stub->fileClass];
    const unsigned char* record = entry.get() + kHdwEntryHead;
    const size_t start = hdwRecordStart(record, stub->fileSize);
    const unsigned char* bytes = record + start;
    const auto size = static_cast<std::uint32_t>(stub->fileSize - start);
    std::unique_ptr<AcDbObject> obj = instantiate(classAt(stub->fileClass));
    Acad::ErrorStatus es = obj ? fileIn(stub, *obj, owner, bytes, size) : Acad::eMakeMeProxy;
    if (es == Acad::eMakeMeProxy) {
      bool isEntity = obj ? AcDbEntity::cast(obj.get()) != nullptr : cls.isEntity;
      obj = makeProxy(cls, isEntity);
      es = fileIn(stub, *obj, owner, bytes, size);
    }
    if (es != Acad::eOk) return es;
    es = db_.hostAttachObject(stub, obj.get());
    if (es == Acad::eOk) obj.release();
    return es;
  }

 private:
  // Reads an object's bytes into it. The object is bound to its id for the read (so
  // that it knows its database and handle) but is only attached to the stub once it
  // has read well, so that an object asking to be a proxy can be replaced.
  Acad::ErrorStatus fileIn(AcDbStub* stub, AcDbObject& obj, const AcDbObjectId& owner, const unsigned char* bytes,
                           std::uint32_t size) {
    obj.hostBind(AcDbObjectId(stub), false);
    Acad::ErrorStatus es;
    try {
      AcDbObject::HostAccess access(&obj);
      obj.setOwnerId(owner);
      AcDbMemDwgFiler filer(bytes, size, AcDb::kFileFiler, &db_);
      es = obj.dwgInFields(&filer);
    } catch (const std::exception&) {
      // A reader that throws on bad data is treated like one that answered an error.
      es = Acad::eInvalidInput;
    }
    obj.hostBind(AcDbObjectId(), false);
    return es;
  }

  AcDbDatabase& db_;
  MappedFile file_;
  HdwFileView head_;
  std::uint32_t storedCrc_ = 0;
  std::vector<const AcRxClass*> classes_;  // by class index; null where none can be made
  std::unordered_map<const AcDbStub*, Acad::ErrorStatus> damaged_;  // why an unreadable object is
};

// Saves a drawing. Its classes are gathered first, since the file lists them before
// the objects. An object that came from the drawing file the database was opened from
// and was not opened for write since is copied from that file's bytes, entry and all,
// runs of such entries in one copy; every other object files itself into the file's
// buffer. A drawing opened in place and saved unchanged is so one copy of its objects.
class HdwWriter {
 public:
  explicit HdwWriter(AcDbDatabase& db) : db_(db), source_(dynamic_cast<HdwInPlace*>(db.hostObjectSource())) {}

  Acad::ErrorStatus write(const AcDbFilePieceWriter& sink, const AcDbFileRangeCopier& copier, std::wstring& error) {
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
    std::uint32_t count = 0;
    Acad::ErrorStatus es = Acad::eOk;
    db_.hostForEachStub([&](AcDbStub* stub) {
      if (es != Acad::eOk || !saved(stub)) return;
      es = classOf(stub, error).first;
      ++count;
    });
    if (es != Acad::eOk) return es;
    HdwFileBuilder builder(kHdwFormatVersion, h, classes_, count,
                           [&sink](const unsigned char* data, size_t size) { return sink(data, size); }, &db_);
    db_.hostForEachStub([&](AcDbStub* stub) {
      if (es == Acad::eOk && saved(stub)) es = writeObject(stub, builder, copier, error);
    });
    if (es == Acad::eOk) es = endRun(builder, copier, error);
    if (es == Acad::eOk) es = checkSource(error);
    if (es != Acad::eOk) return es;
    builder.finish();
    return builder.sinkOk() ? Acad::eOk : cannotWrite(error);
  }

 private:
  static Acad::ErrorStatus cannotWrite(std::wstring& error) {
    error = L"cannot write the file";
    return Acad::eFileAccessErr;
  }

  // Erased objects and handles that only something referred to are not saved.
  bool saved(const AcDbStub* stub) const { return !stub->erased && (copies(stub) || stub->object.peek() != nullptr); }
  bool copies(const AcDbStub* stub) const { return source_ != nullptr && stub->fileEntry != nullptr && !stub->modified; }

  // The object's class index in the new file.
  std::pair<Acad::ErrorStatus, std::uint32_t> classOf(const AcDbStub* stub, std::wstring& error) {
    if (copies(stub)) return {Acad::eOk, sourceClassIndex(stub->fileClass)};
    const AcDbObject* obj = stub->object.peek();
    if (obj->isA() == nullptr) {
      // Its module unregistered the class while the drawing still held its objects.
      error = L"object " + obj->objectHandle().text() + L" has a class that is no longer registered";
      return {Acad::eNotThatKindOfClass, 0};
    }
    return {Acad::eOk, classIndex(obj)};
  }

  Acad::ErrorStatus writeObject(AcDbStub* stub, HdwFileBuilder& builder, const AcDbFileRangeCopier& copier,
                                std::wstring& error) {
    const std::uint32_t cls = classOf(stub, error).second;
    if (copies(stub)) {
      const unsigned char* entry = stub->fileEntry;
      const unsigned char* body = entry + kHdwEntryHead;
      if (cls == stub->fileClass) return extendRun(entry, body + stub->fileSize, builder, copier, error);
      // The class has another index here: a head of its own, then the bytes copied.
      unsigned char head[kHdwEntryHead];
      if (!source_->copyOut(head, entry, sizeof head)) return source_->changedOnDisk(error);
      AcDbHandle owner(readLe(head + 12, 8));
      Acad::ErrorStatus es = endRun(builder, copier, error);
      if (es != Acad::eOk) return es;
      builder.entryHead(cls, stub->handle, owner, stub->fileSize);
      return extendRun(body, body + stub->fileSize, builder, copier, error);
    }
    Acad::ErrorStatus es = endRun(builder, copier, error);
    if (es != Acad::eOk) return es;
    const AcDbObject& obj = *stub->object.peek();
    builder.beginObject(cls, obj.objectHandle(), obj.ownerId().handle());
    builder.beginRecord();
    es = fileOut(obj, builder.filer(), cls, error);
    if (es != Acad::eOk) return es;
    builder.endRecord();
    builder.endObject();
    // The disk refused a piece: filing the rest of the drawing would be wasted.
    return builder.sinkOk() ? Acad::eOk : cannotWrite(error);
  }

  static std::uint64_t readLe(const unsigned char* p, int n) {
    std::uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
  }

  // Copies of bytes that follow each other in the source are made as one.
  Acad::ErrorStatus extendRun(const unsigned char* from, const unsigned char* to, HdwFileBuilder& builder,
                              const AcDbFileRangeCopier& copier, std::wstring& error) {
    if (runFrom_ != nullptr && from == runTo_) {
      runTo_ = to;
      return Acad::eOk;
    }
    Acad::ErrorStatus es = endRun(builder, copier, error);
    runFrom_ = from;
    runTo_ = to;
    return es;
  }

  Acad::ErrorStatus endRun(HdwFileBuilder& builder, const AcDbFileRangeCopier& copier, std::wstring& error) {
    if (runFrom_ == nullptr) return Acad::eOk;
    const unsigned char* from = runFrom_;
    const auto size = static_cast<size_t>(runTo_ - runFrom_);
    runFrom_ = runTo_ = nullptr;
    std::uint32_t crc = 0;
    if (!source_->crcOf(from, size, crc)) return source_->changedOnDisk(error);
    followSource(from, size, crc);
    builder.beforeCopy();
    if (!builder.sinkOk()) return cannotWrite(error);
    std::uint64_t done = copier(source_->fd(), source_->offsetOf(from), size);
    // What the system did not copy goes through this process, in pieces.
    std::vector<unsigned char> piece;
    while (done < size) {
      const size_t n = std::min<size_t>(size - done, size_t(1) << 20);
      piece.resize(n);
      if (!source_->copyOut(piece.data(), from + done, n)) return source_->changedOnDisk(error);
      if (!builder.sinkPiece(piece.data(), n)) return cannotWrite(error);
      done += n;
    }
    builder.copied(crc, size);
    return Acad::eOk;
  }

  // The source's CRC, run by run as they are copied and over what lies between them,
  // so that a save can tell that the file it copies from is still the one it opened.
  void followSource(const unsigned char* from, size_t size, std::uint32_t crc) {
    if (!sourceInOrder_) return;
    if (from < sourceTo_) {
      sourceInOrder_ = false;  // a file whose handles do not rise is copied out of order
      return;
    }
    if (!source_->crcOf(sourceTo_, static_cast<size_t>(from - sourceTo_), sourceCrc_, sourceCrc_)) {
      sourceChanged_ = true;
      return;
    }
    sourceCrc_ = hdwCrc32Combine(sourceCrc_, crc, size);
    sourceTo_ = from + size;
    copiedAny_ = true;
  }

  Acad::ErrorStatus checkSource(std::wstring& error) {
    if (source_ == nullptr || !copiedAny_ || !sourceInOrder_) return Acad::eOk;
    const unsigned char* end = source_->data() + source_->size() - 4;
    if (sourceChanged_ || !source_->crcOf(sourceTo_, static_cast<size_t>(end - sourceTo_), sourceCrc_, sourceCrc_) ||
        sourceCrc_ != source_->storedCrc())
      return source_->changedOnDisk(error);
    return Acad::eOk;
  }

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
    std::uint32_t index = entryIndex(classEntryOf(obj));
    if (!proxy) byClass_.emplace(cls, index);
    return index;
  }

  // The entry of a class of the source file: a copied object goes under the class its
  // bytes were filed for.
  std::uint32_t sourceClassIndex(std::uint32_t fileClass) {
    if (fileClass >= bySourceClass_.size()) bySourceClass_.resize(fileClass + 1, kNone);
    std::uint32_t& index = bySourceClass_[fileClass];
    if (index == kNone) index = entryIndex(source_->classEntry(fileClass));
    return index;
  }

  std::uint32_t entryIndex(HdwClassEntry entry) {
    auto named = byName_.find(entry.name);
    if (named != byName_.end()) return named->second;
    auto index = static_cast<std::uint32_t>(classes_.size());
    byName_.emplace(entry.name, index);
    classes_.push_back(std::move(entry));
    return index;
  }

  static constexpr std::uint32_t kNone = ~std::uint32_t(0);
  AcDbDatabase& db_;
  HdwInPlace* source_;
  std::vector<HdwClassEntry> classes_;
  std::map<std::wstring, std::uint32_t> byName_;
  std::map<const AcRxClass*, std::uint32_t> byClass_;
  std::vector<std::uint32_t> bySourceClass_;
  const unsigned char* runFrom_ = nullptr;
  const unsigned char* runTo_ = nullptr;
  const unsigned char* sourceTo_ = source_ != nullptr ? source_->data() : nullptr;
  std::uint32_t sourceCrc_ = 0;
  bool sourceInOrder_ = true, sourceChanged_ = false, copiedAny_ = false;
};

// Opens a parsed file in place into an empty database: a stub for every object with
// its entry, the checks an open makes of every object without building it (its owner
// is in the file; the bytes of a class the host can read are whole items), then the
// tables and current settings, which builds those few objects.
class HdwOpener {
 public:
  HdwOpener(AcDbDatabase& db, HdwInPlace& file) : db_(db), file_(file) {}

  Acad::ErrorStatus open(std::wstring& error) {
    Acad::ErrorStatus es = hdwReadInPlace(
        file_.data(), file_.size(), file_.head(),
        [this](const HdwObjectView& o, std::wstring& why) { return addObject(o, why); }, error, file_.fd());
    if (es != Acad::eOk) return es;
    for (const HdwObjectView& o : ownedLater_) {
      if (db_.stubFor(o.ownerHandle) == nullptr) {
        error = L"object " + o.handle.text() + L" (" + file_.classEntry(o.classIndex).name + L") belongs to " +
                o.ownerHandle.text() + L", which is not in the file";
        return Acad::eBadFileFormat;
      }
    }
    return bindTables(error) && bindCurrentSettings(error) ? Acad::eOk : Acad::eBadFileFormat;
  }

 private:
  bool addObject(const HdwObjectView& o, std::wstring& error) {
    AcDbObjectId id;
    if (db_.getAcDbObjectId(id, true, o.handle) != Acad::eOk || id.stub() == nullptr) {
      error = L"no object can be made for handle " + o.handle.text();
      return false;
    }
    AcDbStub* stub = id.stub();
    stub->fileEntry = o.data - kHdwEntryHead;
    stub->fileClass = o.classIndex;
    stub->fileSize = o.size;
    if (maxHandle_ < o.handle) maxHandle_ = o.handle;
    if (!o.ownerHandle.isNull() && db_.stubFor(o.ownerHandle) == nullptr) ownedLater_.push_back(o);
    // A record that says its size must have it. One without (from a file written
    // before records did), of a class the host reads, must at least be whole items, or
    // it would be refused when first opened. A proxy's bytes are its own.
    const bool sized = hdwRecordStart(o.lead, o.size) != 0;
    const bool whole = sized ? hdwRecordSized(o.lead, o.size)
                             : file_.classAt(o.classIndex) == nullptr || hdwRecordWhole(o.data, o.size);
    if (!whole) {
      error = L"object " + o.handle.text() + L" (" + file_.classEntry(o.classIndex).name +
              L") cannot be read: its record is cut short or damaged";
      return false;
    }
    return true;
  }

  // The header's tables, checked to be the tables they claim to be.
  bool bindTables(std::wstring& error) {
    const HdwHeader& h = file_.head().header;
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
      if (stub != nullptr && stub->object == nullptr && db_.hostMissingObjectStatus(stub) != Acad::eUnknownHandle)
        error += L" (its bytes cannot be read: " +
                 acutUtf8ToWide(acadErrorStatusText(db_.hostMissingObjectStatus(stub))) + L")";
      return false;
    }
    id = AcDbObjectId(stub);
    return true;
  }

  // The current layer, linetype and text style; a null handle keeps the standard one.
  bool bindCurrentSettings(std::wstring& error) {
    const HdwHeader& h = file_.head().header;
    bool ok = setCurrent(h.clayer, L"current layer", &AcDbDatabase::setClayer, error) &&
              setCurrent(h.celtype, L"current linetype", &AcDbDatabase::setCeltype, error) &&
              setCurrent(h.textstyle, L"current text style", &AcDbDatabase::setTextstyle, error);
    if (!ok) return false;
    AcDbHandle seed = maxHandle_;
    seed.increment();
    db_.hostSetHandseed(seed < h.handseed ? h.handseed : seed);
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
  HdwInPlace& file_;
  // Objects whose owner comes later in the file, checked once every object has its stub.
  std::vector<HdwObjectView> ownedLater_;
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
  // Saving over the file the drawing was opened from is safe: the new file is renamed
  // over it, and the mapping and descriptor the objects not opened yet are read from
  // keep the old file's bytes for as long as the drawing is open.
  Acad::ErrorStatus es = acdbWriteFileReplacing(
      acutWideToUtf8(fileName),
      [&](const AcDbFilePieceWriter& sink, const AcDbFileRangeCopier& copier) {
        return HdwWriter(*this).write(sink, copier, error);
      },
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
  auto source = std::make_unique<HdwInPlace>(*this);
  HdwInPlace& file = *source;
  std::wstring error;
  Acad::ErrorStatus es = file.open(acutWideToUtf8(fileName), error);
  if (es == Acad::eOk) {
    // Loading a drawing is not a change the user can undo.
    bool wasRecording = undoRecording();
    disableUndoRecording(true);
    hostSetObjectSource(std::move(source));
    es = HdwOpener(*this, file).open(error);
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
