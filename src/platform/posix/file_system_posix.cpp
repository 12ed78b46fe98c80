#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"
#include "platform/posix/file_errors.h"
#include "platform/posix/machine_root.h"

namespace platform {

Win32Error posix::FileErrorFromErrno(int error) {
  switch (error) {
    case ENOENT: return kErrorPathNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return kErrorAccessDenied;
    case EEXIST: return kErrorAlreadyExists;
    case ENAMETOOLONG: return kErrorFilenameExcedRange;
    case ENOMEM: return kErrorNotEnoughMemory;
    default: return kErrorInvalidParameter;
  }
}

Win32Error posix::MissingEntryError(const std::string& host) {
  const size_t slash = host.find_last_of('/');
  const std::string parent = slash == std::string::npos ? "." : host.substr(0, slash);
  struct stat info;
  return stat(parent.c_str(), &info) == 0 ? kErrorFileNotFound : kErrorPathNotFound;
}

namespace {

std::string WithoutLongPathPrefix(const std::string& path) {
  return path.rfind("\\\\?\\", 0) == 0 ? path.substr(4) : path;
}

bool IsAbsoluteWindowsPath(const std::string& path) {
  const std::string bare = WithoutLongPathPrefix(path);
  if (bare.size() >= 3 && std::isalpha(static_cast<unsigned char>(bare[0])) && bare[1] == ':' &&
      (bare[2] == '\\' || bare[2] == '/'))
    return true;
  return bare.rfind("\\\\", 0) == 0 || (!bare.empty() && bare[0] == '/');
}

uint32_t AttributesOf(const std::string& name, const struct stat& info) {
  uint32_t attributes = 0;
  if (S_ISDIR(info.st_mode)) {
    attributes |= kFileAttributeDirectory;
  } else {
    attributes |= kFileAttributeArchive;
  }
  if (!(info.st_mode & S_IWUSR)) attributes |= kFileAttributeReadOnly;
  if (!name.empty() && name[0] == '.') attributes |= kFileAttributeHidden;
  return attributes;
}

std::string LastComponent(const std::string& hostPath) {
  const size_t slash = hostPath.find_last_of('/');
  return slash == std::string::npos ? hostPath : hostPath.substr(slash + 1);
}

// The attributes of the entry at a host path, as Windows reports a link:
// what it points to (only the archive bit when it points nowhere) and the
// reparse-point bit.
bool HostAttributes(const std::string& host, uint32_t& attributes) {
  struct stat link;
  if (lstat(host.c_str(), &link) != 0) return false;
  struct stat info;
  if (stat(host.c_str(), &info) == 0) {
    attributes = AttributesOf(LastComponent(host), info);
  } else if (S_ISLNK(link.st_mode)) {
    attributes = kFileAttributeArchive;
  } else {
    return false;
  }
  if (S_ISLNK(link.st_mode)) attributes |= kFileAttributeReparsePoint;
  return true;
}

}  // namespace

std::string ToNativePath(const std::string& path) { return posix::HostPath(path); }

bool ReadPathAttributes(const std::string& path, uint32_t& attributes) {
  if (path.empty()) return false;
  return HostAttributes(posix::HostPath(path), attributes);
}

Win32Error CreateDirectoryWithParents(const std::string& path) {
  if (!IsAbsoluteWindowsPath(path)) return kErrorBadPathname;
  const std::string host = posix::HostPath(path);
  struct stat info;
  // CreateDirectory reports an existing entry the same way whether it is a
  // folder or a file.
  if (stat(host.c_str(), &info) == 0) return kErrorAlreadyExists;

  // Create each missing component from the top down.
  std::string built;
  size_t position = 0;
  while (position != std::string::npos) {
    position = host.find('/', position + 1);
    built = host.substr(0, position);
    if (built.empty()) continue;
    if (mkdir(built.c_str(), 0777) != 0 && errno != EEXIST) return posix::FileErrorFromErrno(errno);
  }
  if (stat(host.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return kErrorPathNotFound;
  return kErrorSuccess;
}

Win32Error DeletePath(const std::string& path) {
  const std::string host = posix::HostPath(path);
  struct stat info;
  // A link to a folder is a folder to DeleteFileA as well.
  if (stat(host.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return kErrorAccessDenied;
  if (unlink(host.c_str()) == 0) return kErrorSuccess;
  return errno == ENOENT ? posix::MissingEntryError(host) : posix::FileErrorFromErrno(errno);
}

Win32Error RemoveFolder(const std::string& path) {
  const std::string host = posix::HostPath(path);
  struct stat link;
  if (lstat(host.c_str(), &link) != 0)
    return errno == ENOENT ? posix::MissingEntryError(host) : posix::FileErrorFromErrno(errno);
  if (S_ISLNK(link.st_mode)) {
    struct stat info;
    if (stat(host.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return kErrorDirectory;
    return unlink(host.c_str()) == 0 ? kErrorSuccess : posix::FileErrorFromErrno(errno);
  }
  if (!S_ISDIR(link.st_mode)) return kErrorDirectory;
  if (rmdir(host.c_str()) == 0) return kErrorSuccess;
  return errno == ENOTEMPTY || errno == EEXIST ? kErrorDirNotEmpty : posix::FileErrorFromErrno(errno);
}

Win32Error FindEntries(const std::string& pattern, std::vector<FoundEntry>& entries) {
  entries.clear();
  const size_t separator = pattern.find_last_of("\\/");
  const std::string folder = separator == std::string::npos ? "." : pattern.substr(0, separator);
  const std::string mask = separator == std::string::npos ? pattern : pattern.substr(separator + 1);
  const std::string hostFolder = separator == std::string::npos ? "." : posix::HostPath(folder);

  DIR* dir = opendir(hostFolder.c_str());
  if (!dir) return kErrorPathNotFound;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || !MatchesWildcard(name, mask)) continue;
    const std::string hostEntry = hostFolder + "/" + name;
    FoundEntry found;
    found.name = name;
    if (!HostAttributes(hostEntry, found.attributes)) continue;
    struct stat info;
    if (stat(hostEntry.c_str(), &info) == 0) {
      if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        found.attributes |= kFileAttributeDevice;
      found.size = S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
    }
    entries.push_back(found);
  }
  closedir(dir);
  return entries.empty() ? kErrorFileNotFound : kErrorSuccess;
}

FILE* OpenStdioFile(const std::string& path, const char* mode) {
  return std::fopen(posix::HostPath(path).c_str(), mode);
}

FILE* OpenPrivateStdioFile(const std::string& path, const char* mode) {
  const std::string host = posix::HostPath(path);
  int flags = O_CREAT | O_CLOEXEC | O_NOFOLLOW;
  switch (mode[0]) {
    case 'w': flags |= O_TRUNC; break;
    case 'a': flags |= O_APPEND; break;
    default: return std::fopen(host.c_str(), mode);  // reading creates nothing
  }
  flags |= std::strchr(mode, '+') ? O_RDWR : O_WRONLY;
  const int descriptor = open(host.c_str(), flags, 0600);
  if (descriptor < 0) return nullptr;
  // An older file keeps its mode through open(); it is made private too.
  FILE* file = fchmod(descriptor, 0600) == 0 ? fdopen(descriptor, mode) : nullptr;
  if (!file) close(descriptor);
  return file;
}

Win32Error PlaceFileReplacing(const std::string& source, const std::string& target) {
  const std::string from = posix::HostPath(source);
  const std::string to = posix::HostPath(target);
  struct stat info;
  // rename() would put a file in place of an empty folder; Windows refuses.
  if (stat(to.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return kErrorAccessDenied;
  if (rename(from.c_str(), to.c_str()) == 0) return kErrorSuccess;
  if (errno != EXDEV) return posix::FileErrorFromErrno(errno);
  static std::atomic<unsigned> placements{0};
  const std::string beside = to + "." + std::to_string(getpid()) + "-" + std::to_string(++placements) + ".new";
  Win32Error error = CopyFileReplacing(from, beside);
  if (!error && rename(beside.c_str(), to.c_str()) != 0) error = posix::FileErrorFromErrno(errno);
  if (error) {
    unlink(beside.c_str());
    return error;
  }
  unlink(from.c_str());
  return kErrorSuccess;
}

Win32Error CopyFileReplacing(const std::string& source, const std::string& target) {
  const int in = open(posix::HostPath(source).c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return errno == ENOENT ? kErrorFileNotFound : posix::FileErrorFromErrno(errno);
  struct stat info;
  if (fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(in);
    return kErrorAccessDenied;
  }
  const int out = open(posix::HostPath(target).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                       info.st_mode & 0777);
  if (out < 0) {
    const Win32Error error = posix::FileErrorFromErrno(errno);
    close(in);
    return error;
  }
  Win32Error result = kErrorSuccess;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(in, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      result = posix::FileErrorFromErrno(errno);
      break;
    }
    if (got == 0) break;
    for (ssize_t written = 0; written < got;) {
      const ssize_t put = write(out, buffer + written, static_cast<size_t>(got - written));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        result = put < 0 ? posix::FileErrorFromErrno(errno) : kErrorAccessDenied;
        break;
      }
      written += put;
    }
    if (result != kErrorSuccess) break;
  }
  close(in);
  if (close(out) != 0 && result == kErrorSuccess) result = posix::FileErrorFromErrno(errno);
  return result;
}

bool CanOpenForReading(const std::string& path) {
  if (path.empty()) return false;
  const int descriptor = open(posix::HostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  struct stat info;
  const bool file = fstat(descriptor, &info) == 0 && !S_ISDIR(info.st_mode);
  close(descriptor);
  return file;
}

}  // namespace platform
