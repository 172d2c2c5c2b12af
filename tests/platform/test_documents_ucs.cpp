// What a document carries besides its drawing: the UCS with acedTrans, the system
// variables, entity names of its objects, and the text-screen request.
#include <cmath>
#include <memory>

#include "arx/ads_names.h"
#include "arx/sysvars.h"
#include "arx/ucs_trans.h"
#include "test_documents_fixture.h"

namespace {

struct RbRelease {
  void operator()(resbuf* rb) const { acutRelRb(rb); }
};
using Chain = std::unique_ptr<resbuf, RbRelease>;

Chain code(int value) { return Chain(acutBuildList(RTSHORT, value, RTNONE)); }

// acedTrans with codes as numbers; fails the test when it does not answer RTNORM.
AcGePoint3d trans(const AcGePoint3d& p, int from, int to, bool displacement = false) {
  ads_point in{p.x, p.y, p.z}, out{0, 0, 0};
  EXPECT_EQ(acedTrans(in, code(from).get(), code(to).get(), displacement ? 1 : 0, out), RTNORM);
  return AcGePoint3d(out[0], out[1], out[2]);
}

void expectNear(const AcGePoint3d& actual, const AcGePoint3d& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-12);
  EXPECT_NEAR(actual.y, expected.y, 1e-12);
  EXPECT_NEAR(actual.z, expected.z, 1e-12);
}

class UcsTest : public DocumentsTest {
 protected:
  // A UCS at (10, 20, 0) turned 45 degrees.
  void turnUcs() {
    AcGeMatrix3d ucs;
    ASSERT_EQ(hostPlanUcs(AcGePoint3d(10, 20, 0), AcGeVector3d(1, 1, 7), ucs), Acad::eOk);
    ASSERT_EQ(acedSetCurrentUCS(ucs), Acad::eOk);
  }
};

// ---- the UCS and acedTrans ------------------------------------------------------------

TEST_F(UcsTest, TransCarriesPointsBothWaysThroughATurnedUcs) {
  open("a.hdw");
  turnUcs();
  const double r = std::sqrt(2.0);
  expectNear(trans(AcGePoint3d(r, 0, 5), kTransUser, kTransWorld), AcGePoint3d(11, 21, 5));
  expectNear(trans(AcGePoint3d(0, r, 0), kTransUser, kTransWorld), AcGePoint3d(9, 21, 0));
  expectNear(trans(AcGePoint3d(11, 21, 5), kTransWorld, kTransUser), AcGePoint3d(r, 0, 5));
  AcGePoint3d p(-3.5, 7.25, 2);
  expectNear(trans(trans(p, kTransWorld, kTransUser), kTransUser, kTransWorld), p);
}

// A displacement turns with the axes but ignores the origin.
TEST_F(UcsTest, DisplacementIsTurnedNotMoved) {
  open("a.hdw");
  turnUcs();
  const double h = std::sqrt(0.5);
  expectNear(trans(AcGePoint3d(1, 0, 0), kTransUser, kTransWorld, true), AcGePoint3d(h, h, 0));
  expectNear(trans(AcGePoint3d(h, h, 0), kTransWorld, kTransUser, true), AcGePoint3d(1, 0, 0));
  expectNear(trans(AcGePoint3d(1, 2, 3), kTransUser, kTransUser, true), AcGePoint3d(1, 2, 3));
}

TEST_F(UcsTest, TransRefusesOtherSystemsAndMissingInput) {
  open("a.hdw");
  ads_point in{1, 2, 3}, out{0, 0, 0};
  EXPECT_EQ(acedTrans(in, code(2).get(), code(0).get(), 0, out), RTERROR);
  EXPECT_EQ(acedTrans(in, code(0).get(), code(3).get(), 0, out), RTERROR);
  EXPECT_EQ(acedTrans(in, code(-1).get(), code(0).get(), 0, out), RTERROR);
  Chain text(acutBuildList(RTSTR, L"0", RTNONE));
  EXPECT_EQ(acedTrans(in, text.get(), code(0).get(), 0, out), RTERROR);
  EXPECT_EQ(acedTrans(in, nullptr, code(0).get(), 0, out), RTERROR);
  EXPECT_EQ(acedTrans(nullptr, code(0).get(), code(1).get(), 0, out), RTERROR);
  Chain longCode(acutBuildList(RTLONG, 1, RTNONE));
  EXPECT_EQ(acedTrans(in, longCode.get(), code(0).get(), 0, out), RTNORM);
}

// The UCS belongs to a document; with none open it is the world.
TEST_F(UcsTest, EachDocumentHasItsOwnUcs) {
  AcApDocument* a = open("a.hdw");
  turnUcs();
  open("b.hdw");
  expectNear(trans(AcGePoint3d(1, 2, 3), kTransUser, kTransWorld), AcGePoint3d(1, 2, 3));
  manager()->activateDocument(a);
  expectNear(trans(AcGePoint3d(0, 0, 0), kTransUser, kTransWorld), AcGePoint3d(10, 20, 0));
  manager()->hostCloseAll();
  expectNear(trans(AcGePoint3d(1, 2, 3), kTransUser, kTransWorld), AcGePoint3d(1, 2, 3));
  EXPECT_EQ(acedSetCurrentUCS(AcGeMatrix3d()), Acad::eNoDatabase);
}

TEST_F(UcsTest, OnlyRigidUcsMatricesAreTaken) {
  AcApDocument* a = open("a.hdw");
  EXPECT_EQ(acedSetCurrentUCS(AcGeMatrix3d::scaling(2.0)), Acad::eInvalidInput);
  EXPECT_EQ(acedSetCurrentUCS(AcGeMatrix3d::mirroring(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0))),
            Acad::eInvalidInput);
  AcGeMatrix3d sheared;
  sheared(0, 1) = 0.5;
  EXPECT_EQ(acedSetCurrentUCS(sheared), Acad::eInvalidInput);
  EXPECT_TRUE(a->hostUcs().isEqualTo(AcGeMatrix3d::kIdentity));
  AcGeMatrix3d plan;
  EXPECT_EQ(hostPlanUcs(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 1), plan), Acad::eInvalidInput);
  EXPECT_EQ(hostPlanUcs(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 0), plan), Acad::eInvalidInput);
  EXPECT_EQ(acedSetCurrentUCS(AcGeMatrix3d::rotation(0.3, AcGeVector3d::kXAxis, AcGePoint3d(1, 2, 3))), Acad::eOk);
}

// ---- system variables -----------------------------------------------------------------

// Reads a text variable; an empty optional-like answer "<RTERROR>" when refused.
std::wstring textVar(const wchar_t* name) {
  resbuf rb{};
  if (acedGetVar(name, &rb) != RTNORM) return L"<RTERROR>";
  if (rb.restype != RTSTR) return L"<not a text>";
  std::wstring text = rb.resval.rstring;
  acutDelString(rb.resval.rstring);
  return text;
}

int setText(const wchar_t* name, const wchar_t* value) {
  Chain rb(acutBuildList(RTSTR, value, RTNONE));
  return acedSetVar(name, rb.get());
}

TEST_F(UcsTest, DrawingNameVariablesFollowTheCurrentDocument) {
  open("a.hdw");
  open("sub/b.dxf");
  EXPECT_EQ(textVar(L"DWGNAME"), L"b.dxf");
  EXPECT_EQ(textVar(L"dwgprefix"), path("sub") + L"/");
  manager()->activateDocument(manager()->hostFindDocument(path("a.hdw")));
  EXPECT_EQ(textVar(L"DwgName"), L"a.hdw");
  manager()->hostCloseAll();
  EXPECT_EQ(textVar(L"DWGNAME"), L"<RTERROR>");
  EXPECT_EQ(textVar(L"SAVEFILE"), L"");
}

TEST_F(UcsTest, SaveFileIsTheDrawingsNameInTheSaveFolder) {
  open("plan.dxf");
  std::wstring folder = textVar(L"SAVEFILEPATH");
  EXPECT_EQ(setText(L"savefilepath", path("saves").c_str()), RTNORM);
  EXPECT_EQ(textVar(L"savefile"), path("saves") + L"/plan.sv$");
  // The automatic save file is the host's to name.
  EXPECT_EQ(setText(L"SAVEFILE", L"/elsewhere/x.sv$"), RTERROR);
  EXPECT_EQ(setText(L"SAVEFILEPATH", L""), RTERROR);
  EXPECT_EQ(setText(L"SAVEFILEPATH", folder.c_str()), RTNORM);
}

TEST_F(UcsTest, CurrentLayerIsReadFromAndSetInTheWorkingDatabase) {
  AcApDocument* a = open("a.hdw");
  EXPECT_EQ(textVar(L"CLAYER"), L"0");
  AcDbLayerTable* table = nullptr;
  ASSERT_EQ(a->database()->getLayerTable(table, AcDb::kForWrite), Acad::eOk);
  auto* layer = new AcDbLayerTableRecord();
  layer->setName(L"PIPES");
  AcDbObjectId id;
  ASSERT_EQ(table->add(id, layer), Acad::eOk);
  layer->close();
  table->close();
  EXPECT_EQ(setText(L"clayer", L"PIPES"), RTNORM);
  EXPECT_EQ(a->database()->clayer(), id);
  EXPECT_EQ(textVar(L"CLAYER"), L"PIPES");
  EXPECT_EQ(setText(L"CLAYER", L"NO SUCH LAYER"), RTERROR);
  EXPECT_EQ(a->database()->clayer(), id);
}

TEST_F(UcsTest, VariablesRefuseUnknownNamesReadOnlyNamesAndWrongTypes) {
  open("a.hdw");
  resbuf rb{};
  EXPECT_EQ(acedGetVar(L"NOSUCHVAR", &rb), RTERROR);
  EXPECT_EQ(acedGetVar(nullptr, &rb), RTERROR);
  EXPECT_EQ(acedGetVar(L"CMDECHO", nullptr), RTERROR);
  EXPECT_EQ(setText(L"NOSUCHVAR", L"x"), RTERROR);
  EXPECT_EQ(setText(L"DWGNAME", L"x.hdw"), RTERROR);
  EXPECT_EQ(setText(L"CMDECHO", L"1"), RTERROR);
  Chain two(acutBuildList(RTSHORT, 2, RTNONE));
  EXPECT_EQ(acedSetVar(L"CMDECHO", two.get()), RTERROR);
  Chain zero(acutBuildList(RTSHORT, 0, RTNONE));
  EXPECT_EQ(acedSetVar(L"CMDECHO", zero.get()), RTNORM);
  ASSERT_EQ(acedGetVar(L"CMDECHO", &rb), RTNORM);
  EXPECT_EQ(rb.restype, RTSHORT);
  EXPECT_EQ(rb.resval.rint, 0);
  Chain one(acutBuildList(RTLONG, 1, RTNONE));
  EXPECT_EQ(acedSetVar(L"CMDECHO", one.get()), RTNORM);
  // A real variable takes an integer; an integer one refuses what a short cannot hold.
  EXPECT_EQ(acedSetVar(L"USERR1", one.get()), RTNORM);
  ASSERT_EQ(acedGetVar(L"USERR1", &rb), RTNORM);
  EXPECT_EQ(rb.restype, RTREAL);
  EXPECT_EQ(rb.resval.rreal, 1.0);
  Chain big(acutBuildList(RTLONG, 40000, RTNONE));
  EXPECT_EQ(acedSetVar(L"USERI1", big.get()), RTERROR);
}

TEST_F(UcsTest, UcsVariablesDescribeTheCurrentUcs) {
  open("a.hdw");
  resbuf rb{};
  ASSERT_EQ(acedGetVar(L"WORLDUCS", &rb), RTNORM);
  EXPECT_EQ(rb.resval.rint, 1);
  turnUcs();
  ASSERT_EQ(acedGetVar(L"WORLDUCS", &rb), RTNORM);
  EXPECT_EQ(rb.resval.rint, 0);
  ASSERT_EQ(acedGetVar(L"UCSORG", &rb), RTNORM);
  EXPECT_EQ(rb.restype, RT3DPOINT);
  expectNear(AcGePoint3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]), AcGePoint3d(10, 20, 0));
  ASSERT_EQ(acedGetVar(L"UCSYDIR", &rb), RTNORM);
  const double h = std::sqrt(0.5);
  expectNear(AcGePoint3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]), AcGePoint3d(-h, h, 0));
}

// ---- entity names ---------------------------------------------------------------------

AcDbObjectId firstEntity(AcDbDatabase* db) {
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return AcDbObjectId();
  std::vector<AcDbObjectId> ids = space->entityIds(true);
  space->close();
  return ids.empty() ? AcDbObjectId() : ids.front();
}

TEST_F(UcsTest, EntityNamesAndIdsConvertBothWays) {
  AcApDocument* a = open("a.hdw");
  addLine(a->database(), 4);
  AcDbObjectId id = firstEntity(a->database());
  ads_name name;
  ASSERT_EQ(acdbGetAdsName(name, id), Acad::eOk);
  AcDbObjectId back;
  ASSERT_EQ(acdbGetObjectId(back, name), Acad::eOk);
  EXPECT_EQ(back, id);
  // An erased entity's name still converts: LISP may bring the entity back.
  AcDbEntity* ent = nullptr;
  ASSERT_EQ(acdbOpenObject(ent, id, AcDb::kForWrite), Acad::eOk);
  ent->erase();
  ent->close();
  ASSERT_EQ(acdbGetObjectId(back, name), Acad::eOk);
  EXPECT_EQ(back, id);
  // Objects of another open document convert too.
  open("b.hdw");
  ASSERT_EQ(acdbGetObjectId(back, name), Acad::eOk);
  EXPECT_EQ(back, id);
}

TEST_F(UcsTest, NamesOfNoOpenObjectAreRefused) {
  AcApDocument* a = open("a.hdw");
  addLine(a->database(), 4);
  ads_name name;
  ASSERT_EQ(acdbGetAdsName(name, firstEntity(a->database())), Acad::eOk);
  AcDbObjectId id;
  ads_name zero = {0, 0};
  EXPECT_EQ(acdbGetObjectId(id, zero), Acad::eNullObjectId);
  int somewhere = 0;
  ads_name madeUp = {reinterpret_cast<std::int64_t>(&somewhere), 0};
  EXPECT_EQ(acdbGetObjectId(id, madeUp), Acad::eUnknownHandle);
  EXPECT_TRUE(id.isNull());
  // The drawing closed, its names lead nowhere.
  manager()->closeDocument(a);
  EXPECT_EQ(acdbGetObjectId(id, name), Acad::eUnknownHandle);
  ads_name out = {7, 7};
  EXPECT_EQ(acdbGetAdsName(out, AcDbObjectId()), Acad::eNullObjectId);
  EXPECT_EQ(out[0], 0);
}

TEST_F(UcsTest, TextScreenRequestsAreCounted) {
  int before = hostTextScreenRequests();
  EXPECT_EQ(acedTextScr(), RTNORM);
  EXPECT_EQ(acedTextScr(), RTNORM);
  EXPECT_EQ(acedGraphScr(), RTNORM);
  EXPECT_EQ(hostTextScreenRequests(), before + 2);
}

}  // namespace
