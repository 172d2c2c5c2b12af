// Loading plug-ins as the host does: the shared library is loaded, attached and told
// kInitAppMsg, then kLoadDwgMsg for every document open and every document opened
// later; at unload it is told kUnloadAppMsg, detached and unloaded.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "arx/rx_app.h"

class AcApDocument;

class PluginLoader {
 public:
  // Warnings that do not stop a load (a plug-in answering kRetError to kLoadDwgMsg, a
  // reactor left attached at unload) go to the reporter; by default to stderr as
  // "ovhost: ..." lines.
  using Reporter = std::function<void(const std::wstring&)>;
  explicit PluginLoader(Reporter report = {});
  // Unloads every plug-in still loaded.
  ~PluginLoader();
  PluginLoader(const PluginLoader&) = delete;
  PluginLoader& operator=(const PluginLoader&) = delete;

  // Loads the plug-in at path. False, with the reason in error, for a missing file, a
  // library that cannot be loaded, one that does not export acrxEntryPoint or
  // acrxGetApiVersion, one built for another interface version, one whose attach
  // refuses, and one answering kRetError to kInitAppMsg (which is unloaded again: its
  // LISP functions and reactors are removed). A plug-in already loaded is refused.
  bool load(const std::wstring& path, std::wstring& error);
  // Tells kUnloadAppMsg and unloads; false when no such plug-in is loaded.
  bool unload(const std::wstring& path, std::wstring& error);
  // Unloads every plug-in, the last loaded first.
  void unloadAll();

  // Full paths of the loaded plug-ins, in load order.
  std::vector<std::wstring> loadedPaths() const;
  // What a loaded plug-in told the host about itself; null when it is not loaded.
  const AcRxAppRecord* record(const std::wstring& path) const;

 private:
  struct Plugin;
  AcRx::AppRetCode send(Plugin& plugin, AcRx::AppMsgCode message);
  void sendLoadDwg(Plugin& plugin, AcApDocument* doc);
  void release(Plugin& plugin);
  Plugin* find(const std::wstring& fullPath) const;

  Reporter report_;
  std::vector<std::unique_ptr<Plugin>> plugins_;
};
