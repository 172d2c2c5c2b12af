// Registry keys as handles over the registry file; every call reads the file afresh
// and every change replaces it, so two hosts and a hand edit never disagree for long.
#include "win/registry.h"

#include <cstring>
#include <map>
#include <mutex>

namespace {

struct OpenKey {
  std::wstring path;
  REGSAM access = 0;
};

struct KeyTable {
  std::mutex mutex;
  std::map<std::uintptr_t, OpenKey> keys;
  std::uintptr_t next = 0x1000;
};

KeyTable& table() {
  static KeyTable t;
  return t;
}

// The key a handle stands for; the predefined roots carry every right.
bool resolve(HKEY key, OpenKey& out) {
  const std::wstring root = registryRootName(key);
  if (!root.empty()) {
    out = OpenKey{root, KEY_ALL_ACCESS};
    return true;
  }
  KeyTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.keys.find(reinterpret_cast<std::uintptr_t>(key));
  if (it == t.keys.end()) return false;
  out = it->second;
  return true;
}

HKEY addHandle(const std::wstring& path, REGSAM access) {
  KeyTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  const std::uintptr_t id = t.next;
  t.next += 4;
  t.keys[id] = OpenKey{path, access};
  return reinterpret_cast<HKEY>(id);
}

// Checks the handle and the right a call needs, and loads the file.
LONG prepare(HKEY key, REGSAM needed, OpenKey& open, RegistryStore& store) {
  if (!resolve(key, open)) return ERROR_INVALID_HANDLE;
  if ((open.access & needed) != needed) return ERROR_ACCESS_DENIED;
  store = RegistryStore::load(RegistryStore::filePath());
  return ERROR_SUCCESS;
}

LONG saveStore(const RegistryStore& store) {
  std::wstring error;
  return store.save(RegistryStore::filePath(), error) ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

}  // namespace

LONG RegOpenKeyEx(HKEY key, LPCWSTR subKey, DWORD /*options*/, REGSAM desired, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  OpenKey base;
  RegistryStore store;
  if (LONG rc = prepare(key, 0, base, store); rc != ERROR_SUCCESS) return rc;
  const std::wstring path = registryJoinPath(base.path, subKey ? subKey : L"");
  if (!store.keyExists(path)) return ERROR_FILE_NOT_FOUND;
  *result = addHandle(path, desired);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY key, LPCWSTR subKey, DWORD /*reserved*/, LPWSTR /*keyClass*/, DWORD /*options*/,
                    REGSAM desired, const SECURITY_ATTRIBUTES* /*security*/, PHKEY result,
                    LPDWORD disposition) {
  if (result == nullptr || subKey == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  OpenKey base;
  RegistryStore store;
  if (LONG rc = prepare(key, KEY_CREATE_SUB_KEY, base, store); rc != ERROR_SUCCESS) return rc;
  const std::wstring path = registryJoinPath(base.path, subKey);
  const bool created = store.createKey(path);
  if (created) {
    if (LONG rc = saveStore(store); rc != ERROR_SUCCESS) return rc;
  }
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = addHandle(path, desired);
  return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                     LPDWORD dataSize) {
  if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) return ERROR_INVALID_PARAMETER;
  OpenKey open;
  RegistryStore store;
  if (LONG rc = prepare(key, KEY_QUERY_VALUE, open, store); rc != ERROR_SUCCESS) return rc;
  if (!store.keyExists(open.path)) return ERROR_KEY_DELETED;
  const RegistryValue* value = store.findValue(open.path, valueName ? valueName : L"");
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  const bool isText = value->type == REG_SZ;
  const DWORD needed = isText ? static_cast<DWORD>((value->text.size() + 1) * sizeof(wchar_t))
                              : static_cast<DWORD>(sizeof(DWORD));
  if (type) *type = value->type;
  if (data == nullptr) {
    if (dataSize) *dataSize = needed;
    return ERROR_SUCCESS;
  }
  if (*dataSize < needed) {
    *dataSize = needed;
    return ERROR_MORE_DATA;
  }
  if (isText) std::memcpy(data, value->text.c_str(), needed);
  else std::memcpy(data, &value->number, needed);
  *dataSize = needed;
  return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY key, LPCWSTR valueName, DWORD /*reserved*/, DWORD type, const BYTE* data,
                   DWORD dataSize) {
  if (data == nullptr && dataSize != 0) return ERROR_INVALID_PARAMETER;
  RegistryValue value;
  value.name = valueName ? valueName : L"";
  value.type = type;
  if (type == REG_SZ) {
    std::wstring text(dataSize / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(text.data(), data, text.size() * sizeof(wchar_t));
    value.text = text.substr(0, text.find(L'\0'));
  } else if (type == REG_DWORD) {
    if (dataSize != sizeof(DWORD)) return ERROR_INVALID_PARAMETER;
    std::memcpy(&value.number, data, sizeof(DWORD));
  } else {
    return ERROR_INVALID_PARAMETER;  // the host keeps texts and numbers only
  }
  OpenKey open;
  RegistryStore store;
  if (LONG rc = prepare(key, KEY_SET_VALUE, open, store); rc != ERROR_SUCCESS) return rc;
  if (!store.setValue(open.path, value)) return ERROR_KEY_DELETED;
  return saveStore(store);
}

LONG RegDeleteValue(HKEY key, LPCWSTR valueName) {
  OpenKey open;
  RegistryStore store;
  if (LONG rc = prepare(key, KEY_SET_VALUE, open, store); rc != ERROR_SUCCESS) return rc;
  if (!store.deleteValue(open.path, valueName ? valueName : L"")) return ERROR_FILE_NOT_FOUND;
  return saveStore(store);
}

LONG RegCloseKey(HKEY key) {
  if (!registryRootName(key).empty()) return ERROR_SUCCESS;
  KeyTable& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  return t.keys.erase(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
