// The host's arc entity: a circular arc counter-clockwise about its normal from the
// start angle to the end angle (angles in the plane's own coordinate system). Its
// parameter is the angle turned from the start, so the distance is radius x param.
#include "arx/curve_geometry.h"
#include "arx/entity_support.h"

namespace {

// An angle brought into [0, 2 pi).
double normalizedAngle(double a) {
  if (!std::isfinite(a)) return a;
  double r = std::fmod(a, 2 * M_PI);
  if (r < 0) r += 2 * M_PI;
  return r >= 2 * M_PI ? 0.0 : r;
}

constexpr double kDegrees = 180.0 / M_PI;

}  // namespace

ACRX_DEFINE_HOST_MEMBERS(AcDbArc)
OV_DEFINE_PATH_CURVE_QUERIES(AcDbArc)

AcDbArc::AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle)
    : AcDbArc(center, AcGeVector3d::kZAxis, radius, startAngle, endAngle) {}

AcDbArc::AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle,
                 double endAngle)
    : center_(center),
      radius_(radius),
      startAngle_(normalizedAngle(startAngle)),
      endAngle_(normalizedAngle(endAngle)),
      normal_(normal.isZeroLength() ? AcGeVector3d::kZAxis : normal.normal()) {}

Acad::ErrorStatus AcDbArc::setCenter(const AcGePoint3d& c) { return hostSetField(this, center_, c); }
Acad::ErrorStatus AcDbArc::setRadius(double r) { return hostSetField(this, radius_, r, r > 0); }
Acad::ErrorStatus AcDbArc::setStartAngle(double a) { return hostSetField(this, startAngle_, normalizedAngle(a)); }
Acad::ErrorStatus AcDbArc::setEndAngle(double a) { return hostSetField(this, endAngle_, normalizedAngle(a)); }
Acad::ErrorStatus AcDbArc::setNormal(const AcGeVector3d& n) {
  return hostSetField(this, normal_, n.normal(), !n.isZeroLength());
}

double AcDbArc::sweep() const {
  assertReadEnabled();
  double s = std::fmod(endAngle_ - startAngle_, 2 * M_PI);
  if (s <= 0) s += 2 * M_PI;
  return s;
}

Acad::ErrorStatus AcDbArc::extend(double newParam) {
  assertReadEnabled();
  double s = sweep();
  if (!std::isfinite(newParam)) return Acad::eInvalidInput;
  // The parameter runs from 0 at the start angle to the sweep at the end angle.
  if (newParam < 0 && s - newParam < 2 * M_PI) return setStartAngle(startAngle_ + newParam);
  if (newParam > s && newParam < 2 * M_PI) return setEndAngle(startAngle_ + newParam);
  return Acad::eInvalidInput;
}

Acad::ErrorStatus AcDbArc::extend(bool extendStart, const AcGePoint3d& toPoint) {
  assertReadEnabled();
  AcGeVector3d radial = toPoint - center_;
  radial = radial - normal_ * radial.dotProduct(normal_);
  if (radial.isZeroLength()) return Acad::eInvalidInput;
  double angle = HostOcs(normal_).angleOf(radial);
  return extendStart ? setStartAngle(angle) : setEndAngle(angle);
}

bool AcDbArc::subWorldDraw(AcGiWorldDraw* wd) {
  assertReadEnabled();
  wd->geometry().circularArc(center_, radius_, normal_, HostOcs(normal_).direction(startAngle_), sweep());
  return true;
}

Acad::ErrorStatus AcDbArc::subTransformBy(const AcGeMatrix3d& xform) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  HostOcs ocs(normal_);
  GeCurvePiece image = GeCurvePiece::arc(center_, radius_, normal_, ocs.direction(startAngle_), sweep());
  if (!image.transformBy(xform)) return Acad::eNotApplicable;  // an ellipse
  AcGeVector3d n = normal_, extrusion = normal_ * thickness_;
  n.transformBy(xform);
  extrusion.transformBy(xform);
  if (!hostIsFinite(image.center()) || !hostIsFinite(n) || n.isZeroLength()) return Acad::eInvalidInput;
  // A mirror turns the traversal round: the same arc then runs counter-clockwise from
  // the image of the end to the image of the start about the image of the normal.
  if (image.normal().dotProduct(n) < 0) image = image.reversed();
  HostOcs to(image.normal());
  center_ = image.center();
  radius_ = image.radius();
  normal_ = to.z;
  startAngle_ = normalizedAngle(to.angleOf(image.startDir()));
  endAngle_ = normalizedAngle(startAngle_ + image.sweep());
  thickness_ = extrusion.dotProduct(normal_);
  recordGraphicsModified();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbArc::subExplode(AcDbVoidPtrArray&) const { return Acad::eNotApplicable; }

Acad::ErrorStatus AcDbArc::subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker, const AcGePoint3d& pickPoint,
                                             const AcGePoint3d& lastPoint, const AcGeMatrix3d& viewXform,
                                             AcGePoint3dArray& snapPoints, AcDbIntArray&) const {
  constexpr unsigned offered = hostSnapMask({AcDb::kOsModeEnd, AcDb::kOsModeMid, AcDb::kOsModeCen,
                                             AcDb::kOsModeQuad, AcDb::kOsModeNear, AcDb::kOsModePerp});
  return hostWithCurvePath(this, [&](const GeCurvePath& p) {
    return hostCurveOsnapPoints(p, offered, mode, pickPoint, lastPoint, viewXform, snapPoints);
  });
}

Acad::ErrorStatus AcDbArc::dwgOutFields(AcDbDwgFiler* filer) const {
  assertReadEnabled();
  HostFilerStatus es;
  es << AcDbCurve::dwgOutFields(filer);
  if (!es.ok()) return es.status();
  es << filer->writeInt32(kHostEntityVersion) << filer->writePoint3d(center_) << filer->writeDouble(radius_)
     << filer->writeDouble(startAngle_) << filer->writeDouble(endAngle_) << filer->writeVector3d(normal_)
     << filer->writeDouble(thickness_);
  return es.status();
}

Acad::ErrorStatus AcDbArc::dwgInFields(AcDbDwgFiler* filer) {
  assertWriteEnabled();
  HostFilerStatus es;
  es << AcDbCurve::dwgInFields(filer);
  if (es.ok()) es << hostReadEntityVersion(filer);
  if (!es.ok()) return es.status();
  AcGePoint3d c;
  double r = 0, a0 = 0, a1 = 0, t = 0;
  AcGeVector3d n;
  es << filer->readPoint3d(&c) << filer->readDouble(&r) << filer->readDouble(&a0) << filer->readDouble(&a1)
     << filer->readVector3d(&n) << filer->readDouble(&t);
  if (!es.ok()) return es.status();
  if (n.isZeroLength() || !(r >= 0) || !std::isfinite(a0) || !std::isfinite(a1)) return Acad::eInvalidInput;
  center_ = c;
  radius_ = r;
  startAngle_ = normalizedAngle(a0);
  endAngle_ = normalizedAngle(a1);
  normal_ = n.normal();
  thickness_ = t;
  return Acad::eOk;
}

// DXF gives the centre in the plane's own coordinates and the angles in degrees.
Acad::ErrorStatus AcDbArc::dxfOutFields(AcDbDxfFiler* filer) const {
  assertReadEnabled();
  HostFilerStatus es;
  es << AcDbCurve::dxfOutFields(filer);
  if (!es.ok()) return es.status();
  es << filer->writeString(AcDb::kDxfSubclass, L"AcDbCircle");
  if (thickness_ != 0.0) es << filer->writeDouble(AcDb::kDxfThickness, thickness_);
  es << filer->writePoint3d(AcDb::kDxfXCoord, HostOcs(normal_).toOcs(center_))
     << filer->writeDouble(AcDb::kDxfReal, radius_);
  if (!normal_.isEqualTo(AcGeVector3d::kZAxis)) es << filer->writeVector3d(AcDb::kDxfNormalX, normal_);
  es << filer->writeString(AcDb::kDxfSubclass, L"AcDbArc")
     << filer->writeDouble(AcDb::kDxfAngle, startAngle_ * kDegrees)
     << filer->writeDouble(static_cast<AcDb::DxfCode>(51), endAngle_ * kDegrees);
  return es.status();
}

Acad::ErrorStatus AcDbArc::dxfInFields(AcDbDxfFiler* filer) {
  assertWriteEnabled();
  Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer);
  if (es != Acad::eOk) return es;
  if (!filer->atSubclassData(L"AcDbCircle")) return Acad::eBadDxfSequence;
  AcGePoint3d ocsCenter = HostOcs(normal_).toOcs(center_);
  AcGeVector3d n = normal_;
  double r = radius_, t = thickness_, a0 = startAngle_ * kDegrees, a1 = endAngle_ * kDegrees;
  auto visit = [&](const resbuf& rb) {
    switch (rb.restype) {
      case 10: ocsCenter = hostRbPoint(rb); break;
      case 39: t = rb.resval.rreal; break;
      case 40: r = rb.resval.rreal; break;
      case 50: a0 = rb.resval.rreal; break;
      case 51: a1 = rb.resval.rreal; break;
      case 210: n = hostRbVector(rb); break;
      default: break;
    }
  };
  if ((es = hostReadDxfGroups(filer, true, visit)) != Acad::eOk) return es;
  if (!filer->atSubclassData(L"AcDbArc")) return Acad::eBadDxfSequence;
  if ((es = hostReadDxfGroups(filer, false, visit)) != Acad::eOk) return es;
  if (n.isZeroLength() || !(r >= 0) || !std::isfinite(a0) || !std::isfinite(a1)) return Acad::eInvalidInput;
  normal_ = n.normal();
  center_ = HostOcs(normal_).toWorld(ocsCenter);
  radius_ = r;
  thickness_ = t;
  startAngle_ = normalizedAngle(a0 / kDegrees);
  endAngle_ = normalizedAngle(a1 / kDegrees);
  return Acad::eOk;
}

void AcDbArc::subList() const {
  AcDbCurve::subList();
  acutPrintf(L"            center point, X=%10.4f  Y=%10.4f  Z=%10.4f\n", center_.x, center_.y, center_.z);
  acutPrintf(L"            radius  %10.4f\n", radius_);
  acutPrintf(L"                  length  %10.4f\n", radius_ * sweep());
  acutPrintf(L"             start angle  %8.4f\n", startAngle_ * kDegrees);
  acutPrintf(L"               end angle  %8.4f\n", endAngle_ * kDegrees);
}
