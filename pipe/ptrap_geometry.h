// The P-trap's shape at a pipe's end, computed from the pipe's fields: the points it
// is built from, its two short lines and the smooth curve that hangs under the end.
#pragma once

#include <memory>

#include "arx/db_entities.h"
#include "pipe/PlumbPipe.h"

// How far the curve's second and second-last points sit below line1's and line2's
// ends, and how far its two bottom points sit either side of the trap's middle (as a
// share of the width): both keep the fit curve from turning sharply at those points.
inline constexpr double kPtrapCurveInset = 0.01;
// A right angle as the pipe's drawing writes it (its pi is 3.14159265).
inline constexpr double kPtrapRightAngle = 3.14159265 * 0.5;

// The trap's points. "Down" is the drawing's -y direction whatever the pipe's angle.
// line1 runs from lineEnd down to a, the curve through a, b, c1, c2, e, d, and line2
// from d up to offEnd. Distances along each part are measured from its first point.
struct PtrapPoints {
  AcGePoint3d lineEnd;  // where the pipe line stops short of the end
  AcGePoint3d a;        // lineEnd moved down by half the width
  AcGePoint3d b;        // a moved down by the inset
  AcGePoint3d c1;       // the bottom of the U, just before the trap's middle
  AcGePoint3d c2;       // the bottom of the U, just after the trap's middle
  AcGePoint3d e;        // d moved down by the inset
  AcGePoint3d d;        // offEnd moved down by half the width
  AcGePoint3d offEnd;   // the pipe's drawn end

  // The same points with every z replaced by the elevation.
  PtrapPoints atElevation(double z) const;
};

// The trap between lineEnd and offEnd (offEnd lies the width further along the
// angle, in radians); every point takes the z of lineEnd.
PtrapPoints ptrapPointsFrom(const AcGePoint3d& lineEnd, const AcGePoint3d& offEnd, double angle, double width);
// The trap as the pipe is drawn: offEnd is the end point moved sideways by the offset
// distance, lineEnd lies dPtrapWidth back from it, all at the start elevation. bPtrap
// is not looked at, so that any pipe's fields give a shape.
PtrapPoints ptrapPoints(const PlumbPipe& pipe);
// The pipe's plan angle, from its start point to its end point.
double ptrapPipeAngle(const PlumbPipe& pipe);

// The curve's vertices in order: a, b, c1, c2, e, d.
AcGePoint3dArray ptrapCurveVertices(const PtrapPoints& points);
// A new fit-curve polyline through the curve's vertices at the elevation of a; it is
// in no database and belongs to the caller (release() it to append it somewhere).
std::unique_ptr<AcDb2dPolyline> newPtrapCurve(const PtrapPoints& points);
// The curve's length from a to d (0 for a curve that answers none).
double ptrapCurveLength(const AcDb2dPolyline& curve);
