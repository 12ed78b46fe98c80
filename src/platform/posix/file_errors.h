// The posix port's one translation of errno into the Win32 error the same
// failure gives on Windows.
#pragma once

#include <string>

#include "platform/Win32Codes.h"

namespace platform::posix {

// ERROR_FILE_NOT_FOUND for a missing entry; ERROR_INVALID_PARAMETER for an
// errno Windows has no counterpart for.
Win32Error FileErrorFromErrno(int error);

// The error of a failed call on hostPath. A missing entry is
// ERROR_FILE_NOT_FOUND when its folder exists and ERROR_PATH_NOT_FOUND when
// not, as CreateFile and DeleteFile tell them apart.
Win32Error FileErrorForPath(int error, const std::string& hostPath);

}  // namespace platform::posix
