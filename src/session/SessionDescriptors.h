// The session's setup descriptors: what the download and merge read of the
// control (DescriptorSources, over the live session state and the
// deployment engine's package location) and the merge itself, which fills
// the session's merged setup descriptor.
#pragma once

#include <string>

#include "deployment/DeploymentEngine.h"
#include "descriptors/DescriptorMerge.h"
#include "descriptors/DescriptorSources.h"
#include "infra/FailureTrace.h"
#include "session/SessionState.h"
#include "transfer/FileDownloader.h"

class SessionDescriptors : public DescriptorSources {
 public:
  SessionDescriptors(SessionState& state, DeploymentEngine& engine, FileDownloader& downloader,
                     FailureTrace& failures);
  SessionDescriptors(const SessionDescriptors&) = delete;
  SessionDescriptors& operator=(const SessionDescriptors&) = delete;

  DescriptorMerge& Merge() { return merge_; }

  // The local copies the installation-package mode works on: the
  // deployment folder and the SetupFile and SetupExtFile name keys.
  void MakeLocalCopies();
  // The two merges as start-up runs them. The server merge rewrites the
  // SetupFile and SetupExtFile name keys to the names of their unpacked
  // INI files; a main descriptor that cannot be had raises
  // std::runtime_error with the text for the user.
  bool DownloadServerIniAndMerge();
  bool DownloadLocalIniAndMerge();

  // DescriptorSources.
  std::string SetupFileUrl() const override { return state_.setupFile; }
  std::string SetupExtFileUrl() const override { return state_.setupExtFile; }
  std::string PluginExtFilesUrl() const override { return state_.pluginExtFiles; }
  std::string PluginExtFilesName() const override { return state_.pluginExtFilesName; }
  std::string TkRootUrl() const override { return state_.tkRootUrl; }
  std::string DeploymentFolder() const override { return state_.deploymentFolder; }
  std::string PackageUrl() const override { return engine_.GetPackageUrl(); }
  bool CancelCrlCheck() const override { return state_.cancelCrlCheck; }
  DescriptorNames& Names() override { return state_.descriptorNames; }

 private:
  SessionState& state_;
  DeploymentEngine& engine_;
  DescriptorMerge merge_;
};
