#include "fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

void FuzzPropertyFailed(const char* property, const char* file, int line) {
  std::fprintf(stderr, "fuzz property failed: %s (%s:%d)\n", property, file, line);
  std::fflush(stderr);
  std::abort();
}

FuzzScratch& FuzzScratch::Instance() {
  static FuzzScratch scratch;
  return scratch;
}

FuzzScratch::FuzzScratch() {
  std::string pattern = (fs::temp_directory_path() / "varnik-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch folder");
  folder_ = pattern;
  machineRoot_ = folder_ + "/machine";
  fs::create_directories(machineRoot_);
  setenv("VARNIK_ROOT", machineRoot_.c_str(), 1);
}

FuzzScratch::~FuzzScratch() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

std::string FuzzScratch::WriteFile(const std::string& name, const std::string& bytes) const {
  const std::string path = folder_ + "/" + name;
  // A new file rather than a truncated one: ext4 flushes a file that was
  // truncated and rewritten when it is closed, which would slow every run
  // down to the disk's pace.
  std::error_code ignored;
  fs::remove(path, ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (out.fail()) FuzzPropertyFailed("the scratch file can be written", __FILE__, __LINE__);
  return path;
}

std::string FuzzScratch::ReadFile(const std::string& name) const {
  std::ifstream in(folder_ + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> FuzzScratch::ListTree(const std::string& folder) {
  std::vector<std::string> paths;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    std::string relative = it->path().lexically_relative(folder).generic_string();
    const fs::file_status status = it->symlink_status(error);
    if (fs::is_directory(status)) {
      relative += '/';
    } else if (fs::is_regular_file(status)) {
      relative += " " + std::to_string(it->file_size(error)) + " " +
                  std::to_string(it->last_write_time(error).time_since_epoch().count());
    }
    paths.push_back(relative);
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}
