// The two functions the host looks up in the module's library, and the library's
// attach and detach notice.
#include "arx/rx_app.h"
#include "frame/module_lifecycle.h"

ACRX_EXPORT_C AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* packet) {
  return ovEntryPoint(message, packet);
}

ACRX_DEFINE_API_VERSION()

ACRX_EXPORT_C int ovDllMain(void* instance, unsigned reason) { return ovLibraryMain(instance, reason); }
