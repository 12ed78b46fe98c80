#include "platform/posix/authenticode_mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform::posix::authenticode {
namespace {

Win32Error FromErrno(int error) {
  switch (error) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM: return kErrorAccessDenied;
    case ENOMEM: return kErrorNotEnoughMemory;
    default: return kErrorInvalidParameter;
  }
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
  ~FileDescriptor() {
    if (descriptor_ >= 0) close(descriptor_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return descriptor_; }

 private:
  int descriptor_;
};

// CreateFile tells a missing file from a missing folder.
Win32Error MissingFileOrFolder(const std::string& hostPath) {
  const size_t slash = hostPath.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return kErrorFileNotFound;
  struct stat folder = {};
  const std::string parent = hostPath.substr(0, slash);
  return stat(parent.c_str(), &folder) == 0 && S_ISDIR(folder.st_mode) ? kErrorFileNotFound
                                                                       : kErrorPathNotFound;
}

}  // namespace

MappedFile::~MappedFile() {
  if (mapping_) munmap(mapping_, size_);
}

Win32Error MappedFile::Open(const std::string& hostPath) {
  FileDescriptor file(open(hostPath.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) return errno == ENOENT ? MissingFileOrFolder(hostPath) : FromErrno(errno);
  struct stat info = {};
  if (fstat(file.Get(), &info) != 0) return FromErrno(errno);
  if (S_ISDIR(info.st_mode)) return kErrorAccessDenied;
  if (!S_ISREG(info.st_mode)) return kErrorInvalidParameter;
  if (info.st_size == 0) return kErrorSuccess;

  const size_t size = static_cast<size_t>(info.st_size);
  void* mapping = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.Get(), 0);
  if (mapping == MAP_FAILED) return FromErrno(errno);
  madvise(mapping, size, MADV_SEQUENTIAL);
  mapping_ = mapping;
  data_ = static_cast<const uint8_t*>(mapping);
  size_ = size;
  return kErrorSuccess;
}

}  // namespace platform::posix::authenticode
