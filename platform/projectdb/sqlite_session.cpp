// The component's SQLite connection: opening rules, reused statements, one transaction
// per call, and schema lookups kept until the schema version changes.
#include "projectdb/sqlite_session.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "arx/aced_print.h"

namespace {

// Two processes working on one project wait for each other this long before a call
// reports the database as locked.
constexpr int kBusyTimeoutMs = 5000;

std::string folderOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A file URI for `path`, so that SQLite can be told the file will not change.
std::string immutableUri(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string uri = "file:";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += hex[c >> 4];
      uri += hex[c & 0xF];
    }
  }
  return uri + "?immutable=1";
}

int firstRead(sqlite3* db) { return sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr); }

bool isDamage(int rc) { return (rc & 0xFF) == SQLITE_NOTADB || (rc & 0xFF) == SQLITE_CORRUPT; }

std::wstring wide(const std::string& text) { return acutUtf8ToWide(text); }

std::string columnText(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text == nullptr ? std::string() : std::string(text);
}

// The rest of a SQL text after one statement holds another statement (blanks,
// semicolons and comments do not count).
bool moreStatementsIn(sqlite3* db, const char* tail) {
  if (tail == nullptr || *tail == '\0') return false;
  sqlite3_stmt* statement = nullptr;
  int rc = sqlite3_prepare_v2(db, tail, -1, &statement, nullptr);
  bool more = rc != SQLITE_OK || statement != nullptr;
  sqlite3_finalize(statement);
  return more;
}

// Caller texts kept prepared: the module runs a handful of queries again and again.
constexpr std::size_t kKeptCallerStatements = 32;

}  // namespace

std::string quoteIdentifier(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string lowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

StatementUse::~StatementUse() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

bool SqliteSession::openHandle(const std::string& path, int flags, bool asUri) {
  sqlite3* db = nullptr;
  // One component is used by one thread at a time (its cursors are not shared either),
  // so SQLite need not lock the connection on every call.
  int rc = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX | (asUri ? SQLITE_OPEN_URI : 0), nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(db);
    return false;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  // The module writes text literals in double quotes; keep SQLite accepting them.
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 1, nullptr);
  db_ = db;
  return true;
}

SqliteSession::OpenResult SqliteSession::open(const std::string& path, ComponentFailure& failure) {
  using namespace projectdb_error;
  close();
  if (path.empty()) {
    failure = {kFileNotFound, L"No database file was named."};
    return OpenResult::Missing;
  }
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      failure = {kFileNotFound, L"Could not find file '" + wide(path) + L"'."};
      return OpenResult::Missing;
    }
    failure = {kCannotOpen, L"Cannot open '" + wide(path) + L"': " + wide(std::strerror(errno)) + L"."};
    return OpenResult::CannotOpen;
  }
  if (!S_ISREG(info.st_mode) || access(path.c_str(), R_OK) != 0) {
    failure = {kCannotOpen, L"Cannot open '" + wide(path) + L"': not a readable file."};
    return OpenResult::CannotOpen;
  }
  // A file nobody may write is marked read-only, as the platform's read-only attribute
  // marks one: it stays so for an administrator too, whom access() lets write anything.
  const bool markedReadOnly = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  readOnly_ = markedReadOnly || access(path.c_str(), W_OK) != 0 || access(folderOf(path).c_str(), W_OK) != 0;
  if (!openHandle(path, readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, false)) {
    failure = {kCannotOpen, L"Cannot open '" + wide(path) + L"'."};
    return OpenResult::CannotOpen;
  }
  int rc = firstRead(db_);
  if (rc != SQLITE_OK && readOnly_ && !isDamage(rc)) {
    // A WAL database in a folder we cannot write has no shared-memory file to read
    // through; reading it as an unchanging file still works.
    close();
    readOnly_ = true;
    if (openHandle(immutableUri(path), SQLITE_OPEN_READONLY, true)) rc = firstRead(db_);
  }
  if (rc == SQLITE_OK && !readOnly_) {
    rc = sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    // Staying in the old journal mode still works; only damage stops the open.
    if (!isDamage(rc)) rc = SQLITE_OK;
    // With WAL a commit is safe against a crash of the program without waiting for the
    // disk each time, which keeps rows added one by one fast.
    if (rc == SQLITE_OK) sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  }
  if (rc == SQLITE_OK && db_ != nullptr) return OpenResult::Opened;
  OpenResult result = isDamage(rc) ? OpenResult::Damaged : OpenResult::CannotOpen;
  failure = sqliteFailure(db_, rc);
  if (result == OpenResult::Damaged)
    failure.message = L"The database '" + wide(path) + L"' is damaged (" + failure.message + L").";
  close();
  return result;
}

void SqliteSession::close() {
  for (auto& entry : statements_) sqlite3_finalize(entry.second);
  statements_.clear();
  for (auto& entry : callerStatements_) sqlite3_finalize(entry.second);
  callerStatements_.clear();
  tables_.clear();
  indexes_.clear();
  knownSchemaVersion_ = -1;
  ++schemaGeneration_;
  versionStatement_ = nullptr;
  readDepth_ = 0;
  if (db_ != nullptr) sqlite3_close_v2(db_);
  db_ = nullptr;
  readOnly_ = false;
}

bool SqliteSession::integrityOk() {
  sqlite3_stmt* check = nullptr;
  if (sqlite3_prepare_v2(db_, "PRAGMA integrity_check", -1, &check, nullptr) != SQLITE_OK) {
    sqlite3_finalize(check);
    return false;
  }
  bool ok = sqlite3_step(check) == SQLITE_ROW && columnText(check, 0) == "ok";
  sqlite3_finalize(check);
  return ok;
}

void SqliteSession::raise(int rc) const { throw sqliteFailure(db_, rc); }

sqlite3_stmt* SqliteSession::statement(const std::string& sql) {
  auto found = statements_.find(sql);
  if (found != statements_.end()) return found->second;
  sqlite3_stmt* prepared = nullptr;
  int rc = sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(prepared);
    raise(rc);
  }
  statements_.emplace(sql, prepared);
  return prepared;
}

sqlite3_stmt* SqliteSession::callerStatement(const std::string& sql, int& rc, bool& several) {
  rc = SQLITE_OK;
  several = false;
  for (auto kept = callerStatements_.begin(); kept != callerStatements_.end(); ++kept) {
    if (kept->first != sql) continue;
    callerStatements_.splice(callerStatements_.begin(), callerStatements_, kept);
    return kept->second;
  }
  sqlite3_stmt* prepared = nullptr;
  const char* tail = nullptr;
  rc = sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &prepared,
                          &tail);
  if (rc != SQLITE_OK || prepared == nullptr) {
    sqlite3_finalize(prepared);
    return nullptr;
  }
  if (moreStatementsIn(db_, tail)) {
    sqlite3_finalize(prepared);
    several = true;
    return nullptr;
  }
  callerStatements_.emplace_front(sql, prepared);
  if (callerStatements_.size() > kKeptCallerStatements) {
    sqlite3_finalize(callerStatements_.back().second);
    callerStatements_.pop_back();
  }
  return prepared;
}

void SqliteSession::forgetCallerStatement(const std::string& sql) {
  for (auto kept = callerStatements_.begin(); kept != callerStatements_.end(); ++kept) {
    if (kept->first != sql) continue;
    sqlite3_finalize(kept->second);
    callerStatements_.erase(kept);
    return;
  }
}

void SqliteSession::run(const char* sql) {
  StatementUse use(statement(sql));
  int rc = sqlite3_step(use.get());
  if (rc != SQLITE_DONE && rc != SQLITE_ROW) raise(rc);
}

// --- transactions ---

void SqliteSession::noteSchemaVersion(sqlite3_stmt* versionStatement) {
  std::int64_t version = sqlite3_column_int64(versionStatement, 0);
  if (version == knownSchemaVersion_) return;
  tables_.clear();
  indexes_.clear();
  knownSchemaVersion_ = version;
  ++schemaGeneration_;
}

ReadTransaction::ReadTransaction(SqliteSession& session) : session_(session) {
  if (session_.readDepth_ > 0) {
    ++session_.readDepth_;
    return;
  }
  // The statement stays on its row until the transaction ends: while it does, SQLite
  // keeps the read transaction (and the lock) for every other statement of the call.
  sqlite3_stmt* version = session_.statement("PRAGMA schema_version");
  int rc = sqlite3_step(version);
  if (rc != SQLITE_ROW) {
    ComponentFailure failure = sqliteFailure(session_.db_, rc);
    sqlite3_reset(version);
    throw failure;
  }
  session_.versionStatement_ = version;
  session_.readDepth_ = 1;
  session_.noteSchemaVersion(version);
}

ReadTransaction::~ReadTransaction() {
  if (--session_.readDepth_ > 0) return;
  sqlite3_reset(session_.versionStatement_);
  session_.versionStatement_ = nullptr;
}

WriteTransaction::WriteTransaction(SqliteSession& session) : session_(session) {
  owned_ = sqlite3_get_autocommit(session_.db_) != 0;
  if (owned_) session_.run("BEGIN IMMEDIATE");
  try {
    StatementUse version(session_.statement("PRAGMA schema_version"));
    int rc = sqlite3_step(version.get());
    if (rc != SQLITE_ROW) session_.raise(rc);
    session_.noteSchemaVersion(version.get());
  } catch (...) {
    rollback();
    throw;
  }
}

WriteTransaction::~WriteTransaction() {
  if (!ended_) rollback();
}

void WriteTransaction::commit() {
  if (owned_) session_.run("COMMIT");
  ended_ = true;
}

void WriteTransaction::rollback() {
  ended_ = true;
  // A failed statement may have rolled the transaction back already.
  if (owned_ && sqlite3_get_autocommit(session_.db_) == 0)
    sqlite3_exec(session_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

// --- schema descriptions ---

std::shared_ptr<const TableInfo> SqliteSession::findTable(const std::string& name) {
  auto cached = tables_.find(lowerAscii(name));
  if (cached != tables_.end()) return cached->second;
  ReadTransaction transaction(*this);
  // The transaction may have found the schema changed and dropped what was kept.
  std::shared_ptr<const TableInfo> table = describeTable(name);
  if (table) tables_.emplace(lowerAscii(name), table);
  return table;
}

std::shared_ptr<const TableInfo> SqliteSession::describeTable(const std::string& name) {
  auto table = std::make_shared<TableInfo>();
  {
    StatementUse use(statement(
        "SELECT name, wr FROM pragma_table_list WHERE schema = 'main' AND type = 'table' AND name = ?1 COLLATE NOCASE"));
    sqlite3_bind_text(use.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    int rc = sqlite3_step(use.get());
    if (rc == SQLITE_DONE) return nullptr;
    if (rc != SQLITE_ROW) raise(rc);
    table->name = columnText(use.get(), 0);
    if (sqlite3_column_int(use.get(), 1) != 0)
      throw ComponentFailure{projectdb_error::kTableNotFound,
                             L"Table '" + wide(table->name) + L"' has no row keys and cannot be browsed."};
  }
  {
    StatementUse use(statement("SELECT name, type, pk FROM pragma_table_info(?1) ORDER BY cid"));
    sqlite3_bind_text(use.get(), 1, table->name.c_str(), -1, SQLITE_TRANSIENT);
    int keyParts = 0;
    std::string integerKey;
    int rc;
    while ((rc = sqlite3_step(use.get())) == SQLITE_ROW) {
      std::string column = columnText(use.get(), 0);
      int pk = sqlite3_column_int(use.get(), 2);
      if (pk > 0) ++keyParts;
      if (pk == 1 && lowerAscii(columnText(use.get(), 1)) == "integer") integerKey = column;
      table->wideColumns.push_back(wide(column));
      table->columns.push_back(std::move(column));
    }
    if (rc != SQLITE_DONE) raise(rc);
    // Only a lone INTEGER PRIMARY KEY is the rowid; a composite key is not a row key.
    if (keyParts == 1) table->keyColumn = integerKey;
  }
  for (const std::string& column : table->columns) {
    const char* collation = nullptr;
    int rc = sqlite3_table_column_metadata(db_, "main", table->name.c_str(), column.c_str(), nullptr, &collation,
                                           nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) raise(rc);
    table->collations.emplace_back(collation == nullptr ? "BINARY" : collation);
  }
  return table;
}

std::optional<IndexInfo> SqliteSession::findIndex(const TableInfo& table, const std::string& name) {
  if (!table.keyColumn.empty() && lowerAscii(name) == lowerAscii(table.keyColumn))
    return IndexInfo{table.keyColumn, {}};
  std::string key = lowerAscii(table.name) + '\x1f' + lowerAscii(name);
  auto cached = indexes_.find(key);
  if (cached != indexes_.end()) return IndexInfo{name, cached->second.columns};
  ReadTransaction transaction(*this);
  std::optional<IndexInfo> index = describeIndex(table, name);
  if (index) indexes_.emplace(key, *index);
  return index;
}

std::optional<IndexInfo> SqliteSession::describeIndex(const TableInfo& table, const std::string& name) {
  std::string sqliteName;
  {
    StatementUse use(statement(
        "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1 COLLATE NOCASE "
        "AND name = ?2 COLLATE NOCASE"));
    std::string wanted = table.name + "__" + name;
    sqlite3_bind_text(use.get(), 1, table.name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(use.get(), 2, wanted.c_str(), -1, SQLITE_TRANSIENT);
    int rc = sqlite3_step(use.get());
    if (rc == SQLITE_DONE) return std::nullopt;
    if (rc != SQLITE_ROW) raise(rc);
    sqliteName = columnText(use.get(), 0);
  }
  IndexInfo index{name, {}};
  StatementUse use(statement("SELECT name, coll, desc FROM pragma_index_xinfo(?1) WHERE key = 1 ORDER BY seqno"));
  sqlite3_bind_text(use.get(), 1, sqliteName.c_str(), -1, SQLITE_TRANSIENT);
  int rc;
  while ((rc = sqlite3_step(use.get())) == SQLITE_ROW) {
    if (sqlite3_column_type(use.get(), 0) == SQLITE_NULL)
      throw ComponentFailure{projectdb_error::kIndexNotFound,
                             L"Index '" + wide(sqliteName) + L"' orders by an expression and cannot be followed."};
    IndexColumn column{columnText(use.get(), 0), columnText(use.get(), 1), sqlite3_column_int(use.get(), 2) != 0};
    for (std::size_t i = 0; i < table.columns.size(); ++i)
      if (lowerAscii(table.columns[i]) == lowerAscii(column.name))
        column.columnCollation = lowerAscii(table.collations[i]) == lowerAscii(column.collation);
    index.columns.push_back(column);
  }
  if (rc != SQLITE_DONE) raise(rc);
  if (index.columns.empty()) return std::nullopt;
  return index;
}
