// The fuzz targets' work on one input: write it to a file, let the host read it, and
// when the host accepts it, check that what it accepted saves and reads back.
#include "fuzz_inputs.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "arx/aced_print.h"
#include "arx/db_database.h"
#include "arx/hdw_format.h"

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
