// The host's circle entity. Its parameter is the angle from the x axis of its plane's
// own coordinate system, from 0 to 2 pi; it is closed, so it cannot be extended.
#include "arx/curve_geometry.h"
#include "arx/entity_support.h"

ACRX_DEFINE_HOST_MEMBERS(AcDbCircle)
OV_DEFINE_PATH_CURVE_QUERIES(AcDbCircle)

Acad::ErrorStatus AcDbCircle::setCenter(const AcGePoint3d& c) { return hostSetField(this, center_, c); }
Acad::ErrorStatus AcDbCircle::setRadius(double r) { return hostSetField(this, radius_, r, r > 0); }
Acad::ErrorStatus AcDbCircle::setNormal(const AcGeVector3d& n) {
  return hostSetField(this, normal_, n.normal(), !n.isZeroLength());
}

Acad::ErrorStatus AcDbCircle::extend(double) { return Acad::eNotApplicable; }
Acad::ErrorStatus AcDbCircle::extend(bool, const AcGePoint3d&) { return Acad::eNotApplicable; }

bool AcDbCircle::subWorldDraw(AcGiWorldDraw* wd) {
  assertReadEnabled();
  wd->geometry().circle(center_, radius_, normal_);
  return true;
}

Acad::ErrorStatus AcDbCircle::subTransformBy(const AcGeMatrix3d& xform) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  GeCurvePiece image = GeCurvePiece::arc(center_, radius_, normal_, normal_.perpVector(), 2 * M_PI);
  if (!image.transformBy(xform)) return Acad::eNotApplicable;  // an ellipse
  AcGeVector3d n = normal_;
  n.transformBy(xform);
  if (!hostIsFinite(image.center()) || !hostIsFinite(n) || n.isZeroLength()) return Acad::eInvalidInput;
  center_ = image.center();
  radius_ = image.radius();
  // The normal follows the plane, not the traversal: a mirrored circle is the same
  // circle.
  normal_ = n.normal();
  recordGraphicsModified();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCircle::subExplode(AcDbVoidPtrArray&) const { return Acad::eNotApplicable; }

Acad::ErrorStatus AcDbCircle::subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker, const AcGePoint3d& pickPoint,
                                                const AcGePoint3d& lastPoint, const AcGeMatrix3d& viewXform,
                                                AcGePoint3dArray& snapPoints, AcDbIntArray&) const {
  constexpr unsigned offered =
      hostSnapMask({AcDb::kOsModeCen, AcDb::kOsModeQuad, AcDb::kOsModeNear, AcDb::kOsModePerp});
  return hostWithCurvePath(this, [&](const GeCurvePath& p) {
    return hostCurveOsnapPoints(p, offered, mode, pickPoint, lastPoint, viewXform, snapPoints);
  });
}

Acad::ErrorStatus AcDbCircle::dwgOutFields(AcDbDwgFiler* filer) const {
  assertReadEnabled();
  HostFilerStatus es;
  es << AcDbCurve::dwgOutFields(filer);
  if (!es.ok()) return es.status();
  es << filer->writeInt32(kHostEntityVersion) << filer->writePoint3d(center_) << filer->writeDouble(radius_)
     << filer->writeVector3d(normal_);
  return es.status();
}

Acad::ErrorStatus AcDbCircle::dwgInFields(AcDbDwgFiler* filer) {
  assertWriteEnabled();
  HostFilerStatus es;
  es << AcDbCurve::dwgInFields(filer);
  if (es.ok()) es << hostReadEntityVersion(filer);
  if (!es.ok()) return es.status();
  AcGePoint3d c;
  double r = 0;
  AcGeVector3d n;
  es << filer->readPoint3d(&c) << filer->readDouble(&r) << filer->readVector3d(&n);
  if (!es.ok()) return es.status();
  if (n.isZeroLength() || !(r >= 0)) return Acad::eInvalidInput;
  center_ = c;
  radius_ = r;
  normal_ = n.normal();
  return Acad::eOk;
}

// DXF gives the centre in the plane's own coordinates.
Acad::ErrorStatus AcDbCircle::dxfOutFields(AcDbDxfFiler* filer) const {
  assertReadEnabled();
  HostFilerStatus es;
  es << AcDbCurve::dxfOutFields(filer);
  if (!es.ok()) return es.status();
  es << filer->writeString(AcDb::kDxfSubclass, L"AcDbCircle")
     << filer->writePoint3d(AcDb::kDxfXCoord, HostOcs(normal_).toOcs(center_))
     << filer->writeDouble(AcDb::kDxfReal, radius_);
  if (!normal_.isEqualTo(AcGeVector3d::kZAxis)) es << filer->writeVector3d(AcDb::kDxfNormalX, normal_);
  return es.status();
}

Acad::ErrorStatus AcDbCircle::dxfInFields(AcDbDxfFiler* filer) {
  assertWriteEnabled();
  Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer);
  if (es != Acad::eOk) return es;
  if (!filer->atSubclassData(L"AcDbCircle")) return Acad::eBadDxfSequence;
  AcGePoint3d ocsCenter = HostOcs(normal_).toOcs(center_);
  AcGeVector3d n = normal_;
  double r = radius_;
  es = hostReadDxfGroups(filer, false, [&](const resbuf& rb) {
    switch (rb.restype) {
      case 10: ocsCenter = hostRbPoint(rb); break;
      case 40: r = rb.resval.rreal; break;
      case 210: n = hostRbVector(rb); break;
      default: break;
    }
  });
  if (es != Acad::eOk) return es;
  if (n.isZeroLength() || !(r >= 0)) return Acad::eInvalidInput;
  normal_ = n.normal();
  center_ = HostOcs(normal_).toWorld(ocsCenter);
  radius_ = r;
  return Acad::eOk;
}

void AcDbCircle::subList() const {
  AcDbCurve::subList();
  acutPrintf(L"            center point, X=%10.4f  Y=%10.4f  Z=%10.4f\n", center_.x, center_.y, center_.z);
  acutPrintf(L"            radius  %10.4f\n", radius_);
  acutPrintf(L"   circumference  %10.4f\n", circumference());
  acutPrintf(L"            area  %10.4f\n", M_PI * radius_ * radius_);
}
