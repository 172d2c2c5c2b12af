// Reading, changing and writing the console host's registry file.
#include "win/registry_store.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "arx/aced_print.h"
#include "arx/file_replace.h"
#include "win/win_text.h"

namespace {

const wchar_t* const kRootNames[] = {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER", L"HKEY_LOCAL_MACHINE"};

// The root name in its canonical spelling, or empty when the first part of a path is
// not a root the host knows.
std::wstring canonicalRoot(const std::wstring& path) {
  const std::wstring first = path.substr(0, path.find(L'\\'));
  for (const wchar_t* root : kRootNames)
    if (winEqualNoCase(first, root)) return root;
  return L"";
}

// Reads a quoted text starting at text[pos] == '"'; pos ends after the closing quote.
std::optional<std::wstring> readQuoted(const std::wstring& text, std::size_t& pos) {
  if (pos >= text.size() || text[pos] != L'"') return std::nullopt;
  std::wstring out;
  for (++pos; pos < text.size(); ++pos) {
    const wchar_t c = text[pos];
    if (c == L'"') {
      ++pos;
      return out;
    }
    if (c != L'\\') {
      out += c;
      continue;
    }
    if (++pos >= text.size()) return std::nullopt;
    switch (text[pos]) {
      case L'\\': out += L'\\'; break;
      case L'"': out += L'"'; break;
      case L'n': out += L'\n'; break;
      case L'r': out += L'\r'; break;
      case L't': out += L'\t'; break;
      default: return std::nullopt;
    }
  }
  return std::nullopt;
}

std::wstring quote(const std::wstring& text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    switch (c) {
      case L'\\': out += L"\\\\"; break;
      case L'"': out += L"\\\""; break;
      case L'\n': out += L"\\n"; break;
      case L'\r': out += L"\\r"; break;
      case L'\t': out += L"\\t"; break;
      default: out += c;
    }
  }
  return out + L"\"";
}

std::optional<DWORD> parseHexNumber(const std::wstring& digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  DWORD value = 0;
  for (wchar_t c : digits) {
    DWORD d;
    if (c >= L'0' && c <= L'9') d = static_cast<DWORD>(c - L'0');
    else if (c >= L'a' && c <= L'f') d = static_cast<DWORD>(c - L'a' + 10);
    else if (c >= L'A' && c <= L'F') d = static_cast<DWORD>(c - L'A' + 10);
    else return std::nullopt;
    value = value * 16 + d;
  }
  return value;
}

// A value line: @=... or "name"=... followed by "text" or dword:HEX.
std::optional<RegistryValue> parseValueLine(const std::wstring& line) {
  RegistryValue value;
  std::size_t pos = 0;
  if (line[0] == L'@') {
    pos = 1;
  } else {
    auto name = readQuoted(line, pos);
    if (!name) return std::nullopt;
    value.name = *name;
  }
  // Blanks around "=" are allowed, as people write them by hand.
  while (pos < line.size() && (line[pos] == L' ' || line[pos] == L'\t')) ++pos;
  if (pos >= line.size() || line[pos] != L'=') return std::nullopt;
  const std::wstring rest = winTrim(line.substr(pos + 1));
  if (!rest.empty() && rest[0] == L'"') {
    std::size_t p = 0;
    auto text = readQuoted(rest, p);
    if (!text || !winTrim(rest.substr(p)).empty()) return std::nullopt;
    value.type = REG_SZ;
    value.text = *text;
    return value;
  }
  if (rest.compare(0, 6, L"dword:") == 0) {
    auto number = parseHexNumber(winTrim(rest.substr(6)));
    if (!number) return std::nullopt;
    value.type = REG_DWORD;
    value.number = *number;
    return value;
  }
  return std::nullopt;
}

}  // namespace

std::wstring registryJoinPath(const std::wstring& base, const std::wstring& subKey) {
  std::wstring out;
  for (const std::wstring* part : {&base, &subKey}) {
    std::size_t start = 0;
    while (start <= part->size()) {
      std::size_t end = part->find(L'\\', start);
      if (end == std::wstring::npos) end = part->size();
      if (end > start) {
        if (!out.empty()) out += L'\\';
        out += part->substr(start, end - start);
      }
      start = end + 1;
    }
  }
  return out;
}

std::wstring registryRootName(HKEY root) {
  if (root == HKEY_CLASSES_ROOT) return kRootNames[0];
  if (root == HKEY_CURRENT_USER) return kRootNames[1];
  if (root == HKEY_LOCAL_MACHINE) return kRootNames[2];
  return L"";
}

std::string RegistryStore::filePath() {
  const char* explicitPath = std::getenv("OVHOST_REGISTRY");
  if (explicitPath && *explicitPath) return explicitPath;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config) return std::string(config) + "/ovhost/registry.txt";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.config/ovhost/registry.txt";
  return "";
}

RegistryStore RegistryStore::load(const std::string& path) {
  RegistryStore store;
  if (path.empty()) return store;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return store;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    store.garbled_ = true;
    return store;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    store.garbled_ = true;
    return store;
  }
  return parse(text);
}

RegistryStore RegistryStore::parse(const std::string& utf8) {
  RegistryStore store;
  RegistryStore garbled;
  garbled.garbled_ = true;
  if (utf8.find('\0') != std::string::npos) return garbled;
  std::wstring section;
  for (const std::wstring& line : winTextLines(utf8)) {
    if (line.empty() || line[0] == L'#' || line[0] == L';') continue;
    if (line.front() == L'[') {
      if (line.back() != L']') return garbled;
      std::wstring path = registryJoinPath(L"", line.substr(1, line.size() - 2));
      const std::wstring root = canonicalRoot(path);
      if (root.empty()) return garbled;
      section = root + path.substr(root.size());
      // A section may name a key that already exists through a subkey, or a root.
      if (store.findKey(section) == nullptr) store.keys_.push_back(RegistryKey{section, {}});
      continue;
    }
    auto value = parseValueLine(line);
    if (!value || section.empty()) return garbled;
    store.setValue(section, *value);
  }
  return store;
}

std::string RegistryStore::format() const {
  std::wstring out =
      L"# Registry of the ovhost console host: one [KEY] section per key, then its values as\n"
      L"# \"name\"=\"text\" or \"name\"=dword:HEX; @ names a key's default value.\n";
  for (const RegistryKey& key : keys_) {
    out += L"\n[" + key.path + L"]\n";
    for (const RegistryValue& value : key.values) {
      out += value.name.empty() ? L"@" : quote(value.name);
      out += L'=';
      if (value.type == REG_DWORD) {
        wchar_t hex[16];
        std::swprintf(hex, 16, L"dword:%08x", static_cast<unsigned>(value.number));
        out += hex;
      } else {
        out += quote(value.text);
      }
      out += L'\n';
    }
  }
  return acutWideToUtf8(out);
}

bool RegistryStore::save(const std::string& path, std::wstring& error) const {
  if (path.empty()) {
    error = L"no place for the registry file (set OVHOST_REGISTRY or HOME)";
    return false;
  }
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path parent = fs::path(path).parent_path();
  if (!parent.empty()) fs::create_directories(parent, ec);
  if (garbled_ && fs::exists(path, ec)) fs::rename(path, path + ".bad", ec);
  const std::string text = format();
  const std::string suffix = ".writing." + std::to_string(static_cast<long>(::getpid()));
  return acdbWriteFileReplacing(path, text.data(), text.size(), error, suffix.c_str()) == Acad::eOk;
}

RegistryKey* RegistryStore::findKey(const std::wstring& path) {
  for (RegistryKey& key : keys_)
    if (winEqualNoCase(key.path, path)) return &key;
  return nullptr;
}

const RegistryKey* RegistryStore::findKey(const std::wstring& path) const {
  return const_cast<RegistryStore*>(this)->findKey(path);
}

bool RegistryStore::keyExists(const std::wstring& path) const {
  if (path.find(L'\\') == std::wstring::npos && !canonicalRoot(path).empty()) return true;
  const std::wstring prefix = winUpper(path) + L"\\";
  for (const RegistryKey& key : keys_) {
    if (winEqualNoCase(key.path, path)) return true;
    if (winUpper(key.path).compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

bool RegistryStore::createKey(const std::wstring& path) {
  if (keyExists(path)) return false;
  keys_.push_back(RegistryKey{path, {}});
  return true;
}

const RegistryValue* RegistryStore::findValue(const std::wstring& path, const std::wstring& name) const {
  const RegistryKey* key = findKey(path);
  if (key == nullptr) return nullptr;
  for (const RegistryValue& value : key->values)
    if (winEqualNoCase(value.name, name)) return &value;
  return nullptr;
}

bool RegistryStore::setValue(const std::wstring& path, const RegistryValue& value) {
  if (!keyExists(path)) return false;
  RegistryKey* key = findKey(path);
  if (key == nullptr) {
    // The key existed only through its subkeys; its values need a section of their own.
    keys_.push_back(RegistryKey{path, {}});
    key = &keys_.back();
  }
  for (RegistryValue& old : key->values) {
    if (winEqualNoCase(old.name, value.name)) {
      // The platform keeps the name as first written and replaces only the data.
      old.type = value.type;
      old.text = value.text;
      old.number = value.number;
      return true;
    }
  }
  key->values.push_back(value);
  return true;
}

bool RegistryStore::deleteValue(const std::wstring& path, const std::wstring& name) {
  RegistryKey* key = findKey(path);
  if (key == nullptr) return false;
  for (auto it = key->values.begin(); it != key->values.end(); ++it) {
    if (winEqualNoCase(it->name, name)) {
      key->values.erase(it);
      return true;
    }
  }
  return false;
}
