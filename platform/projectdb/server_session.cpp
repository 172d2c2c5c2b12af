// The component's connection to a PostgreSQL server through libpq. Values travel as
// texts of unknown type, so that the server reads each as the column it meets wants,
// as SQLite takes any value into any column.
#include "projectdb/server_session.h"

#include <libpq-fe.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "arx/aced_print.h"

namespace {

// Type numbers of the server's built-in types, as pg_type has them.
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701,
              kNumeric = 1700;

std::string lower(std::string text) { return lowerAscii(std::move(text)); }

// The schema the project lives in: the first one of the role's search path.
const char kTablesHere[] = "c.relnamespace = current_schema()::regnamespace";

std::string parameterText(const SqlValue& v) {
  switch (v.kind) {
    case SqlValue::Kind::Integer: return std::to_string(v.integer);
    case SqlValue::Kind::Real: {
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "%.17g", v.real);
      return buffer;
    }
    default: return v.bytes;
  }
}

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// A missing table or column told in SQLite's words, which callers and users already
// know ("no such table: tblNowhere"), with the name as the caller wrote it rather than
// as the server folded it.
ComponentFailure sqliteWords(ComponentFailure failure, const std::string& sql) {
  const std::string message = acutWideToUtf8(failure.message);
  for (const auto& [server, sqlite] : {std::pair{"relation \"", "no such table: "}, {"column \"", "no such column: "}}) {
    if (!startsWith(message, server) || message.find("\" does not exist") == std::string::npos) continue;
    const std::size_t start = std::string(server).size();
    std::string name = message.substr(start, message.find('"', start) - start);
    const std::string lowerSql = lowerAscii(sql);
    const std::size_t dot = name.rfind('.');
    const std::string bare = dot == std::string::npos ? name : name.substr(dot + 1);
    const std::size_t at = lowerSql.find(lowerAscii(bare));
    failure.message = acutUtf8ToWide(sqlite + (at == std::string::npos ? name : sql.substr(at, bare.size())));
  }
  return failure;
}

}  // namespace

std::string serverUriOfProjectFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char head[16] = {};
  if (!in.read(head, sizeof head - 1) && in.gcount() == 0) return {};
  std::string line(head, static_cast<std::size_t>(in.gcount()));
  if (!startsWith(line, "postgresql://") && !startsWith(line, "postgres://")) return {};
  in.clear();
  in.seekg(0);
  std::getline(in, line);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
  return line;
}

// --- results ---

ServerResult& ServerResult::operator=(ServerResult&& other) noexcept {
  if (this != &other) {
    PQclear(result_);
    result_ = other.result_;
    other.result_ = nullptr;
  }
  return *this;
}

ServerResult::~ServerResult() { PQclear(result_); }

int ServerResult::rows() const { return result_ ? PQntuples(result_) : 0; }
int ServerResult::columns() const { return result_ ? PQnfields(result_) : 0; }
std::string ServerResult::columnName(int column) const { return PQfname(result_, column); }

SqlValue ServerResult::value(int row, int column) const {
  SqlValue v;
  if (PQgetisnull(result_, row, column)) return v;
  const char* text = PQgetvalue(result_, row, column);
  const auto length = static_cast<std::size_t>(PQgetlength(result_, row, column));
  switch (PQftype(result_, column)) {
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
      v.kind = SqlValue::Kind::Integer;
      std::from_chars(text, text + length, v.integer);
      return v;
    case kBool:
      v.kind = SqlValue::Kind::Integer;
      v.integer = text[0] == 't' ? 1 : 0;
      return v;
    case kNumeric:
      // A sum or average of integers: whole numbers stay integers, as SQLite's do.
      if (std::string_view(text, length).find_first_of(".eEN") == std::string_view::npos) {
        v.kind = SqlValue::Kind::Integer;
        std::from_chars(text, text + length, v.integer);
        return v;
      }
      [[fallthrough]];
    case kFloat4:
    case kFloat8:
      v.kind = SqlValue::Kind::Real;
      v.real = std::strtod(text, nullptr);
      return v;
    default:
      v.kind = SqlValue::Kind::Text;
      v.bytes.assign(text, length);
      return v;
  }
}

HRESULT ServerResult::variant(int row, int column, VARIANT& out, BstrBatch* texts) const {
  // Texts, the most of a large answer, go from the result's buffer straight into their
  // BSTRs; other kinds are few and small.
  switch (PQftype(result_, column)) {
    case kInt2: case kInt4: case kInt8: case kOid: case kBool: case kNumeric: case kFloat4: case kFloat8:
      return variantFromSqlValue(value(row, column), out, texts);
    default:
      break;
  }
  if (PQgetisnull(result_, row, column)) {
    out.vt = VT_NULL;
    return S_OK;
  }
  BSTR text = bstrFromUtf8(PQgetvalue(result_, row, column),
                           static_cast<std::size_t>(PQgetlength(result_, row, column)), texts);
  if (text == nullptr) return E_OUTOFMEMORY;
  out.vt = VT_BSTR;
  out.bstrVal = text;
  return S_OK;
}

std::int64_t ServerResult::integer(int row, int column) const {
  std::int64_t n = 0;
  const char* text = PQgetvalue(result_, row, column);
  std::from_chars(text, text + PQgetlength(result_, row, column), n);
  return n;
}

std::string ServerResult::text(int row, int column) const { return PQgetvalue(result_, row, column); }

// SQLite's functions and aggregates that the callers' SQL uses and the server lacks,
// made in the project's schema by the first connection that may create there. Each is
// made or replaced whole, so connections doing it at once do no harm.
const char kSqliteFunctions[] =
    "CREATE OR REPLACE FUNCTION ov_group_concat_step(state text, value anyelement, separator text) RETURNS text "
    "LANGUAGE sql IMMUTABLE AS $$ SELECT CASE WHEN value IS NULL THEN state WHEN state IS NULL THEN value::text "
    "ELSE state || separator || value::text END $$;"
    "CREATE OR REPLACE FUNCTION ov_group_concat_step(state text, value anyelement) RETURNS text "
    "LANGUAGE sql IMMUTABLE AS $$ SELECT ov_group_concat_step(state, value, ',') $$;"
    "CREATE OR REPLACE AGGREGATE group_concat(anyelement) (SFUNC = ov_group_concat_step, STYPE = text);"
    "CREATE OR REPLACE AGGREGATE group_concat(anyelement, text) (SFUNC = ov_group_concat_step, STYPE = text);"
    // A comparison counts as 1 or 0, as SQLite's does.
    "CREATE OR REPLACE FUNCTION ov_sum_step(state bigint, value boolean) RETURNS bigint LANGUAGE sql IMMUTABLE AS "
    "$$ SELECT CASE WHEN value IS NULL THEN state ELSE coalesce(state, 0) + CASE WHEN value THEN 1 ELSE 0 END END $$;"
    "CREATE OR REPLACE AGGREGATE sum(boolean) (SFUNC = ov_sum_step, STYPE = bigint);"
    "CREATE OR REPLACE FUNCTION round(double precision, integer) RETURNS double precision LANGUAGE sql IMMUTABLE AS "
    "$$ SELECT round($1::numeric, $2)::double precision $$;"
    "CREATE OR REPLACE FUNCTION quote(text) RETURNS text LANGUAGE sql IMMUTABLE AS "
    "$$ SELECT coalesce(quote_literal($1), 'NULL') $$;"
    "CREATE OR REPLACE FUNCTION quote(double precision) RETURNS text LANGUAGE sql IMMUTABLE AS "
    "$$ SELECT coalesce($1::text, 'NULL') $$;"
    "CREATE OR REPLACE FUNCTION quote(bigint) RETURNS text LANGUAGE sql IMMUTABLE AS "
    "$$ SELECT coalesce($1::text, 'NULL') $$;"
    // The trigger behind a key the caller gives (server_dialect.h).
    "CREATE OR REPLACE FUNCTION ov_follow_key() RETURNS trigger LANGUAGE plpgsql AS $$ DECLARE "
    "k bigint := (to_jsonb(NEW) ->> TG_ARGV[0])::bigint; "
    "s regclass := pg_get_serial_sequence(quote_ident(TG_TABLE_SCHEMA) || '.' || quote_ident(TG_TABLE_NAME), TG_ARGV[0]); "
    "BEGIN IF k IS NOT NULL AND s IS NOT NULL AND k > coalesce(pg_sequence_last_value(s), 0) THEN "
    "PERFORM setval(s, k); END IF; RETURN NEW; END $$;"
    "CREATE OR REPLACE FUNCTION ov_sqlite_functions() RETURNS integer LANGUAGE sql IMMUTABLE AS $$ SELECT 1 $$";

// --- connecting ---

bool ServerSession::connect(const std::string& uri, ComponentFailure& failure) {
  close();
  connection_ = PQconnectdb(uri.c_str());
  if (PQstatus(connection_) != CONNECTION_OK) {
    std::string reason = PQerrorMessage(connection_);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
    failure = {projectdb_error::kDiskOrIo, L"A disk or network error occurred (the project's server cannot be "
                                           L"reached: " + acutUtf8ToWide(reason) + L")."};
    PQfinish(connection_);
    connection_ = nullptr;
    return false;
  }
  PQsetClientEncoding(connection_, "UTF8");
  // The server's notices are for its administrator, not for a designer's console.
  PQsetNoticeProcessor(connection_, [](void*, const char*) {}, nullptr);
  try {
    // Messages the module never shows would only clutter standard error.
    run("SET client_min_messages = warning");
    readAccess();
    ServerResult made = run(std::string("SELECT count(*) FROM pg_proc p WHERE p.pronamespace = "
                                        "current_schema()::regnamespace AND p.proname = 'ov_sqlite_functions'"));
    if (made.integer(0, 0) == 0 && !readOnly_) {
      // Without them only the SQL that uses them fails; the project still opens.
      PQclear(PQexec(connection_, (std::string("BEGIN;") + kSqliteFunctions + ";COMMIT").c_str()));
      if (PQtransactionStatus(connection_) != PQTRANS_IDLE) PQclear(PQexec(connection_, "ROLLBACK"));
    }
  } catch (const ComponentFailure& f) {
    failure = f;
    close();
    return false;
  }
  return true;
}

void ServerSession::close() {
  PQfinish(connection_);
  connection_ = nullptr;
  schemaChanged();
}

void ServerSession::readAccess() {
  ServerResult r = run(std::string("SELECT pg_is_in_recovery() OR EXISTS (SELECT 1 FROM pg_class c WHERE ") +
                       kTablesHere +
                       " AND c.relkind = 'r' AND NOT (has_table_privilege(c.oid, 'INSERT') AND "
                       "has_table_privilege(c.oid, 'UPDATE') AND has_table_privilege(c.oid, 'DELETE'))) OR "
                       "(NOT EXISTS (SELECT 1 FROM pg_class c WHERE " +
                       kTablesHere + " AND c.relkind = 'r') AND NOT has_schema_privilege(current_schema(), 'CREATE'))");
  readOnly_ = r.rows() == 1 && r.value(0, 0).integer == 1;
}

bool ServerSession::indexesValid() {
  ServerResult r = run(std::string("SELECT count(*) FROM pg_index i JOIN pg_class c ON c.oid = i.indrelid WHERE ") +
                       kTablesHere + " AND NOT (i.indisvalid AND i.indisready)");
  return r.integer(0, 0) == 0;
}

void ServerSession::reindex() {
  ServerResult r = run(std::string("SELECT c.relname FROM pg_class c WHERE ") + kTablesHere + " AND c.relkind = 'r'");
  for (int i = 0; i < r.rows(); ++i) run("REINDEX TABLE " + serverIdentifier(r.text(i, 0)));
}

// --- running statements ---

bool ServerSession::inCallerTransaction() const {
  return connection_ != nullptr && PQtransactionStatus(connection_) != PQTRANS_IDLE;
}

void ServerSession::raise(pg_result* result) {
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
  std::wstring message = acutUtf8ToWide(primary ? primary : PQerrorMessage(connection_));
  while (!message.empty() && message.back() == L'\n') message.pop_back();
  const std::string code = state ? state : "08000";
  PQclear(result);
  long number = projectdb_error::kSqlFailure;
  if (startsWith(code, "23")) number = projectdb_error::kConstraint;
  else if (code == "42501" || code == "25006") number = projectdb_error::kReadOnly;
  else if (startsWith(code, "08") || startsWith(code, "53") || startsWith(code, "58") || code == "57P01")
    number = projectdb_error::kDiskOrIo;
  else if (startsWith(code, "XX")) number = projectdb_error::kDamaged;
  else if (code == "40001" || code == "40P01" || code == "55P03") number = projectdb_error::kLocked;
  if (number == projectdb_error::kDiskOrIo) message = L"A disk or network error occurred (" + message + L").";
  throw ComponentFailure{number, message};
}

ServerResult ServerSession::execute(const std::string& sql, const std::vector<SqlValue>& values, bool several,
                                    bool retried) {
  if (connection_ == nullptr) throw ComponentFailure{projectdb_error::kNotOpen, L"The database is not open."};
  // A connection lost earlier (the server restarted, the network came back) is made
  // again before the call rather than failing every call after.
  if (PQstatus(connection_) == CONNECTION_BAD) PQreset(connection_);
  const bool inside = inCallerTransaction();
  if (inside) PQclear(PQexec(connection_, "SAVEPOINT ov_call"));
  pg_result* result = nullptr;
  if (several) {
    result = PQexec(connection_, sql.c_str());
  } else {
    std::vector<std::string> texts;
    std::vector<const char*> pointers;
    texts.reserve(values.size());
    for (const SqlValue& v : values) {
      texts.push_back(parameterText(v));
      pointers.push_back(v.isNull() ? nullptr : texts.back().c_str());
    }
    result = PQexecParams(connection_, sql.c_str(), static_cast<int>(values.size()), nullptr, pointers.data(),
                          nullptr, nullptr, 0);
  }
  const ExecStatusType status = PQresultStatus(result);
  const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY;
  if (inside && PQtransactionStatus(connection_) != PQTRANS_IDLE)
    PQclear(PQexec(connection_, ok ? "RELEASE SAVEPOINT ov_call" : "ROLLBACK TO SAVEPOINT ov_call; RELEASE SAVEPOINT ov_call"));
  if (!ok && !retried && keysFellBehind(result)) {
    PQclear(result);
    return execute(sql, values, several, true);
  }
  if (!ok) raise(result);
  return ServerResult(result);
}

// A row given its key by the caller (as the host program's INSERTs and a copied
// project do) leaves the table's key sequence behind, and the next key handed out may
// be taken: SQLite's next key follows the highest, so the sequence is moved past the
// highest key (never back) and the statement runs once more.
bool ServerSession::keysFellBehind(pg_result* result) {
  const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
  const char* constraint = PQresultErrorField(result, PG_DIAG_CONSTRAINT_NAME);
  const char* table = PQresultErrorField(result, PG_DIAG_TABLE_NAME);
  if (state == nullptr || std::string(state) != "23505" || constraint == nullptr || table == nullptr) return false;
  const std::string name = constraint;
  if (name.size() < 5 || name.compare(name.size() - 5, 5, "_pkey") != 0) return false;
  const std::string tableName = table;
  try {
    ServerResult key = run(std::string("SELECT a.attname FROM pg_index i JOIN pg_class c ON c.oid = i.indrelid JOIN "
                                       "pg_attribute a ON a.attrelid = c.oid AND a.attnum = i.indkey[0] WHERE ") +
                               kTablesHere + " AND c.relname = $1 AND i.indisprimary",
                           {SqlValue{SqlValue::Kind::Text, 0, 0, tableName}});
    if (key.rows() != 1) return false;
    const std::string quotedTable = serverIdentifier(tableName);
    ServerResult moved = run("SELECT setval(s, greatest((SELECT max(" + serverIdentifier(key.text(0, 0)) + ") FROM " +
                                 quotedTable + "), pg_sequence_last_value(s), 1)) FROM (SELECT "
                                 "pg_get_serial_sequence($1, $2)::regclass AS s) q WHERE s IS NOT NULL",
                             {SqlValue{SqlValue::Kind::Text, 0, 0, quotedTable},
                              SqlValue{SqlValue::Kind::Text, 0, 0, key.text(0, 0)}});
    return moved.rows() == 1;
  } catch (const ComponentFailure&) {
    return false;
  }
}

ServerResult ServerSession::run(const std::string& sql, const std::vector<SqlValue>& values) {
  return execute(sql, values, false);
}

ServerResult ServerSession::runCaller(const std::string& sql, const std::vector<SqlValue>& values, bool one) {
  for (int attempt = 0;; ++attempt) {
    ServerSql translated = translateForServer(sql, names());
    if (one && translated.statements > 1)
      throw ComponentFailure{projectdb_error::kSqlFailure, L"Query runs one statement; use Execute for several."};
    if (translated.parameters != static_cast<int>(values.size()))
      throw ComponentFailure{projectdb_error::kInvalidArgument,
                             L"the statement has " + std::to_wstring(translated.parameters) + L" parameters, " +
                                 std::to_wstring(values.size()) + L" values given"};
    try {
      ServerResult result =
          execute(translated.text, values, values.empty() && (translated.statements > 1 || translated.addedStatements));
      if (translated.changesSchema) schemaChanged();
      return result;
    } catch (const ComponentFailure& failure) {
      if (translated.changesSchema) schemaChanged();
      // "does not exist" for a name another connection made after the names were read.
      const bool unknownName = failure.message.find(L"does not exist") != std::wstring::npos;
      if (attempt > 0 || !unknownName) throw sqliteWords(failure, sql);
      schemaChanged();
    }
  }
}

// --- names and descriptions ---

void ServerSession::schemaChanged() {
  ++generation_;
  names_.reset();
  tables_.clear();
}

const ServerNames& ServerSession::names() {
  if (!names_) {
    ServerResult r = run(std::string("SELECT c.relname FROM pg_class c WHERE ") + kTablesHere +
                         " AND c.relkind IN ('r', 'i', 'v') UNION SELECT a.attname FROM pg_attribute a JOIN pg_class c "
                         "ON c.oid = a.attrelid WHERE " +
                         kTablesHere + " AND c.relkind IN ('r', 'v') AND a.attnum > 0 AND NOT a.attisdropped");
    ServerNames names;
    for (int i = 0; i < r.rows(); ++i) names.emplace(lower(r.text(i, 0)), r.text(i, 0));
    names_ = std::move(names);
  }
  return *names_;
}

std::shared_ptr<const TableInfo> ServerSession::findTable(const std::string& name) {
  auto kept = tables_.find(lower(name));
  if (kept != tables_.end()) return kept->second;
  ServerResult r = run(std::string("SELECT c.relname, a.attname, EXISTS (SELECT 1 FROM pg_index i WHERE i.indrelid = "
                                   "c.oid AND i.indisprimary AND i.indnatts = 1 AND i.indkey[0] = a.attnum) "
                                   "FROM pg_class c JOIN pg_attribute a ON a.attrelid = c.oid WHERE ") +
                           kTablesHere +
                           " AND c.relkind = 'r' AND lower(c.relname) = lower($1) AND a.attnum > 0 AND NOT "
                           "a.attisdropped ORDER BY c.relname = $1 DESC, c.relname, a.attnum",
                       {SqlValue{SqlValue::Kind::Text, 0, 0, name}});
  if (r.rows() == 0) return nullptr;
  auto table = std::make_shared<TableInfo>();
  table->name = r.text(0, 0);
  for (int i = 0; i < r.rows() && r.text(i, 0) == table->name; ++i) {
    table->columns.push_back(r.text(i, 1));
    table->wideColumns.push_back(acutUtf8ToWide(table->columns.back()));
    table->collations.push_back("C");
    if (r.text(i, 2) == "t") table->keyColumn = table->columns.back();
  }
  tables_.emplace(lower(name), table);
  return table;
}

std::optional<IndexInfo> ServerSession::findIndex(const TableInfo& table, const std::string& name) {
  if (lower(name) == lower(table.keyColumn)) return IndexInfo{table.keyColumn, {}};
  ServerResult r = run(std::string("SELECT a.attname, (i.indoption[k.n - 1] & 1) = 1 FROM pg_index i "
                                   "JOIN pg_class x ON x.oid = i.indexrelid JOIN pg_class c ON c.oid = i.indrelid, "
                                   "unnest(i.indkey::int2[]) WITH ORDINALITY AS k(attnum, n) "
                                   "JOIN pg_attribute a ON a.attnum = k.attnum WHERE a.attrelid = i.indrelid AND ") +
                           kTablesHere + " AND c.relname = $1 AND lower(x.relname) = lower($2) ORDER BY k.n",
                       {SqlValue{SqlValue::Kind::Text, 0, 0, table.name},
                        SqlValue{SqlValue::Kind::Text, 0, 0, table.name + "__" + name}});
  if (r.rows() == 0) return std::nullopt;
  IndexInfo index{name, {}};
  for (int i = 0; i < r.rows(); ++i) index.columns.push_back({r.text(i, 0), "C", r.text(i, 1) == "t", true});
  return index;
}
