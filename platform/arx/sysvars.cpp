// The table of system variables behind acedGetVar and acedSetVar: the host's own
// settings, and those read from the current document and its database.
#include "arx/sysvars.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <functional>
#include <map>

#include "arx/aced_print.h"
#include "arx/ap_doc_manager.h"
#include "arx/db_symtab.h"

namespace {

// The settings that belong to the host rather than to a drawing.
struct HostSettings {
  std::wstring saveFilePath;
  int cmdEcho = 1;
  // The units of a new imperial drawing: decimal lengths to 4 places, decimal degrees
  // to 0 places, zero feet and zero inches left out, units shown as they are read.
  int lunits = 2, luprec = 4, aunits = 0, auprec = 0, dimzin = 0, unitmode = 0;
  int userI[5] = {0, 0, 0, 0, 0};
  double userR[5] = {0, 0, 0, 0, 0};
  std::wstring userS[5];
};

HostSettings& settings() {
  static HostSettings s = [] {
    HostSettings made;
    const char* tmp = std::getenv("TMPDIR");
    made.saveFilePath = acutUtf8ToWide(tmp != nullptr && *tmp != 0 ? tmp : "/tmp");
    return made;
  }();
  return s;
}

AcApDocument* currentDocument() { return acDocManagerPtr()->curDocument(); }

// ---- filling and reading buffers ----------------------------------------------------

bool answerText(resbuf* rb, const std::wstring& text) {
  rb->restype = RTSTR;
  rb->resval.rstring = acutNewString(text.c_str());
  return true;
}

bool answerShort(resbuf* rb, int value) {
  rb->restype = RTSHORT;
  rb->resval.rint = static_cast<short>(value);
  return true;
}

bool answerLong(resbuf* rb, std::int32_t value) {
  rb->restype = RTLONG;
  rb->resval.rlong = value;
  return true;
}

// Milliseconds since the host started, as routines time their work with it.
const auto kHostStart = std::chrono::steady_clock::now();

bool getMillisecs(resbuf* rb) {
  const auto elapsed = std::chrono::steady_clock::now() - kHostStart;
  return answerLong(rb, static_cast<std::int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
}

bool answerReal(resbuf* rb, double value) {
  rb->restype = RTREAL;
  rb->resval.rreal = value;
  return true;
}

bool answerPoint(resbuf* rb, const AcGePoint3d& p) {
  rb->restype = RT3DPOINT;
  rb->resval.rpoint[0] = p.x;
  rb->resval.rpoint[1] = p.y;
  rb->resval.rpoint[2] = p.z;
  return true;
}

bool textOf(const resbuf* rb, std::wstring& text) {
  if (rb->restype != RTSTR || rb->resval.rstring == nullptr) return false;
  text = rb->resval.rstring;
  return true;
}

bool intOf(const resbuf* rb, int& value) {
  if (rb->restype == RTSHORT) value = rb->resval.rint;
  else if (rb->restype == RTLONG) value = rb->resval.rlong;
  else return false;
  return true;
}

bool realOf(const resbuf* rb, double& value) {
  int i = 0;
  if (rb->restype == RTREAL) value = rb->resval.rreal;
  else if (intOf(rb, i)) value = i;
  else return false;
  return true;
}

// ---- the variables ------------------------------------------------------------------

std::wstring fileStem(const std::wstring& path) { return acutUtf8ToWide(std::filesystem::path(acutWideToUtf8(path)).stem().string()); }

std::wstring folderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool getSaveFile(resbuf* rb) {
  AcApDocument* doc = currentDocument();
  if (doc == nullptr) return answerText(rb, L"");
  std::wstring folder = settings().saveFilePath;
  if (!folder.empty() && folder.back() != L'/') folder += L'/';
  return answerText(rb, folder + fileStem(doc->fileName()) + L".sv$");
}

bool getDocumentText(resbuf* rb, const std::function<std::wstring(AcApDocument*)>& of) {
  AcApDocument* doc = currentDocument();
  return doc != nullptr && answerText(rb, of(doc));
}

bool getUcsPart(resbuf* rb, int part) {
  AcApDocument* doc = currentDocument();
  if (doc == nullptr) return false;
  const AcGeMatrix3d& m = doc->hostUcs();
  if (part == 3) return answerPoint(rb, AcGePoint3d(m(0, 3), m(1, 3), m(2, 3)));
  return answerPoint(rb, AcGePoint3d(m(0, part), m(1, part), m(2, part)));
}

bool getClayer(resbuf* rb) {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr) return false;
  AcDbLayerTableRecord* layer = nullptr;
  if (acdbOpenObject(layer, db->clayer(), AcDb::kForRead) != Acad::eOk) return false;
  const ACHAR* name = nullptr;
  layer->getName(name);
  std::wstring text = name != nullptr ? name : L"";
  layer->close();
  return answerText(rb, text);
}

bool setClayer(const resbuf* rb) {
  std::wstring name;
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (!textOf(rb, name) || db == nullptr) return false;
  AcDbLayerTable* table = nullptr;
  if (db->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return false;
  AcDbObjectId id;
  Acad::ErrorStatus es = table->getAt(name.c_str(), id);
  table->close();
  return es == Acad::eOk && db->setClayer(id) == Acad::eOk;
}

struct SysVar {
  std::function<bool(resbuf*)> get;
  std::function<bool(const resbuf*)> set;  // empty: read-only
};

// An integer setting taking the values lowest to highest.
SysVar rangedInteger(int HostSettings::*member, int lowest, int highest) {
  return {[member](resbuf* rb) { return answerShort(rb, settings().*member); },
          [member, lowest, highest](const resbuf* rb) {
            int value = 0;
            if (!intOf(rb, value) || value < lowest || value > highest) return false;
            settings().*member = value;
            return true;
          }};
}

void addUserVariables(std::map<std::wstring, SysVar>& vars) {
  for (int i = 0; i < 5; ++i) {
    std::wstring n = std::to_wstring(i + 1);
    vars[L"USERI" + n] = {[i](resbuf* rb) { return answerShort(rb, settings().userI[i]); },
                          [i](const resbuf* rb) {
                            int value = 0;
                            if (!intOf(rb, value) || value < -32768 || value > 32767) return false;
                            settings().userI[i] = value;
                            return true;
                          }};
    vars[L"USERR" + n] = {[i](resbuf* rb) { return answerReal(rb, settings().userR[i]); },
                          [i](const resbuf* rb) { return realOf(rb, settings().userR[i]); }};
    vars[L"USERS" + n] = {[i](resbuf* rb) { return answerText(rb, settings().userS[i]); },
                          [i](const resbuf* rb) { return textOf(rb, settings().userS[i]); }};
  }
}

const std::map<std::wstring, SysVar>& variables() {
  static const std::map<std::wstring, SysVar> vars = [] {
    std::map<std::wstring, SysVar> v;
    v[L"SAVEFILE"] = {getSaveFile, {}};
    v[L"SAVEFILEPATH"] = {[](resbuf* rb) { return answerText(rb, settings().saveFilePath); },
                          [](const resbuf* rb) {
                            std::wstring folder;
                            if (!textOf(rb, folder) || folder.empty()) return false;
                            settings().saveFilePath = folder;
                            return true;
                          }};
    v[L"DWGNAME"] = {[](resbuf* rb) { return getDocumentText(rb, [](AcApDocument* d) { return std::wstring(d->docTitle()); }); }, {}};
    v[L"DWGPREFIX"] = {[](resbuf* rb) { return getDocumentText(rb, [](AcApDocument* d) { return folderOf(d->fileName()); }); }, {}};
    v[L"CLAYER"] = {getClayer, setClayer};
    v[L"MILLISECS"] = {getMillisecs, {}};
    v[L"CMDECHO"] = rangedInteger(&HostSettings::cmdEcho, 0, 1);
    v[L"LUNITS"] = rangedInteger(&HostSettings::lunits, 1, 5);
    v[L"LUPREC"] = rangedInteger(&HostSettings::luprec, 0, 8);
    v[L"AUNITS"] = rangedInteger(&HostSettings::aunits, 0, 4);
    v[L"AUPREC"] = rangedInteger(&HostSettings::auprec, 0, 8);
    v[L"DIMZIN"] = rangedInteger(&HostSettings::dimzin, 0, 15);
    v[L"UNITMODE"] = rangedInteger(&HostSettings::unitmode, 0, 1);
    v[L"UCSXDIR"] = {[](resbuf* rb) { return getUcsPart(rb, 0); }, {}};
    v[L"UCSYDIR"] = {[](resbuf* rb) { return getUcsPart(rb, 1); }, {}};
    v[L"UCSORG"] = {[](resbuf* rb) { return getUcsPart(rb, 3); }, {}};
    v[L"WORLDUCS"] = {[](resbuf* rb) {
                        AcApDocument* doc = currentDocument();
                        return doc != nullptr && answerShort(rb, doc->hostUcs().isEqualTo(AcGeMatrix3d::kIdentity) ? 1 : 0);
                      },
                      {}};
    addUserVariables(v);
    return v;
  }();
  return vars;
}

const SysVar* find(const ACHAR* name) {
  if (name == nullptr) return nullptr;
  std::wstring upper(name);
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
  auto it = variables().find(upper);
  return it == variables().end() ? nullptr : &it->second;
}

}  // namespace

int acedGetVar(const ACHAR* name, resbuf* result) {
  const SysVar* var = find(name);
  if (var == nullptr || result == nullptr) return RTERROR;
  resbuf answer{};
  if (!var->get(&answer)) return RTERROR;
  result->restype = answer.restype;
  result->resval = answer.resval;
  return RTNORM;
}

int acedSetVar(const ACHAR* name, const resbuf* value) {
  const SysVar* var = find(name);
  if (var == nullptr || !var->set || value == nullptr) return RTERROR;
  return var->set(value) ? RTNORM : RTERROR;
}

std::vector<std::wstring> hostSysVarNames() {
  std::vector<std::wstring> names;
  for (const auto& [name, var] : variables()) names.push_back(name);
  return names;
}
