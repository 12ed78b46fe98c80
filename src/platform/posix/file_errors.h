// The Win32 error number the posix port answers for a failed file call.
#pragma once

#include "platform/Win32Codes.h"

namespace platform::posix {

Win32Error FileErrorFromErrno(int error);

}  // namespace platform::posix
