// The pipe-type customisation dialogs open through the chain of customisation dialogs,
// which leads on to their neighbours.
#include "dialogs/customisation_lisp.h"

#include "dialogs/dialog_chain.h"

int ovLispPipeType() { return ovDialogChainFunction(NeighbourDialog::PipeTypes); }

int ovLispPipeLabel() { return ovDialogChainFunction(NeighbourDialog::Labels); }

int ovLispPipeLinetype() { return ovDialogChainFunction(NeighbourDialog::Linetypes); }
