// The drawing database: opening and closing objects, erasing, symbol tables, extended
// data, undo and redo, copying, and the class registry.
#include <gtest/gtest.h>

#include <cwchar>
#include <memory>

#include "arx/db_database.h"
#include "arx/db_entities.h"
#include "arx/dwg_filer_mem.h"

namespace {

// Appends an entity to model space and answers its id, with everything closed.
AcDbObjectId appendToModelSpace(AcDbDatabase& db, AcDbEntity* ent) {
  AcDbBlockTable* bt = nullptr;
  EXPECT_EQ(db.getBlockTable(bt, AcDb::kForRead), Acad::eOk);
  AcDbBlockTableRecord* ms = nullptr;
  EXPECT_EQ(bt->getAt(ACDB_MODEL_SPACE, ms, AcDb::kForWrite), Acad::eOk);
  bt->close();
  AcDbObjectId id;
  EXPECT_EQ(ms->appendAcDbEntity(id, ent), Acad::eOk);
  ms->close();
  ent->close();
  return id;
}

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

TEST(Database, NewDrawingHasTheStandardRecords) {
  AcDbDatabase db;
  EXPECT_FALSE(db.modelSpaceId().isNull());
  AcDbLayerTable* layers = nullptr;
  ASSERT_EQ(db.getLayerTable(layers, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(layers->has(L"0"));
  layers->close();
  AcDbLinetypeTable* lts = nullptr;
  ASSERT_EQ(db.getLinetypeTable(lts, AcDb::kForRead), Acad::eOk);
  // Names are found without regard to case.
  EXPECT_TRUE(lts->has(L"CONTINUOUS"));
  EXPECT_TRUE(lts->has(L"BYLAYER"));
  EXPECT_TRUE(lts->has(L"byblock"));
  lts->close();
  AcDbTextStyleTable* styles = nullptr;
  ASSERT_EQ(db.getTextStyleTable(styles, AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(styles->has(L"Standard"));
  styles->close();
  EXPECT_EQ(db.clayer(), db.layerZero());
  // Nothing of the standard drawing is undoable.
  EXPECT_EQ(db.undoGroupCount(), 0);
}

TEST(ObjectLifeCycle, OpenModesExcludeEachOtherWithStatuses) {
  AcDbDatabase db;
  AcDbObjectId id = appendToModelSpace(db, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));

  AcDbLine* r1 = nullptr;
  AcDbLine* r2 = nullptr;
  ASSERT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eOk);
  ASSERT_EQ(acdbOpenObject(r2, id, AcDb::kForRead), Acad::eOk);  // readers share
  AcDbLine* w = nullptr;
  EXPECT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eWasOpenForRead);
  EXPECT_EQ(w, nullptr);
  // A reader cannot change the object.
  EXPECT_EQ(r1->setStartPoint(AcGePoint3d(5, 5, 5)), Acad::eWasNotOpenForWrite);
  EXPECT_EQ(r1->startPoint(), AcGePoint3d(0, 0, 0));
  r1->close();
  EXPECT_EQ(r2->upgradeOpen(), Acad::eOk);  // the only reader may upgrade
  EXPECT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eWasOpenForWrite);
  EXPECT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eWasOpenForWrite);
  r2->close();
  // Closed: reading it without opening is refused too.
  EXPECT_THROW(r2->startPoint(), AcDbOpenStateError);
  EXPECT_EQ(r2->close(), Acad::eNotOpenForRead);
}

TEST(ObjectLifeCycle, WrongClassAndNullIdsAnswerStatuses) {
  AcDbDatabase db;
  AcDbObjectId id = appendToModelSpace(db, new AcDbLine());
  AcDbCircle* circle = nullptr;
  EXPECT_EQ(acdbOpenObject(circle, id, AcDb::kForRead), Acad::eNotThatKindOfClass);
  EXPECT_EQ(circle, nullptr);
  // The failed open left nothing open behind it.
  AcDbLine* line = nullptr;
  ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
  line->close();
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
  // A new entity takes the database's current layer and linetype.
  AcDbEntity* ent = nullptr;
  ASSERT_EQ(acdbOpenObject(ent, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(ent->layerId(), db.layerZero());
  EXPECT_EQ(ent->linetypeId(), db.byLayerLinetype());
  ent->close();
}

TEST(SymbolTables, AddLookUpAndRefuseDuplicatesAndBadNames) {
  AcDbDatabase db;
  AcDbLayerTable* layers = nullptr;
  ASSERT_EQ(db.getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
  auto* rec = new AcDbLayerTableRecord();
  ASSERT_EQ(rec->setName(L"P-COLD"), Acad::eOk);
  AcCmColor blue;
  blue.setColorIndex(5);
  rec->setColor(blue);
  AcDbObjectId id;
  ASSERT_EQ(layers->add(id, rec), Acad::eOk);
  rec->close();

  auto dup = std::make_unique<AcDbLayerTableRecord>();
  dup->setName(L"p-cold");
  EXPECT_EQ(layers->add(dup.get()), Acad::eDuplicateKey);
  auto bad = std::make_unique<AcDbLayerTableRecord>();
  EXPECT_EQ(bad->setName(L"a<b"), Acad::eInvalidSymbolTableName);
  EXPECT_EQ(bad->setName(L""), Acad::eInvalidSymbolTableName);
  auto wrongKind = std::make_unique<AcDbTextStyleTableRecord>();
  wrongKind->setName(L"Style");
  EXPECT_EQ(layers->add(wrongKind.get()), Acad::eWrongObjectType);
  layers->close();

  ASSERT_EQ(db.getLayerTable(layers, AcDb::kForRead), Acad::eOk);
  AcDbLayerTableRecord* found = nullptr;
  ASSERT_EQ(layers->getAt(L"p-COLD", found, AcDb::kForWrite), Acad::eOk);
  layers->close();
  EXPECT_EQ(found->objectId(), id);
  EXPECT_EQ(found->color().colorIndex(), 5);
  // Renaming to a name the table already has is refused.
  EXPECT_EQ(found->setName(L"0"), Acad::eDuplicateKey);
  found->close();

  AcDbSymbolTableIterator* it = nullptr;
  ASSERT_EQ(db.getLayerTable(layers, AcDb::kForRead), Acad::eOk);
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
}

TEST(SymbolTables, LinetypesLoadFromTheLibraryOnce) {
  AcDbDatabase db;
  EXPECT_EQ(db.loadLineTypeFile(L"hidden", L"acad.lin"), Acad::eOk);
  EXPECT_EQ(db.loadLineTypeFile(L"HIDDEN", L"acad.lin"), Acad::eDuplicateKey);
  EXPECT_EQ(db.loadLineTypeFile(L"NO_SUCH", L"acad.lin"), Acad::eKeyNotFound);
  AcDbLinetypeTable* lts = nullptr;
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

// Registers an application so that objects may carry its extended data.
void registerApp(AcDbDatabase& db, const ACHAR* name) {
  AcDbRegAppTable* apps = nullptr;
  ASSERT_EQ(db.getRegAppTable(apps, AcDb::kForWrite), Acad::eOk);
  auto* rec = new AcDbRegAppTableRecord();
  rec->setName(name);
  ASSERT_EQ(apps->add(rec), Acad::eOk);
  rec->close();
  apps->close();
}

TEST(ExtendedData, SectionsAreSetReplacedRemovedAndFiled) {
  AcDbDatabase db;
  registerApp(db, L"ORVANE");
  registerApp(db, L"OTHER");
  AcDbBlockTableRecord* ms = nullptr;
  ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);

  resbuf* unregistered = acutBuildList(AcDb::kDxfRegAppName, L"NOPE", 1000, L"x", 0);
  EXPECT_EQ(ms->setXData(unregistered), Acad::eRegappIdNotFound);
  acutRelRb(unregistered);

  resbuf* data = acutBuildList(AcDb::kDxfRegAppName, L"ORVANE", 1000, L"OV_PLUMB", 1000, L"YES", 1070, 12,
                               1040, 2.5, AcDb::kDxfRegAppName, L"OTHER", 1071, 70000, 0);
  ASSERT_NE(data, nullptr);
  ASSERT_EQ(ms->setXData(data), Acad::eOk);
  acutRelRb(data);

  resbuf* got = ms->xData(L"orvane");
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(got->restype, AcDb::kDxfRegAppName);
  EXPECT_STREQ(got->resval.rstring, L"ORVANE");
  ASSERT_NE(got->rbnext, nullptr);
  EXPECT_STREQ(got->rbnext->resval.rstring, L"OV_PLUMB");
  EXPECT_STREQ(got->rbnext->rbnext->resval.rstring, L"YES");
  EXPECT_EQ(got->rbnext->rbnext->rbnext->resval.rint, 12);
  EXPECT_EQ(got->rbnext->rbnext->rbnext->rbnext->resval.rreal, 2.5);
  EXPECT_EQ(got->rbnext->rbnext->rbnext->rbnext->rbnext, nullptr);  // OTHER not included
  acutRelRb(got);

  // Filed and read back into a fresh record through the copy filer.
  AcDbMemDwgFiler filer(AcDb::kCopyFiler, &db);
  ASSERT_EQ(ms->dwgOutFields(&filer), Acad::eOk);
  AcDbBlockTableRecord copy;
  filer.rewind();
  ASSERT_EQ(copy.dwgInFields(&filer), Acad::eOk);
  resbuf* all = copy.xData();
  int items = 0;
  for (resbuf* rb = all; rb; rb = rb->rbnext) ++items;
  EXPECT_EQ(items, 7);  // two app names and five values
  acutRelRb(all);

  // An application section with no items removes that application's data.
  resbuf* remove = acutBuildList(AcDb::kDxfRegAppName, L"ORVANE", 0);
  ASSERT_EQ(ms->setXData(remove), Acad::eOk);
  acutRelRb(remove);
  EXPECT_EQ(ms->xData(L"ORVANE"), nullptr);
  resbuf* other = ms->xData(L"OTHER");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->rbnext->resval.rlong, 70000);
  acutRelRb(other);
  ms->close();
}

TEST(ExtendedData, ItemsOutsideASectionAreRefusedAndChangeNothing) {
  AcDbDatabase db;
  auto line = std::make_unique<AcDbLine>();
  resbuf* bad = acutBuildList(1000, L"orphan", 0);
  EXPECT_EQ(line->setXData(bad), Acad::eInvalidInput);
  acutRelRb(bad);
  EXPECT_EQ(line->xData(), nullptr);
}

TEST(Undo, PutsChangedCreatedAndErasedObjectsBackAndRedoes) {
  AcDbDatabase db;
  db.beginUndoGroup();
  AcDbObjectId id = appendToModelSpace(db, new AcDbLine(AcGePoint3d(1, 1, 0), AcGePoint3d(2, 2, 0)));
  db.endUndoGroup();

  db.beginUndoGroup();
  AcDbLine* line = nullptr;
  ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
  line->setStartPoint(AcGePoint3d(9, 9, 9));
  line->close();
  // A second change in the same command is recorded once: undo goes to the state
  // before the command.
  ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
  line->setStartPoint(AcGePoint3d(7, 7, 7));
  line->close();
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
  EXPECT_FALSE(id.isErased());
  EXPECT_EQ(modelSpaceEntities(db), std::vector<AcDbObjectId>{id});
  EXPECT_EQ(lineStart(id), AcGePoint3d(1, 1, 0));
}

TEST(Undo, EraseIsUndoneAndANewChangeDropsRedo) {
  AcDbDatabase db;
  AcDbObjectId id = appendToModelSpace(db, new AcDbLine());
  db.beginUndoGroup();
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForWrite), Acad::eOk);
  obj->erase();
  obj->close();
  db.endUndoGroup();
  ASSERT_EQ(db.undoGroup(), Acad::eOk);
  EXPECT_FALSE(id.isErased());
  // Changing anything after an undo forgets what could have been redone.
  appendToModelSpace(db, new AcDbCircle());
  EXPECT_EQ(db.redoGroup(), Acad::eNothingToUndo);
}

TEST(Undo, RefusesWhileAnObjectOfTheGroupIsOpen) {
  AcDbDatabase db;
  AcDbObjectId id = appendToModelSpace(db, new AcDbLine());
  AcDbObject* obj = nullptr;
  ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(db.undoGroup(), Acad::eWasOpenForWrite);
  obj->close();
  EXPECT_EQ(db.undoGroup(), Acad::eOk);
}

TEST(Copying, CloneGoesThroughTheCopyFilerAndKeepsReferences) {
  AcDbDatabase db;
  db.loadLineTypeFile(L"DASHED", L"");
  AcDbLinetypeTable* lts = nullptr;
  db.getLinetypeTable(lts, AcDb::kForRead);
  AcDbObjectId dashed;
  lts->getAt(L"DASHED", dashed);
  lts->close();
  auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 0));
  line->setLinetype(dashed);
  line->setColorIndex(3);
  AcDbObjectId id = appendToModelSpace(db, line);
  ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForRead), Acad::eOk);
  std::unique_ptr<AcDbLine> copy(AcDbLine::cast(line->clone()));
  line->close();
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(copy->objectId().isNull());
  EXPECT_EQ(copy->linetypeId(), dashed);
  EXPECT_EQ(copy->colorIndex(), 3);
  EXPECT_EQ(copy->endPoint(), AcGePoint3d(3, 4, 0));
  AcDbCircle circle;
  EXPECT_EQ(circle.copyFrom(copy.get()), Acad::eNotThatKindOfClass);
}

// A plug-in class registered at run time, as a module registers its entities.
class TestThing : public AcDbObject {
 public:
  static AcRxClass* gDesc;
  static AcRxClass* desc() { return gDesc; }
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
  resbuf* rb = acutBuildList(RTSTR, L"a", RTSHORT, 3, RTLONG, 70000, RTREAL, 1.5, RT3DPOINT, p, RTENAME, name,
                             RTLB, RTT, RTNIL, RTDOTE, RTLE, 0);
  ASSERT_NE(rb, nullptr);
  std::vector<int> types;
  for (resbuf* r = rb; r; r = r->rbnext) types.push_back(r->restype);
  EXPECT_EQ(types, (std::vector<int>{RTSTR, RTSHORT, RTLONG, RTREAL, RT3DPOINT, RTENAME, RTLB, RTT, RTNIL, RTDOTE,
                                     RTLE}));
  EXPECT_STREQ(rb->resval.rstring, L"a");
  EXPECT_EQ(rb->rbnext->rbnext->resval.rlong, 70000);
  EXPECT_EQ(rb->rbnext->rbnext->rbnext->rbnext->resval.rpoint[2], 3);
  EXPECT_EQ(rb->rbnext->rbnext->rbnext->rbnext->rbnext->resval.rlname[1], 8);
  resbuf* dup = acutDuplicateChain(rb);
  EXPECT_NE(dup->resval.rstring, rb->resval.rstring);
  EXPECT_STREQ(dup->resval.rstring, L"a");
  acutRelRb(rb);
  acutRelRb(dup);
  EXPECT_EQ(acutBuildList(RTPOINT, static_cast<double*>(nullptr), 0), nullptr);
}

}  // namespace
