// The project database component's interface (ProjectDatabase) as the module sees it:
// raw calls answering HRESULT, and wrappers that raise _com_error when a call fails.
#pragma once

#include "com/bstr.h"
#include "com/com_base.h"
#include "com/com_error.h"
#include "com/com_ptr.h"
#include "com/safearray.h"
#include "com/variant.h"

inline constexpr CLSID CLSID_ProjectDatabase = guidOf("4D6FDF05-A48B-43B0-B640-64B299548BC4");
inline constexpr IID IID_ProjectDatabase = guidOf("2C4ED17D-80E4-4416-BF2B-2C8D9F117E44");

// Rows travel as a VARIANT (VT_ARRAY | VT_VARIANT) holding a one-dimensional array of
// column name (BSTR), value pairs. Out VARIANTs must be initialised by the caller; the
// component clears what they held before writing, and the caller clears them after.
struct ProjectDatabase : IUnknown {
  static const IID& iid() { return IID_ProjectDatabase; }

  virtual HRESULT raw_OpenProjectDatabase(BSTR path, long a, long b, BSTR* status) = 0;
  virtual HRESULT raw_SelectTable(BSTR table, BSTR index) = 0;
  virtual HRESULT raw_MoveFirst(VARIANT* row, VARIANT_BOOL* found) = 0;
  virtual HRESULT raw_MoveNext(long count, VARIANT* row, VARIANT_BOOL* found) = 0;
  virtual HRESULT raw_IsOpen(VARIANT_BOOL* open) = 0;
  virtual HRESULT raw_CloseTable(BSTR table) = 0;
  virtual HRESULT raw_AddRecord(const VARIANT& pairs, long flags, VARIANT* row, VARIANT_BOOL* ok) = 0;
  virtual HRESULT raw_CloseDatabase(VARIANT* ignored) = 0;
  virtual HRESULT raw_DeleteRecord(VARIANT* ignored) = 0;
  virtual HRESULT raw_ReadLastError(long* code, BSTR* message) = 0;
  virtual HRESULT raw_HasError(VARIANT_BOOL* pending) = 0;
  virtual HRESULT raw_UpdateRecord(const VARIANT& pairs, VARIANT* row, VARIANT_BOOL* ok) = 0;
  virtual HRESULT raw_Seek(const VARIANT& k1, VARIANT* row, VARIANT_BOOL* found) = 0;
  virtual HRESULT raw_Seek2(const VARIANT& k1, const VARIANT& k2, VARIANT* row, VARIANT_BOOL* found) = 0;
  virtual HRESULT raw_Seek3(const VARIANT& k1, const VARIANT& k2, const VARIANT& k3, VARIANT* row,
                            VARIANT_BOOL* found) = 0;
  virtual HRESULT raw_Query(BSTR sql, VARIANT* rows, VARIANT_BOOL* ok) = 0;
  virtual HRESULT raw_Execute(BSTR sql, VARIANT_BOOL* ok) = 0;
  virtual HRESULT raw_OpenDatabase(BSTR path, VARIANT_BOOL* readOnly, VARIANT_BOOL* ok) = 0;
  virtual HRESULT raw_IsEOF(VARIANT_BOOL* eof) = 0;
  virtual HRESULT raw_IsBOF(VARIANT_BOOL* bof) = 0;

  _bstr_t OpenProjectDatabase(const _bstr_t& path, long a, long b) {
    BSTR status = nullptr;
    check(raw_OpenProjectDatabase(path, a, b, &status));
    return _bstr_t(status, false);
  }
  void SelectTable(const _bstr_t& table, const _bstr_t& index) { check(raw_SelectTable(table, index)); }
  void MoveFirst(VARIANT* row, VARIANT_BOOL* found) { check(raw_MoveFirst(row, found)); }
  void MoveNext(long count, VARIANT* row, VARIANT_BOOL* found) { check(raw_MoveNext(count, row, found)); }
  void IsOpen(VARIANT_BOOL* open) { check(raw_IsOpen(open)); }
  void CloseTable(const _bstr_t& table) { check(raw_CloseTable(table)); }
  void AddRecord(const VARIANT& pairs, long flags, VARIANT* row, VARIANT_BOOL* ok) {
    check(raw_AddRecord(pairs, flags, row, ok));
  }
  void CloseDatabase(VARIANT* ignored) { check(raw_CloseDatabase(ignored)); }
  void DeleteRecord(VARIANT* ignored) { check(raw_DeleteRecord(ignored)); }
  void ReadLastError(long* code, BSTR* message) { check(raw_ReadLastError(code, message)); }
  void HasError(VARIANT_BOOL* pending) { check(raw_HasError(pending)); }
  void UpdateRecord(const VARIANT& pairs, VARIANT* row, VARIANT_BOOL* ok) { check(raw_UpdateRecord(pairs, row, ok)); }
  void Seek(const VARIANT& k1, VARIANT* row, VARIANT_BOOL* found) { check(raw_Seek(k1, row, found)); }
  void Seek2(const VARIANT& k1, const VARIANT& k2, VARIANT* row, VARIANT_BOOL* found) {
    check(raw_Seek2(k1, k2, row, found));
  }
  void Seek3(const VARIANT& k1, const VARIANT& k2, const VARIANT& k3, VARIANT* row, VARIANT_BOOL* found) {
    check(raw_Seek3(k1, k2, k3, row, found));
  }
  void Query(const _bstr_t& sql, VARIANT* rows, VARIANT_BOOL* ok) { check(raw_Query(sql, rows, ok)); }
  VARIANT_BOOL Execute(const _bstr_t& sql) {
    VARIANT_BOOL ok = VARIANT_FALSE;
    check(raw_Execute(sql, &ok));
    return ok;
  }
  void OpenDatabase(const _bstr_t& path, VARIANT_BOOL* readOnly, VARIANT_BOOL* ok) {
    check(raw_OpenDatabase(path, readOnly, ok));
  }
  void IsEOF(VARIANT_BOOL* eof) { check(raw_IsEOF(eof)); }
  void IsBOF(VARIANT_BOOL* bof) { check(raw_IsBOF(bof)); }

 private:
  void check(HRESULT hr) {
    if (FAILED(hr)) _com_issue_errorex(hr, this, IID_ProjectDatabase);
  }
};

using ProjectDatabasePtr = _com_ptr_t<ProjectDatabase>;

// Registers the SQLite implementation as the class CLSID_ProjectDatabase. Loading the
// platform library does this already, as an installed server is registered; call it
// again to restore the class after a test replaced it.
HRESULT registerProjectDatabaseClass();
