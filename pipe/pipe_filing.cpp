// How a pipe files itself: the binary layout of every release that saved pipes (read
// back from version 1 on, written as version 13) and the DXF groups.
#include <cstring>

#include "arx/resbuf.h"
#include "pipe/PlumbPipe.h"

namespace {

// Whether a reference is filed: a valid id always, an erased one only for undo, so
// that undoing the erasure of a text style or layer gives the pipe its reference back
// while a saved drawing never points at a record it no longer holds.
bool isReferenceFiled(const AcDbObjectId& id, const AcDbDwgFiler* filer) {
  return id.isValid() && (!id.isErased() || filer->filerType() == AcDb::kUndoFiler);
}

// Writes items until the first failure, which it keeps and answers.
class PipeWriter {
 public:
  explicit PipeWriter(AcDbDwgFiler* filer) : filer_(filer) {}

  PipeWriter& int32(Adesk::Int32 value) { return put([&] { return filer_->writeInt32(value); }); }
  PipeWriter& real(double value) { return put([&] { return filer_->writeDouble(value); }); }
  PipeWriter& flag(bool value) { return put([&] { return filer_->writeBool(value); }); }
  PipeWriter& point(const AcGePoint3d& value) { return put([&] { return filer_->writePoint3d(value); }); }
  PipeWriter& text(const std::wstring& value) { return put([&] { return filer_->writeString(value); }); }
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
    const bool present = isReferenceFiled(id, filer_);
    flag(present);
    if (present) put([&] { return filer_->writeHardPointerId(AcDbHardPointerId(id)); });
    return *this;
  }
  PipeWriter& label(const AcDbMText& label) { return put([&] { return label.dwgOutFields(filer_); }); }

  Acad::ErrorStatus status() const { return status_ == Acad::eOk ? filer_->filerStatus() : status_; }

 private:
  static int filedCount(int size) { return size < PlumbPipe::kMaxFiledEntries ? size : PlumbPipe::kMaxFiledEntries; }
  template <typename Write>
  PipeWriter& put(Write write) {
    if (status_ == Acad::eOk) status_ = write();
    return *this;
  }
  AcDbDwgFiler* filer_;
  Acad::ErrorStatus status_ = Acad::eOk;
};

// Reads items into the pipe's fields until the first failure, which it keeps; what
// was read before a failure stays read.
class PipeReader {
 public:
  explicit PipeReader(AcDbDwgFiler* filer) : filer_(filer) {}

  bool ok() const { return status_ == Acad::eOk; }
  Acad::ErrorStatus status() const { return ok() ? filer_->filerStatus() : status_; }

  PipeReader& int32(Adesk::Int32& value) { return take([&] { return filer_->readInt32(&value); }); }
  PipeReader& real(double& value) { return take([&] { return filer_->readDouble(&value); }); }
  PipeReader& flag(bool& value) { return take([&] { return filer_->readBool(&value); }); }
  PipeReader& point(AcGePoint3d& value) { return take([&] { return filer_->readPoint3d(&value); }); }
  PipeReader& text(std::wstring& value) { return take([&] { return filer_->readString(value); }); }
  PipeReader& skipReal() {
    double ignored = 0.0;
    return real(ignored);
  }
  PipeReader& slots(double (&breaks)[kFittingBreakSlots]) {
    for (double& d : breaks) real(d);
    return *this;
  }
  // The list is emptied, then the stored count decides how many values follow.
  PipeReader& reals(PlumbArray<double>& list) {
    list.removeAll();
    Adesk::Int32 n = 0;
    int32(n);
    for (Adesk::Int32 i = 0; i < n && ok(); ++i) {
      double value = 0.0;
      if (real(value).ok()) list.append(value);
    }
    return *this;
  }
  PipeReader& elbows(PlumbArray<elbowInfo>& list) {
    list.removeAll();
    Adesk::Int32 n = 0;
    int32(n);
    for (Adesk::Int32 i = 0; i < n && ok(); ++i) {
      elbowInfo elbow;
      if (real(elbow.dLength).real(elbow.dAngle).slots(elbow.aBreaks).ok()) list.append(elbow);
    }
    return *this;
  }
  PipeReader& arcs(PlumbArray<arcInfo>& list) {
    list.removeAll();
    Adesk::Int32 n = 0;
    int32(n);
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
    return take([&] {
      Acad::ErrorStatus es = filer_->readHardPointerId(&read);
      if (es == Acad::eUnknownHandle) es = Acad::eOk;
      if (es == Acad::eOk) id = read;
      return es;
    });
  }
  PipeReader& label(AcDbMText& label) { return take([&] { return label.dwgInFields(filer_); }); }

 private:
  template <typename Read>
  PipeReader& take(Read read) {
    if (status_ == Acad::eOk) status_ = read();
    return *this;
  }
  AcDbDwgFiler* filer_;
  Acad::ErrorStatus status_ = Acad::eOk;
};

// The layouts of versions 11 to 13. 12 had no tail tick offset of its own (the head
// one served both ends); 11 had no P-trap breaks either.
void readCurrentLayout(PlumbPipe& pipe, PipeReader& in, Adesk::Int32 version) {
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
void readEarlyLayout(PlumbPipe& pipe, PipeReader& in, Adesk::Int32 version) {
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
  PipeWriter out(filer);
  out.int32(kCurrentVersion);
  out.point(ptStart).point(ptEnd).int32(ixPipe).flag(bDwgStart).flag(bDwgEnd).text(strDwg);
  out.real(dOffsetDistance).real(dTailOffset).real(dHeadOffset).real(dElbow45Offset);
  out.elbows(aElbows).real(dArcRadius).arcs(aArcs);
  out.real(dTickOffsetHead).real(dTickOffsetTail).real(dTickWidth);
  out.flag(bElbow45).flag(bTee45).flag(bElbowArc).flag(bTeeArc);
  out.int32(iVerticalType).real(dVerticalRadius).reals(aVerticalAngles);
  out.real(dBreakWidth).reals(aBreaks);
  out.real(dTextDistance).text(strText).flag(bTextAngleIs0).label(mtLabel);
  out.reference(idTextStyle).reference(idTextLayer);
  out.flag(bPtrap).real(dPtrapWidth);
  out.reals(aPtrapLine1Breaks).reals(aPtrapPolylineBreaks).reals(aPtrapLine2Breaks);
  out.flag(bIsometric).reference(idHiddenLayer);
  return out.status();
}

Acad::ErrorStatus PlumbPipe::dwgInFields(AcDbDwgFiler* filer) {
  assertWriteEnabled();
  Acad::ErrorStatus es = AcDbCurve::dwgInFields(filer);
  if (es != Acad::eOk) return es;
  Adesk::Int32 version = 0;
  if ((es = filer->readInt32(&version)) != Acad::eOk) return es;
  // A pipe saved by a newer release is kept whole as a proxy rather than misread.
  if (version > kCurrentVersion) return Acad::eMakeMeProxy;
  PipeReader in(filer);
  switch (version) {
    case 11:
    case 12:
    case 13: readCurrentLayout(*this, in, version); break;
    case 1:
    case 2: readEarlyLayout(*this, in, version); break;
    default: break;  // no release wrote these: nothing more is read
  }
  return in.status();
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
