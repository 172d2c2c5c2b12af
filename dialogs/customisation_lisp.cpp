// The LISP functions of the customisation dialogs. The pipe-type dialogs open through
// the chain of customisation dialogs, which leads on to their neighbours; the symbol
// blocks and the fixture connection read their own arguments.
#include "dialogs/customisation_lisp.h"

#include <optional>
#include <string>

#include "arx/aced_lisp.h"
#include "dialogs/CAlignQuery.h"
#include "dialogs/CDialogDwgValve.h"
#include "dialogs/CDialogProjectExplorerPlumb.h"
#include "dialogs/DialogFixtureConnection.h"
#include "dialogs/DialogFloorGroup.h"
#include "dialogs/dialog_chain.h"
#include "dialogs/dialog_database.h"
#include "frame/host_services.h"
#include "frame/lisp_args.h"
#include "frame/lisp_frame.h"
#include "frame/lisp_result.h"

namespace {

// SYMBOL-FOLDER [DATABASE-FILE]: the folder is required.
int showSymbols() {
  ArgCursor args;
  std::wstring folder;
  std::wstring file;
  if (!argString(args, folder)) return kWorkerWrongType;
  argString(args, file);
  acedRetNil();
  DialogDatabase database(file);
  if (!database.connection()) return kWorkerDone;
  ModuleResourceScope resources;
  CDialogDwgValve dialog(ovDialogParent(), database.connection(), folder, !file.empty());
  ovDialogFailureCheck(static_cast<int>(dialog.DoModal()));
  return kWorkerDone;
}

int showFixtureConnection() {
  ArgCursor args;
  std::wstring file;
  if (!args.atEnd() && !argString(args, file)) return kWorkerWrongType;
  acedRetNil();
  DialogDatabase database(file);
  if (!database.connection()) return kWorkerDone;
  ModuleResourceScope resources;
  DialogFixtureConnection dialog(ovDialogParent(), database.connection());
  if (ovDialogFailureCheck(static_cast<int>(dialog.DoModal())) == DialogFixtureConnection::kInserted) acedRetT();
  return kWorkerDone;
}

// The elevation the user picks in the drawing for the floors dialog; none when the
// host program answers no number.
std::optional<double> pickedElevation() {
  int status = RTERROR;
  ArgCursor answer(ovInvokeHost(acutBuildList(RTSTR, L"plumb-floor-selectDistance", 0), &status).release());
  double elevation = 0.0;
  if (status != RTNORM || !argReal(answer, elevation)) return std::nullopt;
  return elevation;
}

// [FLOOR [DATABASE-FILE]]: the floors dialog, opened again after each pick.
int showFloors() {
  ArgCursor args;
  int floorKey = 0;
  std::wstring file;
  // The floor may be left out (nil) before a file.
  if (argInt(args, floorKey) || argString(args, file) || argSkip(args)) argString(args, file);
  acedRetNil();
  DialogDatabase database(file);
  if (!database.connection()) return kWorkerDone;
  ModuleResourceScope resources;
  std::optional<PickedElevation> picked;
  for (;;) {
    DialogFloorGroup dialog(ovDialogParent(), database.connection(), floorKey, picked);
    const int ended = ovDialogFailureCheck(static_cast<int>(dialog.DoModal()));
    if (ended == IDOK) acedRetT();
    if (ended != DialogFloorGroup::kPickElevation) break;
    picked.reset();
    if (const std::optional<double> elevation = pickedElevation())
      picked = PickedElevation{dialog.pickRow(), *elevation};
  }
  return kWorkerDone;
}

int showArea() {
  ArgCursor args;
  int area = 0;
  if (!argInt(args, area)) return kWorkerWrongType;
  acedRetNil();
  DialogDatabase database(L"");
  if (!database.connection()) return kWorkerDone;
  ModuleResourceScope resources;
  CAlignQuery dialog(ovDialogParent(), database.connection(), area);
  if (ovDialogFailureCheck(static_cast<int>(dialog.DoModal())) != IDOK) return kWorkerDone;
  const AreaAnswer& answer = dialog.answer();
  ResultList result;
  resultListBegin(result);
  resultAddStringLong(result, L"ixFloor", answer.floor);
  resultAddStringString(result, L"sName", answer.name);
  for (int type : answer.addedTypes)
    if (dialog.inserting()) resultAddStringLong(result, L"ADD", type);
  resultListReturn(result);
  return kWorkerDone;
}

// LIST DEVTYPE TEXT [DATABASE-FILE]: the explorer, shown again after a query on the
// object queried, until it ends to find an object or with Exit.
int showExplorer() {
  ArgCursor args;
  int list = 0;
  int devType = 0;
  std::wstring text;
  std::wstring file;
  if (!argInt(args, list) || !argInt(args, devType) || !argString(args, text)) return kWorkerWrongType;
  argString(args, file);
  acedRetNil();
  DialogDatabase database(file);
  if (!database.connection()) return kWorkerDone;
  ModuleResourceScope resources;
  for (;;) {
    CDialogProjectExplorerPlumb dialog(ovDialogParent(), database.connection(), list, devType, text);
    const int ended = ovDialogFailureCheck(static_cast<int>(dialog.DoModal()));
    list = dialog.chosenList();
    devType = dialog.chosenDevType();
    if (ended == CDialogProjectExplorerPlumb::kQueryObject) {
      ovInvokeHost(acutBuildList(RTSTR, L"projectExplorer-query-Plumb", RTSHORT, list, RTSHORT, devType, 0));
      continue;
    }
    if (ended == CDialogProjectExplorerPlumb::kQuerySchedule) {
      // Device type 10 has no schedule to show.
      if (devType != 10)
        ovInvokeHost(acutBuildList(RTSTR, L"projectExplorer-querySchedule-Plumb", RTSHORT, dialog.chosenSchedule(),
                                   RTSHORT, devType, 0));
      continue;
    }
    ResultList result;
    resultListBegin(result);
    resultAddStringLong(result, L"state", ended);
    resultAddStringLong(result, L"ixL", list);
    resultAddStringLong(result, L"devType", devType);
    resultListReturn(result);
    return kWorkerDone;
  }
}

}  // namespace

int ovLispPipeType() { return ovDialogChainFunction(NeighbourDialog::PipeTypes); }

int ovLispPipeLabel() { return ovDialogChainFunction(NeighbourDialog::Labels); }

int ovLispPipeLinetype() { return ovDialogChainFunction(NeighbourDialog::Linetypes); }

int ovLispDwgValve() { return runLocked(showSymbols); }

int ovLispInsertFixtureConnection() { return runLocked(showFixtureConnection); }

int ovLispEditFloorDefinition() { return runInDocument(showFloors); }

int ovLispAlignmentPointQuery() { return runInDocument(showArea); }

int ovLispProjectExplorer() { return runInDocument(showExplorer); }
