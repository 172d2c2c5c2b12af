// One SQLite value held outside a statement, and its conversions to and from VARIANT.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "com/variant.h"

struct sqlite3_stmt;

// A value with SQLite's storage class: null, integer, real, text (UTF-8) or blob.
struct SqlValue {
  enum class Kind { Null, Integer, Real, Text, Blob };
  Kind kind = Kind::Null;
  std::int64_t integer = 0;
  double real = 0;
  std::string bytes;  // text or blob

  bool isNull() const { return kind == Kind::Null; }
};

SqlValue sqlValueFromColumn(sqlite3_stmt* statement, int column);
int bindSqlValue(sqlite3_stmt* statement, int parameter, const SqlValue& value);

// What a VARIANT stores as: VT_EMPTY and VT_NULL are NULL, VT_BOOL the integers -1/0
// (how booleans are kept), the other numbers integer or real, VT_BSTR text.
// False for a kind the database cannot hold (arrays, errors).
bool sqlValueFromVariant(const VARIANT& v, SqlValue& out);

// A column of the statement's current row as it is handed out, read straight from the
// statement into `out` (which must hold nothing that needs freeing): NULL VT_NULL,
// integers VT_I4 (VT_R8 when they do not fit 32 bits), reals VT_R8, texts and blobs
// VT_BSTR. Booleans are integers -1/0 and so arrive as VT_I4. Texts come from `texts`
// when one is given.
HRESULT variantFromColumn(sqlite3_stmt* statement, int column, VARIANT& out, BstrBatch* texts = nullptr);

// A BSTR of the UTF-8 text `bytes` (read as acutUtf8ToWide reads it), from `texts` when
// one is given; null when memory runs out.
BSTR bstrFromUtf8(const char* bytes, std::size_t size, BstrBatch* texts = nullptr);

// A value held outside a statement as rows hand it out (see variantFromColumn).
HRESULT variantFromSqlValue(const SqlValue& value, VARIANT& out, BstrBatch* texts = nullptr);
