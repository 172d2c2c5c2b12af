// acedTrans and the current document's UCS.
#include "arx/ucs_trans.h"

#include <cmath>

#include "arx/ap_doc_manager.h"
#include "arx/curve_geometry.h"

namespace {

bool codeOf(const resbuf* rb, int& code) {
  if (rb == nullptr) return false;
  if (rb->restype == RTSHORT) code = rb->resval.rint;
  else if (rb->restype == RTLONG) code = rb->resval.rlong;
  else return false;
  return code == kTransWorld || code == kTransUser;
}

AcGeMatrix3d currentUcs() {
  AcGeMatrix3d ucs;
  acedGetCurrentUCS(ucs);
  return ucs;
}

// The UCS keeps unit, perpendicular axes, so its inverse is its transpose turned
// around the origin: no division can fail.
AcGeMatrix3d inverseOfRigid(const AcGeMatrix3d& m) {
  AcGeMatrix3d inv;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) inv(r, c) = m(c, r);
    inv(r, 3) = -(m(0, r) * m(0, 3) + m(1, r) * m(1, 3) + m(2, r) * m(2, 3));
  }
  return inv;
}

bool isRigid(const AcGeMatrix3d& m) {
  constexpr double tol = 1e-9;
  for (int c = 0; c < 4; ++c)
    if (!std::isfinite(m(0, c)) || !std::isfinite(m(1, c)) || !std::isfinite(m(2, c))) return false;
  if (m(3, 0) != 0 || m(3, 1) != 0 || m(3, 2) != 0 || m(3, 3) != 1) return false;
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < 3; ++b) {
      double dot = m(0, a) * m(0, b) + m(1, a) * m(1, b) + m(2, a) * m(2, b);
      if (std::fabs(dot - (a == b ? 1.0 : 0.0)) > tol) return false;
    }
  }
  return m.det() > 0;  // a right-handed system, as the host's UCS always is
}

}  // namespace

Acad::ErrorStatus acedGetCurrentUCS(AcGeMatrix3d& ucsToWorld) {
  AcApDocument* doc = acDocManagerPtr()->curDocument();
  ucsToWorld = doc != nullptr ? doc->hostUcs() : AcGeMatrix3d::kIdentity;
  return Acad::eOk;
}

Acad::ErrorStatus acedSetCurrentUCS(const AcGeMatrix3d& ucsToWorld) {
  AcApDocument* doc = acDocManagerPtr()->curDocument();
  if (doc == nullptr) return Acad::eNoDatabase;
  if (!isRigid(ucsToWorld)) return Acad::eInvalidInput;
  doc->hostSetUcs(ucsToWorld);
  return Acad::eOk;
}

Acad::ErrorStatus hostPlanUcs(const AcGePoint3d& origin, const AcGeVector3d& xDirection, AcGeMatrix3d& ucsToWorld) {
  AcGeVector3d x = AcGeVector3d(xDirection.x, xDirection.y, 0.0).normal();
  if (x.isZeroLength() || !std::isfinite(origin.x) || !std::isfinite(origin.y) || !std::isfinite(origin.z))
    return Acad::eInvalidInput;
  AcGeVector3d y = AcGeVector3d::kZAxis.crossProduct(x);
  ucsToWorld = AcGeMatrix3d();
  for (int r = 0; r < 3; ++r) {
    ucsToWorld(r, 0) = x[r];
    ucsToWorld(r, 1) = y[r];
    ucsToWorld(r, 2) = AcGeVector3d::kZAxis[r];
    ucsToWorld(r, 3) = origin[r];
  }
  return Acad::eOk;
}

namespace {

// The matrix taking a system's coordinates to the world's: a code (0 world, 1 the UCS)
// or an extrusion direction (RT3DPOINT), whose system is the entity coordinate system
// of the arbitrary axis rule, with the world's origin.
bool systemToWorld(const resbuf* rb, AcGeMatrix3d& toWorld) {
  int code = 0;
  if (rb != nullptr && rb->restype == RT3DPOINT) {
    AcGeVector3d normal(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]);
    if (normal.isZeroLength() || !std::isfinite(normal.length())) return false;
    HostOcs ecs(normal);
    toWorld = AcGeMatrix3d();
    for (int r = 0; r < 3; ++r) {
      toWorld(r, 0) = ecs.x[r];
      toWorld(r, 1) = ecs.y[r];
      toWorld(r, 2) = ecs.z[r];
    }
    return true;
  }
  if (!codeOf(rb, code)) return false;
  toWorld = code == kTransUser ? currentUcs() : AcGeMatrix3d::kIdentity;
  return true;
}

bool sameSystem(const resbuf* a, const resbuf* b) {
  int codeA = 0, codeB = 0;
  if (codeOf(a, codeA) && codeOf(b, codeB)) return codeA == codeB;
  return a->restype == RT3DPOINT && b->restype == RT3DPOINT && a->resval.rpoint[0] == b->resval.rpoint[0] &&
         a->resval.rpoint[1] == b->resval.rpoint[1] && a->resval.rpoint[2] == b->resval.rpoint[2];
}

}  // namespace

int acedTrans(const ads_point pt, const resbuf* from, const resbuf* to, int disp, ads_point result) {
  AcGeMatrix3d fromMatrix, toMatrix;
  if (pt == nullptr || result == nullptr || !systemToWorld(from, fromMatrix) || !systemToWorld(to, toMatrix))
    return RTERROR;
  double in[3] = {pt[0], pt[1], pt[2]};
  if (sameSystem(from, to)) {
    for (int i = 0; i < 3; ++i) result[i] = in[i];
    return RTNORM;
  }
  AcGeMatrix3d m = inverseOfRigid(toMatrix) * fromMatrix;
  // A displacement turns with the axes but does not move with the origin.
  double move = disp != 0 ? 0.0 : 1.0;
  for (int r = 0; r < 3; ++r) result[r] = m(r, 0) * in[0] + m(r, 1) * in[1] + m(r, 2) * in[2] + m(r, 3) * move;
  return RTNORM;
}
