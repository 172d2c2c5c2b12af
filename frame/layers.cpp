// Layer resolution. The row lookups run on the project's cached record sets; the
// drawing's layer is made under a write lock on the current document, as any change
// of a symbol table must be.
#include "frame/layers.h"

#include <cwchar>

#include "arx/ap_doc_manager.h"
#include "arx/db_database.h"
#include "arx/db_symtab.h"
#include "com/variant.h"
#include "db/tblLayer.h"
#include "db/tblLayerKey.h"
#include "frame/context.h"

namespace {

struct Project {
  tblLayer* layers = nullptr;
  tblLayerKey* layerKeys = nullptr;
};

Project projectTables(ovApplication* context) {
  ovPerDocData* data = context != nullptr ? context->currentDocData() : nullptr;
  if (data == nullptr || data->project == nullptr) return {};
  return {data->project->layers.get(), data->project->layerKeys.get()};
}

bool findKey(tblLayerKey& keys, int system, const std::wstring& key) {
  const _variant_t systemValue = system == 0 ? _variant_t::makeNull() : _variant_t(static_cast<long>(system));
  return keys.FindBy(systemValue, _variant_t(key.c_str()));
}

// Step 2 and 3 of the resolution: the layer's row, or none (name "0") after a message.
std::wstring layerNameOf(const Project& project, const std::wstring& key, int system, bool& rowFound) {
  rowFound = false;
  const std::wstring where = key + L":" + std::to_wstring(system);
  if (project.layerKeys == nullptr ||
      (!findKey(*project.layerKeys, system, key) && !findKey(*project.layerKeys, system, L"DEFAULT"))) {
    acutPrintf(L"%s", (L"\nLayer key " + where + L" does not exist in the database.").c_str());
    return L"0";
  }
  if (project.layers == nullptr || !project.layers->Find(project.layerKeys->ixLayer())) {
    acutPrintf(L"%s", (L"\nLayer corresponding to layer key " + where + L" does not exist in the database.").c_str());
    return L"0";
  }
  rowFound = true;
  return project.layers->sName();
}

void setLinetypeFromRow(AcDbDatabase* db, const tblLayer& row, AcDbLayerTableRecord* record) {
  if (row.isNull_sLinetype() || row.sLinetype() == L"CONTINUOUS") return;
  AcDbLinetypeTable* linetypes = nullptr;
  if (db->getLinetypeTable(linetypes, AcDb::kForRead) != Acad::eOk) return;
  AcDbObjectId linetype;
  if (linetypes->getAt(row.sLinetype().c_str(), linetype) == Acad::eOk) record->setLinetypeObjectId(linetype);
  linetypes->close();
}

// Step 5: a new layer built from the row (or a plain one for "0"), added under a lock.
bool addLayer(AcDbDatabase* db, AcDbLayerTable* table, const std::wstring& name, const tblLayer* row) {
  auto* record = new AcDbLayerTableRecord();
  if (row != nullptr && !row->isNull_iColor()) {
    AcCmColor color;
    color.setColorIndex(static_cast<std::uint16_t>(row->iColor()));
    record->setColor(color);
  }
  record->setName(name.c_str());
  if (row != nullptr) {
    if (!row->isNull_bPlot()) record->setIsPlottable(row->bPlot());
    setLinetypeFromRow(db, *row, record);
    if (!row->isNull_sLineweight() && !row->sLineweight().empty())
      record->setLineWeight(static_cast<AcDb::LineWeight>(std::wcstol(row->sLineweight().c_str(), nullptr, 10)));
  }
  AcApDocManager* manager = acDocManagerPtr();
  AcApDocument* document = manager != nullptr ? manager->curDocument() : nullptr;
  if (document != nullptr) manager->lockDocument(document, AcAp::kWrite);
  bool added = table->upgradeOpen() == Acad::eOk && table->add(record) == Acad::eOk;
  if (added) {
    if (row != nullptr && !row->isNull_sPlotstyle()) record->setPlotStyleName(row->sPlotstyle().c_str());
    record->close();
  } else {
    delete record;
  }
  table->downgradeOpen();
  if (document != nullptr) manager->unlockDocument(document);
  return added;
}

}  // namespace

bool ovResolveLayer(ovApplication* context, const std::wstring& key, int system, AcDbObjectId& layerId) {
  const Project project = projectTables(context);
  bool rowFound = false;
  const std::wstring name = layerNameOf(project, key, system, rowFound);

  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbLayerTable* table = nullptr;
  if (db == nullptr || db->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return false;
  AcDbObjectId id;
  if (table->getAt(name.c_str(), id) != Acad::eOk) {
    addLayer(db, table, name, rowFound ? project.layers : nullptr);
    table->getAt(name.c_str(), id);
  }
  table->close();
  if (id.isNull()) return false;

  AcDbLayerTableRecord* layer = nullptr;
  if (acdbOpenObject(layer, id, AcDb::kForWrite) != Acad::eOk) return false;
  layer->setIsLocked(false);
  layer->close();
  layerId = id;
  return true;
}
