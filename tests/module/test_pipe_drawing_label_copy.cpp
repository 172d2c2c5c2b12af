// The label a pipe hands the host is one copy kept from drawing to drawing: each pipe
// must still show its own text, size and box width, also when one pipe is drawn
// while another is in the middle of drawing.
#include <memory>
#include <string>

#include "arx/gi_record.h"
#include "pipe/pipe_drawing.h"
#include "test_pipe_data_fixture.h"

namespace {

using Prims = std::vector<GiPrimitive>;

std::unique_ptr<PlumbPipe> labelledPipe(const wchar_t* text, double height, double boxWidth, double length) {
  auto pipe = std::make_unique<PlumbPipe>();
  pipe->setStartPoint({0, 0, 0}, true);
  pipe->setEndPoint({length, 0, 0}, true);
  pipe->strText = text;
  pipe->mtLabel.setTextHeight(height);
  pipe->mtLabel.setWidth(boxWidth);
  pipe->dTextDistance = 40.0;
  return pipe;
}

Prims textsOf(const Prims& all) {
  Prims texts;
  for (const GiPrimitive& p : all)
    if (p.kind == GiPrimitiveKind::Text) texts.push_back(p);
  return texts;
}

Prims drawnTexts(PlumbPipe& pipe) {
  AcGiRecordingWorldDraw wd;
  pipe.worldDraw(&wd);
  return textsOf(wd.takePrimitives());
}

void expectSameLabels(const Prims& expected, const Prims& actual) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    EXPECT_EQ(actual[i].contents, expected[i].contents) << i;
    EXPECT_EQ(actual[i].lines, expected[i].lines) << i;
    EXPECT_EQ(actual[i].height, expected[i].height) << i;
    EXPECT_EQ(actual[i].width, expected[i].width) << i;
    EXPECT_EQ(actual[i].rotation, expected[i].rotation) << i;
    EXPECT_EQ(actual[i].attachment, expected[i].attachment) << i;
    EXPECT_TRUE(actual[i].location.isEqualTo(expected[i].location)) << i;
  }
}

// A host that, when handed the first multiline text, draws another pipe before it
// records that text: the other pipe's drawing runs inside this one's.
class NestingWorldDraw : public AcGiRecordingWorldDraw {
 public:
  explicit NestingWorldDraw(PlumbPipe* inner) : inner_(inner) {}
  bool draw(AcGiDrawable* drawable) const override {
    if (inner_ != nullptr && AcDbMText::cast(drawable) != nullptr) {
      PlumbPipe* inner = inner_;
      inner_ = nullptr;
      AcGiRecordingWorldDraw::draw(inner);
    }
    return AcGiRecordingWorldDraw::draw(drawable);
  }

 private:
  mutable PlumbPipe* inner_;
};

class PipeLabelCopy : public PipeFixture {};

// Pipes with different labels drawn one after the other, in both orders, show what
// each shows when drawn on its own; a wrapped label keeps its own lines.
TEST_F(PipeLabelCopy, EveryPipeShowsItsOwnLabelWhateverWasDrawnBefore) {
  auto wide = labelledPipe(L"4\" SAN VENT", 2.5, 5.0, 100.0);
  auto narrow = labelledPipe(L"1/2\" HW", 1.0, 0.0, 120.0);
  const Prims wideAlone = drawnTexts(*wide);
  const Prims narrowAlone = drawnTexts(*narrow);
  ASSERT_FALSE(wideAlone.empty());
  ASSERT_FALSE(narrowAlone.empty());
  EXPECT_EQ(wideAlone[0].contents, L"4\" SAN VENT");
  EXPECT_EQ(wideAlone[0].lines, (std::vector<std::wstring>{L"4\"", L"SAN", L"VENT"}));
  EXPECT_EQ(wideAlone[0].width, 5.0);
  EXPECT_EQ(narrowAlone[0].contents, L"1/2\" HW");
  EXPECT_EQ(narrowAlone[0].lines, (std::vector<std::wstring>{L"1/2\" HW"}));
  EXPECT_EQ(narrowAlone[0].height, 1.0);

  expectSameLabels(narrowAlone, drawnTexts(*narrow));
  expectSameLabels(wideAlone, drawnTexts(*wide));
  expectSameLabels(narrowAlone, drawnTexts(*narrow));

  // A pipe whose text changes between drawings shows the new text.
  narrow->strText = L"3/4\" HW";
  const Prims changed = drawnTexts(*narrow);
  ASSERT_FALSE(changed.empty());
  for (const GiPrimitive& text : changed) EXPECT_EQ(text.contents, L"3/4\" HW");
}

// A pipe drawn while another is drawing its labels gets labels of its own; the outer
// pipe's later labels keep the outer text and size.
TEST_F(PipeLabelCopy, APipeDrawnInsideAnotherPipesDrawingKeepsTheLabelsApart) {
  auto outer = labelledPipe(L"OUTER", 2.0, 0.0, 200.0);
  auto inner = labelledPipe(L"IN", 1.0, 0.0, 100.0);
  const Prims outerAlone = drawnTexts(*outer);
  const Prims innerAlone = drawnTexts(*inner);
  ASSERT_GE(outerAlone.size(), 2u);

  NestingWorldDraw wd(inner.get());
  outer->worldDraw(&wd);
  const Prims texts = textsOf(wd.takePrimitives());
  // The inner pipe's labels come first (drawn before the outer's first is recorded).
  ASSERT_EQ(texts.size(), innerAlone.size() + outerAlone.size());
  expectSameLabels(innerAlone, Prims(texts.begin(), texts.begin() + static_cast<long>(innerAlone.size())));
  expectSameLabels(outerAlone, Prims(texts.begin() + static_cast<long>(innerAlone.size()), texts.end()));
}

}  // namespace
