// The entry protocol between the host and a plug-in: the messages the host sends, the
// answers a plug-in gives, and what a plug-in tells the host about itself at load.
#pragma once

#include <string>

namespace AcRx {
// What the host tells a plug-in through its entry point. A plug-in answers kRetOK to
// every message it does not handle.
enum AppMsgCode {
  kNullMsg = 0,
  kInitAppMsg = 1,    // once, right after the library is loaded
  kUnloadAppMsg = 2,  // once, before the library is unloaded
  kLoadDwgMsg = 3,    // for every open document, and for each document opened later
  kUnloadDwgMsg = 4,
  kInvkSubrMsg = 5,
  kCfgMsg = 6,
  kEndMsg = 7,
  kQuitMsg = 8,
  kSaveMsg = 9,
};

enum AppRetCode {
  kRetOK = 0,
  kRetError = 3,  // to kInitAppMsg: the plug-in could not start and is unloaded again
};
}  // namespace AcRx

// The version of the plug-in interface this host offers. A plug-in answers the
// version it was built for from acrxGetApiVersion; the host loads only its own.
constexpr int kAcrxApiVersion = 20;

// The two functions every plug-in exports, looked up by name after loading.
using AcRxEntryPointFn = AcRx::AppRetCode (*)(AcRx::AppMsgCode, void*);
using AcRxApiVersionFn = int (*)();
// The stand-in for the library's attach and detach notice: a plug-in may export
// ovDllMain(instance, reason), reason 1 right after loading and 0 right before
// unloading. An answer of 0 to the attach refuses the load.
using AcRxLibraryMainFn = int (*)(void*, unsigned);
constexpr unsigned kAcrxLibraryAttach = 1;
constexpr unsigned kAcrxLibraryDetach = 0;

#define ACRX_EXPORT_C extern "C" __attribute__((visibility("default")))
// Defines the exported acrxGetApiVersion a plug-in needs; put it in one source file.
#define ACRX_DEFINE_API_VERSION() \
  ACRX_EXPORT_C int acrxGetApiVersion() { return kAcrxApiVersion; }

// What the host knows of one loaded plug-in. Its address is the packet the host
// passes with every message, so that the plug-in can name itself in the calls below.
struct AcRxAppRecord {
  std::wstring path;
  bool unlocked = false;  // acrxUnlockApplication: the plug-in may be unloaded on demand
  bool mdiAware = false;  // acrxRegisterAppMDIAware: the plug-in copes with many documents
};

// A plug-in calls these at kInitAppMsg with the packet it was given; false for a
// packet that is no loaded plug-in's.
bool acrxUnlockApplication(void* appId);
bool acrxRegisterAppMDIAware(void* appId);

// The loader announces each plug-in's record while it is loaded.
void acrxHostRegisterApp(AcRxAppRecord* record);
void acrxHostUnregisterApp(AcRxAppRecord* record);
