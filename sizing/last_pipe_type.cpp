// The module-wide last pipe type.
#include "sizing/last_pipe_type.h"

namespace {
int gLastPipeType = 0;
}

int ovLastPipeType() { return gLastPipeType; }

void ovSetLastPipeType(int pipeType) { gLastPipeType = pipeType; }
