// Names the system works out for files: a file found along a search order,
// the short (8.3) form of a path, a new unique temporary file.
#pragma once

#include <string>

#include "platform/Win32Codes.h"

namespace platform {

// SearchPathA(folder, name) with a buffer of 260 characters: found gets the
// full path. An empty folder means the system's search order; a name with
// a folder of its own is only checked. kErrorFileNotFound when there is no
// such file, kErrorFilenameExcedRange when the answer would not fit.
// posix: with an empty folder the machine's system folder, its Windows
// folder and then the current folder are searched.
Win32Error SearchForFile(const std::string& folder, const std::string& name, std::string& found);

// GetShortPathNameA, asking for the length first. False when the path does
// not exist. posix: Linux file systems keep no 8.3 names, so the short form
// of an existing path is the path itself.
bool QueryShortPathName(const std::string& path, std::string& shortPath);

// GetTempFileNameA(folder, prefix, 0): creates a new empty file in folder
// named by the first three characters of prefix, four hexadecimal digits and
// ".tmp". False when the folder is missing or no name is free.
bool CreateTempFileName(const std::string& folder, const std::string& prefix, std::string& path);

}  // namespace platform
