// Starting an external program and waiting for it to end. win32:
// CreateProcessA, WaitForSingleObject, GetExitCodeProcess. posix: posix_spawn
// with the command line split into arguments the way a Windows program's
// runtime splits it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Win32Codes.h"

namespace platform {

constexpr uint32_t kStillActive = 259;           // STILL_ACTIVE

enum class ProcessRunResult {
  NotStarted,           // CreateProcessA failed
  ExitCodeRead,         // exitCode holds the exit code, or kStillActive after a time-out
  ExitCodeUnavailable,  // started, but the wait or GetExitCodeProcess failed
};

// commandLine is what CreateProcessA gets with no application name: its first
// token is the program. workingFolder empty: the caller's. When the time-out
// runs out the process is left running and exitCode is kStillActive.
//
// posix: the program (first token) and the working folder are Windows paths
// mapped onto the host (ToNativePath); a program named without any folder is
// looked up along PATH. The other arguments are passed as they are. A child
// ended by a signal reports 128 + the signal number. A child left running
// after a time-out is reaped by a later call.
ProcessRunResult RunProcessAndWait(const std::string& commandLine, const std::string& workingFolder,
                                   bool hidden, uint32_t timeoutMs, uint32_t& exitCode);

}  // namespace platform
