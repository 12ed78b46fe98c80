#include "BuildVersion.h"
#include "infra/LittleEndian.h"
#include "platform/FileSystem.h"
#include "platform/FileVersion.h"
#include "platform/SystemFacts.h"
#include "platform/posix/pe_version_resource.h"
#include "platform/posix/version_block.h"
#include "platform/posix/wide_text.h"

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

VersionResource::Status VersionResource::Load(const std::string& path) {
  block_.clear();
  if (path.empty() || !posix::ReadPeVersionBlock(ToNativePath(path), block_)) {
    block_.clear();
    return Status::NoResource;
  }
  return Status::Loaded;
}

bool VersionResource::QueryTranslations(std::vector<VersionTranslation>& translations) const {
  translations.clear();
  posix::VersionValue value;
  if (block_.empty() || !posix::QueryVersionBlock(block_, "\\VarFileInfo\\Translation", value))
    return false;
  for (size_t at = 0; at + 4 <= value.bytes.size(); at += 4) {
    VersionTranslation entry;
    entry.language = ReadLe16(&value.bytes[at]);
    entry.codePage = ReadLe16(&value.bytes[at + 2]);
    translations.push_back(entry);
  }
  return true;
}

bool VersionResource::QueryText(const std::string& subBlock, std::string& text) const {
  posix::VersionValue value;
  if (block_.empty() || !posix::QueryVersionBlock(block_, subBlock, value)) return false;
  // The text ends at its first zero unit, as the C string VerQueryValueA
  // hands out does.
  std::string units;
  for (size_t at = 0; at + 2 <= value.bytes.size(); at += 2) {
    if (value.bytes[at] == 0 && value.bytes[at + 1] == 0) break;
    units.push_back(static_cast<char>(value.bytes[at]));
    units.push_back(static_cast<char>(value.bytes[at + 1]));
  }
  return posix::Utf16LeToUtf8(units, text);
}

// Nothing is loaded on posix: the library's version resource in the
// system folder stands for what its DllGetVersion would report.
bool ReadLibraryDllVersion(const std::string& library, uint32_t& major, uint32_t& minor) {
  std::string system;
  FileVersion version;
  if (library.empty() || !QuerySystemFolder(system) ||
      !ReadFileVersion(system + "\\" + library, version))
    return false;
  major = version.mostSignificant >> 16;
  minor = version.mostSignificant & 0xFFFF;
  return true;
}

}  // namespace platform
