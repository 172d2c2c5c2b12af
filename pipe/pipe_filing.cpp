// How a pipe files itself: the binary layout of every release that saved pipes (read
// back from version 1 on, written as version 13) and the DXF groups.
#include <cstring>

#include "arx/dwg_filer_mem.h"
#include "arx/resbuf.h"
#include "pipe/PlumbPipe.h"

namespace {

// Whether a reference is filed: a valid id always, an erased one only for undo, so
// that undoing the erasure of a text style or layer gives the pipe its reference back
// while a saved drawing never points at a record it no longer holds.
bool isReferenceFiled(const AcDbObjectId& id, const AcDbDwgFiler* filer) {
  return id.isValid() && (!id.isErased() || filer->filerType() == AcDb::kUndoFiler);
}

// No more than this many entries of a list are written.
int filedCount(int size) { return size < PlumbPipe::kMaxFiledEntries ? size : PlumbPipe::kMaxFiledEntries; }

// Writes items until the first failure, which it keeps and answers. Written over the
// filer's type: through the host's memory filer (drawing files, copies, undo) the items
// are inline stores, through any other filer virtual calls.
template <typename Filer>
class PipeWriter {
 public:
  explicit PipeWriter(Filer* filer) : run_(filer) {}

  PipeWriter& int32(Adesk::Int32 value) {
    run_.writeInt32(value);
    return *this;
  }
  PipeWriter& real(double value) {
    run_.writeDouble(value);
    return *this;
  }
  PipeWriter& flag(bool value) {
    run_.writeBool(value);
    return *this;
  }
  PipeWriter& point(const AcGePoint3d& value) {
    run_.writePoint3d(value);
    return *this;
  }
  PipeWriter& text(const std::wstring& value) {
    run_.call([&] { return run_.filer()->writeString(value); });
    return *this;
  }
  PipeWriter& slots(const double (&breaks)[kFittingBreakSlots]) {
    for (double d : breaks) real(d);
    return *this;
  }
  // The count (at most the filed maximum), then that many of the list's first values.
  PipeWriter& reals(const PlumbArray<double>& list) {
    const int n = filedCount(list.size());
    int32(n);
    for (int i = 0; i < n; ++i) real(list[i]);
    return *this;
  }
  PipeWriter& elbows(const PlumbArray<elbowInfo>& list) {
    const int n = filedCount(list.size());
    int32(n);
    for (int i = 0; i < n; ++i) real(list[i].dLength).real(list[i].dAngle).slots(list[i].aBreaks);
    return *this;
  }
  PipeWriter& arcs(const PlumbArray<arcInfo>& list) {
    const int n = filedCount(list.size());
    int32(n);
    for (int i = 0; i < n; ++i) real(list[i].dLength).real(list[i].dOffset).int32(list[i].iNormal).slots(list[i].aBreaks);
    return *this;
  }
  PipeWriter& reference(const AcDbObjectId& id) {
    const bool present = isReferenceFiled(id, run_.filer());
    flag(present);
    if (present) run_.call([&] { return run_.filer()->writeHardPointerId(AcDbHardPointerId(id)); });
    return *this;
  }
  PipeWriter& label(const AcDbMText& label) {
    run_.call([&] { return label.dwgOutFields(run_.filer()); });
    return *this;
  }

  Acad::ErrorStatus status() const { return run_.status(); }

 private:
  AcDbDwgItemRun<Filer> run_;
};

// Reads items into the pipe's fields until the first failure, which it keeps; what
// was read before a failure stays read.
template <typename Filer>
class PipeReader {
 public:
  explicit PipeReader(Filer* filer) : run_(filer) {}

  bool ok() const { return run_.ok(); }
  Acad::ErrorStatus status() const { return run_.status(); }

  PipeReader& int32(Adesk::Int32& value) {
    run_.readInt32(&value);
    return *this;
  }
  PipeReader& real(double& value) {
    run_.readDouble(&value);
    return *this;
  }
  PipeReader& flag(bool& value) {
    run_.readBool(&value);
    return *this;
  }
  PipeReader& point(AcGePoint3d& value) {
    run_.readPoint3d(&value);
    return *this;
  }
  PipeReader& text(std::wstring& value) {
    run_.call([&] { return run_.filer()->readString(value); });
    return *this;
  }
  PipeReader& skipReal() {
    double ignored = 0.0;
    return real(ignored);
  }
  PipeReader& slots(double (&breaks)[kFittingBreakSlots]) {
    for (double& d : breaks) real(d);
    return *this;
  }
  // The list is emptied, then the stored count decides how many values follow. Room is
  // made at once for what a saved list can hold, never for more whatever a damaged
  // count says.
  PipeReader& reals(PlumbArray<double>& list) {
    const Adesk::Int32 n = count(list);
    for (Adesk::Int32 i = 0; i < n && ok(); ++i) {
      double value = 0.0;
      if (real(value).ok()) list.append(value);
    }
    return *this;
  }
  PipeReader& elbows(PlumbArray<elbowInfo>& list) {
    const Adesk::Int32 n = count(list);
    for (Adesk::Int32 i = 0; i < n && ok(); ++i) {
      elbowInfo elbow;
      if (real(elbow.dLength).real(elbow.dAngle).slots(elbow.aBreaks).ok()) list.append(elbow);
    }
    return *this;
  }
  PipeReader& arcs(PlumbArray<arcInfo>& list) {
    const Adesk::Int32 n = count(list);
    for (Adesk::Int32 i = 0; i < n && ok(); ++i) {
      arcInfo arc;
      if (real(arc.dLength).real(arc.dOffset).int32(arc.iNormal).slots(arc.aBreaks).ok()) list.append(arc);
    }
    return *this;
  }
  // The early layout kept two elbow lengths in fixed places; a zero one was no elbow.
  PipeReader& earlyElbow(PlumbArray<elbowInfo>& list) {
    double length = 0.0;
    if (real(length).ok() && length != 0.0) list.append(elbowInfo(length, 0.0));
    return *this;
  }
  PipeReader& earlyArc(PlumbArray<arcInfo>& list) {
    double length = 0.0, offset = 0.0;
    if (real(length).real(offset).ok() && length != 0.0) list.append(arcInfo(length, offset, 0));
    return *this;
  }
  // A reference whose record is missing from the file is kept as read (null): the
  // pipe still loads and draws with its own layer or the standard style.
  PipeReader& reference(AcDbObjectId& id) {
    id.setNull();
    bool present = false;
    if (!flag(present).ok() || !present) return *this;
    AcDbHardPointerId read;
    run_.call([&] {
      Acad::ErrorStatus es = run_.filer()->readHardPointerId(&read);
      if (es == Acad::eUnknownHandle) es = Acad::eOk;
      if (es == Acad::eOk) id = read;
      return es;
    });
    return *this;
  }
  PipeReader& label(AcDbMText& label) {
    run_.call([&] { return label.dwgInFields(run_.filer()); });
    return *this;
  }

 private:
  // Empties the list and reads the count of entries that follow.
  template <typename T>
  Adesk::Int32 count(PlumbArray<T>& list) {
    list.removeAll();
    Adesk::Int32 n = 0;
    int32(n);
    list.reserve(filedCount(n));
    return n;
  }
  AcDbDwgItemRun<Filer> run_;
};

template <typename Filer>
Acad::ErrorStatus writePipe(const PlumbPipe& pipe, Filer* filer) {
  PipeWriter<Filer> out(filer);
  out.int32(PlumbPipe::kCurrentVersion);
  out.point(pipe.ptStart).point(pipe.ptEnd).int32(pipe.ixPipe).flag(pipe.bDwgStart).flag(pipe.bDwgEnd).text(pipe.strDwg);
  out.real(pipe.dOffsetDistance).real(pipe.dTailOffset).real(pipe.dHeadOffset).real(pipe.dElbow45Offset);
  out.elbows(pipe.aElbows).real(pipe.dArcRadius).arcs(pipe.aArcs);
  out.real(pipe.dTickOffsetHead).real(pipe.dTickOffsetTail).real(pipe.dTickWidth);
  out.flag(pipe.bElbow45).flag(pipe.bTee45).flag(pipe.bElbowArc).flag(pipe.bTeeArc);
  out.int32(pipe.iVerticalType).real(pipe.dVerticalRadius).reals(pipe.aVerticalAngles);
  out.real(pipe.dBreakWidth).reals(pipe.aBreaks);
  out.real(pipe.dTextDistance).text(pipe.strText).flag(pipe.bTextAngleIs0).label(pipe.mtLabel);
  out.reference(pipe.idTextStyle).reference(pipe.idTextLayer);
  out.flag(pipe.bPtrap).real(pipe.dPtrapWidth);
  out.reals(pipe.aPtrapLine1Breaks).reals(pipe.aPtrapPolylineBreaks).reals(pipe.aPtrapLine2Breaks);
  out.flag(pipe.bIsometric).reference(pipe.idHiddenLayer);
  return out.status();
}

// The layouts of versions 11 to 13. 12 had no tail tick offset of its own (the head
// one served both ends); 11 had no P-trap breaks either.
template <typename Filer>
void readCurrentLayout(PlumbPipe& pipe, PipeReader<Filer>& in, Adesk::Int32 version) {
  in.point(pipe.ptStart).point(pipe.ptEnd).int32(pipe.ixPipe).flag(pipe.bDwgStart).flag(pipe.bDwgEnd).text(pipe.strDwg);
  in.real(pipe.dOffsetDistance).real(pipe.dTailOffset).real(pipe.dHeadOffset).real(pipe.dElbow45Offset);
  in.elbows(pipe.aElbows).real(pipe.dArcRadius).arcs(pipe.aArcs);
  in.real(pipe.dTickOffsetHead);
  if (version >= 13)
    in.real(pipe.dTickOffsetTail);
  else if (in.ok())
    pipe.dTickOffsetTail = pipe.dTickOffsetHead;
  in.real(pipe.dTickWidth);
  in.flag(pipe.bElbow45).flag(pipe.bTee45).flag(pipe.bElbowArc).flag(pipe.bTeeArc);
  in.int32(pipe.iVerticalType).real(pipe.dVerticalRadius).reals(pipe.aVerticalAngles);
  in.real(pipe.dBreakWidth).reals(pipe.aBreaks);
  in.real(pipe.dTextDistance).text(pipe.strText).flag(pipe.bTextAngleIs0).label(pipe.mtLabel);
  in.reference(pipe.idTextStyle).reference(pipe.idTextLayer);
  in.flag(pipe.bPtrap).real(pipe.dPtrapWidth);
  if (version >= 12) in.reals(pipe.aPtrapLine1Breaks).reals(pipe.aPtrapPolylineBreaks).reals(pipe.aPtrapLine2Breaks);
  in.flag(pipe.bIsometric).reference(pipe.idHiddenLayer);
}

// The layouts of versions 1 and 2: two elbows and two arcs in fixed places, one tick
// offset, no label layer, P-trap or hidden layer. Version 1 kept one more real after
// the vertical radius that nothing uses any more.
template <typename Filer>
void readEarlyLayout(PlumbPipe& pipe, PipeReader<Filer>& in, Adesk::Int32 version) {
  in.point(pipe.ptStart).point(pipe.ptEnd).int32(pipe.ixPipe).flag(pipe.bDwgStart).flag(pipe.bDwgEnd).text(pipe.strDwg);
  in.real(pipe.dOffsetDistance).real(pipe.dTailOffset).real(pipe.dHeadOffset).real(pipe.dElbow45Offset);
  pipe.aElbows.removeAll();
  in.earlyElbow(pipe.aElbows).earlyElbow(pipe.aElbows);
  in.real(pipe.dArcRadius);
  pipe.aArcs.removeAll();
  in.earlyArc(pipe.aArcs).earlyArc(pipe.aArcs);
  if (in.real(pipe.dTickOffsetHead).ok()) pipe.dTickOffsetTail = pipe.dTickOffsetHead;
  in.real(pipe.dTickWidth);
  in.flag(pipe.bElbow45).flag(pipe.bTee45).flag(pipe.bElbowArc).flag(pipe.bTeeArc);
  in.int32(pipe.iVerticalType).real(pipe.dVerticalRadius);
  if (version == 1) in.skipReal();
  in.reals(pipe.aVerticalAngles);
  in.real(pipe.dBreakWidth).reals(pipe.aBreaks);
  in.real(pipe.dTextDistance).text(pipe.strText).flag(pipe.bTextAngleIs0).label(pipe.mtLabel);
  in.reference(pipe.idTextStyle);
  in.flag(pipe.bIsometric);
}

// Reads the layout of the version read before; versions no release wrote read nothing
// more.
template <typename Filer>
Acad::ErrorStatus readPipe(PlumbPipe& pipe, Filer* filer, Adesk::Int32 version) {
  PipeReader<Filer> in(filer);
  switch (version) {
    case 11:
    case 12:
    case 13: readCurrentLayout(pipe, in, version); break;
    case 1:
    case 2: readEarlyLayout(pipe, in, version); break;
    default: break;
  }
  return in.status();
}

// Frees what a DXF reader allocated for one group.
void releaseGroup(resbuf& rb) {
  switch (acutRbValueKind(rb.restype)) {
    case RbValueKind::kString: acutDelString(rb.resval.rstring); break;
    case RbValueKind::kBinary:
      delete[] rb.resval.rbinary.buf;
      rb.resval.rbinary.buf = nullptr;
      break;
    default: break;
  }
}

AcDb::DxfCode dxfCode(int code) { return static_cast<AcDb::DxfCode>(code); }

}  // namespace

Acad::ErrorStatus PlumbPipe::dwgOutFields(AcDbDwgFiler* filer) const {
  assertReadEnabled();
  const Acad::ErrorStatus es = AcDbCurve::dwgOutFields(filer);
  if (es != Acad::eOk) return es;
  return acdbWithDwgFilerType(filer, [this](auto* f) { return writePipe(*this, f); });
}

Acad::ErrorStatus PlumbPipe::dwgInFields(AcDbDwgFiler* filer) {
  assertWriteEnabled();
  Acad::ErrorStatus es = AcDbCurve::dwgInFields(filer);
  if (es != Acad::eOk) return es;
  Adesk::Int32 version = 0;
  if ((es = filer->readInt32(&version)) != Acad::eOk) return es;
  // A pipe saved by a newer release is kept whole as a proxy rather than misread.
  if (version > kCurrentVersion) return Acad::eMakeMeProxy;
  return acdbWithDwgFilerType(filer, [&](auto* f) { return readPipe(*this, f, version); });
}

// Group 1 carries the label text both ways. Earlier releases wrote the label text
// there but read the group into the drawing name; reading it back as the label text
// is right for their files and for ours.
Acad::ErrorStatus PlumbPipe::dxfOutFields(AcDbDxfFiler* filer) const {
  assertReadEnabled();
  Acad::ErrorStatus es = AcDbCurve::dxfOutFields(filer);
  auto write = [&es](auto step) {
    if (es == Acad::eOk) es = step();
  };
  write([&] { return filer->writeString(AcDb::kDxfSubclass, L"PlumbPipe"); });
  write([&] { return filer->writeString(AcDb::kDxfText, strText); });
  write([&] { return filer->writePoint3d(dxfCode(10), ptStart); });
  write([&] { return filer->writePoint3d(dxfCode(11), ptEnd); });
  const double reals[] = {dOffsetDistance, dTailOffset,  dHeadOffset, labelGap(),
                          dElbow45Offset,  dArcRadius,   dPtrapWidth};
  for (int i = 0; i < 7; ++i) write([&] { return filer->writeDouble(dxfCode(40 + i), reals[i]); });
  write([&] { return filer->writeInt32(dxfCode(90), ixPipe); });
  write([&] { return filer->writeInt32(dxfCode(91), bDwgStart ? 1 : 0); });
  write([&] { return filer->writeInt32(dxfCode(92), bDwgEnd ? 1 : 0); });
  const bool flags[] = {bElbow45, bTee45, bElbowArc, bTeeArc, bIsometric, bPtrap};
  for (int i = 0; i < 6; ++i) write([&] { return filer->writeBool(dxfCode(290 + i), flags[i]); });
  return es == Acad::eOk ? filer->filerStatus() : es;
}

Acad::ErrorStatus PlumbPipe::dxfInFields(AcDbDxfFiler* filer) {
  assertWriteEnabled();
  const Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer);
  if (es != Acad::eOk) return es;
  if (!filer->atSubclassData(L"PlumbPipe")) return Acad::eBadDxfSequence;
  resbuf rb;
  std::memset(&rb, 0, sizeof rb);
  while (filer->readItem(&rb) == Acad::eOk) {
    switch (rb.restype) {
      case 1: strText = rb.resval.rstring != nullptr ? rb.resval.rstring : L""; break;
      case 10: ptStart = AcGePoint3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]); break;
      case 11: ptEnd = AcGePoint3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]); break;
      case 90: ixPipe = rb.resval.rlong; break;
      case 91: bDwgStart = rb.resval.rlong != 0; break;
      case 92: bDwgEnd = rb.resval.rlong != 0; break;
      default: break;
    }
    releaseGroup(rb);
  }
  return filer->filerStatus();
}
