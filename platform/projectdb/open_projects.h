// The project files the component has open as projects (OpenProjectDatabase), so that
// the host's own LISP program reaches the project of the current drawing as the module
// found it, without knowing the module's rules for finding one; and the files a dialog
// was opened on by name (OpenDatabase), which the program works on while they are open.
#pragma once

#include <string>
#include <vector>

#include "projectdb/project_sql.h"

// Notes one connection's open project file for as long as it is set.
class OpenProjectNote {
 public:
  // byName: a file opened by its name for a dialog rather than found as a project.
  explicit OpenProjectNote(bool byName = false) : byName_(byName) {}
  ~OpenProjectNote() { clear(); }
  OpenProjectNote(const OpenProjectNote&) = delete;
  OpenProjectNote& operator=(const OpenProjectNote&) = delete;
  void set(const std::string& path);
  void clear();

 private:
  bool byName_;
  std::string path_;
};

// The open project file that lies in folder; empty when none.
std::string openProjectInFolder(const std::string& folder);
// The file opened by name most recently that is still open; empty when none.
std::string lastFileOpenedByName();

// Runs one statement on a project file through a connection of its own (WAL and the
// busy timeout let it stand beside the module's), with the values bound to its "?"
// parameters in order. Answers the rows it gives; false with SQLite's message.
bool runProjectSql(const std::string& path, const std::wstring& sql, const std::vector<SqlCell>& values,
                   std::vector<std::vector<SqlCell>>& rows, std::wstring& error);
