// Initialisation, document load and unload of the module, in the host's order.
#include "frame/module_lifecycle.h"

#include <vector>

#include "arx/rx.h"
#include "arx/resbuf.h"
#include "frame/context.h"
#include "frame/function_table.h"
#include "frame/plumb_doc_reactor.h"
#include "mfc/afx_exceptions.h"
#include "mfc/afx_module.h"
#include "win/last_error.h"

namespace {

std::vector<ovModuleClass>& moduleClasses() {
  static std::vector<ovModuleClass> classes = ovStandardModuleClasses();
  return classes;
}

// The extension-module record of the library.
AFX_EXTENSION_MODULE gExtensionModule;
bool gExtensionInitialised = false;
HINSTANCE gResourceHandle = nullptr;
HINSTANCE gInstanceHandle = nullptr;

void initialiseExtensionModule(void* instance) {
  if (gExtensionInitialised) return;
  if (!AfxInitExtensionModule(gExtensionModule, static_cast<HMODULE>(instance))) return;
  gExtensionInitialised = true;
  gResourceHandle = AfxGetModuleState()->m_hCurrentResourceHandle;
  gInstanceHandle = static_cast<HINSTANCE>(instance);
  new CDynLinkLibrary(gExtensionModule);
}

void terminateExtensionModule() {
  if (!gExtensionInitialised) return;
  AfxTermExtensionModule(gExtensionModule);
  gExtensionInitialised = false;
}

}  // namespace

void ovAddModuleClass(ovModuleClass moduleClass) { moduleClasses().push_back(moduleClass); }

HINSTANCE ovModuleResourceHandle() { return gExtensionInitialised ? gExtensionModule.hResource : nullptr; }

AcRx::AppRetCode ovInitApplication(void* packet) {
  acrxUnlockApplication(packet);
  acrxRegisterAppMDIAware(packet);
  ovSetDoDocumentActivated(true);
  ovApplication* context = new ovApplication();
  ovSetTheApplication(context);
  if (ovPerDocData* current = context->currentDocData()) context->connect(current, false, kModuleToken);
  for (const ovModuleClass& c : moduleClasses()) c.initialise();
  acrxBuildClassHierarchy();
  return AcRx::kRetOK;
}

AcRx::AppRetCode ovLoadDocument() {
  acutPrintf(L"\nLoading Orvane Plumbing ARX %s\nPipes, flow arrows and the project database are ready.",
             kModuleVersion);
  ovRegisterLispFunctions();
  return AcRx::kRetOK;
}

AcRx::AppRetCode ovUnloadApplication() {
  ovApplication* context = ovTheApplication();
  ovSetTheApplication(nullptr);
  delete context;
  for (const ovModuleClass& c : moduleClasses()) c.remove();
  return AcRx::kRetOK;
}

AcRx::AppRetCode ovEntryPoint(AcRx::AppMsgCode message, void* packet) {
  try {
    switch (message) {
      case AcRx::kInitAppMsg: return ovInitApplication(packet);
      case AcRx::kUnloadAppMsg: return ovUnloadApplication();
      case AcRx::kLoadDwgMsg: return ovLoadDocument();
      default: return AcRx::kRetOK;
    }
  } catch (CException* e) {
    wchar_t text[1000] = L"";
    e->GetErrorMessage(text, 1000);
    acutPrintf(L"\nGeneral Error:  %s", text);
    e->Delete();
  } catch (...) {
    if (const DWORD code = GetLastError(); code != 0) acutPrintf(L"\nSystem error %u.\n", static_cast<unsigned>(code));
    else acutPrintf(L"%s", L"\nOrvane error.  Closing AutoCAD and reopening it should fix this problem.\n");
  }
  return AcRx::kRetError;
}

int ovLibraryMain(void* instance, unsigned reason) {
  if (reason == kAcrxLibraryAttach) initialiseExtensionModule(instance);
  else if (reason == kAcrxLibraryDetach) terminateExtensionModule();
  return 1;
}
