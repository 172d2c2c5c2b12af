// The result builders, seen the way the LISP program sees them: a registered function
// builds its answer and LISP prints it; and the chain they build, buffer by buffer.
#include <gtest/gtest.h>

#include <vector>

#include "arx/aced_lisp.h"
#include "arx/db_entities.h"
#include "frame/lisp_result.h"
#include "frame_fixture.h"

namespace {

std::vector<int> typesOf(const resbuf* rb) {
  std::vector<int> types;
  for (; rb != nullptr; rb = rb->rbnext) types.push_back(rb->restype);
  return types;
}

using ResultBuilders = FrameTest;

// Beginning again drops what was built; each pair is list start, car, dot, cdr, list end.
TEST_F(ResultBuilders, TextsAndEveryDottedPairKindReachLisp) {
  defineTestCall([] {
    ResultList list;
    resultListBegin(list);
    resultAddString(list, L"dropped");
    resultListBegin(list);
    resultAddString(list, L"first");
    resultAddStringString(list, L"key", L"value");
    resultAddStringLong(list, L"count", 70000);
    resultAddStringReal(list, L"length", 2.5);
    resultAddLongReal(list, 7, -1.5);
    resultAddStringNil(list, L"none");
    EXPECT_EQ(typesOf(list.head), std::vector<int>({RTLB, RTSTR, RTLB, RTSTR, RTDOTE, RTSTR, RTLE, RTLB, RTSTR,
                                                    RTDOTE, RTLONG, RTLE, RTLB, RTSTR, RTDOTE, RTREAL, RTLE, RTLB,
                                                    RTLONG, RTDOTE, RTREAL, RTLE, RTLB, RTSTR, RTDOTE, RTNIL, RTLE}));
    EXPECT_EQ(list.tail->rbnext, nullptr) << "the tail is the last buffer";
    resultListReturn(list);
    return RSRSLT;
  });
  EXPECT_EQ(eval("(test-call)"),
            L"(\"first\" (\"key\" . \"value\") (\"count\" . 70000) (\"length\" . 2.5) (7 . -1.5) (\"none\"))");
  EXPECT_EQ(eval("(cdr (assoc \"none\" (test-call)))"), L"nil");

  // Outside a call the host refuses the value; the list is released all the same.
  ResultList list;
  resultListBegin(list);
  resultAddString(list, L"x");
  resultListReturn(list);
  EXPECT_EQ(list.head, nullptr);
  EXPECT_EQ(list.tail, nullptr);
}

// An entity pair carries the entity's name; no object gives nil, and an object without a
// name (not in a drawing) adds nothing. The object name builders answer the entity or nil.
TEST_F(ResultBuilders, EntitiesAreAnsweredByTheirNames) {
  ASSERT_NE(open("p/plan.hdw"), nullptr);
  const AcDbObjectId lineId = appendToModelSpace(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(5, 5, 0)));
  ASSERT_FALSE(lineId.isNull());
  const auto withLine = [lineId](const std::function<void(AcDbEntity*)>& use) {
    AcDbEntity* line = nullptr;
    if (acdbOpenObject(line, lineId, AcDb::kForRead) != Acad::eOk) return RSERR;
    use(line);
    line->close();
    return RSRSLT;
  };
  defineTestCall([&] {
    ResultList list;
    resultListBegin(list);
    const int status = withLine([&](AcDbEntity* line) { resultAddStringEntity(list, L"pipe", line); });
    resultAddStringEntity(list, L"arrow", nullptr);
    AcDbLine loose(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    resultAddStringEntity(list, L"loose", &loose);
    resultListReturn(list);
    return status;
  });
  EXPECT_EQ(eval("(length (test-call))"), L"2");
  EXPECT_EQ(eval("(equal (cdr (assoc \"pipe\" (test-call))) (entlast))"), L"T");
  EXPECT_EQ(eval("(assoc \"arrow\" (test-call))"), L"(\"arrow\")");

  defineTestCall([lineId] {
    retObjectIdName(lineId);
    return RSRSLT;
  });
  EXPECT_EQ(eval("(equal (test-call) (entlast))"), L"T");
  defineTestCall([&] { return withLine([](AcDbEntity* line) { retObjectName(line); }); });
  EXPECT_EQ(eval("(equal (test-call) (entlast))"), L"T");
  defineTestCall([] {
    acedRetT();
    retObjectIdName(AcDbObjectId());
    return RSRSLT;
  });
  EXPECT_EQ(eval("(test-call)"), L"nil");
  defineTestCall([] {
    acedRetT();
    retObjectName(nullptr);
    return RSRSLT;
  });
  EXPECT_EQ(eval("(test-call)"), L"nil");
}

}  // namespace
