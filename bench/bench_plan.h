// The generated plan every benchmark works on: a realistic mix of pipes and their flow
// arrows, the same for drawing, files, DXF and memory so their numbers compare.
#pragma once

#include <memory>
#include <vector>

#include "arrow/PlumbPipeArrow.h"
#include "pipe/PlumbPipe.h"

class AcDbDatabase;

namespace bench {

// The number of pipes of the large building plan.
constexpr int kPlanPipes = 100000;

// Registers the module's two entity classes with the host once.
void registerPlanClasses();

// Pipe number i of the plan: four breaks, two elbows, one broken arc, ticks at both
// ends and a repeated label; every tenth pipe ends in a P-trap and every twentieth is a
// vertical riser or drop.
std::unique_ptr<PlumbPipe> makePlanPipe(int i);

// The flow arrow along pipe number i, with four hangers.
std::unique_ptr<PlumbPipeArrow> makePlanArrow(int i, const PlumbPipe& pipe);

struct Plan {
  std::vector<std::unique_ptr<PlumbPipe>> pipes;
  std::vector<std::unique_ptr<PlumbPipeArrow>> arrows;
};

// n pipes and their arrows, outside any drawing.
Plan makePlan(int n);

// n pipes and their arrows appended to the model space of db.
void fillPlanDrawing(AcDbDatabase& db, int n);

}  // namespace bench
