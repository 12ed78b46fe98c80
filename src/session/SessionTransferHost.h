// The session's side of the transfers: what DownloadDispatch reads of the
// control, answered from its live fields. It also holds the web client and
// the server's cache version, which the start-up handshakes fill.
#pragma once

#include <string>

#include "deployment/PathMacros.h"
#include "infra/FailureTrace.h"
#include "session/SessionState.h"
#include "transfer/TransferHost.h"
#include "transfer/WinInetWebClient.h"

class SessionTransferHost : public TransferHost {
 public:
  SessionTransferHost(SessionState& state, PathMacros& paths, FailureTrace& failures,
                      TransferProgress& progress)
      : state_(state), paths_(paths), failures_(failures), progress_(progress) {}

  std::string ServerRootUrl() const override { return state_.tkRootUrl; }
  const CacheVersionState& CacheVersion() const override { return cacheVersion_; }
  CacheVersionState& CacheVersion() { return cacheVersion_; }
  bool ClientCertificatePresent() const override { return webClient_.HasClientCertificate(); }
  bool LocalModeActive() const override { return state_.msiDeploymentFound; }
  std::string DeploymentFolder() const override { return state_.deploymentFolder; }
  WinInetWebClient& WebClient() override { return webClient_; }
  bool CancelCrlCheck() const override { return state_.cancelCrlCheck; }
  const NetworkProperties& Network() const override { return state_.network; }
  FailureTrace& Failures() override { return failures_; }
  void ExpandPathMacros(std::string& path) override { paths_.ParsePath(path, false); }
  TransferProgress& Progress() override { return progress_; }

 private:
  SessionState& state_;
  PathMacros& paths_;
  FailureTrace& failures_;
  TransferProgress& progress_;
  WinInetWebClient webClient_;
  CacheVersionState cacheVersion_;
};
