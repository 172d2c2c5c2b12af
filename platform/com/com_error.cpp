// _com_error, the system texts of the HRESULTs used here, and the per-thread error
// description an object leaves for the caller.
#include "com/com_error.h"

#include <cwchar>
#include <utility>

namespace {
thread_local std::wstring pendingDescription;
}

std::wstring comErrorMessage(HRESULT hr) {
  switch (hr) {
    case S_OK: return L"The operation completed successfully.";
    case S_FALSE: return L"Incorrect function.";
    case E_FAIL: return L"Unspecified error";
    case E_NOINTERFACE: return L"No such interface supported";
    case E_POINTER: return L"Invalid pointer";
    case E_INVALIDARG: return L"The parameter is incorrect.";
    case E_OUTOFMEMORY: return L"Not enough memory resources are available to complete this operation.";
    case E_UNEXPECTED: return L"Catastrophic failure";
    case REGDB_E_CLASSNOTREG: return L"Class not registered";
    case CLASS_E_NOAGGREGATION: return L"Class does not support aggregation (or class object is remote)";
    case DISP_E_EXCEPTION: return L"Exception occurred.";
    case DISP_E_BADVARTYPE: return L"Bad variable type.";
    case DISP_E_TYPEMISMATCH: return L"Type mismatch.";
    case DISP_E_OVERFLOW: return L"Out of present range.";
    case DISP_E_BADINDEX: return L"Invalid index.";
    case DISP_E_ARRAYISLOCKED: return L"Memory is locked.";
    default: break;
  }
  wchar_t text[40];
  std::swprintf(text, 40, L"Unknown error 0x%08X", static_cast<unsigned>(hr));
  return text;
}

_com_error::_com_error(HRESULT hr, const IID& iid, std::wstring description)
    : hr_(hr), iid_(iid), message_(comErrorMessage(hr)), description_(std::move(description)) {}

void comSetErrorDescription(const std::wstring& description) { pendingDescription = description; }

std::wstring comTakeErrorDescription() { return std::exchange(pendingDescription, std::wstring()); }

void _com_issue_errorex(HRESULT hr, IUnknown*, const IID& iid) { throw _com_error(hr, iid, comTakeErrorDescription()); }

void _com_issue_error(HRESULT hr) { throw _com_error(hr); }
