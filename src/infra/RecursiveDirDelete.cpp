#include "infra/RecursiveDirDelete.h"

#include <exception>
#include <vector>

#include "infra/SimpleLogger.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"

namespace {

constexpr char kLocation[] = "RecursiveDirDelete";

bool IsLink(uint32_t attributes) {
  return (attributes & platform::kFileAttributeReparsePoint) != 0;
}
bool IsFolder(uint32_t attributes) { return (attributes & platform::kFileAttributeDirectory) != 0; }

void MakeNormal(const std::string& path) {
  uint32_t notApplied = 0;
  platform::SetPathAttributes(path, platform::kFileAttributeNormal, notApplied);
}

// A link to a folder goes like a folder, a link to a file like a file; both
// without following it.
void RemoveLink(const std::string& path, uint32_t attributes) {
  if (IsFolder(attributes)) {
    platform::RemoveFolder(path);
  } else {
    platform::DeletePath(path);
  }
}

void DeleteTree(const std::string& folder) {
  const std::string prefix = folder.back() == '\\' ? folder : folder + "\\";
  std::vector<platform::FoundEntry> entries;
  platform::FindEntries(prefix + "*", entries);
  for (const platform::FoundEntry& entry : entries) {
    const std::string path = prefix + entry.name;
    if (IsLink(entry.attributes)) {
      RemoveLink(path, entry.attributes);
    } else if (IsFolder(entry.attributes)) {
      MakeNormal(path);
      DeleteTree(path);
    } else {
      MakeNormal(path);
      platform::DeletePath(path);
    }
  }
  platform::RemoveFolder(folder);
}

}  // namespace

bool RecursiveDirDelete(const std::string& folder) {
  SimpleLogger::GetInstance()->Info(kLocation, folder);
  uint32_t attributes = 0;
  if (folder.empty() || !platform::ReadPathAttributes(folder, attributes)) return true;
  try {
    if (IsLink(attributes)) {
      RemoveLink(folder, attributes);
    } else {
      DeleteTree(folder);
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}
