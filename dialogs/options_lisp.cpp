// ov_plumb-options: opens the options dialog on the current project, or on a project
// database file of the caller's, and answers the key of the setting selected last.
#include "dialogs/options_lisp.h"

#include <string>

#include "arx/aced_lisp.h"
#include "arx/ap_doc_manager.h"
#include "com/com_error.h"
#include "dialogs/COptions.h"
#include "frame/context.h"
#include "frame/host_services.h"
#include "frame/lisp_args.h"
#include "frame/lisp_frame.h"
#include "frame/lisp_result.h"
#include "frame/module_lifecycle.h"
#include "mfc/main_window.h"
#include "mfc/message_box.h"

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

// The module's dialog resources are current while the dialog exists, on every way out.
class ModuleResourceScope {
 public:
  ModuleResourceScope() { acDocManagerPtr()->pushResourceHandle(ovModuleResourceHandle()); }
  ~ModuleResourceScope() { acDocManagerPtr()->popResourceHandle(); }
  ModuleResourceScope(const ModuleResourceScope&) = delete;
  ModuleResourceScope& operator=(const ModuleResourceScope&) = delete;
};

// Opens the caller's database file: null (after telling the user) when it fails or
// cannot be written, since the dialog could not store what the user changes.
ProjectDatabasePtr openOwnDatabase(const std::wstring& file) {
  ProjectDatabasePtr database;
  if (FAILED(database.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL))) return nullptr;
  VARIANT_BOOL readOnly = VARIANT_FALSE;
  VARIANT_BOOL opened = VARIANT_FALSE;
  database->OpenDatabase(_bstr_t(file.c_str()), &readOnly, &opened);
  if (opened != VARIANT_TRUE) {
    ovReportDatabaseError(database);
    return nullptr;
  }
  if (readOnly == VARIANT_TRUE) {
    MessageBox(adsw_acadMainWnd(), L"Database is read-only. Cannot be viewed at this time.", L"Orvane",
               MB_OK | MB_ICONEXCLAMATION);
    _variant_t ignored;
    database->CloseDatabase(&ignored);
    return nullptr;
  }
  return database;
}

// The current project's connection, connected first with the connection message on
// failure; null when there is no document or no connection.
ProjectDatabasePtr currentProjectDatabase() {
  ovApplication* context = ovTheApplication();
  ovPerDocData* data = context != nullptr ? context->currentDocData() : nullptr;
  if (data == nullptr || !context->connect(data, true, kModuleToken)) return nullptr;
  return data->project->connection;
}

// Shows the dialog and answers (selected key); nil when the dialog cannot be prepared.
void showOptions(const OptionsArguments& arguments, const ProjectDatabasePtr& connection) {
  ModuleResourceScope resources;
  COptions dialog(CWnd::FromHandle(adsw_acadMainWnd()), arguments.blockFolder);
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
  const bool ownDatabase = !arguments.databaseFile.empty();
  ProjectDatabasePtr connection = ownDatabase ? openOwnDatabase(arguments.databaseFile) : currentProjectDatabase();
  if (!connection) {
    acedRetNil();
    return kWorkerDone;
  }
  showOptions(arguments, connection);
  if (ownDatabase) {
    _variant_t ignored;
    connection->CloseDatabase(&ignored);
  }
  return kWorkerDone;
}

}  // namespace

int ovLispOptions() { return mapWorkerStatus(optionsWorker()); }
