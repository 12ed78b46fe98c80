#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "infra/StringHelpers.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/SystemFacts.h"
#include "platform/posix/unique_fd.h"

namespace platform {
namespace {

// A drive, server or root path, or a host path: SearchPathA looks at it alone.
bool IsPathWithFolder(const std::string& name) {
  return (name.size() >= 2 && name[1] == ':') || name[0] == '\\' || name[0] == '/';
}

bool IsFile(const std::string& path) {
  uint32_t attributes = 0;
  return ReadPathAttributes(path, attributes) && !(attributes & kFileAttributeDirectory);
}

}  // namespace

Win32Error SearchForFile(const std::string& folder, const std::string& name, std::string& found) {
  // The answer has to fit SearchPathA's buffer of MAX_PATH characters.
  constexpr size_t kMaxPath = 260;
  if (name.empty()) return kErrorInvalidParameter;
  std::vector<std::string> candidates;
  if (IsPathWithFolder(name)) {
    candidates.push_back(name);  // only checked, as SearchPathA does
  } else if (!folder.empty()) {
    candidates.push_back(JoinPath(folder, name));
  } else {
    // The standard order, as far as this machine has it: system folder,
    // Windows folder, current folder.
    std::string system, windows;
    if (QuerySystemFolder(system)) candidates.push_back(JoinPath(system, name));
    if (QueryWindowsFolder(windows)) candidates.push_back(JoinPath(windows, name));
    char current[PATH_MAX];
    if (getcwd(current, sizeof current)) candidates.push_back(std::string(current) + "/" + name);
  }
  for (const std::string& candidate : candidates) {
    if (!IsFile(candidate)) continue;
    if (candidate.size() >= kMaxPath) return kErrorFilenameExcedRange;
    found = candidate;
    return kErrorSuccess;
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
