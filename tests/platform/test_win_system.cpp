// The Windows stand-ins: registry values kept in the console host's registry file (the
// round trip, the size-then-read protocol, names without regard to case, access rights,
// files missing, hand-written or damaged), directory searches with the platform's
// matching rules, the recorded shell open, the last-error code and window activation.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "win/find_file.h"
#include "win/last_error.h"
#include "win/registry.h"
#include "win/shell_execute.h"
#include "win/win_text.h"
#include "win/window_focus.h"

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::wstring>;

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

// A folder of the test's own, with the registry file in it.
class WinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("ov_win_" + std::to_string(::getpid()) + "_" +
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

  void writeFile(const std::string& text, const std::string& name = "registry.txt") {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string fileText(const std::string& name = "registry.txt") const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  // The registry file from its first key on, past the comment that opens it.
  std::string keys() const {
    const std::string text = fileText();
    return text.substr(std::min(text.find("\n[") + 1, text.size()));
  }
  static HKEY open(const wchar_t* path, REGSAM access, HKEY root = HKEY_CURRENT_USER) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(root, path, 0, access, &key), ERROR_SUCCESS);
    return key;
  }
  static void createKey(const wchar_t* path) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr),
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

  std::wstring folder() const { return dir_.wstring() + L"/"; }

  // Every name a search answers, in order; the handle is closed at the end.
  static Names search(const std::wstring& pattern) {
    Names names;
    WIN32_FIND_DATA data;
    HANDLE handle = FindFirstFile(pattern.c_str(), &data);
    if (handle == INVALID_HANDLE_VALUE) return names;
    do names.push_back(data.cFileName);
    while (FindNextFile(handle, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(handle));
    return names;
  }
  // The first entry a search answers.
  static WIN32_FIND_DATA first(const std::wstring& pattern) {
    WIN32_FIND_DATA data{};
    HANDLE handle = FindFirstFile(pattern.c_str(), &data);
    EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    FindClose(handle);
    return data;
  }

  fs::path dir_;
  std::string file_;
  std::optional<ScopedEnv> env_;
};

// A value written is read back, also by a fresh load of the file, and the file says it
// in plain words; names ignore case and keep the letters first written.
TEST_F(WinTest, ValuesRoundTripThroughTheFileWhateverTheirCase) {
  createKey(kPlumbingKey);
  ASSERT_EQ(writeString(kPlumbingKey, L"bCalloutFirst", L"0"), ERROR_SUCCESS);
  EXPECT_EQ(read(L"bCalloutFirst"), L"0");
  // Texts that need escaping or are not ASCII survive the file.
  const std::wstring awkward = L"C:\\Blocks\\ \"quoted\"\nline two\tGr\u00f6\u00dfe \u0416";
  ASSERT_EQ(writeString(kPlumbingKey, L"sFolder", awkward), ERROR_SUCCESS);
  ASSERT_EQ(writeString(L"SOFTWARE\\orvane SOFTWARE\\plumbing", L"BCALLOUTFIRST", L"1"), ERROR_SUCCESS);
  EXPECT_EQ(read(L"bcalloutfirst"), L"1");
  EXPECT_EQ(read(L"sFolder"), awkward);
  EXPECT_EQ(RegistryStore::load(file_).findValue(kPlumbingPath, L"SFOLDER")->text, awkward);
  EXPECT_EQ(keys(),
            "[HKEY_CURRENT_USER\\Software\\Orvane Software\\Plumbing]\n\"bCalloutFirst\"=\"1\"\n"
            "\"sFolder\"=\"C:\\\\Blocks\\\\ \\\"quoted\\\"\\nline two\\tGr\xC3\xB6\xC3\x9F"
            "e \xD0\x96\"\n");
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
// ERROR_MORE_DATA with the size needed; a set text keeps what its size covers.
TEST_F(WinTest, SizeThenReadProtocolNumbersAndRefusedData) {
  createKey(kPlumbingKey);
  HKEY key = open(kPlumbingKey, KEY_ALL_ACCESS);
  ASSERT_EQ(setText(key, L"sName", L"abcd"), ERROR_SUCCESS);
  DWORD size = 0;
  DWORD type = REG_NONE;
  ASSERT_EQ(RegQueryValueEx(key, L"sName", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 5 * sizeof(wchar_t));
  wchar_t buffer[5] = {L'x', L'x', L'x', L'x', L'x'};
  size = 4 * sizeof(wchar_t);
  EXPECT_EQ(RegQueryValueEx(key, L"sName", nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 5 * sizeof(wchar_t));
  ASSERT_EQ(RegQueryValueEx(key, L"sName", nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), &size), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(buffer), L"abcd");
  EXPECT_EQ(size, 5 * sizeof(wchar_t));
  EXPECT_EQ(RegQueryValueEx(key, L"sName", nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer), nullptr),
            ERROR_INVALID_PARAMETER);

  const wchar_t text[] = L"abcdef";
  ASSERT_EQ(RegSetValueEx(key, L"cut", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 3 * sizeof(wchar_t)),
            ERROR_SUCCESS);
  EXPECT_EQ(read(L"cut"), L"abc");

  // Numbers are kept as numbers; other kinds of data and wrong sizes are refused
  // without touching the file.
  const DWORD number = 0xDEADBEEF;
  const BYTE* bytes = reinterpret_cast<const BYTE*>(&number);
  ASSERT_EQ(RegSetValueEx(key, L"iCount", 0, REG_DWORD, bytes, sizeof(number)), ERROR_SUCCESS);
  const std::string before = fileText();
  EXPECT_EQ(keys(),
            "[HKEY_CURRENT_USER\\Software\\Orvane Software\\Plumbing]\n\"sName\"=\"abcd\"\n\"cut\"=\"abc\"\n"
            "\"iCount\"=dword:deadbeef\n");
  EXPECT_EQ(RegSetValueEx(key, L"iCount", 0, REG_DWORD, bytes, 2), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueEx(key, L"blob", 0, 3 /* binary */, bytes, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueEx(key, L"sName", 0, REG_SZ, nullptr, 8), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(fileText(), before);
  DWORD value = 0;
  size = sizeof(value);
  ASSERT_EQ(RegQueryValueEx(key, L"icount", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(value, number);
  RegCloseKey(key);
}

// A key opened for reading cannot be written, a closed handle is refused, a value can
// be deleted once, and a null out-pointer is refused.
TEST_F(WinTest, HandlesAndAccessRights) {
  // A missing key is not opened, and writing to it makes neither the key nor the file.
  HKEY key = reinterpret_cast<HKEY>(0x1);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kPlumbingKey, 0, KEY_READ | KEY_WRITE, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(writeString(kPlumbingKey, L"bCalloutFirst", L"1"), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(fs::exists(file_));
  createKey(kPlumbingKey);
  ASSERT_EQ(writeString(kPlumbingKey, L"bCalloutFirst", L"1"), ERROR_SUCCESS);
  key = open(kPlumbingKey, KEY_READ);
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

  // Creating a key makes its parents; a subkey opens relative to an open key; the key
  // a handle names can vanish from the file under it.
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
  EXPECT_EQ(RegQueryValueEx(child, L"File1", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(setText(child, L"File1", L"a.dwg"), ERROR_KEY_DELETED);
  EXPECT_FALSE(fs::exists(file_));
  RegCloseKey(child);
  RegCloseKey(parent);
}

// A file written by hand in the documented format is read as written; damaged files
// read as an empty registry, never as a crash, and replacing one keeps it beside the
// new one; the file is found where the environment says.
TEST_F(WinTest, TheRegistryFileIsFoundAndReadAsWrittenOrAsEmptyWhenGarbled) {
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

  // Damaged files read as an empty registry, never as a crash; replacing one keeps the
  // damaged file beside it.
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

  // The file's place: OVHOST_REGISTRY, else the configuration folder of the user.
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

// ---- directory search, shell open, last error, windows ---------------------------

// `?` stands for exactly one character, `*` for any run, letters match in either case
// and either slash separates folders; "*.*" lists everything, "." and ".." first.
// Telling a project database's candidates apart is the caller's work.
TEST_F(WinTest, WildcardsListMatchingNamesInOrder) {
  for (const char* name : {"Project ov_plumb.ov", "52-OV Project ov_plumb.ov", "Project ov_plumb_MASTER.ov",
                           "x_standards OV_PLUMB.OV", "Project ov_plumb.mdb", "Project ov_plumb.ov.bak", "ov_plumb.ovx",
                           "VALVE1.dwg", "valve22.DWG", "gate.dwg", "noext", ".hidden"})
    writeFile("", name);
  writeFile("0123456789", "VALVE1.dwg");
  fs::create_directory(dir_ / "Valves.dwg");
  std::wstring backslashed = folder();
  for (wchar_t& c : backslashed)
    if (c == L'/') c = L'\\';
  const struct {
    std::wstring pattern;
    Names names;
  } cases[] = {
      {backslashed + L"*ov_plumb*.ov",
       {L"52-OV Project ov_plumb.ov", L"Project ov_plumb.ov", L"Project ov_plumb_MASTER.ov",
        L"x_standards OV_PLUMB.OV"}},
      {folder() + L"*OV_PLUMB*.MDB", {L"Project ov_plumb.mdb"}},
      {folder() + L"valve?.dwg", {L"VALVE1.dwg", L"Valves.dwg"}},
      {folder() + L"valve??.dwg", {L"valve22.DWG"}},
      {folder() + L"*.DWG", {L"gate.dwg", L"VALVE1.dwg", L"valve22.DWG", L"Valves.dwg"}},
      {folder() + L"*o*t", {L"noext"}},
      {folder() + L"*.*",
       {L".", L"..", L".hidden", L"52-OV Project ov_plumb.ov", L"gate.dwg", L"noext", L"ov_plumb.ovx",
        L"Project ov_plumb.mdb", L"Project ov_plumb.ov", L"Project ov_plumb.ov.bak", L"Project ov_plumb_MASTER.ov",
        L"VALVE1.dwg", L"valve22.DWG", L"Valves.dwg", L"x_standards OV_PLUMB.OV"}},
  };
  for (const auto& c : cases) EXPECT_EQ(search(c.pattern), c.names) << "pattern " << (&c - cases);

  // The entry tells files from folders and hidden files, and carries size and time.
  EXPECT_TRUE(first(folder() + L"v*s.dwg").dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(first(folder() + L".h*").dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
  WIN32_FIND_DATA valve = first(folder() + L"VALVE1.DWG");
  EXPECT_FALSE(valve.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(valve.nFileSizeLow, 10u);
  EXPECT_EQ(valve.nFileSizeHigh, 0u);
  // A write time after 2000-01-01 in the platform's count of 100-ns steps since 1601.
  const auto written =
      (static_cast<std::uint64_t>(valve.ftLastWriteTime.dwHighDateTime) << 32) | valve.ftLastWriteTime.dwLowDateTime;
  EXPECT_GT(written, 125911584000000000ull);
}

// Nothing found, a missing folder and bad arguments fail with the platform's codes;
// a closed or unknown handle is refused.
TEST_F(WinTest, FailuresAnswerCodes) {
  writeFile("", "a.dwg");
  WIN32_FIND_DATA data;
  const struct {
    std::wstring pattern;
    DWORD error;
  } cases[] = {
      {folder() + L"*.ov", ERROR_FILE_NOT_FOUND},
      {folder() + L"missing/*.dwg", ERROR_PATH_NOT_FOUND},
      {folder(), ERROR_FILE_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_EQ(FindFirstFile(c.pattern.c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(FindFirstFile(nullptr, &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(FindFirstFile((folder() + L"*.dwg").c_str(), nullptr), INVALID_HANDLE_VALUE);

  HANDLE handle = FindFirstFile((folder() + L"*.dwg").c_str(), &data);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FindNextFile(handle, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(handle));
  EXPECT_FALSE(FindClose(handle));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(FindNextFile(handle, &data));
  EXPECT_FALSE(FindNextFile(INVALID_HANDLE_VALUE, &data));
}

TEST(WinText, CaseFoldingBeyondAsciiAndWildcards) {
  EXPECT_TRUE(winEqualNoCase(L"Gr\u00f6\u00dfe", L"GR\u00d6\u00dfE"));
  EXPECT_TRUE(winEqualNoCase(L"\u0142\u00f3d\u017a", L"\u0141\u00d3D\u0179"));  // Polish, odd-start pairs
  EXPECT_TRUE(winEqualNoCase(L"\u0436\u0451", L"\u0416\u0401"));                // Cyrillic
  EXPECT_TRUE(winEqualNoCase(L"\u03c3\u03c2", L"\u03a3\u03a3"));                // both sigmas
  EXPECT_EQ(winUpperChar(L'\u00ff'), L'\u0178');
  EXPECT_EQ(winUpperChar(L'\u00f7'), L'\u00f7');
  EXPECT_FALSE(winEqualNoCase(L"abc", L"abd"));
  EXPECT_FALSE(winEqualNoCase(L"abc", L"ab"));
  EXPECT_LT(winCompareNoCase(L"apple", L"Banana"), 0);
  EXPECT_GT(winCompareNoCase(L"apples", L"APPLE"), 0);

  const struct {
    const wchar_t* pattern;
    const wchar_t* name;
    bool matches;
  } cases[] = {
      {L"*", L"", true},
      {L"?", L"", false},
      {L"a?c", L"ac", false},
      {L"*.", L"a.dwg", false},
  };
  for (const auto& c : cases) EXPECT_EQ(winMatchWildcard(c.pattern, c.name), c.matches) << "case " << (&c - cases);
  // Many stars over a long name that does not match must stay quick.
  EXPECT_FALSE(winMatchWildcard(L"*a*a*a*a*a*a*a*a*a*a*b", std::wstring(2000, L'a')));
}

// Each call is recorded with what it asked for and nothing is launched. The answer
// comes from the setter, else the environment, else the default; a call without a
// file fails whatever is configured.
TEST(ShellExecuteTest, CallsAreRecordedAndAnswerAsConfigured) {
  std::optional<std::string> old;
  if (const char* value = std::getenv("OVHOST_SHELL_RESULT")) old = value;
  ::unsetenv("OVHOST_SHELL_RESULT");
  clearShellExecuteCalls();
  setShellExecuteResult(std::nullopt);
  auto open = [](const wchar_t* target) {
    return reinterpret_cast<INT_PTR>(ShellExecute(hostMainWindow(), L"OPEN", target, nullptr, nullptr, SW_SHOWNORMAL));
  };
  EXPECT_EQ(open(L"https://example.com/OVComponents.exe"), 42);
  ShellExecute(nullptr, nullptr, L"notes.txt", L"-x", L"/tmp", SW_HIDE);
  EXPECT_EQ(shellExecuteCalls().size(), 2u);
  clearShellExecuteCalls();

  ::setenv("OVHOST_SHELL_RESULT", "31", 1);
  EXPECT_EQ(open(L"a"), SE_ERR_NOASSOC);
  ::setenv("OVHOST_SHELL_RESULT", "not a number", 1);
  EXPECT_EQ(open(L"a"), 42);
  ::setenv("OVHOST_SHELL_RESULT", "2", 1);
  setShellExecuteResult(33);
  EXPECT_EQ(open(L"a"), 33);
  setShellExecuteResult(std::nullopt);
  EXPECT_EQ(open(L"a"), 2);
  setShellExecuteResult(100);
  EXPECT_EQ(open(nullptr), SE_ERR_FNF);
  EXPECT_EQ(open(L""), SE_ERR_FNF);
  EXPECT_EQ(shellExecuteCalls().size(), 6u);

  clearShellExecuteCalls();
  setShellExecuteResult(std::nullopt);
  old ? ::setenv("OVHOST_SHELL_RESULT", old->c_str(), 1) : ::unsetenv("OVHOST_SHELL_RESULT");
}

TEST(WinState, LastErrorPerThreadAndWindowActivations) {
  SetLastError(ERROR_ACCESS_DENIED);
  DWORD seenByOther = 99;
  std::thread other([&] {
    seenByOther = GetLastError();
    SetLastError(ERROR_FILE_NOT_FOUND);
  });
  other.join();
  EXPECT_EQ(seenByOther, 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  SetLastError(0);

  // Activations are recorded and move the active window; the previous one is answered
  // so a caller can put it back.
  clearWindowActivations();
  HWND main = hostMainWindow();
  ASSERT_NE(main, nullptr);
  static HWND__ dialog{};
  HWND before = GetActiveWindow();
  EXPECT_EQ(SetActiveWindow(&dialog), before);
  EXPECT_EQ(GetActiveWindow(), &dialog);
  EXPECT_EQ(SetActiveWindow(before), &dialog);
  EXPECT_EQ(SetActiveWindow(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_TRUE(SetForegroundWindow(main));
  EXPECT_EQ(windowActivations().size(), 3u);
  EXPECT_EQ(GetActiveWindow(), main);
  clearWindowActivations();
}

}  // namespace
