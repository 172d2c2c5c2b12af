// ov_plumb-options: opens the options dialog on the current project, or on a project
// database file of the caller's, and answers the key of the setting selected last.
#include "dialogs/options_lisp.h"

#include <string>

#include "arx/aced_lisp.h"
#include "com/com_error.h"
#include "dialogs/COptions.h"
#include "dialogs/dialog_database.h"
#include "frame/host_services.h"
#include "frame/lisp_args.h"
#include "frame/lisp_frame.h"
#include "frame/lisp_result.h"

namespace {

struct OptionsArguments {
  std::wstring blockFolder;
  std::wstring selectedKey;
  bool editAtStart = false;
  std::wstring databaseFile;
};

// Only the block folder is required; an optional argument of the wrong kind is
// stepped over so that the ones after it still count.
bool readArguments(OptionsArguments& arguments) {
  ArgCursor args;
  if (!argString(args, arguments.blockFolder)) return false;
  if (!argString(args, arguments.selectedKey)) argSkip(args);
  if (!argBool(args, arguments.editAtStart)) argSkip(args);
  argString(args, arguments.databaseFile);
  return true;
}

// Shows the dialog and answers (selected key); nil when the dialog cannot be prepared.
void showOptions(const OptionsArguments& arguments, const ProjectDatabasePtr& connection) {
  ModuleResourceScope resources;
  COptions dialog(ovDialogParent(), arguments.blockFolder);
  bool prepared = false;
  try {
    prepared = dialog.setConnection(connection);
  } catch (const _com_error&) {
    prepared = false;
  }
  if (!prepared) {
    acedRetNil();
    return;
  }
  dialog.setSelectedKey(arguments.selectedKey);
  dialog.setEditAtStart(arguments.editAtStart);
  ovDialogFailureCheck(static_cast<int>(dialog.DoModal()));
  ResultList result;
  resultListBegin(result);
  resultAddString(result, dialog.selectedKey());
  resultListReturn(result);
}

int optionsWorker() {
  OptionsArguments arguments;
  if (!readArguments(arguments)) return kWorkerWrongType;
  DialogDatabase database(arguments.databaseFile);
  if (!database.connection()) {
    acedRetNil();
    return kWorkerDone;
  }
  showOptions(arguments, database.connection());
  return kWorkerDone;
}

}  // namespace

int ovLispOptions() { return mapWorkerStatus(optionsWorker()); }
