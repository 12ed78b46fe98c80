// Files and folders addressed by Windows paths ("C:\dir\name",
// "\\server\share\name", with or without the "\\?\" prefix). The win32 port
// hands the path to the system as it is; the posix port maps it into the
// machine root (C:\ is drive_c/, \\server\share is unc/server/share) at the
// moment it touches the disk, reading it as Windows does
// (posix/windows_path.h): a "\\?\" path literally, a name Windows refuses as
// kErrorInvalidName, other names matched without regard to case.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/Win32Codes.h"

namespace platform {

// FILE_ATTRIBUTE_* numbers.
constexpr uint32_t kFileAttributeReadOnly = 0x01;
constexpr uint32_t kFileAttributeHidden = 0x02;
constexpr uint32_t kFileAttributeSystem = 0x04;
constexpr uint32_t kFileAttributeDirectory = 0x10;
constexpr uint32_t kFileAttributeArchive = 0x20;
constexpr uint32_t kFileAttributeDevice = 0x40;
constexpr uint32_t kFileAttributeNormal = 0x80;
// A symbolic link or junction; with the directory bit it links a folder.
// posix: a symbolic link (the other bits describe what it points to, when
// it points anywhere).
constexpr uint32_t kFileAttributeReparsePoint = 0x400;

// The path the C and C++ runtimes of this build open for a Windows path.
std::string ToNativePath(const std::string& path);

// GetFileAttributesA: false when nothing can be found at the path.
bool ReadPathAttributes(const std::string& path, uint32_t& attributes);

// SHCreateDirectoryExA: creates the folder and every missing parent.
// kErrorSuccess when created, kErrorAlreadyExists when the folder exists,
// kErrorFileExists when a file stands there (SHCreateDirectoryExA itself
// answers "already exists" for both), kErrorBadPathname for a path that is
// not absolute, else the error that stopped it.
Win32Error CreateDirectoryWithParents(const std::string& path);

// DeleteFileA: folders and files marked read-only are not deleted
// (kErrorAccessDenied). A link to a file is removed itself, never what it
// names.
Win32Error DeletePath(const std::string& path);

// RemoveDirectoryA: an empty folder, or a link to a folder (symbolic link
// or junction), which is removed as a link without touching its target.
Win32Error RemoveFolder(const std::string& path);

// CopyFileA(source, target, FALSE): the target is replaced when it exists.
Win32Error CopyFileReplacing(const std::string& source, const std::string& target);

// CreateFileA for reading with shared reading, an existing file only
// (OPEN_EXISTING), closed again at once: true when that succeeds. A folder
// cannot be opened this way.
bool CanOpenForReading(const std::string& path);

// FindFirstFileA / FindNextFileA over "folder\mask" ("*" and "?" wildcards,
// matched without regard to case; a final ".*" also matches names without
// an extension, so "*.*" matches every name). Entries come in the order the
// file system gives them; "." and ".." are not listed.
struct FoundEntry {
  std::string name;
  uint32_t attributes = 0;
  uint64_t size = 0;
};
Win32Error FindEntries(const std::string& pattern, std::vector<FoundEntry>& entries);

struct StdioFileCloser {
  void operator()(FILE* file) const {
    if (file) std::fclose(file);
  }
};
using UniqueStdioFile = std::unique_ptr<FILE, StdioFileCloser>;

// fopen on the mapped path. win32: paths of MAX_PATH characters or more
// work here and in ReadPathAttributes, DeletePath and FileTimes.h as shorter
// ones do (win32/system_path_win.h).
FILE* OpenStdioFile(const std::string& path, const char* mode);

// fopen for a file only its owner may read: posix creates it with mode
// 0600 (and takes that mode from an older file of the name); win32 opens it
// as fopen does, the user's own folders already being private.
FILE* OpenPrivateStdioFile(const std::string& path, const char* mode);

// Puts the file at source in place of target in one step, so that target
// holds the old file or the new one at every moment; on success source is
// gone. The file gets what a new file at target would get. win32: a moved
// file keeps the permissions of the folder it came from, so source is
// copied beside target (CopyFileA) and the copy renamed over it (MoveFileExA
// with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH). posix: source is
// renamed over target, or copied beside it first when the two lie on
// different file systems. A target in use (win32), or one that cannot be
// replaced, gives the error that stopped it and is left as it was.
Win32Error PlaceFileReplacing(const std::string& source, const std::string& target);

}  // namespace platform
