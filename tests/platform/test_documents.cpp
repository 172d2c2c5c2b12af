// The document manager where LISP cannot reach it: which document is current while one
// is created, locks, quiescence, commands as undo groups, the resource-handle stack,
// failing reactors, and the refusals of acedTrans, the UCS, the system variables and
// entity names. What a script sees of opening, switching, saving and closing is
// checked by tests/scripts/document_*.lsp, arx_documents.lsp and sysvars_ucs.lsp.
#include <memory>

#include "arx/ads_names.h"
#include "arx/sysvars.h"
#include "arx/ucs_trans.h"
#include "lisp/lisp_bridge.h"
#include "mfc/afx_module.h"
#include "test_documents_fixture.h"

namespace {

using Events = std::vector<std::wstring>;

struct RbRelease {
  void operator()(resbuf* rb) const { acutRelRb(rb); }
};
using Chain = std::unique_ptr<resbuf, RbRelease>;

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
  using Seen = std::pair<AcApDocument*, AcApDocument*>;
  EXPECT_EQ(watcher.seen, (std::vector<Seen>{{second, first}, {second, first}, {second, first}, {second, second}}));
  EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), second->database());
}

// Making a document current without activating it tells nobody and moves the
// working database only; lookups by database, the iterator's order and the names of
// new drawings.
TEST_F(DocumentsTest, CurrentDocumentLookupsAndNewNames) {
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

  EXPECT_EQ(manager()->document(a->database()), a);
  AcDbDatabase loose;
  EXPECT_EQ(manager()->document(&loose), nullptr);
  EXPECT_EQ(manager()->document(nullptr), nullptr);
  manager()->activateDocument(a);
  std::unique_ptr<AcApDocumentIterator> it(manager()->newAcApDocumentIterator());
  std::vector<AcApDocument*> seen;
  for (; !it->done(); it->step()) seen.push_back(it->document());
  EXPECT_EQ(seen, (std::vector<AcApDocument*>{a, b}));
  EXPECT_EQ(it->document(), nullptr);

  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder_);
  EXPECT_EQ(manager()->appContextNewDocument(), Acad::eOk);
  EXPECT_EQ(manager()->appContextNewDocument(), Acad::eOk);
  std::filesystem::current_path(previous);
  std::vector<AcApDocument*> docs = manager()->hostDocuments();
  ASSERT_EQ(docs.size(), 4u);
  EXPECT_EQ(std::wstring(docs[2]->fileName()), path("Drawing1.hdw"));
  EXPECT_EQ(std::wstring(docs[3]->fileName()), path("Drawing2.hdw"));
}

// Locks are counted per document and the strongest mode shows; a locked document
// cannot be closed under its command; bad locks and unbalanced unlocks are refused.
TEST_F(DocumentsTest, Locks) {
  AcApDocument* a = open("a.hdw");
  AcApDocument* b = open("b.hdw");
  EXPECT_EQ(a->myLockMode(), AcAp::kNone);
  EXPECT_EQ(manager()->lockDocument(a, AcAp::kRead), Acad::eOk);
  EXPECT_EQ(manager()->lockDocument(a), Acad::eOk);  // kWrite by default
  EXPECT_EQ(manager()->lockDocument(a, AcAp::kRead), Acad::eOk);
  EXPECT_EQ(a->hostLockCount(), 3);
  EXPECT_EQ(a->myLockMode(), AcAp::kWrite);
  EXPECT_EQ(b->myLockMode(), AcAp::kNone);
  log_.events.clear();
  EXPECT_EQ(manager()->closeDocument(a), Acad::eInvalidOpenState);
  EXPECT_TRUE(log_.events.empty());
  EXPECT_EQ(manager()->unlockDocument(a), Acad::eOk);
  EXPECT_EQ(manager()->unlockDocument(a), Acad::eOk);
  EXPECT_EQ(a->myLockMode(), AcAp::kRead);
  EXPECT_EQ(manager()->unlockDocument(a), Acad::eOk);
  EXPECT_EQ(a->myLockMode(), AcAp::kNone);
  EXPECT_EQ(a->hostLockCount(), 0);

  int before = manager()->hostUnbalancedUnlocks();
  EXPECT_EQ(manager()->unlockDocument(a), Acad::eNotApplicable);
  EXPECT_EQ(manager()->hostUnbalancedUnlocks(), before + 1);
  EXPECT_EQ(manager()->lockDocument(nullptr), Acad::eInvalidInput);
  EXPECT_EQ(manager()->lockDocument(a, AcAp::kNone), Acad::eInvalidInput);
  EXPECT_EQ(manager()->lockDocument(a, AcAp::kNotLocked), Acad::eInvalidInput);
  EXPECT_EQ(manager()->unlockDocument(nullptr), Acad::eInvalidInput);
  EXPECT_EQ(a->hostLockCount(), 0);
  EXPECT_EQ(manager()->closeDocument(a), Acad::eOk);
}

// Quiescent unless a dialog or plug-in code runs; one command is one undo group,
// closed on its own document even after a switch or when it closes its document.
TEST_F(DocumentsTest, QuiescenceAndCommands) {
  AcApDocument* a = open("a.hdw");
  AcApDocument* b = open("b.hdw");
  manager()->activateDocument(a);
  EXPECT_TRUE(a->isQuiescent());
  {
    AcApBusyScope dialog;
    EXPECT_FALSE(a->isQuiescent());
  }
  int plugin = 0;
  {
    LispApplicationScope running(&plugin);
    EXPECT_FALSE(a->isQuiescent());
  }
  EXPECT_TRUE(a->isQuiescent());
  {
    AcApCommandScope command;
    addLine(a->database(), 1);
    addLine(a->database(), 2);
    manager()->activateDocument(b);
  }
  EXPECT_EQ(a->database()->undoGroupCount(), 1);
  EXPECT_EQ(a->database()->undoGroup(), Acad::eOk);
  EXPECT_EQ(entityCount(a->database()), 0);
  {
    AcApCommandScope command;
    manager()->closeDocument(b);
  }
  EXPECT_EQ(manager()->documentCount(), 1);
}

// Resource handles are pushed and popped in turn, one pop too many changes nothing;
// a reactor that removes itself, or throws, does not keep the others from hearing.
TEST_F(DocumentsTest, ResourceHandlesAndFailingReactors) {
  HINSTANCE before = AfxGetResourceHandle();
  int one = 0, two = 0;
  auto* first = reinterpret_cast<HINSTANCE>(&one);
  auto* second = reinterpret_cast<HINSTANCE>(&two);
  manager()->pushResourceHandle(first);
  manager()->pushResourceHandle(second);
  EXPECT_EQ(AfxGetResourceHandle(), second);
  manager()->popResourceHandle();
  EXPECT_EQ(AfxGetResourceHandle(), first);
  manager()->popResourceHandle();
  manager()->popResourceHandle();
  EXPECT_EQ(AfxGetResourceHandle(), before);
  EXPECT_EQ(manager()->hostPushedResourceHandles(), 0);

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

// acedTrans takes the codes 0 and 1 as shorts or longs, nothing else; the UCS must be
// rigid, and belongs to a document.
TEST_F(DocumentsTest, TransAndUcsRefusals) {
  ads_point in{1, 2, 3}, out{0, 0, 0};
  Chain world(acutBuildList(RTSHORT, 0, RTNONE)), user(acutBuildList(RTSHORT, 1, RTNONE));
  EXPECT_EQ(acedSetCurrentUCS(AcGeMatrix3d()), Acad::eNoDatabase);
  AcApDocument* a = open("a.hdw");
  const Chain refused[] = {Chain(acutBuildList(RTSHORT, 2, RTNONE)), Chain(acutBuildList(RTSHORT, 3, RTNONE)),
                           Chain(acutBuildList(RTSHORT, -1, RTNONE)), Chain(acutBuildList(RTSTR, L"0", RTNONE)),
                           Chain()};
  for (const Chain& code : refused) {
    EXPECT_EQ(acedTrans(in, code.get(), world.get(), 0, out), RTERROR);
    EXPECT_EQ(acedTrans(in, world.get(), code.get(), 0, out), RTERROR);
  }
  EXPECT_EQ(acedTrans(nullptr, world.get(), user.get(), 0, out), RTERROR);
  Chain longCode(acutBuildList(RTLONG, 1, RTNONE));
  EXPECT_EQ(acedTrans(in, longCode.get(), world.get(), 0, out), RTNORM);

  AcGeMatrix3d sheared;
  sheared(0, 1) = 0.5;
  for (const AcGeMatrix3d& m :
       {AcGeMatrix3d::scaling(2.0), AcGeMatrix3d::mirroring(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)), sheared})
    EXPECT_EQ(acedSetCurrentUCS(m), Acad::eInvalidInput);
  EXPECT_TRUE(a->hostUcs().isEqualTo(AcGeMatrix3d::kIdentity));
  AcGeMatrix3d plan;
  EXPECT_EQ(hostPlanUcs(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 1), plan), Acad::eInvalidInput);
  EXPECT_EQ(acedSetCurrentUCS(AcGeMatrix3d::rotation(0.3, AcGeVector3d::kXAxis, AcGePoint3d(1, 2, 3))), Acad::eOk);
}

// CLAYER names a layer of the working database; a short variable refuses what a short
// cannot hold; missing names and buffers are refused.
TEST_F(DocumentsTest, SystemVariables) {
  AcApDocument* a = open("a.hdw");
  AcDbLayerTable* table = nullptr;
  ASSERT_EQ(a->database()->getLayerTable(table, AcDb::kForWrite), Acad::eOk);
  auto* layer = new AcDbLayerTableRecord();
  layer->setName(L"PIPES");
  AcDbObjectId id;
  ASSERT_EQ(table->add(id, layer), Acad::eOk);
  layer->close();
  table->close();
  Chain pipes(acutBuildList(RTSTR, L"PIPES", RTNONE));
  EXPECT_EQ(acedSetVar(L"clayer", pipes.get()), RTNORM);
  EXPECT_EQ(a->database()->clayer(), id);
  resbuf rb{};
  ASSERT_EQ(acedGetVar(L"CLAYER", &rb), RTNORM);
  EXPECT_STREQ(rb.resval.rstring, L"PIPES");
  acutDelString(rb.resval.rstring);

  Chain big(acutBuildList(RTLONG, 40000, RTNONE));
  EXPECT_EQ(acedSetVar(L"USERI1", big.get()), RTERROR);
  EXPECT_EQ(acedGetVar(nullptr, &rb), RTERROR);
  EXPECT_EQ(acedGetVar(L"CMDECHO", nullptr), RTERROR);
  ASSERT_EQ(acedGetVar(L"CMDECHO", &rb), RTNORM);
  EXPECT_EQ(rb.restype, RTSHORT);
}

// Names convert to ids in any open document; names that lead to no object are
// refused, and a closed drawing's names lead nowhere.
TEST_F(DocumentsTest, EntityNamesOfNoOpenObjectAreRefused) {
  AcApDocument* a = open("a.hdw");
  AcDbObjectId line = addLine(a->database(), 4);
  ads_name name;
  ASSERT_EQ(acdbGetAdsName(name, line), Acad::eOk);
  AcDbObjectId id;
  ASSERT_EQ(acdbGetObjectId(id, name), Acad::eOk);
  EXPECT_EQ(id, line);
  ads_name zero = {0, 0};
  EXPECT_EQ(acdbGetObjectId(id, zero), Acad::eNullObjectId);
  int somewhere = 0;
  ads_name madeUp = {reinterpret_cast<std::int64_t>(&somewhere), 0};
  EXPECT_EQ(acdbGetObjectId(id, madeUp), Acad::eUnknownHandle);
  EXPECT_TRUE(id.isNull());
  // Objects of another open document convert too.
  open("b.hdw");
  ASSERT_EQ(acdbGetObjectId(id, name), Acad::eOk);
  EXPECT_EQ(id, line);
  manager()->closeDocument(a);
  EXPECT_EQ(acdbGetObjectId(id, name), Acad::eUnknownHandle);
  ads_name out = {7, 7};
  EXPECT_EQ(acdbGetAdsName(out, AcDbObjectId()), Acad::eNullObjectId);
  EXPECT_EQ(out[0], 0);

  int before = hostTextScreenRequests();
  EXPECT_EQ(acedTextScr(), RTNORM);
  EXPECT_EQ(acedGraphScr(), RTNORM);
  EXPECT_EQ(hostTextScreenRequests(), before + 1);
}

}  // namespace
