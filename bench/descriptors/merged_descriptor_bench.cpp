// A merged setup descriptor of 5,000 component sections with 15 keys each,
// as a large deployment's "download_all.ini": loading it, comparing it with
// the previous deployment's copy, and writing it back.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "deployment/CIniFile.h"
#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"

namespace {

constexpr int kSections = 5000;
const std::string kFolder = "C:\\Bench";
const std::string kMergedPath = kFolder + "\\download_all.ini";
const std::string kPreviousPath = kFolder + "\\download_all_previous.ini";
const std::string kSavedPath = kFolder + "\\saved.ini";

std::string SectionName(int number) {
  return Format("%04dFile_Component%05d", 1 + number / 1000, number);
}

// Written line by line rather than through CIniFile, so that producing the
// files leaves nothing behind in the memory the loading runs are measured by.
void WriteComponent(std::ofstream& out, int number, const char* version) {
  const auto line = [&](const char* key, const std::string& value) {
    out << key << '=' << value << "\r\n";
  };
  out << '[' << SectionName(number) << "]\r\n";
  line("URLName", Format("%%URL%%bin/component%05d.lld", number));
  line("ShortName", Format("bin\\component%05d.dll", number));
  line("Description", Format("Client component number %d", number));
  line("ProgId", Format("Client.Component%05d", number));
  line("Version", version);
  line("Main", number == 0 ? "Y" : "N");
  line("CheckMD5", Format("%032x", number * 2654435761u));
  line("SetupOptions", "/quiet /norestart");
  line("REGFile", "");
  line("Register", number % 3 == 0 ? "Y" : "N");
  line("Setup", "N");
  line("DotNet", number % 7 == 0 ? "Y" : "N");
  line("Extract", number % 11 == 0 ? "Y" : "N");
  line("CheckSize", std::to_string(100000 + number * 17));
  line("ContentFlavors", number % 2 ? "Lab,Clinic" : "*");
  out << "\r\n";
}

// A machine root of its own holding the merged descriptor and the previous
// deployment's copy, which differs in every hundredth component's version.
class BenchMachine {
 public:
  BenchMachine() {
    std::string pattern = (std::filesystem::temp_directory_path() / "varnik-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a machine root");
    root_ = pattern;
    setenv("VARNIK_ROOT", root_.c_str(), 1);
    platform::CreateDirectoryWithParents(kFolder);

    std::ofstream merged(platform::ToNativePath(kMergedPath), std::ios::binary);
    std::ofstream previous(platform::ToNativePath(kPreviousPath), std::ios::binary);
    merged << "[Common Data]\r\nDestination=%AppData%\\QX\\ZEL-Client\r\n\r\n";
    for (int number = 0; number < kSections; ++number) {
      WriteComponent(merged, number, "11.0.0.2");
      WriteComponent(previous, number, number % 100 == 0 ? "11.0.0.1" : "11.0.0.2");
    }
    merged.close();
    previous.close();
    if (!merged || !previous) throw std::runtime_error("cannot write the descriptors");
  }
  ~BenchMachine() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

 private:
  std::string root_;
};

BenchMachine& Machine() {
  static BenchMachine machine;
  return machine;
}

CIniFile LoadedFrom(const std::string& path) {
  CIniFile ini;
  if (!ini.Load(path)) throw std::runtime_error("cannot load " + path);
  return ini;
}

void GenerateDescriptors(benchmark::State& state) {
  Machine();
  for (auto _ : state) benchmark::DoNotOptimize(&Machine());
}
BENCHMARK(GenerateDescriptors)->Iterations(1);

void LoadMergedDescriptor(benchmark::State& state) {
  Machine();
  for (auto _ : state) {
    auto merged = std::make_unique<CIniFile>();
    benchmark::DoNotOptimize(merged->Load(kMergedPath));
    // Freeing the 75,000 keys is not part of loading them.
    state.PauseTiming();
    merged.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(LoadMergedDescriptor)->Unit(benchmark::kMillisecond);

void CollectChangedSections(benchmark::State& state) {
  Machine();
  const CIniFile merged = LoadedFrom(kMergedPath);
  // Against itself every key of every section is compared and nothing
  // differs; against the previous copy 50 sections have changed.
  const CIniFile other = LoadedFrom(state.range(0) ? kPreviousPath : kMergedPath);
  size_t changedCount = 0;
  for (auto _ : state) {
    CIniFile::NameSet changed;
    merged.CollectChangedSections(other, changed);
    changedCount = changed.size();
  }
  state.counters["changed"] = static_cast<double>(changedCount);
}
BENCHMARK(CollectChangedSections)
    ->ArgName("previous")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

void WriteToMemory(benchmark::State& state) {
  Machine();
  const CIniFile merged = LoadedFrom(kMergedPath);
  size_t bytes = 0;
  for (auto _ : state) {
    std::ostringstream out;
    merged.WriteTo(out);
    bytes = out.str().size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
}
BENCHMARK(WriteToMemory)->Unit(benchmark::kMillisecond);

void SaveToFile(benchmark::State& state) {
  Machine();
  const CIniFile merged = LoadedFrom(kMergedPath);
  for (auto _ : state) benchmark::DoNotOptimize(merged.Save(kSavedPath));
}
BENCHMARK(SaveToFile)->Unit(benchmark::kMillisecond);

}  // namespace
