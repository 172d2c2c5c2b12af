// The copy reads both projects through the host program's connection, so that the
// same SQL reads an SQLite file and a server (the catalog included).
#include "projectdb/project_copy.h"

#include <set>

#include "arx/aced_print.h"
#include "projectdb/project_sql.h"

namespace {

std::wstring quoted(const std::wstring& name) { return L"\"" + name + L"\""; }

}  // namespace

long copyProjectRows(const std::string& from, const std::string& to, std::wstring& error) {
  ProjectSqlConnection source;
  ProjectSqlConnection target;
  if (!source.open(from, error) || !target.open(to, error)) return -1;
  std::vector<SqlRow> tables;
  if (!source.run(L"SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite!_%' ESCAPE '!' "
                  L"ORDER BY name",
                  {}, tables, error))
    return -1;
  long copied = 0;
  for (const SqlRow& t : tables) {
    const std::wstring table = sqlText(t, 0);
    std::vector<SqlRow> columns, targetColumns, rows;
    const std::wstring describe = L"SELECT name, type FROM pragma_table_info(?) ORDER BY cid";
    if (!source.run(describe, {table}, columns, error) || !target.run(describe, {table}, targetColumns, error))
      return -1;
    if (targetColumns.empty()) {
      error = L"the project copied into has no table " + table;
      return -1;
    }
    std::set<std::wstring> present;
    for (const SqlRow& c : targetColumns) present.insert(sqlText(c, 0));
    std::wstring names, marks;
    for (const SqlRow& c : columns) {
      const std::wstring column = sqlText(c, 0);
      if (!present.count(column) &&
          !target.run(L"ALTER TABLE " + quoted(table) + L" ADD COLUMN " + quoted(column) + L" " + sqlText(c, 1), {},
                      rows, error))
        return -1;
      names += (names.empty() ? L"" : L", ") + quoted(column);
      marks += marks.empty() ? L"?" : L", ?";
    }
    if (!source.run(L"SELECT " + names + L" FROM " + quoted(table), {}, rows, error) ||
        !target.runEach(L"INSERT INTO " + quoted(table) + L" (" + names + L") VALUES (" + marks + L")", rows, error))
      return -1;
    copied += static_cast<long>(rows.size());
    // The server hands out keys from a sequence of its own, which must start past the
    // copied keys; SQLite's follows the highest key by itself.
    if (target.onServer() && !rows.empty() &&
        !target.run(L"SELECT setval(pg_get_serial_sequence(?, ?), (SELECT max(" + quoted(sqlText(columns[0], 0)) +
                        L") FROM " + quoted(table) + L"))",
                    {L"\"" + table + L"\"", sqlText(columns[0], 0)}, rows, error))
      return -1;
  }
  return copied;
}
