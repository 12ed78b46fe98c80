// GetDeploymentFolder on a machine whose Deployments.ini records 1,000
// servers: finding a recorded server (the file is read whole on every call)
// and adding a new one (the file is rewritten whole).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "deployment/CIniFile.h"
#include "deployment/DeploymentEngine.h"
#include "deployment/DeploymentSettings.h"
#include "deployment/PathMacros.h"
#include "infra/FailureList.h"
#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"

namespace {

constexpr int kServers = 1000;
const std::string kRoot = "C:\\Deploy";

std::string ServerKey(int number) { return Format("srv%04d.example.com/tk", number); }

// A machine root of its own, with the descriptor written as a deployment of
// 1,000 servers leaves it.
class BenchMachine {
 public:
  BenchMachine() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "varnik-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a machine root");
    root_ = pattern;
    setenv("VARNIK_ROOT", root_.c_str(), 1);
    platform::CreateDirectoryWithParents(kRoot);
    for (int number = 0; number < kServers; ++number) {
      descriptor_.SetCurrentSection(ServerKey(number));
      descriptor_.SetValue("Folder", kRoot + Format("\\srv%04d", number));
    }
    RestoreDescriptor();
  }
  ~BenchMachine() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  void RestoreDescriptor() const { descriptor_.Save(kRoot + "\\Deployments.ini"); }

 private:
  std::string root_;
  CIniFile descriptor_;
};

BenchMachine& Machine() {
  static BenchMachine machine;
  return machine;
}

// The control's deployment-location objects.
struct Control {
  Control() : paths(settings, mergedSetup, failures), engine(settings, paths, failures) {
    mergedSetup.SetCurrentSection("Common Data");
    mergedSetup.SetValue("Destination", kRoot);
    paths.AttachDeploymentState(&engine);
  }
  DeploymentSettingsValues settings;
  CIniFile mergedSetup;
  FailureList failures;
  PathMacros paths;
  DeploymentEngine engine;
};

void BM_FindRecordedServer(benchmark::State& state) {
  Machine();
  Control control;
  const std::string key = ServerKey(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(control.engine.GetDeploymentFolder(key));
  }
}
BENCHMARK(BM_FindRecordedServer)->Arg(0)->Arg(999)->Unit(benchmark::kMillisecond);

void BM_AddNewServer(benchmark::State& state) {
  Machine();
  Control control;
  int number = 0;
  for (auto _ : state) {
    const std::string folder =
        control.engine.GetDeploymentFolder(Format("new%06d.example.com/tk", number++));
    state.PauseTiming();
    Machine().RestoreDescriptor();
    std::error_code ignored;
    std::filesystem::remove(platform::ToNativePath(folder), ignored);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_AddNewServer)->Iterations(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
