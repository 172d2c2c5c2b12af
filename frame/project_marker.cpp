// Reading the project-database mark of a drawing.
#include "frame/project_marker.h"

#include <cwctype>
#include <memory>

#include "arx/ap_doc_manager.h"
#include "arx/db_object.h"
#include "arx/db_symtab.h"
#include "frame/resbuf_chain.h"

namespace {

constexpr wchar_t kApplication[] = L"ORVANE";

bool isText(const resbuf* rb) { return rb->restype == 1000 || rb->restype == RTSTR; }

resbuf* copyOne(const resbuf* rb) {
  resbuf single = *rb;
  single.rbnext = nullptr;
  return acutDuplicateChain(&single);
}

}  // namespace

resbuf* ovExtendedDataValue(const AcDbObject* object, const std::wstring& key) {
  if (object == nullptr) return nullptr;
  ResbufChain data(object->xData(kApplication));
  if (!data) return nullptr;
  // The first item is the application's name; key and value pairs follow.
  for (const resbuf* rb = data->rbnext; rb != nullptr && rb->rbnext != nullptr; rb = rb->rbnext) {
    if (!isText(rb) || rb->resval.rstring == nullptr || key != rb->resval.rstring) continue;
    const resbuf* value = rb->rbnext;
    if (isText(value)) return acutBuildList(RTSTR, value->resval.rstring != nullptr ? value->resval.rstring : L"", 0);
    return copyOne(value);
  }
  return nullptr;
}

bool ovCurrentDrawingUsesProjectDatabase(const std::wstring& token) {
  AcApDocManager* manager = acDocManagerPtr();
  AcApDocument* document = manager != nullptr ? manager->curDocument() : nullptr;
  AcDbDatabase* database = document != nullptr ? document->database() : nullptr;
  if (database == nullptr) return false;
  AcDbBlockTable* table = nullptr;
  if (database->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return false;
  AcDbBlockTableRecord* modelSpace = nullptr;
  const Acad::ErrorStatus es = table->getAt(ACDB_MODEL_SPACE, modelSpace, AcDb::kForRead);
  table->close();
  if (es != Acad::eOk) return false;
  std::wstring upper = token;
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
  ResbufChain value(ovExtendedDataValue(modelSpace, upper));
  modelSpace->close();
  return value && value->restype == RTSTR && value->resval.rstring != nullptr &&
         std::wstring(value->resval.rstring) == L"YES";
}
