#include <windows.h>

#include "platform/DebugOutput.h"

namespace platform {

void SendDebugOutput(const std::string& text) { OutputDebugStringA(text.c_str()); }

DebugOutputSink SetDebugOutputSink(DebugOutputSink) {
  // The debugger channel is the system's; there is no sink to replace.
  return {};
}

}  // namespace platform
