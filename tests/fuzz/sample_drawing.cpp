// The sample drawing shared by the file tests and the fuzz corpus maker.
#include "sample_drawing.h"

#include <stdexcept>
#include <string>

#include "arx/db_entities.h"

namespace {

void check(Acad::ErrorStatus es, const char* what) {
  if (es != Acad::eOk) throw std::runtime_error(std::string("sample drawing: ") + what + " failed");
}

AcDbObjectId addLayer(AcDbDatabase& db, const wchar_t* name, const AcCmColor& color, AcDbObjectId linetype,
                      bool locked) {
  AcDbLayerTable* table = nullptr;
  check(db.getLayerTable(table, AcDb::kForWrite), "opening the layer table");
  auto* rec = new AcDbLayerTableRecord();
  rec->setName(name);
  rec->setColor(color);
  rec->setLinetypeObjectId(linetype);
  rec->setIsLocked(locked);
  AcDbObjectId id;
  check(table->add(id, rec), "adding a layer");
  rec->close();
  table->close();
  return id;
}

AcDbObjectId addTextStyle(AcDbDatabase& db) {
  AcDbTextStyleTable* table = nullptr;
  check(db.getTextStyleTable(table, AcDb::kForWrite), "opening the text style table");
  auto* rec = new AcDbTextStyleTableRecord();
  rec->setName(L"Notes");
  rec->setFileName(L"romans");
  rec->setTextSize(2.5);
  rec->setXScale(0.8);
  AcDbObjectId id;
  check(table->add(id, rec), "adding a text style");
  rec->close();
  table->close();
  return id;
}

void addModelSpaceXData(AcDbDatabase& db) {
  AcDbRegAppTable* apps = nullptr;
  check(db.getRegAppTable(apps, AcDb::kForWrite), "opening the application table");
  auto* app = new AcDbRegAppTableRecord();
  app->setName(kSampleApp);
  check(apps->add(app), "registering the application");
  app->close();
  apps->close();

  AcDbObject* ms = nullptr;
  check(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), "opening model space");
  ads_point where = {1.0, 2.0, 3.0};
  resbuf* xdata = acutBuildList(AcDb::kDxfRegAppName, kSampleApp, AcDb::kDxfXdAsciiString, L"model space",
                                AcDb::kDxfXdInteger16, 42, AcDb::kDxfXdReal, 2.5, 1010, where, 0);
  Acad::ErrorStatus es = ms->setXData(xdata);
  acutRelRb(xdata);
  ms->close();
  check(es, "setting extended data");
}

}  // namespace

AcDbObjectId appendToModelSpace(AcDbDatabase& db, AcDbEntity* ent) {
  AcDbBlockTableRecord* ms = nullptr;
  check(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), "opening model space");
  AcDbObjectId id;
  Acad::ErrorStatus es = ms->appendAcDbEntity(id, ent);
  ms->close();
  if (es != Acad::eOk) delete ent;
  check(es, "appending an entity");
  ent->close();
  return id;
}

SampleDrawing buildSampleDrawing(AcDbDatabase& db) {
  SampleDrawing s;
  check(db.loadLineTypeFile(L"DASHED", L"acad.lin"), "loading DASHED");
  AcDbLinetypeTable* linetypes = nullptr;
  check(db.getLinetypeTable(linetypes, AcDb::kForRead), "opening the linetype table");
  check(linetypes->getAt(L"DASHED", s.dashedLinetype), "finding DASHED");
  linetypes->close();

  AcCmColor red;
  red.setColorIndex(1);
  AcCmColor slate;
  slate.setRGB(40, 60, 90);
  s.pipesLayer = addLayer(db, L"Pipes", red, s.dashedLinetype, false);
  s.lockedLayer = addLayer(db, L"Locked", slate, db.continuousLinetype(), true);
  s.notesStyle = addTextStyle(db);
  addModelSpaceXData(db);
  check(db.setClayer(s.pipesLayer), "setting the current layer");

  auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 5, 0));
  line->setLayer(s.pipesLayer);
  s.line = appendToModelSpace(db, line);

  auto* arc = new AcDbArc(AcGePoint3d(20, 0, 0), 4.0, 0.25, 2.5);
  arc->setLayer(db.layerZero());
  arc->setColorIndex(3);
  s.arc = appendToModelSpace(db, arc);

  auto* circle = new AcDbCircle(AcGePoint3d(-5, 7, 0), AcGeVector3d::kZAxis, 1.75);
  circle->setLayer(s.pipesLayer);
  s.circle = appendToModelSpace(db, circle);

  AcGePoint3dArray vertices;
  vertices.append(AcGePoint3d(0, 0, 1.5)).append(AcGePoint3d(5, 3, 1.5)).append(AcGePoint3d(9, -1, 1.5));
  vertices.append(AcGePoint3d(14, 2, 1.5));
  s.polyline = appendToModelSpace(db, new AcDb2dPolyline(AcDb::k2dFitCurvePoly, vertices, 1.5));

  auto* text = new AcDbMText();
  text->setLocation(AcGePoint3d(3, 12, 0));
  text->setContents(L"Riser R1\\PDN 50 \u00e9tage");
  text->setTextHeight(2.5);
  text->setWidth(30.0);
  text->setRotation(0.5);
  text->setAttachment(AcDbMText::kMiddleCenter);
  text->setTextStyle(s.notesStyle);
  s.mtext = appendToModelSpace(db, text);
  return s;
}
