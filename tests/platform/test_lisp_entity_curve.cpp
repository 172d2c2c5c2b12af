// The vlax-curve functions over the plain curves and a plug-in's curve, and their
// errors for values off the curve, entities that are no curves and bad arguments.
#include <gtest/gtest.h>

#include "test_lisp_entity_fixture.h"

namespace {

class LispCurve : public LispEntityFixture {
 protected:
  void SetUp() override {
    add(L"ln", new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 0)));
    add(L"arc", new AcDbArc(AcGePoint3d(0, 0, 0), 2.0, 0.0, M_PI / 2));
    AcGePoint3dArray vertices;
    vertices.append(AcGePoint3d(0, 0, 0)).append(AcGePoint3d(10, 0, 0)).append(AcGePoint3d(10, 5, 0));
    add(L"pl", new AcDb2dPolyline(AcDb::k2dSimplePoly, vertices));
    add(L"pipe", new LispTestPipe(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 0), 50));
  }
};

TEST_F(LispCurve, ALineIsParameterisedByDistance) {
  EXPECT_EQ(eval("(vlax-curve-getStartParam ln)"), L"0.0");
  EXPECT_EQ(eval("(vlax-curve-getEndParam ln)"), L"5.0");
  EXPECT_EQ(eval("(vlax-curve-getStartPoint ln)"), L"(0.0 0.0 0.0)");
  EXPECT_EQ(eval("(vlax-curve-getEndPoint ln)"), L"(3.0 4.0 0.0)");
  EXPECT_EQ(eval("(vlax-curve-getPointAtParam ln 2.5)"), L"(1.5 2.0 0.0)");
  EXPECT_EQ(eval("(vlax-curve-getParamAtPoint ln '(1.5 2.0))"), L"2.5");
  EXPECT_EQ(eval("(vlax-curve-getDistAtParam ln 2)"), L"2.0");
  EXPECT_EQ(eval("(vlax-curve-getParamAtDist ln 1)"), L"1.0");
  EXPECT_EQ(eval("(vlax-curve-getDistAtPoint ln '(3 4 0))"), L"5.0");
  EXPECT_EQ(eval("(vlax-curve-getPointAtDist ln 5)"), L"(3.0 4.0 0.0)");
  EXPECT_EQ(eval("(vlax-curve-getFirstDeriv ln 1)"), L"(0.6 0.8 0.0)");
  EXPECT_EQ(eval("(vlax-curve-isClosed ln)"), L"nil");
}

TEST_F(LispCurve, ClosestPointsStopAtTheEndsUnlessExtended) {
  EXPECT_EQ(eval("(vlax-curve-getClosestPointTo ln '(1 5))"), L"(2.76 3.68 0.0)");
  EXPECT_EQ(eval("(vlax-curve-getClosestPointTo ln '(6 10))"), L"(3.0 4.0 0.0)");
  EXPECT_EQ(eval("(vlax-curve-getClosestPointTo ln '(6 10) T)"), L"(6.96 9.28 0.0)");
}

TEST_F(LispCurve, AnArcByAngleAndAPolylineByVertexIndex) {
  EXPECT_EQ(eval("(vlax-curve-getEndParam arc)"), L"1.5708");
  EXPECT_EQ(eval("(equal (vlax-curve-getDistAtParam arc (/ pi 2)) pi 1e-12)"), L"T");
  EXPECT_EQ(eval("(vlax-curve-getPointAtParam arc (/ pi 4))"), L"(1.41421 1.41421 0.0)");
  EXPECT_EQ(eval("(equal (vlax-curve-getParamAtDist arc pi) (/ pi 2) 1e-12)"), L"T");
  EXPECT_EQ(eval("(equal (vlax-curve-getEndPoint arc) '(0.0 2.0 0.0) 1e-12)"), L"T");

  EXPECT_EQ(eval("(vlax-curve-getEndParam pl)"), L"2.0");
  EXPECT_EQ(eval("(vlax-curve-getPointAtParam pl 1.5)"), L"(10.0 2.5 0.0)");
  EXPECT_EQ(eval("(vlax-curve-getDistAtParam pl 1.5)"), L"12.5");
  EXPECT_EQ(eval("(vlax-curve-getParamAtDist pl 12.5)"), L"1.5");
  EXPECT_EQ(eval("(vlax-curve-getParamAtPoint pl '(5 0 0))"), L"0.5");
}

// The plug-in's parameter runs at twice the distance: every answer comes from its own
// functions, the range in the messages too.
TEST_F(LispCurve, APluginCurveAnswersThroughItsOwnFunctions) {
  EXPECT_EQ(eval("(vlax-curve-getEndParam pipe)"), L"10.0");
  EXPECT_EQ(eval("(vlax-curve-getPointAtParam pipe 5)"), L"(1.5 2.0 0.0)");
  EXPECT_EQ(eval("(vlax-curve-getDistAtParam pipe 5)"), L"2.5");
  EXPECT_EQ(eval("(vlax-curve-getParamAtDist pipe 2.5)"), L"5.0");
  EXPECT_EQ(eval("(vlax-curve-getParamAtPoint pipe '(3 4 0))"), L"10.0");
  EXPECT_EQ(eval("(vlax-curve-getPointAtParam pipe 11)"),
            L"; error: vlax-curve-getPointAtParam: parameter 11.0 is outside the curve (0.0 to 10.0)");
  // What it does not answer is the host's default for curves.
  EXPECT_EQ(eval("(vlax-curve-getClosestPointTo pipe '(0 0))"),
            L"; error: vlax-curve-getClosestPointTo: the curve cannot answer (eNotImplementedYet)");
}

TEST_F(LispCurve, ValuesOffTheCurveAreErrorsNamingTheRange) {
  EXPECT_EQ(eval("(vlax-curve-getPointAtParam ln 7)"),
            L"; error: vlax-curve-getPointAtParam: parameter 7.0 is outside the curve (0.0 to 5.0)");
  EXPECT_EQ(eval("(vlax-curve-getDistAtParam pl -0.5)"),
            L"; error: vlax-curve-getDistAtParam: parameter -0.5 is outside the curve (0.0 to 2.0)");
  EXPECT_EQ(eval("(vlax-curve-getPointAtDist ln -1)"),
            L"; error: vlax-curve-getPointAtDist: distance -1.0 is outside the curve (0.0 to 5.0)");
  EXPECT_EQ(eval("(vlax-curve-getParamAtDist arc 4)"),
            L"; error: vlax-curve-getParamAtDist: distance 4.0 is outside the curve (0.0 to 3.14159)");
  EXPECT_EQ(eval("(vlax-curve-getParamAtPoint ln '(1 1 0))"),
            L"; error: vlax-curve-getParamAtPoint: the point (1 1 0) is not on the curve");
  EXPECT_EQ(eval("(vlax-curve-getDistAtPoint pipe '(1 1))"),
            L"; error: vlax-curve-getDistAtPoint: the point (1 1) is not on the curve");
}

TEST_F(LispCurve, OnlyCurvesOfThisDrawingAreAsked) {
  auto* text = new AcDbMText();
  text->setContents(L"x");
  add(L"txt", text);
  EXPECT_EQ(eval("(vlax-curve-getStartParam txt)"), L"; error: vlax-curve-getStartParam: not a curve (AcDbMText)");
  add(L"empty", new AcDb2dPolyline());
  EXPECT_EQ(eval("(vlax-curve-getEndPoint empty)"),
            L"; error: vlax-curve-getEndPoint: the curve cannot answer (eNotApplicable)");
  eval("(entdel ln)");
  EXPECT_EQ(eval("(vlax-curve-getEndParam ln)"), L"; error: vlax-curve-getEndParam: the entity was erased");
  EXPECT_EQ(eval("(vlax-curve-getStartParam 5)"), L"; error: bad argument type: lentityp 5");
  EXPECT_EQ(eval("(vlax-curve-getPointAtParam arc)"), L"; error: too few arguments");
  EXPECT_EQ(eval("(vlax-curve-getStartParam arc 1)"), L"; error: too many arguments");
  EXPECT_EQ(eval("(vlax-curve-getPointAtParam arc \"a\")"), L"; error: bad argument type: numberp: \"a\"");
  EXPECT_EQ(eval("(vlax-curve-getDistAtPoint arc '(1 \"a\"))"),
            L"; error: bad argument type: 2D/3D point: (1 \"a\")");
}

}  // namespace
