// Reading the component's flat query answer: each row opens with "*NewRecord*", then
// a column name and its value for every selected column.
#include "dialogs/project_sql.h"

#include "com/com_error.h"
#include "com/safearray.h"
#include "db/field_conversion.h"
#include "frame/context.h"

namespace {

constexpr wchar_t kNewRecordMark[] = L"*NewRecord*";

bool isNewRecordMark(const VARIANT& value) {
  return value.vt == VT_BSTR && value.bstrVal != nullptr && std::wstring(value.bstrVal) == kNewRecordMark;
}

// A refused statement: told the user, then raised.
void failStatement(const ProjectDatabasePtr& db) {
  if (ovReportDatabaseError(db)) _com_issue_error(E_FAIL);
}

}  // namespace

std::int32_t QueryRow::integer(std::size_t column) const {
  return column < values.size() ? variantToInt(values[column]) : 0;
}

double QueryRow::real(std::size_t column) const { return column < values.size() ? variantToReal(values[column]) : 0.0; }

std::wstring QueryRow::text(std::size_t column) const {
  return column < values.size() ? variantToText(values[column]) : std::wstring();
}

std::vector<QueryRow> queryRows(const ProjectDatabasePtr& db, const std::wstring& sql) {
  std::vector<QueryRow> rows;
  if (!db) return rows;
  _variant_t answer;
  VARIANT_BOOL ok = VARIANT_FALSE;
  db->Query(_bstr_t(sql.c_str()), &answer, &ok);
  if (ok != VARIANT_TRUE) {
    failStatement(db);
    return rows;
  }
  if (answer.vt != (VT_ARRAY | VT_VARIANT) || answer.parray == nullptr) return rows;
  LONG low = 0;
  LONG high = -1;
  SafeArrayGetLBound(answer.parray, 1, &low);
  SafeArrayGetUBound(answer.parray, 1, &high);
  // After the mark, names and values alternate; a value follows its name.
  bool nameNext = true;
  for (LONG at = low; at <= high; ++at) {
    _variant_t element;
    if (FAILED(SafeArrayGetElement(answer.parray, &at, &element))) break;
    if (nameNext && isNewRecordMark(element)) {
      rows.emplace_back();
      continue;
    }
    if (!nameNext && !rows.empty()) rows.back().values.push_back(element);
    nameNext = !nameNext;
  }
  return rows;
}

bool runSqlReported(const ProjectDatabasePtr& db, const std::wstring& sql) {
  if (!db || db->Execute(_bstr_t(sql.c_str())) == VARIANT_TRUE) return true;
  ovReportDatabaseError(db);
  return false;
}

void executeSql(const ProjectDatabasePtr& db, const std::wstring& sql) {
  if (db && db->Execute(_bstr_t(sql.c_str())) != VARIANT_TRUE) failStatement(db);
}
