// ProjectDatabase over a PostgreSQL server. The cursor works as TableCursor does: it
// remembers the current row's index values and key, and each move selects the one row
// after them, so that no statement stays open between calls and rows others wrote are
// met. NULLs sort first in an ascending index and last in a descending one, as in
// SQLite.
#include "projectdb/server_project_database.h"

#include <new>
#include <optional>

#include "arx/aced_print.h"
#include "projectdb/row_pairs.h"
#include "projectdb/sqlite_project_database.h"

namespace {

std::string utf8(BSTR text) {
  return text == nullptr ? std::string() : acutWideToUtf8(std::wstring(text, SysStringLen(text)));
}

std::string filePath(BSTR path) {
  std::string text = utf8(path);
  for (char& c : text)
    if (c == '\\') c = '/';
  return text;
}

VARIANT_BOOL flag(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }
std::wstring wide(const std::string& text) { return acutUtf8ToWide(text); }

SqlValue integerValue(std::int64_t n) {
  SqlValue v;
  v.kind = SqlValue::Kind::Integer;
  v.integer = n;
  return v;
}

// Parameters of a statement being composed: each value added answers its mark.
struct Marks {
  std::vector<SqlValue> values;
  std::string add(SqlValue v) {
    values.push_back(std::move(v));
    return "$" + std::to_string(values.size());
  }
};

std::string equalTerm(const std::string& column, const SqlValue& value, Marks& marks) {
  return value.isNull() ? column + " IS NULL" : column + " = " + marks.add(value);
}

std::string afterTerm(const std::string& column, bool descending, const SqlValue& value, Marks& marks) {
  if (!descending) return value.isNull() ? column + " IS NOT NULL" : column + " > " + marks.add(value);
  if (value.isNull()) return "false";
  return "(" + column + " < " + marks.add(value) + " OR " + column + " IS NULL)";
}

// The row as name, value pairs of every column from `first` on.
_variant_t rowPairs(const ServerResult& result, int row, int first) {
  const int columns = result.columns();
  VariantArrayBuilder pairs(static_cast<ULONG>(2 * (columns - first)));
  for (int c = first; c < columns; ++c) {
    pairs.addText(wide(result.columnName(c)));
    pairs.addValue(result.value(row, c));
  }
  _variant_t out;
  pairs.moveInto(out);
  return out;
}

const std::wstring kNewRecordMark = L"*NewRecord*";

}  // namespace

struct ServerRow {
  std::int64_t key = 0;
  std::vector<SqlValue> indexValues;
  _variant_t pairs;
};

class ServerCursor {
 public:
  enum class Place { BeforeFirst, OnRow, AfterLast };

  ServerCursor(std::shared_ptr<const TableInfo> table, std::uint64_t generation)
      : table_(std::move(table)), generation_(generation), index_{table_->keyColumn, {}} {}

  const TableInfo& table() const { return *table_; }
  const IndexInfo& index() const { return index_; }
  bool follows(const std::string& name) const { return lowerAscii(name) == lowerAscii(index_.name); }
  bool hasCurrentRow() const { return place_ == Place::OnRow && !deleted_; }
  std::int64_t currentKey() const { return current_.key; }
  std::size_t seekableColumns() const { return index_.columns.empty() ? 1 : index_.columns.size(); }
  std::string key() const { return serverIdentifier(table_->keyColumn); }
  std::string name() const { return serverIdentifier(table_->name); }

  void useIndex(IndexInfo index) {
    index_ = std::move(index);
    placeAnew();
  }
  void placeAnew() {
    if (place_ != Place::OnRow) return;
    if (deleted_) place_ = Place::BeforeFirst;
    else placePending_ = true;
  }

  // As TableCursor::describeAgain: after a schema change the table and index are
  // looked up again, and a table without a key cannot be walked.
  void describeAgain(ServerSession& session, bool keepIndex = true) {
    if (generation_ == session.schemaGeneration()) return;
    std::shared_ptr<const TableInfo> table = session.findTable(table_->name);
    if (!table) throw ComponentFailure{projectdb_error::kTableNotFound, L"Table '" + wide(table_->name) + L"' was not found."};
    IndexInfo index{table->keyColumn, {}};
    if (keepIndex && !index_.columns.empty()) {
      std::optional<IndexInfo> found = session.findIndex(*table, index_.name);
      if (!found)
        throw ComponentFailure{projectdb_error::kIndexNotFound,
                               L"'" + wide(index_.name) + L"' is not an index in table '" + wide(table->name) + L"'."};
      index = std::move(*found);
    }
    table_ = std::move(table);
    generation_ = session.schemaGeneration();
    useIndex(std::move(index));
  }

  void settlePlace(ServerSession& session) {
    if (!placePending_) return;
    ServerRow row;
    if (readRow(session, current_.key, row)) placeOn(row);
    else place_ = Place::BeforeFirst;
    placePending_ = false;
  }

  bool moveFirst(ServerSession& session, ServerRow& row) {
    describeAgain(session);
    Marks marks;
    return land(fetch(session, select() + order() + " LIMIT 1", marks, row), row);
  }

  bool moveNext(ServerSession& session, long count, ServerRow& row) {
    if (place_ == Place::AfterLast && !placePending_) return false;
    describeAgain(session);
    settlePlace(session);
    if (place_ == Place::AfterLast) return false;
    Marks marks;
    std::string where = place_ == Place::BeforeFirst ? std::string() : " WHERE " + afterCondition(marks);
    const std::string offset = marks.add(integerValue(count - 1));
    return land(fetch(session, select() + where + order() + " LIMIT 1 OFFSET " + offset, marks, row), row);
  }

  bool seek(ServerSession& session, const std::vector<SqlValue>& keys, ServerRow& row) {
    describeAgain(session);
    std::vector<std::string> columns = orderColumns();
    Marks marks;
    std::string condition;
    for (std::size_t i = 0; i < keys.size() && i < columns.size(); ++i)
      condition += (i ? " AND " : " WHERE ") + equalTerm(columns[i], keys[i], marks);
    return land(fetch(session, select() + condition + order() + " LIMIT 1", marks, row), row);
  }

  bool readRow(ServerSession& session, std::int64_t key, ServerRow& row) {
    Marks marks;
    return fetch(session, select() + " WHERE " + this->key() + " = " + marks.add(integerValue(key)), marks, row);
  }

  bool atStart(ServerSession& session) {
    if (place_ == Place::BeforeFirst) return true;
    describeAgain(session);
    settlePlace(session);
    return place_ == Place::BeforeFirst || empty(session);
  }
  bool atEnd(ServerSession& session) {
    if (place_ == Place::AfterLast && !placePending_) return true;
    describeAgain(session);
    settlePlace(session);
    return place_ == Place::AfterLast || empty(session);
  }

  void placeOn(const ServerRow& row) {
    place_ = Place::OnRow;
    deleted_ = false;
    placePending_ = false;
    current_.key = row.key;
    current_.indexValues = row.indexValues;
  }
  void markCurrentDeleted() { deleted_ = true; }

  // Reads a row an INSERT or UPDATE answered with RETURNING, as fetch reads one.
  void takeRow(const ServerResult& result, ServerRow& row) const {
    row.key = result.value(0, 0).integer;
    row.indexValues.clear();
    for (std::size_t i = 0; i < index_.columns.size(); ++i) row.indexValues.push_back(result.value(0, static_cast<int>(i) + 1));
    row.pairs = rowPairs(result, 0, static_cast<int>(index_.columns.size()) + 1);
  }
  // What RETURNING and SELECT list: the key, the index's values, then every column.
  std::string selectList() const {
    if (table_->keyColumn.empty())
      throw ComponentFailure{projectdb_error::kInvalidArgument,
                             L"Table '" + wide(table_->name) + L"' has no key column, which the server needs."};
    std::string list = key();
    for (const IndexColumn& c : index_.columns) list += ", " + serverIdentifier(c.name);
    return list + ", *";
  }

 private:
  std::string select() const { return "SELECT " + selectList() + " FROM " + name(); }
  std::vector<std::string> orderColumns() const {
    std::vector<std::string> columns;
    for (const IndexColumn& c : index_.columns) columns.push_back(serverIdentifier(c.name));
    columns.push_back(key());
    return columns;
  }
  std::string order() const {
    std::string text = " ORDER BY ";
    for (const IndexColumn& c : index_.columns)
      text += serverIdentifier(c.name) + (c.descending ? " DESC NULLS LAST, " : " ASC NULLS FIRST, ");
    return text + key();
  }
  // (c1, c2, key) after (v1, v2, k): some column sorts after its value while every
  // column before it equals its value.
  std::string afterCondition(Marks& marks) const {
    std::vector<std::string> columns = orderColumns();
    std::vector<SqlValue> values = current_.indexValues;
    values.push_back(integerValue(current_.key));
    std::string condition;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      std::string term;
      for (std::size_t j = 0; j < i; ++j) term += equalTerm(columns[j], values[j], marks) + " AND ";
      const bool descending = i < index_.columns.size() && index_.columns[i].descending;
      term += afterTerm(columns[i], descending, values[i], marks);
      condition += (i == 0 ? "(" : " OR (") + term + ")";
    }
    return condition;
  }
  bool fetch(ServerSession& session, const std::string& sql, Marks& marks, ServerRow& row) {
    ServerResult result = session.run(sql, marks.values);
    if (result.rows() == 0) return false;
    takeRow(result, row);
    return true;
  }
  bool land(bool found, const ServerRow& row) {
    if (found) {
      placeOn(row);
    } else {
      place_ = Place::AfterLast;
      placePending_ = false;
    }
    return found;
  }
  bool empty(ServerSession& session) { return session.run("SELECT 1 FROM " + name() + " LIMIT 1").rows() == 0; }

  std::shared_ptr<const TableInfo> table_;
  std::uint64_t generation_;
  IndexInfo index_;
  Place place_ = Place::BeforeFirst;
  bool deleted_ = false;
  bool placePending_ = false;
  ServerRow current_;
};

ServerProjectDatabase::ServerProjectDatabase() = default;
ServerProjectDatabase::~ServerProjectDatabase() = default;

IUnknown* ServerProjectDatabase::create() { return new (std::nothrow) ServerProjectDatabase(); }

ServerCursor& ServerProjectDatabase::currentCursor() {
  if (!session_.isOpen()) throw ComponentFailure{projectdb_error::kNotOpen, L"The database is not open."};
  if (current_ == nullptr) throw ComponentFailure{projectdb_error::kTableNotFound, L"No table is selected."};
  return *current_;
}

void ServerProjectDatabase::forgetCursors() {
  current_ = nullptr;
  cursors_.clear();
}

namespace {
void answerRow(bool found, ServerRow& row, VARIANT* out, VARIANT_BOOL* foundFlag) {
  VariantClear(out);
  if (found) *out = row.pairs.Detach();
  *foundFlag = flag(found);
}
}  // namespace

// --- opening and closing ---

bool ServerProjectDatabase::openFile(BSTR path) {
  forgetCursors();
  projectNote_.clear();
  namedFileNote_.clear();
  forgetError();
  const std::string uri = serverUriOfProjectFile(filePath(path));
  ComponentFailure failure{projectdb_error::kCannotOpen, L"'" + wide(filePath(path)) + L"' does not name a server."};
  if (!uri.empty() && session_.connect(uri, failure)) return true;
  setError(failure);
  return false;
}

HRESULT ServerProjectDatabase::raw_OpenProjectDatabase(BSTR path, long, long, BSTR* status) {
  if (status == nullptr) return E_POINTER;
  const wchar_t* answer = L"";
  if (openFile(path)) {
    answer = L"OK";
    bool valid = false;
    try {
      valid = session_.indexesValid();
    } catch (const ComponentFailure& failure) {
      setError(failure);
    }
    if (!valid) {
      if (!errorPending())
        setError({projectdb_error::kDamaged, L"An index of the project's tables on its server is not valid."});
      session_.close();
      answer = L"*REPAIR*";
    } else {
      projectNote_.set(filePath(path));
    }
  }
  *status = SysAllocString(answer);
  return *status == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT ServerProjectDatabase::raw_OpenDatabase(BSTR path, VARIANT_BOOL* readOnly, VARIANT_BOOL* ok) {
  if (readOnly == nullptr || ok == nullptr) return E_POINTER;
  bool opened = openFile(path);
  if (opened) namedFileNote_.set(filePath(path));
  *ok = flag(opened);
  *readOnly = flag(opened && session_.readOnly());
  return S_OK;
}

HRESULT ServerProjectDatabase::raw_IsOpen(VARIANT_BOOL* open) {
  if (open == nullptr) return E_POINTER;
  *open = flag(session_.isOpen());
  return S_OK;
}

HRESULT ServerProjectDatabase::raw_CloseDatabase(VARIANT* ignored) {
  if (ignored != nullptr) VariantClear(ignored);
  forgetCursors();
  projectNote_.clear();
  namedFileNote_.clear();
  session_.close();
  return S_OK;
}

// --- tables and cursors ---

HRESULT ServerProjectDatabase::raw_SelectTable(BSTR table, BSTR index) {
  return guarded([&] {
    if (!session_.isOpen()) throw ComponentFailure{projectdb_error::kNotOpen, L"The database is not open."};
    std::string name = utf8(table);
    std::string indexName = utf8(index);
    auto kept = cursors_.find(lowerAscii(name));
    ServerCursor* cursor = kept == cursors_.end() ? nullptr : kept->second.get();
    std::shared_ptr<const TableInfo> info;
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
        throw ComponentFailure{projectdb_error::kIndexNotFound, L"'" + wide(indexName) + L"' is not an index in table '" +
                                                                    wide(described.name) + L"'."};
    }
    if (cursor == nullptr)
      cursor = cursors_.emplace(lowerAscii(info->name), std::make_unique<ServerCursor>(info, session_.schemaGeneration()))
                   .first->second.get();
    if (chosen) cursor->useIndex(std::move(*chosen));
    else if (!indexName.empty()) cursor->placeAnew();
    current_ = cursor;
    return S_OK;
  });
}

HRESULT ServerProjectDatabase::raw_CloseTable(BSTR table) {
  auto cursor = cursors_.find(lowerAscii(utf8(table)));
  if (cursor != cursors_.end()) {
    if (current_ == cursor->second.get()) current_ = nullptr;
    cursors_.erase(cursor);
  }
  return S_OK;
}

HRESULT ServerProjectDatabase::raw_MoveFirst(VARIANT* row, VARIANT_BOOL* found) {
  if (row == nullptr || found == nullptr) return E_POINTER;
  return guarded([&] {
    ServerRow r;
    answerRow(currentCursor().moveFirst(session_, r), r, row, found);
    return S_OK;
  });
}

HRESULT ServerProjectDatabase::raw_MoveNext(long count, VARIANT* row, VARIANT_BOOL* found) {
  if (row == nullptr || found == nullptr) return E_POINTER;
  return guarded([&] {
    ServerCursor& cursor = currentCursor();
    if (count < 1) throw ComponentFailure{projectdb_error::kInvalidArgument, L"MoveNext needs a count of at least 1."};
    ServerRow r;
    answerRow(cursor.moveNext(session_, count, r), r, row, found);
    return S_OK;
  });
}

HRESULT ServerProjectDatabase::raw_IsEOF(VARIANT_BOOL* eof) {
  if (eof == nullptr) return E_POINTER;
  return guarded([&] {
    *eof = flag(currentCursor().atEnd(session_));
    return S_OK;
  });
}

HRESULT ServerProjectDatabase::raw_IsBOF(VARIANT_BOOL* bof) {
  if (bof == nullptr) return E_POINTER;
  return guarded([&] {
    *bof = flag(currentCursor().atStart(session_));
    return S_OK;
  });
}

HRESULT ServerProjectDatabase::seekWith(const std::vector<const VARIANT*>& keys, VARIANT* row, VARIANT_BOOL* found) {
  if (row == nullptr || found == nullptr) return E_POINTER;
  return guarded([&] {
    ServerCursor& cursor = currentCursor();
    cursor.describeAgain(session_);
    if (keys.size() > cursor.seekableColumns())
      throw ComponentFailure{projectdb_error::kInvalidArgument, L"Index '" + wide(cursor.index().name) + L"' of table '" +
                                                                    wide(cursor.table().name) +
                                                                    L"' has fewer columns than the keys given."};
    std::vector<SqlValue> values(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
      if (!sqlValueFromVariant(*keys[i], values[i]))
        throw ComponentFailure{projectdb_error::kInvalidArgument, L"A seek key is of a kind the database cannot hold."};
    ServerRow r;
    answerRow(cursor.seek(session_, values, r), r, row, found);
    return S_OK;
  });
}

HRESULT ServerProjectDatabase::raw_Seek(const VARIANT& k1, VARIANT* row, VARIANT_BOOL* found) {
  return seekWith({&k1}, row, found);
}

HRESULT ServerProjectDatabase::raw_Seek2(const VARIANT& k1, const VARIANT& k2, VARIANT* row, VARIANT_BOOL* found) {
  return seekWith({&k1, &k2}, row, found);
}

HRESULT ServerProjectDatabase::raw_Seek3(const VARIANT& k1, const VARIANT& k2, const VARIANT& k3, VARIANT* row,
                                         VARIANT_BOOL* found) {
  return seekWith({&k1, &k2, &k3}, row, found);
}

// --- writing rows: each one statement that answers the row written ---

namespace {
// The pairs read against the table; a column another connection added since the table
// was described makes the description be read again once.
std::vector<ColumnValue> pairsFor(const VARIANT& pairs, ServerSession& session, ServerCursor& cursor) {
  try {
    return pairsFromVariant(pairs, cursor.table());
  } catch (const ComponentFailure& failure) {
    if (failure.code != projectdb_error::kColumnNotFound) throw;
    session.schemaChanged();
    cursor.describeAgain(session);
    return pairsFromVariant(pairs, cursor.table());
  }
}
}  // namespace

HRESULT ServerProjectDatabase::raw_AddRecord(const VARIANT& pairs, long, VARIANT* row, VARIANT_BOOL* ok) {
  if (row == nullptr || ok == nullptr) return E_POINTER;
  return guarded([&] {
    ServerCursor& cursor = currentCursor();
    cursor.describeAgain(session_);
    std::vector<ColumnValue> values = pairsFor(pairs, session_, cursor);
    std::string sql = "INSERT INTO " + cursor.name();
    Marks marks;
    if (values.empty()) {
      sql += " DEFAULT VALUES";
    } else {
      std::string names, list;
      for (const ColumnValue& v : values) {
        names += (names.empty() ? "" : ", ") + serverIdentifier(v.column);
        list += (list.empty() ? "" : ", ") + marks.add(v.value);
      }
      sql += " (" + names + ") VALUES (" + list + ")";
    }
    ServerResult result = session_.run(sql + " RETURNING " + cursor.selectList(), marks.values);
    ServerRow r;
    const bool found = result.rows() == 1;
    if (found) {
      cursor.takeRow(result, r);
      cursor.placeOn(r);
    }
    answerRow(found, r, row, ok);
    return S_OK;
  });
}

HRESULT ServerProjectDatabase::raw_UpdateRecord(const VARIANT& pairs, VARIANT* row, VARIANT_BOOL* ok) {
  if (row == nullptr || ok == nullptr) return E_POINTER;
  return guarded([&] {
    ServerCursor& cursor = currentCursor();
    cursor.describeAgain(session_);
    std::vector<ColumnValue> values = pairsFor(pairs, session_, cursor);
    cursor.settlePlace(session_);
    if (!cursor.hasCurrentRow()) throw ComponentFailure{projectdb_error::kNoCurrentRecord, L"No current record."};
    for (const ColumnValue& v : values)
      if (v.column == cursor.table().keyColumn)
        throw ComponentFailure{projectdb_error::kInvalidArgument, L"The key column '" + wide(v.column) + L"' cannot be changed."};
    Marks marks;
    std::string sql;
    if (values.empty()) {
      sql = "SELECT " + cursor.selectList() + " FROM " + cursor.name();
    } else {
      sql = "UPDATE " + cursor.name() + " SET ";
      for (std::size_t i = 0; i < values.size(); ++i)
        sql += (i ? ", " : "") + serverIdentifier(values[i].column) + " = " + marks.add(values[i].value);
    }
    sql += " WHERE " + cursor.key() + " = " + marks.add(integerValue(cursor.currentKey()));
    if (!values.empty()) sql += " RETURNING " + cursor.selectList();
    ServerResult result = session_.run(sql, marks.values);
    if (result.rows() == 0) {
      cursor.markCurrentDeleted();
      throw ComponentFailure{projectdb_error::kNoCurrentRecord, L"No current record."};
    }
    ServerRow r;
    cursor.takeRow(result, r);
    cursor.placeOn(r);
    answerRow(true, r, row, ok);
    return S_OK;
  });
}

HRESULT ServerProjectDatabase::raw_DeleteRecord(VARIANT* ignored) {
  return guarded([&] {
    if (ignored != nullptr) VariantClear(ignored);
    ServerCursor& cursor = currentCursor();
    cursor.describeAgain(session_);
    cursor.settlePlace(session_);
    if (!cursor.hasCurrentRow()) throw ComponentFailure{projectdb_error::kNoCurrentRecord, L"No current record."};
    ServerResult result = session_.run("DELETE FROM " + cursor.name() + " WHERE " + cursor.key() + " = $1 RETURNING 1",
                                       {integerValue(cursor.currentKey())});
    // The cursor keeps the deleted row's place, so that MoveNext goes on from there.
    cursor.markCurrentDeleted();
    if (result.rows() == 0) throw ComponentFailure{projectdb_error::kNoCurrentRecord, L"No current record."};
    return S_OK;
  });
}

// --- errors ---

// --- SQL text ---

HRESULT ServerProjectDatabase::raw_Query(BSTR sql, VARIANT* rows, VARIANT_BOOL* ok) {
  if (rows == nullptr || ok == nullptr) return E_POINTER;
  return guarded([&] {
    if (!session_.isOpen()) throw ComponentFailure{projectdb_error::kNotOpen, L"The database is not open."};
    *ok = VARIANT_FALSE;
    VariantClear(rows);
    std::optional<ServerResult> result;
    try {
      result.emplace(session_.runCaller(utf8(sql), {}, true));
    } catch (const ComponentFailure& failure) {
      setError(failure);
      return S_OK;
    }
    const int count = result->rows();
    const int columns = result->columns();
    BstrBatch texts;
    VariantArrayBuilder list(static_cast<ULONG>(count) * static_cast<ULONG>(1 + 2 * columns), &texts);
    std::vector<std::wstring> names;
    for (int c = 0; c < columns; ++c) names.push_back(wide(result->columnName(c)));
    for (int r = 0; r < count; ++r) {
      list.addText(kNewRecordMark);
      for (int c = 0; c < columns; ++c) {
        list.addText(names[static_cast<std::size_t>(c)]);
        if (FAILED(result->variant(r, c, list.append(), &texts))) throw std::bad_alloc();
      }
    }
    list.moveInto(*rows);
    *ok = flag(count > 0);
    return S_OK;
  });
}

HRESULT ServerProjectDatabase::raw_Execute(BSTR sql, VARIANT_BOOL* ok) {
  if (ok == nullptr) return E_POINTER;
  return guarded([&] {
    if (!session_.isOpen()) throw ComponentFailure{projectdb_error::kNotOpen, L"The database is not open."};
    *ok = VARIANT_FALSE;
    try {
      session_.runCaller(utf8(sql), {}, false);
    } catch (const ComponentFailure& failure) {
      setError(failure);
      return S_OK;
    }
    *ok = VARIANT_TRUE;
    return S_OK;
  });
}

// --- the registered class: one component or the other, chosen by the file ---

namespace {

class ProjectDatabaseForFile final : public ProjectDatabase {
 public:
  ProjectDatabaseForFile() { useKind(false); }

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
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT raw_OpenProjectDatabase(BSTR path, long a, long b, BSTR* status) override {
    choose(path);
    return inner_->raw_OpenProjectDatabase(path, a, b, status);
  }
  HRESULT raw_OpenDatabase(BSTR path, VARIANT_BOOL* readOnly, VARIANT_BOOL* ok) override {
    choose(path);
    return inner_->raw_OpenDatabase(path, readOnly, ok);
  }
  HRESULT raw_SelectTable(BSTR table, BSTR index) override { return inner_->raw_SelectTable(table, index); }
  HRESULT raw_MoveFirst(VARIANT* row, VARIANT_BOOL* found) override { return inner_->raw_MoveFirst(row, found); }
  HRESULT raw_MoveNext(long count, VARIANT* row, VARIANT_BOOL* found) override {
    return inner_->raw_MoveNext(count, row, found);
  }
  HRESULT raw_IsOpen(VARIANT_BOOL* open) override { return inner_->raw_IsOpen(open); }
  HRESULT raw_CloseTable(BSTR table) override { return inner_->raw_CloseTable(table); }
  HRESULT raw_AddRecord(const VARIANT& pairs, long flags, VARIANT* row, VARIANT_BOOL* ok) override {
    return inner_->raw_AddRecord(pairs, flags, row, ok);
  }
  HRESULT raw_CloseDatabase(VARIANT* ignored) override { return inner_->raw_CloseDatabase(ignored); }
  HRESULT raw_DeleteRecord(VARIANT* ignored) override { return inner_->raw_DeleteRecord(ignored); }
  HRESULT raw_ReadLastError(long* code, BSTR* message) override { return inner_->raw_ReadLastError(code, message); }
  HRESULT raw_HasError(VARIANT_BOOL* pending) override { return inner_->raw_HasError(pending); }
  HRESULT raw_UpdateRecord(const VARIANT& pairs, VARIANT* row, VARIANT_BOOL* ok) override {
    return inner_->raw_UpdateRecord(pairs, row, ok);
  }
  HRESULT raw_Seek(const VARIANT& k1, VARIANT* row, VARIANT_BOOL* found) override {
    return inner_->raw_Seek(k1, row, found);
  }
  HRESULT raw_Seek2(const VARIANT& k1, const VARIANT& k2, VARIANT* row, VARIANT_BOOL* found) override {
    return inner_->raw_Seek2(k1, k2, row, found);
  }
  HRESULT raw_Seek3(const VARIANT& k1, const VARIANT& k2, const VARIANT& k3, VARIANT* row,
                    VARIANT_BOOL* found) override {
    return inner_->raw_Seek3(k1, k2, k3, row, found);
  }
  HRESULT raw_Query(BSTR sql, VARIANT* rows, VARIANT_BOOL* ok) override { return inner_->raw_Query(sql, rows, ok); }
  HRESULT raw_Execute(BSTR sql, VARIANT_BOOL* ok) override { return inner_->raw_Execute(sql, ok); }
  HRESULT raw_IsEOF(VARIANT_BOOL* eof) override { return inner_->raw_IsEOF(eof); }
  HRESULT raw_IsBOF(VARIANT_BOOL* bof) override { return inner_->raw_IsBOF(bof); }

 private:
  ~ProjectDatabaseForFile() = default;

  void choose(BSTR path) {
    const bool server = !serverUriOfProjectFile(filePath(path)).empty();
    if (server != server_) {
      _variant_t ignored;
      inner_->raw_CloseDatabase(&ignored);
      useKind(server);
    }
  }
  void useKind(bool server) {
    IUnknown* made = server ? ServerProjectDatabase::create() : SqliteProjectDatabase::create();
    ProjectDatabase* component = nullptr;
    if (made != nullptr) made->QueryInterface(IID_ProjectDatabase, reinterpret_cast<void**>(&component));
    if (made != nullptr) made->Release();
    if (component == nullptr) throw std::bad_alloc();
    inner_.Attach(component);
    server_ = server;
  }

  std::atomic<ULONG> references_{1};
  ProjectDatabasePtr inner_;
  bool server_ = false;
};

}  // namespace

IUnknown* createProjectDatabaseForFile() {
  try {
    return new ProjectDatabaseForFile();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
