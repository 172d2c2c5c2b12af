// What the module knows of each project table at run time: its columns with their
// kinds and null marks, and its named indexes. Expanded from db/table_columns.h.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "db/table_columns.h"

enum class ColumnKind { Int, Text, Real, Bool };

struct ColumnDeclaration {
  const wchar_t* name;
  ColumnKind kind;
  bool nullable;
};

#define OV_TABLE_ENUMERATOR(table) table,
// One enumerator per table, named as the table, in schema order.
enum class ProjectTable { OV_PROJECT_TABLES(OV_TABLE_ENUMERATOR) };
#undef OV_TABLE_ENUMERATOR

struct TableDeclaration {
  ProjectTable id;
  const wchar_t* name;
  std::span<const ColumnDeclaration> columns;

  // The key column, always the first: "ix" followed by the name without "tbl".
  const wchar_t* keyColumn() const { return columns.front().name; }
  // The position of a column (exact, case-sensitive name), or -1.
  int columnIndex(std::wstring_view column) const;
};

// A named index of a table. The component knows an index by the table's own name for
// it; SQLite's index names are global, so the file holds it as "<table>__<name>".
struct IndexDeclaration {
  ProjectTable table;
  const wchar_t* name;
  std::span<const wchar_t* const> columns;
  bool unique = false;  // no two rows may hold the same values in these columns
};

const TableDeclaration& projectTable(ProjectTable table);
// Every table in schema order.
std::span<const TableDeclaration> projectTables();
// The table of that name (exact), or null.
const TableDeclaration* findProjectTable(std::wstring_view name);
// The named indexes beyond each table's key.
std::span<const IndexDeclaration> projectIndexes();
