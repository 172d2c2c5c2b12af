// The project database's tables and named indexes, created through the component.
#pragma once

#include <string>

#include "db/project_tables.h"
#include "projectdb/project_database.h"

// "CREATE TABLE ..." for a table: the key INTEGER PRIMARY KEY, then each column typed
// by its kind (booleans as integers holding -1 or 0); a column without a null mark is
// NOT NULL with a zero or empty default, so rows added with only some columns given
// read as the record classes expect.
std::wstring createTableStatement(const TableDeclaration& table);
// SQLite's name for a table's index: "<table>__<index>".
std::wstring sqliteIndexName(const IndexDeclaration& index);
std::wstring createIndexStatement(const IndexDeclaration& index);

// Creates every table and named index in an empty database. Answers the empty text,
// or what failed with the component's message; a failing call raises _com_error.
std::wstring createProjectSchema(ProjectDatabase& db);
