// The desktop window's main frame: the drawing view, the output pane (what the console
// prints) and the command line with the LISP prompt and its history under it, the
// cursor's drawing coordinates in the status bar, a menu of the open drawings, and
// File > Open, Save and the exports through the host's LISP services.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <wx/frame.h>

#include "arx/aced_print.h"

class DrawingView;
class HostSession;
class wxEventLoopBase;
class wxStaticText;
class wxTextCtrl;
class wxMenu;

class MainFrame : public wxFrame {
 public:
  explicit MainFrame(HostSession& session);
  ~MainFrame() override;

  // Text entered at the command line, as if typed and Enter pressed: a LISP form is
  // run (or kept while it is still open), or the answer to an input request.
  void enterCommandLine(const wxString& text);
  // After a command: the view regenerated, the drawings' menu and the title brought up
  // to date.
  void afterCommand();
  // Asks for a line at the command line while a command runs (getpoint, getreal ...);
  // a click in the view answers with that point. Nothing when the user presses Escape
  // or closes the window.
  std::optional<std::wstring> readInput(const std::wstring& prompt);
  bool commandRunning() const { return running_; }
  // Runs a form as a command of its own, shown at the command line as a menu's macro
  // is; answers how many forms ended in an error.
  int runAsTyped(const std::wstring& form);

  DrawingView* view() const { return view_; }
  wxTextCtrl* commandLine() const { return input_; }
  wxTextCtrl* output() const { return output_; }

 private:
  void onEnter(wxCommandEvent& event);
  void onCommandKey(wxKeyEvent& event);
  void onClose(wxCloseEvent& event);
  int runCommand(const std::string& utf8);
  void rebuildDrawingsMenu();
  void answerInput(std::optional<std::wstring> answer);
  void setPrompt(const wxString& prompt);

  HostSession& session_;
  DrawingView* view_ = nullptr;
  wxTextCtrl* output_ = nullptr;
  wxTextCtrl* input_ = nullptr;
  wxStaticText* prompt_ = nullptr;
  wxMenu* drawingsMenu_ = nullptr;
  AcedPrintSink previousSink_;
  std::string pending_;  // the lines of a form still open
  std::vector<wxString> history_;
  std::size_t historyAt_ = 0;
  bool running_ = false;
  // An input request being answered: the loop it waits in and the answer.
  wxEventLoopBase* inputLoop_ = nullptr;
  std::optional<std::wstring> inputAnswer_;
};

// A text as a LISP string literal, quotes and backslashes escaped.
std::wstring lispStringLiteral(const std::wstring& text);
