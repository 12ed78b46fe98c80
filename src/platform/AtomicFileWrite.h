// Saving a whole file so that nobody ever sees part of it: the content goes
// into a new file beside the target, which then replaces the target by a
// rename. A reader finds the old content or the new, never a mix, and a
// failure at any step leaves the old file as it was. win32: CreateFileA,
// FlushFileBuffers, MoveFileExA with MOVEFILE_REPLACE_EXISTING (retried
// for a moment while a reader still has the target open). posix: open,
// fsync, rename.
#pragma once

#include <string>

#include "platform/Win32Codes.h"

namespace platform {

// kErrorSuccess once the file at path holds exactly bytes. A read-only
// target, or a folder or device standing at path, is kErrorAccessDenied on
// both ports, a missing folder kErrorPathNotFound; else the error of the
// step that failed. The new file takes over the permissions of the file it replaces
// (posix).
Win32Error WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace platform
