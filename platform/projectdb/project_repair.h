// Repairing a project database file, as the application's LISP program does when the
// database component asks for it.
#pragma once

#include <string>

// Rebuilds what SQLite can rebuild of a damaged project file (its indexes, then the
// file itself; on a server, the indexes of the project's tables) and answers whether the file then passes the integrity check. A file
// that is missing or not a database answers false with the reason; nothing is created.
bool projectDatabaseRepair(const std::wstring& path, std::wstring& error);
