#include "install/CabinetLocator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "infra/CabinetDirectory.h"
#include "infra/LittleEndian.h"
#include "platform/FileSystem.h"

namespace {

constexpr size_t kSearchChunk = 64 * 1024;
// A string of the directory (set names, member names) is at most 255
// characters and its terminating zero.
constexpr size_t kMaxStringBytes = 256;

// Reads a file through a window of it, so that walking a directory of many
// small entries costs few system calls.
class WindowedReader : public CabinetDirectorySource {
 public:
  explicit WindowedReader(const std::string& path) : file_(platform::OpenStdioFile(path, "rb")) {}

  bool IsOpen() const { return file_ != nullptr; }

  bool Size(uint64_t& size) {
    if (std::fseek(file_.get(), 0, SEEK_END) != 0) return false;
    const long end = std::ftell(file_.get());
    if (end < 0) return false;
    size = static_cast<uint64_t>(end);
    return true;
  }

  void MoveTo(uint64_t position) { position_ = position; }


  // Up to wanted bytes at the current position without moving; available is
  // how many there are (fewer only at the end of the file).
  const unsigned char* Peek(size_t wanted, size_t& available) {
    if (position_ < windowStart_ || position_ + wanted > windowStart_ + windowLength_) {
      if (!Fill(wanted)) {
        available = 0;
        return nullptr;
      }
    }
    const size_t offset = static_cast<size_t>(position_ - windowStart_);
    available = std::min(wanted, windowLength_ - offset);
    return window_.data() + offset;
  }

  bool Read(void* buffer, size_t bytes) override {
    size_t available = 0;
    const unsigned char* data = Peek(bytes, available);
    if (!data || available < bytes) return false;
    std::memcpy(buffer, data, bytes);
    position_ += bytes;
    return true;
  }

  // A zero-terminated, non-empty string of at most 255 characters.
  bool Skip(uint64_t bytes) override {
    position_ += bytes;
    return true;
  }

  // A zero-terminated, non-empty string of at most 255 characters.
  bool ReadString(std::string& text) override {
    size_t available = 0;
    const unsigned char* data = Peek(kMaxStringBytes, available);
    if (!data) return false;
    const void* zero = std::memchr(data, 0, available);
    if (!zero || zero == data) return false;
    text.assign(reinterpret_cast<const char*>(data),
                static_cast<size_t>(static_cast<const unsigned char*>(zero) - data));
    position_ += text.size() + 1;
    return true;
  }

 private:
  static constexpr uint64_t kLargestSeek = 0x7FFFFFFF;

  bool Fill(size_t wanted) {
    if (position_ > kLargestSeek) return false;
    window_.resize(std::max(wanted, kSearchChunk));
    if (std::fseek(file_.get(), static_cast<long>(position_), SEEK_SET) != 0) return false;
    windowStart_ = position_;
    windowLength_ = std::fread(window_.data(), 1, window_.size(), file_.get());
    return true;
  }

  platform::UniqueStdioFile file_;
  std::vector<unsigned char> window_;
  uint64_t windowStart_ = 0;
  size_t windowLength_ = 0;
  uint64_t position_ = 0;
};

// Reads the whole directory of the cabinet that starts at offset.
bool HasSoundDirectory(WindowedReader& file, uint64_t offset) {
  file.MoveTo(offset);
  std::vector<uint16_t> memberFolders;
  return ReadCabinetDirectory(file, memberFolders);
}

// Position of the next "MSCF" at or after from, or fileSize when none.
uint64_t NextSignature(WindowedReader& file, uint64_t from, uint64_t fileSize) {
  uint64_t position = from;
  while (position + 4 <= fileSize) {
    file.MoveTo(position);
    size_t available = 0;
    const unsigned char* data = file.Peek(kSearchChunk, available);
    if (!data || available < 4) return fileSize;
    const unsigned char* end = data + available - 3;  // a signature must fit entirely
    for (const unsigned char* p = data; p < end; ++p) {
      p = static_cast<const unsigned char*>(std::memchr(p, 'M', static_cast<size_t>(end - p)));
      if (!p) break;
      if (std::memcmp(p, "MSCF", 4) == 0) return position + static_cast<uint64_t>(p - data);
    }
    position += available - 3;
  }
  return fileSize;
}

}  // namespace

std::vector<CabinetLocation> FindCabinets(const std::string& path) {
  std::vector<CabinetLocation> found;
  WindowedReader file(path);
  uint64_t fileSize = 0;
  if (!file.IsOpen() || !file.Size(fileSize)) return found;

  uint64_t position = 0;
  while (position < fileSize) {
    const uint64_t candidate = NextSignature(file, position, fileSize);
    if (candidate + 20 > fileSize) break;
    unsigned char start[20];
    file.MoveTo(candidate);
    if (!file.Read(start, sizeof(start))) break;
    const uint32_t length = ReadLe32(start + 8);
    const uint32_t filesOffset = ReadLe32(start + 16);
    // The claimed sizes must roughly fit the file before the directory is
    // worth reading; a cabinet cut short by a few bytes still counts.
    const bool plausible = filesOffset < length && candidate + filesOffset < fileSize + 32 &&
                           candidate + length < fileSize + 32;
    if (plausible && HasSoundDirectory(file, candidate)) {
      found.push_back({candidate, length});
      position = candidate + length;
    } else {
      position = candidate + 4;
    }
  }
  return found;
}

std::vector<std::string> ListCabinetMembers(const std::string& path) {
  std::vector<std::string> members;
  WindowedReader file(path);
  if (!file.IsOpen()) return members;
  std::vector<uint16_t> memberFolders;
  std::vector<std::string> names;
  for (const CabinetLocation& cabinet : FindCabinets(path)) {
    file.MoveTo(cabinet.offset);
    if (ReadCabinetDirectory(file, memberFolders, &names))
      members.insert(members.end(), names.begin(), names.end());
  }
  return members;
}
