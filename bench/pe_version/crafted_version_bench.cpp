// The file version of a crafted image whose tables are as long as the
// format allows: read from a file (as ReadFileVersion does) and from memory.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "crafted_pe_image.h"
#include "platform/posix/pe_version_resource.h"

namespace {

constexpr uint32_t kMostSignificant = 0x00050006;

class CraftedFile {
 public:
  CraftedFile() : image_(CraftedVersionImage(65535, 131070, kMostSignificant, 0x00070008)) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "varnik-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a folder");
    folder_ = pattern;
    path_ = folder_ + "/crafted.dll";
    std::ofstream out(path_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(image_.data()),
              static_cast<std::streamsize>(image_.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path_);
    std::printf("crafted image: %zu bytes\n", image_.size());
  }
  ~CraftedFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::string& Path() const { return path_; }
  const std::vector<uint8_t>& Image() const { return image_; }

 private:
  std::vector<uint8_t> image_;
  std::string folder_;
  std::string path_;
};

const CraftedFile& Crafted() {
  static const CraftedFile file;
  return file;
}

void Check(benchmark::State& state, bool found, const platform::FileVersion& version) {
  if (!found || version.mostSignificant != kMostSignificant) state.SkipWithError("wrong answer");
}

void BM_CraftedVersionFromFile(benchmark::State& state) {
  const std::string& path = Crafted().Path();
  for (auto _ : state) {
    platform::FileVersion version;
    Check(state, platform::posix::ReadPeFileVersion(path, version), version);
  }
}
BENCHMARK(BM_CraftedVersionFromFile)->Unit(benchmark::kMillisecond);

void BM_CraftedVersionFromMemory(benchmark::State& state) {
  const std::vector<uint8_t>& image = Crafted().Image();
  for (auto _ : state) {
    platform::FileVersion version;
    Check(state, platform::posix::ParsePeFileVersion(image.data(), image.size(), version),
          version);
  }
}
BENCHMARK(BM_CraftedVersionFromMemory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
