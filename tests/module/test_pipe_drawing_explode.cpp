// The pipe drawing's layers and its second mode: hidden copies on the hidden layer,
// labels on their layer, and explosion into plain objects of model space that match
// what the pipe displays, newest first.
#include <cmath>
#include <memory>

#include "arx/db_symtab.h"
#include "arx/gi_record.h"
#include "pipe/pipe_drawing.h"
#include "test_pipe_data_fixture.h"

namespace {

using Prims = std::vector<GiPrimitive>;

class PipeDrawingLayers : public PipeFixture {
 protected:
  // A pipe of the test drawing with a little of everything: breaks, a label, ticks,
  // an elbow, an arc, a drop line and a P-trap.
  std::unique_ptr<PlumbPipe> featurePipe() {
    auto pipe = std::make_unique<PlumbPipe>();
    pipe->setStartPoint({0, 0, 10}, true);
    pipe->setEndPoint({120, 0, 8}, true);
    pipe->aBreaks.append(30.0);
    pipe->strText = L"2\" HW";
    pipe->dTextDistance = 40.0;
    pipe->dTickWidth = 2.0;
    pipe->dTickOffsetHead = 4.0;
    pipe->dTickOffsetTail = 4.0;
    pipe->aElbows.append(elbowInfo(8.0, 0.785));
    pipe->dArcRadius = 5.0;
    pipe->aArcs.append(arcInfo(1.0, 15.0, -1));
    pipe->bPtrap = true;
    pipe->dPtrapWidth = 6.0;
    return pipe;
  }

  // The layer's linetype set to the database's "CONTINUOUS".
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
  Prims display(PlumbPipe& pipe, AcDbObjectId layer, AcDbObjectId linetype) {
    AcGiRecordingWorldDraw wd;
    wd.setLayer(layer);
    wd.setLineType(linetype);
    pipe.worldDraw(&wd);
    return wd.takePrimitives();
  }
};

// Each primitive comes twice: its hidden copy at z 100000 on the hidden layer with
// that layer's linetype, then itself on the pipe's layer.
TEST_F(PipeDrawingLayers, WithAHiddenLayerEveryPrimitiveIsDrawnTwice) {
  auto pipe = featurePipe();
  const AcDbObjectId pipeLayer = addLayer(L"Pipes");
  const Prims plain = display(*pipe, pipeLayer, db_.byLayerLinetype());
  pipe->idHiddenLayer = continuousLayer(L"Hidden");
  const Prims prims = display(*pipe, pipeLayer, db_.byLayerLinetype());
  ASSERT_EQ(prims.size(), 2 * plain.size());
  for (size_t i = 0; i < prims.size(); i += 2) {
    const GiPrimitive& hidden = prims[i];
    const GiPrimitive& shown = prims[i + 1];
    ASSERT_EQ(hidden.kind, shown.kind) << i;
    EXPECT_EQ(shown.kind, plain[i / 2].kind) << i;
    EXPECT_EQ(hidden.traits.layerId, pipe->idHiddenLayer) << i;
    EXPECT_EQ(hidden.traits.linetypeId, continuous()) << i;
    EXPECT_EQ(shown.traits.linetypeId, db_.byLayerLinetype()) << i;
    switch (hidden.kind) {
      case GiPrimitiveKind::Polyline:
      case GiPrimitiveKind::FitCurve:
        ASSERT_EQ(hidden.points.size(), shown.points.size());
        for (size_t k = 0; k < hidden.points.size(); ++k) {
          EXPECT_EQ(hidden.points[k].z, 100000.0);
          EXPECT_EQ(hidden.points[k].x, shown.points[k].x);
          EXPECT_EQ(hidden.points[k].y, shown.points[k].y);
        }
        break;
      case GiPrimitiveKind::Arc:
      case GiPrimitiveKind::Circle:
        EXPECT_EQ(hidden.center.z, 100000.0);
        EXPECT_EQ(hidden.center.x, shown.center.x);
        EXPECT_EQ(hidden.radius, shown.radius);
        break;
      case GiPrimitiveKind::Text:
        EXPECT_EQ(hidden.location.z, 100000.0);
        EXPECT_EQ(hidden.location.x, shown.location.x);
        break;
    }
  }
  // The traits the host set are back after the drawing.
  for (size_t i = 1; i < prims.size(); i += 2)
    if (prims[i].kind != GiPrimitiveKind::Text) {
      EXPECT_EQ(prims[i].traits.layerId, pipeLayer) << i;
    }

  // A riser's circle has its hidden copy too.
  pipe->setEndPoint({0, 0, 0}, true);
  const Prims riser = display(*pipe, pipeLayer, db_.byLayerLinetype());
  ASSERT_EQ(riser.size(), 2u);
  EXPECT_EQ(riser[0].center.z, 100000.0);
  EXPECT_EQ(riser[0].traits.layerId, pipe->idHiddenLayer);
}

// A hidden layer that cannot be opened lends its place but not its linetype.
TEST_F(PipeDrawingLayers, AnErasedHiddenLayerKeepsTheEffectiveLinetype) {
  auto pipe = featurePipe();
  pipe->idHiddenLayer = continuousLayer(L"Gone");
  erase(pipe->idHiddenLayer);
  const Prims prims = display(*pipe, addLayer(L"Pipes"), db_.byLayerLinetype());
  ASSERT_GT(prims.size(), 2u);
  EXPECT_EQ(prims[0].traits.layerId, pipe->idHiddenLayer);
  EXPECT_EQ(prims[0].traits.linetypeId, db_.byLayerLinetype());
}

// The label goes on the text layer, or on the pipe's own layer without one.
TEST_F(PipeDrawingLayers, LabelsGoOnTheTextLayerOrThePipesLayer) {
  auto pipe = featurePipe();
  const AcDbObjectId pipeLayer = addLayer(L"Pipes");
  pipe->setLayer(pipeLayer);
  const AcDbObjectId traitsLayer = addLayer(L"Traits");
  auto labelLayers = [&] {
    std::vector<AcDbObjectId> layers;
    for (const GiPrimitive& p : display(*pipe, traitsLayer, AcDbObjectId()))
      if (p.kind == GiPrimitiveKind::Text) layers.push_back(p.traits.layerId);
    return layers;
  };
  std::vector<AcDbObjectId> layers = labelLayers();
  ASSERT_FALSE(layers.empty());
  for (const AcDbObjectId& id : layers) EXPECT_EQ(id, pipeLayer);
  EXPECT_EQ(pipe->mtLabel.layerId(), pipeLayer);
  pipe->idTextLayer = addLayer(L"Text");
  layers = labelLayers();
  for (const AcDbObjectId& id : layers) EXPECT_EQ(id, pipe->idTextLayer);
}

// ---- explosion ---------------------------------------------------------------------

TEST_F(PipeDrawingLayers, APlainPipeExplodesToOneLineOnItsLayer) {
  auto pipe = std::make_unique<PlumbPipe>();
  pipe->setStartPoint({1, 2, 3}, true);
  pipe->setEndPoint({11, 2, 3}, true);
  const AcDbObjectId layer = addLayer(L"Pipes");
  pipe->setLayer(layer);
  std::vector<AcDbObjectId> made;
  ASSERT_EQ(explodePipe(*pipe, made), Acad::eOk);
  ASSERT_EQ(made.size(), 1u);
  AcDbLine* line = nullptr;
  ASSERT_EQ(acdbOpenObject(line, made[0], AcDb::kForRead), Acad::eOk);
  EXPECT_TRUE(line->startPoint().isEqualTo({1, 2, 3}));
  EXPECT_TRUE(line->endPoint().isEqualTo({11, 2, 3}));
  EXPECT_EQ(line->layerId(), layer);
  line->close();
  EXPECT_EQ(modelSpace(db_).size(), 1u);
}

// Objects are answered newest first, one per displayed primitive and of the matching
// kind; a clockwise arc becomes the counter-clockwise arc with exchanged angles.
TEST_F(PipeDrawingLayers, ExplosionMatchesTheDisplayNewestFirst) {
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
    AcDbEntity* entity = nullptr;
    ASSERT_EQ(acdbOpenObject(entity, made[made.size() - 1 - i], AcDb::kForRead), Acad::eOk);
    const bool hidden = i % 2 == 0;
    EXPECT_EQ(entity->layerId() == pipe->idHiddenLayer, hidden) << i;
    switch (p.kind) {
      case GiPrimitiveKind::Polyline: {
        AcDbLine* line = AcDbLine::cast(entity);
        ASSERT_NE(line, nullptr) << i;
        EXPECT_TRUE(line->startPoint().isEqualTo(p.points[0])) << i;
        EXPECT_TRUE(line->endPoint().isEqualTo(p.points[1])) << i;
        break;
      }
      case GiPrimitiveKind::Arc: {
        AcDbArc* arc = AcDbArc::cast(entity);
        ASSERT_NE(arc, nullptr) << i;
        ASSERT_EQ(p.normal.z, -1.0);
        // Displayed clockwise from its start: the object starts where the display ends.
        const double shownStart = std::atan2(p.startVector.y, p.startVector.x);
        EXPECT_NEAR(std::remainder(arc->endAngle() - shownStart, 2 * M_PI), 0.0, 1e-9) << i;
        EXPECT_NEAR(std::remainder(arc->startAngle() - (shownStart - p.sweep), 2 * M_PI), 0.0, 1e-9) << i;
        EXPECT_TRUE(arc->center().isEqualTo(p.center));
        ++arcs;
        break;
      }
      case GiPrimitiveKind::FitCurve: {
        AcDb2dPolyline* curve = AcDb2dPolyline::cast(entity);
        ASSERT_NE(curve, nullptr) << i;
        EXPECT_EQ(curve->polyType(), AcDb::k2dFitCurvePoly);
        ASSERT_EQ(curve->numVerts(), 6);
        EXPECT_TRUE(curve->vertexAt(2).isEqualTo(p.points[2]));
        break;
      }
      case GiPrimitiveKind::Text: {
        AcDbMText* text = AcDbMText::cast(entity);
        ASSERT_NE(text, nullptr) << i;
        EXPECT_EQ(text->contentsText(), L"2\" HW");
        EXPECT_TRUE(text->location().isEqualTo(p.location));
        EXPECT_DOUBLE_EQ(text->rotation(), p.rotation);
        if (!hidden) {
          EXPECT_EQ(text->layerId(), pipe->idTextLayer);
        }
        break;
      }
      case GiPrimitiveKind::Circle:
        ADD_FAILURE() << "a plan pipe drew a circle";
        break;
    }
    entity->close();
  }
  EXPECT_EQ(arcs, 2);
}

}  // namespace
