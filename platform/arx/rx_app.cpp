// The host's record of loaded plug-ins, as the plug-ins reach it through the packet
// pointer of their entry point.
#include "arx/rx_app.h"

#include <set>

namespace {

// Only records the loader announced count: a plug-in passing anything else gets a
// refusal instead of the host writing through a stray pointer.
std::set<AcRxAppRecord*>& liveRecords() {
  static std::set<AcRxAppRecord*> records;
  return records;
}

AcRxAppRecord* recordOf(void* appId) {
  auto* record = static_cast<AcRxAppRecord*>(appId);
  return liveRecords().count(record) != 0 ? record : nullptr;
}

}  // namespace

bool acrxUnlockApplication(void* appId) {
  AcRxAppRecord* record = recordOf(appId);
  if (record == nullptr) return false;
  record->unlocked = true;
  return true;
}

bool acrxRegisterAppMDIAware(void* appId) {
  AcRxAppRecord* record = recordOf(appId);
  if (record == nullptr) return false;
  record->mdiAware = true;
  return true;
}

void acrxHostRegisterApp(AcRxAppRecord* record) {
  if (record != nullptr) liveRecords().insert(record);
}

void acrxHostUnregisterApp(AcRxAppRecord* record) { liveRecords().erase(record); }
