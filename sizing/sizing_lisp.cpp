// The sizing and flow dialogs' LISP functions. Those without arguments of their own
// open their dialog through the chain of customisation dialogs; the pipe query reads
// its pipe and answers the pipe's settings.
#include "sizing/sizing_lisp.h"

#include <string>

#include "arx/aced_lisp.h"
#include "dialogs/dialog_chain.h"
#include "dialogs/dialog_database.h"
#include "frame/host_services.h"
#include "frame/lisp_args.h"
#include "frame/lisp_frame.h"
#include "frame/lisp_result.h"
#include "sizing/CDialogPipeSum.h"

namespace {

// The pipe's settings as the LISP program stores them, in the order it reads them.
void returnAnswer(const PipeSumAnswer& answer) {
  ResultList result;
  resultListBegin(result);
  resultAddStringReal(result, L"dZ1", answer.z1);
  resultAddStringReal(result, L"dZ2", answer.z2);
  resultAddStringLong(result, L"ixPipeSize", answer.pipeSize);
  resultAddStringLong(result, L"ixLayerSystem", answer.layerSystem);
  resultAddStringLong(result, L"ixPipeType", answer.pipeType);
  if (answer.sizingTable != 0)
    resultAddStringLong(result, L"ixPipeSizingTable", answer.sizingTable);
  else
    resultAddStringNil(result, L"ixPipeSizingTable");
  resultAddStringLong(result, L"bPTrap", answer.ptrap ? 1 : 0);
  resultAddStringLong(result, L"bTransparent", answer.transparent ? 1 : 0);
  resultAddStringReal(result, L"dExteriorLining", answer.exteriorLining);
  resultAddStringString(result, L"sOffsetZ", answer.offsetZ);
  resultAddStringString(result, L"sOffsetY", answer.offsetY);
  resultAddStringLong(result, L"iHangerType", answer.hangerType);
  resultAddStringLong(result, L"bSizeLocked", answer.sizeLocked ? 1 : 0);
  for (const auto& [key, value] : answer.hanger) resultAddStringReal(result, key, value);
  resultListReturn(result);
}

// [DATABASE-FILE] PIPE FLAG: the pipe key and the flag are required.
int showPipeQuery() {
  ArgCursor args;
  std::wstring file;
  argString(args, file);
  int pipe = 0;
  bool flag = false;
  if (!argInt(args, pipe) || args.atEnd() || !argBool(args, flag)) return kWorkerWrongType;
  acedRetNil();
  DialogDatabase database(file);
  if (!database.connection()) return kWorkerDone;
  ModuleResourceScope resources;
  CDialogPipeSum dialog(ovDialogParent(), database.connection(), pipe, flag);
  if (ovDialogFailureCheck(static_cast<int>(dialog.DoModal())) == IDOK) returnAnswer(dialog.answer());
  return kWorkerDone;
}

}  // namespace

int ovLispPipeSizingTable() { return ovDialogChainFunction(NeighbourDialog::SizingTables); }

int ovLispPipeSize() { return ovDialogChainFunction(NeighbourDialog::PipeSizes); }

int ovLispPipeSumCategory() { return ovDialogChainFunction(NeighbourDialog::FlowCategories); }

int ovLispPipeSum() { return runLocked(showPipeQuery); }
