// A FileDownloader over local folders standing in for the server: a URL
// under a mapped prefix is copied from the folder mapped to it ("/" read as
// "\", a query left out), a "file:///" URL from the path it names. Every
// URL asked for is kept, in order.
#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "transfer/FileDownloader.h"

class FolderDownloader : public FileDownloader {
 public:
  void Map(const std::string& urlPrefix, const std::string& folder);

  platform::HResult DownloadFile(const std::string& url, const std::string& localPath) override;

  std::vector<std::string> Requests() const;

 private:
  std::string SourcePath(const std::string& url) const;

  mutable std::mutex lock_;
  std::vector<std::pair<std::string, std::string>> prefixes_;
  std::vector<std::string> requests_;
};
