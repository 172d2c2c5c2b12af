// AcDbDatabase::dxfIn and dxfOut: DXF files on disk over the text forms of
// dxf_in.cpp and dxf_out.cpp.
#include "arx/dxf_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "arx/aced_print.h"

namespace {

std::wstring quoted(const ACHAR* fileName) { return std::wstring(L"\"") + fileName + L"\""; }

// Writes beside the target first and renames, so that a failed export never leaves a
// half-written file where a good one was.
Acad::ErrorStatus writeReplacing(const std::string& path, const std::string& text, std::wstring& error) {
  std::string temp = path + ".writing";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (out) out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out || !out.flush()) {
      std::remove(temp.c_str());
      error = L"cannot write the file";
      return Acad::eFileAccessErr;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    error = L"cannot replace the file";
    return Acad::eFileAccessErr;
  }
  return Acad::eOk;
}

}  // namespace

Acad::ErrorStatus acdbDxfIn(AcDbDatabase& db, const ACHAR* fileName, AcDbDxfInSummary* summary) {
  if (fileName == nullptr || *fileName == 0) {
    db.setLastFileError(L"dxfIn: no file name");
    return Acad::eInvalidInput;
  }
  std::ifstream in(acutWideToUtf8(fileName), std::ios::binary);
  if (!in) {
    db.setLastFileError(quoted(fileName) + L": the file cannot be opened (missing or not readable)");
    return Acad::eFileNotFound;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    db.setLastFileError(quoted(fileName) + L": the file cannot be read");
    return Acad::eFileAccessErr;
  }
  std::wstring error;
  Acad::ErrorStatus es = acdbDxfInFromText(db, text, summary, error);
  if (es != Acad::eOk) {
    db.setLastFileError(quoted(fileName) + L": " + error);
    return es;
  }
  db.setLastFileError(L"");
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::dxfIn(const ACHAR* fileName) { return acdbDxfIn(*this, fileName, nullptr); }

Acad::ErrorStatus AcDbDatabase::dxfOut(const ACHAR* fileName, int precision, bool flatten) {
  if (fileName == nullptr || *fileName == 0) {
    setLastFileError(L"dxfOut: no file name");
    return Acad::eInvalidInput;
  }
  std::string text;
  std::wstring error;
  Acad::ErrorStatus es = acdbDxfOutToText(*this, text, precision, flatten, error);
  if (es == Acad::eOk) es = writeReplacing(acutWideToUtf8(fileName), text, error);
  if (es != Acad::eOk) {
    setLastFileError(quoted(fileName) + L": " + error);
    return es;
  }
  setLastFileError(L"");
  return Acad::eOk;
}
