// The host's 2D polyline: vertices in the plane z = elevation joined by straight
// segments, or by the fit curve (polyline_fit.cpp). Vertex i is at parameter i.
#include <stdexcept>

#include "arx/curve_geometry.h"
#include "arx/entity_support.h"

ACRX_DEFINE_HOST_MEMBERS(AcDb2dPolyline)
OV_DEFINE_PATH_CURVE_QUERIES(AcDb2dPolyline)

namespace {

// The types this host draws: straight and fit curve. (The spline types are the host's
// too, but nothing here needs them.)
bool supportedType(AcDb::Poly2dType type) {
  return type == AcDb::k2dSimplePoly || type == AcDb::k2dFitCurvePoly;
}

// DXF flags of a 2D polyline.
constexpr int kClosedFlag = 1;
constexpr int kCurveFitFlag = 2;

}  // namespace

// The vertices' own z is not kept: every vertex lies at the elevation.
AcDb2dPolyline::AcDb2dPolyline(AcDb::Poly2dType type, const AcGePoint3dArray& vertices, double elevation,
                               bool closed)
    : type_(supportedType(type) ? type : AcDb::k2dSimplePoly), elevation_(elevation), closed_(closed) {
  for (const AcGePoint3d& p : vertices) vertices_.emplace_back(p.x, p.y);
}

Acad::ErrorStatus AcDb2dPolyline::setPolyType(AcDb::Poly2dType type) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (!supportedType(type)) return Acad::eNotApplicable;
  return hostSetField(this, type_, type);
}

Acad::ErrorStatus AcDb2dPolyline::setElevation(double z) { return hostSetField(this, elevation_, z); }
Acad::ErrorStatus AcDb2dPolyline::makeClosed() { return hostSetField(this, closed_, true); }
Acad::ErrorStatus AcDb2dPolyline::makeOpen() { return hostSetField(this, closed_, false); }

AcGePoint3d AcDb2dPolyline::vertexAt(int index) const {
  assertReadEnabled();
  if (index < 0 || index >= static_cast<int>(vertices_.size()))
    throw std::out_of_range("AcDb2dPolyline vertex index out of range");
  return {vertices_[index].x, vertices_[index].y, elevation_};
}

Acad::ErrorStatus AcDb2dPolyline::appendVertex(const AcGePoint3d& p) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  if (!hostIsFinite(p)) return Acad::eInvalidInput;
  vertices_.emplace_back(p.x, p.y);
  recordGraphicsModified();
  return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::extend(double) { return Acad::eNotApplicable; }
Acad::ErrorStatus AcDb2dPolyline::extend(bool, const AcGePoint3d&) { return Acad::eNotApplicable; }

bool AcDb2dPolyline::subWorldDraw(AcGiWorldDraw* wd) {
  assertReadEnabled();
  AcGeVector3d n = normal();
  if (type_ != AcDb::k2dFitCurvePoly) {
    std::vector<AcGePoint3d> pts;
    for (int i = 0; i < numVerts(); ++i) pts.push_back(vertexAt(i));
    if (closed_ && !pts.empty()) pts.push_back(pts.front());
    if (pts.size() >= 2) wd->geometry().polyline(static_cast<Adesk::UInt32>(pts.size()), pts.data(), &n);
    return true;
  }
  GeCurvePath path;
  hostCurvePath(this, path);
  for (const GeCurvePiece& piece : path.pieces()) {
    if (piece.length() == 0.0) continue;
    if (!piece.isArc()) {
      AcGePoint3d pts[2] = {piece.startPoint(), piece.endPoint()};
      wd->geometry().polyline(2, pts, &n);
      continue;
    }
    // Every arc is drawn counter-clockwise about (0,0,1), as a plain arc would be.
    GeCurvePiece arc = piece.normal().z < 0 ? piece.reversed() : piece;
    wd->geometry().circularArc(arc.center(), arc.radius(), arc.normal(), arc.startDir(), arc.sweep());
  }
  return true;
}

Acad::ErrorStatus AcDb2dPolyline::subTransformBy(const AcGeMatrix3d& xform) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  // The polyline stays in a plane parallel to XY: the transformation may not tilt it.
  AcGeVector3d x = AcGeVector3d::kXAxis, y = AcGeVector3d::kYAxis;
  x.transformBy(xform);
  y.transformBy(xform);
  double size = std::max(x.length(), y.length());
  if (std::abs(x.z) > 1e-12 * size || std::abs(y.z) > 1e-12 * size) return Acad::eNotApplicable;
  std::vector<AcGePoint2d> moved;
  AcGePoint3d origin(0, 0, elevation_);
  origin.transformBy(xform);
  for (const AcGePoint2d& v : vertices_) {
    AcGePoint3d p(v.x, v.y, elevation_);
    p.transformBy(xform);
    if (!hostIsFinite(p)) return Acad::eInvalidInput;
    moved.emplace_back(p.x, p.y);
  }
  if (!hostIsFinite(origin)) return Acad::eInvalidInput;
  vertices_ = std::move(moved);
  elevation_ = origin.z;
  recordGraphicsModified();
  return Acad::eOk;
}

// The pieces become lines and arcs with the polyline's properties: a fit curve its
// arcs, a straight polyline its segments.
Acad::ErrorStatus AcDb2dPolyline::subExplode(AcDbVoidPtrArray& entitySet) const {
  assertReadEnabled();
  GeCurvePath path;
  hostCurvePath(this, path);
  for (const GeCurvePiece& piece : path.pieces()) {
    if (piece.length() == 0.0) continue;
    AcDbCurve* curve = hostCurveFromPiece(piece);
    curve->setPropertiesFrom(this);
    entitySet.append(curve);
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDb2dPolyline::subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker,
                                                    const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                                    const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                                    AcDbIntArray&) const {
  constexpr unsigned offered =
      hostSnapMask({AcDb::kOsModeEnd, AcDb::kOsModeMid, AcDb::kOsModeNear, AcDb::kOsModePerp});
  return hostWithCurvePath(this, [&](const GeCurvePath& p) {
    return hostCurveOsnapPoints(p, offered, mode, pickPoint, lastPoint, viewXform, snapPoints);
  });
}

Acad::ErrorStatus AcDb2dPolyline::dwgOutFields(AcDbDwgFiler* filer) const {
  assertReadEnabled();
  HostFilerStatus es;
  es << AcDbCurve::dwgOutFields(filer);
  if (!es.ok()) return es.status();
  es << filer->writeInt32(kHostEntityVersion) << filer->writeInt32(type_) << filer->writeBool(closed_)
     << filer->writeDouble(elevation_) << filer->writeInt32(static_cast<Adesk::Int32>(vertices_.size()));
  for (const AcGePoint2d& v : vertices_) es << filer->writePoint2d(v);
  return es.status();
}

Acad::ErrorStatus AcDb2dPolyline::dwgInFields(AcDbDwgFiler* filer) {
  assertWriteEnabled();
  HostFilerStatus es;
  es << AcDbCurve::dwgInFields(filer);
  if (es.ok()) es << hostReadEntityVersion(filer);
  if (!es.ok()) return es.status();
  Adesk::Int32 type = 0, count = 0;
  bool closed = false;
  double z = 0;
  es << filer->readInt32(&type) << filer->readBool(&closed) << filer->readDouble(&z) << filer->readInt32(&count);
  if (!es.ok()) return es.status();
  // Compared as a number first: casting a value outside the enumeration is undefined.
  if (count < 0 || (type != AcDb::k2dSimplePoly && type != AcDb::k2dFitCurvePoly)) return Acad::eInvalidInput;
  // No room is made in advance: a corrupt count runs out of items, not of memory.
  std::vector<AcGePoint2d> verts;
  for (Adesk::Int32 i = 0; i < count && es.ok(); ++i) {
    AcGePoint2d p;
    es << filer->readPoint2d(&p);
    if (es.ok()) verts.push_back(p);
  }
  if (!es.ok()) return es.status();
  type_ = static_cast<AcDb::Poly2dType>(type);
  closed_ = closed;
  elevation_ = z;
  vertices_ = std::move(verts);
  return Acad::eOk;
}

// Only the polyline's own groups: its vertices are separate VERTEX entities in DXF,
// which the DXF writer makes from vertexAt.
Acad::ErrorStatus AcDb2dPolyline::dxfOutFields(AcDbDxfFiler* filer) const {
  assertReadEnabled();
  HostFilerStatus es;
  es << AcDbCurve::dxfOutFields(filer);
  if (!es.ok()) return es.status();
  int flags = (closed_ ? kClosedFlag : 0) | (type_ == AcDb::k2dFitCurvePoly ? kCurveFitFlag : 0);
  es << filer->writeString(AcDb::kDxfSubclass, L"AcDb2dPolyline")
     << filer->writeInt16(static_cast<AcDb::DxfCode>(66), 1)
     << filer->writePoint3d(AcDb::kDxfXCoord, AcGePoint3d(0, 0, elevation_))
     << filer->writeInt16(AcDb::kDxfInt16, static_cast<Adesk::Int16>(flags));
  return es.status();
}

Acad::ErrorStatus AcDb2dPolyline::dxfInFields(AcDbDxfFiler* filer) {
  assertWriteEnabled();
  Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer);
  if (es != Acad::eOk) return es;
  if (!filer->atSubclassData(L"AcDb2dPolyline")) return Acad::eBadDxfSequence;
  double z = elevation_;
  int flags = (closed_ ? kClosedFlag : 0) | (type_ == AcDb::k2dFitCurvePoly ? kCurveFitFlag : 0);
  es = hostReadDxfGroups(filer, false, [&](const resbuf& rb) {
    if (rb.restype == 10) z = rb.resval.rpoint[2];
    if (rb.restype == 70) flags = rb.resval.rint;
  });
  if (es != Acad::eOk) return es;
  if (!std::isfinite(z)) return Acad::eInvalidInput;
  elevation_ = z;
  closed_ = (flags & kClosedFlag) != 0;
  type_ = (flags & kCurveFitFlag) != 0 ? AcDb::k2dFitCurvePoly : AcDb::k2dSimplePoly;
  return Acad::eOk;
}

void AcDb2dPolyline::subList() const {
  AcDbCurve::subList();
  acutPrintf(L"              %ls %ls polyline\n", closed_ ? L"Closed" : L"Open",
             type_ == AcDb::k2dFitCurvePoly ? L"fit curve" : L"2D");
  acutPrintf(L"        elevation %10.4f\n", elevation_);
  for (const AcGePoint2d& v : vertices_)
    acutPrintf(L"              at point, X=%10.4f  Y=%10.4f  Z=%10.4f\n", v.x, v.y, elevation_);
  GeCurvePath path;
  hostCurvePath(this, path);
  acutPrintf(L"          length %10.4f\n", path.length());
}
