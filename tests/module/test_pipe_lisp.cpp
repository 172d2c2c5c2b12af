// What the pipe's LISP functions store where no script can see it: the break lists of
// the pipe, its fittings and its P-trap after each setter call (failures included),
// every key of setPipeInfo with its field, and the elbow index the frame reports.
#include <sstream>

#include "arx/aced_lisp.h"
#include "entity_fixture.h"
#include "mfc/afx_exceptions.h"
#include "pipe/pipe_functions.h"

namespace {

constexpr wchar_t kFailure[] = L"; error: ADS request error";

class PipeLisp : public EntityTest {
 protected:
  PipeLisp() {
    pipe_ = idOf("(setq p (ov_plumb-insertPipe 7 '(0 0 10) '(100 0 10)))");
    PlumbPipe* pipe = nullptr;
    EXPECT_EQ(acdbOpenObject(pipe, pipe_, AcDb::kForWrite), Acad::eOk);
    pipe->aElbows.append(elbowInfo(3.0, 0.5));
    pipe->aElbows.append(elbowInfo(2.0, -0.5));
    pipe->aArcs.append(arcInfo(2.0, 4.0, 1));
    pipe->aArcs.append(arcInfo(3.0, 6.0, -1));
    pipe->close();
  }

  // Every break the pipe keeps: "width: breaks | elbow slots | arc slots | line1 |
  // curve | line2", used slots only.
  std::string breaks() {
    std::ostringstream out;
    read<PlumbPipe>(pipe_, [&](const PlumbPipe& p) {
      auto list = [&](const auto& values) {
        for (double d : values)
          if (d != 0.0) out << " " << d;
        out << " |";
      };
      out << p.dBreakWidth << ":";
      list(p.aBreaks);
      for (const elbowInfo& e : p.aElbows) list(e.aBreaks);
      for (const arcInfo& a : p.aArcs) list(a.aBreaks);
      list(p.aPtrapLine1Breaks);
      list(p.aPtrapPolylineBreaks);
      list(p.aPtrapLine2Breaks);
    });
    return out.str();
  }

  AcDbObjectId pipe_;
};

// Each call in turn, with its answer and the breaks after it. Numbers end at the first
// item that is not one; a list whose text is missed has been emptied first; every
// fitting's slots are cleared before a call fills them, also when a sublist then fails;
// the arcs' call leaves the elbows alone and each P-trap setter its own list only.
TEST_F(PipeLisp, EverySetterStoresItsBreaksSortedAndDistinct) {
  const struct {
    const char* call;
    const wchar_t* answer;
    const char* breaks;
  } steps[] = {
      {"(ov_plumb-setPipeBreaks p 2.5 '(\"tag\" 5.0 2.0 5.0 9 \"end\" 1.0))", L"T", "2.5: 2 5 9 | | | | | | | |"},
      {"(ov_plumb-setPipeBreaks p)", kFailure, "2.5: 2 5 9 | | | | | | | |"},
      {"(ov_plumb-setPipeBreaks p 1.5 '(3.0 4.0 5.0 6.0))", kFailure, "1.5: | | | | | | | |"},
      {"(ov_plumb-setPipeBreaks p 4 '(\"tag\" 1))", L"T", "4: 1 | | | | | | | |"},
      {"(ov_plumb-setPipeBreaks p 4)", L"T", "4: | | | | | | | |"},
      {"(ov_plumb-pipe-setElbowBreaks p '((\"e\" 1 2.5 0.5) (\"e\" 0 1.0) (\"e\" 1 1.5)))", L"T",
       "4: | 1 | 0.5 1.5 2.5 | | | | | |"},
      {"(ov_plumb-pipe-setElbowBreaks p '((\"e\" 0 7.0)))", L"T", "4: | 7 | | | | | | |"},
      {"(ov_plumb-pipe-setArcBreaks p '((\"a\" 1 0.75 0.25)))", L"T", "4: | 7 | | | 0.25 0.75 | | | |"},
      {"(ov_plumb-pipe-setElbowBreaks p '((\"e\" 0 1.0 2.0) (\"e\" \"x\" 3.0)))", kFailure,
       "4: | 1 2 | | | 0.25 0.75 | | | |"},
      {"(ov_plumb-pipe-setArcBreaks p)", L"T", "4: | 1 2 | | | | | | |"},
      {"(ov_plumb-pipe-setElbowBreaks p)", L"T", "4: | | | | | | | |"},
      {"(ov_plumb-pipe-setPtrapLine2Breaks p '(\"tag\" 1.0 0.5 1.0))", L"T", "4: | | | | | | | 0.5 1 |"},
      {"(ov_plumb-pipe-setPtrapPolylineBreaks p '(\"tag\" 2.5 -0.2 3 2.5 \"x\" 0.1))", L"T",
       "4: | | | | | | -0.2 2.5 3 | 0.5 1 |"},
      {"(ov_plumb-pipe-setPtrapLine1Breaks p '(\"tag\" 0.75 0.25))", L"T", "4: | | | | | 0.25 0.75 | -0.2 2.5 3 | 0.5 1 |"},
      {"(ov_plumb-pipe-setPtrapPolylineBreaks p)", L"T", "4: | | | | | 0.25 0.75 | | 0.5 1 |"},
      {"(ov_plumb-pipe-setPtrapLine1Breaks p '(0.3 0.4 0.5 0.6))", kFailure, "4: | | | | | | | 0.5 1 |"},
      {"(ov_plumb-pipe-setPtrapLine2Breaks p '(\"tag\" 0.1))", L"T", "4: | | | | | | | 0.1 |"},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(eval(step.call), step.answer) << step.call;
    EXPECT_EQ(breaks(), step.breaks) << step.call;
  }
}

// An index outside the elbows raises the list's invalid-argument exception; the frame
// reports it and passes it on, breaks stored before it stay, and the pipe is closed
// all the same.
TEST_F(PipeLisp, AnElbowIndexOutsideTheListReachesTheFrameAsAnException) {
  static bool caught;
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
  for (const char* call : {"(elbow-breaks-catching p '((\"e\" 0 1.0) (\"e\" 2 3.0)))",
                           "(elbow-breaks-catching p '((\"e\" -1)))"}) {
    caught = false;
    output_.clear();
    EXPECT_EQ(eval(call), kFailure);
    EXPECT_TRUE(caught) << call;
    EXPECT_EQ(acutWideToUtf8(output_), "\nGeneral Exception");
  }
  EXPECT_EQ(breaks(), "3: | | | | | | | |");
  EXPECT_EQ(eval("(elbow-breaks-catching p '((\"e\" 0 1.0) (\"e\" 2 3.0)))"), kFailure);
  EXPECT_EQ(breaks(), "3: | 1 | | | | | | |");
  PlumbPipe* pipe = nullptr;
  ASSERT_EQ(acdbOpenObject(pipe, pipe_, AcDb::kForWrite), Acad::eOk) << "the pipe was closed";
  pipe->close();
}

// Every key reaches its field; a flag without a value reads as off, nil turns one off;
// keys are exact, unreadable values change nothing and a later list wins; a missing
// text layer clears it while a missing hidden layer or text style keeps the last.
TEST_F(PipeLisp, SetPipeInfoSetsEveryField) {
  const AcDbObjectId text = addLayer(L"Text"), hidden = addLayer(L"Hidden"), style = addTextStyle(L"Labels");
  EXPECT_EQ(eval("(ov_plumb-setPipeInfo p '(\"OFFSETDISTANCE\" 1.5) '(\"TAILOFFSET\" 2) '(\"HEADOFFSET\" 2.5)"
                 " '(\"ELBOW45OFFSET\" 3.5) '(\"ARCRADIUS\" 4.5) '(\"TICKOFFSETHEAD\" 5.5) '(\"TICKOFFSETTAIL\" 6.5)"
                 " '(\"TICKWIDTH\" 7.5) '(\"VERTICALRADIUS\" 8.5) '(\"TEXTDISTANCE\" 9.5) '(\"TEXTHEIGHT\" 1.25)"
                 " '(\"PTRAPWIDTH\" 4) '(\"DWG\" \"Level 2\") '(\"TEXT\" \"A\") 5 \"loose\" '(7 \"TEXT\" \"C\")"
                 " '(\"TEXT\" \"4\\\" CW\") '(\"ixPipe\" 42) '(\"DWGSTART\" T) '(\"DWGEND\" 1) '(\"ELBOW45\" \"yes\")"
                 " '(\"TEE45\" T) '(\"ELBOWARC\" T) '(\"TEEARC\" T) '(\"TEXTANGLEIS0\" T) '(\"PTRAP\" T)"
                 " '(\"ISOMETRIC\" T) '(\"ISOMETRIC\") '(\"TEEARC\" nil) '(\"P1\" (1.0 2.0 3.0)) '(\"P2\" (4.0 5.0 6.0))"
                 " '(\"dZ1\" -2) '(\"dZ2\" 12.5) '(\"VERTICALTYPE\" \"DOWN\") '(\"VERTICALTYPE\" \"up\")"
                 " '(\"verticaltype\" \"UP\") '(\"VERTICALTYPE\" 0) '(\"TEXTDISTANCE\" \"far\")"
                 " '(\"ELBOWLIST\" 4.0 \"x\" 0.5 0 1.57 9.0) '(\"ARCLIST\" 1.5 10.0 -1 0 3.0 1 0.5 2.0 1.9 7)"
                 " '(\"VERTICALANGLELIST\" 0.5 2 \"x\" 4.0) '(\"HIDDENLAYER\" \"Hidden\") '(\"TEXTSTYLE\" \"Labels\")"
                 " '(\"TEXTLAYER\" \"Text\") '(\"HIDDENLAYER\" \"Nowhere\") '(\"TEXTSTYLE\" \"Nowhere\"))"),
            L"T");
  PlumbPipe e;
  e.dOffsetDistance = 1.5;
  e.dTailOffset = 2.0;
  e.dHeadOffset = 2.5;
  e.dElbow45Offset = 3.5;
  e.dArcRadius = 4.5;
  e.dTickOffsetHead = 5.5;
  e.dTickOffsetTail = 6.5;
  e.dTickWidth = 7.5;
  e.dVerticalRadius = 8.5;
  e.dTextDistance = 9.5;
  e.mtLabel.setTextHeight(1.25);
  e.dPtrapWidth = 4.0;
  e.strDwg = L"Level 2";
  e.strText = L"4\" CW";
  e.ixPipe = 42;
  e.bDwgStart = e.bDwgEnd = e.bElbow45 = e.bTee45 = e.bElbowArc = e.bTextAngleIs0 = e.bPtrap = true;
  e.ptStart = {1, 2, -2};
  e.ptEnd = {4, 5, 12.5};
  e.iVerticalType = 1;
  // A text among the numbers is stepped over, an odd number at the end is no pair, and
  // a fitting of length 0 is none; the arc's side is read as a whole number.
  e.aElbows.append(elbowInfo(4.0, 0.5));
  e.aArcs.append(arcInfo(1.5, 10.0, -1));
  e.aArcs.append(arcInfo(0.5, 2.0, 1));
  for (double a : {0.5, 2.0}) e.aVerticalAngles.append(a);
  read<PlumbPipe>(pipe_, [&](const PlumbPipe& p) {
    EXPECT_EQ(p.mtLabel.textHeight(), 1.25);
    expectSamePipeData(e, p);
    EXPECT_TRUE(p.idTextLayer == text && p.idHiddenLayer == hidden && p.idTextStyle == style);
    EXPECT_EQ(p.mtLabel.textStyle(), style);
  });
  EXPECT_EQ(eval("(ov_plumb-setPipeInfo p '(\"TEXTLAYER\" \"Nowhere\") '(\"PTRAP\") '(\"ELBOWLIST\"))"), L"T");
  read<PlumbPipe>(pipe_, [](const PlumbPipe& p) {
    EXPECT_TRUE(p.idTextLayer.isNull() && !p.bPtrap && p.aElbows.isEmpty());
  });
}

}  // namespace
