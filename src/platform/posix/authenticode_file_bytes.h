// A whole file mapped read-only for the signature check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Win32Codes.h"

namespace platform::posix::authenticode {

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // kErrorSuccess, or the Win32 error CreateFile would have given.
  Win32Error Open(const std::string& hostPath);

  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  void* mapping_ = nullptr;
};

}  // namespace platform::posix::authenticode
