// Finding a folder's project database file with the platform's directory search.
#include "db/project_file.h"

#include <cwctype>

#include "win/find_file.h"

namespace {

std::wstring upperCase(const std::wstring& text) {
  std::wstring upper(text);
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
  return upper;
}

}  // namespace

bool isProjectDatabaseCandidate(const std::wstring& fileName) {
  std::wstring upper = upperCase(fileName);
  return upper.rfind(L"52-OV", 0) != 0 && upper.find(L"_MASTER") == std::wstring::npos &&
         upper.find(L"_STANDARDS") == std::wstring::npos;
}

std::wstring pathInFolder(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || folder.back() == L'/' || folder.back() == L'\\') return folder + name;
  return folder + L"/" + name;
}

std::vector<std::wstring> projectDatabaseCandidates(const std::wstring& folder, const std::wstring& extension) {
  std::vector<std::wstring> found;
  std::wstring pattern = pathInFolder(folder, L"*ov_plumb*." + extension);
  WIN32_FIND_DATA data;
  HANDLE search = FindFirstFile(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    if (isProjectDatabaseCandidate(data.cFileName)) found.push_back(pathInFolder(folder, data.cFileName));
  } while (FindNextFile(search, &data));
  FindClose(search);
  return found;
}
