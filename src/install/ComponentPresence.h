// The two questions the download driver asks about a component file before
// it fetches it: is the file already on the machine, and is the copy in the
// deployment folder a locally built one that must stay. Every step is
// logged; no file is changed. The log locations are the control's.
#pragma once

#include <string>

#include "deployment/PathMacros.h"
#include "infra/FailureTrace.h"

class ComponentPresence {
 public:
  // The expected version that asks for a locally built copy.
  static constexpr const char* kLocalBuildVersion = "X.9.9.9999";

  // folder answers the deployment folder; paths expands path macros with
  // the IsolatedDeployment property.
  ComponentPresence(PathMacros& paths, DeploymentFolderState& folder, FailureTrace& failures);

  // True when the file's version resource matches the expected version
  // text; false on every failure, the reasons recorded in the failure trace
  // (a file without a version resource is only logged).
  bool CompareFileVersion(const std::string& expected, const std::string& path);

  // True when deployment folder\name exists and is a local build.
  bool CheckIfLocalFileExists(const std::string& name);

  // True when the name (path macros expanded) is found by the standard
  // search, or else in the deployment folder, and can be opened for reading.
  bool CheckFileExists(const std::string& name);

 private:
  bool ReadVersionText(const std::string& path, std::string& text);

  PathMacros& paths_;
  DeploymentFolderState& folder_;
  FailureTrace& failures_;
};
