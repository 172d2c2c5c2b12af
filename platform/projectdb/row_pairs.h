// Rows as the component's interface passes them: one-dimensional arrays of column
// name, value pairs, and the flat form of query results.
#pragma once

#include <string>
#include <vector>

#include "com/variant.h"
#include "projectdb/sql_value.h"
#include "projectdb/sqlite_session.h"
#include "projectdb/table_cursor.h"

// Collects VARIANTs and hands them over as one array (lower bound 0). Throws
// std::bad_alloc when memory runs out.
class VariantList {
 public:
  VariantList() = default;
  VariantList(const VariantList&) = delete;
  VariantList& operator=(const VariantList&) = delete;
  ~VariantList();

  void addText(const std::string& utf8);
  void addText(const wchar_t* text);
  void addValue(const SqlValue& value);
  std::size_t size() const { return items_.size(); }
  // Clears `out` and makes it VT_ARRAY | VT_VARIANT holding the collected values.
  void moveInto(VARIANT& out);

 private:
  std::vector<VARIANT> items_;
};

// A row of `table` as name, value pairs in column order.
void rowToVariant(const TableInfo& table, const CursorRow& row, VARIANT& out);

struct ColumnValue {
  std::string column;  // as the table spells it
  SqlValue value;
};

// Reads a pair array sent to AddRecord or UpdateRecord. Throws ComponentFailure for
// anything but a one-dimensional VARIANT array of an even length whose names are
// columns of `table`, each at most once, with values the database can hold.
std::vector<ColumnValue> pairsFromVariant(const VARIANT& pairs, const TableInfo& table);
