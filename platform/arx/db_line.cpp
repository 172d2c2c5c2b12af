// The host's line entity: a straight segment between two points, with a thickness
// along its normal. Its parameter is the distance from the start point.
#include "arx/curve_geometry.h"
#include "arx/entity_support.h"

ACRX_DEFINE_HOST_MEMBERS(AcDbLine)
OV_DEFINE_PATH_CURVE_QUERIES(AcDbLine)

Acad::ErrorStatus AcDbLine::setStartPoint(const AcGePoint3d& p) { return hostSetField(this, start_, p); }
Acad::ErrorStatus AcDbLine::setEndPoint(const AcGePoint3d& p) { return hostSetField(this, end_, p); }
Acad::ErrorStatus AcDbLine::setNormal(const AcGeVector3d& n) {
  return hostSetField(this, normal_, n.normal(), !n.isZeroLength());
}
Acad::ErrorStatus AcDbLine::setThickness(double t) { return hostSetField(this, thickness_, t); }

Acad::ErrorStatus AcDbLine::extend(double newParam) {
  assertReadEnabled();
  double len = start_.distanceTo(end_);
  if (len == 0.0 || !std::isfinite(newParam)) return Acad::eInvalidInput;
  AcGePoint3d to = start_ + (end_ - start_) * (newParam / len);
  if (newParam < 0) return setStartPoint(to);
  if (newParam > len) return setEndPoint(to);
  return Acad::eInvalidInput;  // inside the line: nothing to extend
}

Acad::ErrorStatus AcDbLine::extend(bool extendStart, const AcGePoint3d& toPoint) {
  return extendStart ? setStartPoint(toPoint) : setEndPoint(toPoint);
}

bool AcDbLine::subWorldDraw(AcGiWorldDraw* wd) {
  assertReadEnabled();
  AcGePoint3d pts[2] = {start_, end_};
  wd->geometry().polyline(2, pts, &normal_);
  return true;
}

Acad::ErrorStatus AcDbLine::subTransformBy(const AcGeMatrix3d& xform) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  AcGePoint3d s = start_, e = end_;
  AcGeVector3d n = normal_;
  s.transformBy(xform);
  e.transformBy(xform);
  n.transformBy(xform);
  if (!hostIsFinite(s) || !hostIsFinite(e) || !hostIsFinite(n) || n.isZeroLength()) return Acad::eInvalidInput;
  start_ = s;
  end_ = e;
  thickness_ *= n.length();
  normal_ = n.normal();
  recordGraphicsModified();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::subExplode(AcDbVoidPtrArray&) const { return Acad::eNotApplicable; }

Acad::ErrorStatus AcDbLine::subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker, const AcGePoint3d& pickPoint,
                                              const AcGePoint3d& lastPoint, const AcGeMatrix3d& viewXform,
                                              AcGePoint3dArray& snapPoints, AcDbIntArray&) const {
  constexpr unsigned offered =
      hostSnapMask({AcDb::kOsModeEnd, AcDb::kOsModeMid, AcDb::kOsModeNear, AcDb::kOsModePerp});
  return hostWithCurvePath(this, [&](const GeCurvePath& p) {
    return hostCurveOsnapPoints(p, offered, mode, pickPoint, lastPoint, viewXform, snapPoints);
  });
}

Acad::ErrorStatus AcDbLine::dwgOutFields(AcDbDwgFiler* filer) const {
  assertReadEnabled();
  HostFilerStatus es;
  es << AcDbCurve::dwgOutFields(filer);
  if (!es.ok()) return es.status();
  es << filer->writeInt32(kHostEntityVersion) << filer->writePoint3d(start_) << filer->writePoint3d(end_)
     << filer->writeVector3d(normal_) << filer->writeDouble(thickness_);
  return es.status();
}

Acad::ErrorStatus AcDbLine::dwgInFields(AcDbDwgFiler* filer) {
  assertWriteEnabled();
  HostFilerStatus es;
  es << AcDbCurve::dwgInFields(filer);
  if (es.ok()) es << hostReadEntityVersion(filer);
  if (!es.ok()) return es.status();
  AcGePoint3d s, e;
  AcGeVector3d n;
  double t = 0.0;
  es << filer->readPoint3d(&s) << filer->readPoint3d(&e) << filer->readVector3d(&n) << filer->readDouble(&t);
  if (!es.ok()) return es.status();
  if (!hostIsFinite(s) || !hostIsFinite(e) || !hostIsFinite(t) || n.normal().isZeroLength()) return Acad::eInvalidInput;
  start_ = s;
  end_ = e;
  normal_ = n.normal();
  thickness_ = t;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbLine::dxfOutFields(AcDbDxfFiler* filer) const {
  assertReadEnabled();
  HostFilerStatus es;
  es << AcDbCurve::dxfOutFields(filer);
  if (!es.ok()) return es.status();
  es << filer->writeString(AcDb::kDxfSubclass, L"AcDbLine");
  if (thickness_ != 0.0) es << filer->writeDouble(AcDb::kDxfThickness, thickness_);
  es << filer->writePoint3d(AcDb::kDxfXCoord, start_)
     << filer->writePoint3d(static_cast<AcDb::DxfCode>(11), end_);
  if (!normal_.isEqualTo(AcGeVector3d::kZAxis)) es << filer->writeVector3d(AcDb::kDxfNormalX, normal_);
  return es.status();
}

Acad::ErrorStatus AcDbLine::dxfInFields(AcDbDxfFiler* filer) {
  assertWriteEnabled();
  Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer);
  if (es != Acad::eOk) return es;
  if (!filer->atSubclassData(L"AcDbLine")) return Acad::eBadDxfSequence;
  AcGePoint3d s = start_, e = end_;
  AcGeVector3d n = normal_;
  double t = thickness_;
  es = hostReadDxfGroups(filer, false, [&](const resbuf& rb) {
    switch (rb.restype) {
      case 10: s = hostRbPoint(rb); break;
      case 11: e = hostRbPoint(rb); break;
      case 39: t = rb.resval.rreal; break;
      case 210: n = hostRbVector(rb); break;
      default: break;
    }
  });
  if (es != Acad::eOk) return es;
  if (!hostIsFinite(s) || !hostIsFinite(e) || !hostIsFinite(t) || n.normal().isZeroLength()) return Acad::eInvalidInput;
  start_ = s;
  end_ = e;
  normal_ = n.normal();
  thickness_ = t;
  return Acad::eOk;
}

void AcDbLine::subList() const {
  AcDbCurve::subList();
  AcGeVector3d d = end_ - start_;
  acutPrintf(L"              from point, X=%10.4f  Y=%10.4f  Z=%10.4f\n", start_.x, start_.y, start_.z);
  acutPrintf(L"                to point, X=%10.4f  Y=%10.4f  Z=%10.4f\n", end_.x, end_.y, end_.z);
  acutPrintf(L"          Length =%10.4f,  Angle in XY Plane =%8.4f\n", d.length(),
             d.convert2d().angle() * 180.0 / M_PI);
  acutPrintf(L"                  Delta X =%10.4f, Delta Y =%10.4f, Delta Z =%10.4f\n", d.x, d.y, d.z);
}
