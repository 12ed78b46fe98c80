// A whole file read into memory for the signature check. It is a private
// copy rather than a mapping: a file shortened or rewritten while it is
// checked then only fails to read or to match its digest, where a mapping
// would take the process down with SIGBUS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Win32Codes.h"

namespace platform::posix::authenticode {

class FileBytes {
 public:
  // kErrorSuccess, or the Win32 error CreateFile would have given;
  // kErrorHandleEof when the file ended before the size it had when opened.
  Win32Error Read(const std::string& hostPath);

  const uint8_t* Data() const { return bytes_.data(); }
  size_t Size() const { return bytes_.size(); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace platform::posix::authenticode
