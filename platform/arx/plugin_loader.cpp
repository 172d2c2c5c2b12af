// The plug-in loader over dlopen: the entry protocol, the attach hook, and clearing up
// after a plug-in so that nothing of it is called once its code is unloaded.
#include "arx/plugin_loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <typeinfo>

#include "arx/aced_print.h"
#include "arx/ap_doc_manager.h"
#include "arx/editor.h"
#include "lisp/lisp_bridge.h"
#include "lisp/lisp_interpreter.h"

struct PluginLoader::Plugin {
  AcRxAppRecord record;
  void* handle = nullptr;
  void* base = nullptr;  // where the library is mapped, to recognise its objects
  AcRxEntryPointFn entry = nullptr;
  AcRxLibraryMainFn libraryMain = nullptr;
};

namespace {

std::wstring quotedPath(const std::wstring& path) { return L"\"" + path + L"\""; }

std::wstring lastDlError() {
  const char* message = dlerror();
  return message != nullptr ? acutUtf8ToWide(message) : L"unknown reason";
}

// Whether an object's class was compiled into the library mapped at base: its type
// information lives there.
bool classLivesIn(const std::type_info& type, const void* base) {
  Dl_info info;
  return dladdr(&type, &info) != 0 && info.dli_fbase == base;
}

const char* messageName(AcRx::AppMsgCode message) {
  switch (message) {
    case AcRx::kInitAppMsg: return "kInitAppMsg";
    case AcRx::kUnloadAppMsg: return "kUnloadAppMsg";
    case AcRx::kLoadDwgMsg: return "kLoadDwgMsg";
    default: return "a message";
  }
}

}  // namespace

PluginLoader::PluginLoader(Reporter report) : report_(std::move(report)) {
  if (!report_) {
    report_ = [](const std::wstring& line) { std::fprintf(stderr, "ovhost: %s\n", acutWideToUtf8(line).c_str()); };
  }
  // Plug-ins look the editor up in the registry at kInitAppMsg.
  acedEditorObject();
  acDocManagerPtr()->hostAddDocumentLoadedHook(this, [this](AcApDocument* doc) {
    for (const auto& plugin : plugins_) sendLoadDwg(*plugin, doc);
  });
}

PluginLoader::~PluginLoader() {
  unloadAll();
  acDocManagerPtr()->hostRemoveDocumentLoadedHooks(this);
}

PluginLoader::Plugin* PluginLoader::find(const std::wstring& fullPath) const {
  for (const auto& p : plugins_)
    if (p->record.path == fullPath) return p.get();
  return nullptr;
}

std::vector<std::wstring> PluginLoader::loadedPaths() const {
  std::vector<std::wstring> paths;
  for (const auto& p : plugins_) paths.push_back(p->record.path);
  return paths;
}

const AcRxAppRecord* PluginLoader::record(const std::wstring& path) const {
  Plugin* p = find(AcApDocManager::hostFullPath(path));
  return p != nullptr ? &p->record : nullptr;
}

// The plug-in runs as the current LISP application, so that the functions it defines
// are its own; an exception out of its entry point counts as kRetError.
AcRx::AppRetCode PluginLoader::send(Plugin& plugin, AcRx::AppMsgCode message) {
  LispApplicationScope application(&plugin.record);
  try {
    return plugin.entry(message, &plugin.record);
  } catch (const std::exception& e) {
    report_(quotedPath(plugin.record.path) + L" threw at " + acutUtf8ToWide(messageName(message)) + L": " +
            acutUtf8ToWide(e.what()));
  } catch (...) {
    report_(quotedPath(plugin.record.path) + L" threw at " + acutUtf8ToWide(messageName(message)));
  }
  return AcRx::kRetError;
}

// kLoadDwgMsg reaches the plug-in with the document current, as on the real host;
// the document that was current before is current again afterwards.
void PluginLoader::sendLoadDwg(Plugin& plugin, AcApDocument* doc) {
  AcApDocManager* manager = acDocManagerPtr();
  AcApDocument* previous = manager->curDocument();
  if (previous != doc) manager->setCurDocument(doc);
  std::wstring fileName = doc->fileName();
  if (send(plugin, AcRx::kLoadDwgMsg) == AcRx::kRetError)
    report_(quotedPath(plugin.record.path) + L" answered kRetError to kLoadDwgMsg for " + quotedPath(fileName));
  if (previous != nullptr && previous != manager->curDocument() && previous != doc) {
    std::vector<AcApDocument*> open = manager->hostDocuments();
    if (std::find(open.begin(), open.end(), previous) != open.end()) manager->setCurDocument(previous);
  }
}

// Takes everything of the plug-in out of the host before its code goes: its LISP
// functions, and any reactor it left attached (telling one of those later would call
// into unloaded code).
void PluginLoader::release(Plugin& plugin) {
  LispInterpreter::current().removeApplication(&plugin.record);
  const void* base = plugin.base;
  int left = acDocManagerPtr()->hostRemoveReactorsIf(
      [base](const AcApDocManagerReactor* r) { return classLivesIn(typeid(*r), base); });
  left += acedEditorObject()->hostRemoveReactorsIf(
      [base](const AcEditorReactor* r) { return classLivesIn(typeid(*r), base); });
  if (left > 0)
    report_(quotedPath(plugin.record.path) + L" left " + std::to_wstring(left) + L" reactor(s) attached; removed");
  if (plugin.libraryMain != nullptr) plugin.libraryMain(plugin.handle, kAcrxLibraryDetach);
  acrxHostUnregisterApp(&plugin.record);
  dlclose(plugin.handle);
  plugin.handle = nullptr;
}

bool PluginLoader::load(const std::wstring& path, std::wstring& error) {
  std::wstring full = AcApDocManager::hostFullPath(path);
  if (full.empty()) {
    error = L"cannot load a plug-in: no file name given";
    return false;
  }
  if (find(full) != nullptr) {
    error = quotedPath(full) + L" is already loaded";
    return false;
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(acutWideToUtf8(full), ec)) {
    error = L"cannot load " + quotedPath(full) + L": no such file";
    return false;
  }
  dlerror();
  void* handle = dlopen(acutWideToUtf8(full).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    error = L"cannot load " + quotedPath(full) + L": " + lastDlError();
    return false;
  }
  auto plugin = std::make_unique<Plugin>();
  plugin->record.path = full;
  plugin->handle = handle;
  plugin->entry = reinterpret_cast<AcRxEntryPointFn>(dlsym(handle, "acrxEntryPoint"));
  auto apiVersion = reinterpret_cast<AcRxApiVersionFn>(dlsym(handle, "acrxGetApiVersion"));
  if (plugin->entry == nullptr || apiVersion == nullptr) {
    error = quotedPath(full) + L" is not a plug-in: it does not export " +
            (plugin->entry == nullptr ? L"acrxEntryPoint" : L"acrxGetApiVersion");
    dlclose(handle);
    return false;
  }
  if (int version = apiVersion(); version != kAcrxApiVersion) {
    error = quotedPath(full) + L" was built for plug-in interface " + std::to_wstring(version) + L"; this host offers " +
            std::to_wstring(kAcrxApiVersion);
    dlclose(handle);
    return false;
  }
  Dl_info info;
  plugin->base = dladdr(reinterpret_cast<void*>(plugin->entry), &info) != 0 ? info.dli_fbase : nullptr;
  plugin->libraryMain = reinterpret_cast<AcRxLibraryMainFn>(dlsym(handle, "ovDllMain"));
  acrxHostRegisterApp(&plugin->record);

  if (plugin->libraryMain != nullptr && plugin->libraryMain(handle, kAcrxLibraryAttach) == 0) {
    error = quotedPath(full) + L" refused to attach";
    release(*plugin);
    return false;
  }
  if (send(*plugin, AcRx::kInitAppMsg) != AcRx::kRetOK) {
    error = quotedPath(full) + L" failed to initialise (kInitAppMsg answered kRetError) and was unloaded";
    release(*plugin);
    return false;
  }
  plugins_.push_back(std::move(plugin));
  Plugin& loaded = *plugins_.back();
  for (AcApDocument* doc : acDocManagerPtr()->hostDocuments()) sendLoadDwg(loaded, doc);
  return true;
}

bool PluginLoader::unload(const std::wstring& path, std::wstring& error) {
  std::wstring full = AcApDocManager::hostFullPath(path);
  auto it = std::find_if(plugins_.begin(), plugins_.end(), [&](const auto& p) { return p->record.path == full; });
  if (it == plugins_.end()) {
    error = quotedPath(full) + L" is not loaded";
    return false;
  }
  std::unique_ptr<Plugin> plugin = std::move(*it);
  plugins_.erase(it);
  if (send(*plugin, AcRx::kUnloadAppMsg) != AcRx::kRetOK)
    report_(quotedPath(full) + L" answered kRetError to kUnloadAppMsg");
  release(*plugin);
  return true;
}

void PluginLoader::unloadAll() {
  while (!plugins_.empty()) {
    std::wstring error;
    unload(plugins_.back()->record.path, error);
  }
}
