// AcDbDatabase::dxfIn and dxfOut: DXF files on disk over the text forms of
// dxf_in.cpp and dxf_out.cpp.
#include "arx/file_replace.h"
#include "arx/dxf_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "arx/aced_print.h"

namespace {

std::wstring quoted(const ACHAR* fileName) { return std::wstring(L"\"") + fileName + L"\""; }

Acad::ErrorStatus writeReplacing(const std::string& path, const std::string& text, std::wstring& error) {
  return acdbWriteFileReplacing(path, text.data(), text.size(), error);
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
