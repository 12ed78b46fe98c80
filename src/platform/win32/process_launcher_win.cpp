#include <windows.h>

#include <vector>

#include "platform/ProcessLauncher.h"
#include "platform/win32/process_wait_win.h"

namespace platform {
namespace {

struct ProcessHandles {
  PROCESS_INFORMATION info{};
  ~ProcessHandles() {
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
  }
};

}  // namespace

ProcessRunResult RunProcessAndWait(const std::string& commandLine, const std::string& workingFolder,
                                   bool hidden, uint32_t timeoutMs, uint32_t& exitCode) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  if (hidden) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
  }
  // CreateProcessA may write into the command line.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  ProcessHandles process;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                      &process.info)) {
    return ProcessRunResult::NotStarted;
  }
  return win32::WaitForExitCode(process.info.hProcess, timeoutMs, exitCode);
}

namespace win32 {

ProcessRunResult WaitForExitCode(HANDLE process, uint32_t timeoutMs, uint32_t& exitCode) {
  const DWORD waited = WaitForSingleObject(process, timeoutMs);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_TIMEOUT)
    return ProcessRunResult::ExitCodeUnavailable;
  DWORD code = 0;
  if (!GetExitCodeProcess(process, &code)) return ProcessRunResult::ExitCodeUnavailable;
  exitCode = code;
  return ProcessRunResult::ExitCodeRead;
}

}  // namespace win32

}  // namespace platform
