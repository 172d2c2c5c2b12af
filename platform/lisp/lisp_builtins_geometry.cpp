// Point geometry on lists of two or three numbers: pi, polar, distance, angle.
#include <cmath>

#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A point at a distance along an angle in the XY plane; a 3D point keeps its z.
LispValue polar(const LispArgs& a) {
  LispPoint p = lispPointArg(a[0]);
  double angle = lispNumberArg(a[1]);
  double distance = lispNumberArg(a[2]);
  p.x += distance * std::cos(angle);
  p.y += distance * std::sin(angle);
  return lispPointValue(p);
}

// 3D distance when both points are 3D, otherwise in the XY plane.
LispValue distance(const LispArgs& a) {
  LispPoint p = lispPointArg(a[0]);
  LispPoint q = lispPointArg(a[1]);
  double dz = (p.is3d && q.is3d) ? q.z - p.z : 0.0;
  return LispValue::real(std::sqrt((q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y) + dz * dz));
}

// The angle from the first point to the second in the XY plane, from 0 to 2 pi.
LispValue angle(const LispArgs& a) {
  LispPoint p = lispPointArg(a[0]);
  LispPoint q = lispPointArg(a[1]);
  double result = std::atan2(q.y - p.y, q.x - p.x);
  if (result < 0.0) result += 2.0 * kPi;
  return LispValue::real(result);
}

}  // namespace

void lispDefineGeometryBuiltins(LispInterpreter& in) {
  in.setSymbolValue(L"PI", LispValue::real(kPi));
  in.defineBuiltin(L"polar", 3, 3, [](LispInterpreter&, const LispArgs& a) { return polar(a); });
  in.defineBuiltin(L"distance", 2, 2, [](LispInterpreter&, const LispArgs& a) { return distance(a); });
  in.defineBuiltin(L"angle", 2, 2, [](LispInterpreter&, const LispArgs& a) { return angle(a); });
}
