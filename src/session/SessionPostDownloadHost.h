// The post-download actions see the session through this: its deployment
// state and switches, what the download driver collected, the merged setup
// descriptor, the failure report and the components text window.
#pragma once

#include "deployment/PathMacros.h"
#include "install/PostDownloadHost.h"
#include "session/SessionState.h"

class SessionPostDownloadHost : public PostDownloadHost {
 public:
  SessionPostDownloadHost(SessionState& state, PathMacros& paths, FailureTrace& failures)
      : state_(state), paths_(paths), failures_(failures) {}

  std::string DeploymentFolder() const override { return state_.deploymentFolder; }
  bool IsolatedDeployment() const override { return state_.isolatedDeployment != 0; }
  bool SharedMode() const override { return state_.sharedMode; }
  bool ComSurrogate() const override { return state_.comSurrogate != 0; }
  bool ClientAlreadyDeployed() const override { return state_.clientAlreadyDeployed; }
  bool FlavorAlreadyDeployed() const override { return state_.flavorAlreadyDeployed; }
  std::vector<std::string> ManifestNames() const override { return state_.manifestNames; }
  CIniFile& MergedSetup() override { return state_.mergedSetup; }
  bool IsVuvoVizizSetup() const override { return state_.isVuvoVizizSetup != 0; }
  std::string LoaderTempFolder() override { return paths_.GetLocalWNTempDir(); }
  uint32_t InstallTimeoutMs() const override { return state_.installTimeoutMs; }
  FailureTrace& Failures() override { return failures_; }

  bool HasComponentsTextWindow() const override { return state_.componentsTextWindow != 0; }
  // The control's position rectangle, the progress rows' height and the
  // line's width in the text window's font.
  NotificationMetrics MeasureNotification(const std::string& line) override;
  void ShowNotification(const std::string& line, const NotificationPlace& place) override;

 private:
  SessionState& state_;
  PathMacros& paths_;
  FailureTrace& failures_;
};
