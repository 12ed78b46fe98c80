// The merged setup file of a deployment: where it lies, what it remembers of
// the last deployment (administrative rights, content flavour) and which
// sections a new merged setup changes.
#include "deployment/DeploymentEngine.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/TextCompare.h"

namespace {

constexpr char kCommonData[] = "Common Data";
constexpr char kDeployedWithAdmin[] = "DeployedWithAdmin";
constexpr char kLastFlavor[] = "LastFlavor";

}  // namespace

std::string DeploymentEngine::MergedSetupFileName() const {
  return "merged-" + settings_.SetupFileName();
}

std::string DeploymentEngine::GetMergedSetupPath(bool fromIsolatedFolder) {
  const std::string folder = fromIsolatedFolder ? isolatedFolder_ : GetCurrentDeploymentFolder();
  return JoinPath(folder, MergedSetupFileName());
}

const CIniFile& DeploymentEngine::LoadPreviousMergedSetup() {
  // A missing file reads as an empty table, not as the one loaded before.
  previousMergedSetup_ = CIniFile();
  previousMergedSetupLoaded_ = previousMergedSetup_.Load(GetMergedSetupPath(false));
  deployedWithAdmin_ = platform::CodePageEqualsNoCase(
      previousMergedSetup_.GetValue(kCommonData, kDeployedWithAdmin), "Y");
  lastFlavor_ = previousMergedSetup_.GetValue(kCommonData, kLastFlavor);
  return previousMergedSetup_;
}

std::string DeploymentEngine::GetLastFlavor() {
  LoadPreviousMergedSetup();
  return lastFlavor_;
}

bool DeploymentEngine::WasDeployedWithAdmin() {
  LoadPreviousMergedSetup();
  return deployedWithAdmin_;
}

void DeploymentEngine::SetDeployedWithAdmin(CIniFile& mergedSetup) {
  SetDeployedWithAdmin(mergedSetup, settings_.UserIsAdmin() ? "Y" : "N");
}

void DeploymentEngine::SetDeployedWithAdmin(CIniFile& mergedSetup, const std::string& value) {
  mergedSetup.SetCurrentSection(kCommonData);
  mergedSetup.SetValue(kDeployedWithAdmin, value);
}

void DeploymentEngine::SetLastFlavor(CIniFile& mergedSetup, const std::string& flavor) {
  mergedSetup.SetCurrentSection(kCommonData);
  mergedSetup.SetValue(kLastFlavor, flavor);
}

bool DeploymentEngine::SaveMergedSetup(CIniFile& mergedSetup) {
  SetDeployedWithAdmin(mergedSetup);
  // A user running from a shared folder records what they registered in
  // their own isolated folder.
  const std::string path = GetMergedSetupPath(!sharedFolder_.empty());
  if (mergedSetup.Save(path)) return true;
  SimpleLogger::GetInstance()->Error("DeploymentEngine::SaveMergedSetup",
                                     "Failed writing the merged setup file " + path);
  return false;
}

bool DeploymentEngine::GetChangedSections(CIniFile& newMerged, CIniFile::NameSet& changed) {
  const CIniFile& previous = LoadPreviousMergedSetup();
  if (sharedFolder_.empty()) {
    SetDeployedWithAdmin(newMerged);
  } else {
    // The shared deployment's rights are the administrator's, not this
    // user's.
    const std::string value = previous.GetValue(kCommonData, kDeployedWithAdmin);
    SimpleLogger::GetInstance()->Info("DeploymentEngine::GetChangedSections",
                                      "Original DEPLOYED_WITH_ADMIN value is:" + value);
    SetDeployedWithAdmin(newMerged, value);
  }
  return newMerged.CollectChangedSections(previous, changed);
}
