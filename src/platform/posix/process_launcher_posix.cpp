#include <errno.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ProcessLauncher.h"
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

}  // namespace platform
