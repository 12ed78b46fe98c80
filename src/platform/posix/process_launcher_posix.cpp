#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/LastError.h"
#include "platform/ProcessLauncher.h"
#include "platform/posix/file_errors.h"
#include "platform/posix/unique_fd.h"
#include "platform/posix/windows_command_line.h"

extern char** environ;

namespace platform {
namespace {

// Children that outlived their time-out; nobody waits for them any more,
// so they are reaped here once they end.
std::mutex g_abandonedLock;
std::vector<pid_t> g_abandoned;

void ReapAbandonedChildren() {
  std::lock_guard<std::mutex> guard(g_abandonedLock);
  g_abandoned.erase(std::remove_if(g_abandoned.begin(), g_abandoned.end(),
                                   [](pid_t child) {
                                     int status = 0;
                                     const pid_t result = waitpid(child, &status, WNOHANG);
                                     return result == child || (result < 0 && errno == ECHILD);
                                   }),
                    g_abandoned.end());
}

void Abandon(pid_t child) {
  std::lock_guard<std::mutex> guard(g_abandonedLock);
  g_abandoned.push_back(child);
}

uint32_t ExitCodeOf(int status) {
  if (WIFEXITED(status)) return static_cast<uint32_t>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128u + static_cast<uint32_t>(WTERMSIG(status));
  return 0;
}

class SpawnActions {
 public:
  SpawnActions() { ready_ = posix_spawn_file_actions_init(&actions_) == 0; }
  ~SpawnActions() {
    if (ready_) posix_spawn_file_actions_destroy(&actions_);
  }
  bool IsReady() const { return ready_; }
  bool ChangeFolder(const std::string& folder) {
    return posix_spawn_file_actions_addchdir_np(&actions_, folder.c_str()) == 0;
  }
  const posix_spawn_file_actions_t* Get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
  bool ready_ = false;
};

bool IsBareName(const std::string& program) {
  return program.find_first_of("\\/:") == std::string::npos;
}

// Windows resolves a relative program against the caller's folder, not the
// child's.
std::string AbsoluteHostPath(const std::string& hostPath) {
  if (!hostPath.empty() && hostPath[0] == '/') return hostPath;
  std::vector<char> folder(4096);
  if (!getcwd(folder.data(), folder.size())) return hostPath;
  return std::string(folder.data()) + "/" + hostPath;
}

// Waits for the child; false when the time-out ran out first.
bool WaitForChild(pid_t child, uint32_t timeoutMs, int& status, bool& failed) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::chrono::milliseconds pause(1);
  failed = false;
  while (true) {
    const pid_t result = waitpid(child, &status, timeoutMs == kInfiniteWait ? 0 : WNOHANG);
    if (result == child) return true;
    if (result < 0 && errno == EINTR) continue;
    if (result < 0) {
      failed = true;
      return true;
    }
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return false;
    std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
  }
}

// The launch rule of a program started to run on its own: an ELF file or a
// "#!" script, made executable where it may be read. Anything else is not a
// program this system runs, whatever its name says.
bool PrepareNativeProgram(const std::string& hostPath) {
  const int descriptor = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    SetLastErrorCode(posix::FileErrorForPath(errno, hostPath));
    return false;
  }
  posix::UniqueFd file(descriptor);
  char start[4] = {};
  const ssize_t read = ::read(file.Get(), start, sizeof(start));
  const bool elf = read == 4 && start[0] == 0x7F && start[1] == 'E' && start[2] == 'L' &&
                   start[3] == 'F';
  const bool script = read >= 2 && start[0] == '#' && start[1] == '!';
  struct stat facts {};
  if ((!elf && !script) || fstat(file.Get(), &facts) != 0 || !S_ISREG(facts.st_mode)) {
    SetLastErrorCode(kErrorBadExeFormat);
    return false;
  }
  // Execute permission wherever the file may be read: r-- becomes r-x.
  const mode_t executable = facts.st_mode | ((facts.st_mode & 0444) >> 2);
  if (executable != facts.st_mode && fchmod(file.Get(), executable & 07777) != 0) {
    SetLastErrorCode(posix::FileErrorFromErrno(errno));
    return false;
  }
  return true;
}

}  // namespace

ProcessRunResult RunProcessAndWait(const std::string& commandLine, const std::string& workingFolder,
                                   bool hidden, uint32_t timeoutMs, uint32_t& exitCode) {
  (void)hidden;  // there is no window to hide
  ReapAbandonedChildren();
  const std::vector<std::string> arguments = posix::SplitWindowsCommandLine(commandLine);
  if (arguments.empty() || arguments[0].empty()) return ProcessRunResult::NotStarted;
  const std::string& program = arguments[0];
  const bool bare = IsBareName(program);
  const std::string executable = bare ? program : AbsoluteHostPath(ToNativePath(program));

  SpawnActions actions;
  if (!actions.IsReady()) return ProcessRunResult::NotStarted;
  if (!workingFolder.empty() && !actions.ChangeFolder(ToNativePath(workingFolder)))
    return ProcessRunResult::NotStarted;

  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  pid_t child = 0;
  const int spawned =
      bare ? posix_spawnp(&child, executable.c_str(), actions.Get(), nullptr, argv.data(), environ)
           : posix_spawn(&child, executable.c_str(), actions.Get(), nullptr, argv.data(), environ);
  if (spawned != 0) return ProcessRunResult::NotStarted;

  int status = 0;
  bool failed = false;
  if (!WaitForChild(child, timeoutMs, status, failed)) {
    Abandon(child);
    exitCode = kStillActive;
    return ProcessRunResult::ExitCodeRead;
  }
  if (failed) return ProcessRunResult::ExitCodeUnavailable;
  exitCode = ExitCodeOf(status);
  return ProcessRunResult::ExitCodeRead;
}

void ExitThisProcess(uint32_t exitCode) { std::exit(static_cast<int>(exitCode)); }

class StartedProcess::Impl {
 public:
  ~Impl() { Release(); }

  bool Start(const std::string& application, const std::string& commandLine,
             const std::string& workingFolder) {
    Release();
    ReapAbandonedChildren();
    const std::string executable = AbsoluteHostPath(ToNativePath(application));
    if (!PrepareNativeProgram(executable)) return false;
    std::vector<std::string> arguments = posix::SplitWindowsCommandLine(commandLine);
    if (arguments.empty()) arguments.push_back(application);
    SpawnActions actions;
    if (!actions.IsReady() ||
        (!workingFolder.empty() && !actions.ChangeFolder(ToNativePath(workingFolder)))) {
      SetLastErrorCode(kErrorPathNotFound);
      return false;
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, executable.c_str(), actions.Get(), nullptr, argv.data(), environ);
    if (spawned != 0) {
      SetLastErrorCode(spawned == ENOEXEC ? kErrorBadExeFormat : posix::FileErrorFromErrno(spawned));
      return false;
    }
    child_ = child;
    ended_ = false;
    return true;
  }

  bool IsHeld() const { return child_ != 0; }

  bool WaitForExit(uint32_t timeoutMs) {
    if (!child_) return false;
    if (ended_) return true;
    int status = 0;
    bool failed = false;
    if (!WaitForChild(child_, timeoutMs, status, failed)) return false;
    Ended(failed ? 0 : ExitCodeOf(status));
    return true;
  }

  bool ReadExitCode(uint32_t& exitCode) {
    if (!child_) return false;
    if (!ended_) {
      int status = 0;
      const pid_t result = waitpid(child_, &status, WNOHANG);
      if (result == 0) {
        exitCode = kStillActive;
        return true;
      }
      Ended(result == child_ ? ExitCodeOf(status) : 0);
    }
    exitCode = exitCode_;
    return true;
  }

  bool Terminate(uint32_t exitCode) {
    uint32_t current = 0;
    // A process that has ended keeps its own exit code, as on Windows.
    if (!ReadExitCode(current) || ended_) return false;
    if (kill(child_, SIGKILL) != 0) return false;
    int status = 0;
    while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {
    }
    // Windows' process ends with the code it was given.
    Ended(exitCode);
    return true;
  }

  void Release() {
    if (child_ && !ended_) Abandon(child_);
    child_ = 0;
    ended_ = false;
  }

 private:
  void Ended(uint32_t exitCode) {
    ended_ = true;
    exitCode_ = exitCode;
  }

  pid_t child_ = 0;
  bool ended_ = false;
  uint32_t exitCode_ = 0;
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
