// ov_plumb-setPipeInfo and ov_plumb-explodePipe called as the LISP program calls
// them: every key with its reader, the lists that change nothing, and the entity
// names an explosion answers.
#include "arx/db_entities.h"
#include "test_pipe_data_fixture.h"

namespace {

constexpr char kWrongType[] = "\nWrong type of arguments passed.\n";

class PipeInfo : public PipeFixture {
 protected:
  PipeInfo() {
    pipe_ = idOf("(setq p (ov_plumb-insertPipe 7 '(0 0 10) '(100 0 10)))");
    output_.clear();
  }

  // Calls setPipeInfo on the pipe with the lists given as LISP text.
  std::wstring set(const std::string& lists) { return eval("(ov_plumb-setPipeInfo p " + lists + ")"); }

  template <typename Fn>
  void check(Fn&& fn) {
    readPipe(pipe_, fn);
  }

  AcDbObjectId pipe_;
};

TEST_F(PipeInfo, NumbersTextsAndFlagsReachTheirFields) {
  EXPECT_EQ(set("'(\"OFFSETDISTANCE\" 1.5) '(\"TAILOFFSET\" 2) '(\"HEADOFFSET\" 2.5) '(\"ELBOW45OFFSET\" 3.5)"
                " '(\"ARCRADIUS\" 4.5) '(\"TICKOFFSETHEAD\" 5.5) '(\"TICKOFFSETTAIL\" 6.5) '(\"TICKWIDTH\" 7.5)"
                " '(\"VERTICALRADIUS\" 8.5) '(\"TEXTDISTANCE\" 9.5) '(\"TEXTHEIGHT\" 1.25) '(\"PTRAPWIDTH\" 4)"
                " '(\"DWG\" \"Level 2\") '(\"TEXT\" \"4\\\" CW\") '(\"ixPipe\" 42)"
                " '(\"DWGSTART\" T) '(\"DWGEND\" 1) '(\"ELBOW45\" \"yes\") '(\"TEE45\" T) '(\"ELBOWARC\" T)"
                " '(\"TEEARC\" T) '(\"TEXTANGLEIS0\" T) '(\"PTRAP\" T) '(\"ISOMETRIC\" T)"),
            L"T");
  check([](const PlumbPipe& p) {
    EXPECT_EQ(p.dOffsetDistance, 1.5);
    EXPECT_EQ(p.dTailOffset, 2.0);
    EXPECT_EQ(p.dHeadOffset, 2.5);
    EXPECT_EQ(p.dElbow45Offset, 3.5);
    EXPECT_EQ(p.dArcRadius, 4.5);
    EXPECT_EQ(p.dTickOffsetHead, 5.5);
    EXPECT_EQ(p.dTickOffsetTail, 6.5);
    EXPECT_EQ(p.dTickWidth, 7.5);
    EXPECT_EQ(p.dVerticalRadius, 8.5);
    EXPECT_EQ(p.dTextDistance, 9.5);
    EXPECT_EQ(p.mtLabel.textHeight(), 1.25);
    EXPECT_EQ(p.dPtrapWidth, 4.0);
    EXPECT_EQ(p.strDwg, L"Level 2");
    EXPECT_EQ(p.strText, L"4\" CW");
    EXPECT_EQ(p.ixPipe, 42);
    EXPECT_TRUE(p.bDwgStart && p.bDwgEnd && p.bElbow45 && p.bTee45 && p.bElbowArc && p.bTeeArc);
    EXPECT_TRUE(p.bTextAngleIs0 && p.bPtrap && p.bIsometric);
  });
  // nil turns a flag off; a flag without a value reads as off.
  set("'(\"DWGSTART\" nil) '(\"ISOMETRIC\")");
  check([](const PlumbPipe& p) {
    EXPECT_FALSE(p.bDwgStart);
    EXPECT_FALSE(p.bIsometric);
    EXPECT_TRUE(p.bDwgEnd);
  });
}

TEST_F(PipeInfo, PointsAndSingleElevations) {
  set("'(\"P1\" (1.0 2.0 3.0)) '(\"P2\" (4.0 5.0 6.0))");
  check([](const PlumbPipe& p) {
    EXPECT_TRUE(p.ptStart.isEqualTo({1, 2, 3}));
    EXPECT_TRUE(p.ptEnd.isEqualTo({4, 5, 6}));
  });
  set("'(\"dZ2\" 12.5)");
  check([](const PlumbPipe& p) {
    EXPECT_TRUE(p.ptStart.isEqualTo({1, 2, 3}));
    EXPECT_TRUE(p.ptEnd.isEqualTo({4, 5, 12.5}));
  });
  set("'(\"dZ1\" -2)");
  check([](const PlumbPipe& p) { EXPECT_TRUE(p.ptStart.isEqualTo({1, 2, -2})); });
}

// Keys and texts are compared exactly; unknown keys and unreadable values change
// nothing, and a later list with the same key wins.
TEST_F(PipeInfo, KeysAreExactAndTheLastListWins) {
  set("'(\"VERTICALTYPE\" \"DOWN\")");
  check([](const PlumbPipe& p) { EXPECT_EQ(p.iVerticalType, 1); });
  set("'(\"VERTICALTYPE\" \"up\") '(\"verticaltype\" \"UP\") '(\"VERTICALTYPE\" 0) '(\"TEXTDISTANCE\" \"far\")");
  check([](const PlumbPipe& p) {
    EXPECT_EQ(p.iVerticalType, 1);
    EXPECT_EQ(p.dTextDistance, 0.0);
  });
  set("'(\"VERTICALTYPE\" \"UP\")");
  check([](const PlumbPipe& p) { EXPECT_EQ(p.iVerticalType, 0); });
  EXPECT_EQ(set("'(\"TEXT\" \"A\") 5 \"loose\" '(7 \"TEXT\" \"C\") '(\"TEXT\" \"B\")"), L"T");
  check([](const PlumbPipe& p) { EXPECT_EQ(p.strText, L"B"); });
}

TEST_F(PipeInfo, ListsOfFittingsAndAngles) {
  set("'(\"ELBOWLIST\" 3.0 0.785 0 1.57 2.0 -0.785)");
  check([](const PlumbPipe& p) {
    ASSERT_EQ(p.aElbows.size(), 2);
    EXPECT_EQ(p.aElbows[0], elbowInfo(3.0, 0.785));
    EXPECT_EQ(p.aElbows[1], elbowInfo(2.0, -0.785));
  });
  // A text among the numbers is stepped over; an odd number at the end is no pair.
  set("'(\"ELBOWLIST\" 4.0 \"x\" 0.5 9.0)");
  check([](const PlumbPipe& p) {
    ASSERT_EQ(p.aElbows.size(), 1);
    EXPECT_EQ(p.aElbows[0], elbowInfo(4.0, 0.5));
  });
  set("'(\"ARCLIST\" 1.5 10.0 -1 0 3.0 1 0.5 2.0 1.9)");
  check([](const PlumbPipe& p) {
    ASSERT_EQ(p.aArcs.size(), 2);
    EXPECT_EQ(p.aArcs[0], arcInfo(1.5, 10.0, -1));
    EXPECT_EQ(p.aArcs[1], arcInfo(0.5, 2.0, 1));  // the side is read as a whole number
  });
  // Angles are read up to the first item that is not a number.
  set("'(\"VERTICALANGLELIST\" 0.5 2 \"x\" 4.0)");
  check([](const PlumbPipe& p) { EXPECT_EQ(asVector(p.aVerticalAngles), (std::vector<double>{0.5, 2.0})); });
  set("'(\"ELBOWLIST\") '(\"VERTICALANGLELIST\")");
  check([](const PlumbPipe& p) {
    EXPECT_TRUE(p.aElbows.isEmpty());
    EXPECT_TRUE(p.aVerticalAngles.isEmpty());
  });
}

// Layers and styles are looked up by name in the drawing.
TEST_F(PipeInfo, LayersAndTextStyleByName) {
  const AcDbObjectId text = addLayer(L"Text");
  const AcDbObjectId hidden = addLayer(L"Hidden");
  const AcDbObjectId style = addTextStyle(L"Labels");
  set("'(\"TEXTLAYER\" \"Text\") '(\"HIDDENLAYER\" \"Hidden\") '(\"TEXTSTYLE\" \"Labels\")");
  check([&](const PlumbPipe& p) {
    EXPECT_EQ(p.idTextLayer, text);
    EXPECT_EQ(p.idHiddenLayer, hidden);
    EXPECT_EQ(p.idTextStyle, style);
    EXPECT_EQ(p.mtLabel.textStyle(), style);
  });
  // A missing text layer clears it; a missing hidden layer or style keeps the last.
  set("'(\"TEXTLAYER\" \"Nowhere\") '(\"HIDDENLAYER\" \"Nowhere\") '(\"TEXTSTYLE\" \"Nowhere\")");
  check([&](const PlumbPipe& p) {
    EXPECT_TRUE(p.idTextLayer.isNull());
    EXPECT_EQ(p.idHiddenLayer, hidden);
    EXPECT_EQ(p.idTextStyle, style);
  });
  set("'(\"TEXTLAYER\" \"Text\") '(\"TEXTLAYER\")");
  check([](const PlumbPipe& p) { EXPECT_TRUE(p.idTextLayer.isNull()); });
}

TEST_F(PipeInfo, APtrapWithoutValueIsOff) {
  set("'(\"PTRAP\" T)");
  check([](const PlumbPipe& p) { EXPECT_TRUE(p.bPtrap); });
  set("'(\"PTRAP\")");
  check([](const PlumbPipe& p) { EXPECT_FALSE(p.bPtrap); });
}

TEST_F(PipeInfo, AMissingPipeIsAnErrorAndAnotherObjectIsNil) {
  EXPECT_NE(eval("(ov_plumb-setPipeInfo)").find(L"error"), std::wstring::npos);
  EXPECT_EQ(acutWideToUtf8(output_), kWrongType);
  output_.clear();
  EXPECT_NE(eval("(ov_plumb-explodePipe \"p\")").find(L"error"), std::wstring::npos);
  EXPECT_EQ(acutWideToUtf8(output_), kWrongType);
  bind(L"l", add(new AcDbLine({0, 0, 0}, {5, 0, 0})));
  EXPECT_EQ(eval("(ov_plumb-setPipeInfo l '(\"TEXT\" \"A\"))"), L"nil");
  EXPECT_EQ(eval("(ov_plumb-explodePipe l)"), L"nil");
}

// ---- explodePipe -------------------------------------------------------------------

TEST_F(PipeInfo, ExplodingAnswersTheNewObjectsNewestFirstAndKeepsThePipe) {
  EXPECT_EQ(eval("(length (setq r (ov_plumb-explodePipe p)))"), L"1");
  EXPECT_EQ(eval("(car (car r))"), L"\"obj\"");
  EXPECT_EQ(eval("(cdr (assoc 0 (entget (cdr (car r)))))"), L"\"LINE\"");
  EXPECT_EQ(eval("(cdr (assoc 11 (entget (cdr (car r)))))"), L"(100.0 0.0 10.0)");

  set("'(\"ELBOWLIST\" 5.0 1.0 6.0 -1.0)");
  EXPECT_EQ(eval("(length (setq r (ov_plumb-explodePipe p)))"), L"3");
  // The last elbow was made last and comes first.
  EXPECT_EQ(eval("(equal (cdr (assoc 11 (entget (cdr (car r))))) "
                 "(list (+ 100 (* 6 (cos -1.0))) (* 6 (sin -1.0)) 10.0) 1e-9)"),
            L"T");
  EXPECT_EQ(eval("(cdr (assoc 0 (entget p)))"), L"\"OVPLUMBPIPE\"");
  EXPECT_EQ(modelSpace(db_).size(), 5u);
}

}  // namespace
