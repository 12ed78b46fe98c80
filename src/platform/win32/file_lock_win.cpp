#include <windows.h>

#include <chrono>

#include "platform/FileLock.h"
#include "platform/retry_while_busy.h"

namespace platform {
namespace {

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Read access is enough for LockFileEx; it is all a user may have on a lock
// file another user created.
HANDLE OpenLockFile(const std::string& path) {
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
    file = CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  return file;
}

// The first byte stands for the whole file; it may lie past the end.
bool LockFirstByte(HANDLE file, DWORD flags) {
  OVERLAPPED where{};
  return LockFileEx(file, flags, 0, 1, 0, &where) != FALSE;
}

// LockFileEx waits either without limit or not at all.
Win32Error LockWithin(HANDLE file, DWORD flags, uint32_t timeoutMs) {
  Win32Error error = kErrorSuccess;
  const bool finished =
      RetryWhileBusy(std::chrono::milliseconds(timeoutMs), std::chrono::milliseconds(10), [&] {
        if (LockFirstByte(file, flags | LOCKFILE_FAIL_IMMEDIATELY)) return false;
        const DWORD result = GetLastError();
        if (result == ERROR_LOCK_VIOLATION || result == ERROR_IO_PENDING) return true;
        error = static_cast<Win32Error>(result);
        return false;
      });
  return finished ? error : kErrorTimeout;
}

}  // namespace

FileLock::~FileLock() { Release(); }

Win32Error FileLock::Acquire(const std::string& lockPath, FileLockMode mode, uint32_t timeoutMs) {
  Release();
  HANDLE file = OpenLockFile(lockPath);
  if (file == INVALID_HANDLE_VALUE) return static_cast<Win32Error>(GetLastError());
  const DWORD flags = mode == FileLockMode::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0;
  Win32Error error = kErrorSuccess;
  if (timeoutMs == kInfiniteWait) {
    if (!LockFirstByte(file, flags)) error = static_cast<Win32Error>(GetLastError());
  } else {
    error = LockWithin(file, flags, timeoutMs);
  }
  if (error) {
    CloseHandle(file);
    return error;
  }
  handle_ = reinterpret_cast<intptr_t>(file);
  return kErrorSuccess;
}

void FileLock::Release() {
  if (handle_ == kNoHandle) return;
  // Unlocked at once: a lock left to the closing of its handle may linger.
  OVERLAPPED where{};
  UnlockFileEx(AsHandle(handle_), 0, 1, 0, &where);
  CloseHandle(AsHandle(handle_));
  handle_ = kNoHandle;
}

}  // namespace platform
