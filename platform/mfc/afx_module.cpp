// The host's module state, the extension-module chain and the resources found through it.
#include "mfc/afx_module.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <tuple>

namespace {

AFX_MODULE_STATE& appState() {
  static AFX_MODULE_STATE state = [] {
    AFX_MODULE_STATE s;
    s.m_hCurrentInstanceHandle = AfxGetInstanceHandle();
    s.m_hCurrentResourceHandle = s.m_hCurrentInstanceHandle;
    return s;
  }();
  return state;
}

thread_local AFX_MODULE_STATE* currentState = nullptr;

using ResourceKey = std::tuple<HINSTANCE, ResourceKind, UINT>;
std::map<ResourceKey, std::wstring>& resources() {
  static std::map<ResourceKey, std::wstring> table;
  return table;
}

bool holds(HINSTANCE module, ResourceKind kind, UINT id) {
  return module != nullptr && resources().count(ResourceKey{module, kind, id}) != 0;
}

}  // namespace

AFX_MODULE_STATE* AfxGetModuleState() { return currentState ? currentState : &appState(); }

AFX_MODULE_STATE* AfxGetAppModuleState() { return &appState(); }

AFX_MODULE_STATE* AfxGetStaticModuleState() { return &appState(); }

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state) : previous_(currentState) {
  if (state) currentState = state;
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() { currentState = previous_; }

HINSTANCE AfxGetInstanceHandle() {
  static HINSTANCE__ hostInstance{};
  return &hostInstance;
}

HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }

void AfxSetResourceHandle(HINSTANCE resource) {
  if (resource) AfxGetModuleState()->m_hCurrentResourceHandle = resource;
}

LPCTSTR AfxGetAppName() { return AfxGetModuleState()->m_lpszCurrentAppName; }

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE instance) {
  if (state.bInitialized) return TRUE;
  if (instance == nullptr) return FALSE;
  state.hModule = instance;
  state.hResource = instance;
  state.bInitialized = TRUE;
  return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all) {
  std::vector<CDynLinkLibrary*> doomed;
  for (CDynLinkLibrary* library : AfxGetModuleState()->m_libraryList)
    if (all ? !library->m_bSystem : library->m_hModule == state.hModule) doomed.push_back(library);
  for (CDynLinkLibrary* library : doomed) delete library;  // each removes itself
  state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(system) {
  AfxGetModuleState()->m_libraryList.push_back(this);
}

CDynLinkLibrary::~CDynLinkLibrary() {
  // The entry may have been made under another module state; take it out wherever it is.
  for (AFX_MODULE_STATE* s : {AfxGetModuleState(), AfxGetAppModuleState()}) {
    auto& list = s->m_libraryList;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

void registerModuleResource(HINSTANCE module, ResourceKind kind, UINT id, std::wstring data) {
  if (module) resources()[ResourceKey{module, kind, id}] = std::move(data);
}

void unregisterModuleResources(HINSTANCE module) {
  auto& table = resources();
  for (auto it = table.begin(); it != table.end();)
    it = std::get<0>(it->first) == module ? table.erase(it) : std::next(it);
}

HINSTANCE findResourceHandle(ResourceKind kind, UINT id) {
  AFX_MODULE_STATE* state = AfxGetModuleState();
  if (holds(state->m_hCurrentResourceHandle, kind, id)) return state->m_hCurrentResourceHandle;
  for (CDynLinkLibrary* library : state->m_libraryList)
    if (holds(library->m_hResource, kind, id)) return library->m_hResource;
  if (holds(AfxGetInstanceHandle(), kind, id)) return AfxGetInstanceHandle();
  return nullptr;
}

bool loadModuleResource(ResourceKind kind, UINT id, std::wstring& data) {
  HINSTANCE module = findResourceHandle(kind, id);
  if (module == nullptr) return false;
  data = resources()[ResourceKey{module, kind, id}];
  return true;
}

int AfxLoadString(UINT id, LPTSTR buffer, UINT maxChars) {
  if (buffer == nullptr || maxChars == 0) return 0;
  std::wstring text;
  if (!loadModuleResource(ResourceKind::String, id, text)) {
    buffer[0] = L'\0';
    return 0;
  }
  const std::size_t count = std::min<std::size_t>(text.size(), maxChars - 1);
  std::wmemcpy(buffer, text.data(), count);
  buffer[count] = L'\0';
  return static_cast<int>(count);
}
