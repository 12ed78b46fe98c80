#include "environment/RuntimePrerequisites.h"

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"
#include "platform/FileVersion.h"
#include "platform/Registry.h"
#include "platform/SystemFacts.h"
#include "platform/TextCompare.h"

namespace {

constexpr char kNdpKey[] = "SOFTWARE\\Microsoft\\NET Framework setup\\NDP";
constexpr char kFrameworksLocation[] = "getDotNetFrameworks";
constexpr char kNetLocation[] = "CLoader::CheckNetFrameworkExists";
constexpr char kInstallerLocation[] = "CLoader::CheckWIndowsInstallerExists";

void Log(const char* location, const std::string& message) {
  SimpleLogger::GetInstance()->Info(location, message);
}

bool InstallIsOne(const platform::RegistryKey& key) {
  uint32_t install = 0;
  return key.ReadDword("Install", install) == platform::kErrorSuccess && install == 1;
}

// A DWORD value as "%d", 0 when it cannot be read.
std::string DwordText(const platform::RegistryKey& key, const char* name) {
  uint32_t number = 0;
  if (key.ReadDword(name, number) != platform::kErrorSuccess) number = 0;
  return Format("%d", static_cast<int>(number));
}

}  // namespace

bool getDotNetFrameworks(std::vector<std::string>& names, std::vector<std::string>& levels) {
  names.clear();
  levels.clear();
  platform::RegistryKey ndp;
  if (platform::RegistryKey::Open(platform::RegistryRoot::LocalMachine, kNdpKey,
                                  platform::RegistryAccess::Read, ndp) != platform::kErrorSuccess)
    return false;
  std::vector<std::string> subKeys;
  ndp.EnumerateSubKeys(subKeys);
  for (const std::string& name : subKeys) {
    if (name.empty() || name[0] != 'v') continue;
    const std::string versionKey = Format("%s\\%s", kNdpKey, name.c_str());
    platform::RegistryKey version;
    if (platform::RegistryKey::Open(platform::RegistryRoot::LocalMachine, versionKey,
                                    platform::RegistryAccess::Read,
                                    version) != platform::kErrorSuccess)
      continue;
    if (InstallIsOne(version)) {
      names.push_back(name);
      levels.push_back(DwordText(version, "SP"));
      continue;
    }
    // Frameworks from 4 on register under "Full" with a release number.
    platform::RegistryKey full;
    if (platform::RegistryKey::Open(platform::RegistryRoot::LocalMachine, versionKey + "\\Full",
                                    platform::RegistryAccess::Read,
                                    full) != platform::kErrorSuccess ||
        !InstallIsOne(full))
      continue;
    names.push_back(name);
    platform::RegistryValue release;
    if (full.QueryValue("Release", release) == platform::kErrorSuccess &&
        release.type == platform::RegistryValueType::Dword) {
      const std::string text = DwordText(full, "Release");
      Log(kFrameworksLocation, "Release = " + text);
      levels.push_back(text);
    } else {
      Log(kFrameworksLocation, "release not found");
      levels.push_back(DwordText(full, "SP"));
    }
  }
  return !names.empty();
}

uint32_t GetMsiVersion() {
  uint32_t major = 0, minor = 0;
  if (!platform::ReadLibraryDllVersion("msi.dll", major, minor)) return 0;
  return ((major & 0xFFFF) << 16) | (minor & 0xFFFF);
}

RuntimePrerequisites::RuntimePrerequisites(const EnvironmentSettings& settings)
    : settings_(settings) {}

bool RuntimePrerequisites::CheckNetFrameworkExists(const std::string& requiredVersion,
                                                   const std::string& requiredLevel) {
  if (settings_.SkipPreReqCheck()) {
    Log(kNetLocation, ".NET framework check skipped");
    return true;
  }
  Log(kNetLocation, Format("ForceDownload='%s', NETSP='%s'", requiredVersion.c_str(),
                           requiredLevel.c_str()));
  bool result = false;
  std::vector<std::string> names, levels;
  if (getDotNetFrameworks(names, levels)) {
    for (size_t i = 0; i < names.size(); ++i) {
      const int order = platform::CompareMultibyteNoCase(names[i], requiredVersion);
      if (order > 0) return true;  // a later framework; no result line
      if (order == 0) {
        result = platform::CompareMultibyteNoCase(levels[i], requiredLevel) >= 0;
        break;
      }
    }
  }
  Log(kNetLocation, Format("CheckNetFrameworkExists returns (BOOL)'%d'", result ? 1 : 0));
  return result;
}

bool RuntimePrerequisites::CheckWIndowsInstallerExists() {
  if (settings_.SkipPreReqCheck()) {
    Log(kInstallerLocation, "Windows Installer check skipped");
    return true;
  }
  std::string system;
  if (!platform::QuerySystemFolder(system)) return false;
  if (!platform::CanOpenForReading(JoinPath(system, "msi.dll"))) return false;
  return GetMsiVersion() >= kWindowsInstaller30;
}
