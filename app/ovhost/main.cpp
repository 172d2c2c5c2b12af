// ovhost: the console host. Opens drawings, loads the plumbing module and other
// plug-ins as the CAD host loads them, runs LISP scripts, expressions and a prompt.
//
// Exit status: 0; 2 for a bad command line, a script or --ui file that cannot be
// read (nothing is run then); 1 when --new-project fails, and 1 when a top-level form
// of a script or of an --eval expression ended in an error: every form still runs, and
// the count of failed forms goes to stderr, so that a shell loop over many drawings
// can tell which failed (what is typed at the prompt does not count). A drawing that
// cannot be opened, a missing default module and a plug-in that cannot be loaded are
// reported on stderr and the host goes on without them.

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "arx/aced_print.h"
#include "arx/ap_doc_manager.h"
#include "arx/plugin_loader.h"
#include "../gui/gui_entry.h"
#include "db/project_seed.h"
#include "frame/context.h"
#include "projectdb/project_copy.h"
#include "lisp/lisp_interpreter.h"
#include "mfc/ui_script.h"
#include "mfc/ui_terminal.h"
#include "options.h"
#include "session.h"

namespace fs = std::filesystem;

namespace {

void complain(const std::wstring& line) { std::fprintf(stderr, "ovhost: %s\n", acutWideToUtf8(line).c_str()); }
void complain(const std::string& line) { std::fprintf(stderr, "ovhost: %s\n", line.c_str()); }

bool readFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// The module's default place: ../lib/libov_plumb.so beside this executable.
fs::path defaultModulePath(const char* argv0) {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) exe = fs::absolute(argv0, ec);
  return (exe.parent_path() / ".." / "lib" / "libov_plumb.so").lexically_normal();
}

// A new project, on a server or in a file, with the standard rows or with those of
// another project copied row for row.
int makeProject(const HostOptions& options) {
  const std::string& folder = options.newProjectDir;
  std::wstring error;
  std::wstring source;
  if (!options.copyFrom.empty()) {
    source = ovFindDatabaseFile(acutUtf8ToWide(options.copyFrom), L"ov_plumb");
    if (source.empty()) {
      complain("no project database in \"" + options.copyFrom + "\" to copy");
      return 1;
    }
  }
  std::wstring made =
      createProject(acutUtf8ToWide(folder), acutUtf8ToWide(options.server), options.copyFrom.empty(), &error);
  if (!made.empty() && !source.empty()) {
    const long rows = copyProjectRows(acutWideToUtf8(source), acutWideToUtf8(made), error);
    if (rows < 0) {
      complain(L"cannot copy " + source + L": " + error);
      return 1;
    }
    acedPrintText(L"Copied " + std::to_wstring(rows) + L" rows from " + source + L"\n");
  }
  if (made.empty()) {
    complain(L"cannot create a project in \"" + acutUtf8ToWide(folder) + L"\": " + error);
    return 1;
  }
  acedPrintText(L"Created " + made + (options.server.empty() ? L"" : L" on its server") + L"\n");
  return 0;
}

void openDrawings(const std::vector<std::string>& drawings) {
  AcApDocManager* manager = acDocManagerPtr();
  AcApDocument* doc = nullptr;
  std::wstring message;
  if (drawings.empty()) {
    if (manager->hostNewDocument(L"Drawing1.hdw", doc, message) != Acad::eOk) complain(message);
    return;
  }
  for (const std::string& path : drawings)
    if (manager->hostOpenDocument(acutUtf8ToWide(path), doc, message) != Acad::eOk)
      complain(L"cannot open drawing: " + message);
}

void loadPlugins(PluginLoader& loader, const HostOptions& options, const char* argv0) {
  std::wstring error;
  if (!options.noModule) {
    fs::path module = defaultModulePath(argv0);
    std::error_code ec;
    if (!fs::exists(module, ec)) complain("no module at " + module.string() + "; running without it");
    else if (!loader.load(acutUtf8ToWide(module.string()), error)) complain(error);
  }
  for (const std::string& path : options.loads)
    if (!loader.load(acutUtf8ToWide(path), error)) complain(error);
}

// The desktop window's library (../lib/libov_gui.so), loaded only for --gui so that
// the console host never needs the toolkit. Null, with the reason, when it cannot be.
GuiEntry loadGui(const char* argv0, std::string& why) {
  const fs::path library = defaultModulePath(argv0).parent_path() / "libov_gui.so";
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (handle == nullptr) {
    const char* error = dlerror();
    why = "no desktop window in this build (" + library.string() + ": " + (error != nullptr ? error : "not loadable") +
          ")";
    return nullptr;
  }
  auto entry = reinterpret_cast<GuiEntry>(dlsym(handle, kGuiEntryName));
  if (entry == nullptr) why = library.string() + " has no " + kGuiEntryName;
  return entry;
}

}  // namespace

int main(int argc, char** argv) {
  HostOptions options;
  std::string error;
  if (!parseHostOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    complain(error);
    std::fputs(hostUsage().c_str(), stderr);
    return 2;
  }
  if (options.help) {
    std::fputs(hostUsage().c_str(), stdout);
    return 0;
  }
  if (options.helpUi) {
    std::fputs(acutWideToUtf8(uiAnswerFileHelp()).c_str(), stdout);
    return 0;
  }
  if (!options.newProjectDir.empty()) return makeProject(options);
  if (options.gui && (options.repl || !options.uiFile.empty())) {
    complain("--gui answers dialogs and input in its window; it takes neither -i nor --ui");
    return 2;
  }
  if (options.gui && (std::getenv("DISPLAY") == nullptr || *std::getenv("DISPLAY") == '\0')) {
    complain("--gui needs a display, and DISPLAY is not set");
    return 2;
  }
  GuiEntry gui = nullptr;
  if (options.gui) {
    std::string why;
    if ((gui = loadGui(argv[0], why)) == nullptr) {
      complain(why);
      return 2;
    }
  }

  // Every script is read before anything runs, so that a wrong name costs nothing.
  std::vector<std::string> scripts;
  for (const std::string& path : options.scripts) {
    std::string text;
    if (!readFile(path, text)) {
      complain("cannot read script " + path);
      return 2;
    }
    scripts.push_back(std::move(text));
  }
  if (!options.uiFile.empty()) {
    std::wstring uiError;
    if (!installScriptedUiDriver(options.uiFile, uiError)) {
      complain(uiError);
      return 2;
    }
  }

  int failedForms = 0;
  LispInterpreter lisp;
  LispCurrentScope current(lisp);
  if (!options.quiet) acedPrintText(L"ovhost: console CAD host for the plumbing module\n");
  {
    // Plug-ins first, as a host loads its start-up applications: a drawing holding the
    // module's entities can only be read once their classes are registered.
    PluginLoader loader;
    loadPlugins(loader, options, argv[0]);
    openDrawings(options.drawings);
    HostSession session(lisp);
    if (gui != nullptr) {
      const GuiStart start{scripts, options.evals};
      const int failed = gui(argc, argv, &start);
      if (failed < 0) complain("the desktop window could not start");
      else failedForms += failed;
      scripts.clear();
      options.evals.clear();
    }
    for (const std::string& text : scripts) failedForms += session.runScript(text);
    for (const std::string& expression : options.evals) failedForms += session.runAtPrompt(expression);
    if (options.repl) {
      // Whoever types at the prompt answers dialogs, prompts and input requests there
      // too, from the same input, unless --ui answers them.
      TerminalUiDriver terminal(std::cin);
      const bool person = options.uiFile.empty();
      if (person) setUiDriver(&terminal);
      session.repl(std::cin);
      if (person) setUiDriver(nullptr);
    }
    // Quitting closes the drawings while their entities' code is still loaded.
    acDocManagerPtr()->hostCloseAll();
    loader.unloadAll();
  }
  if (failedForms > 0) {
    complain(std::to_string(failedForms) + (failedForms == 1 ? " form" : " forms") + " ended in an error");
    return 1;
  }
  return 0;
}
