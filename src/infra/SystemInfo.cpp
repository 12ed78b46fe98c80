#include "infra/SystemInfo.h"

#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"
#include "platform/SystemFacts.h"

std::string FormatFileVersion(const platform::FileVersion& version) {
  return Format("%d.%d.%d.%d", static_cast<int>(version.mostSignificant >> 16),
                static_cast<int>(version.mostSignificant & 0xFFFF),
                static_cast<int>(version.leastSignificant >> 16),
                static_cast<int>(version.leastSignificant & 0xFFFF));
}

std::string GetLoaderVersion() {
  platform::FileVersion version;
  switch (platform::ReadOwnModuleVersion(version)) {
    case platform::OwnVersionStatus::Found:
      return FormatFileVersion(version);
    case platform::OwnVersionStatus::ModulePathUnavailable:
      return "UNKNOWN_VERSION";
    case platform::OwnVersionStatus::NoVersionResource:
      break;
  }
  return {};
}

std::string GetFileVersionString(const std::string& path) {
  platform::FileVersion version;
  if (!platform::ReadFileVersion(path, version)) return {};
  return FormatFileVersion(version);
}

bool IsWindows8OrLater() {
  platform::OsVersion version;
  if (!platform::ReadOsVersion(version)) return false;
  return version.platformId == platform::kPlatformWin32Nt &&
         (version.major > 6 || (version.major == 6 && version.minor >= 2));
}

namespace {

std::string ShellFolderOrEmpty(platform::ShellFolder which) {
  std::string folder;
  if (!platform::QueryShellFolder(which, folder)) return {};
  return folder;
}

}  // namespace

std::string GetLocalAppDataFolder() {
  return ShellFolderOrEmpty(platform::ShellFolder::LocalAppData);
}

std::string GetCommonAppDataFolder() {
  return ShellFolderOrEmpty(platform::ShellFolder::CommonAppData);
}

std::string NewGuidString() {
  platform::Guid guid;
  if (!platform::CreateNewGuid(guid)) return {};
  return platform::GuidToText(guid);
}

bool FileExists(const std::string& path) {
  uint32_t attributes = 0;
  return platform::ReadPathAttributes(path, attributes);
}
