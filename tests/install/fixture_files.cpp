#include "fixture_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/FileSystem.h"

namespace fs = std::filesystem;

std::map<std::string, std::string> ReadTree(const std::string& folder) {
  std::map<std::string, std::string> tree;
  const fs::path root(platform::ToNativePath(folder));
  std::error_code error;
  if (!fs::is_directory(root, error)) return tree;
  for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
       it.increment(error)) {
    if (!it->is_regular_file()) continue;
    std::ifstream file(it->path(), std::ios::binary);
    tree[it->path().lexically_relative(root).generic_string()] =
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  return tree;
}
