// The plan's styles and extents, shared by the SVG writer and the desktop view.
#include "arx/plan_style.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "arx/curve_geometry.h"
#include "arx/db_database.h"
#include "arx/db_entities.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHalfPi = kPi / 2;

PlanRgb hsv(double hueDeg, double sat, double val) {
  double c = val * sat;
  double h = std::fmod(hueDeg, 360.0) / 60.0;
  double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(h)) {
    case 0: r = c; g = x; break;
    case 1: r = x; g = c; break;
    case 2: g = c; b = x; break;
    case 3: g = x; b = c; break;
    case 4: r = x; b = c; break;
    default: r = c; b = x; break;
  }
  double m = val - c;
  auto byte = [m](double v) { return static_cast<int>(std::lround((v + m) * 255.0)); };
  return {byte(r), byte(g), byte(b)};
}

PlanRgb colorRgb(const AcCmColor& c) {
  if (c.isByColor()) return {c.red(), c.green(), c.blue()};
  return planAciRgb(c.colorIndex());
}

// How one layer draws.
struct LayerStyle {
  bool visible = true;
  AcCmColor color = [] { AcCmColor c; c.setColorIndex(7); return c; }();
  AcDbObjectId linetype;
};

}  // namespace

// The host's palette. 1-9 are the named colours (7, white on a dark screen, prints
// black on paper); 10-249 run round the hue circle in steps of 15 degrees, each hue
// in five shades, full and pale; 250-255 are greys.
PlanRgb planAciRgb(int index) {
  static const PlanRgb named[10] = {{0, 0, 0},       {255, 0, 0},   {255, 255, 0},
                                {0, 255, 0},     {0, 255, 255}, {0, 0, 255},
                                {255, 0, 255},   {0, 0, 0},     {128, 128, 128},
                                {192, 192, 192}};
  static const int greys[6] = {0x33, 0x50, 0x69, 0x82, 0xbe, 0xff};
  static const double shades[5] = {1.0, 0.65, 0.5, 0.3, 0.15};
  if (index >= 1 && index <= 9) return named[index];
  if (index >= 10 && index <= 249) {
    int shade = index % 10;
    return hsv((index / 10 - 1) * 15.0, shade % 2 ? 0.5 : 1.0, shades[shade / 2]);
  }
  if (index >= 250 && index <= 255) {
    int g = greys[index - 250];
    return {g, g, g};
  }
  return named[7];
}

void PlanBounds::add(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  if (empty) {
    minX = maxX = x;
    minY = maxY = y;
    empty = false;
    return;
  }
  minX = std::min(minX, x);
  maxX = std::max(maxX, x);
  minY = std::min(minY, y);
  maxY = std::max(maxY, y);
}

PlanArc planArc(const GiPrimitive& p) {
  double dir = p.normal.z < 0 ? -1.0 : 1.0;
  double a0 = std::atan2(p.startVector.y, p.startVector.x);
  double s = std::clamp(p.sweep, -2 * kPi, 2 * kPi);
  return {p.center.x, p.center.y, p.radius, a0, dir * s};
}

double planWidthFactor(const GiPrimitive& p) {
  return !p.multiline && std::isfinite(p.width) && p.width > 0 ? p.width : 1.0;
}

PlanTextBox planTextBox(const GiPrimitive& p) {
  size_t longest = 0;
  for (const std::wstring& l : p.lines) longest = std::max(longest, l.size());
  double w = longest * AcDbMText::kCharWidthFactor * p.height * planWidthFactor(p);
  double n = std::max<size_t>(p.lines.size(), 1);
  double h = p.height + (n - 1) * AcDbMText::kLineSpacingFactor * p.height;
  int col = (std::clamp(p.attachment, 1, 9) - 1) % 3, row = (std::clamp(p.attachment, 1, 9) - 1) / 3;
  double left = col == 0 ? 0 : (col == 1 ? -w / 2 : -w);
  double top = row == 0 ? 0 : (row == 1 ? h / 2 : h);
  return {left, left + w, top - h, top};
}

// Looks up layers and linetypes once each.
class PlanStyleResolver {
 public:
  explicit PlanStyleResolver(AcDbDatabase* db) : db_(db) {}

  const LayerStyle& layer(AcDbObjectId id) {
    if (id.isNull() && db_ != nullptr) id = db_->layerZero();
    auto it = layers_.find(id);
    if (it != layers_.end()) return it->second;
    LayerStyle style;
    AcDbLayerTableRecord* rec = nullptr;
    if (!id.isNull() && acdbOpenObject(rec, id, AcDb::kForRead) == Acad::eOk) {
      style.visible = !rec->isOff() && !rec->isFrozen();
      style.color = rec->color();
      style.linetype = rec->linetypeObjectId();
      rec->close();
    }
    return layers_.emplace(id, style).first->second;
  }

  bool visible(const GiTraits& t) { return layer(t.layerId).visible; }

  PlanRgb color(const GiTraits& t) {
    const AcCmColor& c = t.color;
    if (c.isByColor()) return colorRgb(c);
    if (c.isByLayer()) {
      const AcCmColor& lc = layer(t.layerId).color;
      return lc.isByColor() || (lc.colorIndex() >= 1 && lc.colorIndex() <= 255) ? colorRgb(lc) : planAciRgb(7);
    }
    return planAciRgb(c.isByBlock() ? 7 : c.colorIndex());  // no block to inherit from in model space
  }

  // The linetype's dashes (positive draws, negative gaps, 0 a dot); empty when solid.
  const std::vector<double>& dashes(const GiTraits& t) {
    AcDbObjectId id = t.linetypeId;
    if (db_ != nullptr) {
      if (id.isNull() || id == db_->byLayerLinetype()) id = layer(t.layerId).linetype;
      if (id == db_->byBlockLinetype()) id = AcDbObjectId();
    }
    auto it = dashes_.find(id);
    if (it != dashes_.end()) return it->second;
    std::vector<double> d;
    AcDbLinetypeTableRecord* rec = nullptr;
    if (!id.isNull() && acdbOpenObject(rec, id, AcDb::kForRead) == Acad::eOk) {
      for (int i = 0; i < rec->numDashes(); ++i) d.push_back(rec->dashLengthAt(i));
      rec->close();
    }
    return dashes_.emplace(id, std::move(d)).first->second;
  }

 private:
  AcDbDatabase* db_;
  std::map<AcDbObjectId, LayerStyle> layers_;
  std::map<AcDbObjectId, std::vector<double>> dashes_;
};

namespace {

void addArcBounds(PlanBounds& b, const PlanArc& a) {
  double lo = std::min(a.a0, a.endAngle()), hi = std::max(a.a0, a.endAngle());
  b.add(a.cx + a.r * std::cos(lo), a.cy + a.r * std::sin(lo));
  b.add(a.cx + a.r * std::cos(hi), a.cy + a.r * std::sin(hi));
  for (double q = std::ceil(lo / kHalfPi) * kHalfPi; q <= hi; q += kHalfPi)
    b.add(a.cx + a.r * std::cos(q), a.cy + a.r * std::sin(q));
}

bool finite(const AcGePoint3d& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// What a primitive can be drawn from: finite numbers and a positive size.
bool drawable(const GiPrimitive& p) {
  switch (p.kind) {
    case GiPrimitiveKind::Polyline:
    case GiPrimitiveKind::FitCurve:
      return p.points.size() >= 2 && std::all_of(p.points.begin(), p.points.end(), finite);
    case GiPrimitiveKind::Circle:
      return finite(p.center) && std::isfinite(p.radius) && p.radius > 0;
    case GiPrimitiveKind::Arc:
      return finite(p.center) && std::isfinite(p.radius) && p.radius > 0 && std::isfinite(p.sweep) &&
             p.sweep != 0 && std::isfinite(p.startVector.x) && std::isfinite(p.startVector.y);
    case GiPrimitiveKind::Text:
      return finite(p.location) && std::isfinite(p.height) && p.height > 0 && std::isfinite(p.rotation);
  }
  return false;
}

// The pieces a fit curve is drawn with, in order along it: the arcs (and straight
// pieces) of the fit-curve polyline's own curve path through these vertices, each
// turning the way the curve runs. Should no path come of them the vertices are joined.
std::vector<GiPrimitive> fitCurvePieces(const GiPrimitive& fit) {
  AcGePoint3dArray verts;
  for (const AcGePoint3d& p : fit.points) verts.append(p);
  AcDb2dPolyline curve(AcDb::k2dFitCurvePoly, verts, fit.points.front().z, fit.closed);
  GeCurvePath path;
  std::vector<GiPrimitive> pieces;
  if (hostCurvePath(&curve, path)) {
    for (const GeCurvePiece& piece : path.pieces()) {
      GiPrimitive& p = pieces.emplace_back();
      if (piece.isArc()) {
        p.kind = GiPrimitiveKind::Arc;
        p.center = piece.center();
        p.radius = piece.radius();
        p.normal = piece.normal();
        p.startVector = piece.startDir();
        p.sweep = piece.sweep();
      } else {
        p.points = {piece.startPoint(), piece.endPoint()};
      }
      if (!drawable(p)) pieces.pop_back();
    }
  }
  if (pieces.empty()) {
    GiPrimitive& line = pieces.emplace_back();
    line.points = fit.points;
    if (fit.closed) line.points.push_back(fit.points.front());
  }
  return pieces;
}

void addTextBounds(PlanBounds& b, const GiPrimitive& p) {
  PlanTextBox box = planTextBox(p);
  double c = std::cos(p.rotation), s = std::sin(p.rotation);
  for (double x : {box.left, box.right})
    for (double y : {box.bottom, box.top}) b.add(p.location.x + x * c - y * s, p.location.y + x * s + y * c);
}

void addBounds(PlanBounds& b, const GiPrimitive& p, const std::vector<GiPrimitive>& pieces) {
  switch (p.kind) {
    case GiPrimitiveKind::Polyline:
      for (const AcGePoint3d& pt : p.points) b.add(pt.x, pt.y);
      break;
    case GiPrimitiveKind::FitCurve:
      for (const GiPrimitive& piece : pieces) addBounds(b, piece, {});
      break;
    case GiPrimitiveKind::Circle:
      b.add(p.center.x - p.radius, p.center.y - p.radius);
      b.add(p.center.x + p.radius, p.center.y + p.radius);
      break;
    case GiPrimitiveKind::Arc:
      addArcBounds(b, planArc(p));
      break;
    case GiPrimitiveKind::Text:
      addTextBounds(b, p);
      break;
  }
}

}  // namespace

PlanScene::PlanScene(AcDbDatabase* db, std::span<const GiPrimitive> primitives)
    : styles_(std::make_unique<PlanStyleResolver>(db)) {
  for (const GiPrimitive& p : primitives) {
    if (!drawable(p) || !styles_->visible(p.traits)) continue;
    PlanItem item{&p, {}, styles_->color(p.traits), &styles_->dashes(p.traits)};
    if (p.kind == GiPrimitiveKind::FitCurve) item.pieces = fitCurvePieces(p);
    addBounds(bounds_, p, item.pieces);
    items_.push_back(std::move(item));
  }
}

PlanScene::~PlanScene() = default;
PlanScene::PlanScene(PlanScene&&) noexcept = default;
PlanScene& PlanScene::operator=(PlanScene&&) noexcept = default;
