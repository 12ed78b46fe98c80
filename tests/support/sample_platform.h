// What a test needs to talk to the sample platform (tests/sample-platform):
// its URLs and files from the environment that "sample-platform exec" sets,
// and the requests nginx logged.
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
  // True when a logged request line contains part.
  bool Requested(const std::string& part) const;

 private:
  size_t start_ = 0;
};
