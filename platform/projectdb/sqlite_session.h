// One SQLite connection of the component: opening a project file (read-only when it
// cannot be written), prepared statements kept for reuse, one transaction per call, and
// the schema lookups (kept until the schema changes) that map the component's tables and
// per-table index names onto SQLite's.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
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
  std::vector<std::wstring> wideColumns;  // the same names as rows hand them out
  std::vector<std::string> collations;    // each column's own, as SQLite names it
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
  // A statement for a caller's SQL text holding one statement, kept for the next call
  // with the same text (a few texts are kept). Null with `rc` SQLITE_OK when the text
  // holds no statement; null with `several` set when it holds more than one; null with
  // the SQLite result in `rc` when it does not prepare.
  sqlite3_stmt* callerStatement(const std::string& sql, int& rc, bool& several);
  // Forgets a caller's statement that failed, so that the text is prepared anew.
  void forgetCallerStatement(const std::string& sql);
  // Throws the failure for SQLite result `rc`.
  [[noreturn]] void raise(int rc) const;

  // The table with that name (SQLite's names ignore case), or none. Descriptions are
  // kept until a transaction finds the schema changed.
  std::shared_ptr<const TableInfo> findTable(const std::string& name);
  // The index `name` of a table: its key column's name gives the key index; any other
  // name the SQLite index "<table>__<name>". None when there is no such index.
  std::optional<IndexInfo> findIndex(const TableInfo& table, const std::string& name);

  // Counts the schema changes this connection has noticed; a description taken under
  // another count must be looked up again.
  std::uint64_t schemaGeneration() const { return schemaGeneration_; }
  // Caller SQL ended a transaction: a rolled-back schema change may have been replaced
  // by another one with the same version number, so the next transaction looks afresh.
  void schemaMayHaveChanged() { knownSchemaVersion_ = -1; }

 private:
  friend class ReadTransaction;
  friend class WriteTransaction;

  bool openHandle(const std::string& path, int flags, bool asUri);
  // Runs a statement of the component that answers no rows.
  void run(const char* sql);
  // Reads the schema version inside the running transaction and drops the kept
  // descriptions when it differs from the one they were taken under.
  void noteSchemaVersion(sqlite3_stmt* versionStatement);
  std::shared_ptr<const TableInfo> describeTable(const std::string& name);
  std::optional<IndexInfo> describeIndex(const TableInfo& table, const std::string& name);

  sqlite3* db_ = nullptr;
  bool readOnly_ = false;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
  // Caller texts, most recently used first.
  std::list<std::pair<std::string, sqlite3_stmt*>> callerStatements_;

  std::map<std::string, std::shared_ptr<const TableInfo>> tables_;  // by lower-case name
  std::map<std::string, IndexInfo> indexes_;  // by lower-case "<table>\x1f<index>"
  std::int64_t knownSchemaVersion_ = -1;
  std::uint64_t schemaGeneration_ = 0;
  sqlite3_stmt* versionStatement_ = nullptr;  // held on a row while a read transaction runs
  int readDepth_ = 0;
};

// A read transaction for one call: the file lock is taken once however many statements
// the call runs, they all read the same state, and a schema change made since the last
// call (by this connection or another process) is noticed. Nested ones join the outer.
class ReadTransaction {
 public:
  explicit ReadTransaction(SqliteSession& session);
  ~ReadTransaction();
  ReadTransaction(const ReadTransaction&) = delete;
  ReadTransaction& operator=(const ReadTransaction&) = delete;

 private:
  SqliteSession& session_;
};

// A write transaction for one call, begun IMMEDIATE so that waiting for another
// process's write goes through the busy timeout; rolled back unless commit() ran.
// Inside a transaction the caller began through Execute, it joins that one instead.
class WriteTransaction {
 public:
  explicit WriteTransaction(SqliteSession& session);
  ~WriteTransaction();
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;
  void commit();

 private:
  void rollback();

  SqliteSession& session_;
  bool owned_ = false;  // begun here (not the caller's)
  bool ended_ = false;
};

// Identifiers are double-quoted with inner quotes doubled.
std::string quoteIdentifier(const std::string& name);
std::string lowerAscii(std::string text);
