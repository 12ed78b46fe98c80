#include "sample_platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "test_files.h"

namespace {

std::string AccessLogPath() {
  return FromBuildMachine(PlatformVariable("VARNIK_PLATFORM_STATE") + "/logs/nginx-access.log");
}

}  // namespace

std::string PlatformVariable(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) {
    ADD_FAILURE() << name << " is not set; run the tests through ctest (sample-platform exec)";
    return "";
  }
  return value;
}

std::string PlatformRoot(const char* server) { return PlatformVariable(server) + "/wnbin"; }

std::string ServedFile(const std::string& relative) {
  return FromBuildMachine(PlatformVariable("VARNIK_PLATFORM_CONTENT") + "/" + relative);
}

ServedRequestLog::ServedRequestLog() : start_(ReadTestFile(AccessLogPath()).size()) {}

std::vector<std::string> ServedRequestLog::Requests() const {
  // nginx logs a request once its reply has gone out, so a client may have
  // the whole reply before the line is written: the log is read once it has
  // stopped growing for a moment.
  std::string log = ReadTestFile(AccessLogPath());
  for (int settled = 0, waited = 0; settled < 5 && waited < 100; ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::string again = ReadTestFile(AccessLogPath());
    settled = again.size() == log.size() ? settled + 1 : 0;
    log = std::move(again);
  }
  std::vector<std::string> requests;
  size_t start = start_;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(start, end - start);
    const size_t open = line.find('"');
    const size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close != std::string::npos) requests.push_back(line.substr(open + 1, close - open - 1));
    start = end + 1;
  }
  return requests;
}

bool ServedRequestLog::Requested(const std::string& part) const {
  for (const std::string& request : Requests()) {
    if (request.find(part) != std::string::npos) return true;
  }
  return false;
}
