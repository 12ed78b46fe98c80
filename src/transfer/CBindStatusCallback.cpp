#include "transfer/CBindStatusCallback.h"

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "infra/SystemInfo.h"
#include "install/FilePlacement.h"
#include "install/MessagePump.h"
#include "integrity/CSignedCode.h"
#include "platform/FileSystem.h"
#include "platform/SystemFacts.h"
#include "transfer/DownloadedList.h"
#include "transfer/WinInetWebClient.h"

namespace NVarnik {
namespace {

using platform::HResult;

constexpr char kDownloadLocation[] = "NVarnik::CBindStatusCallback<class CLoader>::Download";
constexpr char kStartLocation[] = "NVarnik::CBindStatusCallback<class CLoader>::StartSyncDownload";
constexpr char kCannotDownload[] = "Cannot download. Check this file is present on server.";
constexpr char kUnsigned[] = "This file has no digital signature or the publisher is untrusted.";
constexpr char kCannotPlace[] = "Unable to copy file to the deployment directory";

std::string AfterLast(const std::string& text, char separator) {
  const size_t at = text.rfind(separator);
  return at == std::string::npos ? text : text.substr(at + 1);
}

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

}  // namespace

template <class Owner>
HResult CBindStatusCallback<Owner>::Download(const CDataStructure& source, Owner& owner,
                                             platform::WindowHandle window) {
  Log().Info(kDownloadLocation, source.sourceUrl);
  CDataStructure record = source;
  ResolveDestination(record, owner);
  if (record.alreadyPresent) {
    owner.Progress().FinishProgressEntry(record.position);
    return platform::kSOk;
  }
  CBindStatusCallback callback(record, owner, window);
  callback.StartSyncDownload();
  return platform::kSOk;
}

template <class Owner>
void CBindStatusCallback<Owner>::ResolveDestination(CDataStructure& record, Owner& owner) {
  if (record.destination.empty() || record.destination[0] != '%') {
    record.destination = owner.DeploymentFolder() + "\\" + record.destination;
  } else {
    owner.ExpandPathMacros(record.destination);
  }
  if (record.extract) {
    // The cabinet keeps the name it has on the server.
    record.sourceUrl = ReplaceAll(record.sourceUrl, "\\", "/");
    record.destination = ReplaceAll(record.destination, "/", "\\");
    const size_t folderEnd = record.destination.rfind('\\');
    const std::string folder =
        folderEnd == std::string::npos ? std::string() : record.destination.substr(0, folderEnd + 1);
    record.destination = folder + AfterLast(record.sourceUrl, '/');
  }
}

template <class Owner>
CBindStatusCallback<Owner>::CBindStatusCallback(const CDataStructure& record, Owner& owner,
                                                platform::WindowHandle window)
    : record_(record), owner_(owner), window_(window) {}

template <class Owner>
void CBindStatusCallback<Owner>::StartSyncDownload() {
  std::string folder;
  if (!owner_.TemporaryFolder(folder)) {
    // Without a temporary folder the component cannot be fetched; say so
    // rather than pass over it in silence.
    Log().Error(kStartLocation, "No temporary folder to download into");
    owner_.Failures().TraceError(AfterLast(record_.destination, '\\'), kCannotDownload);
    owner_.Progress().FinishProgressEntry(record_.position);
    return;
  }
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  temporaryPath_ = folder + AfterLast(record_.destination, '\\');
  const std::string fileName = AfterLast(temporaryPath_, '\\');
  const std::string url = AppendCacheVersion(record_.sourceUrl, owner_.ServerRootUrl(), owner_.CacheVersion());

  HResult result = platform::DownloadUrlToFile(url, temporaryPath_, *this);
  if (result < 0) {
    Log().Warning(kStartLocation,
                  Format("urlmon URLDownloadToFile failed HRESULT 0x%X, swith to WinInet", static_cast<unsigned>(result)));
    result = owner_.WebClient().DownloadFile(url, temporaryPath_) ? platform::kSOk : platform::kEFail;
  }
  if (result < 0) {
    Log().Warning(kStartLocation,
                  Format("Download operation finished with HRESULT 0x%X", static_cast<unsigned>(result)));
    owner_.Failures().TraceError(fileName, kCannotDownload);
    // Nothing of a failed transfer is left for a later one to mistake.
    platform::DeletePath(temporaryPath_);
  } else if (!FileExists(temporaryPath_)) {
    Log().Warning(kStartLocation, "File was not found on disk after download");
    owner_.Failures().TraceError(fileName, kCannotDownload);
  } else {
    Finish(fileName);
  }
  owner_.Progress().FinishProgressEntry(record_.position);
}

// Checks, places and records a downloaded file.
template <class Owner>
void CBindStatusCallback<Owner>::Finish(const std::string& fileName) {
  CSignedCode checker(owner_.CancelCrlCheck());
  if (!owner_.ChecksSignatures()) {
    Log().Warning(kStartLocation, "Signature check left out by the host for " + fileName);
  } else if (!checker.CheckObjectSignature(temporaryPath_, !record_.setup)) {
    owner_.Failures().TraceError(fileName, kUnsigned);
    platform::DeletePath(temporaryPath_);
    return;
  }
  if (!MoveFile2Destination(temporaryPath_, record_.destination)) {
    owner_.Failures().TraceError(fileName, kCannotPlace);
    platform::DeletePath(temporaryPath_);
    return;
  }
  const std::string listPath = owner_.DeploymentFolder() + "\\Downloaded.txt";
  // One line appended, not waited for on the disk: a lost entry only means
  // the file is fetched once more.
  if (!AppendDownloadedEntry(listPath, record_.sourceUrl, record_.destinationAsWritten))
    Log().Warning(kStartLocation, "Unable to update " + listPath);
}

template <class Owner>
HResult CBindStatusCallback<Owner>::OnProgress(uint32_t progress, uint32_t progressMax, uint32_t,
                                               const std::string&) {
  if (record_.alreadyPresent) return platform::kSOk;
  PumpMessages();
  owner_.Progress().ReportFileProgress(record_.position, progress, progressMax);
  return platform::kSOk;
}

template <class Owner>
HResult CBindStatusCallback<Owner>::GetBindInfo(uint32_t* bindFlags, platform::BindInfo* info) {
  if (CSimpleBindStatusCallback::FillBindInfo(bindFlags, info)) return platform::kSOk;
  owner_.Failures().TraceError(record_.destination, "");
  platform::ShowMessageBox("GetBindInfo E_INVALIDARG", "");
  return platform::kEInvalidArg;
}

template <class Owner>
HResult CBindStatusCallback<Owner>::GetWindow(platform::WindowReason, platform::WindowHandle* window) {
  if (!window) return platform::kEPointer;
  *window = uiWindow_;
  return platform::kSOk;
}

template <class Owner>
HResult CBindStatusCallback<Owner>::OnSecurityProblem(uint32_t) {
  return platform::kSFalse;
}

template <class Owner>
HResult CBindStatusCallback<Owner>::Authenticate(platform::AuthenticationAnswer& answer) {
  answer = platform::AuthenticationAnswer();
  const NetworkProperties& network = owner_.Network();
  if (!network.AsksForWinInetAuthentication()) return platform::kSOk;
  if (!network.authProxyUser.empty()) {
    answer.hasUser = true;
    answer.user = network.authProxyUser;
  }
  if (!network.authProxyPassword.empty()) {
    answer.hasPassword = true;
    answer.password = network.authProxyPassword;
  }
  return platform::kSOk;
}

template class CBindStatusCallback<TransferHost>;

}  // namespace NVarnik

bool TransferHost::TemporaryFolder(std::string& folder) { return platform::QueryTempFolder(folder); }
