// The cursor the component keeps per selected table. It follows an index order (ties by
// key) and remembers its place as the current row's index values and key, re-querying
// from there on every move, so that no statement stays open between calls and rows
// written by other connections are seen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "com/variant.h"
#include "projectdb/sql_value.h"
#include "projectdb/sqlite_session.h"

// One row as read through a cursor.
struct CursorRow {
  std::int64_t key = 0;
  std::vector<SqlValue> indexValues;  // the index's columns, for the place in its order
  _variant_t pairs;                   // every column as name, value pairs, in table order
};

class TableCursor {
 public:
  enum class Place { BeforeFirst, OnRow, AfterLast };

  // `generation` is the session's schema generation the description belongs to.
  TableCursor(std::shared_ptr<const TableInfo> table, std::uint64_t generation);

  const TableInfo& table() const { return *table_; }
  const IndexInfo& index() const { return index_; }
  // On a row that has not been deleted through this cursor (settle the place first).
  bool hasCurrentRow() const { return place_ == Place::OnRow && !deleted_; }
  std::int64_t currentKey() const { return current_.key; }

  // Whether SelectTable's `name` is the index followed now (names ignore case).
  bool follows(const std::string& name) const;
  // Follows `index` (or the same index once more). The current row stays current, placed
  // in the order anew by the next call that needs its place; a row gone by then leaves
  // the cursor before the first row.
  void useIndex(IndexInfo index);
  // As useIndex for the index followed now.
  void placeAnew();

  // Looks the table and index up again when the session has noticed a schema change
  // since they were described (a transaction notices it when it begins); true when it
  // did. Throws when either is gone; a caller about to choose another index passes
  // keepIndex false, and the cursor follows the key until it does.
  bool describeAgain(SqliteSession& session, bool keepIndex = true);

  // The calls below read the database within the caller's transaction; without one,
  // within their own.
  //
  // Places a row kept over an index change (see useIndex) in the current order.
  void settlePlace(SqliteSession& session);
  // Each move answers true when it lands on a row (then in `row`); otherwise the cursor
  // is after the last row.
  bool moveFirst(SqliteSession& session, CursorRow& row);
  bool moveNext(SqliteSession& session, long count, CursorRow& row);
  // The first row whose leading index columns equal `keys` (NULL matches NULL).
  bool seek(SqliteSession& session, const std::vector<SqlValue>& keys, CursorRow& row);
  // Reads the row with `key` without moving; false when there is none.
  bool readRow(SqliteSession& session, std::int64_t key, CursorRow& row);
  bool atStart(SqliteSession& session);
  bool atEnd(SqliteSession& session);

  void placeOn(const CursorRow& row);
  void markCurrentDeleted() { deleted_ = true; }

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
  // Composes the texts every call uses again, after the table or index changed.
  void composeStatements();
  std::string afterCondition(std::vector<SqlValue>& parameters) const;
  bool fetch(SqliteSession& session, const std::string& sql, const std::vector<SqlValue>& parameters,
             CursorRow& row, bool withPairs = true);
  bool land(bool found, const CursorRow& row);
  bool tableEmpty(SqliteSession& session);
  // The current row's index values and key, in order, hold no NULL and the order has no
  // descending column: then one row-value comparison finds the rows after it.
  bool plainPlace() const;

  std::shared_ptr<const TableInfo> table_;
  std::uint64_t generation_;
  IndexInfo index_;
  Place place_ = Place::BeforeFirst;
  bool deleted_ = false;
  bool placePending_ = false;  // see useIndex
  CursorRow current_;          // key and index values of the current row

  std::string select_;      // every column after the key and index values, FROM the table
  std::string orderBy_;
  std::string first_;
  std::string fromStart_;   // the first row, OFFSET ?
  std::string byKey_;
  std::string plainAfter_;  // the rows after a plain place, OFFSET ?
  std::vector<std::string> plainSeeks_;  // by the number of keys, none of them NULL
  std::string empty_;
};
