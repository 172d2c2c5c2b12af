// The customisation dialogs lead to each other ("Edit Sizes...", "Edit Pipe Types...",
// "Edit Labels..." and the like): a dialog closes as with OK, then the next opens on
// the same database with the pipe type the first leaves. One place knows which dialog
// each button leads to and how each is opened.
#pragma once

#include "projectdb/project_database.h"

enum class NeighbourDialog { None, PipeSizes, SizingTables, PipeTypes, FlowCategories, Labels, Linetypes };

// The end code a dialog closes with to have the next one opened.
int neighbourEndCode(NeighbourDialog neighbour);
NeighbourDialog neighbourOfEndCode(int code);

// Shows `first` on the database for the pipe type (0: none chosen), then each dialog
// the user goes on to, until one is closed another way.
void ovShowDialogChain(NeighbourDialog first, const ProjectDatabasePtr& connection, int pipeType);

// The worker of a LISP function that opens `first` on the database file given as its
// optional argument (or the project's), with the document locked; answers nil.
int ovDialogChainFunction(NeighbourDialog first);
