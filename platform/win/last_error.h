// The calling thread's last error code, as the platform keeps it for every failing
// system call.
#pragma once

#include "win/windows_types.h"

DWORD GetLastError();
void SetLastError(DWORD code);
