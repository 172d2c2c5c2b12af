// Writing a file beside its target and renaming it over the target.
#include "arx/file_replace.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

Acad::ErrorStatus acdbWriteFileReplacing(
    const std::string& path,
    const std::function<Acad::ErrorStatus(const AcDbFilePieceWriter&, const AcDbFileRangeCopier&)>& produce,
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
  // The stream's buffer goes out first; the copy then continues the file at the
  // descriptor's position, where the stream's next write goes on.
  AcDbFileRangeCopier copier = [&](int fd, std::uint64_t offset, std::uint64_t size) {
    written = written && std::fflush(file) == 0;
    auto from = static_cast<off_t>(offset);
    std::uint64_t done = 0;
    while (written && done < size) {
      const ssize_t n = copy_file_range(fd, &from, fileno(file), nullptr, static_cast<size_t>(size - done), 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::uint64_t>(n);
    }
    return done;
  };
  Acad::ErrorStatus es = produce(writer, copier);
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

Acad::ErrorStatus acdbWriteFileReplacing(const std::string& path,
                                         const std::function<Acad::ErrorStatus(const AcDbFilePieceWriter&)>& produce,
                                         std::wstring& error, const char* tempSuffix) {
  return acdbWriteFileReplacing(
      path, [&](const AcDbFilePieceWriter& write, const AcDbFileRangeCopier&) { return produce(write); }, error,
      tempSuffix);
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
