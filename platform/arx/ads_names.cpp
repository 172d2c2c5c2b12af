// acdbGetObjectId and acdbGetAdsName. An entity name carries the object's id as a
// number; before trusting it the host looks it up among the objects of the drawings
// it has open, so that a stale or made-up name is refused instead of followed.
#include "arx/ads_names.h"

#include <algorithm>

#include "arx/ap_doc_manager.h"

namespace {

std::vector<AcDbDatabase*> openDatabases() {
  std::vector<AcDbDatabase*> dbs;
  for (AcApDocument* doc : acDocManagerPtr()->hostDocuments()) dbs.push_back(doc->database());
  AcDbDatabase* working = acdbHostApplicationServices()->workingDatabase();
  if (working != nullptr && std::find(dbs.begin(), dbs.end(), working) == dbs.end()) dbs.push_back(working);
  return dbs;
}

bool isKnownStub(const AcDbStub* stub) {
  for (AcDbDatabase* db : openDatabases())
    if (db->hasStub(stub)) return true;
  return false;
}

}  // namespace

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name) {
  id.setNull();
  if (name == nullptr || name[0] == 0) return Acad::eNullObjectId;
  AcDbObjectId candidate;
  candidate.setFromOldId(static_cast<std::intptr_t>(name[0]));
  if (!isKnownStub(candidate.stub())) return Acad::eUnknownHandle;
  id = candidate;
  return Acad::eOk;
}

Acad::ErrorStatus acdbGetAdsName(ads_name& name, AcDbObjectId id) {
  name[0] = 0;
  name[1] = 0;
  if (id.isNull()) return Acad::eNullObjectId;
  name[0] = static_cast<std::int64_t>(id.asOldId());
  return Acad::eOk;
}
