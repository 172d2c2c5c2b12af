// The drawing database: opening and closing objects, erasing, symbol tables, extended
// data, undo and redo (a long history included), copying, the class registry and
// result-buffer lists.
#include <gtest/gtest.h>

#include <cwchar>
#include <memory>

#include "../fuzz/sample_drawing.h"
#include "arx/db_database.h"
#include "arx/db_entities.h"
#include "arx/dwg_filer_mem.h"

namespace {

std::vector<AcDbObjectId> modelSpaceEntities(AcDbDatabase& db) {
  AcDbBlockTableRecord* ms = nullptr;
  EXPECT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
  std::vector<AcDbObjectId> ids = ms->entityIds();
  ms->close();
  return ids;
}

AcGePoint3d lineStart(const AcDbObjectId& id) {
  AcDbLine* line = nullptr;
  EXPECT_EQ(acdbOpenObject(line, id, AcDb::kForRead), Acad::eOk);
  AcGePoint3d p = line->startPoint();
  line->close();
  return p;
}

void setLineStart(const AcDbObjectId& id, const AcGePoint3d& p) {
  AcDbLine* line = nullptr;
  ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
  line->setStartPoint(p);
  line->close();
}

TEST(ObjectLifeCycle, OpenModesWrongClassesAndNullIdsAnswerStatuses) {
  AcDbDatabase db;
  AcDbObjectId id = appendToModelSpace(db, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
  AcDbLine* r1 = nullptr;
  AcDbLine* r2 = nullptr;
  ASSERT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eOk);
  ASSERT_EQ(acdbOpenObject(r2, id, AcDb::kForRead), Acad::eOk);  // readers share
  AcDbLine* w = nullptr;
  EXPECT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eWasOpenForRead);
  EXPECT_EQ(w, nullptr);
  EXPECT_EQ(r1->setStartPoint(AcGePoint3d(5, 5, 5)), Acad::eWasNotOpenForWrite);
  EXPECT_EQ(r1->startPoint(), AcGePoint3d(0, 0, 0));
  r1->close();
  EXPECT_EQ(r2->upgradeOpen(), Acad::eOk);  // the only reader may upgrade
  EXPECT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eWasOpenForWrite);
  EXPECT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eWasOpenForWrite);
  r2->close();
  EXPECT_THROW(r2->startPoint(), AcDbOpenStateError);
  EXPECT_EQ(r2->close(), Acad::eNotOpenForRead);

  AcDbCircle* circle = nullptr;
  EXPECT_EQ(acdbOpenObject(circle, id, AcDb::kForRead), Acad::eNotThatKindOfClass);
  EXPECT_EQ(circle, nullptr);
  // The failed open left nothing open behind it.
  ASSERT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eOk);
  w->close();
  AcDbObject* obj = nullptr;
  EXPECT_EQ(acdbOpenObject(obj, AcDbObjectId(), AcDb::kForRead), Acad::eNullObjectId);
}

TEST(ObjectLifeCycle, ErasedObjectsOpenOnlyWhenAskedAndUnerase) {
  AcDbDatabase db;
  AcDbObjectId keep = appendToModelSpace(db, new AcDbLine());
  AcDbObjectId id = appendToModelSpace(db, new AcDbLine());
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(obj->erase(), Acad::eOk);
  EXPECT_EQ(obj->erase(), Acad::eWasErased);
  obj->close();
  EXPECT_TRUE(id.isErased());
  EXPECT_EQ(acdbOpenObject(obj, id, AcDb::kForRead), Acad::eWasErased);
  EXPECT_EQ(modelSpaceEntities(db), std::vector<AcDbObjectId>{keep});
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite, true), Acad::eOk);
  EXPECT_EQ(obj->erase(false), Acad::eOk);
  obj->close();
  EXPECT_EQ(modelSpaceEntities(db).size(), 2u);
}

// An entity joins one database once, takes its current layer and linetype, and cannot
// refer to another drawing's records.
TEST(ObjectLifeCycle, AppendRefusesObjectsAlreadyInADatabaseOrOfAnotherDrawing) {
  AcDbDatabase db, other;
  auto* line = new AcDbLine();
  AcDbObjectId id = appendToModelSpace(db, line);
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(ms->appendAcDbEntity(line), Acad::eAlreadyInDb);
  auto foreign = std::make_unique<AcDbLine>();
  foreign->setLayer(other.layerZero());
  EXPECT_EQ(ms->appendAcDbEntity(foreign.get()), Acad::eWrongDatabase);
  ms->close();
  AcDbEntity* ent = nullptr;
  ASSERT_EQ(acdbOpenObject(ent, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(ent->layerId(), db.layerZero());
  EXPECT_EQ(ent->linetypeId(), db.byLayerLinetype());
  ent->close();
}

// A new drawing has its standard records (found without regard to case) and nothing
// to undo; records are added, found, renamed and listed, bad names refused; linetypes
// load from the library once.
TEST(SymbolTables, StandardRecordsAddLookUpRefuseAndLoad) {
  AcDbDatabase db;
  EXPECT_EQ(db.clayer(), db.layerZero());
  EXPECT_EQ(db.undoGroupCount(), 0);
  AcDbLinetypeTable* lts = nullptr;
  ASSERT_EQ(db.getLinetypeTable(lts, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(lts->has(L"CONTINUOUS"));
  EXPECT_TRUE(lts->has(L"BYLAYER"));
  EXPECT_TRUE(lts->has(L"byblock"));
  lts->close();

  AcDbLayerTable* layers = nullptr;
  ASSERT_EQ(db.getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
  auto* rec = new AcDbLayerTableRecord();
  ASSERT_EQ(rec->setName(L"P-COLD"), Acad::eOk);
  AcDbObjectId id;
  ASSERT_EQ(layers->add(id, rec), Acad::eOk);
  rec->close();
  auto dup = std::make_unique<AcDbLayerTableRecord>();
  dup->setName(L"p-cold");
  EXPECT_EQ(layers->add(dup.get()), Acad::eDuplicateKey);
  EXPECT_EQ(dup->setName(L"a<b"), Acad::eInvalidSymbolTableName);
  EXPECT_EQ(dup->setName(L""), Acad::eInvalidSymbolTableName);
  EXPECT_EQ(dup->setName(std::wstring(256, L'x').c_str()), Acad::eInvalidSymbolTableName);
  EXPECT_EQ(dup->setName(std::wstring(255, L'x').c_str()), Acad::eOk);  // the longest name there is
  auto wrongKind = std::make_unique<AcDbTextStyleTableRecord>();
  wrongKind->setName(L"Style");
  EXPECT_EQ(layers->add(wrongKind.get()), Acad::eWrongObjectType);
  AcDbLayerTableRecord* found = nullptr;
  ASSERT_EQ(layers->getAt(L"p-COLD", found, AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(found->objectId(), id);
  EXPECT_EQ(found->setName(L"0"), Acad::eDuplicateKey);
  found->close();
  AcDbSymbolTableIterator* it = nullptr;
  layers->newIterator(it);
  layers->close();
  std::vector<std::wstring> names;
  for (it->start(); !it->done(); it->step()) {
    AcDbSymbolTableRecord* r = nullptr;
    ASSERT_EQ(it->getRecord(r, AcDb::kForRead), Acad::eOk);
    names.push_back(r->name());
    r->close();
  }
  delete it;
  EXPECT_EQ(names, (std::vector<std::wstring>{L"0", L"P-COLD"}));
  // Erased, a record is found by its name only when erased ones are asked for.
  ASSERT_EQ(acdbOpenObject(found, id, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(found->erase(), Acad::eOk);
  found->close();
  ASSERT_EQ(db.getLayerTable(layers, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(layers->getAt(L"P-COLD", id), Acad::eKeyNotFound);
  EXPECT_EQ(layers->getAt(L"P-COLD", id, true), Acad::eOk);
  layers->close();

  EXPECT_EQ(db.loadLineTypeFile(L"hidden", L"acad.lin"), Acad::eOk);
  EXPECT_EQ(db.loadLineTypeFile(L"HIDDEN", L"acad.lin"), Acad::eDuplicateKey);
  EXPECT_EQ(db.loadLineTypeFile(L"NO_SUCH", L"acad.lin"), Acad::eKeyNotFound);
  ASSERT_EQ(db.getLinetypeTable(lts, AcDb::kForRead), Acad::eOk);
  AcDbLinetypeTableRecord* hidden = nullptr;
  ASSERT_EQ(lts->getAt(L"HIDDEN", hidden, AcDb::kForRead), Acad::eOk);
  lts->close();
  ASSERT_EQ(hidden->numDashes(), 2);
  EXPECT_GT(hidden->dashLengthAt(0), 0);
  EXPECT_LT(hidden->dashLengthAt(1), 0);
  EXPECT_DOUBLE_EQ(hidden->patternLength(), hidden->dashLengthAt(0) - hidden->dashLengthAt(1));
  EXPECT_THROW(hidden->dashLengthAt(2), std::out_of_range);
  hidden->close();
}

// Sections of registered applications are set, read one application at a time,
// filed, and removed by a section without items; anything else is refused.
TEST(ExtendedData, SectionsAreSetReadRemovedAndFiled) {
  AcDbDatabase db;
  buildSampleDrawing(db);  // registers OVSAMPLE and gives model space its section
  AcDbRegAppTable* apps = nullptr;
  ASSERT_EQ(db.getRegAppTable(apps, AcDb::kForWrite), Acad::eOk);
  auto* app = new AcDbRegAppTableRecord();
  app->setName(L"ORVANE");
  ASSERT_EQ(apps->add(app), Acad::eOk);
  app->close();
  apps->close();
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  const std::pair<resbuf*, Acad::ErrorStatus> refused[] = {
      {acutBuildList(AcDb::kDxfRegAppName, L"NOPE", 1000, L"x", 0), Acad::eRegappIdNotFound},
      {acutBuildList(1000, L"orphan", 0), Acad::eInvalidInput}};
  for (const auto& [bad, status] : refused) {
    EXPECT_EQ(ms->setXData(bad), status);
    acutRelRb(bad);
  }
  resbuf* data = acutBuildList(AcDb::kDxfRegAppName, L"ORVANE", 1000, L"OV_PLUMB", 1070, 12, 1040, 2.5, 0);
  ASSERT_EQ(ms->setXData(data), Acad::eOk);
  acutRelRb(data);
  resbuf* got = ms->xData(L"orvane");
  ASSERT_NE(got, nullptr);
  EXPECT_STREQ(got->resval.rstring, L"ORVANE");
  EXPECT_STREQ(got->rbnext->resval.rstring, L"OV_PLUMB");
  EXPECT_EQ(got->rbnext->rbnext->resval.rint, 12);
  EXPECT_EQ(got->rbnext->rbnext->rbnext->resval.rreal, 2.5);
  EXPECT_EQ(got->rbnext->rbnext->rbnext->rbnext, nullptr);  // OVSAMPLE not included
  acutRelRb(got);

  AcDbMemDwgFiler filer(AcDb::kCopyFiler, &db);
  ASSERT_EQ(ms->dwgOutFields(&filer), Acad::eOk);
  AcDbBlockTableRecord copy;
  filer.rewind();
  ASSERT_EQ(copy.dwgInFields(&filer), Acad::eOk);
  resbuf* all = copy.xData();
  int items = 0;
  for (resbuf* rb = all; rb; rb = rb->rbnext) ++items;
  EXPECT_EQ(items, 9);  // two applications' names, four sample values and three of ours
  acutRelRb(all);

  resbuf* remove = acutBuildList(AcDb::kDxfRegAppName, L"ORVANE", 0);
  ASSERT_EQ(ms->setXData(remove), Acad::eOk);
  acutRelRb(remove);
  EXPECT_EQ(ms->xData(L"ORVANE"), nullptr);
  resbuf* other = ms->xData(kSampleApp);
  ASSERT_NE(other, nullptr);
  EXPECT_STREQ(other->rbnext->resval.rstring, L"model space");
  acutRelRb(other);
  ms->close();
}

// Undo puts changed, created and erased objects back and redo repeats; two changes in
// one group (the first through an open upgraded to write) undo to the state before
// the group; a new change drops what could have been redone; an open object stops an
// undo.
TEST(Undo, PutsObjectsBackAndRedoes) {
  AcDbDatabase db;
  db.beginUndoGroup();
  AcDbObjectId id = appendToModelSpace(db, new AcDbLine(AcGePoint3d(1, 1, 0), AcGePoint3d(2, 2, 0)));
  db.endUndoGroup();
  db.beginUndoGroup();
  AcDbLine* upgraded = nullptr;
  ASSERT_EQ(acdbOpenObject(upgraded, id, AcDb::kForRead), Acad::eOk);
  ASSERT_EQ(upgraded->upgradeOpen(), Acad::eOk);
  upgraded->setStartPoint(AcGePoint3d(9, 9, 9));
  upgraded->close();
  setLineStart(id, AcGePoint3d(7, 7, 7));
  db.endUndoGroup();
  EXPECT_EQ(db.undoGroupCount(), 2);
  ASSERT_EQ(db.undoGroup(), Acad::eOk);
  EXPECT_EQ(lineStart(id), AcGePoint3d(1, 1, 0));
  ASSERT_EQ(db.redoGroup(), Acad::eOk);
  EXPECT_EQ(lineStart(id), AcGePoint3d(7, 7, 7));
  ASSERT_EQ(db.undoGroup(), Acad::eOk);
  ASSERT_EQ(db.undoGroup(), Acad::eOk);  // the creation
  EXPECT_TRUE(id.isErased());
  EXPECT_TRUE(modelSpaceEntities(db).empty());
  EXPECT_EQ(db.undoGroup(), Acad::eNothingToUndo);
  ASSERT_EQ(db.redoGroup(), Acad::eOk);
  EXPECT_EQ(modelSpaceEntities(db), std::vector<AcDbObjectId>{id});
  EXPECT_EQ(lineStart(id), AcGePoint3d(1, 1, 0));

  db.beginUndoGroup();
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
  obj->erase();
  obj->close();
  db.endUndoGroup();
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForRead, true), Acad::eOk);
  EXPECT_EQ(db.undoGroup(), Acad::eWasOpenForWrite);
  obj->close();
  ASSERT_EQ(db.undoGroup(), Acad::eOk);
  EXPECT_FALSE(id.isErased());
  appendToModelSpace(db, new AcDbCircle());
  EXPECT_EQ(db.redoGroup(), Acad::eNothingToUndo);
}

// Changes made outside any command are each a group of their own: the history keeps
// the newest 200, and the room of dropped ones is used again without mixing one
// object's recorded state into another's.
TEST(Undo, ALongHistoryUndoesOneByOneToTheOldestKept) {
  AcDbDatabase db;
  const AcDbObjectId line = appendToModelSpace(db, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 1)));
  const AcDbObjectId circle = appendToModelSpace(db, new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d(0, 0, 1), 2.0));
  auto radius = [&] {
    AcDbCircle* c = nullptr;
    EXPECT_EQ(acdbOpenObject(c, circle, AcDb::kForRead), Acad::eOk);
    const double r = c->radius();
    c->close();
    return r;
  };
  constexpr int kChanges = 450;
  for (int i = 1; i <= kChanges; ++i) {
    if (i % 2 == 1) {
      setLineStart(line, AcGePoint3d(i, -i, 0.5 * i));
    } else {
      AcDbCircle* c = nullptr;
      ASSERT_EQ(acdbOpenObject(c, circle, AcDb::kForWrite), Acad::eOk);
      c->setRadius(1000.0 + i);
      c->close();
    }
  }
  EXPECT_EQ(db.undoGroupCount(), 200);
  // Undoing change i puts back what the object had after its change before.
  for (int i = kChanges; i > kChanges - 200; --i) {
    ASSERT_EQ(db.undoGroup(), Acad::eOk) << i;
    if (i % 2 == 1) {
      EXPECT_EQ(lineStart(line), AcGePoint3d(i - 2, 2 - i, 0.5 * (i - 2))) << i;
    } else {
      EXPECT_EQ(radius(), 1000.0 + (i - 2)) << i;
    }
  }
  EXPECT_EQ(db.undoGroup(), Acad::eNothingToUndo);
  ASSERT_EQ(db.redoGroup(), Acad::eOk);
  EXPECT_EQ(lineStart(line), AcGePoint3d(kChanges - 199, 199 - kChanges, 0.5 * (kChanges - 199)));
}

TEST(Copying, CloneGoesThroughTheCopyFilerAndKeepsReferences) {
  AcDbDatabase db;
  SampleDrawing s = buildSampleDrawing(db);
  AcDbLine* line = nullptr;
  ASSERT_EQ(acdbOpenObject(line, s.line, AcDb::kForRead), Acad::eOk);
  std::unique_ptr<AcDbLine> copy(AcDbLine::cast(line->clone()));
  line->close();
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(copy->objectId().isNull());
  EXPECT_EQ(copy->layerId(), s.pipesLayer);
  EXPECT_EQ(copy->endPoint(), AcGePoint3d(10, 5, 0));
  AcDbCircle circle;
  EXPECT_EQ(circle.copyFrom(copy.get()), Acad::eNotThatKindOfClass);
}

// A plug-in class registered at run time, as a module registers its entities.
class TestThing : public AcDbObject {
 public:
  static AcRxClass* gDesc;
  AcRxClass* isA() const override { return gDesc; }
  static AcRxObject* make() { return new TestThing(); }
};
AcRxClass* TestThing::gDesc = nullptr;

TEST(ClassRegistry, PlugInClassesRegisterByNameAndDxfName) {
  TestThing::gDesc = newAcRxClass(L"TestThing", L"AcDbObject", 1, 1, 1, &TestThing::make, L"OVTESTTHING",
                                  L"Test|Maker|example.org");
  acrxBuildClassHierarchy();
  AcRxClass* found = AcRxClass::cast(acrxClassDictionary()->at(L"TestThing"));
  EXPECT_EQ(found, TestThing::gDesc);
  EXPECT_EQ(acrxFindClassByDxfName(L"OVTESTTHING"), TestThing::gDesc);
  EXPECT_TRUE(found->isDerivedFrom(AcDbObject::desc()));
  EXPECT_FALSE(found->isDerivedFrom(AcDbEntity::desc()));
  std::unique_ptr<AcRxObject> obj(found->create());
  EXPECT_TRUE(obj->isKindOf(AcDbObject::desc()));
  EXPECT_EQ(acrxFindClassByDxfName(L"LINE"), AcDbLine::desc());
  deleteAcRxClass(TestThing::gDesc);
  TestThing::gDesc = nullptr;
  EXPECT_EQ(acrxClassDictionary()->at(L"TestThing"), nullptr);
}

TEST(ResultBuffers, BuildListCopiesEveryKindAndRefusesBadPoints) {
  ads_point p = {1, 2, 3};
  ads_name name = {7, 8};
  resbuf* rb = acutBuildList(RTSTR, L"a", RTLONG, 70000, RT3DPOINT, p, RTENAME, name, RTT, RTNIL, 0);
  std::vector<int> types;
  for (resbuf* r = rb; r; r = r->rbnext) types.push_back(r->restype);
  EXPECT_EQ(types, (std::vector<int>{RTSTR, RTLONG, RT3DPOINT, RTENAME, RTT, RTNIL}));
  EXPECT_EQ(rb->rbnext->resval.rlong, 70000);
  EXPECT_EQ(rb->rbnext->rbnext->resval.rpoint[2], 3);
  EXPECT_EQ(rb->rbnext->rbnext->rbnext->resval.rlname[1], 8);
  resbuf* dup = acutDuplicateChain(rb);
  EXPECT_NE(dup->resval.rstring, rb->resval.rstring);
  EXPECT_STREQ(dup->resval.rstring, L"a");
  acutRelRb(rb);
  acutRelRb(dup);
  EXPECT_EQ(acutBuildList(RTPOINT, static_cast<double*>(nullptr), 0), nullptr);
}

}  // namespace
