// The component's SQLite connection: opening rules, reused statements, schema lookups.
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
  int rc = sqlite3_open_v2(path.c_str(), &db, flags | (asUri ? SQLITE_OPEN_URI : 0), nullptr);
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
  readOnly_ = access(path.c_str(), W_OK) != 0 || access(folderOf(path).c_str(), W_OK) != 0;
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
  tables_.clear();
  tablesSchemaVersion_ = -1;
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

std::int64_t SqliteSession::schemaVersion() {
  StatementUse use(statement("PRAGMA schema_version"));
  int rc = sqlite3_step(use.get());
  if (rc != SQLITE_ROW) raise(rc);
  return sqlite3_column_int64(use.get(), 0);
}

std::optional<TableInfo> SqliteSession::findTable(const std::string& name) {
  std::int64_t version = schemaVersion();
  if (version != tablesSchemaVersion_) {
    tables_.clear();
    tablesSchemaVersion_ = version;
  }
  std::string key = lowerAscii(name);
  auto cached = tables_.find(key);
  if (cached != tables_.end()) return cached->second;

  TableInfo table;
  {
    StatementUse use(statement(
        "SELECT name, wr FROM pragma_table_list WHERE schema = 'main' AND type = 'table' AND name = ?1 COLLATE NOCASE"));
    sqlite3_bind_text(use.get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    int rc = sqlite3_step(use.get());
    if (rc == SQLITE_DONE) return std::nullopt;
    if (rc != SQLITE_ROW) raise(rc);
    table.name = columnText(use.get(), 0);
    if (sqlite3_column_int(use.get(), 1) != 0)
      throw ComponentFailure{projectdb_error::kTableNotFound,
                             L"Table '" + wide(table.name) + L"' has no row keys and cannot be browsed."};
  }
  {
    StatementUse use(statement("SELECT name, type, pk FROM pragma_table_info(?1) ORDER BY cid"));
    sqlite3_bind_text(use.get(), 1, table.name.c_str(), -1, SQLITE_TRANSIENT);
    int keyParts = 0;
    std::string integerKey;
    int rc;
    while ((rc = sqlite3_step(use.get())) == SQLITE_ROW) {
      std::string column = columnText(use.get(), 0);
      int pk = sqlite3_column_int(use.get(), 2);
      if (pk > 0) ++keyParts;
      if (pk == 1 && lowerAscii(columnText(use.get(), 1)) == "integer") integerKey = column;
      table.columns.push_back(column);
    }
    if (rc != SQLITE_DONE) raise(rc);
    // Only a lone INTEGER PRIMARY KEY is the rowid; a composite key is not a row key.
    if (keyParts == 1) table.keyColumn = integerKey;
  }
  for (const std::string& column : table.columns) {
    const char* collation = nullptr;
    int rc = sqlite3_table_column_metadata(db_, "main", table.name.c_str(), column.c_str(), nullptr, &collation,
                                           nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) raise(rc);
    table.collations.emplace_back(collation == nullptr ? "BINARY" : collation);
  }
  tables_.emplace(key, table);
  return table;
}

std::optional<IndexInfo> SqliteSession::findIndex(const TableInfo& table, const std::string& name) {
  if (!table.keyColumn.empty() && lowerAscii(name) == lowerAscii(table.keyColumn))
    return IndexInfo{table.keyColumn, {}};
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
