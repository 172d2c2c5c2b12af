// Registry strings, model-space appends and the dialog failure check.
#include "frame/host_services.h"

#include <vector>

#include "arx/aced_alert.h"
#include "arx/aced_lisp.h"
#include "arx/db_database.h"
#include "arx/db_symtab.h"
#include "arx/resbuf.h"
#include "mfc/main_window.h"
#include "mfc/message_box.h"
#include "win/registry.h"
#include "win/shell_execute.h"
#include "win/window_focus.h"

namespace {

constexpr wchar_t kErrorTitle[] = L"Orvane Error";
constexpr wchar_t kSupportLine[] = L"Contact Orvane Software technical support at (555) 010-4477.";

// Asks in a message box and puts the window that was active back afterwards.
int askRestoringFocus(const std::wstring& text, UINT type) {
  HWND active = GetActiveWindow();
  const int answer = MessageBox(adsw_acadMainWnd(), text.c_str(), kErrorTitle, type);
  SetActiveWindow(active);
  return answer;
}

}  // namespace

std::wstring ovRegistryRead(const std::wstring& subkey, const std::wstring& valueName) {
  HKEY key = nullptr;
  const std::wstring path = kRegistryRoot + subkey;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  DWORD type = 0;
  DWORD size = 0;
  std::wstring text;
  if (RegQueryValueEx(key, valueName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0) {
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueEx(key, valueName.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &size) ==
        ERROR_SUCCESS)
      text = buffer.data();
  }
  RegCloseKey(key);
  return text;
}

bool ovRegistryWrite(const std::wstring& subkey, const std::wstring& valueName, const std::wstring& text) {
  HKEY key = nullptr;
  const std::wstring path = kRegistryRoot + subkey;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS) return false;
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  const bool written = RegSetValueEx(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                     bytes) == ERROR_SUCCESS;
  RegCloseKey(key);
  return written;
}

Acad::ErrorStatus ovAppendToModelSpace(AcDbEntity* entity) {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbBlockTable* table = nullptr;
  Acad::ErrorStatus es = db != nullptr ? db->getBlockTable(table, AcDb::kForRead) : Acad::eNoDatabase;
  if (es != Acad::eOk) {
    acedAlert(L"Failed to get block table!");
    return es;
  }
  AcDbBlockTableRecord* modelSpace = nullptr;
  es = table->getAt(ACDB_MODEL_SPACE, modelSpace, AcDb::kForWrite);
  table->close();
  if (es != Acad::eOk) {
    acedAlert(L"Failed to get block table record!");
    acutPrintf(L"\n%i", static_cast<int>(es));
    return es;
  }
  es = modelSpace->appendAcDbEntity(entity);
  modelSpace->close();
  if (es != Acad::eOk) acedAlert(L"Failed to append entity!");
  return es;
}

Acad::ErrorStatus ovAppendToModelSpaceAndClose(AcDbEntity* entity) {
  const Acad::ErrorStatus es = ovAppendToModelSpace(entity);
  if (es == Acad::eOk) entity->close();
  return es;
}

int ovDialogFailureCheck(int result) {
  if (result != -1 && result != 3) return result;
  if (askRestoringFocus(L"Dialog box could not be created.\nComponents need to be installed.\n"
                        L"Would you like to download a fix to this error?",
                        MB_YESNO | MB_ICONERROR) != IDYES)
    return result;
  HINSTANCE answer = ShellExecute(adsw_acadMainWnd(), L"OPEN", kComponentsDownload, nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(answer) <= 32) {
    acutPrintf(L"\nError downloading %s", kComponentsDownload);
    acutPrintf(L"\n%s", kSupportLine);
    askRestoringFocus(std::wstring(L"Error downloading OVComponents.exe.\nContact Orvane Software technical support.\n") +
                          kSupportLine,
                      MB_OK | MB_ICONERROR);
  } else {
    acutPrintf(L"\nDownloading %s", kComponentsDownload);
    askRestoringFocus(L"Finish downloading OVComponents.exe.\nClose AutoCAD.\nRun OVComponents.exe.\nRestart AutoCAD.\n\n"
                      L"If you continue to have problems, contact Orvane Software technical support.",
                      MB_OK | MB_ICONINFORMATION);
  }
  return result;
}

ResbufChain ovInvokeHost(resbuf* request, int* status) {
  ResbufChain call(request);
  resbuf* answer = nullptr;
  const int result = acedInvoke(call.get(), &answer);
  if (status != nullptr) *status = result;
  return ResbufChain(answer);
}

resbuf* ovAppendChain(resbuf* list, resbuf* chain) {
  resbuf* last = list;
  while (last->rbnext != nullptr) last = last->rbnext;
  last->rbnext = chain;
  while (last->rbnext != nullptr) last = last->rbnext;
  return last;
}
