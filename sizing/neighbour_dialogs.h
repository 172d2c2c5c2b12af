// The dialogs a sizing dialog's buttons lead to ("Edit Sizes...", "Edit Pipe Types..."
// and the like): the first dialog closes as with OK, then the next opens on the same
// database. One place knows which dialogs lead where and which exist yet.
#pragma once

#include "projectdb/project_database.h"

enum class NeighbourDialog { None, PipeSizes, SizingTables, PipeTypes };

// The end code a dialog closes with to have the next one opened.
int neighbourEndCode(NeighbourDialog neighbour);
NeighbourDialog neighbourOfEndCode(int code);

// Shows `first` on the database for the pipe type (0: none chosen), then each dialog
// the user goes on to, until one is closed another way. A dialog not built yet tells
// the user so in a message box.
void ovShowDialogChain(NeighbourDialog first, const ProjectDatabasePtr& connection, int pipeType);
