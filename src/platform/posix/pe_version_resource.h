// The file version of a PE image (.exe, .dll), read from its version
// resource the way GetFileVersionInfoA and VerQueryValueA("\\") find it, but
// without loading the image: resource type RT_VERSION, name 1, the
// language-neutral entry else the first language, then VS_VERSIONINFO's
// VS_FIXEDFILEINFO. Files come from anywhere (downloads included), so every
// offset and size is checked before it is used; a damaged file only ever
// gives "no version".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileVersion.h"

namespace platform::posix {

// An image held in memory.
bool ParsePeFileVersion(const uint8_t* data, size_t size, FileVersion& version);

// An image on the host file system; only the few structures on the way to
// the version are read, not the whole file.
bool ReadPeFileVersion(const std::string& hostPath, FileVersion& version);

// The whole VS_VERSIONINFO block as GetFileVersionInfoA hands it out (the
// resource data, not converted); false when the file has no sound one.
bool ReadPeVersionBlock(const std::string& hostPath, std::vector<uint8_t>& block);

}  // namespace platform::posix
