// The flow arrow's class registration, its fields and the host operations that are
// not drawing or filing: listing, transforming, exploding and extents.
#include "arrow/PlumbPipeArrow.h"

namespace {

// The descriptor this module registered, or the one found in the class dictionary the
// first time it was asked for. Cleared at unload so that a later load starts afresh.
AcRxClass* gArrowClass = nullptr;

}  // namespace

AcRxClass* PlumbPipeArrow::desc() {
  if (gArrowClass == nullptr) gArrowClass = AcRxClass::cast(acrxClassDictionary()->at(kClassName));
  return gArrowClass;
}

AcRxClass* PlumbPipeArrow::isA() const { return PlumbPipeArrow::desc(); }

AcRxObject* PlumbPipeArrow::pseudoConstructor() { return new PlumbPipeArrow(); }

void PlumbPipeArrow::rxInit() {
  AcRxObject* registered = acrxClassDictionary()->at(kClassName);
  if (registered != nullptr) {
    // Another application's class under our name would read our objects wrongly.
    if (registered != gArrowClass) acrx_abort(L"Class mismatch");
    return;
  }
  gArrowClass = newAcRxClass(kClassName, L"AcDbEntity", 1, 1, 1, &PlumbPipeArrow::pseudoConstructor, kDxfName,
                             kAppName);
}

void PlumbPipeArrow::rxUninit() {
  AcRxClass* cls = gArrowClass;
  gArrowClass = nullptr;
  deleteAcRxClass(cls);
}

AcGePoint3d PlumbPipeArrow::startPoint() const {
  assertReadEnabled();
  return ptStart;
}

AcGePoint3d PlumbPipeArrow::endPoint() const {
  assertReadEnabled();
  return ptEnd;
}

Adesk::Int32 PlumbPipeArrow::pipeId() const {
  assertReadEnabled();
  return ixPipe;
}

double PlumbPipeArrow::arrowLength() const {
  assertReadEnabled();
  return dArrowLength;
}

const AcGeDoubleArray& PlumbPipeArrow::hangers() const {
  assertReadEnabled();
  return hangerDistances;
}

double PlumbPipeArrow::tailOffset() const {
  assertReadEnabled();
  return dTailOffset;
}

double PlumbPipeArrow::headOffset() const {
  assertReadEnabled();
  return dHeadOffset;
}

bool PlumbPipeArrow::isReversed() const {
  assertReadEnabled();
  return bReverse;
}

// Moving an end changes what is drawn; the other fields only take effect with the
// next regeneration the host makes anyway.
void PlumbPipeArrow::setStartPoint(const AcGePoint3d& point) {
  assertWriteEnabled();
  ptStart = point;
  recordGraphicsModified();
}

void PlumbPipeArrow::setEndPoint(const AcGePoint3d& point) {
  assertWriteEnabled();
  ptEnd = point;
  recordGraphicsModified();
}

void PlumbPipeArrow::setPipeId(Adesk::Int32 id) {
  assertWriteEnabled();
  ixPipe = id;
}

void PlumbPipeArrow::setArrowLength(double length) {
  assertWriteEnabled();
  dArrowLength = length;
}

void PlumbPipeArrow::setHangers(const AcGeDoubleArray& distances) {
  assertWriteEnabled();
  hangerDistances = distances;
}

void PlumbPipeArrow::setTailOffset(double offset) {
  assertWriteEnabled();
  dTailOffset = offset;
}

void PlumbPipeArrow::setHeadOffset(double offset) {
  assertWriteEnabled();
  dHeadOffset = offset;
}

void PlumbPipeArrow::setReversed(bool reversed) {
  assertWriteEnabled();
  bReverse = reversed;
}

Acad::ErrorStatus PlumbPipeArrow::audit(AcDbAuditInfo*) { return Acad::eOk; }

void PlumbPipeArrow::subList() const { AcDbEntity::subList(); }

// A drawing saved for a host without the class shows nothing for the arrow: its
// strokes make no sense without the pipe they belong to.
void PlumbPipeArrow::saveAs(AcGiWorldDraw*, AcDb::SaveType) {}

// Only the points move: offsets, stroke length and hanger distances are measured along
// the arrow and stay as the LISP program set them.
Acad::ErrorStatus PlumbPipeArrow::subTransformBy(const AcGeMatrix3d& xform) {
  AcGePoint3d start = ptStart;
  AcGePoint3d end = ptEnd;
  setStartPoint(start.transformBy(xform));
  setEndPoint(end.transformBy(xform));
  return Acad::eOk;
}

// An arrow is a symbol of its pipe, not geometry of its own to break up.
Acad::ErrorStatus PlumbPipeArrow::subExplode(AcDbVoidPtrArray&) const { return Acad::eNotApplicable; }

Acad::ErrorStatus PlumbPipeArrow::subGetGeomExtents(AcDbExtents& extents) const {
  assertReadEnabled();
  extents.addPoint(ptStart);
  if (!coincidesInPlan()) extents.addPoint(ptEnd);
  return Acad::eOk;
}
