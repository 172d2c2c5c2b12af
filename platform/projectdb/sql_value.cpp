// Conversions between stored SQLite values and VARIANTs, UTF-8 inside, wide outside.
#include "projectdb/sql_value.h"

#include <sqlite3.h>

#include <climits>
#include <cstdint>

#include "arx/aced_print.h"

SqlValue sqlValueFromColumn(sqlite3_stmt* statement, int column) {
  SqlValue v;
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
      v.kind = SqlValue::Kind::Integer;
      v.integer = sqlite3_column_int64(statement, column);
      break;
    case SQLITE_FLOAT:
      v.kind = SqlValue::Kind::Real;
      v.real = sqlite3_column_double(statement, column);
      break;
    case SQLITE_TEXT: {
      v.kind = SqlValue::Kind::Text;
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      if (text != nullptr) v.bytes.assign(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
      break;
    }
    case SQLITE_BLOB: {
      v.kind = SqlValue::Kind::Blob;
      const auto* blob = static_cast<const char*>(sqlite3_column_blob(statement, column));
      if (blob != nullptr) v.bytes.assign(blob, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
      break;
    }
    default:
      break;
  }
  return v;
}

int bindSqlValue(sqlite3_stmt* statement, int parameter, const SqlValue& value) {
  switch (value.kind) {
    case SqlValue::Kind::Integer: return sqlite3_bind_int64(statement, parameter, value.integer);
    case SqlValue::Kind::Real: return sqlite3_bind_double(statement, parameter, value.real);
    case SqlValue::Kind::Text:
      return sqlite3_bind_text64(statement, parameter, value.bytes.data(), value.bytes.size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
    case SqlValue::Kind::Blob:
      return sqlite3_bind_blob64(statement, parameter, value.bytes.data(), value.bytes.size(), SQLITE_TRANSIENT);
    case SqlValue::Kind::Null: break;
  }
  return sqlite3_bind_null(statement, parameter);
}

bool sqlValueFromVariant(const VARIANT& v, SqlValue& out) {
  out = SqlValue();
  switch (v.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return true;
    case VT_I2: out.kind = SqlValue::Kind::Integer; out.integer = v.iVal; return true;
    case VT_I4: out.kind = SqlValue::Kind::Integer; out.integer = v.lVal; return true;
    case VT_UI1: out.kind = SqlValue::Kind::Integer; out.integer = v.bVal; return true;
    case VT_BOOL:
      out.kind = SqlValue::Kind::Integer;
      out.integer = v.boolVal != VARIANT_FALSE ? -1 : 0;
      return true;
    case VT_R4: out.kind = SqlValue::Kind::Real; out.real = v.fltVal; return true;
    case VT_R8: out.kind = SqlValue::Kind::Real; out.real = v.dblVal; return true;
    case VT_BSTR:
      out.kind = SqlValue::Kind::Text;
      out.bytes = acutWideToUtf8(std::wstring(v.bstrVal == nullptr ? L"" : v.bstrVal, SysStringLen(v.bstrVal)));
      return true;
    default:
      return false;
  }
}

namespace {

void integerVariant(std::int64_t n, VARIANT& out) {
  if (n >= INT32_MIN && n <= INT32_MAX) {
    out.vt = VT_I4;
    out.lVal = static_cast<std::int32_t>(n);
  } else {
    out.vt = VT_R8;
    out.dblVal = static_cast<double>(n);
  }
}

HRESULT textVariant(const char* bytes, std::size_t size, VARIANT& out, BstrBatch* texts) {
  BSTR b = bstrFromUtf8(bytes, size, texts);
  if (b == nullptr) return E_OUTOFMEMORY;
  out.vt = VT_BSTR;
  out.bstrVal = b;
  return S_OK;
}

}  // namespace

BSTR bstrFromUtf8(const char* bytes, std::size_t size, BstrBatch* texts) {
  auto allocate = [texts](const wchar_t* text, std::size_t length) -> BSTR {
    if (length > UINT32_MAX) return nullptr;
    return texts != nullptr ? texts->allocate(text, static_cast<UINT>(length))
                            : SysAllocStringLen(text, static_cast<UINT>(length));
  };
  std::size_t i = 0;
  while (i < size && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
  if (i < size) {
    // Beyond ASCII the shared decoder decides what each sequence means.
    std::wstring text = acutUtf8ToWide(std::string(bytes, size));
    return allocate(text.data(), text.size());
  }
  BSTR b = allocate(nullptr, size);
  if (b != nullptr)
    for (std::size_t k = 0; k < size; ++k) b[k] = static_cast<wchar_t>(bytes[k]);
  return b;
}

HRESULT variantFromColumn(sqlite3_stmt* statement, int column, VARIANT& out, BstrBatch* texts) {
  // One look-up of the column, then its value read directly: the component's connection
  // is used by one thread at a time, so the value needs no lock of its own.
  sqlite3_value* value = sqlite3_column_value(statement, column);
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
      integerVariant(sqlite3_value_int64(value), out);
      return S_OK;
    case SQLITE_FLOAT:
      out.vt = VT_R8;
      out.dblVal = sqlite3_value_double(value);
      return S_OK;
    case SQLITE_TEXT: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
      return textVariant(text, text == nullptr ? 0 : static_cast<std::size_t>(sqlite3_value_bytes(value)), out, texts);
    }
    case SQLITE_BLOB: {
      const auto* blob = static_cast<const char*>(sqlite3_value_blob(value));
      return textVariant(blob, blob == nullptr ? 0 : static_cast<std::size_t>(sqlite3_value_bytes(value)), out, texts);
    }
    default:
      out.vt = VT_NULL;
      return S_OK;
  }
}

HRESULT variantFromSqlValue(const SqlValue& value, VARIANT& out, BstrBatch* texts) {
  switch (value.kind) {
    case SqlValue::Kind::Integer:
      integerVariant(value.integer, out);
      return S_OK;
    case SqlValue::Kind::Real:
      out.vt = VT_R8;
      out.dblVal = value.real;
      return S_OK;
    case SqlValue::Kind::Text:
    case SqlValue::Kind::Blob:
      return textVariant(value.bytes.data(), value.bytes.size(), out, texts);
    case SqlValue::Kind::Null:
      break;
  }
  out.vt = VT_NULL;
  return S_OK;
}
