// Finding, opening, repairing and closing a project's database, and reporting its
// errors in the module's words.
#include "frame/context.h"

#include <cwctype>
#include <memory>

#include "arx/aced_lisp.h"
#include "com/com_error.h"
#include "db/project_file.h"
#include "frame/resbuf_chain.h"
#include "win/find_file.h"

namespace {

std::wstring gLastError;

std::wstring trimmedRight(std::wstring text) {
  while (!text.empty() && std::iswspace(text.back())) text.pop_back();
  return text;
}

// Counts the candidates of one search, stopping at the second.
int searchCandidates(const std::wstring& folder, const wchar_t* token, const wchar_t* extension, std::wstring& found) {
  const std::wstring pattern = folder + L"\\*" + token + L"*." + extension;
  WIN32_FIND_DATA data;
  HANDLE search = FindFirstFile(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int candidates = 0;
  do {
    if (!isProjectDatabaseCandidate(data.cFileName)) continue;
    if (++candidates == 1) found = pathInFolder(folder, data.cFileName);
  } while (candidates < 2 && FindNextFile(search, &data));
  FindClose(search);
  return candidates;
}

// The repair the component asks for: the LISP program compacts and repairs the file.
bool repairedByHost(const std::wstring& file) {
  ResbufChain call(acutBuildList(RTSTR, L"compactDatabase", RTSTR, file.c_str(), RTNIL, RTSTR, L"Repair", 0));
  resbuf* answer = nullptr;
  const int status = acedInvoke(call.get(), &answer);
  ResbufChain result(answer);
  return status == RTNORM && result && result->restype != RTNIL;
}

bool openedStatus(const _bstr_t& status) {
  const std::wstring text = static_cast<const wchar_t*>(status) != nullptr ? static_cast<const wchar_t*>(status) : L"";
  return !text.empty() && text != L"*REPAIR*";
}

}  // namespace

std::wstring ovFindDatabaseFile(const std::wstring& folder, const wchar_t* token) {
  std::wstring found;
  if (searchCandidates(folder, token, L"ov", found) == 1) return found;
  found.clear();
  if (searchCandidates(folder, token, L"mdb", found) == 1) return found;
  return {};
}

bool ovOpenProject(ovPerProjectData* project, const std::wstring& folderGiven, const wchar_t* token, bool report) {
  if (project == nullptr || ovIsOpen(project->connection)) return false;
  const std::wstring folder = trimmedRight(folderGiven);
  if (folder.empty()) return false;
  project->key = folder;
  const std::wstring file = ovFindDatabaseFile(folder, token);
  if (file.empty()) {
    if (report) acutPrintf(L"%s", L"\nError finding the plumbing database.");
    return false;
  }
  ProjectDatabasePtr database;
  if (FAILED(database.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL))) return true;

  const _bstr_t path(file.c_str());
  const _bstr_t status = database->OpenProjectDatabase(path, 0, 0);
  const std::wstring first = static_cast<const wchar_t*>(status) != nullptr ? static_cast<const wchar_t*>(status) : L"";
  bool failed = false;
  if (first == L"*REPAIR*") {
    _variant_t ignored;
    database->CloseDatabase(&ignored);
    if (repairedByHost(file) && openedStatus(database->OpenProjectDatabase(path, 0, 0))) {
      failed = false;
    } else {
      failed = ovReportDatabaseError(database);
    }
  } else if (first.empty()) {
    failed = ovReportDatabaseError(database);
  }
  if (failed) return false;
  project->connection = database;
  return true;
}

void ovDisconnect(ovPerProjectData* project) {
  if (project == nullptr) return;
  project->dropTables();
  if (ovIsOpen(project->connection)) {
    _variant_t ignored;
    project->connection->CloseDatabase(&ignored);
  }
}

bool ovCheckAlignmentPoint(ovPerDocData* data, bool report) {
  if (data != nullptr && data->alignmentPointSet) return true;
  if (report) acutPrintf(L"%s", L"\nAlignment point not set yet!\nIt must be set before ducts can be inserted.");
  return false;
}

bool ovReportDatabaseError(const ProjectDatabasePtr& connection) {
  acedRetNil();
  if (!connection) return false;
  VARIANT_BOOL pending = VARIANT_FALSE;
  connection->HasError(&pending);
  if (pending != VARIANT_TRUE) return false;
  long code = 0;
  BSTR message = nullptr;
  connection->ReadLastError(&code, &message);
  const std::wstring text = message != nullptr ? message : L"";
  SysFreeString(message);
  gLastError = L"(" + std::to_wstring(code) + L") " + text;
  switch (code) {
    case 3021: break;
    case 3043:
      acutPrintf(L"%s", L"\nA disk or network error occurred while trying to access the database.");
      acutPrintf(L"%s", L"Try the command again. If it continues to not work, try restarting AutoCAD. If that does not "
                        L"fix the error, try restarting your computer.");
      break;
    default: acutPrintf(L"\nDatabase Error: %s", text.c_str()); break;
  }
  return true;
}

const std::wstring& ovLastDatabaseError() { return gLastError; }
