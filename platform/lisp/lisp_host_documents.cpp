// The document services of the host's LISP over the document manager and the system
// variables.
#include "lisp/lisp_host_documents.h"

#include <memory>

#include "arx/aced_print.h"
#include "arx/ap_doc_manager.h"
#include "arx/svg_render.h"
#include "arx/sysvars.h"
#include "arx/ucs_trans.h"
#include "lisp/lisp_args.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_printer.h"
#include "lisp/lisp_resbuf.h"

namespace {

std::wstring quotedPath(const std::wstring& text) { return L"\"" + text + L"\""; }

[[noreturn]] void fail(const std::wstring& function, const std::wstring& reason) {
  throw LispError(function + L": " + reason);
}

AcApDocManager& manager() { return *acDocManagerPtr(); }

AcApDocument* activeDocument(const std::wstring& function) {
  AcApDocument* doc = manager().mdiActiveDocument();
  if (doc == nullptr) fail(function, L"no drawing is open");
  return doc;
}

AcDbDatabase* workingDatabase(const std::wstring& function) {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr) fail(function, L"no drawing is open");
  return db;
}

// An open document named by the optional argument at index, else the active one.
AcApDocument* namedOrActive(const std::wstring& function, const LispArgs& a, size_t index) {
  if (a.size() <= index) return activeDocument(function);
  const std::wstring& path = lispStringArg(a[index]);
  AcApDocument* doc = manager().hostFindDocument(path);
  if (doc == nullptr) fail(function, quotedPath(AcApDocManager::hostFullPath(path)) + L" is not open");
  return doc;
}

LispValue pathValue(const std::wstring& path) { return LispValue::string(path); }

// ---- documents ----------------------------------------------------------------------

void defineDocumentFunctions(LispInterpreter& in) {
  in.defineBuiltin(L"host-open", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    AcApDocument* doc = nullptr;
    std::wstring message;
    if (manager().hostOpenDocument(lispStringArg(a[0]), doc, message) != Acad::eOk) fail(L"host-open", message);
    if (doc == nullptr) fail(L"host-open", L"the drawing was closed while it was being opened");
    return pathValue(doc->fileName());
  });
  in.defineBuiltin(L"host-activate", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    AcApDocument* doc = namedOrActive(L"host-activate", a, 0);
    std::wstring name = doc->fileName();
    manager().activateDocument(doc);
    return pathValue(name);
  });
  in.defineBuiltin(L"host-close", 0, 1, [](LispInterpreter&, const LispArgs& a) {
    AcApDocument* doc = namedOrActive(L"host-close", a, 0);
    std::wstring name = doc->fileName();
    Acad::ErrorStatus es = manager().closeDocument(doc);
    if (es == Acad::eInvalidOpenState) fail(L"host-close", quotedPath(name) + L" is locked by a command in progress");
    if (es != Acad::eOk) fail(L"host-close", quotedPath(name) + L" cannot be closed");
    return LispValue::t();
  });
  in.defineBuiltin(L"host-save", 0, 1, [](LispInterpreter&, const LispArgs& a) {
    AcApDocument* doc = activeDocument(L"host-save");
    std::wstring message;
    std::wstring path = a.empty() ? std::wstring() : lispStringArg(a[0]);
    if (!a.empty() && path.empty()) fail(L"host-save", L"no file name given");
    if (manager().hostSaveDocument(doc, path, message) != Acad::eOk) fail(L"host-save", message);
    return pathValue(doc->fileName());
  });
  in.defineBuiltin(L"host-autosave", 0, 0, [](LispInterpreter&, const LispArgs&) {
    AcApDocument* doc = activeDocument(L"host-autosave");
    resbuf value{};
    if (acedGetVar(L"SAVEFILE", &value) != RTNORM || value.restype != RTSTR) fail(L"host-autosave", L"no automatic save file name");
    std::wstring path = value.resval.rstring;
    acutDelString(value.resval.rstring);
    std::wstring message;
    if (manager().hostAutoSaveDocument(doc, path, message) != Acad::eOk) fail(L"host-autosave", message);
    return pathValue(AcApDocManager::hostFullPath(path));
  });
  in.defineBuiltin(L"host-documents", 0, 0, [](LispInterpreter&, const LispArgs&) {
    LispArgs paths;
    for (AcApDocument* doc : manager().hostDocuments()) paths.push_back(pathValue(doc->fileName()));
    return LispValue::list(paths);
  });
}

// ---- exports ------------------------------------------------------------------------

std::wstring targetPath(const std::wstring& function, const LispValue& arg) {
  const std::wstring& path = lispStringArg(arg);
  if (path.empty()) fail(function, L"no file name given");
  return AcApDocManager::hostFullPath(path);
}

void defineExportFunctions(LispInterpreter& in) {
  in.defineBuiltin(L"host-export-dxf", 1, 2, [](LispInterpreter&, const LispArgs& a) {
    std::wstring path = targetPath(L"host-export-dxf", a[0]);
    AcDbDatabase* db = workingDatabase(L"host-export-dxf");
    bool flatten = a.size() > 1 && !a[1].isNil();
    if (db->dxfOut(path.c_str(), 16, flatten) != Acad::eOk) fail(L"host-export-dxf", db->lastFileError());
    return pathValue(path);
  });
  in.defineBuiltin(L"host-export-svg", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    std::wstring path = targetPath(L"host-export-svg", a[0]);
    AcDbDatabase* db = workingDatabase(L"host-export-svg");
    if (writeModelSpaceSvg(db, path) != Acad::eOk) fail(L"host-export-svg", quotedPath(path) + L" cannot be written");
    return pathValue(path);
  });
}

// ---- undo and the UCS ---------------------------------------------------------------

LispValue undoAnswer(const std::wstring& function, Acad::ErrorStatus es) {
  if (es == Acad::eOk) return LispValue::t();
  if (es == Acad::eNothingToUndo) return LispValue();
  fail(function, L"objects of the drawing are still open");
}

AcGePoint3d pointOf(const LispValue& value) {
  LispPoint p = lispPointArg(value);
  return AcGePoint3d(p.x, p.y, p.z);
}

void defineUndoAndUcsFunctions(LispInterpreter& in) {
  in.defineBuiltin(L"host-undo", 0, 0, [](LispInterpreter&, const LispArgs&) {
    return undoAnswer(L"host-undo", workingDatabase(L"host-undo")->undoGroup());
  });
  in.defineBuiltin(L"host-redo", 0, 0, [](LispInterpreter&, const LispArgs&) {
    return undoAnswer(L"host-redo", workingDatabase(L"host-redo")->redoGroup());
  });
  in.defineBuiltin(L"host-ucs", 0, 2, [](LispInterpreter&, const LispArgs& a) {
    if (a.size() == 1) fail(L"host-ucs", L"give both an origin and an X direction, or neither");
    AcGeMatrix3d ucs;
    if (a.size() == 2) {
      AcGePoint3d origin = pointOf(a[0]);
      AcGePoint3d x = pointOf(a[1]);
      if (hostPlanUcs(origin, AcGeVector3d(x.x, x.y, x.z), ucs) != Acad::eOk)
        fail(L"host-ucs", L"the X direction " + lispToString(a[1]) + L" has no length in the XY plane");
    }
    if (acedSetCurrentUCS(ucs) != Acad::eOk) fail(L"host-ucs", L"no drawing is open");
    return LispValue::t();
  });
}

// ---- system variables ---------------------------------------------------------------

void defineSysVarFunctions(LispInterpreter& in) {
  in.defineBuiltin(L"getvar", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    resbuf value{};
    if (acedGetVar(lispStringArg(a[0]).c_str(), &value) != RTNORM) return LispValue();
    LispArgs values;
    std::wstring error;
    bool ok = lispValuesFromResbuf(&value, values, error);
    if (value.restype == RTSTR) acutDelString(value.resval.rstring);
    return ok && values.size() == 1 ? values[0] : LispValue();
  });
  in.defineBuiltin(L"setvar", 2, 2, [](LispInterpreter&, const LispArgs& a) {
    const std::wstring& name = lispStringArg(a[0]);
    LispOwnedChain value(a[1].isFunction() ? nullptr : lispToResbuf(a[1]));
    if (value == nullptr || value->rbnext != nullptr || acedSetVar(name.c_str(), value.get()) != RTNORM)
      throw LispError(L"variable setting rejected: " + lispToString(a[0]) + L" " + lispToString(a[1]));
    return a[1];
  });
}

}  // namespace

void lispDefineHostDocuments(LispInterpreter& interpreter) {
  defineDocumentFunctions(interpreter);
  defineExportFunctions(interpreter);
  defineUndoAndUcsFunctions(interpreter);
  defineSysVarFunctions(interpreter);
}
