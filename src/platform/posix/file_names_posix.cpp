#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "infra/StringHelpers.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/SystemFacts.h"
#include "platform/posix/unique_fd.h"

namespace platform {
namespace {

bool IsFile(const std::string& path) {
  uint32_t attributes = 0;
  return ReadPathAttributes(path, attributes) && !(attributes & kFileAttributeDirectory);
}

}  // namespace

Win32Error SearchForFile(const std::string& folder, const std::string& name, std::string& found) {
  std::string folders[2];
  size_t count = 0;
  if (!folder.empty()) {
    folders[count++] = folder;
  } else {
    if (QuerySystemFolder(folders[count])) ++count;
    if (QueryWindowsFolder(folders[count])) ++count;
  }
  for (size_t i = 0; i < count; ++i) {
    const std::string candidate = JoinPath(folders[i], name);
    if (IsFile(candidate)) {
      found = candidate;
      return kErrorSuccess;
    }
  }
  return kErrorFileNotFound;
}

bool QueryShortPathName(const std::string& path, std::string& shortPath) {
  uint32_t attributes = 0;
  if (!ReadPathAttributes(path, attributes)) return false;
  shortPath = path;
  return true;
}

bool CreateTempFileName(const std::string& folder, const std::string& prefix, std::string& path) {
  const std::string stem = folder.empty() ? std::string() : JoinPath(folder, prefix.substr(0, 3));
  if (stem.empty()) return false;
  // Like GetTempFileNameA: start from a number taken from the clock and try
  // each following one until a name is free.
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  unsigned start = static_cast<unsigned>(ticks) & 0xFFFFu;
  for (unsigned attempt = 0; attempt < 0x10000u; ++attempt) {
    const unsigned unique = (start + attempt) & 0xFFFFu;
    if (unique == 0) continue;
    const std::string candidate = stem + Format("%X.tmp", unique);
    const posix::UniqueFd file(
        open(ToNativePath(candidate).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file.Valid()) {
      path = candidate;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

}  // namespace platform
