// Waiting for a started process and reading its exit code, apart from
// starting it so the answer to a failed wait can be checked on its own.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/ProcessLauncher.h"

namespace platform::win32 {

// WaitForSingleObject, then GetExitCodeProcess. A wait that fails
// (WAIT_FAILED, for instance on a handle without SYNCHRONIZE access) is no
// time-out: the exit code is then unavailable, even though
// GetExitCodeProcess would answer STILL_ACTIVE.
ProcessRunResult WaitForExitCode(HANDLE process, uint32_t timeoutMs, uint32_t& exitCode);

}  // namespace platform::win32
