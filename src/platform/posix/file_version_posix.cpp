#include "BuildVersion.h"
#include "platform/FileSystem.h"
#include "platform/FileVersion.h"
#include "platform/posix/pe_version_resource.h"

namespace platform {

bool ReadFileVersion(const std::string& path, FileVersion& version) {
  if (path.empty()) return false;
  return posix::ReadPeFileVersion(ToNativePath(path), version);
}

// The native loader is an ELF file with no version resource; it carries the
// version it was built with instead.
OwnVersionStatus ReadOwnModuleVersion(FileVersion& version) {
  version.mostSignificant = (uint32_t{VARNIK_VERSION_MAJOR} << 16) | VARNIK_VERSION_MINOR;
  version.leastSignificant = (uint32_t{VARNIK_VERSION_PATCH} << 16) | VARNIK_VERSION_TWEAK;
  return OwnVersionStatus::Found;
}

}  // namespace platform
