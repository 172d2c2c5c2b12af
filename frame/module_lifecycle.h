// What the module does on each message of the host's entry protocol, and on the
// library's attach and detach. The exported entry point wraps these in the
// catch-alls that turn any failure into an answer rather than a crash.
#pragma once

#include <vector>

#include "arx/rx_app.h"
#include "win/windows_types.h"

// The module's version, as the banner shows it.
inline constexpr wchar_t kModuleVersion[] = L"4.1.44 (25084)";

AcRx::AppRetCode ovInitApplication(void* packet);
AcRx::AppRetCode ovLoadDocument();
AcRx::AppRetCode ovUnloadApplication();

// The entry point's body: dispatches the message inside the catch-alls.
AcRx::AppRetCode ovEntryPoint(AcRx::AppMsgCode message, void* packet);

// The library attach (reason 1) and detach (reason 0); always answers 1.
int ovLibraryMain(void* instance, unsigned reason);

// The module's own resources (its dialogs), made current around each dialog it shows;
// null outside the library's attach and detach.
HINSTANCE ovModuleResourceHandle();

// The custom classes the module registers at initialisation and deletes at unload,
// in that order: the entities' class initialisers and their removal.
struct ovModuleClass {
  void (*initialise)();
  void (*remove)();
};
// The module's own classes (module_classes.cpp).
std::vector<ovModuleClass> ovStandardModuleClasses();
// Adds a class after those (tests use it to see a failing registration handled).
void ovAddModuleClass(ovModuleClass moduleClass);
