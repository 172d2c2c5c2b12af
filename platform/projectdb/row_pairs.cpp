// Building row arrays from stored values, and reading the pair arrays callers send.
#include "projectdb/row_pairs.h"

#include <new>

#include "arx/aced_print.h"
#include "com/bulk_memory.h"
#include "com/safearray.h"
#include "projectdb/component_failure.h"

namespace {

constexpr ULONG kSmallElements = (64u << 10) / sizeof(VARIANT);
constexpr ULONG kHugePageElements = bulk_memory::kHugePageBytes / sizeof(VARIANT);

}  // namespace

VariantArrayBuilder::VariantArrayBuilder(ULONG capacity, BstrBatch* texts)
    : array_(SafeArrayCreateVector(VT_VARIANT, 0, capacity)), texts_(texts), data_(nullptr), capacity_(capacity) {
  if (array_ == nullptr) throw std::bad_alloc();
  data_ = static_cast<VARIANT*>(array_->pvData);
}

VariantArrayBuilder::~VariantArrayBuilder() { SafeArrayDestroy(array_); }

void VariantArrayBuilder::grow() {
  ULONG grown = capacity_ < 16 ? 16 : capacity_ * 2;
  // Past small arrays the storage goes straight to a whole huge page, which costs one
  // page fault where the sizes between would cost hundreds.
  if (grown > kSmallElements && grown < kHugePageElements) grown = kHugePageElements;
  SAFEARRAYBOUND bound{grown, 0};
  if (grown < capacity_ || FAILED(SafeArrayRedim(array_, &bound))) throw std::bad_alloc();
  data_ = static_cast<VARIANT*>(array_->pvData);
  capacity_ = grown;
}

void VariantArrayBuilder::addText(const std::wstring& text) {
  VARIANT& v = next();
  auto length = static_cast<UINT>(text.size());
  v.bstrVal = texts_ != nullptr ? texts_->allocate(text.data(), length) : SysAllocStringLen(text.data(), length);
  if (v.bstrVal == nullptr) throw std::bad_alloc();
  v.vt = VT_BSTR;
}

void VariantArrayBuilder::addColumn(sqlite3_stmt* statement, int column) {
  if (FAILED(variantFromColumn(statement, column, next(), texts_))) throw std::bad_alloc();
}

void VariantArrayBuilder::moveInto(VARIANT& out) {
  SAFEARRAYBOUND bound{size_, 0};
  if (size_ != capacity_ && FAILED(SafeArrayRedim(array_, &bound))) throw std::bad_alloc();
  VariantClear(&out);
  out.vt = VT_ARRAY | VT_VARIANT;
  out.parray = array_;
  array_ = nullptr;
}

void rowPairsFromStatement(sqlite3_stmt* statement, int firstColumn, const std::vector<std::wstring>& names,
                           VARIANT& out) {
  VariantArrayBuilder row(static_cast<ULONG>(names.size() * 2));
  for (std::size_t i = 0; i < names.size(); ++i) {
    row.addText(names[i]);
    row.addColumn(statement, firstColumn + static_cast<int>(i));
  }
  row.moveInto(out);
}

namespace {

[[noreturn]] void badPairs(const std::wstring& why) {
  throw ComponentFailure{projectdb_error::kInvalidArgument, L"Bad column/value array: " + why + L"."};
}

bool sameIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
    if (x != y) return false;
  }
  return true;
}

const std::string* columnNamed(const TableInfo& table, const std::string& name) {
  for (const std::string& c : table.columns)
    if (sameIgnoringAsciiCase(c, name)) return &c;
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

void VariantArrayBuilder::addValue(const SqlValue& value) {
  VARIANT& slot = next();
  VariantInit(&slot);
  if (FAILED(variantFromSqlValue(value, slot, texts_))) throw std::bad_alloc();
}
