// The LISP functions of the customisation dialogs. The pipe-type dialogs open through
// the chain of customisation dialogs, which leads on to their neighbours; the symbol
// blocks and the fixture connection read their own arguments.
#include "dialogs/customisation_lisp.h"

#include <string>

#include "arx/aced_lisp.h"
#include "dialogs/CDialogDwgValve.h"
#include "dialogs/DialogFixtureConnection.h"
#include "dialogs/dialog_chain.h"
#include "dialogs/dialog_database.h"
#include "frame/host_services.h"
#include "frame/lisp_args.h"
#include "frame/lisp_frame.h"

namespace {

// SYMBOL-FOLDER [DATABASE-FILE]: the folder is required.
int showSymbols() {
  ArgCursor args;
  std::wstring folder;
  std::wstring file;
  if (!argString(args, folder)) return kWorkerWrongType;
  argString(args, file);
  acedRetNil();
  DialogDatabase database(file);
  if (!database.connection()) return kWorkerDone;
  ModuleResourceScope resources;
  CDialogDwgValve dialog(ovDialogParent(), database.connection(), folder, !file.empty());
  ovDialogFailureCheck(static_cast<int>(dialog.DoModal()));
  return kWorkerDone;
}

int showFixtureConnection() {
  ArgCursor args;
  std::wstring file;
  if (!args.atEnd() && !argString(args, file)) return kWorkerWrongType;
  acedRetNil();
  DialogDatabase database(file);
  if (!database.connection()) return kWorkerDone;
  ModuleResourceScope resources;
  DialogFixtureConnection dialog(ovDialogParent(), database.connection());
  if (ovDialogFailureCheck(static_cast<int>(dialog.DoModal())) == DialogFixtureConnection::kInserted) acedRetT();
  return kWorkerDone;
}

}  // namespace

int ovLispPipeType() { return ovDialogChainFunction(NeighbourDialog::PipeTypes); }

int ovLispPipeLabel() { return ovDialogChainFunction(NeighbourDialog::Labels); }

int ovLispPipeLinetype() { return ovDialogChainFunction(NeighbourDialog::Linetypes); }

int ovLispDwgValve() { return runLocked(showSymbols); }

int ovLispInsertFixtureConnection() { return runLocked(showFixtureConnection); }
