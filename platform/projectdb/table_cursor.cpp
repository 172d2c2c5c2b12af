// Cursor moves as SQL: each move selects the one row that follows the remembered place
// in (index columns, key) order, with NULLs first as SQLite sorts them. The texts of the
// common moves are composed once per table description and index.
#include "projectdb/table_cursor.h"

#include <sqlite3.h>

#include "arx/aced_print.h"
#include "projectdb/row_pairs.h"

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

bool anyNull(const std::vector<SqlValue>& values) {
  for (const SqlValue& v : values)
    if (v.isNull()) return true;
  return false;
}

}  // namespace

TableCursor::TableCursor(std::shared_ptr<const TableInfo> table, std::uint64_t generation)
    : table_(std::move(table)), generation_(generation) {
  index_.name = table_->keyColumn;
  composeStatements();
}

bool TableCursor::follows(const std::string& name) const { return lowerAscii(name) == lowerAscii(index_.name); }

void TableCursor::useIndex(IndexInfo index) {
  index_ = std::move(index);
  composeStatements();
  placeAnew();
}

void TableCursor::placeAnew() {
  if (place_ != Place::OnRow) return;
  if (deleted_)
    place_ = Place::BeforeFirst;
  else
    placePending_ = true;
}

bool TableCursor::describeAgain(SqliteSession& session, bool keepIndex) {
  if (generation_ == session.schemaGeneration()) return false;
  std::shared_ptr<const TableInfo> table = session.findTable(table_->name);
  if (!table)
    throw ComponentFailure{projectdb_error::kTableNotFound,
                           L"Table '" + acutUtf8ToWide(table_->name) + L"' was not found."};
  IndexInfo index{table->keyColumn, {}};
  if (keepIndex && !index_.columns.empty()) {
    std::optional<IndexInfo> found = session.findIndex(*table, index_.name);
    if (!found)
      throw ComponentFailure{projectdb_error::kIndexNotFound, L"'" + acutUtf8ToWide(index_.name) +
                                                                  L"' is not an index in table '" +
                                                                  acutUtf8ToWide(table->name) + L"'."};
    index = std::move(*found);
  }
  table_ = std::move(table);
  generation_ = session.schemaGeneration();
  // The index may order by other columns now: the current row is placed anew.
  useIndex(std::move(index));
  return true;
}

void TableCursor::settlePlace(SqliteSession& session) {
  if (!placePending_) return;
  CursorRow row;
  if (fetch(session, byKey_, {integerValue(current_.key)}, row, false))
    placeOn(row);
  else
    place_ = Place::BeforeFirst;
  placePending_ = false;
}

std::string TableCursor::keyExpression() const {
  return table_->keyColumn.empty() ? std::string("rowid") : quoteIdentifier(table_->keyColumn);
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

void TableCursor::composeStatements() {
  select_ = "SELECT " + keyExpression();
  for (const IndexColumn& c : index_.columns) select_ += ", " + quoteIdentifier(c.name);
  for (const std::string& c : table_->columns) select_ += ", " + quoteIdentifier(c);
  select_ += " FROM " + quoteIdentifier(table_->name);

  std::vector<OrderColumn> columns = orderColumns();
  orderBy_ = " ORDER BY ";
  for (std::size_t i = 0; i < columns.size(); ++i)
    orderBy_ += (i ? ", " : "") + columns[i].expression + (columns[i].descending ? " DESC" : "");

  first_ = select_ + orderBy_ + " LIMIT 1";
  fromStart_ = select_ + orderBy_ + " LIMIT 1 OFFSET ?";
  byKey_ = select_ + " WHERE " + keyExpression() + " = ?";
  empty_ = "SELECT 1 FROM " + quoteIdentifier(table_->name) + " LIMIT 1";

  // All ascending and no NULL to pass: a row-value comparison says exactly this (a NULL
  // met in a candidate row sorts first and compares unknown, so it is left out) and
  // lets SQLite search the index instead of sorting.
  std::string left;
  std::string right;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    left += (i ? ", " : "") + columns[i].expression;
    right += i ? ", ?" : "?";
  }
  plainAfter_ = select_ + " WHERE (" + left + ") > (" + right + ")" + orderBy_ + " LIMIT 1 OFFSET ?";

  plainSeeks_.assign(1, std::string());
  std::string condition;
  for (std::size_t i = 0; i < seekableColumns(); ++i) {
    condition += (i ? " AND " : " WHERE ") + columns[i].expression + " = ?";
    plainSeeks_.push_back(select_ + condition + orderBy_ + " LIMIT 1");
  }
}

bool TableCursor::fetch(SqliteSession& session, const std::string& sql, const std::vector<SqlValue>& parameters,
                        CursorRow& row, bool withPairs) {
  StatementUse use(session.statement(sql));
  for (std::size_t i = 0; i < parameters.size(); ++i) bindSqlValue(use.get(), static_cast<int>(i + 1), parameters[i]);
  int rc = sqlite3_step(use.get());
  if (rc == SQLITE_DONE) return false;
  if (rc != SQLITE_ROW) session.raise(rc);
  int column = 0;
  row.key = sqlite3_column_int64(use.get(), column++);
  row.indexValues.clear();
  for (std::size_t i = 0; i < index_.columns.size(); ++i) row.indexValues.push_back(sqlValueFromColumn(use.get(), column++));
  if (withPairs) rowPairsFromStatement(use.get(), column, table_->wideColumns, row.pairs);
  return true;
}

void TableCursor::placeOn(const CursorRow& row) {
  place_ = Place::OnRow;
  deleted_ = false;
  placePending_ = false;
  current_.key = row.key;
  current_.indexValues = row.indexValues;
}

bool TableCursor::land(bool found, const CursorRow& row) {
  if (found) {
    placeOn(row);
  } else {
    place_ = Place::AfterLast;
    placePending_ = false;
  }
  return found;
}

bool TableCursor::moveFirst(SqliteSession& session, CursorRow& row) {
  ReadTransaction transaction(session);
  describeAgain(session);
  return land(fetch(session, first_, {}, row), row);
}

bool TableCursor::plainPlace() const {
  for (const IndexColumn& c : index_.columns)
    if (c.descending) return false;
  return !anyNull(current_.indexValues);
}

// The rows after the current one: (c1, c2, key) after (v1, v2, k) in index order, some
// column sorting after its value while every column before it equals its value.
std::string TableCursor::afterCondition(std::vector<SqlValue>& parameters) const {
  std::vector<OrderColumn> columns = orderColumns();
  std::vector<SqlValue> values = current_.indexValues;
  values.push_back(integerValue(current_.key));
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
  if (place_ == Place::AfterLast && !placePending_) return false;
  ReadTransaction transaction(session);
  describeAgain(session);
  settlePlace(session);
  if (place_ == Place::AfterLast) return false;
  std::vector<SqlValue> parameters;
  const std::string* sql = &fromStart_;
  std::string composed;
  if (place_ == Place::BeforeFirst) {
    // From before the first row, MoveNext counts from the first.
  } else if (plainPlace()) {
    parameters = current_.indexValues;
    parameters.push_back(integerValue(current_.key));
    sql = &plainAfter_;
  } else {
    composed = select_ + " WHERE " + afterCondition(parameters) + orderBy_ + " LIMIT 1 OFFSET ?";
    sql = &composed;
  }
  parameters.push_back(integerValue(count - 1));
  return land(fetch(session, *sql, parameters, row), row);
}

bool TableCursor::seek(SqliteSession& session, const std::vector<SqlValue>& keys, CursorRow& row) {
  ReadTransaction transaction(session);
  describeAgain(session);
  if (keys.size() < plainSeeks_.size() && !anyNull(keys)) return land(fetch(session, plainSeeks_[keys.size()], keys, row), row);
  std::vector<OrderColumn> columns = orderColumns();
  std::vector<SqlValue> parameters;
  std::string condition;
  for (std::size_t i = 0; i < keys.size() && i < columns.size(); ++i) {
    if (i > 0) condition += " AND ";
    condition += equalTerm(columns[i].expression, keys[i], parameters);
  }
  std::string sql = select_ + (condition.empty() ? "" : " WHERE " + condition) + orderBy_ + " LIMIT 1";
  return land(fetch(session, sql, parameters, row), row);
}

bool TableCursor::readRow(SqliteSession& session, std::int64_t key, CursorRow& row) {
  ReadTransaction transaction(session);
  describeAgain(session);
  return fetch(session, byKey_, {integerValue(key)}, row);
}

bool TableCursor::tableEmpty(SqliteSession& session) {
  StatementUse use(session.statement(empty_));
  int rc = sqlite3_step(use.get());
  if (rc == SQLITE_ROW) return false;
  if (rc != SQLITE_DONE) session.raise(rc);
  return true;
}

bool TableCursor::atStart(SqliteSession& session) {
  if (place_ == Place::BeforeFirst) return true;
  ReadTransaction transaction(session);
  describeAgain(session);
  settlePlace(session);
  return place_ == Place::BeforeFirst || tableEmpty(session);
}

bool TableCursor::atEnd(SqliteSession& session) {
  if (place_ == Place::AfterLast && !placePending_) return true;
  ReadTransaction transaction(session);
  describeAgain(session);
  settlePlace(session);
  return place_ == Place::AfterLast || tableEmpty(session);
}
