#include "fixture_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/FileSystem.h"

namespace fs = std::filesystem;

std::string FromBuildMachine(const std::string& hostPath) {
#ifdef _WIN32
  std::string path = "Z:" + hostPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
#else
  return hostPath;
#endif
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(fs::path(platform::ToNativePath(path)), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  platform::UniqueStdioFile file(platform::OpenStdioFile(path, "wb"));
  return file && std::fwrite(content.data(), 1, content.size(), file.get()) == content.size() &&
         std::fflush(file.get()) == 0;
}

bool PathExists(const std::string& path) {
  uint32_t attributes = 0;
  return platform::ReadPathAttributes(path, attributes);
}

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
