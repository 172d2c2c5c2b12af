// The host program's own connection to a project file.
#include "projectdb/project_sql.h"

#include <sqlite3.h>

#include <memory>

#include "arx/aced_print.h"
#include "projectdb/server_session.h"

namespace {

constexpr int kBusyTimeoutMs = 5000;

SqlCell columnCell(sqlite3_stmt* statement, int c) {
  switch (sqlite3_column_type(statement, c)) {
    case SQLITE_INTEGER: return static_cast<std::int64_t>(sqlite3_column_int64(statement, c));
    case SQLITE_FLOAT: return sqlite3_column_double(statement, c);
    case SQLITE_NULL: return std::monostate{};
    default: {
      const unsigned char* cell = sqlite3_column_text(statement, c);
      return acutUtf8ToWide(cell ? reinterpret_cast<const char*>(cell) : "");
    }
  }
}

using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

}  // namespace

ProjectSqlConnection::ProjectSqlConnection() = default;
ProjectSqlConnection::~ProjectSqlConnection() { sqlite3_close(db_); }

namespace {

SqlValue serverValue(const SqlCell& cell) {
  SqlValue v;
  if (const auto* n = std::get_if<std::int64_t>(&cell)) v.kind = SqlValue::Kind::Integer, v.integer = *n;
  else if (const auto* d = std::get_if<double>(&cell)) v.kind = SqlValue::Kind::Real, v.real = *d;
  else if (const auto* s = std::get_if<std::wstring>(&cell)) v.kind = SqlValue::Kind::Text, v.bytes = acutWideToUtf8(*s);
  return v;
}

SqlCell serverCell(const SqlValue& v) {
  switch (v.kind) {
    case SqlValue::Kind::Integer: return v.integer;
    case SqlValue::Kind::Real: return v.real;
    case SqlValue::Kind::Null: return std::monostate{};
    default: return acutUtf8ToWide(v.bytes);
  }
}

// One statement on the server, its rows into `rows` when given.
bool runOnServer(ServerSession& server, const std::wstring& sql, const SqlRow& values, std::vector<SqlRow>* rows,
                 std::wstring& error) {
  if (translateForServer(acutWideToUtf8(sql), {}).statements > 1) return (error = L"one SQL statement at a time"), false;
  std::vector<SqlValue> parameters;
  for (const SqlCell& cell : values) parameters.push_back(serverValue(cell));
  try {
    ServerResult result = server.runCaller(acutWideToUtf8(sql), parameters, true);
    if (rows == nullptr) return true;
    rows->clear();
    for (int r = 0; r < result.rows(); ++r) {
      SqlRow& row = rows->emplace_back();
      for (int c = 0; c < result.columns(); ++c) row.push_back(serverCell(result.value(r, c)));
    }
    return true;
  } catch (const ComponentFailure& failure) {
    error = failure.message;
    return false;
  }
}

}  // namespace

bool ProjectSqlConnection::open(const std::string& path, std::wstring& error) {
  if (const std::string uri = serverUriOfProjectFile(path); !uri.empty()) {
    server_ = std::make_unique<ServerSession>();
    ComponentFailure failure{0, {}};
    if (server_->connect(uri, failure)) return true;
    server_.reset();
    error = failure.message;
    return false;
  }
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    error = acutUtf8ToWide(db_ ? sqlite3_errmsg(db_) : "cannot open the project database");
    sqlite3_close(db_);
    db_ = nullptr;
    return false;
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  return true;
}

bool ProjectSqlConnection::fail(std::wstring& error) const {
  error = acutUtf8ToWide(db_ ? sqlite3_errmsg(db_) : "the project database is not open");
  return false;
}

sqlite3_stmt* ProjectSqlConnection::prepare(const std::wstring& sql, std::size_t values, std::wstring& error) {
  if (db_ == nullptr) return fail(error), nullptr;
  const std::string text = acutWideToUtf8(sql);
  sqlite3_stmt* statement = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db_, text.c_str(), static_cast<int>(text.size()), &statement, &tail) != SQLITE_OK)
    return fail(error), nullptr;
  Statement owned(statement, &sqlite3_finalize);
  if (statement == nullptr) return (error = L"no SQL statement"), nullptr;
  if (tail != nullptr && std::string(tail).find_first_not_of(" \t\r\n;") != std::string::npos)
    return (error = L"one SQL statement at a time"), nullptr;
  const auto parameters = static_cast<std::size_t>(sqlite3_bind_parameter_count(statement));
  if (parameters != values)
    return (error = L"the statement has " + std::to_wstring(parameters) + L" parameters, " + std::to_wstring(values) +
                    L" values given"),
           nullptr;
  return owned.release();
}

bool ProjectSqlConnection::bind(sqlite3_stmt* statement, const SqlRow& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    const int slot = static_cast<int>(i + 1);
    int rc = SQLITE_OK;
    if (const auto* n = std::get_if<std::int64_t>(&values[i])) rc = sqlite3_bind_int64(statement, slot, *n);
    else if (const auto* d = std::get_if<double>(&values[i])) rc = sqlite3_bind_double(statement, slot, *d);
    else if (const auto* s = std::get_if<std::wstring>(&values[i]))
      rc = sqlite3_bind_text(statement, slot, acutWideToUtf8(*s).c_str(), -1, SQLITE_TRANSIENT);
    else rc = sqlite3_bind_null(statement, slot);
    if (rc != SQLITE_OK) return false;
  }
  return true;
}

bool ProjectSqlConnection::run(const std::wstring& sql, const SqlRow& values, std::vector<SqlRow>& rows,
                               std::wstring& error) {
  if (server_) return runOnServer(*server_, sql, values, &rows, error);
  Statement statement(prepare(sql, values.size(), error), &sqlite3_finalize);
  if (statement == nullptr) return false;
  if (!bind(statement.get(), values)) return fail(error);
  rows.clear();
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
    SqlRow row;
    for (int c = 0; c < sqlite3_column_count(statement.get()); ++c) row.push_back(columnCell(statement.get(), c));
    rows.push_back(std::move(row));
  }
  return step == SQLITE_DONE ? true : fail(error);
}

bool ProjectSqlConnection::runEach(const std::wstring& sql, const std::vector<SqlRow>& valueRows,
                                   std::wstring& error) {
  if (valueRows.empty()) return true;
  if (server_) {
    // One transaction: every row or, on the first failure, none.
    std::wstring ignored;
    if (!runOnServer(*server_, L"BEGIN", {}, nullptr, error)) return false;
    for (const SqlRow& values : valueRows) {
      bool ok = values.size() == valueRows.front().size();
      if (!ok) error = L"every row of values must have " + std::to_wstring(valueRows.front().size()) + L" values";
      else ok = runOnServer(*server_, sql, values, nullptr, error);
      if (!ok) {
        runOnServer(*server_, L"ROLLBACK", {}, nullptr, ignored);
        return false;
      }
    }
    return runOnServer(*server_, L"COMMIT", {}, nullptr, error);
  }
  Statement statement(prepare(sql, valueRows.front().size(), error), &sqlite3_finalize);
  if (statement == nullptr) return false;
  if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) return fail(error);
  for (const SqlRow& values : valueRows) {
    bool ok = values.size() == valueRows.front().size();
    if (!ok) error = L"every row of values must have " + std::to_wstring(valueRows.front().size()) + L" values";
    else if (!bind(statement.get(), values) || sqlite3_step(statement.get()) != SQLITE_DONE) ok = fail(error);
    if (!ok) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      return false;
    }
    sqlite3_reset(statement.get());
    sqlite3_clear_bindings(statement.get());
  }
  if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) return true;
  fail(error);
  sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  return false;
}

double sqlReal(const SqlRow& row, std::size_t c, double fallback) {
  if (c >= row.size()) return fallback;
  if (const auto* d = std::get_if<double>(&row[c])) return *d;
  if (const auto* n = std::get_if<std::int64_t>(&row[c])) return static_cast<double>(*n);
  return fallback;
}

std::int64_t sqlInteger(const SqlRow& row, std::size_t c, std::int64_t fallback) {
  if (c >= row.size()) return fallback;
  if (const auto* n = std::get_if<std::int64_t>(&row[c])) return *n;
  if (const auto* d = std::get_if<double>(&row[c])) return static_cast<std::int64_t>(*d);
  return fallback;
}

std::wstring sqlText(const SqlRow& row, std::size_t c) {
  if (c >= row.size()) return {};
  if (const auto* s = std::get_if<std::wstring>(&row[c])) return *s;
  return {};
}
