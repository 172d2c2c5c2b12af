// A plug-in for the host's tests: it answers the entry protocol, prints every message
// and every document and editor event it gets, and registers LISP functions that show
// exactly what crosses the LISP boundary in each direction.
//
//   (ovtest-args ...)          prints the result-buffer chain it receives, one buffer a
//                              line ("RTSHORT 5003 1"); answers the number of buffers
//   (ovtest-list)              answers, through acedRetList, the list
//                              (1 "two" (3.5 (4 . "four")) ("key" . 70000) (7.0 8.0 9.0))
//   (ovtest-fail)              prints a line and answers RSERR
//   (ovtest-invoke NAME ARG...)  calls the LISP function NAME with acedInvoke and
//                              answers its value
//   (ovtest-add-line P1 P2)    adds a line to the working database's model space;
//                              answers its entity name
//   (ovtest-count)             the number of entities in model space
//   (ovtest-quiescent)         whether the current document is quiescent (T or nil)
#include <string>

#include "arx/aced_lisp.h"
#include "arx/ads_names.h"
#include "arx/ap_doc_manager.h"
#include "arx/db_entities.h"
#include "arx/editor.h"
#include "arx/rx_app.h"

namespace {

const ACHAR* nameOf(AcApDocument* doc) { return doc != nullptr ? doc->fileName() : L"(none)"; }

const ACHAR* quiescence(AcApDocument* doc) { return doc != nullptr && doc->isQuiescent() ? L"quiescent" : L"busy"; }

class TestDocReactor : public AcApDocManagerReactor {
 public:
  void documentCreateStarted(AcApDocument* doc) override { say(L"documentCreateStarted", doc); }
  void documentCreated(AcApDocument* doc) override { say(L"documentCreated", doc); }
  void documentToBeDestroyed(AcApDocument* doc) override { say(L"documentToBeDestroyed", doc); }
  void documentToBeActivated(AcApDocument* doc) override { say(L"documentToBeActivated", doc); }
  void documentActivated(AcApDocument* doc) override {
    acutPrintf(L"[ovtest] documentActivated %ls (%ls)\n", nameOf(doc), quiescence(doc));
  }

 private:
  static void say(const ACHAR* event, AcApDocument* doc) { acutPrintf(L"[ovtest] %ls %ls\n", event, nameOf(doc)); }
};

class TestEditorReactor : public AcEditorReactor {
 public:
  void saveComplete(AcDbDatabase* db, const ACHAR* actualName) override {
    acutPrintf(L"[ovtest] saveComplete %ls (document %ls)\n", actualName, nameOf(acDocManager->document(db)));
  }
};

TestDocReactor* gDocReactor = nullptr;
TestEditorReactor* gEditorReactor = nullptr;

AcEditor* editor() { return AcEditor::cast(acrxSysRegistry()->at(L"AcEditor")); }

// ---- printing a chain ---------------------------------------------------------------

const ACHAR* typeName(int type) {
  switch (type) {
    case RTREAL: return L"RTREAL";
    case RTPOINT: return L"RTPOINT";
    case RTSHORT: return L"RTSHORT";
    case RTSTR: return L"RTSTR";
    case RTENAME: return L"RTENAME";
    case RT3DPOINT: return L"RT3DPOINT";
    case RTLONG: return L"RTLONG";
    case RTLB: return L"RTLB";
    case RTLE: return L"RTLE";
    case RTDOTE: return L"RTDOTE";
    case RTNIL: return L"RTNIL";
    case RTT: return L"RTT";
    default: return L"?";
  }
}

void printBuffer(const resbuf* rb) {
  acutPrintf(L"%ls %d", typeName(rb->restype), rb->restype);
  switch (rb->restype) {
    case RTREAL: acutPrintf(L" %g", rb->resval.rreal); break;
    case RTPOINT: acutPrintf(L" %g %g", rb->resval.rpoint[0], rb->resval.rpoint[1]); break;
    case RT3DPOINT:
      acutPrintf(L" %g %g %g", rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]);
      break;
    case RTSHORT: acutPrintf(L" %d", rb->resval.rint); break;
    case RTLONG: acutPrintf(L" %d", static_cast<int>(rb->resval.rlong)); break;
    case RTSTR: acutPrintf(L" \"%ls\"", rb->resval.rstring != nullptr ? rb->resval.rstring : L""); break;
    default: break;
  }
  acutPrintf(L"\n");
}

// ---- the LISP functions -------------------------------------------------------------

int printArgs() {
  resbuf* args = acedGetArgs();
  int count = 0;
  for (const resbuf* rb = args; rb != nullptr; rb = rb->rbnext, ++count) printBuffer(rb);
  acutRelRb(args);
  acedRetInt(count);
  return RSRSLT;
}

int returnList() {
  const ads_point corner = {7.0, 8.0, 9.0};
  resbuf* list = acutBuildList(RTLB, RTSHORT, 1, RTSTR, L"two", RTLB, RTREAL, 3.5, RTLB, RTSHORT, 4, RTDOTE, RTSTR,
                               L"four", RTLE, RTLE, RTLB, RTSTR, L"key", RTDOTE, RTLONG, 70000, RTLE, RT3DPOINT,
                               corner, RTLE, RTNONE);
  int status = acedRetList(list);
  acutRelRb(list);
  return status == RTNORM ? RSRSLT : RSERR;
}

int fail() {
  acutPrintf(L"[ovtest] ovtest-fail refuses\n");
  return RSERR;
}

// Answers what acedInvoke handed back: one value as itself, several as a list.
int answerChain(const resbuf* result) {
  if (result == nullptr || (result->rbnext == nullptr && result->restype == RTNIL)) return acedRetNil();
  if (result->rbnext == nullptr) {
    switch (result->restype) {
      case RTSHORT: return acedRetInt(result->resval.rint);
      case RTLONG: return acedRetInt(result->resval.rlong);
      case RTREAL: return acedRetReal(result->resval.rreal);
      case RTSTR: return acedRetStr(result->resval.rstring);
      case RTT: return acedRetT();
      case RTENAME: return acedRetName(result->resval.rlname, RTENAME);
      default: break;
    }
  }
  return acedRetList(result);
}

int invoke() {
  resbuf* args = acedGetArgs();
  resbuf* result = nullptr;
  int status = args != nullptr && args->restype == RTSTR ? acedInvoke(args, &result) : RTERROR;
  acutRelRb(args);
  if (status != RTNORM) {
    acutPrintf(L"[ovtest] acedInvoke failed\n");
    return RSERR;
  }
  answerChain(result);
  acutRelRb(result);
  return RSRSLT;
}

bool readPoint(const resbuf* rb, AcGePoint3d& p) {
  if (rb == nullptr || (rb->restype != RTPOINT && rb->restype != RT3DPOINT)) return false;
  p.set(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->restype == RT3DPOINT ? rb->resval.rpoint[2] : 0.0);
  return true;
}

int addLine() {
  resbuf* args = acedGetArgs();
  AcGePoint3d from, to;
  bool ok = readPoint(args, from) && readPoint(args->rbnext, to);
  acutRelRb(args);
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!ok || db == nullptr) return RSERR;
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) return RSERR;
  auto* line = new AcDbLine(from, to);
  AcDbObjectId id;
  Acad::ErrorStatus es = space->appendAcDbEntity(id, line);
  space->close();
  if (es != Acad::eOk) {
    delete line;
    return RSERR;
  }
  line->close();
  ads_name name;
  acdbGetAdsName(name, id);
  acedRetName(name, RTENAME);
  return RSRSLT;
}

int countEntities() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbBlockTableRecord* space = nullptr;
  if (db == nullptr || acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return RSERR;
  int count = static_cast<int>(space->entityIds().size());
  space->close();
  acedRetInt(count);
  return RSRSLT;
}

int quiescent() {
  AcApDocument* doc = acDocManager->curDocument();
  if (doc != nullptr && doc->isQuiescent()) acedRetT();
  else acedRetNil();
  return RSRSLT;
}

struct Function {
  const ACHAR* name;
  int (*handler)();
};

const Function kFunctions[] = {
    {L"ovtest-args", printArgs},       {L"ovtest-list", returnList},      {L"ovtest-fail", fail},
    {L"ovtest-invoke", invoke},        {L"ovtest-add-line", addLine},     {L"ovtest-count", countEntities},
    {L"ovtest-quiescent", quiescent},
};

// ---- the entry protocol -------------------------------------------------------------

AcRx::AppRetCode initApp(void* appId) {
  acrxUnlockApplication(appId);
  acrxRegisterAppMDIAware(appId);
  gDocReactor = new TestDocReactor();
  gEditorReactor = new TestEditorReactor();
  acDocManager->addReactor(gDocReactor);
  if (AcEditor* ed = editor()) ed->addReactor(gEditorReactor);
  return AcRx::kRetOK;
}

AcRx::AppRetCode loadDwg() {
  for (short code = 0; code < static_cast<short>(sizeof kFunctions / sizeof kFunctions[0]); ++code) {
    acedDefun(kFunctions[code].name, code);
    acedRegFunc(kFunctions[code].handler, code);
  }
  return AcRx::kRetOK;
}

AcRx::AppRetCode unloadApp() {
  acDocManager->removeReactor(gDocReactor);
  if (AcEditor* ed = editor()) ed->removeReactor(gEditorReactor);
  delete gDocReactor;
  delete gEditorReactor;
  gDocReactor = nullptr;
  gEditorReactor = nullptr;
  return AcRx::kRetOK;
}

const ACHAR* messageName(AcRx::AppMsgCode message) {
  switch (message) {
    case AcRx::kInitAppMsg: return L"kInitAppMsg";
    case AcRx::kUnloadAppMsg: return L"kUnloadAppMsg";
    case AcRx::kLoadDwgMsg: return L"kLoadDwgMsg";
    default: return L"another message";
  }
}

}  // namespace

ACRX_DEFINE_API_VERSION()

ACRX_EXPORT_C AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* appId) {
  if (message == AcRx::kLoadDwgMsg) acutPrintf(L"[ovtest] %ls %ls\n", messageName(message), nameOf(acDocManager->curDocument()));
  else acutPrintf(L"[ovtest] %ls\n", messageName(message));
  switch (message) {
    case AcRx::kInitAppMsg: return initApp(appId);
    case AcRx::kLoadDwgMsg: return loadDwg();
    case AcRx::kUnloadAppMsg: return unloadApp();
    default: return AcRx::kRetOK;
  }
}

ACRX_EXPORT_C int ovDllMain(void*, unsigned reason) {
  acutPrintf(L"[ovtest] library %ls\n", reason == kAcrxLibraryAttach ? L"attach" : L"detach");
  return 1;
}
