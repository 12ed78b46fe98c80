// How the session reaches the server: the network configuration (web and
// proxy credentials, client certificate, certificate-error mask, user-agent
// marker, cookies) and the three server handshakes, each working on the
// live session state. Their transfers go through the session's web client
// and download dispatch.
#pragma once

#include <string>

#include "session/NetworkHandOver.h"
#include "session/SessionState.h"
#include "session/SessionTransfer.h"
#include "transfer/NetworkConfiguration.h"
#include "transfer/ServerHandshakes.h"

// The class identifier of the Loader control, as the server's start script
// names it when it suits this loader.
constexpr char kLoaderClassId[] = "{233FFEB5-A392-473D-B886-7D4D080A0EFC}";

class SessionNetwork : public NetworkConfigurationHost, public HandshakeHost, public NetworkHandOver {
 public:
  SessionNetwork(SessionState& state, SessionTransfer& transfer);
  SessionNetwork(const SessionNetwork&) = delete;
  SessionNetwork& operator=(const SessionNetwork&) = delete;

  NetworkConfiguration& Configuration() { return configuration_; }
  ServerHandshakes& Handshakes() { return handshakes_; }

  // Both hosts.
  std::string ServerRootUrl() const override { return state_.tkRootUrl; }

  // NetworkConfigurationHost.
  NetworkProperties& Properties() override { return state_.network; }
  std::string& AdditionalParams() override { return state_.additionalParams; }
  bool MsiDeployment() const override { return state_.msiDeployment != 0; }
  WinInetWebClient& WebClient() override { return transfer_.WebClient(); }

  // HandshakeHost.
  std::string DeploymentFolder() const override { return state_.deploymentFolder; }
  std::string ClassIdentifier() const override { return kLoaderClassId; }
  FileDownloader& Downloader() override { return transfer_.Dispatch(); }
  CacheVersionState& CacheVersion() override { return state_.cacheVersion; }
  void SetUseZelServerVersion(bool use) override;
  void SetZelServerVersion(const std::string& version) override;

  // NetworkHandOver.
  std::string CookieData() const override { return configuration_.CookieData(); }
  std::string CookieFilePath() const override { return configuration_.CookieFilePath(); }
  void ReleaseWebConnection() override { transfer_.WebClient().ReleaseConnection(); }

 private:
  SessionState& state_;
  SessionTransfer& transfer_;
  NetworkConfiguration configuration_;
  ServerHandshakes handshakes_;
};
