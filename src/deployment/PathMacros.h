// Turns the macro paths of the setup descriptors ("%AppData%\QX\ZEL-Client",
// "%TempDir%\x", ...) into folders of this machine and user, and supplies the
// loader's own working folder under the temporary folder, which is also
// where any path that cannot be worked out degrades to. The control owns one;
// the deployment engine resolves the deployment root through it.
#pragma once

#include <string>

#include "deployment/CIniFile.h"
#include "deployment/DeploymentSettings.h"
#include "deployment/SystemFolders.h"
#include "infra/FailureTrace.h"

// What the working folder needs to know of the deployment engine.
class DeploymentFolderState {
 public:
  virtual ~DeploymentFolderState() = default;
  virtual bool IsRootKnown() const = 0;
  virtual std::string GetCurrentDeploymentFolder() = 0;
};

class PathMacros {
 public:
  // The destination template of an installation-package deployment.
  static constexpr const char* kMsiDestination = "%AppData%\\QX\\ZEL-Client";

  // mergedSetup is the control's merged setup descriptor; its "Common
  // Data"/"Destination" is read on the first request for the destination.
  PathMacros(DeploymentSettings& settings, const CIniFile& mergedSetup, FailureTrace& failures,
             SystemFolders& folders = SystemFolders::Default());

  // The engine is created after this object; until it is attached, the
  // deployment root counts as not known.
  void AttachDeploymentState(DeploymentFolderState* state) { deploymentState_ = state; }

  std::string Destination();

  // Expands the macros of path in place; with useDestination the path is
  // first replaced by the destination template. Whatever cannot be worked
  // out leaves the working folder in path, and each failed lookup is
  // recorded in the failure trace. Never raises.
  void ParsePath(std::string& path, bool useDestination, bool perUser);
  // perUser taken from the IsolatedDeployment property.
  void ParsePath(std::string& path, bool useDestination);

  // <temporary folder>\TK_80[\<deployment folder name>]\Loader; not created.
  std::string GetLocalWNTempDir();

 private:
  // Substitutes a folder lookup for macro; false (with a failure entry)
  // when the lookup fails.
  bool SubstituteFolder(std::string& path, const char* macro,
                        bool (SystemFolders::*lookup)(std::string&));
  bool SubstituteInstallFolders(std::string& path);
  bool SubstituteAppData(std::string& path, bool perUser);
  std::string DeploymentFolderName();

  DeploymentSettings& settings_;
  const CIniFile& mergedSetup_;
  FailureTrace& failures_;
  SystemFolders& folders_;
  DeploymentFolderState* deploymentState_ = nullptr;
  std::string destination_;
};
