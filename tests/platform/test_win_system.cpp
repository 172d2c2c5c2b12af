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

// ---- directory search --------------------------------------------------------------

class FindFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / ("ov_find_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  void touch(const std::string& name, std::size_t size = 0) {
    std::ofstream out(dir_ / name, std::ios::binary);
    out << std::string(size, 'x');
  }
  std::wstring folder(const wchar_t* separator = L"/") const {
    std::wstring text = dir_.wstring();
    if (std::wstring(separator) == L"\\")
      for (wchar_t& c : text)
        if (c == L'/') c = L'\\';
    return text + separator;
  }

  // Every name a search answers, in order; the handle is closed at the end.
  static std::vector<std::wstring> search(const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATA data;
    HANDLE handle = FindFirstFile(pattern.c_str(), &data);
    if (handle == INVALID_HANDLE_VALUE) return names;
    do names.push_back(data.cFileName);
    while (FindNextFile(handle, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(handle));
    return names;
  }

  fs::path dir_;
};

// The project folder with the names a project database search meets: the search
// lists all of them, whatever their case; telling them apart is the caller's work.
TEST_F(FindFileTest, ListsProjectDatabaseCandidates) {
  for (const char* name : {"Project ov_plumb.ov", "52-OV Project ov_plumb.ov", "Project ov_plumb_MASTER.ov",
                           "x_standards OV_PLUMB.OV", "Project ov_plumb.mdb", "Project ov_plumb.ov.bak",
                           "drawing.dwg", "ov_plumb.ovx"})
    touch(name);
  EXPECT_EQ(search(folder(L"\\") + L"*ov_plumb*.ov"),
            (std::vector<std::wstring>{L"52-OV Project ov_plumb.ov", L"Project ov_plumb.ov",
                                       L"Project ov_plumb_MASTER.ov", L"x_standards OV_PLUMB.OV"}));
  EXPECT_EQ(search(folder(L"/") + L"*OV_PLUMB*.MDB"), (std::vector<std::wstring>{L"Project ov_plumb.mdb"}));
}

// `?` stands for exactly one character, `*` for any run, and letters match in either
// case; the entry tells files from folders and carries the size.
TEST_F(FindFileTest, WildcardsAndEntryDetails) {
  touch("VALVE1.dwg", 10);
  touch("valve22.DWG", 3);
  touch("gate.dwg", 5);
  fs::create_directory(dir_ / "Valves.dwg");
  EXPECT_EQ(search(folder() + L"valve?.dwg"), (std::vector<std::wstring>{L"VALVE1.dwg", L"Valves.dwg"}));
  EXPECT_EQ(search(folder() + L"valve??.dwg"), (std::vector<std::wstring>{L"valve22.DWG"}));
  EXPECT_EQ(search(folder() + L"*.DWG"),
            (std::vector<std::wstring>{L"gate.dwg", L"VALVE1.dwg", L"valve22.DWG", L"Valves.dwg"}));

  WIN32_FIND_DATA data;
  HANDLE handle = FindFirstFile((folder() + L"v*s.dwg").c_str(), &data);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  EXPECT_EQ(std::wstring(data.cFileName), L"Valves.dwg");
  EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  FindClose(handle);
  handle = FindFirstFile((folder() + L"VALVE1.DWG").c_str(), &data);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(data.nFileSizeLow, 10u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  // A write time after 2000-01-01 in the platform's count of 100-ns steps since 1601.
  const auto written = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                       data.ftLastWriteTime.dwLowDateTime;
  EXPECT_GT(written, 125911584000000000ull);
  FindClose(handle);
}

// "*.*" lists everything, the folder's own "." and ".." first; names with a leading
// dot are hidden files.
TEST_F(FindFileTest, EverythingPatternAndHiddenFiles) {
  touch("noext");
  touch(".hidden");
  const std::vector<std::wstring> all = search(folder() + L"*.*");
  EXPECT_EQ(all, (std::vector<std::wstring>{L".", L"..", L".hidden", L"noext"}));
  WIN32_FIND_DATA data;
  HANDLE handle = FindFirstFile((folder() + L".h*").c_str(), &data);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
  FindClose(handle);
}

// Nothing found, a missing folder and bad arguments fail with the platform's codes;
// a closed or unknown handle is refused.
TEST_F(FindFileTest, FailuresAnswerCodes) {
  touch("a.dwg");
  WIN32_FIND_DATA data;
  SetLastError(0);
  EXPECT_EQ(FindFirstFile((folder() + L"*.ov").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(FindFirstFile((folder() + L"missing/*.dwg").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(FindFirstFile(folder().c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
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

// ---- the matching rules ------------------------------------------------------------

TEST(WinText, CaseFoldingBeyondAscii) {
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
}

TEST(WinText, WildcardMatching) {
  EXPECT_TRUE(winMatchWildcard(L"*", L""));
  EXPECT_TRUE(winMatchWildcard(L"*ov_plumb*.ov", L"Project OV_PLUMB.ov"));
  EXPECT_FALSE(winMatchWildcard(L"*ov_plumb*.ov", L"Project ov_plumb.ovx"));
  EXPECT_FALSE(winMatchWildcard(L"?", L""));
  EXPECT_TRUE(winMatchWildcard(L"a?c", L"ABC"));
  EXPECT_FALSE(winMatchWildcard(L"a?c", L"ac"));
  EXPECT_TRUE(winMatchWildcard(L"*.*", L"noext"));
  EXPECT_FALSE(winMatchWildcard(L"*.", L"a.dwg"));
  // Many stars over a long name that does not match must stay quick.
  EXPECT_FALSE(winMatchWildcard(L"*a*a*a*a*a*a*a*a*a*a*b", std::wstring(2000, L'a')));
}

// ---- shell open --------------------------------------------------------------------

class ShellExecuteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clearShellExecuteCalls();
    setShellExecuteResult(std::nullopt);
    if (const char* old = std::getenv("OVHOST_SHELL_RESULT")) old_ = old;
    ::unsetenv("OVHOST_SHELL_RESULT");
  }
  void TearDown() override {
    clearShellExecuteCalls();
    setShellExecuteResult(std::nullopt);
    if (old_) ::setenv("OVHOST_SHELL_RESULT", old_->c_str(), 1);
    else ::unsetenv("OVHOST_SHELL_RESULT");
  }
  static INT_PTR open(const wchar_t* target) {
    return reinterpret_cast<INT_PTR>(ShellExecute(hostMainWindow(), L"OPEN", target, nullptr, nullptr, SW_SHOWNORMAL));
  }
  std::optional<std::string> old_;
};

// Each call is recorded with what it asked for; nothing is launched.
TEST_F(ShellExecuteTest, CallsAreRecorded) {
  EXPECT_EQ(open(L"https://example.com/OVComponents.exe"), 42);
  ShellExecute(nullptr, nullptr, L"notes.txt", L"-x", L"/tmp", SW_HIDE);
  const std::vector<ShellExecuteCall> calls = shellExecuteCalls();
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
  EXPECT_TRUE(shellExecuteCalls().empty());
}

// The answer comes from the setter, else the environment, else the default; a call
// without a file fails whatever is configured.
TEST_F(ShellExecuteTest, AnswerFollowsConfiguration) {
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
}

// ---- last error and windows --------------------------------------------------------

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
