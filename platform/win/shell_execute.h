// The shell's "open a document or address" call. The console host never launches
// anything: it records each call for tests and answers as configured, so that the
// module's success and failure paths can both be driven.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "win/windows_types.h"

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;

// Answers of 32 and below are failures.
constexpr INT_PTR SE_ERR_FNF = 2;
constexpr INT_PTR SE_ERR_PNF = 3;
constexpr INT_PTR SE_ERR_ACCESSDENIED = 5;
constexpr INT_PTR SE_ERR_OOM = 8;
constexpr INT_PTR SE_ERR_NOASSOC = 31;

// Answers an instance-like value: above 32 for success. Without a file it fails with
// SE_ERR_FNF; otherwise it answers the configured result: the value given to
// setShellExecuteResult, else the number in the environment variable
// OVHOST_SHELL_RESULT, else 42.
HINSTANCE ShellExecute(HWND window, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters,
                       LPCWSTR directory, int showCommand);

struct ShellExecuteCall {
  HWND window = nullptr;
  std::wstring operation;  // empty when none was given (the default verb)
  std::wstring file;
  std::wstring parameters;
  std::wstring directory;
  int showCommand = 0;
  INT_PTR answer = 0;
};

// Every call since the last clear, oldest first.
std::vector<ShellExecuteCall> shellExecuteCalls();
void clearShellExecuteCalls();
// Fixes the answer of later calls; nothing goes back to the environment and default.
void setShellExecuteResult(std::optional<INT_PTR> result);
