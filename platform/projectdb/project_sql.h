// One connection of the host program's own to a project file: statements with "?"
// values, and a transaction around many of them when the program writes in bulk.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class ServerSession;

// A value of an SQL row: NULL, an integer, a real or a text.
using SqlCell = std::variant<std::monostate, std::int64_t, double, std::wstring>;
using SqlRow = std::vector<SqlCell>;

class ProjectSqlConnection {
 public:
  ProjectSqlConnection();
  ~ProjectSqlConnection();
  ProjectSqlConnection(const ProjectSqlConnection&) = delete;
  ProjectSqlConnection& operator=(const ProjectSqlConnection&) = delete;

  // Opens the file for reading and writing (WAL and the busy timeout let the
  // connection stand beside the module's); false with the reason. A file naming a
  // server connects to it, and the statements below are then SQLite's dialect
  // translated for the server (server_dialect.h), with the same answers.
  bool open(const std::string& path, std::wstring& error);
  // Runs one statement with values bound to its "?" parameters in order and answers
  // its rows; false with SQLite's message.
  bool run(const std::wstring& sql, const SqlRow& values, std::vector<SqlRow>& rows, std::wstring& error);
  // Runs the statement once for each list of values, prepared once, all in one
  // transaction: every row is written or, on the first failure, none.
  bool runEach(const std::wstring& sql, const std::vector<SqlRow>& valueRows, std::wstring& error);
  // The file named a server.
  bool onServer() const { return server_ != nullptr; }

 private:
  bool fail(std::wstring& error) const;
  sqlite3_stmt* prepare(const std::wstring& sql, std::size_t values, std::wstring& error);
  bool bind(sqlite3_stmt* statement, const SqlRow& values);

  sqlite3* db_ = nullptr;
  std::unique_ptr<ServerSession> server_;
};

// Column c of a row as a number, a whole number or a text; fallback for NULL and
// for a value of another kind.
double sqlReal(const SqlRow& row, std::size_t c, double fallback = 0.0);
std::int64_t sqlInteger(const SqlRow& row, std::size_t c, std::int64_t fallback = 0);
std::wstring sqlText(const SqlRow& row, std::size_t c);
