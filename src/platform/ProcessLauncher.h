// Starting an external program and waiting for it to end, or starting one
// that runs beside the loader and keeping hold of it. win32: CreateProcessA,
// WaitForSingleObject, GetExitCodeProcess, TerminateProcess. posix:
// posix_spawn with the command line split into arguments the way a Windows
// program's runtime splits it.
#pragma once

#include <cstdint>
#include <memory>
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

// A program started to run on its own beside the loader (the client
// application). The object keeps the process, so it can be waited for, its
// exit code read and the process ended; letting go of it (Release, or
// destroying the object) leaves the process running.
//
// win32: CreateProcessA(application, commandLine, no inherited handles, no
// creation flags, default environment, workingFolder, default start-up
// information); the thread handle is closed at once, the process handle kept.
//
// posix: application (a Windows path, mapped) must be a program this system
// runs itself: an ELF file, or a script whose first two bytes are "#!".
// Such a file without execute permission (a cabinet member is unpacked
// without it) is given execute permission wherever it has read permission.
// Anything else is refused with kErrorBadExeFormat. The command line is split
// the way a Windows program's runtime splits it; its first element is handed
// on as the program's name.
// ExitProcess: ends the process that runs the loader (the user chose to
// close the application). posix: exit.
[[noreturn]] void ExitThisProcess(uint32_t exitCode);

class StartedProcess {
 public:
  StartedProcess();
  ~StartedProcess();
  StartedProcess(const StartedProcess&) = delete;
  StartedProcess& operator=(const StartedProcess&) = delete;

  // False, with the last error set, when the program cannot be started. A
  // process held before is let go first.
  bool Start(const std::string& application, const std::string& commandLine,
             const std::string& workingFolder);
  bool IsHeld() const;
  // True when the process has ended within timeoutMs (kInfiniteWait: no
  // limit); false when it still runs, or when none is held.
  bool WaitForExit(uint32_t timeoutMs);
  // GetExitCodeProcess: kStillActive while it runs. False when none is held.
  bool ReadExitCode(uint32_t& exitCode);
  // TerminateProcess: the process ends with exitCode.
  bool Terminate(uint32_t exitCode);
  // CloseHandle: the process runs on, no longer watched.
  void Release();

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
