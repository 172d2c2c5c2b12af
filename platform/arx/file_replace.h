// Writing a file so that a failure never leaves a half-written file where a good one
// was: the data goes beside the target first and is then renamed over it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "arx/status.h"

Acad::ErrorStatus acdbWriteFileReplacing(const std::string& path, const void* data, std::size_t size,
                                         std::wstring& error, const char* tempSuffix = ".writing");

// Takes one piece of a file being written; answers false when it could not be written.
using AcDbFilePieceWriter = std::function<bool(const void* data, std::size_t size)>;

// Copies size bytes at offset of another open file (descriptor fd) into the file being
// written, after what was written so far, and answers how many it copied: the caller
// writes the rest itself (a system that cannot copy between these files copies none).
using AcDbFileRangeCopier = std::function<std::uint64_t(int fd, std::uint64_t offset, std::uint64_t size)>;

// The same for a file made piece by piece, so that a large file never has to be held
// in memory whole. `produce` hands its pieces to the writer it is given and answers
// eOk, or an error with the reason in error, in which case nothing is replaced.
Acad::ErrorStatus acdbWriteFileReplacing(const std::string& path,
                                         const std::function<Acad::ErrorStatus(const AcDbFilePieceWriter&)>& produce,
                                         std::wstring& error, const char* tempSuffix = ".writing");
// The same again, with a copier for runs of another file: the system copies them from
// file to file (copy_file_range), so their bytes never pass through this process.
Acad::ErrorStatus acdbWriteFileReplacing(
    const std::string& path,
    const std::function<Acad::ErrorStatus(const AcDbFilePieceWriter&, const AcDbFileRangeCopier&)>& produce,
    std::wstring& error, const char* tempSuffix = ".writing");
