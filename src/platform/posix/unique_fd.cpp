#include "platform/posix/unique_fd.h"

#include <sys/types.h>

#include <cerrno>
#include <limits>

namespace platform::posix {

ReadOutcome ReadExactlyAt(int fd, uint64_t offset, void* buffer, size_t length) {
  auto* cursor = static_cast<unsigned char*>(buffer);
  while (length > 0) {
    if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max()))
      return ReadOutcome::EndOfFile;
    const ssize_t got = pread(fd, cursor, length, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return ReadOutcome::Failed;
    if (got == 0) return ReadOutcome::EndOfFile;
    cursor += got;
    offset += static_cast<uint64_t>(got);
    length -= static_cast<size_t>(got);
  }
  return ReadOutcome::Complete;
}

}  // namespace platform::posix
