// ov_plumb-options as the LISP program calls it: its arguments, a project database
// file of the caller's (missing or read-only), and a drawing whose project cannot be
// connected.
#include <filesystem>

#include "projectdb/sqlite_project_database.h"
#include "test_options_fixture.h"

namespace {

constexpr char kOpenAndOk[] = "dialog ov_plumb:Options\nclick 1\n";

using OptionsCall = OptionsTest;

TEST_F(OptionsCall, BlockFolderMustBeAText) {
  EXPECT_EQ(runWith("(ov_plumb-options 5)", kOpenAndOk), L"; error: ADS request error");
  EXPECT_EQ(runWith("(ov_plumb-options)", kOpenAndOk), L"; error: ADS request error");
  EXPECT_EQ(output_, L"\nWrong type of arguments passed.\n\nWrong type of arguments passed.\n");
  EXPECT_TRUE(watcher_->opened.empty());
}

TEST_F(OptionsCall, OptionalArgumentsOfAnotherKindAreSteppedOver) {
  // A number for the key is skipped; the flag after it still counts.
  runWith("(ov_plumb-options \"B/\" 5 T)", kOpenAndOk);
  ASSERT_EQ(watcher_->opened.size(), 1u);
  EXPECT_EQ(watcher_->opened[0].selectedRow, -1);
  // nil as the key, then a key where the flag goes (any value but nil is true).
  EXPECT_EQ(runWith("(ov_plumb-options \"B/\" nil \"x\")", kOpenAndOk), L"(\"\")");
}

TEST_F(OptionsCall, WorksOnTheCallersDatabaseFile) {
  const std::wstring other = makeProject("other");
  const std::string call = "(ov_plumb-options \"B/\" \"pipe-breakWidth\" nil \"" + acutWideToUtf8(other) + "\")";
  EXPECT_EQ(runWith(call, "dialog ov_plumb:Options\ncell 1052 2 1 11\nclick 1\n"), L"(\"pipe-breakWidth\")");
  // The other project changed, the drawing's project did not.
  ProjectDatabasePtr check;
  ASSERT_TRUE(SUCCEEDED(check.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL)));
  ASSERT_EQ(std::wstring(check->OpenProjectDatabase(_bstr_t(other.c_str()), 0, 0)), L"OK");
  {
    tblGlobal row(check);
    ASSERT_TRUE(row.FindBy(_variant_t(L"pipe-breakWidth")));
    EXPECT_DOUBLE_EQ(row.dNumber(), 11.0);
  }
  _variant_t ignored;
  check->CloseDatabase(&ignored);
  EXPECT_DOUBLE_EQ(storedNumber(L"pipe-breakWidth"), 3.0);
}

TEST_F(OptionsCall, MissingDatabaseFileIsReportedAndAnswersNil) {
  const std::string call = "(ov_plumb-options \"B/\" \"\" nil \"" + acutWideToUtf8(path("nowhere/none.ov")) + "\")";
  EXPECT_EQ(runWith(call, kOpenAndOk), L"nil");
  EXPECT_TRUE(watcher_->opened.empty());
  EXPECT_EQ(output_.rfind(L"\nDatabase Error: ", 0), 0u) << acutWideToUtf8(output_);
}

// The SQLite component, except that every file it opens is reported read-only (a
// root user may write any file, so permissions alone cannot show this).
IUnknown* createReadOnlyReportingDatabase();

class ReadOnlyReporting : public ProjectDatabase {
 public:
  ReadOnlyReporting() { inner_.Attach(static_cast<ProjectDatabase*>(SqliteProjectDatabase::create())); }
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ProjectDatabase) {
      *object = static_cast<ProjectDatabase*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT raw_OpenDatabase(BSTR path, VARIANT_BOOL* readOnly, VARIANT_BOOL* ok) override {
    const HRESULT hr = inner_->raw_OpenDatabase(path, readOnly, ok);
    if (SUCCEEDED(hr) && *ok == VARIANT_TRUE) *readOnly = VARIANT_TRUE;
    ++opens;
    return hr;
  }
  HRESULT raw_CloseDatabase(VARIANT* ignored) override {
    ++closes;
    return inner_->raw_CloseDatabase(ignored);
  }
  HRESULT raw_OpenProjectDatabase(BSTR p, long a, long b, BSTR* s) override {
    return inner_->raw_OpenProjectDatabase(p, a, b, s);
  }
  HRESULT raw_SelectTable(BSTR t, BSTR i) override { return inner_->raw_SelectTable(t, i); }
  HRESULT raw_MoveFirst(VARIANT* r, VARIANT_BOOL* f) override { return inner_->raw_MoveFirst(r, f); }
  HRESULT raw_MoveNext(long c, VARIANT* r, VARIANT_BOOL* f) override { return inner_->raw_MoveNext(c, r, f); }
  HRESULT raw_IsOpen(VARIANT_BOOL* o) override { return inner_->raw_IsOpen(o); }
  HRESULT raw_CloseTable(BSTR t) override { return inner_->raw_CloseTable(t); }
  HRESULT raw_AddRecord(const VARIANT& p, long f, VARIANT* r, VARIANT_BOOL* o) override {
    return inner_->raw_AddRecord(p, f, r, o);
  }
  HRESULT raw_DeleteRecord(VARIANT* i) override { return inner_->raw_DeleteRecord(i); }
  HRESULT raw_ReadLastError(long* c, BSTR* m) override { return inner_->raw_ReadLastError(c, m); }
  HRESULT raw_HasError(VARIANT_BOOL* p) override { return inner_->raw_HasError(p); }
  HRESULT raw_UpdateRecord(const VARIANT& p, VARIANT* r, VARIANT_BOOL* o) override {
    return inner_->raw_UpdateRecord(p, r, o);
  }
  HRESULT raw_Seek(const VARIANT& k, VARIANT* r, VARIANT_BOOL* f) override { return inner_->raw_Seek(k, r, f); }
  HRESULT raw_Seek2(const VARIANT& k1, const VARIANT& k2, VARIANT* r, VARIANT_BOOL* f) override {
    return inner_->raw_Seek2(k1, k2, r, f);
  }
  HRESULT raw_Seek3(const VARIANT& k1, const VARIANT& k2, const VARIANT& k3, VARIANT* r, VARIANT_BOOL* f) override {
    return inner_->raw_Seek3(k1, k2, k3, r, f);
  }
  HRESULT raw_Query(BSTR s, VARIANT* r, VARIANT_BOOL* o) override { return inner_->raw_Query(s, r, o); }
  HRESULT raw_Execute(BSTR s, VARIANT_BOOL* o) override { return inner_->raw_Execute(s, o); }
  HRESULT raw_IsEOF(VARIANT_BOOL* e) override { return inner_->raw_IsEOF(e); }
  HRESULT raw_IsBOF(VARIANT_BOOL* b) override { return inner_->raw_IsBOF(b); }

  static inline int opens = 0;
  static inline int closes = 0;

 private:
  ProjectDatabasePtr inner_;
  ULONG references_ = 1;
};

IUnknown* createReadOnlyReportingDatabase() { return static_cast<ProjectDatabase*>(new ReadOnlyReporting()); }

TEST_F(OptionsCall, ReadOnlyDatabaseFileIsRefusedWithAMessage) {
  const std::wstring other = makeProject("other");
  ReadOnlyReporting::opens = ReadOnlyReporting::closes = 0;
  ASSERT_EQ(comRegisterClass(CLSID_ProjectDatabase, &createReadOnlyReportingDatabase), S_FALSE);
  const std::string call = "(ov_plumb-options \"B/\" \"\" nil \"" + acutWideToUtf8(other) + "\")";
  const std::wstring result = runWith(call, "messagebox OK\n" + std::string(kOpenAndOk));
  registerProjectDatabaseClass();
  EXPECT_EQ(result, L"nil");
  EXPECT_TRUE(watcher_->opened.empty());
  ASSERT_EQ(watcher_->boxes.size(), 1u);
  EXPECT_EQ(watcher_->boxes[0], L"[Orvane] Database is read-only. Cannot be viewed at this time.");
  EXPECT_EQ(ReadOnlyReporting::opens, 1);
  EXPECT_EQ(ReadOnlyReporting::closes, 1);
}

TEST_F(OptionsCall, UnconnectableProjectShowsNoDialog) {
  // A drawing in a folder without a project database.
  ASSERT_NE(open("elsewhere/plan.hdw"), nullptr);
  stopContext();
  startContext();
  EXPECT_EQ(runWith("(ov_plumb-options \"B/\")", kOpenAndOk), L"nil");
  EXPECT_TRUE(watcher_->opened.empty());
  EXPECT_NE(output_.find(L"\nCannot connect to the plumbing database (Connection Error Code 1)."), std::wstring::npos)
      << acutWideToUtf8(output_);
}

TEST_F(OptionsCall, ModuleResourcesAreCurrentOnlyWhileTheDialogRuns) {
  const int before = manager()->hostPushedResourceHandles();
  runWith("(ov_plumb-options \"B/\")", kOpenAndOk);
  EXPECT_EQ(manager()->hostPushedResourceHandles(), before);
  runWith("(ov_plumb-options \"B/\" \"\" nil \"" + acutWideToUtf8(path("nowhere/none.ov")) + "\")", kOpenAndOk);
  EXPECT_EQ(manager()->hostPushedResourceHandles(), before);
}

}  // namespace
