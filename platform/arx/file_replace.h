// Writing a file so that a failure never leaves a half-written file where a good one
// was: the data goes beside the target first and is then renamed over it.
#pragma once

#include <cstddef>
#include <string>

#include "arx/status.h"

Acad::ErrorStatus acdbWriteFileReplacing(const std::string& path, const void* data, std::size_t size,
                                         std::wstring& error, const char* tempSuffix = ".writing");
