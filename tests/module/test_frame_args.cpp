// The argument readers over chains made with acutBuildList: what each accepts, what it
// stores, how far it moves the cursor, and that a failing reader leaves it in place.
#include <gtest/gtest.h>

#include "arx/ads_names.h"
#include "arx/db_entities.h"
#include "frame/lisp_args.h"
#include "frame_fixture.h"

namespace {

// The buffer `steps` links after the head, or null past the end.
const resbuf* nth(const ArgCursor& args, int steps) {
  const resbuf* rb = args.head;
  for (int i = 0; i < steps && rb != nullptr; ++i) rb = rb->rbnext;
  return rb;
}

TEST(ArgReaders, EveryReaderFailsOnAnEmptyCursor) {
  ArgCursor args(nullptr);
  std::wstring text;
  int integer = 0;
  double real = 0;
  bool flag = false;
  AcGePoint2d p2;
  AcGePoint3d p3;
  AcDbObjectId id;
  EXPECT_FALSE(argString(args, text));
  EXPECT_FALSE(argInt(args, integer));
  EXPECT_FALSE(argReal(args, real));
  EXPECT_FALSE(argRealOnly(args, real));
  EXPECT_FALSE(argBool(args, flag));
  EXPECT_FALSE(argPoint2d(args, p2));
  EXPECT_FALSE(argPoint3d(args, p3));
  EXPECT_FALSE(argObjectId(args, id));
  EXPECT_FALSE(argListBegin(args));
  EXPECT_FALSE(argListEnd(args));
  EXPECT_FALSE(argNamedInt(args, text, integer));
  EXPECT_FALSE(argSkip(args));
}

TEST(ArgReaders, StringAndListMarksReadOnlyTheirOwnType) {
  ArgCursor args(acutBuildList(RTLB, RTSTR, L"pipe", RTSHORT, 4, RTLE, 0));
  std::wstring text = L"untouched";
  EXPECT_FALSE(argString(args, text));
  EXPECT_FALSE(argListEnd(args));
  EXPECT_EQ(args.cursor, args.head);
  EXPECT_TRUE(argListBegin(args));
  EXPECT_FALSE(argListBegin(args));
  EXPECT_TRUE(argString(args, text));
  EXPECT_EQ(text, L"pipe");
  EXPECT_FALSE(argString(args, text));
  EXPECT_EQ(args.cursor, nth(args, 2));
  int size = 0;
  EXPECT_TRUE(argInt(args, size));
  EXPECT_TRUE(argListEnd(args));
  EXPECT_TRUE(args.atEnd());
}

TEST(ArgReaders, StringViewReadsTheTextInPlaceAndOnlyATextMoves) {
  ArgCursor args(acutBuildList(RTSTR, L"OFFSETDISTANCE", RTSHORT, 4, RTSTR, L"", 0));
  std::wstring_view text;
  EXPECT_TRUE(argStringView(args, text));
  EXPECT_EQ(text, L"OFFSETDISTANCE");
  EXPECT_EQ(text.data(), args.head->resval.rstring);
  EXPECT_FALSE(argStringView(args, text));
  EXPECT_EQ(args.cursor, nth(args, 1));
  EXPECT_EQ(text, L"OFFSETDISTANCE");
  argSkip(args);
  EXPECT_TRUE(argStringView(args, text));
  EXPECT_TRUE(text.empty());
  EXPECT_TRUE(args.atEnd());
}

TEST(ArgReaders, BoolIsFalseOnlyForNilAndAListEndWhichStays) {
  ArgCursor args(acutBuildList(RTNIL, RTT, RTSHORT, 0, RTSTR, L"", RTREAL, 0.0, RTLB, RTLE, 0));
  bool flag = true;
  ASSERT_TRUE(argBool(args, flag));
  EXPECT_FALSE(flag);
  for (int i = 0; i < 4; ++i) {
    flag = false;
    ASSERT_TRUE(argBool(args, flag)) << "item " << i + 1;
    EXPECT_TRUE(flag) << "item " << i + 1 << ": T, a number, a string and a real are all true, zero or empty";
  }
  const resbuf* listStart = args.cursor;
  flag = true;
  EXPECT_FALSE(argBool(args, flag)) << "a list is no boolean";
  EXPECT_EQ(args.cursor, listStart);
  ASSERT_TRUE(argSkip(args));
  const resbuf* listEnd = args.cursor;
  flag = true;
  ASSERT_TRUE(argBool(args, flag));
  EXPECT_FALSE(flag);
  EXPECT_EQ(args.cursor, listEnd) << "the end of a list is not consumed";
}

TEST(ArgReaders, IntTruncatesTowardZeroAndSignExtendsShorts) {
  ArgCursor args(acutBuildList(RTREAL, 2.9, RTREAL, -2.9, RTSHORT, -7, RTLONG, 100000, RTREAL, 1e12, RTSTR, L"3", 0));
  int value = 0;
  ASSERT_TRUE(argInt(args, value));
  EXPECT_EQ(value, 2);
  ASSERT_TRUE(argInt(args, value));
  EXPECT_EQ(value, -2);
  ASSERT_TRUE(argInt(args, value));
  EXPECT_EQ(value, -7);
  ASSERT_TRUE(argInt(args, value));
  EXPECT_EQ(value, 100000);
  ASSERT_TRUE(argInt(args, value)) << "a real beyond the range still reads";
  EXPECT_EQ(value, 2147483647);
  const resbuf* text = args.cursor;
  value = 99;
  EXPECT_FALSE(argInt(args, value));
  EXPECT_EQ(value, 99);
  EXPECT_EQ(args.cursor, text);
}

TEST(ArgReaders, AGroupCodeIsReadAsItselfWithoutMoving) {
  ArgCursor args(acutBuildList(62, 5, RTSHORT, 1, 0));
  int value = 0;
  ASSERT_TRUE(argInt(args, value));
  EXPECT_EQ(value, 62);
  EXPECT_EQ(args.cursor, args.head);
  double real = 0;
  ASSERT_TRUE(argReal(args, real)) << "argReal falls back on argInt";
  EXPECT_EQ(real, 62.0);
  EXPECT_EQ(args.cursor, args.head);
}

TEST(ArgReaders, RealTakesIntegersButRealOnlyRefusesThem) {
  ArgCursor args(acutBuildList(RTSHORT, 3, RTLONG, -70000, RTREAL, 1.25, RTSTR, L"x", 0));
  double value = 0;
  EXPECT_FALSE(argRealOnly(args, value));
  EXPECT_EQ(args.cursor, args.head);
  ASSERT_TRUE(argReal(args, value));
  EXPECT_EQ(value, 3.0);
  ASSERT_TRUE(argReal(args, value));
  EXPECT_EQ(value, -70000.0);
  ASSERT_TRUE(argRealOnly(args, value));
  EXPECT_EQ(value, 1.25);
  EXPECT_FALSE(argReal(args, value));
  EXPECT_FALSE(argRealOnly(args, value));
  EXPECT_EQ(args.cursor, nth(args, 3));
}

TEST(ArgReaders, Point2dFromAPointOrTwoReals) {
  const ads_point point = {1.5, 2.5, 9.0};
  ArgCursor args(acutBuildList(RTPOINT, point, RTREAL, 3.0, RTREAL, 4.0, RTREAL, 5.0, RTSTR, L"x", 0));
  AcGePoint2d value;
  ASSERT_TRUE(argPoint2d(args, value));
  EXPECT_EQ(value, AcGePoint2d(1.5, 2.5));
  ASSERT_TRUE(argPoint2d(args, value));
  EXPECT_EQ(value, AcGePoint2d(3.0, 4.0));
  EXPECT_EQ(args.cursor, nth(args, 3)) << "two reals are consumed together";
  const resbuf* lastReal = args.cursor;
  value.set(-1, -1);
  EXPECT_FALSE(argPoint2d(args, value)) << "a real followed by a text is no point";
  EXPECT_EQ(args.cursor, lastReal);
  EXPECT_EQ(value, AcGePoint2d(-1, -1));
}

TEST(ArgReaders, Point2dTakesA3dPointAndAPointGroupButNotTwoIntegers) {
  const ads_point point = {7.0, 8.0, 9.0};
  ArgCursor args(acutBuildList(RT3DPOINT, point, 11, point, RTSHORT, 1, RTSHORT, 2, 0));
  AcGePoint2d value;
  ASSERT_TRUE(argPoint2d(args, value));
  EXPECT_EQ(value, AcGePoint2d(7.0, 8.0));
  ASSERT_TRUE(argPoint2d(args, value));
  EXPECT_EQ(value, AcGePoint2d(7.0, 8.0));
  const resbuf* integers = args.cursor;
  EXPECT_FALSE(argPoint2d(args, value));
  EXPECT_EQ(args.cursor, integers);
}

TEST(ArgReaders, Point3dFromNumbersInARow) {
  ArgCursor args(acutBuildList(RTSHORT, 1, RTSHORT, 2, RTSHORT, 3, RTLONG, 4, RTREAL, 5.5, 0));
  AcGePoint3d value;
  ASSERT_TRUE(argPoint3d(args, value));
  EXPECT_EQ(value, AcGePoint3d(1.0, 2.0, 3.0));
  EXPECT_EQ(args.cursor, nth(args, 3));
  ASSERT_TRUE(argPoint3d(args, value)) << "two numbers alone make a point";
  EXPECT_EQ(value, AcGePoint3d(4.0, 5.5, 0.0));
  EXPECT_TRUE(args.atEnd());
}

TEST(ArgReaders, Point3dWithATextAfterTwoNumbersLeavesTheText) {
  ArgCursor args(acutBuildList(RTREAL, 1.0, RTSHORT, 2, RTSTR, L"next", 0));
  AcGePoint3d value;
  ASSERT_TRUE(argPoint3d(args, value));
  EXPECT_EQ(value, AcGePoint3d(1.0, 2.0, 0.0));
  EXPECT_EQ(args.cursor, nth(args, 2));
  std::wstring next;
  EXPECT_TRUE(argString(args, next));
}

TEST(ArgReaders, Point3dRefusesAnIntegerFollowedByAText) {
  ArgCursor args(acutBuildList(RTSHORT, 1, RTSTR, L"2", RTSHORT, 3, 0));
  AcGePoint3d value(9, 9, 9);
  EXPECT_FALSE(argPoint3d(args, value));
  EXPECT_EQ(args.cursor, args.head);
  EXPECT_EQ(value, AcGePoint3d(9, 9, 9));
}

TEST(ArgReaders, Point3dFromPointsAndPointGroups) {
  const ads_point point = {1.0, 2.0, 3.0};
  ArgCursor args(acutBuildList(RTPOINT, point, RT3DPOINT, point, 10, point, 17, point, 18, point, 0));
  AcGePoint3d value;
  ASSERT_TRUE(argPoint3d(args, value));
  EXPECT_EQ(value, AcGePoint3d(1.0, 2.0, 0.0)) << "a 2D point has z 0 whatever its buffer holds";
  for (int i = 0; i < 3; ++i) {
    value = AcGePoint3d();
    ASSERT_TRUE(argPoint3d(args, value)) << "item " << i + 2;
    EXPECT_EQ(value, AcGePoint3d(1.0, 2.0, 3.0)) << "item " << i + 2;
  }
  const resbuf* group18 = args.cursor;
  EXPECT_FALSE(argPoint3d(args, value)) << "group 18 is not a point group";
  EXPECT_EQ(args.cursor, group18);
}

TEST(ArgReaders, NamedIntReadsADottedPairWhole) {
  ArgCursor args(acutBuildList(RTLB, RTSTR, L"a", RTDOTE, RTSHORT, 5, RTLE, RTLB, RTSTR, L"b", RTDOTE, RTREAL, -2.9,
                               RTLE, RTSTR, L"after", 0));
  std::wstring name;
  int value = 0;
  ASSERT_TRUE(argNamedInt(args, name, value));
  EXPECT_EQ(name, L"a");
  EXPECT_EQ(value, 5);
  EXPECT_EQ(args.cursor, nth(args, 5));
  ASSERT_TRUE(argNamedInt(args, name, value));
  EXPECT_EQ(name, L"b");
  EXPECT_EQ(value, -2);
  std::wstring after;
  EXPECT_TRUE(argString(args, after));
  EXPECT_EQ(after, L"after");
}

TEST(ArgReaders, NamedIntReadsAPairBuiltWithTheDotLast) {
  ArgCursor args(acutBuildList(RTLB, RTSTR, L"c", RTLONG, 12, RTDOTE, RTSTR, L"after", 0));
  std::wstring name;
  int value = 0;
  ASSERT_TRUE(argNamedInt(args, name, value));
  EXPECT_EQ(name, L"c");
  EXPECT_EQ(value, 12);
  EXPECT_EQ(args.cursor, nth(args, 4));
}

TEST(ArgReaders, NamedIntRefusesWhatIsNotATextAndIntegerPair) {
  struct Case {
    const char* what;
    resbuf* chain;
  };
  const Case cases[] = {
      {"a list of two", acutBuildList(RTLB, RTSTR, L"a", RTSHORT, 5, RTLE, 0)},
      {"a text for a value", acutBuildList(RTLB, RTSTR, L"a", RTDOTE, RTSTR, L"5", RTLE, 0)},
      {"a number for a name", acutBuildList(RTLB, RTSHORT, 1, RTDOTE, RTSHORT, 5, RTLE, 0)},
      {"a pair without its end", acutBuildList(RTLB, RTSTR, L"a", RTDOTE, RTSHORT, 5, 0)},
      {"a list of three", acutBuildList(RTLB, RTSTR, L"a", RTDOTE, RTSHORT, 5, RTSHORT, 6, RTLE, 0)},
      {"no list at all", acutBuildList(RTSTR, L"a", RTSHORT, 5, 0)},
  };
  for (const Case& c : cases) {
    ArgCursor args(c.chain);
    std::wstring name = L"kept";
    int value = 77;
    EXPECT_FALSE(argNamedInt(args, name, value)) << c.what;
    EXPECT_EQ(args.cursor, args.head) << c.what;
    EXPECT_EQ(name, L"kept") << c.what;
    EXPECT_EQ(value, 77) << c.what;
  }
}

TEST(ArgReaders, SkipStepsOverAnyOneItemUntilTheEnd) {
  ArgCursor args(acutBuildList(RTLB, RTNIL, 0));
  EXPECT_TRUE(argSkip(args));
  EXPECT_EQ(args.cursor, nth(args, 1));
  EXPECT_TRUE(argSkip(args));
  EXPECT_TRUE(args.atEnd());
  EXPECT_FALSE(argSkip(args));
  EXPECT_TRUE(args.atEnd());
}

using ObjectIdReader = FrameTest;

TEST_F(ObjectIdReader, TakesAnEntityOfTheDrawingAndRefusesAMadeUpName) {
  AcApDocument* doc = open("p/plan.hdw");
  ASSERT_NE(doc, nullptr);
  AcDbBlockTableRecord* space = nullptr;
  ASSERT_EQ(acdbOpenObject(space, doc->database()->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0));
  AcDbObjectId lineId;
  ASSERT_EQ(space->appendAcDbEntity(lineId, line), Acad::eOk);
  line->close();
  space->close();

  ads_name name = {0, 0};
  ASSERT_EQ(acdbGetAdsName(name, lineId), Acad::eOk);
  const ads_name madeUp = {name[0] + 987654, 0};
  ArgCursor args(acutBuildList(RTENAME, name, RTENAME, madeUp, RTSTR, L"x", 0));
  AcDbObjectId read;
  ASSERT_TRUE(argObjectId(args, read));
  EXPECT_EQ(read, lineId);
  const resbuf* second = args.cursor;
  read = AcDbObjectId();
  EXPECT_FALSE(argObjectId(args, read));
  EXPECT_EQ(args.cursor, second);
  EXPECT_TRUE(read.isNull());
  ASSERT_TRUE(argSkip(args));
  EXPECT_FALSE(argObjectId(args, read)) << "a text is no entity";
}

}  // namespace
