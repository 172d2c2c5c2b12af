// Registry strings kept in the console host's registry file: the round trip, the
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

// Sets an environment variable for one test and puts the old value back after it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value->c_str(), 1);
    else ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("ov_registry_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = (dir_ / "registry.txt").string();
    env_.emplace("OVHOST_REGISTRY", file_);
  }
  void TearDown() override {
    env_.reset();
    fs::remove_all(dir_);
  }

  void writeFile(const std::string& text) {
    std::ofstream out(file_, std::ios::binary);
    out << text;
  }
  std::string fileText() const {
    std::ifstream in(file_, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  static void createKey(const wchar_t* path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                             nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  // Writes a text value the way the module does: open the existing key for writing,
  // set the value, close.
  static LONG writeString(const wchar_t* path, const wchar_t* name, const std::wstring& text) {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_WRITE, &key);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc;
  }

  // Reads a text value the way the module does: ask the size, then read the text.
  static LONG readString(const wchar_t* path, const wchar_t* name, std::wstring& text) {
    text.clear();
    HKEY key = nullptr;
    LONG rc = RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_READ, &key);
    if (rc != ERROR_SUCCESS) return rc;
    DWORD type = REG_NONE;
    DWORD size = 0;
    rc = RegQueryValueEx(key, name, nullptr, &type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
      std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
      rc = RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &size);
      if (rc == ERROR_SUCCESS) {
        EXPECT_EQ(type, REG_SZ);
        text = buffer.data();
      }
    }
    RegCloseKey(key);
    return rc;
  }

  fs::path dir_;
  std::string file_;
  std::optional<ScopedEnv> env_;
};

// A value written is read back, also by a fresh load of the file, and the file says it
// in plain words.
TEST_F(RegistryTest, StringRoundTripThroughTheFile) {
  createKey(kPlumbingKey);
  ASSERT_EQ(writeString(kPlumbingKey, L"bCalloutFirst", L"0"), ERROR_SUCCESS);
  std::wstring text;
  ASSERT_EQ(readString(kPlumbingKey, L"bCalloutFirst", text), ERROR_SUCCESS);
  EXPECT_EQ(text, L"0");

  const std::string file = fileText();
  EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Orvane Software\\Plumbing]"), std::string::npos) << file;
  EXPECT_NE(file.find("\"bCalloutFirst\"=\"0\""), std::string::npos) << file;

  // Texts that need escaping or are not ASCII survive the file.
  const std::wstring awkward = L"C:\\Blocks\\ \"quoted\"\nline two\tGr\u00f6\u00dfe \u0416";
  ASSERT_EQ(writeString(kPlumbingKey, L"sFolder", awkward), ERROR_SUCCESS);
  ASSERT_EQ(readString(kPlumbingKey, L"sFolder", text), ERROR_SUCCESS);
  EXPECT_EQ(text, awkward);
  const RegistryStore reloaded = RegistryStore::load(file_);
  const RegistryValue* stored = reloaded.findValue(kPlumbingPath, L"sFolder");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->text, awkward);
  // Overwriting keeps one value.
  ASSERT_EQ(writeString(kPlumbingKey, L"bCalloutFirst", L"1"), ERROR_SUCCESS);
  ASSERT_EQ(readString(kPlumbingKey, L"bCalloutFirst", text), ERROR_SUCCESS);
  EXPECT_EQ(text, L"1");
  EXPECT_EQ(RegistryStore::load(file_).keys().at(0).values.size(), 2u);
}

// A missing key or value reads as not found, and writing to a missing key neither
// succeeds nor creates the key or the file.
TEST_F(RegistryTest, MissingKeyReadsNotFoundAndIsNotCreatedByWriting) {
  std::wstring text = L"stale";
  EXPECT_EQ(readString(kPlumbingKey, L"bCalloutFirst", text), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(text.empty());
  HKEY key = reinterpret_cast<HKEY>(0x1);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kPlumbingKey, 0, KEY_READ | KEY_WRITE, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(writeString(kPlumbingKey, L"bCalloutFirst", L"1"), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(fs::exists(file_));

  // With the key there, a value never written is still not found.
  createKey(kPlumbingKey);
  EXPECT_EQ(readString(kPlumbingKey, L"bCalloutFirst", text), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(readString(L"Software\\Orvane Software\\Electrical", L"x", text), ERROR_FILE_NOT_FOUND);
}

// Key and value names ignore case; the name first written is the one kept.
TEST_F(RegistryTest, NamesIgnoreCase) {
  createKey(kPlumbingKey);
  ASSERT_EQ(writeString(L"SOFTWARE\\orvane SOFTWARE\\plumbing", L"BCALLOUTFIRST", L"1"), ERROR_SUCCESS);
  ASSERT_EQ(writeString(L"software\\Orvane Software\\PLUMBING", L"bcalloutfirst", L"0"), ERROR_SUCCESS);
  std::wstring text;
  ASSERT_EQ(readString(kPlumbingKey, L"bCalloutFirst", text), ERROR_SUCCESS);
  EXPECT_EQ(text, L"0");
  const RegistryStore store = RegistryStore::load(file_);
  ASSERT_EQ(store.keys().size(), 1u);
  EXPECT_EQ(store.keys()[0].path, kPlumbingPath);
  ASSERT_EQ(store.keys()[0].values.size(), 1u);
  EXPECT_EQ(store.keys()[0].values[0].name, L"BCALLOUTFIRST");
  // Creating the key again in other letters opens the existing one.
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, L"software\\ORVANE software\\Plumbing", 0, nullptr, 0, KEY_READ, nullptr,
                           &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(key);
}

// The size query counts the terminating null; a buffer one character short answers
// ERROR_MORE_DATA with the size needed, and a buffer without a size is refused.
TEST_F(RegistryTest, SizeThenReadProtocol) {
  createKey(kPlumbingKey);
  ASSERT_EQ(writeString(kPlumbingKey, L"sName", L"abcd"), ERROR_SUCCESS);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kPlumbingKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD size = 0;
  DWORD type = REG_NONE;
  ASSERT_EQ(RegQueryValueEx(key, L"sName", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 5 * sizeof(wchar_t));

  wchar_t small[5] = {L'x', L'x', L'x', L'x', L'x'};
  DWORD smallSize = 4 * sizeof(wchar_t);
  EXPECT_EQ(RegQueryValueEx(key, L"sName", nullptr, nullptr, reinterpret_cast<LPBYTE>(small), &smallSize),
            ERROR_MORE_DATA);
  EXPECT_EQ(smallSize, 5 * sizeof(wchar_t));

  wchar_t exact[5] = {};
  DWORD exactSize = sizeof(exact);
  ASSERT_EQ(RegQueryValueEx(key, L"sName", nullptr, nullptr, reinterpret_cast<LPBYTE>(exact), &exactSize),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(exact), L"abcd");
  EXPECT_EQ(exactSize, 5 * sizeof(wchar_t));

  EXPECT_EQ(RegQueryValueEx(key, L"sName", nullptr, nullptr, reinterpret_cast<LPBYTE>(exact), nullptr),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

// A text set without its terminating null, or with a size that cuts it, keeps what
// the size covers.
TEST_F(RegistryTest, SetValueTakesTheGivenSize) {
  createKey(kPlumbingKey);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kPlumbingKey, 0, KEY_READ | KEY_WRITE, &key), ERROR_SUCCESS);
  const wchar_t text[] = L"abcdef";
  ASSERT_EQ(RegSetValueEx(key, L"cut", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 3 * sizeof(wchar_t)),
            ERROR_SUCCESS);
  RegCloseKey(key);
  std::wstring read;
  ASSERT_EQ(readString(kPlumbingKey, L"cut", read), ERROR_SUCCESS);
  EXPECT_EQ(read, L"abc");
}

// Numbers are kept as numbers; other kinds of data and wrong sizes are refused
// without touching the file.
TEST_F(RegistryTest, NumbersAndRefusedData) {
  createKey(kPlumbingKey);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kPlumbingKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  const DWORD number = 0xDEADBEEF;
  ASSERT_EQ(RegSetValueEx(key, L"iCount", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number)),
            ERROR_SUCCESS);
  const std::string before = fileText();
  EXPECT_EQ(RegSetValueEx(key, L"iCount", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 2),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueEx(key, L"blob", 0, 3 /* binary */, reinterpret_cast<const BYTE*>(&number), 4),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueEx(key, L"sName", 0, REG_SZ, nullptr, 8), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(fileText(), before);

  DWORD read = 0;
  DWORD size = sizeof(read);
  DWORD type = REG_NONE;
  ASSERT_EQ(RegQueryValueEx(key, L"icount", nullptr, &type, reinterpret_cast<LPBYTE>(&read), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(read, number);
  EXPECT_NE(before.find("\"iCount\"=dword:deadbeef"), std::string::npos) << before;
  RegCloseKey(key);
}

// A key opened for reading cannot be written, a closed handle is refused, and a
// value can be deleted once.
TEST_F(RegistryTest, HandlesAndAccessRights) {
  createKey(kPlumbingKey);
  ASSERT_EQ(writeString(kPlumbingKey, L"bCalloutFirst", L"1"), ERROR_SUCCESS);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kPlumbingKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  const std::wstring zero = L"0";
  EXPECT_EQ(RegSetValueEx(key, L"bCalloutFirst", 0, REG_SZ, reinterpret_cast<const BYTE*>(zero.c_str()), 8),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValue(key, L"bCalloutFirst"), ERROR_ACCESS_DENIED);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueEx(key, L"bCalloutFirst", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  std::wstring text;
  ASSERT_EQ(readString(kPlumbingKey, L"bCalloutFirst", text), ERROR_SUCCESS);
  EXPECT_EQ(text, L"1");

  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kPlumbingKey, 0, KEY_WRITE, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValue(key, L"BCALLOUTFIRST"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValue(key, L"bCalloutFirst"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
  EXPECT_EQ(readString(kPlumbingKey, L"bCalloutFirst", text), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kPlumbingKey, 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

// Creating a key makes its parents; a subkey opens relative to an open key; the key
// a handle names can vanish from the file under it.
TEST_F(RegistryTest, ParentsSubkeysAndVanishedKeys) {
  createKey(L"Software\\Orvane Software\\Plumbing\\Recent");
  HKEY parent = nullptr;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, L"Software\\Orvane Software", 0, KEY_READ, &parent), ERROR_SUCCESS);
  HKEY child = nullptr;
  ASSERT_EQ(RegOpenKeyEx(parent, L"Plumbing\\Recent", 0, KEY_READ | KEY_WRITE, &child), ERROR_SUCCESS);
  const std::wstring value = L"a.dwg";
  ASSERT_EQ(RegSetValueEx(child, L"File1", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  std::wstring text;
  ASSERT_EQ(readString(L"Software\\Orvane Software\\Plumbing\\Recent", L"File1", text), ERROR_SUCCESS);
  EXPECT_EQ(text, L"a.dwg");
  // A key opened only for reading may not make subkeys.
  HKEY made = nullptr;
  EXPECT_EQ(RegCreateKeyEx(parent, L"Electrical", 0, nullptr, 0, KEY_READ, nullptr, &made, nullptr),
            ERROR_ACCESS_DENIED);

  fs::remove(file_);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueEx(child, L"File1", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(RegSetValueEx(child, L"File1", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), 8),
            ERROR_KEY_DELETED);
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
  std::wstring text;
  ASSERT_EQ(readString(kPlumbingKey, L"bCalloutFirst", text), ERROR_SUCCESS);
  EXPECT_EQ(text, L"0");
  ASSERT_EQ(readString(kPlumbingKey, nullptr, text), ERROR_SUCCESS);
  EXPECT_EQ(text, L"default");
  const RegistryStore store = RegistryStore::load(file_);
  const RegistryValue* count = store.findValue(kPlumbingPath, L"iCount");
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count->number, 0x1Fu);
}

// Damaged files read as an empty registry, never as a crash; replacing one keeps the
// damaged file beside it.
TEST_F(RegistryTest, GarbledFilesReadAsEmpty) {
  const std::vector<std::string> garbled = {
      std::string("[HKEY_CURRENT_USER\\Software\\Orvane Software\\Plumbing]\n\"a\"=\"1\"\n") +
          std::string("\0\x01\x02", 3),
      "\"bCalloutFirst\"=\"0\"\n[HKEY_CURRENT_USER\\Software\\Orvane Software\\Plumbing]\n",
      "[HKEY_CURRENT_USER\\Software\\Orvane Software\\Plumbing]\n\"bCalloutFirst\"=\"0\n",
      "[HKEY_CURRENT_USER\\Software\\Orvane Software\\Plumbing]\n\"bCalloutFirst\"=\"\\q\"\n",
      "[HKEY_CURRENT_USER\\Software\\Orvane Software\\Plumbing\n",
      "[HKEY_NOWHERE\\Software\\Orvane Software\\Plumbing]\n",
      "[HKEY_CURRENT_USER\\Software\\Orvane Software\\Plumbing]\n\"iCount\"=dword:123456789\n",
      "[HKEY_CURRENT_USER\\Software\\Orvane Software\\Plumbing]\njust words\n",
      "\xff\xfe garbage",
  };
  for (const std::string& text : garbled) {
    SCOPED_TRACE(text);
    writeFile(text);
    const RegistryStore store = RegistryStore::load(file_);
    EXPECT_TRUE(store.garbled());
    EXPECT_TRUE(store.keys().empty());
    std::wstring value;
    EXPECT_EQ(readString(kPlumbingKey, L"bCalloutFirst", value), ERROR_FILE_NOT_FOUND);
  }

  writeFile(garbled[1]);
  createKey(kPlumbingKey);
  EXPECT_FALSE(RegistryStore::load(file_).garbled());
  std::ifstream kept(file_ + ".bad", std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>()), garbled[1]);
}

// The file's place: OVHOST_REGISTRY, else the configuration folder of the user.
TEST(RegistryFilePath, FollowsTheEnvironment) {
  {
    ScopedEnv registry("OVHOST_REGISTRY", "/tmp/x/reg.txt");
    ScopedEnv config("XDG_CONFIG_HOME", "/tmp/config");
    EXPECT_EQ(RegistryStore::filePath(), "/tmp/x/reg.txt");
  }
  {
    ScopedEnv registry("OVHOST_REGISTRY", std::nullopt);
    ScopedEnv config("XDG_CONFIG_HOME", "/tmp/config");
    EXPECT_EQ(RegistryStore::filePath(), "/tmp/config/ovhost/registry.txt");
  }
  {
    ScopedEnv registry("OVHOST_REGISTRY", "");
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(RegistryStore::filePath(), "/home/someone/.config/ovhost/registry.txt");
  }
}

}  // namespace
