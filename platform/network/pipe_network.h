// The pipes of a drawing as plumbing systems: pipes of one type joined where their
// ends meet, or where an end meets another pipe's run (a tee), each system rooted at
// the source the designer marked, so that every pipe knows the pipe it hangs from and
// how far it lies from the source.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "arx/ge.h"

struct NetworkPipe {
  int key = 0;   // ixPipe
  int type = 0;  // ixPipeType: only pipes of one type join
  AcGePoint3d start, end;
  // The riser this pipe continues on the floor above or below (ixPipeRiserPrevious):
  // the pipe's start joins the riser's end wherever the two are drawn.
  int riserPrevious = 0;
  // The designer's mark: the free end of this pipe is its system's source.
  bool source = false;
  // The type's flow runs away from the fixtures, toward the source (drainage): a
  // source pipe joined to nothing then has its source, the outlet, at its end; a
  // supply pipe is fed at its start.
  bool reversed = false;
};

constexpr std::size_t kNoPipe = std::numeric_limits<std::size_t>::max();

// Where a pipe lies in its oriented system.
struct NetworkPlace {
  std::size_t system = kNoPipe;
  // The pipe nearer the source that this one joins; none for the pipe at the source.
  std::size_t parent = kNoPipe;
  // Along the pipes from the source: to the pipe's point nearest the source, and to its
  // end farthest from it, where a fixture on the pipe connects.
  double nearDistance = 0.0;
  double farDistance = 0.0;
  double farZ = 0.0;
};

struct PipeSystem {
  int type = 0;
  std::size_t source = kNoPipe;     // the pipe marked as the source
  std::vector<std::size_t> pipes;   // input indexes; when oriented, each after its parent
  std::wstring problem;             // why the system cannot be sized; empty when it can
};

struct PipeNetwork {
  std::vector<PipeSystem> systems;
  std::vector<NetworkPlace> places;  // one per input pipe
};

// Ends and runs closer than tolerance meet.
PipeNetwork buildPipeNetwork(const std::vector<NetworkPipe>& pipes, double tolerance);

// "pipe 4", "pipes 4 and 7", "pipes 4, 5 and 7"; past twelve keys, "and N more".
std::wstring namePipes(std::vector<int> keys);

// A pipe that rises or falls more than it runs in plan is a riser or a drop.
bool isVerticalPipe(const AcGePoint3d& start, const AcGePoint3d& end);
