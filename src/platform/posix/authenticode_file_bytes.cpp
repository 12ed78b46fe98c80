#include "platform/posix/authenticode_file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <limits>
#include <new>

#include "platform/posix/file_errors.h"
#include "platform/posix/unique_fd.h"

namespace platform::posix::authenticode {

Win32Error FileBytes::Read(const std::string& hostPath) {
  bytes_.clear();
  UniqueFd file(open(hostPath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.Valid()) return FileErrorForPath(errno, hostPath);
  struct stat info = {};
  if (fstat(file.Get(), &info) != 0) return FileErrorFromErrno(errno);
  if (S_ISDIR(info.st_mode)) return kErrorAccessDenied;
  if (!S_ISREG(info.st_mode)) return kErrorInvalidParameter;
  if (static_cast<uint64_t>(info.st_size) > std::numeric_limits<size_t>::max())
    return kErrorNotEnoughMemory;

  try {
    bytes_.resize(static_cast<size_t>(info.st_size));
  } catch (const std::bad_alloc&) {
    return kErrorNotEnoughMemory;
  }
  const ReadOutcome outcome = ReadExactlyAt(file.Get(), 0, bytes_.data(), bytes_.size());
  if (outcome == ReadOutcome::Complete) return kErrorSuccess;
  const int error = errno;
  bytes_.clear();
  // Running out of file means it was shortened while being read.
  return outcome == ReadOutcome::EndOfFile ? kErrorHandleEof : FileErrorFromErrno(error);
}

}  // namespace platform::posix::authenticode
