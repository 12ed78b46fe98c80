// Holds a file so it cannot be replaced while the object lives, as a
// loaded library is held. win32: opened without write or delete sharing.
// posix, where a file in use can always be replaced: made immutable; the
// test is skipped where the file system or the user cannot do that.
#pragma once

#include <string>

class HeldFile {
 public:
  explicit HeldFile(const std::string& path);
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  bool Held() const { return held_; }

 private:
  std::string path_;
  bool held_ = false;
  void* handle_ = nullptr;
};
