#include <fcntl.h>
#include <sys/file.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/FileLock.h"
#include "platform/posix/file_errors.h"
#include "platform/posix/machine_root.h"
#include "platform/posix/unique_fd.h"

namespace platform {
namespace {

// Waits for flock without limit; false with errno set when it fails.
bool LockWaiting(int fd, int operation) {
  int result;
  do {
    result = flock(fd, operation);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

// Tries again and again until the deadline, with pauses that grow to 10 ms:
// flock itself cannot wait for a limited time.
Win32Error LockWithin(int fd, int operation, uint32_t timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::chrono::milliseconds pause(1);
  while (true) {
    if (flock(fd, operation | LOCK_NB) == 0) return kErrorSuccess;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return posix::FileErrorFromErrno(errno);
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return kErrorTimeout;
    std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(10));
  }
}

}  // namespace

FileLock::~FileLock() { Release(); }

Win32Error FileLock::Acquire(const std::string& lockPath, FileLockMode mode, uint32_t timeoutMs) {
  Release();
  posix::UniqueFd file(open(posix::HostPath(lockPath).c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666));
  if (!file.Valid()) return posix::FileErrorFromErrno(errno);
  const int operation = mode == FileLockMode::Exclusive ? LOCK_EX : LOCK_SH;
  if (timeoutMs == kInfiniteWait) {
    if (!LockWaiting(file.Get(), operation)) return posix::FileErrorFromErrno(errno);
  } else if (Win32Error error = LockWithin(file.Get(), operation, timeoutMs)) {
    return error;
  }
  handle_ = file.Release();
  return kErrorSuccess;
}

void FileLock::Release() {
  // Closing the descriptor releases the lock.
  if (handle_ != kNoHandle) close(static_cast<int>(handle_));
  handle_ = kNoHandle;
}

}  // namespace platform
