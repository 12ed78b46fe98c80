// The session's side of every transfer: what a download reads of the
// control (TransferHost, over the live session state), where a component's
// progress goes (TransferProgress, over the progress view), and the two
// objects the transfers run on, which the session owns: the web client and
// the download dispatch (CLoader::DownloadFile and CLoader::Download).
#pragma once

#include <string>

#include "deployment/PathMacros.h"
#include "infra/FailureTrace.h"
#include "session/ProgressView.h"
#include "session/SessionState.h"
#include "transfer/DownloadDispatch.h"
#include "transfer/TransferHost.h"
#include "transfer/WinInetWebClient.h"

class SessionTransfer : public TransferHost, public TransferProgress {
 public:
  SessionTransfer(SessionState& state, ProgressView& progress, PathMacros& paths,
                  FailureTrace& failures);
  SessionTransfer(const SessionTransfer&) = delete;
  SessionTransfer& operator=(const SessionTransfer&) = delete;

  DownloadDispatch& Dispatch() { return dispatch_; }

  // TransferHost.
  std::string ServerRootUrl() const override { return state_.tkRootUrl; }
  const CacheVersionState& CacheVersion() const override { return state_.cacheVersion; }
  bool ClientCertificatePresent() const override { return webClient_.HasClientCertificate(); }
  // An installation package was found: descriptors and components come
  // from its location.
  bool LocalModeActive() const override { return state_.msiDeploymentFound; }
  std::string DeploymentFolder() const override { return state_.deploymentFolder; }
  WinInetWebClient& WebClient() override { return webClient_; }
  bool CancelCrlCheck() const override { return state_.cancelCrlCheck; }
  const NetworkProperties& Network() const override { return state_.network; }
  FailureTrace& Failures() override { return failures_; }
  void ExpandPathMacros(std::string& path) override { paths_.ParsePath(path, false); }
  TransferProgress& Progress() override { return *this; }

  // TransferProgress.
  void ReportFileProgress(int32_t position, uint64_t progress, uint64_t progressMax) override {
    progress_.ReportFileProgress(position, progress, progressMax);
  }
  void FinishProgressEntry(int32_t position) override { progress_.FinishProgressEntry(position); }

 private:
  SessionState& state_;
  ProgressView& progress_;
  PathMacros& paths_;
  FailureTrace& failures_;
  WinInetWebClient webClient_;
  DownloadDispatch dispatch_;
};
