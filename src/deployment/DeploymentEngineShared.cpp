// A deployment an administrator made once for all users: the common
// descriptor marks it shared, and a user in isolated mode runs the client
// from it while keeping a small isolated folder of their own, recorded in
// their isolated descriptor.
#include "deployment/DeploymentEngine.h"
#include "deployment/DescriptorLock.h"
#include "deployment/IniSections.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/TextCompare.h"

namespace {

void LogInfo(const char* operation, const std::string& message) {
  SimpleLogger::GetInstance()->Info(std::string("DeploymentEngine::") + operation, message);
}

}  // namespace

bool DeploymentEngine::CheckCommonDescriptorForSharedInstallation(const std::string& serverKey,
                                                                  std::string& folder) {
  constexpr char kOperation[] = "CheckCommonDescriptorForSharedInstallation";
  CIniFile common;
  if (!LoadDescriptor(CommonDescriptorPath(), common)) {
    LogInfo(kOperation, "Can't read common descriptor.");
    return false;
  }
  if (!deployment::HasSection(common, serverKey)) {
    LogInfo(kOperation, "URL entry not found in common descriptor.");
    return false;
  }
  const std::string found = common.GetValue(serverKey, "Folder");
  if (found.empty()) {
    LogInfo(kOperation, "Folder value is empty in common descriptor.");
    return false;
  }
  if (platform::CodePageEqualsNoCase(common.GetValue(serverKey, "SharedDeployment"), "Y")) {
    LogInfo(kOperation, "Shared installation folder found in common descriptor.");
    folder = found;
    return true;
  }
  LogInfo(kOperation, "The deployment folder found in common descriptor, but not shared.");
  return false;
}

bool DeploymentEngine::ReadIsolatedDescriptor(const std::string& serverKey, std::string& folder,
                                              bool& runFromShared) {
  CIniFile isolated;
  LoadDescriptor(IsolatedDescriptorPath(), isolated);
  const std::string found = isolated.GetValue(serverKey, "Folder");
  if (found.empty()) return false;
  folder = found;
  runFromShared =
      platform::CodePageEqualsNoCase(isolated.GetValue(serverKey, "RunFromSharedFolder"), "Y");
  return true;
}

void DeploymentEngine::AddIsolatedDescriptorWithFolderPath(const std::string& serverKey,
                                                           const std::string& folder) {
  constexpr char kLocation[] = "DeploymentEngine::AddIsolatedDescriptorWithFolderPath";
  const std::string path = IsolatedDescriptorPath();
  {
    const DescriptorLock lock(path, kLocation);
    CIniFile isolated;
    isolated.Load(path);
    isolated.AddSection(serverKey, {{"Folder", folder}, {"RunFromSharedFolder", "Y"}});
    SaveDescriptor(isolated, path, kLocation);
  }
  LogInfo("AddIsolatedDescriptorWithFolderPath", "Isolated descriptor was updated with:" + serverKey);
}

void DeploymentEngine::UpdateIsolatedDescriptorWithFolderPath(const std::string& serverKey) {
  constexpr char kLocation[] = "DeploymentEngine::UpdateIsolatedDescriptorWithFolderPath";
  const std::string path = IsolatedDescriptorPath();
  {
    const DescriptorLock lock(path, kLocation);
    CIniFile isolated;
    isolated.Load(path);
    isolated.MergeIntoSection(serverKey, {{"RunFromSharedFolder", "Y"}});
    SaveDescriptor(isolated, path, kLocation);
  }
  LogInfo("UpdateIsolatedDescriptorWithFolderPath",
          "Isolated descriptor was updated with:" + serverKey);
}

void DeploymentEngine::DiscoverIfSharedDeployment() {
  constexpr char kOperation[] = "DiscoverIfSharedDeployment";
  const bool isolatedDeployment = settings_.IsolatedDeployment();
  const bool sharedMode = settings_.SharedMode();
  const bool debugClient = settings_.DebugClient();
  const bool vuvoViziz =
      platform::CodePageEqualsNoCase(settings_.SetupFileName(), kVuvoVizizSetupFile);
  if (!isolatedDeployment || sharedMode || debugClient || (vuvoViziz && !localMode_)) {
    LogInfo(kOperation,
            Format("DeploymentEngine:DiscoverSharedDeployment Discovery of shared deployment "
                   "skipped so do not consume files from it. Isolated deployment=%s, Shared "
                   "deployment=%s, DebugClient=%s, VuvoViziz deployment=%s, Local deployment=%s",
                   BoolToString(isolatedDeployment).c_str(), BoolToString(sharedMode).c_str(),
                   BoolToString(debugClient).c_str(), BoolToString(vuvoViziz).c_str(),
                   BoolToString(localMode_).c_str()));
    return;
  }

  const std::string key = ServerKey();
  std::string shared;
  if (!CheckCommonDescriptorForSharedInstallation(key, shared)) {
    LogInfo(kOperation, "Shared deployment not found.");
    return;
  }

  std::string isolated;
  bool runFromShared = false;
  const bool hasIsolated = ReadIsolatedDescriptor(key, isolated, runFromShared);
  if (hasIsolated) {
    CIniFile merged;
    const bool isolatedMerged = merged.Load(JoinPath(isolated, MergedSetupFileName()));
    if (!runFromShared && isolatedMerged) {
      // The user keeps the isolated deployment of their own.
      LogInfo(kOperation, "Shared deployment was found, but isolated deployment exists.");
      return;
    }
    if (!isolatedMerged) UpdateIsolatedDescriptorWithFolderPath(key);
  } else {
    isolated = CreateUniqueFolder(ParsedDestination(true), BaseNameFor(key));
    AddIsolatedDescriptorWithFolderPath(key, isolated);
  }

  CreateDirectoryPath(isolated, false, true);
  isolatedFolder_ = isolated;
  sharedFolder_ = shared;
  LogInfo(kOperation, Format("Shared deployment has been found for %s. Shared folder:%s Isolated "
                             "folder:%s",
                             key.c_str(), sharedFolder_.c_str(), isolatedFolder_.c_str()));
}

bool DeploymentEngine::CheckIfSharedRegistrationNeeded() {
  constexpr char kOperation[] = "CheckIfSharedRegistrationNeeded";
  if (registrationChecked_) return registrationNeeded_;
  CIniFile userMerged;
  if (!userMerged.Load(GetMergedSetupPath(true))) {
    LogInfo(kOperation, "merged setup file not found in local storage, registration required");
    registrationNeeded_ = true;
  } else {
    // The rights mark says who made each copy, not what was registered: the
    // user's copy carries the user's rights and the shared one the
    // administrator's, and that difference alone needs no registration.
    CIniFile shared = LoadPreviousMergedSetup();
    SetDeployedWithAdmin(userMerged, "");
    SetDeployedWithAdmin(shared, "");
    CIniFile::NameSet changed;
    registrationNeeded_ = userMerged.CollectChangedSections(shared, changed);
    LogInfo(kOperation, registrationNeeded_
                            ? "merged setup files are different, registration required"
                            : "merged setup files are identical, registration skipped");
  }
  registrationChecked_ = true;
  return registrationNeeded_;
}
