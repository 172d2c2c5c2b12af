// The recording world draw (what entities and drawables draw, with which traits) and
// the SVG plan and PNG made from it. What (host-draw) reports of each plain entity is
// checked by tests/scripts/lisp_entity_host.lsp.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "arx/aced_print.h"
#include "arx/db_database.h"
#include "arx/db_entities.h"
#include "arx/gi_record.h"
#include "arx/svg_render.h"

namespace fs = std::filesystem;

namespace {

// A drawable whose drawing is given by the test.
class ScriptedDrawable : public AcGiDrawable {
 public:
  explicit ScriptedDrawable(std::function<void(AcGiWorldDraw*)> script) : script_(std::move(script)) {}
  bool worldDraw(AcGiWorldDraw* wd) override {
    script_(wd);
    return true;
  }

 private:
  std::function<void(AcGiWorldDraw*)> script_;
};

void drawLine(AcGiWorldDraw* wd, const AcGePoint3d& a, const AcGePoint3d& b) {
  AcGePoint3d pts[2] = {a, b};
  wd->geometry().polyline(2, pts);
}

// A drawing with named layers and linetypes, entities appended to model space.
class Drawing {
 public:
  AcDbDatabase db{true};

  AcDbObjectId linetype(const wchar_t* name, std::vector<double> dashes) {
    AcDbLinetypeTable* table = nullptr;
    EXPECT_EQ(db.getLinetypeTable(table, AcDb::kForWrite), Acad::eOk);
    auto* rec = new AcDbLinetypeTableRecord();
    rec->setName(name);
    rec->setNumDashes(static_cast<int>(dashes.size()));
    for (size_t i = 0; i < dashes.size(); ++i) rec->setDashLengthAt(static_cast<int>(i), dashes[i]);
    AcDbObjectId id;
    EXPECT_EQ(table->add(id, rec), Acad::eOk);
    rec->close();
    table->close();
    return id;
  }

  AcDbObjectId layer(const wchar_t* name, Adesk::UInt16 color, AcDbObjectId lt = {}, bool off = false,
                     bool frozen = false) {
    AcDbLayerTable* table = nullptr;
    EXPECT_EQ(db.getLayerTable(table, AcDb::kForWrite), Acad::eOk);
    auto* rec = new AcDbLayerTableRecord();
    rec->setName(name);
    AcCmColor c;
    c.setColorIndex(color);
    rec->setColor(c);
    rec->setLinetypeObjectId(lt.isNull() ? db.continuousLinetype() : lt);
    rec->setIsOff(off);
    rec->setIsFrozen(frozen);
    AcDbObjectId id;
    EXPECT_EQ(table->add(id, rec), Acad::eOk);
    rec->close();
    table->close();
    return id;
  }

  AcDbObjectId add(AcDbEntity* ent, AcDbObjectId layerId) {
    AcDbBlockTableRecord* space = nullptr;
    EXPECT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    ent->setLayer(layerId);
    AcDbObjectId id;
    EXPECT_EQ(space->appendAcDbEntity(id, ent), Acad::eOk);
    ent->close();
    space->close();
    return id;
  }

  std::vector<GiPrimitive> record() {
    AcGiRecordingWorldDraw wd;
    EXPECT_EQ(recordModelSpace(&db, wd), Acad::eOk);
    return wd.takePrimitives();
  }

  std::string svg(const SvgOptions& options = {}) {
    std::string out;
    EXPECT_EQ(renderModelSpaceSvg(&db, out, options), Acad::eOk);
    return out;
  }
};

AcDbMText* newMText(const AcGePoint3d& at, const wchar_t* contents, double height = 2.0,
                    AcDbMText::AttachmentPoint attach = AcDbMText::kTopLeft) {
  auto* t = new AcDbMText();
  t->setLocation(at);
  t->setContents(contents);
  t->setTextHeight(height);
  t->setAttachment(attach);
  return t;
}

int countOf(const std::string& text, const std::string& needle) {
  int n = 0;
  for (size_t pos = text.find(needle); pos != std::string::npos; pos = text.find(needle, pos + 1)) ++n;
  return n;
}

// The SVG lines (one element each) that start with the tag.
std::vector<std::string> elements(const std::string& svg, const std::string& tag) {
  std::vector<std::string> out;
  std::istringstream in(svg);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("<" + tag + " ", 0) == 0) out.push_back(line);
  return out;
}

// The centre SVG puts a one-piece arc path "M x1 y1 A r r 0 large sweep x2 y2" about,
// worked out as SVG defines its arcs (endpoint to centre conversion, no rotation).
AcGePoint2d svgArcCentre(const std::string& element) {
  double x1, y1, rx, ry, rot, x2, y2;
  int large, sweep;
  size_t at = element.find("d=\"M");
  if (at == std::string::npos ||
      std::sscanf(element.c_str() + at, "d=\"M%lf %lf A%lf %lf %lf %d %d %lf %lf", &x1, &y1, &rx, &ry, &rot, &large,
                  &sweep, &x2, &y2) != 9)
    return {NAN, NAN};
  double hx = (x1 - x2) / 2, hy = (y1 - y2) / 2;
  double coef = std::sqrt(std::max(0.0, (rx * rx - hx * hx - hy * hy) / (hx * hx + hy * hy)));
  double sign = large != sweep ? 1.0 : -1.0;
  return {sign * coef * hy + (x1 + x2) / 2, -sign * coef * hx + (y1 + y2) / 2};
}

void expectPoint(const AcGePoint3d& p, double x, double y, double z = 0.0) {
  EXPECT_NEAR(p.x, x, 1e-9);
  EXPECT_NEAR(p.y, y, 1e-9);
  EXPECT_NEAR(p.z, z, 1e-9);
}

}  // namespace


// Model space draws through the recorder in block order, each entity on its own layer
// (the geometry of each kind is checked through host-draw by lisp_entity_host.lsp); a
// fit-curve polyline and a multiline text are one primitive each, the entity's own
// linetype and colour coming along as traits; erased entities are left out.
TEST(RecordingWorldDraw, ModelSpaceEntitiesRecordTheirGeometryAndTraits) {
  Drawing d;
  AcDbObjectId a = d.layer(L"A", 1), b = d.layer(L"B", 5);
  AcDbObjectId dashed = d.linetype(L"DASH1", {1.0, -0.5});
  d.add(new AcDbLine({1, 2, 0}, {4, 6, 0}), a);
  d.add(new AcDbArc({10, 20, 0}, 5, 0, M_PI / 2), b);
  AcDbObjectId gone = d.add(new AcDbCircle({-3, 4, 0}, {0, 0, 1}, 2.5), a);
  AcDbEntity* ent = nullptr;
  ASSERT_EQ(acdbOpenObject(ent, gone, AcDb::kForWrite), Acad::eOk);
  ASSERT_EQ(ent->erase(), Acad::eOk);
  ent->close();
  AcGePoint3dArray verts{{0, 0, 0}, {10, 5, 0}, {20, 0, 0}, {30, 5, 0}};
  auto* fit = new AcDb2dPolyline(AcDb::k2dFitCurvePoly, verts, 3.0);
  fit->setLinetype(dashed);
  fit->setColorIndex(4);
  d.add(fit, b);
  AcDbMText* mt = newMText({5, 6, 0}, L"first\\Psecond", 2.5, AcDbMText::kMiddleCenter);
  mt->setRotation(0.5);
  mt->setWidth(40);
  d.add(mt, a);

  std::vector<GiPrimitive> prims = d.record();
  ASSERT_EQ(prims.size(), 4u);
  EXPECT_EQ(prims[0].kind, GiPrimitiveKind::Polyline);
  EXPECT_EQ(prims[0].traits.layerId, a);
  EXPECT_EQ(prims[1].kind, GiPrimitiveKind::Arc);
  EXPECT_EQ(prims[1].traits.layerId, b);
  const GiPrimitive& f = prims[2];
  EXPECT_EQ(f.kind, GiPrimitiveKind::FitCurve);
  EXPECT_EQ(f.traits.layerId, b);
  EXPECT_EQ(f.traits.linetypeId, dashed);
  EXPECT_EQ(f.traits.color.colorIndex(), 4);
  ASSERT_EQ(f.points.size(), 4u);
  expectPoint(f.points[3], 30, 5, 3.0);
  EXPECT_FALSE(f.closed);
  const GiPrimitive& t = prims[3];
  EXPECT_EQ(t.kind, GiPrimitiveKind::Text);
  EXPECT_EQ(t.traits.layerId, a);
  expectPoint(t.location, 5, 6);
  EXPECT_DOUBLE_EQ(t.height, 2.5);
  EXPECT_DOUBLE_EQ(t.rotation, 0.5);
  EXPECT_EQ(t.contents, L"first\\Psecond");
  EXPECT_EQ(t.attachment, AcDbMText::kMiddleCenter);
  EXPECT_DOUBLE_EQ(t.width, 40);
  EXPECT_EQ(t.lines, (std::vector<std::wstring>{L"first", L"second"}));

  AcGiRecordingWorldDraw wd;
  EXPECT_EQ(recordEntity(nullptr, wd), Acad::eNullObjectPointer);
  EXPECT_EQ(recordEntity(AcDbEntity::cast(gone.stub()->object), wd), Acad::eNotOpenForRead);
  EXPECT_EQ(recordModelSpace(nullptr, wd), Acad::eNullObjectPointer);
  EXPECT_TRUE(wd.primitives().empty());
}

// A nested drawable draws with the traits its parent set; what it sets in turn stays
// set for whatever is drawn after it. Objects a plug-in hands over while drawing (in
// no database) are recorded like those of model space with the traits it set.
TEST(RecordingWorldDraw, NestedDrawablesAndHandedOverObjectsTakeTheCurrentTraits) {
  Drawing d;
  AcDbObjectId a = d.layer(L"A", 1), b = d.layer(L"B", 2);
  AcDbObjectId dashed = d.linetype(L"DASH1", {1.0, -0.5});
  AcDbMText label;
  label.setLocation({1, 2, 100000.0});
  label.setContents(L"4\" PVC");
  AcGePoint3dArray verts{{0, 0, 100000.0}, {1, 1, 100000.0}, {2, 0, 100000.0}};
  AcDb2dPolyline trap(AcDb::k2dFitCurvePoly, verts, 100000.0);
  AcDb2dPolyline plain(AcDb::k2dSimplePoly, verts, 0.0);
  ScriptedDrawable inner([&](AcGiWorldDraw* wd) {
    wd->geometry().circle({0, 0, 0}, 1, {0, 0, 1});
    wd->subEntityTraits().setLayer(b);
    wd->subEntityTraits().setLineType(dashed);
    wd->geometry().draw(&label);
    wd->geometry().draw(&trap);
    wd->geometry().draw(&plain);
  });
  ScriptedDrawable outer([&](AcGiWorldDraw* wd) {
    wd->subEntityTraits().setLayer(a);
    wd->subEntityTraits().setColor(3);
    drawLine(wd, {0, 0, 0}, {1, 0, 0});
    wd->geometry().draw(&inner);
    drawLine(wd, {0, 1, 0}, {1, 1, 0});
  });
  AcGiRecordingWorldDraw wd;
  wd.geometry().draw(&outer);
  const auto p = wd.primitives();
  ASSERT_EQ(p.size(), 6u);
  EXPECT_EQ(p[0].traits.layerId, a);
  EXPECT_EQ(p[1].kind, GiPrimitiveKind::Circle);
  EXPECT_EQ(p[1].traits.layerId, a);
  EXPECT_EQ(p[1].traits.color.colorIndex(), 3);
  EXPECT_EQ(p[2].kind, GiPrimitiveKind::Text);
  EXPECT_EQ(p[2].contents, L"4\" PVC");
  EXPECT_EQ(p[2].location.z, 100000.0);
  EXPECT_EQ(p[3].kind, GiPrimitiveKind::FitCurve);
  EXPECT_EQ(p[3].points.size(), 3u);
  EXPECT_EQ(p[4].kind, GiPrimitiveKind::Polyline);
  for (size_t i = 2; i < p.size(); ++i) {
    EXPECT_EQ(p[i].traits.layerId, b) << i;
    EXPECT_EQ(p[i].traits.linetypeId, dashed) << i;
    EXPECT_EQ(p[i].traits.color.colorIndex(), 3) << i;
  }
}

// Single-line text is anchored bottom-left along its direction; degenerate calls and
// a drawable that keeps drawing itself record nothing or stop, and never crash.
TEST(RecordingWorldDraw, TextCallsAndBadInput) {
  AcGiRecordingWorldDraw wd;
  wd.geometry().text({1, 2, 0}, {0, 0, 1}, {0, 1, 0}, 2.0, 0.8, 0.0, L"UP");
  ASSERT_EQ(wd.primitives().size(), 1u);
  const GiPrimitive& t = wd.primitives()[0];
  EXPECT_EQ(t.attachment, AcDbMText::kBottomLeft);
  EXPECT_NEAR(t.rotation, M_PI / 2, 1e-12);
  EXPECT_DOUBLE_EQ(t.width, 0.8);
  wd.clear();
  AcGePoint3d one[1] = {{0, 0, 0}};
  EXPECT_FALSE(wd.geometry().polyline(1, one));
  EXPECT_FALSE(wd.geometry().polyline(5, nullptr));
  EXPECT_FALSE(wd.geometry().draw(nullptr));
  EXPECT_TRUE(wd.primitives().empty());
  ScriptedDrawable* self = nullptr;
  bool aborted = false;
  ScriptedDrawable loop([&](AcGiWorldDraw* w) {
    drawLine(w, {0, 0, 0}, {1, 0, 0});
    if (w->geometry().draw(self)) aborted = true;
  });
  self = &loop;
  wd.geometry().draw(&loop);
  EXPECT_TRUE(aborted);
  EXPECT_EQ(wd.primitives().size(), static_cast<size_t>(AcGiRecordingWorldDraw::kMaxNesting));
}

// The plan of a small drawing: one element per primitive; layer colours unless the
// entity has its own (an index or a true colour); the dashed layer's pattern scaled,
// patterns that start with a gap or hold a dot still alternating from a dash; escaped
// text; layers that are off or frozen draw nothing and take no room in the view.
TEST(SvgRender, ElementsColoursDashesAndHiddenLayers) {
  Drawing d;
  AcDbObjectId dashed = d.linetype(L"DASH1", {0.5, -0.25});
  AcDbObjectId gapFirst = d.linetype(L"GAPFIRST", {-0.25, 0.5});
  AcDbObjectId dashDot = d.linetype(L"DASHDOT1", {0.5, -0.25, 0.0, -0.25});
  AcDbObjectId red = d.layer(L"RED", 1), blue = d.layer(L"BLUE", 5, dashed);
  d.add(new AcDbLine({0, 0, 0}, {100, 0, 0}), red);
  d.add(new AcDbCircle({20, 10, 0}, {0, 0, 1}, 5), blue);
  d.add(new AcDbArc({10, 20, 0}, 5, 0, M_PI / 2), red);
  AcGePoint3dArray verts{{0, 30, 0}, {10, 35, 0}, {20, 30, 0}};
  d.add(new AcDb2dPolyline(AcDb::k2dSimplePoly, verts), blue);
  d.add(newMText({0, 40, 0}, L"a <&> b"), red);
  auto* green = new AcDbLine({0, 1, 0}, {1, 1, 0});
  green->setColorIndex(3);
  d.add(green, red);
  auto* rgb = new AcDbLine({0, 2, 0}, {1, 2, 0});
  AcCmColor c;
  c.setRGB(1, 2, 254);
  rgb->setColor(c);
  d.add(rgb, red);
  d.add(new AcDbLine({0, 3, 0}, {100, 3, 0}), d.layer(L"G", 7, gapFirst));
  d.add(new AcDbLine({0, 4, 0}, {100, 4, 0}), d.layer(L"D", 7, dashDot));
  d.add(new AcDbCircle({500, 500, 0}, {0, 0, 1}, 5), d.layer(L"OFF", 1, {}, true));
  d.add(newMText({-500, 0, 0}, L"cold"), d.layer(L"ICE", 2, {}, false, true));

  SvgOptions options;
  options.dashScale = 4.0;
  std::string svg = d.svg(options);
  std::vector<std::string> lines = elements(svg, "line");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(elements(svg, "circle").size(), 1u);
  EXPECT_EQ(elements(svg, "path").size(), 1u);
  EXPECT_EQ(elements(svg, "polyline").size(), 1u);
  ASSERT_EQ(elements(svg, "text").size(), 1u);
  EXPECT_NE(svg.find("viewBox=\"-5 -45 110 50\""), std::string::npos) << svg;

  const std::pair<std::string, const char*> expected[] = {
      {lines[0], "stroke=\"#ff0000\""},
      {elements(svg, "circle")[0], "stroke=\"#0000ff\""},
      {elements(svg, "circle")[0], "stroke-dasharray=\"2,1\""},
      {elements(svg, "polyline")[0], "stroke-dasharray=\"2,1\""},
      {elements(svg, "text")[0], ">a &lt;&amp;&gt; b</tspan>"},
      {elements(svg, "text")[0], "fill=\"#ff0000\""},
      {lines[1], "#00ff00"},
      {lines[2], "#0102fe"},
      {lines[3], "stroke-dasharray=\"0,1,2,0\""},
      // The dot is as long as the line is wide: 0.0015 of the drawing's 100.
      {lines[4], "stroke-dasharray=\"2,1,0.15,1\""},
  };
  for (const auto& [element, text] : expected) EXPECT_NE(element.find(text), std::string::npos) << element;
  EXPECT_EQ(lines[0].find("stroke-dasharray"), std::string::npos) << lines[0];
  EXPECT_EQ(countOf(svg, "<&>"), 0);
}

// In the flipped plan an arc about +z (counter-clockwise) turns against SVG's positive,
// on-screen clockwise sweep and one about -z with it; a sweep over half a turn is
// written in two halves ending at the true end; a fit curve is one path from its first
// vertex to its last; the view box fits the drawing, and layer 0 is black on white.
TEST(SvgRender, ArcsAndCurvesFollowTheFlippedPlan) {
  AcGiRecordingWorldDraw wd;
  wd.geometry().circularArc({10, 20, 0}, 5, {0, 0, 1}, {1, 0, 0}, M_PI / 2);
  wd.geometry().circularArc({10, 20, 0}, 5, {0, 0, -1}, {1, 0, 0}, M_PI / 2);
  wd.geometry().circularArc({0, 0, 0}, 2, {0, 0, 1}, {0, 3, 0}, 1.5 * M_PI);
  std::vector<std::string> paths = elements(renderSvg(nullptr, wd.primitives()), "path");
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_NE(paths[0].find("d=\"M15 -20 A5 5 0 0 0 10 -25\""), std::string::npos) << paths[0];
  EXPECT_NE(paths[1].find("d=\"M15 -20 A5 5 0 0 1 10 -15\""), std::string::npos) << paths[1];
  // Both arcs must turn about the true centre, (10, 20) in plan.
  for (int i : {0, 1}) {
    AcGePoint2d c = svgArcCentre(paths[i]);
    EXPECT_NEAR(c.x, 10, 1e-6) << paths[i];
    EXPECT_NEAR(c.y, -20, 1e-6) << paths[i];
  }
  // From (0,2) three quarters round counter-clockwise: through (-1.414,-1.414) to (2,0).
  EXPECT_NE(paths[2].find("d=\"M0 -2 A2 2 0 0 0 -1.414214 1.414214 A2 2 0 0 0 2 0\""), std::string::npos)
      << paths[2];

  Drawing d;
  d.add(new AcDbLine({0, 0, 0}, {100, 50, 0}), d.db.layerZero());
  AcGePoint3dArray verts{{0, 0, 0}, {10, 10, 0}, {20, 0, 0}, {30, 10, 0}};
  d.add(new AcDb2dPolyline(AcDb::k2dFitCurvePoly, verts), d.db.layerZero());
  std::string svg = d.svg();
  EXPECT_NE(svg.find("viewBox=\"-5 -55 110 60\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("width=\"1000\" height=\"545\""), std::string::npos) << svg;
  EXPECT_NE(svg.find("stroke=\"#000000\""), std::string::npos) << svg;
  paths = elements(svg, "path");
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(paths[0].find("d=\"M0 0 "), paths[0].find("d=\"")) << paths[0];
  EXPECT_NE(paths[0].find(" 30 -10\""), std::string::npos) << paths[0];
  EXPECT_GE(countOf(paths[0], " A") + countOf(paths[0], " L"), 3) << paths[0];
}

// Text anchors follow the attachment, rotation turns against the flipped y, and each
// line gets its own tspan. An empty drawing is still a whole document.
TEST(SvgRender, TextLayoutAndTheEmptyDocument) {
  Drawing d;
  AcDbMText* mt = newMText({10, 10, 0}, L"one\\Ptwo\\Pthree", 2.0, AcDbMText::kMiddleCenter);
  mt->setRotation(M_PI / 2);
  d.add(mt, d.db.layerZero());
  std::string text = elements(d.svg(), "text").at(0);
  EXPECT_NE(text.find("translate(10 -10) rotate(-90)"), std::string::npos) << text;
  EXPECT_NE(text.find("text-anchor=\"middle\""), std::string::npos) << text;
  EXPECT_NE(text.find("font-size=\"2\""), std::string::npos) << text;
  EXPECT_EQ(countOf(text, "<tspan"), 3);
  // Three lines 3.332 apart, centred: the first baseline 2 below a top 4.332 up.
  EXPECT_NE(text.find("<tspan x=\"0\" y=\"-2.332\">one</tspan>"), std::string::npos) << text;
  EXPECT_NE(text.find("<tspan x=\"0\" y=\"4.332\">three</tspan>"), std::string::npos) << text;

  Drawing empty;
  std::string svg = empty.svg();
  EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u) << svg;
  EXPECT_EQ(countOf(svg, "<svg "), 1);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
  double x = 0, y = 0, w = 0, h = 0;
  size_t at = svg.find("viewBox=\"");
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(std::sscanf(svg.c_str() + at, "viewBox=\"%lf %lf %lf %lf\"", &x, &y, &w, &h), 4) << svg;
  EXPECT_GT(w, 0);
  EXPECT_GT(h, 0);
  EXPECT_EQ(countOf(svg, "<rect "), 1);
  for (const char* tag : {"line", "polyline", "path", "circle", "text"}) EXPECT_TRUE(elements(svg, tag).empty());
}

// The SVG goes through rsvg-convert into a real PNG; a missing input is refused with
// rsvg-convert's reason; an SVG in a folder that does not exist is a file error.
TEST(SvgRender, FilesAndPngThroughRsvgConvert) {
  Drawing d;
  d.add(new AcDbCircle({0, 0, 0}, {0, 0, 1}, 5), d.db.layerZero());
  d.add(newMText({-4, 0, 0}, L"<&>"), d.db.layerZero());
  EXPECT_EQ(writeModelSpaceSvg(&d.db, L"/nonexistent-folder/x/plan.svg"), Acad::eFileAccessErr);
  if (!rsvgConvertAvailable()) GTEST_SKIP() << "rsvg-convert is not installed";
  const fs::path dir = fs::temp_directory_path() / ("ov_render_" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::path svg = dir / "plan.svg", png = dir / "plan.png";
  ASSERT_EQ(writeModelSpaceSvg(&d.db, svg.wstring()), Acad::eOk);
  std::wstring message;
  ASSERT_TRUE(svgToPng(svg.wstring(), png.wstring(), 200, message)) << acutWideToUtf8(message);
  std::ifstream in(png, std::ios::binary);
  char sig[8] = {};
  in.read(sig, 8);
  EXPECT_EQ(std::string(sig, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_FALSE(svgToPng((dir / "missing.svg").wstring(), png.wstring(), 200, message));
  EXPECT_NE(message.find(L"rsvg-convert failed"), std::wstring::npos);
  EXPECT_FALSE(svgToPng(svg.wstring(), png.wstring(), 0, message));
  EXPECT_FALSE(message.empty());
  fs::remove_all(dir);
}
