// The sizing dialogs' LISP functions: each reads the optional database file, shows its
// dialog on that database with the document locked, and opens the neighbouring dialog
// the user asked for on the way out.
#include "sizing/sizing_lisp.h"

#include <string>

#include "arx/aced_lisp.h"
#include "dialogs/dialog_database.h"
#include "frame/host_services.h"
#include "frame/lisp_args.h"
#include "frame/lisp_frame.h"
#include "sizing/CDialogPipeSizingTable.h"
#include "sizing/last_pipe_type.h"
#include "sizing/neighbour_dialogs.h"

namespace {

// The optional first argument: a database file. Anything but a text there is refused.
bool readDatabaseFile(std::wstring& file) {
  ArgCursor args;
  return args.atEnd() || argString(args, file);
}

int sizingTableWorker() {
  std::wstring file;
  if (!readDatabaseFile(file)) return kWorkerWrongType;
  acedRetNil();
  DialogDatabase database(file);
  if (!database.connection()) return kWorkerDone;
  ModuleResourceScope resources;
  int pipeType = 0;
  int ended = 0;
  {
    CDialogPipeSizingTable dialog(ovDialogParent(), database.connection());
    ended = ovDialogFailureCheck(static_cast<int>(dialog.DoModal()));
    pipeType = dialog.currentPipeType();
  }
  const NeighbourDialog next = neighbourOfEndCode(ended);
  // The pipe-type dialog opens on the last pipe type, the others on the dialog's.
  ovOpenNeighbourDialog(next, database.connection(), next == NeighbourDialog::PipeTypes ? ovLastPipeType() : pipeType);
  return kWorkerDone;
}

}  // namespace

int ovLispPipeSizingTable() { return runLocked(sizingTableWorker); }
