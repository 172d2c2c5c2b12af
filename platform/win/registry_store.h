// The registry's keys and values as the console host keeps them: a readable text file
// of [KEY] sections and "name"=value lines, read for every call and replaced whole on
// every change so that other processes and hand edits are always seen.
#pragma once

#include <string>
#include <vector>

#include "win/windows_types.h"

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_DWORD = 4;

struct RegistryValue {
  std::wstring name;  // empty for the key's default value
  DWORD type = REG_SZ;
  std::wstring text;  // REG_SZ
  DWORD number = 0;   // REG_DWORD
};

struct RegistryKey {
  std::wstring path;  // root name and subkeys joined by "\", as first created
  std::vector<RegistryValue> values;
};

class RegistryStore {
 public:
  // The file: OVHOST_REGISTRY when set, else ovhost/registry.txt in the user's
  // configuration folder ($XDG_CONFIG_HOME, or ~/.config). Empty when neither exists.
  static std::string filePath();

  // Reads the file; a missing file is an empty registry, and so is one that cannot be
  // read or does not follow the format (then garbled() answers true).
  static RegistryStore load(const std::string& path);
  // Parses the text of a file; a line that does not follow the format makes the whole
  // text read as empty, since guessing at a damaged file could hand out wrong values.
  static RegistryStore parse(const std::string& utf8);
  std::string format() const;
  // Writes the file atomically. A garbled file that is replaced is kept beside it as
  // PATH.bad so that nothing a user wrote by hand is lost without a trace.
  bool save(const std::string& path, std::wstring& error) const;

  bool garbled() const { return garbled_; }
  // A key exists when it was created or when it has a subkey; roots always exist.
  bool keyExists(const std::wstring& path) const;
  // Creates the key if missing; answers true when it was created.
  bool createKey(const std::wstring& path);
  const RegistryValue* findValue(const std::wstring& path, const std::wstring& name) const;
  // Sets a value of an existing key; answers false when the key is missing.
  bool setValue(const std::wstring& path, const RegistryValue& value);
  // Answers false when the key or the value is missing.
  bool deleteValue(const std::wstring& path, const std::wstring& name);

  const std::vector<RegistryKey>& keys() const { return keys_; }

 private:
  RegistryKey* findKey(const std::wstring& path);
  const RegistryKey* findKey(const std::wstring& path) const;

  std::vector<RegistryKey> keys_;
  bool garbled_ = false;
};

// Joins a base key path and a subkey text, dropping empty parts ("A\" + "\B\" is "A\B").
std::wstring registryJoinPath(const std::wstring& base, const std::wstring& subKey);
// The name of a root as the file writes it (HKEY_CURRENT_USER ...), empty for a handle
// that is not a predefined root.
std::wstring registryRootName(HKEY root);
