// The framework's module bookkeeping: the module state with the current instance and
// resource handles, extension modules and their CDynLinkLibrary entries in the chain
// that resource look-ups walk, and the resources each module brings.
#pragma once

#include <string>
#include <vector>

#include "mfc/afx_exceptions.h"
#include "win/windows_types.h"

class CDynLinkLibrary;

struct AFX_MODULE_STATE {
  HINSTANCE m_hCurrentInstanceHandle = nullptr;
  HINSTANCE m_hCurrentResourceHandle = nullptr;
  LPCTSTR m_lpszCurrentAppName = L"AutoCAD";
  // The extension modules' entries, searched in order after the current resource
  // handle.
  std::vector<CDynLinkLibrary*> m_libraryList;
};

// The module state in effect: the host's own, unless a plug-in switched to another
// with AFX_MANAGE_STATE. Plug-ins are extension modules and share the host's state,
// so the static state of a plug-in is the host's state too.
AFX_MODULE_STATE* AfxGetModuleState();
AFX_MODULE_STATE* AfxGetAppModuleState();
AFX_MODULE_STATE* AfxGetStaticModuleState();

// Switches the module state for a scope and puts the old one back at its end.
class AFX_MAINTAIN_STATE2 {
 public:
  explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state);
  ~AFX_MAINTAIN_STATE2();
  AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
  AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

 private:
  AFX_MODULE_STATE* previous_;
};
#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 afxManageStateGuard_(p)

// The host's own instance.
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE resource);
LPCTSTR AfxGetAppName();

struct AFX_EXTENSION_MODULE {
  BOOL bInitialized = FALSE;
  HMODULE hModule = nullptr;
  HMODULE hResource = nullptr;
};

// Records the module's instance as its code and resource handle. A null instance
// answers FALSE; a module already initialised answers TRUE and changes nothing.
BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE instance);
// Takes the module's entries out of the resource chain and deletes them (every
// plug-in entry when all is TRUE), and marks the record uninitialised, so that a
// library loaded again starts afresh.
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

// An extension module's entry in the resource chain; made with new by the module's
// attach code, deleted by AfxTermExtensionModule.
class CDynLinkLibrary : public CObject {
 public:
  explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system = FALSE);
  ~CDynLinkLibrary() override;
  CDynLinkLibrary(const CDynLinkLibrary&) = delete;
  CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

  HMODULE m_hModule;
  HMODULE m_hResource;
  BOOL m_bSystem;
};

// Resources. A module registers what it brings under its instance handle; look-ups
// search the current resource handle, then the chain, then the host.
enum class ResourceKind { String, Dialog };
void registerModuleResource(HINSTANCE module, ResourceKind kind, UINT id, std::wstring data);
void unregisterModuleResources(HINSTANCE module);
// The handle of the module that holds the resource, or null.
HINSTANCE findResourceHandle(ResourceKind kind, UINT id);
// The resource's data, found as findResourceHandle finds it; false when none holds it.
bool loadModuleResource(ResourceKind kind, UINT id, std::wstring& data);
// Copies a string resource into buffer (cut short to fit) and answers its length, 0
// when it is missing or the buffer is unusable.
int AfxLoadString(UINT id, LPTSTR buffer, UINT maxChars = 256);
