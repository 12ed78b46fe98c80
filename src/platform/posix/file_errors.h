// The Win32 error number the posix port answers for a failed file call.
#pragma once

#include <string>

#include "platform/Win32Codes.h"

namespace platform::posix {

Win32Error FileErrorFromErrno(int error);

// What Windows reports for a host path that names nothing: the file is
// missing when its folder exists, else the path.
Win32Error MissingEntryError(const std::string& hostPath);

}  // namespace platform::posix
