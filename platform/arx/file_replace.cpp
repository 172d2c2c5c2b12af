// Writing a file beside its target and renaming it over the target.
#include "arx/file_replace.h"

#include <cstdio>
#include <memory>

Acad::ErrorStatus acdbWriteFileReplacing(const std::string& path,
                                         const std::function<Acad::ErrorStatus(const AcDbFilePieceWriter&)>& produce,
                                         std::wstring& error, const char* tempSuffix) {
  std::string temp = path + tempSuffix;
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  if (file == nullptr) {
    error = L"cannot write the file";
    return Acad::eFileAccessErr;
  }
  bool written = true;
  AcDbFilePieceWriter writer = [&](const void* data, std::size_t size) {
    written = written && (size == 0 || std::fwrite(data, 1, size, file) == size);
    return written;
  };
  Acad::ErrorStatus es = produce(writer);
  const bool closed = std::fclose(file) == 0;
  if (es == Acad::eOk && (!written || !closed)) {
    error = L"cannot write the file";
    es = Acad::eFileAccessErr;
  }
  if (es != Acad::eOk) {
    std::remove(temp.c_str());
    return es;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    error = L"cannot replace the file";
    return Acad::eFileAccessErr;
  }
  return Acad::eOk;
}

Acad::ErrorStatus acdbWriteFileReplacing(const std::string& path, const void* data, std::size_t size,
                                         std::wstring& error, const char* tempSuffix) {
  return acdbWriteFileReplacing(
      path,
      [&](const AcDbFilePieceWriter& write) {
        write(data, size);  // the piece writer remembers a failed write and reports it
        return Acad::eOk;
      },
      error, tempSuffix);
}
