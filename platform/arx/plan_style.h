// How recorded primitives look in plan: their colours and dash patterns from the
// drawing's layer and linetype tables, the pieces a fit curve is drawn with, and the
// extents of the whole. The SVG writer and the desktop window's view both draw from
// this, so that a plan looks the same in a file and on screen.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "arx/gi_record.h"

class AcDbDatabase;

struct PlanRgb {
  int r = 0, g = 0, b = 0;
};

// The host's palette: 1-9 the named colours (7 is black on paper), 10-249 round the
// hue circle, 250-255 greys.
PlanRgb planAciRgb(int index);

// A box in plan that grows to hold what is added; non-finite points are left out.
struct PlanBounds {
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool empty = true;
  void add(double x, double y);
};

// An arc in plan: start angle, signed sweep (positive counter-clockwise) and radius.
// A normal pointing down turns the arc clockwise in plan; sweeps beyond a full turn
// are a full turn.
struct PlanArc {
  double cx, cy, r, a0, sweep;
  double endAngle() const { return a0 + sweep; }
};
PlanArc planArc(const GiPrimitive& arc);

// A text's box in its own frame (x along the baseline, y up, origin at the location),
// from the host's fixed font metric and the attachment point.
struct PlanTextBox {
  double left, right, bottom, top;
};
PlanTextBox planTextBox(const GiPrimitive& text);
// Single-line text may be drawn wider or narrower than the font; multiline text's
// width is the box it wraps in, not a factor.
double planWidthFactor(const GiPrimitive& text);

// One primitive ready to draw: its colour, its linetype's dashes (positive draws,
// negative gaps, 0 a dot; empty when solid) and, for a fit curve, the arcs and
// straight pieces it is drawn with, in order along it.
struct PlanItem {
  const GiPrimitive* prim;
  std::vector<GiPrimitive> pieces;
  PlanRgb color;
  const std::vector<double>* dashes;
};

class PlanStyleResolver;

// The primitives of a drawing as they are drawn in plan: those that can be drawn and
// whose layer is on and thawed, styled by db's tables (with no database everything is
// colour 7 and continuous), and their extents. The primitives must outlive the scene.
class PlanScene {
 public:
  PlanScene(AcDbDatabase* db, std::span<const GiPrimitive> primitives);
  ~PlanScene();
  PlanScene(PlanScene&&) noexcept;
  PlanScene& operator=(PlanScene&&) noexcept;

  const std::vector<PlanItem>& items() const { return items_; }
  const PlanBounds& bounds() const { return bounds_; }

 private:
  std::unique_ptr<PlanStyleResolver> styles_;  // owns the dash patterns items point at
  std::vector<PlanItem> items_;
  PlanBounds bounds_;
};
