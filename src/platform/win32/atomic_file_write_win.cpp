#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>

#include "platform/AtomicFileWrite.h"
#include "platform/retry_while_busy.h"
#include "platform/win32/file_handle.h"

namespace platform {
namespace {

using win32::FileHandle;

// How long the replacing rename is tried again while a reader has the
// target open without sharing its deletion (the C runtime's streams do).
constexpr std::chrono::milliseconds kReplaceRetryTime(2000);

Win32Error LastError() { return static_cast<Win32Error>(GetLastError()); }

// A name beside the target that no other writer, in this process or
// another, picks at the same time.
Win32Error CreateNewFileBeside(const std::string& target, std::string& name, FileHandle& file) {
  static std::atomic<unsigned long> counter{0};
  while (true) {
    name = target + "." + std::to_string(GetCurrentProcessId()) + "." +
           std::to_string(++counter) + ".tmp";
    file.Reset(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Valid()) return kErrorSuccess;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
      return static_cast<Win32Error>(error);
  }
}

Win32Error WriteAll(HANDLE file, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 30));
    DWORD count = 0;
    if (!WriteFile(file, bytes.data() + written, chunk, &count, nullptr)) return LastError();
    written += count;
  }
  return kErrorSuccess;
}

Win32Error ReplaceTarget(const std::string& temporary, const std::string& target) {
  Win32Error error = kErrorSuccess;
  RetryWhileBusy(kReplaceRetryTime, std::chrono::milliseconds(20), [&] {
    if (MoveFileExA(temporary.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      error = kErrorSuccess;
      return false;
    }
    error = LastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
  });
  return error;
}

}  // namespace

Win32Error WriteFileAtomically(const std::string& path, const std::string& bytes,
                               SaveDurability durability) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
    return kErrorAccessDenied;

  std::string temporary;
  FileHandle file;
  if (Win32Error error = CreateNewFileBeside(path, temporary, file)) return error;
  Win32Error error = WriteAll(file.Get(), bytes);
  // On disk before the rename, so a crash leaves the old content or the new.
  if (!error && durability == SaveDurability::Flushed && !FlushFileBuffers(file.Get()))
    error = LastError();
  if (!file.Close() && !error) error = LastError();
  if (!error) error = ReplaceTarget(temporary, path);
  if (error) DeleteFileA(temporary.c_str());
  return error;
}

}  // namespace platform
