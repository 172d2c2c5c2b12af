// One SQLite connection of the component: opening a project file (read-only when it
// cannot be written), prepared statements kept for reuse, and the schema lookups that
// map the component's tables and per-table index names onto SQLite's.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "projectdb/component_failure.h"

struct sqlite3;
struct sqlite3_stmt;

// A table as the component hands its rows out: columns in table order, and the
// INTEGER PRIMARY KEY column that holds each row's key (empty when the table has none
// and rows are keyed by their rowid).
struct TableInfo {
  std::string name;
  std::vector<std::string> columns;
  std::vector<std::string> collations;  // each column's own, as SQLite names it
  std::string keyColumn;
};

struct IndexColumn {
  std::string name;
  std::string collation;
  bool descending = false;
  // The index compares as the column does, so plain comparisons can use the index.
  bool columnCollation = true;
};

// An index as SelectTable names it. The key index has no columns: rows follow the key.
struct IndexInfo {
  std::string name;
  std::vector<IndexColumn> columns;
};

// A reused statement, reset and unbound again when the use ends.
class StatementUse {
 public:
  explicit StatementUse(sqlite3_stmt* statement) : statement_(statement) {}
  StatementUse(const StatementUse&) = delete;
  StatementUse& operator=(const StatementUse&) = delete;
  ~StatementUse();
  sqlite3_stmt* get() const { return statement_; }

 private:
  sqlite3_stmt* statement_;
};

class SqliteSession {
 public:
  enum class OpenResult { Opened, Missing, CannotOpen, Damaged };

  SqliteSession() = default;
  SqliteSession(const SqliteSession&) = delete;
  SqliteSession& operator=(const SqliteSession&) = delete;
  ~SqliteSession() { close(); }

  // Opens an existing file (never creates one). Read-only when the file or its folder
  // cannot be written (WAL needs the folder). On anything but Opened the session stays
  // closed and `failure` says why.
  OpenResult open(const std::string& path, ComponentFailure& failure);
  void close();
  bool isOpen() const { return db_ != nullptr; }
  bool readOnly() const { return readOnly_; }
  sqlite3* handle() const { return db_; }

  // True when SQLite's integrity check passes.
  bool integrityOk();

  // A statement for SQL the component composes, prepared once per connection. Throws
  // ComponentFailure when it does not prepare.
  sqlite3_stmt* statement(const std::string& sql);
  // Throws the failure for SQLite result `rc`.
  [[noreturn]] void raise(int rc) const;

  // The table with that name (SQLite's names ignore case), or none.
  std::optional<TableInfo> findTable(const std::string& name);
  // The index `name` of a table: its key column's name gives the key index; any other
  // name the SQLite index "<table>__<name>". None when there is no such index.
  std::optional<IndexInfo> findIndex(const TableInfo& table, const std::string& name);

 private:
  std::int64_t schemaVersion();
  bool openHandle(const std::string& path, int flags, bool asUri);

  sqlite3* db_ = nullptr;
  bool readOnly_ = false;
  std::map<std::string, sqlite3_stmt*> statements_;
  std::map<std::string, TableInfo> tables_;  // by lower-case name, for schemaVersion_
  std::int64_t tablesSchemaVersion_ = -1;
};

// Identifiers are double-quoted with inner quotes doubled.
std::string quoteIdentifier(const std::string& name);
std::string lowerAscii(std::string text);
