// Building row arrays from stored values, and reading the pair arrays callers send.
#include "projectdb/row_pairs.h"

#include <new>

#include "arx/aced_print.h"
#include "com/safearray.h"
#include "projectdb/component_failure.h"

VariantList::~VariantList() {
  for (VARIANT& v : items_) VariantClear(&v);
}

void VariantList::addText(const wchar_t* text) {
  VARIANT v;
  VariantInit(&v);
  v.bstrVal = SysAllocString(text);
  if (v.bstrVal == nullptr) throw std::bad_alloc();
  v.vt = VT_BSTR;
  items_.push_back(v);
}

void VariantList::addText(const std::string& utf8) { addText(acutUtf8ToWide(utf8).c_str()); }

void VariantList::addValue(const SqlValue& value) {
  VARIANT v;
  VariantInit(&v);
  if (FAILED(variantFromSqlValue(value, v))) throw std::bad_alloc();
  items_.push_back(v);
}

void VariantList::moveInto(VARIANT& out) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items_.size()));
  if (array == nullptr) throw std::bad_alloc();
  auto* data = static_cast<VARIANT*>(array->pvData);
  for (std::size_t i = 0; i < items_.size(); ++i) data[i] = items_[i];
  items_.clear();
  VariantClear(&out);
  out.vt = VT_ARRAY | VT_VARIANT;
  out.parray = array;
}

void rowToVariant(const TableInfo& table, const CursorRow& row, VARIANT& out) {
  VariantList list;
  for (std::size_t i = 0; i < table.columns.size() && i < row.values.size(); ++i) {
    list.addText(table.columns[i]);
    list.addValue(row.values[i]);
  }
  list.moveInto(out);
}

namespace {

[[noreturn]] void badPairs(const std::wstring& why) {
  throw ComponentFailure{projectdb_error::kInvalidArgument, L"Bad column/value array: " + why + L"."};
}

const std::string* columnNamed(const TableInfo& table, const std::string& name) {
  std::string wanted = lowerAscii(name);
  for (const std::string& c : table.columns)
    if (lowerAscii(c) == wanted) return &c;
  return nullptr;
}

}  // namespace

std::vector<ColumnValue> pairsFromVariant(const VARIANT& pairs, const TableInfo& table) {
  if (pairs.vt != (VT_ARRAY | VT_VARIANT) || pairs.parray == nullptr) badPairs(L"not an array of VARIANT");
  SAFEARRAY* array = pairs.parray;
  if (SafeArrayGetDim(array) != 1) badPairs(L"not one-dimensional");
  ULONG count = array->rgsabound[0].cElements;
  if (count % 2 != 0) badPairs(L"an odd number of elements");
  const auto* data = static_cast<const VARIANT*>(array->pvData);
  std::vector<ColumnValue> values;
  for (ULONG i = 0; i < count; i += 2) {
    const VARIANT& name = data[i];
    if (name.vt != VT_BSTR || SysStringLen(name.bstrVal) == 0) badPairs(L"a column name that is not a text");
    std::string utf8 = acutWideToUtf8(std::wstring(name.bstrVal, SysStringLen(name.bstrVal)));
    const std::string* column = columnNamed(table, utf8);
    if (column == nullptr)
      throw ComponentFailure{projectdb_error::kColumnNotFound, L"Item not found in this collection: column '" +
                                                                   acutUtf8ToWide(utf8) + L"' of table '" +
                                                                   acutUtf8ToWide(table.name) + L"'."};
    for (const ColumnValue& earlier : values)
      if (earlier.column == *column) badPairs(L"column '" + acutUtf8ToWide(*column) + L"' given twice");
    ColumnValue cv{*column, {}};
    if (!sqlValueFromVariant(data[i + 1], cv.value))
      badPairs(L"the value of column '" + acutUtf8ToWide(*column) + L"' is of a kind the database cannot hold");
    values.push_back(std::move(cv));
  }
  return values;
}
