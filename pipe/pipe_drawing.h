// What a pipe looks like: one drawing routine that either hands its primitives to the
// host's world draw (display) or turns each into a plain object of model space
// (explosion), and the break lists that cut its lines and arcs into pieces.
#pragma once

#include <vector>

#include "arx/gi.h"
#include "arx/status.h"
#include "pipe/PlumbPipe.h"

// The pipe drawing's fixed values. Pi has always been written 3.14159265 here and
// drawings depend on the exact positions it gives.
inline constexpr double kDrawPi = 3.14159265;
inline constexpr double kDrawRightAngle = 1.570796325;
// A pipe shorter than this in plan is a riser or a drop and is drawn as its symbol.
inline constexpr double kPlanLengthThreshold = 0.1;
// Where the hidden copy of everything drawn lies, far above any floor.
inline constexpr double kHiddenElevation = 100000.0;
// The trap curve is cut into chords of this share of the trap's width.
inline constexpr double kPtrapChordShare = 0.1;

// One gap in a drawn line or arc: its centre and width, as distances along it.
struct breakInfo {
  double dCentre = 0.0;
  double dWidth = 0.0;
  double lower() const { return dCentre - dWidth / 2.0; }
  double upper() const { return dCentre + dWidth / 2.0; }
};

// One stretch of a line or arc that is drawn, from and to distances along it.
struct DrawnSpan {
  double from = 0.0;
  double to = 0.0;
};

// The gaps of ascending break distances, each width wide; gaps that overlap or touch
// become one. The second form fills a list the caller keeps, so that drawing many
// pipes does not allocate for each.
std::vector<breakInfo> mergeBreaks(const std::vector<double>& distances, double width);
template <typename It>
void mergeBreaksInto(It first, It last, double width, std::vector<breakInfo>& out) {
  out.clear();
  for (; first != last; ++first) {
    const double d = *first;
    if (!out.empty() && out.back().upper() >= d - width / 2.0) {
      // Two gaps that overlap or touch are drawn as the one gap covering both.
      const double lo = out.back().lower();
      const double hi = d + width / 2.0;
      out.back() = {(lo + hi) / 2.0, hi - lo};
      continue;
    }
    out.push_back({d, width});
  }
}
// The stretches left between the gaps on a curve from start to end: the first only
// when the first gap begins beyond start, the last only when the last gap ends short
// of end and withLast is set. No gaps: the whole curve.
std::vector<DrawnSpan> spansBetweenBreaks(const std::vector<breakInfo>& breaks, double start, double end,
                                          bool withLast = true);
void spansBetweenBreaksInto(const std::vector<breakInfo>& breaks, double start, double end, bool withLast,
                            std::vector<DrawnSpan>& out);
// How many break slots of an elbow or arc are used (they come before the first empty
// one).
int usedSlotCount(const double (&slots)[kFittingBreakSlots]);

// The drop symbol's gap either side of each opening angle.
double dropSymbolGap();

// Display: draws the pipe into the world draw with the traits it finds set there.
// The label object of the pipe takes the rotation, contents and layer of this drawing.
void drawPipe(PlumbPipe& pipe, AcGiWorldDraw* wd);
// Explosion: every primitive becomes a line, arc, circle, fit-curve polyline or
// multiline text of the working database's model space, on the pipe's layer and
// linetype (hidden copies on the hidden layer). newestFirst receives their ids, the
// last created first. Answers the first failure to append (drawing stops there).
Acad::ErrorStatus explodePipe(PlumbPipe& pipe, std::vector<AcDbObjectId>& newestFirst);
