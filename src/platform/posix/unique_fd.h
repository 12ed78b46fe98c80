// The posix port's one owner of an open file descriptor, closed when it
// goes, and the one way it reads a file at an offset. Descriptors are opened
// with O_CLOEXEC so the programs the loader starts do not inherit them.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>

namespace platform::posix {

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  void Reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }
  // Hands the descriptor over; this object no longer closes it.
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now, reporting whether the close succeeded (it can report a
  // delayed write error).
  bool Close() {
    const int fd = Release();
    return fd < 0 || close(fd) == 0;
  }

 private:
  int fd_;
};

// Exactly length bytes from offset on, retried after signals. The file may
// end first, for instance when it was shortened since its size was taken;
// after Failed, errno tells why.
enum class ReadOutcome { Complete, EndOfFile, Failed };
ReadOutcome ReadExactlyAt(int fd, uint64_t offset, void* buffer, size_t length);

}  // namespace platform::posix
