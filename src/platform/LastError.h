// The calling thread's last error code and the system's text for an error
// code. win32: GetLastError, SetLastError, FormatMessageA. posix: a value
// per thread that the posix port's window operations set, and the Windows
// texts of the error numbers the loader meets.
#pragma once

#include <string>

#include "platform/Win32Codes.h"

namespace platform {

Win32Error LastErrorCode();
void SetLastErrorCode(Win32Error error);

// FormatMessageA from the system table, language neutral, as it gives the
// text (usually ending in CR LF); empty when the system has none.
std::string SystemErrorMessage(Win32Error error);

}  // namespace platform
