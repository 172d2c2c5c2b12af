// The LISP functions that make pipes and store and answer their breaks and fittings,
// called as the LISP program calls them.
#include "arx/aced_lisp.h"
#include "arx/aced_print.h"
#include "arx/db_entities.h"
#include "mfc/afx_exceptions.h"
#include "pipe/pipe_functions.h"
#include "test_pipe_data_fixture.h"

namespace {

constexpr char kWrongType[] = "\nWrong type of arguments passed.\n";

class PipeLisp : public PipeFixture {
 protected:
  PipeLisp() {
    pipe_ = idOf("(setq p (ov_plumb-insertPipe 7 '(0 0 10) '(100 0 10)))");
    line_ = add(new AcDbLine({0, 0, 0}, {5, 0, 0}));
    bind(L"l", line_);
    output_.clear();
  }

  // Changes the pipe as the LISP program's setPipeInfo would have.
  template <typename Fn>
  void change(Fn&& fn) {
    PlumbPipe* pipe = nullptr;
    ASSERT_EQ(acdbOpenObject(pipe, pipe_, AcDb::kForWrite), Acad::eOk);
    fn(*pipe);
    pipe->close();
  }

  void giveTwoElbowsAndTwoArcs() {
    change([](PlumbPipe& p) {
      p.aElbows.append(elbowInfo(3.0, 0.5));
      p.aElbows.append(elbowInfo(2.0, -0.5));
      p.dArcRadius = 1.5;
      p.aArcs.append(arcInfo(2.0, 4.0, 1));
      p.aArcs.append(arcInfo(3.0, 6.0, -1));
    });
  }

  std::vector<double> elbowSlots(int index) {
    std::vector<double> slots;
    readPipe(pipe_, [&](const PlumbPipe& p) {
      slots.assign(p.aElbows[index].aBreaks, p.aElbows[index].aBreaks + kFittingBreakSlots);
    });
    return slots;
  }

  std::vector<double> breaks() {
    std::vector<double> list;
    readPipe(pipe_, [&](const PlumbPipe& p) { list = asVector(p.aBreaks); });
    return list;
  }

  double breakWidth() {
    double width = 0;
    readPipe(pipe_, [&](const PlumbPipe& p) { width = p.dBreakWidth; });
    return width;
  }

  AcDbObjectId pipe_, line_;
};

std::vector<double> slots(std::vector<double> used) {
  used.resize(kFittingBreakSlots, 0.0);
  return used;
}

TEST_F(PipeLisp, InsertPipeMakesAPipeInModelSpace) {
  ASSERT_FALSE(pipe_.isNull());
  readPipe(pipe_, [](const PlumbPipe& p) {
    EXPECT_EQ(p.ixPipe, 7);
    EXPECT_TRUE(p.ptStart.isEqualTo({0, 0, 10}));
    EXPECT_TRUE(p.ptEnd.isEqualTo({100, 0, 10}));
    EXPECT_EQ(p.dVerticalRadius, 6.0);
  });
  const AcDbObjectId other = idOf("(ov_plumb-insertPipe 8.9 '(1 2) 3 4 5 2.5)");
  readPipe(other, [](const PlumbPipe& p) {
    EXPECT_EQ(p.ixPipe, 8) << "truncated toward zero";
    EXPECT_TRUE(p.ptStart.isEqualTo({1, 2, 0}));
    EXPECT_TRUE(p.ptEnd.isEqualTo({3, 4, 5}));
    EXPECT_EQ(p.dVerticalRadius, 2.5);
  });
  EXPECT_EQ(modelSpace(db_).size(), 3u);
}

TEST_F(PipeLisp, InsertPipeWithoutItsPointsMakesNothing) {
  for (const char* call : {"(ov_plumb-insertPipe 7 '(0 0 0))", "(ov_plumb-insertPipe \"7\" '(0 0 0) '(1 0 0))",
                           "(ov_plumb-insertPipe 7 '(0 0 0) \"end\")", "(ov_plumb-insertPipe)"}) {
    output_.clear();
    EXPECT_EQ(eval(call), L"; error: ADS request error") << call;
    EXPECT_EQ(acutWideToUtf8(output_), kWrongType) << call;
  }
  EXPECT_EQ(modelSpace(db_).size(), 2u);
}

TEST_F(PipeLisp, SetPipeBreaksStoresSortedDistinctBreaksAndTheWidth) {
  EXPECT_EQ(eval("(ov_plumb-setPipeBreaks p 2.5 '(\"tag\" 5.0 2.0 5.0 9 \"end\" 1.0))"), L"T");
  EXPECT_EQ(breaks(), (std::vector<double>{2.0, 5.0, 9.0})) << "numbers end at the first item that is not one";
  EXPECT_EQ(breakWidth(), 2.5);
  EXPECT_EQ(eval("(ov_plumb-setPipeBreaks p 4)"), L"T");
  EXPECT_TRUE(breaks().empty());
  EXPECT_EQ(breakWidth(), 4.0);
}

TEST_F(PipeLisp, SetPipeBreaksFailures) {
  eval("(ov_plumb-setPipeBreaks p 2.5 '(\"tag\" 1.0 2.0))");
  output_.clear();
  EXPECT_EQ(eval("(ov_plumb-setPipeBreaks p)"), L"; error: ADS request error");
  EXPECT_EQ(acutWideToUtf8(output_), kWrongType);
  EXPECT_EQ(breaks(), (std::vector<double>{1.0, 2.0})) << "without a width nothing changes";
  EXPECT_EQ(breakWidth(), 2.5);

  output_.clear();
  EXPECT_EQ(eval("(ov_plumb-setPipeBreaks p 1.5 '(3.0 4.0 5.0 6.0))"), L"; error: ADS request error");
  EXPECT_EQ(acutWideToUtf8(output_), kWrongType);
  EXPECT_TRUE(breaks().empty()) << "the list was emptied before its text was missed";
  EXPECT_EQ(breakWidth(), 1.5);

  output_.clear();
  EXPECT_EQ(eval("(ov_plumb-setPipeBreaks 3 1.5)"), L"; error: ADS request error");
  EXPECT_EQ(acutWideToUtf8(output_), kWrongType);
}

TEST_F(PipeLisp, ElbowBreaksGoToTheirElbowsSlots) {
  giveTwoElbowsAndTwoArcs();
  EXPECT_EQ(eval("(ov_plumb-pipe-setElbowBreaks p '((\"e\" 1 2.5 0.5) (\"e\" 0 1.0) (\"e\" 1 1.5)))"), L"T");
  EXPECT_EQ(elbowSlots(0), slots({1.0}));
  EXPECT_EQ(elbowSlots(1), slots({0.5, 1.5, 2.5}));
  // A new call starts from empty slots.
  EXPECT_EQ(eval("(ov_plumb-pipe-setElbowBreaks p '((\"e\" 0 7.0)))"), L"T");
  EXPECT_EQ(elbowSlots(0), slots({7.0}));
  EXPECT_EQ(elbowSlots(1), slots({}));
  EXPECT_EQ(eval("(ov_plumb-pipe-setElbowBreaks p)"), L"T");
  EXPECT_EQ(elbowSlots(0), slots({}));
}

TEST_F(PipeLisp, ASublistWithoutItsIndexFailsAfterTheSublistsBeforeIt) {
  giveTwoElbowsAndTwoArcs();
  eval("(ov_plumb-pipe-setElbowBreaks p '((\"e\" 1 9.0)))");
  output_.clear();
  EXPECT_EQ(eval("(ov_plumb-pipe-setElbowBreaks p '((\"e\" 0 1.0 2.0) (\"e\" \"x\" 3.0)))"),
            L"; error: ADS request error");
  EXPECT_EQ(acutWideToUtf8(output_), kWrongType);
  EXPECT_EQ(elbowSlots(0), slots({1.0, 2.0}));
  EXPECT_EQ(elbowSlots(1), slots({})) << "every slot was cleared first";
}

// An index outside the elbows raises the list's invalid-argument exception; the frame
// reports it and passes it on, and the pipe is closed all the same.
TEST_F(PipeLisp, AnElbowIndexOutsideTheListReachesTheFrameAsAnException) {
  giveTwoElbowsAndTwoArcs();
  static bool caught;
  caught = false;
  acedDefun(L"elbow-breaks-catching", 901);
  acedRegFunc(
      [] {
        try {
          return ovLispPipeSetElbowBreaks();
        } catch (CException* e) {
          caught = dynamic_cast<CInvalidArgException*>(e) != nullptr;
          e->Delete();
          return static_cast<int>(RSERR);
        }
      },
      901);
  EXPECT_EQ(eval("(elbow-breaks-catching p '((\"e\" 0 1.0) (\"e\" 2 3.0)))"), L"; error: ADS request error");
  EXPECT_TRUE(caught);
  EXPECT_EQ(acutWideToUtf8(output_), "\nGeneral Exception");
  EXPECT_EQ(elbowSlots(0), slots({1.0})) << "breaks stored before the bad index stay";
  PlumbPipe* pipe = nullptr;
  ASSERT_EQ(acdbOpenObject(pipe, pipe_, AcDb::kForWrite), Acad::eOk) << "the pipe was closed";
  pipe->close();
  caught = false;
  output_.clear();
  eval("(elbow-breaks-catching p '((\"e\" -1)))");
  EXPECT_TRUE(caught) << "a negative index too";
}

TEST_F(PipeLisp, ArcBreaksGoToTheirArcsSlots) {
  giveTwoElbowsAndTwoArcs();
  EXPECT_EQ(eval("(ov_plumb-pipe-setArcBreaks p '((\"a\" 1 0.75 0.25)))"), L"T");
  readPipe(pipe_, [](const PlumbPipe& p) {
    EXPECT_EQ(std::vector<double>(p.aArcs[1].aBreaks, p.aArcs[1].aBreaks + kFittingBreakSlots), slots({0.25, 0.75}));
    EXPECT_EQ(std::vector<double>(p.aArcs[0].aBreaks, p.aArcs[0].aBreaks + kFittingBreakSlots), slots({}));
    EXPECT_EQ(std::vector<double>(p.aElbows[1].aBreaks, p.aElbows[1].aBreaks + kFittingBreakSlots), slots({}))
        << "the arcs' call leaves the elbows alone";
  });
}

TEST_F(PipeLisp, TheFittingListsAnswerEachFittingInOrder) {
  EXPECT_EQ(eval("(ov_plumb-pipe-elbowList p)"), L"nil");
  EXPECT_EQ(eval("(ov_plumb-pipe-arcList p)"), L"nil");
  giveTwoElbowsAndTwoArcs();
  EXPECT_EQ(eval("(ov_plumb-pipe-elbowList p)"),
            L"((\"i\" . 0) (\"dLength\" . 3.0) (\"dAngle\" . 0.5) (\"i\" . 1) (\"dLength\" . 2.0) (\"dAngle\" . -0.5))");
  EXPECT_EQ(eval("(ov_plumb-pipe-arcList p)"),
            L"((\"i\" . 0) (\"dLength\" . 2.0) (\"dOffset\" . 4.0) (\"iNormal\" . 1) "
            L"(\"i\" . 1) (\"dLength\" . 3.0) (\"dOffset\" . 6.0) (\"iNormal\" . -1))");
  EXPECT_EQ(eval("(ov_plumb-getPipeElbowLength p)"), L"4.5");
}

TEST_F(PipeLisp, AnythingButAPipeAnswersNil) {
  for (const char* fn : {"ov_plumb-setPipeBreaks", "ov_plumb-pipe-setElbowBreaks", "ov_plumb-pipe-setArcBreaks",
                         "ov_plumb-getPipeElbowLength", "ov_plumb-pipe-elbowList", "ov_plumb-pipe-arcList"}) {
    EXPECT_EQ(eval(std::string("(") + fn + " l 1.0)"), L"nil") << fn;
    output_.clear();
    EXPECT_EQ(eval(std::string("(") + fn + " \"p\")"), L"; error: ADS request error") << fn;
    EXPECT_EQ(acutWideToUtf8(output_), kWrongType) << fn;
  }
  eval("(entdel p)");
  EXPECT_EQ(eval("(ov_plumb-pipe-elbowList p)"), L"nil") << "an erased pipe";
}

}  // namespace
