// The host's alert box.
#include "arx/aced_alert.h"

#include "arx/resbuf.h"
#include "mfc/message_box.h"
#include "mfc/ui_driver.h"

int acedAlert(const ACHAR* text) {
  if (text == nullptr) return RTERROR;
  uiDriver().messageBox(L"AutoCAD Message", text, UiIcon::Warning, {IDOK}, IDOK);
  return RTNORM;
}
