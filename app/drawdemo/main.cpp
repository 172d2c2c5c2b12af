// Stage-one demo: builds a small drawing with every plain entity kind and writes it in
// each form the host produces (.hdw, DXF, flattened DXF, SVG, PNG) into one folder.
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "arx/aced_print.h"
#include "arx/db_database.h"
#include "arx/db_entities.h"
#include "arx/gi_record.h"
#include "arx/svg_render.h"

namespace fs = std::filesystem;

namespace {

void say(const std::wstring& line) { acedPrintText(line + L"\n"); }

std::wstring statusText(Acad::ErrorStatus es) { return acutUtf8ToWide(acadErrorStatusText(es)); }

AcCmColor aci(Adesk::UInt16 index) {
  AcCmColor c;
  c.setColorIndex(index);
  return c;
}

// Loads a dashed linetype from the host's library; the first name it knows wins.
AcDbObjectId loadDashedLinetype(AcDbDatabase& db) {
  for (const wchar_t* name : {L"DASHED", L"HIDDEN"}) {
    if (db.loadLineTypeFile(name, L"acad.lin") != Acad::eOk) continue;
    AcDbLinetypeTable* table = nullptr;
    if (db.getLinetypeTable(table, AcDb::kForRead) != Acad::eOk) break;
    AcDbObjectId id;
    table->getAt(name, id);
    table->close();
    if (!id.isNull()) return id;
  }
  say(L"note: no dashed linetype could be loaded; the dashed layer draws continuous");
  return db.continuousLinetype();
}

AcDbObjectId addLayer(AcDbDatabase& db, const wchar_t* name, Adesk::UInt16 color, AcDbObjectId linetype) {
  AcDbLayerTable* table = nullptr;
  if (db.getLayerTable(table, AcDb::kForWrite) != Acad::eOk) return AcDbObjectId();
  auto* rec = new AcDbLayerTableRecord();
  rec->setName(name);
  rec->setColor(aci(color));
  rec->setLinetypeObjectId(linetype);
  AcDbObjectId id;
  if (table->add(id, rec) == Acad::eOk) rec->close();
  else delete rec;
  table->close();
  return id;
}

AcDbObjectId addTextStyle(AcDbDatabase& db, const wchar_t* name, const wchar_t* font) {
  AcDbTextStyleTable* table = nullptr;
  if (db.getTextStyleTable(table, AcDb::kForWrite) != Acad::eOk) return AcDbObjectId();
  auto* rec = new AcDbTextStyleTableRecord();
  rec->setName(name);
  rec->setFileName(font);
  AcDbObjectId id;
  if (table->add(id, rec) == Acad::eOk) rec->close();
  else delete rec;
  table->close();
  return id;
}

// Appends an entity to model space on a layer; the database owns it afterwards.
void addEntity(AcDbDatabase& db, AcDbEntity* ent, AcDbObjectId layer) {
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite) != Acad::eOk) {
    delete ent;
    return;
  }
  ent->setLayer(layer);
  if (space->appendAcDbEntity(ent) == Acad::eOk) ent->close();
  else delete ent;
  space->close();
}

AcDbMText* newText(const AcGePoint3d& at, double height, const wchar_t* contents, AcDbMText::AttachmentPoint attach,
                   AcDbObjectId style) {
  auto* t = new AcDbMText();
  t->setLocation(at);
  t->setTextHeight(height);
  t->setContents(contents);
  t->setAttachment(attach);
  if (!style.isNull()) t->setTextStyle(style);
  return t;
}

// A plan of a small room: walls, a pipe run with a bend, a fixture, a dashed hidden
// run, a fit curve and notes.
void buildDrawing(AcDbDatabase& db) {
  AcDbObjectId dashed = loadDashedLinetype(db);
  AcDbObjectId walls = addLayer(db, L"WALLS", 5, db.continuousLinetype());
  AcDbObjectId pipes = addLayer(db, L"PIPES", 1, db.continuousLinetype());
  AcDbObjectId hidden = addLayer(db, L"HIDDEN", 8, dashed);
  AcDbObjectId notes = addLayer(db, L"NOTES", 94, db.continuousLinetype());
  AcDbObjectId style = addTextStyle(db, L"NOTES", L"romans");

  AcGePoint3dArray room{{0, 0, 0}, {120, 0, 0}, {120, 80, 0}, {0, 80, 0}};
  addEntity(db, new AcDb2dPolyline(AcDb::k2dSimplePoly, room, 0.0, true), walls);

  addEntity(db, new AcDbLine({10, 10, 0}, {50, 10, 0}), pipes);
  addEntity(db, new AcDbArc({50, 20, 0}, 10, -M_PI / 2, 0), pipes);
  addEntity(db, new AcDbLine({60, 20, 0}, {60, 50, 0}), pipes);
  addEntity(db, new AcDbCircle({60, 56, 0}, {0, 0, 1}, 6), pipes);

  addEntity(db, new AcDbLine({10, 40, 0}, {45, 40, 0}), hidden);
  addEntity(db, new AcDbCircle({95, 45, 0}, {0, 0, 1}, 8), hidden);

  AcGePoint3dArray wave{{75, 12, 0}, {85, 24, 0}, {95, 12, 0}, {105, 24, 0}};
  addEntity(db, new AcDb2dPolyline(AcDb::k2dFitCurvePoly, wave, 0.0, false), pipes);

  addEntity(db, newText({4, 76, 0}, 3.0, L"Stage one demo\\Pplain entities", AcDbMText::kTopLeft, style), notes);
  AcDbMText* label = newText({64, 24, 0}, 2.0, L"Pipe <2\"> & bend", AcDbMText::kMiddleLeft, style);
  label->setRotation(M_PI / 2);
  addEntity(db, label, notes);
}

// Counts by class name, in name order.
std::map<std::wstring, int> countEntities(AcDbDatabase& db) {
  std::map<std::wstring, int> counts;
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, db.modelSpaceId(), AcDb::kForRead) != Acad::eOk) return counts;
  for (const AcDbObjectId& id : space->entityIds()) {
    AcRxClass* cls = id.objectClass();
    ++counts[cls != nullptr ? cls->name() : L"?"];
  }
  space->close();
  return counts;
}

std::wstring describeCounts(const std::map<std::wstring, int>& counts) {
  std::wstring text;
  int total = 0;
  for (const auto& [name, n] : counts) {
    text += (text.empty() ? L"" : L", ") + name + L" " + std::to_wstring(n);
    total += n;
  }
  return std::to_wstring(total) + L" (" + text + L")";
}

std::wstring describePrimitives(AcDbDatabase& db) {
  static const wchar_t* names[] = {L"polyline", L"circle", L"arc", L"text", L"fit curve"};
  AcGiRecordingWorldDraw rec;
  recordModelSpace(&db, rec);
  std::map<int, int> counts;
  for (const GiPrimitive& p : rec.primitives()) ++counts[static_cast<int>(p.kind)];
  std::wstring text;
  for (const auto& [kind, n] : counts) text += (text.empty() ? L"" : L", ") + std::wstring(names[kind]) + L" " + std::to_wstring(n);
  return std::to_wstring(rec.primitives().size()) + L" (" + text + L")";
}

// Reports one written file, or why it was not written.
bool report(const wchar_t* what, const fs::path& path, Acad::ErrorStatus es, const std::wstring& why = L"") {
  if (es == Acad::eOk && fs::exists(path)) {
    say(L"  " + std::wstring(what) + L": " + path.wstring() + L" (" + std::to_wstring(fs::file_size(path)) +
        L" bytes)");
    return true;
  }
  say(L"  " + std::wstring(what) + L": NOT written (" + statusText(es) + (why.empty() ? L"" : L": " + why) + L")");
  return false;
}

// Reads a written drawing back and answers what it holds.
std::wstring readBack(const fs::path& path, bool dxf) {
  AcDbDatabase db(false);
  Acad::ErrorStatus es = dxf ? db.dxfIn(path.wstring().c_str()) : db.readDwgFile(path.wstring().c_str());
  if (es != Acad::eOk) return L"cannot be read back: " + statusText(es) + L" " + db.lastFileError();
  return L"reads back with " + describeCounts(countEntities(db)) + L" entities";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: drawdemo OUTPUT-FOLDER\n");
    return 2;
  }
  fs::path out = fs::path(acutUtf8ToWide(argv[1]));
  std::error_code ec;
  fs::create_directories(out, ec);
  if (!fs::is_directory(out)) {
    std::fprintf(stderr, "drawdemo: cannot make the folder %s\n", argv[1]);
    return 1;
  }

  AcDbDatabase db(true);
  acdbHostApplicationServices()->setWorkingDatabase(&db);
  buildDrawing(db);
  say(L"drawing: " + describeCounts(countEntities(db)) + L" entities");
  say(L"drawn as: " + describePrimitives(db) + L" primitives");
  say(L"wrote:");

  int failures = 0;
  fs::path hdw = out / "demo.hdw", dxf = out / "demo.dxf", flat = out / "demo-flat.dxf";
  fs::path svg = out / "demo.svg", png = out / "demo.png";
  if (report(L"drawing", hdw, db.saveAs(hdw.wstring().c_str()), db.lastFileError())) say(L"    " + readBack(hdw, false));
  else ++failures;
  if (report(L"DXF", dxf, db.dxfOut(dxf.wstring().c_str()), db.lastFileError())) say(L"    " + readBack(dxf, true));
  else ++failures;
  if (!report(L"flattened DXF", flat, db.dxfOut(flat.wstring().c_str(), 16, true), db.lastFileError())) ++failures;
  if (!report(L"SVG", svg, writeModelSpaceSvg(&db, svg.wstring()))) ++failures;
  std::wstring why;
  bool madePng = svgToPng(svg.wstring(), png.wstring(), 1200, why);
  // Without rsvg-convert there is no PNG, and that is not the demo's fault.
  if (!report(L"PNG", png, madePng ? Acad::eOk : Acad::eNotApplicable, why) && rsvgConvertAvailable()) ++failures;

  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  return failures == 0 ? 0 : 1;
}
