// Where the pipe drawing's primitives go: the host's world draw when a pipe is shown,
// new objects of model space when it is exploded. The drawing decides what to draw;
// an output only knows how to put one primitive down on one of three layers.
#pragma once

#include <memory>
#include <vector>

#include "arx/db_entities.h"
#include "arx/gi.h"

// Which layer and linetype a primitive takes.
enum class PipeLayerRole {
  Effective,  // the pipe's own (display: the traits the host set for the pipe)
  Hidden,     // the hidden layer with the hidden linetype
  Label,      // the label's layer with the pipe's linetype
};

// An arc as the pipe draws it: from centre + radius * startVector, sweeping sweep
// radians counter-clockwise (direction 1) or clockwise (direction -1) in plan.
struct PipeArc {
  AcGePoint3d centre;
  double radius = 0.0;
  AcGeVector3d startVector{1, 0, 0};
  double sweep = 0.0;
  int direction = 1;
};

class PipeDrawOutput {
 public:
  virtual ~PipeDrawOutput() = default;
  virtual void line(const AcGePoint3d& from, const AcGePoint3d& to, PipeLayerRole role) = 0;
  virtual void arc(const PipeArc& arc, PipeLayerRole role) = 0;
  virtual void circle(const AcGePoint3d& centre, double radius, PipeLayerRole role) = 0;
  // A fit-curve polyline through the vertices, in the plane z = elevation.
  virtual void fitCurve(const AcGePoint3dArray& vertices, double elevation, PipeLayerRole role) = 0;
  // A copy of the label (width, rotation, contents, text style, text height) at the
  // location.
  virtual void label(const AcDbMText& label, const AcGePoint3d& location, PipeLayerRole role) = 0;
};

// The layers and linetypes a drawing uses.
struct PipeDrawLayers {
  AcDbObjectId layer, linetype;  // effective
  AcDbObjectId hiddenLayer, hiddenLinetype;
  AcDbObjectId labelLayer;
};

// Display: primitives go to the world draw's geometry; the traits are switched for a
// hidden copy or a label and put back to the effective ones after it. A host draws
// every pipe at every regeneration, so the lines, which are most of what a pipe
// draws, are put down here in the header where the drawing can compile them in place.
class PipeDisplayOutput final : public PipeDrawOutput {
 public:
  PipeDisplayOutput(AcGiWorldDraw* wd, const PipeDrawLayers& layers);
  ~PipeDisplayOutput() override;
  PipeDisplayOutput(const PipeDisplayOutput&) = delete;
  PipeDisplayOutput& operator=(const PipeDisplayOutput&) = delete;

  void line(const AcGePoint3d& from, const AcGePoint3d& to, PipeLayerRole role) override {
    const bool restore = enter(role);
    const AcGePoint3d points[2] = {from, to};
    geometry_.polyline(2, points);
    leave(restore);
  }
  void arc(const PipeArc& arc, PipeLayerRole role) override;
  void circle(const AcGePoint3d& centre, double radius, PipeLayerRole role) override;
  void fitCurve(const AcGePoint3dArray& vertices, double elevation, PipeLayerRole role) override;
  void label(const AcDbMText& label, const AcGePoint3d& location, PipeLayerRole role) override;

 private:
  // Sets the traits for the role; answers whether they must be put back.
  bool enter(PipeLayerRole role) {
    if (role == PipeLayerRole::Effective) return false;
    switchTraits(role);
    return true;
  }
  void leave(bool restore) {
    if (restore) restoreTraits();
  }
  void switchTraits(PipeLayerRole role);
  void restoreTraits();

  AcGiWorldGeometry& geometry_;
  AcGiSubEntityTraits& traits_;
  PipeDrawLayers layers_;
  // The label copy handed to the host: one per thread, kept from one drawing to the
  // next so that its text is not copied and laid out again for every pipe (a drawing
  // sets its fields at its first label, only the location for the others). A drawing
  // made while another holds it gets a copy of its own.
  AcDbMText* labelCopy_ = nullptr;
  std::unique_ptr<AcDbMText> ownLabel_;
  bool holdsShared_ = false;
  bool labelCopied_ = false;
};

// Explosion: each primitive becomes a new object appended to model space and closed.
// After a failed append nothing more is created.
class PipeExplodeOutput final : public PipeDrawOutput {
 public:
  explicit PipeExplodeOutput(const PipeDrawLayers& layers) : layers_(layers) {}
  void line(const AcGePoint3d& from, const AcGePoint3d& to, PipeLayerRole role) override;
  void arc(const PipeArc& arc, PipeLayerRole role) override;
  void circle(const AcGePoint3d& centre, double radius, PipeLayerRole role) override;
  void fitCurve(const AcGePoint3dArray& vertices, double elevation, PipeLayerRole role) override;
  void label(const AcDbMText& label, const AcGePoint3d& location, PipeLayerRole role) override;

  // The objects made so far, in the order they were made.
  const std::vector<AcDbObjectId>& created() const { return created_; }
  Acad::ErrorStatus status() const { return status_; }

 private:
  void append(AcDbEntity* entity, PipeLayerRole role);

  PipeDrawLayers layers_;
  std::vector<AcDbObjectId> created_;
  Acad::ErrorStatus status_ = Acad::eOk;
};
