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

namespace platform {

void ExitThisProcess(uint32_t exitCode) { ExitProcess(exitCode); }

class StartedProcess::Impl {
 public:
  ~Impl() { Release(); }

  bool Start(const std::string& application, const std::string& commandLine,
             const std::string& workingFolder) {
    Release();
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info))
      return false;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    return true;
  }

  bool IsHeld() const { return process_ != nullptr; }

  bool WaitForExit(uint32_t timeoutMs) {
    return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
  }

  bool ReadExitCode(uint32_t& exitCode) {
    DWORD code = 0;
    if (!process_ || !GetExitCodeProcess(process_, &code)) return false;
    exitCode = code;
    return true;
  }

  bool Terminate(uint32_t exitCode) {
    return process_ && TerminateProcess(process_, exitCode) != FALSE;
  }

  void Release() {
    if (process_) CloseHandle(process_);
    process_ = nullptr;
  }

 private:
  HANDLE process_ = nullptr;
};

StartedProcess::StartedProcess() : impl_(std::make_unique<Impl>()) {}
StartedProcess::~StartedProcess() = default;

bool StartedProcess::Start(const std::string& application, const std::string& commandLine,
                           const std::string& workingFolder) {
  return impl_->Start(application, commandLine, workingFolder);
}
bool StartedProcess::IsHeld() const { return impl_->IsHeld(); }
bool StartedProcess::WaitForExit(uint32_t timeoutMs) { return impl_->WaitForExit(timeoutMs); }
bool StartedProcess::ReadExitCode(uint32_t& exitCode) { return impl_->ReadExitCode(exitCode); }
bool StartedProcess::Terminate(uint32_t exitCode) { return impl_->Terminate(exitCode); }
void StartedProcess::Release() { impl_->Release(); }

}  // namespace platform
