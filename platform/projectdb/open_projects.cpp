// The open project files and the host program's own SQL on them.
#include "projectdb/open_projects.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "arx/aced_print.h"

namespace {

// Each open file with the number of connections that have it open.
std::map<std::string, int>& openFiles() {
  static std::map<std::string, int> files;
  return files;
}

// Files opened by name, in the order they were opened (a file twice when it was).
std::vector<std::string>& filesOpenedByName() {
  static std::vector<std::string> files;
  return files;
}

std::string canonicalFolder(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::weakly_canonical(path, ec);
  return (ec ? std::filesystem::path(path) : full).lexically_normal().string();
}

constexpr int kBusyTimeoutMs = 5000;

}  // namespace

void OpenProjectNote::set(const std::string& path) {
  clear();
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(path, ec);
  path_ = ec ? path : full.lexically_normal().string();
  if (byName_)
    filesOpenedByName().push_back(path_);
  else
    ++openFiles()[path_];
}

void OpenProjectNote::clear() {
  if (path_.empty()) return;
  if (byName_) {
    std::vector<std::string>& files = filesOpenedByName();
    const auto last = std::find(files.rbegin(), files.rend(), path_);
    if (last != files.rend()) files.erase(std::next(last).base());
  } else {
    auto found = openFiles().find(path_);
    if (found != openFiles().end() && --found->second == 0) openFiles().erase(found);
  }
  path_.clear();
}

std::string openProjectInFolder(const std::string& folder) {
  const std::string wanted = canonicalFolder(folder);
  for (const auto& [path, count] : openFiles())
    if (canonicalFolder(std::filesystem::path(path).parent_path().string()) == wanted) return path;
  return {};
}

std::string lastFileOpenedByName() {
  return filesOpenedByName().empty() ? std::string() : filesOpenedByName().back();
}

bool runProjectSql(const std::string& path, const std::wstring& sql, const std::vector<SqlCell>& values,
                   std::vector<std::vector<SqlCell>>& rows, std::wstring& error) {
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
  auto fail = [&]() {
    error = acutUtf8ToWide(raw ? sqlite3_errmsg(raw) : "cannot open the project database");
    return false;
  };
  if (opened != SQLITE_OK) return fail();
  sqlite3_busy_timeout(raw, kBusyTimeoutMs);
  const std::string text = acutWideToUtf8(sql);
  sqlite3_stmt* rawStatement = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(raw, text.c_str(), static_cast<int>(text.size()), &rawStatement, &tail) != SQLITE_OK)
    return fail();
  std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> statement(rawStatement, &sqlite3_finalize);
  if (statement == nullptr) return (error = L"no SQL statement"), false;
  if (tail != nullptr && std::string(tail).find_first_not_of(" \t\r\n;") != std::string::npos)
    return (error = L"one SQL statement at a time"), false;
  if (static_cast<std::size_t>(sqlite3_bind_parameter_count(rawStatement)) != values.size())
    return (error = L"the statement has " + std::to_wstring(sqlite3_bind_parameter_count(rawStatement)) +
                    L" parameters, " + std::to_wstring(values.size()) + L" values given"),
           false;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const int slot = static_cast<int>(i + 1);
    if (const auto* n = std::get_if<std::int64_t>(&values[i])) sqlite3_bind_int64(rawStatement, slot, *n);
    else if (const auto* d = std::get_if<double>(&values[i])) sqlite3_bind_double(rawStatement, slot, *d);
    else if (const auto* s = std::get_if<std::wstring>(&values[i]))
      sqlite3_bind_text(rawStatement, slot, acutWideToUtf8(*s).c_str(), -1, SQLITE_TRANSIENT);
    else sqlite3_bind_null(rawStatement, slot);
  }
  rows.clear();
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(rawStatement)) == SQLITE_ROW) {
    std::vector<SqlCell> row;
    for (int c = 0; c < sqlite3_column_count(rawStatement); ++c) {
      switch (sqlite3_column_type(rawStatement, c)) {
        case SQLITE_INTEGER: row.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(rawStatement, c))); break;
        case SQLITE_FLOAT: row.emplace_back(sqlite3_column_double(rawStatement, c)); break;
        case SQLITE_NULL: row.emplace_back(std::monostate{}); break;
        default: {
          const unsigned char* cell = sqlite3_column_text(rawStatement, c);
          row.emplace_back(acutUtf8ToWide(cell ? reinterpret_cast<const char*>(cell) : ""));
        }
      }
    }
    rows.push_back(std::move(row));
  }
  return step == SQLITE_DONE ? true : fail();
}
