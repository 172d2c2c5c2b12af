// Reading the component's pending failure into a text.
#include "db/component_error.h"

std::wstring lastComponentError(ProjectDatabase& db, const std::wstring& fallback) {
  VARIANT_BOOL pending = VARIANT_FALSE;
  db.HasError(&pending);
  if (pending != VARIANT_TRUE) return fallback;
  long code = 0;
  _bstr_t message;
  db.ReadLastError(&code, message.GetAddress());
  std::wstring text = L"(";
  text += std::to_wstring(code);
  text += L") ";
  text += message.wstring();
  return text;
}

std::wstring comErrorText(const _com_error& error) {
  std::wstring description = error.Description().wstring();
  return description.empty() ? std::wstring(error.ErrorMessage()) : description;
}
