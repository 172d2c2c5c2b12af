// The two ways a pipe's primitives are put down: into the host's world draw for
// display, and as new plain objects of model space for explosion.
#include "pipe/pipe_drawing_output.h"

#include <cmath>

#include "frame/host_services.h"

namespace {

// Gives `to` what the drawing copies from the pipe's label (width, rotation, text
// height, text style, contents) and the location. The contents are only set when they
// differ, so that a copy used again keeps its laid-out lines. Answers false when `to`
// refused a value read from a damaged file: a new label then keeps its default there.
bool copyLabel(const AcDbMText& from, AcDbMText& to, const AcGePoint3d& location) {
  bool taken = to.setWidth(from.width()) == Acad::eOk;
  taken = to.setRotation(from.rotation()) == Acad::eOk && taken;
  taken = to.setTextHeight(from.textHeight()) == Acad::eOk && taken;
  to.setTextStyle(from.textStyle());
  if (to.contentsText() != from.contentsText()) to.setContents(from.contentsText().c_str());
  // A location it cannot take leaves the label where a new one would be.
  to.setLocation(AcGePoint3d());
  to.setLocation(location);
  return taken;
}

double planAngleOf(const AcGeVector3d& v) { return std::atan2(v.y, v.x); }

struct SharedLabel {
  AcDbMText label;
  bool busy = false;
};

SharedLabel& sharedLabel() {
  thread_local SharedLabel shared;
  return shared;
}

}  // namespace

PipeDisplayOutput::PipeDisplayOutput(AcGiWorldDraw* wd, const PipeDrawLayers& layers)
    : geometry_(wd->geometry()), traits_(wd->subEntityTraits()), layers_(layers) {}

PipeDisplayOutput::~PipeDisplayOutput() {
  if (holdsShared_) sharedLabel().busy = false;
}

void PipeDisplayOutput::switchTraits(PipeLayerRole role) {
  if (role == PipeLayerRole::Hidden) {
    traits_.setLayer(layers_.hiddenLayer);
    traits_.setLineType(layers_.hiddenLinetype);
  } else {
    traits_.setLayer(layers_.labelLayer);
  }
}

void PipeDisplayOutput::restoreTraits() {
  traits_.setLayer(layers_.layer);
  traits_.setLineType(layers_.linetype);
}

void PipeDisplayOutput::arc(const PipeArc& arc, PipeLayerRole role) {
  const bool restore = enter(role);
  geometry_.circularArc(arc.centre, arc.radius, AcGeVector3d(0, 0, arc.direction), arc.startVector, arc.sweep);
  leave(restore);
}

void PipeDisplayOutput::circle(const AcGePoint3d& centre, double radius, PipeLayerRole role) {
  const bool restore = enter(role);
  geometry_.circle(centre, radius, AcGeVector3d::kZAxis);
  leave(restore);
}

void PipeDisplayOutput::fitCurve(const AcGePoint3dArray& vertices, double elevation, PipeLayerRole role) {
  const bool restore = enter(role);
  AcDb2dPolyline curve(AcDb::k2dFitCurvePoly, vertices, elevation);
  geometry_.draw(&curve);
  leave(restore);
}

void PipeDisplayOutput::label(const AcDbMText& label, const AcGePoint3d& location, PipeLayerRole role) {
  const bool restore = enter(role);
  if (labelCopied_) {
    labelCopy_->setLocation(location);
  } else {
    SharedLabel& shared = sharedLabel();
    holdsShared_ = !shared.busy;
    shared.busy = true;
    labelCopy_ = &shared.label;
    if (!holdsShared_ || !copyLabel(label, shared.label, location)) {
      ownLabel_ = std::make_unique<AcDbMText>();
      labelCopy_ = ownLabel_.get();
      copyLabel(label, *labelCopy_, location);
    }
    labelCopied_ = true;
  }
  geometry_.draw(labelCopy_);
  leave(restore);
}

void PipeExplodeOutput::append(AcDbEntity* entity, PipeLayerRole role) {
  const AcDbObjectId layer = role == PipeLayerRole::Hidden  ? layers_.hiddenLayer
                             : role == PipeLayerRole::Label ? layers_.labelLayer
                                                            : layers_.layer;
  if (!layer.isNull()) entity->setLayer(layer);
  // A hidden copy keeps the linetype a new object gets; the others take the pipe's.
  if (role != PipeLayerRole::Hidden && !layers_.linetype.isNull()) entity->setLinetype(layers_.linetype);
  const Acad::ErrorStatus es = ovAppendToModelSpace(entity);
  if (es != Acad::eOk) {
    delete entity;  // not in the drawing, so still ours
    status_ = es;
    return;
  }
  created_.push_back(entity->objectId());
  entity->close();
}

void PipeExplodeOutput::line(const AcGePoint3d& from, const AcGePoint3d& to, PipeLayerRole role) {
  if (status_ != Acad::eOk) return;
  append(new AcDbLine(from, to), role);
}

void PipeExplodeOutput::arc(const PipeArc& arc, PipeLayerRole role) {
  if (status_ != Acad::eOk) return;
  const double start = planAngleOf(arc.startVector);
  const double end = start + arc.direction * arc.sweep;
  // An arc object always runs counter-clockwise: a clockwise one is the same arc
  // from its end to its start.
  const bool clockwise = arc.direction < 0;
  append(new AcDbArc(arc.centre, arc.radius, clockwise ? end : start, clockwise ? start : end), role);
}

void PipeExplodeOutput::circle(const AcGePoint3d& centre, double radius, PipeLayerRole role) {
  if (status_ != Acad::eOk) return;
  append(new AcDbCircle(centre, AcGeVector3d::kZAxis, radius), role);
}

void PipeExplodeOutput::fitCurve(const AcGePoint3dArray& vertices, double elevation, PipeLayerRole role) {
  if (status_ != Acad::eOk) return;
  append(new AcDb2dPolyline(AcDb::k2dFitCurvePoly, vertices, elevation), role);
}

void PipeExplodeOutput::label(const AcDbMText& label, const AcGePoint3d& location, PipeLayerRole role) {
  if (status_ != Acad::eOk) return;
  auto* text = new AcDbMText();
  copyLabel(label, *text, location);
  append(text, role);
}
