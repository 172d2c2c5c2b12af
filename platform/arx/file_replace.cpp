// Writing a file beside its target and renaming it over the target.
#include "arx/file_replace.h"

#include <cstdio>
#include <fstream>

Acad::ErrorStatus acdbWriteFileReplacing(const std::string& path, const void* data, std::size_t size,
                                         std::wstring& error, const char* tempSuffix) {
  std::string temp = path + tempSuffix;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (out) out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
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
