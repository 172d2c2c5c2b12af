// What a pipe draws beyond what the drawing script shows: the broken P-trap's chords
// on its curve, the hidden copies with their layer's linetype, explosion into the
// objects the display shows, and the one label copy shared by every pipe's drawing.
#include <cmath>
#include <memory>

#include "arx/db_symtab.h"
#include "entity_fixture.h"
#include "pipe/pipe_drawing.h"
#include "pipe/ptrap_geometry.h"

namespace {

using Prims = std::vector<GiPrimitive>;

std::unique_ptr<PlumbPipe> pipeFrom(const AcGePoint3d& start, const AcGePoint3d& end) {
  auto pipe = std::make_unique<PlumbPipe>();
  pipe->setStartPoint(start, true);
  pipe->setEndPoint(end, true);
  return pipe;
}

class PipeDrawing : public EntityTest {
 protected:
  // A pipe with a little of everything: breaks, labels, ticks, an elbow, an arc, a
  // drop line and a P-trap.
  std::unique_ptr<PlumbPipe> featurePipe() {
    auto pipe = pipeFrom({0, 0, 10}, {120, 0, 8});
    pipe->aBreaks.append(30.0);
    pipe->strText = L"2\" HW";
    pipe->dTextDistance = 40.0;
    pipe->dTickWidth = pipe->dTickOffsetHead = 2.0;
    pipe->dTickOffsetTail = 4.0;
    pipe->aElbows.append(elbowInfo(8.0, 0.785));
    pipe->dArcRadius = 5.0;
    pipe->aArcs.append(arcInfo(1.0, 15.0, -1));
    pipe->bPtrap = true;
    pipe->dPtrapWidth = 6.0;
    return pipe;
  }

  // A layer with the database's "CONTINUOUS" linetype.
  AcDbObjectId continuousLayer(const wchar_t* name) {
    const AcDbObjectId id = addLayer(name);
    AcDbLayerTableRecord* layer = nullptr;
    EXPECT_EQ(acdbOpenObject(layer, id, AcDb::kForWrite), Acad::eOk);
    layer->setLinetypeObjectId(continuous());
    layer->close();
    return id;
  }
  AcDbObjectId continuous() {
    AcDbLinetypeTable* table = nullptr;
    EXPECT_EQ(db_.getLinetypeTable(table, AcDb::kForRead), Acad::eOk);
    AcDbObjectId id;
    table->getAt(L"CONTINUOUS", id);
    table->close();
    return id;
  }

  // What the pipe displays with the traits a host would set for it.
  static Prims display(PlumbPipe& pipe, AcDbObjectId layer, AcDbObjectId linetype) {
    AcGiRecordingWorldDraw wd;
    wd.setLayer(layer);
    wd.setLineType(linetype);
    pipe.worldDraw(&wd);
    return wd.takePrimitives();
  }
};

// Stretches between merged gaps: none beyond a gap over an end, one without breaks,
// and none after the last gap when the last stretch is not wanted.
TEST_F(PipeDrawing, StretchesBetweenBreaks) {
  EXPECT_EQ(spansBetweenBreaks(mergeBreaks({1.0, 20.0, 29.0}, 3.0), 0.0, 30.0).size(), 2u);
  ASSERT_EQ(spansBetweenBreaks({}, 2.0, 7.0).size(), 1u);
  EXPECT_EQ(spansBetweenBreaks({}, 2.0, 7.0)[0].to, 7.0);
  EXPECT_EQ(spansBetweenBreaks(mergeBreaks({5.0}, 1.0), 0.0, 10.0, false).size(), 1u);
}

// A broken curve is drawn in chords no longer than a tenth of the width, all on the
// curve, with the one gap where the break is; a break at the very start of line1 cuts
// the pipe line's last stretch.
TEST_F(PipeDrawing, ABrokenPtrapIsDrawnInChordsAndCanCutTheJunction) {
  auto pipe = pipeFrom({0, 0, 0}, {100, 0, 0});
  pipe->bPtrap = true;
  pipe->dPtrapWidth = 10.0;
  pipe->setBreakWidth(1.0);
  pipe->aPtrapPolylineBreaks.append(5.0);
  const Prims prims = draw(*pipe);
  const std::unique_ptr<AcDb2dPolyline> curve = newPtrapCurve(ptrapPointsFrom({90, 0, 0}, {100, 0, 0}, 0.0, 10.0));
  // The chords come first, all at or below A (5 under the pipe); line1 starts on it.
  std::vector<std::pair<double, double>> chords;
  for (size_t i = 0; i < prims.size() && prims[i].points[0].y < -4.999; ++i) {
    ASSERT_EQ(prims[i].kind, GiPrimitiveKind::Polyline);
    double from = -1.0, to = -1.0;
    ASSERT_EQ(curve->getDistAtPoint(prims[i].points[0], from), Acad::eOk);
    ASSERT_EQ(curve->getDistAtPoint(prims[i].points[1], to), Acad::eOk);
    chords.emplace_back(from, to);
  }
  ASSERT_GT(chords.size(), 10u);
  EXPECT_NEAR(chords.front().first, 0.0, 1e-6);
  EXPECT_NEAR(chords.back().second, ptrapCurveLength(*curve), 1e-6);
  std::vector<std::pair<double, double>> gaps;
  for (size_t i = 0; i < chords.size(); ++i) {
    EXPECT_LE(chords[i].second - chords[i].first, 1.0 + 1e-6) << i;
    EXPECT_GT(chords[i].second - chords[i].first, 0.0) << i;
    if (i > 0 && std::fabs(chords[i].first - chords[i - 1].second) > 1e-6)
      gaps.emplace_back(chords[i - 1].second, chords[i].first);
  }
  ASSERT_EQ(gaps.size(), 1u);
  EXPECT_NEAR(gaps[0].first, 4.5, 1e-6);
  EXPECT_NEAR(gaps[0].second, 5.5, 1e-6);

  pipe->aPtrapPolylineBreaks.removeAll();
  pipe->aPtrapLine1Breaks.append(0.0);
  pipe->aBreaks.append(40.0);
  std::vector<double> ends;
  for (const GiPrimitive& p : draw(*pipe))
    if (p.kind == GiPrimitiveKind::Polyline && std::fabs(p.points[0].y) + std::fabs(p.points[1].y) < 1e-9)
      ends.push_back(p.points[1].x);
  EXPECT_EQ(ends, std::vector<double>{39.5});
}

// Each primitive comes twice: its hidden copy at z 100000 on the hidden layer with that
// layer's linetype, then itself with the traits the host set. A hidden layer that
// cannot be opened lends its place but not its linetype.
TEST_F(PipeDrawing, WithAHiddenLayerEveryPrimitiveIsDrawnTwice) {
  auto pipe = featurePipe();
  const AcDbObjectId pipeLayer = addLayer(L"Pipes");
  const Prims plain = display(*pipe, pipeLayer, db_.byLayerLinetype());
  pipe->idHiddenLayer = continuousLayer(L"Hidden");
  const Prims prims = display(*pipe, pipeLayer, db_.byLayerLinetype());
  ASSERT_EQ(prims.size(), 2 * plain.size());
  for (size_t i = 0; i < prims.size(); i += 2) {
    const GiPrimitive &hidden = prims[i], &shown = prims[i + 1];
    ASSERT_EQ(hidden.kind, shown.kind) << i;
    EXPECT_EQ(shown.kind, plain[i / 2].kind) << i;
    EXPECT_EQ(hidden.traits.layerId, pipe->idHiddenLayer) << i;
    EXPECT_EQ(hidden.traits.linetypeId, continuous()) << i;
    EXPECT_EQ(shown.traits.linetypeId, db_.byLayerLinetype()) << i;
    if (shown.kind != GiPrimitiveKind::Text) {
      EXPECT_EQ(shown.traits.layerId, pipeLayer) << i;
    }
    std::vector<AcGePoint3d> lifted;
    for (const AcGePoint3d& p : shown.points) lifted.emplace_back(p.x, p.y, 100000.0);
    EXPECT_EQ(hidden.points, lifted) << i;
    const auto anchor = [](const GiPrimitive& p) { return p.kind == GiPrimitiveKind::Text ? p.location : p.center; };
    if (!shown.points.empty()) continue;
    EXPECT_EQ(anchor(hidden), AcGePoint3d(anchor(shown).x, anchor(shown).y, 100000.0)) << i;
    EXPECT_EQ(hidden.radius, shown.radius) << i;
  }

  erase(pipe->idHiddenLayer);
  const Prims gone = display(*pipe, pipeLayer, db_.byLayerLinetype());
  EXPECT_EQ(gone[0].traits.layerId, pipe->idHiddenLayer);
  EXPECT_EQ(gone[0].traits.linetypeId, db_.byLayerLinetype());
}

// Objects are answered newest first, one per displayed primitive and of the matching
// kind; a clockwise arc becomes the counter-clockwise arc with exchanged angles.
TEST_F(PipeDrawing, ExplosionMatchesTheDisplayNewestFirst) {
  auto pipe = featurePipe();
  pipe->idHiddenLayer = continuousLayer(L"Hidden");
  pipe->idTextLayer = addLayer(L"Text");
  const Prims prims = display(*pipe, AcDbObjectId(), AcDbObjectId());
  std::vector<AcDbObjectId> made;
  ASSERT_EQ(explodePipe(*pipe, made), Acad::eOk);
  ASSERT_EQ(made.size(), prims.size());
  EXPECT_EQ(modelSpace(db_), std::vector<AcDbObjectId>(made.rbegin(), made.rend()));
  int arcs = 0;
  for (size_t i = 0; i < prims.size(); ++i) {
    const GiPrimitive& p = prims[i];
    const bool hidden = i % 2 == 0;
    read<AcDbEntity>(made[made.size() - 1 - i], [&](AcDbEntity& entity) {
      EXPECT_EQ(entity.layerId() == pipe->idHiddenLayer, hidden) << i;
      if (AcDbLine* line = AcDbLine::cast(&entity)) {
        EXPECT_EQ(p.kind, GiPrimitiveKind::Polyline) << i;
        EXPECT_TRUE(line->startPoint().isEqualTo(p.points[0]) && line->endPoint().isEqualTo(p.points[1])) << i;
      } else if (AcDbArc* arc = AcDbArc::cast(&entity)) {
        ASSERT_EQ(p.kind, GiPrimitiveKind::Arc) << i;
        ASSERT_EQ(p.normal.z, -1.0);
        // Displayed clockwise from its start: the object starts where the display ends.
        const double shownStart = std::atan2(p.startVector.y, p.startVector.x);
        EXPECT_NEAR(std::remainder(arc->endAngle() - shownStart, 2 * M_PI), 0.0, 1e-9) << i;
        EXPECT_NEAR(std::remainder(arc->startAngle() - (shownStart - p.sweep), 2 * M_PI), 0.0, 1e-9) << i;
        EXPECT_TRUE(arc->center().isEqualTo(p.center));
        ++arcs;
      } else if (AcDb2dPolyline* curve = AcDb2dPolyline::cast(&entity)) {
        EXPECT_EQ(p.kind, GiPrimitiveKind::FitCurve) << i;
        EXPECT_EQ(curve->polyType(), AcDb::k2dFitCurvePoly);
        ASSERT_EQ(curve->numVerts(), 6);
        EXPECT_TRUE(curve->vertexAt(2).isEqualTo(p.points[2]));
      } else if (AcDbMText* text = AcDbMText::cast(&entity)) {
        EXPECT_EQ(p.kind, GiPrimitiveKind::Text) << i;
        EXPECT_EQ(text->contentsText(), L"2\" HW");
        EXPECT_TRUE(text->location().isEqualTo(p.location));
        EXPECT_DOUBLE_EQ(text->rotation(), p.rotation);
        if (!hidden) {
          EXPECT_EQ(text->layerId(), pipe->idTextLayer);
        }
      } else {
        ADD_FAILURE() << "unexpected object " << i;
      }
    });
  }
  EXPECT_EQ(arcs, 2);
}

// ---- the label copy ------------------------------------------------------------------

// The label a pipe hands the host is one copy kept from drawing to drawing: each pipe
// must still show its own text, size and box width.
std::unique_ptr<PlumbPipe> labelledPipe(const wchar_t* text, double height, double boxWidth, double length) {
  auto pipe = pipeFrom({0, 0, 0}, {length, 0, 0});
  pipe->strText = text;
  pipe->mtLabel.setTextHeight(height);
  pipe->mtLabel.setWidth(boxWidth);
  pipe->dTextDistance = 40.0;
  return pipe;
}

// The labels as text: contents, lines, height, box width, rotation, attachment, place.
std::vector<std::wstring> labels(const Prims& all) {
  std::vector<std::wstring> out;
  for (const GiPrimitive& p : all) {
    if (p.kind != GiPrimitiveKind::Text) continue;
    std::wstring text = p.contents;
    for (const std::wstring& line : p.lines) text += L"|" + line;
    for (double v : {p.height, p.width, p.rotation, double(p.attachment), p.location.x, p.location.y, p.location.z})
      text += L" " + std::to_wstring(v);
    out.push_back(text);
  }
  return out;
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

// Pipes with different labels drawn one after the other, in both orders, and one
// drawn while another is drawing its labels, show what each shows on its own; a
// wrapped label keeps its own lines, and a changed text shows at once.
TEST_F(PipeDrawing, EveryPipeShowsItsOwnLabelWhateverIsDrawnAroundIt) {
  auto wide = labelledPipe(L"4\" SAN VENT", 2.5, 5.0, 100.0);
  auto narrow = labelledPipe(L"1/2\" HW", 1.0, 0.0, 120.0);
  const std::vector<std::wstring> wideAlone = labels(draw(*wide)), narrowAlone = labels(draw(*narrow));
  ASSERT_FALSE(wideAlone.empty());
  ASSERT_FALSE(narrowAlone.empty());
  EXPECT_EQ(wideAlone[0].rfind(L"4\" SAN VENT|4\"|SAN|VENT 2.500000 5.000000", 0), 0u) << acutWideToUtf8(wideAlone[0]);
  EXPECT_EQ(narrowAlone[0].rfind(L"1/2\" HW|1/2\" HW 1.000000", 0), 0u) << acutWideToUtf8(narrowAlone[0]);
  EXPECT_EQ(labels(draw(*narrow)), narrowAlone);
  EXPECT_EQ(labels(draw(*wide)), wideAlone);
  EXPECT_EQ(labels(draw(*narrow)), narrowAlone);
  narrow->strText = L"3/4\" HW";
  EXPECT_EQ(labels(draw(*narrow))[0].rfind(L"3/4\" HW|", 0), 0u);

  // The inner pipe's labels come first (drawn before the outer's first is recorded).
  NestingWorldDraw wd(narrow.get());
  const std::vector<std::wstring> innerAlone = labels(draw(*narrow));
  wide->worldDraw(&wd);
  std::vector<std::wstring> expected = innerAlone;
  expected.insert(expected.end(), wideAlone.begin(), wideAlone.end());
  EXPECT_EQ(labels(wd.takePrimitives()), expected);
}

}  // namespace
