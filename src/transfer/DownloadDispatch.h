// The control's two ways into the transfer: a plain transfer of one URL to
// one file (descriptors, the server's script and version replies), and the
// transfer of one component of the download list.
#pragma once

#include <string>

#include "session/CDataStructure.h"
#include "transfer/FileDownloader.h"
#include "transfer/TransferHost.h"

class DownloadDispatch : public FileDownloader {
 public:
  explicit DownloadDispatch(TransferHost& host) : host_(host) {}

  // The URL-moniker service first, unless a client certificate must be
  // presented outside local mode; the web client when that is so or the
  // first way failed. After a failure nothing is left at localPath.
  platform::HResult DownloadFile(const std::string& url, const std::string& localPath) override;

  // One component: fetched, checked, placed and recorded; failures go to the
  // failure trace.
  platform::HResult Download(const CDataStructure& record);
  // The path Download places the record's file at (a cabinet to unpack: the
  // cabinet itself), which is what the actions after the downloads work on.
  std::string ResolvedDestination(const CDataStructure& record);

 private:
  TransferHost& host_;
};
