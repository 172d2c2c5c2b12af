// The record object every project table's class is made of: one row in typed fields
// with a changed mark each, read and written through the database component only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "com/bstr.h"
#include "com/variant.h"
#include "db/project_tables.h"
#include "projectdb/project_database.h"

class TableRecord {
 public:
  TableRecord(const TableRecord&) = delete;
  TableRecord& operator=(const TableRecord&) = delete;

  const TableDeclaration& table() const { return table_; }
  bool hasDatabase() const { return static_cast<bool>(db_); }
  bool isAdding() const { return adding_; }
  bool isEditing() const { return editing_; }
  // Whether the column at that position was set since the last load, AddNew or Edit.
  bool isChanged(int column) const { return fields_[static_cast<std::size_t>(column)].changed; }
  bool anyChanged() const;

 protected:
  // `noMasterColumns` forbids writing ixMasterDatabase and iMasterDatabaseIndex;
  // `lookupIndex` is the index FindBy searches (null for a class without one). A
  // record made without a database does nothing in any operation.
  TableRecord(const TableDeclaration& table, const ProjectDatabasePtr& db, bool noMasterColumns = false,
              const wchar_t* lookupIndex = nullptr);
  ~TableRecord();

  // The operations. Each class makes public the ones its table offers. A failing
  // component call raises _com_error and leaves modes and changed marks as they were
  // at that moment.
  void AddNew();
  // Starts editing the row now in the fields, remembering its key.
  void Edit();
  // Writes the changed fields of an AddNew or Edit, then ends the mode.
  void Update();
  // Deletes the stored row with this record's key.
  void Delete();
  // Loads the row with that key; false (fields untouched) when there is none.
  bool Find(std::int32_t key);
  // Loads the first row whose lookup-index columns equal the values: integers as VT_I4,
  // texts (const wchar_t* or _bstr_t), bool as VT_BOOL, _variant_t::makeNull() for null.
  bool FindBy(const _variant_t& first);
  bool FindBy(const _variant_t& first, const _variant_t& second);
  bool FindBy(const _variant_t& first, const _variant_t& second, const _variant_t& third);
  // Makes First and Next follow that index.
  void UseIndex(const std::wstring& index);
  bool First();
  bool Next();
  bool AtStart();
  bool AtEnd();
  // Lets the component drop the table's cursor.
  void Release();

  // Field access for the generated accessors; `column` is the column's position.
  std::int32_t intField(int column) const { return field(column).integer; }
  double realField(int column) const { return field(column).real; }
  const std::wstring& textField(int column) const { return field(column).text; }
  bool boolField(int column) const { return field(column).integer != 0; }
  bool fieldIsNull(int column) const { return field(column).null; }
  void setIntField(int column, std::int32_t value);
  void setRealField(int column, double value);
  void setTextField(int column, const std::wstring& value);
  void setBoolField(int column, bool value);
  void setFieldNull(int column);

 private:
  struct Field {
    std::int32_t integer = 0;  // Int and Bool columns (a Bool holds 1 or 0)
    double real = 0.0;
    std::wstring text;
    bool null = false;
    bool changed = false;
  };

  const Field& field(int column) const { return fields_[static_cast<std::size_t>(column)]; }
  Field& changeField(int column);
  bool mayWrite(std::size_t column) const;
  void clearChangedMarks();
  // Puts a row's name/value pairs into the fields; unknown names are ignored.
  void loadRow(const VARIANT& row);
  void loadValue(std::size_t column, const VARIANT& value);
  void sendValue(std::size_t column, VARIANT& target) const;
  SAFEARRAY* buildChangedPairs() const;
  bool seekAndLoad(const _bstr_t& index, const VARIANT* keys, int count);

  const TableDeclaration& table_;
  ProjectDatabasePtr db_;
  bool noMasterColumns_;
  _bstr_t tableName_;
  _bstr_t keyColumn_;
  _bstr_t lookupIndex_;
  _bstr_t noIndex_{L""};
  std::vector<Field> fields_;
  int masterDatabaseColumn_;
  int masterIndexColumn_;
  bool adding_ = false;
  bool editing_ = false;
  std::int32_t editKey_ = 0;
};
