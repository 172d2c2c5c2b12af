// The flow arrow from LISP: inserting, the keyed settings and their walking rules, the
// hanger list, the refusals with their messages; and the class as the host sees it.
#include "arrow/arrow_lisp.h"
#include "arx/db_entities.h"
#include "frame/module_lifecycle.h"
#include "pipe/PlumbPipe.h"
#include "test_arrow_fixture.h"

namespace {

constexpr wchar_t kWrongType[] = L"\nWrong type of arguments passed.\n";
constexpr wchar_t kLispFailure[] = L"; error: ADS request error";

class ArrowLisp : public ArrowTest {
 protected:
  // A new arrow from (0 0 0) to (100 0 0), bound to the symbol "a".
  AcDbObjectId insert(const std::string& args = "'(0 0 0) '(100 0 0) 0 0 nil") {
    const AcDbObjectId id = idOf("(setq a (ov_plumb-insertPipeArrow " + args + "))");
    EXPECT_FALSE(id.isNull());
    return id;
  }
};

TEST_F(ArrowLisp, InsertingPutsANewArrowInModelSpace) {
  const AcDbObjectId id = insert("'(1 2 3) '(101 2 3) 2.5 4 T");
  ASSERT_FALSE(id.isNull());
  EXPECT_EQ(modelSpaceCount(), 1);
  EXPECT_EQ(output_, L"");
  readArrow(id, [](PlumbPipeArrow& a) {
    EXPECT_TRUE(a.startPoint().isEqualTo({1, 2, 3}));
    EXPECT_TRUE(a.endPoint().isEqualTo({101, 2, 3}));
    EXPECT_EQ(a.tailOffset(), 2.5);
    EXPECT_EQ(a.headOffset(), 4.0) << "an integer offset reads as a real";
    EXPECT_TRUE(a.isReversed());
    EXPECT_EQ(a.pipeId(), 0);
    EXPECT_EQ(a.arrowLength(), 12.0);
    EXPECT_TRUE(a.hangers().isEmpty());
  });
  // A flat point lies at elevation 0; any value but nil reverses.
  readArrow(insert("'(5 6) '(7 8) 0 0 \"yes\""), [](PlumbPipeArrow& a) {
    EXPECT_TRUE(a.startPoint().isEqualTo({5, 6, 0}));
    EXPECT_TRUE(a.isReversed());
  });
  readArrow(insert("'(5 6) '(7 8) 0 0 nil"), [](PlumbPipeArrow& a) { EXPECT_FALSE(a.isReversed()); });
}

// Any argument that cannot be read, a missing one included, is the wrong type, and no
// arrow is made.
TEST_F(ArrowLisp, InsertingWithAWrongArgumentMakesNothing) {
  const char* calls[] = {
      "(ov_plumb-insertPipeArrow \"0,0\" '(1 0 0) 0 0 nil)",
      "(ov_plumb-insertPipeArrow '(0 0 0) nil 0 0 nil)",
      "(ov_plumb-insertPipeArrow '(0 0 0) '(1 0 0) \"0\" 0 nil)",
      "(ov_plumb-insertPipeArrow '(0 0 0) '(1 0 0) 0 '(1 2 3) nil)",
      "(ov_plumb-insertPipeArrow '(0 0 0) '(1 0 0) 0 0 (list \"x\" \"y\"))",
      "(ov_plumb-insertPipeArrow '(0 0 0) '(1 0 0) 0 0)",
      "(ov_plumb-insertPipeArrow)",
  };
  for (const char* call : calls) {
    output_.clear();
    EXPECT_EQ(eval(call), kLispFailure) << call;
    EXPECT_EQ(output_, kWrongType) << call;
  }
  EXPECT_EQ(modelSpaceCount(), 0);
}

TEST_F(ArrowLisp, TheTypicalSettingsCallChangesWhatItNames) {
  const AcDbObjectId id = insert();
  EXPECT_EQ(eval("(ov_plumb-setPipeArrowInfo a (list \"ixPipe\" 12) (list \"HANGERDIST\" 48.0 -96.0)"
                 " (list \"REVERSEARROWS\" T))"),
            L"T");
  readArrow(id, [](PlumbPipeArrow& a) {
    EXPECT_EQ(a.pipeId(), 12);
    EXPECT_EQ(a.hangers().vec(), (std::vector<double>{48.0, -96.0}));
    EXPECT_TRUE(a.isReversed());
    EXPECT_TRUE(a.endPoint().isEqualTo({100, 0, 0})) << "what is not named stays";
  });
  EXPECT_EQ(eval("(ov_plumb-pipe-getHangerList a)"), L"((\"d\" . 48.0) (\"d\" . -96.0))");
  EXPECT_EQ(output_, L"");
}

TEST_F(ArrowLisp, EveryKeySetsItsField) {
  const AcDbObjectId id = insert();
  EXPECT_EQ(eval("(ov_plumb-setPipeArrowInfo a (list \"P1\" '(1 2 3)) (list \"P2\" 40 50 6)"
                 " (list \"ARROWLENGTH\" 6) (list \"TAILOFFSET\" 1.5) (list \"HEADOFFSET\" 2)"
                 " (list \"ixPipe\" 9.7))"),
            L"T");
  readArrow(id, [](PlumbPipeArrow& a) {
    EXPECT_TRUE(a.startPoint().isEqualTo({1, 2, 3}));
    EXPECT_TRUE(a.endPoint().isEqualTo({40, 50, 6})) << "three numbers in a row make a point";
    EXPECT_EQ(a.arrowLength(), 6.0);
    EXPECT_EQ(a.tailOffset(), 1.5);
    EXPECT_EQ(a.headOffset(), 2.0);
    EXPECT_EQ(a.pipeId(), 9) << "a real key is truncated";
  });
  // A key alone: no value to read, except for the flag, which then reads as off.
  eval("(ov_plumb-setPipeArrowInfo a (list \"REVERSEARROWS\" T))");
  EXPECT_EQ(eval("(ov_plumb-setPipeArrowInfo a (list \"P1\") (list \"ARROWLENGTH\") (list \"REVERSEARROWS\"))"), L"T");
  readArrow(id, [](PlumbPipeArrow& a) {
    EXPECT_TRUE(a.startPoint().isEqualTo({1, 2, 3}));
    EXPECT_EQ(a.arrowLength(), 6.0);
    EXPECT_FALSE(a.isReversed());
  });
}

// Keys are exact; values that cannot be read leave their field; whatever is not a list
// between or inside the settings is passed over, and the call still answers T.
TEST_F(ArrowLisp, TheWalkPassesOverWhatItCannotUse) {
  const AcDbObjectId id = insert();
  EXPECT_EQ(eval("(ov_plumb-setPipeArrowInfo a 5 \"ixPipe\" (list \"ixpipe\" 3) (list \"HangerDist\" 1.0)"
                 " (list 7 \"ixPipe\" 4) (list \"TAILOFFSET\" \"far\") (list \"P2\" \"here\")"
                 " (list \"NOSUCHKEY\" 1 2 3) (list \"HEADOFFSET\" 5.0 6.0 (list \"ixPipe\" 8)) 'stray)"),
            L"T");
  readArrow(id, [](PlumbPipeArrow& a) {
    EXPECT_EQ(a.pipeId(), 8) << "a setting nested in another's leftovers is still a setting";
    EXPECT_TRUE(a.hangers().isEmpty());
    EXPECT_EQ(a.tailOffset(), 0.0);
    EXPECT_TRUE(a.endPoint().isEqualTo({100, 0, 0}));
    EXPECT_EQ(a.headOffset(), 5.0);
  });
  EXPECT_EQ(output_, L"");
}

// The hanger list takes every number up to the end of its own list, passing over the
// rest; given no numbers it is emptied.
TEST_F(ArrowLisp, HangerDistancesReplaceTheListAndAnEmptyOneClearsIt) {
  const AcDbObjectId id = insert();
  eval("(ov_plumb-setPipeArrowInfo a (list \"HANGERDIST\" 10 \"x\" 20.5 '(1 2) nil -30) (list \"ixPipe\" 4))");
  readArrow(id, [](PlumbPipeArrow& a) {
    EXPECT_EQ(a.hangers().vec(), (std::vector<double>{10.0, 20.5, -30.0}));
    EXPECT_EQ(a.pipeId(), 4) << "the walk goes on after the hanger list";
  });
  eval("(ov_plumb-setPipeArrowInfo a (list \"HANGERDIST\" 99.0))");
  readArrow(id, [](PlumbPipeArrow& a) { EXPECT_EQ(a.hangers().vec(), (std::vector<double>{99.0})); });
  EXPECT_EQ(eval("(ov_plumb-setPipeArrowInfo a (list \"HANGERDIST\"))"), L"T");
  readArrow(id, [](PlumbPipeArrow& a) { EXPECT_TRUE(a.hangers().isEmpty()); });
  EXPECT_EQ(eval("(ov_plumb-pipe-getHangerList a)"), L"nil");
}

// Something that is not an entity name is the wrong type; an entity that cannot be
// changed as an arrow answers nil quietly and is left alone.
TEST_F(ArrowLisp, SettingsOnSomethingElse) {
  EXPECT_EQ(eval("(ov_plumb-setPipeArrowInfo \"a\" (list \"ixPipe\" 1))"), kLispFailure);
  EXPECT_EQ(output_, kWrongType);
  output_.clear();
  EXPECT_EQ(eval("(ov_plumb-setPipeArrowInfo)"), kLispFailure);
  EXPECT_EQ(output_, kWrongType);

  output_.clear();
  bind(L"ln", add(new AcDbLine({0, 0, 0}, {5, 5, 0})));
  EXPECT_EQ(eval("(ov_plumb-setPipeArrowInfo ln (list \"ixPipe\" 1))"), L"nil");

  const AcDbObjectId id = insert();
  PlumbPipeArrow* held = nullptr;
  ASSERT_EQ(acdbOpenObject(held, id, AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(eval("(ov_plumb-setPipeArrowInfo a (list \"ixPipe\" 1))"), L"nil") << "open elsewhere";
  held->close();
  readArrow(id, [](PlumbPipeArrow& a) { EXPECT_EQ(a.pipeId(), 0); });

  EXPECT_EQ(eval("(entdel a)"), eval("a"));
  EXPECT_EQ(eval("(ov_plumb-setPipeArrowInfo a (list \"ixPipe\" 1))"), L"nil") << "erased";
  EXPECT_EQ(output_, L"");
}

TEST_F(ArrowLisp, TheHangerListOfSomethingElse) {
  EXPECT_EQ(eval("(ov_plumb-pipe-getHangerList \"arrow\")"), kLispFailure);
  EXPECT_EQ(output_, kWrongType);
  output_.clear();
  EXPECT_EQ(eval("(ov_plumb-pipe-getHangerList)"), kLispFailure);
  EXPECT_EQ(output_, kWrongType);

  output_.clear();
  bind(L"ln", add(new AcDbLine({0, 0, 0}, {5, 5, 0})));
  EXPECT_EQ(eval("(ov_plumb-pipe-getHangerList ln)"), L"nil");
  insert();
  eval("(ov_plumb-setPipeArrowInfo a (list \"HANGERDIST\" 5))");
  eval("(entdel a)");
  EXPECT_EQ(eval("(ov_plumb-pipe-getHangerList a)"), L"nil") << "erased";
  EXPECT_EQ(output_, L"");
}

// The hanger list may be read while the arrow is open for read elsewhere.
TEST_F(ArrowLisp, TheHangerListReadsAnArrowOthersAreReading) {
  const AcDbObjectId id = insert();
  eval("(ov_plumb-setPipeArrowInfo a (list \"HANGERDIST\" -24 12.5))");
  PlumbPipeArrow* reading = nullptr;
  ASSERT_EQ(acdbOpenObject(reading, id, AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(eval("(ov_plumb-pipe-getHangerList a)"), L"((\"d\" . -24.0) (\"d\" . 12.5))");
  reading->close();
}

// ---- the class ----------------------------------------------------------------------

TEST_F(ArrowLisp, TheClassIsRegisteredAsTheHostExpects) {
  AcRxClass* cls = acrxFindClass(L"PlumbPipeArrow");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(PlumbPipeArrow::desc(), cls);
  EXPECT_EQ(cls->myParent(), AcDbEntity::desc());
  EXPECT_EQ(std::wstring(cls->dxfName()), L"OVPLUMBPIPEARROW");
  EXPECT_EQ(acrxFindClassByDxfName(L"OVPLUMBPIPEARROW"), cls);
  const std::wstring app = cls->appName();
  EXPECT_EQ(app.rfind(L"\"Plumbing Pipe Arrow|Orvane Software, Inc|", 0), 0u) << acutWideToUtf8(app);
  EXPECT_EQ(app.back(), L'"');
  EXPECT_EQ(cls->proxyFlags(), 1);
  int dwg = 0, maint = 0;
  cls->getClassVersion(dwg, maint);
  EXPECT_EQ(dwg, 1);
  EXPECT_EQ(maint, 1);

  AcRxObject* made = cls->create();
  PlumbPipeArrow* arrow = PlumbPipeArrow::cast(made);
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(arrow->arrowLength(), 12.0);
  EXPECT_EQ(arrow->isA(), cls);
  delete made;

  PlumbPipeArrow::rxInit();
  EXPECT_EQ(acrxFindClass(L"PlumbPipeArrow"), cls) << "registering again keeps the same descriptor";
}

// The module's initialisation registers the pipe, then the arrow, and unload removes
// both in the same order.
TEST_F(ArrowLisp, TheModuleRegistersTheArrowAfterThePipe) {
  const std::vector<ovModuleClass> classes = ovStandardModuleClasses();
  int pipeAt = -1, arrowAt = -1;
  for (size_t i = 0; i < classes.size(); ++i) {
    if (classes[i].initialise == &PlumbPipe::rxInit) pipeAt = static_cast<int>(i);
    if (classes[i].initialise == &PlumbPipeArrow::rxInit) {
      arrowAt = static_cast<int>(i);
      EXPECT_EQ(classes[i].remove, &PlumbPipeArrow::rxUninit);
    }
  }
  EXPECT_GE(pipeAt, 0);
  EXPECT_GT(arrowAt, pipeAt);
}

// Unloaded and loaded again, the class gets a new descriptor and arrows still work.
TEST_F(ArrowLisp, TheClassCanBeRemovedAndRegisteredAgain) {
  PlumbPipeArrow::rxUninit();
  EXPECT_EQ(acrxFindClass(L"PlumbPipeArrow"), nullptr);
  EXPECT_EQ(PlumbPipeArrow::desc(), nullptr);
  PlumbPipeArrow::rxInit();
  acrxBuildClassHierarchy();
  ASSERT_NE(acrxFindClass(L"PlumbPipeArrow"), nullptr);
  EXPECT_EQ(PlumbPipeArrow::desc(), acrxFindClass(L"PlumbPipeArrow"));
  const AcDbObjectId id = insert();
  readArrow(id, [](PlumbPipeArrow& a) { EXPECT_TRUE(a.endPoint().isEqualTo({100, 0, 0})); });
}

AcRxObject* makeLine() { return new AcDbLine(); }

// Another application's class under the arrow's name would misread every arrow: the
// host is stopped rather than let that happen.
TEST(ArrowClassDeathTest, AnotherClassUnderTheNameStopsTheHost) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        newAcRxClass(L"PlumbPipeArrow", L"AcDbEntity", 1, 1, 0, &makeLine, L"SOMEONEELSE", L"Someone else");
        PlumbPipeArrow::rxInit();
      },
      "Class mismatch");
}

}  // namespace
