// ovhost's command line: what it asks for, read from argv, and the usage text.
#pragma once

#include <string>
#include <vector>

struct HostOptions {
  std::vector<std::string> drawings;  // -d/--drawing, in order; the last is current
  std::vector<std::string> evals;     // -e/--eval, run after the scripts, in order
  std::vector<std::string> scripts;   // the file arguments, in order
  std::vector<std::string> loads;     // --load, in order
  std::string uiFile;                 // --ui
  std::string newProjectDir;          // --new-project
  std::string server;                 // --server: the new project's rows on this server
  std::string copyFrom;               // --copy-project: the new project's rows from this one
  bool repl = false;                  // -i/--repl
  bool gui = false;                   // --gui
  bool noModule = false;              // --no-module
  bool quiet = false;                 // -q/--quiet
  bool help = false;                  // -h/--help
  bool helpUi = false;                // --help-ui
};

// Reads the arguments after the program name. Long options take their value as the
// next argument or after "="; "--" ends the options. False with the reason for an
// unknown option or a missing value.
bool parseHostOptions(const std::vector<std::string>& args, HostOptions& options, std::string& error);

std::string hostUsage();
