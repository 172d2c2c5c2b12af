// The graphics interface through which objects draw themselves: a world draw with its
// geometry (polylines, circles, arcs, text, nested drawables) and the sub-entity
// traits (layer, linetype, colour) that apply to what is drawn next.
#pragma once

#include "arx/db_id.h"
#include "arx/ge.h"
#include "arx/rx.h"

class AcGiWorldDraw;
class AcGiViewportDraw;

enum AcGiArcType { kAcGiArcSimple = 0, kAcGiArcSector, kAcGiArcChord };
enum AcGiRegenType {
  kAcGiStandardDisplay = 2,
  kAcGiHideOrShadeCommand,
  kAcGiShadedDisplay,
  kAcGiForExplode,
  kAcGiSaveWorldDrawForProxy,
};

class AcGiDrawable : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcGiDrawable)
  // Answers true when the drawing is complete (no per-viewport drawing needed).
  virtual bool worldDraw(AcGiWorldDraw* wd) = 0;
  virtual void viewportDraw(AcGiViewportDraw*) {}
};

class AcGiSubEntityTraits {
 public:
  virtual ~AcGiSubEntityTraits() = default;
  virtual void setColor(Adesk::UInt16 colorIndex) = 0;
  virtual Adesk::UInt16 color() const = 0;
  virtual void setLayer(const AcDbObjectId& layerId) = 0;
  virtual AcDbObjectId layerId() const = 0;
  virtual void setLineType(const AcDbObjectId& linetypeId) = 0;
  virtual AcDbObjectId lineTypeId() const = 0;
};

class AcGiWorldGeometry {
 public:
  virtual ~AcGiWorldGeometry() = default;
  virtual bool circle(const AcGePoint3d& center, double radius, const AcGeVector3d& normal) const = 0;
  // An arc about the centre from the start vector, sweeping counter-clockwise about
  // the normal by sweepAngle (a normal of (0,0,-1) runs clockwise in plan).
  virtual bool circularArc(const AcGePoint3d& center, double radius, const AcGeVector3d& normal,
                           const AcGeVector3d& startVector, double sweepAngle,
                           AcGiArcType arcType = kAcGiArcSimple) const = 0;
  virtual bool polyline(Adesk::UInt32 nbPoints, const AcGePoint3d* pVertexList,
                        const AcGeVector3d* pNormal = nullptr, Adesk::GsMarker baseSubEntMarker = -1) const = 0;
  // Single-line text whose baseline starts at position and runs along direction.
  virtual bool text(const AcGePoint3d& position, const AcGeVector3d& normal, const AcGeVector3d& direction,
                    double height, double width, double oblique, const ACHAR* pMsg) const = 0;
  // A whole drawable object drawn in place (a multiline text, a fit-curve polyline).
  virtual bool draw(AcGiDrawable* pDrawable) const = 0;
};

class AcGiWorldDraw {
 public:
  virtual ~AcGiWorldDraw() = default;
  virtual AcGiWorldGeometry& geometry() const = 0;
  virtual AcGiSubEntityTraits& subEntityTraits() const = 0;
  virtual AcGiRegenType regenType() const { return kAcGiStandardDisplay; }
  virtual bool regenAbort() const { return false; }
  virtual bool isDragging() const { return false; }
};
