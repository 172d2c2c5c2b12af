// The table of the module's LISP functions. A row's handler comes from the file that
// implements the function; rows without one are left undefined with the host.
#include "frame/function_table.h"

#include "arrow/arrow_lisp.h"
#include "arx/aced_lisp.h"
#include "dialogs/customisation_lisp.h"
#include "dialogs/options_lisp.h"
#include "frame/frame_functions.h"
#include "pipe/pipe_drawing_lisp.h"
#include "pipe/pipe_functions.h"
#include "pipe/ptrap_functions.h"
#include "sizing/sizing_lisp.h"

namespace {

const ovLispFunction kTable[kLispFunctionCount] = {
    {L"ov_plumb-disconnect", ovLispDisconnect},
    {L"ov_plumb-insertPipe", ovLispInsertPipe},
    {L"ov_plumb-insertPipeArrow", ovLispInsertPipeArrow},
    {L"ov_plumb-setPipeInfo", ovLispSetPipeInfo},
    {L"ov_plumb-setPipeArrowInfo", ovLispSetPipeArrowInfo},
    {L"ov_plumb-getLayer", ovLispGetLayer},
    {L"ov_plumb-setPipeBreaks", ovLispSetPipeBreaks},
    {L"ov_plumb-pipe-setElbowBreaks", ovLispPipeSetElbowBreaks},
    {L"ov_plumb-pipe-setArcBreaks", ovLispPipeSetArcBreaks},
    {L"ov_plumb-pipe-setPtrapLine1Breaks", ovLispPipeSetPtrapLine1Breaks},
    {L"ov_plumb-pipe-setPtrapPolylineBreaks", ovLispPipeSetPtrapPolylineBreaks},
    {L"ov_plumb-pipe-setPtrapLine2Breaks", ovLispPipeSetPtrapLine2Breaks},
    {L"ov_plumb-explodePipe", ovLispExplodePipe},
    {L"ov_plumb-getPipeElbowLength", ovLispGetPipeElbowLength},
    {L"ov_plumb-pipe-elbowList", ovLispPipeElbowList},
    {L"ov_plumb-pipe-arcList", ovLispPipeArcList},
    {L"ov_plumb-options", ovLispOptions},
    {L"ov_plumb-pipeLinetype", ovLispPipeLinetype},
    {L"ov_plumb-tblDwgValve", ovLispDwgValve},
    {L"ov_plumb-pipeSumCategory", ovLispPipeSumCategory},
    {L"ov_plumb-pipeType", ovLispPipeType},
    {L"ov_plumb-pipeSum", ovLispPipeSum},
    {L"ov_plumb-editFloorDefinition", ovLispEditFloorDefinition},
    {L"ov_plumb-insertFixtureConnection", ovLispInsertFixtureConnection},
    {L"ov_plumb-pipeLabel", ovLispPipeLabel},
    {L"ov_plumb-ProjectExplorer", ovLispProjectExplorer},
    {L"ov_plumb-alignmentPoint-Query", ovLispAlignmentPointQuery},
    {L"ov_plumb-intersectPtrapLine", ovLispIntersectPtrapLine},
    {L"ov_plumb-intersectPtrapArc", ovLispIntersectPtrapArc},
    {L"ov_plumb-intersectPtrapPtrap", ovLispIntersectPtrapPtrap},
    {L"ov_plumb-pipe-getHangerList", ovLispGetHangerList},
    {L"ov_plumb-pipeSize", ovLispPipeSize},
    {L"ov_plumb-pipeSizingTable", ovLispPipeSizingTable},
    {L"ov_plumb-setDoDocumentActivated", ovLispSetDoDocumentActivated},
};

}  // namespace

const ovLispFunction* ovLispFunctionTable() { return kTable; }

void ovRegisterLispFunctions() {
  for (short code = 0; code < kLispFunctionCount; ++code) {
    if (kTable[code].handler == nullptr) continue;
    acedDefun(kTable[code].name, code);
    acedRegFunc(kTable[code].handler, code);
  }
}
