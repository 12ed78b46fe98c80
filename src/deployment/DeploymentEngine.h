// Where the client components of one server live on this machine, and the
// record of that decision: the deployment folder root, "Deployments.ini"
// (one section per server naming its folder), the merged setup file of the
// deployment and the sections changed since the last one; on top of that the
// discovery of a deployment shared by an administrator and of a local
// installation package. The control owns one.
//
// Folder creation that fails raises std::runtime_error ("Failed locating /
// creating  <path>") after recording it in the failure trace; local setup
// information without a package path raises "Invalid file structure".
#pragma once

#include <string>

#include "deployment/CIniFile.h"
#include "deployment/DeploymentSettings.h"
#include "deployment/PathMacros.h"
#include "deployment/SystemFolders.h"
#include "infra/FailureTrace.h"

class DeploymentEngine : public DeploymentFolderState {
 public:
  static constexpr const char* kDebugRoot = "C:\\WN\\ClientDeployment\\Debug";
  static constexpr const char* kDescriptorFileName = "Deployments.ini";
  static constexpr const char* kVuvoVizizSetupFile = "VuvoViziz_setup.ini";

  DeploymentEngine(DeploymentSettings& settings, PathMacros& paths, FailureTrace& failures,
                   SystemFolders& folders = SystemFolders::Default());

  // The server location the setup descriptor comes from; kept trimmed and
  // without trailing "/".
  void SetServerUrl(const std::string& url);
  const std::string& ServerUrl() const { return serverUrl_; }
  // The server URL without its scheme.
  std::string ServerUrlKey() const;
  // The section name of this server: ZELServerVersion when it is used, else
  // the server URL key.
  std::string ServerKey() const;

  // Deployment folder and descriptors.
  std::string GetDeploymentFolderRoot();
  bool CreateDirectoryPath(const std::string& path, bool failIfExists, bool raiseOnFailure);
  std::string DescriptorPath();
  std::string IsolatedDescriptorPath();
  std::string CommonDescriptorPath();
  std::string CreateUniqueFolder(const std::string& root, const std::string& baseName);
  std::string GetDeploymentFolder(const std::string& serverKey);
  std::string GetCurrentDeploymentFolder() override;
  bool IsRootKnown() const override { return rootKnown_; }

  // The merged setup file and what it remembers of the last deployment.
  std::string GetMergedSetupPath(bool fromIsolatedFolder);
  const CIniFile& LoadPreviousMergedSetup();
  // Whether the last LoadPreviousMergedSetup found a file: a record of a
  // previous deployment.
  bool HasPreviousMergedSetup() const { return previousMergedSetupLoaded_; }
  std::string GetLastFlavor();
  bool WasDeployedWithAdmin();
  // Without a value: "Y" when the user is an administrator, else "N".
  void SetDeployedWithAdmin(CIniFile& mergedSetup);
  void SetDeployedWithAdmin(CIniFile& mergedSetup, const std::string& value);
  void SetLastFlavor(CIniFile& mergedSetup, const std::string& flavor);
  // False when the file could not be written.
  bool SaveMergedSetup(CIniFile& mergedSetup);
  // Adds the sections of newMerged that are new or differ from the last
  // deployment's; true when there are any.
  bool GetChangedSections(CIniFile& newMerged, CIniFile::NameSet& changed);

  // Common and isolated descriptors.
  bool CheckCommonDescriptorForSharedInstallation(const std::string& serverKey,
                                                  std::string& folder);
  bool ReadIsolatedDescriptor(const std::string& serverKey, std::string& folder,
                              bool& runFromShared);
  void AddIsolatedDescriptorWithFolderPath(const std::string& serverKey,
                                           const std::string& folder);
  void UpdateIsolatedDescriptorWithFolderPath(const std::string& serverKey);

  // Shared deployment.
  void DiscoverIfSharedDeployment();
  bool IsSharedDeployment() const { return !sharedFolder_.empty(); }
  const std::string& SharedFolder() const { return sharedFolder_; }
  const std::string& IsolatedFolder() const { return isolatedFolder_; }
  bool CheckIfSharedRegistrationNeeded();

  // Local (installation package) deployment.
  void InitializeLocalModeAnalysis();
  void AnalyzeIniFilesInDirAndInitValues(const std::string& folder);
  bool IsLocalMode() const { return localMode_; }
  const std::string& GetPackageUrl() const { return packageUrl_; }
  const std::string& InstallationPackagePath() const { return installationPackagePath_; }
  const std::string& LocalDataFolder() const { return localDataFolder_; }

 private:
  std::string ParsedDestination(bool perUser);
  std::string BaseNameFor(const std::string& serverKey) const;
  std::string MergedSetupFileName() const;
  bool SaveDescriptor(const CIniFile& descriptor, const std::string& path,
                      const char* location);

  DeploymentSettings& settings_;
  PathMacros& paths_;
  FailureTrace& failures_;
  SystemFolders& folders_;

  std::string serverUrl_;
  std::string deploymentFolder_;
  bool computingFolder_ = false;
  bool rootKnown_ = false;
  CIniFile descriptor_;
  CIniFile previousMergedSetup_;
  bool previousMergedSetupLoaded_ = false;
  bool deployedWithAdmin_ = false;
  std::string lastFlavor_;

  std::string sharedFolder_;
  std::string isolatedFolder_;
  bool registrationChecked_ = false;
  bool registrationNeeded_ = false;

  std::string localDataFolder_;
  bool localMode_ = false;
  std::string installationPackagePath_;
  std::string packageUrl_;
};
