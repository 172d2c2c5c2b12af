// The registry functions the module calls, over the console host's registry file
// (see registry_store.h): keys opened with an access mask, string and number values,
// the platform's return codes. Key and value names ignore case, as on the platform.
#pragma once

#include "win/registry_store.h"
#include "win/windows_types.h"

// Access rights; a key opened without the right a call needs answers
// ERROR_ACCESS_DENIED.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

constexpr LONG ERROR_KEY_DELETED = 1018;

struct SECURITY_ATTRIBUTES {
  DWORD nLength = sizeof(SECURITY_ATTRIBUTES);
  LPVOID lpSecurityDescriptor = nullptr;
  BOOL bInheritHandle = FALSE;
};
using PHKEY = HKEY*;

// Opens an existing key; a missing one answers ERROR_FILE_NOT_FOUND and is not made.
LONG RegOpenKeyEx(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result);
// Opens a key, creating it and any missing parents first.
LONG RegCreateKeyEx(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                    REGSAM desired, const SECURITY_ATTRIBUTES* security, PHKEY result, LPDWORD disposition);
// Reads a value. With no buffer it answers the size in bytes (a text counts its
// terminating null); a buffer too small answers ERROR_MORE_DATA with the size needed.
LONG RegQueryValueEx(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                     LPDWORD dataSize);
// Writes a REG_SZ (a wide text; the size in bytes, null included or not) or a REG_DWORD.
LONG RegSetValueEx(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD dataSize);
LONG RegDeleteValue(HKEY key, LPCWSTR valueName);
LONG RegCloseKey(HKEY key);
