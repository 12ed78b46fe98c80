#include <windows.h>

#include "folder_link.h"

#ifndef SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
#define SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE 0x2
#endif

bool MakeFolderLink(const std::string& link, const std::string& target, std::string& why) {
  if (!CreateSymbolicLinkA(link.c_str(), target.c_str(),
                           SYMBOLIC_LINK_FLAG_DIRECTORY |
                               SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)) {
    why = "CreateSymbolicLinkA failed with error " + std::to_string(GetLastError());
    return false;
  }
  // Wine 8 answers success and makes nothing (nor junctions: setting a
  // mount point is not supported there), so the link is looked for.
  const DWORD attributes = GetFileAttributesA(link.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    why = "CreateSymbolicLinkA reported success but no link exists (Wine makes none)";
    return false;
  }
  return true;
}
