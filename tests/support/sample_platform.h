// Tests that talk to the sample platform: its URLs and folders come from
// the environment (sample-platform exec), its nginx access log tells which
// requests a test made.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A variable sample-platform wrote; fails the test when it is missing.
std::string PlatformVariable(const char* name);
// The platform's server root (TkRootURL) on one of its servers, by the
// variable naming that server.
std::string PlatformRoot(const char* server = "VARNIK_PLATFORM_HTTP");
// A file of the served tree ("wnbin/hello.txt") as this binary opens it.
std::string ServedFile(const std::string& relative);

// The request lines ("GET /wnbin/x HTTP/1.1") nginx logs from the moment
// the object is made; read once the log has stopped growing for 50 ms.
class ServedRequestLog {
 public:
  ServedRequestLog();
  std::vector<std::string> Requests() const;

 private:
  size_t start_ = 0;
};
