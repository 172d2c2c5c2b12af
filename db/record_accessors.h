// Expands a table's column list into the named accessors of its record class.

// For a column sName: `sName()` reads it, `set_sName(v)` sets it and marks it changed;
// a nullable column also has `isNull_sName()` and `setNull_sName()` (which marks it
// changed too).
#pragma once

#include <cstdint>
#include <string>

#include "db/table_columns.h"

#define OV_FIELD_TYPE_Int std::int32_t
#define OV_FIELD_TYPE_Real double
#define OV_FIELD_TYPE_Bool bool
#define OV_FIELD_TYPE_Text const std::wstring&

#define OV_FIELD_GET_Int intField
#define OV_FIELD_GET_Real realField
#define OV_FIELD_GET_Bool boolField
#define OV_FIELD_GET_Text textField

#define OV_FIELD_SET_Int setIntField
#define OV_FIELD_SET_Real setRealField
#define OV_FIELD_SET_Bool setBoolField
#define OV_FIELD_SET_Text setTextField

#define OV_COLUMN_POSITION(name, kind, nulls) column_##name,

#define OV_NULL_GETTER_Nullable(name) \
  bool isNull_##name() const { return fieldIsNull(column_##name); }
#define OV_NULL_GETTER_Plain(name)
#define OV_NULL_SETTER_Nullable(name) \
  void setNull_##name() { setFieldNull(column_##name); }
#define OV_NULL_SETTER_Plain(name)

#define OV_COLUMN_GETTER(name, kind, nulls)                                     \
  OV_FIELD_TYPE_##kind name() const { return OV_FIELD_GET_##kind(column_##name); } \
  OV_NULL_GETTER_##nulls(name)

#define OV_COLUMN_SETTER(name, kind, nulls)                                                \
  void set_##name(OV_FIELD_TYPE_##kind value) { OV_FIELD_SET_##kind(column_##name, value); } \
  OV_NULL_SETTER_##nulls(name)

// Column positions and getters, for a table the module only reads.
#define OV_RECORD_READ_FIELDS(table)                   \
 public:                                               \
  enum Column : int { OV_COLUMNS_##table(OV_COLUMN_POSITION) }; \
  OV_COLUMNS_##table(OV_COLUMN_GETTER)

// Column positions, getters and setters.
#define OV_RECORD_FIELDS(table) \
  OV_RECORD_READ_FIELDS(table)  \
  OV_COLUMNS_##table(OV_COLUMN_SETTER)
