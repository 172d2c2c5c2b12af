// The host's plain entities where LISP cannot reach them: extending curves, refused
// transforms and extents, intersections in a plane and with plug-in entities, the fit
// curve's arcs, multiline text layout, and filing refusals. Parameters, snaps, edits,
// intersections and explosion of every plain curve are checked end to end by
// tests/scripts/arx_curves.lsp.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "arx/aced_print.h"
#include "arx/curve_geometry.h"
#include "arx/dwg_filer_mem.h"
#include "arx/dxf_filer_mem.h"
#include "arx/gi_record.h"

namespace {

constexpr double kEps = 1e-9;

#define EXPECT_POINT(p, ex, ey, ez)     \
  do {                                  \
    AcGePoint3d q_ = (p);               \
    EXPECT_NEAR(q_.x, (ex), kEps);      \
    EXPECT_NEAR(q_.y, (ey), kEps);      \
    EXPECT_NEAR(q_.z, (ez), kEps);      \
  } while (0)

AcGePoint3dArray points2d(std::initializer_list<AcGePoint2d> pts) {
  AcGePoint3dArray out;
  for (const AcGePoint2d& p : pts) out.append({p.x, p.y, 0});
  return out;
}

double curveLength(const AcDbCurve& c) {
  double end = 0, len = -1;
  EXPECT_EQ(c.getEndParam(end), Acad::eOk);
  EXPECT_EQ(c.getDistAtParam(end, len), Acad::eOk);
  return len;
}

AcDb::Intersect mirrored(AcDb::Intersect t) {
  return t == AcDb::kExtendThis ? AcDb::kExtendArg : (t == AcDb::kExtendArg ? AcDb::kExtendThis : t);
}

// A custom entity that intersects as a segment by asking the other entity with a
// temporary line, as a plug-in's entity does.
class SegmentStandIn : public AcDbEntity {
 public:
  SegmentStandIn(const AcGePoint3d& a, const AcGePoint3d& b) : a_(a), b_(b) {}
  Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type, AcGePoint3dArray& points,
                                  Adesk::GsMarker = 0, Adesk::GsMarker = 0) const override {
    AcDbLine line(a_, b_);
    return other->intersectWith(&line, mirrored(type), points);
  }
  Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type, const AcGePlane& plane,
                                  AcGePoint3dArray& points, Adesk::GsMarker = 0, Adesk::GsMarker = 0) const override {
    AcDbLine line(a_, b_);
    return other->intersectWith(&line, mirrored(type), plane, points);
  }

 private:
  AcGePoint3d a_, b_;
};

// An entity with no geometry of its own and no intersectWith.
class InertEntity : public AcDbEntity {};

}  // namespace

// Each row extends a fresh curve by a parameter or to a point, and names the end it
// expects to have moved (or the refusal).
TEST(CurveEdits, ExtendMovesOneEndOrRefuses) {
  using Make = std::function<AcDbCurve*()>;
  Make line = [] { return new AcDbLine({1, 1, 0}, {4, 5, 0}); };
  Make arc = [] { return new AcDbArc({0, 0, 0}, 1, 0, M_PI / 2); };
  struct Row {
    const char* what;
    Make make;
    std::function<Acad::ErrorStatus(AcDbCurve&)> extend;
    Acad::ErrorStatus status;
    std::function<AcGePoint3d(const AcDbCurve&)> end;
    AcGePoint3d expected;
  };
  auto start = [](const AcDbCurve& c) { AcGePoint3d p; c.getStartPoint(p); return p; };
  auto end = [](const AcDbCurve& c) { AcGePoint3d p; c.getEndPoint(p); return p; };
  const Row rows[] = {
      {"line back", line, [](AcDbCurve& c) { return c.extend(-5.0); }, Acad::eOk, start, {-2, -3, 0}},
      {"line ahead", line, [](AcDbCurve& c) { return c.extend(12.0); }, Acad::eOk, end, {8.2, 10.6, 0}},
      {"line within", line, [](AcDbCurve& c) { return c.extend(2.0); }, Acad::eInvalidInput, end, {4, 5, 0}},
      {"line to a point", line, [](AcDbCurve& c) { return c.extend(false, {7, 9, 0}); }, Acad::eOk, end, {7, 9, 0}},
      {"arc back", arc, [](AcDbCurve& c) { return c.extend(-M_PI / 2); }, Acad::eOk, start, {0, -1, 0}},
      {"arc ahead", arc, [](AcDbCurve& c) { return c.extend(M_PI); }, Acad::eOk, end, {-1, 0, 0}},
      {"arc over a turn", arc, [](AcDbCurve& c) { return c.extend(3 * M_PI); }, Acad::eInvalidInput, end, {0, 1, 0}},
      {"arc start to a point", arc, [](AcDbCurve& c) { return c.extend(true, {0, -5, 0}); }, Acad::eOk, start,
       {0, -1, 0}},
      {"circle", [] { return new AcDbCircle({0, 0, 0}, AcGeVector3d::kZAxis, 1); },
       [](AcDbCurve& c) { return c.extend(1.0); }, Acad::eNotApplicable, start, {1, 0, 0}},
      {"polyline", [] { return new AcDb2dPolyline(AcDb::k2dSimplePoly, points2d({{0, 0}, {3, 4}})); },
       [](AcDbCurve& c) { return c.extend(3.0); }, Acad::eNotApplicable, end, {3, 4, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::unique_ptr<AcDbCurve> curve(row.make());
    EXPECT_EQ(row.extend(*curve), row.status);
    EXPECT_POINT(row.end(*curve), row.expected.x, row.expected.y, row.expected.z);
  }
}

// A stretch would make an ellipse and a turn out of plan a 3D polyline: refused, the
// entity unchanged. Extents hold the quadrant points within an arc's sweep.
TEST(CurveEdits, RefusedTransformsAndExtents) {
  AcGeMatrix3d stretch;
  stretch(0, 0) = 3;
  AcDbArc arc({0, 4, 0}, 2, 0, M_PI / 2);
  EXPECT_EQ(arc.transformBy(stretch), Acad::eNotApplicable);
  EXPECT_NEAR(arc.radius(), 2, kEps);
  AcDbCircle circle({0, 0, 0}, AcGeVector3d::kZAxis, 1);
  EXPECT_EQ(circle.transformBy(stretch), Acad::eNotApplicable);
  EXPECT_NEAR(circle.radius(), 1, kEps);
  AcDb2dPolyline pl(AcDb::k2dSimplePoly, points2d({{0, 0}, {4, 0}}), 1.0);
  EXPECT_EQ(pl.transformBy(AcGeMatrix3d::rotation(0.3, AcGeVector3d::kXAxis)), Acad::eNotApplicable);
  EXPECT_POINT(pl.vertexAt(1), 4, 0, 1);
  EXPECT_THROW(pl.vertexAt(2), std::out_of_range);

  AcDbArc wide({0, 0, 0}, 10, 30 * M_PI / 180, 120 * M_PI / 180);
  AcDbExtents ext;
  ASSERT_EQ(wide.getGeomExtents(ext), Acad::eOk);
  // From (8.66, 5) over the top (0, 10) to (-5, 8.66).
  EXPECT_POINT(ext.minPoint(), -5, 5, 0);
  EXPECT_POINT(ext.maxPoint(), 10 * std::cos(M_PI / 6), 10, 0);
}

// Projected onto a plane, heights no longer matter; a closest point along a view
// direction ignores the height as well.
TEST(EntityIntersect, ProjectionOntoAPlaneIgnoresHeights) {
  AcDbLine low({0, 0, 0}, {10, 0, 0}), high({5, -5, 3}, {5, 5, 3});
  AcGePoint3dArray pts;
  EXPECT_EQ(low.intersectWith(&high, AcDb::kOnBothOperands, pts), Acad::eOk);
  EXPECT_EQ(pts.length(), 0);
  EXPECT_EQ(low.intersectWith(&high, AcDb::kOnBothOperands, AcGePlane::kXYPlane, pts), Acad::eOk);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_POINT(pts[0], 5, 0, 0);
  pts.removeAll();
  EXPECT_EQ(low.intersectWith(&high, AcDb::kOnBothOperands, AcGePlane({0, 0, 2}, AcGeVector3d::kZAxis), pts),
            Acad::eOk);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_POINT(pts[0], 5, 0, 2);
  AcGePoint3d p;
  EXPECT_EQ(low.getClosestPointTo({5, 3, 7}, AcGeVector3d::kZAxis, p), Acad::eOk);
  EXPECT_POINT(p, 5, 0, 0);
}

TEST(EntityIntersect, PlugInEntitiesAreAskedAndInertOnesAnswerNothing) {
  AcDbLine line({0, -1, 0}, {0, 1, 0});
  SegmentStandIn custom({-1, 0.5, 0}, {1, 0.5, 0}), custom2({0.5, -1, 0}, {0.5, 1, 0});
  AcGePoint3dArray pts;
  EXPECT_EQ(line.intersectWith(&custom, AcDb::kOnBothOperands, pts), Acad::eOk);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_POINT(pts[0], 0, 0.5, 0);
  pts.removeAll();
  // Two custom entities meet through their temporary lines.
  EXPECT_EQ(custom.intersectWith(&custom2, AcDb::kOnBothOperands, AcGePlane::kXYPlane, pts), Acad::eOk);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_POINT(pts[0], 0.5, 0.5, 0);
  pts.removeAll();
  // The extension flag follows the operand through the swap: the line is extended.
  AcDbLine shortLine({3, -1, 0}, {3, -0.8, 0});
  EXPECT_EQ(shortLine.intersectWith(&custom, AcDb::kExtendArg, pts), Acad::eOk);
  EXPECT_EQ(pts.length(), 0);
  EXPECT_EQ(shortLine.intersectWith(&custom, AcDb::kExtendThis, pts), Acad::eOk);
  EXPECT_EQ(pts.length(), 0);  // the custom segment stops at x = 1
  SegmentStandIn wide({-5, 0.5, 0}, {5, 0.5, 0});
  EXPECT_EQ(shortLine.intersectWith(&wide, AcDb::kExtendThis, pts), Acad::eOk);
  ASSERT_EQ(pts.length(), 1);
  EXPECT_POINT(pts[0], 3, 0.5, 0);

  InertEntity inert;
  pts.removeAll();
  EXPECT_EQ(line.intersectWith(&inert, AcDb::kOnBothOperands, pts), Acad::eOk);
  EXPECT_EQ(inert.intersectWith(&line, AcDb::kOnBothOperands, pts), Acad::eOk);
  EXPECT_EQ(pts.length(), 0);
}

// ---- the fit curve -----------------------------------------------------------------------

TEST(FitCurve, PassesThroughEveryVertexWithMatchingTangents) {
  // The U of a trap: tight turns near its ends and between its two middle vertices.
  AcDb2dPolyline pl(AcDb::k2dFitCurvePoly,
                    points2d({{0, 0}, {0, -0.01}, {0.49, -0.5}, {0.51, -0.5}, {1, -0.01}, {1, 0}}));
  for (int i = 0; i < pl.numVerts(); ++i) {
    AcGePoint3d p;
    ASSERT_EQ(pl.getPointAtParam(i, p), Acad::eOk);
    EXPECT_TRUE(p.isEqualTo(pl.vertexAt(i), AcGeTol(1e-9, 1e-9))) << "vertex " << i;
  }
  GeCurvePath path;
  ASSERT_TRUE(hostCurvePath(&pl, path));
  const auto& pieces = path.pieces();
  ASSERT_EQ(pieces.size(), 10u);  // two arcs for each of the five spans
  for (size_t k = 0; k + 1 < pieces.size(); ++k) {
    EXPECT_TRUE(pieces[k].endPoint().isEqualTo(pieces[k + 1].startPoint(), AcGeTol(1e-9, 1e-9))) << k;
    EXPECT_TRUE(pieces[k].tangentAt(pieces[k].length()).isEqualTo(pieces[k + 1].tangentAt(0), AcGeTol(1e-9, 1e-9)))
        << "tangent after piece " << k;
  }
  // Its length is the sum of the arcs it explodes into.
  AcDbVoidPtrArray out;
  ASSERT_EQ(pl.explode(out), Acad::eOk);
  ASSERT_EQ(out.length(), 10);
  double sum = 0;
  for (void* p : out) {
    std::unique_ptr<AcDbEntity> piece(static_cast<AcDbEntity*>(p));
    const AcDbArc* arc = AcDbArc::cast(piece.get());
    ASSERT_NE(arc, nullptr);
    sum += arc->radius() * arc->sweep();
  }
  EXPECT_NEAR(curveLength(pl), sum, 1e-9);
  // The curve stays under the vertices' span: no wild loops.
  AcDbExtents ext;
  ASSERT_EQ(pl.getGeomExtents(ext), Acad::eOk);
  EXPECT_GT(ext.minPoint().y, -0.6);
  EXPECT_LT(ext.maxPoint().y, 0.01);
}

// Straight runs, repeated vertices and a curve of one place stay finite; nothing to
// draw is drawn as nothing, and what is drawn turns counter-clockwise.
TEST(FitCurve, DegenerateVertexListsAndDrawing) {
  AcDb2dPolyline inLine(AcDb::k2dFitCurvePoly, points2d({{0, 0}, {1, 1}, {3, 3}}));
  GeCurvePath path;
  ASSERT_TRUE(hostCurvePath(&inLine, path));
  for (const GeCurvePiece& piece : path.pieces()) EXPECT_FALSE(piece.isArc());

  AcDb2dPolyline repeated(AcDb::k2dFitCurvePoly, points2d({{0, 0}, {0, 0}, {1, 0}, {1, 0}, {2, 1}}));
  for (int i = 0; i < repeated.numVerts(); ++i) {
    AcGePoint3d p;
    ASSERT_EQ(repeated.getPointAtParam(i, p), Acad::eOk);
    EXPECT_TRUE(p.isEqualTo(repeated.vertexAt(i), AcGeTol(1e-9, 1e-9)));
  }
  EXPECT_TRUE(std::isfinite(curveLength(repeated)));

  AcDb2dPolyline samePlace(AcDb::k2dFitCurvePoly, points2d({{5, 5}, {5, 5}, {5, 5}}));
  AcGePoint3d p;
  EXPECT_EQ(samePlace.getPointAtParam(1, p), Acad::eOk);
  EXPECT_POINT(p, 5, 5, 0);
  AcDb2dPolyline empty;
  double v = 0;
  EXPECT_EQ(empty.getStartParam(v), Acad::eNotApplicable);
  AcGiRecordingWorldDraw wd;
  empty.worldDraw(&wd);
  samePlace.worldDraw(&wd);
  EXPECT_TRUE(wd.primitives().empty());

  AcDb2dPolyline pl(AcDb::k2dFitCurvePoly, points2d({{0, 0}, {1, 1}, {2, 0}}));
  pl.worldDraw(&wd);
  ASSERT_EQ(wd.primitives().size(), 4u);
  for (const GiPrimitive& prim : wd.primitives()) {
    EXPECT_EQ(prim.kind, GiPrimitiveKind::Arc);
    EXPECT_GT(prim.normal.z, 0);
    EXPECT_POINT(prim.center, 1, 0, 0);
  }
}

// ---- multiline text ------------------------------------------------------------------------

// Each character is 0.6 of the height wide, lines 1.666 heights apart; breaks are \P
// (an escaped backslash is none) and words wrap at the width.
TEST(MText, LinesAndSizeFromTheFixedMetric) {
  struct Row {
    const wchar_t* contents;
    double width;
    std::vector<std::wstring> lines;
    double actualWidth, actualHeight;
  };
  const Row rows[] = {
      {L"HELLO", 0, {L"HELLO"}, 3.0, 1.0},
      {L"AB\\PCDEF\\PG", 0, {L"AB", L"CDEF", L"G"}, 2.4, 1 + 2 * 1.666},
      {L"A\\\\PB", 0, {L"A\\PB"}, 2.4, 1.0},
      {L"one two three four", 6.3, {L"one two", L"three four"}, 6.0, 2.666},
      {L"one two three", 7 * 0.6, {L"one two", L"three"}, 4.2, 2.666},  // exactly as wide as the box: fits
      {L"supercalifragilistic is long", 3, {L"supercalifragilistic", L"is", L"long"}, 12.0, 1 + 2 * 1.666},
      {L"", 0, {}, 0.0, 0.0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(acutWideToUtf8(row.contents));
    AcDbMText text;
    text.setTextHeight(1);
    text.setWidth(row.width);
    text.setContents(row.contents);
    EXPECT_EQ(text.lines(), row.lines);
    EXPECT_NEAR(text.actualWidth(), row.actualWidth, kEps);
    EXPECT_NEAR(text.actualHeight(), row.actualHeight, kEps);
  }
  AcDbMText text;
  EXPECT_EQ(text.setContents(L"pipe"), 4);
  ACHAR* copy = text.contents();
  text.setContents(L"changed");
  EXPECT_STREQ(copy, L"pipe");
  acutDelString(copy);
  EXPECT_EQ(copy, nullptr);
}

TEST(MText, DrawsEachLineFromItsBaseline) {
  AcDbMText text;
  text.setLocation({0, 10, 0});
  text.setTextHeight(1);
  text.setContents(L"AB\\PCD");
  AcGiRecordingWorldDraw wd;
  text.worldDraw(&wd);
  ASSERT_EQ(wd.primitives().size(), 2u);
  EXPECT_POINT(wd.primitives()[0].location, 0, 9, 0);  // one height below the top
  EXPECT_POINT(wd.primitives()[1].location, 0, 9 - 1.666, 0);
  EXPECT_EQ(wd.primitives()[1].contents, L"CD");
  // Middle centre: the box of 1.2 by 2.666 is centred on the location.
  text.setAttachment(AcDbMText::kMiddleCenter);
  wd.clear();
  text.worldDraw(&wd);
  EXPECT_POINT(wd.primitives()[0].location, -0.6, 10 + 1.333 - 1, 0);
  text.setAttachment(AcDbMText::kTopLeft);
  text.setRotation(M_PI / 2);  // reading upwards: the lines step towards +x
  wd.clear();
  text.worldDraw(&wd);
  EXPECT_POINT(wd.primitives()[0].location, 1, 10, 0);
  EXPECT_NEAR(wd.primitives()[0].rotation, M_PI / 2, kEps);
  AcDbExtents ext;
  text.setRotation(0);
  ASSERT_EQ(text.getGeomExtents(ext), Acad::eOk);
  EXPECT_POINT(ext.minPoint(), 0, 10 - 2.666, 0);
  EXPECT_POINT(ext.maxPoint(), 1.2, 10, 0);
}

// ---- filing refusals ---------------------------------------------------------------------------

namespace {

// Every shorter stream must be refused, and leave the target as it was.
template <typename T>
void expectEveryTruncationRefused(const T& src, const std::function<bool(const T&)>& untouched) {
  AcDbMemDwgFiler out(AcDb::kCopyFiler);
  ASSERT_EQ(src.dwgOutFields(&out), Acad::eOk);
  const std::vector<unsigned char>& bytes = out.bytes();
  for (size_t n = 0; n < bytes.size(); ++n) {
    AcDbMemDwgFiler in(std::vector<unsigned char>(bytes.begin(), bytes.begin() + n), AcDb::kCopyFiler, nullptr);
    T target;
    EXPECT_NE(target.dwgInFields(&in), Acad::eOk) << "cut at " << n;
    EXPECT_TRUE(untouched(target)) << "cut at " << n;
  }
}

}  // namespace

TEST(EntityFiling, TruncatedStreamsAreRefusedAndChangeNothing) {
  expectEveryTruncationRefused<AcDbLine>(AcDbLine({1, 2, 3}, {4, 5, 6}), [](const AcDbLine& l) {
    return l.startPoint() == AcGePoint3d::kOrigin && l.endPoint() == AcGePoint3d::kOrigin;
  });
  expectEveryTruncationRefused<AcDbArc>(AcDbArc({1, 1, 0}, 2, 0.5, 1), [](const AcDbArc& a) {
    return a.radius() == 0.0 && a.startAngle() == 0.0;
  });
  expectEveryTruncationRefused<AcDbCircle>(AcDbCircle({1, 1, 0}, AcGeVector3d::kZAxis, 2),
                                           [](const AcDbCircle& c) { return c.radius() == 0.0; });
  expectEveryTruncationRefused<AcDb2dPolyline>(
      AcDb2dPolyline(AcDb::k2dSimplePoly, points2d({{0, 0}, {1, 1}, {2, 0}}), 1.0),
      [](const AcDb2dPolyline& p) { return p.numVerts() == 0 && p.elevation() == 0.0; });
  AcDbMText text;
  text.setContents(L"label");
  expectEveryTruncationRefused<AcDbMText>(text, [](const AcDbMText& t) { return t.contentsText().empty(); });
}

// A newer version asks to be kept as a proxy; a vertex count far beyond the data runs
// out of items, not of memory; DXF data without its subclass marker is a bad sequence.
TEST(EntityFiling, NewerVersionsHugeCountsAndMissingMarkers) {
  AcDbLine line;
  AcDbMemDwgFiler filer(AcDb::kCopyFiler);
  ASSERT_EQ(line.AcDbCurve::dwgOutFields(&filer), Acad::eOk);
  filer.writeInt32(2);
  filer.rewind();
  AcDbLine target;
  EXPECT_EQ(target.dwgInFields(&filer), Acad::eMakeMeProxy);

  AcDb2dPolyline pl;
  AcDbMemDwgFiler huge(AcDb::kCopyFiler);
  ASSERT_EQ(pl.AcDbCurve::dwgOutFields(&huge), Acad::eOk);
  huge.writeInt32(1);
  huge.writeInt32(AcDb::k2dSimplePoly);
  huge.writeBool(false);
  huge.writeDouble(0);
  huge.writeInt32(2000000000);
  huge.rewind();
  EXPECT_NE(pl.dwgInFields(&huge), Acad::eOk);
  EXPECT_EQ(pl.numVerts(), 0);

  std::vector<AcDbDxfGroup> groups;
  std::wstring error;
  ASSERT_EQ(acdbParseDxfGroups("100\nAcDbEntity\n8\n0\n100\nAcDbCircle\n10\n1\n20\n2\n30\n0\n40\n3\n", groups, error),
            Acad::eOk);
  AcDbMemDxfReader reader(groups, nullptr);
  EXPECT_EQ(target.dxfInFields(&reader), Acad::eBadDxfSequence);
}
