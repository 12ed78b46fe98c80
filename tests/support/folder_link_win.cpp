#include <windows.h>

#include "folder_link.h"

#ifndef SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
#define SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE 0x2
#endif

bool MakeFolderLink(const std::string& link, const std::string& target, std::string& why) {
  if (CreateSymbolicLinkA(link.c_str(), target.c_str(),
                          SYMBOLIC_LINK_FLAG_DIRECTORY |
                              SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
    return true;
  why = "CreateSymbolicLinkA failed with error " + std::to_string(GetLastError()) +
        "; this Windows (or Wine) cannot make a folder link";
  return false;
}
