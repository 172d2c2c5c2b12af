// The drawing view of the desktop window: the current drawing's recorded display
// graphics painted on a dark ground, zoomed with the wheel about the cursor, panned
// with a drag, and clicked to pick points when a command asks for one.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include <wx/geometry.h>
#include <wx/window.h>

#include "arx/gi_record.h"
#include "arx/plan_style.h"

class AcApDocument;

class DrawingView : public wxWindow {
 public:
  explicit DrawingView(wxWindow* parent);

  // Records the document's model space again (null: nothing is drawn). Answers whether
  // what the view draws changed; the view repaints when it did.
  bool regenerate(AcApDocument* document);
  // Fits the drawing's extents into the window.
  void zoomExtents();

  std::size_t primitiveCount() const { return recorder_.primitives().size(); }
  const PlanBounds& extents() const { return scene_.bounds(); }
  // A point of the drawing at a window position, and back.
  wxPoint2DDouble toWorld(double sx, double sy) const;
  wxPoint2DDouble toScreen(double x, double y) const;

  // Told of the drawing point under the cursor as it moves.
  void setCursorHandler(std::function<void(double x, double y)> handler) { cursorHandler_ = std::move(handler); }
  // While set, a click (a press and release without a drag) picks a drawing point.
  void setPickHandler(std::function<void(double x, double y)> handler) { pickHandler_ = std::move(handler); }

 private:
  void onPaint(wxPaintEvent& event);
  void onWheel(wxMouseEvent& event);
  void onMouse(wxMouseEvent& event);
  void onKey(wxKeyEvent& event);

  AcGiRecordingWorldDraw recorder_;
  PlanScene scene_{nullptr, {}};
  std::uint64_t documentSerial_ = 0;
  std::size_t fingerprint_ = 0;
  double scale_ = 1.0;  // pixels per drawing unit
  double centerX_ = 0, centerY_ = 0;
  bool userMoved_ = false;  // zoomed or panned since the last fit: a resize keeps the view
  std::optional<wxPoint> pressedAt_;
  wxPoint lastDrag_;
  bool dragging_ = false;
  std::function<void(double, double)> cursorHandler_;
  std::function<void(double, double)> pickHandler_;
};
