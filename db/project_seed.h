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

// Writes the standard customisation into an open database that has the schema and no
// rows. A failing component call raises _com_error.
void seedStandardCustomisation(const ProjectDatabasePtr& db);
