// The entity host services: listing, drawing as LISP data, the editing commands with
// their undo groups, grips and stretch points, object snaps, intersections and
// explode, for plain entities and a plug-in's entity alike.
#include <gtest/gtest.h>

#include "test_lisp_entity_fixture.h"

namespace {

class LispHostEntity : public LispEntityFixture {
 protected:
  void SetUp() override {
    line_ = add(L"ln", new AcDbLine(AcGePoint3d(1, 2, 0), AcGePoint3d(4, 6, 0)));
    pipe_ = add(L"pipe", new LispTestPipe(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 0), 50));
  }

  AcGePoint3d lineStart() {
    AcGePoint3d p;
    read<AcDbLine>(line_, [&](AcDbLine* l) { p = l->startPoint(); });
    return p;
  }
  AcGePoint3d lineEnd() {
    AcGePoint3d p;
    read<AcDbLine>(line_, [&](AcDbLine* l) { p = l->endPoint(); });
    return p;
  }
  std::pair<AcGePoint3d, AcGePoint3d> pipeEnds() {
    std::pair<AcGePoint3d, AcGePoint3d> ends;
    read<LispTestPipe>(pipe_, [&](LispTestPipe* p) { ends = {p->start(), p->end()}; });
    return ends;
  }

  AcDbObjectId line_, pipe_;
};

// ---- listing and drawing -------------------------------------------------------------------

TEST_F(LispHostEntity, ListPrintsTheBaseListingThenTheEntitysOwnLines) {
  EXPECT_EQ(runScript("(princ (host-list ln))"), runScript("(host-list ln)") + L"T");
  std::wstring listing = runScript("(host-list ln)");
  size_t base = listing.find(L"AcDbLine  Layer: \"0\"");
  size_t handle = listing.find(L"Handle = " + line_.handle().text() + L"\n");
  size_t own = listing.find(L"from point, X=    1.0000  Y=    2.0000  Z=    0.0000");
  ASSERT_NE(base, std::wstring::npos) << acutWideToUtf8(listing);
  ASSERT_NE(handle, std::wstring::npos);
  ASSERT_NE(own, std::wstring::npos);
  EXPECT_LT(base, handle);
  EXPECT_LT(handle, own);

  listing = runScript("(host-list pipe)");
  EXPECT_LT(listing.find(L"LispTestPipe  Layer: \"0\""), listing.find(L"pipe size 50"));
  EXPECT_NE(listing.find(L"pipe size 50"), std::wstring::npos);
}

TEST_F(LispHostEntity, DrawAnswersEachPrimitiveInItsShape) {
  EXPECT_EQ(eval("(host-draw ln)"), L"((\"POLYLINE\" \"0\" ((1.0 2.0 0.0) (4.0 6.0 0.0))))");
  EXPECT_EQ(eval("(host-draw pipe)"),
            L"((\"POLYLINE\" \"0\" ((0.0 0.0 0.0) (3.0 4.0 0.0))) (\"CIRCLE\" \"0\" (3.0 4.0 0.0) 50.0 (0.0 0.0 1.0)))");

  AcDbLayerTable* layers = nullptr;
  ASSERT_EQ(db_.getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
  auto* pipes = new AcDbLayerTableRecord();
  pipes->setName(L"Pipes");
  ASSERT_EQ(layers->add(pipes), Acad::eOk);
  pipes->close();
  layers->close();
  auto* circle = new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 1.5);
  circle->setLayer(L"Pipes");
  add(L"cir", circle);
  EXPECT_EQ(eval("(host-draw cir)"), L"((\"CIRCLE\" \"Pipes\" (5.0 5.0 0.0) 1.5 (0.0 0.0 1.0)))");

  add(L"arc", new AcDbArc(AcGePoint3d(0, 0, 0), 2.0, 0.0, M_PI / 2));
  EXPECT_EQ(eval("(host-draw arc)"), L"((\"ARC\" \"0\" (0.0 0.0 0.0) 2.0 (0.0 0.0 1.0) (1.0 0.0 0.0) 1.5708))");

  auto* text = new AcDbMText();
  text->setLocation(AcGePoint3d(1, 1, 0));
  text->setTextHeight(2.5);
  text->setContents(L"Hi");
  add(L"txt", text);
  EXPECT_EQ(eval("(host-draw txt)"), L"((\"TEXT\" \"0\" (1.0 1.0 0.0) 2.5 0.0 \"Hi\"))");

  AcGePoint3dArray vertices;
  vertices.append(AcGePoint3d(0, 0, 0)).append(AcGePoint3d(10, 0, 0)).append(AcGePoint3d(10, 5, 0));
  add(L"fit", new AcDb2dPolyline(AcDb::k2dFitCurvePoly, vertices));
  EXPECT_EQ(eval("(host-draw fit)"), L"((\"FITCURVE\" \"0\" ((0.0 0.0 0.0) (10.0 0.0 0.0) (10.0 5.0 0.0))))");
  EXPECT_EQ(eval("(host-draw 1)"), L"; error: bad argument type: lentityp 1");
}

// ---- editing commands -------------------------------------------------------------------------

TEST_F(LispHostEntity, MoveRotateScaleAndMirrorEachTransformTheEntityAsOneUndoGroup) {
  EXPECT_EQ(eval("(eq (host-move ln 1 2 3) ln)"), L"T");
  EXPECT_EQ(lineStart(), AcGePoint3d(2, 4, 3));
  ASSERT_EQ(db_.undoGroup(), Acad::eOk);
  EXPECT_EQ(lineStart(), AcGePoint3d(1, 2, 0));

  eval("(host-rotate ln '(0 0) (/ pi 2))");
  EXPECT_EQ(lineStart(), AcGePoint3d(-2, 1, 0));
  ASSERT_EQ(db_.undoGroup(), Acad::eOk);

  eval("(host-scale ln '(1 2) 2)");
  EXPECT_EQ(lineStart(), AcGePoint3d(1, 2, 0));
  EXPECT_EQ(lineEnd(), AcGePoint3d(7, 10, 0));
  ASSERT_EQ(db_.undoGroup(), Acad::eOk);

  eval("(host-mirror ln '(0 0) '(0 1))");
  EXPECT_EQ(lineStart(), AcGePoint3d(-1, 2, 0));
  EXPECT_EQ(lineEnd(), AcGePoint3d(-4, 6, 0));
  ASSERT_EQ(db_.undoGroup(), Acad::eOk);
  EXPECT_EQ(lineEnd(), AcGePoint3d(4, 6, 0));

  // The plug-in's entity is moved through its own transformBy.
  eval("(host-move pipe 1 1 0)");
  EXPECT_EQ(pipeEnds().second, AcGePoint3d(4, 5, 0));
}

TEST_F(LispHostEntity, EditingCommandsRefuseBadArgumentsAndChangeNothing) {
  EXPECT_EQ(eval("(host-scale ln '(0 0) 0)"), L"; error: bad argument value: scale factor 0");
  EXPECT_EQ(eval("(host-scale ln '(0 0) -2.0)"), L"; error: bad argument value: scale factor -2.0");
  EXPECT_EQ(eval("(host-mirror ln '(1 1) '(1 1 5))"), L"; error: host-mirror: the mirror line's points coincide in plan");
  EXPECT_EQ(eval("(host-move ln 1 2)"), L"; error: too few arguments");
  EXPECT_EQ(eval("(host-move ln 1 2 \"3\")"), L"; error: bad argument type: numberp: \"3\"");
  EXPECT_EQ(eval("(host-rotate ln '(0) 1)"), L"; error: bad argument type: 2D/3D point: (0)");
  EXPECT_EQ(lineStart(), AcGePoint3d(1, 2, 0));
  EXPECT_EQ(lineEnd(), AcGePoint3d(4, 6, 0));
  eval("(entdel ln)");
  EXPECT_EQ(eval("(host-move ln 1 1 1)"), L"; error: host-move: the entity was erased");
  lisp_.setSymbolValue(L"layer", LispValue::ename(db_.layerZero()));
  EXPECT_EQ(eval("(host-move layer 1 1 1)"), L"; error: host-move: not an entity (AcDbLayerTableRecord)");
}

TEST_F(LispHostEntity, GripsAndStretchPointsAreTheEntitysOwnAndMoveByIndex) {
  // A plain line has the host's default grips: its ends; any of them moves it whole.
  EXPECT_EQ(eval("(host-grips ln)"), L"((1.0 2.0 0.0) (4.0 6.0 0.0))");
  EXPECT_EQ(eval("(eq (host-move-grips ln '(1) '(1 1)) ln)"), L"T");
  EXPECT_EQ(lineStart(), AcGePoint3d(2, 3, 0));

  EXPECT_EQ(eval("(host-grips pipe)"), L"((1.5 2.0 0.0) (0.0 0.0 0.0) (3.0 4.0 0.0))");
  eval("(host-move-grips pipe '(2) '(1 0 0))");
  EXPECT_EQ(pipeEnds().first, AcGePoint3d(0, 0, 0));
  EXPECT_EQ(pipeEnds().second, AcGePoint3d(4, 4, 0));
  ASSERT_EQ(db_.undoGroup(), Acad::eOk);
  EXPECT_EQ(pipeEnds().second, AcGePoint3d(3, 4, 0));

  EXPECT_EQ(eval("(host-stretch-points pipe)"), L"((0.0 0.0 0.0) (3.0 4.0 0.0))");
  eval("(host-move-stretch pipe '(1) '(0 1))");
  EXPECT_EQ(pipeEnds().second, AcGePoint3d(3, 5, 0));
  EXPECT_EQ(eval("(host-stretch-points ln)"), L"((2.0 3.0 0.0) (5.0 7.0 0.0))");
}

TEST_F(LispHostEntity, GripIndicesMustNameGripsTheEntityHas) {
  EXPECT_EQ(eval("(host-move-grips pipe '(3) '(1 0 0))"),
            L"; error: host-move-grips: grip index 3 is out of range (0 to 2)");
  EXPECT_EQ(eval("(host-move-stretch pipe '(0 -1) '(1 0 0))"),
            L"; error: host-move-stretch: stretch point index -1 is out of range (0 to 1)");
  EXPECT_EQ(eval("(host-move-grips pipe '(\"a\") '(1 0 0))"), L"; error: bad argument type: fixnump: \"a\"");
  EXPECT_EQ(eval("(host-move-grips pipe 0 '(1 0 0))"), L"; error: bad argument type: listp 0");
  EXPECT_EQ(eval("(host-move-grips pipe '(0) 1)"), L"; error: bad argument type: 2D/3D point: 1");
  EXPECT_EQ(pipeEnds().second, AcGePoint3d(3, 4, 0));

  auto* text = new AcDbMText();
  text->setContents(L"x");
  add(L"txt", text);
  EXPECT_EQ(eval("(host-grips txt)"), L"nil");
  EXPECT_EQ(eval("(host-move-grips txt '(0) '(1 1))"),
            L"; error: host-move-grips: grip index 0 is out of range (the entity has none)");
}

// ---- snaps and intersections -----------------------------------------------------------------

TEST_F(LispHostEntity, OsnapMapsModeNamesAndAnswersTheEntitysPoints) {
  EXPECT_EQ(eval("(host-osnap ln \"end\" '(0 0) '(0 0))"), L"((1.0 2.0 0.0) (4.0 6.0 0.0))");
  EXPECT_EQ(eval("(host-osnap ln 1 '(0 0) '(0 0))"), L"((1.0 2.0 0.0) (4.0 6.0 0.0))");
  EXPECT_EQ(eval("(host-osnap ln \"MIDpoint\" '(0 0) '(0 0))"), L"((2.5 4.0 0.0))");
  EXPECT_EQ(eval("(host-osnap ln \"nea\" '(4 2) '(0 0))"), L"((2.08 3.44 0.0))");
  EXPECT_EQ(eval("(host-osnap ln \"per\" '(0 0) '(4 2))"), L"((2.08 3.44 0.0))");
  EXPECT_EQ(eval("(host-osnap ln \"cen\" '(0 0) '(0 0))"), L"nil");

  add(L"cir", new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 1.0));
  EXPECT_EQ(eval("(host-osnap cir \"center\" '(0 0) '(0 0))"), L"((5.0 5.0 0.0))");
  EXPECT_EQ(eval("(length (host-osnap cir \"qua\" '(0 0) '(0 0)))"), L"4");
  auto* text = new AcDbMText();
  text->setLocation(AcGePoint3d(7, 8, 0));
  add(L"txt", text);
  EXPECT_EQ(eval("(host-osnap txt \"ins\" '(0 0) '(0 0))"), L"((7.0 8.0 0.0))");

  EXPECT_EQ(eval("(host-osnap pipe \"mid\" '(0 0) '(0 0))"), L"((1.5 2.0 0.0))");
  EXPECT_EQ(eval("(host-osnap pipe \"int\" '(0 0) '(0 0))"), L"nil");
}

TEST_F(LispHostEntity, OsnapRefusesUnknownModes) {
  EXPECT_EQ(eval("(host-osnap ln \"xx\" '(0 0) '(0 0))"), L"; error: bad argument value: snap mode \"xx\"");
  EXPECT_EQ(eval("(host-osnap ln \"en\" '(0 0) '(0 0))"), L"; error: bad argument value: snap mode \"en\"");
  EXPECT_EQ(eval("(host-osnap ln 11 '(0 0) '(0 0))"), L"; error: bad argument value: snap mode 11");
  EXPECT_EQ(eval("(host-osnap ln 'end '(0 0) '(0 0))"), L"; error: bad argument type: stringp END");
  EXPECT_EQ(eval("(host-osnap ln \"end\" '(0 0))"), L"; error: too few arguments");
}

TEST_F(LispHostEntity, IntersectAnswersMeetingPointsWithEachExtendMode) {
  add(L"l1", new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)));
  add(L"l2", new AcDbLine(AcGePoint3d(5, -5, 0), AcGePoint3d(5, 5, 0)));
  add(L"l3", new AcDbLine(AcGePoint3d(12, -1, 0), AcGePoint3d(12, 1, 0)));
  add(L"p2", new LispTestPipe(AcGePoint3d(2, -2, 0), AcGePoint3d(2, 2, 0), 20));
  EXPECT_EQ(eval("(host-intersect l1 l2)"), L"((5.0 0.0 0.0))");
  EXPECT_EQ(eval("(host-intersect l1 l3)"), L"nil");
  EXPECT_EQ(eval("(host-intersect l1 l3 \"this\")"), L"((12.0 0.0 0.0))");
  EXPECT_EQ(eval("(host-intersect l1 l3 1)"), L"((12.0 0.0 0.0))");
  EXPECT_EQ(eval("(host-intersect l1 l3 \"kExtendArg\")"), L"nil");
  EXPECT_EQ(eval("(host-intersect l3 l1 \"arg\")"), L"((12.0 0.0 0.0))");
  EXPECT_EQ(eval("(host-intersect l1 l3 \"BOTH\")"), L"((12.0 0.0 0.0))");
  EXPECT_EQ(eval("(host-intersect l1 l3 nil)"), L"nil");
  // The plug-in's entity answers through its own intersectWith, in either role.
  EXPECT_EQ(eval("(host-intersect p2 l1)"), L"((2.0 0.0 0.0))");
  EXPECT_EQ(eval("(host-intersect l1 p2)"), L"((2.0 0.0 0.0))");
  EXPECT_EQ(eval("(host-intersect l1 l2 \"sideways\")"), L"; error: bad argument value: extend mode \"sideways\"");
  EXPECT_EQ(eval("(host-intersect l1 l2 4)"), L"; error: bad argument value: extend mode 4");
  EXPECT_EQ(eval("(host-intersect l1)"), L"; error: too few arguments");
}

// ---- explode ----------------------------------------------------------------------------------

TEST_F(LispHostEntity, ExplodeAppendsThePiecesAndKeepsTheEntity) {
  AcGePoint3dArray vertices;
  vertices.append(AcGePoint3d(0, 0, 0)).append(AcGePoint3d(10, 0, 0)).append(AcGePoint3d(10, 5, 0));
  AcDbObjectId pl = add(L"pl", new AcDb2dPolyline(AcDb::k2dSimplePoly, vertices));
  ASSERT_EQ(modelSpaceCount(), 3);
  EXPECT_EQ(eval("(setq pieces (host-explode pl))  (mapcar '(lambda (e) (cdr (assoc 0 (entget e)))) pieces)"),
            L"(\"LINE\" \"LINE\")");
  EXPECT_EQ(eval("(eq (entlast) (cadr pieces))"), L"T");
  EXPECT_EQ(eval("(cdr (assoc 11 (entget (car pieces))))"), L"(10.0 0.0 0.0)");
  EXPECT_EQ(modelSpaceCount(), 5);
  EXPECT_FALSE(pl.isErased());
  ASSERT_EQ(db_.undoGroup(), Acad::eOk);
  EXPECT_EQ(modelSpaceCount(), 3);

  EXPECT_EQ(eval("(mapcar '(lambda (e) (cdr (assoc 0 (entget e)))) (host-explode pipe))"), L"(\"LINE\")");
  // A line cannot be exploded: it is left alone.
  EXPECT_EQ(eval("(host-explode ln)"), L"nil");
  EXPECT_EQ(modelSpaceCount(), 4);
}

}  // namespace
