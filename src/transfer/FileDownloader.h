// A plain transfer of one URL to one local file: setup descriptors, the
// server's script and its version replies. The control provides it; the
// descriptor download and the server handshakes only see this interface.
#pragma once

#include <string>

#include "platform/Win32Codes.h"

class FileDownloader {
 public:
  virtual ~FileDownloader() = default;
  // kSOk when a transfer method reported success, kEFail when the last one
  // failed. The caller checks the file's presence itself.
  virtual platform::HResult DownloadFile(const std::string& url, const std::string& localPath) = 0;
};
