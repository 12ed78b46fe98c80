#include <unistd.h>

#include "links.h"
#include "platform/FileSystem.h"

bool MakeFolderLink(const std::string& link, const std::string& target) {
  return symlink(platform::ToNativePath(target).c_str(), platform::ToNativePath(link).c_str()) == 0;
}

bool MakeFileLink(const std::string& link, const std::string& target) {
  return MakeFolderLink(link, target);
}
