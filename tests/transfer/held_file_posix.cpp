#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "held_file.h"
#include "platform/FileSystem.h"

namespace {

bool SetImmutable(const std::string& path, bool immutable) {
  const int descriptor = open(platform::ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  int flags = 0;
  bool done = ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
  if (done) {
    flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
  }
  close(descriptor);
  return done;
}

}  // namespace

HeldFile::HeldFile(const std::string& path) : path_(path), held_(SetImmutable(path, true)) {}

HeldFile::~HeldFile() {
  if (held_) SetImmutable(path_, false);
}
