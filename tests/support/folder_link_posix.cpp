#include <filesystem>

#include "folder_link.h"
#include "platform/FileSystem.h"

bool MakeFolderLink(const std::string& link, const std::string& target, std::string& why) {
  std::error_code error;
  std::filesystem::create_directory_symlink(platform::ToNativePath(target),
                                            platform::ToNativePath(link), error);
  why = error.message();
  return !error;
}
