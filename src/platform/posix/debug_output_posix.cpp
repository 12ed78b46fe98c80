#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/DebugOutput.h"

namespace platform {
namespace {

void DefaultSink(const std::string& text) {
  static const bool enabled = [] {
    const char* flag = std::getenv("VARNIK_DEBUG_OUTPUT");
    return flag && std::strcmp(flag, "1") == 0;
  }();
  if (enabled) std::fprintf(stderr, "%s\n", text.c_str());
}

std::mutex& SinkLock() {
  static std::mutex lock;
  return lock;
}

DebugOutputSink& CurrentSink() {
  static DebugOutputSink sink;
  return sink;
}

}  // namespace

void SendDebugOutput(const std::string& text) {
  std::lock_guard<std::mutex> guard(SinkLock());
  if (CurrentSink()) {
    CurrentSink()(text);
  } else {
    DefaultSink(text);
  }
}

DebugOutputSink SetDebugOutputSink(DebugOutputSink sink) {
  std::lock_guard<std::mutex> guard(SinkLock());
  return std::exchange(CurrentSink(), std::move(sink));
}

}  // namespace platform
