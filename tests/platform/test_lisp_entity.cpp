// The host LISP's entity functions over what LISP alone cannot make: layers with their
// own colour, linetype and state, linetypes with dashes, registered applications and
// the extended data entities carry for them. Everything LISP can make is checked end
// to end by the lisp_entit*.lsp scripts.
#include <gtest/gtest.h>

#include "arx/db_database.h"
#include "arx/db_entities.h"
#include "test_lisp_fixture.h"

namespace {

// A drawing of the test's own as the working database, with a layer "Pipes" (red,
// dashed, off and locked) and the applications OVTEST and OTHER registered.
class LispEntity : public LispFixture {
 protected:
  LispEntity() : previous_(acdbHostApplicationServices()->workingDatabase()) {
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
  }
  ~LispEntity() override { acdbHostApplicationServices()->setWorkingDatabase(previous_); }

  void SetUp() override {
    db_.loadLineTypeFile(L"DASHED", L"acad.lin");
    AcDbLinetypeTable* linetypes = nullptr;
    ASSERT_EQ(db_.getLinetypeTable(linetypes, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(linetypes->getAt(L"DASHED", dashed_), Acad::eOk);
    linetypes->close();
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(db_.getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
    auto* layer = new AcDbLayerTableRecord();
    layer->setName(L"Pipes");
    AcCmColor red;
    red.setColorIndex(1);
    layer->setColor(red);
    layer->setLinetypeObjectId(dashed_);
    layer->setIsOff(true);
    layer->setIsLocked(true);
    ASSERT_EQ(layers->add(pipes_, layer), Acad::eOk);
    layer->close();
    layers->close();
    AcDbRegAppTable* apps = nullptr;
    ASSERT_EQ(db_.getRegAppTable(apps, AcDb::kForWrite), Acad::eOk);
    for (const wchar_t* name : {L"OVTEST", L"OTHER"}) {
      auto* app = new AcDbRegAppTableRecord();
      app->setName(name);
      ASSERT_EQ(apps->add(app), Acad::eOk);
      app->close();
    }
    apps->close();
  }

  // Appends an entity to model space (closed after) and binds its name to a symbol.
  void add(const wchar_t* symbol, AcDbEntity* entity) {
    AcDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(acdbOpenObject(space, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(space->appendAcDbEntity(id, entity), Acad::eOk);
    space->close();
    entity->close();
    lisp_.setSymbolValue(symbol, LispValue::ename(id));
  }

  AcDbDatabase db_;
  AcDbDatabase* previous_;
  AcDbObjectId dashed_, pipes_;
};

// By layer and by linetype are what an entity has unless told otherwise: then there is
// no 6 or 62 group. The layer's name is the one the entity draws on.
TEST_F(LispEntity, EntgetAndDrawNameTheLayerAndLinetype) {
  auto* line = new AcDbLine(AcGePoint3d(1, 2, 0), AcGePoint3d(4, 6, 0));
  ASSERT_EQ(line->setLayer(L"Pipes"), Acad::eOk);
  ASSERT_EQ(line->setLinetype(L"DASHED"), Acad::eOk);
  add(L"ln", line);
  EXPECT_EQ(eval("(cddddr (entget ln))"),
            L"((100 . \"AcDbEntity\") (8 . \"Pipes\") (6 . \"DASHED\") (100 . \"AcDbLine\") (10 1.0 2.0 0.0) "
            L"(11 4.0 6.0 0.0))");
  EXPECT_EQ(eval("(host-draw ln)"), L"((\"POLYLINE\" \"Pipes\" ((1.0 2.0 0.0) (4.0 6.0 0.0))))");
  // Without a layer group entmake uses the current layer.
  ASSERT_EQ(db_.setClayer(pipes_), Acad::eOk);
  eval("(entmake '((0 . \"CIRCLE\") (10 1 2) (40 . 3)))");
  EXPECT_EQ(eval("(cdr (assoc 8 (entget (entlast))))"), L"\"Pipes\"");
}

TEST_F(LispEntity, EntgetWithApplicationsAddsTheirExtendedData) {
  auto* line = new AcDbLine();
  resbuf* xdata = acutBuildList(AcDb::kDxfRegAppName, L"OVTEST", AcDb::kDxfXdAsciiString, L"DN 50",
                                AcDb::kDxfXdInteger16, 3, AcDb::kDxfRegAppName, L"OTHER", AcDb::kDxfXdReal, 2.5, 0);
  EXPECT_EQ(line->setXData(xdata), Acad::eOk);
  acutRelRb(xdata);
  add(L"ln", line);
  EXPECT_EQ(eval("(assoc -3 (entget ln))"), L"nil");
  EXPECT_EQ(eval("(assoc -3 (entget ln '(\"ovtest\")))"), L"(-3 (\"OVTEST\" (1000 . \"DN 50\") (1070 . 3)))");
  EXPECT_EQ(eval("(assoc -3 (entget ln '(\"*\")))"),
            L"(-3 (\"OVTEST\" (1000 . \"DN 50\") (1070 . 3)) (\"OTHER\" (1040 . 2.5)))");
  EXPECT_EQ(eval("(assoc -3 (entget ln '(\"NOAPP\")))"), L"nil");
  EXPECT_EQ(eval("(entget ln '(5))"), L"; error: bad argument type: stringp 5");
}

// A layer that is off has its colour negative, locked is 4 in the flags; a linetype
// lists its description, alignment, dash count, pattern length and each dash.
TEST_F(LispEntity, TblsearchListsLayersLinetypesAndApplications) {
  EXPECT_EQ(eval("(tblsearch \"layer\" \"PIPES\")"),
            L"((0 . \"LAYER\") (2 . \"Pipes\") (70 . 4) (62 . -1) (6 . \"DASHED\"))");
  std::wstring expected = L"((0 . \"LTYPE\") (2 . \"DASHED\") (70 . 0)";
  AcDbLinetypeTableRecord* dashed = nullptr;
  ASSERT_EQ(acdbOpenObject(dashed, dashed_, AcDb::kForRead), Acad::eOk);
  ASSERT_GT(dashed->numDashes(), 0);
  expected += L" (3 . \"" + dashed->description() + L"\") (72 . 65) (73 . " + std::to_wstring(dashed->numDashes()) +
              L") (40 . " + lispFormatReal(dashed->patternLength()) + L")";
  for (int i = 0; i < dashed->numDashes(); ++i)
    expected += L" (49 . " + lispFormatReal(dashed->dashLengthAt(i)) + L") (74 . 0)";
  dashed->close();
  EXPECT_EQ(eval("(tblsearch \"LTYPE\" \"dashed\")"), expected + L")");
  EXPECT_EQ(eval("(tblsearch \"APPID\" \"ovtest\" T)"), L"((0 . \"APPID\") (2 . \"OVTEST\") (70 . 0))");
}

}  // namespace
