// The P-trap's LISP functions called as the LISP program calls them: the three break
// setters and the arguments and answers of the three intersection functions.
#include "arx/aced_print.h"
#include "arx/db_entities.h"
#include "test_pipe_data_fixture.h"

namespace {

constexpr char kWrongType[] = "\nWrong type of arguments passed.\n";

class PtrapLisp : public PipeFixture {
 protected:
  PtrapLisp() {
    pipe_ = idOf("(setq p (ov_plumb-insertPipe 7 '(0 0 10) '(100 0 10)))");
    other_ = idOf("(setq q (ov_plumb-insertPipe 8 '(0 1 0) '(99.6 1 0)))");
    bind(L"l", add(new AcDbLine({0, 0, 0}, {5, 0, 0})));
    output_.clear();
  }

  void giveTrap(AcDbObjectId id, double width, bool flag = true) {
    PlumbPipe* pipe = nullptr;
    ASSERT_EQ(acdbOpenObject(pipe, id, AcDb::kForWrite), Acad::eOk);
    pipe->bPtrap = flag;
    pipe->dPtrapWidth = width;
    pipe->close();
  }

  struct TrapBreaks {
    std::vector<double> line1, polyline, line2;
  };
  TrapBreaks trapBreaks() {
    TrapBreaks breaks;
    readPipe(pipe_, [&](const PlumbPipe& p) {
      breaks = {asVector(p.aPtrapLine1Breaks), asVector(p.aPtrapPolylineBreaks), asVector(p.aPtrapLine2Breaks)};
    });
    return breaks;
  }

  // Evaluates and expects an error with the wrong-type message.
  void expectWrongType(const std::string& call) {
    output_.clear();
    EXPECT_EQ(eval(call), L"; error: ADS request error") << call;
    EXPECT_EQ(acutWideToUtf8(output_), kWrongType) << call;
  }

  AcDbObjectId pipe_, other_;
};

using Breaks = std::vector<double>;

TEST_F(PtrapLisp, EachSetterSortsAndDropsDuplicatesInItsOwnList) {
  EXPECT_EQ(eval("(ov_plumb-pipe-setPtrapLine2Breaks p '(\"tag\" 1.0 0.5 1.0))"), L"T");
  EXPECT_EQ(eval("(ov_plumb-pipe-setPtrapPolylineBreaks p '(\"tag\" 2.5 -0.2 3 2.5 \"x\" 0.1))"), L"T");
  EXPECT_EQ(eval("(ov_plumb-pipe-setPtrapLine1Breaks p '(\"tag\" 0.75 0.25))"), L"T");
  TrapBreaks breaks = trapBreaks();
  EXPECT_EQ(breaks.line2, (Breaks{0.5, 1.0}));
  EXPECT_EQ(breaks.polyline, (Breaks{-0.2, 2.5, 3.0})) << "numbers end at the first item that is not one";
  EXPECT_EQ(breaks.line1, (Breaks{0.25, 0.75}));

  // A new call replaces the list; without a list it is emptied.
  EXPECT_EQ(eval("(ov_plumb-pipe-setPtrapLine1Breaks p '(\"tag\" 0.1))"), L"T");
  EXPECT_EQ(eval("(ov_plumb-pipe-setPtrapPolylineBreaks p)"), L"T");
  breaks = trapBreaks();
  EXPECT_EQ(breaks.line1, (Breaks{0.1}));
  EXPECT_TRUE(breaks.polyline.empty());
  EXPECT_EQ(breaks.line2, (Breaks{0.5, 1.0})) << "the other lists stay";
}

TEST_F(PtrapLisp, SetterFailures) {
  eval("(ov_plumb-pipe-setPtrapLine1Breaks p '(\"tag\" 0.1 0.2))");
  expectWrongType("(ov_plumb-pipe-setPtrapLine1Breaks p '(0.3 0.4 0.5 0.6))");
  EXPECT_TRUE(trapBreaks().line1.empty()) << "the list was emptied before its text was missed";
  expectWrongType("(ov_plumb-pipe-setPtrapLine2Breaks)");
  expectWrongType("(ov_plumb-pipe-setPtrapPolylineBreaks 3 '(\"tag\" 1.0))");
  // An entity that is no pipe answers nil.
  output_.clear();
  EXPECT_EQ(eval("(ov_plumb-pipe-setPtrapPolylineBreaks l '(\"tag\" 1.0))"), L"nil");
  EXPECT_EQ(output_, L"");
}

TEST_F(PtrapLisp, APipeWithoutATrapAnswersNilEverywhere) {
  EXPECT_EQ(eval("(ov_plumb-intersectPtrapLine 0.5 p '(90 -0.2) '(99 -0.2))"), L"nil");
  EXPECT_EQ(eval("(ov_plumb-intersectPtrapArc 0.5 p '(97.5 0.366) -1.5708 1 1.0 1.5708)"), L"nil");
  giveTrap(other_, 2.0);
  EXPECT_EQ(eval("(ov_plumb-intersectPtrapPtrap 0.5 p q)"), L"nil");
  giveTrap(pipe_, 2.0);
  EXPECT_NE(eval("(ov_plumb-intersectPtrapLine 0.5 p '(90 -0.2) '(99 -0.2))"), L"nil") << "with the trap";
  EXPECT_EQ(output_, L"");
}

TEST_F(PtrapLisp, TheLineAnswerIsAFlatListOfPairsInOrder) {
  giveTrap(pipe_, 2.0);
  EXPECT_EQ(eval("(ov_plumb-intersectPtrapLine 0.5 p '(90 -0.2 10) '(99 -0.2 10))"),
            L"((\"entity\" . 8.0) (\"line1\" . 0.2) (\"polyline\" . -0.2))");
  // Without a number first, d is 0 and the pipe is the first argument.
  EXPECT_EQ(eval("(ov_plumb-intersectPtrapLine p '(90 -0.2) '(99 -0.2))"), L"((\"entity\" . 8.0) (\"line1\" . 0.2))");
  EXPECT_EQ(eval("(ov_plumb-intersectPtrapLine 0 p 90 -0.2 0 99 -0.2 0)"), L"((\"entity\" . 8.0) (\"line1\" . 0.2))");
  EXPECT_EQ(eval("(ov_plumb-intersectPtrapLine 0.5 p '(90 5) '(99 5))"), L"nil") << "no crossing";
}

TEST_F(PtrapLisp, TheArcAndTrapAnswers) {
  giveTrap(pipe_, 2.0);
  giveTrap(other_, 2.0, false);
  EXPECT_EQ(eval("(ov_plumb-intersectPtrapArc 0 p (list 98.5 (- (sqrt 0.75) 0.5)) (/ 3.14159265358979 -2) -1 1.0 (/ 3.14159265358979 2))"),
            L"((\"entity\" . 0.523599) (\"line1\" . 0.5))");
  const std::wstring trap = eval("(ov_plumb-intersectPtrapPtrap p q)");
  EXPECT_EQ(trap.rfind(L"((\"line1\" . 0.", 0), 0u) << "q's trap flag is off, yet its fields give a trap: " << trap;
  EXPECT_EQ(eval("(length (ov_plumb-intersectPtrapPtrap 0.9 p q))"), L"2");
}

TEST_F(PtrapLisp, IntersectionFailuresAnswerNilWithoutAMessage) {
  giveTrap(pipe_, 2.0);
  for (const char* call : {"(ov_plumb-intersectPtrapLine 0.5)", "(ov_plumb-intersectPtrapLine 0.5 \"p\" '(0 0) '(1 1))",
                           "(ov_plumb-intersectPtrapLine 0.5 l '(90 -0.2) '(99 -0.2))",
                           "(ov_plumb-intersectPtrapLine 0.5 p '(90 -0.2))",
                           "(ov_plumb-intersectPtrapLine 0.5 p '(98 -0.2) '(98 -0.2))",
                           "(ov_plumb-intersectPtrapArc 0.5 p '(97.5 0.366) -1.5708 1 1.0)",
                           "(ov_plumb-intersectPtrapArc 0.5 p '(97.5 0.366) -1.5708 0 1.0 1.5708)",
                           "(ov_plumb-intersectPtrapPtrap 0.5 p)", "(ov_plumb-intersectPtrapPtrap 0.5 p l)",
                           "(ov_plumb-intersectPtrapPtrap 0.5 p p)"}) {
    output_.clear();
    EXPECT_EQ(eval(call), L"nil") << call;
    EXPECT_EQ(output_, L"") << call;
  }
  // Every pipe was closed on the way out.
  PlumbPipe* pipe = nullptr;
  ASSERT_EQ(acdbOpenObject(pipe, pipe_, AcDb::kForWrite), Acad::eOk);
  pipe->close();
}

}  // namespace
