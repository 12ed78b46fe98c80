#include "transfer/DownloadDispatch.h"

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"
#include "transfer/CBindStatusCallback.h"
#include "transfer/CSimpleBindStatusCallback.h"
#include "transfer/WinInetWebClient.h"

namespace {

constexpr char kLocation[] = "CLoader::DownloadFile";

}  // namespace

platform::HResult DownloadDispatch::DownloadFile(const std::string& requestedUrl, const std::string& localPath) {
  SimpleLogger& log = *SimpleLogger::GetInstance();
  const std::string url = AppendCacheVersion(requestedUrl, host_.ServerRootUrl(), host_.CacheVersion());
  const bool certificate = host_.ClientCertificatePresent();
  const bool localMode = host_.LocalModeActive();
  log.Info(kLocation, Format("Client certificate present %d, Local mode active %d", certificate ? 1 : 0,
                             localMode ? 1 : 0));
  if (!certificate || localMode) {
    CSimpleBindStatusCallback callback;
    log.Info(kLocation, "Going to download [simple_bind_status]" + url + " to path " + localPath);
    const platform::HResult result = platform::DownloadUrlToFile(url, localPath, callback);
    if (result == platform::kSOk) return platform::kSOk;
    log.Warning(kLocation, Format("Download completed with 0x%X , retry by WinInet", static_cast<unsigned>(result)));
  }
  log.Info(kLocation, "Going to download [wininet]" + url + " to path " + localPath);
  log.Info(kLocation, "using client certificate and not local mode");
  if (host_.WebClient().DownloadFile(url, localPath)) return platform::kSOk;
  // An older file of that name must not pass for the answer.
  platform::DeletePath(localPath);
  return platform::kEFail;
}

platform::HResult DownloadDispatch::Download(const CDataStructure& record) {
  const std::string url = AppendCacheVersion(record.sourceUrl, host_.ServerRootUrl(), host_.CacheVersion());
  SimpleLogger::GetInstance()->Info(
      "CLoader::Download", Format("Source=%s, Destination=%s", url.c_str(), record.destination.c_str()));
  return NVarnik::CBindStatusCallback<TransferHost>::Download(record, host_, 0);
}

std::string DownloadDispatch::ResolvedDestination(const CDataStructure& record) {
  CDataStructure resolved = record;
  NVarnik::CBindStatusCallback<TransferHost>::ResolveDestination(resolved, host_);
  return resolved.destination;
}
