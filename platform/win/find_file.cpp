// Directory searches over the real file system with the platform's matching rules.
#include "win/find_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "arx/aced_print.h"
#include "win/last_error.h"
#include "win/win_text.h"

namespace {

namespace fs = std::filesystem;

struct FoundEntry {
  std::wstring name;
  DWORD attributes = 0;
  std::uint64_t size = 0;
  std::uint64_t writeTime = 0;
};

struct SearchTable {
  std::mutex mutex;
  std::map<std::uintptr_t, std::pair<std::vector<FoundEntry>, std::size_t>> searches;
  std::uintptr_t next = 0x2000;
};

SearchTable& table() {
  static SearchTable t;
  return t;
}

// Seconds between 1601-01-01 and 1970-01-01, the two epochs.
constexpr std::uint64_t kEpochDifference = 11644473600ull;

bool describe(const std::string& path, const std::wstring& name, FoundEntry& entry) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  entry.name = name;
  const bool isDirectory = S_ISDIR(st.st_mode);
  DWORD attributes = isDirectory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if ((st.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  // Names that begin with a dot are the hidden files of this system.
  if (!name.empty() && name[0] == L'.' && name != L"." && name != L"..") attributes |= FILE_ATTRIBUTE_HIDDEN;
  entry.attributes = attributes;
  entry.size = isDirectory ? 0 : static_cast<std::uint64_t>(st.st_size);
  if (st.st_mtime >= 0)
    entry.writeTime = (static_cast<std::uint64_t>(st.st_mtime) + kEpochDifference) * 10000000ull +
                      static_cast<std::uint64_t>(st.st_mtim.tv_nsec / 100);
  return true;
}

void fill(const FoundEntry& entry, WIN32_FIND_DATA* data) {
  std::memset(data, 0, sizeof(*data));
  data->dwFileAttributes = entry.attributes;
  data->ftLastWriteTime.dwLowDateTime = static_cast<DWORD>(entry.writeTime & 0xFFFFFFFFu);
  data->ftLastWriteTime.dwHighDateTime = static_cast<DWORD>(entry.writeTime >> 32);
  data->ftCreationTime = data->ftLastWriteTime;
  data->ftLastAccessTime = data->ftLastWriteTime;
  data->nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(entry.size & 0xFFFFFFFFu);
  std::wmemcpy(data->cFileName, entry.name.c_str(), entry.name.size() + 1);
}

// The entries of a folder whose names match; names the platform could not hold
// (MAX_PATH characters or more) are left out.
std::vector<FoundEntry> listMatches(const std::string& folder, const std::wstring& namePattern) {
  std::vector<FoundEntry> found;
  const std::string prefix = folder.empty() ? std::string() : folder + "/";
  for (const wchar_t* dotName : {L".", L".."}) {
    FoundEntry entry;
    if (winMatchWildcard(namePattern, dotName) && describe(prefix + acutWideToUtf8(dotName), dotName, entry))
      found.push_back(entry);
  }
  std::vector<FoundEntry> named;
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string utf8 = it->path().filename().string();
    const std::wstring name = acutUtf8ToWide(utf8);
    FoundEntry entry;
    if (name.size() < MAX_PATH && winMatchWildcard(namePattern, name) && describe(prefix + utf8, name, entry))
      named.push_back(entry);
  }
  std::sort(named.begin(), named.end(),
            [](const FoundEntry& a, const FoundEntry& b) { return winCompareNoCase(a.name, b.name) < 0; });
  found.insert(found.end(), named.begin(), named.end());
  return found;
}

}  // namespace

HANDLE FindFirstFile(LPCWSTR pattern, LPWIN32_FIND_DATA data) {
  if (pattern == nullptr || data == nullptr || *pattern == L'\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::wstring text(pattern);
  std::replace(text.begin(), text.end(), L'\\', L'/');
  const std::size_t slash = text.rfind(L'/');
  const std::wstring folderText = slash == std::wstring::npos ? L"" : text.substr(0, slash == 0 ? 1 : slash);
  const std::wstring namePattern = slash == std::wstring::npos ? text : text.substr(slash + 1);
  const std::string folder = acutWideToUtf8(folderText);
  std::error_code ec;
  if (!folder.empty() && !fs::is_directory(folder, ec)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::vector<FoundEntry> found = namePattern.empty() ? std::vector<FoundEntry>() : listMatches(folder, namePattern);
  if (found.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  fill(found[0], data);
  SearchTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  const std::uintptr_t id = t.next;
  t.next += 4;
  t.searches[id] = {std::move(found), 1};
  SetLastError(ERROR_SUCCESS);
  return reinterpret_cast<HANDLE>(id);
}

BOOL FindNextFile(HANDLE search, LPWIN32_FIND_DATA data) {
  SearchTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.searches.find(reinterpret_cast<std::uintptr_t>(search));
  if (it == t.searches.end() || data == nullptr) {
    SetLastError(it == t.searches.end() ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto& [entries, position] = it->second;
  if (position >= entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  fill(entries[position++], data);
  return TRUE;
}

BOOL FindClose(HANDLE search) {
  SearchTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  if (t.searches.erase(reinterpret_cast<std::uintptr_t>(search)) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
