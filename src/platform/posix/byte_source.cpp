#include "platform/posix/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <limits>

#include "infra/LittleEndian.h"
#include "platform/posix/file_errors.h"

namespace platform::posix {

bool ByteSource::Read(uint64_t offset, size_t length, void* out) const {
  return Contains(offset, length) && (length == 0 || ReadInside(offset, out, length));
}

bool ByteSource::Read(uint64_t offset, uint64_t length, std::vector<uint8_t>& out) const {
  if (!Contains(offset, length) || length > std::numeric_limits<size_t>::max()) return false;
  out.resize(static_cast<size_t>(length));
  return Read(offset, out.size(), out.data());
}

bool ByteSource::Le16(uint64_t offset, uint16_t& value) const {
  unsigned char bytes[2];
  if (!Read(offset, sizeof bytes, bytes)) return false;
  value = ReadLe16(bytes);
  return true;
}

bool ByteSource::Le32(uint64_t offset, uint32_t& value) const {
  unsigned char bytes[4];
  if (!Read(offset, sizeof bytes, bytes)) return false;
  value = ReadLe32(bytes);
  return true;
}

bool MemoryBytes::ReadInside(uint64_t offset, void* out, size_t length) const {
  std::memcpy(out, data_ + offset, length);
  return true;
}

Win32Error FileBytes::Open(const std::string& hostPath) {
  size_ = 0;
  file_.Reset(open(hostPath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file_.Valid()) return FileErrorForPath(errno, hostPath);
  struct stat info = {};
  if (fstat(file_.Get(), &info) != 0) return FileErrorFromErrno(errno);
  if (S_ISDIR(info.st_mode)) return kErrorAccessDenied;
  if (!S_ISREG(info.st_mode)) return kErrorInvalidParameter;
  size_ = static_cast<uint64_t>(info.st_size);
  return kErrorSuccess;
}

bool FileBytes::ReadInside(uint64_t offset, void* out, size_t length) const {
  switch (ReadExactlyAt(file_.Get(), offset, out, length)) {
    case ReadOutcome::Complete: return true;
    case ReadOutcome::EndOfFile: readError_ = kErrorHandleEof; return false;
    case ReadOutcome::Failed: readError_ = FileErrorFromErrno(errno); return false;
  }
  return false;
}

}  // namespace platform::posix
