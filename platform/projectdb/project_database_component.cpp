// The reference counting and the pending error of the project database components.
#include "projectdb/project_database_component.h"

#include "com/com_error.h"

HRESULT ProjectDatabaseComponent::QueryInterface(const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_ProjectDatabase) {
    *object = static_cast<ProjectDatabase*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG ProjectDatabaseComponent::AddRef() { return ++references_; }

ULONG ProjectDatabaseComponent::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

void ProjectDatabaseComponent::setError(const ComponentFailure& failure) {
  errorPending_ = true;
  error_ = failure;
}

HRESULT ProjectDatabaseComponent::fail(const ComponentFailure& failure) {
  setError(failure);
  comSetErrorDescription(failure.message);
  return DISP_E_EXCEPTION;
}

HRESULT ProjectDatabaseComponent::raw_ReadLastError(long* code, BSTR* message) {
  if (code == nullptr || message == nullptr) return E_POINTER;
  BSTR text = SysAllocStringLen(errorPending_ ? error_.message.data() : L"",
                                errorPending_ ? static_cast<UINT>(error_.message.size()) : 0);
  if (text == nullptr) return E_OUTOFMEMORY;
  *code = errorPending_ ? error_.code : 0;
  *message = text;
  errorPending_ = false;
  return S_OK;
}

HRESULT ProjectDatabaseComponent::raw_HasError(VARIANT_BOOL* pending) {
  if (pending == nullptr) return E_POINTER;
  *pending = errorPending_ ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}
