#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <chrono>

#include "platform/FileLock.h"
#include "platform/retry_while_busy.h"
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

// flock itself cannot wait for a limited time.
Win32Error LockWithin(int fd, int operation, uint32_t timeoutMs) {
  Win32Error error = kErrorSuccess;
  const bool finished =
      RetryWhileBusy(std::chrono::milliseconds(timeoutMs), std::chrono::milliseconds(10), [&] {
        if (flock(fd, operation | LOCK_NB) == 0) return false;
        if (errno == EWOULDBLOCK || errno == EINTR) return true;
        error = posix::FileErrorFromErrno(errno);
        return false;
      });
  return finished ? error : kErrorTimeout;
}

}  // namespace

FileLock::~FileLock() { Release(); }

Win32Error FileLock::Acquire(const std::string& lockPath, FileLockMode mode, uint32_t timeoutMs) {
  Release();
  std::string hostPath;
  if (!posix::MapWindowsPath(lockPath, hostPath)) return kErrorInvalidName;
  posix::UniqueFd file(open(hostPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666));
  if (!file.Valid()) return posix::FileErrorForPath(errno, hostPath);
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
