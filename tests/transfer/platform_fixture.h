// The transfer tests against the sample platform: its URLs come from the
// environment (sample-platform exec), its test CA is trusted for the test,
// and the control's side of the transfer is played by plain values.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "debug_output_capture.h"
#include "deployment/CIniFile.h"
#include "deployment/DeploymentSettings.h"
#include "deployment/PathMacros.h"
#include "infra/FailureList.h"
#include "platform/Registry.h"
#include "sample_platform.h"
#include "test_machine.h"
#include "transfer/TransferHost.h"
#include "transfer/WinInetWebClient.h"
#include "trusted_root.h"

// Registry values as RegQueryValueExA gives them.
platform::RegistryValue DwordValue(uint32_t number);
platform::RegistryValue StringValue(const std::string& text);

// The class identifier the served start script names.
extern const char kServedClassId[];

class RecordingProgress : public TransferProgress {
 public:
  struct Report {
    int32_t position;
    uint64_t progress, progressMax;
  };
  std::vector<Report> reports;
  std::vector<int32_t> finished;

  void ReportFileProgress(int32_t position, uint64_t progress, uint64_t progressMax) override {
    reports.push_back({position, progress, progressMax});
  }
  void FinishProgressEntry(int32_t position) override { finished.push_back(position); }
};

class TestTransferHost : public TransferHost {
 public:
  explicit TestTransferHost(const std::string& deploymentFolder);

  std::string serverRoot;
  CacheVersionState cacheVersion;
  bool localMode = false;
  std::string deploymentFolder;
  WinInetWebClient webClient;
  NetworkProperties network;
  FailureList failures;
  RecordingProgress progress;

  std::string ServerRootUrl() const override { return serverRoot; }
  const CacheVersionState& CacheVersion() const override { return cacheVersion; }
  bool ClientCertificatePresent() const override { return webClient.HasClientCertificate(); }
  bool LocalModeActive() const override { return localMode; }
  std::string DeploymentFolder() const override { return deploymentFolder; }
  WinInetWebClient& WebClient() override { return webClient; }
  bool CancelCrlCheck() const override { return true; }
  const NetworkProperties& Network() const override { return network; }
  FailureTrace& Failures() override { return failures; }
  void ExpandPathMacros(std::string& path) override { paths_.ParsePath(path, false); }
  TransferProgress& Progress() override { return progress; }

  // "file: description" of every failure entry.
  std::vector<std::string> FailureTexts() const;

 private:
  DeploymentSettingsValues settings_;
  CIniFile mergedSetup_;
  PathMacros paths_;
};

class PlatformTest : public MachineTest {
 protected:
  PlatformTest();
  ~PlatformTest() override;

  // A logger report of exactly this text, or one that begins with it.
  bool Logged(const std::string& level, const std::string& location, const std::string& message) const;
  bool LoggedStart(const std::string& level, const std::string& location, const std::string& start) const;
  // A file of the test's scratch folder.
  std::string Scratch(const std::string& name) const { return machine_.ScratchFolder() + "\\" + name; }

  // The request lines nginx logged since the test began.
  std::vector<std::string> ServedRequests() const { return served_.Requests(); }
  // Sets the current user's preconfigured proxy to the sample platform's.
  void UseSampleProxy();
  // Sets a value of the current user's "Internet Settings" for this test.
  void SetInternetSetting(const std::string& name, const platform::RegistryValue& value);

  ServedRequestLog served_;
  TrustedRoot trust_;
  DebugOutputCapture log_;
  TestTransferHost host_;

 private:
  // The settings replaced, each with its value before (type None: absent),
  // put back at the end.
  std::vector<std::pair<std::string, platform::RegistryValue>> savedSettings_;
};
