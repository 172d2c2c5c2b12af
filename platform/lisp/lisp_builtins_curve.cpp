// The vlax-curve functions: parameters, points and distances of any curve entity,
// asked through the curve's own virtual functions so that a plug-in's curve answers
// as well as the host's.
#include <string>

#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_entity_support.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_printer.h"

namespace {

// One call: the function's name for messages, the curve open for read, and the
// arguments after the curve.
struct CurveCall {
  const std::wstring& name;
  const AcDbCurve* curve;
  const LispArgs& args;
};

std::wstring real(double v) { return lispFormatReal(v); }

// " (START to END)" when the curve can tell its parameters.
std::wstring paramRange(const AcDbCurve* curve) {
  double start = 0.0, end = 0.0;
  if (curve->getStartParam(start) != Acad::eOk || curve->getEndParam(end) != Acad::eOk) return L"";
  return L" (" + real(start) + L" to " + real(end) + L")";
}

// " (0.0 to LENGTH)" when the curve can tell its length.
std::wstring distRange(const AcDbCurve* curve) {
  double end = 0.0, length = 0.0;
  if (curve->getEndParam(end) != Acad::eOk || curve->getDistAtParam(end, length) != Acad::eOk) return L"";
  return L" (0.0 to " + real(length) + L")";
}

// A failed query: eInvalidInput is a value off the curve, described by offCurve;
// anything else is the curve not answering at all.
template <typename OffCurve>
void check(const CurveCall& c, Acad::ErrorStatus es, OffCurve&& offCurve) {
  if (es == Acad::eOk) return;
  if (es == Acad::eInvalidInput) throw LispError(c.name + L": " + offCurve());
  lispStatusError(c.name, L"the curve cannot answer", es);
}

void check(const CurveCall& c, Acad::ErrorStatus es) {
  check(c, es, [] { return std::wstring(L"the curve cannot answer (eInvalidInput)"); });
}

double paramArg(const CurveCall& c) { return lispNumberArg(c.args[0]); }

std::wstring outsideParams(const CurveCall& c) {
  return L"parameter " + real(paramArg(c)) + L" is outside the curve" + paramRange(c.curve);
}
std::wstring outsideDists(const CurveCall& c) {
  return L"distance " + real(paramArg(c)) + L" is outside the curve" + distRange(c.curve);
}
std::wstring notOnCurve(const CurveCall& c) { return L"the point " + lispToString(c.args[0]) + L" is not on the curve"; }

LispValue startParam(const CurveCall& c) {
  double v = 0.0;
  check(c, c.curve->getStartParam(v));
  return LispValue::real(v);
}

LispValue endParam(const CurveCall& c) {
  double v = 0.0;
  check(c, c.curve->getEndParam(v));
  return LispValue::real(v);
}

LispValue startPoint(const CurveCall& c) {
  AcGePoint3d p;
  check(c, c.curve->getStartPoint(p));
  return lispPoint3d(p);
}

LispValue endPoint(const CurveCall& c) {
  AcGePoint3d p;
  check(c, c.curve->getEndPoint(p));
  return lispPoint3d(p);
}

LispValue pointAtParam(const CurveCall& c) {
  AcGePoint3d p;
  check(c, c.curve->getPointAtParam(paramArg(c), p), [&] { return outsideParams(c); });
  return lispPoint3d(p);
}

LispValue paramAtPoint(const CurveCall& c) {
  double v = 0.0;
  check(c, c.curve->getParamAtPoint(lispPoint3dArg(c.args[0]), v), [&] { return notOnCurve(c); });
  return LispValue::real(v);
}

LispValue distAtParam(const CurveCall& c) {
  double v = 0.0;
  check(c, c.curve->getDistAtParam(paramArg(c), v), [&] { return outsideParams(c); });
  return LispValue::real(v);
}

LispValue paramAtDist(const CurveCall& c) {
  double v = 0.0;
  check(c, c.curve->getParamAtDist(paramArg(c), v), [&] { return outsideDists(c); });
  return LispValue::real(v);
}

LispValue distAtPoint(const CurveCall& c) {
  double v = 0.0;
  check(c, c.curve->getDistAtPoint(lispPoint3dArg(c.args[0]), v), [&] { return notOnCurve(c); });
  return LispValue::real(v);
}

LispValue pointAtDist(const CurveCall& c) {
  AcGePoint3d p;
  check(c, c.curve->getPointAtDist(paramArg(c), p), [&] { return outsideDists(c); });
  return lispPoint3d(p);
}

// With a third argument that is not nil, an open curve continues beyond its ends.
LispValue closestPointTo(const CurveCall& c) {
  AcGePoint3d p;
  bool extend = c.args.size() > 1 && !c.args[1].isNil();
  check(c, c.curve->getClosestPointTo(lispPoint3dArg(c.args[0]), p, extend));
  return lispPoint3d(p);
}

LispValue firstDeriv(const CurveCall& c) {
  AcGeVector3d v;
  check(c, c.curve->getFirstDeriv(paramArg(c), v), [&] { return outsideParams(c); });
  return lispVector3d(v);
}

LispValue isClosed(const CurveCall& c) { return c.curve->isClosed() ? LispValue::t() : LispValue(); }

struct CurveFunction {
  const wchar_t* name;
  int minArgs;  // after the curve
  int maxArgs;
  LispValue (*answer)(const CurveCall&);
};

const CurveFunction kCurveFunctions[] = {
    {L"vlax-curve-getStartParam", 0, 0, &startParam},
    {L"vlax-curve-getEndParam", 0, 0, &endParam},
    {L"vlax-curve-getStartPoint", 0, 0, &startPoint},
    {L"vlax-curve-getEndPoint", 0, 0, &endPoint},
    {L"vlax-curve-getPointAtParam", 1, 1, &pointAtParam},
    {L"vlax-curve-getParamAtPoint", 1, 1, &paramAtPoint},
    {L"vlax-curve-getDistAtParam", 1, 1, &distAtParam},
    {L"vlax-curve-getParamAtDist", 1, 1, &paramAtDist},
    {L"vlax-curve-getDistAtPoint", 1, 1, &distAtPoint},
    {L"vlax-curve-getPointAtDist", 1, 1, &pointAtDist},
    {L"vlax-curve-getClosestPointTo", 1, 2, &closestPointTo},
    {L"vlax-curve-getFirstDeriv", 1, 1, &firstDeriv},
    {L"vlax-curve-isClosed", 0, 0, &isClosed},
};

}  // namespace

void lispDefineCurveBuiltins(LispInterpreter& in) {
  for (const CurveFunction& f : kCurveFunctions) {
    std::wstring name = f.name;
    in.defineBuiltin(name, 1 + f.minArgs, 1 + f.maxArgs, [name, answer = f.answer](LispInterpreter&, const LispArgs& a) {
      AcDbObjectId id = lispObjectArg(a[0]);
      LispOpenedObject opened(name, id, AcDb::kForRead);
      LispArgs rest(a.begin() + 1, a.end());
      return answer(CurveCall{name, opened.curve(), rest});
    });
  }
}
