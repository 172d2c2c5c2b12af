// The host's plain entities: lines, arcs, circles, 2D polylines (with the fit curve)
// and multiline text.
#pragma once

#include <string>
#include <vector>

#include "arx/db_entity.h"

// Declares the curve interface a plain curve answers.
#define OV_PLAIN_CURVE_OVERRIDES                                                              \
  Acad::ErrorStatus getStartParam(double& param) const override;                            \
  Acad::ErrorStatus getEndParam(double& param) const override;                              \
  Acad::ErrorStatus getStartPoint(AcGePoint3d& point) const override;                       \
  Acad::ErrorStatus getEndPoint(AcGePoint3d& point) const override;                         \
  Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;       \
  Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override; \
  Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;              \
  Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;              \
  Acad::ErrorStatus getDistAtPoint(const AcGePoint3d& point, double& dist) const override;  \
  Acad::ErrorStatus getPointAtDist(double dist, AcGePoint3d& point) const override;         \
  Acad::ErrorStatus getFirstDeriv(double param, AcGeVector3d& deriv) const override;        \
  Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& givenPoint, AcGePoint3d& pointOnCurve, \
                                      bool extend = false) const override;                  \
  Acad::ErrorStatus getClosestPointTo(const AcGePoint3d& givenPoint, const AcGeVector3d& direction, \
                                      AcGePoint3d& pointOnCurve, bool extend = false) const override; \
  Acad::ErrorStatus extend(double newParam) override;                                       \
  Acad::ErrorStatus extend(bool extendStart, const AcGePoint3d& toPoint) override;          \
  bool subWorldDraw(AcGiWorldDraw* wd) override;                                            \
  Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform) override;                     \
  Acad::ErrorStatus subGetGeomExtents(AcDbExtents& extents) const override;                 \
  Acad::ErrorStatus subExplode(AcDbVoidPtrArray& entitySet) const override;                 \
  Acad::ErrorStatus subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker gsSelectionMark, \
                                      const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint, \
                                      const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints, \
                                      AcDbIntArray& geomIds) const override;                \
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;                              \
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;                       \
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;                              \
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;                       \
  void subList() const override;

class AcDbLine : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLine)
  AcDbLine() = default;
  AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end) : start_(start), end_(end) {}

  AcGePoint3d startPoint() const { assertReadEnabled(); return start_; }
  AcGePoint3d endPoint() const { assertReadEnabled(); return end_; }
  Acad::ErrorStatus setStartPoint(const AcGePoint3d& p);
  Acad::ErrorStatus setEndPoint(const AcGePoint3d& p);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  double thickness() const { return thickness_; }
  Acad::ErrorStatus setThickness(double t);

  OV_PLAIN_CURVE_OVERRIDES

 private:
  AcGePoint3d start_, end_;
  AcGeVector3d normal_{0, 0, 1};
  double thickness_ = 0.0;
};

// A circular arc, counter-clockwise about its normal from the start angle to the end
// angle. Angles are measured in the plane of the normal (for (0,0,1): from the x axis).
class AcDbArc : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbArc)
  AcDbArc() = default;
  AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle);
  AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle,
          double endAngle);

  AcGePoint3d center() const { assertReadEnabled(); return center_; }
  Acad::ErrorStatus setCenter(const AcGePoint3d& c);
  double radius() const { assertReadEnabled(); return radius_; }
  Acad::ErrorStatus setRadius(double r);
  double startAngle() const { assertReadEnabled(); return startAngle_; }
  Acad::ErrorStatus setStartAngle(double a);
  double endAngle() const { assertReadEnabled(); return endAngle_; }
  Acad::ErrorStatus setEndAngle(double a);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  double thickness() const { return thickness_; }
  // Sweep from start to end angle, in (0, 2 pi].
  double sweep() const;

  OV_PLAIN_CURVE_OVERRIDES

 private:
  AcGePoint3d center_;
  double radius_ = 0.0;
  double startAngle_ = 0.0, endAngle_ = 0.0;
  AcGeVector3d normal_{0, 0, 1};
  double thickness_ = 0.0;
};

class AcDbCircle : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDbCircle)
  AcDbCircle() = default;
  AcDbCircle(const AcGePoint3d& center, const AcGeVector3d& normal, double radius)
      : center_(center), normal_(normal.normal()), radius_(radius) {}

  AcGePoint3d center() const { assertReadEnabled(); return center_; }
  Acad::ErrorStatus setCenter(const AcGePoint3d& c);
  double radius() const { assertReadEnabled(); return radius_; }
  Acad::ErrorStatus setRadius(double r);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  double circumference() const { return 2 * M_PI * radius_; }
  bool isClosed() const override { return true; }
  bool isPeriodic() const override { return true; }

  OV_PLAIN_CURVE_OVERRIDES

 private:
  AcGePoint3d center_;
  AcGeVector3d normal_{0, 0, 1};
  double radius_ = 0.0;
};

namespace AcDb {
enum Poly2dType { k2dSimplePoly = 0, k2dFitCurvePoly = 1, k2dQuadSplinePoly = 2, k2dCubicSplinePoly = 3 };
}

// A 2D polyline in the plane z = elevation. Its vertices are kept inside the
// polyline. A fit-curve polyline is drawn as a smooth curve through every vertex made
// of circular arcs: two arcs (a biarc) between each pair of vertices, with the
// tangents matching at every vertex (see the fit curve construction in
// polyline_fit.cpp).
class AcDb2dPolyline : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(AcDb2dPolyline)
  AcDb2dPolyline() = default;
  AcDb2dPolyline(AcDb::Poly2dType type, const AcGePoint3dArray& vertices, double elevation = 0.0,
                 bool closed = false);

  AcDb::Poly2dType polyType() const { assertReadEnabled(); return type_; }
  Acad::ErrorStatus setPolyType(AcDb::Poly2dType type);
  Acad::ErrorStatus curveFit() { return setPolyType(AcDb::k2dFitCurvePoly); }
  Acad::ErrorStatus straighten() { return setPolyType(AcDb::k2dSimplePoly); }
  double elevation() const { assertReadEnabled(); return elevation_; }
  Acad::ErrorStatus setElevation(double z);
  bool isClosed() const override { return closed_; }
  Acad::ErrorStatus makeClosed();
  Acad::ErrorStatus makeOpen();
  AcGeVector3d normal() const { return {0, 0, 1}; }

  // The vertices (with z = elevation), in order.
  int numVerts() const { assertReadEnabled(); return static_cast<int>(vertices_.size()); }
  AcGePoint3d vertexAt(int index) const;  // throws std::out_of_range
  Acad::ErrorStatus appendVertex(const AcGePoint3d& p);
  const std::vector<AcGePoint2d>& vertices2d() const { return vertices_; }

  OV_PLAIN_CURVE_OVERRIDES

 private:
  AcDb::Poly2dType type_ = AcDb::k2dSimplePoly;
  std::vector<AcGePoint2d> vertices_;
  double elevation_ = 0.0;
  bool closed_ = false;
};

// Multiline text. Its actual size follows a fixed font metric so that every result is
// reproducible: each character is 0.6 x height wide, a line is height tall and lines
// are 1.666 x height apart ("\P" starts a new line).
class AcDbMText : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbMText)
  enum AttachmentPoint {
    kTopLeft = 1, kTopCenter, kTopRight,
    kMiddleLeft, kMiddleCenter, kMiddleRight,
    kBottomLeft, kBottomCenter, kBottomRight,
  };
  static constexpr double kCharWidthFactor = 0.6;
  static constexpr double kLineSpacingFactor = 1.666;

  AcDbMText() = default;

  AcGePoint3d location() const { assertReadEnabled(); return location_; }
  Acad::ErrorStatus setLocation(const AcGePoint3d& p);
  AcGeVector3d normal() const { return normal_; }
  Acad::ErrorStatus setNormal(const AcGeVector3d& n);
  AcGeVector3d direction() const;
  double rotation() const { assertReadEnabled(); return rotation_; }
  Acad::ErrorStatus setRotation(double angle);
  double textHeight() const { assertReadEnabled(); return height_; }
  Acad::ErrorStatus setTextHeight(double h);
  double width() const { assertReadEnabled(); return width_; }
  Acad::ErrorStatus setWidth(double w);
  AttachmentPoint attachment() const { return attachment_; }
  Acad::ErrorStatus setAttachment(AttachmentPoint a);
  AcDbObjectId textStyle() const { assertReadEnabled(); return style_; }
  Acad::ErrorStatus setTextStyle(AcDbObjectId styleId);
  // The contents as a heap text (free with acutDelString).
  ACHAR* contents() const;
  const std::wstring& contentsText() const { return contents_; }
  int setContents(const ACHAR* text);
  // The lines the text is shown in: "\P" breaks, and with a width set, words wrap.
  // Laid out once for the contents, width and height they were asked for last.
  const std::vector<std::wstring>& lines() const;
  double actualWidth() const;
  double actualHeight() const;

  bool subWorldDraw(AcGiWorldDraw* wd) override;
  Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform) override;
  Acad::ErrorStatus subGetGeomExtents(AcDbExtents& extents) const override;
  Acad::ErrorStatus subExplode(AcDbVoidPtrArray& entitySet) const override;
  Acad::ErrorStatus subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker gsSelectionMark,
                                      const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                      const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                      AcDbIntArray& geomIds) const override;
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  void subList() const override;

 private:
  AcGePoint3d location_;
  AcGeVector3d normal_{0, 0, 1};
  double rotation_ = 0.0;
  double height_ = 2.5;
  double width_ = 0.0;
  AttachmentPoint attachment_ = kTopLeft;
  AcDbObjectId style_;
  std::wstring contents_;
  // The last layout: objects are drawn far more often than they change.
  struct Layout {
    std::wstring contents;
    double width = -1.0;
    double height = -1.0;
    std::vector<std::wstring> lines;
  };
  mutable Layout layout_;
};
