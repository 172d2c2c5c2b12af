// Which neighbouring dialogs exist, and how each is opened with the pipe type the one
// before it leaves.
#include "sizing/neighbour_dialogs.h"

#include "dialogs/dialog_database.h"
#include "frame/host_services.h"
#include "mfc/main_window.h"
#include "mfc/message_box.h"
#include "sizing/CDialogPipeSize.h"
#include "sizing/CDialogPipeSizingTable.h"
#include "sizing/last_pipe_type.h"

namespace {

// End codes above the framework's own (IDOK ... IDCONTINUE and 100 for picking).
constexpr int kFirstNeighbourCode = 200;

void notAvailableYet(const wchar_t* dialog) {
  const std::wstring text = std::wstring(L"The ") + dialog + L" dialog is not available yet.";
  MessageBox(adsw_acadMainWnd(), text.c_str(), L"Orvane Plumbing", MB_OK | MB_ICONINFORMATION);
}

// Shows one dialog; answers the dialog the user asked for next and leaves in pipeType
// the pipe type that one opens on.
NeighbourDialog showOne(NeighbourDialog which, const ProjectDatabasePtr& connection, int& pipeType) {
  int ended = IDCANCEL;
  switch (which) {
    case NeighbourDialog::SizingTables: {
      // The sizing dialog opens on the module-wide last pipe type.
      if (pipeType > 0) ovSetLastPipeType(pipeType);
      CDialogPipeSizingTable dialog(ovDialogParent(), connection);
      ended = ovDialogFailureCheck(static_cast<int>(dialog.DoModal()));
      pipeType = dialog.currentPipeType();
      break;
    }
    case NeighbourDialog::PipeSizes: {
      CDialogPipeSize dialog(ovDialogParent(), connection, pipeType);
      ended = ovDialogFailureCheck(static_cast<int>(dialog.DoModal()));
      pipeType = dialog.rememberedPipeType();
      break;
    }
    case NeighbourDialog::PipeTypes: notAvailableYet(L"Pipe Types"); break;
    case NeighbourDialog::None: break;
  }
  return neighbourOfEndCode(ended);
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

void ovShowDialogChain(NeighbourDialog first, const ProjectDatabasePtr& connection, int pipeType) {
  for (NeighbourDialog next = first; next != NeighbourDialog::None;) next = showOne(next, connection, pipeType);
}
