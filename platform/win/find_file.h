// Directory searches as the platform offers them: a pattern "folder\name*.ext" whose
// last part may hold `*` and `?`, matched without regard to case, answered one entry
// at a time through a search handle. Both "\" and "/" separate folders.
#pragma once

#include "win/windows_types.h"

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x0001;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x0002;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x0010;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x0020;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x0080;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct WIN32_FIND_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;  // 100-nanosecond steps since 1601, as the platform counts
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];  // the name alone, without its folder
  WCHAR cAlternateFileName[14];
};
using WIN32_FIND_DATAW = WIN32_FIND_DATA;
using LPWIN32_FIND_DATA = WIN32_FIND_DATA*;

// Starts a search and fills the first entry. Entries come in case-insensitive name
// order, "." and ".." first when the pattern matches them, as a listing of the
// platform's own file system does. Nothing found answers INVALID_HANDLE_VALUE with
// ERROR_FILE_NOT_FOUND (ERROR_PATH_NOT_FOUND when the folder is missing).
HANDLE FindFirstFile(LPCWSTR pattern, LPWIN32_FIND_DATA data);
// The next entry; FALSE with ERROR_NO_MORE_FILES after the last one.
BOOL FindNextFile(HANDLE search, LPWIN32_FIND_DATA data);
BOOL FindClose(HANDLE search);
