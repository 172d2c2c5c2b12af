// The recording world draw: every geometry call becomes a GiPrimitive carrying the
// traits of the moment, so the renderer and (host-draw) see exactly what was drawn.
#include "arx/gi_record.h"

#include <cmath>

#include "arx/db_database.h"
#include "arx/db_entities.h"
#include "arx/db_proxy.h"

void AcGiRecordingWorldDraw::grow() const { primitives_.emplace_back(); }

void AcGiRecordingWorldDraw::clear() { used_ = 0; }

void AcGiRecordingWorldDraw::setColor(Adesk::UInt16 colorIndex) {
  // A fresh colour so that an index replaces a true colour set before it.
  AcCmColor c;
  c.setColorIndex(colorIndex);
  traits_.color = c;
}

bool AcGiRecordingWorldDraw::circle(const AcGePoint3d& center, double radius, const AcGeVector3d& normal) const {
  GiPrimitive& p = add(GiPrimitiveKind::Circle);
  p.center = center;
  p.radius = radius;
  p.normal = normal;
  return false;
}

bool AcGiRecordingWorldDraw::circularArc(const AcGePoint3d& center, double radius, const AcGeVector3d& normal,
                                         const AcGeVector3d& startVector, double sweepAngle,
                                         AcGiArcType) const {
  GiPrimitive& p = add(GiPrimitiveKind::Arc);
  p.center = center;
  p.radius = radius;
  p.normal = normal;
  p.startVector = startVector;
  p.sweep = sweepAngle;
  return false;
}

bool AcGiRecordingWorldDraw::polyline(Adesk::UInt32 nbPoints, const AcGePoint3d* pVertexList,
                                      const AcGeVector3d* pNormal, Adesk::GsMarker) const {
  // A polyline needs two points; fewer (or no list) draws nothing.
  if (pVertexList == nullptr || nbPoints < 2) return false;
  GiPrimitive& p = add(GiPrimitiveKind::Polyline);
  p.points.assign(pVertexList, pVertexList + nbPoints);
  if (pNormal != nullptr) p.normal = *pNormal;
  return false;
}

bool AcGiRecordingWorldDraw::text(const AcGePoint3d& position, const AcGeVector3d& normal,
                                  const AcGeVector3d& direction, double height, double width, double,
                                  const ACHAR* pMsg) const {
  GiPrimitive& p = add(GiPrimitiveKind::Text);
  p.location = position;
  p.normal = normal;
  p.height = height;
  p.width = width;
  p.rotation = direction.isZeroLength() ? 0.0 : std::atan2(direction.y, direction.x);
  p.contents = pMsg != nullptr ? pMsg : L"";
  p.attachment = AcDbMText::kBottomLeft;
  p.lines.assign(1, p.contents);
  return false;
}

bool AcGiRecordingWorldDraw::draw(AcGiDrawable* pDrawable) const {
  if (pDrawable == nullptr) return false;
  if (const AcDbMText* mt = AcDbMText::cast(pDrawable)) {
    GiPrimitive& p = add(GiPrimitiveKind::Text);
    p.location = mt->location();
    p.normal = mt->normal();
    p.height = mt->textHeight();
    p.rotation = mt->rotation();
    p.contents = mt->contentsText();
    p.attachment = mt->attachment();
    p.width = mt->width();
    p.multiline = true;
    p.lines = mt->lines();
    return false;
  }
  if (const AcDb2dPolyline* pl = AcDb2dPolyline::cast(pDrawable); pl && pl->polyType() == AcDb::k2dFitCurvePoly) {
    GiPrimitive& p = add(GiPrimitiveKind::FitCurve);
    for (int i = 0; i < pl->numVerts(); ++i) p.points.push_back(pl->vertexAt(i));
    p.closed = pl->isClosed();
    return false;
  }
  if (nesting_ >= kMaxNesting) return true;
  // The depth comes back down even when a drawable throws.
  struct Depth {
    int& n;
    explicit Depth(int& d) : n(d) { ++n; }
    ~Depth() { --n; }
  } depth(nesting_);
  pDrawable->worldDraw(const_cast<AcGiRecordingWorldDraw*>(this));
  return false;
}

std::vector<GiPrimitive> AcGiRecordingWorldDraw::takePrimitives() {
  primitives_.resize(used_);
  used_ = 0;
  std::vector<GiPrimitive> out;
  out.swap(primitives_);
  return out;
}

Acad::ErrorStatus recordEntity(AcDbEntity* entity, AcGiRecordingWorldDraw& wd) {
  if (entity == nullptr) return Acad::eNullObjectPointer;
  if (!entity->isReadEnabled()) return Acad::eNotOpenForRead;
  if (AcDbProxyEntity::cast(entity) != nullptr) return Acad::eOk;
  wd.setLayer(entity->layerId());
  wd.setLineType(entity->linetypeId());
  wd.setTrueColor(entity->color());
  wd.geometry().draw(entity);
  return Acad::eOk;
}

Acad::ErrorStatus recordModelSpace(AcDbDatabase* db, AcGiRecordingWorldDraw& wd, int* skipped) {
  if (skipped != nullptr) *skipped = 0;
  if (db == nullptr) return Acad::eNullObjectPointer;
  AcDbBlockTableRecord* space = nullptr;
  Acad::ErrorStatus es = acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead);
  if (es != Acad::eOk) return es;
  const std::vector<AcDbObjectId> ids = space->entityIds();
  space->close();

  for (const AcDbObjectId& id : ids) {
    AcDbEntity* ent = nullptr;
    if (acdbOpenObject(ent, id, AcDb::kForRead) != Acad::eOk) {
      if (skipped != nullptr) ++*skipped;
      continue;
    }
    try {
      recordEntity(ent, wd);
    } catch (...) {
      ent->close();  // an entity that failed to draw must not stay open
      throw;
    }
    ent->close();
  }
  return Acad::eOk;
}
