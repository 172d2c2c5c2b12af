// The sizing dialogs' LISP functions: each reads the optional database file and shows
// its dialog on that database with the document locked, and the neighbouring dialogs
// the user goes on to.
#include "sizing/sizing_lisp.h"

#include <string>

#include "arx/aced_lisp.h"
#include "dialogs/dialog_database.h"
#include "frame/host_services.h"
#include "frame/lisp_args.h"
#include "frame/lisp_frame.h"
#include "frame/lisp_result.h"
#include "sizing/CDialogPipeSum.h"
#include "sizing/CDialogSumCategory.h"
#include "sizing/neighbour_dialogs.h"

namespace {

// The optional first argument: a database file. Anything but a text there is refused.
bool readDatabaseFile(std::wstring& file) {
  ArgCursor args;
  return args.atEnd() || argString(args, file);
}

// Shows the first dialog of a chain on the database the caller names, or the project's.
int showDialogs(NeighbourDialog first) {
  std::wstring file;
  if (!readDatabaseFile(file)) return kWorkerWrongType;
  acedRetNil();
  DialogDatabase database(file);
  if (!database.connection()) return kWorkerDone;
  ModuleResourceScope resources;
  ovShowDialogChain(first, database.connection(), 0);
  return kWorkerDone;
}

int showCategories() {
  std::wstring file;
  if (!readDatabaseFile(file)) return kWorkerWrongType;
  acedRetNil();
  DialogDatabase database(file);
  if (!database.connection()) return kWorkerDone;
  ModuleResourceScope resources;
  CDialogSumCategory dialog(ovDialogParent(), database.connection());
  ovDialogFailureCheck(static_cast<int>(dialog.DoModal()));
  return kWorkerDone;
}

// The pipe's settings as the LISP program stores them, in the order it reads them.
void returnAnswer(const PipeSumAnswer& answer) {
  ResultList result;
  resultListBegin(result);
  resultAddStringReal(result, L"dZ1", answer.z1);
  resultAddStringReal(result, L"dZ2", answer.z2);
  resultAddStringLong(result, L"ixPipeSize", answer.pipeSize);
  resultAddStringLong(result, L"ixLayerSystem", answer.layerSystem);
  resultAddStringLong(result, L"ixPipeType", answer.pipeType);
  if (answer.sizingTable != 0)
    resultAddStringLong(result, L"ixPipeSizingTable", answer.sizingTable);
  else
    resultAddStringNil(result, L"ixPipeSizingTable");
  resultAddStringLong(result, L"bPTrap", answer.ptrap ? 1 : 0);
  resultAddStringLong(result, L"bTransparent", answer.transparent ? 1 : 0);
  resultAddStringReal(result, L"dExteriorLining", answer.exteriorLining);
  resultAddStringString(result, L"sOffsetZ", answer.offsetZ);
  resultAddStringString(result, L"sOffsetY", answer.offsetY);
  resultAddStringLong(result, L"iHangerType", answer.hangerType);
  resultAddStringLong(result, L"bSizeLocked", answer.sizeLocked ? 1 : 0);
  for (const auto& [key, value] : answer.hanger) resultAddStringReal(result, key, value);
  resultListReturn(result);
}

// [DATABASE-FILE] PIPE FLAG: the pipe key and the flag are required.
int showPipeQuery() {
  ArgCursor args;
  std::wstring file;
  argString(args, file);
  int pipe = 0;
  bool flag = false;
  if (!argInt(args, pipe) || args.atEnd() || !argBool(args, flag)) return kWorkerWrongType;
  acedRetNil();
  DialogDatabase database(file);
  if (!database.connection()) return kWorkerDone;
  ModuleResourceScope resources;
  CDialogPipeSum dialog(ovDialogParent(), database.connection(), pipe, flag);
  if (ovDialogFailureCheck(static_cast<int>(dialog.DoModal())) == IDOK) returnAnswer(dialog.answer());
  return kWorkerDone;
}

}  // namespace

int ovLispPipeSizingTable() {
  return runLocked([] { return showDialogs(NeighbourDialog::SizingTables); });
}

int ovLispPipeSize() {
  return runLocked([] { return showDialogs(NeighbourDialog::PipeSizes); });
}

int ovLispPipeSumCategory() { return runLocked(showCategories); }

int ovLispPipeSum() { return runLocked(showPipeQuery); }
