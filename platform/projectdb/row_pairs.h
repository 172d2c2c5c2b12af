// Rows as the component's interface passes them: one-dimensional arrays of column
// name, value pairs, and the flat form of query results.
#pragma once

#include <string>
#include <vector>

#include "com/safearray.h"
#include "com/variant.h"
#include "projectdb/sql_value.h"
#include "projectdb/sqlite_session.h"

struct sqlite3_stmt;

// Builds one array of VARIANT (lower bound 0) element by element in the array's own
// storage, growing it as needed. Throws std::bad_alloc when memory runs out; an array
// not handed out is destroyed with what it holds.
class VariantArrayBuilder {
 public:
  // `capacity` elements are made room for at once. Texts come from `texts` when given
  // (for large results).
  explicit VariantArrayBuilder(ULONG capacity, BstrBatch* texts = nullptr);
  VariantArrayBuilder(const VariantArrayBuilder&) = delete;
  VariantArrayBuilder& operator=(const VariantArrayBuilder&) = delete;
  ~VariantArrayBuilder();

  void addText(const std::wstring& text);
  // The value of a column of the statement's current row, as rows hand values out.
  void addColumn(sqlite3_stmt* statement, int column);
  // A value held outside a statement, handed out as a column's would be.
  void addValue(const SqlValue& value);
  // The next element, VT_EMPTY, for a caller that writes a value into it in place.
  VARIANT& append() {
    VARIANT& slot = next();
    VariantInit(&slot);
    return slot;
  }
  std::size_t size() const { return size_; }
  // Clears `out` and makes it VT_ARRAY | VT_VARIANT holding the elements added.
  void moveInto(VARIANT& out);

 private:
  VARIANT& next() {
    if (size_ == capacity_) grow();
    return data_[size_++];
  }
  void grow();

  SAFEARRAY* array_;
  BstrBatch* texts_;
  VARIANT* data_;    // the array's elements, while they stay where they are
  ULONG capacity_;   // the array's element count
  ULONG size_ = 0;   // elements written
};

// The statement's current row from `firstColumn` on, as pairs of `names` (one per
// column) and values, into `out` (cleared first).
void rowPairsFromStatement(sqlite3_stmt* statement, int firstColumn, const std::vector<std::wstring>& names,
                           VARIANT& out);

struct ColumnValue {
  std::string column;  // as the table spells it
  SqlValue value;
};

// Reads a pair array sent to AddRecord or UpdateRecord. Throws ComponentFailure for
// anything but a one-dimensional VARIANT array of an even length whose names are
// columns of `table`, each at most once, with values the database can hold.
std::vector<ColumnValue> pairsFromVariant(const VARIANT& pairs, const TableInfo& table);
