// The pipe type the sizing dialogs were last closed on: one value for the whole module,
// so that the next dialog opens where the user left off.
#pragma once

// 0 until a sizing-table dialog has been closed with OK.
int ovLastPipeType();
void ovSetLastPipeType(int pipeType);
