// The flow arrow in drawing files (every layout it has had, so that old drawings
// still open) and in DXF, where only its points and its pipe's key are written.
#include <algorithm>

#include "arrow/PlumbPipeArrow.h"
#include "arx/dwg_filer_mem.h"

namespace {

// The first failing status of a run of filer calls. A call made after a failure is not
// made at all, so nothing more is written or read.
class FilerSteps {
 public:
  template <typename Step>
  FilerSteps& then(Step&& step) {
    if (status_ == Acad::eOk) status_ = step();
    return *this;
  }
  bool ok() const { return status_ == Acad::eOk; }
  Acad::ErrorStatus status() const { return status_; }

 private:
  Acad::ErrorStatus status_ = Acad::eOk;
};

void releaseItem(resbuf& item) {
  if (acutRbValueKind(item.restype) == RbValueKind::kString) acutDelString(item.resval.rstring);
  else if (acutRbValueKind(item.restype) == RbValueKind::kBinary) delete[] item.resval.rbinary.buf;
}

}  // namespace

// Written over the filer's type: through the host's memory filer the items are inline
// stores and loads, through any other filer virtual calls; either way nothing is filed
// after the first failure.
Acad::ErrorStatus PlumbPipeArrow::dwgOutFields(AcDbDwgFiler* filer) const {
  assertReadEnabled();
  const Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
  if (es != Acad::eOk) return es;
  return acdbWithDwgFilerType(filer, [this](auto* f) {
    AcDbDwgItemRun run(f);
    run.writeInt32(kCurrentVersion);
    run.writePoint3d(ptStart);
    run.writePoint3d(ptEnd);
    run.writeDouble(dArrowLength);
    run.writeDouble(dTailOffset);
    run.writeDouble(dHeadOffset);
    run.writeInt32(ixPipe);
    // Files have always held at most this many hangers; the rest are not kept.
    const Adesk::Int32 count = std::min(hangerDistances.length(), kMaxFiledHangers);
    run.writeInt32(count);
    for (Adesk::Int32 i = 0; i < count; ++i) run.writeDouble(hangerDistances[i]);
    run.writeBool(bReverse);
    return run.status();
  });
}

// The first layout: points and stroke length, no offsets and no hangers.
Acad::ErrorStatus PlumbPipeArrow::readVersion1(AcDbDwgFiler* filer) {
  return acdbWithDwgFilerType(filer, [this](auto* f) {
    AcDbDwgItemRun run(f);
    run.readPoint3d(&ptStart);
    run.readPoint3d(&ptEnd);
    run.readDouble(&dArrowLength);
    if (!run.ok()) return run.status();
    dTailOffset = 0.0;
    dHeadOffset = 0.0;
    run.readInt32(&ixPipe);
    return run.status();
  });
}

// The second layout: offsets and hangers, not yet the reversed flag.
Acad::ErrorStatus PlumbPipeArrow::readVersion2(AcDbDwgFiler* filer) {
  return acdbWithDwgFilerType(filer, [this](auto* f) {
    AcDbDwgItemRun run(f);
    Adesk::Int32 count = 0;
    run.readPoint3d(&ptStart);
    run.readPoint3d(&ptEnd);
    run.readDouble(&dArrowLength);
    run.readDouble(&dTailOffset);
    run.readDouble(&dHeadOffset);
    run.readInt32(&ixPipe);
    run.readInt32(&count);
    if (!run.ok()) return run.status();
    // Emptied first: an undo or a second read must not add to what the arrow holds. The
    // count is not capped here; a damaged count ends at the first item that is missing,
    // and room is made at once only for what a saved arrow can hold.
    hangerDistances.removeAll();
    hangerDistances.setPhysicalLength(std::min(count, kMaxFiledHangers));
    for (Adesk::Int32 i = 0; i < count && run.ok(); ++i) {
      double distance = 0.0;
      run.readDouble(&distance);
      if (run.ok()) hangerDistances.append(distance);
    }
    return run.status();
  });
}

Acad::ErrorStatus PlumbPipeArrow::dwgInFields(AcDbDwgFiler* filer) {
  assertWriteEnabled();
  Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
  if (es != Acad::eOk) return es;
  Adesk::Int32 version = 0;
  if ((es = filer->readInt32(&version)) != Acad::eOk) return es;
  // A later release's arrow: the host keeps its bytes untouched as a proxy.
  if (version > kCurrentVersion) return Acad::eMakeMeProxy;
  if (version == 1) es = readVersion1(filer);
  else if (version >= 2) es = readVersion2(filer);
  if (es == Acad::eOk && version == 3) es = filer->readBool(&bReverse);
  return es == Acad::eOk ? filer->filerStatus() : es;
}

Acad::ErrorStatus PlumbPipeArrow::dxfOutFields(AcDbDxfFiler* filer) const {
  assertReadEnabled();
  FilerSteps steps;
  steps.then([&] { return AcDbEntity::dxfOutFields(filer); })
      .then([&] { return filer->writeString(AcDb::kDxfSubclass, kClassName); })
      .then([&] { return filer->writePoint3d(AcDb::kDxfXCoord, ptStart); })
      .then([&] { return filer->writePoint3d(static_cast<AcDb::DxfCode>(11), ptEnd); })
      .then([&] { return filer->writeInt32(AcDb::kDxfInt32, ixPipe); })
      .then([&] { return filer->writeDouble(static_cast<AcDb::DxfCode>(41), dTailOffset); })
      .then([&] { return filer->writeDouble(static_cast<AcDb::DxfCode>(42), dHeadOffset); });
  return steps.ok() ? filer->filerStatus() : steps.status();
}

// Only the points come back from DXF. The key and the offsets are written for other
// tools to see, but an arrow read from DXF starts again from its defaults and the LISP
// program sets the rest.
Acad::ErrorStatus PlumbPipeArrow::dxfInFields(AcDbDxfFiler* filer) {
  assertWriteEnabled();
  Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
  if (es != Acad::eOk) return es;
  if (!filer->atSubclassData(kClassName)) return Acad::eBadDxfSequence;
  resbuf item{};
  while (filer->readItem(&item) == Acad::eOk) {
    const double* p = item.resval.rpoint;
    if (item.restype == AcDb::kDxfXCoord) ptStart.set(p[0], p[1], p[2]);
    else if (item.restype == 11) ptEnd.set(p[0], p[1], p[2]);
    releaseItem(item);
    item = resbuf{};
  }
  return filer->filerStatus();
}
