// Which neighbouring dialogs exist, and how each is opened.
#include "sizing/neighbour_dialogs.h"

#include "mfc/main_window.h"
#include "mfc/message_box.h"

namespace {

// End codes above the framework's own (IDOK ... IDCONTINUE and 100 for picking).
constexpr int kFirstNeighbourCode = 200;

void notAvailableYet(const wchar_t* dialog) {
  const std::wstring text = std::wstring(L"The ") + dialog + L" dialog is not available yet.";
  MessageBox(adsw_acadMainWnd(), text.c_str(), L"Orvane Plumbing", MB_OK | MB_ICONINFORMATION);
}

}  // namespace

int neighbourEndCode(NeighbourDialog neighbour) { return kFirstNeighbourCode + static_cast<int>(neighbour); }

NeighbourDialog neighbourOfEndCode(int code) {
  switch (code - kFirstNeighbourCode) {
    case static_cast<int>(NeighbourDialog::PipeSizes): return NeighbourDialog::PipeSizes;
    case static_cast<int>(NeighbourDialog::SizingTables): return NeighbourDialog::SizingTables;
    case static_cast<int>(NeighbourDialog::PipeTypes): return NeighbourDialog::PipeTypes;
    default: return NeighbourDialog::None;
  }
}

void ovOpenNeighbourDialog(NeighbourDialog neighbour, const ProjectDatabasePtr& connection, int pipeType) {
  (void)connection;
  (void)pipeType;
  switch (neighbour) {
    case NeighbourDialog::PipeSizes: notAvailableYet(L"Pipe Sizes"); break;
    case NeighbourDialog::SizingTables: notAvailableYet(L"Pipe Sizing Tables"); break;
    case NeighbourDialog::PipeTypes: notAvailableYet(L"Pipe Types"); break;
    case NeighbourDialog::None: break;
  }
}
