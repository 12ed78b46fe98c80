// The loader session: the control's state and the stages that work on it,
// each driven by a message to the control's window or a tick of its timer.
// CLoader is a thin facade: the state is SessionState, and every stage
// lives in a file of its own (start-up, progress view, failure report,
// properties, events). The COM control and the command-line host both
// drive this one class.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "deployment/DeploymentEngine.h"
#include "deployment/PathMacros.h"
#include "deployment/SystemFolders.h"
#include "platform/ControlHosting.h"
#include "platform/ProcessLauncher.h"
#include "platform/UnhandledExceptions.h"
#include "platform/WindowSystem.h"
#include "session/FailureReport.h"
#include "session/LoaderEvents.h"
#include "session/LoaderHost.h"
#include "session/LoaderMessages.h"
#include "session/LoaderProperties.h"
#include "session/ProgressView.h"
#include "session/SessionDescriptors.h"
#include "session/SessionEnd.h"
#include "session/SessionEnvironment.h"
#include "session/SessionNetwork.h"
#include "session/SessionSettings.h"
#include "session/SessionState.h"
#include "session/SessionTransfer.h"

class CLoader : public FailureTrace {
 public:
  explicit CLoader(LoaderHost& host, SystemFolders& folders = SystemFolders::Default());
  ~CLoader() override;
  CLoader(const CLoader&) = delete;
  CLoader& operator=(const CLoader&) = delete;

  // The control's window, a child of parent; WM_INITDIALOG runs
  // OnHostStart while it is made. False when it cannot be made.
  bool CreateControlWindow(platform::WindowHandle parent);
  void DestroyControlWindow();
  platform::WindowHandle ControlWindow() const { return state_.window; }

  // Every message of the control window; true when the session handled it,
  // with its result.
  bool HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result);

  // Start-up: the host and browser, the fault handler, then
  // WM_LOADER_START_SETUP is posted (WM_LOADER_INIT_FAILED when it fails).
  void OnHostStart();
  // A start-up error becomes the failure text shown to the user.
  void HandleInitializationRuntimeError(const char* message);
  void OnSlo();

  // The stages after start-up: the start-up checks, the download driver,
  // completion, launch of the client and teardown.
  virtual intptr_t OnStartSetup();
  virtual intptr_t OnStartDownload();
  virtual intptr_t OnTimer();
  virtual intptr_t OnHostMainUI();
  virtual void OnDestroy();

  // Every plain transfer of one URL to one file (descriptors, the server's
  // replies) and the transfer of one component of the download list.
  platform::HResult DownloadFile(const std::string& url, const std::string& localPath);
  // The record's destination becomes the path its file was placed at, as
  // the actions after the downloads expect it.
  platform::HResult Download(CDataStructure& record);
  // "DSummary.ini" in the deployment folder: where the client's files are
  // and which server they came from.
  void SerializeSummaryIni();
  // The browser's protected-mode answer (virtual: a host may answer for a
  // browser this machine lacks).
  virtual platform::HResult IsIeInProtectedMode(bool& protectedMode);
  // Starts the client application from the deployment folder with its
  // command line; S_OK, or the failure (shown and reported) when it could
  // not be started.
  virtual platform::HResult RunApplicationAsProcess();
  // Shows the text of a missing prerequisite, with the page to get it from
  // (CustomPreReqPageUrl, else the framework's download page), and opens that
  // page unless it is "NO_URL".
  void ShowMissingPrerequisitePage(const std::string& description);

  // What completion and launch take of the network side (the session's
  // own unless a test hands in another; null: none).
  void SetNetwork(NetworkHandOver* handOver) { handOver_ = handOver; }

  // FailureTrace: records a failure into the failure report.
  void TraceError(const std::string& file, const std::string& description) override;
  // Shows the failure; the session has then ended.
  void ReportFailure(const std::string& text);

  // A host that waits for the end of the session (null: none). The stages
  // call EndSession when nothing more will happen; only the first call
  // reaches the sink.
  void SetEndSink(SessionEndSink* sink) { endSink_ = sink; }
  void EndSession(SessionOutcome outcome, const std::string& reason = std::string());

  SessionState& State() { return state_; }
  LoaderProperties& Properties() { return properties_; }
  LoaderEvents& Events() { return events_; }
  ProgressView& Progress() { return progress_; }
  DeploymentSettings& Settings() { return settings_; }
  PathMacros& Paths() { return paths_; }
  DeploymentEngine& Engine() { return engine_; }
  SessionTransfer& Transfer() { return transfer_; }
  SessionNetwork& Network() { return network_; }
  SessionDescriptors& Descriptors() { return descriptors_; }
  SessionEnvironment& Environment() { return environment_; }

  // The text the last-chance fault handler writes to the debugger output.
  static std::string UnhandledExceptionText(const platform::ExceptionFacts* facts);

 private:
  void OnWindowPosChanged(intptr_t lParam);
  void OnRepaint(platform::DeviceContext context);

  // Completion, launch and teardown.
  // In a handler's catch block: logs what was thrown and stops the session.
  void StopAfterException(const char* location);
  void DeleteDownloadRecord();
  void RecordDeployment();
  void RunDebugTouch();
  bool NetPrerequisitePresent();
  void HostClientUi();
  void SetClientProperties(platform::HostedControl& control, size_t builtIn);
  void FitHostedClient();
  void CloseClient();
  void EndOfControl();

  LoaderHost& host_;
  SessionState state_;
  SessionSettings settings_;
  SystemFolders& folders_;
  LoaderEvents events_;
  SessionFailureTrace failures_;
  PathMacros paths_;
  DeploymentEngine engine_;
  ProgressView progress_;
  LoaderProperties properties_;
  SessionTransfer transfer_;
  SessionNetwork network_;
  SessionDescriptors descriptors_;
  SessionEnvironment environment_;
  std::unique_ptr<platform::ControlWindow> window_;
  SessionEndSink* endSink_ = nullptr;
  bool ended_ = false;

  // Completion, launch and teardown.
  NetworkHandOver* handOver_ = &network_;  // what completion and launch take of the network side
  platform::StartedProcess client_;
  std::unique_ptr<platform::HostedControl> hostedClient_;
};
