// AcDbDatabase::dxfIn and dxfOut: DXF files on disk over the text forms of
// dxf_in.cpp and dxf_out.cpp.
#include "arx/file_replace.h"
#include "arx/dxf_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "arx/aced_print.h"
#include "arx/dxf_filer_mem.h"

namespace {

std::wstring quoted(const ACHAR* fileName) { return std::wstring(L"\"") + fileName + L"\""; }

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
  // The whole file in one read: the parser works on it in place.
  std::string text;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size > 0) {
    in.seekg(0, std::ios::beg);
    text.reserve(static_cast<size_t>(size));
    acdbAdviseLargeBuffer(text.data(), text.capacity());
    text.resize(static_cast<size_t>(size));
    in.read(text.data(), size);
    text.resize(static_cast<size_t>(in.gcount()));
  } else if (size < 0) {
    // A pipe or another file that cannot seek: read it as it comes.
    in.clear();
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
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
  std::string header, body;
  std::wstring error;
  Acad::ErrorStatus es = acdbDxfOutToPieces(*this, header, body, precision, flatten, error);
  if (es == Acad::eOk)
    es = acdbWriteFileReplacing(
        acutWideToUtf8(fileName),
        [&](const AcDbFilePieceWriter& write) {
          // A failed write is found by the check after the last piece.
          if (write(header.data(), header.size())) write(body.data(), body.size());
          return Acad::eOk;
        },
        error);
  if (es != Acad::eOk) {
    setLastFileError(quoted(fileName) + L": " + error);
    return es;
  }
  setLastFileError(L"");
  return Acad::eOk;
}
