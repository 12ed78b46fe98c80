// The loader's second transport: used when a client certificate must be
// presented, when the URL-moniker transfer fails, and for the credential
// and cookie conversations with the server. It owns at most one connection,
// made on first use and kept while it is healthy and serves the same server.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/CertificateStore.h"
#include "transfer/WinInetConnection.h"

class WinInetWebClient {
 public:
  WinInetWebClient();
  virtual ~WinInetWebClient();
  WinInetWebClient(const WinInetWebClient&) = delete;
  WinInetWebClient& operator=(const WinInetWebClient&) = delete;

  // Looks the certificate up by its serial number (hexadecimal) in the
  // current user's personal store; false when one is already held.
  bool TrySetClientCertificate(const std::string& serialNumberHex);
  bool HasClientCertificate() const { return clientCertificate_.IsValid(); }

  // url must name a resource under "/wnbin" of its server.
  bool DownloadFile(const std::string& url, const std::string& localPath);
  bool Authenticate(const std::string& url);
  bool TryGetBasicAuthenticationCredentials(const std::string& url, std::string& user,
                                            std::string& password);
  // length: the buffer's size in, the cookie data's length out (0 on failure).
  bool TryGetCookies(const std::string& url, char* buffer, uint32_t& length);

  void SetWebUser(const std::string& user) { webUser_ = user; }
  void SetWebPassword(const std::string& password) { webPassword_ = password; }
  void SetProxyUser(const std::string& user) { proxyUser_ = user; }
  void SetProxyPassword(const std::string& password) { proxyPassword_ = password; }
  void SetCertificateErrorMask(uint32_t mask) { certificateErrorMask_ = mask; }
  uint32_t CertificateErrorMask() const { return certificateErrorMask_; }

  void ReleaseConnection();

 private:
  WinInetConnection* GetConnection(const std::string& url);
  bool TryGetHostInfo(const std::string& url, std::string& host, uint16_t& port, uint32_t& scheme);
  bool SendBasicRequestToServer(const std::string& url);
  bool ServesUrl(const WinInetConnection& connection, const std::string& url) const;

  platform::CertificateStore store_;
  platform::CertificateContext clientCertificate_;
  std::string agent_ = "ZEL Platform Loader";
  std::string webUser_;
  std::string webPassword_;
  std::string proxyUser_;
  std::string proxyPassword_;
  std::string basicRequestResource_ = "wnbin/start_a.js";
  uint32_t certificateErrorMask_ = 0xF;
  std::unique_ptr<WinInetConnection> connection_;
};
