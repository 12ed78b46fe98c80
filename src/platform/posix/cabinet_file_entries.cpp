#include "platform/posix/cabinet_file_entries.h"

#include <sys/types.h>

#include <string>

#include "infra/CabinetDirectory.h"

namespace platform::posix {
namespace {

class StdioDirectorySource : public CabinetDirectorySource {
 public:
  explicit StdioDirectorySource(FILE* file) : file_(file) {}

  bool Read(void* buffer, size_t bytes) override {
    return std::fread(buffer, 1, bytes, file_) == bytes;
  }

  bool Skip(uint64_t bytes) override {
    return fseeko(file_, static_cast<off_t>(bytes), SEEK_CUR) == 0;
  }

  bool ReadString(std::string& text) override {
    text.clear();
    for (int length = 0; length < 256; ++length) {
      const int c = std::fgetc(file_);
      if (c == EOF) return false;
      if (c == 0) return length > 0;
      text += static_cast<char>(c);
    }
    return false;
  }

 private:
  FILE* file_;
};

}  // namespace

bool ReadMemberFolderIndices(FILE* file, int64_t offset, std::vector<uint16_t>& indices) {
  if (fseeko(file, offset, SEEK_SET) != 0) return false;
  StdioDirectorySource source(file);
  return ReadCabinetDirectory(source, indices);
}

}  // namespace platform::posix
