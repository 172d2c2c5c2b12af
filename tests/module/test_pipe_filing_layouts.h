// The pipe's filed layouts of every release, written item by item and independently of
// the pipe's own filing: the tests make objects of old versions with it and check the
// current writer against it, and the fuzz corpus maker files pipes of every version.
#pragma once

#include <string>
#include <vector>

#include "arx/db_entities.h"

struct LayoutElbow {
  double length = 0.0;
  double angle = 0.0;
  std::vector<double> breaks = std::vector<double>(10, 0.0);
};

struct LayoutArc {
  double length = 0.0;
  double offset = 0.0;
  int normal = 0;
  std::vector<double> breaks = std::vector<double>(10, 0.0);
};

// What a pipe files after its entity data, as plain values.
struct PipeLayout {
  std::wstring dwg;
  AcGePoint3d start, end;
  int ixPipe = 0;
  bool dwgStart = false, dwgEnd = false;
  double offsetDistance = 0, tailOffset = 0, headOffset = 0, elbow45Offset = 0;
  // Versions 1 and 2 keep the lengths of the first two elbows (0 for a missing one)
  // and the length and offset of the first two arcs.
  std::vector<LayoutElbow> elbows;
  double arcRadius = 0;
  std::vector<LayoutArc> arcs;
  double tickOffsetHead = 0, tickOffsetTail = 0, tickWidth = 0;
  bool elbow45 = false, tee45 = false, elbowArc = false, teeArc = false;
  int verticalType = 0;
  double verticalRadius = 6.0;
  double version1Extra = 0;  // the real only version 1 kept after the vertical radius
  std::vector<double> verticalAngles;
  double breakWidth = 3.0;
  std::vector<double> breaks;
  double textDistance = 0;
  std::wstring text;
  bool textAngleIs0 = false;
  const AcDbMText* label = nullptr;  // filed by the text's own filing; must be set
  AcDbObjectId textStyle, textLayer;  // filed when not null
  bool ptrap = false;
  double ptrapWidth = 0;
  std::vector<double> ptrapLine1, ptrapPolyline, ptrapLine2;
  bool isometric = false;
  AcDbObjectId hiddenLayer;
};

namespace pipe_layout_detail {

class Out {
 public:
  explicit Out(AcDbDwgFiler* filer) : f_(filer) {}
  void i32(int v) { step(f_->writeInt32(v)); }
  void d(double v) { step(f_->writeDouble(v)); }
  void b(bool v) { step(f_->writeBool(v)); }
  void p(const AcGePoint3d& v) { step(f_->writePoint3d(v)); }
  void s(const std::wstring& v) { step(f_->writeString(v)); }
  void list(const std::vector<double>& v) {
    i32(static_cast<int>(v.size()));
    for (double x : v) d(x);
  }
  void ref(const AcDbObjectId& id) {
    b(!id.isNull());
    if (!id.isNull()) step(f_->writeHardPointerId(AcDbHardPointerId(id)));
  }
  void label(const AcDbMText& text) { step(text.dwgOutFields(f_)); }
  Acad::ErrorStatus status() const { return es_; }

 private:
  void step(Acad::ErrorStatus es) {
    if (es_ == Acad::eOk) es_ = es;
  }
  AcDbDwgFiler* f_;
  Acad::ErrorStatus es_ = Acad::eOk;
};

}  // namespace pipe_layout_detail

// Files the pipe's own items in the layout of the version (1, 2, 11, 12 or 13; any
// other version writes only its number, as nothing else is known of it).
inline Acad::ErrorStatus writePipeLayout(AcDbDwgFiler* filer, int version, const PipeLayout& v) {
  pipe_layout_detail::Out out(filer);
  out.i32(version);
  const bool current = version >= 11 && version <= 13;
  const bool early = version == 1 || version == 2;
  if (!current && !early) return out.status();
  out.p(v.start);
  out.p(v.end);
  out.i32(v.ixPipe);
  out.b(v.dwgStart);
  out.b(v.dwgEnd);
  out.s(v.dwg);
  out.d(v.offsetDistance);
  out.d(v.tailOffset);
  out.d(v.headOffset);
  out.d(v.elbow45Offset);
  if (current) {
    out.i32(static_cast<int>(v.elbows.size()));
    for (const LayoutElbow& e : v.elbows) {
      out.d(e.length);
      out.d(e.angle);
      for (double x : e.breaks) out.d(x);
    }
    out.d(v.arcRadius);
    out.i32(static_cast<int>(v.arcs.size()));
    for (const LayoutArc& a : v.arcs) {
      out.d(a.length);
      out.d(a.offset);
      out.i32(a.normal);
      for (double x : a.breaks) out.d(x);
    }
    out.d(v.tickOffsetHead);
    if (version == 13) out.d(v.tickOffsetTail);
    out.d(v.tickWidth);
  } else {
    for (size_t i = 0; i < 2; ++i) out.d(i < v.elbows.size() ? v.elbows[i].length : 0.0);
    out.d(v.arcRadius);
    for (size_t i = 0; i < 2; ++i) {
      out.d(i < v.arcs.size() ? v.arcs[i].length : 0.0);
      out.d(i < v.arcs.size() ? v.arcs[i].offset : 0.0);
    }
    out.d(v.tickOffsetHead);
    out.d(v.tickWidth);
  }
  out.b(v.elbow45);
  out.b(v.tee45);
  out.b(v.elbowArc);
  out.b(v.teeArc);
  out.i32(v.verticalType);
  out.d(v.verticalRadius);
  if (version == 1) out.d(v.version1Extra);
  out.list(v.verticalAngles);
  out.d(v.breakWidth);
  out.list(v.breaks);
  out.d(v.textDistance);
  out.s(v.text);
  out.b(v.textAngleIs0);
  out.label(*v.label);
  out.ref(v.textStyle);
  if (early) {
    out.b(v.isometric);
    return out.status();
  }
  out.ref(v.textLayer);
  out.b(v.ptrap);
  out.d(v.ptrapWidth);
  if (version >= 12) {
    out.list(v.ptrapLine1);
    out.list(v.ptrapPolyline);
    out.list(v.ptrapLine2);
  }
  out.b(v.isometric);
  out.ref(v.hiddenLayer);
  return out.status();
}
