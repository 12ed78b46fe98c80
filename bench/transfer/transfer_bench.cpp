// Transfers every file of a list through the loader's per-component
// transfer, as the download driver does: fetched into the temporary folder,
// checked (unless told not to), placed in a deployment folder and recorded.
// Prints the elapsed time in milliseconds; fails unless every file was
// placed and recorded in "Downloaded.txt".
//
//   transfer-bench URL_LIST DEPLOYMENT_FOLDER on|off
//
// DEPLOYMENT_FOLDER is a Windows path ("C:\\deploy").
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "deployment/CIniFile.h"
#include "infra/FailureList.h"
#include "platform/FileSystem.h"
#include "transfer/DownloadDispatch.h"
#include "transfer/WinInetWebClient.h"

namespace {

class BenchHost : public TransferHost, TransferProgress {
 public:
  BenchHost(std::string folder, bool checks) : folder_(std::move(folder)), checks_(checks) {}

  std::string ServerRootUrl() const override { return ""; }
  const CacheVersionState& CacheVersion() const override { return cacheVersion_; }
  bool ClientCertificatePresent() const override { return false; }
  bool LocalModeActive() const override { return false; }
  std::string DeploymentFolder() const override { return folder_; }
  WinInetWebClient& WebClient() override { return webClient_; }
  bool CancelCrlCheck() const override { return true; }
  const NetworkProperties& Network() const override { return network_; }
  FailureTrace& Failures() override { return failures_; }
  void ExpandPathMacros(std::string&) override {}
  TransferProgress& Progress() override { return *this; }
  bool ChecksSignatures() const override { return checks_; }

  void ReportFileProgress(int32_t, uint64_t, uint64_t) override {}
  void FinishProgressEntry(int32_t) override {}

  size_t FailureCount() const { return failures_.Entries().size(); }

 private:
  std::string folder_;
  bool checks_;
  CacheVersionState cacheVersion_;
  WinInetWebClient webClient_;
  NetworkProperties network_;
  FailureList failures_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: transfer-bench URL_LIST DEPLOYMENT_FOLDER on|off\n");
    return 2;
  }
  std::vector<std::string> urls;
  std::ifstream list(argv[1]);
  for (std::string line; std::getline(list, line);) {
    if (!line.empty()) urls.push_back(line);
  }
  const std::string folder = argv[2];
  platform::CreateDirectoryWithParents(folder);

  BenchHost host(folder, std::string(argv[3]) == "on");
  DownloadDispatch dispatch(host);
  const auto start = std::chrono::steady_clock::now();
  for (size_t i = 0; i < urls.size(); ++i) {
    CDataStructure record;
    record.position = static_cast<int32_t>(i);
    record.sourceUrl = urls[i];
    record.destination = urls[i].substr(urls[i].rfind('/') + 1);
    record.destinationAsWritten = record.destination;
    dispatch.Download(record);
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  if (host.FailureCount() != 0) {
    std::fprintf(stderr, "%zu of %zu transfers failed\n", host.FailureCount(), urls.size());
    return 1;
  }
  std::printf("%.1f\n", std::chrono::duration<double, std::milli>(elapsed).count());
  CIniFile downloaded;
  CIniFile::KeyTable recorded;
  if (!downloaded.Load(folder + "\\Downloaded.txt") || downloaded.GetSection("Files", recorded) != urls.size()) {
    std::fprintf(stderr, "Downloaded.txt does not record every transfer\n");
    return 1;
  }
  return 0;
}
