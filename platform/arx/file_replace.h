// Writing a file so that a failure never leaves a half-written file where a good one
// was: the data goes beside the target first and is then renamed over it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "arx/status.h"

Acad::ErrorStatus acdbWriteFileReplacing(const std::string& path, const void* data, std::size_t size,
                                         std::wstring& error, const char* tempSuffix = ".writing");

// Takes one piece of a file being written; answers false when it could not be written.
using AcDbFilePieceWriter = std::function<bool(const void* data, std::size_t size)>;

// The same for a file made piece by piece, so that a large file never has to be held
// in memory whole. `produce` hands its pieces to the writer it is given and answers
// eOk, or an error with the reason in error, in which case nothing is replaced.
Acad::ErrorStatus acdbWriteFileReplacing(const std::string& path,
                                         const std::function<Acad::ErrorStatus(const AcDbFilePieceWriter&)>& produce,
                                         std::wstring& error, const char* tempSuffix = ".writing");
