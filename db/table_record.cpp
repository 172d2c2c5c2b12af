// The record object's operations: loading rows, marking changes and writing them back.
#include "db/table_record.h"

#include <string_view>

#include "com/safearray.h"
#include "db/field_conversion.h"

namespace {

// Frees a name/value array on every way out of Update, a raised error included.
class PairArray {
 public:
  explicit PairArray(SAFEARRAY* array) : array_(array) {}
  ~PairArray() {
    if (array_) SafeArrayDestroy(array_);
  }
  PairArray(const PairArray&) = delete;
  PairArray& operator=(const PairArray&) = delete;

  // The array as a row VARIANT; the VARIANT does not own it.
  VARIANT asRow() const {
    VARIANT row;
    VariantInit(&row);
    row.vt = VT_ARRAY | VT_VARIANT;
    row.parray = array_;
    return row;
  }

 private:
  SAFEARRAY* array_;
};

// The elements of a row while they are read.
class RowElements {
 public:
  explicit RowElements(SAFEARRAY* array) : array_(array) {
    if (!array_ || SafeArrayGetDim(array_) != 1) return;
    LONG lower = 0, upper = -1;
    if (FAILED(SafeArrayGetLBound(array_, 1, &lower)) || FAILED(SafeArrayGetUBound(array_, 1, &upper))) return;
    void* data = nullptr;
    if (upper < lower || FAILED(SafeArrayAccessData(array_, &data))) return;
    elements_ = static_cast<const VARIANT*>(data);
    count_ = static_cast<std::size_t>(upper - lower) + 1;
  }
  ~RowElements() {
    if (elements_) SafeArrayUnaccessData(array_);
  }
  RowElements(const RowElements&) = delete;
  RowElements& operator=(const RowElements&) = delete;

  std::size_t count() const { return count_; }
  const VARIANT& operator[](std::size_t i) const { return elements_[i]; }

 private:
  SAFEARRAY* array_;
  const VARIANT* elements_ = nullptr;
  std::size_t count_ = 0;
};

std::wstring_view bstrView(BSTR text) {
  return text ? std::wstring_view(text, SysStringLen(text)) : std::wstring_view();
}

}  // namespace

TableRecord::TableRecord(const TableDeclaration& table, const ProjectDatabasePtr& db, bool noMasterColumns,
                         const wchar_t* lookupIndex)
    : table_(table),
      db_(db),
      noMasterColumns_(noMasterColumns),
      tableName_(table.name),
      keyColumn_(table.keyColumn()),
      lookupIndex_(lookupIndex ? lookupIndex : L""),
      fields_(table.columns.size()),
      masterDatabaseColumn_(table.columnIndex(L"ixMasterDatabase")),
      masterIndexColumn_(table.columnIndex(L"iMasterDatabaseIndex")) {
  for (std::size_t i = 0; i < fields_.size(); ++i) fields_[i].null = table_.columns[i].nullable;
}

TableRecord::~TableRecord() = default;

bool TableRecord::anyChanged() const {
  for (const Field& f : fields_)
    if (f.changed) return true;
  return false;
}

TableRecord::Field& TableRecord::changeField(int column) {
  Field& f = fields_[static_cast<std::size_t>(column)];
  f.changed = true;
  f.null = false;
  return f;
}

void TableRecord::setIntField(int column, std::int32_t value) { changeField(column).integer = value; }
void TableRecord::setRealField(int column, double value) { changeField(column).real = value; }
void TableRecord::setTextField(int column, const std::wstring& value) { changeField(column).text = value; }
void TableRecord::setBoolField(int column, bool value) { changeField(column).integer = value ? 1 : 0; }

void TableRecord::setFieldNull(int column) {
  Field& f = changeField(column);
  f.integer = 0;
  f.real = 0.0;
  f.text.clear();
  f.null = true;
}

void TableRecord::clearChangedMarks() {
  for (Field& f : fields_) f.changed = false;
}

bool TableRecord::mayWrite(std::size_t column) const {
  if (!noMasterColumns_) return true;
  int c = static_cast<int>(column);
  return c != masterDatabaseColumn_ && c != masterIndexColumn_;
}

void TableRecord::loadValue(std::size_t column, const VARIANT& value) {
  const ColumnDeclaration& info = table_.columns[column];
  Field& f = fields_[column];
  f.integer = 0;
  f.real = 0.0;
  f.text.clear();
  f.null = info.nullable && variantIsNull(value);
  if (f.null) return;
  switch (info.kind) {
    case ColumnKind::Int: f.integer = variantToInt(value); break;
    case ColumnKind::Real: f.real = variantToReal(value); break;
    case ColumnKind::Text: f.text = variantToText(value); break;
    case ColumnKind::Bool: f.integer = variantToBool(value) ? 1 : 0; break;
  }
}

void TableRecord::loadRow(const VARIANT& row) {
  if ((row.vt & VT_ARRAY) != 0) {
    RowElements elements(row.parray);
    // Rows come in column order, so the next column is tried before a search.
    std::size_t expected = 0;
    for (std::size_t i = 0; i + 1 < elements.count(); i += 2) {
      const VARIANT& name = elements[i];
      if (name.vt != VT_BSTR) continue;
      std::wstring_view text = bstrView(name.bstrVal);
      int column = -1;
      if (expected < fields_.size() && text == table_.columns[expected].name) column = static_cast<int>(expected);
      else column = table_.columnIndex(text);
      if (column < 0) continue;
      loadValue(static_cast<std::size_t>(column), elements[i + 1]);
      expected = static_cast<std::size_t>(column) + 1;
    }
  }
  clearChangedMarks();
  editKey_ = 0;
}

void TableRecord::sendValue(std::size_t column, VARIANT& target) const {
  const ColumnDeclaration& info = table_.columns[column];
  const Field& f = fields_[column];
  if (info.nullable && f.null) return sendNull(target);
  switch (info.kind) {
    case ColumnKind::Int: return sendInt(target, f.integer);
    case ColumnKind::Real: return sendReal(target, f.real);
    case ColumnKind::Text: return sendText(target, f.text);
    case ColumnKind::Bool: return sendBool(target, f.integer != 0);
  }
}

SAFEARRAY* TableRecord::buildChangedPairs() const {
  std::vector<std::size_t> columns;
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (fields_[i].changed && mayWrite(i)) columns.push_back(i);
  if (columns.empty()) return nullptr;
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(columns.size() * 2));
  if (!array) _com_issue_error(E_OUTOFMEMORY);
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data))) {
    SafeArrayDestroy(array);
    _com_issue_error(E_UNEXPECTED);
  }
  auto* elements = static_cast<VARIANT*>(data);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    sendText(elements[2 * i], table_.columns[columns[i]].name);
    sendValue(columns[i], elements[2 * i + 1]);
  }
  SafeArrayUnaccessData(array);
  return array;
}

void TableRecord::AddNew() {
  if (!db_) return;
  adding_ = true;
  editing_ = false;
  clearChangedMarks();
}

void TableRecord::Edit() {
  if (!db_) return;
  adding_ = false;
  editing_ = true;
  clearChangedMarks();
  editKey_ = fields_[0].integer;
}

void TableRecord::Update() {
  if (!db_) return;
  // Built first: Find below re-reads the stored row into the fields.
  PairArray pairs(buildChangedPairs());
  VARIANT pairRow = pairs.asRow();
  if (pairRow.parray) {
    _variant_t row;
    VARIANT_BOOL ok = VARIANT_FALSE;
    if (adding_) {
      db_->SelectTable(tableName_, keyColumn_);
      db_->AddRecord(pairRow, 0, &row, &ok);
      if (ok == VARIANT_TRUE) loadRow(row);
    } else if (editing_ && Find(editKey_)) {
      db_->UpdateRecord(pairRow, &row, &ok);
      if (ok == VARIANT_TRUE) loadRow(row);
    }
  }
  adding_ = false;
  editing_ = false;
  clearChangedMarks();
  editKey_ = 0;
}

bool TableRecord::seekAndLoad(const _bstr_t& index, const VARIANT* keys, int count) {
  if (!db_) return false;
  db_->SelectTable(tableName_, index);
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  if (count == 1) db_->Seek(keys[0], &row, &found);
  else if (count == 2) db_->Seek2(keys[0], keys[1], &row, &found);
  else db_->Seek3(keys[0], keys[1], keys[2], &row, &found);
  if (found != VARIANT_TRUE) return false;
  loadRow(row);
  return true;
}

bool TableRecord::Find(std::int32_t key) {
  VARIANT k;
  VariantInit(&k);
  sendInt(k, key);
  return seekAndLoad(keyColumn_, &k, 1);
}

bool TableRecord::FindBy(const _variant_t& first) { return seekAndLoad(lookupIndex_, &first, 1); }

bool TableRecord::FindBy(const _variant_t& first, const _variant_t& second) {
  const VARIANT keys[] = {first, second};
  return seekAndLoad(lookupIndex_, keys, 2);
}

bool TableRecord::FindBy(const _variant_t& first, const _variant_t& second, const _variant_t& third) {
  const VARIANT keys[] = {first, second, third};
  return seekAndLoad(lookupIndex_, keys, 3);
}

void TableRecord::Delete() {
  if (!db_) return;
  db_->SelectTable(tableName_, keyColumn_);
  VARIANT key;
  VariantInit(&key);
  sendInt(key, fields_[0].integer);
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->Seek(key, &row, &found);
  if (found != VARIANT_TRUE) return;
  _variant_t ignored;
  db_->DeleteRecord(&ignored);
}

void TableRecord::UseIndex(const std::wstring& index) {
  if (!db_) return;
  db_->SelectTable(tableName_, _bstr_t(index));
}

bool TableRecord::First() {
  if (!db_) return false;
  db_->SelectTable(tableName_, noIndex_);
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->MoveFirst(&row, &found);
  if (found != VARIANT_TRUE) return false;
  loadRow(row);
  return true;
}

bool TableRecord::Next() {
  if (!db_) return false;
  db_->SelectTable(tableName_, noIndex_);
  _variant_t row;
  VARIANT_BOOL found = VARIANT_FALSE;
  db_->MoveNext(1, &row, &found);
  if (found != VARIANT_TRUE) return false;
  loadRow(row);
  return true;
}

bool TableRecord::AtStart() {
  if (!db_) return true;
  db_->SelectTable(tableName_, noIndex_);
  VARIANT_BOOL flag = VARIANT_FALSE;
  db_->IsBOF(&flag);
  return flag == VARIANT_TRUE;
}

bool TableRecord::AtEnd() {
  if (!db_) return true;
  db_->SelectTable(tableName_, noIndex_);
  VARIANT_BOOL flag = VARIANT_FALSE;
  db_->IsEOF(&flag);
  return flag == VARIANT_TRUE;
}

void TableRecord::Release() {
  if (!db_) return;
  db_->CloseTable(tableName_);
}
