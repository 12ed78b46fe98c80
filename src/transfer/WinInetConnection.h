// One HTTP connection of the web client to one server: the session,
// connection and request handles, the credentials, the client certificate
// and how far certificate errors may be relaxed. A request is sent at most
// twice: the first failure for a missing client certificate, or for a
// certificate error, is repaired before the second.
#pragma once

#include <cstdint>
#include <string>

#include "platform/CertificateStore.h"
#include "platform/Internet.h"

class WinInetConnection {
 public:
  // scheme: platform::kInternetSchemeHttp or kInternetSchemeHttps.
  WinInetConnection(const std::string& host, uint16_t port, uint32_t scheme);
  virtual ~WinInetConnection();
  WinInetConnection(const WinInetConnection&) = delete;
  WinInetConnection& operator=(const WinInetConnection&) = delete;

  virtual bool UpdateSecurityOptionsForRequest();
  virtual bool AddClientCertificateToRequest();
  // Both kinds are always tried; true only when both succeed.
  virtual bool TrySetCredentials();
  virtual bool TrySetProxyCredentials();
  virtual bool TrySetWebServerCredentials();

  bool ConnectToServer();
  // True only for HTTP status 200; status receives the status that came.
  bool SendRequest(const std::string& verb, const std::string& resource, uint32_t& status);
  // Writes the body of the last request's reply to localPath; a file that
  // could not be written whole is removed.
  bool DownloadRequest(const std::string& localPath);
  bool QueryInternetOptionsForCredentials(std::string& user, std::string& password);

  void SetAgent(const std::string& agent) { agent_ = agent; }
  void SetCertificateErrorMask(uint32_t mask) { certificateErrorMask_ = mask; }
  // Not owned: the web client keeps it for as long as this connection lives.
  void SetClientCertificate(const platform::CertificateContext* certificate) {
    clientCertificate_ = certificate;
  }
  void SetProxyCredentials(const std::string& user, const std::string& password);
  void SetWebCredentials(const std::string& user, const std::string& password);

  const std::string& Host() const { return host_; }
  uint16_t Port() const { return port_; }
  uint32_t Scheme() const { return scheme_; }
  bool HasConnectionHandle() const { return connection_.IsOpen(); }
  platform::Win32Error LastError() const { return lastError_; }

 private:
  platform::InternetHandle session_;
  platform::InternetHandle connection_;
  platform::InternetHandle request_;  // closed first, then the connection, then the session
  std::string host_;
  uint16_t port_;
  uint32_t scheme_;
  const platform::CertificateContext* clientCertificate_ = nullptr;
  std::string agent_ = "ZEL Platform Loader";
  std::string proxyUser_;
  std::string proxyPassword_;
  std::string webUser_;
  std::string webPassword_;
  uint32_t requestFlags_;
  uint32_t certificateErrorMask_ = 0xF;
  bool clientCertificateNeeded_ = false;
  platform::Win32Error lastError_ = 0;
};
