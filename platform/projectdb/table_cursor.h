// The cursor the component keeps per selected table. It follows an index order (ties by
// key) and remembers its place as the current row's index values and key, re-querying
// from there on every move, so that no statement stays open between calls and rows
// written by other connections are seen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "projectdb/sql_value.h"
#include "projectdb/sqlite_session.h"

// One row as read through a cursor.
struct CursorRow {
  std::int64_t key = 0;
  std::vector<SqlValue> indexValues;  // the index's columns, for the place in its order
  std::vector<SqlValue> values;       // every column, in table order
};

class TableCursor {
 public:
  enum class Place { BeforeFirst, OnRow, AfterLast };

  explicit TableCursor(TableInfo table);

  const TableInfo& table() const { return table_; }
  const IndexInfo& index() const { return index_; }
  Place place() const { return place_; }
  // On a row that has not been deleted through this cursor.
  bool hasCurrentRow() const { return place_ == Place::OnRow && !deleted_; }
  std::int64_t currentKey() const { return current_.key; }

  // Takes a newer description of the table (its columns changed).
  void setTable(TableInfo table) { table_ = std::move(table); }
  // Follows another index. The current row stays current, now placed in the new order;
  // a row that is gone leaves the cursor before the first row.
  void useIndex(SqliteSession& session, IndexInfo index);

  // Each move answers true when it lands on a row (then in `row`); otherwise the cursor
  // is after the last row.
  bool moveFirst(SqliteSession& session, CursorRow& row);
  bool moveNext(SqliteSession& session, long count, CursorRow& row);
  // The first row whose leading index columns equal `keys` (NULL matches NULL).
  bool seek(SqliteSession& session, const std::vector<SqlValue>& keys, CursorRow& row);
  // Reads the row with `key` without moving; false when there is none.
  bool readRow(SqliteSession& session, std::int64_t key, CursorRow& row);

  void placeOn(const CursorRow& row);
  void markCurrentDeleted() { deleted_ = true; }
  bool tableEmpty(SqliteSession& session);

  // The number of leading index columns a seek may match.
  std::size_t seekableColumns() const;
  std::string keyExpression() const;

 private:
  // A column of the order as SQL compares it: with the index's collation written out
  // only where it differs from the column's, so that SQLite can search the index.
  struct OrderColumn {
    std::string expression;
    bool descending;
  };
  std::vector<OrderColumn> orderColumns() const;
  std::string selectFrom() const;
  std::string orderBy() const;
  std::string afterCondition(std::vector<SqlValue>& parameters) const;
  bool fetch(SqliteSession& session, const std::string& sql, const std::vector<SqlValue>& parameters,
             CursorRow& row);
  bool land(bool found, const CursorRow& row);

  TableInfo table_;
  IndexInfo index_;
  Place place_ = Place::BeforeFirst;
  bool deleted_ = false;
  CursorRow current_;  // key and index values of the current row
};
