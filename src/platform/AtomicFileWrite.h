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

// Whether the new content reaches the disk before it replaces the old.
// Without the flush a power cut may leave an empty or older file: good
// enough for a file that only spares work, as a cache does, and far
// cheaper when the file is saved again and again.
enum class SaveDurability { Flushed, Unflushed };

// kErrorSuccess once the file at path holds exactly bytes. A read-only
// target, or a folder or device standing at path, is kErrorAccessDenied on
// both ports, a missing folder kErrorPathNotFound; else the error of the
// step that failed. The new file takes over the permissions of the file it replaces
// (posix).
Win32Error WriteFileAtomically(const std::string& path, const std::string& bytes,
                               SaveDurability durability = SaveDurability::Flushed);

}  // namespace platform
