// What the post-download actions read of the control: deployment state,
// switches, the merged setup descriptor, the failure report and the
// components text window that tells the user what is being processed. The
// control implements it over its own fields; PostDownloadHostValues holds
// plain values for hosts without a control and for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "deployment/CIniFile.h"
#include "infra/FailureList.h"
#include "infra/FailureTrace.h"

// Where the notification line goes: the control's size, the line's height,
// and the width of a text in the components text window's font.
struct NotificationMetrics {
  int controlWidth = 0;
  int controlHeight = 0;
  int lineHeight = 0;
  int textWidth = 0;
};

struct NotificationPlace {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

class PostDownloadHost {
 public:
  virtual ~PostDownloadHost() = default;

  virtual std::string DeploymentFolder() const = 0;
  virtual bool IsolatedDeployment() const = 0;
  virtual bool SharedMode() const = 0;    // "sharedmode=true"
  virtual bool ComSurrogate() const = 0;  // "comsurrogate=true"
  virtual bool ClientAlreadyDeployed() const = 0;
  virtual bool FlavorAlreadyDeployed() const = 0;
  // The extension manifests the download driver collected, in order.
  virtual std::vector<std::string> ManifestNames() const = 0;
  // The merged setup descriptor; its "Registry" section feeds registry
  // imports.
  virtual CIniFile& MergedSetup() = 0;
  // The setup file is the site-administration setup.
  virtual bool IsVuvoVizizSetup() const = 0;
  // The loader's own working folder under the temporary folder.
  virtual std::string LoaderTempFolder() = 0;
  // How long a setup program, INF or package installation and the manifest
  // merge may run before the deployment goes on without them.
  virtual uint32_t InstallTimeoutMs() const = 0;
  virtual FailureTrace& Failures() = 0;

  // The components text window of the progress display.
  virtual bool HasComponentsTextWindow() const = 0;
  virtual NotificationMetrics MeasureNotification(const std::string& line) = 0;
  // Moves the window to place, sets its text and updates it.
  virtual void ShowNotification(const std::string& line, const NotificationPlace& place) = 0;
};

class PostDownloadHostValues : public PostDownloadHost {
 public:
  // Thirty minutes: long enough for a framework installer, short enough
  // that a hung setup does not hold the browser for ever.
  static constexpr uint32_t kDefaultInstallTimeoutMs = 30u * 60u * 1000u;

  std::string deploymentFolder;
  bool isolatedDeployment = false;
  bool sharedMode = false;
  bool comSurrogate = false;
  bool clientAlreadyDeployed = false;
  bool flavorAlreadyDeployed = false;
  std::vector<std::string> manifestNames;
  CIniFile mergedSetup;
  bool isVuvoVizizSetup = false;
  std::string loaderTempFolder;
  uint32_t installTimeoutMs = kDefaultInstallTimeoutMs;
  FailureList failures;

  std::string DeploymentFolder() const override { return deploymentFolder; }
  bool IsolatedDeployment() const override { return isolatedDeployment; }
  bool SharedMode() const override { return sharedMode; }
  bool ComSurrogate() const override { return comSurrogate; }
  bool ClientAlreadyDeployed() const override { return clientAlreadyDeployed; }
  bool FlavorAlreadyDeployed() const override { return flavorAlreadyDeployed; }
  std::vector<std::string> ManifestNames() const override { return manifestNames; }
  CIniFile& MergedSetup() override { return mergedSetup; }
  bool IsVuvoVizizSetup() const override { return isVuvoVizizSetup; }
  std::string LoaderTempFolder() override { return loaderTempFolder; }
  uint32_t InstallTimeoutMs() const override { return installTimeoutMs; }
  FailureTrace& Failures() override { return failures; }

  // No window: the notifications are logged instead.
  bool HasComponentsTextWindow() const override { return false; }
  NotificationMetrics MeasureNotification(const std::string&) override { return {}; }
  void ShowNotification(const std::string&, const NotificationPlace&) override {}
};
