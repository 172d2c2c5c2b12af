// The drawing database: handles and stubs, the standard tables and records, current
// settings, the built-in linetype library, and undo through the undo filer.
#include "arx/db_database.h"

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <set>

#include "arx/dwg_filer_mem.h"

ACRX_DEFINE_HOST_MEMBERS(AcDbDatabase)

AcDbHostApplicationServices* acdbHostApplicationServices() {
  static AcDbHostApplicationServices services;
  return &services;
}

std::wstring AcDbHandle::text() const {
  wchar_t buf[20];
  std::swprintf(buf, 20, L"%llX", static_cast<unsigned long long>(value_));
  return buf;
}

AcDbHandle AcDbHandle::fromText(const std::wstring& hex) {
  if (hex.empty() || hex.size() > 16) return AcDbHandle();
  std::uint64_t v = 0;
  for (wchar_t c : hex) {
    int d;
    if (c >= L'0' && c <= L'9') d = c - L'0';
    else if (c >= L'A' && c <= L'F') d = c - L'A' + 10;
    else if (c >= L'a' && c <= L'f') d = c - L'a' + 10;
    else return AcDbHandle();
    v = (v << 4) | static_cast<std::uint64_t>(d);
  }
  return AcDbHandle(v);
}

// ---- undo ---------------------------------------------------------------------------

// One object's state as the undo filer saw it. An object that did not exist yet is
// recorded as erased with no data.
struct UndoState {
  AcDbStub* stub = nullptr;
  bool erased = false;
  bool hasData = false;
  std::vector<unsigned char> data;
};

using UndoGroup = std::vector<UndoState>;

class AcDbUndoHistory {
 public:
  std::deque<UndoGroup> done;
  std::vector<UndoGroup> undone;
  std::set<AcDbStub*> recordedInOpenGroup;
  int depth = 0;
  // Keeps the history to a size a long session can afford.
  static constexpr size_t kMaxGroups = 200;
  // The room of the oldest group when it was dropped, kept for the next change: a
  // LISP program at the prompt changes objects thousands of times, each change a
  // group of its own, and fresh memory for each would cost more than the filing.
  UndoGroup spareGroup;
  std::vector<unsigned char> spareBytes;

  UndoGroup& groupForRecord() {
    if (depth == 0) {
      // A change outside any command is a command of its own.
      done.push_back(std::move(spareGroup));
      spareGroup = UndoGroup();
      recordedInOpenGroup.clear();
    }
    return done.back();
  }
  void trim() {
    while (done.size() > kMaxGroups) {
      UndoGroup& oldest = done.front();
      for (UndoState& st : oldest)
        if (st.data.capacity() > spareBytes.capacity()) spareBytes = std::move(st.data);
      oldest.clear();
      if (oldest.capacity() > spareGroup.capacity()) spareGroup = std::move(oldest);
      done.pop_front();
    }
  }
  // Empty bytes with the room of a dropped state, if there is one.
  std::vector<unsigned char> takeSpareBytes() {
    std::vector<unsigned char> bytes = std::move(spareBytes);
    spareBytes = std::vector<unsigned char>();
    bytes.clear();
    return bytes;
  }
};

// The filer writes into room, which it takes (empty, perhaps with capacity).
static UndoState captureState(AcDbStub* stub, AcDbDatabase* db, std::vector<unsigned char> room = {}) {
  UndoState st;
  st.stub = stub;
  st.erased = stub->erased;
  if (stub->object != nullptr) {
    AcDbObject::HostAccess access(stub->object);
    AcDbMemDwgFiler filer(std::move(room), AcDb::kUndoFiler, db);
    if (stub->object->dwgOutFields(&filer) == Acad::eOk) {
      st.hasData = true;
      st.data = filer.takeBytes();
    }
  }
  return st;
}

static Acad::ErrorStatus restoreState(const UndoState& st, AcDbDatabase* db) {
  st.stub->erased = st.erased;
  st.stub->modified = true;
  if (!st.hasData || st.stub->object == nullptr) return Acad::eOk;
  AcDbObject::HostAccess access(st.stub->object);
  AcDbMemDwgFiler filer(st.data, AcDb::kUndoFiler, db);
  Acad::ErrorStatus es = st.stub->object->dwgInFields(&filer);
  st.stub->object->recordGraphicsModified();
  return es;
}

// Puts every object of a group back to its recorded state and answers the group of
// the states it replaced, so that undo and redo are the same operation.
static Acad::ErrorStatus swapGroup(UndoGroup& group, AcDbDatabase* db, UndoGroup& replaced) {
  for (const UndoState& st : group)
    if (st.stub->writer || st.stub->readers > 0) return Acad::eWasOpenForWrite;
  replaced.clear();
  for (auto it = group.rbegin(); it != group.rend(); ++it) {
    replaced.push_back(captureState(it->stub, db));
    Acad::ErrorStatus es = restoreState(*it, db);
    if (es != Acad::eOk) return es;
  }
  return Acad::eOk;
}

void AcDbDatabase::beginUndoGroup() {
  if (undo_->depth++ == 0) {
    undo_->done.emplace_back();
    undo_->recordedInOpenGroup.clear();
  }
}

void AcDbDatabase::endUndoGroup() {
  if (undo_->depth == 0) return;
  if (--undo_->depth == 0) {
    if (!undo_->done.empty() && undo_->done.back().empty()) undo_->done.pop_back();
    undo_->recordedInOpenGroup.clear();
    undo_->trim();
  }
}

int AcDbDatabase::undoGroupCount() const {
  int n = 0;
  for (const UndoGroup& g : undo_->done)
    if (!g.empty()) ++n;
  return n;
}

Acad::ErrorStatus AcDbDatabase::undoGroup() {
  while (!undo_->done.empty() && undo_->done.back().empty()) undo_->done.pop_back();
  if (undo_->done.empty()) return Acad::eNothingToUndo;
  UndoGroup replaced;
  Acad::ErrorStatus es = swapGroup(undo_->done.back(), this, replaced);
  if (es != Acad::eOk) return es;
  undo_->done.pop_back();
  undo_->undone.push_back(std::move(replaced));
  undo_->recordedInOpenGroup.clear();
  if (undo_->depth > 0) undo_->done.emplace_back();  // keep a group open for the command
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::redoGroup() {
  if (undo_->undone.empty()) return Acad::eNothingToUndo;
  UndoGroup replaced;
  Acad::ErrorStatus es = swapGroup(undo_->undone.back(), this, replaced);
  if (es != Acad::eOk) return es;
  undo_->undone.pop_back();
  // What redo replaced is the state undo goes back to; insert it below an open group.
  auto pos = undo_->depth > 0 && !undo_->done.empty() ? undo_->done.end() - 1 : undo_->done.end();
  undo_->done.insert(pos, std::move(replaced));
  return Acad::eOk;
}

void AcDbDatabase::hostRecordBeforeWrite(AcDbStub* stub) {
  if (undoDisabled_ || stub == nullptr) return;
  if (undo_->depth > 0 && undo_->recordedInOpenGroup.count(stub)) return;
  UndoState st = captureState(stub, this, undo_->takeSpareBytes());
  undo_->groupForRecord().push_back(std::move(st));
  if (undo_->depth > 0) undo_->recordedInOpenGroup.insert(stub);
  undo_->undone.clear();
  if (undo_->depth == 0) undo_->trim();
}

void AcDbDatabase::hostRecordCreated(AcDbStub* stub) {
  if (undoDisabled_ || stub == nullptr) return;
  UndoState st;
  st.stub = stub;
  st.erased = true;
  undo_->groupForRecord().push_back(std::move(st));
  if (undo_->depth > 0) undo_->recordedInOpenGroup.insert(stub);
  undo_->undone.clear();
}

// ---- objects and handles ------------------------------------------------------------

AcDbDatabase::AcDbDatabase(bool buildDefault, bool) : undo_(std::make_unique<AcDbUndoHistory>()) {
  if (buildDefault) {
    undoDisabled_ = true;
    buildDefaultDrawing();
    undoDisabled_ = false;
  }
}

AcDbDatabase::~AcDbDatabase() {
  if (acdbHostApplicationServices()->workingDatabase() == this)
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  hostClear();
}

void AcDbDatabase::hostClear() {
  stubStore_.forEach([](AcDbStub& stub) {
    AcDbObject* obj = stub.object.peek();
    stub.object = nullptr;
    delete obj;
  });
  source_.reset();
  stubStore_.clear();
  stubTable_.clear();
  stubTable_.shrink_to_fit();
  farStubs_.clear();
  undo_ = std::make_unique<AcDbUndoHistory>();
  handseed_ = AcDbHandle(1);
  blockTable_ = layerTable_ = linetypeTable_ = textStyleTable_ = regAppTable_ = AcDbObjectId();
  clayer_ = celtype_ = textstyle_ = layerZero_ = byLayer_ = byBlock_ = continuous_ = AcDbObjectId();
}

AcDbStub* AcDbDatabase::newStub(const AcDbHandle& handle) {
  AcDbStub& stub = stubStore_.add();
  stub.database = this;
  stub.handle = handle;
  indexStub(&stub);
  if (!(handle < handseed_)) handseed_ = AcDbHandle(handle.value() + 1);
  return &stub;
}

// The table grows to take a handle that is no further than twice the number of objects
// (and a margin) from the start, so that it never holds much more than the objects do.
void AcDbDatabase::indexStub(AcDbStub* stub) {
  const std::uint64_t value = stub->handle.value();
  if (value >= stubTable_.size()) {
    const std::uint64_t reach = 2 * static_cast<std::uint64_t>(stubStore_.size()) + 4096;
    if (value >= reach) {
      farStubs_[value] = stub;
      return;
    }
    std::uint64_t size = std::max<std::uint64_t>(value + 1, std::min<std::uint64_t>(2 * stubTable_.size(), reach));
    stubTable_.resize(static_cast<size_t>(size), nullptr);
    // Far handles the table now reaches move into it, keeping the map above the table.
    while (!farStubs_.empty() && farStubs_.begin()->first < stubTable_.size()) {
      stubTable_[static_cast<size_t>(farStubs_.begin()->first)] = farStubs_.begin()->second;
      farStubs_.erase(farStubs_.begin());
    }
  }
  stubTable_[static_cast<size_t>(value)] = stub;
}

AcDbStub* AcDbDatabase::stubFor(const AcDbHandle& handle) const {
  const std::uint64_t value = handle.value();
  if (value < stubTable_.size()) return stubTable_[static_cast<size_t>(value)];
  auto it = farStubs_.find(value);
  return it == farStubs_.end() ? nullptr : it->second;
}

std::vector<AcDbStub*> AcDbDatabase::stubs() const {
  std::vector<AcDbStub*> out;
  out.reserve(stubStore_.size());
  for (AcDbStub* stub : stubTable_)
    if (stub != nullptr) out.push_back(stub);
  for (const auto& [value, stub] : farStubs_) out.push_back(stub);
  return out;
}

Acad::ErrorStatus AcDbDatabase::addAcDbObject(AcDbObjectId& id, AcDbObject* obj) {
  if (obj == nullptr) return Acad::eNullObjectPointer;
  if (!obj->objectId().isNull()) return Acad::eAlreadyInDb;
  AcDbStub* stub = newStub(handseed_);
  stub->object = obj;
  stub->writer = true;
  id = AcDbObjectId(stub);
  obj->hostBind(id, true);
  hostRecordCreated(stub);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::getAcDbObjectId(AcDbObjectId& id, bool createIfNotFound, const AcDbHandle& handle,
                                                Adesk::UInt32) {
  id.setNull();
  if (handle.isNull()) return Acad::eNullHandle;
  AcDbStub* stub = stubFor(handle);
  if (stub == nullptr) {
    if (!createIfNotFound) return Acad::eUnknownHandle;
    stub = newStub(handle);
  }
  id = AcDbObjectId(stub);
  return Acad::eOk;
}

AcDbObject* AcDbStubObject::build() const {
  // The stub holds this as its member; the database builds through the stub.
  auto* stub = reinterpret_cast<AcDbStub*>(reinterpret_cast<char*>(const_cast<AcDbStubObject*>(this)) -
                                           offsetof(AcDbStub, object));
  return stub->database != nullptr ? stub->database->hostBuildObject(stub) : nullptr;
}

Acad::ErrorStatus AcDbDatabase::hostMissingObjectStatus(const AcDbStub* stub) const {
  if (source_ == nullptr || stub->fileEntry == nullptr) return Acad::eUnknownHandle;
  Acad::ErrorStatus es = source_->status(stub);
  return es != Acad::eOk ? es : Acad::eUnknownHandle;
}

Acad::ErrorStatus AcDbDatabase::hostAttachObject(AcDbStub* stub, AcDbObject* obj) {
  if (stub == nullptr || obj == nullptr) return Acad::eNullObjectPointer;
  if (stub->database != this) return Acad::eWrongDatabase;
  if (stub->object.peek() != nullptr) return Acad::eHandleExists;
  if (!obj->objectId().isNull()) return Acad::eAlreadyInDb;
  stub->object = obj;
  obj->hostBind(AcDbObjectId(stub), false);
  return Acad::eOk;
}

void AcDbDatabase::hostSetTables(AcDbObjectId block, AcDbObjectId layer, AcDbObjectId linetype, AcDbObjectId style,
                                 AcDbObjectId regapp) {
  blockTable_ = block;
  layerTable_ = layer;
  linetypeTable_ = linetype;
  textStyleTable_ = style;
  regAppTable_ = regapp;
}

// ---- tables and records -------------------------------------------------------------

template <typename Table>
static Acad::ErrorStatus openTable(AcDbObjectId id, Table*& table, AcDb::OpenMode mode) {
  table = nullptr;
  if (id.isNull()) return Acad::eNullObjectId;
  return acdbOpenObject(table, id, mode);
}

Acad::ErrorStatus AcDbDatabase::getBlockTable(AcDbBlockTable*& t, AcDb::OpenMode m) { return openTable(blockTable_, t, m); }
Acad::ErrorStatus AcDbDatabase::getLayerTable(AcDbLayerTable*& t, AcDb::OpenMode m) { return openTable(layerTable_, t, m); }
Acad::ErrorStatus AcDbDatabase::getLinetypeTable(AcDbLinetypeTable*& t, AcDb::OpenMode m) {
  return openTable(linetypeTable_, t, m);
}
Acad::ErrorStatus AcDbDatabase::getTextStyleTable(AcDbTextStyleTable*& t, AcDb::OpenMode m) {
  return openTable(textStyleTable_, t, m);
}
Acad::ErrorStatus AcDbDatabase::getRegAppTable(AcDbRegAppTable*& t, AcDb::OpenMode m) {
  return openTable(regAppTable_, t, m);
}

// Finds a record by name without opening anything: the host reads its own tables.
AcDbObjectId AcDbDatabase::findRecord(AcDbObjectId tableId, const ACHAR* name) const {
  AcDbStub* s = tableId.stub();
  auto* table = s ? AcDbSymbolTable::cast(s->object) : nullptr;
  AcDbObjectId id;
  if (table != nullptr) {
    AcDbObject::HostAccess access(table);
    table->getAt(name, id);
  }
  return id;
}

AcDbObjectId AcDbDatabase::modelSpaceId() const { return findRecord(blockTable_, ACDB_MODEL_SPACE); }

template <typename Record>
static bool isRecordOf(AcDbDatabase* db, AcDbObjectId id) {
  return id.database() == db && !id.isNull() && id.stub()->object && Record::cast(id.stub()->object);
}

Acad::ErrorStatus AcDbDatabase::setClayer(AcDbObjectId id) {
  if (!isRecordOf<AcDbLayerTableRecord>(this, id)) return Acad::eWrongObjectType;
  clayer_ = id;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::setCeltype(AcDbObjectId id) {
  if (!isRecordOf<AcDbLinetypeTableRecord>(this, id)) return Acad::eWrongObjectType;
  celtype_ = id;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::setTextstyle(AcDbObjectId id) {
  if (!isRecordOf<AcDbTextStyleTableRecord>(this, id)) return Acad::eWrongObjectType;
  textstyle_ = id;
  return Acad::eOk;
}

bool AcDbDatabase::hostResolveStandardRecords() {
  layerZero_ = findRecord(layerTable_, L"0");
  byLayer_ = findRecord(linetypeTable_, L"ByLayer");
  byBlock_ = findRecord(linetypeTable_, L"ByBlock");
  continuous_ = findRecord(linetypeTable_, L"Continuous");
  AcDbObjectId standard = findRecord(textStyleTable_, L"Standard");
  if (layerZero_.isNull() || byLayer_.isNull() || byBlock_.isNull() || continuous_.isNull() || standard.isNull() ||
      modelSpaceId().isNull() || regAppTable_.isNull())
    return false;
  if (!isRecordOf<AcDbLayerTableRecord>(this, clayer_)) clayer_ = layerZero_;
  if (!isRecordOf<AcDbLinetypeTableRecord>(this, celtype_)) celtype_ = byLayer_;
  if (!isRecordOf<AcDbTextStyleTableRecord>(this, textstyle_)) textstyle_ = standard;
  return true;
}

// Adds a new table object and closes it.
template <typename Table>
static AcDbObjectId addTable(AcDbDatabase* db) {
  AcDbObjectId id;
  auto* table = new Table();
  db->addAcDbObject(id, table);
  table->close();
  return id;
}

// Adds a named record to a table; `setup` fills it in before it is closed.
template <typename Record, typename Setup>
static AcDbObjectId addRecord(AcDbObjectId tableId, const ACHAR* name, Setup setup) {
  AcDbSymbolTable* table = nullptr;
  AcDbObjectId id;
  if (acdbOpenObject(table, tableId, AcDb::kForWrite) != Acad::eOk) return id;
  auto* rec = new Record();
  rec->setName(name);
  setup(rec);
  if (table->add(id, rec) == Acad::eOk)
    rec->close();
  else
    delete rec;
  table->close();
  return id;
}

void AcDbDatabase::buildDefaultDrawing() {
  blockTable_ = addTable<AcDbBlockTable>(this);
  layerTable_ = addTable<AcDbLayerTable>(this);
  linetypeTable_ = addTable<AcDbLinetypeTable>(this);
  textStyleTable_ = addTable<AcDbTextStyleTable>(this);
  regAppTable_ = addTable<AcDbRegAppTable>(this);
  auto none = [](auto*) {};
  addRecord<AcDbBlockTableRecord>(blockTable_, ACDB_MODEL_SPACE, none);
  addRecord<AcDbBlockTableRecord>(blockTable_, ACDB_PAPER_SPACE, none);
  byBlock_ = addRecord<AcDbLinetypeTableRecord>(linetypeTable_, L"ByBlock", none);
  byLayer_ = addRecord<AcDbLinetypeTableRecord>(linetypeTable_, L"ByLayer", none);
  continuous_ = addRecord<AcDbLinetypeTableRecord>(linetypeTable_, L"Continuous", [](AcDbLinetypeTableRecord* r) {
    r->setComments(L"Solid line");
  });
  AcDbObjectId cont = continuous_;
  layerZero_ = addRecord<AcDbLayerTableRecord>(layerTable_, L"0", [cont](AcDbLayerTableRecord* r) {
    r->setLinetypeObjectId(cont);
  });
  textstyle_ = addRecord<AcDbTextStyleTableRecord>(textStyleTable_, L"Standard", none);
  addRecord<AcDbRegAppTableRecord>(regAppTable_, L"ACAD", none);
  clayer_ = layerZero_;
  celtype_ = byLayer_;
}

// ---- linetype library ---------------------------------------------------------------

namespace {
struct LibraryLinetype {
  const wchar_t* name;
  const wchar_t* description;
  std::vector<double> dashes;
};

// The host's own linetype library: dash lengths in drawing units, positive for a
// dash, negative for a gap, 0 for a dot.
const std::vector<LibraryLinetype>& linetypeLibrary() {
  static const std::vector<LibraryLinetype> lib = {
      {L"DASHED", L"Dashed __ __ __ __ __", {0.5, -0.25}},
      {L"DASHED2", L"Dashed (.5x) _ _ _ _ _", {0.25, -0.125}},
      {L"DASHEDX2", L"Dashed (2x) ____  ____", {1.0, -0.5}},
      {L"HIDDEN", L"Hidden __ __ __ __ __", {0.25, -0.125}},
      {L"HIDDEN2", L"Hidden (.5x) _ _ _ _ _", {0.125, -0.0625}},
      {L"HIDDENX2", L"Hidden (2x) ____ ____", {0.5, -0.25}},
      {L"CENTER", L"Center ____ _ ____ _ ____", {1.25, -0.25, 0.25, -0.25}},
      {L"CENTER2", L"Center (.5x) ___ _ ___ _", {0.75, -0.125, 0.125, -0.125}},
      {L"PHANTOM", L"Phantom ____ _ _ ____ _ _", {1.25, -0.25, 0.25, -0.25, 0.25, -0.25}},
      {L"DOT", L"Dot . . . . . . . .", {0.0, -0.25}},
      {L"DASHDOT", L"Dash dot __ . __ . __", {0.5, -0.25, 0.0, -0.25}},
      {L"DIVIDE", L"Divide ____ . . ____ . .", {0.5, -0.25, 0.0, -0.25, 0.0, -0.25}},
      {L"BORDER", L"Border __ __ . __ __ .", {0.5, -0.25, 0.5, -0.25, 0.0, -0.25}},
  };
  return lib;
}
}  // namespace

Acad::ErrorStatus AcDbDatabase::loadLineTypeFile(const ACHAR* linetypeName, const ACHAR*) {
  if (linetypeName == nullptr) return Acad::eInvalidInput;
  bool all = std::wcscmp(linetypeName, L"*") == 0;
  bool found = false;
  for (const LibraryLinetype& lt : linetypeLibrary()) {
    if (!all && wcscasecmp(lt.name, linetypeName) != 0) continue;
    found = true;
    if (!findRecord(linetypeTable_, lt.name).isNull()) {
      if (!all) return Acad::eDuplicateKey;
      continue;
    }
    AcDbObjectId id = addRecord<AcDbLinetypeTableRecord>(linetypeTable_, lt.name, [&lt](AcDbLinetypeTableRecord* r) {
      r->setComments(lt.description);
      r->setNumDashes(static_cast<int>(lt.dashes.size()));
      for (size_t i = 0; i < lt.dashes.size(); ++i) r->setDashLengthAt(static_cast<int>(i), lt.dashes[i]);
    });
    if (id.isNull()) return Acad::eInvalidInput;
  }
  return found ? Acad::eOk : Acad::eKeyNotFound;
}
