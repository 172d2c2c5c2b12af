// Statements the module composes itself (lists for dialogs, checks for use, updates
// across rows): run through the database component, results read from its flat rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "com/variant.h"
#include "projectdb/project_database.h"

// One result row: its values in the order the statement selects them.
struct QueryRow {
  std::vector<_variant_t> values;

  std::int32_t integer(std::size_t column) const;
  double real(std::size_t column) const;
  std::wstring text(std::size_t column) const;
};

// The rows of a SELECT; none when it answers none. A statement the database refuses
// is reported on the command line and raises the component's error, so that the
// dialog's frame ends the call rather than acting on a list that is not there.
std::vector<QueryRow> queryRows(const ProjectDatabasePtr& db, const std::wstring& sql);
// Runs any other statement, with the same failure handling.
void executeSql(const ProjectDatabasePtr& db, const std::wstring& sql);
// Runs a statement whose failure the caller lets pass: reported on the command line,
// answered false.
bool runSqlReported(const ProjectDatabasePtr& db, const std::wstring& sql);
