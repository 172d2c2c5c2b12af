// Composing and running the schema's statements.
#include "db/project_schema.h"

#include "db/component_error.h"

namespace {

const wchar_t* storageType(ColumnKind kind) {
  switch (kind) {
    case ColumnKind::Real: return L"REAL";
    case ColumnKind::Text: return L"TEXT";
    case ColumnKind::Int:
    case ColumnKind::Bool: break;
  }
  return L"INTEGER";
}

std::wstring columnDefinition(const ColumnDeclaration& column) {
  std::wstring definition = std::wstring(column.name) + L" " + storageType(column.kind);
  if (!column.nullable)
    definition += column.kind == ColumnKind::Text ? L" NOT NULL DEFAULT ''" : L" NOT NULL DEFAULT 0";
  return definition;
}

bool run(ProjectDatabase& db, const std::wstring& statement, std::wstring& error) {
  if (db.Execute(_bstr_t(statement)) == VARIANT_TRUE) return true;
  error = L"Cannot run \"" + statement + L"\": " + lastComponentError(db, L"the database gave no reason");
  return false;
}

}  // namespace

// A key once given is never given again: drawings, other tables and the host's own
// data keep keys long after a row is deleted, and a new row taking an old key would
// take over what pointed at the old one.
std::wstring createTableStatement(const TableDeclaration& table) {
  std::wstring sql =
      L"CREATE TABLE " + std::wstring(table.name) + L" (" + table.keyColumn() + L" INTEGER PRIMARY KEY AUTOINCREMENT";
  for (const ColumnDeclaration& column : table.columns.subspan(1)) sql += L", " + columnDefinition(column);
  return sql + L")";
}

std::wstring sqliteIndexName(const IndexDeclaration& index) {
  return std::wstring(projectTable(index.table).name) + L"__" + index.name;
}

std::wstring createIndexStatement(const IndexDeclaration& index) {
  std::wstring sql = std::wstring(index.unique ? L"CREATE UNIQUE INDEX " : L"CREATE INDEX ") + sqliteIndexName(index) +
                    L" ON " + projectTable(index.table).name + L" (";
  for (std::size_t i = 0; i < index.columns.size(); ++i) sql += (i ? L", " : L"") + std::wstring(index.columns[i]);
  return sql + L")";
}

std::wstring createProjectSchema(ProjectDatabase& db) {
  std::wstring error;
  for (const TableDeclaration& table : projectTables())
    if (!run(db, createTableStatement(table), error)) return error;
  for (const IndexDeclaration& index : projectIndexes())
    if (!run(db, createIndexStatement(index), error)) return error;
  return error;
}
