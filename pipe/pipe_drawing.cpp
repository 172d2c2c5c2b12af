// The pipe's drawing routine: the riser or drop symbol of a pipe that is vertical in
// plan, otherwise the P-trap, the pipe line with its gaps, ticks and labels, the drop
// line, the elbow legs and the arcs. Every primitive goes to an output (display or
// explosion), preceded by its hidden copy when the pipe has a hidden layer.
#include "pipe/pipe_drawing.h"

#include <algorithm>
#include <cmath>

#include "arx/db_symtab.h"
#include "arx/ucs_trans.h"
#include "pipe/pipe_drawing_output.h"
#include "pipe/ptrap_geometry.h"

namespace {

// Labels closer together than anyone could read are not worth a drawing that never
// ends; a piece gets at most this many.
constexpr int kMaxLabelsPerPiece = 100000;
// The same for the chords of one stretch of the trap curve.
constexpr int kMaxChordsPerSpan = 100000;

AcGeVector3d planDirection(double angle) { return {std::cos(angle), std::sin(angle), 0.0}; }

AcGePoint3d lifted(const AcGePoint3d& p) { return {p.x, p.y, kHiddenElevation}; }

// The plan angle of the current user coordinate system's x axis, seen in the world.
double ucsXAngle() {
  resbuf fromUser{}, toWorld{};
  fromUser.restype = RTSHORT;
  fromUser.resval.rint = kTransUser;
  toWorld.restype = RTSHORT;
  toWorld.resval.rint = kTransWorld;
  const ads_point origin = {0, 0, 0}, unitX = {1, 0, 0};
  ads_point o = {0, 0, 0}, x = {1, 0, 0};
  if (acedTrans(origin, &fromUser, &toWorld, 0, o) != RTNORM) return 0.0;
  if (acedTrans(unitX, &fromUser, &toWorld, 0, x) != RTNORM) return 0.0;
  return std::atan2(x[1] - o[1], x[0] - o[0]);
}

// The linetype of the layer, or the fallback when the layer cannot be opened.
AcDbObjectId layerLinetype(AcDbObjectId layerId, AcDbObjectId fallback) {
  AcDbLayerTableRecord* layer = nullptr;
  if (acdbOpenObject(layer, layerId, AcDb::kForRead) != Acad::eOk) return fallback;
  const AcDbObjectId linetype = layer->linetypeObjectId();
  layer->close();
  return linetype;
}

// The gap and piece lists the drawing fills again for every curve it breaks; kept
// from one pipe to the next so that drawing a plan does not allocate for each pipe.
struct DrawScratch {
  std::vector<breakInfo> breaks;
  std::vector<DrawnSpan> spans;
};
DrawScratch& scratch() {
  thread_local DrawScratch lists;
  return lists;
}

// The stretches of a curve from start to end between the gaps of the distances.
template <typename It>
const std::vector<DrawnSpan>& spansOf(It first, It last, double width, double start, double end,
                                      bool withLast = true) {
  DrawScratch& lists = scratch();
  mergeBreaksInto(first, last, width, lists.breaks);
  spansBetweenBreaksInto(lists.breaks, start, end, withLast, lists.spans);
  return lists.spans;
}

// Drawn for one kind of output at a time, so that display, done at every regeneration,
// calls its output directly.
template <typename Output>
class PipePainter {
 public:
  PipePainter(PlumbPipe& pipe, Output& out)
      : pipe_(pipe), out_(out), hidden_(pipe.idHiddenLayer.isValid()) {}

  void draw() {
    const double planLength = pipe_.ptStart.convert2d().distanceTo(pipe_.ptEnd.convert2d());
    if (planLength > kPlanLengthThreshold) {
      drawPlan(planLength);
    } else {
      drawVerticalSymbol();
    }
  }

 private:
  // The primitive rule: the hidden copy first, then the primitive itself.
  void line(const AcGePoint3d& from, const AcGePoint3d& to) {
    if (hidden_) out_.line(lifted(from), lifted(to), PipeLayerRole::Hidden);
    out_.line(from, to, PipeLayerRole::Effective);
  }
  void arc(const PipeArc& arc) {
    if (hidden_) {
      PipeArc copy = arc;
      copy.centre = lifted(arc.centre);
      out_.arc(copy, PipeLayerRole::Hidden);
    }
    out_.arc(arc, PipeLayerRole::Effective);
  }
  void circle(const AcGePoint3d& centre, double radius) {
    if (hidden_) out_.circle(lifted(centre), radius, PipeLayerRole::Hidden);
    out_.circle(centre, radius, PipeLayerRole::Effective);
  }
  void label(const AcGePoint3d& location) {
    if (hidden_) out_.label(pipe_.mtLabel, lifted(location), PipeLayerRole::Hidden);
    out_.label(pipe_.mtLabel, location, PipeLayerRole::Label);
  }

  // A pipe that only rises or drops: a circle about its start, opened at the given
  // angles for a drop.
  void drawVerticalSymbol() {
    const double radius = pipe_.dVerticalRadius;
    const AcGePoint3d& centre = pipe_.ptStart;
    if (pipe_.iVerticalType != 1 || pipe_.aVerticalAngles.isEmpty()) {
      circle(centre, radius);
      return;
    }
    const double g = dropSymbolGap();
    const double first = pipe_.aVerticalAngles[0];
    double s = first + g;
    auto openArc = [&](double from, double to) { arc({centre, radius, planDirection(from), to - from, 1}); };
    for (int i = 1; i < pipe_.aVerticalAngles.size(); ++i) {
      const double t = pipe_.aVerticalAngles[i];
      if (t - g > s) openArc(s, t - g);
      s = t + g;
    }
    const double e = first + 2.0 * kDrawPi;
    if (e - g > s) openArc(s, e - g);
  }

  void drawPlan(double planLength) {
    angle_ = std::atan2(pipe_.ptEnd.y - pipe_.ptStart.y, pipe_.ptEnd.x - pipe_.ptStart.x);
    along_ = planDirection(angle_);
    tickLeft_ = planDirection(angle_ + kDrawRightAngle);
    tickRight_ = planDirection(angle_ - kDrawRightAngle);
    z_ = pipe_.ptStart.z;
    offStart_ = {pipe_.ptStart.x, pipe_.ptStart.y, z_};
    offEnd_ = {pipe_.ptEnd.x, pipe_.ptEnd.y, z_};
    if (pipe_.dOffsetDistance != 0.0) {
      const AcGeVector3d side = tickLeft_ * pipe_.dOffsetDistance;
      offStart_ += side;
      offEnd_ += side;
    }
    lineStartAt_ = pipe_.dTailOffset;
    lineEndAt_ = planLength - (pipe_.bPtrap ? pipe_.dPtrapWidth : pipe_.dHeadOffset);
    lineEnd_ = offEnd_ - along_ * (pipe_.bPtrap ? pipe_.dPtrapWidth : pipe_.dHeadOffset);

    bool junctionBroken = false;
    if (pipe_.bPtrap) junctionBroken = drawPtrap();
    prepareLabel();
    drawPipeLine(junctionBroken);
    drawDropLine();
    drawElbows();
    drawArcs();
  }

  AcGePoint3d at(double distance) const { return offStart_ + along_ * distance; }

  // The trap hanging below the end; answers whether its first line is broken right
  // at the pipe line, which then leaves the pipe line's last stretch out.
  bool drawPtrap() {
    const double width = pipe_.dPtrapWidth;
    const PtrapPoints trap = ptrapPointsFrom(lineEnd_, offEnd_, angle_, width);
    if (pipe_.aPtrapPolylineBreaks.isEmpty()) {
      const AcGePoint3dArray vertices = ptrapCurveVertices(trap);
      if (hidden_) out_.fitCurve(ptrapCurveVertices(trap.atElevation(kHiddenElevation)), kHiddenElevation,
                                 PipeLayerRole::Hidden);
      out_.fitCurve(vertices, trap.a.z, PipeLayerRole::Effective);
    } else {
      drawPtrapChords(trap);
    }
    const AcGeVector3d down(0, -1, 0);
    const PlumbArray<double>& line1 = pipe_.aPtrapLine1Breaks;
    for (const DrawnSpan& span : spansOf(line1.begin(), line1.end(), pipe_.dBreakWidth, 0.0, width / 2.0))
      line(trap.lineEnd + down * span.from, trap.lineEnd + down * span.to);
    const bool junctionBroken = !scratch().breaks.empty() && scratch().breaks.front().lower() <= 0.0;
    const PlumbArray<double>& line2 = pipe_.aPtrapLine2Breaks;
    for (const DrawnSpan& span : spansOf(line2.begin(), line2.end(), pipe_.dBreakWidth, 0.0, width / 2.0))
      line(trap.d - down * span.from, trap.d - down * span.to);
    return junctionBroken;
  }

  // A broken trap curve: its stretches between the gaps as straight chords.
  void drawPtrapChords(const PtrapPoints& trap) {
    const std::unique_ptr<AcDb2dPolyline> curve = newPtrapCurve(trap);
    const double length = ptrapCurveLength(*curve);
    const double step = kPtrapChordShare * pipe_.dPtrapWidth;
    const PlumbArray<double>& breaks = pipe_.aPtrapPolylineBreaks;
    auto pointAt = [&](double distance) {
      AcGePoint3d p = trap.a;
      curve->getPointAtDist(std::clamp(distance, 0.0, length), p);
      return p;
    };
    for (const DrawnSpan& span : spansOf(breaks.begin(), breaks.end(), pipe_.dBreakWidth, 0.0, length)) {
      // A gap may reach past either end of the curve; only the curve itself is drawn.
      const double from = std::max(span.from, 0.0), to = std::min(span.to, length);
      if (!(to > from)) continue;
      AcGePoint3d previous = pointAt(from);
      double s = from;
      for (int chords = 0; s < to && chords < kMaxChordsPerSpan; ++chords) {
        s = step > 0.0 ? std::min(s + step, to) : to;
        const AcGePoint3d next = pointAt(s);
        line(previous, next);
        previous = next;
      }
    }
  }

  // The label's rotation (never upside down, relative to the current user coordinate
  // system), its contents and its layer, before anything measures it.
  void prepareLabel() {
    double rotation = 0.0;
    if (!pipe_.bTextAngleIs0) {
      // Angles from the x axis all the way round, so that a pipe running down and
      // to the left is turned as well.
      rotation = angle_ < 0.0 ? angle_ + 2.0 * M_PI : angle_;
      if (rotation > kDrawPi * 0.501 && rotation < kDrawPi * 1.501) rotation += kDrawPi;
    }
    AcDbMText& label = pipe_.mtLabel;
    label.setRotation(rotation - ucsXAngle());
    if (label.contentsText() != pipe_.strText) label.setContents(pipe_.strText.c_str());
    const AcDbObjectId layer = pipe_.idTextLayer.isNull() ? pipe_.layerId() : pipe_.idTextLayer;
    if (!layer.isNull() && label.layerId() != layer) label.setLayer(layer);
    if (pipe_.strText.empty()) return;
    // The label's size is the same all along the pipe: measured once per drawing.
    gap_ = pipe_.labelGap();
    const double r = label.rotation();
    toCorner_ = planDirection(r) * (-label.actualWidth() / 2.0) +
                planDirection(r + kDrawRightAngle) * (label.actualHeight() / 2.0);
  }

  void tick(double distance) {
    const AcGePoint3d p = at(distance);
    const double half = pipe_.dTickWidth / 2.0;
    line(p + tickLeft_ * half, p + tickRight_ * half);
  }

  void drawPipeLine(bool junctionBroken) {
    const double headTickAt = lineStartAt_ + pipe_.dTickOffsetHead;
    const double tailTickAt = lineEndAt_ - pipe_.dTickOffsetTail;
    if (pipe_.aBreaks.isEmpty()) {
      const bool ticks = pipe_.dTickWidth != 0.0;
      drawPiece(lineStartAt_, lineEndAt_, ticks && pipe_.dTickOffsetHead != 0.0,
                ticks && pipe_.dTickOffsetTail != 0.0, headTickAt, tailTickAt);
      return;
    }
    const bool ticks =
        pipe_.dTickWidth != 0.0 && (pipe_.dTickOffsetHead != 0.0 || pipe_.dTickOffsetTail != 0.0);
    // With breaks a tick goes to the stretch that holds its threshold, one tick width
    // in from the line's end.
    const double headThreshold = lineStartAt_ + pipe_.dTickWidth;
    const double tailThreshold = lineEndAt_ - pipe_.dTickWidth;
    const PlumbArray<double>& breaks = pipe_.aBreaks;
    for (const DrawnSpan& span :
         spansOf(breaks.begin(), breaks.end(), pipe_.dBreakWidth, lineStartAt_, lineEndAt_, !junctionBroken)) {
      const bool head = ticks && pipe_.dTickOffsetHead != 0.0 && span.from < headThreshold &&
                        headThreshold < span.to;
      const bool tail = ticks && pipe_.dTickOffsetTail != 0.0 && span.from < tailThreshold &&
                        tailThreshold < span.to;
      drawPiece(span.from, span.to, head, tail, headTickAt, tailTickAt);
    }
  }

  // A stretch of the pipe line: the head tick and the plain line up to it, the tail
  // tick and the plain line after it, then what is left with its labels.
  void drawPiece(double from, double to, bool headTick, bool tailTick, double headTickAt, double tailTickAt) {
    if (headTick) {
      tick(headTickAt);
      line(at(from), at(headTickAt));
      from = headTickAt;
    }
    if (tailTick) {
      tick(tailTickAt);
      line(at(tailTickAt), at(to));
      to = tailTickAt;
    }
    drawLabelledLine(from, to);
  }

  void drawLabelledLine(double from, double to) {
    const double length = to - from;
    const double gap = gap_;
    if (pipe_.strText.empty() || length <= 2.0 * gap) {
      line(at(from), at(to));
      return;
    }
    const double spacing = pipe_.dTextDistance;
    const double perSpacing = spacing != 0.0 ? length / spacing : 0.0;
    const int count = perSpacing >= kMaxLabelsPerPiece ? kMaxLabelsPerPiece
                      : perSpacing >= 1.0             ? static_cast<int>(perSpacing)
                                                      : 1;
    const double firstCentre = (length - (count - 1) * spacing) / 2.0;
    double drawnTo = 0.0;
    for (int k = 0; k < count; ++k) {
      const double centre = firstCentre + k * spacing;
      if (centre - gap > drawnTo) line(at(from + drawnTo), at(from + centre - gap));
      drawnTo = centre + gap;
    }
    if (length > drawnTo) line(at(from + drawnTo), at(to));

    // The label's corner: back half its width along the text, up half its height.
    for (int k = 0; k < count; ++k) label(at(from + firstCentre + k * spacing) + toCorner_);
  }

  void drawDropLine() {
    if (pipe_.ptEnd.z == pipe_.ptStart.z || pipe_.bIsometric) return;
    line(lineEnd_, {lineEnd_.x, lineEnd_.y, pipe_.ptEnd.z});
  }

  void drawElbows() {
    const AcGePoint3d base = offEnd_ - along_ * pipe_.dElbow45Offset;
    for (const elbowInfo& elbow : pipe_.aElbows) {
      const AcGeVector3d leg = planDirection(angle_ + elbow.dAngle);
      const double* slots = elbow.aBreaks;
      for (const DrawnSpan& span :
           spansOf(slots, slots + usedSlotCount(elbow.aBreaks), pipe_.dBreakWidth, 0.0, elbow.dLength))
        line(base + leg * span.from, base + leg * span.to);
    }
  }

  void drawArcs() {
    const double radius = pipe_.dArcRadius;
    for (const arcInfo& info : pipe_.aArcs) {
      const AcGePoint3d start = offEnd_ - along_ * info.dOffset;
      const AcGePoint3d centre = start + planDirection(angle_ + info.iNormal * kDrawRightAngle) * radius;
      // Records of the oldest drawings carry no side (0); they turn counter-clockwise.
      const int direction = info.iNormal < 0 ? -1 : 1;
      const double startAngle = std::atan2(start.y - centre.y, start.x - centre.x);
      const int used = usedSlotCount(info.aBreaks);
      if (used == 0 || radius == 0.0) {
        arc({centre, radius, planDirection(startAngle), info.dLength, direction});
        continue;
      }
      // Breaks are measured from the end the arc starts at when it runs
      // counter-clockwise: its start point, or its far end when it turns clockwise.
      const double ccwStart = direction > 0 ? startAngle : startAngle - info.dLength;
      const double* slots = info.aBreaks;
      for (const DrawnSpan& span :
           spansOf(slots, slots + used, pipe_.dBreakWidth, 0.0, info.dLength * radius)) {
        const double from = ccwStart + span.from / radius;
        const double sweep = (span.to - span.from) / radius;
        arc({centre, radius, planDirection(direction > 0 ? from : from + sweep), sweep, direction});
      }
    }
  }

  PlumbPipe& pipe_;
  Output& out_;
  const bool hidden_;
  double angle_ = 0.0;
  AcGeVector3d along_;
  AcGeVector3d tickLeft_, tickRight_;  // across the pipe, left and right
  double z_ = 0.0;
  AcGePoint3d offStart_, offEnd_, lineEnd_;
  double lineStartAt_ = 0.0, lineEndAt_ = 0.0;
  double gap_ = 0.0;          // the label gap
  AcGeVector3d toCorner_;     // from a label's centre to its location
};

PipeDrawLayers drawLayers(const PlumbPipe& pipe, AcDbObjectId layer, AcDbObjectId linetype) {
  PipeDrawLayers layers;
  layers.layer = layer;
  layers.linetype = linetype;
  layers.hiddenLayer = pipe.idHiddenLayer;
  layers.hiddenLinetype = pipe.idHiddenLayer.isValid() ? layerLinetype(pipe.idHiddenLayer, linetype) : linetype;
  layers.labelLayer = pipe.idTextLayer.isNull() ? pipe.layerId() : pipe.idTextLayer;
  return layers;
}

}  // namespace

double dropSymbolGap() {
  static const double gap = kDrawPi / 3.0;
  return gap;
}

void drawPipe(PlumbPipe& pipe, AcGiWorldDraw* wd) {
  const AcGiSubEntityTraits& traits = wd->subEntityTraits();
  PipeDisplayOutput out(wd, drawLayers(pipe, traits.layerId(), traits.lineTypeId()));
  PipePainter(pipe, out).draw();
}

Acad::ErrorStatus explodePipe(PlumbPipe& pipe, std::vector<AcDbObjectId>& newestFirst) {
  PipeExplodeOutput out(drawLayers(pipe, pipe.layerId(), pipe.linetypeId()));
  PipePainter(pipe, out).draw();
  newestFirst.assign(out.created().rbegin(), out.created().rend());
  return out.status();
}

bool PlumbPipe::subWorldDraw(AcGiWorldDraw* wd) {
  assertReadEnabled();
  if (wd != nullptr) drawPipe(*this, wd);
  return true;
}
