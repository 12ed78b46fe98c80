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
#include "platform/TextCompare.h"
#include "platform/posix/file_errors.h"
#include "platform/posix/machine_root.h"
#include "platform/posix/unique_fd.h"

namespace platform {
namespace {

// What SHCreateDirectoryEx accepts: a drive or UNC path, a "\\?\" path, or
// (posix only) a host path.
bool IsFullPath(const std::string& path) {
  if (path.rfind("\\\\", 0) == 0 || (!path.empty() && path[0] == '/')) return true;
  return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
         path[1] == ':' && (path[2] == '\\' || path[2] == '/');
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

// FindFirstFile's reading of a mask: a final ".*" also matches the end of a
// name that has no extension, so "*.*" matches every name and "setup.*"
// matches "setup".
bool MatchesMask(const std::string& name, const std::string& mask) {
  if (MatchesWildcard(name, mask)) return true;
  const bool extensionWildcard = mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0;
  return extensionWildcard && name.find('.') == std::string::npos &&
         MatchesWildcard(name, mask.substr(0, mask.size() - 2));
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

// What Windows reports for a path that names nothing: the file is missing
// when its folder exists, else the path.
}  // namespace

std::string ToNativePath(const std::string& path) { return posix::HostPath(path); }

bool ReadPathAttributes(const std::string& path, uint32_t& attributes) {
  std::string host;
  if (path.empty() || !posix::MapWindowsPath(path, host)) return false;
  return HostAttributes(host, attributes);
}

Win32Error CreateDirectoryWithParents(const std::string& path) {
  if (!IsFullPath(path)) return kErrorBadPathname;
  std::string host;
  if (!posix::MapWindowsPath(path, host)) return kErrorInvalidName;
  struct stat info;
  if (stat(host.c_str(), &info) == 0)
    return S_ISDIR(info.st_mode) ? kErrorAlreadyExists : kErrorFileExists;

  // Create each missing component from the top down.
  std::string built;
  size_t position = 0;
  while (position != std::string::npos) {
    position = host.find('/', position + 1);
    built = host.substr(0, position);
    if (built.empty()) continue;
    if (mkdir(built.c_str(), 0777) != 0 && errno != EEXIST)
      return posix::FileErrorForPath(errno, built);
  }
  if (stat(host.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return kErrorPathNotFound;
  return kErrorSuccess;
}

Win32Error DeletePath(const std::string& path) {
  std::string host;
  if (!posix::MapWindowsPath(path, host)) return kErrorInvalidName;
  struct stat info;
  // A link to a folder is a folder to DeleteFileA as well.
  if (stat(host.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return kErrorAccessDenied;
  // DeleteFileA leaves a file marked read-only; a link is judged by itself.
  struct stat entry;
  if (lstat(host.c_str(), &entry) == 0 && S_ISREG(entry.st_mode) && !(entry.st_mode & S_IWUSR))
    return kErrorAccessDenied;
  if (unlink(host.c_str()) == 0) return kErrorSuccess;
  return posix::FileErrorForPath(errno, host);
}

Win32Error RemoveFolder(const std::string& path) {
  std::string host;
  if (!posix::MapWindowsPath(path, host)) return kErrorInvalidName;
  struct stat link;
  if (lstat(host.c_str(), &link) != 0) return posix::FileErrorForPath(errno, host);
  if (S_ISLNK(link.st_mode)) {
    struct stat info;
    if (stat(host.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return kErrorDirectory;
    return unlink(host.c_str()) == 0 ? kErrorSuccess : posix::FileErrorFromErrno(errno);
  }
  if (!S_ISDIR(link.st_mode)) return kErrorDirectory;
  if (rmdir(host.c_str()) == 0) return kErrorSuccess;
  return errno == ENOTEMPTY || errno == EEXIST ? kErrorDirNotEmpty
                                               : posix::FileErrorFromErrno(errno);
}

Win32Error FindEntries(const std::string& pattern, std::vector<FoundEntry>& entries) {
  entries.clear();
  const size_t separator = pattern.find_last_of("\\/");
  const std::string mask = separator == std::string::npos ? pattern : pattern.substr(separator + 1);
  std::string hostFolder = ".";
  if (separator != std::string::npos &&
      !posix::MapWindowsPath(pattern.substr(0, separator), hostFolder))
    return kErrorInvalidName;

  DIR* dir = opendir(hostFolder.c_str());
  if (!dir) {
    return errno == ENOENT || errno == ENOTDIR ? kErrorPathNotFound
                                               : posix::FileErrorFromErrno(errno);
  }
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || !MatchesMask(name, mask)) continue;
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
  std::string host;
  if (!posix::MapWindowsPath(path, host)) {
    errno = EINVAL;
    return nullptr;
  }
  return std::fopen(host.c_str(), mode);
}

FILE* OpenPrivateStdioFile(const std::string& path, const char* mode) {
  std::string host;
  if (!posix::MapWindowsPath(path, host)) {
    errno = EINVAL;
    return nullptr;
  }
  int flags = O_CREAT | O_CLOEXEC | O_NOFOLLOW;
  switch (mode[0]) {
    case 'w': flags |= O_TRUNC; break;
    case 'a': flags |= O_APPEND; break;
    default: return std::fopen(host.c_str(), mode);  // reading creates nothing
  }
  flags |= std::strchr(mode, '+') ? O_RDWR : O_WRONLY;
  posix::UniqueFd descriptor(open(host.c_str(), flags, 0600));
  if (!descriptor.Valid()) return nullptr;
  // An older file keeps its mode through open(); it is made private too.
  FILE* file = fchmod(descriptor.Get(), 0600) == 0 ? fdopen(descriptor.Get(), mode) : nullptr;
  if (file) descriptor.Release();  // the stream owns it now
  return file;
}

Win32Error PlaceFileReplacing(const std::string& source, const std::string& target) {
  std::string from;
  std::string to;
  if (!posix::MapWindowsPath(source, from) || !posix::MapWindowsPath(target, to))
    return kErrorInvalidName;
  struct stat info;
  // rename() would put a file in place of an empty folder, or of a file
  // marked read-only; Windows refuses both.
  if (stat(to.c_str(), &info) == 0 && (S_ISDIR(info.st_mode) || !(info.st_mode & S_IWUSR)))
    return kErrorAccessDenied;
  if (rename(from.c_str(), to.c_str()) == 0) return kErrorSuccess;
  if (errno != EXDEV) {
    const int error = errno;
    struct stat sourceInfo;
    // A missing entry is the source's when it is gone, else the target's folder.
    return posix::FileErrorForPath(error, stat(from.c_str(), &sourceInfo) != 0 ? from : to);
  }
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
  std::string sourceHost;
  std::string targetHost;
  if (!posix::MapWindowsPath(source, sourceHost) || !posix::MapWindowsPath(target, targetHost))
    return kErrorInvalidName;
  const posix::UniqueFd in(open(sourceHost.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.Valid()) return posix::FileErrorForPath(errno, sourceHost);
  struct stat info;
  if (fstat(in.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return kErrorAccessDenied;
  posix::UniqueFd out(
      open(targetHost.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, info.st_mode & 0777));
  if (!out.Valid()) return posix::FileErrorForPath(errno, targetHost);
  Win32Error result = kErrorSuccess;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(in.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      result = posix::FileErrorFromErrno(errno);
      break;
    }
    if (got == 0) break;
    for (ssize_t written = 0; written < got;) {
      const ssize_t put = write(out.Get(), buffer + written, static_cast<size_t>(got - written));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        result = put < 0 ? posix::FileErrorFromErrno(errno) : kErrorAccessDenied;
        break;
      }
      written += put;
    }
    if (result != kErrorSuccess) break;
  }
  if (!out.Close() && result == kErrorSuccess) result = posix::FileErrorFromErrno(errno);
  return result;
}

bool CanOpenForReading(const std::string& path) {
  std::string host;
  if (path.empty() || !posix::MapWindowsPath(path, host)) return false;
  const posix::UniqueFd file(open(host.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info;
  return file.Valid() && fstat(file.Get(), &info) == 0 && !S_ISDIR(info.st_mode);
}

}  // namespace platform
