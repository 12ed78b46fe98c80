// What completion and launch take from the session's network side: the
// server's cookies collected for the client and the file they were saved
// in, and the web client whose connection is released once the transfers
// are over. SessionNetwork answers it; a test may hand the control another.
#pragma once

#include <string>

class NetworkHandOver {
 public:
  virtual ~NetworkHandOver() = default;
  // The cookies as collected; empty when none were.
  virtual std::string CookieData() const = 0;
  // The cookie file written for the client; empty when none was.
  virtual std::string CookieFilePath() const = 0;
  // Releases the web client's connection, if it holds one.
  virtual void ReleaseWebConnection() = 0;
};
