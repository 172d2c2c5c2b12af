// A LISP interpreter over a drawing of its own (the working database for the test),
// with the plain entities added from C++ and a plug-in curve entity that answers
// everything through its own virtual functions, as a module's entity does.
#pragma once

#include <cmath>
#include <string>

#include "arx/db_database.h"
#include "arx/db_entities.h"
#include "test_lisp_fixture.h"

// A plug-in's segment entity. Its parameter runs at twice the distance, so that an
// answer computed from the host's own curve geometry instead of these functions shows.
class LispTestPipe : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(LispTestPipe)
  static constexpr const wchar_t* kDxfName = L"OVLISPTESTPIPE";
  static AcRxObject* make() { return new LispTestPipe(); }

  LispTestPipe() = default;
  LispTestPipe(const AcGePoint3d& start, const AcGePoint3d& end, int size) : start_(start), end_(end), size_(size) {}
  AcGePoint3d start() const { return start_; }
  AcGePoint3d end() const { return end_; }

  Acad::ErrorStatus getStartParam(double& param) const override;
  Acad::ErrorStatus getEndParam(double& param) const override;
  Acad::ErrorStatus getStartPoint(AcGePoint3d& point) const override;
  Acad::ErrorStatus getEndPoint(AcGePoint3d& point) const override;
  Acad::ErrorStatus getPointAtParam(double param, AcGePoint3d& point) const override;
  Acad::ErrorStatus getParamAtPoint(const AcGePoint3d& point, double& param) const override;
  Acad::ErrorStatus getDistAtParam(double param, double& dist) const override;
  Acad::ErrorStatus getParamAtDist(double dist, double& param) const override;
  Acad::ErrorStatus getDistAtPoint(const AcGePoint3d& point, double& dist) const override;
  Acad::ErrorStatus getPointAtDist(double dist, AcGePoint3d& point) const override;

  bool subWorldDraw(AcGiWorldDraw* wd) override;
  void subList() const override;
  Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform) override;
  Acad::ErrorStatus subExplode(AcDbVoidPtrArray& entitySet) const override;
  // Grips: the midpoint (moves both ends), the start, the end.
  Acad::ErrorStatus subGetGripPoints(AcGePoint3dArray& gripPoints, AcDbIntArray& osnapModes,
                                     AcDbIntArray& geomIds) const override;
  Acad::ErrorStatus subMoveGripPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
  // Stretch points: the start, the end.
  Acad::ErrorStatus subGetStretchPoints(AcGePoint3dArray& stretchPoints) const override;
  Acad::ErrorStatus subMoveStretchPointsAt(const AcDbIntArray& indices, const AcGeVector3d& offset) override;
  // End: both ends; mid: the midpoint; anything else eInvalidInput.
  Acad::ErrorStatus subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker gsSelectionMark,
                                      const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                      const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                      AcDbIntArray& geomIds) const override;
  // As a temporary line asking the other entity, the extension flags mirrored.
  Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect intType, AcGePoint3dArray& points,
                                  Adesk::GsMarker thisGsMarker = 0, Adesk::GsMarker otherGsMarker = 0) const override;

  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  // (100 . "LispTestPipe") (10 start) (11 end) (90 . size) (50 . plan angle in degrees).
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;

 private:
  double length() const { return start_.distanceTo(end_); }
  AcGeVector3d direction() const { return (end_ - start_).normal(); }
  Acad::ErrorStatus moveEnds(bool start, bool end, const AcGeVector3d& offset);

  AcGePoint3d start_, end_;
  Adesk::Int32 size_ = 0;
};

class LispEntityFixture : public LispFixture {
 protected:
  LispEntityFixture();
  ~LispEntityFixture() override;

  // Appends an entity to model space (everything closed after) and binds its name to
  // a LISP symbol.
  AcDbObjectId add(const wchar_t* symbol, AcDbEntity* entity);
  // The entity of a value a LISP text answers (null id when it answers no entity name).
  AcDbObjectId idOf(const std::string& text);
  // Opens an entity for read and calls the function with it.
  template <typename T, typename Fn>
  void read(AcDbObjectId id, Fn&& fn) {
    T* obj = nullptr;
    ASSERT_EQ(acdbOpenObject(obj, id, AcDb::kForRead), Acad::eOk);
    fn(obj);
    obj->close();
  }
  int modelSpaceCount(bool withErased = false);

  AcDbDatabase db_;
  AcDbDatabase* previousWorking_;
  AcRxClass* pipeClass_ = nullptr;
};
