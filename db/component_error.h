// The database component's pending failure as one text, for callers that answer an
// error text rather than report to the command line.
#pragma once

#include <string>

#include "com/com_error.h"
#include "projectdb/project_database.h"

// "(code) message" of the pending failure, or `fallback` when none is pending.
std::wstring lastComponentError(ProjectDatabase& db, const std::wstring& fallback);

// The text of a raised component error: its description, else the system's text.
std::wstring comErrorText(const _com_error& error);
