// The drawing the LISP entity tests work on, and the plug-in curve entity they use to
// show that the host asks an entity's own virtual functions.
#include "test_lisp_entity_fixture.h"

AcRxClass* LispTestPipe::desc() { return acrxFindClass(L"LispTestPipe"); }
AcRxClass* LispTestPipe::isA() const { return LispTestPipe::desc(); }

Acad::ErrorStatus LispTestPipe::getStartParam(double& param) const {
  param = 0.0;
  return Acad::eOk;
}

Acad::ErrorStatus LispTestPipe::getEndParam(double& param) const {
  param = 2.0 * length();
  return Acad::eOk;
}

Acad::ErrorStatus LispTestPipe::getStartPoint(AcGePoint3d& point) const {
  point = start_;
  return Acad::eOk;
}

Acad::ErrorStatus LispTestPipe::getEndPoint(AcGePoint3d& point) const {
  point = end_;
  return Acad::eOk;
}

Acad::ErrorStatus LispTestPipe::getPointAtParam(double param, AcGePoint3d& point) const {
  return getPointAtDist(param / 2.0, point);
}

Acad::ErrorStatus LispTestPipe::getParamAtPoint(const AcGePoint3d& point, double& param) const {
  double dist = 0.0;
  Acad::ErrorStatus es = getDistAtPoint(point, dist);
  if (es == Acad::eOk) param = 2.0 * dist;
  return es;
}

Acad::ErrorStatus LispTestPipe::getDistAtParam(double param, double& dist) const {
  if (param < 0.0 || param > 2.0 * length()) return Acad::eInvalidInput;
  dist = param / 2.0;
  return Acad::eOk;
}

Acad::ErrorStatus LispTestPipe::getParamAtDist(double dist, double& param) const {
  if (dist < 0.0 || dist > length()) return Acad::eInvalidInput;
  param = 2.0 * dist;
  return Acad::eOk;
}

Acad::ErrorStatus LispTestPipe::getDistAtPoint(const AcGePoint3d& point, double& dist) const {
  double along = (point - start_).dotProduct(direction());
  if (along < -1e-9 || along > length() + 1e-9 || (start_ + direction() * along).distanceTo(point) > 1e-9)
    return Acad::eInvalidInput;
  dist = along;
  return Acad::eOk;
}

Acad::ErrorStatus LispTestPipe::getPointAtDist(double dist, AcGePoint3d& point) const {
  if (dist < 0.0 || dist > length()) return Acad::eInvalidInput;
  point = start_ + direction() * dist;
  return Acad::eOk;
}

bool LispTestPipe::subWorldDraw(AcGiWorldDraw* wd) {
  AcGePoint3d run[2] = {start_, end_};
  wd->geometry().polyline(2, run);
  wd->geometry().circle(end_, size_, AcGeVector3d::kZAxis);
  return true;
}

void LispTestPipe::subList() const {
  AcDbCurve::subList();
  acutPrintf(L"                  pipe size %d\n", static_cast<int>(size_));
}

Acad::ErrorStatus LispTestPipe::subTransformBy(const AcGeMatrix3d& xform) {
  assertWriteEnabled();
  start_.transformBy(xform);
  end_.transformBy(xform);
  return Acad::eOk;
}

Acad::ErrorStatus LispTestPipe::subExplode(AcDbVoidPtrArray& entitySet) const {
  auto* line = new AcDbLine(start_, end_);
  line->setPropertiesFrom(this);
  entitySet.append(line);
  return Acad::eOk;
}

Acad::ErrorStatus LispTestPipe::subGetGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray&, AcDbIntArray&) const {
  gripPoints.append(start_ + (end_ - start_) * 0.5).append(start_).append(end_);
  return Acad::eOk;
}

Acad::ErrorStatus LispTestPipe::moveEnds(bool start, bool end, const AcGeVector3d& offset) {
  assertWriteEnabled();
  if (start) start_ += offset;
  if (end) end_ += offset;
  return Acad::eOk;
}

Acad::ErrorStatus LispTestPipe::subMoveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
  bool start = indices.contains(0) || indices.contains(1);
  bool end = indices.contains(0) || indices.contains(2);
  return moveEnds(start, end, offset);
}

Acad::ErrorStatus LispTestPipe::subGetStretchPoints(AcGePoint3dArray& stretchPoints) const {
  stretchPoints.append(start_).append(end_);
  return Acad::eOk;
}

Acad::ErrorStatus LispTestPipe::subMoveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) {
  return moveEnds(indices.contains(0), indices.contains(1), offset);
}

Acad::ErrorStatus LispTestPipe::subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker, const AcGePoint3d&,
                                                  const AcGePoint3d&, const AcGeMatrix3d&, AcGePoint3dArray& snapPoints,
                                                  AcDbIntArray&) const {
  if (mode == AcDb::kOsModeEnd) {
    snapPoints.append(start_).append(end_);
    return Acad::eOk;
  }
  if (mode == AcDb::kOsModeMid) {
    snapPoints.append(start_ + (end_ - start_) * 0.5);
    return Acad::eOk;
  }
  return Acad::eInvalidInput;
}

Acad::ErrorStatus LispTestPipe::intersectWith(const AcDbEntity* other, AcDb::Intersect intType,
                                              AcGePoint3dArray& points, Adesk::GsMarker, Adesk::GsMarker) const {
  AcDbLine line(start_, end_);
  AcDb::Intersect mirrored = intType == AcDb::kExtendThis  ? AcDb::kExtendArg
                             : intType == AcDb::kExtendArg ? AcDb::kExtendThis
                                                           : intType;
  return other->intersectWith(&line, mirrored, points);
}

Acad::ErrorStatus LispTestPipe::dwgOutFields(AcDbDwgFiler* filer) const {
  Acad::ErrorStatus es = AcDbCurve::dwgOutFields(filer);
  if (es == Acad::eOk) es = filer->writePoint3d(start_);
  if (es == Acad::eOk) es = filer->writePoint3d(end_);
  if (es == Acad::eOk) es = filer->writeInt32(size_);
  return es;
}

Acad::ErrorStatus LispTestPipe::dwgInFields(AcDbDwgFiler* filer) {
  Acad::ErrorStatus es = AcDbCurve::dwgInFields(filer);
  if (es == Acad::eOk) es = filer->readPoint3d(&start_);
  if (es == Acad::eOk) es = filer->readPoint3d(&end_);
  if (es == Acad::eOk) es = filer->readInt32(&size_);
  return es;
}

Acad::ErrorStatus LispTestPipe::dxfOutFields(AcDbDxfFiler* filer) const {
  Acad::ErrorStatus es = AcDbCurve::dxfOutFields(filer);
  if (es == Acad::eOk) es = filer->writeString(AcDb::kDxfSubclass, L"LispTestPipe");
  if (es == Acad::eOk) es = filer->writePoint3d(AcDb::kDxfXCoord, start_);
  if (es == Acad::eOk) es = filer->writePoint3d(static_cast<AcDb::DxfCode>(11), end_);
  if (es == Acad::eOk) es = filer->writeInt32(AcDb::kDxfInt32, size_);
  double angle = std::atan2(end_.y - start_.y, end_.x - start_.x) * 180.0 / M_PI;
  if (es == Acad::eOk) es = filer->writeDouble(AcDb::kDxfAngle, angle);
  return es;
}

Acad::ErrorStatus LispTestPipe::dxfInFields(AcDbDxfFiler* filer) {
  Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer);
  if (es != Acad::eOk) return es;
  if (!filer->atSubclassData(L"LispTestPipe")) return Acad::eBadDxfSequence;
  resbuf rb{};
  while ((es = filer->readItem(&rb)) == Acad::eOk) {
    const double* p = rb.resval.rpoint;
    switch (rb.restype) {
      case 10: start_.set(p[0], p[1], p[2]); break;
      case 11: end_.set(p[0], p[1], p[2]); break;
      case 90: size_ = rb.resval.rlong; break;
      case 50: break;  // follows from the points
      default:
        if (acutRbValueKind(rb.restype) == RbValueKind::kString) delete[] rb.resval.rstring;
        return Acad::eBadDxfSequence;
    }
  }
  return es == Acad::eEndOfObject ? Acad::eOk : es;
}

LispEntityFixture::LispEntityFixture() : previousWorking_(acdbHostApplicationServices()->workingDatabase()) {
  acdbHostApplicationServices()->setWorkingDatabase(&db_);
  pipeClass_ = newAcRxClass(L"LispTestPipe", L"AcDbCurve", 1, 1, 1, &LispTestPipe::make, LispTestPipe::kDxfName,
                            L"LispTest|Test maker");
  acrxBuildClassHierarchy();
}

LispEntityFixture::~LispEntityFixture() {
  acdbHostApplicationServices()->setWorkingDatabase(previousWorking_);
  deleteAcRxClass(pipeClass_);
}

AcDbObjectId LispEntityFixture::add(const wchar_t* symbol, AcDbEntity* entity) {
  AcDbBlockTableRecord* space = nullptr;
  EXPECT_EQ(acdbOpenObject(space, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  AcDbObjectId id;
  EXPECT_EQ(space->appendAcDbEntity(id, entity), Acad::eOk);
  space->close();
  entity->close();
  lisp_.setSymbolValue(symbol, LispValue::ename(id));
  return id;
}

AcDbObjectId LispEntityFixture::idOf(const std::string& text) {
  LispResult result = lisp_.evaluate(text);
  EXPECT_TRUE(result.ok) << acutWideToUtf8(result.error);
  return result.value.enameId();
}

int LispEntityFixture::modelSpaceCount(bool withErased) {
  AcDbBlockTableRecord* space = nullptr;
  EXPECT_EQ(acdbOpenObject(space, db_.modelSpaceId(), AcDb::kForRead), Acad::eOk);
  int n = space == nullptr ? 0 : static_cast<int>(space->entityIds(withErased).size());
  if (space != nullptr) space->close();
  return n;
}
