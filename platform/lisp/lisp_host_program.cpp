// The host functions the application's LISP program stands on, and its loading.
#include "lisp/lisp_host_program.h"

#include <cstring>
#include <filesystem>

#include "arx/aced_print.h"
#include "arx/ap_doc_manager.h"
#include "lisp/lisp_args.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_printer.h"
#include "projectdb/open_projects.h"
#include "projectdb/project_repair.h"

namespace {

bool fits(char kind, const LispValue& v) {
  switch (kind) {
    case 'i': return v.isInt();
    case 'r': return v.isNumber();
    case 's': return v.isString();
    case 'n': return v.isNil();
    case 'l': return v.isList();
    default: return true;
  }
}

const wchar_t* kindName(char kind) {
  switch (kind) {
    case 'i': return L"an integer";
    case 'r': return L"a number";
    case 's': return L"a string";
    case 'n': return L"nil";
    case 'l': return L"a list";
    default: return L"a value";
  }
}

LispValue checkArguments(LispInterpreter&, const LispArgs& a) {
  const std::string shape = acutWideToUtf8(lispStringArg(a[1]));
  const std::wstring problem = lispCheckArguments(lispStringArg(a[0]), shape.c_str(), lispListArg(a[2]));
  if (!problem.empty()) throw LispError(problem);
  return LispValue::t();
}

}  // namespace

std::string lispCurrentProjectFile() {
  const std::string named = lastFileOpenedByName();
  if (!named.empty()) return named;
  const AcApDocument* doc = acDocManagerPtr()->curDocument();
  if (doc == nullptr) throw LispError(L"host-sql: no current drawing");
  const std::filesystem::path folder = std::filesystem::absolute(acutWideToUtf8(doc->fileName())).parent_path();
  const std::string file = openProjectInFolder(folder.string());
  if (file.empty()) throw LispError(L"host-sql: the module has no project open for the current drawing");
  return file;
}

namespace {

SqlCell sqlValue(const LispValue& v) {
  if (v.isNil()) return std::monostate{};
  if (v.isInt()) return static_cast<std::int64_t>(v.intValue());
  if (v.isReal()) return v.numberValue();
  if (v.isString()) return v.text();
  lispBadArgument(L"stringp", v);
}

LispValue lispCell(const SqlCell& cell) {
  if (const auto* n = std::get_if<std::int64_t>(&cell)) return LispValue::integer(static_cast<std::int32_t>(*n));
  if (const auto* d = std::get_if<double>(&cell)) return LispValue::real(*d);
  if (const auto* s = std::get_if<std::wstring>(&cell)) return LispValue::string(*s);
  return LispValue();
}

LispValue hostSql(LispInterpreter&, const LispArgs& a) {
  const std::wstring& sql = lispStringArg(a[0]);
  std::vector<SqlCell> values;
  for (std::size_t i = 1; i < a.size(); ++i) values.push_back(sqlValue(a[i]));
  std::vector<std::vector<SqlCell>> rows;
  std::wstring error;
  if (!runProjectSql(lispCurrentProjectFile(), sql, values, rows, error)) throw LispError(L"host-sql: " + error);
  LispArgs list;
  for (const std::vector<SqlCell>& row : rows) {
    LispArgs items;
    for (const SqlCell& cell : row) items.push_back(lispCell(cell));
    list.push_back(LispValue::list(items));
  }
  return LispValue::list(list);
}

// (host-sql-each SQL ROWS): the statement once per list of values, in one transaction.
LispValue hostSqlEach(LispInterpreter&, const LispArgs& a) {
  const std::wstring& sql = lispStringArg(a[0]);
  std::vector<SqlRow> valueRows;
  for (const LispValue& row : lispListArg(a[1])) {
    SqlRow values;
    for (const LispValue& v : lispListArg(row)) values.push_back(sqlValue(v));
    valueRows.push_back(std::move(values));
  }
  ProjectSqlConnection db;
  std::wstring error;
  if (!db.open(lispCurrentProjectFile(), error) || !db.runEach(sql, valueRows, error))
    throw LispError(L"host-sql-each: " + error);
  return LispValue::integer(static_cast<std::int32_t>(valueRows.size()));
}

// (host-csv-line VALUES): one line of a CSV file, each value as princ writes it, quoted
// (its quotes doubled) when it holds a comma, a quote or a line break.
LispValue csvLine(LispInterpreter&, const LispArgs& a) {
  std::wstring line;
  bool first = true;
  for (const LispValue& v : lispListArg(a[0])) {
    std::wstring field = v.isNil() ? L"" : lispToString(v, LispPrintStyle::kPrinc);
    if (field.find_first_of(L",\"\n\r") != std::wstring::npos) {
      for (std::size_t at = field.find(L'"'); at != std::wstring::npos; at = field.find(L'"', at + 2))
        field.insert(at, 1, L'"');
      field = L'"' + field + L'"';
    }
    line += (first ? L"" : L",") + field;
    first = false;
  }
  return LispValue::string(line);
}

LispValue repairProject(LispInterpreter&, const LispArgs& a) {
  std::wstring error;
  return projectDatabaseRepair(lispStringArg(a[0]), error) ? LispValue::t() : LispValue();
}

}  // namespace

std::wstring lispCheckArguments(const std::wstring& name, const char* shape, const LispArgs& args) {
  const size_t expected = std::strlen(shape);
  if (args.size() != expected)
    return (args.size() < expected ? L"too few arguments to " : L"too many arguments to ") + name;
  for (size_t i = 0; i < expected; ++i) {
    if (!fits(shape[i], args[i]))
      return L"bad argument " + std::to_wstring(i + 1) + L" of " + name + L": " + kindName(shape[i]) + L" expected";
  }
  return {};
}

void lispDefineHostProgram(LispInterpreter& interpreter) {
  interpreter.defineBuiltin(L"host-check-arguments", 3, 3, checkArguments);
  interpreter.defineBuiltin(L"host-sql", 1, -1, hostSql);
  interpreter.defineBuiltin(L"host-sql-each", 2, 2, hostSqlEach);
  interpreter.defineBuiltin(L"host-csv-line", 1, 1, csvLine);
  interpreter.defineBuiltin(L"host-repair-project", 1, 1, repairProject);
  lispDefineHostSizing(interpreter);
  const LispResult loaded = interpreter.evaluate(lispHostProgramText());
  // The program is part of the host: a fault in it is a fault of the build.
  if (!loaded.ok) throw LispError(L"the host's LISP program does not load: " + loaded.error);
}
