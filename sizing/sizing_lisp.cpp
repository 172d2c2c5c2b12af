// The sizing dialogs' LISP functions: each reads the optional database file and shows
// its dialog on that database with the document locked, and the neighbouring dialogs
// the user goes on to.
#include "sizing/sizing_lisp.h"

#include <string>

#include "arx/aced_lisp.h"
#include "dialogs/dialog_database.h"
#include "frame/lisp_args.h"
#include "frame/lisp_frame.h"
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

}  // namespace

int ovLispPipeSizingTable() {
  return runLocked([] { return showDialogs(NeighbourDialog::SizingTables); });
}

int ovLispPipeSize() {
  return runLocked([] { return showDialogs(NeighbourDialog::PipeSizes); });
}
