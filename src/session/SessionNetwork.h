// What completion and launch take from the session's network side: the
// server's cookies collected for the client and the file they were saved
// in, and the web client whose connection is released once the transfers
// are over. Start-up owns those objects; NetworkHandOver reads them.
#pragma once

#include <string>

class NetworkConfiguration;
class WinInetWebClient;

class SessionNetwork {
 public:
  virtual ~SessionNetwork() = default;
  // The cookies as collected; empty when none were.
  virtual std::string CookieData() const = 0;
  // The cookie file written for the client; empty when none was.
  virtual std::string CookieFilePath() const = 0;
  // Releases the web client's connection, if it holds one.
  virtual void ReleaseWebConnection() = 0;
};

class NetworkHandOver : public SessionNetwork {
 public:
  NetworkHandOver(const NetworkConfiguration& configuration, WinInetWebClient& webClient)
      : configuration_(configuration), webClient_(webClient) {}

  std::string CookieData() const override;
  std::string CookieFilePath() const override;
  void ReleaseWebConnection() override;

 private:
  const NetworkConfiguration& configuration_;
  WinInetWebClient& webClient_;
};
