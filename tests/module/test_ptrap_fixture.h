// What the P-trap tests share: pipes with a trap made in no drawing, and the trap's
// curve built again from points the test writes down itself.
#pragma once

#include <memory>

#include "arx/db_entities.h"
#include "pipe/PlumbPipe.h"

// A pipe from start to end with a trap of the width (bPtrap set).
inline std::unique_ptr<PlumbPipe> trapPipe(const AcGePoint3d& start, const AcGePoint3d& end, double width) {
  auto pipe = std::make_unique<PlumbPipe>();
  pipe->ptStart = start;
  pipe->ptEnd = end;
  pipe->bPtrap = true;
  pipe->dPtrapWidth = width;
  return pipe;
}

// The fit curve through a trap's six points at z 0, for a pipe along +x whose trap
// starts at (x, y) and is the width wide.
inline std::unique_ptr<AcDb2dPolyline> referenceTrapCurve(double x, double y, double width) {
  const double h = width / 2;
  const AcGePoint3dArray vertices{{x, y - h, 0},
                                  {x, y - h - 0.01, 0},
                                  {x + width * 0.49, y - width, 0},
                                  {x + width * 0.51, y - width, 0},
                                  {x + width, y - h - 0.01, 0},
                                  {x + width, y - h, 0}};
  return std::make_unique<AcDb2dPolyline>(AcDb::k2dFitCurvePoly, vertices, 0.0);
}

inline double referenceLength(const AcDb2dPolyline& curve) {
  double end = 0.0, length = 0.0;
  curve.getEndParam(end);
  curve.getDistAtParam(end, length);
  return length;
}
