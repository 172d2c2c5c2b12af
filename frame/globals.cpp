// Global settings: FindBy on "sKey", then Edit or AddNew, set, Update.
#include "frame/globals.h"

#include "com/variant.h"
#include "db/tblGlobal.h"
#include "frame/context.h"

namespace {

tblGlobal* globalsOf(ovApplication* context) {
  ovPerDocData* data = context != nullptr ? context->currentDocData() : nullptr;
  return data != nullptr && data->project != nullptr ? data->project->globals.get() : nullptr;
}

// Positions the record on the setting for writing: Edit when it exists, otherwise
// AddNew with the key set.
void beginWrite(tblGlobal& globals, const std::wstring& key) {
  if (globals.FindBy(_variant_t(key.c_str()))) {
    globals.Edit();
  } else {
    globals.AddNew();
    globals.set_sKey(key);
  }
}

}  // namespace

double ovGetGlobalNumber(tblGlobal& globals, const std::wstring& key) {
  if (!globals.FindBy(_variant_t(key.c_str())) || globals.isNull_dNumber()) return 0.0;
  return globals.dNumber();
}

void ovSetGlobalNumber(tblGlobal& globals, const std::wstring& key, double value) {
  beginWrite(globals, key);
  globals.set_dNumber(value);
  globals.set_bNumeric(true);
  globals.Update();
}

double ovGetGlobalNumber(ovApplication* context, const std::wstring& key) {
  tblGlobal* globals = globalsOf(context);
  return globals != nullptr ? ovGetGlobalNumber(*globals, key) : 0.0;
}

void ovSetGlobalNumber(ovApplication* context, const std::wstring& key, double value) {
  if (tblGlobal* globals = globalsOf(context)) ovSetGlobalNumber(*globals, key, value);
}

std::wstring ovGetGlobalText(ovApplication* context, const std::wstring& key) {
  tblGlobal* globals = globalsOf(context);
  if (globals == nullptr || !globals->FindBy(_variant_t(key.c_str())) || globals->isNull_sText()) return {};
  return globals->sText();
}

void ovSetGlobalText(ovApplication* context, const std::wstring& key, const std::wstring& value) {
  tblGlobal* globals = globalsOf(context);
  if (globals == nullptr) return;
  beginWrite(*globals, key);
  globals->set_sText(value);
  globals->set_bNumeric(false);
  globals->Update();
}
