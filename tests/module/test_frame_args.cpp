// The argument readers over chains made with acutBuildList: what each accepts, what it
// stores, how far it moves the cursor, and that a failing reader leaves value and cursor.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "arx/ads_names.h"
#include "arx/db_entities.h"
#include "frame/lisp_args.h"
#include "frame_fixture.h"

namespace {

// A reader run once: what it stored, written out (the value it started with when it fails).
using Reader = std::function<std::string(ArgCursor&, bool&)>;

std::string show(double v) {
  std::ostringstream out;
  out << v;
  return out.str();
}
std::string show(int v) { return std::to_string(v); }
std::string show(bool v) { return v ? "T" : "nil"; }
std::string show(const std::wstring& v) { return acutWideToUtf8(v); }
std::string show(const AcGePoint2d& v) { return show(v.x) + "," + show(v.y); }
std::string show(const AcGePoint3d& v) { return show(v.x) + "," + show(v.y) + "," + show(v.z); }

template <typename T>
Reader reader(bool (*read)(ArgCursor&, T&), T start) {
  return [read, start](ArgCursor& a, bool& ok) {
    T v = start;
    ok = read(a, v);
    return show(v);
  };
}

const Reader kString = reader(argString, std::wstring(L"untouched"));
const Reader kInt = reader(argInt, 99);
const Reader kReal = reader(argReal, 99.0);
const Reader kRealOnly = reader(argRealOnly, 99.0);
const Reader kBool = reader(argBool, true);
const Reader kPoint2d = reader(argPoint2d, AcGePoint2d(-1, -1));
const Reader kPoint3d = reader(argPoint3d, AcGePoint3d(9, 9, 9));
const Reader kNamedInt = [](ArgCursor& a, bool& ok) {
  std::wstring name = L"kept";
  int v = 77;
  ok = argNamedInt(a, name, v);
  return show(name) + "=" + show(v);
};
const Reader kListBegin = [](ArgCursor& a, bool& ok) { return (ok = argListBegin(a)) ? "(" : ""; };
const Reader kListEnd = [](ArgCursor& a, bool& ok) { return (ok = argListEnd(a)) ? ")" : ""; };
const Reader kSkip = [](ArgCursor& a, bool& ok) { return (ok = argSkip(a)) ? "skipped" : ""; };

struct ReadCase {
  const char* what;
  resbuf* chain;
  const Reader& read;
  bool ok;
  std::string value;
  int steps;  // buffers the cursor moves; none when the reader fails
};

TEST(ArgReaders, EachReaderTakesItsKindsAndMovesPastWhatItRead) {
  const ads_point point = {1.5, 2.5, 9.0};
  const ReadCase cases[] = {
      {"a text", acutBuildList(RTSTR, L"pipe", 0), kString, true, "pipe", 1},
      {"a list is no text", acutBuildList(RTLB, RTSTR, L"pipe", RTLE, 0), kString, false, "untouched", 0},
      {"a number is no text", acutBuildList(RTSHORT, 4, 0), kString, false, "untouched", 0},
      {"a list start", acutBuildList(RTLB, RTLE, 0), kListBegin, true, "(", 1},
      {"a text is no list start", acutBuildList(RTSTR, L"x", 0), kListBegin, false, "", 0},
      {"a list end", acutBuildList(RTLE, 0), kListEnd, true, ")", 1},
      {"a list start is no list end", acutBuildList(RTLB, RTLE, 0), kListEnd, false, "", 0},
      {"a real truncated", acutBuildList(RTREAL, 2.9, 0), kInt, true, "2", 1},
      {"toward zero", acutBuildList(RTREAL, -2.9, 0), kInt, true, "-2", 1},
      {"a short sign-extended", acutBuildList(RTSHORT, -7, 0), kInt, true, "-7", 1},
      {"a long", acutBuildList(RTLONG, 100000, 0), kInt, true, "100000", 1},
      {"a real beyond the range", acutBuildList(RTREAL, 1e12, 0), kInt, true, "2147483647", 1},
      {"a text is no integer", acutBuildList(RTSTR, L"3", 0), kInt, false, "99", 0},
      {"a group code is itself and stays", acutBuildList(62, 5, 0), kInt, true, "62", 0},
      {"a real takes a group code through argInt", acutBuildList(62, 5, 0), kReal, true, "62", 0},
      {"a real takes a short", acutBuildList(RTSHORT, 3, 0), kReal, true, "3", 1},
      {"a real takes a long", acutBuildList(RTLONG, -70000, 0), kReal, true, "-70000", 1},
      {"a real", acutBuildList(RTREAL, 1.25, 0), kRealOnly, true, "1.25", 1},
      {"only a real refuses a short", acutBuildList(RTSHORT, 3, 0), kRealOnly, false, "99", 0},
      {"a text is no real", acutBuildList(RTSTR, L"x", 0), kReal, false, "99", 0},
      {"nil is false", acutBuildList(RTNIL, 0), kBool, true, "nil", 1},
      {"T is true", acutBuildList(RTT, 0), kBool, true, "T", 1},
      {"zero is true", acutBuildList(RTSHORT, 0, 0), kBool, true, "T", 1},
      {"an empty text is true", acutBuildList(RTSTR, L"", 0), kBool, true, "T", 1},
      {"a zero real is true", acutBuildList(RTREAL, 0.0, 0), kBool, true, "T", 1},
      {"a list is no boolean", acutBuildList(RTLB, RTLE, 0), kBool, false, "T", 0},
      {"a list end is false and stays", acutBuildList(RTLE, 0), kBool, true, "nil", 0},
      {"a 2D point", acutBuildList(RTPOINT, point, 0), kPoint2d, true, "1.5,2.5", 1},
      {"two reals", acutBuildList(RTREAL, 3.0, RTREAL, 4.0, RTREAL, 5.0, 0), kPoint2d, true, "3,4", 2},
      {"a real and a text", acutBuildList(RTREAL, 5.0, RTSTR, L"x", 0), kPoint2d, false, "-1,-1", 0},
      {"a 3D point as 2D", acutBuildList(RT3DPOINT, point, 0), kPoint2d, true, "1.5,2.5", 1},
      {"a point group as 2D", acutBuildList(11, point, 0), kPoint2d, true, "1.5,2.5", 1},
      {"two integers are no 2D point", acutBuildList(RTSHORT, 1, RTSHORT, 2, 0), kPoint2d, false, "-1,-1", 0},
      {"three numbers", acutBuildList(RTSHORT, 1, RTSHORT, 2, RTSHORT, 3, RTLONG, 4, 0), kPoint3d, true, "1,2,3", 3},
      {"two numbers alone", acutBuildList(RTLONG, 4, RTREAL, 5.5, 0), kPoint3d, true, "4,5.5,0", 2},
      {"two numbers and a text", acutBuildList(RTREAL, 1.0, RTSHORT, 2, RTSTR, L"n", 0), kPoint3d, true, "1,2,0", 2},
      {"an integer and a text", acutBuildList(RTSHORT, 1, RTSTR, L"2", RTSHORT, 3, 0), kPoint3d, false, "9,9,9", 0},
      {"a 2D point has z 0", acutBuildList(RTPOINT, point, 0), kPoint3d, true, "1.5,2.5,0", 1},
      {"a 3D point", acutBuildList(RT3DPOINT, point, 0), kPoint3d, true, "1.5,2.5,9", 1},
      {"point group 10", acutBuildList(10, point, 0), kPoint3d, true, "1.5,2.5,9", 1},
      {"point group 17", acutBuildList(17, point, 0), kPoint3d, true, "1.5,2.5,9", 1},
      {"group 18 is no point", acutBuildList(18, point, 0), kPoint3d, false, "9,9,9", 0},
      {"a dotted pair", acutBuildList(RTLB, RTSTR, L"a", RTDOTE, RTSHORT, 5, RTLE, RTSTR, L"after", 0), kNamedInt,
       true, "a=5", 5},
      {"a dotted pair of a real", acutBuildList(RTLB, RTSTR, L"b", RTDOTE, RTREAL, -2.9, RTLE, 0), kNamedInt, true,
       "b=-2", 5},
      {"a pair built with the dot last", acutBuildList(RTLB, RTSTR, L"c", RTLONG, 12, RTDOTE, RTSTR, L"x", 0),
       kNamedInt, true, "c=12", 4},
      {"a list of two", acutBuildList(RTLB, RTSTR, L"a", RTSHORT, 5, RTLE, 0), kNamedInt, false, "kept=77", 0},
      {"a text for a value", acutBuildList(RTLB, RTSTR, L"a", RTDOTE, RTSTR, L"5", RTLE, 0), kNamedInt, false,
       "kept=77", 0},
      {"a number for a name", acutBuildList(RTLB, RTSHORT, 1, RTDOTE, RTSHORT, 5, RTLE, 0), kNamedInt, false,
       "kept=77", 0},
      {"a pair without its end", acutBuildList(RTLB, RTSTR, L"a", RTDOTE, RTSHORT, 5, 0), kNamedInt, false,
       "kept=77", 0},
      {"a list of three", acutBuildList(RTLB, RTSTR, L"a", RTDOTE, RTSHORT, 5, RTSHORT, 6, RTLE, 0), kNamedInt, false,
       "kept=77", 0},
      {"no list at all", acutBuildList(RTSTR, L"a", RTSHORT, 5, 0), kNamedInt, false, "kept=77", 0},
      {"any one item", acutBuildList(RTLB, RTNIL, 0), kSkip, true, "skipped", 1},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    ArgCursor args(c.chain);
    bool ok = !c.ok;
    EXPECT_EQ(c.read(args, ok), c.value);
    EXPECT_EQ(ok, c.ok);
    const resbuf* expected = args.head;
    for (int i = 0; i < c.steps; ++i) expected = expected->rbnext;
    EXPECT_EQ(args.cursor, expected);
  }
  for (const Reader* read : {&kString, &kInt, &kReal, &kRealOnly, &kBool, &kPoint2d, &kPoint3d, &kNamedInt,
                             &kListBegin, &kListEnd, &kSkip}) {
    ArgCursor empty(nullptr);
    bool ok = true;
    (*read)(empty, ok);
    EXPECT_FALSE(ok) << "every reader fails at the end";
  }
}

TEST(ArgReaders, StringViewReadsTheTextInPlaceAndOnlyATextMoves) {
  ArgCursor args(acutBuildList(RTSTR, L"OFFSETDISTANCE", RTSHORT, 4, RTSTR, L"", 0));
  std::wstring_view text;
  EXPECT_TRUE(argStringView(args, text));
  EXPECT_EQ(text, L"OFFSETDISTANCE");
  EXPECT_EQ(text.data(), args.head->resval.rstring);
  EXPECT_FALSE(argStringView(args, text));
  EXPECT_EQ(args.cursor, args.head->rbnext);
  EXPECT_EQ(text, L"OFFSETDISTANCE");
  argSkip(args);
  EXPECT_TRUE(argStringView(args, text));
  EXPECT_TRUE(text.empty());
  EXPECT_TRUE(args.atEnd());
}

using ObjectIdReader = FrameTest;

TEST_F(ObjectIdReader, TakesAnEntityOfTheDrawingAndRefusesAMadeUpName) {
  ASSERT_NE(open("p/plan.hdw"), nullptr);
  auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0));
  const AcDbObjectId lineId = appendToModelSpace(line);
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
