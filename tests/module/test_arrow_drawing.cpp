// What a flow arrow offers the host beyond what the arrow script shows: its extents,
// snaps of a riser, the redraw a transformation asks for, nothing drawn for hosts
// without the class, the host's drawing of a drawing's arrows, and its LISP functions
// on an arrow open elsewhere.
#include "entity_fixture.h"

namespace {

class ArrowHost : public EntityTest {};

// The box holds both points, unless they meet in plan: then the start alone. A riser
// draws one line, and no hanger lies inside its zero plan length.
TEST_F(ArrowHost, ExtentsAndARiser) {
  AcDbExtents box;
  ASSERT_EQ(arrow({10, 20, 5}, {-4, 30, 1})->getGeomExtents(box), Acad::eOk);
  EXPECT_TRUE(box.minPoint().isEqualTo({-4, 20, 1}) && box.maxPoint().isEqualTo({10, 30, 5}));
  std::unique_ptr<PlumbPipeArrow> riser = arrow({3, 3, 0}, {3, 3, 40}, {1.0, -2.0});
  AcDbExtents single;
  ASSERT_EQ(riser->getGeomExtents(single), Acad::eOk);
  EXPECT_TRUE(single.minPoint().isEqualTo({3, 3, 0}) && single.maxPoint().isEqualTo({3, 3, 0}));
  riser->setReversed(true);
  EXPECT_EQ(draw(*riser).size(), 1u);
  AcGePoint3dArray points;
  AcDbIntArray ids;
  EXPECT_EQ(riser->getOsnapPoints(AcDb::kOsModeEnd, 0, {}, {}, AcGeMatrix3d(), points, ids), Acad::eOk);
  EXPECT_TRUE(points.isEmpty());
}

// A transformed arrow must be redrawn; it cannot be exploded, and a drawing saved for
// a host without the class shows nothing of it while the normal drawing is unchanged.
TEST_F(ArrowHost, TransformsAskForARedrawAndNothingIsDrawnForOthers) {
  std::unique_ptr<PlumbPipeArrow> a = arrow({0, 0, 0}, {50, 0, 0}, {10.0});
  const int marked = a->graphicsModifiedCount();
  ASSERT_EQ(a->transformBy(AcGeMatrix3d::translation({5, 5, 1})), Acad::eOk);
  EXPECT_GT(a->graphicsModifiedCount(), marked);
  AcDbVoidPtrArray pieces;
  EXPECT_EQ(a->explode(pieces), Acad::eNotApplicable);
  EXPECT_TRUE(pieces.isEmpty());
  AcGiRecordingWorldDraw wd(kAcGiSaveWorldDrawForProxy);
  a->saveAs(&wd, AcDb::kR14Save);
  EXPECT_TRUE(wd.primitives().empty());
  EXPECT_EQ(draw(*a).size(), 3u);
}

// In a drawing, the host draws the arrow on its layer like any entity.
TEST_F(ArrowHost, TheHostDrawsAnArrowOfTheDrawingOnItsLayer) {
  add(arrow({0, 0, 0}, {50, 0, 0}, {-10.0}).release());
  AcGiRecordingWorldDraw wd;
  int skipped = 0;
  ASSERT_EQ(recordModelSpace(&db_, wd, &skipped), Acad::eOk);
  EXPECT_EQ(skipped, 0);
  ASSERT_EQ(wd.primitives().size(), 4u);
  for (const GiPrimitive& p : wd.primitives()) EXPECT_EQ(p.traits.layerId, db_.layerZero());
}

// The settings need the arrow for write: open elsewhere it answers nil quietly and is
// left alone. The hanger list only reads, also while others read the arrow.
TEST_F(ArrowHost, TheLispFunctionsOnAnArrowOpenElsewhere) {
  const AcDbObjectId id = idOf("(setq a (ov_plumb-insertPipeArrow '(0 0 0) '(100 0 0) 0 0 nil))");
  EXPECT_EQ(eval("(ov_plumb-setPipeArrowInfo a (list \"HANGERDIST\" -24 12.5))"), L"T");
  PlumbPipeArrow* held = nullptr;
  ASSERT_EQ(acdbOpenObject(held, id, AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(eval("(ov_plumb-setPipeArrowInfo a (list \"ixPipe\" 1))"), L"nil");
  held->close();
  ASSERT_EQ(acdbOpenObject(held, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(held->pipeId(), 0);
  EXPECT_EQ(eval("(ov_plumb-pipe-getHangerList a)"), L"((\"d\" . -24.0) (\"d\" . 12.5))");
  held->close();
  EXPECT_EQ(output_, L"");
}

}  // namespace
