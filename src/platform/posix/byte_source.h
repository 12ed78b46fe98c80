// Bytes of a file or of memory, read by offset: the one way the posix port's
// parsers of untrusted files (version resources, embedded signatures) read.
// Every read is checked against the size first. A file is read with
// positioned reads, never mapped: one shortened meanwhile only fails the
// read, where a mapping would end the process with SIGBUS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Win32Codes.h"
#include "platform/posix/unique_fd.h"

namespace platform::posix {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;

  bool Contains(uint64_t offset, uint64_t length) const {
    return offset <= Size() && length <= Size() - offset;
  }
  // Exactly length bytes at offset, or false.
  bool Read(uint64_t offset, size_t length, void* out) const;
  bool Read(uint64_t offset, uint64_t length, std::vector<uint8_t>& out) const;
  bool Le16(uint64_t offset, uint16_t& value) const;
  bool Le32(uint64_t offset, uint32_t& value) const;
  // Why a read inside Size() failed; memory never fails there.
  virtual Win32Error ReadError() const { return kErrorHandleEof; }

 private:
  // Called only for ranges inside Size().
  virtual bool ReadInside(uint64_t offset, void* out, size_t length) const = 0;
};

class MemoryBytes final : public ByteSource {
 public:
  MemoryBytes(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}
  uint64_t Size() const override { return size_; }

 private:
  bool ReadInside(uint64_t offset, void* out, size_t length) const override;

  const uint8_t* data_;
  uint64_t size_;
};

class FileBytes final : public ByteSource {
 public:
  // kErrorSuccess, or the Win32 error CreateFile would have given; a folder
  // is access denied, anything but a regular file an invalid parameter.
  Win32Error Open(const std::string& hostPath);
  uint64_t Size() const override { return size_; }
  // ERROR_HANDLE_EOF when the file ended before the size it had when opened.
  Win32Error ReadError() const override { return readError_; }

 private:
  bool ReadInside(uint64_t offset, void* out, size_t length) const override;

  UniqueFd file_;
  uint64_t size_ = 0;
  mutable Win32Error readError_ = kErrorSuccess;
};

}  // namespace platform::posix
