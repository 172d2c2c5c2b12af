// Making a new project: the folder's database file with the schema and the standard
// customisation, so that a new user can draw at once. `ovhost --new-project` calls it.
#pragma once

#include <string>

#include "projectdb/project_database.h"

// Creates `folder` when needed and the project database "Project ov_plumb.ov" in it;
// answers the file's path. Refuses a folder that already has a project database:
// then, and whenever anything fails, it answers the empty text with the reason in
// `error` (when given) and leaves no file behind.
std::wstring createStandardProject(const std::wstring& folder, std::wstring* error = nullptr);

// As createStandardProject, with the project's rows kept on the PostgreSQL server
// `server` names (a connection URI; the file in the folder then holds that URI and
// nothing else) or, when it is empty, in the file as before; without `seed`, the
// tables stay empty (a project about to be copied in).
std::wstring createProject(const std::wstring& folder, const std::wstring& server, bool seed,
                           std::wstring* error = nullptr);

// Writes the standard customisation into an open database that has the schema and no
// rows. A failing component call raises _com_error.
void seedStandardCustomisation(const ProjectDatabasePtr& db);
