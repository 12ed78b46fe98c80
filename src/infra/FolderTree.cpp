#include "infra/FolderTree.h"

#include "platform/FileSystem.h"

void CreateFoldersOfPath(const std::string& path) {
  // Creating the longest folder creates every one before it.
  const size_t last = path.rfind('\\');
  if (last == std::string::npos || last == 0) return;
  platform::CreateDirectoryWithParents(path.substr(0, last));
}
