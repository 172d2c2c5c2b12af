// The database and resources a dialog LISP function runs its dialog with.
#include "dialogs/dialog_database.h"

#include "arx/ap_doc_manager.h"
#include "frame/context.h"
#include "frame/module_lifecycle.h"
#include "mfc/main_window.h"
#include "mfc/message_box.h"

namespace {

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

}  // namespace

DialogDatabase::DialogDatabase(const std::wstring& file) : own_(!file.empty()) {
  connection_ = own_ ? openOwnDatabase(file) : currentProjectDatabase();
}

DialogDatabase::~DialogDatabase() {
  if (!own_ || !connection_) return;
  try {
    _variant_t ignored;
    connection_->CloseDatabase(&ignored);
  } catch (const _com_error&) {
    // Nothing is left to lose: what the dialog stored is written already.
  }
}

ModuleResourceScope::ModuleResourceScope() { acDocManagerPtr()->pushResourceHandle(ovModuleResourceHandle()); }

ModuleResourceScope::~ModuleResourceScope() { acDocManagerPtr()->popResourceHandle(); }

CWnd* ovDialogParent() { return CWnd::FromHandle(adsw_acadMainWnd()); }
