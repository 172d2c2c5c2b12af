// The fuzz targets' work on one input: write it to a file, let the host read it, and
// when the host accepts it, check that what it accepted saves and reads back.
#include "fuzz_inputs.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "arx/aced_print.h"
#include "arx/db_database.h"
#include "arx/hdw_format.h"
#include "lisp/lisp_printer.h"
#include "lisp/lisp_reader.h"
#include "lisp/lisp_resbuf.h"

namespace {

// A file in the temporary folder, named for this process so that parallel fuzzers do
// not share it, removed when done.
class TempFile {
 public:
  TempFile(const char* tag, const char* ext)
      : path_((std::filesystem::temp_directory_path() /
               ("ov-fuzz-" + std::to_string(getpid()) + "-" + tag + ext)).string()) {}
  ~TempFile() { std::remove(path_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  bool write(const std::uint8_t* data, std::size_t size) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out.flush());
  }
  std::wstring name() const { return acutUtf8ToWide(path_); }

 private:
  std::string path_;
};

using ReadFn = Acad::ErrorStatus (AcDbDatabase::*)(const ACHAR*);

// Saves an accepted drawing as .hdw and as DXF and reads each into a new database;
// answers what failed, or nothing.
std::wstring saveAndReadBack(AcDbDatabase& db) {
  TempFile hdw("again", ".hdw");
  TempFile dxf("again", ".dxf");
  if (db.saveAs(hdw.name().c_str()) != Acad::eOk) return L"saving as .hdw failed: " + db.lastFileError();
  if (db.dxfOut(dxf.name().c_str()) != Acad::eOk) return L"saving as DXF failed: " + db.lastFileError();
  AcDbDatabase fromHdw(false);
  if (fromHdw.readDwgFile(hdw.name().c_str()) != Acad::eOk)
    return L"the saved .hdw does not read back: " + fromHdw.lastFileError();
  AcDbDatabase fromDxf(false);
  if (fromDxf.dxfIn(dxf.name().c_str()) != Acad::eOk)
    return L"the saved DXF does not read back: " + fromDxf.lastFileError();
  return L"";
}

FuzzOutcome readInput(const TempFile& file, ReadFn read) {
  FuzzOutcome outcome;
  AcDbDatabase db(false);
  outcome.loaded = (db.*read)(file.name().c_str()) == Acad::eOk;
  if (outcome.loaded) {
    outcome.fault = saveAndReadBack(db);
  } else {
    outcome.error = db.lastFileError();
    if (outcome.error.empty()) outcome.fault = L"refused without a message";
    else if (!db.stubs().empty()) outcome.fault = L"refused but left objects in the database";
  }
  outcome.consistent = outcome.fault.empty();
  return outcome;
}

FuzzOutcome readBytes(const std::uint8_t* data, std::size_t size, const char* ext, ReadFn read) {
  TempFile file("input", ext);
  if (!file.write(data, size)) {
    FuzzOutcome outcome;
    outcome.error = L"the input could not be written to a temporary file";
    return outcome;
  }
  return readInput(file, read);
}

// The first form whose print does not read back to the same print, as a fault.
std::wstring printFault(const std::vector<LispValue>& forms) {
  for (const LispValue& form : forms) {
    std::wstring printed = lispToString(form);
    std::vector<LispValue> again;
    std::wstring error;
    if (!lispReadAll(printed, again, error) || again.size() != 1 || lispToString(again[0]) != printed)
      return L"a form prints as " + printed + L", which does not read back the same";
  }
  return L"";
}

// The values after a crossing to a plug-in: made a chain and read back from it.
std::wstring crossToPlugIn(const std::vector<LispValue>& values, std::vector<LispValue>& back) {
  std::unique_ptr<resbuf, int (*)(resbuf*)> chain(lispArgsToResbuf(values), acutRelRb);
  std::wstring error;
  if (!lispValuesFromResbuf(chain.get(), back, error)) return L"a chain the host made does not read back: " + error;
  return L"";
}

std::wstring printedAll(const std::vector<LispValue>& values) {
  std::wstring out;
  for (const LispValue& v : values) out += lispToString(v) + L"\n";
  return out;
}

// A list crosses as the host passes it (numbers in a point become reals, symbols
// strings), so the first crossing may change values; the second must not.
std::wstring crossingFault(const std::vector<LispValue>& forms) {
  try {
    std::vector<LispValue> once, twice;
    std::wstring fault = crossToPlugIn(forms, once);
    if (fault.empty()) fault = crossToPlugIn(once, twice);
    if (fault.empty() && printedAll(once) != printedAll(twice))
      fault = L"values change when they cross to a plug-in again: " + printedAll(once) + L" became " + printedAll(twice);
    return fault;
  } catch (const std::exception& e) {
    return L"a value read has no result-buffer form: " + acutUtf8ToWide(e.what());
  }
}

}  // namespace

FuzzOutcome fuzzHdwInput(const std::uint8_t* data, std::size_t size) {
  FuzzOutcome outcome = readBytes(data, size, ".hdw", &AcDbDatabase::readDwgFile);
  const std::vector<unsigned char> original(data, data + size);
  std::vector<unsigned char> repaired = original;
  hdwRepairCrc(repaired);
  if (repaired != original) {
    FuzzOutcome deeper = readBytes(repaired.data(), repaired.size(), ".hdw", &AcDbDatabase::readDwgFile);
    if (outcome.consistent && !deeper.consistent) {
      outcome.consistent = false;
      outcome.fault = L"with the checksum repaired: " + deeper.fault;
    }
  }
  return outcome;
}

FuzzOutcome fuzzDxfInput(const std::uint8_t* data, std::size_t size) {
  return readBytes(data, size, ".dxf", &AcDbDatabase::dxfIn);
}

FuzzOutcome fuzzLispInput(const std::uint8_t* data, std::size_t size) {
  FuzzOutcome outcome;
  std::vector<LispValue> forms;
  std::wstring error;
  outcome.loaded = lispReadAll(std::string(reinterpret_cast<const char*>(data), size), forms, error);
  if (!outcome.loaded) {
    outcome.error = error;
    if (error.empty()) outcome.fault = L"refused without a message";
  }
  if (outcome.fault.empty()) outcome.fault = printFault(forms);
  if (outcome.fault.empty()) outcome.fault = crossingFault(forms);
  outcome.consistent = outcome.fault.empty();
  return outcome;
}
