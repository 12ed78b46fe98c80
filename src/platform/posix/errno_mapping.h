// The posix port's one translation of errno into the Win32 error the same
// failure gives on Windows.
#pragma once

#include <string>

#include "platform/Win32Codes.h"

namespace platform::posix {

// otherwise is the answer for an errno Windows has no counterpart for: the
// file calls answer ERROR_INVALID_PARAMETER, the registry
// ERROR_REGISTRY_IO_FAILED.
Win32Error Win32ErrorFromErrno(int error, Win32Error otherwise = kErrorInvalidParameter);

// The error of a failed call on hostPath. A missing entry is
// ERROR_FILE_NOT_FOUND when its folder exists and ERROR_PATH_NOT_FOUND when
// not, as CreateFile and DeleteFile tell them apart.
Win32Error Win32ErrorForPath(int error, const std::string& hostPath);

}  // namespace platform::posix
