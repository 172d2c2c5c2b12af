// A database component that records what the record classes send and answers what a
// test sets up, with the readers of the name/value rows it takes and gives.
#pragma once

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "arx/aced_print.h"
#include "com/safearray.h"
#include "projectdb/project_database.h"

using SentPairs = std::vector<std::pair<std::wstring, _variant_t>>;
using Texts = std::vector<std::wstring>;

// "I4:5", "BSTR:x", "NULL", "BOOL:-1" ...: a value with its kind, for comparing calls.
inline std::wstring describeVariant(const VARIANT& v) {
  switch (v.vt) {
    case VT_EMPTY: return L"EMPTY";
    case VT_NULL: return L"NULL";
    case VT_I2: return L"I2:" + std::to_wstring(v.iVal);
    case VT_I4: return L"I4:" + std::to_wstring(v.lVal);
    case VT_R8: return L"R8:" + std::to_wstring(v.dblVal);
    case VT_BOOL: return L"BOOL:" + std::to_wstring(v.boolVal);
    case VT_BSTR: return L"BSTR:" + std::wstring(v.bstrVal ? v.bstrVal : L"");
    default: return L"VT" + std::to_wstring(v.vt);
  }
}

inline SAFEARRAY* makePairArray(const SentPairs& pairs) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(pairs.size() * 2));
  LONG at = 0;
  for (const auto& [name, value] : pairs) {
    _variant_t nameValue(name.c_str()), copy(value);
    SafeArrayPutElement(array, &at, &nameValue);
    ++at;
    SafeArrayPutElement(array, &at, &copy);
    ++at;
  }
  return array;
}

// Every element of a row, from the lower bound on.
inline std::vector<_variant_t> readElements(const VARIANT& row) {
  std::vector<_variant_t> elements;
  if (row.vt != (VT_ARRAY | VT_VARIANT) || !row.parray) return elements;
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(row.parray, 1, &lower);
  SafeArrayGetUBound(row.parray, 1, &upper);
  for (LONG i = lower; i <= upper; ++i) {
    _variant_t element;
    SafeArrayGetElement(row.parray, &i, &element);
    elements.push_back(element);
  }
  return elements;
}

inline std::wstring textOf(const VARIANT& v) { return v.vt == VT_BSTR && v.bstrVal ? std::wstring(v.bstrVal) : L""; }

class RecordingDatabase final : public ProjectDatabase {
 public:
  // What was called, in order: the operation and its arguments ("SelectTable tblFloor
  // ixFloor", "Seek I4:5", "AddRecord 0", ...), and the pairs each write sent as
  // "name=KIND:value" texts.
  Texts calls;
  std::vector<Texts> sent;

  // Answers: the row of every Seek, move and write; whether it was found (or, for a
  // write, ok); the EOF flag; whether a file opens read-only; the operation that fails
  // with E_FAIL.
  SentPairs row;
  bool found = true;
  bool eof = false;
  bool readOnly = false;
  std::wstring failing;

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!(iid == IID_IUnknown) && !(iid == IID_ProjectDatabase)) return E_NOINTERFACE;
    AddRef();
    *object = this;
    return S_OK;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT raw_OpenProjectDatabase(BSTR, long, long, BSTR* status) override {
    *status = SysAllocString(L"OK");
    return record(L"OpenProjectDatabase");
  }
  HRESULT raw_SelectTable(BSTR table, BSTR index) override {
    return record(L"SelectTable", std::wstring(table ? table : L"") + L" " + (index ? index : L""));
  }
  HRESULT raw_MoveFirst(VARIANT* out, VARIANT_BOOL* flag) override { return answer(L"MoveFirst", L"", out, flag); }
  HRESULT raw_MoveNext(long count, VARIANT* out, VARIANT_BOOL* flag) override {
    return answer(L"MoveNext", std::to_wstring(count), out, flag);
  }
  HRESULT raw_IsOpen(VARIANT_BOOL* open) override {
    *open = VARIANT_TRUE;
    return record(L"IsOpen");
  }
  HRESULT raw_CloseTable(BSTR table) override { return record(L"CloseTable", table ? table : L""); }
  HRESULT raw_AddRecord(const VARIANT& pairs, long flags, VARIANT* out, VARIANT_BOOL* ok) override {
    return write(L"AddRecord", pairs, std::to_wstring(flags), out, ok);
  }
  HRESULT raw_CloseDatabase(VARIANT*) override { return record(L"CloseDatabase"); }
  HRESULT raw_DeleteRecord(VARIANT*) override { return record(L"DeleteRecord"); }
  HRESULT raw_ReadLastError(long* code, BSTR* message) override {
    *code = 0;
    *message = SysAllocString(L"");
    return record(L"ReadLastError");
  }
  HRESULT raw_HasError(VARIANT_BOOL* pending) override {
    *pending = VARIANT_FALSE;
    return record(L"HasError");
  }
  HRESULT raw_UpdateRecord(const VARIANT& pairs, VARIANT* out, VARIANT_BOOL* ok) override {
    return write(L"UpdateRecord", pairs, L"", out, ok);
  }
  HRESULT raw_Seek(const VARIANT& k1, VARIANT* out, VARIANT_BOOL* flag) override {
    return answer(L"Seek", describeVariant(k1), out, flag);
  }
  HRESULT raw_Seek2(const VARIANT& k1, const VARIANT& k2, VARIANT* out, VARIANT_BOOL* flag) override {
    return answer(L"Seek2", describeVariant(k1) + L" " + describeVariant(k2), out, flag);
  }
  HRESULT raw_Seek3(const VARIANT& k1, const VARIANT& k2, const VARIANT& k3, VARIANT* out,
                    VARIANT_BOOL* flag) override {
    return answer(L"Seek3", describeVariant(k1) + L" " + describeVariant(k2) + L" " + describeVariant(k3), out, flag);
  }
  HRESULT raw_Query(BSTR sql, VARIANT*, VARIANT_BOOL* ok) override {
    *ok = VARIANT_FALSE;
    return record(L"Query", sql ? sql : L"");
  }
  HRESULT raw_Execute(BSTR sql, VARIANT_BOOL* ok) override {
    *ok = VARIANT_TRUE;
    return record(L"Execute", sql ? sql : L"");
  }
  HRESULT raw_OpenDatabase(BSTR, VARIANT_BOOL* readOnlyFlag, VARIANT_BOOL* ok) override {
    *readOnlyFlag = readOnly ? VARIANT_TRUE : VARIANT_FALSE;
    *ok = VARIANT_TRUE;
    return record(L"OpenDatabase");
  }
  HRESULT raw_IsEOF(VARIANT_BOOL* flag) override {
    *flag = eof ? VARIANT_TRUE : VARIANT_FALSE;
    return record(L"IsEOF");
  }
  HRESULT raw_IsBOF(VARIANT_BOOL* flag) override {
    *flag = VARIANT_FALSE;
    return record(L"IsBOF");
  }

 private:
  ~RecordingDatabase() override = default;

  HRESULT record(const std::wstring& operation, const std::wstring& arguments = L"") {
    calls.push_back(arguments.empty() ? operation : operation + L" " + arguments);
    if (operation != failing) return S_OK;
    comSetErrorDescription(L"recorded failure of " + operation);
    return E_FAIL;
  }
  HRESULT answer(const std::wstring& operation, const std::wstring& arguments, VARIANT* out, VARIANT_BOOL* flag) {
    HRESULT hr = record(operation, arguments);
    if (FAILED(hr)) return hr;
    *flag = found ? VARIANT_TRUE : VARIANT_FALSE;
    if (found) {
      VariantClear(out);
      out->vt = VT_ARRAY | VT_VARIANT;
      out->parray = makePairArray(row);
    }
    return S_OK;
  }
  HRESULT write(const std::wstring& operation, const VARIANT& pairs, const std::wstring& arguments, VARIANT* out,
                VARIANT_BOOL* ok) {
    std::vector<_variant_t> elements = readElements(pairs);
    Texts texts;
    for (std::size_t i = 0; i + 1 < elements.size(); i += 2)
      texts.push_back(textOf(elements[i]) + L"=" + describeVariant(elements[i + 1]));
    sent.push_back(texts);
    return answer(operation, arguments, out, ok);
  }

  std::atomic<ULONG> references_{0};
};

// A recording database and the counted reference the record objects take.
struct Recorder {
  RecordingDatabase* database = new RecordingDatabase;
  ProjectDatabasePtr reference{database};
};
