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

class ResultBuilders : public FrameTest {
 protected:
  // A line in the model space of a new drawing; its id.
  AcDbObjectId addLine() {
    AcApDocument* doc = open("p/plan.hdw");
    if (doc == nullptr) return {};
    AcDbBlockTableRecord* space = nullptr;
    if (acdbOpenObject(space, doc->database()->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) return {};
    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(5, 5, 0));
    AcDbObjectId id;
    space->appendAcDbEntity(id, line);
    line->close();
    space->close();
    return id;
  }
};

TEST_F(ResultBuilders, TextsAndEveryDottedPairKindReachLisp) {
  defineTestCall([] {
    ResultList list;
    resultListBegin(list);
    resultAddString(list, L"first");
    resultAddStringString(list, L"key", L"value");
    resultAddStringLong(list, L"count", 70000);
    resultAddStringReal(list, L"length", 2.5);
    resultAddLongReal(list, 7, -1.5);
    resultAddStringNil(list, L"none");
    resultListReturn(list);
    return RSRSLT;
  });
  EXPECT_EQ(eval("(test-call)"),
            L"(\"first\" (\"key\" . \"value\") (\"count\" . 70000) (\"length\" . 2.5) (7 . -1.5) (\"none\"))");
  EXPECT_EQ(eval("(cdr (assoc \"count\" (test-call)))"), L"70000");
  EXPECT_EQ(eval("(cdr (assoc \"none\" (test-call)))"), L"nil");
}

TEST_F(ResultBuilders, EachPairIsBuiltAsListStartCarDotCdrListEnd) {
  ResultList list;
  resultListBegin(list);
  EXPECT_EQ(typesOf(list.head), std::vector<int>({RTLB}));
  resultAddStringString(list, L"k", L"v");
  resultAddStringLong(list, L"n", 1);
  resultAddStringReal(list, L"r", 1.0);
  resultAddLongReal(list, 1, 1.0);
  resultAddStringNil(list, L"z");
  EXPECT_EQ(typesOf(list.head), std::vector<int>({RTLB, RTLB, RTSTR, RTDOTE, RTSTR, RTLE, RTLB, RTSTR, RTDOTE, RTLONG,
                                                  RTLE, RTLB, RTSTR, RTDOTE, RTREAL, RTLE, RTLB, RTLONG, RTDOTE, RTREAL,
                                                  RTLE, RTLB, RTSTR, RTDOTE, RTNIL, RTLE}));
  ASSERT_NE(list.tail, nullptr);
  EXPECT_EQ(list.tail->rbnext, nullptr) << "the tail is the last buffer";
  // Outside a call the host refuses the value; the list is released all the same.
  resultListReturn(list);
  EXPECT_EQ(list.head, nullptr);
  EXPECT_EQ(list.tail, nullptr);
}

TEST_F(ResultBuilders, BeginningAgainDropsWhatWasBuilt) {
  defineTestCall([] {
    ResultList list;
    resultListBegin(list);
    resultAddString(list, L"dropped");
    resultListBegin(list);
    resultAddString(list, L"kept");
    resultListReturn(list);
    return RSRSLT;
  });
  EXPECT_EQ(eval("(test-call)"), L"(\"kept\")");
}

TEST_F(ResultBuilders, AnEntityPairCarriesTheEntityNameAndNoObjectGivesNil) {
  const AcDbObjectId lineId = addLine();
  ASSERT_FALSE(lineId.isNull());
  defineTestCall([lineId] {
    ResultList list;
    resultListBegin(list);
    AcDbEntity* line = nullptr;
    if (acdbOpenObject(line, lineId, AcDb::kForRead) != Acad::eOk) return RSERR;
    resultAddStringEntity(list, L"pipe", line);
    line->close();
    resultAddStringEntity(list, L"arrow", nullptr);
    resultListReturn(list);
    return RSRSLT;
  });
  EXPECT_EQ(eval("(length (test-call))"), L"2");
  EXPECT_EQ(eval("(equal (cdr (assoc \"pipe\" (test-call))) (entlast))"), L"T");
  EXPECT_EQ(eval("(assoc \"arrow\" (test-call))"), L"(\"arrow\")");
}

TEST_F(ResultBuilders, AnObjectWithoutANameAddsNothing) {
  ResultList list;
  resultListBegin(list);
  AcDbLine loose(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
  resultAddStringEntity(list, L"loose", &loose);
  EXPECT_EQ(typesOf(list.head), std::vector<int>({RTLB}));
}

TEST_F(ResultBuilders, ObjectNamesAnswerTheEntityOrNil) {
  const AcDbObjectId lineId = addLine();
  ASSERT_FALSE(lineId.isNull());
  defineTestCall([lineId] {
    retObjectIdName(lineId);
    return RSRSLT;
  });
  EXPECT_EQ(eval("(equal (test-call) (entlast))"), L"T");

  defineTestCall([] {
    acedRetT();
    retObjectIdName(AcDbObjectId());
    return RSRSLT;
  });
  EXPECT_EQ(eval("(test-call)"), L"nil");

  defineTestCall([lineId] {
    AcDbEntity* line = nullptr;
    if (acdbOpenObject(line, lineId, AcDb::kForRead) != Acad::eOk) return RSERR;
    retObjectName(line);
    line->close();
    return RSRSLT;
  });
  EXPECT_EQ(eval("(equal (test-call) (entlast))"), L"T");

  defineTestCall([] {
    acedRetT();
    retObjectName(nullptr);
    return RSRSLT;
  });
  EXPECT_EQ(eval("(test-call)"), L"nil");
}

}  // namespace
