#include "folder_downloader.h"

#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"

namespace {

std::string UrlPathToWindows(std::string path) {
  const size_t query = path.find_first_of("?#");
  if (query != std::string::npos) path.resize(query);
  return ReplaceAll(path, "/", "\\");
}

}  // namespace

void FolderDownloader::Map(const std::string& urlPrefix, const std::string& folder) {
  std::lock_guard<std::mutex> guard(lock_);
  prefixes_.emplace_back(urlPrefix, folder);
}

std::string FolderDownloader::SourcePath(const std::string& url) const {
  if (url.rfind("file:///", 0) == 0) return UrlPathToWindows(url.substr(8));
  for (const auto& [prefix, folder] : prefixes_) {
    if (url.rfind(prefix, 0) == 0) return JoinPath(folder, UrlPathToWindows(url.substr(prefix.size())));
  }
  return {};
}

platform::HResult FolderDownloader::DownloadFile(const std::string& url,
                                                 const std::string& localPath) {
  std::lock_guard<std::mutex> guard(lock_);
  requests_.push_back(url);
  const std::string source = SourcePath(url);
  uint32_t attributes = 0;
  if (source.empty() || !platform::ReadPathAttributes(source, attributes) ||
      (attributes & platform::kFileAttributeDirectory))
    return platform::kEFail;
  return platform::CopyFileReplacing(source, localPath) == platform::kErrorSuccess
             ? platform::kSOk
             : platform::kEFail;
}

std::vector<std::string> FolderDownloader::Requests() const {
  std::lock_guard<std::mutex> guard(lock_);
  return requests_;
}
