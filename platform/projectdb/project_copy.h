// Moving a project between an SQLite file and a server, row for row.
#pragma once

#include <string>

// Copies every row of every table of the project file `from` into the project file
// `to` (either may name a server), keys and all, one transaction per table. The tables
// must be there in `to` and empty; a column `from` has and `to` lacks (one the host
// program added) is added first. New keys in `to` then follow the highest copied.
// Answers the number of rows copied, or -1 with the reason in `error`.
long copyProjectRows(const std::string& from, const std::string& to, std::wstring& error);
