// The host LISP's entity functions: entget of each plain entity and of a plug-in's,
// entmake from those lists, walking with entnext and entlast, entdel, handent,
// tblsearch, and their refusals of bad input.
#include <gtest/gtest.h>

#include <cctype>

#include "test_lisp_entity_fixture.h"

namespace {

class LispEntity : public LispEntityFixture {
 protected:
  void SetUp() override {
    db_.loadLineTypeFile(L"DASHED", L"acad.lin");
    pipesLayer_ = addLayer(L"Pipes", 1);
  }

  AcDbObjectId addLayer(const wchar_t* name, Adesk::UInt16 color) {
    AcDbLayerTable* table = nullptr;
    EXPECT_EQ(db_.getLayerTable(table, AcDb::kForWrite), Acad::eOk);
    auto* layer = new AcDbLayerTableRecord();
    layer->setName(name);
    AcCmColor c;
    c.setColorIndex(color);
    layer->setColor(c);
    AcDbObjectId id;
    EXPECT_EQ(table->add(id, layer), Acad::eOk);
    layer->close();
    table->close();
    return id;
  }

  // A line on layer "Pipes", red and dashed at twice the linetype scale (a scale of 0
  // is refused): every common group the host writes.
  AcDbObjectId addStyledLine(const wchar_t* symbol) {
    auto* line = new AcDbLine(AcGePoint3d(1, 2, 0), AcGePoint3d(4, 6, 0));
    EXPECT_EQ(line->setLayer(L"Pipes"), Acad::eOk);
    EXPECT_EQ(line->setLinetype(L"DASHED"), Acad::eOk);
    EXPECT_EQ(line->setColorIndex(1), Acad::eOk);
    EXPECT_EQ(line->setLinetypeScale(0.0), Acad::eInvalidInput);
    EXPECT_EQ(line->setLinetypeScale(2.0), Acad::eOk);
    return add(symbol, line);
  }

  // The entity's list after its name, type and owner: from its handle on.
  std::wstring groupsFromHandle(const char* symbol) { return eval(std::string("(cdddr (entget ") + symbol + "))"); }
  static std::wstring handleGroup(AcDbObjectId id) { return L"(5 . \"" + id.handle().text() + L"\")"; }

  AcDbObjectId pipesLayer_;
};

// ---- entget ------------------------------------------------------------------------------

TEST_F(LispEntity, EntgetOfALineNamesItsTypeOwnerHandleAndEveryCommonGroup) {
  AcDbObjectId id = addStyledLine(L"ln");
  EXPECT_EQ(eval("(eq (cdr (assoc -1 (entget ln))) ln)"), L"T");
  EXPECT_EQ(eval("(car (nth 1 (entget ln)))"), L"0");
  EXPECT_EQ(eval("(cdr (assoc 0 (entget ln)))"), L"\"LINE\"");
  EXPECT_EQ(idOf("(cdr (assoc 330 (entget ln)))"), db_.modelSpaceId());
  EXPECT_EQ(groupsFromHandle("ln"), L"(" + handleGroup(id) +
                                        L" (100 . \"AcDbEntity\") (8 . \"Pipes\") (6 . \"DASHED\") (62 . 1) (48 . 2.0)"
                                        L" (100 . \"AcDbLine\") (10 1.0 2.0 0.0) (11 4.0 6.0 0.0))");
}

// By layer and by linetype are what an entity has unless told otherwise: no 6 or 62.
TEST_F(LispEntity, EntgetOfArcCircleAndTextGivesAnglesInRadians) {
  AcDbObjectId arc = add(L"arc", new AcDbArc(AcGePoint3d(0, 0, 0), 2.0, 0.0, M_PI / 2));
  EXPECT_EQ(groupsFromHandle("arc"), L"(" + handleGroup(arc) +
                                         L" (100 . \"AcDbEntity\") (8 . \"0\") (100 . \"AcDbCircle\") (10 0.0 0.0 0.0)"
                                         L" (40 . 2.0) (100 . \"AcDbArc\") (50 . 0.0) (51 . 1.5708))");
  EXPECT_EQ(eval("(equal (cdr (assoc 51 (entget arc))) (/ pi 2) 1e-12)"), L"T");

  AcDbObjectId circle = add(L"cir", new AcDbCircle(AcGePoint3d(5, 5, 1), AcGeVector3d::kZAxis, 1.5));
  EXPECT_EQ(groupsFromHandle("cir"), L"(" + handleGroup(circle) +
                                         L" (100 . \"AcDbEntity\") (8 . \"0\") (100 . \"AcDbCircle\") (10 5.0 5.0 1.0)"
                                         L" (40 . 1.5))");

  auto* text = new AcDbMText();
  text->setLocation(AcGePoint3d(1, 1, 0));
  text->setTextHeight(2.5);
  text->setContents(L"Hello\\PWorld");
  text->setTextStyle(db_.textstyle());
  text->setRotation(M_PI / 6);
  text->setAttachment(AcDbMText::kMiddleCenter);
  AcDbObjectId mtext = add(L"txt", text);
  EXPECT_EQ(eval("(cdr (assoc 0 (entget txt)))"), L"\"MTEXT\"");
  EXPECT_EQ(groupsFromHandle("txt"), L"(" + handleGroup(mtext) +
                                         L" (100 . \"AcDbEntity\") (8 . \"0\") (100 . \"AcDbMText\") (10 1.0 1.0 0.0)"
                                         L" (40 . 2.5) (41 . 0.0) (71 . 5) (1 . \"Hello\\\\PWorld\") (7 . \"Standard\")"
                                         L" (50 . 0.523599))");
}

TEST_F(LispEntity, EntgetOfAPolylineListsItsVerticesAfterItsOwnGroups) {
  AcGePoint3dArray vertices;
  vertices.append(AcGePoint3d(0, 0, 0)).append(AcGePoint3d(10, 0, 0)).append(AcGePoint3d(10, 5, 0));
  AcDbObjectId pl = add(L"pl", new AcDb2dPolyline(AcDb::k2dSimplePoly, vertices, 2.0, true));
  EXPECT_EQ(eval("(cdr (assoc 0 (entget pl)))"), L"\"POLYLINE\"");
  EXPECT_EQ(groupsFromHandle("pl"), L"(" + handleGroup(pl) +
                                        L" (100 . \"AcDbEntity\") (8 . \"0\") (100 . \"AcDb2dPolyline\") (66 . 1)"
                                        L" (10 0.0 0.0 2.0) (70 . 1) (10 0.0 0.0 2.0) (10 10.0 0.0 2.0)"
                                        L" (10 10.0 5.0 2.0))");
}

// A plug-in's entity answers its common part and whatever its DXF filing writes.
TEST_F(LispEntity, EntgetOfAPluginEntityIsWhatItsDxfFilingWrites) {
  AcDbObjectId pipe = add(L"pipe", new LispTestPipe(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 3, 0), 50));
  EXPECT_EQ(eval("(cdr (assoc 0 (entget pipe)))"), L"\"OVLISPTESTPIPE\"");
  EXPECT_EQ(groupsFromHandle("pipe"), L"(" + handleGroup(pipe) +
                                          L" (100 . \"AcDbEntity\") (8 . \"0\") (100 . \"LispTestPipe\")"
                                          L" (10 0.0 0.0 0.0) (11 3.0 3.0 0.0) (90 . 50) (50 . 0.785398))");
}

TEST_F(LispEntity, EntgetWithApplicationsAddsTheirExtendedData) {
  AcDbRegAppTable* apps = nullptr;
  ASSERT_EQ(db_.getRegAppTable(apps, AcDb::kForWrite), Acad::eOk);
  for (const wchar_t* name : {L"OVTEST", L"OTHER"}) {
    auto* app = new AcDbRegAppTableRecord();
    app->setName(name);
    ASSERT_EQ(apps->add(app), Acad::eOk);
    app->close();
  }
  apps->close();
  AcDbObjectId id = addStyledLine(L"ln");
  AcDbEntity* line = nullptr;
  ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
  resbuf* xdata = acutBuildList(AcDb::kDxfRegAppName, L"OVTEST", AcDb::kDxfXdAsciiString, L"DN 50",
                                AcDb::kDxfXdInteger16, 3, AcDb::kDxfRegAppName, L"OTHER", AcDb::kDxfXdReal, 2.5, 0);
  EXPECT_EQ(line->setXData(xdata), Acad::eOk);
  acutRelRb(xdata);
  line->close();

  EXPECT_EQ(eval("(assoc -3 (entget ln))"), L"nil");
  EXPECT_EQ(eval("(assoc -3 (entget ln '(\"ovtest\")))"), L"(-3 (\"OVTEST\" (1000 . \"DN 50\") (1070 . 3)))");
  EXPECT_EQ(eval("(assoc -3 (entget ln '(\"*\")))"),
            L"(-3 (\"OVTEST\" (1000 . \"DN 50\") (1070 . 3)) (\"OTHER\" (1040 . 2.5)))");
  EXPECT_EQ(eval("(assoc -3 (entget ln '(\"NOAPP\")))"), L"nil");
  EXPECT_EQ(eval("(entget ln '(5))"), L"; error: bad argument type: stringp 5");
}

TEST_F(LispEntity, EntgetRefusesWhatIsNotAnEntityOfThisDrawing) {
  add(L"ln", new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
  EXPECT_EQ(eval("(entget 5)"), L"; error: bad argument type: lentityp 5");
  EXPECT_EQ(eval("(entget)"), L"; error: too few arguments");
  EXPECT_EQ(eval("(entget ln nil nil)"), L"; error: too many arguments");

  // A name from another drawing is a bare reference the host cannot trust.
  AcDbDatabase other;
  AcDbBlockTableRecord* space = nullptr;
  ASSERT_EQ(acdbOpenObject(space, other.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  auto* foreign = new AcDbLine();
  AcDbObjectId foreignId;
  ASSERT_EQ(space->appendAcDbEntity(foreignId, foreign), Acad::eOk);
  foreign->close();
  space->close();
  lisp_.setSymbolValue(L"foreign", LispValue::ename(foreignId));
  EXPECT_NE(eval("(entget foreign)").find(L"is not an object of the current drawing"), std::wstring::npos);

  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  EXPECT_EQ(eval("(entget ln)"), L"; error: no drawing is open");
  EXPECT_EQ(eval("(entlast)"), L"; error: no drawing is open");
  acdbHostApplicationServices()->setWorkingDatabase(&db_);
}

// ---- entmake ------------------------------------------------------------------------------

TEST_F(LispEntity, EntmakeOfAnEntgetListMakesTheSameEntityAgain) {
  AcGePoint3dArray vertices;
  vertices.append(AcGePoint3d(0, 0, 0)).append(AcGePoint3d(10, 0, 0)).append(AcGePoint3d(10, 5, 0));
  add(L"pl", new AcDb2dPolyline(AcDb::k2dSimplePoly, vertices, 2.0, true));
  addStyledLine(L"ln");
  add(L"arc", new AcDbArc(AcGePoint3d(1, 1, 0), 2.0, 0.5, 2.0));
  add(L"pipe", new LispTestPipe(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 3, 0), 50));
  for (const char* symbol : {"pl", "ln", "arc", "pipe"}) {
    SCOPED_TRACE(symbol);
    std::string source = std::string("(entget ") + symbol + ")";
    EXPECT_EQ(eval("(equal (entmake " + source + ") " + source + ")"), L"T");
    // Everything after the name, owner and handle comes back the same.
    EXPECT_EQ(eval("(equal (cddddr (entget (entlast))) (cddddr " + source + ") 1e-9)"), L"T");
    EXPECT_EQ(eval(std::string("(eq (entlast) ") + symbol + ")"), L"nil");
  }
  EXPECT_EQ(modelSpaceCount(), 8);
  // The polyline's copy is the first entity after the originals.
  read<AcDb2dPolyline>(idOf("(entnext pipe)"), [](AcDb2dPolyline* made) {
    EXPECT_EQ(made->numVerts(), 3);
    EXPECT_DOUBLE_EQ(made->elevation(), 2.0);
    EXPECT_TRUE(made->isClosed());
    EXPECT_EQ(made->vertexAt(2), AcGePoint3d(10, 5, 2));
  });
}

// Without markers and without a layer: the groups are read as DXF from other tools,
// on the current layer.
TEST_F(LispEntity, EntmakeTakesAShortListOnTheCurrentLayerAndIsOneUndoGroup) {
  ASSERT_EQ(db_.setClayer(pipesLayer_), Acad::eOk);
  EXPECT_EQ(eval("(car (entmake '((0 . \"circle\") (10 1 2) (40 . 3))))"), L"(0 . \"circle\")");
  AcDbObjectId made = idOf("(entlast)");
  read<AcDbCircle>(made, [&](AcDbCircle* c) {
    EXPECT_EQ(c->center(), AcGePoint3d(1, 2, 0));
    EXPECT_DOUBLE_EQ(c->radius(), 3.0);
    EXPECT_EQ(c->layerId(), pipesLayer_);
  });
  ASSERT_EQ(db_.undoGroup(), Acad::eOk);
  EXPECT_TRUE(made.isErased());
  EXPECT_EQ(eval("(entlast)"), L"nil");
}

TEST_F(LispEntity, EntmakeRefusesBadGroupsAndAnswersNilForDataItCannotUse) {
  EXPECT_EQ(eval("(entmake '((0 . \"LINE\") (10 . \"x\")))"), L"; error: bad DXF group: (10 . \"x\")");
  EXPECT_EQ(eval("(entmake '((0 . \"LINE\") 5))"), L"; error: bad DXF group: 5");
  EXPECT_EQ(eval("(entmake '((0 . \"LINE\") (62 . 70000)))"), L"; error: bad DXF group: (62 . 70000)");
  EXPECT_EQ(eval("(entmake '((0 . \"LINE\") (-3 (\"APP\"))))").substr(0, 16), L"; error: entmake");
  EXPECT_EQ(eval("(entmake '((0 . \"NOSUCHTHING\") (10 0 0 0)))"), L"nil");
  EXPECT_EQ(eval("(entmake '((8 . \"0\")))"), L"nil");
  EXPECT_EQ(eval("(entmake '((0 . \"LAYER\") (2 . \"X\")))"), L"nil");
  // A negative radius is refused by the arc itself.
  EXPECT_EQ(eval("(entmake '((0 . \"ARC\") (10 0 0 0) (40 . -1.0) (50 . 0.0) (51 . 1.0)))"), L"nil");
  EXPECT_EQ(eval("(entmake 5)"), L"; error: bad argument type: listp 5");
  EXPECT_EQ(modelSpaceCount(true), 0);
}

// ---- walking, erasing, handles ------------------------------------------------------------

TEST_F(LispEntity, EntnextAndEntlastWalkTheDrawingSkippingErasedEntities) {
  EXPECT_EQ(eval("(list (entnext) (entlast))"), L"(nil nil)");
  add(L"a", new AcDbLine());
  add(L"b", new AcDbCircle());
  add(L"c", new AcDbArc());
  EXPECT_EQ(eval("(list (eq (entnext) a) (eq (entnext a) b) (eq (entnext b) c) (entnext c) (eq (entlast) c))"),
            L"(T T T nil T)");
  EXPECT_EQ(eval("(eq (entdel b) b)"), L"T");
  EXPECT_EQ(eval("(list (eq (entnext a) c) (eq (entnext b) c))"), L"(T T)");
  eval("(entdel c)");
  EXPECT_EQ(eval("(eq (entlast) a)"), L"T");
  eval("(entdel a)");
  EXPECT_EQ(eval("(list (entnext) (entlast))"), L"(nil nil)");
  // A name that is no entity of a layout has no next one.
  EXPECT_EQ(eval("(entnext (handent \"" + acutWideToUtf8(pipesLayer_.handle().text()) + "\"))"), L"nil");
}

TEST_F(LispEntity, EntdelErasesAndBringsBackEachTimeAsItsOwnUndoGroup) {
  AcDbObjectId id = add(L"a", new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
  EXPECT_EQ(eval("(eq (entdel a) a)"), L"T");
  EXPECT_TRUE(id.isErased());
  EXPECT_EQ(eval("(entget a)"), L"nil");
  eval("(entdel a)");
  EXPECT_FALSE(id.isErased());
  EXPECT_EQ(eval("(cdr (assoc 0 (entget a)))"), L"\"LINE\"");
  ASSERT_EQ(db_.undoGroup(), Acad::eOk);
  EXPECT_TRUE(id.isErased());
  ASSERT_EQ(db_.undoGroup(), Acad::eOk);
  EXPECT_FALSE(id.isErased());

  lisp_.setSymbolValue(L"layer", LispValue::ename(pipesLayer_));
  EXPECT_EQ(eval("(entdel layer)"), L"; error: entdel: not an entity (AcDbLayerTableRecord)");
  EXPECT_FALSE(pipesLayer_.isErased());
  EXPECT_EQ(eval("(entdel \"a\")"), L"; error: bad argument type: lentityp \"a\"");
  EXPECT_EQ(eval("(entdel a a)"), L"; error: too many arguments");
}

TEST_F(LispEntity, HandentFindsObjectsByHandleErasedOnesIncluded) {
  AcDbObjectId id = add(L"a", new AcDbLine());
  std::string hex = acutWideToUtf8(id.handle().text());
  EXPECT_EQ(idOf("(handent \"" + hex + "\")"), id);
  std::string lower = hex;
  for (char& c : lower) c = static_cast<char>(std::tolower(c));
  EXPECT_EQ(idOf("(handent \"" + lower + "\")"), id);
  eval("(entdel a)");
  EXPECT_EQ(idOf("(handent \"" + hex + "\")"), id);
  EXPECT_EQ(eval("(list (handent \"FFFFFF\") (handent \"xyz\") (handent \"\"))"), L"(nil nil nil)");
  EXPECT_EQ(eval("(handent 5)"), L"; error: bad argument type: stringp 5");
  // A layer is found as well; entget lists it as an object.
  EXPECT_EQ(idOf("(handent \"" + acutWideToUtf8(pipesLayer_.handle().text()) + "\")"), pipesLayer_);
}

// ---- tables ---------------------------------------------------------------------------------

TEST_F(LispEntity, TblsearchListsLayersLinetypesStylesAndApplications) {
  AcDbLayerTableRecord* layer = nullptr;
  ASSERT_EQ(acdbOpenObject(layer, pipesLayer_, AcDb::kForWrite), Acad::eOk);
  AcDbObjectId dashed;
  {
    AcDbLinetypeTable* linetypes = nullptr;
    ASSERT_EQ(db_.getLinetypeTable(linetypes, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(linetypes->getAt(L"DASHED", dashed), Acad::eOk);
    linetypes->close();
  }
  layer->setLinetypeObjectId(dashed);
  layer->setIsOff(true);
  layer->setIsLocked(true);
  layer->close();

  EXPECT_EQ(eval("(tblsearch \"layer\" \"PIPES\")"),
            L"((0 . \"LAYER\") (2 . \"Pipes\") (70 . 4) (62 . -1) (6 . \"DASHED\"))");
  EXPECT_EQ(eval("(tblsearch \"LAYER\" \"0\")"), L"((0 . \"LAYER\") (2 . \"0\") (70 . 0) (62 . 7) (6 . \"Continuous\"))");

  std::wstring expected = L"((0 . \"LTYPE\") (2 . \"DASHED\") (70 . 0)";
  read<AcDbLinetypeTableRecord>(dashed, [&](AcDbLinetypeTableRecord* lt) {
    ASSERT_GT(lt->numDashes(), 0);
    expected += L" (3 . \"" + lt->description() + L"\") (72 . 65) (73 . " + std::to_wstring(lt->numDashes()) +
                L") (40 . " + lispFormatReal(lt->patternLength()) + L")";
    for (int i = 0; i < lt->numDashes(); ++i) expected += L" (49 . " + lispFormatReal(lt->dashLengthAt(i)) + L") (74 . 0)";
  });
  EXPECT_EQ(eval("(tblsearch \"LTYPE\" \"dashed\")"), expected + L")");

  EXPECT_EQ(eval("(tblsearch \"STYLE\" \"standard\")"),
            L"((0 . \"STYLE\") (2 . \"Standard\") (70 . 0) (40 . 0.0) (41 . 1.0) (50 . 0.0) (71 . 0) (3 . \"txt\"))");
  AcDbRegAppTable* apps = nullptr;
  ASSERT_EQ(db_.getRegAppTable(apps, AcDb::kForWrite), Acad::eOk);
  auto* app = new AcDbRegAppTableRecord();
  app->setName(L"OVTEST");
  ASSERT_EQ(apps->add(app), Acad::eOk);
  app->close();
  apps->close();
  EXPECT_EQ(eval("(tblsearch \"APPID\" \"ovtest\" T)"), L"((0 . \"APPID\") (2 . \"OVTEST\") (70 . 0))");
}

TEST_F(LispEntity, TblsearchAnswersNilForMissingRecordsAndRefusesUnknownTables) {
  EXPECT_EQ(eval("(tblsearch \"LAYER\" \"Nope\")"), L"nil");
  EXPECT_EQ(eval("(tblsearch \"LTYPE\" \"\")"), L"nil");
  EXPECT_EQ(eval("(tblsearch \"BLOCKS\" \"x\")"), L"; error: bad argument value: table name \"BLOCKS\"");
  EXPECT_EQ(eval("(tblsearch \"LAYER\" 0)"), L"; error: bad argument type: stringp 0");
  EXPECT_EQ(eval("(tblsearch \"LAYER\")"), L"; error: too few arguments");
}

}  // namespace
