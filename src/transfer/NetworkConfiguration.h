// How the loader reaches the server, settled once per session during
// start-up: web and proxy credentials (from the page, the registry or the
// system's WinInet layer), the client certificate, how tolerant the web
// client is of certificate errors, the user-agent marker, the network
// configuration handed to the client in the additional parameters, and the
// server's session cookies saved for the client. No failure here stops the
// session: each is logged and the session goes on with what it has.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "transfer/NetworkProperties.h"

class WinInetWebClient;

// What these operations need of the control.
class NetworkConfigurationHost {
 public:
  virtual ~NetworkConfigurationHost() = default;
  virtual NetworkProperties& Properties() = 0;
  virtual std::string& AdditionalParams() = 0;
  virtual std::string ServerRootUrl() const = 0;  // TkRootURL
  virtual bool MsiDeployment() const = 0;
  virtual WinInetWebClient& WebClient() = 0;
};

class NetworkConfiguration {
 public:
  // The current user's key (and the machine's, for the user-agent marker).
  static constexpr const char* kRegistryKey = "Software\\Nordak Labs\\Trialdesk\\WEB";
  static constexpr size_t kCookieBufferSize = 32768;

  explicit NetworkConfiguration(NetworkConfigurationHost& host) : host_(host) {}

  bool UpdateUserAgentFlag(bool userScope, bool value);
  // True when stored web or proxy credentials were taken.
  bool GetAuthDataFromRegistry();
  void LoadIgnoreSecurityFlagsFromRegistry();
  bool QueryUserAuthData();
  void SerializeNetworkConfiguration();
  void TryAuthenticateClient();
  // parameters: the lower-cased additional parameters.
  void CheckForClientCertificate(const std::string& parameters);
  void GetCookiesFromWinInetLayer();
  void SaveCookieFile();

  // Passwords kept in the registry: bytes of a stored value, the last one
  // its terminator.
  static std::string UnscrambleRegistryText(const uint8_t* bytes, size_t size);

  // Set when the cookie file was written; the launch hands them on.
  const std::string& CookieFilePath() const { return cookieFilePath_; }
  const std::string& CookieFileGuid() const { return cookieFileGuid_; }
  uint32_t CookieLength() const { return cookieLength_; }
  // The cookies as collected, up to their terminating zero; empty when none were.
  std::string CookieData() const;

 private:
  NetworkConfigurationHost& host_;
  std::vector<char> cookies_;
  uint32_t cookieLength_ = 0;
  std::string cookieFilePath_;
  std::string cookieFileGuid_;
};
