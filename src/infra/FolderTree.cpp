#include "infra/FolderTree.h"

#include <exception>
#include <vector>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"

namespace {

constexpr char kLocation[] = "RecursiveDirDelete";

void WarnIfFailed(platform::Win32Error error, const char* what, const std::string& path) {
  if (error == platform::kErrorSuccess) return;
  SimpleLogger::GetInstance()->Warning(
      kLocation, Format("Cannot remove %s %s, error %ld", what, path.c_str(), error));
}

// Removes the link itself; its target is never opened.
void RemoveLink(const std::string& path, uint32_t attributes) {
  if (attributes & platform::kFileAttributeDirectory) {
    WarnIfFailed(platform::RemoveFolder(path), "link", path);
  } else {
    WarnIfFailed(platform::DeletePath(path), "link", path);
  }
}

void MakeNormal(const std::string& path) {
  uint32_t notApplied = 0;
  platform::SetPathAttributes(path, platform::kFileAttributeNormal, notApplied);
}

void RemoveTree(const std::string& folder) {
  const std::string prefix = folder.back() == '\\' ? folder : folder + "\\";
  std::vector<platform::FoundEntry> entries;
  platform::FindEntries(prefix + "*", entries);
  for (const platform::FoundEntry& entry : entries) {
    const std::string path = prefix + entry.name;
    if (entry.attributes & platform::kFileAttributeReparsePoint) {
      RemoveLink(path, entry.attributes);
    } else if (entry.attributes & platform::kFileAttributeDirectory) {
      MakeNormal(path);
      RemoveTree(path);
    } else {
      MakeNormal(path);
      WarnIfFailed(platform::DeletePath(path), "file", path);
    }
  }
  WarnIfFailed(platform::RemoveFolder(folder), "folder", folder);
}

}  // namespace

void CreateFoldersOfPath(const std::string& path) {
  // Creating the longest folder creates every one before it.
  const size_t last = path.rfind('\\');
  if (last == std::string::npos || last == 0) return;
  platform::CreateDirectoryWithParents(path.substr(0, last));
}

bool RecursiveDirDelete(const std::string& folder) {
  try {
    SimpleLogger::GetInstance()->Info(kLocation, folder);
    uint32_t attributes = 0;
    if (folder.empty() || !platform::ReadPathAttributes(folder, attributes)) return true;
    if (attributes & platform::kFileAttributeReparsePoint) {
      RemoveLink(folder, attributes);
      return true;
    }
    RemoveTree(folder);
    return true;
  } catch (const std::exception& error) {
    SimpleLogger::GetInstance()->Error(kLocation, error.what());
  } catch (...) {
    SimpleLogger::GetInstance()->Error(kLocation, "Unknown exception");
  }
  return false;
}
