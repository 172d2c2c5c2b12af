// Painting the recorded primitives with the toolkit's graphics context, in the same
// styles as the SVG writer (plan_style.h), on the dark ground the host's screen has.
#include "drawing_view.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <wx/dcbuffer.h>
#include <wx/graphics.h>

#include "arx/ap_doc_manager.h"
#include "arx/db_entities.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
const wxColour kGround(30, 30, 30);

// Colour 7 and true black print black on paper and show white on the dark screen.
wxColour screenColour(const PlanRgb& c) {
  if (c.r == 0 && c.g == 0 && c.b == 0) return *wxWHITE;
  return wxColour(static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g), static_cast<unsigned char>(c.b));
}

void mix(std::size_t& seed, double v) { seed ^= std::hash<double>{}(v) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2); }

// What the view would draw differently: the primitives' kinds, places, sizes and texts.
std::size_t fingerprintOf(std::span<const GiPrimitive> primitives) {
  std::size_t seed = primitives.size();
  for (const GiPrimitive& p : primitives) {
    mix(seed, static_cast<double>(p.kind));
    for (const AcGePoint3d& pt : p.points) {
      mix(seed, pt.x);
      mix(seed, pt.y);
    }
    mix(seed, p.center.x);
    mix(seed, p.center.y);
    mix(seed, p.radius);
    mix(seed, p.sweep);
    mix(seed, p.location.x);
    mix(seed, p.location.y);
    mix(seed, static_cast<double>(std::hash<std::wstring>{}(p.contents)));
    mix(seed, static_cast<double>(p.traits.layerId.handle().value()));
    mix(seed, static_cast<double>(p.traits.color.colorIndex()));
  }
  return seed;
}

}  // namespace

DrawingView::DrawingView(wxWindow* parent)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(800, 500), wxFULL_REPAINT_ON_RESIZE | wxWANTS_CHARS) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetBackgroundColour(kGround);
  Bind(wxEVT_PAINT, &DrawingView::onPaint, this);
  Bind(wxEVT_MOUSEWHEEL, &DrawingView::onWheel, this);
  for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_MIDDLE_DOWN, wxEVT_MIDDLE_UP, wxEVT_MOTION})
    Bind(type, &DrawingView::onMouse, this);
  Bind(wxEVT_KEY_DOWN, &DrawingView::onKey, this);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    // Until the user zooms or pans, the plan stays fitted to the window.
    if (!userMoved_) zoomExtents();
    event.Skip();
  });
}

bool DrawingView::regenerate(AcApDocument* document) {
  const std::uint64_t serial = document != nullptr ? document->hostSerial() : 0;
  recorder_.clear();
  if (document != nullptr) recordModelSpace(document->database(), recorder_);
  scene_ = PlanScene(document != nullptr ? document->database() : nullptr, recorder_.primitives());
  const std::size_t fingerprint = fingerprintOf(recorder_.primitives());
  const bool otherDrawing = serial != documentSerial_;
  const bool changed = otherDrawing || fingerprint != fingerprint_;
  documentSerial_ = serial;
  fingerprint_ = fingerprint;
  // Another drawing opens at its extents; the same one keeps the user's zoom.
  if (otherDrawing) zoomExtents();
  else if (changed) Refresh();
  return changed;
}

void DrawingView::zoomExtents() {
  const wxSize size = GetClientSize();
  userMoved_ = false;
  if (size.x < 10 || size.y < 10) return;
  PlanBounds b = scene_.bounds();
  if (b.empty) b = PlanBounds{0, 0, 100, 100, false};
  const double w = std::max(b.maxX - b.minX, 1e-9), h = std::max(b.maxY - b.minY, 1e-9);
  // A twentieth of the window is left free on every side.
  scale_ = std::min(size.x * 0.9 / w, size.y * 0.9 / h);
  centerX_ = (b.minX + b.maxX) / 2;
  centerY_ = (b.minY + b.maxY) / 2;
  Refresh();
}

wxPoint2DDouble DrawingView::toWorld(double sx, double sy) const {
  const wxSize size = GetClientSize();
  return {centerX_ + (sx - size.x / 2.0) / scale_, centerY_ - (sy - size.y / 2.0) / scale_};
}

wxPoint2DDouble DrawingView::toScreen(double x, double y) const {
  const wxSize size = GetClientSize();
  return {size.x / 2.0 + (x - centerX_) * scale_, size.y / 2.0 - (y - centerY_) * scale_};
}

void DrawingView::onPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.SetBackground(wxBrush(kGround));
  dc.Clear();
  std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
  if (!gc) return;
  gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
  const PlanBounds& b = scene_.bounds();
  // Dashes scale with the drawing as in the SVG writer: a linetype unit is a fiftieth
  // of the drawing's larger side.
  const double dashUnit = b.empty ? 1.0 : std::max(b.maxX - b.minX, b.maxY - b.minY) / 50.0;
  std::vector<wxDash> dashes;
  for (const PlanItem& item : scene_.items()) {
    const GiPrimitive& p = *item.prim;
    const wxColour colour = screenColour(item.color);
    wxPen pen(colour, 1);
    dashes.clear();
    for (double d : *item.dashes) {
      const double px = d == 0 ? 1.0 : std::fabs(d) * dashUnit * scale_;
      dashes.push_back(static_cast<wxDash>(std::clamp(px, 1.0, 127.0)));
    }
    if (dashes.size() >= 2) {
      pen.SetStyle(wxPENSTYLE_USER_DASH);
      pen.SetDashes(static_cast<int>(dashes.size()), dashes.data());
    }
    gc->SetPen(pen);
    auto at = [this](const AcGePoint3d& pt) { return toScreen(pt.x, pt.y); };
    auto strokeArc = [&](wxGraphicsPath& path, const GiPrimitive& arc) {
      const PlanArc a = planArc(arc);
      const wxPoint2DDouble c = toScreen(a.cx, a.cy);
      const double r = a.r * scale_;
      const wxPoint2DDouble start(c.m_x + r * std::cos(a.a0), c.m_y - r * std::sin(a.a0));
      path.MoveToPoint(start);
      // The screen's y runs down: a turn counter-clockwise in plan is clockwise there.
      path.AddArc(c.m_x, c.m_y, r, -a.a0, -a.endAngle(), a.sweep < 0);
    };
    switch (p.kind) {
      case GiPrimitiveKind::Polyline: {
        std::vector<wxPoint2DDouble> pts;
        for (const AcGePoint3d& pt : p.points) pts.push_back(at(pt));
        gc->StrokeLines(pts.size(), pts.data());
        break;
      }
      case GiPrimitiveKind::Circle: {
        const wxPoint2DDouble c = at(p.center);
        wxGraphicsPath path = gc->CreatePath();
        path.AddCircle(c.m_x, c.m_y, p.radius * scale_);
        gc->StrokePath(path);
        break;
      }
      case GiPrimitiveKind::Arc: {
        wxGraphicsPath path = gc->CreatePath();
        strokeArc(path, p);
        gc->StrokePath(path);
        break;
      }
      case GiPrimitiveKind::FitCurve: {
        wxGraphicsPath path = gc->CreatePath();
        for (const GiPrimitive& piece : item.pieces) {
          if (piece.kind == GiPrimitiveKind::Arc) {
            strokeArc(path, piece);
            continue;
          }
          path.MoveToPoint(at(piece.points.front()));
          for (std::size_t i = 1; i < piece.points.size(); ++i) path.AddLineToPoint(at(piece.points[i]));
        }
        gc->StrokePath(path);
        break;
      }
      case GiPrimitiveKind::Text: {
        const double px = p.height * scale_;
        if (px < 2.0) break;  // too small to read: the host shows nothing either
        const PlanTextBox box = planTextBox(p);
        const wxPoint2DDouble o = at(p.location);
        gc->PushState();
        gc->Translate(o.m_x, o.m_y);
        gc->Rotate(-p.rotation);
        gc->Scale(planWidthFactor(p), 1.0);
        gc->SetFont(wxFont(wxFontInfo(wxSize(0, static_cast<int>(std::lround(px)))).Family(wxFONTFAMILY_TELETYPE)),
                    colour);
        const int column = (std::clamp(p.attachment, 1, 9) - 1) % 3;
        const double spacing = AcDbMText::kLineSpacingFactor * p.height;
        for (std::size_t i = 0; i < p.lines.size(); ++i) {
          double w = 0, h = 0, descent = 0, leading = 0;
          gc->GetTextExtent(p.lines[i], &w, &h, &descent, &leading);
          const double baseline = (-box.top + p.height + i * spacing) * scale_;
          const double x = column == 0 ? 0.0 : (column == 1 ? -w / 2 : -w);
          gc->DrawText(p.lines[i], x, baseline - (h - descent));
        }
        gc->PopState();
        break;
      }
    }
  }
}

void DrawingView::onWheel(wxMouseEvent& event) {
  const wxPoint2DDouble before = toWorld(event.GetX(), event.GetY());
  const double factor = event.GetWheelRotation() > 0 ? 1.25 : 1 / 1.25;
  scale_ = std::clamp(scale_ * factor, 1e-9, 1e9);
  userMoved_ = true;
  // The point under the cursor stays there.
  const wxSize size = GetClientSize();
  centerX_ = before.m_x - (event.GetX() - size.x / 2.0) / scale_;
  centerY_ = before.m_y + (event.GetY() - size.y / 2.0) / scale_;
  Refresh();
}

void DrawingView::onMouse(wxMouseEvent& event) {
  const wxPoint at = event.GetPosition();
  if (event.LeftDown() || event.MiddleDown()) {
    SetFocus();
    pressedAt_ = at;
    lastDrag_ = at;
    dragging_ = false;
    if (!HasCapture()) CaptureMouse();
    return;
  }
  if (event.Dragging() && pressedAt_) {
    if (!dragging_ && (std::abs(at.x - pressedAt_->x) > 3 || std::abs(at.y - pressedAt_->y) > 3)) dragging_ = true;
    if (dragging_) {
      userMoved_ = true;
      centerX_ -= (at.x - lastDrag_.x) / scale_;
      centerY_ += (at.y - lastDrag_.y) / scale_;
      lastDrag_ = at;
      Refresh();
    }
  }
  if (event.Moving() || event.Dragging()) {
    if (cursorHandler_) {
      const wxPoint2DDouble w = toWorld(at.x, at.y);
      cursorHandler_(w.m_x, w.m_y);
    }
    return;
  }
  if (event.LeftUp() || event.MiddleUp()) {
    if (HasCapture()) ReleaseMouse();
    const bool click = pressedAt_ && !dragging_ && event.LeftUp();
    pressedAt_.reset();
    dragging_ = false;
    if (click && pickHandler_) {
      const wxPoint2DDouble w = toWorld(at.x, at.y);
      pickHandler_(w.m_x, w.m_y);
    }
  }
}

void DrawingView::onKey(wxKeyEvent& event) {
  if (event.GetKeyCode() == WXK_HOME || event.GetKeyCode() == 'E') zoomExtents();
  else event.Skip();
}
