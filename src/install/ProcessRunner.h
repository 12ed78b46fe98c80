// The process runner: every external program the loader starts for an
// installation (setup programs, reg.exe, rundll32.exe, msiexec.exe,
// regasm.exe, mmerge.exe, COM executables) runs through it and is waited for.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ProcessLauncher.h"

// Starts "program" with the argument text, in the program's own folder, and
// waits up to timeoutMs (platform::kInfiniteWait: no limit). True when the
// process ran and its exit code was read into exitCode; after a time-out that
// code is platform::kStillActive (259) and the process keeps running. A
// program that cannot be started gives false and leaves exitCode untouched.
// hidden starts it with its window hidden.
bool runExeAndWait(const std::string& program, uint32_t& exitCode, const std::string& arguments,
                   uint32_t timeoutMs, bool hidden);
