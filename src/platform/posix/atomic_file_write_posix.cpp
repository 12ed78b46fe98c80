#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/AtomicFileWrite.h"
#include "platform/posix/file_errors.h"
#include "platform/posix/machine_root.h"
#include "platform/posix/unique_fd.h"

namespace platform {
namespace {

Win32Error WriteAll(int fd, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = write(fd, bytes.data() + written, bytes.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return posix::FileErrorFromErrno(errno);
    written += static_cast<size_t>(count);
  }
  return kErrorSuccess;
}

// A name beside the target that no other writer, in this process or
// another, picks at the same time.
Win32Error CreateNewFileBeside(const std::string& target, std::string& name, posix::UniqueFd& fd) {
  static std::atomic<unsigned> counter{0};
  while (true) {
    name = target + "." + std::to_string(getpid()) + "." + std::to_string(++counter) + ".tmp";
    fd.Reset(open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.Valid()) return kErrorSuccess;
    if (errno != EEXIST) return posix::FileErrorForPath(errno, name);
  }
}

}  // namespace

Win32Error WriteFileAtomically(const std::string& path, const std::string& bytes,
                               SaveDurability durability) {
  std::string target;
  if (!posix::MapWindowsPath(path, target)) return kErrorInvalidName;
  struct stat existing;
  const bool exists = stat(target.c_str(), &existing) == 0;
  // rename would replace a read-only file, an empty folder or a device;
  // Windows refuses them all.
  if (exists && (!S_ISREG(existing.st_mode) || !(existing.st_mode & S_IWUSR)))
    return kErrorAccessDenied;

  std::string temporary;
  posix::UniqueFd fd;
  if (Win32Error error = CreateNewFileBeside(target, temporary, fd)) return error;
  Win32Error error = kErrorSuccess;
  if (exists && fchmod(fd.Get(), existing.st_mode & 07777) != 0)
    error = posix::FileErrorFromErrno(errno);
  if (!error) error = WriteAll(fd.Get(), bytes);
  // On disk before the rename, so a crash leaves the old content or the new.
  if (!error && durability == SaveDurability::Flushed && fsync(fd.Get()) != 0)
    error = posix::FileErrorFromErrno(errno);
  if (!fd.Close() && !error) error = posix::FileErrorFromErrno(errno);
  if (!error && rename(temporary.c_str(), target.c_str()) != 0)
    error = posix::FileErrorFromErrno(errno);
  if (error) unlink(temporary.c_str());
  return error;
}

}  // namespace platform
