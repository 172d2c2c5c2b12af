// PlumbPipeArrow: the flow arrow laid along a pipe. Two points, an arrowhead at one end
// and a mark at each hanger distance; it also remembers the project key of its pipe.
#pragma once

#include <vector>

#include "arx/db_entity.h"

class PlumbPipeArrow : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(PlumbPipeArrow)

  // The arrow's class as the host registers it.
  static constexpr const wchar_t* kClassName = L"PlumbPipeArrow";
  static constexpr const wchar_t* kDxfName = L"OVPLUMBPIPEARROW";
  // The whole name sits in double quotes, as the arrow has always been registered.
  static constexpr const wchar_t* kAppName =
      L"\"Plumbing Pipe Arrow|Orvane Software, Inc|https://www.orvane.example\"";
  // What dwgOutFields writes; older files hold 1 or 2.
  static constexpr Adesk::Int32 kCurrentVersion = 3;
  // No more hanger distances than this go into a drawing file.
  static constexpr int kMaxFiledHangers = 100;
  static constexpr double kDefaultArrowLength = 12.0;

  // Registers the class (aborting the host when another class holds the name) and
  // removes it again; the module's initialisation and unload call them.
  static void rxInit();
  static void rxUninit();
  static AcRxObject* pseudoConstructor();

  PlumbPipeArrow() = default;

  AcGePoint3d startPoint() const;
  AcGePoint3d endPoint() const;
  Adesk::Int32 pipeId() const;
  double arrowLength() const;
  const AcGeDoubleArray& hangers() const;
  double tailOffset() const;
  double headOffset() const;
  bool isReversed() const;

  void setStartPoint(const AcGePoint3d& point);
  void setEndPoint(const AcGePoint3d& point);
  void setPipeId(Adesk::Int32 id);
  void setArrowLength(double length);
  void setHangers(const AcGeDoubleArray& distances);
  void setTailOffset(double offset);
  void setHeadOffset(double offset);
  void setReversed(bool reversed);

  Acad::ErrorStatus audit(AcDbAuditInfo* info) override;
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
  Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
  Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;
  bool subWorldDraw(AcGiWorldDraw* wd) override;
  void saveAs(AcGiWorldDraw* mode, AcDb::SaveType st) override;
  void subList() const override;
  // End point and midpoint snaps are the hanger points; other modes eInvalidInput.
  Acad::ErrorStatus subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker gsSelectionMark,
                                      const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                      const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                      AcDbIntArray& geomIds) const override;
  Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform) override;
  Acad::ErrorStatus subExplode(AcDbVoidPtrArray& entitySet) const override;
  Acad::ErrorStatus subGetGeomExtents(AcDbExtents& extents) const override;

 private:
  // A hanger as drawn: its point on the segment and whether it is of the second kind
  // (a negative distance), which draws as two crossing strokes.
  struct HangerMark {
    AcGePoint3d point;
    bool crossed = false;
  };
  // The hangers that lie strictly inside the plan length, in list order.
  std::vector<HangerMark> hangerMarks() const;
  // The two points coincide in plan (within the host's tolerance).
  bool coincidesInPlan() const;
  // The plan distance between the points, and the plan direction from start to end.
  double planLength() const;
  double planAngle() const;
  // The arrowhead stroke length: the set length, or half the plan length when the set
  // length is strictly longer than the arrow.
  double strokeLength() const;
  Acad::ErrorStatus readVersion1(AcDbDwgFiler* filer);
  Acad::ErrorStatus readVersion2(AcDbDwgFiler* filer);

  AcGePoint3d ptStart;
  AcGePoint3d ptEnd;
  Adesk::Int32 ixPipe = 0;
  double dArrowLength = kDefaultArrowLength;
  AcGeDoubleArray hangerDistances;
  double dTailOffset = 0.0;
  double dHeadOffset = 0.0;
  bool bReverse = false;
};
