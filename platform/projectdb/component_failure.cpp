// Maps SQLite's result codes onto the component's error numbers and messages.
#include "projectdb/component_failure.h"

#include <sqlite3.h>

#include "arx/aced_print.h"

long componentErrorCode(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
      return projectdb_error::kDiskOrIo;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return projectdb_error::kDamaged;
    case SQLITE_READONLY:
      return projectdb_error::kReadOnly;
    case SQLITE_CONSTRAINT:
      return projectdb_error::kConstraint;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return projectdb_error::kLocked;
    default:
      return projectdb_error::kSqlFailure;
  }
}

ComponentFailure sqliteFailure(sqlite3* db, int rc) {
  long code = componentErrorCode(rc);
  std::wstring detail = acutUtf8ToWide(db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  if (code == projectdb_error::kDiskOrIo)
    return {code, L"A disk or network error occurred (" + detail + L")."};
  return {code, detail};
}
