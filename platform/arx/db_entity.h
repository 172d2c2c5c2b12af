// Entities (objects that draw in a block, with a layer, linetype and colour) and
// curves (entities with a parameterisation, distances and intersections).
#pragma once

#include <string>

#include "arx/db_object.h"

namespace AcDb {
enum OsnapMode {
  kOsModeEnd = 1,
  kOsModeMid = 2,
  kOsModeCen = 3,
  kOsModeNode = 4,
  kOsModeQuad = 5,
  kOsModeIns = 7,
  kOsModePerp = 8,
  kOsModeTan = 9,
  kOsModeNear = 10,
};
enum Intersect { kOnBothOperands = 0, kExtendThis = 1, kExtendArg = 2, kExtendBoth = 3 };
enum LineWeight : int {
  kLnWt000 = 0, kLnWt005 = 5, kLnWt009 = 9, kLnWt013 = 13, kLnWt015 = 15, kLnWt018 = 18,
  kLnWt020 = 20, kLnWt025 = 25, kLnWt030 = 30, kLnWt035 = 35, kLnWt040 = 40, kLnWt050 = 50,
  kLnWt053 = 53, kLnWt060 = 60, kLnWt070 = 70, kLnWt080 = 80, kLnWt090 = 90, kLnWt100 = 100,
  kLnWt106 = 106, kLnWt120 = 120, kLnWt140 = 140, kLnWt158 = 158, kLnWt200 = 200, kLnWt211 = 211,
  kLnWtByLayer = -1, kLnWtByBlock = -2, kLnWtByLwDefault = -3,
};
// True for the weights the host knows (the named ones and the three special ones).
bool isValidLineWeight(int weight);
}  // namespace AcDb

// A colour: an index of the host's 256-colour palette (0 by block, 256 by layer) or a
// true colour.
class AcCmColor {
 public:
  AcCmColor() = default;
  Adesk::UInt16 colorIndex() const { return index_; }
  Acad::ErrorStatus setColorIndex(Adesk::UInt16 index);
  Acad::ErrorStatus setRGB(Adesk::UInt8 r, Adesk::UInt8 g, Adesk::UInt8 b);
  bool isByColor() const { return rgb_; }
  bool isByLayer() const { return !rgb_ && index_ == 256; }
  bool isByBlock() const { return !rgb_ && index_ == 0; }
  Adesk::UInt8 red() const { return r_; }
  Adesk::UInt8 green() const { return g_; }
  Adesk::UInt8 blue() const { return b_; }
  bool operator==(const AcCmColor& o) const {
    return rgb_ == o.rgb_ && index_ == o.index_ && r_ == o.r_ && g_ == o.g_ && b_ == o.b_;
  }

 private:
  Adesk::UInt16 index_ = 256;
  bool rgb_ = false;
  Adesk::UInt8 r_ = 0, g_ = 0, b_ = 0;
};

// The box that holds an entity.
class AcDbExtents {
 public:
  AcDbExtents();
  AcDbExtents(const AcGePoint3d& minPt, const AcGePoint3d& maxPt) : min_(minPt), max_(maxPt), empty_(false) {}
  const AcGePoint3d& minPoint() const { return min_; }
  const AcGePoint3d& maxPoint() const { return max_; }
  bool isEmpty() const { return empty_; }
  void addPoint(const AcGePoint3d& p);
  void addExt(const AcDbExtents& other);
  Acad::ErrorStatus set(const AcGePoint3d& minPt, const AcGePoint3d& maxPt);

 private:
  AcGePoint3d min_, max_;
  bool empty_ = true;
};

using AcDbVoidPtrArray = AcArray<void*>;

class AcDbEntity : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbEntity)
  AcDbEntity();

  AcDbObjectId blockId() const { return ownerId(); }
  // The layer's name as a heap text (free with acutDelString); "0" when unset.
  ACHAR* layer() const;
  AcDbObjectId layerId() const { return layerId_; }
  Acad::ErrorStatus setLayer(const ACHAR* layerName, bool doSubents = true);
  Acad::ErrorStatus setLayer(AcDbObjectId layerId, bool doSubents = true);
  ACHAR* linetype() const;
  AcDbObjectId linetypeId() const { return linetypeId_; }
  Acad::ErrorStatus setLinetype(const ACHAR* linetypeName, bool doSubents = true);
  Acad::ErrorStatus setLinetype(AcDbObjectId linetypeId, bool doSubents = true);
  Adesk::UInt16 colorIndex() const { return color_.colorIndex(); }
  Acad::ErrorStatus setColorIndex(Adesk::UInt16 index, bool doSubents = true);
  AcCmColor color() const { return color_; }
  Acad::ErrorStatus setColor(const AcCmColor& color, bool doSubents = true);
  AcDb::LineWeight lineWeight() const { return lineWeight_; }
  Acad::ErrorStatus setLineWeight(AcDb::LineWeight weight, bool doSubents = true);
  double linetypeScale() const { return linetypeScale_; }
  Acad::ErrorStatus setLinetypeScale(double scale, bool doSubents = true);
  // Layer, linetype, colour, line weight and linetype scale from another entity.
  void setPropertiesFrom(const AcDbEntity* other, bool doSubents = true);
  // The database's current layer, linetype and style for a new entity.
  void setDatabaseDefaults(AcDbDatabase* db = nullptr);

  // The host calls these; plug-in classes override the sub... forms.
  void list() const { subList(); }
  Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker gsSelectionMark,
                                   const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                   const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                   AcDbIntArray& geomIds) const {
    return subGetOsnapPoints(mode, gsSelectionMark, pickPoint, lastPoint, viewXform, snapPoints, geomIds);
  }
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) { return subTransformBy(xform); }
  Acad::ErrorStatus explode(AcDbVoidPtrArray& entitySet) const { return subExplode(entitySet); }
  Acad::ErrorStatus getGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                  AcDbIntArray& geomIds) const {
    return subGetGripPoints(gripPoints, osnapModes, geomIds);
  }
  Acad::ErrorStatus moveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    return subMoveGripPointsAt(indices, offset);
  }
  Acad::ErrorStatus getStretchPoints(AcGePoint3dArray& stretchPoints) const {
    return subGetStretchPoints(stretchPoints);
  }
  Acad::ErrorStatus moveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
    return subMoveStretchPointsAt(indices, offset);
  }
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const { return subGetGeomExtents(extents); }
  // A transformed copy: a clone moved by the matrix.
  Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const;

  virtual void subList() const;
  virtual Acad::ErrorStatus subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker gsSelectionMark,
                                              const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                              const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                              AcDbIntArray& geomIds) const;
  virtual Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform);
  virtual Acad::ErrorStatus subExplode(AcDbVoidPtrArray& entitySet) const;
  // Default grips and stretch points are the entity's own snap end points.
  virtual Acad::ErrorStatus subGetGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                             AcDbIntArray& geomIds) const;
  virtual Acad::ErrorStatus subMoveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset);
  virtual Acad::ErrorStatus subGetStretchPoints(AcGePoint3dArray& stretchPoints) const;
  virtual Acad::ErrorStatus subMoveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset);
  virtual Acad::ErrorStatus subGetGeomExtents(AcDbExtents& extents) const;
  // Intersections with another entity, in three dimensions or projected on a plane.
  virtual Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect intType,
                                          AcGePoint3dArray& points, Adesk::GsMarker thisGsMarker = 0,
                                          Adesk::GsMarker otherGsMarker = 0) const;
  virtual Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect intType,
                                          const AcGePlane& projPlane, AcGePoint3dArray& points,
                                          Adesk::GsMarker thisGsMarker = 0,
                                          Adesk::GsMarker otherGsMarker = 0) const;
  // What the entity draws when a drawing is saved for a host without the class.
  virtual void saveAs(AcGiWorldDraw* mode, AcDb::SaveType st);

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

 private:
  AcDbObjectId layerId_;
  AcDbObjectId linetypeId_;
  AcCmColor color_;
  AcDb::LineWeight lineWeight_ = AcDb::kLnWtByLayer;
  double linetypeScale_ = 1.0;
};

// A curve: the host's defaults answer eNotImplementedYet; each curve class answers
// what it supports.
class AcDbCurve : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbCurve)

  virtual bool isClosed() const { return false; }
  virtual bool isPeriodic() const { return false; }
  virtual Acad::ErrorStatus getStartParam(double& param) const;
  virtual Acad::ErrorStatus getEndParam(double& param) const;
  virtual Acad::ErrorStatus getStartPoint(AcGePoint3d& point) const;
  virtual Acad::ErrorStatus getEndPoint(AcGePoint3d& point) const;
  virtual Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const;
  virtual Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const;
  virtual Acad::ErrorStatus getDistAtParam(double param, double& dist) const;
  virtual Acad::ErrorStatus getParamAtDist(double dist, double& param) const;
  virtual Acad::ErrorStatus getDistAtPoint(const AcGePoint3d& point, double& dist) const;
  virtual Acad::ErrorStatus getPointAtDist(double dist, AcGePoint3d& point) const;
  virtual Acad::ErrorStatus getFirstDeriv(double param, AcGeVector3d& deriv) const;
  virtual Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& givenPoint, AcGePoint3d& pointOnCurve,
                                              bool extend = false) const;
  // The closest point seen along a direction (the view direction).
  virtual Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& givenPoint, const AcGeVector3d& direction,
                                              AcGePoint3d& pointOnCurve, bool extend = false) const;
  virtual Acad::ErrorStatus extend(double newParam);
  virtual Acad::ErrorStatus extend(bool extendStart, const AcGePoint3d& toPoint);
  virtual Acad::ErrorStatus getArea(double& area) const;
};
