// One connection of the component to a project kept on a PostgreSQL server: the
// project file that names the server, statements with their values, the caller's SQL
// in SQLite's dialect translated, the project's names and table descriptions kept
// until the schema changes, and the server's errors as the component's numbers.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "com/variant.h"
#include "projectdb/component_failure.h"
#include "projectdb/server_dialect.h"
#include "projectdb/sql_value.h"
#include "projectdb/sqlite_session.h"

struct pg_conn;
struct pg_result;

// The server a project file names: its first line when that is a PostgreSQL connection
// URI ("postgresql://..." or "postgres://..."), else the empty text (an SQLite file, or
// no file). Passwords do not belong there; libpq finds them in ~/.pgpass or PGPASSWORD.
std::string serverUriOfProjectFile(const std::string& path);

// A statement's answer; rows and columns are counted from 0.
class ServerResult {
 public:
  explicit ServerResult(pg_result* result = nullptr) : result_(result) {}
  ServerResult(ServerResult&& other) noexcept : result_(other.result_) { other.result_ = nullptr; }
  ServerResult& operator=(ServerResult&& other) noexcept;
  ServerResult(const ServerResult&) = delete;
  ServerResult& operator=(const ServerResult&) = delete;
  ~ServerResult();

  int rows() const;
  int columns() const;
  std::string columnName(int column) const;
  SqlValue value(int row, int column) const;
  // As the component hands values out: NULL VT_NULL, integers VT_I4 (VT_R8 beyond 32
  // bits), reals VT_R8, booleans the integers 1/0 as SQLite answers them, the rest
  // texts.
  HRESULT variant(int row, int column, VARIANT& out, BstrBatch* texts = nullptr) const;
  std::int64_t integer(int row, int column) const;
  std::string text(int row, int column) const;

 private:
  pg_result* result_;
};

class ServerSession {
 public:
  ServerSession() = default;
  ServerSession(const ServerSession&) = delete;
  ServerSession& operator=(const ServerSession&) = delete;
  ~ServerSession() { close(); }

  // Connects to the server; false with the failure (3043 when it cannot be reached).
  bool connect(const std::string& uri, ComponentFailure& failure);
  void close();
  bool isOpen() const { return connection_ != nullptr; }
  // The role may not write the project's tables, or the server is a standby.
  bool readOnly() const { return readOnly_; }
  // The server's own check of the project: every index of its tables is valid (an
  // index left invalid by a failed build answers wrong rows until it is rebuilt).
  bool indexesValid();
  // Rebuilds the indexes of the project's tables.
  void reindex();

  // A statement of the component's own, in the server's dialect. Throws
  // ComponentFailure. Inside a transaction the caller began, a failure undoes only
  // this statement, as a failed statement does in SQLite.
  ServerResult run(const std::string& sql, const std::vector<SqlValue>& values = {});
  // The caller's SQL in SQLite's dialect: translated, then run as above. When it names
  // something the kept names lack (another connection changed the schema), the names
  // are read again and it runs once more. `one` refuses a text of several statements.
  ServerResult runCaller(const std::string& sql, const std::vector<SqlValue>& values, bool one);

  bool inCallerTransaction() const;

  std::uint64_t schemaGeneration() const { return generation_; }
  // Forgets the names and descriptions kept: the next use reads them again.
  void schemaChanged();
  const ServerNames& names();
  // The table of that name in any case, or none.
  std::shared_ptr<const TableInfo> findTable(const std::string& name);
  // As SqliteSession::findIndex: the key column's name gives the key index, any other
  // name the index "<table>__<name>".
  std::optional<IndexInfo> findIndex(const TableInfo& table, const std::string& name);

 private:
  ServerResult execute(const std::string& sql, const std::vector<SqlValue>& values, bool several,
                       bool retried = false);
  bool keysFellBehind(pg_result* result);
  [[noreturn]] void raise(pg_result* result);
  void readAccess();

  pg_conn* connection_ = nullptr;
  bool readOnly_ = false;
  std::uint64_t generation_ = 1;
  std::optional<ServerNames> names_;
  std::map<std::string, std::shared_ptr<const TableInfo>> tables_;  // by lower-case name
};
