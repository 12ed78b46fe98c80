// Facts about the machine and the loader itself, in the forms the rest of
// the loader uses them. Stateless.
#pragma once

#include <string>

#include "platform/FileVersion.h"

// The loader's own file version, "%d.%d.%d.%d"; "UNKNOWN_VERSION" when the
// module's path cannot be had, empty when it has no version resource.
std::string GetLoaderVersion();

// The file's version, "%d.%d.%d.%d"; empty when it has no version resource.
std::string GetFileVersionString(const std::string& path);

std::string FormatFileVersion(const platform::FileVersion& version);

// NT platform and 6.2 (Windows 8) or later.
bool IsWindows8OrLater();

// The per-user local and the all-users application-data folders, created
// when missing; empty on failure.
std::string GetLocalAppDataFolder();
std::string GetCommonAppDataFolder();

// A new GUID as lower-case text with hyphens and no braces; empty on
// failure.
std::string NewGuidString();

// True when the path's attributes can be read.
bool FileExists(const std::string& path);
