// The debugger output channel. win32: OutputDebugStringA. posix: a sink the
// host chooses; the default sink writes to stderr when VARNIK_DEBUG_OUTPUT=1
// and discards the text otherwise.
#pragma once

#include <functional>
#include <string>

namespace platform {

void SendDebugOutput(const std::string& text);

using DebugOutputSink = std::function<void(const std::string&)>;

// posix only: replaces the sink (an empty function restores the default) and
// returns the one it replaced. On win32 the text always goes to
// OutputDebugStringA; tests capture it there with DebugOutputCapture.
DebugOutputSink SetDebugOutputSink(DebugOutputSink sink);

}  // namespace platform
