#include "deployment/PathMacros.h"

#include <exception>

#include "deployment/DeploymentNames.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/Environment.h"

namespace {

constexpr char kParsePathLocation[] = "CLoader::ParsePath";
constexpr char kWorkingFolderLocation[] = "CLoader::GetLocalWNTempDir";

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// Folder answers that may end in "\" are joined onto macro paths that bring
// their own separator.
std::string WithoutTrailingSeparator(std::string folder) {
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

}  // namespace

PathMacros::PathMacros(DeploymentSettings& settings, const CIniFile& mergedSetup,
                       FailureTrace& failures, SystemFolders& folders)
    : settings_(settings), mergedSetup_(mergedSetup), failures_(failures), folders_(folders) {}

std::string PathMacros::Destination() {
  if (destination_.empty()) destination_ = mergedSetup_.GetValue("Common Data", "Destination");
  if (settings_.MsiDeployment()) destination_ = kMsiDestination;
  return destination_;
}

void PathMacros::ParsePath(std::string& path, bool useDestination) {
  ParsePath(path, useDestination, settings_.IsolatedDeployment());
}

void PathMacros::ParsePath(std::string& path, bool useDestination, bool perUser) {
  bool ok = true;
  if (useDestination) {
    const std::string destination = Destination();
    if (destination.empty()) {
      ok = false;
    } else {
      path = destination;
    }
  }

  if (Contains(path, "%WN%")) {
    std::string value;
    if (platform::ReadEnvironmentVariable("WN", value)) {
      if (value.empty() || value.back() != '\\') value += '\\';
      path = ReplaceAll(path, "%WN%", value);
    }
  }

  // Only the first kind of macro found is expanded.
  if (Contains(path, "%TempDir%")) {
    ok = SubstituteFolder(path, "%TempDir%", &SystemFolders::TempFolder) && ok;
  } else if (Contains(path, "%WindowsDir%")) {
    ok = SubstituteFolder(path, "%WindowsDir%", &SystemFolders::WindowsFolder) && ok;
  } else if (Contains(path, "%SystemDir%")) {
    ok = SubstituteFolder(path, "%SystemDir%", &SystemFolders::SystemFolder) && ok;
  } else if (Contains(path, "%ProgramDir%") || Contains(path, "%CommonDir%")) {
    ok = SubstituteInstallFolders(path) && ok;
  } else if (Contains(path, "%AppData%")) {
    ok = SubstituteAppData(path, perUser) && ok;
  }

  if (!ok) path = GetLocalWNTempDir();
  SimpleLogger::GetInstance()->Info(kParsePathLocation, Format("Path=%s", path.c_str()));
}

bool PathMacros::SubstituteFolder(std::string& path, const char* macro,
                                  bool (SystemFolders::*lookup)(std::string&)) {
  std::string folder;
  if (!(folders_.*lookup)(folder)) {
    failures_.TraceError(path, "");
    return false;
  }
  path = ReplaceAll(path, macro, WithoutTrailingSeparator(folder));
  return true;
}

bool PathMacros::SubstituteInstallFolders(std::string& path) {
  SystemFolders::InstallFolders values;
  if (!folders_.ReadInstallFolders(values)) return false;
  // A value is needed only when its macro is in the path: a missing
  // CommonFilesDir must not spoil a path that names only %ProgramDir%.
  bool ok = true;
  const struct {
    const char* macro;
    const std::optional<std::string>& value;
  } macros[] = {{"%ProgramDir%", values.programFiles}, {"%CommonDir%", values.commonFiles}};
  for (const auto& entry : macros) {
    if (!Contains(path, entry.macro)) continue;
    if (!entry.value) {
      failures_.TraceError(path, "");
      ok = false;
      continue;
    }
    path = ReplaceAll(path, entry.macro, WithoutTrailingSeparator(*entry.value));
  }
  return ok;
}

bool PathMacros::SubstituteAppData(std::string& path, bool perUser) {
  std::string folder;
  if (!folders_.AppDataFolder(perUser, folder)) folder.clear();
  const bool found = !folder.empty();
  if (!found) failures_.TraceError(path, "Failed to calculate %AppData%");
  path = ReplaceAll(path, "%AppData%", folder);
  return found;
}

std::string PathMacros::GetLocalWNTempDir() {
  std::string folder;
  if (!folders_.TempFolder(folder) && !folders_.WindowsFolder(folder)) folder = "C:\\";
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  folder += "TK_80";
  const std::string name = DeploymentFolderName();
  if (!name.empty()) folder += "\\" + name;
  folder += "\\Loader";
  SimpleLogger::GetInstance()->Info(kWorkingFolderLocation,
                                    Format("Local working folder:%s", folder.c_str()));
  return folder;
}

std::string PathMacros::DeploymentFolderName() {
  if (!deploymentState_ || !deploymentState_->IsRootKnown() || !settings_.IsolatedDeployment())
    return {};
  try {
    return deployment::LastPathComponent(deploymentState_->GetCurrentDeploymentFolder());
  } catch (const std::exception& error) {
    // The folder's own failure is reported where it is asked for; here it
    // only means there is no name to add.
    SimpleLogger::GetInstance()->Warning(kWorkingFolderLocation, error.what());
  }
  return {};
}
