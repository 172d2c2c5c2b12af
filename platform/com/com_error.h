// The exception a failing COM call raises (_com_error) and the call that raises it.
#pragma once

#include <string>

#include "com/bstr.h"
#include "com/com_base.h"

// Carries the failing HRESULT, the identifier of the interface that failed and, when
// the object described the failure, its description.
class _com_error {
 public:
  explicit _com_error(HRESULT hr, const IID& iid = IID{}, std::wstring description = {});

  HRESULT Error() const noexcept { return hr_; }
  // The system's text for the HRESULT ("Unspecified error", "Class not registered" ...).
  const wchar_t* ErrorMessage() const noexcept { return message_.c_str(); }
  // What the failing object said about the failure; empty when it said nothing.
  _bstr_t Description() const { return _bstr_t(description_); }
  const IID& interfaceId() const noexcept { return iid_; }

 private:
  HRESULT hr_;
  IID iid_;
  std::wstring message_;
  std::wstring description_;
};

// The system's text for an HRESULT.
std::wstring comErrorMessage(HRESULT hr);

// An object stores the description of its failure here before answering a failing
// HRESULT (the per-thread error information of the platform); the next
// _com_issue_errorex takes it.
void comSetErrorDescription(const std::wstring& description);
std::wstring comTakeErrorDescription();

// Raises _com_error for `hr` on interface `iid` of `object`, with the description the
// object left.
[[noreturn]] void _com_issue_errorex(HRESULT hr, IUnknown* object, const IID& iid);
// Raises _com_error for a failure of the caller's own, with no interface or description.
[[noreturn]] void _com_issue_error(HRESULT hr);
