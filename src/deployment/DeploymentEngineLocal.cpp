// Local deployment: an installation package has left "local setup info"
// files in the all-users application data folder that name, per server,
// where the package lies; the setup descriptors then come from there.
#include <stdexcept>
#include <vector>

#include "deployment/DeploymentEngine.h"
#include "deployment/DeploymentNames.h"
#include "deployment/IniSections.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"

namespace {

constexpr char kPackagePathKey[] = "InstallationPackagePath";

void LogInfo(const char* operation, const std::string& message) {
  SimpleLogger::GetInstance()->Info(std::string("DeploymentEngine::") + operation, message);
}

bool IsFolder(const std::string& path) {
  uint32_t attributes = 0;
  return platform::ReadPathAttributes(deployment::LongPathForm(path), attributes) &&
         (attributes & platform::kFileAttributeDirectory);
}

}  // namespace

void DeploymentEngine::InitializeLocalModeAnalysis() {
  constexpr char kOperation[] = "InitializeLocalModeAnalysis";
  LogInfo(kOperation, "Starting InitializeLocalModeAnalysis");
  std::string common;
  if (!folders_.AppDataFolder(false, common)) common.clear();
  localDataFolder_ = common + "\\QX\\ZEL-Client";
  // Without the all-users folder the remainder would name a folder on
  // whatever drive is current.
  if (!common.empty() && IsFolder(localDataFolder_)) {
    AnalyzeIniFilesInDirAndInitValues(localDataFolder_);
  } else {
    localMode_ = false;
  }
  LogInfo(kOperation, "Ending InitializeLocalModeAnalysis");
}

void DeploymentEngine::AnalyzeIniFilesInDirAndInitValues(const std::string& folder) {
  constexpr char kOperation[] = "AnalyzeIniFilesInDirAndInitValues";
  const std::string key = ServerKey();
  LogInfo(kOperation, "Starting AnalyzeIniFilesInDirAndInitValues");

  std::vector<platform::FoundEntry> entries;
  if (platform::FindEntries(deployment::LongPathForm(folder) + "\\local_setup_info_*.ini",
                            entries) != platform::kErrorSuccess) {
    LogInfo(kOperation, "No ini files matching the mask found!");
    localMode_ = false;
    LogInfo(kOperation, "Ending AnalyzeIniFilesInDirAndInitValues");
    return;
  }

  bool found = false;
  std::string packagePath;
  for (const platform::FoundEntry& entry : entries) {
    if (entry.attributes & (platform::kFileAttributeDirectory | platform::kFileAttributeDevice))
      continue;
    LogInfo(kOperation, "Found file: " + entry.name);
    if (entry.size == 0) continue;
    const std::string path = JoinPath(folder, entry.name);
    LogInfo(kOperation, "Reading file: " + path);
    CIniFile info;
    info.Load(path);
    if (!deployment::HasSection(info, key)) {
      LogInfo(kOperation,
              "Section matching server " + key + " not found in deployments ini file " + path);
      continue;
    }
    LogInfo(kOperation,
            "Found a section matching server " + key + " in merged deployments ini file!");
    found = true;
    packagePath = info.GetValue(key, kPackagePathKey);
    if (!packagePath.empty()) break;
    LogInfo(kOperation, path + " local setup info file is missing an " + kPackagePathKey +
                            " property for current url.");
    throw std::runtime_error("Invalid file structure");
  }

  localMode_ = found;
  if (found) {
    installationPackagePath_ = packagePath;
    packageUrl_ = deployment::PackageUrlFromPath(packagePath);
    LogInfo(kOperation, "Deployment mode set to be local.");
  }
  LogInfo(kOperation, "Ending AnalyzeIniFilesInDirAndInitValues");
}
