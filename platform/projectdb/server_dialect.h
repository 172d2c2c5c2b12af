// SQL as the module and the host program write it (SQLite's dialect) turned into SQL a
// PostgreSQL server runs the same way: the callers' texts stay as they are on both
// kinds of project.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

// The names of the project's tables, columns and indexes as the server keeps them
// (case kept), by their lower-case form. SQLite finds a name in any case; the server
// would fold an unquoted one to lower case and miss a table made as "tblPipe".
using ServerNames = std::unordered_map<std::string, std::string>;

struct ServerSql {
  std::string text;
  int parameters = 0;          // "?" marks turned into $1, $2 ...
  bool changesSchema = false;  // CREATE, ALTER or DROP: names must be read again
  int statements = 0;
  bool addedStatements = false;  // the server runs more than the caller wrote (see below)
};

// Translates one or more statements:
// - a name of the project in any case, bare or double-quoted, becomes the quoted
//   name as kept; a double-quoted text that names nothing is a text literal, as
//   SQLite reads it (the label-group updates write their texts that way);
// - "?" becomes $n; LIKE compares without case, as SQLite's does; ifnull is coalesce;
// - sqlite_master and pragma_table_info(...) read the server's catalog instead;
// - a subquery in FROM without a name gets one;
// - CREATE TABLE / INDEX and ALTER TABLE keep their names' case, types become the
//   server's (an INTEGER PRIMARY KEY becomes a key the server hands out, texts
//   compare byte by byte as SQLite's do), COLLATE NOCASE is dropped; a key the
//   caller gives moves the table's key sequence past it (a trigger), so that a key once
//   given is never handed out again, as with SQLite's AUTOINCREMENT;
// - BEGIN IMMEDIATE/DEFERRED/EXCLUSIVE and END are BEGIN and COMMIT, PRAGMA is nothing.
ServerSql translateForServer(std::string_view sql, const ServerNames& names);

// A quoted identifier for the server: "name" with inner quotes doubled.
std::string serverIdentifier(std::string_view name);
