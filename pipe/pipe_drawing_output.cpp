// The two ways a pipe's primitives are put down: into the host's world draw for
// display, and as new plain objects of model space for explosion.
#include "pipe/pipe_drawing_output.h"

#include <cmath>

#include "frame/host_services.h"

namespace {

// A new label with what the drawing copies from the pipe's own label.
void copyLabel(const AcDbMText& from, AcDbMText& to, const AcGePoint3d& location) {
  to.setWidth(from.width());
  to.setRotation(from.rotation());
  to.setContents(from.contentsText().c_str());
  if (!from.textStyle().isNull()) to.setTextStyle(from.textStyle());
  to.setTextHeight(from.textHeight());
  to.setLocation(location);
}

double planAngleOf(const AcGeVector3d& v) { return std::atan2(v.y, v.x); }

}  // namespace

bool PipeDisplayOutput::enter(PipeLayerRole role) {
  AcGiSubEntityTraits& traits = wd_->subEntityTraits();
  switch (role) {
    case PipeLayerRole::Effective:
      return false;
    case PipeLayerRole::Hidden:
      traits.setLayer(layers_.hiddenLayer);
      traits.setLineType(layers_.hiddenLinetype);
      return true;
    case PipeLayerRole::Label:
      traits.setLayer(layers_.labelLayer);
      return true;
  }
  return false;
}

void PipeDisplayOutput::leave(bool restore) {
  if (!restore) return;
  AcGiSubEntityTraits& traits = wd_->subEntityTraits();
  traits.setLayer(layers_.layer);
  traits.setLineType(layers_.linetype);
}

void PipeDisplayOutput::line(const AcGePoint3d& from, const AcGePoint3d& to, PipeLayerRole role) {
  const bool restore = enter(role);
  const AcGePoint3d points[2] = {from, to};
  wd_->geometry().polyline(2, points);
  leave(restore);
}

void PipeDisplayOutput::arc(const PipeArc& arc, PipeLayerRole role) {
  const bool restore = enter(role);
  wd_->geometry().circularArc(arc.centre, arc.radius, AcGeVector3d(0, 0, arc.direction), arc.startVector,
                              arc.sweep);
  leave(restore);
}

void PipeDisplayOutput::circle(const AcGePoint3d& centre, double radius, PipeLayerRole role) {
  const bool restore = enter(role);
  wd_->geometry().circle(centre, radius, AcGeVector3d::kZAxis);
  leave(restore);
}

void PipeDisplayOutput::fitCurve(const AcGePoint3dArray& vertices, double elevation, PipeLayerRole role) {
  const bool restore = enter(role);
  AcDb2dPolyline curve(AcDb::k2dFitCurvePoly, vertices, elevation);
  wd_->geometry().draw(&curve);
  leave(restore);
}

void PipeDisplayOutput::label(const AcDbMText& label, const AcGePoint3d& location, PipeLayerRole role) {
  const bool restore = enter(role);
  if (labelCopied_) {
    labelCopy_.setLocation(location);
  } else {
    copyLabel(label, labelCopy_, location);
    labelCopied_ = true;
  }
  wd_->geometry().draw(&labelCopy_);
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
