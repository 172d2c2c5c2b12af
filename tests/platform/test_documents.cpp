// The document manager: the order of document events, which document is current and
// active and which database is the working one, lookups, locks, saving, reading
// drawings back, quiescence and the resource-handle stack.
#include <fstream>
#include <memory>

#include "arx/ap_doc_manager.h"
#include "lisp/lisp_bridge.h"
#include "mfc/afx_module.h"
#include "test_documents_fixture.h"

namespace {

using Events = std::vector<std::wstring>;

// ---- events and the current document ------------------------------------------------

// A new drawing is created and then activated, each in two steps.
TEST_F(DocumentsTest, OpeningFiresCreationThenActivation) {
  AcApDocument* doc = open("a.hdw");
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(log_.events, (Events{L"createStarted a.hdw", L"created a.hdw", L"toBeActivated a.hdw", L"activated a.hdw"}));
  EXPECT_EQ(manager()->curDocument(), doc);
  EXPECT_EQ(manager()->mdiActiveDocument(), doc);
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), doc->database());
  EXPECT_EQ(std::wstring(doc->fileName()), path("a.hdw"));
  EXPECT_STREQ(doc->docTitle(), L"a.hdw");
}

// What a reactor sees while a second document is created: it is already current
// (its database the working one), but the first stays active until the activation.
TEST_F(DocumentsTest, NewDocumentIsCurrentFromCreationAndActiveOnlyWhenActivated) {
  AcApDocument* first = open("a.hdw");
  struct Watcher : AcApDocManagerReactor {
    std::vector<std::pair<AcApDocument*, AcApDocument*>> seen;  // current, active
    void record() { seen.emplace_back(acDocManagerPtr()->curDocument(), acDocManagerPtr()->mdiActiveDocument()); }
    void documentCreateStarted(AcApDocument*) override { record(); }
    void documentCreated(AcApDocument*) override { record(); }
    void documentToBeActivated(AcApDocument*) override { record(); }
    void documentActivated(AcApDocument*) override { record(); }
  } watcher;
  manager()->addReactor(&watcher);
  AcApDocument* second = open("b.hdw");
  manager()->removeReactor(&watcher);
  ASSERT_EQ(watcher.seen.size(), 4u);
  EXPECT_EQ(watcher.seen[0], std::make_pair(second, first));
  EXPECT_EQ(watcher.seen[1], std::make_pair(second, first));
  EXPECT_EQ(watcher.seen[2], std::make_pair(second, first));
  EXPECT_EQ(watcher.seen[3], std::make_pair(second, second));
}

TEST_F(DocumentsTest, SwitchingFiresToBeActivatedThenActivatedAndMovesTheWorkingDatabase) {
  AcApDocument* a = open("a.hdw");
  open("b.hdw");
  log_.events.clear();
  EXPECT_EQ(manager()->activateDocument(a), Acad::eOk);
  EXPECT_EQ(log_.events, (Events{L"toBeActivated a.hdw", L"activated a.hdw"}));
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), a->database());
  // The active document again: nothing to tell.
  log_.events.clear();
  EXPECT_EQ(manager()->activateDocument(a), Acad::eOk);
  EXPECT_TRUE(log_.events.empty());
}

// Closing the active document activates the one active before it, not the last opened.
TEST_F(DocumentsTest, ClosingTheActiveDocumentActivatesThePreviouslyActiveOne) {
  AcApDocument* a = open("a.hdw");
  AcApDocument* b = open("b.hdw");
  open("c.hdw");
  manager()->activateDocument(b);
  manager()->activateDocument(a);
  log_.events.clear();
  EXPECT_EQ(manager()->closeDocument(a), Acad::eOk);
  EXPECT_EQ(log_.events, (Events{L"toBeDestroyed a.hdw", L"toBeActivated b.hdw", L"activated b.hdw"}));
  EXPECT_EQ(manager()->mdiActiveDocument(), b);
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), b->database());
  EXPECT_EQ(manager()->documentCount(), 2);
}

TEST_F(DocumentsTest, ClosingAnInactiveDocumentLeavesTheActiveOne) {
  AcApDocument* a = open("a.hdw");
  AcApDocument* b = open("b.hdw");
  log_.events.clear();
  EXPECT_EQ(manager()->closeDocument(a), Acad::eOk);
  EXPECT_EQ(log_.events, (Events{L"toBeDestroyed a.hdw"}));
  EXPECT_EQ(manager()->mdiActiveDocument(), b);
}

TEST_F(DocumentsTest, ClosingTheLastDocumentLeavesNoWorkingDatabase) {
  AcApDocument* a = open("a.hdw");
  EXPECT_EQ(manager()->closeDocument(a), Acad::eOk);
  EXPECT_EQ(manager()->curDocument(), nullptr);
  EXPECT_EQ(manager()->mdiActiveDocument(), nullptr);
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), nullptr);
  // A document no longer open is refused, not followed.
  EXPECT_EQ(manager()->closeDocument(a), Acad::eInvalidInput);
  EXPECT_EQ(manager()->activateDocument(a), Acad::eInvalidInput);
}

// Making a document current without activating it tells nobody and moves the
// working database only.
TEST_F(DocumentsTest, SetCurDocumentWithoutActivationMovesOnlyTheWorkingDatabase) {
  AcApDocument* a = open("a.hdw");
  AcApDocument* b = open("b.hdw");
  log_.events.clear();
  EXPECT_EQ(manager()->setCurDocument(a), Acad::eOk);
  EXPECT_TRUE(log_.events.empty());
  EXPECT_EQ(manager()->curDocument(), a);
  EXPECT_EQ(manager()->mdiActiveDocument(), b);
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), a->database());
  EXPECT_EQ(manager()->setCurDocument(b, AcAp::kWrite, true), Acad::eOk);
  EXPECT_EQ(b->myLockMode(), AcAp::kWrite);
  EXPECT_EQ(manager()->unlockDocument(b), Acad::eOk);
}

// ---- lookups --------------------------------------------------------------------------

TEST_F(DocumentsTest, DocumentIsFoundByItsDatabaseAndByItsPath) {
  AcApDocument* a = open("a.hdw");
  AcApDocument* b = open("b.dxf");
  EXPECT_EQ(manager()->document(a->database()), a);
  EXPECT_EQ(manager()->document(b->database()), b);
  AcDbDatabase loose;
  EXPECT_EQ(manager()->document(&loose), nullptr);
  EXPECT_EQ(manager()->document(nullptr), nullptr);
  EXPECT_EQ(manager()->hostFindDocument(path("b.dxf")), b);
  EXPECT_EQ(manager()->hostFindDocument(path("sub/../a.hdw")), a);
  EXPECT_EQ(manager()->hostFindDocument(path("A.hdw")), nullptr);  // case counts
}

// The iterator keeps the order of opening whatever the order of activation.
TEST_F(DocumentsTest, IteratorWalksDocumentsInOpenOrder) {
  AcApDocument* a = open("a.hdw");
  AcApDocument* b = open("b.hdw");
  AcApDocument* c = open("c.hdw");
  manager()->activateDocument(a);
  std::unique_ptr<AcApDocumentIterator> it(manager()->newAcApDocumentIterator());
  std::vector<AcApDocument*> seen;
  for (; !it->done(); it->step()) seen.push_back(it->document());
  EXPECT_EQ(seen, (std::vector<AcApDocument*>{a, b, c}));
  EXPECT_EQ(it->document(), nullptr);
}

TEST_F(DocumentsTest, OpeningAnOpenDrawingActivatesItInsteadOfOpeningItTwice) {
  AcApDocument* a = open("a.hdw");
  open("b.hdw");
  log_.events.clear();
  EXPECT_EQ(open("a.hdw"), a);
  EXPECT_EQ(manager()->documentCount(), 2);
  EXPECT_EQ(log_.events, (Events{L"toBeActivated a.hdw", L"activated a.hdw"}));
}

TEST_F(DocumentsTest, NewDocumentsGetFreeDrawingNames) {
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder_);
  EXPECT_EQ(manager()->appContextNewDocument(), Acad::eOk);
  EXPECT_EQ(manager()->appContextNewDocument(), Acad::eOk);
  std::filesystem::current_path(previous);
  std::vector<AcApDocument*> docs = manager()->hostDocuments();
  ASSERT_EQ(docs.size(), 2u);
  EXPECT_EQ(std::wstring(docs[0]->fileName()), path("Drawing1.hdw"));
  EXPECT_EQ(std::wstring(docs[1]->fileName()), path("Drawing2.hdw"));
}

// ---- locks ----------------------------------------------------------------------------

TEST_F(DocumentsTest, LocksAreCountedAndTheStrongestModeShows) {
  AcApDocument* a = open("a.hdw");
  AcApDocument* b = open("b.hdw");
  EXPECT_EQ(a->myLockMode(), AcAp::kNone);
  EXPECT_EQ(manager()->lockDocument(a, AcAp::kRead), Acad::eOk);
  EXPECT_EQ(manager()->lockDocument(a), Acad::eOk);  // kWrite by default
  EXPECT_EQ(manager()->lockDocument(a, AcAp::kRead), Acad::eOk);
  EXPECT_EQ(a->hostLockCount(), 3);
  EXPECT_EQ(a->myLockMode(), AcAp::kWrite);
  EXPECT_EQ(b->myLockMode(), AcAp::kNone);  // locks belong to one document
  EXPECT_EQ(manager()->unlockDocument(a), Acad::eOk);
  EXPECT_EQ(manager()->unlockDocument(a), Acad::eOk);
  EXPECT_EQ(a->myLockMode(), AcAp::kRead);
  EXPECT_EQ(manager()->unlockDocument(a), Acad::eOk);
  EXPECT_EQ(a->myLockMode(), AcAp::kNone);
  EXPECT_EQ(a->hostLockCount(), 0);
}

TEST_F(DocumentsTest, AnUnbalancedUnlockIsAnErrorAndCounted) {
  AcApDocument* a = open("a.hdw");
  int before = manager()->hostUnbalancedUnlocks();
  EXPECT_EQ(manager()->unlockDocument(a), Acad::eNotApplicable);
  EXPECT_EQ(manager()->hostUnbalancedUnlocks(), before + 1);
  EXPECT_EQ(a->hostLockCount(), 0);
}

TEST_F(DocumentsTest, LockRefusesNoDocumentAndNoMode) {
  AcApDocument* a = open("a.hdw");
  EXPECT_EQ(manager()->lockDocument(nullptr), Acad::eInvalidInput);
  EXPECT_EQ(manager()->lockDocument(a, AcAp::kNone), Acad::eInvalidInput);
  EXPECT_EQ(manager()->lockDocument(a, AcAp::kNotLocked), Acad::eInvalidInput);
  EXPECT_EQ(manager()->unlockDocument(nullptr), Acad::eInvalidInput);
  EXPECT_EQ(a->hostLockCount(), 0);
}

// A command holding the lock would lose its database under it.
TEST_F(DocumentsTest, ALockedDocumentCannotBeClosed) {
  AcApDocument* a = open("a.hdw");
  manager()->lockDocument(a, AcAp::kWrite);
  log_.events.clear();
  EXPECT_EQ(manager()->closeDocument(a), Acad::eInvalidOpenState);
  EXPECT_TRUE(log_.events.empty());
  EXPECT_EQ(manager()->documentCount(), 1);
  manager()->unlockDocument(a);
  EXPECT_EQ(manager()->closeDocument(a), Acad::eOk);
}

// ---- saving and reading back ----------------------------------------------------------

TEST_F(DocumentsTest, SavingUnderANewNameRenamesAndTellsTheFullName) {
  AcApDocument* a = open("a.hdw");
  std::wstring message;
  log_.events.clear();
  ASSERT_EQ(manager()->hostSaveDocument(a, path("renamed.hdw"), message), Acad::eOk) << message;
  EXPECT_EQ(log_.events, (Events{L"saveComplete " + path("renamed.hdw") + L" of renamed.hdw"}));
  EXPECT_EQ(std::wstring(a->fileName()), path("renamed.hdw"));
  EXPECT_EQ(a->database()->fileName(), path("renamed.hdw"));
  EXPECT_TRUE(std::filesystem::exists(folder_ / "renamed.hdw"));
  // Saving under its own name tells the reactors as well.
  log_.events.clear();
  ASSERT_EQ(manager()->hostSaveDocument(a, L"", message), Acad::eOk) << message;
  EXPECT_EQ(log_.events, (Events{L"saveComplete " + path("renamed.hdw") + L" of renamed.hdw"}));
}

TEST_F(DocumentsTest, SavingAsDxfWritesDxf) {
  AcApDocument* a = open("a.hdw");
  std::wstring message;
  ASSERT_EQ(manager()->hostSaveDocument(a, path("a.dxf"), message), Acad::eOk) << message;
  std::ifstream in(folder_ / "a.dxf");
  std::string first, second;
  std::getline(in, first);
  std::getline(in, second);
  EXPECT_EQ(second, "SECTION");
  EXPECT_STREQ(a->docTitle(), L"a.dxf");
}

// A refused save tells nobody and keeps the document's name.
TEST_F(DocumentsTest, RefusedSavesChangeNothing) {
  AcApDocument* a = open("a.hdw");
  open("b.hdw");
  std::wstring message;
  log_.events.clear();
  EXPECT_EQ(manager()->hostSaveDocument(a, path("a.txt"), message), Acad::eInvalidInput);
  EXPECT_NE(message.find(L"not a .hdw or .dxf"), std::wstring::npos);
  EXPECT_EQ(manager()->hostSaveDocument(a, path("b.hdw"), message), Acad::eInvalidInput);
  EXPECT_NE(message.find(L"open in another document"), std::wstring::npos);
  EXPECT_NE(manager()->hostSaveDocument(a, path("missing/a.hdw"), message), Acad::eOk);
  EXPECT_FALSE(message.empty());
  EXPECT_TRUE(log_.events.empty());
  EXPECT_EQ(std::wstring(a->fileName()), path("a.hdw"));
  EXPECT_EQ(a->database()->fileName(), path("a.hdw"));
}

// The automatic save is a copy: the reactors hear its name, the document keeps its own.
TEST_F(DocumentsTest, AutomaticSaveKeepsTheDocumentsName) {
  AcApDocument* a = open("a.hdw");
  std::wstring message;
  log_.events.clear();
  ASSERT_EQ(manager()->hostAutoSaveDocument(a, path("a.sv$"), message), Acad::eOk) << message;
  EXPECT_EQ(log_.events, (Events{L"saveComplete " + path("a.sv$") + L" of a.hdw"}));
  EXPECT_EQ(std::wstring(a->fileName()), path("a.hdw"));
  EXPECT_EQ(a->database()->fileName(), path("a.hdw"));
  EXPECT_TRUE(std::filesystem::exists(folder_ / "a.sv$"));
}

TEST_F(DocumentsTest, SavedDrawingsOpenAgainWithTheirEntities) {
  AcApDocument* a = open("a.hdw");
  addLine(a->database(), 1);
  addLine(a->database(), 2);
  std::wstring message;
  ASSERT_EQ(manager()->hostSaveDocument(a, L"", message), Acad::eOk) << message;
  ASSERT_EQ(manager()->hostSaveDocument(a, path("a.dxf"), message), Acad::eOk) << message;
  manager()->closeDocument(a);
  EXPECT_EQ(entityCount(open("a.hdw")->database()), 2);
  EXPECT_EQ(entityCount(open("a.dxf")->database()), 2);
}

// A file that cannot be read opens nothing and leaves the active document alone.
TEST_F(DocumentsTest, ACorruptDrawingOpensNothing) {
  AcApDocument* a = open("a.hdw");
  std::ofstream(folder_ / "bad.hdw") << "not a drawing at all";
  std::ofstream(folder_ / "bad.dxf") << "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nx\n";
  log_.events.clear();
  for (const char* name : {"bad.hdw", "bad.dxf"}) {
    AcApDocument* doc = nullptr;
    std::wstring message;
    EXPECT_NE(manager()->hostOpenDocument(path(name), doc, message), Acad::eOk) << name;
    EXPECT_EQ(doc, nullptr);
    EXPECT_FALSE(message.empty());
  }
  AcApDocument* doc = nullptr;
  std::wstring message;
  EXPECT_EQ(manager()->hostOpenDocument(folder_.wstring(), doc, message), Acad::eInvalidInput);
  EXPECT_TRUE(log_.events.empty());
  EXPECT_EQ(manager()->documentCount(), 1);
  EXPECT_EQ(manager()->mdiActiveDocument(), a);
}

// A missing file is a new drawing to be saved there; its folder need not exist yet.
TEST_F(DocumentsTest, AMissingFileStartsANewDrawing) {
  AcApDocument* doc = open("later/plan.dxf");
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(std::wstring(doc->fileName()), path("later/plan.dxf"));
  EXPECT_EQ(entityCount(doc->database()), 0);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "later"));
}

// ---- quiescence, commands, resources, reactors ----------------------------------------

TEST_F(DocumentsTest, QuiescentUnlessPluginCodeOrADialogRuns) {
  AcApDocument* a = open("a.hdw");
  EXPECT_TRUE(a->isQuiescent());
  {
    AcApBusyScope dialog;
    EXPECT_FALSE(a->isQuiescent());
  }
  EXPECT_TRUE(a->isQuiescent());
  int plugin = 0;
  {
    LispApplicationScope running(&plugin);
    EXPECT_FALSE(a->isQuiescent());
  }
  EXPECT_TRUE(a->isQuiescent());
}

// One command is one undo group, closed on its own document even after a switch.
TEST_F(DocumentsTest, CommandIsOneUndoGroupOnItsDocument) {
  AcApDocument* a = open("a.hdw");
  AcApDocument* b = open("b.hdw");
  manager()->activateDocument(a);
  {
    AcApCommandScope command;
    addLine(a->database(), 1);
    addLine(a->database(), 2);
    manager()->activateDocument(b);
  }
  EXPECT_EQ(a->database()->undoGroupCount(), 1);
  EXPECT_EQ(a->database()->undoGroup(), Acad::eOk);
  EXPECT_EQ(entityCount(a->database()), 0);
  // A command that closes its own document ends without touching it.
  {
    AcApCommandScope command;
    manager()->closeDocument(b);
  }
  EXPECT_EQ(manager()->documentCount(), 1);
}

TEST_F(DocumentsTest, ResourceHandlesArePushedAndPoppedInTurn) {
  HINSTANCE before = AfxGetResourceHandle();
  int one = 0, two = 0;
  auto* first = reinterpret_cast<HINSTANCE>(&one);
  auto* second = reinterpret_cast<HINSTANCE>(&two);
  manager()->pushResourceHandle(first);
  EXPECT_EQ(AfxGetResourceHandle(), first);
  manager()->pushResourceHandle(second);
  EXPECT_EQ(AfxGetResourceHandle(), second);
  manager()->popResourceHandle();
  EXPECT_EQ(AfxGetResourceHandle(), first);
  manager()->popResourceHandle();
  EXPECT_EQ(AfxGetResourceHandle(), before);
  // One pop too many changes nothing.
  manager()->popResourceHandle();
  EXPECT_EQ(AfxGetResourceHandle(), before);
  EXPECT_EQ(manager()->hostPushedResourceHandles(), 0);
}

// A reactor that removes itself, or throws, does not keep the others from hearing.
TEST_F(DocumentsTest, EveryReactorHearsEvenWhenOneLeavesOrFails) {
  struct Leaver : AcApDocManagerReactor {
    int heard = 0;
    void documentActivated(AcApDocument*) override {
      ++heard;
      acDocManagerPtr()->removeReactor(this);
    }
  } leaver;
  struct Thrower : AcApDocManagerReactor {
    void documentActivated(AcApDocument*) override { throw std::runtime_error("reactor failure"); }
  } thrower;
  manager()->removeReactor(&log_);
  manager()->addReactor(&leaver);
  manager()->addReactor(&thrower);
  manager()->addReactor(&log_);
  open("a.hdw");
  open("b.hdw");
  manager()->removeReactor(&thrower);
  EXPECT_EQ(leaver.heard, 1);
  EXPECT_EQ(log_.events.back(), L"activated b.hdw");
  EXPECT_EQ(manager()->mdiActiveDocument()->docTitle(), std::wstring(L"b.hdw"));
}

TEST_F(DocumentsTest, TheEditorIsInTheSystemRegistry) {
  AcEditor* ed = AcEditor::cast(acrxSysRegistry()->at(L"AcEditor"));
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ed, acedEditor);
  EXPECT_EQ(AcEditor::cast(acrxSysRegistry()->at(ACRX_CLASS_DICTIONARY)), nullptr);
}

}  // namespace
