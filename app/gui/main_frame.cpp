// The main frame: commands typed at the command line run through the same session
// code as the console's prompt; what they print goes to the output pane.
#include "main_frame.h"

#include <array>
#include <cstdio>

#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "../ovhost/session.h"
#include "arx/ap_doc_manager.h"
#include "drawing_view.h"
#include "mfc/ui_driver.h"

namespace {

enum MenuId {
  kOpen = wxID_HIGHEST + 1,
  kSave,
  kExportDxf,
  kExportSvg,
  kZoomExtents,
  kFirstDrawing = wxID_HIGHEST + 100,  // the drawings' menu, one id each
  kLastDrawing = kFirstDrawing + 99,
};

std::wstring wide(const wxString& text) { return text.ToStdWstring(); }

}  // namespace

std::wstring lispStringLiteral(const std::wstring& text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') out += L'\\';
    out += c;
  }
  return out + L"\"";
}

MainFrame::MainFrame(HostSession& session)
    : wxFrame(nullptr, wxID_ANY, "ovhost", wxDefaultPosition, wxSize(1200, 800)), session_(session) {
  auto* file = new wxMenu;
  file->Append(kOpen, "&Open...\tCtrl+O");
  file->Append(kSave, "&Save\tCtrl+S");
  file->AppendSeparator();
  file->Append(kExportDxf, "Export &DXF...");
  file->Append(kExportSvg, "Export S&VG...");
  file->AppendSeparator();
  file->Append(wxID_EXIT, "&Quit\tCtrl+Q");
  auto* viewMenu = new wxMenu;
  viewMenu->Append(kZoomExtents, "Zoom &Extents\tCtrl+E");
  drawingsMenu_ = new wxMenu;
  auto* bar = new wxMenuBar;
  bar->Append(file, "&File");
  bar->Append(viewMenu, "&View");
  bar->Append(drawingsMenu_, "&Drawings");
  SetMenuBar(bar);
  CreateStatusBar(2);
  SetStatusWidths(2, std::array<int, 2>{-1, 260}.data());

  // The view above, the output pane and the command line below, as on the host.
  auto* splitter = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_LIVE_UPDATE);
  view_ = new DrawingView(splitter);
  auto* bottom = new wxPanel(splitter);
  output_ = new wxTextCtrl(bottom, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
                           wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP);
  output_->SetFont(wxFontInfo(10).Family(wxFONTFAMILY_TELETYPE));
  prompt_ = new wxStaticText(bottom, wxID_ANY, "Command:");
  input_ = new wxTextCtrl(bottom, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
  input_->SetFont(wxFontInfo(10).Family(wxFONTFAMILY_TELETYPE));
  auto* line = new wxBoxSizer(wxHORIZONTAL);
  line->Add(prompt_, 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 4);
  line->Add(input_, 1, wxEXPAND);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(output_, 1, wxEXPAND);
  column->Add(line, 0, wxEXPAND | wxTOP | wxBOTTOM, 2);
  bottom->SetSizer(column);
  splitter->SetMinimumPaneSize(60);
  splitter->SetSashGravity(1.0);
  splitter->SplitHorizontally(view_, bottom, -200);

  previousSink_ = acedSetPrintSink([this](const std::wstring& text) {
    output_->AppendText(text);
    if (previousSink_) previousSink_(text);
    else {
      std::fputs(acutWideToUtf8(text).c_str(), stdout);
      std::fflush(stdout);
    }
  });

  input_->Bind(wxEVT_TEXT_ENTER, &MainFrame::onEnter, this);
  input_->Bind(wxEVT_KEY_DOWN, &MainFrame::onCommandKey, this);
  Bind(wxEVT_CLOSE_WINDOW, &MainFrame::onClose, this);
  view_->setCursorHandler([this](double x, double y) { SetStatusText(wxString::Format("%.4f, %.4f", x, y), 1); });

  Bind(wxEVT_MENU, [this](wxCommandEvent&) {
    const std::optional<std::wstring> path = uiDriver().pickFile(
        L"Open Drawing", L"Drawings (*.hdw;*.dxf)|*.hdw;*.dxf|All files (*.*)|*.*||", L"", L"");
    if (path) runAsTyped(L"(host-open " + lispStringLiteral(*path) + L")");
  }, kOpen);
  Bind(wxEVT_MENU, [this](wxCommandEvent&) { runAsTyped(L"(host-save)"); }, kSave);
  // The exports ask for a new file's name, which the host's file-open service does not:
  // the toolkit's save dialog asks, and the host's LISP service writes.
  auto exporter = [this](const wchar_t* title, const wchar_t* wildcard, const wchar_t* function) {
    wxFileDialog dialog(this, title, "", "", wildcard, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() == wxID_OK)
      runAsTyped(std::wstring(L"(") + function + L" " + lispStringLiteral(wide(dialog.GetPath())) + L")");
  };
  Bind(wxEVT_MENU, [exporter](wxCommandEvent&) { exporter(L"Export DXF", L"DXF (*.dxf)|*.dxf", L"host-export-dxf"); },
       kExportDxf);
  Bind(wxEVT_MENU, [exporter](wxCommandEvent&) { exporter(L"Export SVG", L"SVG (*.svg)|*.svg", L"host-export-svg"); },
       kExportSvg);
  Bind(wxEVT_MENU, [this](wxCommandEvent&) { view_->zoomExtents(); }, kZoomExtents);
  Bind(wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, wxID_EXIT);
  Bind(wxEVT_MENU, [this](wxCommandEvent& event) {
    const std::vector<AcApDocument*> documents = acDocManagerPtr()->hostDocuments();
    const std::size_t index = static_cast<std::size_t>(event.GetId() - kFirstDrawing);
    if (index < documents.size())
      runAsTyped(L"(host-activate " + lispStringLiteral(documents[index]->fileName()) + L")");
  }, kFirstDrawing, kLastDrawing);

  input_->SetFocus();
  afterCommand();
}

MainFrame::~MainFrame() { acedSetPrintSink(previousSink_); }

void MainFrame::setPrompt(const wxString& prompt) {
  prompt_->SetLabel(prompt);
  prompt_->GetParent()->Layout();
}

void MainFrame::enterCommandLine(const wxString& text) {
  input_->ChangeValue(text);
  wxCommandEvent event(wxEVT_TEXT_ENTER, input_->GetId());
  event.SetEventObject(input_);
  event.SetString(text);
  input_->GetEventHandler()->ProcessEvent(event);
}

void MainFrame::onEnter(wxCommandEvent&) {
  const wxString text = input_->GetValue();
  input_->Clear();
  if (inputLoop_ != nullptr) return answerInput(wide(text));
  if (running_) {
    wxBell();  // one command at a time, as at the host's prompt
    return;
  }
  if (!text.empty() && (history_.empty() || history_.back() != text)) history_.push_back(text);
  historyAt_ = history_.size();
  acedPrintText(std::wstring(acedPrintLineOpen() ? L"\n" : L"") + (pending_.empty() ? L"Command: " : L"(_> ") +
                wide(text) + L"\n");
  runCommand(text.utf8_string() + "\n");
}

int MainFrame::runCommand(const std::string& utf8) {
  pending_ += utf8;
  if (lispInputIncomplete(pending_)) {
    setPrompt("(_>");
    return 0;
  }
  const std::string form = std::move(pending_);
  pending_.clear();
  setPrompt("Command:");
  if (form.find_first_not_of(" \t\r\n") == std::string::npos) return 0;
  running_ = true;
  const int failed = session_.runAtPrompt(form);
  running_ = false;
  if (acedPrintLineOpen()) acedPrintText(L"\n");
  afterCommand();
  return failed;
}

int MainFrame::runAsTyped(const std::wstring& form) {
  if (running_) {
    wxBell();
    return 0;
  }
  // A menu item is a command like a typed one, shown at the command line as a macro.
  acedPrintText(std::wstring(acedPrintLineOpen() ? L"\n" : L"") + L"Command: " + form + L"\n");
  pending_.clear();
  return runCommand(acutWideToUtf8(form) + "\n");
}

void MainFrame::afterCommand() {
  AcApDocument* active = acDocManagerPtr()->mdiActiveDocument();
  view_->regenerate(active);
  rebuildDrawingsMenu();
  SetTitle(active != nullptr ? wxString(active->docTitle()) + " - ovhost" : wxString("ovhost"));
  SetStatusText(active != nullptr ? wxString(active->fileName()) : wxString(), 0);
}

void MainFrame::rebuildDrawingsMenu() {
  while (drawingsMenu_->GetMenuItemCount() > 0) drawingsMenu_->Destroy(drawingsMenu_->FindItemByPosition(0));
  const std::vector<AcApDocument*> documents = acDocManagerPtr()->hostDocuments();
  AcApDocument* active = acDocManagerPtr()->mdiActiveDocument();
  for (std::size_t i = 0; i < documents.size() && kFirstDrawing + static_cast<int>(i) <= kLastDrawing; ++i) {
    wxMenuItem* item = drawingsMenu_->AppendRadioItem(kFirstDrawing + static_cast<int>(i), documents[i]->docTitle(),
                                                      documents[i]->fileName());
    item->Check(documents[i] == active);
  }
}

void MainFrame::onCommandKey(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (key == WXK_ESCAPE && inputLoop_ != nullptr) return answerInput(std::nullopt);
  if ((key == WXK_UP || key == WXK_DOWN) && !history_.empty()) {
    if (key == WXK_UP && historyAt_ > 0) --historyAt_;
    if (key == WXK_DOWN && historyAt_ < history_.size()) ++historyAt_;
    input_->ChangeValue(historyAt_ < history_.size() ? history_[historyAt_] : wxString());
    input_->SetInsertionPointEnd();
    return;
  }
  event.Skip();
}

std::optional<std::wstring> MainFrame::readInput(const std::wstring& prompt) {
  const std::size_t start = prompt.find_first_not_of(L"\r\n");
  const std::wstring shown = start == std::wstring::npos ? std::wstring() : prompt.substr(start);
  acedPrintText(std::wstring(acedPrintLineOpen() ? L"\n" : L"") + shown);
  setPrompt(shown.empty() ? wxString("Input:") : wxString(shown));
  view_->setPickHandler([this](double x, double y) {
    answerInput(wide(wxString::FromCDouble(x, 6) + "," + wxString::FromCDouble(y, 6) + ",0"));
  });
  input_->SetFocus();
  inputAnswer_.reset();
  wxGUIEventLoop waiting;
  inputLoop_ = &waiting;
  waiting.Run();
  inputLoop_ = nullptr;
  view_->setPickHandler({});
  setPrompt("Command:");
  acedPrintText((inputAnswer_ ? *inputAnswer_ : std::wstring(L"*Cancel*")) + L"\n");
  return inputAnswer_;
}

void MainFrame::answerInput(std::optional<std::wstring> answer) {
  if (inputLoop_ == nullptr) return;
  inputAnswer_ = std::move(answer);
  inputLoop_->Exit();
}

void MainFrame::onClose(wxCloseEvent& event) {
  // A command still waiting for input is cancelled first; the window closes once it
  // has ended.
  if (running_) {
    answerInput(std::nullopt);
    if (event.CanVeto()) {
      event.Veto();
      CallAfter([this] { Close(); });
      return;
    }
  }
  Destroy();
}
