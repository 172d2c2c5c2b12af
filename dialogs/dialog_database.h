// What every dialog LISP function does around its dialog: the database it works on
// (the current project's, or a file the caller names, opened and closed here), the
// module's resources made current, and the main window as the dialogs' parent.
#pragma once

#include <string>

#include "projectdb/project_database.h"

class CWnd;

// The database a dialog works on for one call. With a file: a database of its own,
// opened (a failure reported, a read-only file refused with the user told) and closed
// when this ends. Without one: the current project's connection, connected first with
// the connection message on failure. connection() is null when there is none to use.
class DialogDatabase {
 public:
  explicit DialogDatabase(const std::wstring& file);
  ~DialogDatabase();
  DialogDatabase(const DialogDatabase&) = delete;
  DialogDatabase& operator=(const DialogDatabase&) = delete;

  const ProjectDatabasePtr& connection() const { return connection_; }

 private:
  ProjectDatabasePtr connection_;
  bool own_ = false;
};

// The module's dialog resources are current while the scope lasts, on every way out.
class ModuleResourceScope {
 public:
  ModuleResourceScope();
  ~ModuleResourceScope();
  ModuleResourceScope(const ModuleResourceScope&) = delete;
  ModuleResourceScope& operator=(const ModuleResourceScope&) = delete;
};

// The host's main window, the parent of every dialog of the module.
CWnd* ovDialogParent();
