// Undo over a long run of changes made outside any command, each its own group: the
// history keeps the newest groups, and the room of dropped ones is used again without
// mixing one object's recorded state into another's.
#include <gtest/gtest.h>

#include "arx/db_database.h"
#include "arx/db_entities.h"

namespace {

AcDbObjectId addToModelSpace(AcDbDatabase& db, AcDbEntity* ent) {
  AcDbBlockTableRecord* ms = nullptr;
  EXPECT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  AcDbObjectId id;
  EXPECT_EQ(ms->appendAcDbEntity(id, ent), Acad::eOk);
  ms->close();
  ent->close();
  return id;
}

// Change number i: odd ones move the line's start, even ones resize the circle.
void change(const AcDbObjectId& line, const AcDbObjectId& circle, int i) {
  if (i % 2 == 1) {
    AcDbLine* l = nullptr;
    ASSERT_EQ(acdbOpenObject(l, line, AcDb::kForWrite), Acad::eOk);
    l->setStartPoint(AcGePoint3d(i, -i, 0.5 * i));
    l->close();
  } else {
    AcDbCircle* c = nullptr;
    ASSERT_EQ(acdbOpenObject(c, circle, AcDb::kForWrite), Acad::eOk);
    c->setRadius(1000.0 + i);
    c->close();
  }
}

AcGePoint3d startOf(const AcDbObjectId& line) {
  AcDbLine* l = nullptr;
  EXPECT_EQ(acdbOpenObject(l, line, AcDb::kForRead), Acad::eOk);
  const AcGePoint3d p = l->startPoint();
  l->close();
  return p;
}

double radiusOf(const AcDbObjectId& circle) {
  AcDbCircle* c = nullptr;
  EXPECT_EQ(acdbOpenObject(c, circle, AcDb::kForRead), Acad::eOk);
  const double r = c->radius();
  c->close();
  return r;
}

TEST(UndoHistory, ManyChangesAtThePromptUndoOneByOneToTheOldestKept) {
  AcDbDatabase db;
  const AcDbObjectId line = addToModelSpace(db, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 1)));
  const AcDbObjectId circle = addToModelSpace(db, new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d(0, 0, 1), 2.0));
  constexpr int kChanges = 450;
  for (int i = 1; i <= kChanges; ++i) change(line, circle, i);
  EXPECT_EQ(db.undoGroupCount(), 200);

  // Undoing change i puts back what the object had after the change before it of
  // the same object.
  for (int i = kChanges; i > kChanges - 200; --i) {
    ASSERT_EQ(db.undoGroup(), Acad::eOk) << i;
    if (i % 2 == 1) {
      EXPECT_EQ(startOf(line), AcGePoint3d(i - 2, 2 - i, 0.5 * (i - 2))) << i;
    } else {
      EXPECT_EQ(radiusOf(circle), 1000.0 + (i - 2)) << i;
    }
  }
  EXPECT_EQ(db.undoGroup(), Acad::eNothingToUndo);
  ASSERT_EQ(db.redoGroup(), Acad::eOk);
  EXPECT_EQ(startOf(line), AcGePoint3d(kChanges - 199, 199 - kChanges, 0.5 * (kChanges - 199)));
}

}  // namespace
