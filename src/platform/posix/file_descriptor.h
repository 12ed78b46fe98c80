// The posix port's one owner of an open file descriptor, and the one way it
// reads a file at an offset. Descriptors are opened with O_CLOEXEC so the
// programs the loader starts do not inherit them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::posix {

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() { Reset(-1); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  void Reset(int fd);
  // Closes now, reporting whether the close succeeded (it can report a
  // delayed write error).
  bool Close();

 private:
  int fd_;
};

// Exactly length bytes from offset on, retried after signals. The file may
// end first, for instance when it was shortened since its size was taken;
// after Failed, errno tells why.
enum class ReadOutcome { Complete, EndOfFile, Failed };
ReadOutcome ReadExactlyAt(int fd, uint64_t offset, void* buffer, size_t length);

}  // namespace platform::posix
