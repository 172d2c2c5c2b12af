// ProjectDatabase over SQLite: each interface call checks its arguments, works through
// the session and the table cursors in one transaction, and turns any failure into a
// pending error.
#include "projectdb/sqlite_project_database.h"

#include <sqlite3.h>

#include <memory>
#include <new>
#include <optional>

#include "arx/aced_print.h"
#include "projectdb/row_pairs.h"
#include "projectdb/server_project_database.h"
#include "projectdb/sql_value.h"

namespace {

std::string utf8(BSTR text) {
  return text == nullptr ? std::string() : acutWideToUtf8(std::wstring(text, SysStringLen(text)));
}

// A file path as the platform writes it: "\\" separates folders as "/" does.
std::string filePath(BSTR path) {
  std::string text = utf8(path);
  for (char& c : text)
    if (c == '\\') c = '/';
  return text;
}

VARIANT_BOOL flag(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

std::wstring wide(const std::string& text) { return acutUtf8ToWide(text); }

const std::wstring kNewRecordMark = L"*NewRecord*";

// Rows a query result makes room for at first; the array doubles when they are used up.
constexpr ULONG kFirstQueryRows = 16;

// A statement prepared from the caller's SQL, finalized on every way out.
using OwnedStatement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

}  // namespace

IUnknown* SqliteProjectDatabase::create() { return new (std::nothrow) SqliteProjectDatabase(); }

HRESULT registerProjectDatabaseClass() {
  // The class looks at the file it opens: SQLite's, or one naming a server.
  HRESULT hr = comRegisterClass(CLSID_ProjectDatabase, &createProjectDatabaseForFile);
  return FAILED(hr) ? hr : S_OK;
}

namespace {
// Loading the platform library registers the component, as installing it would.
const bool registeredAtLoad = SUCCEEDED(registerProjectDatabaseClass());
}  // namespace

// --- failures ---

void SqliteProjectDatabase::requireOpen() const {
  if (!session_.isOpen()) throw ComponentFailure{projectdb_error::kNotOpen, L"The database is not open."};
}

TableCursor& SqliteProjectDatabase::currentCursor() {
  requireOpen();
  if (current_ == nullptr) throw ComponentFailure{projectdb_error::kTableNotFound, L"No table is selected."};
  return *current_;
}

void SqliteProjectDatabase::forgetCursors() {
  current_ = nullptr;
  cursors_.clear();
}

void SqliteProjectDatabase::answerRow(bool found, CursorRow& row, VARIANT* out, VARIANT_BOOL* foundFlag) {
  VariantClear(out);
  if (found) *out = row.pairs.Detach();
  *foundFlag = flag(found);
}

// --- opening and closing ---

SqliteSession::OpenResult SqliteProjectDatabase::openFile(BSTR path) {
  forgetCursors();
  projectNote_.clear();
  namedFileNote_.clear();
  forgetError();
  ComponentFailure failure{0, {}};
  SqliteSession::OpenResult result = session_.open(filePath(path), failure);
  if (result != SqliteSession::OpenResult::Opened) setError(failure);
  return result;
}

HRESULT SqliteProjectDatabase::raw_OpenProjectDatabase(BSTR path, long, long, BSTR* status) {
  if (status == nullptr) return E_POINTER;
  const wchar_t* answer = L"";
  switch (openFile(path)) {
    case SqliteSession::OpenResult::Opened:
      answer = L"OK";
      if (!session_.integrityOk()) {
        setError({projectdb_error::kDamaged, L"The database '" + wide(filePath(path)) + L"' failed its integrity check."});
        session_.close();
        answer = L"*REPAIR*";
      } else {
        projectNote_.set(filePath(path));
      }
      break;
    case SqliteSession::OpenResult::Damaged:
      answer = L"*REPAIR*";
      break;
    default:
      break;
  }
  *status = SysAllocString(answer);
  return *status == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT SqliteProjectDatabase::raw_OpenDatabase(BSTR path, VARIANT_BOOL* readOnly, VARIANT_BOOL* ok) {
  if (readOnly == nullptr || ok == nullptr) return E_POINTER;
  bool opened = openFile(path) == SqliteSession::OpenResult::Opened;
  if (opened) namedFileNote_.set(filePath(path));
  *ok = flag(opened);
  *readOnly = flag(opened && session_.readOnly());
  return S_OK;
}

HRESULT SqliteProjectDatabase::raw_IsOpen(VARIANT_BOOL* open) {
  if (open == nullptr) return E_POINTER;
  *open = flag(session_.isOpen());
  return S_OK;
}

HRESULT SqliteProjectDatabase::raw_CloseDatabase(VARIANT* ignored) {
  if (ignored != nullptr) VariantClear(ignored);
  forgetCursors();
  projectNote_.clear();
  namedFileNote_.clear();
  session_.close();
  return S_OK;
}

// --- tables and cursors ---

HRESULT SqliteProjectDatabase::raw_SelectTable(BSTR table, BSTR index) {
  return guarded([&] {
    requireOpen();
    std::string name = utf8(table);
    auto kept = cursors_.find(lowerAscii(name));
    TableCursor* cursor = kept == cursors_.end() ? nullptr : &kept->second;
    std::shared_ptr<const TableInfo> info;
    std::string indexName = utf8(index);
    // Only when the schema is known to have changed; the index it followed may be gone
    // when another one is chosen now.
    if (cursor != nullptr)
      cursor->describeAgain(session_, indexName.empty() || cursor->follows(indexName));
    else if (!name.empty())
      info = session_.findTable(name);
    if (cursor == nullptr && !info)
      throw ComponentFailure{projectdb_error::kTableNotFound, L"Table '" + wide(name) + L"' was not found."};
    const TableInfo& described = cursor != nullptr ? cursor->table() : *info;
    std::optional<IndexInfo> chosen;
    if (!indexName.empty() && (cursor == nullptr || !cursor->follows(indexName))) {
      chosen = session_.findIndex(described, indexName);
      if (!chosen)
        throw ComponentFailure{projectdb_error::kIndexNotFound, L"'" + wide(indexName) +
                                                                    L"' is not an index in table '" +
                                                                    wide(described.name) + L"'."};
    }
    if (cursor == nullptr)
      cursor = &cursors_.emplace(lowerAscii(info->name), TableCursor(info, session_.schemaGeneration())).first->second;
    if (chosen)
      cursor->useIndex(std::move(*chosen));
    else if (!indexName.empty())
      cursor->placeAnew();
    current_ = cursor;
    return S_OK;
  });
}

HRESULT SqliteProjectDatabase::raw_CloseTable(BSTR table) {
  auto cursor = cursors_.find(lowerAscii(utf8(table)));
  if (cursor != cursors_.end()) {
    if (current_ == &cursor->second) current_ = nullptr;
    cursors_.erase(cursor);
  }
  return S_OK;
}

HRESULT SqliteProjectDatabase::raw_MoveFirst(VARIANT* row, VARIANT_BOOL* found) {
  if (row == nullptr || found == nullptr) return E_POINTER;
  return guarded([&] {
    CursorRow r;
    answerRow(currentCursor().moveFirst(session_, r), r, row, found);
    return S_OK;
  });
}

HRESULT SqliteProjectDatabase::raw_MoveNext(long count, VARIANT* row, VARIANT_BOOL* found) {
  if (row == nullptr || found == nullptr) return E_POINTER;
  return guarded([&] {
    TableCursor& cursor = currentCursor();
    if (count < 1)
      throw ComponentFailure{projectdb_error::kInvalidArgument, L"MoveNext needs a count of at least 1."};
    CursorRow r;
    answerRow(cursor.moveNext(session_, count, r), r, row, found);
    return S_OK;
  });
}

HRESULT SqliteProjectDatabase::raw_IsEOF(VARIANT_BOOL* eof) {
  if (eof == nullptr) return E_POINTER;
  return guarded([&] {
    *eof = flag(currentCursor().atEnd(session_));
    return S_OK;
  });
}

HRESULT SqliteProjectDatabase::raw_IsBOF(VARIANT_BOOL* bof) {
  if (bof == nullptr) return E_POINTER;
  return guarded([&] {
    *bof = flag(currentCursor().atStart(session_));
    return S_OK;
  });
}

HRESULT SqliteProjectDatabase::seekWith(const std::vector<const VARIANT*>& keys, VARIANT* row, VARIANT_BOOL* found) {
  if (row == nullptr || found == nullptr) return E_POINTER;
  return guarded([&] {
    TableCursor& cursor = currentCursor();
    ReadTransaction transaction(session_);
    cursor.describeAgain(session_);
    if (keys.size() > cursor.seekableColumns())
      throw ComponentFailure{projectdb_error::kInvalidArgument,
                             L"Index '" + wide(cursor.index().name) + L"' of table '" + wide(cursor.table().name) +
                                 L"' has fewer columns than the keys given."};
    std::vector<SqlValue> values(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
      if (!sqlValueFromVariant(*keys[i], values[i]))
        throw ComponentFailure{projectdb_error::kInvalidArgument, L"A seek key is of a kind the database cannot hold."};
    CursorRow r;
    answerRow(cursor.seek(session_, values, r), r, row, found);
    return S_OK;
  });
}

HRESULT SqliteProjectDatabase::raw_Seek(const VARIANT& k1, VARIANT* row, VARIANT_BOOL* found) {
  return seekWith({&k1}, row, found);
}

HRESULT SqliteProjectDatabase::raw_Seek2(const VARIANT& k1, const VARIANT& k2, VARIANT* row, VARIANT_BOOL* found) {
  return seekWith({&k1, &k2}, row, found);
}

HRESULT SqliteProjectDatabase::raw_Seek3(const VARIANT& k1, const VARIANT& k2, const VARIANT& k3, VARIANT* row,
                                         VARIANT_BOOL* found) {
  return seekWith({&k1, &k2, &k3}, row, found);
}

// --- writing rows ---

HRESULT SqliteProjectDatabase::raw_AddRecord(const VARIANT& pairs, long, VARIANT* row, VARIANT_BOOL* ok) {
  if (row == nullptr || ok == nullptr) return E_POINTER;
  return guarded([&] {
    TableCursor& cursor = currentCursor();
    std::vector<ColumnValue> values = pairsFromVariant(pairs, cursor.table());
    WriteTransaction transaction(session_);
    if (cursor.describeAgain(session_)) values = pairsFromVariant(pairs, cursor.table());
    std::string sql = "INSERT INTO " + quoteIdentifier(cursor.table().name);
    if (values.empty()) {
      sql += " DEFAULT VALUES";
    } else {
      std::string names;
      std::string marks;
      for (const ColumnValue& v : values) {
        names += (names.empty() ? "" : ", ") + quoteIdentifier(v.column);
        marks += marks.empty() ? "?" : ", ?";
      }
      sql += " (" + names + ") VALUES (" + marks + ")";
    }
    {
      StatementUse use(session_.statement(sql));
      for (std::size_t i = 0; i < values.size(); ++i) bindSqlValue(use.get(), static_cast<int>(i + 1), values[i].value);
      int rc = sqlite3_step(use.get());
      if (rc != SQLITE_DONE) session_.raise(rc);
    }
    CursorRow r;
    bool found = cursor.readRow(session_, sqlite3_last_insert_rowid(session_.handle()), r);
    transaction.commit();
    if (found) cursor.placeOn(r);
    answerRow(found, r, row, ok);
    return S_OK;
  });
}

HRESULT SqliteProjectDatabase::raw_UpdateRecord(const VARIANT& pairs, VARIANT* row, VARIANT_BOOL* ok) {
  if (row == nullptr || ok == nullptr) return E_POINTER;
  return guarded([&] {
    TableCursor& cursor = currentCursor();
    std::vector<ColumnValue> values = pairsFromVariant(pairs, cursor.table());
    // Nothing to write only reads the row back.
    std::optional<WriteTransaction> write;
    std::optional<ReadTransaction> read;
    if (values.empty())
      read.emplace(session_);
    else
      write.emplace(session_);
    if (cursor.describeAgain(session_)) values = pairsFromVariant(pairs, cursor.table());
    cursor.settlePlace(session_);
    if (!cursor.hasCurrentRow()) throw ComponentFailure{projectdb_error::kNoCurrentRecord, L"No current record."};
    for (const ColumnValue& v : values)
      if (v.column == cursor.table().keyColumn)
        throw ComponentFailure{projectdb_error::kInvalidArgument,
                               L"The key column '" + wide(v.column) + L"' cannot be changed."};
    if (!values.empty()) {
      std::string sql = "UPDATE " + quoteIdentifier(cursor.table().name) + " SET ";
      for (std::size_t i = 0; i < values.size(); ++i) sql += (i ? ", " : "") + quoteIdentifier(values[i].column) + " = ?";
      sql += " WHERE " + cursor.keyExpression() + " = ?";
      StatementUse use(session_.statement(sql));
      for (std::size_t i = 0; i < values.size(); ++i) bindSqlValue(use.get(), static_cast<int>(i + 1), values[i].value);
      sqlite3_bind_int64(use.get(), static_cast<int>(values.size() + 1), cursor.currentKey());
      int rc = sqlite3_step(use.get());
      if (rc != SQLITE_DONE) session_.raise(rc);
      if (sqlite3_changes(session_.handle()) == 0) {
        cursor.markCurrentDeleted();
        throw ComponentFailure{projectdb_error::kNoCurrentRecord, L"No current record."};
      }
    }
    CursorRow r;
    bool found = cursor.readRow(session_, cursor.currentKey(), r);
    if (write) write->commit();
    if (found) cursor.placeOn(r);
    answerRow(found, r, row, ok);
    return S_OK;
  });
}

HRESULT SqliteProjectDatabase::raw_DeleteRecord(VARIANT* ignored) {
  return guarded([&] {
    if (ignored != nullptr) VariantClear(ignored);
    TableCursor& cursor = currentCursor();
    WriteTransaction transaction(session_);
    cursor.describeAgain(session_);
    cursor.settlePlace(session_);
    if (!cursor.hasCurrentRow()) throw ComponentFailure{projectdb_error::kNoCurrentRecord, L"No current record."};
    {
      StatementUse use(session_.statement("DELETE FROM " + quoteIdentifier(cursor.table().name) + " WHERE " +
                                          cursor.keyExpression() + " = ?"));
      sqlite3_bind_int64(use.get(), 1, cursor.currentKey());
      int rc = sqlite3_step(use.get());
      if (rc != SQLITE_DONE) session_.raise(rc);
    }
    bool gone = sqlite3_changes(session_.handle()) == 0;
    if (!gone) transaction.commit();
    // The cursor keeps the deleted row's place, so that MoveNext goes on from there.
    cursor.markCurrentDeleted();
    if (gone) throw ComponentFailure{projectdb_error::kNoCurrentRecord, L"No current record."};
    return S_OK;
  });
}

// --- errors ---

// --- SQL text ---

void SqliteProjectDatabase::noteTransactionEnd(bool wasInTransaction) {
  if (wasInTransaction && sqlite3_get_autocommit(session_.handle()) != 0) session_.schemaMayHaveChanged();
}

HRESULT SqliteProjectDatabase::raw_Query(BSTR sql, VARIANT* rows, VARIANT_BOOL* ok) {
  if (rows == nullptr || ok == nullptr) return E_POINTER;
  return guarded([&] {
    requireOpen();
    *ok = VARIANT_FALSE;
    VariantClear(rows);
    std::string text = utf8(sql);
    bool wasInTransaction = sqlite3_get_autocommit(session_.handle()) == 0;
    int rc = SQLITE_OK;
    bool several = false;
    sqlite3_stmt* statement = session_.callerStatement(text, rc, several);
    if (several) {
      setError({projectdb_error::kSqlFailure, L"Query runs one statement; use Execute for several."});
      return S_OK;
    }
    bool anyRow = false;
    BstrBatch texts;
    std::optional<VariantArrayBuilder> list;
    if (statement != nullptr) {
      StatementUse use(statement);
      int columns = sqlite3_column_count(statement);
      std::vector<std::wstring> names;
      while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        if (!anyRow) {
          anyRow = true;
          // Read after the first step: a changed schema prepares the statement anew.
          columns = sqlite3_column_count(statement);
          for (int c = 0; c < columns; ++c) {
            const char* name = sqlite3_column_name(statement, c);
            names.push_back(wide(name == nullptr ? "" : name));
          }
          list.emplace(kFirstQueryRows * static_cast<ULONG>(1 + 2 * columns), &texts);
        }
        list->addText(kNewRecordMark);
        for (int c = 0; c < columns; ++c) {
          list->addText(names[static_cast<std::size_t>(c)]);
          list->addColumn(statement, c);
        }
      }
      if (rc == SQLITE_DONE) rc = SQLITE_OK;
      if (rc != SQLITE_OK) setError(sqliteFailure(session_.handle(), rc));
    } else if (rc != SQLITE_OK) {
      setError(sqliteFailure(session_.handle(), rc));
    }
    noteTransactionEnd(wasInTransaction);
    if (rc != SQLITE_OK) {
      // Prepared again next time, in case the schema it was made for is gone.
      session_.forgetCallerStatement(text);
      return S_OK;
    }
    if (!list) list.emplace(0);
    list->moveInto(*rows);
    *ok = flag(anyRow);
    return S_OK;
  });
}

void SqliteProjectDatabase::runStatements(const std::string& sql) {
  const char* next = sql.c_str();
  while (next != nullptr && *next != '\0') {
    sqlite3_stmt* prepared = nullptr;
    int rc = sqlite3_prepare_v2(session_.handle(), next, -1, &prepared, &next);
    OwnedStatement statement(prepared, &sqlite3_finalize);
    if (rc != SQLITE_OK) session_.raise(rc);
    if (!statement) break;  // only blanks or comments were left
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) session_.raise(rc);
  }
}

HRESULT SqliteProjectDatabase::raw_Execute(BSTR sql, VARIANT_BOOL* ok) {
  if (ok == nullptr) return E_POINTER;
  return guarded([&] {
    requireOpen();
    *ok = VARIANT_FALSE;
    bool wasInTransaction = sqlite3_get_autocommit(session_.handle()) == 0;
    try {
      runStatements(utf8(sql));
    } catch (const ComponentFailure& failure) {
      noteTransactionEnd(wasInTransaction);
      setError(failure);
      return S_OK;
    }
    noteTransactionEnd(wasInTransaction);
    *ok = VARIANT_TRUE;
    return S_OK;
  });
}
