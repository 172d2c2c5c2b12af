// Repair of a project file through SQLite: REINDEX rebuilds damaged indexes, VACUUM
// writes the tables anew; what is lost in the table pages themselves stays lost.
#include "projectdb/project_repair.h"

#include <sqlite3.h>

#include "arx/aced_print.h"
#include "projectdb/server_session.h"

namespace {

bool runStatement(sqlite3* db, const char* sql, std::wstring& error) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  error = acutUtf8ToWide(message ? message : sqlite3_errmsg(db));
  sqlite3_free(message);
  return false;
}

bool passesIntegrityCheck(sqlite3* db) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) != SQLITE_OK) return false;
  bool ok = sqlite3_step(statement) == SQLITE_ROW &&
            std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))) == "ok";
  sqlite3_finalize(statement);
  return ok;
}

}  // namespace

bool projectDatabaseRepair(const std::wstring& path, std::wstring& error) {
  // A project on a server: the server rebuilds the indexes it found invalid.
  if (const std::string uri = serverUriOfProjectFile(acutWideToUtf8(path)); !uri.empty()) {
    ServerSession server;
    ComponentFailure failure{0, {}};
    try {
      if (!server.connect(uri, failure)) throw failure;
      server.reindex();
      if (server.indexesValid()) return error.clear(), true;
      error = L"the server still finds an index of the project's tables not valid";
    } catch (const ComponentFailure& f) {
      error = f.message;
    }
    return false;
  }
  sqlite3* db = nullptr;
  // Without SQLITE_OPEN_CREATE a missing file stays missing.
  if (sqlite3_open_v2(acutWideToUtf8(path).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    error = acutUtf8ToWide(sqlite3_errmsg(db));
    sqlite3_close(db);
    return false;
  }
  sqlite3_busy_timeout(db, 5000);
  bool repaired = runStatement(db, "REINDEX", error) && runStatement(db, "VACUUM", error) && passesIntegrityCheck(db);
  if (repaired) error.clear();
  else if (error.empty()) error = L"the file still fails the integrity check";
  sqlite3_close(db);
  return repaired;
}
