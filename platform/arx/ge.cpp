// The out-of-line parts of the geometry values: the constants, vector rotations and
// the 4x4 affine matrices (products, inverse and the standard transformations).
#include "arx/ge.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

AcGeTol AcGeContext::gTol;

const AcGePoint2d AcGePoint2d::kOrigin(0, 0);
const AcGeVector2d AcGeVector2d::kXAxis(1, 0);
const AcGeVector2d AcGeVector2d::kYAxis(0, 1);
const AcGePoint3d AcGePoint3d::kOrigin(0, 0, 0);
const AcGeVector3d AcGeVector3d::kXAxis(1, 0, 0);
const AcGeVector3d AcGeVector3d::kYAxis(0, 1, 0);
const AcGeVector3d AcGeVector3d::kZAxis(0, 0, 1);
// The additive identity, as the host names it.
const AcGeVector3d AcGeVector3d::kIdentity(0, 0, 0);
const AcGeMatrix3d AcGeMatrix3d::kIdentity;
const AcGePlane AcGePlane::kXYPlane;

double AcGeVector3d::angleTo(const AcGeVector3d& v) const {
  // atan2 of the sine and cosine stays accurate near 0 and pi, where acos does not.
  return std::atan2(crossProduct(v).length(), dotProduct(v));
}

double AcGeVector3d::angleTo(const AcGeVector3d& v, const AcGeVector3d& reference) const {
  double a = angleTo(v);
  if (crossProduct(v).dotProduct(reference) < 0) a = 2 * M_PI - a;
  return a >= 2 * M_PI ? 0.0 : a;
}

// The host's "arbitrary axis" rule: the x axis of the plane whose normal this vector
// is. Drawing files rely on the same rule for the coordinates of arcs and circles, so
// it must not change.
AcGeVector3d AcGeVector3d::perpVector() const {
  AcGeVector3d n = normal();
  if (n.isZeroLength()) return kXAxis;
  constexpr double kLimit = 1.0 / 64.0;
  AcGeVector3d ax = (std::abs(n.x) < kLimit && std::abs(n.y) < kLimit) ? kYAxis.crossProduct(n)
                                                                       : kZAxis.crossProduct(n);
  return ax.normal();
}

AcGeVector3d& AcGeVector3d::rotateBy(double angle, const AcGeVector3d& axis) {
  AcGeVector3d k = axis.normal();
  if (k.isZeroLength()) return *this;
  double c = std::cos(angle), s = std::sin(angle);
  // Rodrigues' rotation formula.
  *this = *this * c + k.crossProduct(*this) * s + k * (k.dotProduct(*this) * (1 - c));
  return *this;
}

AcGeVector3d& AcGeVector3d::transformBy(const AcGeMatrix3d& m) {
  AcGeVector3d v = *this;
  x = m(0, 0) * v.x + m(0, 1) * v.y + m(0, 2) * v.z;
  y = m(1, 0) * v.x + m(1, 1) * v.y + m(1, 2) * v.z;
  z = m(2, 0) * v.x + m(2, 1) * v.y + m(2, 2) * v.z;
  return *this;
}

AcGePoint3d& AcGePoint3d::transformBy(const AcGeMatrix3d& m) {
  AcGePoint3d p = *this;
  double w = m(3, 0) * p.x + m(3, 1) * p.y + m(3, 2) * p.z + m(3, 3);
  if (w == 0.0) w = 1.0;
  x = (m(0, 0) * p.x + m(0, 1) * p.y + m(0, 2) * p.z + m(0, 3)) / w;
  y = (m(1, 0) * p.x + m(1, 1) * p.y + m(1, 2) * p.z + m(1, 3)) / w;
  z = (m(2, 0) * p.x + m(2, 1) * p.y + m(2, 2) * p.z + m(2, 3)) / w;
  return *this;
}

AcGeMatrix3d::AcGeMatrix3d() {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) entry[r][c] = (r == c) ? 1.0 : 0.0;
}

AcGeMatrix3d AcGeMatrix3d::operator*(const AcGeMatrix3d& m) const {
  AcGeMatrix3d out;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += entry[r][k] * m.entry[k][c];
      out.entry[r][c] = sum;
    }
  return out;
}

namespace {

// Gauss-Jordan elimination with partial pivoting on a copy of the matrix. Answers the
// determinant; fills the inverse when asked and the matrix is regular.
double eliminate(const AcGeMatrix3d& m, AcGeMatrix3d* inverse) {
  double a[4][4];
  AcGeMatrix3d inv;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) a[r][c] = m(r, c);
  double det = 1.0;
  for (int col = 0; col < 4; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 4; ++r)
      if (std::abs(a[r][col]) > std::abs(a[pivot][col])) pivot = r;
    if (a[pivot][col] == 0.0) return 0.0;
    if (pivot != col) {
      for (int c = 0; c < 4; ++c) {
        std::swap(a[pivot][c], a[col][c]);
        std::swap(inv.entry[pivot][c], inv.entry[col][c]);
      }
      det = -det;
    }
    double p = a[col][col];
    det *= p;
    for (int c = 0; c < 4; ++c) {
      a[col][c] /= p;
      inv.entry[col][c] /= p;
    }
    for (int r = 0; r < 4; ++r) {
      if (r == col || a[r][col] == 0.0) continue;
      double f = a[r][col];
      for (int c = 0; c < 4; ++c) {
        a[r][c] -= f * a[col][c];
        inv.entry[r][c] -= f * inv.entry[col][c];
      }
    }
  }
  if (inverse) *inverse = inv;
  return det;
}

AcGeVector3d column(const AcGeMatrix3d& m, int c) { return {m(0, c), m(1, c), m(2, c)}; }

AcGeMatrix3d fromColumns(const AcGeVector3d& x, const AcGeVector3d& y, const AcGeVector3d& z,
                         const AcGeVector3d& t) {
  AcGeMatrix3d m;
  const AcGeVector3d* cols[4] = {&x, &y, &z, &t};
  for (int c = 0; c < 4; ++c) {
    m(0, c) = (*cols[c]).x;
    m(1, c) = (*cols[c]).y;
    m(2, c) = (*cols[c]).z;
  }
  return m;
}

}  // namespace

double AcGeMatrix3d::det() const { return eliminate(*this, nullptr); }

bool AcGeMatrix3d::isSingular() const {
  // Relative to the size of the linear part, so that a tiny but regular scaling is not
  // mistaken for a singular matrix and a far translation does not hide one.
  bool affine = entry[3][0] == 0.0 && entry[3][1] == 0.0 && entry[3][2] == 0.0 && entry[3][3] == 1.0;
  double scale = 1.0;
  for (int i = 0; i < (affine ? 3 : 4); ++i) {
    double n = 0.0;
    for (int k = 0; k < (affine ? 3 : 4); ++k) n += affine ? entry[k][i] * entry[k][i] : entry[i][k] * entry[i][k];
    if (n == 0.0) return true;
    scale *= std::sqrt(n);
  }
  return std::abs(det()) <= AcGeContext::gTol.equalVector() * scale;
}

AcGeMatrix3d AcGeMatrix3d::inverse() const {
  AcGeMatrix3d inv;
  if (isSingular() || eliminate(*this, &inv) == 0.0) throw std::domain_error("AcGeMatrix3d is singular");
  return inv;
}

bool AcGeMatrix3d::isEqualTo(const AcGeMatrix3d& m, const AcGeTol& tol) const {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (std::abs(entry[r][c] - m.entry[r][c]) > tol.equalVector()) return false;
  return true;
}

double AcGeMatrix3d::scale() const { return column(*this, 0).length(); }

bool AcGeMatrix3d::isUniScaledOrtho(const AcGeTol& tol) const {
  if (entry[3][0] != 0.0 || entry[3][1] != 0.0 || entry[3][2] != 0.0 || entry[3][3] != 1.0) return false;
  AcGeVector3d x = column(*this, 0), y = column(*this, 1), z = column(*this, 2);
  double s = x.length();
  if (s <= tol.equalVector()) return false;
  // Compared relative to the scale: the columns are s times an orthonormal frame.
  double eps = std::max(tol.equalVector(), 1e-9) * s;
  return std::abs(y.length() - s) <= eps && std::abs(z.length() - s) <= eps &&
         std::abs(x.dotProduct(y)) <= eps * s && std::abs(y.dotProduct(z)) <= eps * s &&
         std::abs(z.dotProduct(x)) <= eps * s;
}

AcGeMatrix3d AcGeMatrix3d::translation(const AcGeVector3d& v) {
  AcGeMatrix3d m;
  m(0, 3) = v.x;
  m(1, 3) = v.y;
  m(2, 3) = v.z;
  return m;
}

AcGeMatrix3d AcGeMatrix3d::rotation(double angle, const AcGeVector3d& axis, const AcGePoint3d& center) {
  AcGeVector3d x = AcGeVector3d::kXAxis, y = AcGeVector3d::kYAxis, z = AcGeVector3d::kZAxis;
  x.rotateBy(angle, axis);
  y.rotateBy(angle, axis);
  z.rotateBy(angle, axis);
  AcGeMatrix3d r = fromColumns(x, y, z, AcGeVector3d());
  AcGeVector3d c = center - AcGePoint3d::kOrigin;
  return translation(c) * r * translation(-c);
}

AcGeMatrix3d AcGeMatrix3d::scaling(double factor, const AcGePoint3d& center) {
  AcGeMatrix3d m;
  for (int i = 0; i < 3; ++i) {
    m(i, i) = factor;
    m(i, 3) = center[i] * (1 - factor);
  }
  return m;
}

AcGeMatrix3d AcGeMatrix3d::mirroringPlane(const AcGePoint3d& origin, const AcGeVector3d& normal) {
  AcGeVector3d n = normal.normal();
  if (n.isZeroLength()) return AcGeMatrix3d();
  // x' = x - 2 ((x - o) . n) n
  AcGeMatrix3d m;
  double d = (origin - AcGePoint3d::kOrigin).dotProduct(n);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) m(r, c) = (r == c ? 1.0 : 0.0) - 2 * n[r] * n[c];
    m(r, 3) = 2 * d * n[r];
  }
  return m;
}

AcGeMatrix3d AcGeMatrix3d::mirroring(const AcGePoint3d& p1, const AcGePoint3d& p2) {
  // The mirror plane holds the line and the vertical: its normal is the line's plan
  // direction turned by a right angle. Coincident points in plan mirror nothing.
  AcGeVector3d along(p2.x - p1.x, p2.y - p1.y, 0);
  return mirroringPlane(p1, AcGeVector3d(-along.y, along.x, 0));
}

AcGeMatrix3d AcGeMatrix3d::alignCoordSys(const AcGePoint3d& fromOrigin, const AcGeVector3d& fromX,
                                         const AcGeVector3d& fromY, const AcGeVector3d& fromZ,
                                         const AcGePoint3d& toOrigin, const AcGeVector3d& toX,
                                         const AcGeVector3d& toY, const AcGeVector3d& toZ) {
  // Coordinates in the "from" system are read off, then rebuilt in the "to" system.
  AcGeMatrix3d from = fromColumns(fromX, fromY, fromZ, fromOrigin - AcGePoint3d::kOrigin);
  AcGeMatrix3d to = fromColumns(toX, toY, toZ, toOrigin - AcGePoint3d::kOrigin);
  return to * from.inverse();
}
