// The document manager: opening, creating, activating, saving and closing drawings,
// document locks, the resource-handle stack, and the notices to document reactors.
#include "arx/ap_doc_manager.h"
#include "arx/reactor_notify.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <exception>
#include <filesystem>

#include "arx/aced_print.h"
#include "arx/editor.h"
#include "lisp/lisp_bridge.h"
#include "mfc/afx_module.h"

namespace fs = std::filesystem;

namespace {

enum class DrawingKind { kNative, kDxf };

std::wstring quotedPath(const std::wstring& path) { return L"\"" + path + L"\""; }

// The kind of drawing a file name stands for, by its extension in any case.
bool drawingKindOf(const std::wstring& path, DrawingKind& kind) {
  std::wstring ext = fs::path(path).extension().wstring();
  for (wchar_t& c : ext) c = static_cast<wchar_t>(std::towlower(c));
  if (ext == L".hdw") kind = DrawingKind::kNative;
  else if (ext == L".dxf") kind = DrawingKind::kDxf;
  else return false;
  return true;
}

std::wstring notADrawing(const std::wstring& path) { return quotedPath(path) + L" is not a .hdw or .dxf drawing"; }

// Plug-in bugs the host reports in debug builds, where a developer reads stderr.
void debugReport(const std::wstring& message) {
#ifndef NDEBUG
  std::fprintf(stderr, "ovhost: %s\n", acutWideToUtf8(message).c_str());
#else
  (void)message;
#endif
}

int lockRank(AcAp::DocLockMode mode) {
  switch (mode) {
    case AcAp::kRead: return 1;
    case AcAp::kAutoWrite: return 2;
    case AcAp::kProtectedAutoWrite: return 3;
    case AcAp::kWrite: return 4;
    case AcAp::kXWrite: return 5;
    default: return 0;
  }
}

bool isLockMode(AcAp::DocLockMode mode) { return lockRank(mode) > 0; }

std::uint64_t gNextSerial = 1;

}  // namespace

// ---- documents ----------------------------------------------------------------------

AcApDocument::AcApDocument(std::wstring fileName, std::unique_ptr<AcDbDatabase> database)
    : fileName_(std::move(fileName)), database_(std::move(database)), serial_(gNextSerial++) {
  database_->setFileName(fileName_);
}

AcApDocument::~AcApDocument() = default;

const ACHAR* AcApDocument::docTitle() const {
  size_t slash = fileName_.find_last_of(L"/\\");
  return fileName_.c_str() + (slash == std::wstring::npos ? 0 : slash + 1);
}

// The host waits for the user unless it runs a dialog or a plug-in's code; while a
// plug-in's function or entry point runs, it is the current LISP application.
bool AcApDocument::isQuiescent() const { return !acDocManagerPtr()->hostBusy() && lispCurrentApplication() == nullptr; }

AcAp::DocLockMode AcApDocument::myLockMode() const {
  AcAp::DocLockMode strongest = AcAp::kNone;
  for (AcAp::DocLockMode mode : locks_)
    if (lockRank(mode) > lockRank(strongest)) strongest = mode;
  return strongest;
}

void AcApDocument::rename(const std::wstring& fileName) {
  fileName_ = fileName;
  database_->setFileName(fileName);
}

// ---- the manager --------------------------------------------------------------------

AcApDocManager* acDocManagerPtr() {
  // Kept for the process: documents still open at exit must not be torn down after
  // the class registry they depend on.
  static AcApDocManager* manager = new AcApDocManager();
  return manager;
}

AcApDocManager::~AcApDocManager() { hostCloseAll(); }

bool AcApDocManager::isOpen(const AcApDocument* doc) const {
  return doc != nullptr &&
         std::any_of(documents_.begin(), documents_.end(), [doc](const auto& d) { return d.get() == doc; });
}

std::vector<AcApDocument*> AcApDocManager::hostDocuments() const {
  std::vector<AcApDocument*> out;
  for (const auto& d : documents_) out.push_back(d.get());
  return out;
}

AcApDocument* AcApDocManager::document(const AcDbDatabase* db) const {
  if (db == nullptr) return nullptr;
  for (const auto& d : documents_)
    if (d->database() == db) return d.get();
  return nullptr;
}

AcApDocument* AcApDocManager::hostDocumentBySerial(std::uint64_t serial) const {
  for (const auto& d : documents_)
    if (d->hostSerial() == serial) return d.get();
  return nullptr;
}

std::wstring AcApDocManager::hostFullPath(const std::wstring& path) {
  if (path.empty()) return path;
  std::error_code ec;
  fs::path full = fs::absolute(fs::path(acutWideToUtf8(path)), ec);
  if (ec) full = fs::path(acutWideToUtf8(path));
  return acutUtf8ToWide(full.lexically_normal().string());
}

AcApDocument* AcApDocManager::hostFindDocument(const std::wstring& path) const {
  std::wstring full = hostFullPath(path);
  for (const auto& d : documents_)
    if (full == d->fileName()) return d.get();
  return nullptr;
}

// ---- locks and resources ------------------------------------------------------------

Acad::ErrorStatus AcApDocManager::lockDocument(AcApDocument* doc, AcAp::DocLockMode mode, const ACHAR*, const ACHAR*,
                                               bool) {
  if (!isOpen(doc) || !isLockMode(mode)) return Acad::eInvalidInput;
  doc->locks_.push_back(mode);
  return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::unlockDocument(AcApDocument* doc) {
  if (!isOpen(doc)) return Acad::eInvalidInput;
  if (doc->locks_.empty()) {
    ++unbalancedUnlocks_;
    debugReport(L"unlockDocument without a lock on " + doc->fileName_);
    return Acad::eNotApplicable;
  }
  doc->locks_.pop_back();
  return Acad::eOk;
}

void AcApDocManager::pushResourceHandle(HINSTANCE handle) {
  resources_.push_back(AfxGetResourceHandle());
  AfxSetResourceHandle(handle);
}

void AcApDocManager::popResourceHandle() {
  if (resources_.empty()) {
    debugReport(L"popResourceHandle without a pushed handle");
    return;
  }
  AfxSetResourceHandle(resources_.back());
  resources_.pop_back();
}

// ---- reactors -----------------------------------------------------------------------

void AcApDocManager::addReactor(AcApDocManagerReactor* reactor) {
  if (reactor == nullptr || std::find(reactors_.begin(), reactors_.end(), reactor) != reactors_.end()) return;
  reactors_.push_back(reactor);
}

void AcApDocManager::removeReactor(AcApDocManagerReactor* reactor) {
  reactors_.erase(std::remove(reactors_.begin(), reactors_.end(), reactor), reactors_.end());
}

int AcApDocManager::hostRemoveReactorsIf(const std::function<bool(const AcApDocManagerReactor*)>& pick) {
  auto end = std::remove_if(reactors_.begin(), reactors_.end(), pick);
  int removed = static_cast<int>(reactors_.end() - end);
  reactors_.erase(end, reactors_.end());
  return removed;
}

void AcApDocManager::notify(const std::function<void(AcApDocManagerReactor*)>& notice) {
  hostNotifyReactors(reactors_, notice, "a document reactor");
}

void AcApDocManager::hostAddDocumentLoadedHook(const void* owner, std::function<void(AcApDocument*)> hook) {
  loadedHooks_.emplace_back(owner, std::move(hook));
}

void AcApDocManager::hostRemoveDocumentLoadedHooks(const void* owner) {
  loadedHooks_.erase(std::remove_if(loadedHooks_.begin(), loadedHooks_.end(),
                                    [owner](const auto& entry) { return entry.first == owner; }),
                     loadedHooks_.end());
}

// ---- creating, activating, closing --------------------------------------------------

void AcApDocManager::makeCurrent(AcApDocument* doc) {
  current_ = doc;
  acdbHostApplicationServices()->setWorkingDatabase(doc != nullptr ? doc->database() : nullptr);
}

void AcApDocManager::addAndActivate(std::unique_ptr<AcApDocument> owned) {
  AcApDocument* doc = owned.get();
  documents_.push_back(std::move(owned));
  makeCurrent(doc);
  notify([doc](AcApDocManagerReactor* r) { r->documentCreateStarted(doc); });
  if (isOpen(doc)) notify([doc](AcApDocManagerReactor* r) { r->documentCreated(doc); });
  auto hooks = loadedHooks_;
  for (const auto& [owner, hook] : hooks)
    if (isOpen(doc)) hook(doc);
  if (isOpen(doc)) activateDocument(doc);
}

Acad::ErrorStatus AcApDocManager::activateDocument(AcApDocument* doc, bool) {
  if (!isOpen(doc)) return Acad::eInvalidInput;
  if (doc == active_) {
    makeCurrent(doc);
    return Acad::eOk;
  }
  notify([doc](AcApDocManagerReactor* r) { r->documentToBeActivated(doc); });
  if (!isOpen(doc)) return Acad::eOk;  // a reactor closed it meanwhile
  active_ = doc;
  makeCurrent(doc);
  activations_.erase(std::remove(activations_.begin(), activations_.end(), doc), activations_.end());
  activations_.push_back(doc);
  notify([doc](AcApDocManagerReactor* r) { r->documentActivated(doc); });
  return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::setCurDocument(AcApDocument* doc, AcAp::DocLockMode mode, bool activate) {
  if (!isOpen(doc)) return Acad::eInvalidInput;
  if (mode != AcAp::kNone) {
    Acad::ErrorStatus es = lockDocument(doc, mode);
    if (es != Acad::eOk) return es;
  }
  if (activate) return activateDocument(doc);
  makeCurrent(doc);
  return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::closeDocument(AcApDocument* doc) {
  if (!isOpen(doc)) return Acad::eInvalidInput;
  // A locked document is in use by a command or a plug-in: closing it under them
  // would pull the database away from code that holds its objects.
  if (!doc->locks_.empty()) return Acad::eInvalidOpenState;
  notify([doc](AcApDocManagerReactor* r) { r->documentToBeDestroyed(doc); });
  if (!isOpen(doc)) return Acad::eOk;  // a reactor closed it meanwhile
  bool wasActive = active_ == doc;
  activations_.erase(std::remove(activations_.begin(), activations_.end(), doc), activations_.end());
  if (active_ == doc) active_ = nullptr;
  if (current_ == doc) makeCurrent(nullptr);
  auto it = std::find_if(documents_.begin(), documents_.end(), [doc](const auto& d) { return d.get() == doc; });
  std::unique_ptr<AcApDocument> closing = std::move(*it);
  documents_.erase(it);
  closing.reset();
  if (wasActive && !activations_.empty()) activateDocument(activations_.back());
  else if (current_ == nullptr && active_ != nullptr) makeCurrent(active_);
  return Acad::eOk;
}

void AcApDocManager::hostCloseAll() {
  // The inactive documents first, so that closing does not activate one after another.
  std::vector<AcApDocument*> order = hostDocuments();
  std::stable_partition(order.begin(), order.end(), [this](AcApDocument* d) { return d != active_; });
  for (AcApDocument* doc : order) {
    if (!isOpen(doc)) continue;
    if (!doc->locks_.empty()) {
      debugReport(L"closing " + doc->fileName_ + L" with " + std::to_wstring(doc->locks_.size()) +
                  L" lock(s) still held");
      doc->locks_.clear();
    }
    closeDocument(doc);
  }
}

// ---- opening and saving -------------------------------------------------------------

Acad::ErrorStatus AcApDocManager::hostNewDocument(const std::wstring& path, AcApDocument*& doc, std::wstring& message) {
  doc = nullptr;
  if (path.empty()) {
    message = L"no file name given";
    return Acad::eInvalidInput;
  }
  std::wstring full = hostFullPath(path);
  DrawingKind kind;
  if (!drawingKindOf(full, kind)) {
    message = notADrawing(full);
    return Acad::eInvalidInput;
  }
  if (hostFindDocument(full) != nullptr) {
    message = quotedPath(full) + L" is already open";
    return Acad::eInvalidInput;
  }
  std::unique_ptr<AcApDocument> made(new AcApDocument(full, std::make_unique<AcDbDatabase>(true)));
  doc = made.get();
  addAndActivate(std::move(made));
  if (!isOpen(doc)) doc = nullptr;
  return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::hostOpenDocument(const std::wstring& path, AcApDocument*& doc, std::wstring& message) {
  doc = nullptr;
  if (path.empty()) {
    message = L"no file name given";
    return Acad::eInvalidInput;
  }
  std::wstring full = hostFullPath(path);
  if (AcApDocument* open = hostFindDocument(full)) {
    activateDocument(open);
    doc = open;
    return Acad::eOk;
  }
  DrawingKind kind;
  if (!drawingKindOf(full, kind)) {
    message = notADrawing(full);
    return Acad::eInvalidInput;
  }
  std::error_code ec;
  fs::file_status status = fs::status(fs::path(acutWideToUtf8(full)), ec);
  if (!fs::exists(status)) return hostNewDocument(full, doc, message);
  if (fs::is_directory(status)) {
    message = quotedPath(full) + L" is a folder, not a drawing";
    return Acad::eInvalidInput;
  }
  // Read into a database of its own: a refused file leaves every open document as it was.
  auto db = std::make_unique<AcDbDatabase>(false);
  Acad::ErrorStatus es = kind == DrawingKind::kNative ? db->readDwgFile(full.c_str()) : db->dxfIn(full.c_str());
  if (es != Acad::eOk) {
    message = db->lastFileError().empty() ? quotedPath(full) + L" cannot be read" : db->lastFileError();
    return es;
  }
  std::unique_ptr<AcApDocument> made(new AcApDocument(full, std::move(db)));
  doc = made.get();
  addAndActivate(std::move(made));
  if (!isOpen(doc)) doc = nullptr;
  return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::appContextOpenDocument(const ACHAR* path) {
  AcApDocument* doc = nullptr;
  std::wstring message;
  return hostOpenDocument(path != nullptr ? path : L"", doc, message);
}

Acad::ErrorStatus AcApDocManager::appContextNewDocument(const ACHAR*) {
  for (int n = 1;; ++n) {
    std::wstring name = L"Drawing" + std::to_wstring(n) + L".hdw";
    if (hostFindDocument(name) != nullptr) continue;
    AcApDocument* doc = nullptr;
    std::wstring message;
    return hostNewDocument(name, doc, message);
  }
}

Acad::ErrorStatus AcApDocManager::hostSaveDocument(AcApDocument* doc, const std::wstring& path, std::wstring& message) {
  if (!isOpen(doc)) {
    message = L"no such document";
    return Acad::eInvalidInput;
  }
  std::wstring full = path.empty() ? doc->fileName_ : hostFullPath(path);
  DrawingKind kind;
  if (!drawingKindOf(full, kind)) {
    message = notADrawing(full);
    return Acad::eInvalidInput;
  }
  AcApDocument* other = hostFindDocument(full);
  if (other != nullptr && other != doc) {
    message = quotedPath(full) + L" is open in another document";
    return Acad::eInvalidInput;
  }
  AcDbDatabase* db = doc->database();
  acedEditorObject()->hostBeginSave(db, full.c_str());
  if (!isOpen(doc)) {
    message = L"the document was closed while it was being saved";
    return Acad::eInvalidInput;
  }
  Acad::ErrorStatus es = kind == DrawingKind::kNative ? db->saveAs(full.c_str()) : db->dxfOut(full.c_str());
  if (es != Acad::eOk) {
    message = db->lastFileError().empty() ? quotedPath(full) + L" cannot be written" : db->lastFileError();
    return es;
  }
  doc->rename(full);
  acedEditorObject()->hostSaveComplete(db, full.c_str());
  return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::hostAutoSaveDocument(AcApDocument* doc, const std::wstring& path,
                                                       std::wstring& message) {
  if (!isOpen(doc) || path.empty()) {
    message = isOpen(doc) ? L"no automatic save file name" : L"no such document";
    return Acad::eInvalidInput;
  }
  std::wstring full = hostFullPath(path);
  AcDbDatabase* db = doc->database();
  Acad::ErrorStatus es = db->saveAs(full.c_str());
  // The automatic save file is a copy: the document keeps its own name.
  db->setFileName(doc->fileName_);
  if (es != Acad::eOk) {
    message = db->lastFileError().empty() ? quotedPath(full) + L" cannot be written" : db->lastFileError();
    return es;
  }
  acedEditorObject()->hostSaveComplete(db, full.c_str());
  return Acad::eOk;
}

// ---- commands -----------------------------------------------------------------------

AcApCommandScope::AcApCommandScope() {
  AcApDocument* doc = acDocManagerPtr()->document(acdbHostApplicationServices()->workingDatabase());
  if (doc == nullptr) return;
  serial_ = doc->hostSerial();
  doc->database()->beginUndoGroup();
}

AcApCommandScope::~AcApCommandScope() {
  if (serial_ == 0) return;
  if (AcApDocument* doc = acDocManagerPtr()->hostDocumentBySerial(serial_)) doc->database()->endUndoGroup();
}
