// The desktop window's entry point, which ovhost calls for --gui: the toolkit is
// started, the main frame opened on the current drawing, the scripts and expressions
// run at its command line, and the toolkit's loop runs until the window closes.
#include <wx/app.h>
#include <wx/config.h>
#include <wx/init.h>

#include "../ovhost/session.h"
#include "arx/aced_print.h"
#include "gui_driver.h"
#include "gui_entry.h"
#include "lisp/lisp_interpreter.h"
#include "main_frame.h"

namespace {

class GuiApp : public wxApp {
 public:
  bool OnInit() override {
    SetAppName("ovhost");
    return true;
  }
};

}  // namespace

extern "C" int ovGuiRun(int argc, char** argv, const GuiStart* start) {
  wxApp::SetInstance(new GuiApp);
  if (!wxEntryStart(argc, argv)) return -1;
  if (!wxTheApp->CallOnInit()) {
    wxEntryCleanup();
    return -1;
  }
  int failed = 0;
  {
    HostSession session(LispInterpreter::current());
    auto* frame = new MainFrame(session);
    GuiUiDriver driver(frame);
    UiDriver* previous = setUiDriver(&driver);
    frame->Show();
    // What was asked for on the command line runs once the window shows, so that its
    // output lands in the pane and its dialogs over the window.
    frame->CallAfter([frame, start, &session, &failed] {
      for (const std::string& text : start->scripts) failed += session.runScript(text);
      frame->afterCommand();
      for (const std::string& expression : start->evals)
        failed += frame->runAsTyped(acutUtf8ToWide(expression));
    });
    wxTheApp->OnRun();
    setUiDriver(previous);
  }
  delete wxConfigBase::Set(nullptr);
  wxEntryCleanup();
  return failed;
}
