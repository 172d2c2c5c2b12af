// What ovhost hands the desktop window's library when --gui starts it. The library is
// loaded with dlopen for --gui only, so that the console host never needs the toolkit.
#pragma once

#include <string>
#include <vector>

struct GuiStart {
  std::vector<std::string> scripts;  // the scripts' texts, run in order once the window is up
  std::vector<std::string> evals;    // expressions run after them, their values shown
};

// The entry point's name, as ovhost looks it up in the library.
inline constexpr const char* kGuiEntryName = "ovGuiRun";

// Runs the window until the user closes it. The plug-ins are loaded and the drawings
// open already. Answers how many forms of the scripts and expressions ended in an
// error, or -1 when the toolkit could not start.
extern "C" int ovGuiRun(int argc, char** argv, const GuiStart* start);
using GuiEntry = int (*)(int, char**, const GuiStart*);
