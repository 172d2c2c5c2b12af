// The generated plan of the benchmarks: pipes in every direction and of varied length,
// arranged on a grid the size of a large building, each with its flow arrow.
#include "bench/bench_plan.h"

#include <cmath>

#include "arx/db_database.h"
#include "arx/db_entities.h"
#include "arx/rx.h"

namespace bench {

void registerPlanClasses() {
  if (acrxFindClass(L"PlumbPipe") == nullptr) PlumbPipe::rxInit();
  if (acrxFindClass(PlumbPipeArrow::kClassName) == nullptr) PlumbPipeArrow::rxInit();
  acrxBuildClassHierarchy();
}

namespace {

// The plan-view fittings of a horizontal pipe: breaks where four pipes cross it, an
// elbow leg each way at its end (one broken), a hop over a crossing pipe, ticks at both
// ends and its size label repeated along it.
void addFittings(PlumbPipe& pipe, int i) {
  for (double d : {20.0, 45.0, 70.0, 95.0}) pipe.aBreaks.append(d);
  elbowInfo leg(6.0, 0.785);
  leg.aBreaks[0] = 3.0;
  pipe.aElbows.append(leg);
  pipe.aElbows.append(elbowInfo(4.0, -0.785));
  pipe.dArcRadius = 3.0;
  arcInfo hop(2.0, 10.0, i % 2 == 0 ? 1 : -1);
  hop.aBreaks[0] = 2.5;
  pipe.aArcs.append(hop);
  pipe.dTickWidth = 2.0;
  pipe.dTickOffsetHead = 1.5;
  pipe.dTickOffsetTail = 1.5;
  pipe.strText = L"3/4\" CW";
  pipe.mtLabel.setTextHeight(1.5);
  pipe.dTextDistance = 20.0;
}

}  // namespace

std::unique_ptr<PlumbPipe> makePlanPipe(int i) {
  auto pipe = std::make_unique<PlumbPipe>();
  pipe->setPipeId(i + 1);
  const AcGePoint3d start(i % 1000, i / 1000, 10.0);
  pipe->ptStart = start;
  if (i % 20 == 19) {
    // A riser or a drop: no length in plan, only its circle and symbol.
    pipe->ptEnd = AcGePoint3d(start.x, start.y, i % 40 == 39 ? 0.0 : 20.0);
    pipe->iVerticalType = i % 40 == 39 ? 1 : 0;
    return pipe;
  }
  const double angle = 0.001 * i;
  const double length = 120.0 + (i % 50);
  pipe->ptEnd = start + AcGeVector3d(std::cos(angle), std::sin(angle), 0.0) * length;
  pipe->ptEnd.z = 8.0;
  addFittings(*pipe, i);
  if (i % 10 == 3) {
    pipe->bPtrap = true;
    pipe->dPtrapWidth = 8.0;
  }
  return pipe;
}

std::unique_ptr<PlumbPipeArrow> makePlanArrow(int i, const PlumbPipe& pipe) {
  auto arrow = std::make_unique<PlumbPipeArrow>();
  arrow->setPipeId(pipe.pipeId());
  arrow->setStartPoint(pipe.ptStart);
  AcGePoint3d end = pipe.ptEnd;
  if (end.x == pipe.ptStart.x && end.y == pipe.ptStart.y) end.x += 24.0;  // beside a riser
  arrow->setEndPoint(end);
  AcGeDoubleArray hangers;
  for (double d : {10.0, 40.0, 70.0, 100.0}) hangers.append(d);
  arrow->setHangers(hangers);
  arrow->setReversed(i % 7 == 0);
  return arrow;
}

Plan makePlan(int n) {
  registerPlanClasses();
  Plan plan;
  plan.pipes.reserve(n);
  plan.arrows.reserve(n);
  for (int i = 0; i < n; ++i) {
    plan.pipes.push_back(makePlanPipe(i));
    plan.arrows.push_back(makePlanArrow(i, *plan.pipes.back()));
  }
  return plan;
}

void fillPlanDrawing(AcDbDatabase& db, int n) {
  registerPlanClasses();
  AcDbBlockTableRecord* ms = nullptr;
  acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite);
  for (int i = 0; i < n; ++i) {
    PlumbPipe* pipe = makePlanPipe(i).release();
    PlumbPipeArrow* arrow = makePlanArrow(i, *pipe).release();
    ms->appendAcDbEntity(pipe);
    ms->appendAcDbEntity(arrow);
    pipe->close();
    arrow->close();
  }
  ms->close();
}

}  // namespace bench
