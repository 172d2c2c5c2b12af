// What both project database components share: the COM object's reference counting
// and QueryInterface, and the pending error that a failing call leaves for
// ReadLastError and HasError.
#pragma once

#include <atomic>
#include <new>

#include "projectdb/component_failure.h"
#include "projectdb/project_database.h"

class ProjectDatabaseComponent : public ProjectDatabase {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT raw_ReadLastError(long* code, BSTR* message) override;
  HRESULT raw_HasError(VARIANT_BOOL* pending) override;

 protected:
  ProjectDatabaseComponent() = default;

  // Runs a call's body; a failure it throws becomes the pending error and
  // DISP_E_EXCEPTION, running out of memory E_OUTOFMEMORY.
  template <class Body>
  HRESULT guarded(Body&& body) {
    try {
      return body();
    } catch (const ComponentFailure& failure) {
      return fail(failure);
    } catch (const std::bad_alloc&) {
      setError({projectdb_error::kSqlFailure, L"Out of memory."});
      return E_OUTOFMEMORY;
    }
  }
  HRESULT fail(const ComponentFailure& failure);
  void setError(const ComponentFailure& failure);
  void forgetError() { errorPending_ = false; }
  bool errorPending() const { return errorPending_; }

 private:
  std::atomic<ULONG> references_{1};
  bool errorPending_ = false;
  ComponentFailure error_{0, {}};
};
