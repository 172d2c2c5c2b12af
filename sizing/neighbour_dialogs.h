// The dialogs a sizing dialog's buttons lead to ("Edit Sizes...", "Edit Pipe Types..."
// and the like): the first dialog closes as with OK, then its LISP function opens the
// neighbour on the same database. One place knows which neighbours exist.
#pragma once

#include "projectdb/project_database.h"

enum class NeighbourDialog { None, PipeSizes, SizingTables, PipeTypes };

// The end code a dialog closes with to have its worker open that neighbour next.
int neighbourEndCode(NeighbourDialog neighbour);
NeighbourDialog neighbourOfEndCode(int code);

// Opens the neighbour on the database for the pipe type. A neighbour not built yet
// tells the user so in a message box.
void ovOpenNeighbourDialog(NeighbourDialog neighbour, const ProjectDatabasePtr& connection, int pipeType);
