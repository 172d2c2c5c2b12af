// The project database component over a PostgreSQL server: the second class behind
// the interface, for a project file that names a server. The conventions are those of
// SqliteProjectDatabase (sqlite_project_database.h), with these differences:
// - keys come from the server's sequence for the table, so two designers adding rows
//   at once never get the same key;
// - each call is one statement, so one transaction; inside a transaction the caller
//   began through Execute a failing call undoes only itself, as in SQLite;
// - the read-only answer means the role may not write the project's tables;
// - OpenProjectDatabase answers "*REPAIR*" when the server finds an index of the
//   project's tables invalid, and the repair rebuilds them;
// - the caller's SQL is SQLite's dialect, translated (server_dialect.h).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "projectdb/open_projects.h"
#include "projectdb/project_database_component.h"
#include "projectdb/server_session.h"

class ServerCursor;

class ServerProjectDatabase final : public ProjectDatabaseComponent {
 public:
  static IUnknown* create();


  HRESULT raw_OpenProjectDatabase(BSTR path, long a, long b, BSTR* status) override;
  HRESULT raw_SelectTable(BSTR table, BSTR index) override;
  HRESULT raw_MoveFirst(VARIANT* row, VARIANT_BOOL* found) override;
  HRESULT raw_MoveNext(long count, VARIANT* row, VARIANT_BOOL* found) override;
  HRESULT raw_IsOpen(VARIANT_BOOL* open) override;
  HRESULT raw_CloseTable(BSTR table) override;
  HRESULT raw_AddRecord(const VARIANT& pairs, long flags, VARIANT* row, VARIANT_BOOL* ok) override;
  HRESULT raw_CloseDatabase(VARIANT* ignored) override;
  HRESULT raw_DeleteRecord(VARIANT* ignored) override;
  HRESULT raw_UpdateRecord(const VARIANT& pairs, VARIANT* row, VARIANT_BOOL* ok) override;
  HRESULT raw_Seek(const VARIANT& k1, VARIANT* row, VARIANT_BOOL* found) override;
  HRESULT raw_Seek2(const VARIANT& k1, const VARIANT& k2, VARIANT* row, VARIANT_BOOL* found) override;
  HRESULT raw_Seek3(const VARIANT& k1, const VARIANT& k2, const VARIANT& k3, VARIANT* row,
                    VARIANT_BOOL* found) override;
  HRESULT raw_Query(BSTR sql, VARIANT* rows, VARIANT_BOOL* ok) override;
  HRESULT raw_Execute(BSTR sql, VARIANT_BOOL* ok) override;
  HRESULT raw_OpenDatabase(BSTR path, VARIANT_BOOL* readOnly, VARIANT_BOOL* ok) override;
  HRESULT raw_IsEOF(VARIANT_BOOL* eof) override;
  HRESULT raw_IsBOF(VARIANT_BOOL* bof) override;

 private:
  ServerProjectDatabase();
  ~ServerProjectDatabase() override;

  bool openFile(BSTR path);
  void forgetCursors();
  ServerCursor& currentCursor();
  HRESULT seekWith(const std::vector<const VARIANT*>& keys, VARIANT* row, VARIANT_BOOL* found);

  ServerSession session_;
  OpenProjectNote projectNote_;
  OpenProjectNote namedFileNote_{true};
  std::map<std::string, std::unique_ptr<ServerCursor>> cursors_;  // by lower-case table name
  ServerCursor* current_ = nullptr;
};

// The class registered as CLSID_ProjectDatabase: it opens a project file with the
// component that fits it (a server's or SQLite's) and passes every call on to that one.
IUnknown* createProjectDatabaseForFile();
