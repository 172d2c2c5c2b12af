// Geometry values of the host: points, vectors, matrices, the global tolerance and the
// growable arrays that the drawing interfaces pass around. All in double precision.
#pragma once

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <vector>

// A growable array with the host's method names over std::vector. Index errors throw
// std::out_of_range, the array's invalid-argument exception.
template <typename T>
class AcArray {
 public:
  AcArray() = default;
  AcArray(std::initializer_list<T> init) : v_(init) {}
  explicit AcArray(int reserve) { v_.reserve(reserve > 0 ? reserve : 0); }

  int length() const { return static_cast<int>(v_.size()); }
  int logicalLength() const { return length(); }
  bool isEmpty() const { return v_.empty(); }
  AcArray& append(const T& value) { v_.push_back(value); return *this; }
  AcArray& append(const AcArray& other) { v_.insert(v_.end(), other.v_.begin(), other.v_.end()); return *this; }
  AcArray& insertAt(int index, const T& value) {
    checkInsert(index);
    v_.insert(v_.begin() + index, value);
    return *this;
  }
  AcArray& removeAt(int index) { check(index); v_.erase(v_.begin() + index); return *this; }
  AcArray& removeFirst() { return removeAt(0); }
  AcArray& removeLast() { return removeAt(length() - 1); }
  AcArray& removeAll() { v_.clear(); return *this; }
  AcArray& setLogicalLength(int n) { v_.resize(n > 0 ? n : 0); return *this; }
  AcArray& setPhysicalLength(int n) { v_.reserve(n > 0 ? n : 0); return *this; }
  bool contains(const T& value) const { return find(value) >= 0; }
  int find(const T& value) const {
    for (int i = 0; i < length(); ++i)
      if (v_[i] == value) return i;
    return -1;
  }
  T& at(int index) { check(index); return v_[index]; }
  const T& at(int index) const { check(index); return v_[index]; }
  T& operator[](int index) { return at(index); }
  const T& operator[](int index) const { return at(index); }
  T& first() { return at(0); }
  T& last() { return at(length() - 1); }
  const T& first() const { return at(0); }
  const T& last() const { return at(length() - 1); }
  const T* asArrayPtr() const { return v_.data(); }
  T* asArrayPtr() { return v_.data(); }
  bool operator==(const AcArray& o) const { return v_ == o.v_; }

  auto begin() { return v_.begin(); }
  auto end() { return v_.end(); }
  auto begin() const { return v_.begin(); }
  auto end() const { return v_.end(); }
  std::vector<T>& vec() { return v_; }
  const std::vector<T>& vec() const { return v_; }

 private:
  void check(int index) const {
    if (index < 0 || index >= length()) throw std::out_of_range("AcArray index out of range");
  }
  void checkInsert(int index) const {
    if (index < 0 || index > length()) throw std::out_of_range("AcArray index out of range");
  }
  std::vector<T> v_;
};

using AcGeDoubleArray = AcArray<double>;
using AcGeIntArray = AcArray<int>;
using AcDbIntArray = AcArray<int>;

// Tolerance for comparing points and vectors.
class AcGeTol {
 public:
  AcGeTol() = default;
  AcGeTol(double point, double vector) : point_(point), vector_(vector) {}
  double equalPoint() const { return point_; }
  double equalVector() const { return vector_; }
  void setEqualPoint(double v) { point_ = v; }
  void setEqualVector(double v) { vector_ = v; }

 private:
  double point_ = 1e-10;
  double vector_ = 1e-12;
};

// The host's global tolerance, used wherever no tolerance is passed.
struct AcGeContext {
  static AcGeTol gTol;
};

class AcGeVector2d;
class AcGeVector3d;
class AcGeMatrix3d;

class AcGePoint2d {
 public:
  double x = 0.0, y = 0.0;
  AcGePoint2d() = default;
  AcGePoint2d(double xx, double yy) : x(xx), y(yy) {}
  static const AcGePoint2d kOrigin;

  AcGePoint2d operator+(const AcGeVector2d& v) const;
  AcGePoint2d operator-(const AcGeVector2d& v) const;
  AcGeVector2d operator-(const AcGePoint2d& p) const;
  AcGePoint2d& operator+=(const AcGeVector2d& v);
  double distanceTo(const AcGePoint2d& p) const { return std::hypot(x - p.x, y - p.y); }
  bool isEqualTo(const AcGePoint2d& p, const AcGeTol& tol = AcGeContext::gTol) const {
    return distanceTo(p) <= tol.equalPoint();
  }
  bool operator==(const AcGePoint2d& p) const { return isEqualTo(p); }
  bool operator!=(const AcGePoint2d& p) const { return !isEqualTo(p); }
  AcGePoint2d& set(double xx, double yy) { x = xx; y = yy; return *this; }
};

class AcGeVector2d {
 public:
  double x = 0.0, y = 0.0;
  AcGeVector2d() = default;
  AcGeVector2d(double xx, double yy) : x(xx), y(yy) {}
  static const AcGeVector2d kXAxis;
  static const AcGeVector2d kYAxis;

  AcGeVector2d operator+(const AcGeVector2d& v) const { return {x + v.x, y + v.y}; }
  AcGeVector2d operator-(const AcGeVector2d& v) const { return {x - v.x, y - v.y}; }
  AcGeVector2d operator-() const { return {-x, -y}; }
  AcGeVector2d operator*(double s) const { return {x * s, y * s}; }
  AcGeVector2d operator/(double s) const { return {x / s, y / s}; }
  double length() const { return std::hypot(x, y); }
  double dotProduct(const AcGeVector2d& v) const { return x * v.x + y * v.y; }
  double crossProduct(const AcGeVector2d& v) const { return x * v.y - y * v.x; }
  // Angle from the x axis, in [0, 2 pi).
  double angle() const {
    double a = std::atan2(y, x);
    return a < 0 ? a + 2 * M_PI : a;
  }
  AcGeVector2d normal() const {
    double l = length();
    return l > 0 ? AcGeVector2d(x / l, y / l) : AcGeVector2d();
  }
  AcGeVector2d& normalize() { *this = normal(); return *this; }
  AcGeVector2d perpVector() const { return {-y, x}; }
  AcGeVector2d& rotateBy(double a) {
    double c = std::cos(a), s = std::sin(a);
    *this = {x * c - y * s, x * s + y * c};
    return *this;
  }
  bool isZeroLength(const AcGeTol& tol = AcGeContext::gTol) const { return length() <= tol.equalVector(); }
  bool isEqualTo(const AcGeVector2d& v, const AcGeTol& tol = AcGeContext::gTol) const {
    return (*this - v).length() <= tol.equalVector();
  }
};

class AcGePoint3d {
 public:
  double x = 0.0, y = 0.0, z = 0.0;
  AcGePoint3d() = default;
  AcGePoint3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}
  static const AcGePoint3d kOrigin;

  AcGePoint3d operator+(const AcGeVector3d& v) const;
  AcGePoint3d operator-(const AcGeVector3d& v) const;
  AcGeVector3d operator-(const AcGePoint3d& p) const;
  AcGePoint3d& operator+=(const AcGeVector3d& v);
  AcGePoint3d& operator-=(const AcGeVector3d& v);
  double operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
  double& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
  double distanceTo(const AcGePoint3d& p) const;
  bool isEqualTo(const AcGePoint3d& p, const AcGeTol& tol = AcGeContext::gTol) const {
    return distanceTo(p) <= tol.equalPoint();
  }
  bool operator==(const AcGePoint3d& p) const { return isEqualTo(p); }
  bool operator!=(const AcGePoint3d& p) const { return !isEqualTo(p); }
  AcGePoint3d& set(double xx, double yy, double zz) { x = xx; y = yy; z = zz; return *this; }
  AcGePoint3d& transformBy(const AcGeMatrix3d& m);
  AcGePoint2d convert2d() const { return {x, y}; }
};

class AcGeVector3d {
 public:
  double x = 0.0, y = 0.0, z = 0.0;
  AcGeVector3d() = default;
  AcGeVector3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}
  static const AcGeVector3d kXAxis;
  static const AcGeVector3d kYAxis;
  static const AcGeVector3d kZAxis;
  static const AcGeVector3d kIdentity;

  AcGeVector3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
  AcGeVector3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
  AcGeVector3d operator-() const { return {-x, -y, -z}; }
  AcGeVector3d operator*(double s) const { return {x * s, y * s, z * s}; }
  AcGeVector3d operator/(double s) const { return {x / s, y / s, z / s}; }
  AcGeVector3d& operator+=(const AcGeVector3d& v) { x += v.x; y += v.y; z += v.z; return *this; }
  double operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
  double length() const { return std::sqrt(x * x + y * y + z * z); }
  double dotProduct(const AcGeVector3d& v) const { return x * v.x + y * v.y + z * v.z; }
  AcGeVector3d crossProduct(const AcGeVector3d& v) const {
    return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
  }
  // The unit vector; a zero or non-finite vector answers the zero vector. Scaling by
  // the largest component first keeps huge components from overflowing the length.
  AcGeVector3d normal() const {
    double m = std::fmax(std::fabs(x), std::fmax(std::fabs(y), std::fabs(z)));
    if (!(m > 0) || !std::isfinite(m)) return AcGeVector3d();
    AcGeVector3d s(x / m, y / m, z / m);
    double l = s.length();
    return AcGeVector3d(s.x / l, s.y / l, s.z / l);
  }
  AcGeVector3d& normalize() { *this = normal(); return *this; }
  bool isZeroLength(const AcGeTol& tol = AcGeContext::gTol) const { return length() <= tol.equalVector(); }
  bool isEqualTo(const AcGeVector3d& v, const AcGeTol& tol = AcGeContext::gTol) const {
    return (*this - v).length() <= tol.equalVector();
  }
  bool isParallelTo(const AcGeVector3d& v, const AcGeTol& tol = AcGeContext::gTol) const {
    return normal().crossProduct(v.normal()).length() <= tol.equalVector() * 1e3;
  }
  // Angle between the two vectors, in [0, pi].
  double angleTo(const AcGeVector3d& v) const;
  // Angle from this vector to v turning counter-clockwise about the reference axis.
  double angleTo(const AcGeVector3d& v, const AcGeVector3d& reference) const;
  AcGeVector3d perpVector() const;
  AcGeVector3d& rotateBy(double angle, const AcGeVector3d& axis);
  AcGeVector3d& transformBy(const AcGeMatrix3d& m);
  AcGeVector2d convert2d() const { return {x, y}; }
};

inline AcGeVector3d operator*(double s, const AcGeVector3d& v) { return v * s; }
inline AcGeVector2d operator*(double s, const AcGeVector2d& v) { return v * s; }

inline AcGePoint2d AcGePoint2d::operator+(const AcGeVector2d& v) const { return {x + v.x, y + v.y}; }
inline AcGePoint2d AcGePoint2d::operator-(const AcGeVector2d& v) const { return {x - v.x, y - v.y}; }
inline AcGeVector2d AcGePoint2d::operator-(const AcGePoint2d& p) const { return {x - p.x, y - p.y}; }
inline AcGePoint2d& AcGePoint2d::operator+=(const AcGeVector2d& v) { x += v.x; y += v.y; return *this; }
inline AcGePoint3d AcGePoint3d::operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
inline AcGePoint3d AcGePoint3d::operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
inline AcGeVector3d AcGePoint3d::operator-(const AcGePoint3d& p) const { return {x - p.x, y - p.y, z - p.z}; }
inline AcGePoint3d& AcGePoint3d::operator+=(const AcGeVector3d& v) { x += v.x; y += v.y; z += v.z; return *this; }
inline AcGePoint3d& AcGePoint3d::operator-=(const AcGeVector3d& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
inline double AcGePoint3d::distanceTo(const AcGePoint3d& p) const { return (*this - p).length(); }

using AcGePoint2dArray = AcArray<AcGePoint2d>;
using AcGePoint3dArray = AcArray<AcGePoint3d>;
using AcGeVector3dArray = AcArray<AcGeVector3d>;

// A 4x4 affine transformation acting on column vectors.
class AcGeMatrix3d {
 public:
  AcGeMatrix3d();  // identity
  static const AcGeMatrix3d kIdentity;

  double entry[4][4];
  double operator()(int r, int c) const { return entry[r][c]; }
  double& operator()(int r, int c) { return entry[r][c]; }

  AcGeMatrix3d operator*(const AcGeMatrix3d& m) const;
  AcGeMatrix3d& preMultBy(const AcGeMatrix3d& left) { *this = left * *this; return *this; }
  AcGeMatrix3d& postMultBy(const AcGeMatrix3d& right) { *this = *this * right; return *this; }
  AcGeMatrix3d inverse() const;  // throws std::domain_error when singular
  double det() const;
  bool isSingular() const;
  bool isEqualTo(const AcGeMatrix3d& m, const AcGeTol& tol = AcGeContext::gTol) const;
  // Uniform scale factor of the linear part (the length of the transformed x axis).
  double scale() const;
  bool isUniScaledOrtho(const AcGeTol& tol = AcGeContext::gTol) const;

  static AcGeMatrix3d translation(const AcGeVector3d& v);
  static AcGeMatrix3d rotation(double angle, const AcGeVector3d& axis,
                               const AcGePoint3d& center = AcGePoint3d::kOrigin);
  static AcGeMatrix3d scaling(double factor, const AcGePoint3d& center = AcGePoint3d::kOrigin);
  // Mirror in the vertical plane through the line p1-p2 (the host's MIRROR command).
  static AcGeMatrix3d mirroring(const AcGePoint3d& p1, const AcGePoint3d& p2);
  // Mirror in a plane given by a point and its normal.
  static AcGeMatrix3d mirroringPlane(const AcGePoint3d& origin, const AcGeVector3d& normal);
  static AcGeMatrix3d alignCoordSys(const AcGePoint3d& fromOrigin, const AcGeVector3d& fromX,
                                    const AcGeVector3d& fromY, const AcGeVector3d& fromZ,
                                    const AcGePoint3d& toOrigin, const AcGeVector3d& toX,
                                    const AcGeVector3d& toY, const AcGeVector3d& toZ);
};

inline AcGePoint3d operator*(const AcGeMatrix3d& m, const AcGePoint3d& p) {
  AcGePoint3d q = p;
  return q.transformBy(m);
}

// A plane through a point with a normal.
class AcGePlane {
 public:
  AcGePlane() : origin_(0, 0, 0), normal_(0, 0, 1) {}
  AcGePlane(const AcGePoint3d& origin, const AcGeVector3d& normal) : origin_(origin), normal_(normal.normal()) {}
  static const AcGePlane kXYPlane;
  const AcGePoint3d& pointOnPlane() const { return origin_; }
  const AcGeVector3d& normal() const { return normal_; }
  // The point projected onto the plane along its normal.
  AcGePoint3d closestPointTo(const AcGePoint3d& p) const {
    return p - normal_ * (p - origin_).dotProduct(normal_);
  }

 private:
  AcGePoint3d origin_;
  AcGeVector3d normal_;
};
