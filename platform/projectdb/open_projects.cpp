// The open project files and the host program's own SQL on them.
#include "projectdb/open_projects.h"

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
  ProjectSqlConnection connection;
  return connection.open(path, error) && connection.run(sql, values, rows, error);
}
