// Registry values kept in the console host's registry file: the round trip, the
// size-then-read protocol, names without regard to case, access rights, and files
// that are missing, hand-written or damaged.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "win/registry.h"

namespace {

namespace fs = std::filesystem;

const wchar_t* const kPlumbingKey = L"Software\\Orvane Software\\Plumbing";
// The same key as the file names it, with its root.
const wchar_t* const kPlumbingPath = L"HKEY_CURRENT_USER\\Software\\Orvane Software\\Plumbing";

// Sets an environment variable (or unsets it, given nothing) until the end of the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ov_registry_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = (dir_ / "registry.txt").string();
    env_.emplace("OVHOST_REGISTRY", file_);
  }
  void TearDown() override {
    env_.reset();
    fs::remove_all(dir_);
  }

  void writeFile(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }
  std::string fileText() const {
    std::ifstream in(file_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  static HKEY open(const wchar_t* path, REGSAM access, HKEY root = HKEY_CURRENT_USER) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(root, path, 0, access, &key), ERROR_SUCCESS);
    return key;
  }
  static void createKey(const wchar_t* path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                             nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  static LONG setText(HKEY key, const wchar_t* name, const std::wstring& text) {
    return RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

  // Writes a text value the way the module does: open the existing key, set, close.
  static LONG writeString(const wchar_t* path, const wchar_t* name, const std::wstring& text) {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_WRITE, &key);
    if (rc != ERROR_SUCCESS) return rc;
    rc = setText(key, name, text);
    RegCloseKey(key);
    return rc;
  }

  // Reads a text value the way the module does: ask the size, then read the text.
  // Answers the text, or "error CODE".
  static std::wstring read(const wchar_t* name, const wchar_t* path = kPlumbingKey) {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_READ, &key);
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (rc == ERROR_SUCCESS) rc = RegQueryValueEx(key, name, nullptr, &type, nullptr, &size);
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (rc == ERROR_SUCCESS)
      rc = RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &size);
    if (key != nullptr) RegCloseKey(key);
    if (rc == ERROR_SUCCESS && type != REG_SZ) return L"type " + std::to_wstring(type);
    return rc == ERROR_SUCCESS ? buffer.data() : L"error " + std::to_wstring(rc);
  }

  fs::path dir_;
  std::string file_;
  std::optional<ScopedEnv> env_;
};

// A value written is read back, also by a fresh load of the file, and the file says it
// in plain words; names ignore case and keep the letters first written.
TEST_F(RegistryTest, ValuesRoundTripThroughTheFileWhateverTheirCase) {
  createKey(kPlumbingKey);
  ASSERT_EQ(writeString(kPlumbingKey, L"bCalloutFirst", L"0"), ERROR_SUCCESS);
  EXPECT_EQ(read(L"bCalloutFirst"), L"0");
  const std::string file = fileText();
  EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Orvane Software\\Plumbing]"), std::string::npos) << file;
  EXPECT_NE(file.find("\"bCalloutFirst\"=\"0\""), std::string::npos) << file;

  // Texts that need escaping or are not ASCII survive the file.
  const std::wstring awkward = L"C:\\Blocks\\ \"quoted\"\nline two\tGr\u00f6\u00dfe \u0416";
  ASSERT_EQ(writeString(kPlumbingKey, L"sFolder", awkward), ERROR_SUCCESS);
  EXPECT_EQ(read(L"sFolder"), awkward);
  RegistryStore store = RegistryStore::load(file_);
  ASSERT_NE(store.findValue(kPlumbingPath, L"sFolder"), nullptr);
  EXPECT_EQ(store.findValue(kPlumbingPath, L"sFolder")->text, awkward);

  ASSERT_EQ(writeString(L"SOFTWARE\\orvane SOFTWARE\\plumbing", L"BCALLOUTFIRST", L"1"), ERROR_SUCCESS);
  EXPECT_EQ(read(L"bcalloutfirst"), L"1");
  store = RegistryStore::load(file_);
  ASSERT_EQ(store.keys().size(), 1u);
  EXPECT_EQ(store.keys()[0].path, kPlumbingPath);
  ASSERT_EQ(store.keys()[0].values.size(), 2u);
  EXPECT_EQ(store.keys()[0].values[0].name, L"bCalloutFirst");
  // Creating the key again in other letters opens the existing one.
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, L"software\\ORVANE software\\Plumbing", 0, nullptr, 0, KEY_READ, nullptr,
                           &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(key);
}

// A missing key or value reads as not found, and writing to a missing key neither
// succeeds nor creates the key or the file.
TEST_F(RegistryTest, MissingKeyReadsNotFoundAndIsNotCreatedByWriting) {
  EXPECT_EQ(read(L"bCalloutFirst"), L"error 2");
  HKEY key = reinterpret_cast<HKEY>(0x1);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kPlumbingKey, 0, KEY_READ | KEY_WRITE, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(writeString(kPlumbingKey, L"bCalloutFirst", L"1"), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(fs::exists(file_));
  createKey(kPlumbingKey);
  EXPECT_EQ(read(L"bCalloutFirst"), L"error 2");
  EXPECT_EQ(read(L"x", L"Software\\Orvane Software\\Electrical"), L"error 2");
}

// The size query counts the terminating null; a buffer one character short answers
// ERROR_MORE_DATA with the size needed; a set text keeps what its size covers.
TEST_F(RegistryTest, SizeThenReadProtocol) {
  createKey(kPlumbingKey);
  HKEY key = open(kPlumbingKey, KEY_READ | KEY_WRITE);
  ASSERT_EQ(setText(key, L"sName", L"abcd"), ERROR_SUCCESS);
  DWORD size = 0;
  DWORD type = REG_NONE;
  ASSERT_EQ(RegQueryValueEx(key, L"sName", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 5 * sizeof(wchar_t));
  wchar_t buffer[5] = {L'x', L'x', L'x', L'x', L'x'};
  size = 4 * sizeof(wchar_t);
  EXPECT_EQ(RegQueryValueEx(key, L"sName", nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 5 * sizeof(wchar_t));
  ASSERT_EQ(RegQueryValueEx(key, L"sName", nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), &size), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(buffer), L"abcd");
  EXPECT_EQ(size, 5 * sizeof(wchar_t));
  EXPECT_EQ(RegQueryValueEx(key, L"sName", nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), nullptr),
            ERROR_INVALID_PARAMETER);

  const wchar_t text[] = L"abcdef";
  ASSERT_EQ(RegSetValueEx(key, L"cut", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 3 * sizeof(wchar_t)),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(read(L"cut"), L"abc");
}

// Numbers are kept as numbers; other kinds of data and wrong sizes are refused
// without touching the file.
TEST_F(RegistryTest, NumbersAndRefusedData) {
  createKey(kPlumbingKey);
  HKEY key = open(kPlumbingKey, KEY_ALL_ACCESS);
  const DWORD number = 0xDEADBEEF;
  const BYTE* bytes = reinterpret_cast<const BYTE*>(&number);
  ASSERT_EQ(RegSetValueEx(key, L"iCount", 0, REG_DWORD, bytes, sizeof(number)), ERROR_SUCCESS);
  const std::string before = fileText();
  EXPECT_NE(before.find("\"iCount\"=dword:deadbeef"), std::string::npos) << before;
  EXPECT_EQ(RegSetValueEx(key, L"iCount", 0, REG_DWORD, bytes, 2), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueEx(key, L"blob", 0, 3 /* binary */, bytes, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueEx(key, L"sName", 0, REG_SZ, nullptr, 8), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(fileText(), before);
  DWORD value = 0;
  DWORD size = sizeof(value);
  DWORD type = REG_NONE;
  ASSERT_EQ(RegQueryValueEx(key, L"icount", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(value, number);
  RegCloseKey(key);
}

// A key opened for reading cannot be written, a closed handle is refused, a value can
// be deleted once, and a null out-pointer is refused.
TEST_F(RegistryTest, HandlesAndAccessRights) {
  createKey(kPlumbingKey);
  ASSERT_EQ(writeString(kPlumbingKey, L"bCalloutFirst", L"1"), ERROR_SUCCESS);
  HKEY key = open(kPlumbingKey, KEY_READ);
  EXPECT_EQ(setText(key, L"bCalloutFirst", L"0"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValue(key, L"bCalloutFirst"), ERROR_ACCESS_DENIED);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueEx(key, L"bCalloutFirst", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(read(L"bCalloutFirst"), L"1");

  key = open(kPlumbingKey, KEY_WRITE);
  EXPECT_EQ(RegDeleteValue(key, L"BCALLOUTFIRST"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValue(key, L"bCalloutFirst"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
  EXPECT_EQ(read(L"bCalloutFirst"), L"error 2");
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kPlumbingKey, 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

// Creating a key makes its parents; a subkey opens relative to an open key; the key
// a handle names can vanish from the file under it.
TEST_F(RegistryTest, ParentsSubkeysAndVanishedKeys) {
  createKey(L"Software\\Orvane Software\\Plumbing\\Recent");
  HKEY parent = open(L"Software\\Orvane Software", KEY_READ);
  HKEY child = open(L"Plumbing\\Recent", KEY_READ | KEY_WRITE, parent);
  ASSERT_EQ(setText(child, L"File1", L"a.dwg"), ERROR_SUCCESS);
  EXPECT_EQ(read(L"File1", L"Software\\Orvane Software\\Plumbing\\Recent"), L"a.dwg");
  // A key opened only for reading may not make subkeys.
  HKEY made = nullptr;
  EXPECT_EQ(RegCreateKeyEx(parent, L"Electrical", 0, nullptr, 0, KEY_READ, nullptr, &made, nullptr),
            ERROR_ACCESS_DENIED);
  fs::remove(file_);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueEx(child, L"File1", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(setText(child, L"File1", L"a.dwg"), ERROR_KEY_DELETED);
  EXPECT_FALSE(fs::exists(file_));
  RegCloseKey(child);
  RegCloseKey(parent);
}

// A file written by hand in the documented format is read as written.
TEST_F(RegistryTest, HandWrittenFileIsRead) {
  writeFile(
      "\xEF\xBB\xBF# written by hand\r\n"
      "; another comment\r\n"
      "[hkey_current_user\\Software\\Orvane Software\\Plumbing]\r\n"
      "  \"bCalloutFirst\" = \"0\"  \r\n"
      "@=\"default\"\r\n"
      "\"iCount\"=dword:1F\r\n");
  EXPECT_EQ(read(L"bCalloutFirst"), L"0");
  EXPECT_EQ(read(nullptr), L"default");
  const RegistryStore store = RegistryStore::load(file_);
  ASSERT_NE(store.findValue(kPlumbingPath, L"iCount"), nullptr);
  EXPECT_EQ(store.findValue(kPlumbingPath, L"iCount")->number, 0x1Fu);
}

// Damaged files read as an empty registry, never as a crash; replacing one keeps the
// damaged file beside it.
TEST_F(RegistryTest, GarbledFilesReadAsEmpty) {
  const std::string key = "[HKEY_CURRENT_USER\\Software\\Orvane Software\\Plumbing]\n";
  const std::vector<std::string> garbled = {
      key + "\"a\"=\"1\"\n" + std::string("\0\x01\x02", 3),
      "\"bCalloutFirst\"=\"0\"\n" + key,
      key + "\"bCalloutFirst\"=\"0\n",
      key + "\"bCalloutFirst\"=\"\\q\"\n",
      "[HKEY_CURRENT_USER\\Software\\Orvane Software\\Plumbing\n",
      "[HKEY_NOWHERE\\Software\\Orvane Software\\Plumbing]\n",
      key + "\"iCount\"=dword:123456789\n",
      key + "just words\n",
      "\xff\xfe garbage",
  };
  for (const std::string& text : garbled) {
    SCOPED_TRACE(text);
    writeFile(text);
    const RegistryStore store = RegistryStore::load(file_);
    EXPECT_TRUE(store.garbled());
    EXPECT_TRUE(store.keys().empty());
    EXPECT_EQ(read(L"bCalloutFirst"), L"error 2");
  }
  writeFile(garbled[1]);
  createKey(kPlumbingKey);
  EXPECT_FALSE(RegistryStore::load(file_).garbled());
  std::ifstream kept(file_ + ".bad", std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>()), garbled[1]);
}

// The file's place: OVHOST_REGISTRY, else the configuration folder of the user.
TEST(RegistryFilePath, FollowsTheEnvironment) {
  using Env = std::optional<std::string>;
  const struct {
    Env registry, config, home;
    const char* path;
  } cases[] = {
      {"/tmp/x/reg.txt", "/tmp/config", "/home/someone", "/tmp/x/reg.txt"},
      {std::nullopt, "/tmp/config", "/home/someone", "/tmp/config/ovhost/registry.txt"},
      {"", std::nullopt, "/home/someone", "/home/someone/.config/ovhost/registry.txt"},
  };
  for (const auto& c : cases) {
    ScopedEnv registry("OVHOST_REGISTRY", c.registry), config("XDG_CONFIG_HOME", c.config), home("HOME", c.home);
    EXPECT_EQ(RegistryStore::filePath(), c.path);
  }
}

}  // namespace
