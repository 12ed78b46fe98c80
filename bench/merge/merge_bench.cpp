// merge_bench ROOT_URL CA RUNS: DownloadServerIniAndMerge against the signed
// cabinets served below ROOT_URL (make_descriptor_fixtures.py --set bench on
// the sample platform), fetched through the control's transfer
// (CLoader::DownloadFile), the platform's CA trusted, RUNS times into fresh
// deployment folders. Prints the fastest run and where its time went: the
// transfers, fetching with the signature checks, and unpacking and merging.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "deployment/CIniFile.h"
#include "descriptors/DescriptorMerge.h"
#include "infra/FailureList.h"
#include "platform/FileSystem.h"
#include "session/CLoader.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

// The control's transfer, timed.
class TimedDownloader : public FileDownloader {
 public:
  explicit TimedDownloader(FileDownloader& inner) : inner_(inner) {}
  platform::HResult DownloadFile(const std::string& url, const std::string& path) override {
    const Clock::time_point start = Clock::now();
    const platform::HResult result = inner_.DownloadFile(url, path);
    spent += Clock::now() - start;
    ++files;
    return result;
  }
  Clock::duration spent{};
  int files = 0;

 private:
  FileDownloader& inner_;
};

struct Run {
  double total = 0, fetch = 0, transfers = 0, merge = 0;
  int files = 0;
  size_t sections = 0;
  size_t failures = 0;
};

Run MergeOnce(const std::string& root, int number) {
  const std::string deploy = "C:\\Deploy\\run" + std::to_string(number);
  platform::CreateDirectoryWithParents(deploy);
  DescriptorSourcesValues sources;
  sources.tkRootUrl = root;
  sources.deploymentFolder = deploy;
  sources.setupFileUrl = root + "/VuvoViziz_setup.cab";
  sources.setupExtFileUrl = root + "/custom_modules.cab";
  sources.pluginExtFilesUrl = root + "/Extensions/plugins.txt";
  sources.pluginExtFilesName = "plugins.txt";
  sources.names.setupFile = "VuvoViziz_setup.cab";
  sources.names.setupExtFile = "custom_modules.cab";
  NoContainer host;
  CLoader loader(host);
  TimedDownloader downloader(loader.Transfer().Dispatch());
  CIniFile merged;
  FailureList failures;
  DescriptorMerge merge(sources, merged, downloader, failures);

  // The two halves of DownloadServerIniAndMerge, timed apart.
  const Clock::time_point start = Clock::now();
  merge.DownloadIniFiles(deploy, sources.names.setupFile, sources.names.setupExtFile, true);
  const Clock::time_point fetched = Clock::now();
  merge.MergeSetupIniFiles(deploy, merged, sources.names.setupFile, sources.names.setupExtFile,
                           DescriptorMerge::kServerMergedFile);
  const Clock::time_point done = Clock::now();

  Run run;
  run.total = Milliseconds(done - start);
  run.fetch = Milliseconds(fetched - start);
  run.transfers = Milliseconds(downloader.spent);
  run.merge = Milliseconds(done - fetched);
  run.files = downloader.files;
  CIniFile::NameSet names;
  run.sections = merged.GetSectionNames(names);
  run.failures = failures.Entries().size();
  uint32_t attributes = 0;
  if (!platform::ReadPathAttributes(deploy + "\\download_all.ini", attributes))
    throw std::runtime_error("no merged file was written");
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: merge_bench ROOT_URL CA RUNS\n");
    return 2;
  }
  std::string pattern = (std::filesystem::temp_directory_path() / "varnik-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 1;
  setenv("VARNIK_ROOT", pattern.c_str(), 1);
  std::filesystem::create_directories(pattern + "/certificates");
  std::filesystem::copy_file(argv[2], pattern + "/certificates/ca.pem");

  const int runs = std::max(1, std::atoi(argv[3]));
  Run best;
  best.total = 1e12;
  int status = 0;
  try {
    for (int i = 0; i < runs; ++i) {
      const Run run = MergeOnce(argv[1], i);
      if (run.total < best.total) best = run;
    }
    std::printf("   merge of 2,000 + 500 + 50 x 20 components, fastest of %d: %.1f ms (target: under 1000 ms)\n",
                runs, best.total);
    std::printf("   fetch and verify %d files: %.1f ms, of which transfers %.1f ms and a 10 ms pause\n",
                best.files, best.fetch, best.transfers);
    std::printf("   unpack, merge, write and clean up: %.1f ms; %zu sections merged, %zu failures\n",
                best.merge, best.sections, best.failures);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "merge bench failed: %s\n", error.what());
    status = 1;
  }
  std::error_code ignored;
  std::filesystem::remove_all(pattern, ignored);
  return status;
}
