// Cursor moves as SQL: each move selects the one row that follows the remembered place
// in (index columns, key) order, with NULLs first as SQLite sorts them.
#include "projectdb/table_cursor.h"

#include <sqlite3.h>

namespace {

// `column = value`; NULL equals NULL.
std::string equalTerm(const std::string& column, const SqlValue& value, std::vector<SqlValue>& parameters) {
  if (value.isNull()) return column + " IS NULL";
  parameters.push_back(value);
  return column + " = ?";
}

// `column` sorts after `value` in this column's direction.
std::string afterTerm(const std::string& column, bool descending, const SqlValue& value,
                      std::vector<SqlValue>& parameters) {
  if (!descending) {
    if (value.isNull()) return column + " IS NOT NULL";
    parameters.push_back(value);
    return column + " > ?";
  }
  // Descending puts NULLs last: nothing follows a NULL, every NULL follows a value.
  if (value.isNull()) return "0";
  parameters.push_back(value);
  return "(" + column + " < ? OR " + column + " IS NULL)";
}

SqlValue integerValue(std::int64_t n) {
  SqlValue v;
  v.kind = SqlValue::Kind::Integer;
  v.integer = n;
  return v;
}

}  // namespace

TableCursor::TableCursor(TableInfo table) : table_(std::move(table)) {
  index_.name = table_.keyColumn;
}

std::string TableCursor::keyExpression() const {
  return table_.keyColumn.empty() ? std::string("rowid") : quoteIdentifier(table_.keyColumn);
}

std::vector<TableCursor::OrderColumn> TableCursor::orderColumns() const {
  std::vector<OrderColumn> columns;
  for (const IndexColumn& c : index_.columns) {
    std::string expression = quoteIdentifier(c.name);
    if (!c.columnCollation) expression += " COLLATE " + quoteIdentifier(c.collation);
    columns.push_back({expression, c.descending});
  }
  columns.push_back({keyExpression(), false});
  return columns;
}

std::size_t TableCursor::seekableColumns() const { return index_.columns.empty() ? 1 : index_.columns.size(); }

std::string TableCursor::selectFrom() const {
  std::string sql = "SELECT " + keyExpression();
  for (const IndexColumn& c : index_.columns) sql += ", " + quoteIdentifier(c.name);
  for (const std::string& c : table_.columns) sql += ", " + quoteIdentifier(c);
  return sql + " FROM " + quoteIdentifier(table_.name);
}

std::string TableCursor::orderBy() const {
  std::string sql = " ORDER BY ";
  bool first = true;
  for (const OrderColumn& c : orderColumns()) {
    if (!first) sql += ", ";
    first = false;
    sql += c.expression + (c.descending ? " DESC" : "");
  }
  return sql;
}

bool TableCursor::fetch(SqliteSession& session, const std::string& sql, const std::vector<SqlValue>& parameters,
                        CursorRow& row) {
  StatementUse use(session.statement(sql));
  for (std::size_t i = 0; i < parameters.size(); ++i) bindSqlValue(use.get(), static_cast<int>(i + 1), parameters[i]);
  int rc = sqlite3_step(use.get());
  if (rc == SQLITE_DONE) return false;
  if (rc != SQLITE_ROW) session.raise(rc);
  int column = 0;
  row.key = sqlite3_column_int64(use.get(), column++);
  row.indexValues.clear();
  for (std::size_t i = 0; i < index_.columns.size(); ++i) row.indexValues.push_back(sqlValueFromColumn(use.get(), column++));
  row.values.clear();
  for (std::size_t i = 0; i < table_.columns.size(); ++i) row.values.push_back(sqlValueFromColumn(use.get(), column++));
  return true;
}

void TableCursor::placeOn(const CursorRow& row) {
  place_ = Place::OnRow;
  deleted_ = false;
  current_.key = row.key;
  current_.indexValues = row.indexValues;
  current_.values.clear();
}

bool TableCursor::land(bool found, const CursorRow& row) {
  if (found)
    placeOn(row);
  else
    place_ = Place::AfterLast;
  return found;
}

void TableCursor::useIndex(SqliteSession& session, IndexInfo index) {
  index_ = std::move(index);
  if (place_ != Place::OnRow) return;
  CursorRow row;
  if (!deleted_ && readRow(session, current_.key, row))
    placeOn(row);
  else
    place_ = Place::BeforeFirst;
}

bool TableCursor::moveFirst(SqliteSession& session, CursorRow& row) {
  return land(fetch(session, selectFrom() + orderBy() + " LIMIT 1", {}, row), row);
}

// The rows after the current one: (c1, c2, key) after (v1, v2, k) in index order.
std::string TableCursor::afterCondition(std::vector<SqlValue>& parameters) const {
  std::vector<OrderColumn> columns = orderColumns();
  std::vector<SqlValue> values = current_.indexValues;
  values.push_back(integerValue(current_.key));
  bool plain = true;
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (columns[i].descending || values[i].isNull()) plain = false;
  if (plain) {
    // All ascending and no NULL to pass: a row-value comparison says exactly this (a
    // NULL met in a candidate row sorts first and compares unknown, so it is left out)
    // and lets SQLite search the index instead of sorting.
    std::string left;
    std::string right;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      left += (i ? ", " : "") + columns[i].expression;
      right += i ? ", ?" : "?";
      parameters.push_back(values[i]);
    }
    return "(" + left + ") > (" + right + ")";
  }
  // Otherwise spelled out: some column sorts after its value while every column
  // before it equals its value.
  std::string condition;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    std::string term;
    for (std::size_t j = 0; j < i; ++j) term += equalTerm(columns[j].expression, values[j], parameters) + " AND ";
    term += afterTerm(columns[i].expression, columns[i].descending, values[i], parameters);
    condition += (i == 0 ? "(" : " OR (") + term + ")";
  }
  return condition;
}

bool TableCursor::moveNext(SqliteSession& session, long count, CursorRow& row) {
  if (place_ == Place::AfterLast) return false;
  std::vector<SqlValue> parameters;
  std::string sql = selectFrom();
  if (place_ == Place::OnRow) sql += " WHERE " + afterCondition(parameters);
  sql += orderBy() + " LIMIT 1 OFFSET ?";
  parameters.push_back(integerValue(count - 1));
  return land(fetch(session, sql, parameters, row), row);
}

bool TableCursor::seek(SqliteSession& session, const std::vector<SqlValue>& keys, CursorRow& row) {
  std::vector<OrderColumn> columns = orderColumns();
  std::vector<SqlValue> parameters;
  std::string condition;
  for (std::size_t i = 0; i < keys.size() && i < columns.size(); ++i) {
    if (i > 0) condition += " AND ";
    condition += equalTerm(columns[i].expression, keys[i], parameters);
  }
  std::string sql = selectFrom() + (condition.empty() ? "" : " WHERE " + condition) + orderBy() + " LIMIT 1";
  return land(fetch(session, sql, parameters, row), row);
}

bool TableCursor::readRow(SqliteSession& session, std::int64_t key, CursorRow& row) {
  return fetch(session, selectFrom() + " WHERE " + keyExpression() + " = ?", {integerValue(key)}, row);
}

bool TableCursor::tableEmpty(SqliteSession& session) {
  StatementUse use(session.statement("SELECT 1 FROM " + quoteIdentifier(table_.name) + " LIMIT 1"));
  int rc = sqlite3_step(use.get());
  if (rc == SQLITE_ROW) return false;
  if (rc != SQLITE_DONE) session.raise(rc);
  return true;
}
