// The project database component over SQLite: the class registered as
// CLSID_ProjectDatabase. Only CoCreateInstance reaches it; the module sees the interface.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "projectdb/open_projects.h"
#include "projectdb/component_failure.h"
#include "projectdb/project_database_component.h"
#include "projectdb/sqlite_session.h"
#include "projectdb/table_cursor.h"

// Conventions of this component (what callers may rely on beyond the interface):
// - Rows hand out integers as VT_I4, reals VT_R8, texts VT_BSTR, NULL VT_NULL; booleans
//   are the integers -1/0 and so arrive as VT_I4. Sent VT_BOOL values are stored -1/0.
// - SelectTable(table, index): the key column's name selects key order; any other name
//   selects the SQLite index "<table>__<index>". A table keeps its cursor and index
//   until CloseTable; an empty index name keeps the index it had.
// - AddRecord makes the new row current. Seek that finds nothing leaves the cursor
//   after the last row.
// - Interface misuse (no open database, unknown table, index or column, bad arrays or
//   keys) and failures of row operations answer DISP_E_EXCEPTION with the error
//   pending; Query and Execute instead answer ok false with the error pending.
// - Opening a file (either open call) forgets a pending error. The numbers are in
//   component_failure.h. OpenProjectDatabase ignores its two numbers, AddRecord its flags.
// - Each call runs in one transaction of its own, or inside the one a caller began
//   through Execute; none stays open between calls. Table and index descriptions and
//   prepared statements are kept between calls and looked at again when the schema
//   changed, whoever changed it.
// - One component is used by one thread at a time.
class SqliteProjectDatabase final : public ProjectDatabaseComponent {
 public:
  // A new object holding one reference, as the class factory answers it.
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
  SqliteProjectDatabase() = default;
  ~SqliteProjectDatabase() override = default;


  SqliteSession::OpenResult openFile(BSTR path);
  void forgetCursors();
  void requireOpen() const;
  TableCursor& currentCursor();
  HRESULT seekWith(const std::vector<const VARIANT*>& keys, VARIANT* row, VARIANT_BOOL* found);
  // Hands the row over (or VT_EMPTY when there is none) and writes the found flag.
  void answerRow(bool found, CursorRow& row, VARIANT* out, VARIANT_BOOL* flag);
  void runStatements(const std::string& sql);
  // After caller SQL: a transaction it ended may have rolled a schema change back.
  void noteTransactionEnd(bool wasInTransaction);

  SqliteSession session_;
  OpenProjectNote projectNote_;       // while open as a project
  OpenProjectNote namedFileNote_{true};  // while open by name (OpenDatabase)
  std::map<std::string, TableCursor> cursors_;  // by lower-case table name
  TableCursor* current_ = nullptr;
};
