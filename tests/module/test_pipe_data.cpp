// The pipe's and the arrow's classes as the host sees them, the pipe's setters, its
// label gap, and where breaks go: the sorted list of a pipe and the ten slots of a
// fitting.
#include <algorithm>
#include <cmath>

#include "entity_fixture.h"
#include "frame/module_lifecycle.h"
#include "pipe/pipe_breaks.h"
#include "pipe/pipe_drawing.h"

namespace {

struct ClassCase {
  const wchar_t* name;
  const wchar_t* parent;
  const wchar_t* dxfName;
  std::wstring appPrefix, appSuffix;
  void (*init)();
  void (*uninit)();
};

const ClassCase kClasses[] = {
    {L"PlumbPipe", L"AcDbCurve", L"OVPLUMBPIPE", L"Plumbing Pipe|Orvane Software, Inc|", L"", PlumbPipe::rxInit,
     PlumbPipe::rxUninit},
    {L"PlumbPipeArrow", L"AcDbEntity", L"OVPLUMBPIPEARROW", L"\"Plumbing Pipe Arrow|Orvane Software, Inc|", L"\"",
     PlumbPipeArrow::rxInit, PlumbPipeArrow::rxUninit},
};

class EntityClasses : public EntityTest {};

// Registered under its names with its parent, version 1.1 and proxy flags 1; its
// pseudo-constructor makes one of its own. Registering again keeps the descriptor;
// removed and registered again, the class gets a new one and its LISP function works.
TEST_F(EntityClasses, AreRegisteredAsTheHostExpects) {
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(acutWideToUtf8(c.name));
    AcRxClass* cls = acrxFindClass(c.name);
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(std::wstring(cls->myParent()->name()), c.parent);
    EXPECT_EQ(std::wstring(cls->dxfName()), c.dxfName);
    EXPECT_EQ(acrxFindClassByDxfName(c.dxfName), cls);
    const std::wstring app = cls->appName();
    EXPECT_EQ(app.rfind(c.appPrefix, 0), 0u) << acutWideToUtf8(app);
    EXPECT_TRUE(app.ends_with(c.appSuffix) && std::count(app.begin(), app.end(), L'|') == 2);
    EXPECT_EQ(cls->proxyFlags(), 1);
    int dwg = 0, maint = 0;
    cls->getClassVersion(dwg, maint);
    EXPECT_EQ(std::make_pair(dwg, maint), std::make_pair(1, 1));
    std::unique_ptr<AcRxObject> made(cls->create());
    EXPECT_EQ(made->isA(), cls);
    c.init();
    EXPECT_EQ(acrxFindClass(c.name), cls);
    c.uninit();
    EXPECT_EQ(acrxFindClass(c.name), nullptr);
    c.init();
    acrxBuildClassHierarchy();
    ASSERT_NE(acrxFindClass(c.name), nullptr);
  }
  EXPECT_EQ(PlumbPipe::desc(), acrxFindClass(L"PlumbPipe"));
  EXPECT_EQ(PlumbPipeArrow::desc(), acrxFindClass(L"PlumbPipeArrow"));
  EXPECT_FALSE(idOf("(ov_plumb-insertPipe 7 '(0 0 0) '(1 0 0))").isNull());
  EXPECT_FALSE(idOf("(ov_plumb-insertPipeArrow '(0 0 0) '(1 0 0) 0 0 nil)").isNull());
}

// The module's initialisation registers the pipe, then the arrow, and unload removes
// them with the matching functions.
TEST_F(EntityClasses, TheModuleRegistersTheArrowAfterThePipe) {
  const std::vector<ovModuleClass> classes = ovStandardModuleClasses();
  int pipeAt = -1, arrowAt = -1;
  for (size_t i = 0; i < classes.size(); ++i) {
    if (classes[i].initialise == &PlumbPipe::rxInit && classes[i].remove == &PlumbPipe::rxUninit) pipeAt = int(i);
    if (classes[i].initialise == &PlumbPipeArrow::rxInit && classes[i].remove == &PlumbPipeArrow::rxUninit)
      arrowAt = int(i);
  }
  EXPECT_GE(pipeAt, 0);
  EXPECT_GT(arrowAt, pipeAt);
}

AcRxObject* makeLine() { return new AcDbLine(); }

// Another application's class under an entity's name would misread every entity: the
// host is stopped rather than let that happen.
TEST(EntityClassDeathTest, AnotherClassUnderTheNameStopsTheHost) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const ClassCase& c : kClasses) {
    EXPECT_DEATH(
        {
          if (AcRxClass* mine = acrxFindClass(c.name)) deleteAcRxClass(mine);
          newAcRxClass(c.name, L"AcDbEntity", 1, 1, 0, &makeLine, L"SOMEONEELSE", L"Someone|else");
          c.init();
        },
        "Class mismatch");
  }
}

// A whole point replaces the elevation, a plan point keeps it. Changes the pipe draws
// differently for are told to the host; a pipe open for read refuses them.
TEST_F(EntityClasses, PipeSettersKeepElevationsMarkTheGraphicsAndNeedTheWriteOpen) {
  const AcDbObjectId id = add(new PlumbPipe());
  PlumbPipe* p = nullptr;
  ASSERT_EQ(acdbOpenObject(p, id, AcDb::kForWrite), Acad::eOk);
  const int before = p->graphicsModifiedCount();
  p->setStartPoint({1, 2, 3}, true);
  p->setEndPoint({4, 5, 6}, true);
  p->setStartPoint({10, 20, 99}, false);
  p->setEndPoint({40, 50, -99}, false);
  p->setPipeId(9);
  EXPECT_EQ(p->graphicsModifiedCount(), before + 5);
  AcGePoint3d start, end;
  ASSERT_EQ(p->getStartPoint(start), Acad::eOk);
  ASSERT_EQ(p->getEndPoint(end), Acad::eOk);
  EXPECT_TRUE(start.isEqualTo({10, 20, 3}) && end.isEqualTo({40, 50, 6}));
  p->close();
  ASSERT_EQ(acdbOpenObject(p, id, AcDb::kForRead), Acad::eOk);
  EXPECT_THROW(p->setPipeId(10), AcDbOpenStateError);
  EXPECT_THROW(p->setBreakWidth(1.0), AcDbOpenStateError);
  EXPECT_EQ(p->pipeId(), 9);
  p->close();
}

// The label "ABCD" at height 2 is 4.8 wide; its box is 6.8 long (3.4 each way) and 4
// high (2 each way). Along the text the gap is half the box length, across it the
// height; a slanting line leaves through the edge it meets first: at 45 degrees the
// top edge, 2 x sqrt 2 away, at 20 degrees the end, 3.4 / cos 20 away. The box's
// sides are turned by the pipe's own right angle (3.14159265 / 2), a hair short of a
// true one: the end edge leans by about 2e-9.
TEST_F(EntityClasses, TheLabelGapIsWhereThePipeLeavesTheLabelsBox) {
  const double a = 20.0 * M_PI / 180.0;
  const struct {
    AcGePoint3d end;
    double rotation;
    const wchar_t* text;
    double gap, tolerance;
  } cases[] = {
      {{10, 0, 0}, 0.0, L"", 0.0, 0.0},
      {{10, 0, 0}, 0.0, L"ABCD", 3.4, 1e-9},
      {{-10, 0, 0}, 0.0, L"ABCD", 3.4, 1e-9},
      {{0, 10, 0}, M_PI / 2, L"ABCD", 3.4, 1e-6},
      {{0, 10, 0}, 0.0, L"ABCD", 2.0, 1e-9},
      {{10, 0, 0}, M_PI / 2, L"ABCD", 2.0, 1e-6},
      {{10, 10, 0}, 0.0, L"ABCD", 2.0 * std::sqrt(2.0), 1e-9},
      {{std::cos(a), std::sin(a), 0}, 0.0, L"ABCD", 3.4 / std::cos(a), 1e-7},
  };
  for (const auto& c : cases) {
    PlumbPipe p;
    p.setEndPoint(c.end, true);
    p.strText = c.text;
    p.mtLabel.setContents(c.text);
    p.mtLabel.setTextHeight(2.0);
    p.mtLabel.setRotation(c.rotation);
    EXPECT_NEAR(p.labelGap(), c.gap, c.tolerance) << c.end.x << "," << c.end.y << " turned " << c.rotation;
  }
}

// ---- breaks --------------------------------------------------------------------------

// Sorted ascending without exact duplicates: a value a hair apart is a break of its own.
TEST(PipeBreaks, TheSortedListIsAscendingWithoutExactDuplicates) {
  const std::pair<std::vector<double>, std::vector<double>> cases[] = {
      {{5.0, 2.0, 5.0, 9.0}, {2.0, 5.0, 9.0}},
      {{3.0, -1.0, 3.5, 0.0, -1.0}, {-1.0, 0.0, 3.0, 3.5}},
      {{1.0, 1.0 + 1e-12}, {1.0, 1.0 + 1e-12}},
  };
  for (const auto& [given, expected] : cases) {
    PlumbArray<double> list;
    for (double d : given) insertSortedBreak(list, d);
    EXPECT_EQ(asVector(list), expected);
  }
}

// Ten slots keep their used values first and ascending: equal values sit side by
// side, a smaller one pushes the largest out, and of more than ten the smallest stay.
// 0.0 marks an empty slot and takes none (stored in front it would hide the rest); a
// negative distance is stored.
TEST(PipeBreaks, FittingSlotsKeepTheTenSmallestUsedValuesFirst) {
  const std::vector<double> upTo12{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const std::vector<double> ten{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  const std::pair<std::vector<double>, std::vector<double>> cases[] = {
      {upTo12, ten},
      {{upTo12.rbegin(), upTo12.rend()}, ten},
      {{4.0, 2.0, 4.0}, {2.0, 4.0, 4.0}},
      {{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 15}, {10, 15, 20, 30, 40, 50, 60, 70, 80, 90}},
      {{0.0}, {}},
      {{2.0, 5.0, 0.0}, {2.0, 5.0}},
      {{3.0, -1.5}, {-1.5, 3.0}},
  };
  for (const auto& [given, used] : cases) {
    double slots[kFittingBreakSlots] = {};
    for (double d : given) insertSlotBreak(slots, d);
    std::vector<double> expected = used;
    expected.resize(kFittingBreakSlots, 0.0);
    EXPECT_EQ(std::vector<double>(slots, slots + kFittingBreakSlots), expected);
    EXPECT_EQ(usedSlotCount(slots), static_cast<int>(used.size()));
    clearSlotBreaks(slots);
    EXPECT_EQ(std::count(slots, slots + kFittingBreakSlots, 0.0), kFittingBreakSlots);
  }
}

}  // namespace
