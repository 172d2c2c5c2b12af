// Object creation: the registry of class factories that stands in for the system's
// class registrations, CoCreateInstance and OleRun.
#include "com/com_base.h"

#include <mutex>
#include <utility>
#include <vector>

namespace {

struct ClassRegistry {
  std::mutex mutex;
  std::vector<std::pair<CLSID, ComCreateFunction>> classes;
};

ClassRegistry& registry() {
  static ClassRegistry instance;
  return instance;
}

int initialiseCount = 0;

}  // namespace

HRESULT CoInitialize(void*) { return initialiseCount++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
  if (initialiseCount > 0) --initialiseCount;
}

HRESULT comRegisterClass(const CLSID& clsid, ComCreateFunction create) {
  if (create == nullptr) return E_INVALIDARG;
  ClassRegistry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (auto& entry : r.classes) {
    if (entry.first == clsid) {
      entry.second = create;
      return S_FALSE;
    }
  }
  r.classes.emplace_back(clsid, create);
  return S_OK;
}

HRESULT comUnregisterClass(const CLSID& clsid) {
  ClassRegistry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (auto it = r.classes.begin(); it != r.classes.end(); ++it) {
    if (it->first == clsid) {
      r.classes.erase(it);
      return S_OK;
    }
  }
  return S_FALSE;
}

ComCreateFunction comRegisteredClass(const CLSID& clsid) {
  ClassRegistry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (const auto& entry : r.classes)
    if (entry.first == clsid) return entry.second;
  return nullptr;
}

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, std::uint32_t context, const IID& iid,
                         void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if ((context & CLSCTX_ALL) == 0) return E_INVALIDARG;
  // The factory runs outside the registry's lock: a constructor may create objects too.
  ComCreateFunction create = comRegisteredClass(clsid);
  if (create == nullptr) return REGDB_E_CLASSNOTREG;
  IUnknown* created = create();
  if (created == nullptr) return E_OUTOFMEMORY;
  HRESULT hr = created->QueryInterface(iid, object);
  created->Release();
  return hr;
}

HRESULT OleRun(IUnknown* object) {
  if (object == nullptr) return E_INVALIDARG;
  void* runnable = nullptr;
  if (FAILED(object->QueryInterface(IID_IRunnableObject, &runnable)) || runnable == nullptr) return S_OK;
  auto* r = static_cast<IRunnableObject*>(runnable);
  HRESULT hr = r->Run(nullptr);
  r->Release();
  return hr;
}
