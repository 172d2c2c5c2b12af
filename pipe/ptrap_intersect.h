// Where other objects cross a pipe's P-trap: the distances along the other object and
// along the trap's line1, curve and line2 that the LISP program turns into breaks.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "pipe/PlumbPipe.h"

// The answer pairs in the order they were found: "entity" (along the other object),
// "line1", "polyline" (along the curve) and "line2".
using PtrapHits = std::vector<std::pair<std::wstring, double>>;

// An arc laid out like a pipe's arc: it leaves start in the direction angle, its
// centre lies radius away on the left (normal 1) or right (normal -1), and it turns
// that way by sweep radians.
struct PtrapCrossingArc {
  AcGePoint3d start;
  double angle = 0.0;
  int normal = 1;
  double radius = 0.0;
  double sweep = 0.0;
};

// Each takes the trap from the pipe's fields (bPtrap is the caller's to check) in the
// plane z 0, its lines prolonged by d at both ends; a non-zero d also prolongs the
// other object. False when the other object cannot be built (the hits stay empty).
bool intersectPtrapLine(const PlumbPipe& pipe, double d, const AcGePoint3d& p1, const AcGePoint3d& p2,
                        PtrapHits& hits);
// The arc must have normal 1 or -1, a positive radius and a sweep in (0, 2 pi].
bool intersectPtrapArc(const PlumbPipe& pipe, double d, const PtrapCrossingArc& arc, PtrapHits& hits);
// The other pipe's trap, taken from its fields whether or not it has bPtrap set; only
// the first pipe's distances are answered.
bool intersectPtrapPtrap(const PlumbPipe& pipe, double d, const PlumbPipe& other, PtrapHits& hits);
