// The host's world draw that records what objects draw as a list of primitives, in
// drawing order, each with the traits that applied when it was drawn.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "arx/db_entity.h"
#include "arx/gi.h"

class AcDbDatabase;

enum class GiPrimitiveKind { Polyline, Circle, Arc, Text, FitCurve };

// The sub-entity traits as they stood when a primitive was drawn. The colour keeps a
// true colour when the entity has one; an index set through the traits replaces it.
struct GiTraits {
  AcDbObjectId layerId;
  AcDbObjectId linetypeId;
  AcCmColor color;  // index 256 (by layer) until something sets it
};

// One recorded primitive. Only the fields of its kind are meaningful.
struct GiPrimitive {
  GiPrimitiveKind kind = GiPrimitiveKind::Polyline;
  GiTraits traits;

  // Polyline and FitCurve: the points (for a fit curve, the vertices it passes through).
  std::vector<AcGePoint3d> points;
  bool closed = false;  // FitCurve: the curve returns to its first vertex

  // Circle and Arc. The arc starts at center + radius * startVector (normalised) and
  // sweeps counter-clockwise about the normal by sweep radians.
  AcGePoint3d center;
  double radius = 0.0;
  AcGeVector3d normal{0, 0, 1};
  AcGeVector3d startVector;
  double sweep = 0.0;

  // Text. A multiline text keeps its attachment and box width (0: no wrapping);
  // single-line text is anchored bottom-left at its baseline start and width is the
  // width factor it was drawn with. lines holds what is shown on each line.
  AcGePoint3d location;
  double height = 0.0;
  double rotation = 0.0;
  std::wstring contents;
  int attachment = 7;  // AcDbMText::AttachmentPoint; 7 is bottom-left
  double width = 0.0;
  bool multiline = false;
  std::vector<std::wstring> lines;

  // Back to a new primitive's values, keeping the memory its lists and texts hold.
  // Defined here so that the recorder's geometry calls, made for every primitive of
  // every regeneration, compile it in place.
  void reset(GiPrimitiveKind newKind, const GiTraits& newTraits) {
    kind = newKind;
    traits = newTraits;
    points.clear();
    closed = false;
    center = AcGePoint3d();
    radius = 0.0;
    normal = AcGeVector3d(0, 0, 1);
    startVector = AcGeVector3d();
    sweep = 0.0;
    location = AcGePoint3d();
    height = 0.0;
    rotation = 0.0;
    contents.clear();
    attachment = 7;
    width = 0.0;
    multiline = false;
    // The lines are left for the text that is drawn next to assign over: its strings
    // then keep their memory. Only a text primitive's lines mean anything.
  }
};

// A world draw that is its own geometry and traits. Geometry calls answer false
// ("go on"): recording never aborts a regeneration. A drawable handed to draw() is a
// multiline text (one Text primitive), a fit-curve polyline (one FitCurve primitive)
// or anything else, which then draws itself into this same recorder; the traits it
// sets stay set for whatever is drawn after it.
class AcGiRecordingWorldDraw : public AcGiWorldDraw, public AcGiWorldGeometry, public AcGiSubEntityTraits {
 public:
  AcGiRecordingWorldDraw() = default;
  explicit AcGiRecordingWorldDraw(AcGiRegenType regenType) : regenType_(regenType) {}

  // AcGiWorldDraw
  AcGiWorldGeometry& geometry() const override { return const_cast<AcGiRecordingWorldDraw&>(*this); }
  AcGiSubEntityTraits& subEntityTraits() const override { return const_cast<AcGiRecordingWorldDraw&>(*this); }
  AcGiRegenType regenType() const override { return regenType_; }

  // AcGiSubEntityTraits
  void setColor(Adesk::UInt16 colorIndex) override;
  Adesk::UInt16 color() const override { return traits_.color.colorIndex(); }
  void setLayer(const AcDbObjectId& layerId) override { traits_.layerId = layerId; }
  AcDbObjectId layerId() const override { return traits_.layerId; }
  void setLineType(const AcDbObjectId& linetypeId) override { traits_.linetypeId = linetypeId; }
  AcDbObjectId lineTypeId() const override { return traits_.linetypeId; }
  // The full colour, true colours included (the host sets it from an entity).
  void setTrueColor(const AcCmColor& color) { traits_.color = color; }
  const GiTraits& traits() const { return traits_; }

  // AcGiWorldGeometry
  bool circle(const AcGePoint3d& center, double radius, const AcGeVector3d& normal) const override;
  bool circularArc(const AcGePoint3d& center, double radius, const AcGeVector3d& normal,
                   const AcGeVector3d& startVector, double sweepAngle,
                   AcGiArcType arcType = kAcGiArcSimple) const override;
  bool polyline(Adesk::UInt32 nbPoints, const AcGePoint3d* pVertexList, const AcGeVector3d* pNormal = nullptr,
                Adesk::GsMarker baseSubEntMarker = -1) const override;
  bool text(const AcGePoint3d& position, const AcGeVector3d& normal, const AcGeVector3d& direction,
            double height, double width, double oblique, const ACHAR* pMsg) const override;
  // Answers true (abort) only when drawables nest deeper than kMaxNesting, which
  // means a drawable keeps drawing itself.
  bool draw(AcGiDrawable* pDrawable) const override;

  std::span<const GiPrimitive> primitives() const { return {primitives_.data(), used_}; }
  std::vector<GiPrimitive> takePrimitives();
  // Forgets the primitives; their memory is kept for the next ones, so that drawing
  // object after object into one recorder does not allocate for every primitive.
  void clear();

  static constexpr int kMaxNesting = 64;

 private:
  // The next primitive, reset to the kind and the current traits; a cleared one is
  // used again before the list grows.
  GiPrimitive& add(GiPrimitiveKind kind) const {
    if (used_ == primitives_.size()) grow();
    GiPrimitive& p = primitives_[used_++];
    p.reset(kind, traits_);
    return p;
  }
  // One more primitive at the end of the list (kept out of add, which then stays small).
  void grow() const;

  // The first used_ are the primitives drawn; those after them were cleared and are
  // kept for their memory.
  mutable std::vector<GiPrimitive> primitives_;
  mutable size_t used_ = 0;
  mutable int nesting_ = 0;
  GiTraits traits_;
  AcGiRegenType regenType_ = kAcGiStandardDisplay;
};

// Draws one entity (open for read) as the host does: the traits are set to the
// entity's layer, linetype and colour, then the entity is handed to draw(). Proxies
// draw nothing.
Acad::ErrorStatus recordEntity(AcDbEntity* entity, AcGiRecordingWorldDraw& wd);

// Draws every entity of the database's model space that is not erased, in the order
// of the block, opening each for read and closing it. An entity that cannot be opened
// (open for write elsewhere) is left out and counted in *skipped.
Acad::ErrorStatus recordModelSpace(AcDbDatabase* db, AcGiRecordingWorldDraw& wd, int* skipped = nullptr);
