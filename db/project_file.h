// The project database file of a folder: which files count as it, and the name a new
// project's file gets.
#pragma once

#include <string>
#include <vector>

// The name a new project's database file gets; it matches the search below.
inline constexpr wchar_t kProjectDatabaseFileName[] = L"Project ov_plumb.ov";

// Whether a file found by the search "*ov_plumb*.<extension>" counts as a project
// database: master and standards files (names beginning with "52-OV", or holding
// "_MASTER" or "_STANDARDS", in any case) belong to the office, not to the project.
bool isProjectDatabaseCandidate(const std::wstring& fileName);

// The candidate files of `folder` for that extension ("ov", or "mdb" for older
// projects), as full paths, in the order the directory search answers them.
std::vector<std::wstring> projectDatabaseCandidates(const std::wstring& folder, const std::wstring& extension);

// `name` inside `folder`, with one separator between them.
std::wstring pathInFolder(const std::wstring& folder, const std::wstring& name);
