// The frame's own LISP functions, each a worker run in its call frame.
#include "frame/frame_functions.h"

#include <string>

#include "arx/aced_lisp.h"
#include "arx/db_symtab.h"
#include "frame/context.h"
#include "frame/layers.h"
#include "frame/lisp_args.h"
#include "frame/lisp_frame.h"
#include "frame/plumb_doc_reactor.h"

namespace {

int disconnectWorker() {
  ArgCursor args;
  ovApplication* context = ovTheApplication();
  if (ovPerDocData* data = context != nullptr ? context->currentDocData() : nullptr) ovDisconnect(data->project);
  return kWorkerDone;
}

// The layer system is a number or nil; T, a list or nothing at all answer nil.
bool readLayerSystem(ArgCursor& args, int& system) {
  if (argInt(args, system)) return true;
  bool given = true;
  if (!argBool(args, given) || given) return false;
  system = 0;
  return true;
}

int getLayerWorker() {
  acedRetNil();
  ArgCursor args;
  std::wstring key;
  int system = 0;
  if (!argString(args, key) || !readLayerSystem(args, system)) return kWorkerDone;
  AcDbObjectId layerId;
  if (!ovResolveLayer(ovTheApplication(), key, system, layerId)) return kWorkerDone;
  AcDbLayerTableRecord* layer = nullptr;
  if (acdbOpenObject(layer, layerId, AcDb::kForRead) != Acad::eOk) return kWorkerDone;
  const ACHAR* name = nullptr;
  if (layer->getName(name) == Acad::eOk && name != nullptr) acedRetStr(name);
  layer->close();
  return kWorkerDone;
}

int setDoDocumentActivatedWorker() {
  ArgCursor args;
  bool on = false;
  if (argBool(args, on)) ovSetDoDocumentActivated(on);
  return kWorkerDone;
}

}  // namespace

int ovLispDisconnect() { return runInDocument(disconnectWorker); }
int ovLispGetLayer() { return runInDocument(getLayerWorker, ovTheApplication()); }
int ovLispSetDoDocumentActivated() { return runInDocument(setDoDocumentActivatedWorker); }
