// A lock that processes (and threads) take on a lock file before they read,
// change and rewrite a file that others change too. win32: LockFileEx on the
// lock file. posix: flock. The lock file is created when missing and left in
// place: removing it would let a newcomer lock a fresh file nobody else
// holds. A process that ends loses its locks.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Win32Codes.h"

namespace platform {

enum class FileLockMode { Shared, Exclusive };

class FileLock {
 public:
  FileLock() = default;
  ~FileLock();  // releases the lock
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Waits up to timeoutMs (kInfiniteWait: without limit) until the lock on
  // the file at lockPath is held. kErrorSuccess; kErrorTimeout when others
  // held it all that time; else the error that kept the lock file from
  // being opened or created. Read access to the lock file is enough, so a
  // lock file another user made can still be locked. Within one process
  // each FileLock is a holder of its own: a second exclusive lock on the
  // same file waits for the first.
  Win32Error Acquire(const std::string& lockPath, FileLockMode mode, uint32_t timeoutMs);
  void Release();
  bool IsHeld() const { return handle_ != kNoHandle; }

 private:
  static constexpr intptr_t kNoHandle = -1;
  intptr_t handle_ = kNoHandle;  // HANDLE on win32, file descriptor on posix
};

}  // namespace platform
