// Version resources of executable files. win32: GetFileVersionInfoA and
// VerQueryValueA. posix: the PE file's own resource section is read.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The two double words of VS_FIXEDFILEINFO's file version.
struct FileVersion {
  uint32_t mostSignificant = 0;
  uint32_t leastSignificant = 0;
};

// False when the file cannot be read or has no usable version resource.
bool ReadFileVersion(const std::string& path, FileVersion& version);

enum class OwnVersionStatus { Found, NoVersionResource, ModulePathUnavailable };

// The version of the module this code is linked into (varnik.dll, or the
// executable it is part of). On posix it is the version the build carries.
OwnVersionStatus ReadOwnModuleVersion(FileVersion& version);

}  // namespace platform
