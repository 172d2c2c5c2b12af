// The platform services besides the registry: directory searches with the platform's
// matching rules, the recorded shell open, the last-error code and window activation.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "win/find_file.h"
#include "win/last_error.h"
#include "win/shell_execute.h"
#include "win/win_text.h"
#include "win/window_focus.h"

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::wstring>;

class FindFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ov_find_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  void touch(const std::string& name, std::size_t size = 0) {
    std::ofstream(dir_ / name, std::ios::binary) << std::string(size, 'x');
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
};

// `?` stands for exactly one character, `*` for any run, letters match in either case
// and either slash separates folders; "*.*" lists everything, "." and ".." first.
// Telling a project database's candidates apart is the caller's work.
TEST_F(FindFileTest, WildcardsListMatchingNamesInOrder) {
  for (const char* name : {"Project ov_plumb.ov", "52-OV Project ov_plumb.ov", "Project ov_plumb_MASTER.ov",
                           "x_standards OV_PLUMB.OV", "Project ov_plumb.mdb", "Project ov_plumb.ov.bak",
                           "ov_plumb.ovx", "VALVE1.dwg", "valve22.DWG", "gate.dwg", "noext", ".hidden"})
    touch(name);
  touch("VALVE1.dwg", 10);
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
TEST_F(FindFileTest, FailuresAnswerCodes) {
  touch("a.dwg");
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
  EXPECT_TRUE(winEqualNoCase(L"\u0436\u0451", L"\u0416\u0401"));                 // Cyrillic
  EXPECT_TRUE(winEqualNoCase(L"\u03c3\u03c2", L"\u03a3\u03a3"));                 // both sigmas
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
      {L"*", L"", true},           {L"*ov_plumb*.ov", L"Project OV_PLUMB.ov", true},
      {L"?", L"", false},          {L"*ov_plumb*.ov", L"Project ov_plumb.ovx", false},
      {L"a?c", L"ABC", true},      {L"a?c", L"ac", false},
      {L"*.*", L"noext", true},    {L"*.", L"a.dwg", false},
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
  std::vector<ShellExecuteCall> calls = shellExecuteCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].window, hostMainWindow());
  EXPECT_EQ(calls[0].operation, L"OPEN");
  EXPECT_EQ(calls[0].file, L"https://example.com/OVComponents.exe");
  EXPECT_EQ(calls[0].showCommand, SW_SHOWNORMAL);
  EXPECT_EQ(calls[0].answer, 42);
  EXPECT_EQ(calls[1].operation, L"");
  EXPECT_EQ(calls[1].parameters, L"-x");
  EXPECT_EQ(calls[1].directory, L"/tmp");
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

TEST(LastError, IsKeptPerThread) {
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
}

// Activations are recorded and move the active window; the previous one is answered
// so a caller can put it back.
TEST(WindowFocus, ActivationsAreRecordedAndRestorable) {
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
  const std::vector<WindowActivation> log = windowActivations();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].call, L"SetActiveWindow");
  EXPECT_EQ(log[0].window, &dialog);
  EXPECT_EQ(log[1].window, before);
  EXPECT_EQ(log[2].call, L"SetForegroundWindow");
  EXPECT_EQ(GetActiveWindow(), main);
  clearWindowActivations();
}

}  // namespace
