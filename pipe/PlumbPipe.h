// PlumbPipe: one straight pipe run of a plumbing plan, with the drawing details the
// LISP program computes for it (breaks, elbows, arcs, ticks, riser symbol, P-trap,
// label). Filing is pipe_filing.cpp, editing pipe_editing.cpp.
#pragma once

#include <string>

#include "arx/db_entities.h"
#include "arx/db_entity.h"
#include "pipe/plumb_array.h"

// Every elbow and arc carries this many break slots; 0.0 marks an empty one.
inline constexpr int kFittingBreakSlots = 10;

// An elbow: a short straight leg leaving the pipe's end. Entries of length 0 are never
// stored.
class elbowInfo {
 public:
  elbowInfo() = default;
  elbowInfo(double length, double angle) : dLength(length), dAngle(angle) {}
  elbowInfo(const elbowInfo&) = default;
  elbowInfo& operator=(const elbowInfo&) = default;
  virtual ~elbowInfo() = default;
  bool operator==(const elbowInfo&) const = default;

  double dLength = 0.0;  // length of the leg
  double dAngle = 0.0;   // radians, relative to the pipe's direction
  // distances along the leg, ascending among the used slots, used slots first
  double aBreaks[kFittingBreakSlots] = {};
};

// An arc near the pipe's end. Entries of sweep 0 are never stored.
class arcInfo {
 public:
  arcInfo() = default;
  arcInfo(double length, double offset, Adesk::Int32 normal) : dLength(length), dOffset(offset), iNormal(normal) {}
  arcInfo(const arcInfo&) = default;
  arcInfo& operator=(const arcInfo&) = default;
  virtual ~arcInfo() = default;
  bool operator==(const arcInfo&) const = default;

  double dLength = 0.0;      // sweep angle in radians
  double dOffset = 0.0;      // distance back from the pipe's end to the arc's start
  Adesk::Int32 iNormal = 0;  // side of the centre: 1 left of the pipe, -1 right
  // distances along the arc from its counter-clockwise start, as for an elbow
  double aBreaks[kFittingBreakSlots] = {};
};

class PlumbPipe : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(PlumbPipe)

  // The layout dwgOutFields writes; older layouts are still read.
  static constexpr Adesk::Int32 kCurrentVersion = 13;
  // At most this many entries of each list are filed.
  static constexpr int kMaxFiledEntries = 100;
  // Registers and removes the class descriptor (the module's class list calls these).
  static void rxInit();
  static void rxUninit();

  PlumbPipe();
  ~PlumbPipe() override;

  // With wholePoint false only x and y are replaced and the elevation is kept.
  void setStartPoint(const AcGePoint3d& point, bool wholePoint);
  void setEndPoint(const AcGePoint3d& point, bool wholePoint);
  void setPipeId(Adesk::Int32 id);
  Adesk::Int32 pipeId() const;
  void setBreakWidth(double width);
  void setVerticalRadius(double radius);
  // Keeps idTextStyle and the label's own style equal.
  void setTextStyle(AcDbObjectId styleId);
  // Half the length of pipe the label box covers; 0 without a label text.
  double labelGap() const;
  // The largest extent of the fittings at the end: the longest arc sweep times the arc
  // radius, or the longest elbow leg when that is longer.
  double elbowLength() const;

  Acad::ErrorStatus audit(AcDbAuditInfo* info) override;
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  void subList() const override;
  // Draws the pipe (pipe_drawing.cpp).
  bool subWorldDraw(AcGiWorldDraw* wd) override;

  // Editing (pipe_editing.cpp): a pipe moves in plan and keeps its elevations.
  Acad::ErrorStatus subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker gsSelectionMark,
                                      const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                      const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                      AcDbIntArray& geomIds) const override;
  Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform) override;
  Acad::ErrorStatus subExplode(AcDbVoidPtrArray& entitySet) const override;
  Acad::ErrorStatus subGetGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                     AcDbIntArray& geomIds) const override;
  Acad::ErrorStatus subMoveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
  Acad::ErrorStatus subGetStretchPoints(AcGePoint3dArray& stretchPoints) const override;
  Acad::ErrorStatus subMoveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
  Acad::ErrorStatus subGetGeomExtents(AcDbExtents& extents) const override;

  Acad::ErrorStatus getStartParam(double& param) const override;
  Acad::ErrorStatus getEndParam(double& param) const override;
  Acad::ErrorStatus getStartPoint(AcGePoint3d& point) const override;
  Acad::ErrorStatus getEndPoint(AcGePoint3d& point) const override;
  Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
  Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;
  Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;
  Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
  Acad::ErrorStatus getDistAtPoint(const AcGePoint3d& point, double& dist) const override;
  Acad::ErrorStatus getPointAtDist(double dist, AcGePoint3d& point) const override;
  Acad::ErrorStatus extend(bool extendStart, const AcGePoint3d& toPoint) override;
  Acad::ErrorStatus extend(double newParam) override;

  Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect intType, AcGePoint3dArray& points,
                                  Adesk::GsMarker thisGsMarker = 0, Adesk::GsMarker otherGsMarker = 0) const override;
  Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect intType, const AcGePlane& projPlane,
                                  AcGePoint3dArray& points, Adesk::GsMarker thisGsMarker = 0,
                                  Adesk::GsMarker otherGsMarker = 0) const override;

  // The pipe's data, in the order the class has always declared them. The LISP
  // functions and the drawing read and write them with the pipe open as they need.
  std::wstring strDwg;                     // a drawing name the LISP program keeps here
  AcGePoint3d ptStart{0, 0, 0};            // z is the starting elevation
  AcGePoint3d ptEnd{0, 0, 0};              // z is the ending elevation
  Adesk::Int32 ixPipe = 0;                 // the pipe's number in the project
  PlumbArray<double> aBreaks;              // distances from the start, ascending, distinct
  double dBreakWidth = 3.0;                // gap drawn at each break
  double dOffsetDistance = 0.0;            // drawn line's offset, left of the direction
  bool bDwgStart = false;
  bool bDwgEnd = false;
  double dTailOffset = 0.0;                // set-back of the drawn line at the start
  double dHeadOffset = 0.0;                // set-back of the drawn line at the end
  double dElbow45Offset = 0.0;             // set-back of the elbow legs' base from the end
  PlumbArray<elbowInfo> aElbows;
  double dArcRadius = 0.0;                 // radius of every arc
  PlumbArray<arcInfo> aArcs;
  bool bElbow45 = false;
  bool bElbowArc = false;
  bool bTee45 = false;
  bool bTeeArc = false;
  double dTickWidth = 0.0;
  double dTickOffsetTail = 0.0;
  double dTickOffsetHead = 0.0;
  Adesk::Int32 iVerticalType = 0;          // 0 up, 1 down
  double dVerticalRadius = 6.0;
  PlumbArray<double> aVerticalAngles;      // radians, ascending: openings of the down symbol
  double dTextDistance = 0.0;              // spacing of repeated labels
  std::wstring strText;                    // the label text
  bool bTextAngleIs0 = false;              // keep the label horizontal
  AcDbMText mtLabel;                       // the label, owned by the pipe (not in a database)
  AcDbObjectId idTextStyle;
  AcDbObjectId idTextLayer;                // null: the label goes on the pipe's layer
  bool bPtrap = false;
  double dPtrapWidth = 0.0;
  PlumbArray<double> aPtrapLine1Breaks;
  PlumbArray<double> aPtrapPolylineBreaks;
  PlumbArray<double> aPtrapLine2Breaks;
  bool bIsometric = false;                 // no drop line at the end
  AcDbObjectId idHiddenLayer;              // layer of the hidden copy of everything drawn
};
