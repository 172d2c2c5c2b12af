// Reading ovhost's command line.
#include "options.h"

#include <map>

namespace {

enum class Takes { kNothing, kValue };

struct OptionRule {
  Takes takes;
  // Stores the option (its value, when it takes one).
  void (*apply)(HostOptions&, const std::string&);
};

const std::map<std::string, OptionRule>& rules() {
  static const std::map<std::string, OptionRule> table = [] {
    std::map<std::string, OptionRule> t;
    OptionRule drawing{Takes::kValue, [](HostOptions& o, const std::string& v) { o.drawings.push_back(v); }};
    OptionRule eval{Takes::kValue, [](HostOptions& o, const std::string& v) { o.evals.push_back(v); }};
    OptionRule repl{Takes::kNothing, [](HostOptions& o, const std::string&) { o.repl = true; }};
    OptionRule quiet{Takes::kNothing, [](HostOptions& o, const std::string&) { o.quiet = true; }};
    OptionRule help{Takes::kNothing, [](HostOptions& o, const std::string&) { o.help = true; }};
    t["-d"] = t["--drawing"] = drawing;
    t["-e"] = t["--eval"] = eval;
    t["-i"] = t["--repl"] = repl;
    t["-q"] = t["--quiet"] = quiet;
    t["-h"] = t["--help"] = help;
    t["--help-ui"] = OptionRule{Takes::kNothing, [](HostOptions& o, const std::string&) { o.helpUi = true; }};
    t["--ui"] = {Takes::kValue, [](HostOptions& o, const std::string& v) { o.uiFile = v; }};
    t["--new-project"] = {Takes::kValue, [](HostOptions& o, const std::string& v) { o.newProjectDir = v; }};
    t["--server"] = {Takes::kValue, [](HostOptions& o, const std::string& v) { o.server = v; }};
    t["--copy-project"] = {Takes::kValue, [](HostOptions& o, const std::string& v) { o.copyFrom = v; }};
    t["--load"] = {Takes::kValue, [](HostOptions& o, const std::string& v) { o.loads.push_back(v); }};
    t["--gui"] = {Takes::kNothing, [](HostOptions& o, const std::string&) { o.gui = true; }};
    t["--no-module"] = {Takes::kNothing, [](HostOptions& o, const std::string&) { o.noModule = true; }};
    return t;
  }();
  return table;
}

}  // namespace

bool parseHostOptions(const std::vector<std::string>& args, HostOptions& options, std::string& error) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      options.scripts.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = arg;
    std::string value;
    bool inlineValue = false;
    if (size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      inlineValue = true;
    }
    auto rule = rules().find(name);
    if (rule == rules().end()) {
      error = "unknown option " + name;
      return false;
    }
    if (rule->second.takes == Takes::kNothing && inlineValue) {
      error = "option " + name + " takes no value";
      return false;
    }
    if (rule->second.takes == Takes::kValue && !inlineValue) {
      if (i + 1 >= args.size()) {
        error = "option " + name + " needs a value";
        return false;
      }
      value = args[++i];
    }
    rule->second.apply(options, value);
  }
  return true;
}

std::string hostUsage() {
  return "usage: ovhost [options] [SCRIPT.lsp ...]\n"
         "  -d, --drawing PATH   open the drawing at PATH (.hdw or .dxf) or start a new one to\n"
         "                       be saved there; repeatable; the last one is current\n"
         "  -e, --eval EXPR      evaluate EXPR after the scripts and print its value;\n"
         "                       repeatable, in order\n"
         "  -i, --repl           then read forms from standard input, with a prompt\n"
         "  --gui                a desktop window instead: the drawing, a command line and\n"
         "                       dialogs as windows (needs a display)\n"
         "  --ui FILE            answer dialogs, boxes, prompts and input from FILE\n"
         "  --new-project DIR    create DIR with a new project database, then exit\n"
         "  --server URI         with --new-project: keep the project on this PostgreSQL\n"
         "                       server (postgresql://...); DIR gets a file naming it\n"
         "  --copy-project FROM  with --new-project: fill the new project with the rows of\n"
         "                       the project in folder FROM instead of the standard ones\n"
         "  --load PATH          load this plug-in too (repeatable); --no-module loads none\n"
         "  --no-module          do not load the plumbing module (../lib/libov_plumb.so)\n"
         "  -q, --quiet          no host banner (the module's own banner is still printed)\n"
         "  -h, --help           this text\n"
         "  --help-ui            the answer file's lines and the dialog actions, with examples\n"
         "exit status: 0; 1 when a form of a script or of -e ended in an error (all forms\n"
         "still run; the count goes to stderr) or --new-project failed; 2 for a bad\n"
         "command line or a script or --ui file that cannot be read\n";
}
