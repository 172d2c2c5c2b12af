// Which dialog each neighbour is, and how it is opened with the pipe type the one
// before it leaves.
#include "dialogs/dialog_chain.h"

#include <string>

#include "arx/aced_lisp.h"
#include "dialogs/CDialogPipeLabel.h"
#include "dialogs/CDialogPipeLinetype.h"
#include "dialogs/CDialogPipeType.h"
#include "dialogs/dialog_database.h"
#include "frame/host_services.h"
#include "frame/lisp_args.h"
#include "frame/lisp_frame.h"
#include "sizing/CDialogPipeSize.h"
#include "sizing/CDialogPipeSizingTable.h"
#include "sizing/CDialogSumCategory.h"
#include "sizing/last_pipe_type.h"

namespace {

// End codes above the framework's own (IDOK ... IDCONTINUE and 100 for picking).
constexpr int kFirstNeighbourCode = 200;

// Runs a dialog that answers the pipe type it leaves through currentPipeType().
template <typename Dialog>
int runDialog(Dialog& dialog, int& pipeType) {
  const int ended = ovDialogFailureCheck(static_cast<int>(dialog.DoModal()));
  pipeType = dialog.currentPipeType();
  return ended;
}

// Shows one dialog; answers the dialog the user asked for next and leaves in pipeType
// the pipe type that one opens on.
NeighbourDialog showOne(NeighbourDialog which, const ProjectDatabasePtr& connection, int& pipeType) {
  CWnd* parent = ovDialogParent();
  int ended = IDCANCEL;
  switch (which) {
    case NeighbourDialog::SizingTables: {
      // The sizing dialog opens on the module-wide last pipe type.
      if (pipeType > 0) ovSetLastPipeType(pipeType);
      CDialogPipeSizingTable dialog(parent, connection);
      ended = runDialog(dialog, pipeType);
      break;
    }
    case NeighbourDialog::PipeSizes: {
      CDialogPipeSize dialog(parent, connection, pipeType);
      ended = runDialog(dialog, pipeType);
      break;
    }
    case NeighbourDialog::PipeTypes: {
      CDialogPipeType dialog(parent, connection, pipeType);
      ended = runDialog(dialog, pipeType);
      break;
    }
    case NeighbourDialog::FlowCategories: {
      CDialogSumCategory dialog(parent, connection, pipeType);
      ended = runDialog(dialog, pipeType);
      break;
    }
    case NeighbourDialog::Labels: {
      CDialogPipeLabel dialog(parent, connection, pipeType);
      ended = runDialog(dialog, pipeType);
      break;
    }
    case NeighbourDialog::Linetypes: {
      CDialogPipeLinetype dialog(parent, connection, pipeType);
      ended = runDialog(dialog, pipeType);
      break;
    }
    case NeighbourDialog::None: break;
  }
  return neighbourOfEndCode(ended);
}

// The optional first argument: a database file. Anything but a text there is refused.
bool readDatabaseFile(std::wstring& file) {
  ArgCursor args;
  return args.atEnd() || argString(args, file);
}

int showChain(NeighbourDialog first) {
  std::wstring file;
  if (!readDatabaseFile(file)) return kWorkerWrongType;
  acedRetNil();
  DialogDatabase database(file);
  if (!database.connection()) return kWorkerDone;
  ModuleResourceScope resources;
  ovShowDialogChain(first, database.connection(), 0);
  return kWorkerDone;
}

}  // namespace

int neighbourEndCode(NeighbourDialog neighbour) { return kFirstNeighbourCode + static_cast<int>(neighbour); }

NeighbourDialog neighbourOfEndCode(int code) {
  const int index = code - kFirstNeighbourCode;
  if (index <= static_cast<int>(NeighbourDialog::None) || index > static_cast<int>(NeighbourDialog::Linetypes))
    return NeighbourDialog::None;
  return static_cast<NeighbourDialog>(index);
}

void ovShowDialogChain(NeighbourDialog first, const ProjectDatabasePtr& connection, int pipeType) {
  for (NeighbourDialog next = first; next != NeighbourDialog::None;) next = showOne(next, connection, pipeType);
}

int ovDialogChainFunction(NeighbourDialog first) {
  return runLocked([first] { return showChain(first); });
}
