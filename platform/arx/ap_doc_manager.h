// Documents: each open drawing with its database, file name, locks and user
// coordinate system; the document manager that opens, activates, saves and closes them
// and tells its reactors, in the order the real host does.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "arx/db_database.h"
#include "arx/ge.h"
#include "arx/rx.h"
#include "win/windows_types.h"

namespace AcAp {
// How a document is locked. A lock is counted: every lockDocument needs its own
// unlockDocument, the last lock taken being the first released.
enum DocLockMode {
  kNone = 0x00,
  kAutoWrite = 0x01,
  kNotLocked = 0x02,
  kWrite = 0x04,
  kProtectedAutoWrite = 0x08,
  kRead = 0x10,
  kXWrite = 0x20,
};
}  // namespace AcAp

class AcApDocManager;

class AcApDocument : public AcRxObject {
 public:
  static AcApDocument* cast(const AcRxObject* p) {
    return const_cast<AcApDocument*>(dynamic_cast<const AcApDocument*>(p));
  }
  ~AcApDocument() override;
  AcApDocument(const AcApDocument&) = delete;
  AcApDocument& operator=(const AcApDocument&) = delete;

  // The full path the drawing was opened from or will be saved to.
  const ACHAR* fileName() const { return fileName_.c_str(); }
  // The file name without its folder ("Drawing1.hdw").
  const ACHAR* docTitle() const;
  AcDbDatabase* database() const { return database_.get(); }
  // True while the host waits for the user's next input; false while a plug-in's
  // function, entry point or a dialog runs.
  bool isQuiescent() const;
  // The strongest lock held (kXWrite over kWrite over the auto-write modes over kRead),
  // kNone when the document is not locked.
  AcAp::DocLockMode myLockMode() const;

  // Host side: the number of locks held, and the user coordinate system as the
  // matrix taking UCS coordinates to world coordinates.
  int hostLockCount() const { return static_cast<int>(locks_.size()); }
  const AcGeMatrix3d& hostUcs() const { return ucs_; }
  void hostSetUcs(const AcGeMatrix3d& ucs) { ucs_ = ucs; }
  // Unique for the process's life, so that a document can be looked for again later
  // without trusting a pointer that may have been freed and reused.
  std::uint64_t hostSerial() const { return serial_; }

 private:
  friend class AcApDocManager;
  AcApDocument(std::wstring fileName, std::unique_ptr<AcDbDatabase> database);
  void rename(const std::wstring& fileName);

  std::wstring fileName_;
  std::unique_ptr<AcDbDatabase> database_;
  std::vector<AcAp::DocLockMode> locks_;
  AcGeMatrix3d ucs_;
  std::uint64_t serial_;
};

// Told about documents as they are created, activated and destroyed. Each notice is
// given the document; the defaults do nothing.
class AcApDocManagerReactor : public AcRxObject {
 public:
  virtual void documentCreateStarted(AcApDocument*) {}
  virtual void documentCreated(AcApDocument*) {}
  virtual void documentToBeDestroyed(AcApDocument*) {}
  virtual void documentToBeActivated(AcApDocument*) {}
  virtual void documentActivated(AcApDocument*) {}
};

// Walks the documents open when it was made, in the order they were opened. The
// caller deletes it.
class AcApDocumentIterator {
 public:
  explicit AcApDocumentIterator(std::vector<AcApDocument*> documents) : documents_(std::move(documents)) {}
  bool done() const { return pos_ >= documents_.size(); }
  void step() { ++pos_; }
  AcApDocument* document() const { return done() ? nullptr : documents_[pos_]; }

 private:
  std::vector<AcApDocument*> documents_;
  size_t pos_ = 0;
};

// The document manager. Notices go to the reactors in the order they were added:
// opening or creating a document fires documentCreateStarted, documentCreated, then
// documentToBeActivated and documentActivated; switching fires the last two; closing
// fires documentToBeDestroyed and then activates the most recently active document
// left. The current document (and with it the working database) is the new one from
// documentCreateStarted on; mdiActiveDocument changes between documentToBeActivated
// and documentActivated.
class AcApDocManager : public AcRxObject {
 public:
  AcApDocManager() = default;
  ~AcApDocManager() override;
  AcApDocManager(const AcApDocManager&) = delete;
  AcApDocManager& operator=(const AcApDocManager&) = delete;

  AcApDocument* curDocument() const { return current_; }
  AcApDocument* mdiActiveDocument() const { return active_; }
  // The document whose database this is; null for a database of no document.
  AcApDocument* document(const AcDbDatabase* db) const;
  int documentCount() const { return static_cast<int>(documents_.size()); }
  AcApDocumentIterator* newAcApDocumentIterator() const { return new AcApDocumentIterator(hostDocuments()); }

  // Locks are counted per document. An unlock with no lock held answers
  // eNotApplicable (and is reported on stderr in debug builds: it is a plug-in bug).
  // A null or unknown document answers eInvalidInput, kNone or kNotLocked as a mode
  // eInvalidInput. The command names and the prompt flag are accepted and unused.
  Acad::ErrorStatus lockDocument(AcApDocument* doc, AcAp::DocLockMode mode = AcAp::kWrite,
                                 const ACHAR* globalCmdName = nullptr, const ACHAR* localCmdName = nullptr,
                                 bool prompt = true);
  Acad::ErrorStatus unlockDocument(AcApDocument* doc);

  // Makes handle the framework's resource handle (the one dialogs load their
  // templates from), keeping the one it replaces; popResourceHandle puts that back.
  // A pop with nothing pushed changes nothing (reported in debug builds).
  void pushResourceHandle(HINSTANCE handle);
  void popResourceHandle();
  int hostPushedResourceHandles() const { return static_cast<int>(resources_.size()); }

  void addReactor(AcApDocManagerReactor* reactor);
  void removeReactor(AcApDocManagerReactor* reactor);

  // Opens a drawing (.hdw or .dxf) and activates it; an open one is only activated.
  Acad::ErrorStatus appContextOpenDocument(const ACHAR* path);
  // Starts a new drawing "DrawingN.hdw" in the current folder and activates it.
  Acad::ErrorStatus appContextNewDocument(const ACHAR* templateName = nullptr);
  // Makes a document the active one (nothing happens for the active document).
  Acad::ErrorStatus activateDocument(AcApDocument* doc, bool passScript = false);
  // Makes a document current without activating it (with activate, activates it),
  // first locking it when a mode other than kNone is given.
  Acad::ErrorStatus setCurDocument(AcApDocument* doc, AcAp::DocLockMode mode = AcAp::kNone, bool activate = false);
  // Closes a document; a locked one answers eInvalidOpenState and stays open.
  Acad::ErrorStatus closeDocument(AcApDocument* doc);

  // ---- the host's own operations -------------------------------------------------
  // A full, normalised path for a file name as the user gave it.
  static std::wstring hostFullPath(const std::wstring& path);
  // The open document of that path (compared after hostFullPath; case counts).
  AcApDocument* hostFindDocument(const std::wstring& path) const;
  // The open documents in the order they were opened.
  std::vector<AcApDocument*> hostDocuments() const;
  // The open document with this serial number (see AcApDocument::hostSerial), or null.
  AcApDocument* hostDocumentBySerial(std::uint64_t serial) const;
  // Opens the drawing at path, or starts a new one to be saved there when no file is
  // there; an open document of that path is activated instead. Only .hdw and .dxf.
  // On failure nothing is opened and message says why.
  Acad::ErrorStatus hostOpenDocument(const std::wstring& path, AcApDocument*& doc, std::wstring& message);
  // Starts a new, empty drawing that will be saved at path, whether or not a file is
  // there.
  Acad::ErrorStatus hostNewDocument(const std::wstring& path, AcApDocument*& doc, std::wstring& message);
  // Saves a document by the extension of path (.hdw native, .dxf DXF); an empty path
  // saves under its own name. A new name renames the document. Every save tells the
  // editor's reactors saveComplete with the full name saved to.
  Acad::ErrorStatus hostSaveDocument(AcApDocument* doc, const std::wstring& path, std::wstring& message);
  // Writes the automatic save file (native format) without renaming the document, and
  // tells saveComplete with that file's name, as the host's timed save does.
  Acad::ErrorStatus hostAutoSaveDocument(AcApDocument* doc, const std::wstring& path, std::wstring& message);
  // Closes every document, locked or not (at exit and between tests).
  void hostCloseAll();
  // Called after documentCreated for every new document, before it is activated: the
  // plug-in loader sends kLoadDwgMsg from here. Hooks are removed by owner.
  void hostAddDocumentLoadedHook(const void* owner, std::function<void(AcApDocument*)> hook);
  void hostRemoveDocumentLoadedHooks(const void* owner);
  // Removes every reactor the predicate picks (a plug-in's, at its unload); answers
  // how many.
  int hostRemoveReactorsIf(const std::function<bool(const AcApDocManagerReactor*)>& pick);
  int hostReactorCount() const { return static_cast<int>(reactors_.size()); }
  // How many unlocks found no lock, since the start.
  int hostUnbalancedUnlocks() const { return unbalancedUnlocks_; }
  // A dialog or plug-in code running: the documents are not quiescent meanwhile.
  void hostBeginBusy() { ++busy_; }
  void hostEndBusy() { if (busy_ > 0) --busy_; }
  bool hostBusy() const { return busy_ > 0; }

 private:
  bool isOpen(const AcApDocument* doc) const;
  void addAndActivate(std::unique_ptr<AcApDocument> doc);
  void makeCurrent(AcApDocument* doc);
  void notify(const std::function<void(AcApDocManagerReactor*)>& notice);

  std::vector<std::unique_ptr<AcApDocument>> documents_;  // in open order
  std::vector<AcApDocument*> activations_;                 // most recently active last
  std::vector<AcApDocManagerReactor*> reactors_;
  std::vector<std::pair<const void*, std::function<void(AcApDocument*)>>> loadedHooks_;
  std::vector<HINSTANCE> resources_;  // the handles the pushes replaced
  AcApDocument* current_ = nullptr;
  AcApDocument* active_ = nullptr;
  int unbalancedUnlocks_ = 0;
  int busy_ = 0;
};

// The process's document manager.
AcApDocManager* acDocManagerPtr();
#define acDocManager acDocManagerPtr()

// Marks a stretch of work during which the documents are not quiescent (a dialog
// shown, a plug-in's entry point running).
class AcApBusyScope {
 public:
  AcApBusyScope() { acDocManagerPtr()->hostBeginBusy(); }
  ~AcApBusyScope() { acDocManagerPtr()->hostEndBusy(); }
  AcApBusyScope(const AcApBusyScope&) = delete;
  AcApBusyScope& operator=(const AcApBusyScope&) = delete;
};

// One command of the user (for the console host, one top-level LISP form): an undo
// group on the working database's document, so that an undo takes the whole command
// back. The group is closed on the same document even when the command switched to
// another one, and not at all when the document was closed meanwhile.
class AcApCommandScope {
 public:
  AcApCommandScope();
  ~AcApCommandScope();
  AcApCommandScope(const AcApCommandScope&) = delete;
  AcApCommandScope& operator=(const AcApCommandScope&) = delete;

 private:
  std::uint64_t serial_ = 0;
};
